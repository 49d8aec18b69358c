#include "postingutil/uConsultaProcessoVariacaoCambial.h"

#include <gtest/gtest.h>

#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/variacao_cambial_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "postingutil/uProcessoVariacaoCambial.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using Linhas = std::vector<std::string>;

class ConsultaVariacaoCambialTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, "TfrConsultaProcessoVariacaoCambial")) lista_.push_back(r);
    RegistraModulo(ClassRegistry(), lista_);
    seed::AddHeadOfficeAndBranch(Db());
    Db().Execute("INSERT INTO MOEDAS_TPLANO (BDCODMOEDAS, BDNOMMOE) VALUES (220, 'Dólar')");
    Run(1, 10, "2023-11-01", "2023-11-30", "Ana");
    Run(1, 12, "2023-12-01", "2023-12-31", "Bia");
    Run(2, 11, "2023-11-01", "2023-11-30", "Caio");
    // Run 10 of company 1 posted entries 100 and 101; entry 102 is someone else's; the branch's run
    // has the same key number as a run of the head office would.
    Lanc(1, 100, "Variação cambial NF EXP-1", 10);
    Lanc(1, 101, "Variação cambial NF IMP-9", 10);
    Lanc(1, 102, "Outro lançamento", 0);
    Lanc(2, 100, "Variação da filial", 10);
    tela_ = MakeForm<TfrProcessoVariacaoCambial>();
    tela_->edCODEMP->Vale(1);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  void Run(int emp, int chave, const char* ini, const char* fin, const char* usuario) {
    Db().Execute("INSERT INTO VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCHAVE, BDCODMOE, BDDATAINI, BDDATAFIN, BDCONTABILIZACAO,"
                 " BDCODUSU, BDNOMUSU, BDVERSAO) VALUES (?, ?, 220, ?, ?, 1, 7, ?, 2)",
                 {Variant(emp), Variant(chave), Variant(ini), Variant(fin), Variant(usuario)});
  }
  void Lanc(int emp, int chave, const char* compl_, int run) {
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCOMPL)"
                           " VALUES (?, ?, '2023-11-30', 21, 30, 100, ?)",
                           {Variant(emp), Variant(chave), Variant(compl_)});
    if (run)
      Db().Execute("INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES (?, ?, ?)",
                   {Variant(emp), Variant(run), Variant(chave)});
  }
  // The user presses the exchange-variance screen's Consulta button.
  TfrConsultaProcessoVariacaoCambial* Abre() {
    tela_->spConsulta->Click();
    auto* c = dynamic_cast<TfrConsultaProcessoVariacaoCambial*>(
        tela_->edCODEMP->FindComponent("frConsultaProcessoVariacaoCambial"));
    EXPECT_NE(c, nullptr);
    return c;
  }
  static Linhas Coluna(TDBGrid_Padrao_VYN& grid, const Linhas& campos) {
    Linhas out;
    TClientDataSet& ds = *grid.DataSet();
    for (ds.First(); !ds.Eof(); ds.Next()) {
      Linhas l;
      for (auto& c : campos) l.push_back(grid.CellText(c));
      out.push_back(Join(l, " "));
    }
    return out;
  }

  TListaRegistro lista_;
  TScriptedDialogs dialogs_;
  TFormPtr<TfrProcessoVariacaoCambial> tela_;
};

TEST_F(ConsultaVariacaoCambialTest, ListsTheCompanysRunsAndTheTickedBranchesOnRequest) {
  TfrConsultaProcessoVariacaoCambial* c = Abre();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Caption(), "Consulta do processo de variação cambial");
  EXPECT_EQ(c->spOnline->Hint(), "Mostrar lançamentos no contábil");
  EXPECT_EQ(c->spFiliais->Hint(), "Seleção de filiais...");
  EXPECT_EQ(Coluna(*c->grConsulta, {"BDCODEMP", "BDCHAVE", "BDNOMMOE", "BDDATAINI", "BDNOMUSU"}),
            (Linhas{"1 12 Dólar 01/12/2023 Bia", "1 10 Dólar 01/11/2023 Ana"}));

  // The branch ticked beside the company: the runs of both.
  dialogs_.Ticks({0});
  c->spFiliais->Click();
  EXPECT_EQ(Coluna(*c->grConsulta, {"BDCODEMP", "BDCHAVE"}), (Linhas{"1 12", "1 10", "2 11"}));
  c->spFiliais->MouseEnter();
  EXPECT_EQ(c->spFiliais->Hint(), "Seleção de filiais... (2 de 2 empresas marcadas)");

  // Giving up keeps the list; nothing to show leaves the postings button without effect.
  dialogs_.Ticks({}, false);
  c->spFiliais->Click();
  EXPECT_EQ(c->DAO()->RecordCount(), 3);
  c->VariacaoCambial()->EmptyDataSetDao();
  c->spOnline->Click();   // no run, no consultation (an unexpected dialog would fail)
}

TEST_F(ConsultaVariacaoCambialTest, ShowsExactlyTheEntriesTheCurrentRunPosted) {
  TfrConsultaProcessoVariacaoCambial* c = Abre();
  ASSERT_NE(c, nullptr);
  ASSERT_TRUE(c->DAO()->Locate("BDCHAVE", {Variant(10)}));
  Linhas vistos;
  dialogs_.Modal("TfrConsultaContabilizacao", [&](TForm_VYN& f) {
    auto& consulta = dynamic_cast<TfrConsultaContabilizacao&>(f);
    vistos = Coluna(*consulta.grConsulta, {"BDCHAVE", "BDCOMPL"});
    EXPECT_FALSE(consulta.spExcluir->Visible());
  });
  c->spOnline->Click();
  EXPECT_EQ(vistos, (Linhas{"100 Variação cambial NF EXP-1", "101 Variação cambial NF IMP-9"}));
  // Nothing stays open behind the modal consultation.
  EXPECT_EQ(c->FindComponent("frConsultaContabilizacao"), nullptr);

  // The link table and alias reach the SQL only as plain names.
  EXPECT_THROW(TContabilizacaoMGR::SQLConsultaContabilizacao("TOL_X; DROP TABLE X", "VAR", "", 1), std::invalid_argument);
  EXPECT_THROW(c->VariacaoCambial()->SelectConsulta("1) OR (1=1"), std::invalid_argument);
}

}  // namespace
}  // namespace integracao
