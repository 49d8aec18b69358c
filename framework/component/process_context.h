#pragma once
// The host's working context: one per process, as the suite's host holds it. Besides the class
// registry this is the only process-wide state; it holds the host's values as named members, in
// three groups: what the host was started with, the services it installs, and the state of the
// work running now. Engines take what they use as arguments; only a screen or task reads it where
// it starts, and a run that must change one of its values does so through TValorTemporario
// (framework/component/valor_temporario.h), which puts it back.
#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;          // framework/data: the company database attachment
class IDialogService;     // framework/ui: dialogs, rights prompt, file chooser, shell
class TSQLMGRPool;        // framework/data: pooled SQL managers
struct TResultadoExecucao;  // framework/component/resultado_execucao.h

struct TProcessContext {
  // ---- Host configuration: set when the host starts (and by a test's set-up), read-only after.
  int UserCode = 0;
  std::string UserName;
  std::string UserIntranetName;     // WP_NOMEUSUARIOINTRANET: the user's name on the intranet
  std::string Workstation;
  std::string ProgramFolder;        // the host executable's folder; work files live under it
  std::string CustomerCode;         // the installation's customer code
  std::string WP_DATA_ATUAL;        // the host's working date (DD/MM/YYYY); empty: today
  bool WP_USUARIO_INTEGRA_EQUIPE = false;   // the user belongs to the services team
  bool WP_GRUPOMASTER = false;              // the user belongs to the master group
  // The host runs as the unattended automation service.
  bool IsServiceVarku = false;
  // The host shows its screens as windows of their own rather than docked inside its main window
  // (TUtilForms_VYN.Desacoplado): a screen that would become a child of the main window stays normal.
  bool Desacoplado = false;

  // ---- Services: installed once by the host, or made on first use on the main thread.
  // The company database every data-access object uses unless given another.
  TDatabase* Database = nullptr;
  TSQLMGRPool* SQLPool = nullptr;
  IDialogService* Dialogs = nullptr;
  // framework/ui: the host's progress drawing, the action-log writer, the posting-lock check, the
  // code edits' look-ups per code kind and the application's main form (owner of menu screens).
  class IProgressRenderer* Progress = nullptr;
  class ILogEventWriter* ActionLog = nullptr;
  class IPostingLockCheck* PostingLocks = nullptr;
  class ICodeLookup* CodeLookup = nullptr;
  class TForm_VYN* MainForm = nullptr;
  // framework/host: where the user's notifications are left (unset: a run keeps its result in memory).
  class INotificacoes* Notificacoes = nullptr;
  // The suite's decipher of stored service passwords (TString_VYN::GetDescriptografa); unset, a
  // stored password is taken as it is.
  std::function<std::string(const std::string&)> DecifraSenha;
  // framework/ui: the host's menus with the user's rights on screens (made on first use).
  std::shared_ptr<class TMenuSistema> MenuSistema;
  // framework/component: the main thread's queue of work posted by other threads (run where the
  // host lets messages run; made on first use).
  std::shared_ptr<class TFilaMensagens> FilaMensagensPrincipal;

  // ---- Run state: what the user or the scheduler is working on now.
  int CurrentCompany = 0;           // BDCODEMP
  int Referencia = 0;               // reference month YYYYMM (TPublicas::SetReferencia moves the session too)
  // The workstation's period date: the end of the period a run last went through (an ECF export
  // sets it). The host shows it when a run leaves one; zero: none.
  TDateTime DataPeriodo;
  std::string WP_RESPONSAVEL;       // the responsible user the rights prompt named

  // The scheduler's run key and flags.
  int WP_AGENDAMENTO = 0;
  int WP_PLANO_TARVO = 0;
  int WP_ORDEM_AGENDAMENTO = 0;
  bool WP_RETAINSERVERORDER = false;
  // framework/host: the company of the running task (its status rows' BDCODEMP) and the reference
  // month (YYYYMM) a scheduled run works on.
  int WP_EMPRESA_PROCESSO = 0;
  int WP_REF_TARVO = 0;

  // framework/ui: how many unattended runs are open (a dialog inside one is a defect).
  int Unattended = 0;
  // The outcome of the task running now, which it and the screens it opens report into
  // (framework/component/resultado_execucao.h); nullptr outside a task.
  TResultadoExecucao* ResultadoAberto = nullptr;
  // The last task's result message as the automation service hands it on: the task base copies it
  // from the run's outcome when the run ends.
  std::string FMensagemInconsistencia;
  // The run's answer object to the automation server, as JSON object text (empty: no pairs yet).
  std::string FRetornoServidor;

  // framework/ui: the state a running report sequence shares with the screens it opens;
  // framework/web: the state of the background Omie entry fetch, one at a time in the program.
  std::shared_ptr<class TEstadoSequenciaRelatorio> WP_SEQUENCIARELATORIO;
  std::shared_ptr<class TEstadoOmie> WP_ESTADO_OMIE;

  // The ECF checklist notice was shown since the host started.
  bool WP_MOSTROU_AVISO_ECF = false;

  // framework/component/interrupcao.h: the signal that asked the running work to stop (set by the
  // signal handler only) and how many clean-ups of an interrupted run are open.
  volatile std::sig_atomic_t SinalInterrupcao = 0;
  int InterrupcaoSuspensa = 0;
  // The running work said it is complete (TExecucaoConcluida): a signal no longer ends it as interrupted.
  bool ExecucaoConcluida = false;
};
// The name the tasks and screens know it by.
using TProcessoVarku = TProcessContext;

TProcessContext& ProcessContext();

}  // namespace vyn
