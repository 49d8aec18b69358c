#include "framework/accounting/empresas_mgr.h"

#include <algorithm>
#include <cctype>

#include "framework/component/process_context.h"
#include "framework/data/sql_value.h"

namespace vyn {

Variant TEmpresasMGR::GetRetornaCampoEmpresaRef(const TComponent*, int codEmp, const std::string& coluna,
                                                int referencia, TDatabase* db) {
  CheckSQLIdentifier<EDatabaseError>(coluna, "Coluna inválida: ");
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return db->QueryValue("SELECT R." + coluna +
                            " FROM TEMPRESAS_REF R JOIN SP_GETREFERENCIA(?, ?) P ON (P.BDREFEMP = R.BDREFEMP)"
                            " WHERE R.BDCODEMP = ?",
                        {codEmp, referencia, codEmp});
}

Variant TEmpresasMGR::GetRetornaCampoEmpresa(const TComponent*, int codEmp, const std::string& coluna,
                                             TDatabase* db) {
  CheckSQLIdentifier<EDatabaseError>(coluna, "Coluna inválida: ");
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return db->QueryValue("SELECT E." + coluna + " FROM TEMPRESAS E WHERE E.BDCODEMP = ?", {codEmp});
}

bool TEmpresasMGR::getEmpresaPossuiOmie(const TComponent*, int codEmp, TDatabase* db) {
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return db->QueryValue("SELECT BDOMIE FROM TEMPRESAS WHERE BDCODEMP = ?", {codEmp}).AsString() == "TRUE";
}

}  // namespace vyn
