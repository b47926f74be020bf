// Event handler types, and the handlers a form publishes for its form
// descriptions to bind by name.
#pragma once

#include <functional>
#include <variant>

#include "runtime/components/Keys.h"
#include "runtime/except/Exceptions.h"

namespace rtl {

class TObject;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TKeyEvent = std::function<void(TObject* sender, Word& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

using PublishedMethod = std::variant<TNotifyEvent, TKeyEvent, TKeyPressEvent>;

// Assigns the handler of kind Handler, or raises for a handler of another kind.
template <class Handler>
bool AssignEvent(Handler& slot, const PublishedMethod& method) {
  const Handler* handler = std::get_if<Handler>(&method);
  if (handler == nullptr) throw EReadError("Invalid property value: handler of the wrong kind");
  slot = *handler;
  return true;
}

}  // namespace rtl
