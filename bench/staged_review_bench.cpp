// The staged entry review over a session of 20,000 and of 200,000 lines, opened as a user opens it
// (an entry text file read through the entries manager into the review's work tables), and the clicks
// a user makes while it is open, each timed through the controls' events: moving to another row of the
// grid (first, middle, last; the detail grid follows the line), a cell click, the detail bar (another
// detail and back), the tree node change (to another node and back), the P mark on the debit side
// (with its observation screen) and a mass change: a debit account typed over in the grid's cell and
// "Deseja alterar as outras contas ...?" answered Yes, held against a single UPDATE of the rows it
// changed, measured right after on the same session. Goals at 200,000 lines: a detail click and a
// reopen of the node (the tree node change and back, the grid's refresh after a mass change) within
// 100 ms, the mass change within 2x its UPDATE; the opening is shown, with the lines the grid holds
// then (its first packet) and the peak resident memory up to it. The review opens on the first stretch
// of its session while the rest of the file stages behind it; the first click on the grid answers while
// it stages and the wait for the rest after it is shown; what follows is timed on the whole session. The mass change is made while the grid
// holds its first packets; then the first way down to the last line (the rest fetched) is shown, and
// the clicks go over every line.
//   staged_review_bench              STAGED_REVIEW_BENCH_LINES=200000 runs one size alone
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include <fmt/format.h>
#include <sys/resource.h>

#include "bench/bench_support.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/standins/telas_plataforma.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/tree_view.h"
#include "module/registro.h"
#include "settlement/settlement_test_support.h"

namespace {

using namespace vyn;
using Tela = integracao::TfrConsultaImportacaoLancCCTxtHuge;

// Milliseconds of each kind of click, averaged over its repetitions, and the opening's seconds; the
// mass change and the bare UPDATE of the rows it changed, in seconds.
struct TCliques {
  double Abertura = 0;
  int LinhasAbertura = 0, LinhasMudanca = 0, LinhasGrade = 0;
  double PicoAbertura = 0, PicoFinal = 0;   // MB resident, the most so far
  std::map<std::string, double> Ms;
  double Massa = 0, Update = 0;
  int64_t LinhasMassa = 0, LinhasNaGrade = 0;
};

constexpr const char* kCliqueLinha = "detail click: mouse click on another row (first, middle, last)";
constexpr const char* kCliqueDetalhe = "detail click: detail bar (Observações, then Centro de custo)";
constexpr const char* kReabreNodo = "reopen: tree node change (there and back)";
constexpr const char* kReabreRefresh = "reopen: the grid's refresh after a mass change";
constexpr const char* kPrimeiroClique = "the first click, once the review is open (the rest of the file staging)";
constexpr const char* kRestoDoArquivo = "the wait for the rest of the file after the first click";
constexpr const char* kDesceAteOFim = "the first way down to the last line (the rest of the session fetched)";
// One line in ten is debited to interest paid: the mass change moves those to the fines account.
constexpr int kUmEmCada = 10;

std::map<int64_t, TCliques>& Medidas() {
  static std::map<int64_t, TCliques> m;
  return m;
}

// The entry text layout the client-folder run reads: a new participant (so the tree has a second node)
// and the lines, expense against the bank, January 2024.
std::string Arquivo(int64_t n) {
  const std::string caminho = (std::filesystem::temp_directory_path() / fmt::format("staged_review_{}.txt", n)).string();
  std::ofstream f(caminho);
  f << "P,99,Forn,Fornecedor Noventa e Nove,12345678000199\n";
  for (int64_t i = 1; i <= n; ++i)
    f << "L,1," << fmt::format("{:02}", 1 + i % 28) << "/01/2024,"
      << (i % kUmEmCada == 0 ? seed::kContaJurosPagos : seed::kContaDespesas) << ",11," << (100 + i % 900) << "\n";
  return caminho;
}

// The process's peak resident memory so far, in MB.
double PicoMB() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return static_cast<double>(uso.ru_maxrss) / 1024.0;
}

template <class F>
double Ms(int vezes, F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < vezes; ++i) f(i);
  return bench::Segundos(t0) * 1e3 / vezes;
}

// The mass change, through the grid: a click on a line debited to interest paid, the account typed
// over in its cell and the question answered Yes. Its floor is the single UPDATE of those lines on the
// same session, timed once before it (the lines given their own value again) and once after (put back
// to interest paid), the mean of the two; after the second the grid is shown that change, timed: the
// grid's refresh after a mass change, the lines it changed only.
void MudaEmMassa(Tela& t, TScriptedDialogs& dialogs, TCliques& c) {
  TClientDataSet& ds = *t.grGrid->DataSet();
  for (ds.First(); !ds.Eof() && ds.FieldByName("BDDEBITO").AsInteger() != seed::kContaJurosPagos;) ds.Next();
  if (ds.Eof()) return;
  TDatabase& db = *ProcessContext().Database;
  auto update = [&](int de, int para) {
    const auto t0 = std::chrono::steady_clock::now();
    c.LinhasMassa = db.Execute(
        "UPDATE TMP_VZEL_EMPRESAS_TLAN_TEMP T SET T.BDDEBITO = ?, T.bdtipoterd = ? WHERE T.BDSESSAO = ? AND "
        "(T.BDDEBITO = ?)",
        {para, Variant(), t.Sessao(), de});
    return bench::Segundos(t0);
  };
  // The first click answers while the rest of the file stages; the wait for the rest comes before the
  // floor, so that the floor and the change weigh the same lines.
  auto t0 = std::chrono::steady_clock::now();
  t.grGrid->MouseClick("BDDEBITO", false, 0);
  c.Ms[kPrimeiroClique] = bench::Segundos(t0) * 1e3;
  t0 = std::chrono::steady_clock::now();
  t.AguardaGravacao();
  c.Ms[kRestoDoArquivo] = bench::Segundos(t0) * 1e3;
  const double antes = update(seed::kContaJurosPagos, seed::kContaJurosPagos);
  dialogs.Yes(fmt::format("Deseja alterar as outras contas {} para {} ?", seed::kContaJurosPagos,
                          seed::kContaMultasPagas));
  t0 = std::chrono::steady_clock::now();
  if (!t.grGrid->EditaCelula("BDDEBITO", std::to_string(seed::kContaMultasPagas))) return;
  c.Massa = bench::Segundos(t0);
  c.Update = (antes + update(seed::kContaMultasPagas, seed::kContaJurosPagos)) / 2;
  t0 = std::chrono::steady_clock::now();
  t.MostraMudancaEmMassa("BDDEBITO", seed::kContaMultasPagas, Variant(seed::kContaJurosPagos));
  c.Ms[kReabreRefresh] = bench::Segundos(t0) * 1e3;
}

// What the grid shows must be what the work table holds (outside the timing).
void ConfereGrade(TClientDataSet& ds, TCliques& c) {
  TClientDataSet grade;
  grade.CloneCursor(ds, true, false);
  for (grade.First(); !grade.Eof(); grade.Next())
    if (grade.FieldByName("BDDEBITO").AsInteger() == seed::kContaJurosPagos) ++c.LinhasNaGrade;
}

// The clicks, on the open review: the mass change while the grid holds its first packets, then the
// first way down to the last line, then the clicks over every line.
void Clica(Tela& t, TScriptedDialogs& dialogs, TCliques& c) {
  TClientDataSet& ds = *t.grGrid->DataSet();
  c.LinhasAbertura = ds.FetchedRecordCount();
  t.grGrid->SetFocus();
  MudaEmMassa(t, dialogs, c);
  c.LinhasMudanca = ds.FetchedRecordCount();
  c.Ms[kDesceAteOFim] = Ms(1, [&](int) {
    ds.Last();
    t.grGrid->MouseClick("bdHISTORICO", false, 0);
  });
  const int linhas = ds.RecordCount();
  c.LinhasGrade = linhas;
  const int alvos[] = {1, linhas / 2, linhas, 2, linhas / 2 + 1, linhas - 1};
  // A mouse click on a row, as the host's select step makes it: the row, then down, up and cell click.
  c.Ms[kCliqueLinha] = Ms(12, [&](int i) {
    ds.SetRecNo(alvos[i % 6]);
    t.grGrid->MouseClick("bdHISTORICO", false, 0);
  });
  c.Ms["cell click"] = Ms(12, [&](int) { t.grGrid->CellClick("bdHISTORICO"); });
  // Each press of the detail bar shows another detail of the line: two presses a round.
  c.Ms[kCliqueDetalhe] = Ms(4, [&](int) {
    t.spLancamentosObs->Click();
    t.spLancamentosCC->Click();
  }) / 2;
  TTreeView& tv = *t.tvGrupos;
  TTreeNode* lancamentos = tv.Selected();
  TTreeNode* outro = nullptr;
  for (TTreeNode* no : tv.AllNodes())
    if (no != lancamentos) outro = no;
  if (outro)
    c.Ms[kReabreNodo] = Ms(4, [&](int) {
      tv.SetSelected(outro);
      tv.SetSelected(lancamentos);
    });
  ds.SetRecNo(linhas / 2);
  t.grGrid->SelectedField = "bdCONCD";
  c.Ms["P mark on the debit side (and P again)"] = Ms(4, [&](int) {
    for (int k = 0; k < 2; ++k) {
      dialogs.Modal("TfrObservacoes", [](TForm_VYN&) {});
      char p = 'P';
      t.KeyPress(p);
      if (p) t.grGrid->KeyPress(p);
    }
  });
  ConfereGrade(ds, c);
}

void BM_StagedReviewClicks(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::string caminho = Arquivo(n);
  for (auto _ : state) {
    bench::TBancoBench banco;
    seed::AddStandardCompany(banco.Db(), 202401);
    TPublicas::SetReferencia(202401);
    integracao::RegistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());
    RegistraTelasDaPlataforma(ClassRegistry());
    {
      TScriptedDialogs dialogs;
      auto opener = MakeForm<TForm_VYN>();
      auto* empresa = integracao::EditEmpresa1(*opener);
      empresa->Validate();
      auto* lista = opener->Create<TInconsistencias_VYN>();
      auto* bloqueio = opener->Create<TBloqueioLancamento_VYN>();
      bloqueio->SetInconsistencias(lista);
      TCliques c;
      const auto t0 = std::chrono::steady_clock::now();
      dialogs.Modal(kClasseRevisaoArquivoGrande, [&](TForm_VYN& f) {
        c.Abertura = bench::Segundos(t0);
        c.PicoAbertura = PicoMB();
        Clica(dynamic_cast<Tela&>(f), dialogs, c);
      });
      std::ifstream in(caminho);
      TLancamentoMGR* m = TLancamentoMGR::CreateMgr(opener.get());
      m->ClasseRevisao = kClasseRevisaoArquivoGrande;
      m->GetImportacaoLancTxt(4, empresa, nullptr, in, opener.get(), ",", false, bloqueio, nullptr, "01/01/2024",
                              "31/01/2024", nullptr, 0, false, nullptr);
      c.PicoFinal = PicoMB();
      state.SetIterationTime(c.Abertura);
      if (!dialogs.Failures().empty()) state.SkipWithError(dialogs.Failures().front().c_str());
      else if (!dialogs.Pending().empty()) state.SkipWithError(("not shown: " + dialogs.Pending().front()).c_str());
      else if (c.Ms.size() < 6) state.SkipWithError("the review did not open, or showed no second node");
      else if (c.LinhasMassa == 0) state.SkipWithError("the mass change changed no line");
      else if (c.LinhasNaGrade != c.LinhasMassa) state.SkipWithError("the grid does not show the changed lines");
      else Medidas()[n] = c;
    }
    DesregistraTelasDaPlataforma(ClassRegistry());
    integracao::DesregistraModulo(ClassRegistry(), integracao::RegistrosRevisaoLancamentos());
  }
  std::filesystem::remove(caminho);
}
}  // namespace

int main(int argc, char** argv) {
  // STAGED_REVIEW_BENCH_LINES=200000 runs that size alone.
  std::vector<int64_t> tamanhos{20000, 200000};
  if (const char* n = std::getenv("STAGED_REVIEW_BENCH_LINES")) tamanhos = {std::atoll(n)};
  for (int64_t t : tamanhos)
    benchmark::RegisterBenchmark("BM_StagedReviewClicks", BM_StagedReviewClicks)
        ->Arg(t)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
  if (!bench::Executa(argc, argv)) return 1;
  bench::TMetas& metas = bench::Metas();
  // The goals hold at 200,000 lines and above; a smaller session shows its figures.
  constexpr int64_t kLinhasMeta = 200000;
  for (auto& [n, c] : Medidas()) {
    const bool meta = n >= kLinhasMeta;
    const std::string nome = fmt::format("staged review, {} lines, ", n);
    metas.Mostra(nome + "opening", c.Abertura, "s");
    metas.Mostra(nome + "rows in the grid at the opening", c.LinhasAbertura, "");
    metas.Mostra(nome + "peak resident at the opening", c.PicoAbertura, "MB");
    metas.Mostra(nome + "rows in the grid after the mass change", c.LinhasMudanca, "");
    metas.Mostra(nome + "rows in the grid once gone down to the last", c.LinhasGrade, "");
    metas.Mostra(nome + "peak resident for the whole run", c.PicoFinal, "MB");
    for (auto& [clique, ms] : c.Ms) {
      const bool limitado = clique == kCliqueLinha || clique == kCliqueDetalhe || clique == kReabreNodo ||
                            clique == kReabreRefresh;
      if (meta && limitado) metas.Confere(nome + clique, ms, 100, "ms");
      else metas.Mostra(nome + clique, ms, "ms");
    }
    metas.Mostra(fmt::format("{}mass change of {} lines", nome, c.LinhasMassa), c.Massa, "s");
    metas.Mostra(nome + "single UPDATE of those lines (mean of two)", c.Update, "s");
    const double razao = c.Update > 0 ? c.Massa / c.Update : 0;
    if (meta) metas.Confere(nome + "mass change / single UPDATE", razao, 2, "x");
    else metas.Mostra(nome + "mass change / single UPDATE", razao, "x");
  }
  return metas.Codigo();
}
