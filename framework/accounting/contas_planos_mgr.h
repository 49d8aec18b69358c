#pragma once
// The chart-of-accounts manager: questions about the accounts of a chart.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/data/dao_factory.h"

namespace vyn {

class TContasPlanosMGR : public TMgr<TContasPlanosMGR> {
 public:
  explicit TContasPlanosMGR(TComponent* owner = nullptr, TDatabase* db = nullptr)
      : TMgr(owner, "PLANOS_TPLA", db) {}
  std::string ClassName() const override { return "TContasPlanosMGR"; }

  // Whether the chart has an account that takes a participant (BDPARTICIPANTE 1).
  bool PlanoTemContaParticipante(int codPlaPadrao) const;

  // Loads every account of chart codPlaPadrao, unless this manager holds that chart already.
  void AbrePlano(int codPlaPadrao);
  // One column of an account of the loaded chart. An account not in the chart, or a null value, answers
  // the column's typed empty value (0 for numbers, '' for text, False for a flag): the reviews ask
  // whether an account takes a participant with one comparison. A column the chart lacks answers null.
  Variant GetCampoContaPlano(const Variant& conta, const std::string& campo);

  // The account of a chart, as a data set owned by owner positioned on it (BDCODTPLA, BDCTALON,
  // BDAPECTA, BDNOMCTA, bdparticipante); empty when the chart has no such account.
  static TDAOFactory* GetContaDAO(TComponent* owner, int codPlaPadrao, int conta);
  // One column of an account (a plain column name); null when there is no such account. db: the
  // attachment to read on (the process context's when null).
  static Variant GetCampoConta(TComponent* owner, int codPlaPadrao, int conta, const std::string& coluna,
                               TDatabase* db = nullptr);
  // Whether the debit and credit totals of the lines to import differ (lines flagged in campo, and
  // lines kept out of the ordinary import, do not count); tells the user the difference itself.
  static bool getDiferencaDebitoCredito(TComponent* owner, TClientDataSet* dao, TClientDataSet* daoMulti,
                                        const std::string& campo, bool, bool, bool);
  // The same weighing of a staged session's lines where they lie (tabela, a session's work table):
  // the database sums them, no line read into memory.
  static bool getDiferencaDebitoCreditoSessao(TDatabase& db, const std::string& tabela, int sessao,
                                              const std::string& campo);

 private:
  std::optional<int> planoAberto_;
};

// The option lists of the rural producer's cash book whose codes count from 1, as the book's
// records carry them.
enum TComboProdutorRural { TComboDocumentoProdutorRural, TComboTipoLancamentoProdutorRural };

// The texts of the suite's option lists.
class TPreencheCombosVYN {
 public:
  // The posting regime of retentions: 1 cash basis, anything else accrual basis.
  static std::string GetDescRegimeEmpresa(int regime);
  // The names of a rural-producer list, code 1 first: a combo's item i stands for code i + 1.
  static const std::vector<std::string>& combo(TComboProdutorRural lista);
  // The name of a code of the list; empty for a code outside it.
  static std::string GetDescDocumentoProdutorRural(int codigo);
  static std::string GetDescTipoLancProdutorRural(int codigo);
};

}  // namespace vyn
