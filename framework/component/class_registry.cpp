#include "framework/component/class_registry.h"

#include "framework/core/text.h"

namespace vyn {

namespace {
std::string Key(const std::string& name) { return UpperCase(Trim(name)); }
}  // namespace

void TClassRegistry::RegisterClass(const std::string& name, TComponentFactory factory, TClassKind kind) {
  if (Trim(name).empty()) throw EClassRegistryError("Nome de classe vazio");
  if (!factory) throw EClassRegistryError("Classe \"" + name + "\" sem construtor");
  std::lock_guard lock(mutex_);
  auto [it, inserted] = classes_.try_emplace(Key(name), TRegisteredClass{Trim(name), kind, std::move(factory)});
  if (!inserted) throw EClassRegistryError("Classe \"" + name + "\" já registrada como \"" + it->second.Name + "\"");
}

void TClassRegistry::UnRegisterClass(const std::string& name) {
  std::lock_guard lock(mutex_);
  classes_.erase(Key(name));
}

std::optional<TRegisteredClass> TClassRegistry::FindClass(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto it = classes_.find(Key(name));
  if (it == classes_.end()) return std::nullopt;
  return it->second;
}

bool TClassRegistry::IsRegistered(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return classes_.count(Key(name)) != 0;
}

TComponentFactory TClassRegistry::FactoryOf(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto it = classes_.find(Key(name));
  if (it == classes_.end()) throw EClassNotFound("Classe \"" + name + "\" não registrada");
  return it->second.Factory;
}

std::unique_ptr<TComponent> TClassRegistry::CreateComponent(const std::string& name) const {
  // The factory runs outside the lock: constructors may look up other classes.
  std::unique_ptr<TComponent> c = FactoryOf(name)(nullptr);
  if (!c) throw EClassRegistryError("Classe \"" + name + "\" não criou o componente");
  return c;
}

TComponent* TClassRegistry::CreateComponent(const std::string& name, TComponent& owner) const {
  std::unique_ptr<TComponent> c = FactoryOf(name)(&owner);
  if (!c) throw EClassRegistryError("Classe \"" + name + "\" não criou o componente");
  if (c->Owner() != &owner) throw EClassRegistryError("Classe \"" + name + "\" ignorou o dono indicado");
  return c.release();  // the owner frees it
}

std::vector<std::string> TClassRegistry::RegisteredClassNames(std::optional<TClassKind> kind) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [key, entry] : classes_)
    if (!kind || entry.Kind == *kind) names.push_back(entry.Name);
  return names;
}

TClassRegistry& ClassRegistry() {
  static TClassRegistry registry;
  return registry;
}

}  // namespace vyn
