#include "bankstatement/uConcilacaoOFC.h"

#include "framework/accounting/lancamento_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// The statement review's case: only the review's lines, matched with the posted entries of the account.
class ConciliacaoOFCLinhasTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    dono = MakeForm<TForm_VYN>();
    linhas = TLancamentoMGR::CreateMgr(dono.get(), false, false, 1, false, true);
    linhas->SetControlMemory(true);
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDCODTERCEIROD", "BDCODTERCEIROC",
                          "BDCODHIST", "BDCODTPHI", "BDTIPOCONC"})
      linhas->AddFieldDef(c, TFieldType::ftInteger);
    linhas->AddFieldDef("BDDATA", TFieldType::ftDate);
    linhas->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    linhas->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
    linhas->AddFieldDef("BDCONCD", TFieldType::ftString, 5);
    linhas->AddFieldDef("BDCONCC", TFieldType::ftString, 5);
    linhas->CreateDataSet();
  }
  void Linha(int chave, bool entrada, const char* valor, const char* concd = "FALSE") {
    linhas->AppendRecord({15, chave, entrada ? 123 : 0, entrada ? 0 : 123, Variant(), Variant(), Variant(), Variant(),
                          Variant(), EncodeDate(2024, 3, 5), Currency::Parse(valor), "7", concd, "FALSE"});
  }
  void Postado(int chave, bool entrada, const char* valor, int terceiro, int dia = 5) {
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDCODTERCEIROD, "
                           "BDCODTERCEIROC, BDVALOR, BDDCTO, BDCODHIST, BDCODTPHI) values (15, ?, ?, ?, ?, ?, ?, ?, '7', 2, 31)",
                           {chave, EncodeDate(2024, 3, dia), entrada ? 123 : 310, entrada ? 410 : 123, terceiro, terceiro,
                  Currency::Parse(valor)});
  }
  TfrConciliacaoOFC* Tela() {
    auto* t = CreateForm<TfrConciliacaoOFC>(*dono);
    t->Show();
    t->edCODEMP->Vale(15);
    t->edCODCTA->Vale(123);
    t->FLancamentoDAO = linhas;
    return t;
  }

  TScriptedDialogs dialogs;
  TFormPtr<TForm_VYN> dono;
  TLancamentoMGR* linhas = nullptr;
};

TEST_F(ConciliacaoOFCLinhasTest, LinesTakeTheCounterAccountOfOnePostedEntryEach) {
  Linha(1, true, "90");
  Linha(2, true, "90");      // the only candidate is taken by line 1
  Linha(3, false, "12.5");
  Linha(4, true, "90", "TRUE");   // already reconciled: left as it is
  Postado(50, true, "90", 8);
  Postado(51, false, "12.5", 9);
  auto* t = Tela();
  dialogs.Ok("Conciliação realizada com sucesso.");
  t->spOK->Click();
  EXPECT_FALSE(t->Closed());
  ASSERT_TRUE(linhas->Locate("BDCHAVE", {1}));
  EXPECT_EQ(linhas->FieldByName("BDCREDITO").AsInteger(), 410);
  EXPECT_EQ(linhas->FieldByName("BDCODTERCEIROC").AsInteger(), 8);
  EXPECT_EQ(linhas->FieldByName("BDCONCD").AsString(), "TRUE");
  EXPECT_EQ(linhas->FieldByName("BDCODTPHI").AsInteger(), 31);
  EXPECT_EQ(linhas->FieldByName("BDTIPOCONC").AsInteger(), 1);
  ASSERT_TRUE(linhas->Locate("BDCHAVE", {2}));
  EXPECT_EQ(linhas->FieldByName("BDCONCD").AsString(), "FALSE");
  EXPECT_TRUE(linhas->FieldByName("BDCREDITO").AsInteger() == 0);
  ASSERT_TRUE(linhas->Locate("BDCHAVE", {3}));
  EXPECT_EQ(linhas->FieldByName("BDDEBITO").AsInteger(), 310);
  EXPECT_EQ(linhas->FieldByName("BDCONCC").AsString(), "TRUE");
  EXPECT_EQ(linhas->FieldByName("BDTIPOCONC").AsInteger(), 2);
  ASSERT_TRUE(linhas->Locate("BDCHAVE", {4}));
  EXPECT_TRUE(linhas->FieldByName("BDTIPOCONC").IsNull());
  TClientDataSet* itens = linhas->getItensConciliadosDAO();
  ASSERT_EQ(itens->RecordCount(), 2);
  ASSERT_TRUE(itens->Locate("BDCHAVE", {3}));
  EXPECT_EQ(itens->FieldByName("BDCHAVECONC").AsInteger(), 51);
  EXPECT_EQ(itens->FieldByName("BDVALOR").AsCurrency(), Currency::Parse("-12.5"));
  // Nothing was written to the posted entries.
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCONCD = 'TRUE' or BDCONCC = 'TRUE'")
                .AsInteger(),
            0);
}

TEST_F(ConciliacaoOFCLinhasTest, ByDocumentALineTakesOnlyTheNearestOfSeveralCandidates) {
  Linha(1, true, "90");
  Postado(50, true, "90", 8, 1);
  Postado(51, true, "90", 9, 6);
  auto* t = Tela();
  t->ckDocumento->SetChecked(true);
  t->ckData->SetChecked(false);
  t->ckValor->SetChecked(true);
  dialogs.Ok("Conciliação realizada com sucesso.");
  t->spOK->Click();
  TClientDataSet* itens = linhas->getItensConciliadosDAO();
  ASSERT_EQ(itens->RecordCount(), 1);
  EXPECT_EQ(itens->FieldByName("BDCHAVECONC").AsInteger(), 51);
}

// Matched on the document alone, a line never takes an entry of another value: it would be taken as
// booked while its own money never reached the ledger.
TEST_F(ConciliacaoOFCLinhasTest, ByDocumentAloneALineNeverTakesAnEntryOfAnotherValue) {
  Linha(1, true, "80");
  Postado(50, true, "999", 8);
  auto* t = Tela();
  t->ckDocumento->SetChecked(true);
  t->ckData->SetChecked(false);
  t->ckValor->SetChecked(false);
  dialogs.Ok("Conciliação realizada com sucesso.");
  t->spOK->Click();
  EXPECT_EQ(linhas->getItensConciliadosDAO()->RecordCount(), 0);
  ASSERT_TRUE(linhas->Locate("BDCHAVE", {1}));
  EXPECT_EQ(linhas->FieldByName("BDCONCD").AsString(), "FALSE");
  EXPECT_EQ(linhas->FieldByName("BDCREDITO").AsInteger(), 0);
}

TEST_F(ConciliacaoOFCLinhasTest, WithoutLinesTheRunStillReportsAndWithoutManagerDoesNothing) {
  auto* t = Tela();
  dialogs.Ok("Conciliação realizada com sucesso.");
  t->spOK->Click();
  t->FLancamentoDAO = nullptr;
  t->spOK->Click();   // no dialog expected
}

}  // namespace
}  // namespace integracao
