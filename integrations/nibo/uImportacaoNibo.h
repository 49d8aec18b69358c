#pragma once
// The Nibo import screen: one company's entries and service documents of one month from the Nibo
// service; the entries go through the entry-text importer and its review, the service documents to
// the fiscal module's import.
#include <string>
#include <vector>

#include "framework/ui/processo_empresa.h"
#include "framework/web/http_retry.h"

namespace vyn {
class TCheckBox;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TInconsistencias_VYN;
class TLabel;
class TLancamentoMGR;
class TPanel;
}  // namespace vyn

namespace integracao {

class TfrImportacaoNibo : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrImportacaoNibo(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoNibo"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbDatas;
  vyn::TEdit_Date_Padrao_VYN* edReferencia;
  vyn::TCheckBox* ckLancaContabil;
  vyn::TCheckBox* ckLancServico;
  vyn::TLabel* lbCODPLATROCAINT;
  vyn::TEdit_Codigo_Search_VYN* edCODPLATROCAINT;
  vyn::TSpeedButton* spPlanoTroca;
  vyn::TPanel* pnCODPLATROCAINT;
  vyn::TSpeedButton* spGerarTransacao;
  vyn::TInconsistencias_VYN* Inconsistencias_VYN;

  vyn::TLancamentoMGR* FLancamentoDAO = nullptr;
  std::vector<std::string> wListaNotasNFS;
  std::vector<std::string> wIdentificadoresNFS;   // each note's identity in the queue, in the same order
  int FRef = 0;

  bool PossuiImportacao() const { return FPossuiImportacao; }
  // A scheduled run's service documents that entered the fiscal queue (new ones only).
  int NotasEnfileiradas() const { return FNotasEnfileiradas; }
  void SetPossuiImportacao(bool v) { FPossuiImportacao = v; }

  // How a scheduler task drives the screen: unattended, its waits through the task's sleeper when it
  // has one, the company looked up as a user would and the reference month of the run.
  void PreparaExecucaoAgendada(int codEmpresa, int referencia, const vyn::TSleeper& sleeper);

  // Attempts of the client and the wait between them; the sleeper is injectable.
  static constexpr int kTentativas = 15;
  static constexpr int kEsperaMs = 5000;
  vyn::TSleeper Sleeper = vyn::RealSleeper();
  // Read time-out of the client's requests (milliseconds).
  int ReadTimeout = 60000;
  // Set, entry lines equal to entries already posted are not posted again, and the review says so:
  // Nibo answers a month with every entry it holds, those the schedule or an earlier run posted too.
  bool CompararLancamentos = true;

 protected:
  void FormShow() override;
  void CreateDAO() override;
  void Processo() override;

 private:
  void ckLancaContabilClick(vyn::TComponent* sender);
  void ImportaNotas();
  void ImportaLancamentos(const std::string& arquivo);
  bool FPossuiImportacao = false;
  int FNotasEnfileiradas = 0;
};

}  // namespace integracao
