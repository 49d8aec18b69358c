// Posting runs of linked settlements, as the import screens run them: the engine posts each
// settlement and commits it, with the host's posting-lock check installed. Four runs:
//   plain      every entry linked to an installment of the entries book (payables)
//   receipts   links made through payment receipts, one per line: principals on the entries book
//              (payables) and the exits book (receivables), and interest parts
//   grouped    the statement review's grouped posting: two installments per entry, one entry and one
//              statement each
//   books      several books and kinds in turn: entries, exits, services, other documents, tax
//              guides and calculations
// Goals of each: the cost per link within 1.3x the same writes made bare on the same database (its floor,
// see TPisoBaixas), and not growing with the run (10,000 links within 1.5x the cost per link of 1,000).
// Shown beside them: the cost per link against one small committed transaction, and as a session's later
// run: less what a session's first run pays once (MedeSessao). Every figure is the best of three runs.
//   settlement_posting_bench                              every run at 1,000 and 10,000 links
//   settlement_posting_bench --benchmark_filter=run:2/    one of them (run 0 plain, 1 receipts, 2 grouped, 3 books)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <vector>
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

// Microseconds per link of each run and, beside it, of its floor on the same database (the same writes,
// bare, committed as the run commits; also with a transaction started per settlement, shown) and per small
// committed transaction measured right after it: on a machine shared with other work the floors move,
// and a run is held against its own.
// Beside the best of each, the run's ratio to the floors measured around it in each turn, least and most:
// when the turns agree, a miss is the run's and not the machine's.
struct TMedida {
  double PorVinculo = 1e300;
  double PisoBaixas = 1e300;
  double PisoTransacoes = 1e300;
  double Piso = 1e300;
  double RazaoMenor = 1e300;
  double RazaoMaior = 0;
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

// One payment of a settlement: the obligation it pays (a book's installment, a guide, a calculation),
// its value and its part (1 principal, 4 interest). Semeia: the settlement's own obligation, seeded for it.
struct TPagto {
  int Tipo, Livro, Doc, Ordem;
  Currency Valor;
  int CodTipo = 1;
  Currency Juros = Currency();
  int Servico = 0;
  int Natureza = 1;
  bool Semeia = true;
};
// One settlement of a run: the entry k of the review (its accounts and value) and its payments.
struct TBaixa {
  int Debito, Credito;
  Currency Valor;
  std::vector<TPagto> Pagtos;
};

// The settlement of entry k in each run.
TBaixa BaixaDe(TRun run, int k) {
  const int pagar[] = {seed::kContaFornecedores, seed::kContaBanco};
  const int receber[] = {seed::kContaBanco, seed::kContaClientes};
  switch (run) {
    case rPlain:
      return {pagar[0], pagar[1], R(100), {{tbvParcela, 0, k, 1, R(100)}}};
    case rReceipts:
      // A receipt's parts come as lines of their own: the principal, and on every third line the
      // interest of the installment the line before settled.
      if (k % 3 == 0) return {receber[0], receber[1], R(100), {{tbvParcela, 1, k, 1, R(100)}}};
      if (k % 3 == 1) return {pagar[0], pagar[1], R(100), {{tbvParcela, 0, k, 1, R(100)}}};
      return {seed::kContaJurosPagos, seed::kContaBanco, R(10), {{tbvParcela, 0, k - 1, 1, R(10), 4, R(10), 0, 1, false}}};
    case rGrouped:
      return {pagar[0], pagar[1], R(200), {{tbvParcela, 0, k, 1, R(100)}, {tbvParcela, 0, k, 2, R(100)}}};
    case rBooks:
      break;
  }
  switch (k % 6) {
    case 0: return {pagar[0], pagar[1], R(100), {{tbvParcela, 0, k, 1, R(100)}}};
    case 1: return {receber[0], receber[1], R(100), {{tbvParcela, 1, k, 1, R(100)}}};
    case 2:   // a service the company renders
      return {receber[0], receber[1], R(100), {{tbvParcela, 2, k, 1, R(100), 1, Currency(), 0, 0}}};
    case 3:   // another document the company pays
      return {pagar[0], pagar[1], R(100), {{tbvParcela, 3, k, 1, R(100), 1, Currency(), 1, 1}}};
    case 4: return {pagar[0], pagar[1], R(100), {{tbvGuia, 0, k, 0, R(100)}}};
    default: return {pagar[0], pagar[1], R(100), {{tbvCalculo, 2, k, 1, R(100)}}};
  }
}

// Seeds the obligations of settlement b, their keys moved by desvio.
void SemeiaObrigacoes(TDatabase& db, const TBaixa& b, int desvio) {
  const TPagto& p = b.Pagtos.front();
  if (!p.Semeia) return;
  const int doc = p.Doc + desvio;
  switch (p.Tipo) {
    case tbvGuia: seed::AddGuia(db, 1, doc, R(100)); break;
    case tbvCalculo: seed::AddCalculo(db, 1, p.Livro, doc, p.Ordem, R(100)); break;
    default: Documento(db, p.Livro, doc, static_cast<int>(b.Pagtos.size()), p.Natureza); break;
  }
}

// The settlements of a run of n links, in the order the run posts them.
std::vector<TBaixa> Baixas(TRun run, int links) {
  std::vector<TBaixa> out;
  for (int i = 0, k = 1; i < links; ++k) {
    out.push_back(BaixaDe(run, k));
    i += static_cast<int>(out.back().Pagtos.size());
  }
  return out;
}

// What a run is handed: the entries of a review in memory and their links, the obligations seeded.
// The obligations' keys are moved by desvio.
class TCenario {
 public:
  TCenario(TRun run, int links, int desvio = 0) : run_(run), links_(links), desvio_(desvio) {}

  // Seeds the obligations, the entries and the links; answers the payment rows the run must write.
  int Monta(TDatabase& db, TLancamentoMGR* entradas, integracao::TProcessoBaixas& pb) {
    TTransaction tr(db);
    int pagamentos = 0;
    int k = 0;
    TClientDataSet* links = run_ == rReceipts ? pb.cdsVINC_EXT_BAN_COMP_BAIXA : pb.cdsVINC_EXT_BAN_BAIXA;
    for (const TBaixa& b : Baixas(run_, links_)) {
      ++k;
      SemeiaObrigacoes(db, b, desvio_);
      entradas->AppendRecord({1, k, b.Debito, b.Credito, Variant(), Dia(k), b.Valor, std::to_string(k)});
      for (const TPagto& p : b.Pagtos) {
        Adiciona(links, {k, p.Tipo, p.Livro, p.Doc + desvio_, p.Ordem, p.Valor, p.CodTipo, p.Juros, p.Servico});
        ++pagamentos;
      }
    }
    tr.Commit();
    return pagamentos;
  }

 private:
  TRun run_;
  int links_;
  int desvio_;
};

// The floor of a run: on the same database, for each settlement exactly the rows the run writes for it,
// bare, through statements prepared once: the period's lock check (the procedure the settlement's
// statement calls), and for each payment the obligation's row updated (its balance lowered, or locked
// where the payment rows are the balance), the payment row and the record of the posted link; then the
// ledger entry; each settlement committed. The obligations are seeded apart (keys moved by desvio), and
// the entry keys reserved before the loop.
class TPisoBaixas {
 public:
  // retendo: each settlement committed by a COMMIT RETAINING of one transaction, as a review's run does;
  // otherwise a transaction started and committed per settlement.
  TPisoBaixas(TDatabase& db, TRun run, int links, int desvio, bool retendo)
      : db_(db), baixas_(Baixas(run, links)), desvio_(desvio), retendo_(retendo) {
    TTransaction tr(db);
    for (const TBaixa& b : baixas_) SemeiaObrigacoes(db, b, desvio_);
    tr.Commit();
    primeira_ = ReserveEntryKeys(db, 1, static_cast<int>(baixas_.size()));
  }

  // Seconds of the loop.
  double Executa() {
    const Variant plano = db_.QueryValue("select R.BDCODPLAPADRAO from TEMPRESAS_REF R where R.BDCODEMP = 1 and "
                                         "R.BDREFEMP = (select BDREFEMP from SP_GETREFERENCIA(1, 202403))");
    TStatement& bloqueio = db_.Prepared("select TIPO from SP_BLOQUEIO_LANCAMENTO(?, ?, ?, ?)");
    TStatement& vinculo = db_.Prepared(
        "INSERT INTO VZEL_EMP_TVINC_BAIXA_LANC (BDCODEMP, BDSESSAO, BDIDVINCULO, BDVINCULO, BDTIPOBAIXA, BDVALOR, "
        "BDCHAVELAN, BDDESCRICAO) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    TStatement& lancamento = db_.Prepared(
        "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDDEBITO, BDCREDITO, BDVALOR, "
        "BDCOMPL, BDDCTO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const std::string telas = "|TfrConsultaImportacaoExtratoBancario|frConsultaImportacaoExtratoBancario|";
    std::map<std::tuple<int, int, int, int>, int> sequencias;
    // Bare writes, as another program of the suite makes them: the run pays the gate's marks, the floor
    // does not, and the ratio shows them.
    TEscritaForaDoModulo piso(db_);
    const auto t0 = std::chrono::steady_clock::now();
    std::optional<TTransaction> tr;
    int chave = primeira_;
    int k = 0;
    int64_t id = 0;
    for (const TBaixa& b : baixas_) {
      ++k;
      if (!tr) tr.emplace(db_);
      const TDateTime dia = Dia(k);
      bloqueio.QueryValue({1, dia, dia, telas});
      for (const TPagto& p : b.Pagtos) {
        const int doc = p.Doc + desvio_;
        const int seq = ++sequencias[{p.Tipo, p.Livro, doc, p.Ordem}];
        const int tipoBaixa = p.CodTipo == 4 ? 3 : 1;
        const TParams valores{dia, p.Valor, k, std::to_string(k)};
        if (p.Tipo == tbvGuia) {
          db_.Prepared("UPDATE TDARFGERPGTO SET BDSALDOAPAGAR = BDSALDOAPAGAR - ? WHERE BDCODEMP = ? AND BDCHAVEDARF = ?")
              .Run({p.Valor, 1, doc});
          db_.Prepared("INSERT INTO TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO, "
                       "BDCHAVEORIGEM, BDDCTO, BDCHAVELAN) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
              .Run({1, doc, seq, valores[0], valores[1], valores[2], valores[3], chave});
        } else if (p.Tipo == tbvCalculo) {
          db_.Prepared("UPDATE TDADOSPGTOCALC SET BDVLRPGTO = coalesce(BDVLRPGTO, 0) + ? WHERE BDCODEMP = ? AND "
                       "BDTIPOCALC = ? AND BDCHAVE = ? AND BDORDEMCALC = ?")
              .Run({p.Valor, 1, p.Livro, doc, p.Ordem});
          db_.Prepared("INSERT INTO TDADOSPGTOCALC_BAIXA (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDSEQ, "
                       "BDDATAPGTO, BDVALORPGTO, BDCHAVEORIGEM, BDDCTO, BDCHAVELAN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
              .Run({1, p.Livro, doc, p.Ordem, seq, valores[0], valores[1], valores[2], valores[3], chave});
        } else {
          const std::string par = kTabelasPar[p.Livro];
          db_.Prepared("UPDATE " + par + " SET BDCODEMP = BDCODEMP WHERE BDCODEMP = ? AND BDCHAVE = ? AND BDORDEMPAR = ?")
              .Run({1, doc, p.Ordem});
          db_.Prepared("INSERT INTO " + par + "PGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                       "BDVALORPGTO, BDCHAVEORIGEM, BDDCTO, BDTIPOBAIXA, BDCHAVELAN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
              .Run({1, doc, p.Ordem, seq, valores[0], valores[1], valores[2], valores[3], tipoBaixa, chave});
        }
        vinculo.Run({1, kSessaoPiso, static_cast<long long>(++id), fmt::format("{}|{}|{}|{}", p.Tipo, p.Livro, doc, p.Ordem), tipoBaixa, p.Valor,
                     chave, fmt::format("a parcela {} do documento {}", p.Ordem, doc)});
      }
      lancamento.Run({1, chave, dia, plano, b.Debito, b.Credito, b.Valor,
                      fmt::format("Baixa da parcela 1 do documento {}", k), std::to_string(k)});
      ++chave;
      if (retendo_) {
        tr->CommitRetaining();
      } else {
        tr->Commit();
        tr.reset();
      }
    }
    if (tr) tr->Commit();
    return bench::Segundos(t0);
  }

 private:
  // The floor's records of posted links are of a session no run reserves.
  static constexpr int kSessaoPiso = 2000000000;
  static constexpr const char* kTabelasPar[] = {"VEF_EMP_TMOVENTPAR", "VEF_EMP_TMOVSAIPAR", "VEF_EMP_TMOVSERPAR",
                                                "VEF_EMP_TMOVF100PAR"};
  TDatabase& db_;
  std::vector<TBaixa> baixas_;
  int desvio_;
  bool retendo_;
  int primeira_ = 0;
};

int64_t PagamentosGravados(TDatabase& db) {
  int64_t n = 0;
  for (const char* t : {"VEF_EMP_TMOVENTPARPGTO", "VEF_EMP_TMOVSAIPARPGTO", "VEF_EMP_TMOVSERPARPGTO",
                        "VEF_EMP_TMOVF100PARPGTO", "TDARFGERPGTO_BAIXA", "TDADOSPGTOCALC_BAIXA"})
    n += db.QueryValue(std::string("select count(*) from ") + t).AsInteger();
  return n;
}

// One posting run as the statement review makes it, on the company's database: its entries in memory,
// their links, the company, the host's posting-lock check installed.
class TCorrida {
 public:
  TCorrida(benchmark::State& state, TRun run, TDatabase& db) : state_(state), run_(run), db_(db) {}

  // Seeds the run's links of n payments (their obligations' keys moved by desvio); false when the company
  // is refused (the state says why).
  bool Monta(int n, int desvio) {
    if (!empresa_->Validate()) {
      state_.SkipWithError(empresa_->Mensagem().c_str());
      return false;
    }
    esperados_ = TCenario(run_, n, desvio).Monta(db_, entradas_, pb_);
    return true;
  }

  // Seconds of the run; none when it did not post every payment of its links, or told anything.
  std::optional<double> Executa() {
    const TValorTemporario<IPostingLockCheck*> instalado(ProcessContext().PostingLocks, &bloqueios_);
    TScriptedDialogs dialogos;
    if (run_ == rGrouped) dialogos.Yes("Contabilização agrupada");
    const int64_t antes = PagamentosGravados(db_);
    const auto t0 = std::chrono::steady_clock::now();
    if (run_ == rReceipts)
      pb_.GetVinculoBaixaComp(&tela_, empresa_, lista_, entradas_);
    else
      pb_.GetVinculoBaixa(&tela_, empresa_, lista_, entradas_);
    const double secs = bench::Segundos(t0);
    const int64_t gravados = PagamentosGravados(db_) - antes;
    if (gravados == esperados_ && lista_->Count() == 0 && dialogos.Done()) return secs;
    const std::string erro = fmt::format("{} of {} settlements posted, {} messages{}", gravados, esperados_,
                                         lista_->Count(),
                                         lista_->Count() ? ": " + lista_->Itens().front().Caption : std::string());
    state_.SkipWithError(erro.c_str());
    return std::nullopt;
  }

 private:
  benchmark::State& state_;
  TRun run_;
  TDatabase& db_;
  // The host checks every settlement's date against the locks, the zeroings and the closing.
  TVerificaBloqueioLancamento bloqueios_;
  TfrConsultaImportacaoExtratoBancario tela_;
  TLancamentoMGR* entradas_ = integracao::EntradasEmMemoria(tela_);
  TEdit_Codigo_Search_VYN* empresa_ = integracao::EditEmpresa1(tela_);
  TInconsistencias_VYN* lista_ = tela_.Create<TInconsistencias_VYN>();
  integracao::TProcessoBaixas pb_{&tela_, entradas_};
  int esperados_ = 0;
};

// A company's database with the runs' reference month.
void Empresa(bench::TBancoBench& company) {
  seed::AddStandardCompany(company.Db(), 202401);
  TPublicas::SetReferencia(202401);
}

// Seconds of one posting run, and of its floors, on a database of their own.
struct TTempos {
  double Corrida, PisoBaixas, PisoTransacoes;
};

// The floors' obligations are seeded apart from the run's. None when the run failed (the state says why).
std::optional<TTempos> Executa(benchmark::State& state, TRun run, int n) {
  bench::TBancoBench company;
  Empresa(company);
  TCorrida corrida(state, run, company.Db());
  if (!corrida.Monta(n, 0)) return std::nullopt;
  // The floor is run once before the run and once after it, each on obligations of its own: what the
  // first leaves (a larger database, old row versions) weighs on the run, and what the run leaves weighs
  // on the second; the floor is the mean of the two.
  TPisoBaixas antes(company.Db(), run, n, 1000000, true);
  TPisoBaixas depois(company.Db(), run, n, 2000000, true);
  TPisoBaixas transacoes(company.Db(), run, n, 3000000, false);
  const double pisoAntes = antes.Executa();
  const std::optional<double> secs = corrida.Executa();
  if (!secs) return std::nullopt;
  const double pisoBaixas = (pisoAntes + depois.Executa()) / 2;
  const double pisoTransacoes = transacoes.Executa();
  return TTempos{*secs, pisoBaixas, pisoTransacoes};
}

// What a session's first run pays once: it prepares the statements the session's later runs reuse, and the
// engine loads for the attachment what they name (tables, their triggers, procedures, generators). The
// floor's statements are prepared before it is timed; the run measured against it is a session's first.
// Measured as a first run of kLinksSessao links on a fresh database less a second one after it, each the
// best of kVezes; seconds.
constexpr int kLinksSessao = 12;

struct TSessao {
  double Primeira = 1e300, Segunda = 1e300;
};

bool MedeSessao(benchmark::State& state, TRun run, TSessao& melhor) {
  bench::TBancoBench company;
  Empresa(company);
  TCorrida primeira(state, run, company.Db());
  TCorrida segunda(state, run, company.Db());
  if (!primeira.Monta(kLinksSessao, 0) || !segunda.Monta(kLinksSessao, 1000000)) return false;
  const std::optional<double> t1 = primeira.Executa();
  const std::optional<double> t2 = t1 ? segunda.Executa() : std::nullopt;
  if (!t2) return false;
  melhor.Primeira = std::min(melhor.Primeira, *t1);
  melhor.Segunda = std::min(melhor.Segunda, *t2);
  return true;
}

std::map<int, double>& UmaVezPorSessao() {
  static std::map<int, double> m;   // ms, by run
  return m;
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
    TMedida melhor;
    double segundos = 1e300;
    for (int vez = 0; vez < kVezes; ++vez) {
      // The run's database is gone before the small commit is measured: the old row versions the run
      // leaves, collected in the background once it has committed, do not weigh on it.
      const std::optional<TTempos> t = Executa(state, run, n);
      if (!t) return;
      segundos = std::min(segundos, t->Corrida);
      melhor.RazaoMenor = std::min(melhor.RazaoMenor, t->Corrida / t->PisoBaixas);
      melhor.RazaoMaior = std::max(melhor.RazaoMaior, t->Corrida / t->PisoBaixas);
      melhor.PorVinculo = std::min(melhor.PorVinculo, t->Corrida * 1e6 / n);
      melhor.PisoBaixas = std::min(melhor.PisoBaixas, t->PisoBaixas * 1e6 / n);
      melhor.PisoTransacoes = std::min(melhor.PisoTransacoes, t->PisoTransacoes * 1e6 / n);
      melhor.Piso = std::min(melhor.Piso, bench::TransacaoPequena(2000) * 1e6);
    }
    if (!UmaVezPorSessao().count(run)) {
      TSessao sessao;
      for (int vez = 0; vez < kVezes; ++vez)
        if (!MedeSessao(state, run, sessao)) return;
      UmaVezPorSessao()[run] = std::max(0.0, sessao.Primeira - sessao.Segunda) * 1e3;
    }
    state.SetIterationTime(segundos);
    state.counters["us/link"] = melhor.PorVinculo;
    state.counters["us/floor"] = melhor.PisoBaixas;
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
      const int links = it->first.second;
      metas.Mostra(fmt::format("{} run, {} links: us per link, floor, floor by transactions", kRuns[run], links),
                   m.PorVinculo, fmt::format("us, {:.2f} us, {:.2f} us", m.PisoBaixas, m.PisoTransacoes));
      metas.Confere(fmt::format("{} run, {} links: cost per link / the same writes bare", kRuns[run], links),
                    m.PorVinculo / m.PisoBaixas, 1.3, "x");
      metas.Mostra(fmt::format("{} run, {} links: the same, turn by turn", kRuns[run], links), m.RazaoMenor,
                   fmt::format("x to {:.2f}x", m.RazaoMaior));
      metas.Mostra(fmt::format("{} run, {} links: cost per link / small commit", kRuns[run], links),
                   m.PorVinculo / m.Piso, fmt::format("x ({:.2f} us a small commit)", m.Piso));
      // The same run as a session's later one: what the session pays once taken off (estimated).
      if (const auto u = UmaVezPorSessao().find(run); u != UmaVezPorSessao().end())
        metas.Mostra(fmt::format("{} run, {} links, a session's later run: per link / bare", kRuns[run], links),
                     (m.PorVinculo - u->second * 1e3 / links) / m.PisoBaixas,
                     fmt::format("x (less {:.2f} ms a session's first run pays once)", u->second));
    }
    if (const auto u = UmaVezPorSessao().find(run); u != UmaVezPorSessao().end())
      metas.Confere(fmt::format("{} run: what a session's first run pays once, before its first settlement", kRuns[run]),
                    u->second, 30, "ms");
    if (mil != medidas.end() && dezMil != medidas.end())
      metas.Confere(fmt::format("{} run, cost per link 10,000 / 1,000", kRuns[run]),
                    dezMil->second.PorVinculo / mil->second.PorVinculo, 1.5, "x");
  }
  return metas.Codigo();
}
