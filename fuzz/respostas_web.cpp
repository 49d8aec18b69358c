// The answers of the web peers, as their readers take them: the first byte picks the reader, the rest
// is the answer's body. Any body is read or refused with an exception; it never crashes, and an
// amount a Dyq line gives is the one written (never wrapped).
#include <cstdint>
#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/component/component.h"
#include "framework/ui/list_view.h"
#include "framework/web/vynreport_pagamentos.h"
#include "integrations/omie/uIntegracaoOmie.Clientes.h"
#include "integrations/omie/uIntegracaoOmie.ContasAPagar.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFinanceiros.h"
#include "integrations/omie/uIntegracaoOmie.MovimentosFiscais.h"

namespace {

// Dyq: the released-statements document into the dialogs' list, then every member as a statement line.
void Dyq(const std::string& corpo) {
  const auto documento = nlohmann::ordered_json::parse(corpo, nullptr, false);
  if (documento.is_discarded()) return;
  vyn::TComponent dono;
  auto* lista = dono.Create<vyn::TListView>();
  if (documento.is_object())
    integracao::PreencheLinhasLiberadas(*lista, documento, "Normal", vyn::TDateTime(), vyn::TDateTime(), nullptr);
  const auto linhas = nlohmann::json::parse(corpo, nullptr, false);
  if (!linhas.is_array()) return;
  for (const auto& l : linhas) {
    try {
      vyn::ValorLinhaDYQ(l);
    } catch (const std::exception&) {
    }
  }
}

template <class T>
void Omie(const std::string& corpo) {
  const auto j = integracao::TJsonOmie::parse(corpo, nullptr, false);
  if (j.is_discarded()) return;
  T entidade(nullptr);
  try {
    entidade.FromJSON(j);
  } catch (const std::exception&) {
  }
}

// The report portal's refusals: the errors of its answer.
struct TPortal : vyn::TClientePortalVYNReport {
  using vyn::TClientePortalVYNReport::ErrosDaResposta;
  using vyn::TClientePortalVYNReport::TResposta;
};
void PortalRelatorios(const std::string& corpo) { TPortal::ErrosDaResposta(TPortal::TResposta{400, corpo}); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  if (tamanho == 0) return 0;
  const std::string corpo(reinterpret_cast<const char*>(dados) + 1, tamanho - 1);
  switch (dados[0] % 6) {
    case 0: Dyq(corpo); break;
    case 1: Omie<integracao::TMovimentosFiscais>(corpo); break;
    case 2: Omie<integracao::TMovimentosFinanceiros>(corpo); break;
    case 3: Omie<integracao::TClienteFornecedor>(corpo); break;
    case 4: Omie<integracao::TContasAPagar>(corpo); break;
    default: PortalRelatorios(corpo); break;
  }
  return 0;
}
