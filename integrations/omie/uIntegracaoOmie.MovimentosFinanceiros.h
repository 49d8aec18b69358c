#pragma once
// Omie financial movements (/financas/mf/): the settlements of payables.
#include <optional>
#include <string>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace integracao {

class TMovimentosFinanceiros : public TObjetoOmie {
 public:
  using TObjetoOmie::TObjetoOmie;
  std::string ClassName() const override { return "TMovimentosFinanceiros"; }

  std::string CodigoIntegracao;
  // Omie's own code of the payment ("nCodBaixa" of "detalhes"): the payment keeps it when its date or
  // amount is corrected in Omie, and a record repeated on another page carries the same.
  std::string CodigoBaixa;
  vyn::TDateTime DataPagamento;
  std::string NumeroDocumento;
  vyn::TDateTime DataVencimento;
  // What the payment paid ("nValPago", in the element's "resumo"): absent in an answer that does not tell
  // it, and then the guide's open balance is what was paid. A value that is no amount is kept as text.
  std::optional<vyn::Currency> ValorPago;
  std::string ValorPagoInvalido;
  // Omie says the payable is paid off ("cLiquidado" "S"): what the guide still owes was paid.
  bool Liquidado = false;

  TJsonOmie ToJSON() const override;
  // Dates DD/MM/YYYY; an empty one reads as 0, a malformed one raises.
  void FromJSON(const TJsonOmie& prJSONObject) override;
  void FromElementoLista(const TJsonOmie& prElemento) override;
};

class TIntegracaoOmieMovimentosFinanceiros_VYN : public TIntegracaoOmie_VYN<TMovimentosFinanceiros> {
 public:
  using TIntegracaoOmie_VYN::TIntegracaoOmie_VYN;
  std::string ClassName() const override { return "TIntegracaoOmieMovimentosFinanceiros_VYN"; }
  std::string GetURL() const override { return "/financas/mf/"; }

  // Payments of payables (BXCP) of one Omie customer in the period.
  TRetornoOmieLista<TMovimentosFinanceiros>* GetPagosDaReferencia(vyn::TDateTime prDataInicial,
                                                                  vyn::TDateTime prDataFinal,
                                                                  const std::string& prClienteOmie);
};

}  // namespace integracao
