#include "framework/accounting/natureza_dinheiro.h"

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"

namespace vyn {

bool TDirecaoDinheiro::CaixaOuBanco(TDatabase& db, int64_t empresa, int64_t conta) {
  if (conta <= 0) return false;
  auto it = contas_.find({empresa, conta});
  if (it == contas_.end()) {
    const bool sim = !db.Prepared("select first 1 1 from PLANOS_TPLA P where P.BDCODPLAPADRAO = ? and "
                                  "P.BDCODTPLA = ? and (P.BDCTABANCOPR = 'TRUE' or P.BDCTACAIXAPR = 'TRUE')")
                          .QueryValue({Variant(static_cast<long long>(PlanoDe(empresa))),
                                       Variant(static_cast<long long>(conta))})
                          .IsNull();
    it = contas_.emplace(std::make_pair(empresa, conta), sim).first;
  }
  return it->second;
}

// The company's chart of the month the host is at, as PlanoContasEmpresa reads it.
int64_t TDirecaoDinheiro::PlanoDe(int64_t empresa) {
  const auto chave = std::make_pair(empresa, ProcessContext().Referencia);
  auto it = planos_.find(chave);
  if (it == planos_.end()) it = planos_.emplace(chave, PlanoContasEmpresa(empresa)).first;
  return it->second;
}

std::optional<TNaturezaDinheiro> TDirecaoDinheiro::Direcao(TDatabase& db, int64_t empresa, int64_t debito,
                                                           int64_t credito, int64_t banco) {
  // The money's direction decides, whatever the user typed on the other side.
  if (banco > 0 && credito == banco && debito != banco) return ndPaga;
  if (banco > 0 && debito == banco && credito != banco) return ndRecebe;
  const bool caixaCredito = CaixaOuBanco(db, empresa, credito);
  const bool caixaDebito = CaixaOuBanco(db, empresa, debito);
  if (caixaCredito && !caixaDebito) return ndPaga;
  if (caixaDebito && !caixaCredito) return ndRecebe;
  return std::nullopt;
}

TNaturezaDinheiro TDirecaoDinheiro::Natureza(TDatabase& db, int64_t empresa, int64_t debito, int64_t credito,
                                             int64_t banco) {
  if (const auto d = Direcao(db, empresa, debito, credito, banco)) return *d;
  return debito <= 0 ? ndPaga : ndRecebe;
}

const char* DescricaoNatureza(TNaturezaDinheiro n) { return n == ndPaga ? "um pagamento" : "um recebimento"; }

}  // namespace vyn
