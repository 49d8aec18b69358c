#include "postingutil/uProcessoVariacaoCambial.h"

#include <gtest/gtest.h>

#include "framework/accounting/variacao_cambial_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/host/posting_lock_check.h"
#include "framework/schema/seed.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// Stand-in for the other packages' screens the process opens by class name: records what it got.
struct TAberturas {
  std::vector<std::string> Telas;
  TComponent* PrimeiroObjeto = nullptr;
};
class TfrTelaDuble : public TForm_VYN {
 public:
  TfrTelaDuble(TComponent* owner, TAberturas* a, std::string nome) : TForm_VYN(owner), a_(a), nome_(std::move(nome)) {}
  void SetListaObj(const TListaObj& lista) override {
    TForm_VYN::SetListaObj(lista);
    if (lista.Count() > 0) a_->PrimeiroObjeto = lista.GetComponent(0);
  }

 protected:
  void FormShow() override { a_->Telas.push_back(nome_); }

 private:
  TAberturas* a_;
  std::string nome_;
};

class VariacaoCambialTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    for (const char* nome : {"TfrPreparacaoVariacaoCambial", "TfrCadMoedasPlanoMoedas"})
      ClassRegistry().RegisterClass(
          nome, [this, n = std::string(nome)](TComponent* o) { return std::make_unique<TfrTelaDuble>(o, &aberturas, n); },
          TClassKind::Screen);
    ProcessContext().ActionLog = &log;
    ProcessContext().PostingLocks = &locks;
    ProcessContext().UserName = "Ana";
    ProcessContext().UserCode = 7;
    ProcessContext().Referencia = 202406;   // the month the host works in
    seed::AddHeadOfficeAndBranch(Db());
    seed::AddChart(Db());
    Db().Execute("INSERT INTO MOEDAS_TPLANO (BDCODMOEDAS, BDNOMMOE) VALUES (220, 'Dólar')");
    for (auto [data, valor] : std::vector<std::pair<const char*, const char*>>{
             {"2023-10-31", "5.00"}, {"2023-11-30", "5.10"}, {"2023-12-31", "4.90"}, {"2024-01-31", "5.00"}, {"2024-02-29", "5.00"}})
      Db().Execute("INSERT INTO MOEDAS_TMOE (BDCODMOEDAS, BDDATA, BDVALOR) VALUES (220, ?, ?)",
                   {Variant(SQLToDate(data)), Variant(Currency::Parse(valor))});
    Db().Execute("INSERT INTO VZEL_EMP_TPREPVARCAMBIAL (BDCODEMP, BDCODMOE, BDCONTAVARATIVA, BDCONTAVARPASSIVA, BDCODHIST,"
                 " BDCODTPHI) VALUES (1, 220, 30, 40, 1, 1)");
    // A receivable still open, and a payable settled in January.
    Db().Execute("INSERT INTO VZEL_EMP_TNOTASMOEDA (BDCODEMP, BDCHAVENOTA, BDCODMOE, BDNUMDOC, BDTIPO, BDDATAEMISSAO,"
                 " BDDATABAIXA, BDVALORMOEDA, BDCONTA) VALUES (1, 1, 220, 'EXP-1', 0, '2023-11-10', NULL, 1000, 21)");
    Db().Execute("INSERT INTO VZEL_EMP_TNOTASMOEDA (BDCODEMP, BDCHAVENOTA, BDCODMOE, BDNUMDOC, BDTIPO, BDDATAEMISSAO,"
                 " BDDATABAIXA, BDVALORMOEDA, BDCONTA) VALUES (1, 2, 220, 'IMP-9', 1, '2023-11-20', '2024-01-15', 500, 20)");

    f = MakeForm<TfrProcessoVariacaoCambial>();
    f->edCODEMP->Vale(1);
    {
      // The user ticks the branch beside the head office.
      TScriptedDialogs d;
      d.Ticks({0});
      f->spFiliais->Click();
    }
    f->edCODMOE->Vale(220);
    f->edRefInicial->SetText("11/2023");
    f->edRefFinal->SetText("02/2024");
  }
  void TearDown() override {
    f.reset();
    ClassRegistry().UnRegisterClass("TfrPreparacaoVariacaoCambial");
    ClassRegistry().UnRegisterClass("TfrCadMoedasPlanoMoedas");
    ProcessContext().ActionLog = nullptr;
    ProcessContext().PostingLocks = nullptr;
    CompanyDatabaseTest::TearDown();
  }

  int64_t Conta(const std::string& sql) { return Db().QueryValue(sql).AsInteger(); }
  std::vector<std::string> Lancamentos() {
    std::vector<std::string> out;
    for (auto& r : Db().QueryAll("SELECT BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO FROM VZEL_EMPRESAS_TLAN"
                                 " WHERE BDCODEMP = 1 ORDER BY BDDATA, BDDCTO").Rows)
      out.push_back(r[0].AsString() + " D" + r[1].AsString() + " C" + r[2].AsString() + " " + r[3].AsString() + " " +
                    r[4].AsString());
    return out;
  }
  std::vector<std::string> Mensagens(TNivelInconsistencia nivel) {
    std::vector<std::string> out;
    for (auto& i : f->Inconsistencias_VYN()->Itens())
      if (i.Nivel == nivel) out.push_back(i.Caption);
    return out;
  }
  // The answers of a run that gets through every check (the branch has no preparation of its own).
  void Roda(TScriptedDialogs& d, bool sucesso = true) {
    d.Yes("conforme a preparação da Matriz").Yes("Deseja realizar o cálculo da variação cambial?");
    if (sucesso) d.Ok("Processo realizado com sucesso!");
    f->spOK->Click();
    EXPECT_TRUE(d.Done()) << (d.Pending().empty() ? "" : d.Pending()[0]);
  }

  TAberturas aberturas;
  TMemoryLogWriter log;
  TVerificaBloqueioLancamento locks;
  TFormPtr<TfrProcessoVariacaoCambial> f;
};

using Linhas = std::vector<std::string>;

TEST_F(VariacaoCambialTest, PostsEachMonthsVarianceAndWarnsOfMonthsWithoutInvoices) {
  TScriptedDialogs d;
  Roda(d);
  // Nov: +0.10 on 1000 receivable (gain), +0.10 on 500 payable (loss); Dec: -0.20 both ways; Jan: the
  // payable is settled, the receivable gains 0.10; Feb: no change, no entry.
  EXPECT_EQ(Lancamentos(), (Linhas{"30/11/2023 D21 C30 100 EXP-1", "30/11/2023 D40 C20 50 IMP-9",
                                   "31/12/2023 D40 C21 200 EXP-1", "31/12/2023 D20 C30 100 IMP-9",
                                   "31/01/2024 D21 C30 100 EXP-1"}));
  // Under the chart the company has in force, as the balances read them.
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN L WHERE L.BDTIPOLAN = 0 AND L.BDCODPLAPADRAO = (SELECT FIRST 1"
                  " R.BDCODPLAPADRAO FROM TEMPRESAS_REF R WHERE R.BDCODEMP = 1 ORDER BY R.BDREFEMP DESC)"),
            5);
  auto runs = Db().QueryAll("SELECT BDDATAINI, BDDATAFIN, BDCONTABILIZACAO, BDCODUSU, BDVERSAO, BDNOMUSU FROM VZEL_EMP_TVARCAMBIAL"
                            " WHERE BDCODEMP = 1 ORDER BY BDDATAINI");
  ASSERT_EQ(runs.Rows.size(), 4u);
  EXPECT_EQ(runs.Rows[3][0].AsString() + " " + runs.Rows[3][1].AsString(), "01/02/2024 29/02/2024");
  EXPECT_EQ(runs.Rows[0][2].AsInteger(), 0);
  EXPECT_EQ(runs.Rows[0][3].AsInteger(), 7);
  EXPECT_EQ(runs.Rows[0][4].AsInteger(), 2);
  EXPECT_EQ(runs.Rows[0][5].AsString(), "Ana");   // the consultation shows who ran it
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = 2"), 0);
  EXPECT_EQ(Mensagens(niAtencao),
            (Linhas{"Empresa 2: Não há notas fiscais com variação cambial para a referência 11/2023",
                    "Empresa 2: Não há notas fiscais com variação cambial para a referência 12/2023",
                    "Empresa 2: Não há notas fiscais com variação cambial para a referência 01/2024",
                    "Empresa 2: Não há notas fiscais com variação cambial para a referência 02/2024"}));
  EXPECT_EQ(Mensagens(niInformativo), Linhas(4, "Empresa 1: Variação cambial realizada com sucesso!"));

  // Running again replaces the months: the earlier run is asked about and nothing is posted twice.
  TScriptedDialogs d2;
  d2.Yes("Ana, já existe processo realizado para este período. Deseja refazer o processo?");
  Roda(d2);
  EXPECT_EQ(Lancamentos().size(), 5u);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMP_TVARCAMBIAL"), 4);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TOL_VZEL_EMP_TVARCAMBIAL"), 5);
}

TEST_F(VariacaoCambialTest, AFailingMonthIsUndoneWholeAndReportedNotCountedAsDone) {
  {
    TScriptedDialogs d;
    Roda(d);
  }
  // The December entry of the receivable is refused by the database.
  Db().Execute("CREATE EXCEPTION E_TESTE 'Lançamento recusado'");
  Db().Execute("CREATE TRIGGER T_TESTE FOR VZEL_EMPRESAS_TLAN BEFORE INSERT AS BEGIN"
               " IF (NEW.BDVALOR = 200) THEN EXCEPTION E_TESTE; END");
  TScriptedDialogs d;
  d.Yes("já existe processo");
  Roda(d, false);
  // December keeps its earlier run and entries; the other months were redone.
  EXPECT_EQ(Lancamentos().size(), 5u);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = 1"), 4);
  auto erros = Mensagens(niErro);
  ASSERT_EQ(erros.size(), 1u);
  EXPECT_NE(erros[0].find("Empresa 1: Erro ao contabilizar a variação cambial da referência 12/2023"), std::string::npos);
  EXPECT_NE(erros[0].find("Lançamento recusado"), std::string::npos);
  EXPECT_EQ(Mensagens(niInformativo).size(), 3u);
  EXPECT_FALSE(d.Calls().empty());
  EXPECT_EQ(d.Calls().back().Kind, TDialogKind::List);
}

TEST_F(VariacaoCambialTest, ALockedCompanyIsSkippedWhole) {
  Db().Execute("INSERT INTO TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM)"
               " VALUES (1, 1, 'frLancamento', '2024-01-01', '2024-01-31')");
  TScriptedDialogs d;
  Roda(d, false);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMP_TVARCAMBIAL"), 0);
  auto erros = Mensagens(niErro);
  ASSERT_EQ(erros.size(), 1u);
  EXPECT_EQ(erros[0].rfind("Empresa 1: ", 0), 0u);
  EXPECT_EQ(Mensagens(niAtencao).size(), 4u);   // the branch still ran
}

TEST_F(VariacaoCambialTest, StartChecksRefuseBeforeAnythingChanges) {
  auto nada = [&] {
    EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMP_TVARCAMBIAL"), 0);
    EXPECT_TRUE(f->Inconsistencias_VYN()->IsEmpty());
  };
  {  // required inputs and the order of the months
    TScriptedDialogs d;
    f->edCODMOE->Vale(0);
    d.Ok("Informe o código!");
    f->spOK->Click();
    f->edCODMOE->Vale(220);
    f->edRefInicial->SetText("03/2024");
    d.Ok("A referência inicial não pode ser maior");
    f->spOK->Click();
    f->edRefInicial->SetText("11/2023");
    EXPECT_TRUE(d.Done());
  }
  {  // a mistyped year: no end after the month the host works in, no span beyond two years
    TScriptedDialogs d;
    const TValorTemporario<int> ref(ProcessContext().Referencia, 202403);
    f->edRefFinal->SetText("02/2042");
    d.Ok("A referência final não pode ser maior que a referência de trabalho (03/2024)!");
    f->spOK->Click();
    f->edRefInicial->SetText("02/2004");
    f->edRefFinal->SetText("02/2024");
    d.Ok("O período não pode ter mais de 24 meses!");
    f->spOK->Click();
    f->edRefInicial->SetText("03/2022");
    d.Yes("conforme a preparação da Matriz").No("Deseja realizar o cálculo da variação cambial?");
    f->spOK->Click();
    f->edRefInicial->SetText("11/2023");
    EXPECT_TRUE(d.Done());
  }
  {  // the branch without a preparation: No stops
    TScriptedDialogs d;
    d.No("Filial não possui preparação deseja contabilizar conforme a preparação da Matriz?");
    f->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // no currency value in the period: the value screen is offered, the run stops either way
    TScriptedDialogs d;
    f->edRefInicial->SetText("03/2024");
    f->edRefFinal->SetText("04/2024");
    d.Yes("conforme a preparação da Matriz").Yes("Não existe moeda cadastrada para o período informado. Deseja cadastrar?");
    f->spOK->Click();
    EXPECT_EQ(aberturas.Telas, (Linhas{"TfrCadMoedasPlanoMoedas"}));
    EXPECT_EQ(aberturas.PrimeiroObjeto, f->edCODMOE);
    d.Yes("conforme a preparação da Matriz").No("Não existe moeda cadastrada");
    f->spOK->Click();
    EXPECT_EQ(aberturas.Telas.size(), 1u);
    EXPECT_TRUE(d.Done());
  }
  {  // no preparation at all
    Db().Execute("DELETE FROM VZEL_EMP_TPREPVARCAMBIAL");
    TScriptedDialogs d;
    d.Ok("A empresa selecionada não possui preparação.");
    f->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  nada();
}

// The one ledger does not tell the books apart: a run of any kind replaces the month's runs of every
// kind, and the user is asked first whatever the kinds.
TEST_F(VariacaoCambialTest, AnEarlierRunOfAnyKindIsAskedAboutAndReplacedNeverPostedTwice) {
  Db().Execute("INSERT INTO VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCHAVE, BDCODMOE, BDDATAINI, BDDATAFIN, BDCONTABILIZACAO)"
               " VALUES (2, 99, 220, '2023-12-01', '2023-12-31', 2)");
  {
    TScriptedDialogs d;
    for (int tipo : {0, 1, 2}) {
      f->cbCONTABILIZACAO->SetItemIndex(tipo);
      d.No("Ana, já existe processo realizado para este período. Deseja refazer o processo?");
      f->spOK->Click();
    }
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  }
  Db().Execute("DELETE FROM VZEL_EMP_TVARCAMBIAL");
  f->edRefInicial->SetText("11/2023");
  f->edRefFinal->SetText("11/2023");
  const Linhas novembro{"30/11/2023 D21 C30 100 EXP-1", "30/11/2023 D40 C20 50 IMP-9"};
  // An entry of another origin in the same month stays.
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO)"
                         " VALUES (1, 900000, '2023-11-30', 21, 30, 7, 'OUTRO')");
  {  // Both books, then fiscal, then corporate: each asks and replaces the one before
    TScriptedDialogs d;
    f->cbCONTABILIZACAO->SetItemIndex(0);
    Roda(d);
    for (int tipo : {1, 2}) {
      f->cbCONTABILIZACAO->SetItemIndex(tipo);
      d.Yes("já existe processo realizado para este período");
      Roda(d);
      auto runs = Db().QueryAll("SELECT BDCONTABILIZACAO FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = 1");
      ASSERT_EQ(runs.Rows.size(), 1u);
      EXPECT_EQ(runs.Rows[0][0].AsInteger(), tipo);
      EXPECT_EQ(Lancamentos(), (Linhas{novembro[0], novembro[1], "30/11/2023 D21 C30 7 OUTRO"}));
      EXPECT_EQ(Conta("SELECT COUNT(*) FROM TOL_VZEL_EMP_TVARCAMBIAL"), 2);
    }
  }
  {  // No keeps the earlier run
    TScriptedDialogs d;
    f->cbCONTABILIZACAO->SetItemIndex(0);
    d.No("já existe processo realizado para este período");
    f->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(Conta("SELECT BDCONTABILIZACAO FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = 1"), 2);
  }
}

TEST_F(VariacaoCambialTest, ARerunTakesAwayWhatHungOnTheReplacedEntry) {
  f->edRefInicial->SetText("11/2023");
  f->edRefFinal->SetText("11/2023");
  TScriptedDialogs d;
  Roda(d);
  const int64_t chave = Conta("SELECT MIN(BDCHAVELAN) FROM TOL_VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = 1");
  // Since the run the entry was reconciled with a statement line and given a complement.
  Db().Execute("INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDVALOR, BDCHAVELANC)"
               " VALUES (1, 7, 30, '2023-11-30', 100, ?)", {Variant(chave)});
  Db().Execute("INSERT INTO VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC)"
               " VALUES (1, ?, 1, 1, 7)", {Variant(chave)});
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, ?, 'conferido')",
                         {Variant(chave)});
  // Asked before the reconciliation is undone, as the re-posting asks: No keeps everything.
  d.Yes("já existe processo realizado para este período").No("Existem lançamentos conciliados no processo");
  f->spOK->Click();
  EXPECT_TRUE(d.Done());
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_CONC"), 1);
  d.Yes("já existe processo realizado para este período").Yes("Existem lançamentos conciliados no processo");
  Roda(d);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDCHAVE = " + std::to_string(chave)), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_CONC"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_COMPL"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCHAVELANC IS NOT NULL"), 0);
  EXPECT_EQ(Lancamentos(), (Linhas{"30/11/2023 D21 C30 100 EXP-1", "30/11/2023 D40 C20 50 IMP-9"}));
}

// Each invoice's variance is rounded once: 1000.33 x 0.015 = 15.00495 gives 15.00, not 15.01.
TEST(VariacaoCambialCalculo, TheVarianceIsRoundedOnceFromTheExactProduct) {
  auto v = [](const char* valor, const char* de, const char* para) {
    return TVZEL_EMP_TVARCAMBIALMGR::CalculaVariacao(Currency::Parse(valor), Currency::Parse(de), Currency::Parse(para))
        .ToSQL();
  };
  EXPECT_EQ(v("1000.33", "5.0000", "5.0150"), "15.0000");
  EXPECT_EQ(v("2.99", "5.0000", "5.0050"), "0.0100");
  EXPECT_EQ(v("1000.33", "5.0150", "5.0000"), "-15.0000");
  EXPECT_EQ(v("0.5", "5.0000", "5.0100"), "0.0100");   // an exact half rounds away from zero
}

TEST_F(VariacaoCambialTest, OpensThePreparationScreenAndIsRegisteredByName) {
  TScriptedDialogs d;
  f->spPreparacao->Click();
  EXPECT_EQ(aberturas.Telas, (Linhas{"TfrPreparacaoVariacaoCambial"}));
  EXPECT_EQ(f->Caption(), "Variação cambial");
  EXPECT_TRUE(f->spFiliais->Visible());
  EXPECT_EQ(f->cbCONTABILIZACAO->ItemIndex(), 0);
  bool registrada = false;
  for (const auto& r : RegistrosUtilitariosContabilizacao()) registrada = registrada || r.Nome == "TfrProcessoVariacaoCambial";
  EXPECT_TRUE(registrada);
}

}  // namespace
}  // namespace integracao
