#pragma once
// What the record of booked sources knows each kind of origin's source by, one key function per kind, so
// that every road that meets a source names it alike: a Dyq item by its id; a line that comes without an
// id by what its statement says of it, with an ordinal only among the lines that say the same. Where a
// road sees a source again under a key the record holds, what it says now is weighed against what was
// booked: the same key with another day, value or side is a changed movement, never "já lançado".
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/livros/livros.h"

namespace vyn {

class TDatabase;

// A Dyq statement's or cash movement's item: the prefix of its key, then its id.
inline constexpr const char* kPrefixoItemDyq = "I|";
std::string ChaveItemDyq(int64_t id);

// What a statement says of a line it sends without an id.
struct TLinhaSemId {
  TDateTime Data;
  Currency Valor;
  bool Saida = false;   // money out of the account
  std::string Documento;
  std::string Texto;    // the bank's own text
};

// The keys of one reading of statements' id-less lines, given in the order their statements send them.
class TChavesLinhasSemId {
 public:
  // extrato names the statement the line belongs to (a Dyq statement, or an account's file).
  std::string Chave(const std::string& extrato, const TLinhaSemId& l);

 private:
  std::map<std::string, int> vistas_;   // what each line said -> how many said it before
};

// A source as the record holds what it stood for when booked.
struct TMovimentoRegistrado {
  Currency Valor;
  TMovimentoFonte Movimento;
  int ChaveLancamento = 0;   // the entry that booked it whole, or the first of its parts'
};

// What the record holds of the company's sources of one kind among chaves (those booked, whole or in
// part), read in the open transaction.
std::map<std::string, TMovimentoRegistrado> MovimentosRegistrados(TDatabase& db, int codEmp, TTipoFonte tipo,
                                                                   const std::vector<std::string>& chaves);

// Empty when f says what was booked under its key; else, in the user's words, how it changed since.
std::string MovimentoAlterado(const TFonteLancada& f, const TMovimentoRegistrado& antes);

}  // namespace vyn
