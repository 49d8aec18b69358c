// Automatic linking of n in-memory entries against n open fiscal installments of a real company
// database: one load of the installments, then one index range per entry.
#include <benchmark/benchmark.h>

#include <memory>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/data/fb_database.h"
#include "framework/livros/marca_livros.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"

namespace {

using namespace vyn;

// Installment i: purchase (odd) or sale (even) of 10.00 + i cents, except that every tenth pair of
// sales shares one value, so that only the due date can tell them apart.
Currency ValorParcela(int i) { return Currency::FromRaw(100000 + int64_t{i % 10 == 2 ? i - 2 : i} * 100); }

void SemeiaParcelas(TDatabase& db, int n) {
  const TDateTime base = EncodeDate(2024, 1, 1);
  TEscritaForaDoModulo fiscal(db);   // the fiscal module's documents
  TTransaction t(db);
  TStatement& docEnt = db.Prepared("insert into VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDDATAENTRADAENT, "
                                   "BDVALORCONTABIL) values (1, ?, ?, ?, ?)");
  TStatement& docSai = db.Prepared("insert into VEF_EMP_TMOVSAI (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDDATASAIDA, "
                                   "BDVALORCONTABIL) values (1, ?, ?, ?, ?)");
  TStatement& parEnt = db.Prepared("insert into VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDDATAVENCTOPAR, "
                                   "BDVALORPAR) values (1, ?, 1, ?, ?)");
  TStatement& parSai = db.Prepared("insert into VEF_EMP_TMOVSAIPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDDATAVENCTOPAR, "
                                   "BDVALORPAR) values (1, ?, 1, ?, ?)");
  for (int i = 0; i < n; ++i) {
    const Currency v = ValorParcela(i);
    const TDateTime vencto = IncDay(base, i % 300 + 10);
    const bool compra = i % 2 != 0;
    (compra ? docEnt : docSai).Run({i, i, IncDay(base, i % 300), v});
    (compra ? parEnt : parSai).Run({i, vencto, v});
  }
  t.Commit();
}

struct Cenario {
  std::unique_ptr<TTestCompanyDatabase> db;
  TComponent owner;
  TLancamentoMGR* lanc = nullptr;
};

std::unique_ptr<Cenario> MontaCenario(int n) {
  auto c = std::make_unique<Cenario>();
  c->db = std::make_unique<TTestCompanyDatabase>();
  SemeiaParcelas(c->db->Db(), n);
  c->lanc = TLancamentoMGR::CreateMgr(&c->owner);
  c->lanc->SetTableName("");
  for (const char* f : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO"}) c->lanc->AddFieldDef(f, TFieldType::ftInteger);
  c->lanc->AddFieldDef("BDDATA", TFieldType::ftDate);
  c->lanc->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  c->lanc->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
  c->lanc->AddFieldDef("BDVINC_BAIXA", TFieldType::ftBoolean);
  c->lanc->CreateDataSet();
  const TDateTime base = EncodeDate(2024, 1, 1);
  for (int i = 0; i < n; ++i) {
    // Entry i pays or receives installment i's value, on its due date or a few days off.
    const bool compra = i % 2 != 0;
    c->lanc->AppendRecord({1, i, compra ? Variant() : Variant(21), compra ? Variant(11) : Variant(),
                           IncDay(base, i % 300 + 10 + i % 5), ValorParcela(i), std::to_string(i), false});
  }
  return c;
}

void BM_VinculosAutomaticos(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto c = MontaCenario(n);
  integracao::TProcessoBaixas pb(&c->owner, c->lanc);
  int64_t vinculos = 0;
  for (auto _ : state) {
    pb.GetVinculosAutomaticos(&c->owner, c->lanc, 1, false, true, true, false, nullptr);
    state.PauseTiming();
    vinculos = pb.cdsVINC_EXT_BAN_BAIXA->RecordCount();
    pb.cdsVINC_EXT_BAN_BAIXA->EmptyDataSet();
    for (c->lanc->First(); !c->lanc->Eof(); c->lanc->Next()) {
      c->lanc->Edit();
      c->lanc->FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
      c->lanc->Post();
    }
    state.ResumeTiming();
  }
  state.counters["links"] = static_cast<double>(vinculos);
}
BENCHMARK(BM_VinculosAutomaticos)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
