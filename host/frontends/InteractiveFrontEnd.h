// The front end for a person, used when no script is given: the terminal
// on POSIX systems, native windows on Windows.
#pragma once

#include <memory>
#include <ostream>

#include "runtime/forms/FrontEnd.h"

namespace host {

// Raises std::runtime_error when there is no way to reach a person (no terminal).
std::unique_ptr<rtl::TFrontEnd> MakeInteractiveFrontEnd(std::ostream& out);

}  // namespace host
