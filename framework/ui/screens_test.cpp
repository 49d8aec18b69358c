#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/ui/consulta_padrao.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/integracao_padrao.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/status_processo.h"
#include "framework/ui/tree_view.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

TEST(Form, CloseCanBeRefusedAndAResultClosesAModalForm) {
  TScriptedDialogs dialogs;
  struct T : TForm_VYN {
    using TForm_VYN::TForm_VYN;
    bool podeFechar = false;
    int destroyed = 0;
    void FormClose(TCloseAction& a) override {
      if (!podeFechar) a = caNone;
    }
    void FormDestroy() override { ++destroyed; }
  };
  auto owner = MakeForm<TForm_VYN>();
  T* f = CreateForm<T>(*owner);
  f->DisableOwnerWhileOpen(owner.get());
  dialogs.Modal("", [](TForm_VYN& form) {
    auto& t = static_cast<T&>(form);
    t.Close();                      // refused
    EXPECT_TRUE(t.Showing());
    t.podeFechar = true;
    t.SetModalResult(mrYes);        // closes
    EXPECT_FALSE(t.Showing());
  });
  EXPECT_EQ(f->ShowModal(), mrYes);
  EXPECT_TRUE(owner->Enabled());
  f->Free();
}

// A screen opened from another (through one of its controls) takes the activation from it; only a
// shown screen that closes is hidden, a refused close hides nothing.
TEST(Form, OpeningAScreenDeactivatesItsOpenerAndClosingHidesIt) {
  struct T : TForm_VYN {
    using TForm_VYN::TForm_VYN;
    int deactivated = 0;
    int hidden = 0;
    bool podeFechar = true;
    void FormDeactivate() override { ++deactivated; }
    void FormHide() override { ++hidden; }
    void FormClose(TCloseAction& a) override {
      if (!podeFechar) a = caNone;
    }
  };
  auto opener = MakeForm<T>();
  TControl* edit = opener->Create<TControl>();
  T* opened = CreateForm<T>(*edit);
  opened->Show();
  EXPECT_EQ(opener->deactivated, 0);   // the opener was not showing: nothing to lose
  opened->Close();
  EXPECT_EQ(opened->hidden, 1);
  opener->Show();
  opened->Show();
  EXPECT_EQ(opener->deactivated, 1);
  opened->podeFechar = false;
  opened->Close();
  EXPECT_EQ(opened->hidden, 1);
  opened->podeFechar = true;
  opened->Close();
  opened->Close();
  EXPECT_EQ(opened->hidden, 2);
  EXPECT_EQ(opener->hidden, 0);
}

// A screen learns it is about to be shown or hidden while Showing() still tells the state it leaves;
// a refused close, or the close of a screen never shown, changes nothing it could act on.
TEST(Form, VisibleChangingRunsBeforeEachShowAndHide) {
  struct T : TForm_VYN {
    using TForm_VYN::TForm_VYN;
    std::vector<bool> vistos;
    bool podeFechar = true;
    void VisibleChanging() override { vistos.push_back(Showing()); }
    void FormClose(TCloseAction& a) override {
      if (!podeFechar) a = caNone;
    }
  };
  auto f = MakeForm<T>();
  f->Close();
  EXPECT_TRUE(f->vistos.empty());
  f->Show();
  f->Show();
  f->podeFechar = false;
  f->Close();
  f->podeFechar = true;
  f->Close();
  EXPECT_EQ(f->vistos, (std::vector<bool>{false, true}));
  EXPECT_EQ(f->FormStyle(), fsNormal);
}

TEST(StatusProcesso, KindsGiveBarsAndCancelAndFinalizeClosesOnce) {
  struct R : IProgressRenderer {
    int updates = 0, closes = 0;
    void Update(const TfrStatusProcesso&) override { ++updates; }
    bool CancelRequested(const TfrStatusProcesso&) override { return false; }
    void Close(const TfrStatusProcesso&) override { ++closes; }
  } r;
  ProcessContext().Progress = &r;
  TComponent owner;
  auto* s = TfrStatusProcesso::createStatusProcess(&owner, 7, 1);
  EXPECT_EQ(s->BarCount(), 3);
  EXPECT_TRUE(s->HasCancel());
  s->SetVisibleTerceiroProgressBar(false);
  s->setPrimaryMaxProgress(2);
  s->setPrimaryStatusProgress(5);
  EXPECT_EQ(s->Bar(0).Position, 2);
  EXPECT_FALSE(s->Bar(2).Visible);
  EXPECT_FALSE(TfrStatusProcesso::createStatusProcess(&owner, 2)->HasCancel());
  s->Finalize();
  s->Finalize();
  s->setPrimaryStatusLabel("ignorado");
  EXPECT_EQ(r.closes, 1);
  ProcessContext().Progress = nullptr;
}

// A manager the integration dialog runs.
struct TGeradorTeste : TComponent, IIntegracaoMGR {
  using TComponent::TComponent;
  int runs = 0;
  void ExecutaIntegracao(TInconsistencias_VYN& l) override {
    ++runs;
    l.Add_Atencao(1, "gerado");
  }
};

TEST(IntegracaoPadrao, ConfirmRunsTheManagerMadeBySetCriaDaoAndStaysOpen) {
  TScriptedDialogs dialogs;
  struct T : TfrIntegracao_Empresa_Padrao_VYN {
    using TfrIntegracao_Empresa_Padrao_VYN::TfrIntegracao_Empresa_Padrao_VYN;
    TGeradorTeste* gerador = nullptr;
    void SetCriaDao() override { FDAOIntegracao = gerador = Create<TGeradorTeste>(); }
  };
  auto f = MakeForm<T>();
  f->Show();
  f->spConfirmar->Click();
  EXPECT_EQ(f->gerador->runs, 1);
  EXPECT_EQ(f->Inconsistencias_VYN->CountAtencao(), 1);
  EXPECT_TRUE(f->Showing());
}

// The end-of-run hook follows only a run that went through, once its action log is written.
TEST(IntegracaoPadrao, TheEndOfRunHookFollowsOnlyARunThatWentThrough) {
  TScriptedDialogs dialogs;
  struct TGeradorQueFalha : TComponent, IIntegracaoMGR {
    using TComponent::TComponent;
    bool falha = true;
    void ExecutaIntegracao(TInconsistencias_VYN&) override {
      if (falha) throw std::runtime_error("falhou");
    }
  };
  struct T : TfrIntegracao_Padrao {
    using TfrIntegracao_Padrao::TfrIntegracao_Padrao;
    TGeradorQueFalha* gerador = nullptr;
    int fins = 0;
    void SetCriaDao() override { FDAOIntegracao = gerador = Create<TGeradorQueFalha>(); }
    void ExecuteFimProcesso() override { ++fins; }
  };
  auto f = MakeForm<T>();
  f->Show();
  EXPECT_THROW(f->spConfirmar->Click(), std::runtime_error);
  EXPECT_EQ(f->fins, 0);
  f->gerador->falha = false;
  f->spConfirmar->Click();
  EXPECT_EQ(f->fins, 1);
}

using ConsultaTree = CompanyDatabaseTest;

TEST_F(ConsultaTree, LevelsNarrowByTheParentsValuesQuoted) {
  Db().Execute("CREATE TABLE T_ARV (EMP VARCHAR(20), ANO INTEGER)");
  Db().Execute("INSERT INTO T_ARV VALUES ('D''Ávila', 2023)");
  Db().Execute("INSERT INTO T_ARV VALUES ('D''Ávila', 2024)");
  Db().Execute("INSERT INTO T_ARV VALUES ('Beta', NULL)");
  struct T : TfrConsulta_Padrao_TreeView_VYN {
    using TfrConsulta_Padrao_TreeView_VYN::TfrConsulta_Padrao_TreeView_VYN;
    std::vector<std::string> vazios;
    void NoVazio(TTreeNode* n) override { vazios.push_back(n->Text); }
  };
  TScriptedDialogs dialogs;
  auto f = MakeForm<T>();
  f->setGroups("select emp, ano from t_arv where ano is not null or emp = 'Beta'",
               {{"emp", "emp", 0}, {"ano", "cast(ano as varchar(10))", 1}});
  f->MontaArvore();
  ASSERT_EQ(f->tvConsulta->RootCount(), 2);
  TTreeNode* davila = f->tvConsulta->Root(1)->Text == "D'Ávila" ? f->tvConsulta->Root(1) : f->tvConsulta->Root(0);
  f->tvConsulta->Expand(davila);
  ASSERT_EQ(davila->Count(), 2);
  EXPECT_EQ(davila->Item(0)->Text, "2023");
  EXPECT_EQ(f->ValoresNo(davila->Item(1)), (std::vector<std::string>{"D'Ávila", "2024"}));
  f->tvConsulta->Expand(davila->Item(0));   // no further level: nothing asked
  EXPECT_TRUE(f->vazios.empty());
}

}  // namespace
}  // namespace vyn
