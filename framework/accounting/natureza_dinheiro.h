#pragma once
// Which way an entry moved the company's money, and which way an obligation is settled: a payment
// settles only what the company pays (purchases, services taken, guides, calculations), a receipt only
// what it receives. The settlement engine, its linking screens and its posting runs ask here.
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace vyn {

class TDatabase;

// The settlement engine's nature codes of entries and obligations.
enum TNaturezaDinheiro : int { ndRecebe = 0, ndPaga = 1 };

// The direction of entries' money, reading the chart's bank and cash flags once per account.
class TDirecaoDinheiro {
 public:
  // Decided only by a bank or cash side: the statement's own account (banco, 0 when unknown)
  // credited pays and debited receives; otherwise the side that alone is a bank or cash account of
  // the company's chart. Nothing when no side tells (an entry between two other accounts, a
  // transfer between two banks).
  std::optional<TNaturezaDinheiro> Direcao(TDatabase& db, int64_t empresa, int64_t debito, int64_t credito,
                                           int64_t banco);
  // The nature the engine matches by: the direction when known, else the side left empty (no debit:
  // a payment, as a statement line before its counterpart is typed).
  TNaturezaDinheiro Natureza(TDatabase& db, int64_t empresa, int64_t debito, int64_t credito, int64_t banco);

 private:
  bool CaixaOuBanco(TDatabase& db, int64_t empresa, int64_t conta);
  int64_t PlanoDe(int64_t empresa);
  std::map<std::pair<int64_t, int64_t>, bool> contas_;   // (company, account): a bank or cash account
  std::map<std::pair<int64_t, int>, int64_t> planos_;    // (company, month): its chart, read once
};

// "um pagamento" or "um recebimento", as messages name an entry or an obligation.
const char* DescricaoNatureza(TNaturezaDinheiro n);

}  // namespace vyn
