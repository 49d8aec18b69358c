// Writing ledger rows: through a table-bound data-access object and through a script, against a bare
// prepared INSERT loop on the client API, each in one transaction. The data layer should keep at least
// 70% of the bare throughput.
//   ledger_write_bench                                  1,000,000 rows and 20,000 rows
//   ledger_write_bench --benchmark_filter=/20000        the quick run
#include <benchmark/benchmark.h>
#include <firebird/Interface.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include "framework/data/dao_factory.h"
#include "framework/data/sql_value.h"
#include "framework/schema/entry_keys.h"
#include "testing/company_db.h"

namespace {

using namespace vyn;
namespace fb = Firebird;

std::map<std::string, double>& Rates() {
  static std::map<std::string, double> rates;
  return rates;
}

// A fresh company database for one run, removed afterwards.
struct BenchDatabase {
  BenchDatabase() {
    path = (std::filesystem::temp_directory_path() / ("vyn_bench_" + std::to_string(::getpid()) + ".fdb")).string();
    std::filesystem::copy_file(CompanyTemplatePath(), path, std::filesystem::copy_options::overwrite_existing);
    // Without forced writes the runs measure the write path, not the disk's flushes.
    fb::IMaster* master = fb::fb_get_master_interface();
    fb::ThrowStatusWrapper st(master->getStatus());
    fb::IProvider* prov = master->getDispatcher();
    fb::IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, fb::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    dpb->insertInt(&st, isc_dpb_force_write, 0);
    fb::IAttachment* att = prov->attachDatabase(&st, path.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    dpb->dispose();
    att->detach(&st);
    prov->release();
    st.dispose();
    db.Open(path);
  }
  ~BenchDatabase() {
    db.Close();
    std::filesystem::remove(path);
  }
  std::string path;
  TDatabase db;
};

constexpr int kChunk = 10000;   // rows kept in memory by the data-access object between flushes

void Record(benchmark::State& state, const std::string& name, int64_t rows, double seconds) {
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  Rates()[name + "/" + std::to_string(state.range(0))] = static_cast<double>(rows) / seconds;
}

void BM_BarePreparedInsert(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    BenchDatabase bd;
    int first = ReserveEntryKeys(bd.db, 1, static_cast<int>(n));
    // A second attachment through the client API itself: nothing of the data layer in the loop.
    fb::IMaster* master = fb::fb_get_master_interface();
    fb::ThrowStatusWrapper st(master->getStatus());
    fb::IProvider* prov = master->getDispatcher();
    bd.db.Close();
    fb::IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, fb::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&st, isc_dpb_lc_ctype, "UTF8");
    fb::IAttachment* att = prov->attachDatabase(&st, bd.path.c_str(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
    dpb->dispose();
    // The row message, laid out once: ten columns, values written in place.
    fb::IMetadataBuilder* b = master->getMetadataBuilder(&st, 10);
    const unsigned types[10] = {SQL_LONG, SQL_LONG, SQL_TYPE_DATE, SQL_LONG, SQL_LONG,
                                SQL_INT64, SQL_LONG, SQL_LONG, SQL_VARYING, SQL_VARYING};
    const unsigned lengths[10] = {4, 4, 4, 4, 4, 8, 4, 4, 200, 30};
    for (unsigned c = 0; c < 10; ++c) {
      b->setType(&st, c, types[c] + 1);
      b->setLength(&st, c, lengths[c]);
      if (types[c] == SQL_INT64) b->setScale(&st, c, -4);
      if (types[c] == SQL_VARYING) b->setCharSet(&st, c, 4);
    }
    fb::IMessageMetadata* meta = b->getMetadata(&st);
    b->release();
    std::vector<unsigned> off(10);
    std::vector<unsigned char> buf(meta->getMessageLength(&st), 0);
    for (unsigned c = 0; c < 10; ++c) {
      off[c] = meta->getOffset(&st, c);
      short zero = 0;
      std::memcpy(&buf[meta->getNullOffset(&st, c)], &zero, sizeof zero);
    }
    auto putInt = [&](unsigned c, int32_t v) { std::memcpy(&buf[off[c]], &v, 4); };
    auto putText = [&](unsigned c, const std::string& t) {
      auto len = static_cast<uint16_t>(t.size());
      std::memcpy(&buf[off[c]], &len, 2);
      std::memcpy(&buf[off[c] + 2], t.data(), t.size());
    };
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                 isc_tpb_wait};
    fb::ITransaction* tra = att->startTransaction(&st, sizeof tpb, tpb);
    fb::IStatement* stmt = att->prepare(
        &st, tra, 0,
        "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, "
        "BDCODTPHI, BDCOMPL, BDDCTO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        3, fb::IStatement::PREPARE_PREFETCH_METADATA);
    for (int64_t i = 0; i < n; ++i) {
      putInt(0, 1);
      putInt(1, first + static_cast<int32_t>(i));
      ISC_DATE d = 60370 + static_cast<ISC_DATE>(i % 28);   // 2024-03-01 on
      std::memcpy(&buf[off[2]], &d, 4);
      putInt(3, 20);
      putInt(4, 11);
      int64_t valor = 1234500 + i;
      std::memcpy(&buf[off[5]], &valor, 8);
      putInt(6, 1);
      putInt(7, 1);
      putText(8, "Pagamento conforme documento");
      putText(9, std::to_string(i));
      stmt->execute(&st, tra, meta, buf.data(), nullptr, nullptr);
    }
    stmt->free(&st);
    tra->commit(&st);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(secs);
    Record(state, "bare", n, secs);

    state.PauseTiming();
    meta->release();
    att->detach(&st);
    prov->release();
    st.dispose();
    state.ResumeTiming();
  }
}

void BM_DAOFactoryPost(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    BenchDatabase bd;
    int first = ReserveEntryKeys(bd.db, 1, static_cast<int>(n));
    TDAOFactory dao(nullptr, "VZEL_EMPRESAS_TLAN", &bd.db);
    dao.SelectVazio();
    const TDateTime base = EncodeDate(2024, 3, 1);
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    {
      TTransaction tr(bd.db);
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
    BenchDatabase bd;
    int first = ReserveEntryKeys(bd.db, 1, static_cast<int>(n));
    const TDateTime base = EncodeDate(2024, 3, 1);
    state.ResumeTiming();

    auto t0 = std::chrono::steady_clock::now();
    {
      TTransaction tr(bd.db);
      std::vector<std::string> script;
      script.reserve(kChunk);
      for (int64_t i = 0; i < n; ++i) {
        script.push_back(
            "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, "
            "BDCODTPHI, BDCOMPL, BDDCTO) VALUES (1, " + SQLInteger(first + i) + ", " +
            SQLDate(IncDay(base, static_cast<int>(i % 28))) + ", 20, 11, " +
            SQLCurrency(Currency::FromRaw(1234500 + i)) + ", 1, 1, " + QuotedStr("Pagamento conforme documento") +
            ", " + QuotedStr(std::to_string(i)) + ")");
        if (script.size() == kChunk || i + 1 == n) {
          bd.db.ExecuteScriptOrThrow(script);
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
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
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
