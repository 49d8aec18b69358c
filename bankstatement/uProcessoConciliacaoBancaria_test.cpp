#include "bankstatement/uProcessoConciliacaoBancaria.h"

#include <nlohmann/json.hpp>

#include "bankstatement/uConcilacaoOFC.h"
#include "framework/accounting/extrato_ban_mgr.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/schema/seed.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class ConciliacaoBancariaTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddCompanyWithAccounts(Db(), 15, 15, {123, 900});
    lista_ = RegistrosExtratoBancario();
    RegistraModulo(ClassRegistry(), lista_);
    principal_ = MakeForm<TForm_VYN>();
    empresa = principal_->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    conta = principal_->Create<TEdit_Codigo_Search_VYN>(tcPlanoContas);
    ini = principal_->Create<TEdit_Date_Padrao_VYN>();
    fim = principal_->Create<TEdit_Date_Padrao_VYN>();
    arquivo = principal_->Create<TEdit_Diretorio_Padrao_VYN>();
    transacao = principal_->Create<TSpeedButton>();
    empresa->Vale(15);
    conta->Vale(123);
    ini->SetData(EncodeDate(2024, 3, 1));
    fim->SetData(EncodeDate(2024, 3, 31));
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
    principal_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  void Linha(int chave, int dia, const char* dcto, int tipo, const char* valor) {
    Db().Execute("insert into VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDDESCRICAO, BDDCTO, "
                 "BDTIPO, BDVALOR) values (15, ?, 123, ?, 'PIX', ?, ?, ?)",
                 {chave, EncodeDate(2024, 3, dia), dcto, tipo, Currency::Parse(valor)});
  }
  void Lanc(int chave, int dia, const char* dcto, bool debito, const char* valor) {
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO) "
                           "values (15, ?, ?, ?, ?, ?, ?)",
                           {chave, EncodeDate(2024, 3, dia), debito ? 123 : 900, debito ? 900 : 123, Currency::Parse(valor), dcto});
  }
  // Opens a plain statement, or the Dyq statement `idDyq` with matching options.
  TfrProcessoConciliacaoBancaria* Abre(bool onze = true, int64_t idDyq = 0) {
    TListaObj l;
    l.Add(empresa);
    l.AddOwned(std::make_unique<TString_VYN>(nullptr, "15"));
    l.Add(ini);
    l.Add(fim);
    l.Add(conta);
    l.Add(arquivo);
    l.Add(transacao);
    if (idDyq != 0) {
      l.AddObject(&documentoDyq);
      auto filtro = std::make_unique<TFiltroConciliacao>();
      filtro->PorDocumento = filtro->PorValor = true;
      l.AddOwned(std::move(filtro));
    } else {
      l.AddNil();
      l.AddNil();
    }
    l.AddInteger(idDyq);
    if (onze) l.AddInteger(1);
    return static_cast<TfrProcessoConciliacaoBancaria*>(
        TPackagesUtil::CarregaFormParamsObj("TfrProcessoConciliacaoBancaria", principal_.get(), std::move(l)));
  }
  static void Clica(TfrProcessoConciliacaoBancaria& t, bool extrato, int chave, const char* campo = "bdstatus") {
    TClientDataSet& ds = extrato ? static_cast<TClientDataSet&>(*t.FDaoExt) : *t.FDaoCont;
    ASSERT_TRUE(ds.Locate("BDCHAVE", {chave}));
    // As the user does: a mouse click on the row's cell, through the grid's own events.
    (extrato ? t.grLanExtrato : t.grLanContabil)->MouseClick(campo);
  }
  static int Status(TClientDataSet& ds, int chave) {
    EXPECT_TRUE(ds.Locate("BDCHAVE", {chave}));
    return static_cast<int>(ds.FieldByName("BDSTATUS").AsInteger());
  }

  TScriptedDialogs dialogs;
  nlohmann::json documentoDyq = nlohmann::json::object();
  TFormPtr<TForm_VYN> principal_;
  TListaRegistro lista_;
  TEdit_Codigo_Search_VYN *empresa, *conta;
  TEdit_Date_Padrao_VYN *ini, *fim;
  TEdit_Diretorio_Padrao_VYN* arquivo;
  TSpeedButton* transacao;
};

TEST(ConciliacaoFormatoTest, TotalsShowSideLettersAndStatusColours) {
  EXPECT_EQ(FormataTotalConciliacao(Currency::Parse("1234.5")), "1.234,50 D");
  EXPECT_EQ(FormataTotalConciliacao(Currency::Parse("-0.01")), "0,01 C");
  EXPECT_EQ(FormataTotalConciliacao(Currency()), " 0,00");
  EXPECT_EQ(CorStatusConciliacao(3), kCorVerde);
  EXPECT_EQ(CorStatusConciliacao(7), kCorAmarela);
  EXPECT_EQ(CorStatusConciliacao(6), kCorAzul);
  EXPECT_EQ(CorStatusConciliacao(4), 0u);
}

TEST_F(ConciliacaoBancariaTest, StatusClicksKeepSignedTotalsAndEnableReconciliationOnlyWhenEqual) {
  Linha(1, 5, "10", 0, "40");
  Lanc(1, 5, "10", true, "40");   // money in: the opposite side of line 1
  Lanc(2, 5, "10", false, "40");
  auto* t = Abre(false);
  EXPECT_FALSE(t->FNaoCoincidirTransPrep);
  EXPECT_FALSE(principal_->Enabled());
  EXPECT_TRUE(t->spExcluirTodos->Enabled());
  Clica(*t, true, 1, "BDVALOR");   // another column changes nothing
  EXPECT_EQ(Status(*t->FDaoExt, 1), 0);
  Clica(*t, true, 1);
  EXPECT_EQ(t->lbTotalSelExtrato->Caption(), "40,00 D");
  Clica(*t, false, 1);
  EXPECT_EQ(t->lbTotalSelContabil->Caption(), "40,00 C");
  EXPECT_FALSE(t->spConciliacao->Enabled());
  Clica(*t, false, 1);   // unselected again
  Clica(*t, false, 2);
  EXPECT_EQ(t->FTotalContabil, t->FTotalExtrato);
  EXPECT_TRUE(t->spConciliacao->Enabled());
  EXPECT_EQ(t->ImagemCelula(*t->FDaoCont, "BDSTATUS"), t->FIcones.Checked);
  EXPECT_EQ(t->ImagemCelula(*t->FDaoCont, "BDDEBCRED"), t->FIcones.Debito);
  // An inconsistent row: 5 becomes 7 and counts; a second click sets 0 and takes it off.
  ASSERT_TRUE(t->FDaoExt->Locate("BDCHAVE", {1}));
  t->FDaoExt->Edit();
  t->FDaoExt->FieldByName("BDSTATUS").SetAsInteger(5);
  t->FDaoExt->Post();
  t->FTotalExtrato = Currency();
  Clica(*t, true, 1);
  EXPECT_EQ(Status(*t->FDaoExt, 1), 7);
  EXPECT_EQ(t->FTotalExtrato, Currency::Parse("40"));
  Clica(*t, true, 1);
  EXPECT_EQ(Status(*t->FDaoExt, 1), 0);
  EXPECT_TRUE(t->FTotalExtrato.IsZero());
}

TEST_F(ConciliacaoBancariaTest, ManualReconciliationTakesStatementDatesOnceAskedAndTheRunStoresIt) {
  Linha(1, 5, "10", 0, "40");
  Linha(2, 6, "11", 0, "15.5");
  Linha(3, 9, "99", 1, "7");   // never selected: stays free
  Lanc(1, 3, "10", false, "40");
  Lanc(2, 4, "11", false, "15.5");
  auto* t = Abre();
  EXPECT_TRUE(t->FNaoCoincidirTransPrep);
  for (int k : {1, 2}) {
    Clica(*t, true, k);
    Clica(*t, false, k);
  }
  dialogs.Yes("Deseja atualizar os lançamentos contábeis com os dados do extrato bancário?");
  t->spConciliacao->Click();
  EXPECT_TRUE(t->btIniciar->Enabled());
  EXPECT_EQ(Status(*t->FDaoCont, 1), 6);
  // A pair made by hand is painted as its legend says.
  EXPECT_EQ(t->grLanContabil->CorFundoLinha(), kCorAzul);
  EXPECT_EQ(t->pnAzul->Color, kCorAzul);
  EXPECT_EQ(t->FDaoCont->FieldByName("BDDATA").AsDateTime(), EncodeDate(2024, 3, 5));
  EXPECT_EQ(Status(*t->FDaoCont, 2), 6);
  EXPECT_EQ(t->FDaoCont->FieldByName("BDDATA").AsDateTime(), EncodeDate(2024, 3, 6));
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  dialogs.Ok("Processo realizado com sucesso!");
  t->btIniciar->Click();
  EXPECT_EQ(Status(*t->FDaoExt, 1), 4);
  EXPECT_EQ(Status(*t->FDaoExt, 3), 0);
  EXPECT_EQ(Status(*t->FDaoCont, 2), 4);
  EXPECT_FALSE(t->btIniciar->Enabled());
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCONCC = 'TRUE' and BDCONCD = 'FALSE'")
                .AsInteger(),
            2);
  EXPECT_EQ(Db().QueryValue("select BDDATA from VZEL_EMPRESAS_TLAN where BDCHAVE = 1").AsDateTime(),
            EncodeDate(2024, 3, 5));
  // Filters: the stored pair shows under "Conciliados", the free line under "Não conciliados".
  t->mmConciliados->Click();
  EXPECT_EQ(t->FDaoExt->RecordCount(), 2);
  EXPECT_FALSE(t->spConciliacaoAut->Enabled());
  t->mmNaoconciliados->Click();
  EXPECT_EQ(t->FDaoExt->RecordCount(), 1);
}

TEST_F(ConciliacaoBancariaTest, UnequalSumsStopTheRunAndAFailedStoreIsReported) {
  Linha(1, 5, "10", 0, "40");
  Lanc(1, 5, "10", false, "40");
  auto* t = Abre();
  Clica(*t, true, 1);
  Clica(*t, false, 1);
  t->spConciliacao->Click();
  // Meanwhile another user reconciled the entry.
  ExecutaComoSuite(Db(), "update VZEL_EMPRESAS_TLAN set BDCONCC = 'TRUE' where BDCHAVE = 1");
  dialogs.List();
  t->btIniciar->Click();
  EXPECT_TRUE(Db().QueryValue("select BDCHAVELANC from VZEL_EMPRESAS_TEXTRATOBAN where BDCHAVE = 1").IsNull());
  // A selection left on one side only: the check refuses the run.
  Clica(*t, true, 1);
  t->btIniciar->SetEnabled(true);
  dialogs.Ok("Os valores dos lançamentos e do extrato não podem ser diferentes");
  t->btIniciar->Click();
}

TEST_F(ConciliacaoBancariaTest, AutomaticButtonMatchesOnThisScreensDataAndCloses) {
  Linha(1, 5, "10", 0, "40");
  Lanc(1, 5, "10", false, "40");
  auto* t = Abre();
  t->spConciliacaoAut->Click();
  TfrConciliacaoOFC* ofc = nullptr;
  for (TComponent* c : t->Components())
    if (auto* f = dynamic_cast<TfrConciliacaoOFC*>(c)) ofc = f;
  ASSERT_NE(ofc, nullptr);
  EXPECT_FALSE(t->Enabled());
  EXPECT_FALSE(ofc->edCODEMP->Enabled());
  // Without the document option value and date are forced on, zeros off.
  ofc->ckConsiderarZeroAEsquerda->SetChecked(true);
  ofc->ckValor->SetChecked(false);
  ofc->ckDocumento->Click();
  ofc->ckDocumento->Click();
  EXPECT_TRUE(ofc->ckValor->Checked());
  EXPECT_TRUE(ofc->ckData->Checked());
  EXPECT_FALSE(ofc->ckConsiderarZeroAEsquerda->Checked());
  EXPECT_FALSE(ofc->ckValor->Enabled());
  dialogs.Ok("Conciliação bancária concluída com sucesso!");
  ofc->spOK->Click();
  EXPECT_TRUE(ofc->Closed());
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(Status(*t->FDaoExt, 1), 2);
  EXPECT_EQ(Status(*t->FDaoCont, 1), 2);
}

TEST_F(ConciliacaoBancariaTest, DeletingAnEntryTakesEverythingKeptUnderItsKeyOrNothing) {
  Lanc(1, 5, "10", false, "40");
  Lanc(2, 6, "11", false, "15");
  Lanc(3, 7, "12", false, "9");
  ExecutaComoSuite(Db(), "update VZEL_EMPRESAS_TLAN set BDCONCC = 'TRUE' where BDCHAVE = 3");
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) values (15, 1, 'longo')");
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN_CC (BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ, BDVALOR) values (15, 1, 4, 1, 40)");
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ) values (15, 1, 1)");
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC) "
               "values (15, 2, 2, 15, 1)");
  auto* t = Abre();
  t->grLanContabil->SetFocus();
  ASSERT_TRUE(t->FDaoCont->Locate("BDCHAVE", {1}));
  t->grLanContabil->MouseClick("BDVALOR");
  ASSERT_TRUE(t->spExcluir->Enabled());
  dialogs.Yes("Confirma a exclusão do lançamento?");
  t->spExcluir->Click();
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN_COMPL", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_Y570",
                             "VZEL_EMPRESAS_TLAN_CONC"})
    EXPECT_EQ(Db().QueryValue(std::string("select count(*) from ") + tabela).AsInteger(), 0) << tabela;
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VYN_LOG_EVENTO where BDTIPOACAO = 2").AsInteger(), 1);
  // A reconciled entry is refused with the reason and stays.
  ASSERT_TRUE(t->FDaoCont->Locate("BDCHAVE", {3}));
  dialogs.Ok("Lançamento 3 está conciliado e não pode ser excluído.");
  t->spExcluir->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
}

// The delete button follows the entries grid's focus: a click on the form off the grids refreshes it.
TEST_F(ConciliacaoBancariaTest, AClickOnTheFormDisablesDeletingOnceTheEntriesGridLostTheFocus) {
  Lanc(1, 5, "10", false, "40");
  auto* t = Abre();
  t->grLanContabil->SetFocus();
  t->grLanContabil->MouseClick("BDVALOR");
  ASSERT_TRUE(t->spExcluir->Enabled());
  t->grLanExtrato->SetFocus();
  t->Click();
  EXPECT_FALSE(t->spExcluir->Enabled());
  t->grLanContabil->SetFocus();
  t->Click();
  EXPECT_TRUE(t->spExcluir->Enabled());
}

// F8 hands the unmatched lines to the review and matches again only once the user closed it.
TEST_F(ConciliacaoBancariaTest, F8WaitsForTheReviewItOpensAndMatchesAfterItCloses) {
  Linha(1, 5, "10", 0, "40");
  Lanc(7, 5, "10", false, "40");
  auto* t = Abre();
  const size_t antes = t->Components().size();
  int key = 119;
  t->KeyDown(key, 0);
  TForm_VYN* revisao = nullptr;
  for (size_t i = antes; i < t->Components().size(); ++i)
    if (auto* f = dynamic_cast<TForm_VYN*>(t->Components()[i]); f && f->ClassName() == "TfrConsultaImportacaoExtratoBancario")
      revisao = f;
  ASSERT_NE(revisao, nullptr);
  ASSERT_FALSE(revisao->Closed());
  EXPECT_TRUE(dialogs.Done()) << "nothing is matched while the review is open";
  dialogs.Ok("Conciliação");
  revisao->Close();
  EXPECT_TRUE(dialogs.Done());
}

// A deletion the database refuses keeps the entry and its row.
TEST_F(ConciliacaoBancariaTest, ARefusedDeletionKeepsTheRow) {
  Lanc(1, 5, "10", false, "40");
  Db().Execute("create exception E_NAO_EXCLUI 'exclusão recusada'");
  Db().Execute("create trigger T_NAO_EXCLUI for VZEL_EMPRESAS_TLAN before delete as begin exception E_NAO_EXCLUI; end");
  auto* t = Abre();
  t->grLanContabil->SetFocus();
  ASSERT_TRUE(t->FDaoCont->Locate("BDCHAVE", {1}));
  dialogs.Yes("Confirma a exclusão do lançamento?").Ok("O lançamento não foi excluído");
  t->spExcluir->Click();
  EXPECT_EQ(t->FDaoCont->RecordCount(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
}

TEST_F(ConciliacaoBancariaTest, DeletingTheStatementIsLoggedOnlyWhenItRan) {
  Linha(1, 5, "10", 0, "40");
  Db().Execute("insert into VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDIDEXTRATODYQ, BDDATAMOV, BDTIPO, "
               "BDVALOR) values (15, 9, 123, 44, '2024-03-07', 1, 1)");
  auto* t = Abre();
  dialogs.No("Confirma a exclusão do extrado?");
  t->spExcluirTodos->Click();
  EXPECT_FALSE(t->Closed());
  auto exclusoes = [&] {
    // The log's table is made by its first record.
    if (!Db().TableExists("VYN_LOG_EVENTO")) return int64_t{0};
    return static_cast<int64_t>(Db().QueryValue("select count(*) from VYN_LOG_EVENTO where BDTIPOACAO = 3").AsInteger());
  };
  EXPECT_EQ(exclusoes(), 0);
  dialogs.Yes("Confirma a exclusão do extrado?");
  t->spExcluirTodos->Click();
  EXPECT_TRUE(t->Closed());
  EXPECT_EQ(exclusoes(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TEXTRATOBAN").AsInteger(), 1);   // the Dyq one
}

}  // namespace
}  // namespace integracao

namespace integracao {
namespace {

// The lines a user chose to see come back when that user opens the reconciliation again, and the
// opening's matching still proposes its pairs among them.
TEST_F(ConciliacaoBancariaTest, TheLinesAUserChoseToSeeComeBackForThatUserWithTheMatchersProposals) {
  Linha(1, 5, "10", 0, "40");
  Db().Execute("UPDATE VZEL_EMPRESAS_TEXTRATOBAN SET BDIDEXTRATODYQ = 77 WHERE BDCHAVE = 1");
  Lanc(1, 5, "10", false, "40");
  {
    TValorTemporario<int> ana(ProcessContext().UserCode, 7);
    auto* t = Abre(true, 77);
    EXPECT_EQ(Status(*t->FDaoExt, 1), 2);
    t->mmNaoconciliados->Click();
    EXPECT_EQ(Status(*t->FDaoExt, 1), 0);   // a filter change reads the lines again
    t->Close();
    auto* outra = Abre(true, 77);
    EXPECT_TRUE(outra->mmNaoconciliados->Checked);
    EXPECT_FALSE(outra->mmTodos->Checked);
    EXPECT_FALSE(outra->spConciliacaoAut->Enabled());
    EXPECT_EQ(Status(*outra->FDaoExt, 1), 2);
    EXPECT_EQ(Status(*outra->FDaoCont, 1), 2);
    outra->Close();
  }
  TValorTemporario<int> bia(ProcessContext().UserCode, 8);
  auto* t = Abre(true, 77);
  EXPECT_TRUE(t->mmTodos->Checked);
  EXPECT_TRUE(t->spConciliacaoAut->Enabled());
}

}  // namespace
}  // namespace integracao
