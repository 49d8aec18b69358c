// Writing rows of the ledger's shape: through a table-bound data-access object and through a script,
// against a bare prepared INSERT loop on the client API, each in one transaction. The data layer should
// keep at least 70% of the bare throughput. The ledger itself is written by the books' gate only (the
// data layer refuses a data set's or a script's write to it), so all three write a table of its columns,
// key and date index.
//   ledger_write_bench                                  1,000,000 rows and 20,000 rows
//   ledger_write_bench --benchmark_filter=/20000        the quick run
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <vector>
#include <map>
#include <string>

#include "bench/bench_support.h"
#include "framework/data/dao_factory.h"
#include "framework/data/sql_value.h"
#include "testing/company_db.h"

namespace {

using namespace vyn;

std::map<std::string, double>& Rates() {
  static std::map<std::string, double> rates;
  return rates;
}

constexpr int kChunk = 10000;   // rows kept in memory by the data-access object between flushes

constexpr const char* kTabela = "BENCH_TLAN";
const std::vector<std::string>& DDL() {
  static const std::vector<std::string> ddl = {
      "CREATE TABLE BENCH_TLAN (BDCODEMP INTEGER NOT NULL, BDCHAVE INTEGER NOT NULL, BDDATA DATE, BDDEBITO INTEGER, "
      "BDCREDITO INTEGER, BDVALOR NUMERIC(18,4), BDCODHIST INTEGER, BDCODTPHI INTEGER, BDCOMPL VARCHAR(200), "
      "BDDCTO VARCHAR(30), CONSTRAINT PK_BENCH_TLAN PRIMARY KEY (BDCODEMP, BDCHAVE))",
      "CREATE INDEX IX_BENCH_TLAN_DATA ON BENCH_TLAN (BDCODEMP, BDDATA)"};
  return ddl;
}

// A bench database with the table made.
struct TBancoTabela {
  bench::TBancoBench bd;
  TBancoTabela() {
    for (const std::string& d : DDL()) bd.Db().Execute(d);
  }
};

void Record(benchmark::State& state, const std::string& name, int64_t rows, double seconds) {
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  Rates()[name + "/" + std::to_string(state.range(0))] = static_cast<double>(rows) / seconds;
}

void BM_BarePreparedInsert(benchmark::State& state) {
  for (auto _ : state) {
    const double secs = bench::InsercaoCrua(state.range(0), kTabela, DDL());
    state.SetIterationTime(secs);
    Record(state, "bare", state.range(0), secs);
  }
}

void BM_DAOFactoryPost(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    TBancoTabela banco;
    bench::TBancoBench& bd = banco.bd;
    const int first = 1;
    TDAOFactory dao(nullptr, kTabela, &bd.Db());
    dao.SelectVazio();
    const TDateTime base = EncodeDate(2024, 3, 1);
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    {
      TEscritaForaDoModulo dados(bd.Db());   // the data layer's own cost, whoever writes
      TTransaction tr(bd.Db());
      for (int64_t i = 0; i < n; ++i) {
        dao.Append();
        dao.FieldByName("BDCODEMP").SetAsInteger(1);
        dao.FieldByName("BDCHAVE").SetAsInteger(first + i);
        dao.FieldByName("BDDATA").SetAsDateTime(IncDay(base, static_cast<int>(i % 28)));
        dao.FieldByName("BDDEBITO").SetAsInteger(20);
        dao.FieldByName("BDCREDITO").SetAsInteger(11);
        dao.FieldByName("BDVALOR").SetAsCurrency(Currency::FromRaw(1234500 + i));
        dao.FieldByName("BDCODHIST").SetAsInteger(1);
        dao.FieldByName("BDCODTPHI").SetAsInteger(1);
        dao.FieldByName("BDCOMPL").SetAsString("Pagamento conforme documento");
        dao.FieldByName("BDDCTO").SetAsString(std::to_string(i));
        dao.Post();
        if ((i + 1) % kChunk == 0) dao.EmptyDataSetDao();
      }
      tr.Commit();
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);
    Record(state, "dao", n, secs);
  }
}

void BM_ScriptInsert(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    TBancoTabela banco;
    bench::TBancoBench& bd = banco.bd;
    const int first = 1;
    const TDateTime base = EncodeDate(2024, 3, 1);
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    {
      TEscritaForaDoModulo dados(bd.Db());   // the data layer's own cost, whoever writes
      TTransaction tr(bd.Db());
      std::vector<std::string> script;
      script.reserve(kChunk);
      for (int64_t i = 0; i < n; ++i) {
        script.push_back(
            std::string("INSERT INTO ") + kTabela + " (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, "
            "BDCODTPHI, BDCOMPL, BDDCTO) VALUES (1, " + SQLInteger(first + i) + ", " +
            SQLDate(IncDay(base, static_cast<int>(i % 28))) + ", 20, 11, " +
            SQLCurrency(Currency::FromRaw(1234500 + i)) + ", 1, 1, " + QuotedStr("Pagamento conforme documento") +
            ", " + QuotedStr(std::to_string(i)) + ")");
        if (script.size() == kChunk || i + 1 == n) {
          bd.Db().ExecuteScriptOrThrow(script);
          script.clear();
        }
      }
      tr.Commit();
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);
    Record(state, "script", n, secs);
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(20000)->Arg(1000000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_BarePreparedInsert)->Apply(Sizes);
BENCHMARK(BM_DAOFactoryPost)->Apply(Sizes);
BENCHMARK(BM_ScriptInsert)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  for (const char* size : {"20000", "1000000"}) {
    auto bare = Rates().find(std::string("bare/") + size);
    if (bare == Rates().end()) continue;
    for (const char* path : {"dao", "script"}) {
      auto r = Rates().find(std::string(path) + "/" + size);
      if (r != Rates().end())
        std::printf("%s/%s: %.0f rows/s, %.0f%% of bare prepared INSERT (%.0f rows/s)\n", path, size, r->second,
                    100.0 * r->second / bare->second, bare->second);
    }
  }
  return 0;
}
