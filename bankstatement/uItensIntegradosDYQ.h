#pragma once
// The record of the Dyq statement items the review booked (TINTEGRACAO_DYQ_ITEM): what keeps an
// item from being booked twice when its statement is opened again, and keeps its integrated report
// until Dyq took it.
#include <cstdint>
#include <map>
#include <vector>

namespace vyn {
class TDatabase;
}

namespace integracao {

class TItensIntegradosDYQ {
 public:
  struct TItem {
    int64_t IdWeb = 0;
    int64_t IdExtrato = 0;
    int64_t ChaveLancamento = 0;
  };
  // Records the items a run booked (company, item). Called inside the run's write: it goes or stays
  // with the entries. An item already recorded keeps its first entry.
  static void Registra(vyn::TDatabase& db, int empresa, int tipoConta, const std::vector<TItem>& itens);
  // The company's booked items, by id: whether Dyq took their report.
  static std::map<int64_t, bool> Integrados(vyn::TDatabase& db, int empresa);
  // Dyq took the integrated report of these items.
  static void MarcaInformados(vyn::TDatabase& db, int empresa, const std::vector<int64_t>& ids);
};

}  // namespace integracao
