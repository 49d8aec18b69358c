#pragma once
// Omie fiscal documents (/contador/xml/): the XML of NF-e, NFC-e, CT-e and CT-e OS.
#include <string>

#include "framework/core/datetime.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace integracao {

// HTML character references (&lt; &amp; &#233; &#xE9; ...) back to UTF-8 characters; unknown ones stay.
std::string CaracterHTMLtoString(const std::string& texto);

class TMovimentosFiscais : public TObjetoOmie {
 public:
  using TObjetoOmie::TObjetoOmie;
  std::string ClassName() const override { return "TMovimentosFiscais"; }

  std::string FXML;
  std::string FNumero;
  std::string FIdNF;
  std::string FIdPedido;
  std::string FStatus;
  std::string FChaveNFe;

  TJsonOmie ToJSON() const override { return TJsonOmie::object(); }
  // Omie's status "10" is a cancelled document: its authorisation (cStat 100) reads as the approved
  // cancellation (101).
  void FromJSON(const TJsonOmie& prJSONObject) override;
};

class TIntegracaoOmieMovimentosFiscais_VYN : public TIntegracaoOmie_VYN<TMovimentosFiscais> {
 public:
  using TIntegracaoOmie_VYN::TIntegracaoOmie_VYN;
  std::string ClassName() const override { return "TIntegracaoOmieMovimentosFiscais_VYN"; }
  std::string GetURL() const override { return "/contador/xml/"; }

  TRetornoOmieLista<TMovimentosFiscais>* GetMovimentosDaReferencia(vyn::TDateTime prDataInicial,
                                                                  vyn::TDateTime prDataFinal,
                                                                  const std::string& prModelo,
                                                                  const std::string& prOperacao);
};

}  // namespace integracao
