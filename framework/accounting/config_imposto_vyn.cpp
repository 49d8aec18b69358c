#include "framework/accounting/config_imposto_vyn.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"

namespace vyn {

namespace {

TDatabase& Banco() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados conectado.");
  return *db;
}

}  // namespace

std::string TFuncionsVYNReport::GetCodEmpRelatorio(int codEmp) const {
  Variant v = Banco().QueryValue("SELECT BDCODWEB FROM VW_YRK_EMP_VYNREPORT WHERE BDCODEMP = ?", {codEmp});
  if (v.IsNull() || v.AsInteger() <= 0) return "XXXXXX";
  return ZeroPad(static_cast<long long>(v.AsInteger()), 6);
}

bool TFuncionsVYNReport::UserFunction(const std::string&, std::vector<Variant>&, Variant&) const { return false; }

TConfigImpostoVYN::TConfigImpostoVYN(TComponent* owner)
    : TComponent(owner), FFunctionsVYNReport(Create<TFuncionsVYNReport>()) {}

void TConfigImpostoVYN::CarregaDados(bool) {
  FChaveYRK = -1;
  FTagWeb.clear();
  FFunctionsVYNReport->FListaQuebras.clear();
  TQueryResult r = Banco().QueryAll(
      "SELECT IMP.BDCHAVEYRK, REL.BDTAGWEB, REL.BDQUEBRA FROM TIMPOSTO IMP"
      " LEFT OUTER JOIN TYRK_TRELATORIOS REL ON (REL.BDCHAVE = IMP.BDCHAVEYRK) WHERE IMP.BDCODIMP = ?",
      {FCodImp});
  if (r.Rows.empty()) return;
  if (!r.Value(0, "BDCHAVEYRK").IsNull()) FChaveYRK = static_cast<int>(r.Value(0, "BDCHAVEYRK").AsInteger());
  FTagWeb = r.Value(0, "BDTAGWEB").IsNull() ? std::string() : r.Value(0, "BDTAGWEB").AsString();
  if (!r.Value(0, "BDQUEBRA").IsNull()) FFunctionsVYNReport->FListaQuebras.push_back(r.Value(0, "BDQUEBRA").AsString());
}

void TConfigImpostoVYN::AddEmp(int codEmp, TComponent*, const Variant&, const Variant&) { FEmpresas.push_back(codEmp); }

TClientDataSet* TConfigImpostoVYN::CarregaDataSetImpostoAux(int, int, const std::string&, TComponent*, const Variant&) {
  return nullptr;
}

std::string TConfigImpostoVYN::GetSqlImpressaoPreview(const Variant&, int, int, int, const std::string&,
                                                      const std::string&, TComponent*, const Variant&) {
  return {};
}

int TConfigImpostoVYN::GetTipoCalcImp(int64_t) const { return 0; }

int TYRK_trelatorios_empMGR::GetCodWebTagImposto(const TComponent*, int codEmp, int chaveYRK) {
  Variant v = Banco().QueryValue("SELECT BDCODWEB FROM TYRK_TRELATORIOS_EMP WHERE BDCHAVE = ? AND BDCODEMP = ?",
                                 {chaveYRK, codEmp});
  return v.IsNull() ? -1 : static_cast<int>(v.AsInteger());
}

}  // namespace vyn
