// The staged entry review over a session of 20,000 and of 200,000 lines, opened as a user opens it
// (an entry text file read through the entries manager into the review's work tables), and the clicks
// a user makes while it is open, each timed: moving to another row of the grid (first, middle, last),
// a cell click, the tree node change (to another node and back) and the P mark on the debit side
// (with its observation screen). No limit is set; the two sizes show whether a click grows with the
// session.
//   staged_review_bench              STAGED_REVIEW_BENCH_LINES=200000 runs one size alone
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include <fmt/format.h>

#include "bench/bench_support.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
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

// Milliseconds of each kind of click, averaged over its repetitions, and the opening's seconds.
struct TCliques {
  double Abertura = 0;
  int LinhasGrade = 0;
  std::map<std::string, double> Ms;
};

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
    f << "L,1," << fmt::format("{:02}", 1 + i % 28) << "/01/2024," << seed::kContaDespesas << ",11," << (100 + i % 900)
      << "\n";
  return caminho;
}

template <class F>
double Ms(int vezes, F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < vezes; ++i) f(i);
  return bench::Segundos(t0) * 1e3 / vezes;
}

// The clicks, on the open review.
void Clica(Tela& t, TScriptedDialogs& dialogs, TCliques& c) {
  TClientDataSet& ds = *t.grGrid->DataSet();
  const int linhas = ds.RecordCount();
  c.LinhasGrade = linhas;
  const int alvos[] = {1, linhas / 2, linhas, 2, linhas / 2 + 1, linhas - 1};
  t.grGrid->SetFocus();
  // A mouse click on a row, as the host's select step makes it: the row, then down, up and cell click.
  c.Ms["row move (mouse click on another row)"] = Ms(12, [&](int i) {
    ds.SetRecNo(alvos[i % 6]);
    t.grGrid->MouseClick("bdHISTORICO", false, 0);
  });
  c.Ms["cell click"] = Ms(12, [&](int) { t.grGrid->CellClick("bdHISTORICO"); });
  TTreeView& tv = *t.tvGrupos;
  TTreeNode* lancamentos = tv.Selected();
  TTreeNode* outro = nullptr;
  for (TTreeNode* no : tv.AllNodes())
    if (no != lancamentos) outro = no;
  if (outro)
    c.Ms["tree node change (there and back)"] = Ms(4, [&](int) {
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
        Clica(dynamic_cast<Tela&>(f), dialogs, c);
      });
      std::ifstream in(caminho);
      TLancamentoMGR* m = TLancamentoMGR::CreateMgr(opener.get());
      m->ClasseRevisao = kClasseRevisaoArquivoGrande;
      m->GetImportacaoLancTxt(4, empresa, nullptr, in, opener.get(), ",", false, bloqueio, nullptr, "01/01/2024",
                              "31/01/2024", nullptr, 0, false, nullptr);
      state.SetIterationTime(c.Abertura);
      if (!dialogs.Failures().empty()) state.SkipWithError(dialogs.Failures().front().c_str());
      else if (!dialogs.Pending().empty()) state.SkipWithError(("not shown: " + dialogs.Pending().front()).c_str());
      else if (c.Ms.size() < 4) state.SkipWithError("the review did not open, or showed no second node");
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
  for (auto& [n, c] : Medidas()) {
    metas.Mostra(fmt::format("staged review, {} lines, opening", n), c.Abertura, "s");
    metas.Mostra(fmt::format("staged review, {} lines, rows in the grid", n), c.LinhasGrade, "");
    for (auto& [clique, ms] : c.Ms) metas.Mostra(fmt::format("staged review, {} lines, {}", n, clique), ms, "ms");
  }
  return metas.Codigo();
}
