#pragma once
// The gate's writes of a change of posting plan: the consultation-only copy of a company's books, and
// the postings of a period translated into the new chart. The change holds the companies' ledgers
// (ledger_lock.h) and runs these in its own transaction.
#include <string>
#include <vector>

#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;

// The companies as a list for an IN clause ("1,2").
std::string ListaEmpresas(const std::vector<int>& empresas);
// The postings of the companies in the old chart from a date on (a posting without a chart was made
// under the plan in force), as a condition on L; values: old chart twice, the date.
std::string PeriodoTraduzido(const std::vector<int>& empresas);
// The side ("D" or "C") of L has no participant and its account moves to a participant account;
// values: the mapping plan, the new chart.
std::string SemParticipante(const char* lado);

// Copies the company's entries with their complements, cost-centre and Y570 rows into the copy, and
// its bank reconciliation (statement lines and reconciled items).
void CopiaLivrosEmpresa(TDatabase& db, int empresa, int copia);
// Copies into the copy, once it holds only the period before the change, the company's payments that
// name one of the copy's entries, with that link: the record of how the period was paid stays with its
// entries. Each such payment's obligation goes along (an installment with its document, a guide or a
// calculation, its balance what the copy's payments leave), so that the copy holds no payment of
// nothing. The company keeps its obligations and payments as they are.
void CopiaPagamentosEmpresa(TDatabase& db, int empresa, int copia);

struct TTraducaoTroca {
  int ContasDe = 0, ContasPara = 0;           // charts
  int HistoricosDe = 0, HistoricosPara = 0;   // history plans
  int PlanoTroca = 0;                         // the mapping plan
  int Participante = 0;                       // the generic participant (0: none)
  TDateTime Inicio;
};
// Moves the companies' postings from the change on into the new chart (or history plan).
void TraduzLancamentosTroca(TDatabase& db, const std::vector<int>& empresas, const TTraducaoTroca& t);

}  // namespace vyn
