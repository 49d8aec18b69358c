#pragma once
// The statement that writes one payment of a settlement: it locks the obligation's row and reads its
// open balance under the lock, refuses a value above it, inserts the payment row with its obligation's
// next sequence, lowers the obligation's own balance, records the posted link and, for the last payment
// of the entry, inserts the ledger entry. One statement per shape of payment (table, key, guard),
// prepared once per run: a run commits each settlement, and its statements are what costs beside the
// commit.
#include <string>

#include "framework/accounting/settlement_mgr.h"

namespace vyn {

// What the statement answers in SITUACAO.
enum TSituacaoPagamento : int {
  spGravado = 0,     // every row written
  spSaldo = 1,       // the open balance (SALDO) is below the value: nothing written
  spSemAbate = 2,    // the obligation's balance was not lowered (its row is gone)
  spBloqueado = 3,   // the posting-lock check found BTIPO (BDINI, BDFIM, BMOTIVO): nothing written
};

std::string TextoGravaPagamento(const TPagamentoBaixa& p);
// What tells one shape from another (tables, columns, guard, abatement): far shorter than the text.
std::string FormaGravaPagamento(const TPagamentoBaixa& p);
// The values in the statement's order; without l the entry is not written (a group's earlier payments).
TParams ParametrosGravaPagamento(const TPagamentoBaixa& p, int chaveLancamento, int codEmp,
                                 const TLancamentoBaixa* l, const Variant& plaPadrao);

}  // namespace vyn
