// Speed and memory of the in-memory data set at the sizes reviews reach.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "framework/data/client_dataset.h"

namespace {

using namespace vyn;

long ResidentBytes() {
  long pages_total = 0, pages_resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
    std::fclose(f);
  }
  return pages_resident * sysconf(_SC_PAGESIZE);
}

std::string Code(int64_t i) { return "C" + std::to_string(i * 7919 % 1000003); }

// 3 integers, 2 money, 1 date, 3 short texts, 1 Boolean.
std::unique_ptr<TClientDataSet> MakeRows(int n) {
  auto ds = std::make_unique<TClientDataSet>();
  ds->AddFieldDef("ID", TFieldType::ftInteger);
  ds->AddFieldDef("EMP", TFieldType::ftInteger);
  ds->AddFieldDef("CONTA", TFieldType::ftInteger);
  ds->AddFieldDef("VALOR", TFieldType::ftCurrency);
  ds->AddFieldDef("SALDO", TFieldType::ftCurrency);
  ds->AddFieldDef("DATA", TFieldType::ftDate);
  ds->AddFieldDef("DCTO", TFieldType::ftString, 15);
  ds->AddFieldDef("HIST", TFieldType::ftString, 15);
  ds->AddFieldDef("SERIE", TFieldType::ftString, 5);
  ds->AddFieldDef("ATIVO", TFieldType::ftBoolean);
  ds->CreateDataSet();
  TField& id = ds->FieldByName("ID");
  TField& emp = ds->FieldByName("EMP");
  TField& conta = ds->FieldByName("CONTA");
  TField& valor = ds->FieldByName("VALOR");
  TField& saldo = ds->FieldByName("SALDO");
  TField& data = ds->FieldByName("DATA");
  TField& dcto = ds->FieldByName("DCTO");
  TField& hist = ds->FieldByName("HIST");
  TField& serie = ds->FieldByName("SERIE");
  TField& ativo = ds->FieldByName("ATIVO");
  TDateTime base = EncodeDate(2024, 1, 1);
  for (int i = 0; i < n; ++i) {
    ds->Append();
    id.SetAsInteger(i);
    emp.SetAsInteger(i % 50);
    conta.SetAsInteger(i % 997);
    valor.SetAsCurrency(Currency::FromRaw(int64_t{i} * 137 % 10000000));
    saldo.SetAsCurrency(Currency::FromRaw(int64_t{i} * 31));
    data.SetAsDateTime(IncDay(base, i % 365));
    dcto.SetAsString(Code(i));
    hist.SetAsString("Pagto " + std::to_string(i % 1000));
    serie.SetAsString(i % 2 ? "A" : "B");
    ativo.SetAsBoolean(i % 3 == 0);
    ds->Post();
  }
  return ds;
}

// Data sets shared by the lookup benchmarks, built once per size.
TClientDataSet& Shared(int n) {
  static std::map<int, std::unique_ptr<TClientDataSet>> sets;
  auto& p = sets[n];
  if (!p) {
    p = MakeRows(n);
    p->SetIndexFieldNames("DCTO;ID");
  }
  return *p;
}

void BM_Append(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double perRow = 0;
  for (auto _ : state) {
    long before = ResidentBytes();
    auto ds = MakeRows(n);
    long after = ResidentBytes();
    perRow = static_cast<double>(after - before) / n;
    benchmark::DoNotOptimize(ds->RecordCount());
    state.PauseTiming();
    ds.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_row"] = perRow;
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Append)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_BuildIndex(benchmark::State& state) {
  auto ds = MakeRows(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ds->SetIndexFieldNames("DCTO;ID");
    ds->SetIndexFieldNames("");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BuildIndex)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FindKey(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TClientDataSet& ds = Shared(n);
  int64_t i = 0;
  for (auto _ : state) {
    i = (i + 7877) % n;
    if (!ds.FindKey({Code(i)})) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_FindKey)->Arg(10'000)->Arg(1'000'000);

void BM_Locate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TClientDataSet& ds = Shared(n);
  int64_t i = 0;
  for (auto _ : state) {
    i = (i + 7877) % n;
    if (!ds.Locate("DCTO;ID", {Code(i), i})) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_Locate)->Arg(10'000)->Arg(1'000'000);

void BM_Filter(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TClientDataSet& ds = Shared(n);
  int count = 0;
  for (auto _ : state) {
    ds.SetFilter("(VALOR >= 5000.5 and SERIE = 'a') or EMP = 3");
    ds.SetFiltered(true);
    count = ds.RecordCount();
    ds.SetFiltered(false);
  }
  state.counters["rows_shown"] = count;
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Filter)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The engines' loop: for each row, Edit, set a field, Post; on an indexed data set.
void BM_EditLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool keyField = state.range(1) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto ds = MakeRows(n);
    ds->SetIndexFieldNames("EMP;ID");
    state.ResumeTiming();
    for (ds->First(); !ds->Eof(); ds->Next()) {
      ds->Edit();
      if (keyField) ds->FieldByName("ID").SetAsInteger(ds->FieldByName("ID").AsInteger() + 0);
      else ds->FieldByName("SALDO").SetAsCurrency(ds->FieldByName("VALOR").AsCurrency());
      ds->Post();
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_EditLoop)->Args({300'000, 0})->Unit(benchmark::kMillisecond)->Iterations(1);

// Every row leaves the filter when posted: the loop that marks rows as done.
void BM_FilterDrainLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto ds = MakeRows(n);
    ds->SetIndexFieldNames("DCTO");
    ds->SetFilter("SALDO >= 0");
    ds->SetFiltered(true);
    state.ResumeTiming();
    for (ds->First(); !ds->Eof();) {
      ds->Edit();
      ds->FieldByName("SALDO").SetAsCurrency(Currency::FromInt(-1));
      ds->Post();
    }
    if (!ds->IsEmpty()) state.SkipWithError("rows left");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FilterDrainLoop)->Arg(300'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Rows that change their key under the index, the worst case for keeping it sorted.
void BM_KeyChangeLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto ds = MakeRows(n);
    ds->SetIndexFieldNames("CONTA");
    TClientDataSet byId;
    byId.CloneCursor(*ds);
    byId.SetIndexFieldNames("ID");
    state.ResumeTiming();
    for (int i = 0; i < n; ++i) {
      byId.FindKey({i});
      byId.Edit();
      byId.FieldByName("CONTA").SetAsInteger((i * 31) % 1000);
      byId.Post();
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_KeyChangeLoop)->Arg(300'000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
