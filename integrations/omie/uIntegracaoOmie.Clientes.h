#pragma once
// Omie customers and suppliers (/geral/clientes/).
#include <string>
#include <vector>

#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace integracao {

class TClienteFornecedor : public TObjetoOmie {
 public:
  using TObjetoOmie::TObjetoOmie;
  std::string ClassName() const override { return "TClienteFornecedor"; }

  std::string CodigoCliente;
  std::string CodigoClienteOmie;   // Omie's own code, only read
  std::string RazaoSocial;
  std::string NomeFantasia;
  std::string CPFCNPJ;
  std::string Estado;
  std::string Pais;

  // Omie's field limits, counted in characters.
  TJsonOmie ToJSON() const override;
  void FromJSON(const TJsonOmie& prJSONObject) override;
};

class TIntegracaoOmieClientes_VYN : public TIntegracaoOmie_VYN<TClienteFornecedor> {
 public:
  using TIntegracaoOmie_VYN::TIntegracaoOmie_VYN;
  std::string ClassName() const override { return "TIntegracaoOmieClientes_VYN"; }
  std::string GetURL() const override { return "/geral/clientes/"; }

  TRetornoOmie<TClienteFornecedor>* GetPeloCodigoIntegracao(const std::string& prCodigoIntegracao);
  TRetornoOmie<TClienteFornecedor>* Upsert(const TClienteFornecedor& prInclusao);
  void UpsertPorLote(const std::vector<TClienteFornecedor*>& prInclusoes);
};

}  // namespace integracao
