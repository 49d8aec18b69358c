#pragma once
// Loads a module (libintegracao.so) and runs its load entry; unloading runs its unload entry and
// closes it. Everything the module's classes created must be freed before that. The platform's
// stand-ins of other packages' screens are registered before the module and go after it.
#include <stdexcept>
#include <string>

#include "framework/standins/telas_plataforma.h"

namespace integracao_host {

class EModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TModuloCarregado {
 public:
  // Throws EModuleError naming the file and the reason.
  explicit TModuloCarregado(const std::string& path);
  ~TModuloCarregado();
  TModuloCarregado(const TModuloCarregado&) = delete;
  TModuloCarregado& operator=(const TModuloCarregado&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  vyn::TTelasDaPlataformaRegistradas plataforma_;
  void* handle_ = nullptr;
  void (*unload_)() = nullptr;
};

// The folder of the running executable.
std::string PastaDoExecutavel();

}  // namespace integracao_host
