#include "host/demo_seed.h"

#include <iterator>

#include "framework/accounting/processo_recontabilizacao_mgr.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/schema/entry_keys.h"
#include "framework/schema/seed.h"

namespace integracao_host {

namespace {

// A few postings of the fiscal module for the head office in the first month, so the start of
// online posting has older postings to ask about.
void SemeiaLancamentosFiscais(vyn::TDatabase& db, int referencia) {
  namespace s = vyn::seed;
  struct Lancamento {
    int Dia;
    int Debito;
    int Credito;
    const char* Valor;
    const char* Dcto;
    int Rotina;   // the fiscal routine that posted it: purchases or sales
  };
  const Lancamento lancamentos[] = {
      {5, s::kContaDespesas, s::kContaFornecedores, "1250.00", "NF 1001", 3},
      {12, s::kContaClientes, s::kContaReceitas, "3480.50", "NF 2001", 4},
      {20, s::kContaDespesas, s::kContaFornecedores, "730.25", "NF 1002", 3},
  };
  constexpr int kEmpresa = 1;
  const vyn::TDateTime mes = vyn::FirstDayOfAnoMes(referencia);
  int chave = vyn::ReserveEntryKeys(db, kEmpresa, static_cast<int>(std::size(lancamentos)));
  vyn::TStatement& ins = db.Prepared(
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDDEBITO, BDCREDITO, BDVALOR,"
      " BDDCTO, BDTIPOLAN, BDROTINA) VALUES (?, ?, ?, 1, ?, ?, ?, ?, ?, ?)");
  for (const Lancamento& l : lancamentos)
    ins.Execute({kEmpresa, chave++, vyn::IncDay(mes, l.Dia - 1), l.Debito, l.Credito,
                 vyn::Currency::ParseSQL(l.Valor), l.Dcto, vyn::kTipoLanFiscal, l.Rotina});
}

// The posting plan the seeded companies are on, so screens that read a plan's chart and history plan
// find the one in force.
void SemeiaPlanoContabilizacao(vyn::TDatabase& db) {
  db.Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST)"
             " VALUES (1, ?, 1, 1)",
             {"Plano de contabilização padrão"});
}

}  // namespace

void SemeiaDemonstracao(vyn::TDatabase& db, int referencia) {
  vyn::TTransaction tr(db);
  vyn::seed::AddStandardCompany(db, referencia);
  SemeiaPlanoContabilizacao(db);
  SemeiaLancamentosFiscais(db, referencia);
  tr.Commit();
}

}  // namespace integracao_host
