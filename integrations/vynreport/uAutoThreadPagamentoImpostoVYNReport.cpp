#include "integrations/vynreport/uAutoThreadPagamentoImpostoVYNReport.h"

#include <charconv>
#include <stdexcept>

#include "framework/component/resultado_execucao.h"
#include "framework/component/boxed_values.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/list_view_db.h"
#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"
#include "integrations/vynreport/uImportacaoPagamentosVYNReport.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr const char* kTabelaStatus = "VSH_EMP_TCONF_IMPPAG";
constexpr const char* kEmpresaNaoConfigurada = "A empresa não está configurada para o VYN Report";

bool TentaInteiro(const std::string& texto, long long& v) {
  const std::string s = Trim(texto);
  const char* ini = s.data() + (!s.empty() && s[0] == '+' ? 1 : 0);
  auto [p, ec] = std::from_chars(ini, s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

// The host's conversions: a text that is not what it should be is an error naming it.
int StrToInt(const std::string& texto) {
  long long v = 0;
  if (!TentaInteiro(texto, v) || v < INT32_MIN || v > INT32_MAX)
    throw std::invalid_argument("'" + texto + "' não é um valor inteiro válido");
  return static_cast<int>(v);
}

int StrToIntDef(const std::string& texto, int padrao) {
  long long v = 0;
  return TentaInteiro(texto, v) && v >= INT32_MIN && v <= INT32_MAX ? static_cast<int>(v) : padrao;
}

bool StrToBool(const std::string& texto) {
  const std::string s = Trim(texto);
  if (SameText(s, "True")) return true;
  if (SameText(s, "False")) return false;
  long long v = 0;
  if (TentaInteiro(s, v)) return v != 0;
  throw std::invalid_argument("'" + texto + "' não é um valor booleano válido");
}

// Fills a screen's period as a user would and moves on to its company list (leaving the last date
// runs what the screen does on it).
template <class TTela>
void PreenchePeriodo(TTela& tela, int referencia) {
  tela.FocusControl(tela.edDatIni);
  tela.edDatIni->SetData(FirstDayOfAnoMes(referencia));
  tela.FocusControl(tela.edDatFin);
  tela.edDatFin->SetData(TDateTime_VYN::GetUltimoDiaData(&tela, referencia));
}

// The screen goes with the step, also when its run fails.
struct TLiberaTela {
  TForm_VYN* tela;
  ~TLiberaTela() { tela->Free(); }
};

}  // namespace

bool TAutoThreadPagamentoImpostoVYNReport::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadPagamentoImpostoVYNReport") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

void TAutoThreadPagamentoImpostoVYNReport::SetaInconsistencia(TTipoStatusConferencia status,
                                                              const std::string& mensagem) {
  TDatabase* db = ProcessoInfo().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados conectado.");
  const TProcessContext& ctx = ProcessoInfo();
  const TComandoSQL cmd = getUpdateOrInsert_VYN(
      kTabelaStatus,
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO", "BDCODSTATUS", "BDREFERENCIA",
       "BDDATAEXECUTADO", "BDINCONSISTENCIA"},
      {ctx.WP_AGENDAMENTO, Empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, static_cast<int>(status),
       Referencia, TSQLValor::Expressao("CURRENT_TIMESTAMP"),
       TextoParaColuna(*db, kTabelaStatus, "BDINCONSISTENCIA", RemoveCaret(mensagem))},
      {"BDCODAGENDAMENTO", "BDCODEMP", "BDCODPLANOTARVO", "BDORDEMAGENDAMENTO"});
  // Committed on its own: undoing the failed work must not take the failure's row with it.
  db->ExecuteReturningAutonomous(cmd.SQL, cmd.Params);
}

void TAutoThreadPagamentoImpostoVYNReport::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  Empresa = StrToInt(GetParametro("cod_empresa"));
  Referencia = StrToIntDef(GetParametro("referencia"), 0);
  SetaInconsistencia(tscSucesso, "");
  try {
    // Both switches are read before any work, so that a bad one never leaves half a run behind.
    const bool importa = StrToBool(GetParametro("ckImportacao"));
    const bool exporta = StrToBool(GetParametro("ckExportacao"));
    if ((importa || exporta) && !IsValidAnoMes(Referencia))
      throw std::invalid_argument("Referência inválida: '" + GetParametro("referencia") + "'");
    ExecutaImportacao(importa);
    ExecutaExportacao(exporta);
    // Only what this run found inconsistent; an end message alone leaves the start row standing.
    if (!Resultado().Inconsistencias.empty())
      SetaInconsistencia(tscInconsistente, Resultado().Inconsistencias.back());
  } catch (const std::exception& e) {
    // The work left open is undone before the row is written, so the row is never rolled back.
    // A row that cannot be written is noted in the log; the run's own error is the one raised.
    try {
      if (TDatabase* db = ProcessoInfo().Database; db && db->InTransaction()) db->Rollback();
      SetaInconsistencia(tscErro, e.what());
    } catch (const std::exception& falha) {
      try {
        GravarLogTarvo(std::string("Falha ao gravar o status da execução: ") + falha.what());
      } catch (const std::exception&) {
        // nothing more can be recorded
      }
    }
    throw;
  }
  GravarLogTarvo("Processo finalizado");
}

void TAutoThreadPagamentoImpostoVYNReport::EmpresaNaoConfigurada() {
  // Nobody can answer a warning here: the run says it in its result instead.
  GravarLogTarvo(kEmpresaNaoConfigurada);
  RegistraInconsistenciaExecucao(kEmpresaNaoConfigurada);
}

void TAutoThreadPagamentoImpostoVYNReport::ExecutaImportacao(bool executar) {
  if (!executar) return;
  GravarLogTarvo("Realizando a importação...");
  auto* tela = CreateForm<TfrImportacaoPagamentosVYNReport>(*this);
  TLiberaTela libera{tela};
  tela->SetIsTARVO(true);
  PreenchePeriodo(*tela, Referencia);
  tela->FocusControl(tela->lvEmpresas);
  tela->CommandTextEmp(Empresa);
  if (tela->lvEmpresas->Count() == 0) return EmpresaNaoConfigurada();
  tela->spOK->Click();
}

void TAutoThreadPagamentoImpostoVYNReport::ExecutaExportacao(bool executar) {
  if (!executar) return;
  GravarLogTarvo("Realizando a exportação...");
  auto* tela = CreateForm<TfrExportacaoPagamentosVYNReport>(*this);
  TLiberaTela libera{tela};
  tela->SetIsTARVO(true);
  PreenchePeriodo(*tela, Referencia);
  // Only the run's company, whether or not the host runs as the automation service.
  tela->CommandTextEmp(Empresa);
  tela->FocusControl(tela->lvEmpresas);
  if (tela->lvEmpresas->Count() == 0) return EmpresaNaoConfigurada();
  tela->spOK->Click();
}

}  // namespace integracao
