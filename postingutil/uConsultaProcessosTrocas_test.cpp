#include "postingutil/uConsultaProcessosTrocas.h"

#include <gtest/gtest.h>

#include "framework/accounting/troca_plano_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/tree_view.h"
#include "postingutil/uConsultaProcessosTrocasBalancetesTreeView.h"
#include "postingutil/uMensagemAlertaTrocaContabilizacao.h"
#include "postingutil/uProcessoTrocaPlanoContabilizacaoMesmoPlano.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// Stands for the different-chart change screen: opened by name, recognised by name.
struct TTelaTrocaFalsa : TForm_VYN {
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return "TfrProcessoTrocaPlanoContabilizacao"; }
  bool InheritsFrom(const std::string& n) const override {
    return SameText(n, "TfrProcessoTrocaPlanoContabilizacao") || TForm_VYN::InheritsFrom(n);
  }
};

class TrocasTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ClassRegistry().RegisterClass<TTelaTrocaFalsa>("TfrProcessoTrocaPlanoContabilizacao", TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrConsultaProcessosTrocasBalancetesTreeView>(
        "TfrConsultaProcessosTrocasBalancetesTreeView", TClassKind::Screen);
    seed::AddStandardCompany(Db(), 202401);
    Db().Execute("UPDATE TEMPRESAS_REF SET BDNOMEMP = 'D''Ávila Comércio' WHERE BDCODEMP = 1");
    Db().Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO) VALUES (7, 'Plano sete')");
    Troca(1, 1, 7, 0);
    Troca(1, 2, 0, 7);
    Troca(2, 1, 0, 2);
  }
  void TearDown() override {
    ClassRegistry().UnRegisterClass("TfrProcessoTrocaPlanoContabilizacao");
    ClassRegistry().UnRegisterClass("TfrConsultaProcessosTrocasBalancetesTreeView");
    ProcessContext().MainForm = nullptr;
    CompanyDatabaseTest::TearDown();
  }
  void Troca(int emp, int ordem, int codint, int status) {
    Db().Execute("INSERT INTO VINT_EMP_PROCESSOTROCA (BDCODEMP, BDORDEM, BDDATAINICIAL, BDSTATUS, BDCODINT)"
                 " VALUES (?, ?, ?, ?, ?)",
                 {emp, ordem, EncodeDate(2024, 3, 1), status, codint ? Variant(codint) : Variant()});
  }
  void Saldo(int ordem, int depara, int ano, int conta, int saldo) {
    Db().Execute("INSERT INTO VINT_EMP_PROCESSOTROCA_BAL (BDCODEMP, BDORDEM, BDDEPARA, BDANO, BDCODPLAPADRAO,"
                 " BDCODTPLA, BDSALATU) VALUES (1, ?, ?, ?, 1, ?, ?)",
                 {ordem, depara, ano, conta, saldo});
  }
  template <class T>
  static T* Aberta(TComponent& dono) {
    for (TComponent* c : dono.Components())
      if (auto* t = dynamic_cast<T*>(c)) return t;
    return nullptr;
  }
};

TEST_F(TrocasTest, WarningGateLogsTheExplanationAndOpensTheChangeScreenOwnedByTheMainForm) {
  auto principal = MakeForm<TForm_VYN>();
  ProcessContext().MainForm = principal.get();
  auto aviso = MakeForm<TfrMensagemAlertaTrocaContabilizacao>();
  aviso->Show();
  {  // cancel opens nothing; rights refused leave the dialog open
    TScriptedDialogs d;
    d.Rights(false);
    aviso->spConfirmar->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_TRUE(aviso->Showing());
    EXPECT_EQ(principal->ComponentCount(), 0);
  }
  TScriptedDialogs d;
  d.Rights(true);
  int pageDown = 34;
  aviso->KeyDown(pageDown, 0);   // confirms only when let go
  EXPECT_TRUE(aviso->Showing());
  aviso->KeyUp(pageDown, 0);
  EXPECT_TRUE(d.Done());
  EXPECT_FALSE(aviso->Showing());
  EXPECT_NE(Aberta<TTelaTrocaFalsa>(*principal), nullptr);
  std::string texto = Db().QueryValue("SELECT BDTEXTO FROM VYN_LOG_EVENTO").AsString();
  const char* ordem[] = {"Atenção:", "• O que será feito neste processo:",
                         "  ->\tTroca do plano de contabilização: ", "Quando houver troca do plano de contas",
                         "Para empresas que ainda não possuem", "• Serão realizadas alterações apenas",
                         "• Em caso de cancelamento do processo, não haverá alteração nos dados."};
  size_t pos = 0;
  for (const char* t : ordem) {
    size_t p = texto.find(t, pos);
    ASSERT_NE(p, std::string::npos) << t;
    pos = p;
  }
  EXPECT_EQ(texto.find("Não é possível reverter"), std::string::npos);
}

TEST_F(TrocasTest, TheWarningsHelpLinkOpensTheArticleThroughTheShell) {
  auto aviso = MakeForm<TfrMensagemAlertaTrocaContabilizacao>();
  aviso->Show();
  TScriptedDialogs d;
  d.Shell(true);
  EXPECT_EQ(aviso->lbCliqueAqui->Caption(), "clique aqui");
  aviso->lbCliqueAqui->Click();
  EXPECT_TRUE(d.Done());
  ASSERT_FALSE(d.Calls().empty());
  EXPECT_EQ(d.Calls().back().Text, aviso->LinkAjuda);
}

TEST_F(TrocasTest, FilterFollowsTheOwnerAndStatusTextsMapOnlyKnownValues) {
  auto trocaOutroPlano = MakeForm<TTelaTrocaFalsa>();
  auto* c1 = CreateForm<TfrConsultaProcessosTrocas>(*trocaOutroPlano);
  EXPECT_EQ(c1->Filtro(), "troca.bdcodint is not null");
  ASSERT_EQ(c1->DAO()->RecordCount(), 1);
  EXPECT_EQ(c1->grConsulta->CellText("bddescricao"), "Plano sete");
  EXPECT_EQ(c1->grConsulta->CellText("bdnomemp"), "D'Ávila Comércio");
  EXPECT_EQ(c1->grConsulta->CellText("bdstatus"), "Realizado");

  TComponent dono;
  auto* edit = dono.Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  edit->SetText("2");
  auto* c2 = CreateForm<TfrConsultaProcessosTrocas>(*edit);
  EXPECT_EQ(c2->DAO()->RecordCount(), 1);
  EXPECT_EQ(c2->grConsulta->CellText("bdstatus"), "Revertido");

  auto mesmoPlano = MakeForm<TfrProcessoTrocaPlanoContabilizacaoMesmoPlano>();
  auto* c3 = CreateForm<TfrConsultaProcessosTrocas>(*mesmoPlano);
  EXPECT_EQ(c3->Filtro(), "");
  EXPECT_EQ(c3->DAO()->RecordCount(), 3);

  EXPECT_EQ(DescricaoStatusProcessoTroca(""), "Realizado");
  EXPECT_EQ(DescricaoStatusProcessoTroca("1"), "Realizado o inverso");
  EXPECT_EQ(DescricaoStatusProcessoTroca("7"), "7");
  c3->Show();
  EXPECT_EQ(c3->grConsulta->CellImage("BDCONSULTABALANCETE"), c3->ImagemConsultar());
  EXPECT_EQ(c3->grConsulta->CellImage("bdcodemp"), -1);
}

TEST_F(TrocasTest, EnterOnTheBalanceColumnOpensTheTreeThatNarrowsBySideAndYear) {
  Saldo(1, 0, 2023, 10, 100);
  Saldo(1, 0, 2024, 10, 110);
  Saldo(1, 1, 2024, 10, 110);
  Saldo(1, 1, 2024, 11, 5);
  Saldo(2, 0, 2024, 10, 1);
  TComponent dono;
  auto* c = CreateForm<TfrConsultaProcessosTrocas>(dono);
  c->Show();
  int enter = 13;
  c->KeyDown(enter, 0);   // another column: nothing opens
  EXPECT_EQ(Aberta<TfrConsultaProcessosTrocasBalancetesTreeView>(*c), nullptr);
  c->grConsulta->SelectedField = "BDCONSULTABALANCETE";
  enter = 13;
  c->KeyDown(enter, 0);
  auto* arvore = Aberta<TfrConsultaProcessosTrocasBalancetesTreeView>(*c);
  ASSERT_NE(arvore, nullptr);
  EXPECT_EQ(arvore->Ordem(), 1);
  TTreeView& tv = *arvore->tvConsulta;
  ASSERT_EQ(tv.RootCount(), 1);
  TTreeNode* emp = tv.Root(0);
  EXPECT_EQ(emp->Text, "D'Ávila Comércio");
  ASSERT_EQ(emp->Count(), 2);
  EXPECT_EQ(Trim(emp->Item(1)->Text), "Posterior a troca");
  ASSERT_EQ(emp->Item(0)->Count(), 2);   // 2023 and 2024 before the change

  auto linhas = [&](TTreeNode* n) {
    tv.SetSelected(n);
    return arvore->DAO()->RecordCount();
  };
  EXPECT_EQ(linhas(emp), 4);
  EXPECT_EQ(linhas(emp->Item(0)), 2);
  EXPECT_EQ(linhas(emp->Item(1)), 2);
  EXPECT_EQ(linhas(emp->Item(0)->Item(0)), 1);
  EXPECT_EQ(arvore->DAO()->FieldByName("BDNOMCTA").IsNull(), false);

  EXPECT_EQ(TfrConsultaProcessosTrocasBalancetesTreeView::GetDeParaFrom("'Posterior a troca'"), 1);
  EXPECT_EQ(TfrConsultaProcessosTrocasBalancetesTreeView::GetDeParaFrom("Anterior a troca"), 0);
}

TEST_F(TrocasTest, AChangeWithoutSavedBalancesShowsTheSingleNode) {
  TComponent dono;
  auto* c = CreateForm<TfrConsultaProcessosTrocas>(dono);
  c->DAO()->Last();
  c->grConsulta->SelectedField = "bdconsultabalancete";
  int enter = 13;
  c->KeyDown(enter, 0);
  auto* arvore = Aberta<TfrConsultaProcessosTrocasBalancetesTreeView>(*c);
  ASSERT_NE(arvore, nullptr);
  ASSERT_EQ(arvore->tvConsulta->Count(), 1);
  EXPECT_EQ(arvore->tvConsulta->Root(0)->Text, kNoSemDados);
}

}  // namespace
}  // namespace integracao
