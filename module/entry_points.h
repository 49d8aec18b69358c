#pragma once
// The C entry points of libintegracao.so, looked up by the host with dlsym.
#include <cstddef>

extern "C" {
// Registers the module's classes. Answers 0, or 1 with the reason in erro (cut to tamanho - 1).
int integracao_load(char* erro, size_t tamanho);
// Unregisters what integracao_load registered.
void integracao_unload(void);
}

inline constexpr const char* kIntegracaoLoad = "integracao_load";
inline constexpr const char* kIntegracaoUnload = "integracao_unload";
using TIntegracaoLoad = int (*)(char*, size_t);
using TIntegracaoUnload = void (*)();
