// Posting runs of linked settlements, as the import screens run them: the engine posts each
// settlement and commits it, with the host's posting-lock check installed. Four runs:
//   plain      every entry linked to an installment of the entries book (payables)
//   receipts   links made through payment receipts, one per line: principals on the entries book
//              (payables) and the exits book (receivables), and interest parts
//   grouped    the statement review's grouped posting: two installments per entry, one entry each
//   books      several books and kinds in turn: entries, exits, services, other documents, tax
//              guides and calculations
// Goals of each: the cost per link within 3x one small committed transaction measured right after it
// (the floor of a run that commits each settlement), and not growing with the run (10,000 links within
// 1.5x the cost per link of 1,000). Both figures are the best of three runs.
//   settlement_posting_bench                              every run at 1,000 and 10,000 links
//   settlement_posting_bench --benchmark_filter=grouped   one of them
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "bench/bench_support.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/data/fb_database.h"
#include "framework/host/posting_lock_check.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace {

using namespace vyn;
using integracao::tbvCalculo;
using integracao::tbvGuia;
using integracao::tbvParcela;

enum TRun { rPlain, rReceipts, rGrouped, rBooks };
constexpr const char* kRuns[] = {"plain", "receipts", "grouped", "books"};

// The screen the grouped run is posted from: the statement review, whose runs offer the grouping.
class TfrConsultaImportacaoExtratoBancario : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrConsultaImportacaoExtratoBancario"; }
};

// Microseconds per link of each run and, beside it, per small committed transaction measured right
// after it: on a machine shared with other work the floor moves, and a run is held against its own.
struct TMedida {
  double PorVinculo = 0;
  double Piso = 0;
};
std::map<std::pair<int, int64_t>, TMedida>& Medidas() {
  static std::map<std::pair<int, int64_t>, TMedida> m;
  return m;
}

Currency R(int64_t reais) { return Currency::FromInt(reais); }
TDateTime Dia(int i) { return EncodeDate(2024, 3, 1 + i % 28); }

// One link row: entry, kind, book or calculation kind, obligation, order, value, receipt part and
// its interest, service kind.
struct TLink {
  int Chave, Tipo, Livro, Id, Ordem;
  Currency Valor;
  int CodTipo = 1;
  Currency Juros = Currency();
  int Servico = 0;
};

void Adiciona(TClientDataSet* ds, const TLink& l) {
  ds->Append();
  const std::pair<const char*, Variant> v[] = {
      {"BDCHAVE", l.Chave},   {"BDTIPO_BAIXA", l.Tipo},          {"BDSUBTIPO_BAIXA", l.Livro},
      {"BDBAIXA_ID", l.Id},   {"BDORDEM", l.Ordem},              {"BDVALOR", l.Valor},
      {"BDNUMDOCINI", std::to_string(l.Id)}, {"bdCODTIPOBAIXA", l.CodTipo}, {"BDJUROS", l.Juros},
      {"BDTIPOSERVICO", l.Servico}};
  for (const auto& [c, x] : v) ds->FieldByName(c).SetValue(x);
  ds->Post();
}

void Documento(TDatabase& db, int livro, int chave, int parcelas, int natureza = 1) {
  std::vector<seed::ParcelaSeed> ps;
  for (int o = 1; o <= parcelas; ++o) ps.push_back({o, R(100), TDateTime(), 0});
  seed::AddDocumentoFiscal(db, livro, 1, chave, chave, EncodeDate(2024, 2, 5), R(100) * parcelas, ps, natureza);
}

// What a run is handed: the entries of a review in memory and their links, the obligations seeded.
class TCenario {
 public:
  TCenario(TRun run, int links) : run_(run), links_(links) {}

  // Seeds the obligations, the entries and the links; answers the payment rows the run must write.
  int Monta(TDatabase& db, TLancamentoMGR* entradas, integracao::TProcessoBaixas& pb) {
    TTransaction tr(db);
    int pagamentos = 0;
    int chave = 0;
    for (int i = 0; i < links_;) {
      ++chave;
      i += Entrada(db, entradas, pb, chave, pagamentos);
    }
    tr.Commit();
    return pagamentos;
  }

 private:
  void Lanca(TLancamentoMGR* e, int chave, int debito, int credito, Currency valor) {
    e->AppendRecord({1, chave, debito, credito, Variant(), Dia(chave), valor, std::to_string(chave)});
  }
  // One entry and its links; answers how many links it has.
  int Entrada(TDatabase& db, TLancamentoMGR* e, integracao::TProcessoBaixas& pb, int k, int& pagamentos) {
    TClientDataSet* plain = pb.cdsVINC_EXT_BAN_BAIXA;
    const int pagar[] = {seed::kContaFornecedores, seed::kContaBanco};
    const int receber[] = {seed::kContaBanco, seed::kContaClientes};
    switch (run_) {
      case rPlain:
        Documento(db, 0, k, 1);
        Lanca(e, k, pagar[0], pagar[1], R(100));
        Adiciona(plain, {k, tbvParcela, 0, k, 1, R(100)});
        ++pagamentos;
        return 1;
      case rReceipts: {
        // A receipt's parts come as lines of their own: the principal, and on every third line the
        // interest of the installment the line before settled.
        TClientDataSet* comp = pb.cdsVINC_EXT_BAN_COMP_BAIXA;
        ++pagamentos;
        if (k % 3 == 0) {
          Documento(db, 1, k, 1);
          Lanca(e, k, receber[0], receber[1], R(100));
          Adiciona(comp, {k, tbvParcela, 1, k, 1, R(100)});
        } else if (k % 3 == 1) {
          Documento(db, 0, k, 1);
          Lanca(e, k, pagar[0], pagar[1], R(100));
          Adiciona(comp, {k, tbvParcela, 0, k, 1, R(100)});
        } else {
          Lanca(e, k, seed::kContaJurosPagos, seed::kContaBanco, R(10));
          Adiciona(comp, {k, tbvParcela, 0, k - 1, 1, R(10), 4, R(10)});
        }
        return 1;
      }
      case rGrouped:
        Documento(db, 0, k, 2);
        Lanca(e, k, pagar[0], pagar[1], R(200));
        Adiciona(plain, {k, tbvParcela, 0, k, 1, R(100)});
        Adiciona(plain, {k, tbvParcela, 0, k, 2, R(100)});
        pagamentos += 2;
        return 2;
      case rBooks:
        break;
    }
    ++pagamentos;
    switch (k % 6) {
      case 0:
        Documento(db, 0, k, 1);
        Lanca(e, k, pagar[0], pagar[1], R(100));
        Adiciona(plain, {k, tbvParcela, 0, k, 1, R(100)});
        break;
      case 1:
        Documento(db, 1, k, 1);
        Lanca(e, k, receber[0], receber[1], R(100));
        Adiciona(plain, {k, tbvParcela, 1, k, 1, R(100)});
        break;
      case 2:   // a service the company renders
        Documento(db, 2, k, 1, 0);
        Lanca(e, k, receber[0], receber[1], R(100));
        Adiciona(plain, {k, tbvParcela, 2, k, 1, R(100), 1, Currency(), 0});
        break;
      case 3:   // another document the company pays
        Documento(db, 3, k, 1, 1);
        Lanca(e, k, pagar[0], pagar[1], R(100));
        Adiciona(plain, {k, tbvParcela, 3, k, 1, R(100), 1, Currency(), 1});
        break;
      case 4:
        seed::AddGuia(db, 1, k, R(100));
        Lanca(e, k, pagar[0], pagar[1], R(100));
        Adiciona(plain, {k, tbvGuia, 0, k, 0, R(100)});
        break;
      default:
        seed::AddCalculo(db, 1, 2, k, 1, R(100));
        Lanca(e, k, pagar[0], pagar[1], R(100));
        Adiciona(plain, {k, tbvCalculo, 2, k, 1, R(100)});
        break;
    }
    return 1;
  }

  TRun run_;
  int links_;
};

int64_t PagamentosGravados(TDatabase& db) {
  int64_t n = 0;
  for (const char* t : {"VEF_EMP_TMOVENTPARPGTO", "VEF_EMP_TMOVSAIPARPGTO", "VEF_EMP_TMOVSERPARPGTO",
                        "VEF_EMP_TMOVF100PARPGTO", "TDARFGERPGTO_BAIXA", "TDADOSPGTOCALC_BAIXA"})
    n += db.QueryValue(std::string("select count(*) from ") + t).AsInteger();
  return n;
}

// Seconds of one posting run on a database of its own; none when the run failed (the state says why).
std::optional<double> Executa(benchmark::State& state, TRun run, int n) {
  bench::TBancoBench company;
  seed::AddStandardCompany(company.Db(), 202401);
  TPublicas::SetReferencia(202401);
  // The host checks every settlement's date against the locks, the zeroings and the closing.
  TVerificaBloqueioLancamento bloqueios;
  const TValorTemporario<IPostingLockCheck*> instalado(ProcessContext().PostingLocks, &bloqueios);
  TScriptedDialogs dialogos;
  if (run == rGrouped) dialogos.Yes("Contabilização agrupada");
  TfrConsultaImportacaoExtratoBancario tela;
  auto* entradas = integracao::EntradasEmMemoria(tela);
  auto* empresa = integracao::EditEmpresa1(tela);
  if (!empresa->Validate()) {
    state.SkipWithError(empresa->Mensagem().c_str());
    return std::nullopt;
  }
  auto* lista = tela.Create<TInconsistencias_VYN>();
  integracao::TProcessoBaixas pb(&tela, entradas);
  const int esperados = TCenario(run, n).Monta(company.Db(), entradas, pb);

  const auto t0 = std::chrono::steady_clock::now();
  if (run == rReceipts)
    pb.GetVinculoBaixaComp(&tela, empresa, lista, entradas);
  else
    pb.GetVinculoBaixa(&tela, empresa, lista, entradas);
  const double secs = bench::Segundos(t0);

  const int64_t gravados = PagamentosGravados(company.Db());
  if (gravados != esperados || lista->Count() != 0 || !dialogos.Done()) {
    const std::string erro = fmt::format("{} of {} settlements posted, {} messages{}", gravados, esperados,
                                         lista->Count(),
                                         lista->Count() ? ": " + lista->Itens().front().Caption : std::string());
    state.SkipWithError(erro.c_str());
    return std::nullopt;
  }
  return secs;
}

// Each run is measured kVezes times, each time on a fresh database and followed by the floor; the figures
// kept are the best of each. Work of other processes on a shared machine only ever adds time, to the run
// or to the floor, and often to one of the two alone.
constexpr int kVezes = 3;

void BM_PostingRun(benchmark::State& state) {
  const auto run = static_cast<TRun>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  state.SetLabel(kRuns[run]);
  for (auto _ : state) {
    TMedida melhor{1e300, 1e300};
    double segundos = 1e300;
    for (int vez = 0; vez < kVezes; ++vez) {
      // The run's database is gone before the floor is measured: the old row versions the run leaves,
      // collected in the background once it has committed, do not weigh on the floor.
      const std::optional<double> secs = Executa(state, run, n);
      if (!secs) return;
      segundos = std::min(segundos, *secs);
      melhor.PorVinculo = std::min(melhor.PorVinculo, *secs * 1e6 / n);
      melhor.Piso = std::min(melhor.Piso, bench::TransacaoPequena(2000) * 1e6);
    }
    state.SetIterationTime(segundos);
    state.counters["us/link"] = melhor.PorVinculo;
    state.counters["us/commit"] = melhor.Piso;
    Medidas()[{run, n}] = melhor;
  }
}
BENCHMARK(BM_PostingRun)
    ->ArgsProduct({{rPlain, rReceipts, rGrouped, rBooks}, {1000, 10000}})
    ->ArgNames({"run", "links"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  const auto& medidas = Medidas();
  bench::TMetas& metas = bench::Metas();
  for (int run : {rPlain, rReceipts, rGrouped, rBooks}) {
    const auto mil = medidas.find({run, 1000});
    const auto dezMil = medidas.find({run, 10000});
    for (auto it : {mil, dezMil}) {
      if (it == medidas.end()) continue;
      const TMedida& m = it->second;
      metas.Mostra(fmt::format("{} run, {} links: us per link, us per small commit", kRuns[run], it->first.second),
                   m.PorVinculo, fmt::format("us, {:.2f} us", m.Piso));
      metas.Confere(fmt::format("{} run, {} links: cost per link / small commit", kRuns[run], it->first.second),
                    m.PorVinculo / m.Piso, 3.0, "x");
    }
    if (mil != medidas.end() && dezMil != medidas.end())
      metas.Confere(fmt::format("{} run, cost per link 10,000 / 1,000", kRuns[run]),
                    dezMil->second.PorVinculo / mil->second.PorVinculo, 1.5, "x");
  }
  return metas.Codigo();
}
