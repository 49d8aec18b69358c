#include "statutory/spedvalidation/uAutoThreadValidacaoSped.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "framework/component/resultado_execucao.h"
#include "framework/component/boxed_values.h"
#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/data/sql_value.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/integracao_padrao.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;
namespace fs = std::filesystem;

namespace {

std::string PastaComBarra(std::string pasta) {
  if (pasta.empty() || pasta.back() != '/') pasta += '/';
  return pasta;
}

// The list may open with an informative line; the reason worth recording is its first error, else
// its first warning, else whatever it holds.
std::string MotivoDaFalha(const TInconsistencias_VYN& lista) {
  const auto& itens = lista.Itens();
  for (TNivelInconsistencia nivel : {niErro, niAtencao})
    for (const auto& item : itens)
      if (item.Nivel == nivel) return item.Caption;
  return itens.empty() ? std::string() : itens.front().Caption;
}

}  // namespace

std::string CaminhoTemp() {
  std::string pasta = TUtilValidacaoSped::PastaValidacaoSped() + "temp/";
  fs::create_directories(pasta);
  return pasta;
}

namespace {
std::string JaEmExecucao(int id) {
  return "O agendamento de validação " + std::to_string(id) +
         " já está sendo executado em outra estação; esta execução não foi iniciada.";
}
}  // namespace

TExecucaoAgendamento::TExecucaoAgendamento(TDatabase& banco, int id) {
  const char* const kLinha = "SELECT BDID FROM TVALIDACAOSPED_EXECUCAO WHERE BDID = ?";
  // The row must be committed before a run changes it: only a committed row is waited for.
  if (banco.QueryValue(kLinha, {id}).IsNull()) {
    try {
      banco.ExecuteReturningAutonomous("INSERT INTO TVALIDACAOSPED_EXECUCAO (BDID) VALUES (?) RETURNING BDID", {id});
    } catch (const EDatabaseError& e) {
      if (!e.IsUniqueViolation()) throw;   // made at the same moment by another run
    }
  }
  // Refused at once while a run holds it, rather than queued behind it.
  if (banco.MeetsUncommittedChange(kLinha, {id})) throw std::runtime_error(JaEmExecucao(id));
  conexao_.Open(banco.ConnectionString());
  // Without waiting: a run that would wait for the holder would run the job again once it let go.
  hold_ = std::make_unique<TTransaction>(conexao_, TTransaction::kSemEspera);
  try {
    conexao_.Execute("UPDATE TVALIDACAOSPED_EXECUCAO SET BDID = BDID WHERE BDID = ?", {id});
  } catch (const EDatabaseError& e) {
    // Another run took it between the look and the change.
    if (e.IsLockConflict()) throw std::runtime_error(JaEmExecucao(id));
    throw;
  }
}

TExecucaoAgendamento::~TExecucaoAgendamento() {
  // Nothing was changed: the rollback only lets the row go.
  const TSemInterrupcao limpeza;
  try {
    hold_.reset();
    conexao_.Close();
  } catch (...) {   // a lost attachment has let the row go already
  }
}

bool TAutoThreadValidacaoSped::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadValidacaoSped") || TAutoThreadPadrao::InheritsFrom(class_name);
}

void TAutoThreadValidacaoSped::Exporta(const std::string& classeTela, TTipoSped rotina, TResultado& r) {
  r.Rotina = rotina;
  TForm_VYN* form = TPackagesUtil::CarregaForm(this, classeTela);
  auto* tela = dynamic_cast<TfrIntegracao_Empresa_Padrao_VYN*>(form);
  if (!tela) throw std::runtime_error("A tela " + classeTela + " não é uma tela de exportação.");
  r.Arquivo = tela->ExportaToValidador(static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger()),
                                       FDAO->FieldByName("BDDATAINI").AsDateTime(),
                                       FDAO->FieldByName("BDDATAFIM").AsDateTime(), CaminhoTemp());
  if (r.Arquivo.empty() && tela->Inconsistencias_VYN) r.Erro = MotivoDaFalha(*tela->Inconsistencias_VYN);
  // The screen stays with the task, its owner.
}

void TAutoThreadValidacaoSped::ExecuteFiscal(TResultado& r) { Exporta("TfrExportacaoSped", tsFiscal, r); }
void TAutoThreadValidacaoSped::ExecuteContribuicoes(TResultado& r) {
  Exporta("TfrExportacaoSpedContribuicoes", tsContribuicoes, r);
}
void TAutoThreadValidacaoSped::ExecuteECD(TResultado& r) { Exporta("TfrExportacaoSpedVzel", tsECD, r); }
void TAutoThreadValidacaoSped::ExecuteECF(TResultado& r) { Exporta("TfrExportacaoECF", tsECF, r); }

std::string TAutoThreadValidacaoSped::GetPastaPDF() {
  std::string pasta = PastaComBarra(FConfig.PastaArquivo);
  if (FConfig.TipoSubPasta[tsEmpresa])
    pasta += TString_VYN::GetRemoveTodosCaracteresEspeciais(FDAO->FieldByName("BDNOMEMP").AsString(), false);
  pasta = PastaComBarra(pasta);
  if (FConfig.TipoSubPasta[tsReferencia]) pasta += FDAO->FieldByName("BDREFERENCIA").AsString();
  return PastaComBarra(pasta);
}

namespace {
// The job's id. A number the job table cannot hold names no job: narrowed, it would wrap round to
// another job's id and run that one.
int IdAgendamento(const nlohmann::json& parametros) {
  const auto it = parametros.find("id");
  if (it == parametros.end() || it->is_null())
    throw std::runtime_error("O parâmetro \"id\" do agendamento de validação não foi informado.");
  constexpr int64_t kMaior = std::numeric_limits<int32_t>::max();
  if (it->is_number_unsigned() && it->get<uint64_t>() <= static_cast<uint64_t>(kMaior))
    return static_cast<int>(it->get<uint64_t>());
  if (it->is_number_integer() && !it->is_number_unsigned() && it->get<int64_t>() >= -kMaior - 1 &&
      it->get<int64_t>() <= kMaior)
    return static_cast<int>(it->get<int64_t>());
  throw std::runtime_error("O parâmetro \"id\" do agendamento de validação não é um número de agendamento: " +
                           it->dump());
}
}  // namespace

void TAutoThreadValidacaoSped::Execute() {
  TAutoThreadPadrao::Execute();
  // Without a job id there is no job to work on: a failed run, and no statement is sent.
  const int id = IdAgendamento(Parametros);

  struct TLiberaManagers {
    TAutoThreadValidacaoSped& t;
    ~TLiberaManagers() {
      if (t.FDAO) t.FreeComponent(t.FDAO);
      if (t.FDAOExec) t.FreeComponent(t.FDAOExec);
      t.FDAO = t.FDAOExec = nullptr;
    }
  } libera{*this};
  FDAO = TVALIDACAOSPED_AGENDAMENTOSMGR::CreateMgr(this, true);
  FDAOExec = TVALIDACAOSPED_AGENDAMENTOSMGR::CreateMgr(this, true);
  // Before the row is marked: a run refused here leaves the other run's row as that run writes it.
  const TExecucaoAgendamento execucao(FDAOExec->Database(), id);

  const std::string onde = " where bdid = " + SQLInteger(id);
  // A job run again (after a failure or an interruption) is under way, not ended at its last end, and
  // has exported nothing yet: an earlier run's file is not this run's.
  FDAOExec->CommandText("update TVALIDACAOSPED_AGENDAMENTOS set bdstatus = 2, BDRETORNO = " +
                            QuotedStr("Exportando arquivo...") +
                            ", BDINICIOUEM = localtimestamp, BDFINALIZOUEM = null, BDEXPORTOU = FALSE" + onde,
                        ctExecute);
  FMicro = -1;
  try {
    GravarLogTarvo("Exportando arquivo...");
    ExecutaAgendamento(id, onde);
  } catch (const std::exception& e) {
    // Whatever stops the job after it was marked as running says so on its row: the scheduler
    // must never show "Exportando arquivo..." for a job that is over.
    FinalizaComFalha(onde, e.what());
    throw;
  } catch (const EInterrupcao& e) {
    // An interrupted job failed like any other: its row says so and it can be run again.
    FinalizaComFalha(onde, e.Mensagem() + " O agendamento pode ser executado novamente.");
    throw;
  }
}

void TAutoThreadValidacaoSped::FinalizaComFalha(const std::string& onde, const std::string& erro) {
  // The row is written even when an interruption is pending: it is the run's own clean-up.
  const TSemInterrupcao semInterrupcao;
  FDAOExec->CommandText("update TVALIDACAOSPED_AGENDAMENTOS set bdstatus = 5, BDFINALIZOUEM = localtimestamp, "
                        "BDRETORNO = " + QuotedStr(Utf8Left(erro, 255)) + onde,
                        ctExecute);
  if (FMicro >= 0)
    FDAOExec->CommandText("UPDATE TVALIDACAOSPED_MICRO set BDPRECISAABRIRTELA = TRUE where BDCODMICRO = " +
                              SQLInteger(FMicro),
                          ctExecute);
}

void TAutoThreadValidacaoSped::ExecutaAgendamento(int id, const std::string& onde) {
  FDAO->CommandText(
      "select ag.*, emp.BDNOMEMP, emp.BDCNPJEMP, micro.BDPCNAME, micro.BDUSERNAME"
      " from TVALIDACAOSPED_AGENDAMENTOS ag"
      " left join VW_TEMPRESAS_REF emp on (emp.BDCODEMP = ag.BDCODEMP)"
      " left join TVALIDACAOSPED_MICRO micro on (micro.BDCODMICRO = ag.BDCODNOMMICRO)"
      " where ag.BDID = " + SQLInteger(id),
      ctOpen);
  // A job that is not there has no workstation to flag nor kind to export.
  if (FDAO->IsEmpty()) throw std::runtime_error("O agendamento de validação " + std::to_string(id) + " não existe.");
  FDAO->First();

  FMicro = static_cast<int>(FDAO->FieldByName("BDCODNOMMICRO").AsInteger());
  FConfig = GetConfiguracoesValidadores(FMicro);
  const std::string pastaPDF = GetPastaPDF();
  const int tipo = static_cast<int>(FDAO->FieldByName("BDTIPO").AsInteger());
  const std::string validador = FConfig.GetExePath(tipo);

  TResultado r;
  try {
    switch (tipo) {
      case tvFiscal: ExecuteFiscal(r); break;
      case tvContribuicoes: ExecuteContribuicoes(r); break;
      case tvECD: ExecuteECD(r); break;
      case tvECF: ExecuteECF(r); break;
      default: break;
    }
  } catch (const std::exception& e) {
    r.Erro = e.what();
  }

  std::error_code ec;
  if (!r.Arquivo.empty() && fs::is_regular_file(r.Arquivo, ec)) {
    r.Erro.clear();
  } else if (!r.Erro.empty()) {
    r.Erro = "Não foi possível realizar a exportação. " + r.Erro;
  } else {
    r.Erro = "Não foi possível realizar a exportação";
  }
  if (validador.empty()) r.Erro = "O caminho do validador não foi informado";

  if (!r.Erro.empty()) {
    FinalizaComFalha(onde, r.Erro);
    RegistraFalhaExecucao(r.Erro);
    return;
  }
  // The file is exported: handing it over and recording it are one step, which a signal does not cut
  // in two (a job file the validator takes for a job whose row says it failed and may be run again).
  const TSemInterrupcao entrega;
  EntregaAoValidador(r, validador, pastaPDF);
  // Only a job whose file the validator will find is marked as exported and waiting.
  FDAOExec->CommandText("update TVALIDACAOSPED_AGENDAMENTOS set BDEXPORTOU = TRUE, BDRETORNO = " +
                            QuotedStr("Arquivo exportado, aguardando para fazer validação...") + " " + onde,
                        ctExecute);
  // Exported, handed over and recorded: a signal now finds the job done.
  TExecucaoConcluida::Marca();
}

void TAutoThreadValidacaoSped::EntregaAoValidador(const TResultado& r, const std::string& validador,
                                                  const std::string& pastaPDF) {
  TDadosValidacao d;
  d.Id = static_cast<int>(FDAO->FieldByName("BDID").AsInteger());
  d.ArquivoImportacao =
      fs::path(r.Arquivo).lexically_normal().lexically_relative(fs::path(TUtilValidacaoSped::PastaValidacaoSped()).lexically_normal()).string();
  d.CaminhoPrograma = validador;
  d.PastaPDF = pastaPDF;
  d.Rotina = r.Rotina;
  d.CaminhoArquivosAnteriores = FConfig.PastaArquivosAnteriores;
  d.CNPJ = FDAO->FieldByName("BDCNPJEMP").AsString();
  d.DataIncial = FDAO->FieldByName("BDDATAINI").AsDateTime();
  d.DataFinal = FDAO->FieldByName("BDDATAFIM").AsDateTime();
  TUtilValidacaoSped::SalvarArquivoValidacaoSped(d, FDAO->FieldByName("BDPCNAME").AsString(),
                                                 FDAO->FieldByName("BDUSERNAME").AsString());
}

}  // namespace integracao
