#pragma once
// The host's working context: one per process, as the suite's host holds it. Besides the class
// registry this is the only process-wide state; it holds the host's values as named members.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vyn {

class TDatabase;          // framework/data: the company database attachment
class IDialogService;     // framework/ui: dialogs, rights prompt, file chooser, shell
class TSQLMGRPool;        // framework/data: pooled SQL managers

struct TProcessContext {
  // The company database every data-access object uses unless given another.
  TDatabase* Database = nullptr;
  TSQLMGRPool* SQLPool = nullptr;
  IDialogService* Dialogs = nullptr;

  int UserCode = 0;
  std::string UserName;
  std::string UserIntranetName;     // WP_NOMEUSUARIOINTRANET: the user's name on the intranet
  std::string Workstation;
  int CurrentCompany = 0;           // BDCODEMP
  int Referencia = 0;               // reference month YYYYMM
  std::string ProgramFolder;        // the host executable's folder; work files live under it
  std::string CustomerCode;         // the installation's customer code
  std::string WP_DATA_ATUAL;        // the host's working date (DD/MM/YYYY); empty: today
  std::string WP_RESPONSAVEL;       // the responsible user the rights prompt named
  bool WP_USUARIO_INTEGRA_EQUIPE = false;   // the user belongs to the services team
  bool WP_GRUPOMASTER = false;              // the user belongs to the master group

  // The scheduler's run key and flags.
  int WP_AGENDAMENTO = 0;
  int WP_PLANO_TARVO = 0;
  int WP_ORDEM_AGENDAMENTO = 0;
  bool WP_RETAINSERVERORDER = false;

  // The result message of an unattended run (the last message wins). On its own it says nothing
  // of the run's outcome: an end message such as "Importação finalizada: ..." is a successful run.
  std::string FMensagemInconsistencia;
  // What the unattended run recorded for the task base's status (cleared when a task starts): the
  // inconsistencies it found (status 2) and a failure it reported without raising (status 5).
  std::vector<std::string> FInconsistenciasExecucao;
  std::string FFalhaExecucao;
  // The run's answer object to the automation server, as JSON object text (empty: no pairs yet).
  std::string FRetornoServidor;

  // framework/ui: how many unattended runs are open (a dialog inside one is a defect), the
  // host's progress drawing, the action-log writer and the posting-lock check.
  int Unattended = 0;
  class IProgressRenderer* Progress = nullptr;
  class ILogEventWriter* ActionLog = nullptr;
  class IPostingLockCheck* PostingLocks = nullptr;
  class ICodeLookup* CodeLookup = nullptr;      // the code edits' look-ups per code kind
  class TForm_VYN* MainForm = nullptr;          // the application's main form: owner of menu screens

  // framework/host: the company of the running task (its status rows' BDCODEMP) and whether the
  // host runs as the unattended automation service.
  int WP_EMPRESA_PROCESSO = 0;
  bool IsServiceVarku = false;
  // The reference month (YYYYMM) a scheduled run works on.
  int WP_REF_TARVO = 0;

  // The suite's decipher of stored service passwords (TString_VYN::GetDescriptografa); unset, a
  // stored password is taken as it is.
  std::function<std::string(const std::string&)> DecifraSenha;

  // framework/ui: the state a running report sequence shares with the screens it opens, and the
  // host's menus with the user's rights on screens (made on first use).
  std::shared_ptr<class TEstadoSequenciaRelatorio> WP_SEQUENCIARELATORIO;
  std::shared_ptr<class TMenuSistema> MenuSistema;

  // framework/component: the main thread's queue of work posted by other threads (run where the
  // host lets messages run); framework/web: the state of the background Omie entry fetch, one at a
  // time in the program. Both made on first use, on the main thread.
  std::shared_ptr<class TFilaMensagens> FilaMensagensPrincipal;
  std::shared_ptr<class TEstadoOmie> WP_ESTADO_OMIE;

  // The ECF checklist notice was shown since the host started.
  bool WP_MOSTROU_AVISO_ECF = false;
};
// The name the tasks and screens know it by.
using TProcessoVarku = TProcessContext;

TProcessContext& ProcessContext();

// An inconsistency of the unattended run; it also becomes the run's result message.
void RegistraInconsistenciaExecucao(const std::string& mensagem);
// A failure the unattended run reports without raising (the first one stands); it also becomes the
// run's result message.
void RegistraFalhaExecucao(const std::string& mensagem);

}  // namespace vyn
