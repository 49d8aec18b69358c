#pragma once
// The task bases: components the host's automation service creates by class name, hands named
// string parameters (or one JSON object) and runs through ExecuteTask.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/component/class_registry.h"
#include "framework/component/component.h"
#include "framework/component/process_context.h"
#include "framework/component/resultado_execucao.h"

namespace vyn {

enum TTipoStatusConferencia {
  tscSucesso = 1,
  tscInconsistente = 2,
  tscSubstituido = 3,
  tscExcluido = 4,
  tscErro = 5
};

// The status row an outcome leaves: 5 with the failure's text, else 2 with the last inconsistency,
// else 1 with the result message.
struct TStatusResultado {
  TTipoStatusConferencia Status = tscSucesso;
  std::string Mensagem;
};
TStatusResultado StatusDoResultado(const TResultadoExecucao& resultado);

// The scheduler's run key of every status row.
struct TChaveAgendamento {
  int BDCODAGENDAMENTO = 0;
  int BDCODEMP = 0;
  int BDCODPLANOTARVO = 0;
  int BDORDEMAGENDAMENTO = 0;
};
// The key of the current run for a company: WP_AGENDAMENTO, the company, WP_PLANO_TARVO,
// WP_ORDEM_AGENDAMENTO.
TChaveAgendamento ChaveAgendamento(int codEmp);

// Tables the bases write.
inline constexpr const char* kTabelaStatusExecucao = "VSH_EMP_TCONF_EXECUCAO";
inline constexpr const char* kTabelaConferenciaImportacoes = "VSH_EMP_TCONF_IMPORTACOES";
inline constexpr const char* kTabelaLogTarvo = "VSH_EMP_TLOG_TARVO";
// What the status rows of a run say from its start until it ends.
inline constexpr const char* kExecucaoNaoConcluida = "Execução iniciada e não concluída.";

class TAutoThreadPadrao : public TComponent {
 public:
  explicit TAutoThreadPadrao(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TAutoThreadPadrao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Whether the service must run the task's work in step with the host's main thread.
  virtual bool DeveSincronizarThread() { return false; }
  // Runs the work on the host's main thread (the host has one thread: it runs it now).
  virtual void Sincronizar(const std::function<void()>& work) { work(); }

  // Runs the task: a start row (status 1, no text), Execute inside an unattended stretch with the
  // run's outcome open (Resultado: what the task, the screens it opens and the conference rows it
  // wrote with status 5 or 2 reported), then the run's status row judged once from that outcome
  // (StatusDoResultado); its result message is handed on in FMensagemInconsistencia. An
  // exception leaving Execute rolls back an open transaction, leaves status 5 with its text on the
  // run's row and on every conference row the run wrote, and is raised again; so does a
  // transaction Execute leaves open. Status rows and log lines are committed on their own, apart
  // from the task's work.
  virtual void ExecuteTask();

  // Named string parameters; an absent name gives "" (names without regard to case).
  std::string GetParametro(const std::string& name) const;
  void SetParametro(const std::string& name, const std::string& value);
  const std::map<std::string, std::string>& ParametrosNomeados() const { return params_; }
  // The JSON parameter object of tasks with structured input.
  nlohmann::json Parametros = nlohmann::json::object();

  // The process context of the run.
  TProcessContext& ProcessoInfo() const { return ProcessContext(); }
  // What the current (or last) run reported.
  const TResultadoExecucao& Resultado() const { return resultado_; }

  // The run's log: kept here and written to the run-log table when a database is open.
  void GravarLogTarvo(const std::string& texto);
  const std::vector<std::string>& LogTarvo() const { return log_; }
  // Told each line as the run writes it: whoever runs the task shows the log as it grows.
  std::function<void(const std::string&)> OnLog;

  // The run's conference row of one kind (5 Nibo entries, 6 Dyq entries, ...), message cut to
  // the column's width. Status 5 is a failure of the run, 2 an inconsistency of it.
  void InsereConferenciaImportacoes(int tipo, TTipoStatusConferencia status, const std::string& mensagem);
  // The conference row of a run that has started: it reads as a failure ("Execução iniciada e não
  // concluída.") until the task writes its own, or the run's end writes the run's status there. A run
  // killed midway never leaves a success behind.
  void AbreConferenciaImportacoes(int tipo);

  // The run's company: "cod_empresa" when it is a number, else the host's current company.
  int EmpresaExecucao() const;

  // Outcome of the last ExecuteTask.
  TTipoStatusConferencia StatusExecucao() const { return status_; }
  const std::string& MensagemExecucao() const { return mensagem_; }

 protected:
  // The task's work; overrides call the inherited one first.
  virtual void Execute() {}
  // Writes the run's status row; StatusExecucao and MensagemExecucao then read the same.
  virtual void pLogAtualizaConf(TTipoStatusConferencia status, const std::string& mensagem);

 private:
  void JulgaExecucao();
  void Falhou(const std::string& mensagem);
  void GravaConferencia(int tipo, TTipoStatusConferencia status, const std::string& mensagem);
  void EncerraResultado();
  std::map<std::string, std::string> params_;  // by upper-cased name
  std::vector<std::string> log_;
  std::set<int> conferencias_;                 // kinds written in this run
  std::set<int> conferenciasErro_;             // kinds the task itself marked failed, with its own text
  std::set<int> conferenciasAbertas_;          // kinds opened and not written since
  TTipoStatusConferencia status_ = tscSucesso;
  std::string mensagem_;
  TResultadoExecucao resultado_;
};

// The push-task base: tasks the automation server pushes to the workstation.
class TAutoThreadPushPadrao : public TAutoThreadPadrao {
 public:
  explicit TAutoThreadPushPadrao(TComponent* owner = nullptr) : TAutoThreadPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadPushPadrao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  bool FIsTARVOECF = false;  // this run is an ECF export
};

}  // namespace vyn
