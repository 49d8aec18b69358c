#pragma once
// Deleting ledger entries together with everything that hangs on them.
#include <string>

#include "framework/data/fb_database.h"

namespace vyn {

// The payment tables of every kind of obligation whose rows name the entry that posted them.
inline constexpr const char* kTabelasPagamento[] = {"VEF_EMP_TMOVENTPARPGTO", "VEF_EMP_TMOVSAIPARPGTO",
                                                    "VEF_EMP_TMOVSERPARPGTO", "VEF_EMP_TMOVF100PARPGTO",
                                                    "TDARFGERPGTO_BAIXA",     "TDADOSPGTOCALC_BAIXA"};

// Deletes the company's entries that the condition on L (with its values, in order) names, with their
// complements, cost-centre rows, Y570 rows, reconciled items and variance links; statement lines and
// payments that pointed at them lose the pointer, and the entries on the other side of their
// reconciliations are unmarked when no item is left. Runs in the caller's transaction, so a failure
// leaves every row where it was.
void ExcluiLancamentos(TDatabase& db, int codEmp, const std::string& onde, const TParams& valores);

// An entry made again under another key: what records that it posted a payment, a variance, a link or
// a source follows it, so that none of them is taken for not posted and posted a second time.
void TransfereVinculosDoLancamento(TDatabase& db, int codEmp, int de, int para);

}  // namespace vyn
