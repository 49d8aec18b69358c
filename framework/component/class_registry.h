#pragma once
// Classes the host creates by name: screens, tasks, per-line import classes and the like.
//
// Ownership: CreateComponent(name) hands the new component to the caller (unique_ptr);
// CreateComponent(name, owner) makes it owned by `owner`, which frees it, and returns a borrowed
// pointer. Factories receive the owner (or nullptr) and must construct the component with it.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

class EClassNotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EClassRegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TClassKind { Screen, Task, ImportLine, Other };

using TComponentFactory = std::function<std::unique_ptr<TComponent>(TComponent* owner)>;

struct TRegisteredClass {
  std::string Name;  // as registered
  TClassKind Kind = TClassKind::Other;
  TComponentFactory Factory;
};

class TClassRegistry {
 public:
  // Names are matched without regard to case; a name already registered throws.
  void RegisterClass(const std::string& name, TComponentFactory factory, TClassKind kind = TClassKind::Other);
  template <class T>
  void RegisterClass(const std::string& name, TClassKind kind = TClassKind::Other) {
    RegisterClass(name, [](TComponent* owner) { return std::make_unique<T>(owner); }, kind);
  }
  // Forgets the name; an unknown name is ignored (a module unloads what it registered).
  void UnRegisterClass(const std::string& name);

  std::optional<TRegisteredClass> FindClass(const std::string& name) const;
  bool IsRegistered(const std::string& name) const;

  // Unknown names throw EClassNotFound.
  std::unique_ptr<TComponent> CreateComponent(const std::string& name) const;
  TComponent* CreateComponent(const std::string& name, TComponent& owner) const;

  // Registered names in alphabetical order, all or those of one kind.
  std::vector<std::string> RegisteredClassNames(std::optional<TClassKind> kind = std::nullopt) const;

 private:
  TComponentFactory FactoryOf(const std::string& name) const;

  mutable std::mutex mutex_;
  std::map<std::string, TRegisteredClass> classes_;  // by upper-cased name
};

// The process-wide registry.
TClassRegistry& ClassRegistry();

}  // namespace vyn
