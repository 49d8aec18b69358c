#pragma once
// Omie payables (/financas/contapagar/).
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace integracao {

class TContasAPagar : public TObjetoOmie {
 public:
  using TObjetoOmie::TObjetoOmie;
  std::string ClassName() const override { return "TContasAPagar"; }

  std::string CodigoIntegracao;
  std::string CodigoCliente;
  std::string DataVencimento;   // as the caller wrote it (dd/MM/yyyy)
  std::string DataPrevisao;
  vyn::Currency ValorDocumento;

  TJsonOmie ToJSON() const override;
  // A malformed amount raises: a wrong figure must not pass silently.
  void FromJSON(const TJsonOmie& prJSONObject) override;
};

// The amount as Omie takes it: two decimals, a point, no grouping ("1234.50").
std::string ValorOmie(vyn::Currency valor);

class TIntegracaoOmieContasAPagar_VYN : public TIntegracaoOmie_VYN<TContasAPagar> {
 public:
  using TIntegracaoOmie_VYN::TIntegracaoOmie_VYN;
  std::string ClassName() const override { return "TIntegracaoOmieContasAPagar_VYN"; }
  std::string GetURL() const override { return "/financas/contapagar/"; }

  TRetornoOmieLista<TContasAPagar>* GetPagosDaReferencia(vyn::TDateTime prDataInicial, vyn::TDateTime prDataFinal,
                                                         int prClienteOmie, bool prSomenteAPI);
  // prSituacao: what became of each payable sent (see RealizaPostGenericoEmLote).
  TRetornoOmieRegistro IncluirPorLote(const std::vector<TContasAPagar*>& prInclusoes,
                                      std::vector<TSituacaoLoteOmie>* prSituacao = nullptr);
};

}  // namespace integracao
