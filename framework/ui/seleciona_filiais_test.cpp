#include "framework/ui/seleciona_filiais.h"

#include <gtest/gtest.h>

#include <sstream>

#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/form.h"
#include "framework/ui/log_event.h"
#include "framework/ui/processo_empresa.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/terminal_dialogs.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class SelecionaFiliaisTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddHeadOfficeAndBranch(Db());   // 1 head office, 2 its branch
    seed::Company outra;
    outra.CodEmp = 3;
    outra.Nome = "Filial Sul";
    outra.CNPJ = "11222333000343";
    outra.CodMatriz = 1;
    seed::AddCompany(Db(), outra);
    seed::Company alheia = outra;
    alheia.CodEmp = 9;
    alheia.CodMatriz = 0;
    alheia.CNPJ = "99888777000100";
    seed::AddCompany(Db(), alheia);
    tela = MakeForm<TForm_VYN>();
    edit = tela->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    sp = tela->Create<TSpeedButton>();
    sel = tela->Create<TSelecionaFiliais_VYN>();
    sel->SetEditEmpresa(edit);
    sel->SetSpeedButton(sp, "Seleção de filiais...");
    edit->Vale(1);
  }
  void TearDown() override {
    EXPECT_TRUE(d.Done()) << ::testing::PrintToString(d.Pending());
    tela.reset();
    CompanyDatabaseTest::TearDown();
  }
  TScriptedDialogs d;
  TFormPtr<TForm_VYN> tela;
  TEdit_Codigo_Search_VYN* edit = nullptr;
  TSpeedButton* sp = nullptr;
  TSelecionaFiliais_VYN* sel = nullptr;
};

TEST_F(SelecionaFiliaisTest, ListsTheHeadOfficesBranchesAndKeepsTheTicksTheUserConfirms) {
  // By default the company alone is selected, the branches offered unticked.
  EXPECT_EQ(sel->getCheckedItens(), "1");
  d.Ticks({1});
  ASSERT_TRUE(sel->getLista());
  const TDialogCall& shown = d.Calls().back();
  EXPECT_EQ(shown.Text, "Seleção de filiais...");
  EXPECT_EQ(shown.Items, (std::vector<std::string>{"2 - Empresa Modelo Ltda - Filial", "3 - Filial Sul"}));
  EXPECT_EQ(shown.Checked, (std::vector<bool>{false, false}));
  EXPECT_EQ(sel->getCheckedItens(), "1,3");
  EXPECT_EQ(sel->getQtdItensChecados(), 2);
  EXPECT_EQ(sp->Hint(), "Seleção de filiais... (2 de 3 empresas marcadas)");

  // Giving up keeps the ticks; another company in the edit starts over.
  d.Ticks({0, 1}, false);
  EXPECT_FALSE(sel->getLista());
  EXPECT_EQ(sel->getCheckedItens(), "1,3");
  edit->Vale(9);
  EXPECT_EQ(sel->getCheckedItens(), "9");
  edit->Vale(0);
  EXPECT_EQ(sel->getQtdItensChecados(), 0);
}

TEST_F(SelecionaFiliaisTest, TheFlagsTickEverythingListTheHeadOfficeAndReloadEachTime) {
  sel->CheckAll = true;
  sel->IncluiMatrizNaLista = true;
  ASSERT_EQ(sel->getFiliais().size(), 3u);
  EXPECT_EQ(sel->getCheckedItens(), "1,2,3");
  // The head office can be left out when it is one of the choices.
  d.Ticks({2});
  ASSERT_TRUE(sel->getLista());
  EXPECT_EQ(sel->getCheckedItens(), "3");
  sel->getFiliais();
  EXPECT_EQ(sel->getCheckedItens(), "3");   // kept while the company stays
  sel->SempreCarrega = true;
  sel->getFiliais();
  EXPECT_EQ(sel->getCheckedItens(), "1,2,3");
}

TEST_F(SelecionaFiliaisTest, AnUnattendedRunNeverAsksForTheSelection) {
  TUnattendedScope unattended;
  try {
    sel->getLista();
    FAIL() << "the selection was asked for";
  } catch (const EDialogInUnattendedRun& e) {
    EXPECT_STREQ(e.what(), "Seleção de filiais...");
  }
  EXPECT_TRUE(d.Calls().empty());
  EXPECT_EQ(sel->getCheckedItens(), "1");
}

TEST_F(SelecionaFiliaisTest, TheCompanyScreenRunsOverTheTickedCompaniesWhenItShowsTheSelection) {
  TMemoryLogWriter log;
  ProcessContext().ActionLog = &log;
  struct T : TfrProcesso_Empresa_Padrao_VYN {
    using TfrProcesso_Empresa_Padrao_VYN::TfrProcesso_Empresa_Padrao_VYN;
    std::vector<int64_t> seen;
    void Processo() override { seen.push_back(FDAO->FieldByName("BDCODEMP").AsInteger()); }
  };
  auto f = MakeForm<T>();
  f->edCODEMP->Vale(1);
  EXPECT_FALSE(f->spFiliais->Visible());
  f->spOK->Click();
  EXPECT_EQ(f->seen, (std::vector<int64_t>{1}));   // hidden selection: the company alone

  f->seen.clear();
  f->spFiliais->SetVisible(true);
  d.Ticks({1});
  f->spFiliais->Click();
  f->spOK->Click();
  EXPECT_EQ(f->seen, (std::vector<int64_t>{1, 3}));
  f.reset();
  ProcessContext().ActionLog = nullptr;
}

TEST(TerminalChooseItems, TypedNumbersAreTheTicksLeftAndBadInputIsAskedAgain) {
  std::istringstream in("4\n1,x\n1,3\n");
  std::ostringstream out;
  TTerminalDialogs t(in, out);
  std::vector<bool> checked{false, true, false};
  ASSERT_TRUE(t.ChooseItems("Filiais", {"a", "b", "c"}, checked));
  EXPECT_EQ(checked, (std::vector<bool>{true, false, true}));
  EXPECT_NE(out.str().find("2) [x] b"), std::string::npos);

  std::istringstream fim("");
  TTerminalDialogs t2(fim, out);
  EXPECT_FALSE(t2.ChooseItems("Filiais", {"a"}, checked));   // end of input gives up
  EXPECT_EQ(checked, (std::vector<bool>{true, false, true}));

  std::string lixo;
  for (int i = 0; i < 50; ++i) lixo += "9\n";
  std::istringstream sempre(lixo);
  TTerminalDialogs t3(sempre, out);
  EXPECT_FALSE(t3.ChooseItems("Filiais", {"a"}, checked));   // endless wrong input gives up too
  EXPECT_FALSE(sempre.eof());
}

}  // namespace
}  // namespace vyn
