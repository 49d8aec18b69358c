// Scheduling of SPED validation jobs from the export screens: one job row per company, picked up
// later by the validation task on the workstation that runs the outside validator.
#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/accounting/validacao_sped.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/host/auto_thread.h"
#include "framework/ui/dialogs.h"

namespace vyn {

namespace {

struct TEstacaoValidadora {
  int Micro = 0;
  std::string Nome;
  TConfiguracoesValidacao Config;
};

// The workstations with a validator configured, this workstation first.
std::vector<TEstacaoValidadora> EstacoesValidadoras(TDatabase& db) {
  TQueryResult r = db.QueryAll(
      "SELECT M.BDCODMICRO, M.BDPCNAME FROM TVALIDACAOSPED_MICRO M JOIN TVALIDACAOSPED_CONFIG C "
      "ON C.BDCODMICRO = M.BDCODMICRO ORDER BY M.BDCODMICRO");
  std::vector<TEstacaoValidadora> out;
  for (const auto& l : r.Rows) {
    TEstacaoValidadora e;
    e.Micro = static_cast<int>(l[0].AsInteger());
    e.Nome = l[1].IsNull() ? "" : l[1].AsString();
    e.Config = GetConfiguracoesValidadores(e.Micro);
    const bool esta = !e.Nome.empty() && SameText(e.Nome, ProcessContext().Workstation);
    if (esta)
      out.insert(out.begin(), std::move(e));
    else
      out.push_back(std::move(e));
  }
  return out;
}

bool TemValidador(const TConfiguracoesValidacao& c) {
  for (int tipo : {tvFiscal, tvContribuicoes, tvECD, tvECF})
    if (!Trim(c.GetExePath(tipo)).empty()) return true;
  return false;
}

}  // namespace

bool TVALIDACAOSPED_AGENDAMENTOSMGR::PodeHabilitarSpedAutomatico(const std::string& empresas, TDateTime dataIni,
                                                                 TDateTime dataFim) {
  bool temEmpresa = false;
  for (const auto& p : Split(empresas, ','))
    if (!OnlyDigits(p).empty() && OnlyDigits(p) != std::string(OnlyDigits(p).size(), '0')) temEmpresa = true;
  if (!temEmpresa || dataIni.Value == 0 || dataFim.Value == 0 || dataIni > dataFim ||
      YearOf(dataIni) != YearOf(dataFim))
    return false;
  TDatabase* db = ProcessContext().Database;
  if (!db) return false;
  for (const auto& e : EstacoesValidadoras(*db))
    if (TemValidador(e.Config)) return true;
  return false;
}

int TVALIDACAOSPED_AGENDAMENTOSMGR::RodarSpedAutomatico(TComponent*, const TParamsAgendamento& params) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::runtime_error("Não há base de dados aberta.");
  std::vector<int64_t> empresas;
  for (int64_t e : params.Empresas)
    if (e > 0 && std::find(empresas.begin(), empresas.end(), e) == empresas.end()) empresas.push_back(e);
  if (empresas.empty() || params.DataIni.Value == 0 || params.DataFim.Value == 0 || params.DataIni > params.DataFim) {
    DlgWarOk("Informe a empresa e um período válido para agendar a validação do Sped.");
    return 0;
  }
  const TEstacaoValidadora* estacao = nullptr;
  const auto estacoes = EstacoesValidadoras(*db);
  for (const auto& e : estacoes)
    if (!Trim(e.Config.GetExePath(params.Tipo)).empty()) {
      estacao = &e;
      break;
    }
  if (!estacao) {
    DlgWarOk("Não há estação configurada com o validador deste Sped. Configure o validador antes de agendar a "
             "validação.");
    return 0;
  }
  {
    TTransaction tr(*db);
    for (int64_t e : empresas)
      db->Execute("INSERT INTO TVALIDACAOSPED_AGENDAMENTOS (BDID, BDSTATUS, BDRETORNO, BDEXPORTOU, BDCODNOMMICRO, "
                  "BDTIPO, BDCODEMP, BDDATAINI, BDDATAFIM, BDREFERENCIA) VALUES (NEXT VALUE FOR "
                  "GEN_TVALIDACAOSPED_AGENDAMENTOS, 1, ?, FALSE, ?, ?, ?, ?, ?, ?)",
                  {"Aguardando a exportação do arquivo...", estacao->Micro, params.Tipo, e, params.DataIni,
                   params.DataFim, params.Referencia});
    tr.Commit();
  }
  const int n = static_cast<int>(empresas.size());
  DlgInfOk(fmt::format("{} validação(ões) agendada(s) para a estação {}.", n,
                       estacao->Nome.empty() ? std::to_string(estacao->Micro) : estacao->Nome));
  return n;
}

void TVALIDACAOSPED_AGENDAMENTOSMGR::AntesDeLer() {
  TDatabase& db = Database();
  // A run holds its job's TVALIDACAOSPED_EXECUCAO row (changed, uncommitted) on an attachment of its
  // own from before it marks the job until it ends: a job marked and not held has no run any more.
  const TQueryResult marcados = db.QueryAll(
      "SELECT BDID, BDINICIOUEM FROM TVALIDACAOSPED_AGENDAMENTOS WHERE BDSTATUS = 2 AND BDEXPORTOU IS DISTINCT FROM "
      "TRUE");
  for (const auto& linha : marcados.Rows) {
    if (db.MeetsUncommittedChange("SELECT BDID FROM TVALIDACAOSPED_EXECUCAO WHERE BDID = ?", {linha[0]})) continue;
    // Only the mark that was read: a run that has started meanwhile keeps its own.
    db.ExecuteReturningAutonomous(
        "UPDATE TVALIDACAOSPED_AGENDAMENTOS SET BDSTATUS = 5, BDFINALIZOUEM = LOCALTIMESTAMP, BDRETORNO = ? "
        "WHERE BDID = ? AND BDSTATUS = 2 AND BDEXPORTOU IS DISTINCT FROM TRUE AND BDINICIOUEM IS NOT DISTINCT FROM ? "
        "RETURNING BDID",
        {kExecucaoNaoConcluida, linha[0], linha[1]});
  }
}

}  // namespace vyn
