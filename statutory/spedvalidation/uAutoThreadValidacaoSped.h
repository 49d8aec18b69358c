#pragma once
// The module's share of one scheduled SPED validation: exports the job's SPED file through the export
// screen of its kind into the validation work folder, records the outcome on the job row and, when
// the file is there, hands the job to the framework's job writer for the outside validator.
#include <memory>
#include <string>

#include "framework/accounting/validacao_sped.h"
#include "framework/data/fb_database.h"
#include "framework/host/auto_thread.h"

namespace integracao {

// The outcome of one export.
struct TResultado {
  std::string Erro;     // the failure text, empty when none
  std::string Arquivo;  // the exported file's full name, empty when none
  vyn::TTipoSped Rotina = vyn::tsECD;
};

// The work folder validacao_sped/temp under the program folder, with a trailing delimiter; created
// with its parents when missing.
std::string CaminhoTemp();

// One run of a job at a time, across workstations and processes. The run holds the job's row of
// TVALIDACAOSPED_EXECUCAO changed in a transaction of an attachment of its own for as long as it lives;
// the hold ends with the run however it ends (a killed process's attachment goes with it), so nothing
// is left to go stale and a rerun starts.
class TExecucaoAgendamento {
 public:
  // Raises std::runtime_error, touching nothing of the job, when another run holds it.
  TExecucaoAgendamento(vyn::TDatabase& banco, int id);
  ~TExecucaoAgendamento();
  TExecucaoAgendamento(const TExecucaoAgendamento&) = delete;
  TExecucaoAgendamento& operator=(const TExecucaoAgendamento&) = delete;

 private:
  vyn::TDatabase conexao_;
  std::unique_ptr<vyn::TTransaction> hold_;
};

class TAutoThreadValidacaoSped : public vyn::TAutoThreadPadrao {
 public:
  explicit TAutoThreadValidacaoSped(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadValidacaoSped"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void ExecuteFiscal(TResultado& r);
  void ExecuteContribuicoes(TResultado& r);
  void ExecuteECD(TResultado& r);
  void ExecuteECF(TResultado& r);
  // The job's PDF folder (composed only; nothing is created).
  std::string GetPastaPDF();

  vyn::TConfiguracoesValidacao FConfig;

 protected:
  void Execute() override;

 private:
  void Exporta(const std::string& classeTela, vyn::TTipoSped rotina, TResultado& r);
  // The job's steps once its row reads "Exportando arquivo...".
  void ExecutaAgendamento(int id, const std::string& onde);
  // Hands the exported file to the framework's job writer for the outside validator.
  void EntregaAoValidador(const TResultado& r, const std::string& validador, const std::string& pastaPDF);
  // The job's row ends with status 5 and the reason; its workstation, once known, is flagged.
  void FinalizaComFalha(const std::string& onde, const std::string& erro);
  int FMicro = -1;
  vyn::TVALIDACAOSPED_AGENDAMENTOSMGR* FDAO = nullptr;
  vyn::TVALIDACAOSPED_AGENDAMENTOSMGR* FDAOExec = nullptr;
};

}  // namespace integracao
