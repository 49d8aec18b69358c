// A bank statement of complete lines (an expense account against the bank) through the statement
// review's "Importar todos", on a real company database: the run's seconds and its seconds per line
// at 1,000 and 10,000 lines. Goal: the import is linear in the lines, the time per line at 10,000
// within 3x the time per line at 1,000.
//   statement_review_bench
#include <benchmark/benchmark.h>

#include <map>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
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

namespace {

using namespace vyn;

std::map<int64_t, double>& PorLinha() {
  static std::map<int64_t, double> m;
  return m;
}

// The opener's lines: company 1, debit 40 (expenses), credit 11 (the bank), January 2024.
TLancamentoMGR* Linhas(TComponent& dono, int64_t n) {
  auto* l = TLancamentoMGR::CreateMgr(&dono);
  l->SetTableName("");
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDCODPLAPADRAO", "BDCODHIST", "BDCODTPHI"})
    l->AddFieldDef(c, TFieldType::ftInteger);
  l->AddFieldDef("BDDATA", TFieldType::ftDate);
  l->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  l->AddFieldDef("BDCOMPL", TFieldType::ftString, 200);
  l->CreateDataSet();
  for (int64_t i = 1; i <= n; ++i)
    l->AppendRecord({Variant(1), Variant(static_cast<long long>(i)), Variant(seed::kContaDespesas),
                     Variant(seed::kContaBanco), Variant(1), Variant(1), Variant(seed::kHistPagamento),
                     Variant(EncodeDate(2024, 1, 1 + static_cast<int>(i % 28))),
                     Variant(Currency::FromInt(100 + i % 900)), Variant(fmt::format("Tarifa {}", i))});
  return l;
}

void BM_StatementReviewImport(benchmark::State& state) {
  const int64_t n = state.range(0);
  for (auto _ : state) {
    bench::TBancoBench banco;
    seed::AddStandardCompany(banco.Db());
    ProcessContext().Referencia = 202401;
    TScriptedDialogs dialogs;
    integracao::RegistraModulo(ClassRegistry(), integracao::RegistrosExtratoBancario());
    auto principal = MakeForm<TForm_VYN>();
    auto* empresa = principal->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    empresa->SetText("1");
    auto* conta = principal->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcPlanoContas));
    conta->SetText(std::to_string(seed::kContaBanco));
    TInconsistencias_VYN inc;
    TListaObj p;
    p.AddNil();
    p.Add(&inc);
    p.Add(empresa);
    p.Add(Linhas(*principal, n));
    p.AddNil();
    p.AddNil();
    p.Add(conta);
    for (int i = 7; i < 10; ++i) p.AddNil();
    p.AddInteger(0);
    p.AddNil();
    for (int v : {0, 0, 0, 0, 0, 0}) p.AddInteger(v);
    auto* t = static_cast<integracao::TfrConsultaImportacaoExtratoBancario*>(
        TPackagesUtil::CarregaFormParamsObj("TfrConsultaImportacaoExtratoBancario", principal.get(), std::move(p)));
    dialogs.Ok("Importação finalizada");
    const auto t0 = std::chrono::steady_clock::now();
    t->spImportacao->Click();
    const double secs = bench::Segundos(t0);
    state.SetIterationTime(secs);
    const int64_t gravados = banco.Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger();
    t->Close();
    principal.reset();
    integracao::DesregistraModulo(ClassRegistry(), integracao::RegistrosExtratoBancario());
    if (gravados != n) {
      state.SkipWithError(fmt::format("the run wrote {} of {} lines", gravados, n).c_str());
      return;
    }
    PorLinha()[n] = secs / static_cast<double>(n);
    state.counters["us/line"] = secs * 1e6 / static_cast<double>(n);
  }
}
BENCHMARK(BM_StatementReviewImport)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!bench::Executa(argc, argv)) return 1;
  if (PorLinha().count(1000) && PorLinha().count(10000)) {
    bench::Metas().Mostra("statement review, 1,000 lines, per line", PorLinha()[1000] * 1e6, "us");
    bench::Metas().Mostra("statement review, 10,000 lines, per line", PorLinha()[10000] * 1e6, "us");
    bench::Metas().Confere("statement review, per line at 10,000 / per line at 1,000",
                           PorLinha()[10000] / PorLinha()[1000], 3.0, "x");
  }
  return bench::Metas().Codigo();
}
