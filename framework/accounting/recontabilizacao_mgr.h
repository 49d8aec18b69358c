#pragma once
// The record of re-posting runs (VZEL_EMP_TRECONTABILIZACAO): the consultation of a company's runs.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TVZEL_EMP_TRECONTABILIZACAOMGR : public TMgr<TVZEL_EMP_TRECONTABILIZACAOMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMP_TRECONTABILIZACAO";

  explicit TVZEL_EMP_TRECONTABILIZACAOMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMP_TRECONTABILIZACAOMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The runs of a company (0: of every company), latest last, with the company's name
  // (BDNOMEMP) as of the session's reference month.
  void SelectConsulta(int codEmp);

  // The current row's key.
  int GetCODEMP() const;
  int GetORDEM() const;
};

}  // namespace vyn
