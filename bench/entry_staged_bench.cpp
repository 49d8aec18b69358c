// Entry files through the unattended client-folder task, end to end (read, stage, validate, write the
// entries, the file's status rows), against its floor in the same run: a bare prepared INSERT of as many
// ledger rows and of the record of each line booked (the file's line as a source).
//   entry_staged_bench                                   100,000 and 1,000,000 lines
//   entry_staged_bench --benchmark_filter=/100000$       the quick run
// Goals: 1,000,000 lines within 3x that floor; the cost per line at 1,000,000
// within 1.3x that at 100,000; the process's peak memory at 1,000,000 lines within 128 MB.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <fmt/format.h>

#include "bench/bench_support.h"
#include "framework/livros/livros.h"
#include "entryimport/uAutoThreadIntegracaoArquivosClienteContabil.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/class_registry.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "module/registro.h"
#include "testing/program_folder.h"

namespace {

using namespace vyn;
namespace fs = std::filesystem;

struct TMedida {
  double Segundos = 0;
  double PicoMB = 0;
};

std::map<int64_t, TMedida>& Medidas() {
  static std::map<int64_t, TMedida> m;
  return m;
}
std::map<int64_t, double>& Crua() {
  static std::map<int64_t, double> m;
  return m;
}

// n lines in the entry text layout: every field a client file uses, over the month, some with a document.
void EscreveArquivo(const fs::path& p, int64_t n) {
  std::ofstream out(p, std::ios::binary);
  for (int64_t i = 0; i < n; ++i)
    out << fmt::format("L,1,{:02}/01/2024,{},{},{},{},Pagamento conforme documento {},NF {},,,,\n", 1 + i % 28,
                       i % 2 ? 40 : 20, 11, fmt::format("{}.{:02}", 100 + i % 900, i % 100), 1, i, i);
}

void BM_ClientFolderTask(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    bench::TBancoBench banco;
    TPastaProgramaTemp programa("bench_staged");
    seed::AddStandardCompany(banco.Db(), 202401);
    TPublicas::SetReferencia(202401);
    integracao::RegistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());
    const fs::path pasta = programa.Pasta() / "cliente";
    fs::create_directories(pasta);
    EscreveArquivo(pasta / "CL11222333000181.txt", n);

    bench::ZeraPicoMemoria();
    const auto t0 = std::chrono::steady_clock::now();
    integracao::TAutoThreadIntegracaoArquivosClienteContabil task;
    task.SetParametro("cod_emp", "1");
    task.SetParametro("tipo_arquivo", "21");
    task.SetParametro("caminho", pasta.string());
    task.SetParametro("ref_inicial", "20240101");
    task.SetParametro("ref_final", "20240131");
    task.ExecuteTask();
    AguardaRemocoesSessoes();   // the session's removal behind the review counts with the road
    const double secs = bench::Segundos(t0);
    const double pico = bench::PicoMemoriaMB();
    state.SetIterationTime(secs);
    integracao::DesregistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());

    const int64_t gravados = banco.Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger();
    if (task.StatusExecucao() != tscSucesso || gravados != n) {
      state.SkipWithError(fmt::format("the run wrote {} of {} lines", gravados, n).c_str());
      return;
    }
    Medidas()[n] = {secs, pico};
    state.counters["us/line"] = secs * 1e6 / static_cast<double>(n);
    state.counters["peak MB"] = pico;
  }
}

void BM_BareInsert(benchmark::State& state) {
  for (auto _ : state) {
    const double secs = bench::InsercaoCrua(
        state.range(0), "VZEL_EMPRESAS_TLAN", {},
        {state.range(0), static_cast<int>(vyn::TTipoFonte::ArquivoLancamentos), bench::ChaveLinhaArquivo});
    state.SetIterationTime(secs);
    Crua()[state.range(0)] = secs;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // ENTRY_BENCH_LINES=20000 runs that size alone (a profile's run).
  std::vector<int64_t> tamanhos{100000, 1000000};
  if (const char* n = std::getenv("ENTRY_BENCH_LINES")) tamanhos = {std::atoll(n)};
  using TBench = void (*)(benchmark::State&);
  const std::pair<const char*, TBench> benches[] = {{"BM_ClientFolderTask", BM_ClientFolderTask},
                                                    {"BM_BareInsert", BM_BareInsert}};
  for (const auto& [nome, fn] : benches)
    for (int64_t t : tamanhos)
      benchmark::RegisterBenchmark(nome, fn)->Arg(t)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
  if (!bench::Executa(argc, argv)) return 1;
  auto& m = Medidas();
  auto& crua = Crua();
  bench::TMetas& metas = bench::Metas();
  if (m.count(100000) && crua.count(100000))
    metas.Mostra("staged road, 100,000 lines / bare insert with sources", m[100000].Segundos / crua[100000], "x");
  if (m.count(1000000) && crua.count(1000000))
    metas.Confere("staged road, 1,000,000 lines / bare insert with sources", m[1000000].Segundos / crua[1000000], 3.0, "x");
  if (m.count(1000000) && m.count(100000))
    metas.Confere("staged road, cost per line 1,000,000 / 100,000",
                  (m[1000000].Segundos / 1e6) / (m[100000].Segundos / 1e5), 1.3, "x");
  if (m.count(100000)) metas.Mostra("staged road, peak memory at 100,000 lines", m[100000].PicoMB, "MB");
  if (m.count(1000000)) metas.Confere("staged road, peak memory at 1,000,000 lines", m[1000000].PicoMB, 128, "MB");
  return metas.Codigo();
}
