#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas_c.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "framework/accounting/gerador_relatorio_formulas.h"
#include "framework/component/component.h"
#include "framework/core/text.h"

namespace {

// The generator's handle: the owner frees the evaluator with it.
struct TAvaliadorC {
  vyn::TComponent dono;
  vyn::IBuscaFormulasGerador* avaliador = nullptr;
  size_t tamanhoNecessario = 0;   // of the last result refused for want of room
};

// The evaluators share the process's one database connection, and the balances a call prepares live
// on it until the call has read them: two calls at once from two threads would each read the other's
// balances. The entries run one at a time, whatever handle they are given.
std::mutex& Exclusao() {
  static std::mutex m;
  return m;
}

void Copia(const std::string& original, char* destino, size_t tamanho) {
  if (!destino || tamanho == 0) return;
  // Whatever the caller handed in (a formula, a date) is echoed as text, never as bytes that are none.
  const std::string texto = vyn::Utf8Legivel(original);
  size_t n = std::min(texto.size(), tamanho - 1);
  // A message cut to the room given ends on a whole character: the caller reads valid UTF-8.
  if (n < texto.size())
    while (n > 0 && (static_cast<unsigned char>(texto[n]) & 0xC0) == 0x80) --n;
  std::memcpy(destino, texto.data(), n);
  destino[n] = '\0';
}

std::string Texto(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

extern "C" __attribute__((visibility("default"))) void* integracao_busca_formulas_cria(char* erro, size_t tamanho) {
  const std::lock_guard<std::mutex> uma(Exclusao());
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
  const std::lock_guard<std::mutex> uma(Exclusao());
  try {
    if (!avaliador) throw std::invalid_argument("Avaliador de fórmulas não criado");
    auto* h = static_cast<TAvaliadorC*>(avaliador);
    h->tamanhoNecessario = 0;
    const vyn::Variant v = h->avaliador->Execute(Texto(formula), Texto(complemento), tipoCalculo, codEmp,
                                                 Texto(referencia), Texto(dataIni), Texto(dataFim), contabilizacao,
                                                 ignZeramento != 0, Texto(reservado), Texto(parametro));
    // No value with the parsers' reason is a formula that could not be computed, not an empty result.
    if (v.IsNull() && !h->avaliador->MotivoSemValor().empty())
      throw std::invalid_argument(h->avaliador->MotivoSemValor());
    const std::string valor = v.IsNull() ? std::string() : v.AsString();
    // A value cut to the room given would be another number: refused with the room it needs.
    if (!resultado || valor.size() + 1 > tamanho) {
      h->tamanhoNecessario = valor.size() + 1;
      Copia(std::to_string(h->tamanhoNecessario), resultado, tamanho);
      return kBuscaFormulasSemEspaco;
    }
    Copia(valor, resultado, tamanho);
    return 0;
  } catch (const std::exception& e) {
    Copia(e.what(), resultado, tamanho);
  } catch (...) {
    Copia("Erro desconhecido ao calcular a fórmula", resultado, tamanho);
  }
  return 1;
}

extern "C" __attribute__((visibility("default"))) size_t integracao_busca_formulas_tamanho_necessario(
    void* avaliador) {
  const std::lock_guard<std::mutex> uma(Exclusao());
  return avaliador ? static_cast<TAvaliadorC*>(avaliador)->tamanhoNecessario : 0;
}

extern "C" __attribute__((visibility("default"))) void integracao_busca_formulas_libera(void* avaliador) {
  const std::lock_guard<std::mutex> uma(Exclusao());
  std::unique_ptr<TAvaliadorC> h(static_cast<TAvaliadorC*>(avaliador));
}
