#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas_c.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "framework/accounting/gerador_relatorio_formulas.h"
#include "framework/component/component.h"

namespace {

// The generator's handle: the owner frees the evaluator with it.
struct TAvaliadorC {
  vyn::TComponent dono;
  vyn::IBuscaFormulasGerador* avaliador = nullptr;
};

void Copia(const std::string& texto, char* destino, size_t tamanho) {
  if (!destino || tamanho == 0) return;
  const size_t n = std::min(texto.size(), tamanho - 1);
  std::memcpy(destino, texto.data(), n);
  destino[n] = '\0';
}

std::string Texto(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

extern "C" __attribute__((visibility("default"))) void* integracao_busca_formulas_cria(char* erro, size_t tamanho) {
  try {
    auto h = std::make_unique<TAvaliadorC>();
    h->avaliador = &vyn::CriaBuscaFormulasGerador(h->dono);
    return h.release();   // the generator gives it back to integracao_busca_formulas_libera
  } catch (const std::exception& e) {
    Copia(e.what(), erro, tamanho);
  } catch (...) {
    Copia("Erro desconhecido ao criar o avaliador de fórmulas", erro, tamanho);
  }
  return nullptr;
}

extern "C" __attribute__((visibility("default"))) int integracao_busca_formulas_executa(
    void* avaliador, const char* formula, const char* complemento, int tipoCalculo, int codEmp, const char* referencia,
    const char* dataIni, const char* dataFim, int contabilizacao, int ignZeramento, const char* reservado,
    const char* parametro, char* resultado, size_t tamanho) {
  try {
    if (!avaliador) throw std::invalid_argument("Avaliador de fórmulas não criado");
    const vyn::Variant v = static_cast<TAvaliadorC*>(avaliador)->avaliador->Execute(
        Texto(formula), Texto(complemento), tipoCalculo, codEmp, Texto(referencia), Texto(dataIni), Texto(dataFim),
        contabilizacao, ignZeramento != 0, Texto(reservado), Texto(parametro));
    Copia(v.IsNull() ? std::string() : v.AsString(), resultado, tamanho);
    return 0;
  } catch (const std::exception& e) {
    Copia(e.what(), resultado, tamanho);
  } catch (...) {
    Copia("Erro desconhecido ao calcular a fórmula", resultado, tamanho);
  }
  return 1;
}

extern "C" __attribute__((visibility("default"))) void integracao_busca_formulas_libera(void* avaliador) {
  std::unique_ptr<TAvaliadorC> h(static_cast<TAvaliadorC*>(avaliador));
}
