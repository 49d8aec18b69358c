#pragma once
// The chart-of-accounts manager: questions about the accounts of a chart.
#include <string>

#include "framework/data/dao_factory.h"

namespace vyn {

class TContasPlanosMGR : public TMgr<TContasPlanosMGR> {
 public:
  explicit TContasPlanosMGR(TComponent* owner = nullptr, TDatabase* db = nullptr)
      : TMgr(owner, "PLANOS_TPLA", db) {}
  std::string ClassName() const override { return "TContasPlanosMGR"; }

  // Whether the chart has an account that takes a participant (BDPARTICIPANTE 1).
  bool PlanoTemContaParticipante(int codPlaPadrao) const;
};

// The texts of the suite's option lists.
class TPreencheCombosVYN {
 public:
  // The posting regime of retentions: 1 cash basis, anything else accrual basis.
  static std::string GetDescRegimeEmpresa(int regime);
};

}  // namespace vyn
