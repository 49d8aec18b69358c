#include "framework/host/update_or_insert.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "framework/core/text.h"
#include "framework/data/sql_value.h"

namespace vyn {

namespace {

constexpr std::string_view kIdentificadorInvalido = "Identificador SQL inválido: ";

// The UTF-8 sequence starting at i (its length; 1 for a broken byte).
size_t SeqLen(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

TSQLValor TSQLValor::Expressao(const std::string& expressao) {
  static const char* const kPermitidas[] = {"CURRENT_TIMESTAMP", "CURRENT_DATE", "CURRENT_TIME", "NULL"};
  const std::string e = UpperCase(Trim(expressao));
  for (const char* p : kPermitidas)
    if (e == p) {
      TSQLValor v{Variant()};
      v.SQLExpressao = e;
      return v;
    }
  throw std::invalid_argument("Expressão SQL não permitida: \"" + expressao + "\"");
}

TComandoSQL getUpdateOrInsert_VYN(const std::string& tabela, const std::vector<std::string>& campos,
                                  const std::vector<TSQLValor>& valores,
                                  const std::vector<std::string>& matching) {
  CheckSQLIdentifier<std::invalid_argument>(tabela, kIdentificadorInvalido);
  if (campos.empty() || campos.size() != valores.size())
    throw std::invalid_argument("UPDATE OR INSERT em " + tabela + ": " + std::to_string(campos.size()) +
                                " colunas e " + std::to_string(valores.size()) + " valores");
  for (const auto& c : campos) CheckSQLIdentifier<std::invalid_argument>(c, kIdentificadorInvalido);
  for (const auto& m : matching) {
    CheckSQLIdentifier<std::invalid_argument>(m, kIdentificadorInvalido);
    if (std::none_of(campos.begin(), campos.end(), [&](const std::string& c) { return SameText(c, m); }))
      throw std::invalid_argument("UPDATE OR INSERT em " + tabela + ": chave " + m + " fora das colunas");
  }
  TComandoSQL cmd;
  std::vector<std::string> marks;
  for (const auto& v : valores) {
    if (v.SQLExpressao.empty()) {
      marks.emplace_back("?");
      cmd.Params.push_back(v.Valor);
    } else {
      marks.push_back(v.SQLExpressao);
    }
  }
  cmd.SQL = "UPDATE OR INSERT INTO " + tabela + " (" + Join(campos, ", ") + ") VALUES (" + Join(marks, ", ") + ")";
  if (!matching.empty()) cmd.SQL += " MATCHING (" + Join(matching, ", ") + ")";
  return cmd;
}

int LarguraColuna(TDatabase& db, const std::string& tabela, const std::string& coluna) {
  Variant v = db.QueryValue(
      "SELECT F.RDB$CHARACTER_LENGTH FROM RDB$RELATION_FIELDS R "
      "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
      "WHERE R.RDB$RELATION_NAME = ? AND R.RDB$FIELD_NAME = ?",
      {Variant(UpperCase(tabela)), Variant(UpperCase(coluna))});
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

std::string TextoParaColuna(TDatabase& db, const std::string& tabela, const std::string& coluna,
                            const std::string& texto) {
  const int largura = LarguraColuna(db, tabela, coluna);
  std::string cortado = largura > 0 ? Utf8Left(texto, static_cast<size_t>(largura)) : texto;
  if (FitsWin1252(cortado)) return cortado;
  // Status and run-log rows only: a failure record must never be lost to a character it cannot hold.
  std::string out;
  for (size_t i = 0; i < cortado.size();) {
    const size_t n = std::min(SeqLen(static_cast<unsigned char>(cortado[i])), cortado.size() - i);
    const std::string ch = cortado.substr(i, n);
    out += FitsWin1252(ch) ? ch : "?";
    i += n;
  }
  return out;
}

}  // namespace vyn
