// An entry file through the Dyq task's in-memory review import, end to end (the file fetched from the
// service, read, reviewed, validated, written), against its floor in the same run: a bare prepared INSERT
// of as many ledger rows and of the record of each line booked (the file's line as a source). Goal:
// 100,000 lines within 2x that floor, each the best of three.
//   entry_review_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>

#include <fmt/format.h>

#include "bench/bench_support.h"
#include "framework/livros/livros.h"
#include "entryimport/entryimport_test_support.h"
#include "entryimport/uAutoThreadImportacaoLancamentoDYQ.h"
#include "framework/component/class_registry.h"
#include "framework/host/publicas.h"
#include "module/registro.h"
#include "testing/fake_http_server.h"

namespace {

using namespace vyn;

std::map<int64_t, double>& Estrada() {
  static std::map<int64_t, double> m;
  return m;
}
std::map<int64_t, double>& Crua() {
  static std::map<int64_t, double> m;
  return m;
}

std::string Arquivo(int64_t n) {
  std::string s;
  s.reserve(static_cast<size_t>(n) * 80);
  for (int64_t i = 0; i < n; ++i)
    s += fmt::format("L,1,{:02}/01/2024,{},{},{},{},Pagamento conforme documento {},NF {}\n", 1 + i % 28,
                     i % 2 ? 40 : 20, 11, fmt::format("{}.{:02}", 100 + i % 900, i % 100), 1, i, i);
  return s;
}

void BM_DyqTaskReview(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::string lista = "/api/v1/lancamentos-contabeis/";
  for (auto _ : state) {
    bench::TBancoBench banco;
    integracao::TPastaProgramaFeeders programa;
    TFakeHttpServer server;
    integracao::SemeiaDyq(banco.Db(), server.BaseURL());
    TPublicas::SetReferencia(202401);
    integracao::RegistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());
    ProcessContext().WP_AGENDAMENTO = 9;
    ProcessContext().WP_PLANO_TARVO = 3;
    ProcessContext().WP_ORDEM_AGENDAMENTO = 1;
    ProcessContext().CustomerCode = "123";   // the service lists a customer's files
    server.On("PUT", lista + "integracao", TFakeResponse(200, "{}"));
    integracao::ServeArquivoDyq(server, Arquivo(n));

    const auto t0 = std::chrono::steady_clock::now();
    integracao::TAutoThreadImportacaoLancamentoDYQ task;
    task.SetParametro("cod_empresa", "1");
    task.SetParametro("referencia", "202401");
    task.ExecuteTask();
    const double secs = bench::Segundos(t0);
    state.SetIterationTime(secs);
    ProcessContext().WP_AGENDAMENTO = ProcessContext().WP_PLANO_TARVO = ProcessContext().WP_ORDEM_AGENDAMENTO = 0;
    ProcessContext().CustomerCode.clear();
    integracao::DesregistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());

    const int64_t gravados = banco.Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger();
    if (task.StatusExecucao() != tscSucesso || gravados != n) {
      state.SkipWithError(fmt::format("the run wrote {} of {} lines", gravados, n).c_str());
      return;
    }
    Estrada()[n] = Estrada().count(n) ? std::min(Estrada()[n], secs) : secs;
    state.counters["us/line"] = secs * 1e6 / static_cast<double>(n);
  }
}
// Best of three of the road and of its floor: on a shared machine either moves by a tenth between runs.
BENCHMARK(BM_DyqTaskReview)->Arg(100000)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

void BM_BareInsert(benchmark::State& state) {
  for (auto _ : state) {
    const double secs = bench::InsercaoCrua(
        state.range(0), "VZEL_EMPRESAS_TLAN", {},
        {state.range(0), static_cast<int>(vyn::TTipoFonte::ArquivoLancamentos), bench::ChaveLinhaArquivo});
    state.SetIterationTime(secs);
    Crua()[state.range(0)] = Crua().count(state.range(0)) ? std::min(Crua()[state.range(0)], secs) : secs;
  }
}
BENCHMARK(BM_BareInsert)->Arg(100000)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  if (Estrada().count(100000) && Crua().count(100000))
    bench::Metas().Confere("in-memory review, 100,000 lines / bare insert with sources", Estrada()[100000] / Crua()[100000], 2.0,
                           "x");
  return bench::Metas().Codigo();
}
