#include "host/module_loader.h"

#include <dlfcn.h>

#include <filesystem>

#include "module/entry_points.h"

namespace integracao_host {

TModuloCarregado::TModuloCarregado(const std::string& path) : path_(path) {
  if (!std::filesystem::exists(path)) throw EModuleError("módulo não encontrado: " + path);
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw EModuleError("não foi possível carregar o módulo " + path + ": " + ::dlerror());
  auto load = reinterpret_cast<TIntegracaoLoad>(::dlsym(handle_, kIntegracaoLoad));
  unload_ = reinterpret_cast<TIntegracaoUnload>(::dlsym(handle_, kIntegracaoUnload));
  if (!load || !unload_) {
    ::dlclose(handle_);
    throw EModuleError(path + " não é um módulo: faltam " + kIntegracaoLoad + "/" + kIntegracaoUnload);
  }
  char erro[512] = {};
  if (load(erro, sizeof erro) != 0) {
    ::dlclose(handle_);
    throw EModuleError("o módulo " + path + " não carregou: " + erro);
  }
}

TModuloCarregado::~TModuloCarregado() {
  unload_();
  ::dlclose(handle_);
}

std::string PastaDoExecutavel() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::current_path().string() : exe.parent_path().string();
}

}  // namespace integracao_host
