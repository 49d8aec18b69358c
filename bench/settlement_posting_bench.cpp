// A posting run of linked settlements: every imported entry linked to an open fiscal installment of its
// own document, posted by GetVinculoBaixa, which commits each settlement. Goals: the cost per link within
// 3x one small committed transaction measured in the same run (the floor of a run that commits each
// item), and not growing with the run (10,000 links within 1.5x the cost per link of 1,000).
//   settlement_posting_bench                              1,000 and 10,000 links
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>

#include <fmt/format.h>

#include "bench/bench_support.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/data/fb_database.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"

namespace {

using namespace vyn;

std::map<int64_t, double>& PorVinculo() {
  static std::map<int64_t, double> us;
  return us;
}

// N documents of the entries book, one installment of 100.00 each, paid by N entries of 100.00.
void Semeia(TDatabase& db, int n) {
  seed::AddStandardCompany(db, 202401);
  TTransaction tr(db);
  TStatement& doc = db.Prepared(
      "insert into VEF_EMP_TMOVENT (BDCODEMP, BDCHAVE, BDNUMDOCINI, BDDATAENTRADAENT, BDVALORCONTABIL) "
      "values (1, ?, ?, ?, 100)");
  TStatement& par = db.Prepared(
      "insert into VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDPARCELAPAR, BDDATAVENCTOPAR, BDVALORPAR) "
      "values (1, ?, 1, '1/1', ?, 100)");
  for (int i = 1; i <= n; ++i) {
    doc.Execute({i, i, EncodeDate(2024, 3, 1)});
    par.Execute({i, EncodeDate(2024, 3, 10)});
  }
  tr.Commit();
}

void BM_PostingRun(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    bench::TBancoBench company;
    Semeia(company.Db(), n);
    TPublicas::SetReferencia(202401);
    TComponent tela;
    auto* entradas = integracao::EntradasEmMemoria(tela);
    auto* empresa = tela.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    empresa->SetText("1");
    if (!empresa->Validate()) {
      state.SkipWithError(empresa->Mensagem().c_str());
      break;
    }
    auto* lista = tela.Create<TInconsistencias_VYN>();
    integracao::TProcessoBaixas pb(&tela, entradas);
    TClientDataSet* links = pb.cdsVINC_EXT_BAN_BAIXA;
    for (int i = 1; i <= n; ++i) {
      entradas->AppendRecord({1, i, seed::kContaFornecedores, seed::kContaBanco, Variant(),
                              EncodeDate(2024, 3, 1 + i % 28), Currency::FromInt(100), std::to_string(i)});
      links->Append();
      links->FieldByName("BDCHAVE").SetAsInteger(i);
      links->FieldByName("BDTIPO_BAIXA").SetAsInteger(integracao::tbvParcela);
      links->FieldByName("BDSUBTIPO_BAIXA").SetAsInteger(0);
      links->FieldByName("BDBAIXA_ID").SetAsInteger(i);
      links->FieldByName("BDORDEM").SetAsInteger(1);
      links->FieldByName("BDVALOR").SetAsCurrency(Currency::FromInt(100));
      links->Post();
    }

    const auto t0 = std::chrono::steady_clock::now();
    pb.GetVinculoBaixa(&tela, empresa, lista, entradas);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);

    const int64_t lancados = company.Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger();
    if (lancados != n || lista->Count() != 0) {
      state.SkipWithError("not every link was posted");
      return;
    }
    const double us = secs * 1e6 / n;
    state.counters["us/link"] = us;
    PorVinculo()[n] = us;
  }
}
BENCHMARK(BM_PostingRun)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

double& Piso() {
  static double us = 0;
  return us;
}

void BM_SmallCommittedTransaction(benchmark::State& state) {
  for (auto _ : state) {
    const double s = bench::TransacaoPequena(static_cast<int>(state.range(0)));
    state.SetIterationTime(s);
    Piso() = s * 1e6;
    state.counters["us/commit"] = Piso();
  }
}
BENCHMARK(BM_SmallCommittedTransaction)->Arg(2000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  auto& us = PorVinculo();
  bench::TMetas& metas = bench::Metas();
  if (Piso() > 0)
    for (int n : {1000, 10000})
      if (us.count(n))
        metas.Confere(fmt::format("posting run, {} links: cost per link / small commit", n), us[n] / Piso(), 3.0,
                      "x");
  if (us.count(1000) && us.count(10000))
    metas.Confere("posting run, cost per link 10,000 / 1,000", us[10000] / us[1000], 1.5, "x");
  return metas.Codigo();
}
