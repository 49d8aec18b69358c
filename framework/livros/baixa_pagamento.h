#pragma once
// The statement that writes the payments of a settlement: for each in turn it locks the obligation's
// row and reads its open balance under the lock, refuses a value above it, inserts the payment row with
// its obligation's next sequence, lowers the obligation's own balance and records the posted link; after
// the last it inserts the ledger entry. A group's payments go in one statement, as a single one does.
// One statement per shape of settlement (each payment's tables, key, guard), prepared once per run: a run
// commits each settlement, and its statements are what costs beside the commit.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"

namespace vyn {

// The link a settlement is posted for: its identity in an import session (the link row's own, see
// the settlement engine) and the link row's text. Recorded with the payment in the module's table of
// posted links, so that no later run posts that link again; an empty Vinculo records nothing.
struct TOrigemBaixa {
  int Sessao = 0;
  int64_t Id = 0;
  std::string Vinculo;
  std::string Descricao;
};

// The module's record of posted links (one row per link, entry and settlement kind).
inline constexpr const char* kTabelaVinculosLancados = "VZEL_EMP_TVINC_BAIXA_LANC";

// Settlement kinds of a payment row (the installment managers' SetTIPOBAIXA_MGR vocabulary).
enum TTipoBaixaPgto : int { tbpPrincipal = 1, tbpMulta = 2, tbpJuros = 3, tbpDesconto = 4 };

// One settlement entry.
struct TLancamentoBaixa {
  int CodEmp = 0;
  TDateTime Data;
  int Debito = 0;
  int Credito = 0;
  Currency Valor;
  std::string Dcto;
  std::string Compl;
};

// What the statement's text is made of for one kind of payment: its table and columns, and how the
// obligation's balance is read and lowered. A manager makes each of its kinds once and its payments share
// it: a run tells its statements apart by their payments' kinds, not by their text.
struct TFormaPagamento {
  std::string Tabela;
  std::vector<std::string> Chave;       // the obligation's key columns
  std::string ColunaSeq;
  std::vector<std::string> Valores;     // the other columns of the payment row
  // The open balance, an expression over the obligation's row (alias O); empty: no balance to respect.
  std::string Guarda;
  // What a payment row of the obligation took off that balance, an expression over its columns: the
  // open balance is Guarda less their sum, read in the one pass over the obligation's payment rows that
  // finds the next sequence. Empty: Guarda alone is the balance.
  std::string Pagos;
  // The obligation's own table (keyed by Chave). Its row is locked before the guard reads the balance,
  // so two workstations settling it at once cannot both read the same open balance.
  std::string TabelaObrigacao;
  // Tables of the same columns a payment of this kind may be written to instead, as (Tabela,
  // TabelaObrigacao): the other books' installments of a run. The statement then writes each payment to
  // the pair its TPagamentoBaixa::Tabela names (0 the form's own, i Outras[i - 1]), and the forms of
  // several managers that name the same pairs in the same order make one statement, prepared once.
  std::vector<std::pair<std::string, std::string>> Outras;
  // Set clause lowering the obligation's own balance by the value paid (:PVALOR), e.g. the guide's;
  // it must touch the obligation's row. Empty: the payment rows are the balance. With a Guarda and no
  // Pagos, this update is the row's lock too, made only where the balance allows the value.
  std::string Abate;
};

// The payment row of one settlement: inserted with the next sequence of its obligation and the entry key,
// after the guard query (which answers the obligation's open balance) has allowed its value.
struct TPagamentoBaixa {
  std::shared_ptr<const TFormaPagamento> Forma;
  std::vector<Variant> Chave;     // the obligation, in the order of Forma's key columns
  std::vector<Variant> Valores;   // in the order of Forma's other columns
  size_t Tabela = 0;              // which of Forma's tables: 0 its own, i its Outras[i - 1]
  Currency ValorGuarda;
  std::string Descricao;
  TOrigemBaixa Origem;                                    // recorded as posted with the payment
  int TipoBaixa = tbpPrincipal;
  Currency Valor;
  // Noted by the manager as settled for this imported entry (0: none) once the payment is written.
  int64_t ChaveOrigem = 0;
  std::string Obrigacao;
  // The posting-lock check of the company's date for the run's screens, run by the statement before it
  // writes anything (company 0: not run).
  int BloqueioEmp = 0;
  TDateTime BloqueioData;
  std::string BloqueioTela;
};

// A statement writes at most this many payments of one settlement (a group's): a larger group takes
// several, in the settlement's one transaction. It bounds the statement's text and its message.
inline constexpr size_t kPagamentosPorComando = 8;

// What the statement answers about the payment at Pagamento (its place in the statement, from 0); a
// refusal leaves nothing of the statement written, and the settlement's transaction (an earlier statement
// of a large group) is to be rolled back.
enum TSituacaoPagamento : int {
  spGravado = 0,     // every row written
  spSaldo = 1,       // the open balance (Saldo) is below the value
  spSemAbate = 2,    // the obligation's balance was not lowered (its row is gone)
  spBloqueado = 3,   // the posting-lock check found TipoBloqueio (Inicio, Fim, Motivo)
  spOcupado = 4,     // another workstation holds the obligation (Codigo: the server's error)
};
struct TRespostaPagamentos {
  TSituacaoPagamento Situacao = spGravado;
  size_t Pagamento = 0;
  std::optional<Currency> Saldo;
  int TipoBloqueio = 0;
  std::optional<TDateTime> Inicio, Fim;
  std::string Motivo;
  long Codigo = 0;
};

// The statement writing the payments ps (1 to kPagamentosPorComando) of one settlement in turn, and the
// entry after the last: its text follows their kinds alone.
std::string TextoGravaPagamentos(std::span<const TPagamentoBaixa> ps);
// The values in the statement's order, into v (emptied first: a run keeps one v for its settlements);
// without l the entry is not written (a group's earlier payments). Where bloqueio[i] is false the
// statement leaves out payment i's lock check: an earlier payment of the settlement, in its
// transaction, read it for the same company, day and screens.
void ParametrosGravaPagamentos(std::span<const TPagamentoBaixa> ps, int chaveLancamento, int codEmp,
                               const TLancamentoBaixa* l, const Variant& plaPadrao, const std::vector<bool>& bloqueio,
                               TParams& v);
// Runs comando (TextoGravaPagamentos' text, prepared on db once per shape by the run) with valores, as
// the gate's own write. A refused statement wrote nothing.
TRespostaPagamentos GravaPagamentos(TDatabase& db, TStatement& comando, const TParams& valores);

}  // namespace vyn
