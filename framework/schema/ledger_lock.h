#pragma once
// A change of posting plan holds a company's ledger for the whole of its transaction: while it moves
// the references and translates the postings, no other workstation may write an entry that would stay
// behind in the old chart. The hold is made of row locks of that transaction, so it ends with it, on
// commit, rollback or a lost attachment alike; nothing is left to go stale.
//
// Every ledger writer reserves its entry keys (ReserveEntryKeys) before it writes a row, inside its own
// transaction; the reservation marks the writer's attachment as writing the company until that
// transaction ends and refuses the write while a change holds the company. The change takes the hold
// and then waits for the writers already under way, so their entries are committed before it
// translates, and none can start after it.
#include <string>
#include <vector>

namespace vyn {

class TDatabase;

// The text a writer meets while a change of posting plan holds the company.
std::string MensagemEmpresaEmTroca(int codemp);

// Writer's side: marks this attachment's open transaction as writing the company's ledger; raises
// EDatabaseError with MensagemEmpresaEmTroca while a change holds it. Without an open transaction
// it only checks.
void MarcaGravacaoLancamentos(TDatabase& db, int codemp);

// Change's side, inside its open transaction: holds the companies' ledgers until it ends, after the
// writers under way have ended. Raises EDatabaseError when another change holds one of them or a
// writer does not end within the bound.
void BloqueiaLancamentosEmpresas(TDatabase& db, const std::vector<int>& empresas);

}  // namespace vyn
