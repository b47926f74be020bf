#include "runtime/forms/Description.h"

#include "runtime/components/Classes.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Form.h"

namespace rtl {
namespace {

[[noreturn]] void RaiseProperty(const TComponent& component, const std::string& property, const char* what) {
  const std::string owner = component.Name().empty() ? component.ClassName() : component.Name();
  throw EReadError("Error reading " + owner + "." + property + ": " + what);
}

void ApplyProperties(TCustomForm& form, TComponent& component, const DescriptionNode& node) {
  for (const auto& [name, value] : node.properties) {
    bool known = false;
    try {
      if (name.starts_with("On") && value.GetKind() == PropertyValue::Kind::Identifier) {
        const PublishedMethod* method = form.FindMethod(value.AsIdentifier());
        if (method == nullptr) RaiseProperty(component, name, ("no published method " + value.AsIdentifier()).c_str());
        known = component.SetEvent(name, *method);
      } else {
        known = component.SetProperty(name, value);
      }
    } catch (const EReadError& e) {
      if (std::string_view(e.Message()).starts_with("Error reading")) throw;
      RaiseProperty(component, name, e.what());
    } catch (const Exception& e) {
      RaiseProperty(component, name, e.what());
    }
    if (!known) RaiseProperty(component, name, ("property " + name + " does not exist").c_str());
  }
}

void ApplyChildren(TCustomForm& form, TComponent& parent, const DescriptionNode& node) {
  for (const DescriptionNode& child : node.children) {
    TComponent* component = nullptr;
    if (child.inherited) {
      component = form.FindComponent(child.name);
      if (component == nullptr) throw EReadError("Inherited component " + child.name + " not found");
    } else {
      if (form.FindComponent(child.name) != nullptr)
        throw EReadError("A component named " + child.name + " already exists");
      component = CreateComponentOfClass(child.className, form);
      component->SetName(child.name);
      form.BindField(component);
      if (&parent != &form && !parent.AdoptChild(component)) {
        throw EReadError(child.name + " cannot be placed on " + parent.Name());
      }
      if (&parent == &form) form.AdoptChild(component);
    }
    ApplyProperties(form, *component, child);
    ApplyChildren(form, *component, child);
  }
}

}  // namespace

void ApplyDescription(TCustomForm& form, const DescriptionNode& root) {
  ApplyProperties(form, form, root);
  ApplyChildren(form, form, root);
}

}  // namespace rtl
