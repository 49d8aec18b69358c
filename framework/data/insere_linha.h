#pragma once
// Inserting a data set's rows into a table column by column, for data sets shaped by a file or a
// review rather than by the table: the staged sessions and the review imports write this way.
#include <cstdint>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "framework/core/variant.h"

namespace vyn {

class TClientDataSet;
class TDatabase;
class TStatement;

// Inserts rows into one table: every column the table has that the row has too, by name without
// regard to case. Computed columns are left out, since the server fills them and refuses a value.
// Values are bound as the data set holds them, so the data layer writes a flag in its column's own
// form ('TRUE'/'FALSE' in a text column). Statements are prepared once per set of columns and belong
// to the database.
class TInsereLinha {
 public:
  // Reads the table's columns once. tabela becomes statement text: a constant, or a name that passed
  // the identifier check.
  TInsereLinha(TDatabase& db, std::string tabela);
  // Inserts ds's current row. valores name columns whose values replace the row's own; they go in
  // whether the row has them or not (a name the table lacks is the server's error).
  void Insere(const TClientDataSet& ds, const std::map<std::string, Variant>& valores = {});
  // The table's columns, upper case, computed ones excepted.
  const std::vector<std::string>& Colunas() const { return colunas_; }

 private:
  // Which fields go in for one data set and one set of replaced columns; made again when either changes.
  struct Plano {
    const TClientDataSet* ds = nullptr;
    std::vector<std::string> nomesCampos;   // every field of ds, as they were when the plan was made
    std::vector<std::string> fixas;         // the replaced columns, in the order of valores
    std::vector<int> campos;                // the fields that go in after them
    std::string sql;
    // The statement as the database prepared it, for the attachment it was prepared on: found by its
    // text once, not at every row.
    TStatement* comando = nullptr;
    uint64_t geracao = 0;
  };
  bool PlanoServe(const TClientDataSet& ds, const std::map<std::string, Variant>& valores) const;
  void Planeja(const TClientDataSet& ds, const std::map<std::string, Variant>& valores);

  TDatabase& db_;
  std::string tabela_;
  std::vector<std::string> colunas_;
  std::unordered_set<std::string> temColuna_;
  Plano plano_;
};

}  // namespace vyn
