// The company codes the outside services know a company by.
#include "framework/accounting/empresas_mgr.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"

namespace vyn {

namespace {

TDatabase& Banco(TDatabase* db) {
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return *db;
}

}  // namespace

int TEmpresasMGR::GetCodEmpresaWEB(const TComponent*, int codEmp, TDatabase* db) {
  const Variant v = Banco(db).QueryValue("SELECT BDCODWEB FROM TEMPRESAS WHERE BDCODEMP = ?", {codEmp});
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

std::vector<int> TEmpresasMGR::getCodigoEmpresaPorCNPJ(const TComponent*, const std::string& cnpj, TDatabase* db) {
  std::vector<int> out;
  const std::string digitos = OnlyDigits(cnpj);
  if (digitos.empty()) return out;
  const TQueryResult r = Banco(db).QueryAll(
      "SELECT DISTINCT BDCODEMP FROM TEMPRESAS_REF WHERE BDCNPJEMP = ? ORDER BY BDCODEMP", {digitos});
  for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(static_cast<int>(r.Value(i, "BDCODEMP").AsInteger()));
  return out;
}

std::string TEmpresasMGR::GetIdEmpresaNibo(const TComponent*, int codEmp, TDatabase* db) {
  const Variant v = Banco(db).QueryValue("SELECT BDIDEMPRESANIBO FROM TEMPRESAS_NIBO WHERE BDCODEMP = ?", {codEmp});
  return v.IsNull() ? std::string() : Trim(v.AsString());
}

int TEmpresasMGR::GetCodOAUTH2EscritorioNibo(const TComponent*, int codEmp, TDatabase* db) {
  const Variant v = Banco(db).QueryValue("SELECT BDCODOAUTH2 FROM TEMPRESAS_NIBO WHERE BDCODEMP = ?", {codEmp});
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

}  // namespace vyn
