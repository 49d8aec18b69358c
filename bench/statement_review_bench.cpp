// A bank statement through the statement review's "Importar todos", on a real company database, at
// 1,000 and 10,000 lines. Of each ten lines: one a receipt linked to an installment of a sales
// document (the run posts its payment), one split into two rows by the user, the rest complete
// expenses against the bank. Stored preparation rules are left out: the review applies them only when
// opened from the Dyq, OFC or reconciliation callers, not from the plain opener used here. Goals: the import is
// linear (time per line at 10,000 within 1.5x that at 1,000) and the run within 5x a bare prepared
// INSERT of as many ledger rows as it wrote, measured in the same run.
//   statement_review_bench
#include <benchmark/benchmark.h>

#include <map>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bench/bench_support.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/settlement_seed.h"

namespace {

using namespace vyn;

struct TMedida {
  double Segundos = 0;
  int64_t Gravados = 0;
  double Crua = 0;
};

std::map<int64_t, TMedida>& Medidas() {
  static std::map<int64_t, TMedida> m;
  return m;
}

// What line i is: a linked receipt, a split line or a plain expense.
enum class TTipoLinha { Vinculada, Desdobrada, Simples };
TTipoLinha Tipo(int64_t i) {
  switch (i % 10) {
    case 0: return TTipoLinha::Vinculada;
    case 2: return TTipoLinha::Desdobrada;
    default: return TTipoLinha::Simples;
  }
}
Currency Valor(int64_t i) { return Currency::FromInt(100 + i % 900); }

// The opener's lines: company 1, the bank (11) on one side, January 2024; 0 where the statement gives
// no account.
TLancamentoMGR* Linhas(TComponent& dono, int64_t n) {
  auto* l = TLancamentoMGR::CreateMgr(&dono);
  l->SetTableName("");
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDCODPLAPADRAO", "BDCODHIST", "BDCODTPHI"})
    l->AddFieldDef(c, TFieldType::ftInteger);
  l->AddFieldDef("BDDATA", TFieldType::ftDate);
  l->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  l->AddFieldDef("BDCOMPL", TFieldType::ftString, 200);
  l->AddFieldDef("BDCOMPLBANCARIO", TFieldType::ftString, 200);
  l->CreateDataSet();
  for (int64_t i = 1; i <= n; ++i) {
    const TTipoLinha tipo = Tipo(i);
    int debito = seed::kContaDespesas, credito = seed::kContaBanco;
    std::string texto = fmt::format("PAGAMENTO {}", i);
    if (tipo == TTipoLinha::Vinculada) {
      debito = seed::kContaBanco;
      credito = seed::kContaClientes;
      texto = fmt::format("RECEBIMENTO {}", i);
    } else if (tipo != TTipoLinha::Simples) {
      debito = 0;
      texto = fmt::format("RATEIO {}", i);
    }
    l->AppendRecord({Variant(1), Variant(static_cast<long long>(i)), Variant(debito), Variant(credito), Variant(1),
                     Variant(1), Variant(seed::kHistPagamento),
                     Variant(EncodeDate(2024, 1, 1 + static_cast<int>(i % 28))), Variant(Valor(i)),
                     Variant(texto), Variant(texto)});
  }
  return l;
}

// The obligations of the linked lines: one sales document each, one installment of the line's value.
void Semeia(TDatabase& db, int64_t n) {
  for (int64_t i = 1; i <= n; ++i)
    if (Tipo(i) == TTipoLinha::Vinculada)
      seed::AddDocumentoFiscal(db, 1, 1, static_cast<int>(i), static_cast<int>(i), EncodeDate(2024, 1, 5), Valor(i),
                               {{1, Valor(i), TDateTime(), 0}});
}

// What the user does before importing: splits each split line into two expense rows and links each
// receipt to its document's installment.
void Prepara(integracao::TfrConsultaImportacaoExtratoBancario& t, int64_t n) {
  TClientDataSet& multi = *t.DAOMulti();
  TClientDataSet& vinc = *t.ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  TClientDataSet& linhas = *t.DAOLinhas();
  for (int64_t i = 1; i <= n; ++i) {
    const TTipoLinha tipo = Tipo(i);
    const TDateTime data = EncodeDate(2024, 1, 1 + static_cast<int>(i % 28));
    if (tipo == TTipoLinha::Desdobrada) {
      const Currency metade = Valor(i) / 2;
      for (auto [lanc, valor] : {std::pair<int, Currency>{1, metade}, {2, Valor(i) - metade}})
        multi.AppendRecord({Variant(1), Variant(static_cast<long long>(i)), Variant(lanc), Variant(), Variant(data),
                            Variant(seed::kContaDespesas), Variant(), Variant(valor), Variant(seed::kHistPagamento),
                            Variant(1)});
    } else if (tipo == TTipoLinha::Vinculada) {
      vinc.Append();
      const std::pair<const char*, Variant> v[] = {
          {"BDCHAVE", Variant(static_cast<long long>(i))}, {"BDTIPO_BAIXA", Variant(integracao::tbvParcela)},
          {"BDSUBTIPO_BAIXA", Variant(1)}, {"BDBAIXA_ID", Variant(static_cast<long long>(i))},
          {"BDORDEM", Variant(1)}, {"BDVALOR", Variant(Valor(i))},
          {"BDNUMDOCINI", Variant(std::to_string(i))}, {"bdCODTIPOBAIXA", Variant(1)}};
      for (const auto& [c, x] : v) vinc.FieldByName(c).SetValue(x);
      vinc.Post();
      if (linhas.Locate("BDCHAVE", {Variant(static_cast<long long>(i))}))
        integracao::campos::Grava(linhas, "BDVINC_BAIXA", Variant(true));
    }
  }
}

// The review opened as the statement opener opens it, over n lines.
integracao::TfrConsultaImportacaoExtratoBancario* Abre(TForm_VYN& principal, TInconsistencias_VYN& inc, int64_t n) {
  auto* empresa = principal.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
  empresa->SetText("1");
  auto* conta = principal.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcPlanoContas));
  conta->SetText(std::to_string(seed::kContaBanco));
  TListaObj p;
  p.AddNil();
  p.Add(&inc);
  p.Add(empresa);
  p.Add(Linhas(principal, n));
  p.AddNil();
  p.AddNil();
  p.Add(conta);
  for (int i = 7; i < 10; ++i) p.AddNil();
  p.AddInteger(0);
  p.AddNil();
  for (int v : {0, 0, 0, 0, 0, 0}) p.AddInteger(v);
  return static_cast<integracao::TfrConsultaImportacaoExtratoBancario*>(
      TPackagesUtil::CarregaFormParamsObj("TfrConsultaImportacaoExtratoBancario", &principal, std::move(p)));
}

int64_t Conta(TDatabase& db, const char* sql) { return db.QueryValue(sql).AsInteger(); }

void BM_StatementReviewImport(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    TMedida m;
    int64_t pagos = 0;
    {
      bench::TBancoBench banco;
      seed::AddStandardCompany(banco.Db());
      ProcessContext().Referencia = 202401;
      Semeia(banco.Db(), n);
      TScriptedDialogs dialogs;
      integracao::RegistraModulo(ClassRegistry(), integracao::RegistrosExtratoBancario());
      auto principal = MakeForm<TForm_VYN>();
      TInconsistencias_VYN inc;
      auto* t = Abre(*principal, inc, n);
      Prepara(*t, n);
      dialogs.Ok("Importação finalizada");
      const auto t0 = std::chrono::steady_clock::now();
      t->spImportacao->Click();
      m.Segundos = bench::Segundos(t0);
      m.Gravados = Conta(banco.Db(), "select count(*) from VZEL_EMPRESAS_TLAN");
      pagos = Conta(banco.Db(), "select count(*) from VEF_EMP_TMOVSAIPARPGTO");
      t->Close();
      principal.reset();
      integracao::DesregistraModulo(ClassRegistry(), integracao::RegistrosExtratoBancario());
    }
    // Every line is written, a split line as its bank side and its two rows; every receipt settles
    // its installment.
    const int64_t desdobradas = (n + 7) / 10, vinculadas = n / 10;
    if (m.Gravados != n + 2 * desdobradas || pagos != vinculadas) {
      state.SkipWithError(fmt::format("the run wrote {} of {} rows and {} of {} payments", m.Gravados,
                                      n + 2 * desdobradas, pagos, vinculadas).c_str());
      return;
    }
    m.Crua = bench::InsercaoCrua(m.Gravados);
    state.SetIterationTime(m.Segundos);
    Medidas()[n] = m;
    state.counters["us/line"] = m.Segundos * 1e6 / static_cast<double>(n);
    state.counters["x bare"] = m.Segundos / m.Crua;
  }
}
BENCHMARK(BM_StatementReviewImport)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  auto& m = Medidas();
  bench::TMetas& metas = bench::Metas();
  for (int64_t n : {1000, 10000}) {
    if (!m.count(n)) continue;
    metas.Mostra(fmt::format("statement review, {} lines, per line", n), m[n].Segundos * 1e6 / n, "us");
    metas.Mostra(fmt::format("statement review, {} lines, bare insert of {} rows", n, m[n].Gravados), m[n].Crua,
                 "s");
  }
  if (m.count(1000)) metas.Mostra("statement review, 1,000 lines / bare insert", m[1000].Segundos / m[1000].Crua, "x");
  if (m.count(10000))
    metas.Confere("statement review, 10,000 lines / bare insert", m[10000].Segundos / m[10000].Crua, 5.0, "x");
  if (m.count(1000) && m.count(10000))
    metas.Confere("statement review, per line at 10,000 / per line at 1,000",
                  (m[10000].Segundos / 10000) / (m[1000].Segundos / 1000), 1.5, "x");
  return metas.Codigo();
}
