#include "framework/accounting/troca_plano_mgr.h"

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/log_event.h"

namespace vyn {

void TVINT_BASE_TINTONLINEMGR::GetCodigoTrocaAutomatica(TComponent*, TLogEvent* log,
                                                        const std::vector<TEdit_Codigo_Search_VYN*>& edits) {
  if (edits.size() < 7 || !edits[0]) throw std::invalid_argument("GetCodigoTrocaAutomatica: sete campos esperados");
  auto valor = [&](size_t i) { return edits[i] ? edits[i]->ValorInteger() : 0; };
  edits[0]->Vale(0);
  int64_t de = valor(1), para = valor(4);
  if (de == 0 || para == 0 || de == para || valor(2) != valor(5) || valor(3) != valor(6)) return;

  TDatabase& db = Database();
  Variant codigo = db.QueryValue(
      "SELECT FIRST 1 BDCODINT FROM VINT_BASE_TINTONLINE WHERE BDAUTOMATICO = 'TRUE' AND BDCODPLANOONLINEDE = ?"
      " AND BDCODPLANOONLINEPARA = ? ORDER BY BDCODINT",
      {de, para});
  if (codigo.IsNull()) {
    TTransaction tr(db);
    codigo = db.QueryValue("SELECT COALESCE(MAX(BDCODINT), 0) + 1 FROM VINT_BASE_TINTONLINE");
    std::string descricao = fmt::format("Troca automática do plano {} para o plano {}", de, para);
    db.Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA,"
               " BDAUTOMATICO) VALUES (?, ?, ?, ?, 'TRUE')",
               {codigo, descricao, de, para});
    tr.Commit();
    if (log) log->AddAcao(fmt::format("Plano de troca {} criado: {}.", codigo.AsInteger(), descricao));
  }
  edits[0]->Vale(codigo.AsInteger());
}

void TVINT_EMP_PROCESSOTROCAMGR::SelectConsulta(const std::string& filtro) {
  std::string sql =
      "SELECT CAST(0 AS SMALLINT) AS BDCONSULTABALANCETE, troca.BDCODEMP, emp.BDNOMEMP, troca.BDORDEM,"
      " troca.BDDATAINICIAL, troca.BDSTATUS, troca.BDCODINT, tint.BDDESCRICAO"
      " FROM VINT_EMP_PROCESSOTROCA troca"
      " LEFT JOIN VW_TEMPRESAS_REF emp ON (emp.BDCODEMP = troca.BDCODEMP)"
      " LEFT JOIN VINT_BASE_TINTONLINE tint ON (tint.BDCODINT = troca.BDCODINT)";
  if (!Trim(filtro).empty()) sql += " WHERE " + filtro;
  CommandText(sql + " ORDER BY troca.BDCODEMP, troca.BDORDEM");
}

int TVINT_EMP_PROCESSOTROCAMGR::GetCODEMP() const {
  return Active() && !IsEmpty() ? static_cast<int>(FieldByName("BDCODEMP").AsInteger()) : 0;
}

int TVINT_EMP_PROCESSOTROCAMGR::GetORDEM() const {
  return Active() && !IsEmpty() ? static_cast<int>(FieldByName("BDORDEM").AsInteger()) : 0;
}

}  // namespace vyn
