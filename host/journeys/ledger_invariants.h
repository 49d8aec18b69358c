#pragma once
// What must never be found in a company database, whatever road a user took: obligations paid
// beyond their amount, settlements beyond the entry or line they came from, entries in a closed,
// zeroed or locked period, one source item booked twice, entries naming an account, history item
// or participant that does not exist, and rows left pointing at entries that do not.
#include <map>
#include <set>
#include <string>

namespace vyn {
class TDatabase;
}

namespace integracao_host {

class TInvariantesRazao {
 public:
  // Each rule's offending rows, one text a row naming its keys and values.
  using TViolacoes = std::map<std::string, std::set<std::string>>;

  // Reads every rule's rows from the database.
  static TViolacoes Le(vyn::TDatabase& db);
  // The rows found now that were not there before (the journey's own setup may hold some on
  // purpose), as a report: a rule a line, then its rows; empty when none.
  static std::string Novas(const TViolacoes& antes, const TViolacoes& agora);
};

}  // namespace integracao_host
