#include "runtime/components/Classes.h"

#include <map>

#include "runtime/except/Exceptions.h"
#include "runtime/units/NoDestructor.h"

namespace rtl {
namespace {

using ClassTable = std::map<std::string, ComponentFactory, std::less<>>;

// The process-wide class table, as the toolkit's RegisterClass keeps it.
// Never destroyed: registrations are withdrawn while libraries unload.
ClassTable& Classes() {
  static NoDestructor<ClassTable> classes;
  return *classes;
}

}  // namespace

ClassRegistration::ClassRegistration(std::string className, ComponentFactory factory)
    : className_(std::move(className)) {
  Classes()[className_] = std::move(factory);
}

ClassRegistration::~ClassRegistration() { Classes().erase(className_); }

TComponent* CreateComponentOfClass(std::string_view className, TComponent& owner) {
  const auto it = Classes().find(className);
  if (it == Classes().end()) throw EReadError("Class " + std::string(className) + " not found");
  return it->second(owner);
}

}  // namespace rtl
