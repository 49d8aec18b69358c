#include "module/entry_points.h"

#include <cstring>
#include <exception>

#include "module/registro.h"

namespace {
void CopiaErro(const char* texto, char* erro, size_t tamanho) {
  if (!erro || tamanho == 0) return;
  std::strncpy(erro, texto, tamanho - 1);
  erro[tamanho - 1] = '\0';
}
}  // namespace

extern "C" __attribute__((visibility("default"))) int integracao_load(char* erro, size_t tamanho) {
  try {
    integracao::RegistraModulo(vyn::ClassRegistry());
    return 0;
  } catch (const std::exception& e) {
    CopiaErro(e.what(), erro, tamanho);
  } catch (...) {
    CopiaErro("Erro desconhecido ao carregar o módulo", erro, tamanho);
  }
  return 1;
}

extern "C" __attribute__((visibility("default"))) void integracao_unload(void) {
  try {
    integracao::DesregistraModulo(vyn::ClassRegistry());
  } catch (...) {
  }
}
