// Editing statement lines on a real company database: codes checked against the chart, the
// participants and the history plan; propagations all-or-nothing.
#include "bankstatement/revisao_extrato_test_support.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"

namespace integracao {
namespace {

using namespace vyn;
using seed::kContaBanco;

class EdicaoLinhasTest : public RevisaoLinhasTest {
 protected:
  TEdit_Codigo_Search_VYN* Codigo() { return principal_->Create<TEdit_Codigo_Search_VYN>(); }
};

TEST_F(EdicaoLinhasTest, AccountEditChecksTheChartAndPropagatesToUnlinkedLinesOnly) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, "TARIFA"}, {2, 40, kContaBanco, 20, 1, "TARIFA"},
                  {3, 40, kContaBanco, 30, 1, "TARIFA"}, {4, 20, kContaBanco, 40, 1, "PIX"}});
  auto* l = static_cast<TLancamentoMGR*>(t->DAOLinhas());
  // Line 3 is linked to a settlement; line 2 was reconciled with two posted entries.
  Vai(*t, 3);
  l->Edit();
  l->FieldByName("BDVINC_BAIXA").SetAsBoolean(true);
  l->Post();
  Vai(*t, 2);
  l->Edit();
  l->FieldByName("BDCONCC").SetAsBoolean(true);
  l->Post();
  l->setItensConciliadosItem(15, 2, "", TDateTime(), Currency::FromInt(20), 900, 2);
  l->setItensConciliadosItem(15, 2, "", TDateTime(), Currency::FromInt(20), 901, 2);

  Vai(*t, 1);
  // A synthetic account and an unknown one are refused; the line keeps its account.
  dialogs.Ok("Código 1 não encontrado").Ok("Código 999 não encontrado");
  EXPECT_FALSE(t->grGrid->EditaCelula("bddebito", "1"));
  EXPECT_FALSE(t->grGrid->EditaCelula("bddebito", "999"));
  EXPECT_EQ(Int(*t, 1, "BDDEBITO"), 40);

  dialogs.Yes("Deseja alterar as outras contas 40 para 30?");
  EXPECT_TRUE(t->grGrid->EditaCelula("bddebito", "30"));
  EXPECT_EQ(Int(*t, 1, "BDDEBITO"), 30);
  EXPECT_EQ(Int(*t, 2, "BDDEBITO"), 30);
  EXPECT_EQ(Int(*t, 3, "BDDEBITO"), 40) << "a line linked to a settlement keeps its account";
  EXPECT_FALSE(Campo(*t, 2, "BDCONCC").AsBoolean());
  EXPECT_FALSE(getItensConciliados(*l, 15, 2)) << "every reconciled item of the line goes";
  EXPECT_EQ(l->RecNo(), 1);

  // The bank account itself asks nothing; a linked line cannot be edited at all.
  EXPECT_TRUE(t->grGrid->EditaCelula("bddebito", std::to_string(kContaBanco)));
  Vai(*t, 3);
  dialogs.Ok("Impossível editar lançamento quando este está vinculado à uma baixa.");
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcompl", "X"));
}

TEST_F(EdicaoLinhasTest, ParticipantCellsFollowTheirAccount) {
  auto* t = Abre({{1, 20, kContaBanco, 10, 1, ""}, {2, 20, kContaBanco, 10, 1, ""}});
  Vai(*t, 1);
  dialogs.Ok("Código 78 não encontrado");
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcodterceirod", "78"));
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcodterceirod", "77"));
  EXPECT_EQ(Int(*t, 1, "BDALTCODTERCEIROD"), 77);
  Vai(*t, 2);
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcodterceirod", "77"));
  // An account without participants clears them on the edited line and on the lines it changes.
  Vai(*t, 1);
  dialogs.Yes("Deseja alterar as outras contas 20 para 40?");
  EXPECT_TRUE(t->grGrid->EditaCelula("bddebito", "40"));
  for (int k : {1, 2}) {
    EXPECT_EQ(Int(*t, k, "BDCODTERCEIROD"), 0) << k;
    EXPECT_TRUE(Campo(*t, k, "BDALTCODTERCEIROD").IsNull()) << k;
  }
  // The participant cell of such an account refuses the edit silently.
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcodterceirod", "77"));
  // Clearing the account asks with ^Vazio; No leaves the other line alone.
  dialogs.No("Deseja alterar as outras contas 40 para");
  EXPECT_TRUE(t->grGrid->EditaCelula("bddebito", ""));
  EXPECT_TRUE(Campo(*t, 1, "BDDEBITO").IsNull());
  EXPECT_EQ(Int(*t, 2, "BDDEBITO"), 40);
}

TEST_F(EdicaoLinhasTest, HistoryAndComplementPropagation) {
  Db().Execute("insert into HIST_TPHI (BDCODHIST, BDCODTPHI, BDNOME) values (1, 9, 'Tarifa * bancária')");
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, "PACOTE"}, {2, 40, kContaBanco, 10, 1, "PACOTE"},
                  {3, 40, kContaBanco, 10, 2, "PACOTE "}});
  Vai(*t, 1);
  dialogs.Ok("Código 8 não encontrado");
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcodtphi", "8"));
  dialogs.Yes("Deseja alterar os outros históricos 1 para 9?");
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcodtphi", "9"));
  EXPECT_EQ(Int(*t, 2, "BDCODTPHI"), 9);
  EXPECT_EQ(Campo(*t, 2, "BDCOMPL").AsString(), "Tarifa PACOTE bancária");
  EXPECT_EQ(Campo(*t, 1, "BDCOMPL").AsString(), "PACOTE") << "the edited line keeps its complement";
  EXPECT_EQ(Int(*t, 3, "BDCODTPHI"), 2);

  // The complement question comes after every edit; equal means exactly equal; the text is normalised.
  dialogs.Yes("Deseja alterar o complemento dos demais lançamentos");
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcompl", "  TARIFA   MENSAL "));
  EXPECT_EQ(Campo(*t, 1, "BDCOMPL").AsString(), "TARIFA MENSAL");
  EXPECT_EQ(Campo(*t, 3, "BDCOMPL").AsString(), "PACOTE ");
}

// What a cell refuses leaves the line as it was and the data set in browse.
TEST_F(EdicaoLinhasTest, ValueDateAndComplementCellsRefuseWhatTheLineCannotHold) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 0, "PACOTE"}});
  Vai(*t, 1);
  auto valor = [&](const std::string& texto) {
    return t->grGrid->EditaCelula("BDVALOR", texto);
  };
  EXPECT_TRUE(valor("1234567,89"));
  EXPECT_EQ(Campo(*t, 1, "BDVALOR").AsCurrency(), Currency::Parse("1234567.89"));
  EXPECT_TRUE(valor("123.456.789,10"));
  EXPECT_EQ(Campo(*t, 1, "BDVALOR").AsCurrency(), Currency::Parse("123456789.10"));
  dialogs.Ok("Valor inválido").Ok("Valor inválido").Ok("Valor negativo");
  EXPECT_FALSE(valor("1234567890"));
  EXPECT_FALSE(valor("10,125"));
  EXPECT_FALSE(valor("-5,00"));
  EXPECT_EQ(Campo(*t, 1, "BDVALOR").AsCurrency(), Currency::Parse("123456789.10"));

  dialogs.Ok("Data não informada");
  EXPECT_FALSE(t->grGrid->EditaCelula("BDDATA", ""));
  EXPECT_FALSE(Campo(*t, 1, "BDDATA").IsNull());

  dialogs.Ok("");
  EXPECT_FALSE(t->grGrid->EditaCelula("BDCOMPL", std::string(300, 'x')));
  EXPECT_EQ(Campo(*t, 1, "BDCOMPL").AsString(), "PACOTE");
  EXPECT_EQ(t->DAOLinhas()->State(), TDataSetState::dsBrowse);
}

TEST_F(EdicaoLinhasTest, AFailedPropagationChangesNoLine) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}, {2, 40, kContaBanco, 10, 1, ""}, {3, 40, kContaBanco, 10, 1, ""}});
  TDAOFactory* l = t->DAOLinhas();
  Vai(*t, 1);
  l->Edit();
  l->FieldByName("BDDEBITO").SetAsInteger(30);
  l->Post();
  l->BeforePost = [](TClientDataSet& ds) {
    if (ds.FieldByName("BDCHAVE").AsInteger() == 3) throw EDataSetError("linha 3 recusada");
  };
  dialogs.Yes("Deseja alterar as outras contas 40 para 30?");
  EXPECT_THROW(t->GravaContas("BDDEBITO", "BDCODTERCEIROD", 40, Variant(30)), EDataSetError);
  l->BeforePost = nullptr;
  EXPECT_EQ(Int(*t, 2, "BDDEBITO"), 40) << "line 2 was put back";
  EXPECT_EQ(Int(*t, 3, "BDDEBITO"), 40);
  EXPECT_EQ(l->RecNo(), 1);
}

TEST_F(EdicaoLinhasTest, EntryTypeStatusAndRuleCounterAccount) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}});
  TDAOFactory* l = t->DAOLinhas();
  campos::Grava(*l, "BDTIPOLAN", Variant(29));
  EXPECT_TRUE(t->grGrid->EditaCelula("bddata", "01/03/2024"));
  EXPECT_EQ(Int(*t, 1, "BDTIPOLAN"), 29) << "the same text typed again";
  EXPECT_TRUE(t->grGrid->EditaCelula("bddata", "02/03/2024"));
  EXPECT_EQ(Int(*t, 1, "BDTIPOLAN"), 30);
  // A changed amount in the numeric editor is not one of the rule's edits.
  campos::Grava(*l, "BDTIPOLAN", Variant(29));
  EXPECT_TRUE(t->grGrid->EditaCelula("bdvalor", "12,00"));
  EXPECT_EQ(Int(*t, 1, "BDTIPOLAN"), 29);

  // Outside a Dyq review the Dyq columns are hidden: not editable.
  EXPECT_FALSE(t->grGrid->EditaCelula("bdstatusweb", "2"));

  // Counter-accounts of rules made from lines: 0 propagates as null; stored rules ask nothing.
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* r = t->DAOPreparacoes();
  for (int k : {1, 2, 3})
    r->AppendRecord({Variant(15), Variant(k)});
  for (int k : {1, 2, 3}) {
    ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(k)}));
    r->Edit();
    r->FieldByName("BDCONTRAPARTIDA").SetAsInteger(k == 3 ? 41 : 40);
    if (k != 2) r->FieldByName("BDCHAVELANC").SetAsInteger(k);
    r->Post();
  }
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(2)}));
  t->GravarContasPrep(40, 0);   // a stored rule: nothing
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(1)}));
  dialogs.Yes("Deseja alterar as outras contas 40 para 0?");
  t->GravarContasPrep(40, 0);
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(2)}));
  EXPECT_TRUE(r->FieldByName("BDCONTRAPARTIDA").IsNull());
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(3)}));
  EXPECT_EQ(r->FieldByName("BDCONTRAPARTIDA").AsInteger(), 41);

  // Through the rules grid: only the counter-account of a rule made from a line is edited.
  t->AtualizaTreeView();   // the rules node shows once it has rules
  t->SelecionaNodo(kNodoPreparacoes);
  ASSERT_EQ(t->DAOAtual(), t->DAOPreparacoes());
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(2)}));
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcontrapartida", "30")) << "a stored rule";
  ASSERT_TRUE(r->Locate("BDCHAVE", {Variant(3)}));
  ASSERT_TRUE(r->FindField("BDCOMPL"));
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcompl", "X"));
  dialogs.Ok("Código 999 não encontrado");
  EXPECT_FALSE(t->grGrid->EditaCelula("bdcontrapartida", "999"));
  dialogs.No("Deseja alterar as outras contas 41 para 40?");
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcontrapartida", "40"));
  EXPECT_EQ(r->FieldByName("BDCONTRAPARTIDA").AsInteger(), 40);
  EXPECT_TRUE(t->grGrid->EditaCelula("bdcontrapartida", "40")) << "the same account asks nothing";
}

TEST_F(EdicaoLinhasTest, EditButtonRefusesLinkedAndCompleteLines) {
  auto* t = Abre({{1, 40, kContaBanco, 10, 1, ""}});
  dialogs.Ok("O lançamento selecionado já possui débito e crédito informado.");
  t->spEditar->Click();
  campos::Grava(*t->DAOLinhas(), "BDVINC_BAIXA", Variant(true));
  dialogs.Ok("Impossível criar lançamento manual quando este está vinculado à uma baixa.");
  t->spEditar->Click();
  // The rule register of the review's kind opens on the company; the review does not wait for it.
  t->spPreparaExtrato->Click();
  const std::vector<TComponent*> filhos = t->Components();
  EXPECT_TRUE(std::any_of(filhos.begin(), filhos.end(),
                          [](TComponent* c) { return c->ClassName() == "TfrPreparacaoExtratoBancario"; }));
}

}  // namespace
}  // namespace integracao
