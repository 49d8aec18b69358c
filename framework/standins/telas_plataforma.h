#pragma once
// The platform's registration of its stand-ins for the screens of the suite's other packages that
// the module opens by class name. The host registers them once at start, before it loads the
// module; a name already taken leaves the registry as it was and throws EClassRegistryError.
#include <string>
#include <vector>

#include "framework/component/class_registry.h"

namespace vyn {

struct TTelaDaPlataforma {
  std::string Nome;
  TComponentFactory Fabrica;
};

// Every stand-in, by the class name its openers use.
std::vector<TTelaDaPlataforma> TelasDaPlataforma();
void RegistraTelasDaPlataforma(TClassRegistry& registry);
void DesregistraTelasDaPlataforma(TClassRegistry& registry);

// Holds the registration for a scope (the host's run).
class TTelasDaPlataformaRegistradas {
 public:
  explicit TTelasDaPlataformaRegistradas(TClassRegistry& registry = ClassRegistry()) : registry_(registry) {
    RegistraTelasDaPlataforma(registry_);
  }
  ~TTelasDaPlataformaRegistradas() { DesregistraTelasDaPlataforma(registry_); }
  TTelasDaPlataformaRegistradas(const TTelasDaPlataformaRegistradas&) = delete;
  TTelasDaPlataformaRegistradas& operator=(const TTelasDaPlataformaRegistradas&) = delete;

 private:
  TClassRegistry& registry_;
};

}  // namespace vyn
