#pragma once
// The change of posting plan's managers: the mapping plans between two posting plans (and the one
// the system makes itself between two plans of the same chart), and the plan changes done.
#include <string>
#include <vector>

#include "framework/data/dao_factory.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TLogEvent;

class TVINT_BASE_TINTONLINEMGR : public TMgr<TVINT_BASE_TINTONLINEMGR> {
 public:
  explicit TVINT_BASE_TINTONLINEMGR(TComponent* owner = nullptr, bool = false, TDatabase* db = nullptr)
      : TMgr(owner, "VINT_BASE_TINTONLINE", db) {}
  std::string ClassName() const override { return "TVINT_BASE_TINTONLINEMGR"; }

  // The automatic mapping plan between two posting plans of the same chart and history plan.
  // edits: [mapping plan, plan from, its chart, its history plan, plan to, its chart, its history
  // plan]. The plan's code goes into the first edit: the one made earlier between the two plans, or a
  // new one (a line in the log says so). Plans that differ in chart or history plan, or that are the
  // same plan, get no mapping plan: the first edit is emptied.
  void GetCodigoTrocaAutomatica(TComponent* owner, TLogEvent* log, const std::vector<TEdit_Codigo_Search_VYN*>& edits);
};

class TVINT_EMP_PROCESSOTROCAMGR : public TMgr<TVINT_EMP_PROCESSOTROCAMGR> {
 public:
  explicit TVINT_EMP_PROCESSOTROCAMGR(TComponent* owner = nullptr, bool = false, TDatabase* db = nullptr)
      : TMgr(owner, "VINT_EMP_PROCESSOTROCA", db) {}
  std::string ClassName() const override { return "TVINT_EMP_PROCESSOTROCAMGR"; }

  // The plan changes with BDCONSULTABALANCETE, bdcodemp, bdnomemp, bdordem, bddatainicial, bdstatus,
  // bdcodint and bddescricao; filter (may be empty) is a condition over the aliases troca (the
  // change) and emp (the company).
  void SelectConsulta(const std::string& filtro);
  int GetCODEMP() const;   // of the current row; 0 when there is none
  int GetORDEM() const;
};

}  // namespace vyn
