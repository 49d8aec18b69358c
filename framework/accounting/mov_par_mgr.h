#pragma once
// The fiscal module's open installments as its installment manager queries them, and the free-SQL
// data set that holds such a query's rows.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/accounting/natureza_dinheiro.h"
#include "framework/core/variant.h"
#include "framework/data/dao_factory.h"

namespace vyn {

// Installment groups of the query.
enum TGrupoParcelamento : int { gpPagar = 8, gpReceber = 9 };

class TMovParMGR {
 public:
  // The query of the company's installments of the group that are not paid in full: 8 those the
  // company pays (entries, services taken, other documents it pays), 9 those it receives (exits,
  // services rendered, other documents). Columns: BDDESCTIPOLANC ("Pagamento" or "Recebimento"),
  // BDCODEMP, BDCHAVE (the document), BDORDEMPAR, BDVALORPAR, BDVALORPGTOPAR (principal paid so
  // far), BDDATAVENCTOPAR, BDCGCTER (the participant's registry number, digits), BDNUMDOCINI,
  // BDTIPOLANCEF (book: 0 entries, 1 exits, 2 services, 3 other documents) and BDTIPOSERVICO (1
  // the company pays, 0 it receives). Another group gives a query without rows. The further
  // arguments of the framework's signature narrow nothing here.
  static std::string GetConsultaParcelamentoGroup(TComponent* owner, const std::string& texto, int codEmp,
                                                  int grupo, const Variant& = {}, const std::string& = {},
                                                  int = 0);
};

// Whether the company pays or receives the installments of each of its fiscal documents of a book (0
// entries, 1 exits, 2 services, 3 other documents) among chaves, by the same rule as the query above:
// the documents found, read by ranges of keys (a few statements for a run's documents, where one per
// document cost more than the settlement it guards); none for an unknown book.
std::vector<std::pair<int64_t, TNaturezaDinheiro>> NaturezasDocumentosFiscais(TDatabase& db, int64_t empresa,
                                                                              int livro,
                                                                              const std::vector<int64_t>& chaves);
// The nature every document of a book has by that rule, whatever its columns (entries: paid; exits:
// received); none where it depends on the document. A caller can weigh such a book's links without
// reading its documents, asking only whether the documents it would refuse exist.
std::optional<TNaturezaDinheiro> NaturezaFixaDoLivro(int livro);

// A free-SQL data set of grouped queries.
class TConsultaGrupoDAO : public TMgr<TConsultaGrupoDAO> {
 public:
  explicit TConsultaGrupoDAO(TComponent* owner = nullptr, bool = false) : TMgr(owner) {}
  std::string ClassName() const override { return "TConsultaGrupoDAO"; }
};

}  // namespace vyn
