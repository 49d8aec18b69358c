#include "framework/host/conferencia_lancamentos.h"

#include "framework/data/sql_mgr.h"
#include "framework/host/auto_thread.h"
#include "framework/host/erro_exception.h"

namespace vyn {

namespace {

bool ExisteStatus(TSQLMGR& sql, int status, long long marca) {
  const TProcessContext& ctx = ProcessContext();
  sql.CommandText(
      "SELECT FIRST 1 * FROM VSH_EMP_TCONF_TLAN WHERE (BDCODAGENDAMENTO = ?) AND (BDCODEMP = ?) AND "
      "(BDCODPLANOTARVO = ?) AND (BDORDEMAGENDAMENTO = ?) AND (BDSTATUS = ?) AND (BDSEQ > ?)",
      ctOpen,
      {ctx.WP_AGENDAMENTO, ctx.WP_EMPRESA_PROCESSO, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, status, marca});
  const bool existe = !sql.IsEmpty();
  sql.Close();
  return existe;
}

}  // namespace

long long MarcaConferenciaLancamentos() {
  // The generator only grows: every row written from here on is numbered above it.
  auto sql = TSQLMGR::CreateMgrOwned();
  sql->CommandText("SELECT GEN_ID(GEN_VSH_EMP_TCONF_TLAN, 0) AS MARCA FROM RDB$DATABASE", ctOpen);
  const long long marca = sql->FieldByName("MARCA").AsInteger();
  sql->Close();
  return marca;
}

bool ExistemLancamentosConferidos(long long marca) {
  auto sql = TSQLMGR::CreateMgrOwned();
  return ExisteStatus(*sql, 2 /*Importado*/, marca) || ExisteStatus(*sql, 1 /*Inconsistente*/, marca);
}

void TrataInconsistenciasLancamentos(TAutoThreadPadrao& task, int tipo, long long marca, bool algoNovo) {
  auto sql = TSQLMGR::CreateMgrOwned();
  const bool importado = ExisteStatus(*sql, 2 /*Importado*/, marca);
  const bool inconsistente = ExisteStatus(*sql, 1 /*Inconsistente*/, marca);
  if (!importado && !inconsistente) {
    task.InsereConferenciaImportacoes(tipo, tscErro, "Nenhuma lançamento encontrado");
    throw TErroException("Nenhuma lançamento encontrado");
  }
  if (!importado) {
    task.InsereConferenciaImportacoes(tipo, tscErro, "Nenhum lançamento importado, foram encontradas inconsistencias");
    throw TErroException("Nenhuma lançamento importado, foram encontradas inconsistencias");
  }
  if (inconsistente)
    task.InsereConferenciaImportacoes(tipo, tscInconsistente,
                                      algoNovo ? "Lançamentos importados, foram encontradas inconsistencias"
                                               : "Nenhum lançamento importado, foram encontradas inconsistencias");
}

}  // namespace vyn
