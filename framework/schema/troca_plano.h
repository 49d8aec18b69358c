#pragma once
// A change of posting plan after a closing replaces the original company's postings before the change
// by a balance implantation in the new chart (VZEL_EMPRESAS_TLAN.BDORDEMTROCA names the change). The
// user was told no one may alter that implantation: the database refuses to change or delete such an
// entry, whatever screen or import asks, except inside a change of posting plan's own transaction.
#include <string>

namespace vyn {

class TDatabase;

// The text the refusal carries, before the entry's company and key.
inline constexpr const char* kMensagemImplantacaoTroca =
    "A implantação de saldo criada pela troca do plano de contas não pode ser alterada nem excluída";

// Inside the open transaction of a change of posting plan: lets it change and delete implantations
// until that transaction ends (a later change deletes the earlier one's with the other postings).
void LiberaImplantacoesTroca(TDatabase& db);

// The mark rows by which a change of posting plan's transaction fills a consultation-only backup: one per
// copy and transaction, accepted only from the transaction that wrote the copy's company row.
inline constexpr const char* kTabelaCopiaTroca = "TCOPIA_TROCA";
// Inside the open transaction of a change of posting plan that made the copy: lets it fill the backup
// copy, which the database otherwise keeps as it is (its books refuse every write, from any road, SQL
// included), and lets the payments of the period the copy keeps go into it with their links, although
// their obligations stay in the original (the payment tables' balance checks would find none there).
// Only that copy (each one named), until the transaction ends.
void LiberaCopiaTroca(TDatabase& db, int copia);
// Before the change's transaction commits: takes its marks away, so that none outlives it.
void EncerraCopiasTroca(TDatabase& db);
// The condition, for SQL of the schema, that the company named by the expression empresa is the copy
// the current transaction fills.
std::string CopiaLiberada(const std::string& empresa);

// The text a write into a consultation-only copy's books is refused with, before the company.
inline constexpr const char* kMensagemCopiaConsulta = "é uma cópia somente para consulta e não aceita lançamentos";

}  // namespace vyn
