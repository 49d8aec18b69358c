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

  // The account of a chart, as a data set owned by owner positioned on it (BDCODTPLA, BDCTALON,
  // BDAPECTA, BDNOMCTA, bdparticipante); empty when the chart has no such account.
  static TDAOFactory* GetContaDAO(TComponent* owner, int codPlaPadrao, int conta);
  // One column of an account (a plain column name); null when there is no such account.
  static Variant GetCampoConta(TComponent* owner, int codPlaPadrao, int conta, const std::string& coluna);
  // Whether the debit and credit totals of the lines to import differ (lines flagged in campo, and
  // lines kept out of the ordinary import, do not count); tells the user the difference itself.
  static bool getDiferencaDebitoCredito(TComponent* owner, TClientDataSet* dao, TClientDataSet* daoMulti,
                                        const std::string& campo, bool, bool, bool);
};

// The texts of the suite's option lists.
class TPreencheCombosVYN {
 public:
  // The posting regime of retentions: 1 cash basis, anything else accrual basis.
  static std::string GetDescRegimeEmpresa(int regime);
};

}  // namespace vyn
