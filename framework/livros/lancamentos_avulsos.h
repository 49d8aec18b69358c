#pragma once
// The gate's writes of single entries that a reconciliation or a utility changes after they were
// booked: the reconciled marks, the date a reconciliation moves, an entry deleted, an entry made again
// under another key. What changes an entry's date or removes it passes the rules for every day it
// touches (the old day and the new).
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/core/variant.h"

namespace vyn {

class TDatabase;
class TLivros;

// Marks the entry reconciled on each side whose account is conta. With soLivre, a side marked already
// is not marked again; answers the entries changed (0: none was, or it does not exist).
int64_t MarcaConciliado(TDatabase& db, int64_t emp, int64_t chave, int64_t conta, bool soLivre);

// Moves an entry to another day; ELivrosRecusa when the rules refuse its day or the new one.
void MudaDataLancamento(TLivros& livros, TDatabase& db, int64_t emp, int64_t chave, TDateTime data);

// Deletes an entry with its details and the reconciled items that name it; ELivrosRecusa when the rules
// refuse its day. False when it no longer exists.
bool ExcluiLancamentoContabil(TLivros& livros, TDatabase& db, int64_t emp, int64_t chave);

// The entry made again under a newly reserved key, in chart contas with history plan historicos (not
// reconciled), its details and links following it; the old one goes. colunas: the ledger's other
// columns, copied as they are. Answers the new key.
int RefazLancamento(TDatabase& db, int codEmp, int chave, const Variant& contas, const Variant& historicos,
                    const std::string& colunas);

// A new entry of a utility that writes its entries in a script, all or nothing.
struct TLancamentoNovo {
  int CodEmp = 0;
  int Chave = 0;   // reserved (ReserveEntryKeys)
  TDateTime Data;
  int Plano = 0;
  int TipoLan = 0;
  int Debito = 0;
  int Credito = 0;
  Currency Valor;
  Variant CodHist, CodTphi;
  std::string Compl, Dcto;
};
// The rules for l (ELivrosRecusa when they refuse it), then the statement that inserts it.
std::string InsercaoLancamento(TLivros& livros, const TLancamentoNovo& l);
// Runs the utility's script of those statements (and of the rows that name its entries) on db, all or
// nothing, as the gate's own write: the error's text (TDAOFactory::Executa_Script), empty when it all went in.
std::string GravaScriptLancamentos(TDatabase& db, const std::vector<std::string>& script);

}  // namespace vyn
