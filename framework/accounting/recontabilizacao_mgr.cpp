#include "framework/accounting/recontabilizacao_mgr.h"

#include "framework/core/text.h"

namespace vyn {

TVZEL_EMP_TRECONTABILIZACAOMGR::TVZEL_EMP_TRECONTABILIZACAOMGR(TComponent* owner, TDatabase* db)
    : TMgr(owner, kTabela, db) {
  SetName("Recontabilizacao");
}

bool TVZEL_EMP_TRECONTABILIZACAOMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TVZEL_EMP_TRECONTABILIZACAOMGR") || TDAOFactory::InheritsFrom(class_name);
}

void TVZEL_EMP_TRECONTABILIZACAOMGR::SelectConsulta(int codEmp) {
  const std::string sql =
      "SELECT R.*, E.BDNOMEMP FROM VZEL_EMP_TRECONTABILIZACAO R"
      " LEFT OUTER JOIN VW_TEMPRESAS_REF E ON (E.BDCODEMP = R.BDCODEMP)";
  const std::string ordem = " ORDER BY R.BDCODEMP, R.BDORDEM";
  if (codEmp == 0)
    CommandText(sql + ordem);
  else
    CommandText(sql + " WHERE R.BDCODEMP = ?" + ordem, ctOpen, {Variant(codEmp)});
}

int TVZEL_EMP_TRECONTABILIZACAOMGR::GetCODEMP() const {
  return static_cast<int>(FieldByName("BDCODEMP").AsInteger());
}

int TVZEL_EMP_TRECONTABILIZACAOMGR::GetORDEM() const {
  return static_cast<int>(FieldByName("BDORDEM").AsInteger());
}

}  // namespace vyn
