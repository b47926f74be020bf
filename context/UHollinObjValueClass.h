// THostContext, the host's context object: declared for the module by the
// host–module contract, implemented by the host.
#pragma once

#include "contract/VelmoraContract.h"
