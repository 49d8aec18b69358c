#pragma once
// A change of posting plan after a closing replaces the original company's postings before the change
// by a balance implantation in the new chart (VZEL_EMPRESAS_TLAN.BDORDEMTROCA names the change). The
// user was told no one may alter that implantation: the database refuses to change or delete such an
// entry, whatever screen or import asks, except inside a change of posting plan's own transaction.
namespace vyn {

class TDatabase;

// The text the refusal carries, before the entry's company and key.
inline constexpr const char* kMensagemImplantacaoTroca =
    "A implantação de saldo criada pela troca do plano de contas não pode ser alterada nem excluída";

// Inside the open transaction of a change of posting plan: lets it change and delete implantations
// until that transaction ends (a later change deletes the earlier one's with the other postings).
void LiberaImplantacoesTroca(TDatabase& db);

// The transaction context variable naming the consultation-only backup a change is filling.
inline constexpr const char* kContextoCopiaTroca = "VYN_COPIA_TROCA";
// Inside the open transaction of a change of posting plan: lets it fill the backup copy, which the
// database otherwise keeps as it is (its books refuse every write, from any road, SQL included), and
// lets the payments of the period the copy keeps go into it with their links, although their
// obligations stay in the original (the payment tables' balance checks would find none there). Only
// that copy, until the transaction ends or another copy is named.
void LiberaCopiaTroca(TDatabase& db, int copia);

// The text a write into a consultation-only copy's books is refused with, before the company.
inline constexpr const char* kMensagemCopiaConsulta = "é uma cópia somente para consulta e não aceita lançamentos";

}  // namespace vyn
