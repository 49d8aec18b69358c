#pragma once
// The Omie fetch of one company's fiscal documents of one month (NF-e, NFC-e, CT-e, CT-e OS, received
// and issued): each document's XML to a file, and the files, kind by kind, into the fiscal import queue.
#include <functional>
#include <string>
#include <vector>

#include "framework/host/int_ef_api_parceiros.h"

namespace integracao {

class TIntegracaoOmieBase;
template <class T>
class TRetornoOmieLista;
class TMovimentosFiscais;

// A company's Omie application key as stored, and its secret made plain.
std::string ChaveOmieEmpresa(const vyn::TComponent* owner, int prCodEmp);
std::string SenhaOmieEmpresa(const vyn::TComponent* owner, int prCodEmp);

class TInt_EF_API_Omie : public vyn::TInt_EF_API_Parceiros {
 public:
  explicit TInt_EF_API_Omie(vyn::TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TInt_EF_API_Omie"; }

  int GetOrigem() override { return 5; }

  // The text to show: a credential error, the summary of what was queued, or that nothing was found.
  std::string GetArquivos(int prCodEmp, int prReferencia, const std::vector<std::string>& prTiposArq,
                          vyn::TTipoMovimento prTipoMov);
  // Loads the company's key and secret: empty, or the message of what is missing.
  std::string BuscaAutenticacao();
  static void ApagarDiretorio(const std::string& prCaminho);

  bool RealizouProcesso() const { return FRealizouProcesso; }
  // What kept the last GetArquivos from fetching (missing credentials, a bad reference, Omie's
  // refusals); empty when nothing did. Nothing waiting in the month is no failure.
  const std::string& Falha() const { return FFalha; }
  const std::string& Diretorio() const { return FDiretorio; }

  // Applied to the Omie client of the run (address and waits of a test or a host configuration).
  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 private:
  void AddArquivos(const std::string& prPasta, const TRetornoOmieLista<TMovimentosFiscais>& prRetorno,
                   std::vector<TDocumentoParceiro>& prLista);

  bool FPossuiNotas = false;
  bool FRealizouProcesso = false;
  int FSemIdentificacao = 0;   // documents of the run without key or id
  std::string FFalha;
  std::string FAppKey;
  std::string FAppSecret;
};

}  // namespace integracao
