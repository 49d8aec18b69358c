#pragma once
// One-row upserts as the suite writes them: UPDATE OR INSERT ... MATCHING, with every value bound.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/variant.h"
#include "framework/data/fb_database.h"

namespace vyn {

// A value to write: bound as a parameter, or one of the server's own expressions
// (CURRENT_TIMESTAMP, CURRENT_DATE, NULL), which are the only texts that reach the SQL.
struct TSQLValor {
  TSQLValor(Variant v) : Valor(std::move(v)) {}  // NOLINT: values convert implicitly
  TSQLValor(const char* v) : Valor(v) {}
  TSQLValor(std::string v) : Valor(std::move(v)) {}
  TSQLValor(int v) : Valor(v) {}
  static TSQLValor Expressao(const std::string& expressao);
  Variant Valor;
  std::string SQLExpressao;  // empty: bound
};

struct TComandoSQL {
  std::string SQL;
  TParams Params;
  int64_t Execute(TDatabase& db) const { return db.Execute(SQL, Params); }
};

// "UPDATE OR INSERT INTO tabela (campos) VALUES (?, ...) MATCHING (matching)". Table and column
// names must be plain identifiers and every matching column one of the columns; the counts of
// columns and values must agree (std::invalid_argument otherwise).
TComandoSQL getUpdateOrInsert_VYN(const std::string& tabela, const std::vector<std::string>& campos,
                                  const std::vector<TSQLValor>& valores,
                                  const std::vector<std::string>& matching);

// The width in characters of a text column (0 when the column is not text or does not exist).
int LarguraColuna(TDatabase& db, const std::string& tabela, const std::string& coluna);
// For the status and run-log rows only: the text cut to the column's width, characters WIN1252
// cannot hold turned into '?', so that a failure record always reaches its row. Other data keeps
// the clear error the database gives.
std::string TextoParaColuna(TDatabase& db, const std::string& tabela, const std::string& coluna,
                            const std::string& texto);

}  // namespace vyn
