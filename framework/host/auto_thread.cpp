#include "framework/component/resultado_execucao.h"
#include "framework/host/auto_thread.h"

#include <exception>
#include <limits>

#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/data/disputa.h"
#include "framework/data/fb_database.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/dialogs.h"

namespace vyn {

namespace {

TDatabase* BancoAberto() {
  TDatabase* db = ProcessContext().Database;
  return db && db->Connected() ? db : nullptr;
}

std::vector<std::string> CamposChave() {
  return {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO"};
}

std::vector<TSQLValor> ValoresChave(const TChaveAgendamento& k) {
  return {k.BDCODAGENDAMENTO, k.BDCODEMP, k.BDCODPLANOTARVO, k.BDORDEMAGENDAMENTO};
}

// Status rows and run-log lines commit on their own: they must outlive a rollback of the task's work.
// Another workstation running the same scheduled run may insert the row between this one's look and
// its insert (UPDATE OR INSERT is not atomic across attachments): the row is there then, and the
// next attempt updates it.
void GravaAutonomo(TDatabase& db, const std::string& sql, const TParams& params) {
  RepeteSeDisputado([&] { db.ExecuteReturningAutonomous(sql, params); });
}

void GravaLinhaLog(TDatabase& db, const std::string& classe, const std::string& linha) {
  const TChaveAgendamento k = ChaveAgendamento(ProcessContext().WP_EMPRESA_PROCESSO);
  GravaAutonomo(db,
                std::string("INSERT INTO ") + kTabelaLogTarvo +
                    " (BDID, BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO, BDCLASSE, "
                    "BDDATAHORA, BDTEXTO) VALUES (GEN_ID(GEN_VSH_EMP_TLOG_TARVO, 1), ?, ?, ?, ?, ?, "
                    "CURRENT_TIMESTAMP, ?)",
                {k.BDCODAGENDAMENTO, k.BDCODEMP, k.BDCODPLANOTARVO, k.BDORDEMAGENDAMENTO, classe,
                 TextoParaColuna(db, kTabelaLogTarvo, "BDTEXTO", linha)});
}

}  // namespace

TChaveAgendamento ChaveAgendamento(int codEmp) {
  const TProcessContext& ctx = ProcessContext();
  return {ctx.WP_AGENDAMENTO, codEmp, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO};
}

TAutoThreadPadrao::TAutoThreadPadrao(TComponent* owner) : TComponent(owner) {}

bool TAutoThreadPadrao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadPadrao") || TComponent::InheritsFrom(class_name);
}

bool TAutoThreadPushPadrao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadPushPadrao") || TAutoThreadPadrao::InheritsFrom(class_name);
}

std::string TAutoThreadPadrao::GetParametro(const std::string& name) const {
  auto it = params_.find(UpperCase(name));
  return it == params_.end() ? std::string() : it->second;
}

void TAutoThreadPadrao::SetParametro(const std::string& name, const std::string& value) {
  params_[UpperCase(name)] = value;
}

int TAutoThreadPadrao::EmpresaExecucao() const {
  const std::string s = Trim(GetParametro("cod_empresa"));
  const auto v = WholeInteger(s);
  if (v && *v >= std::numeric_limits<int>::min() && *v <= std::numeric_limits<int>::max()) return static_cast<int>(*v);
  return ProcessContext().CurrentCompany;
}

void TAutoThreadPadrao::GravarLogTarvo(const std::string& texto) {
  const std::string linha = RemoveCaret(texto);
  log_.push_back(linha);
  if (TDatabase* db = BancoAberto()) GravaLinhaLog(*db, ClassName(), linha);
  if (OnLog) OnLog(linha);
}

void TAutoThreadPadrao::InsereConferenciaImportacoes(int tipo, TTipoStatusConferencia status,
                                                     const std::string& mensagem) {
  conferencias_.insert(tipo);
  conferenciasAbertas_.erase(tipo);
  // The row's status is what the task found: the run's own status follows it (the result message
  // does not).
  if (status == tscErro) {
    conferenciasErro_.insert(tipo);
    if (resultado_.Falha.empty()) resultado_.Falha = mensagem.empty() ? "Erro desconhecido" : RemoveCaret(mensagem);
  } else if (status == tscInconsistente) {
    resultado_.Inconsistencias.push_back(RemoveCaret(mensagem));
  }
  GravaConferencia(tipo, status, mensagem);
}

void TAutoThreadPadrao::AbreConferenciaImportacoes(int tipo) {
  conferencias_.insert(tipo);
  conferenciasAbertas_.insert(tipo);
  GravaConferencia(tipo, tscErro, kExecucaoNaoConcluida);
}

void TAutoThreadPadrao::GravaConferencia(int tipo, TTipoStatusConferencia status, const std::string& mensagem) {
  TDatabase* db = BancoAberto();
  if (!db) return;
  std::vector<std::string> campos = CamposChave();
  std::vector<TSQLValor> valores = ValoresChave(ChaveAgendamento(ProcessContext().WP_EMPRESA_PROCESSO));
  campos.insert(campos.end(), {"BDTIPOCONFERENCIA", "BDCODSTATUS", "BDINCONSISTENCIA", "BDDATAEXECUTADO"});
  valores.insert(valores.end(),
                 {tipo, static_cast<int>(status),
                  TextoParaColuna(*db, kTabelaConferenciaImportacoes, "BDINCONSISTENCIA", RemoveCaret(mensagem)),
                  TSQLValor::Expressao("CURRENT_TIMESTAMP")});
  std::vector<std::string> matching = CamposChave();
  matching.push_back("BDTIPOCONFERENCIA");
  const TComandoSQL cmd = getUpdateOrInsert_VYN(kTabelaConferenciaImportacoes, campos, valores, matching);
  GravaAutonomo(*db, cmd.SQL, cmd.Params);
}

void TAutoThreadPadrao::pLogAtualizaConf(TTipoStatusConferencia status, const std::string& mensagem) {
  // A task that judges its run after ExecuteTask rewrites the row: the outcome read in memory follows.
  status_ = status;
  mensagem_ = RemoveCaret(mensagem);
  TDatabase* db = BancoAberto();
  if (!db) return;
  std::vector<std::string> campos = CamposChave();
  std::vector<TSQLValor> valores = ValoresChave(ChaveAgendamento(ProcessContext().WP_EMPRESA_PROCESSO));
  campos.insert(campos.end(), {"BDCLASSE", "BDCODSTATUS", "BDINCONSISTENCIA", "BDDATAEXECUTADO"});
  valores.insert(valores.end(),
                 {ClassName(), static_cast<int>(status),
                  TextoParaColuna(*db, kTabelaStatusExecucao, "BDINCONSISTENCIA", RemoveCaret(mensagem)),
                  TSQLValor::Expressao("CURRENT_TIMESTAMP")});
  const TComandoSQL cmd = getUpdateOrInsert_VYN(kTabelaStatusExecucao, campos, valores, CamposChave());
  GravaAutonomo(*db, cmd.SQL, cmd.Params);
}

void TAutoThreadPadrao::ExecuteTask() {
  TProcessContext& ctx = ProcessContext();
  ctx.FMensagemInconsistencia.clear();
  ctx.WP_EMPRESA_PROCESSO = EmpresaExecucao();
  resultado_ = TResultadoExecucao();
  TEscopoResultadoExecucao aberto(resultado_);
  log_.clear();
  conferencias_.clear();
  conferenciasErro_.clear();
  conferenciasAbertas_.clear();
  status_ = tscSucesso;
  mensagem_.clear();
  TExecucaoConcluida::Reabre();   // an earlier run's completion is not this one's
  try {
    // The row says the run started, and reads as a failure until the run ends (a killed run never
    // ends); an earlier run's status and text under the same key are gone.
    pLogAtualizaConf(tscErro, kExecucaoNaoConcluida);
    TUnattendedScope unattended;
    if (DeveSincronizarThread())
      Sincronizar([this] { Execute(); });
    else
      Execute();
    // Its work was neither committed nor undone: it is lost when the database closes.
    if (TDatabase* db = BancoAberto(); db && db->InTransaction())
      throw EDatabaseError("A tarefa terminou com uma transação aberta; nada foi gravado.");
  } catch (const std::exception& e) {
    Falhou(e.what());
    EncerraResultado();
    throw;
  } catch (const EInterrupcao& e) {
    Falhou(e.Mensagem());
    EncerraResultado();
    throw;
  } catch (...) {
    Falhou("Erro desconhecido");
    EncerraResultado();
    throw;
  }
  // The work is done and committed: a signal now does not undo what the row reports.
  TSemInterrupcao relato;
  JulgaExecucao();
  EncerraResultado();
}

// Only what this run recorded counts: a failure it reported, then its inconsistencies. The result
// message alone (an end message such as "Importação finalizada: ...") is a run that did its work.
TStatusResultado StatusDoResultado(const TResultadoExecucao& resultado) {
  if (!resultado.Falha.empty()) return {tscErro, resultado.Falha};
  if (!resultado.Inconsistencias.empty()) return {tscInconsistente, resultado.Inconsistencias.back()};
  return {tscSucesso, resultado.Mensagem};
}

void TAutoThreadPadrao::JulgaExecucao() {
  const TStatusResultado s = StatusDoResultado(resultado_);
  if (s.Status == tscErro) {
    Falhou(s.Mensagem);
    return;
  }
  pLogAtualizaConf(s.Status, s.Mensagem);
  for (int tipo : std::set<int>(conferenciasAbertas_)) GravaConferencia(tipo, s.Status, s.Mensagem);
  conferenciasAbertas_.clear();
}

// The automation service prints the run's result message after the run. A run that was not clean
// names its reason there too: an end message reported after a failure must not hide it.
void TAutoThreadPadrao::EncerraResultado() {
  std::string motivo;
  if (status_ == tscErro)
    motivo = mensagem_;
  else if (!resultado_.Inconsistencias.empty())
    motivo = resultado_.Inconsistencias.back();
  std::string mensagem = resultado_.Mensagem;
  if (!motivo.empty() && mensagem.find(motivo) == std::string::npos)
    mensagem = mensagem.empty() ? motivo : mensagem + " " + motivo;
  ProcessContext().FMensagemInconsistencia = mensagem;
}

// The work left open is undone first, then the failure reaches the log and the status rows; a row
// that cannot be written is noted in the log, and the task's own exception is the one raised.
void TAutoThreadPadrao::Falhou(const std::string& mensagem) {
  status_ = tscErro;
  mensagem_ = RemoveCaret(mensagem);
  log_.push_back(mensagem_);
  TDatabase* db = BancoAberto();
  if (!db) return;
  TSemInterrupcao relato;
  try {
    if (db->InTransaction()) db->Rollback();
    GravaLinhaLog(*db, ClassName(), mensagem_);
    pLogAtualizaConf(tscErro, mensagem_);
    // A row the task already marked failed keeps the task's own wording.
    for (int tipo : std::set<int>(conferencias_))
      if (!conferenciasErro_.count(tipo)) InsereConferenciaImportacoes(tipo, tscErro, mensagem_);
  } catch (const std::exception& e) {
    log_.push_back(std::string("Falha ao gravar o status da execução: ") + e.what());
  }
}

}  // namespace vyn
