#include "postingutil/uConsultaRecontabilizacao.h"

#include <gtest/gtest.h>

#include "framework/accounting/recontabilizacao_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class ConsultaRecontabilizacaoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, "TfrConsultaRecontabilizacao")) lista_.push_back(r);
    RegistraModulo(ClassRegistry(), lista_);
    seed::AddHeadOfficeAndBranch(Db());
    Run(1, 1, "Ana");
    Run(1, 2, "Bia");
    Run(2, 1, "Caio");
    Rotina(1, 1, 1, 1, "Saldos iniciais");
    Rotina(1, 1, 2, 2, "Notas de entrada");
    Rotina(1, 2, 1, 3, "Folha mensal");
    tela_ = MakeForm<TForm_VYN>();
    edCODEMP_ = tela_->Create<TEdit_Codigo_Search_VYN>(tcEmpresasMatriz);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  void Run(int emp, int ordem, const std::string& usuario) {
    Db().Execute(
        "INSERT INTO VZEL_EMP_TRECONTABILIZACAO (BDCODEMP, BDORDEM, BDDATAINI, BDDATAFIN, BDATAPROC, BDNOMUSU)"
        " VALUES (?, ?, '2024-01-01', '2024-03-31', '2024-04-02', ?)",
        {Variant(emp), Variant(ordem), Variant(usuario)});
  }
  void Rotina(int emp, int ordem, int seq, int sis, const std::string& nome) {
    Db().Execute(
        "INSERT INTO VZEL_EMP_TRECONTABILIZACAO_PROC (BDCODEMP, BDORDEM, BDSEQ, BDCODSIS, BDNOME) VALUES (?, ?, ?, ?, ?)",
        {Variant(emp), Variant(ordem), Variant(seq), Variant(sis), Variant(nome)});
  }
  TfrConsultaRecontabilizacao* Abre() {
    return static_cast<TfrConsultaRecontabilizacao*>(TPackagesUtil::CarregaForm(edCODEMP_, "TfrConsultaRecontabilizacao"));
  }
  static std::vector<std::string> Coluna(TDBGrid_Padrao_VYN& grid, const std::string& campo) {
    std::vector<std::string> out;
    TClientDataSet& ds = *grid.DataSet();
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(grid.CellText(campo));
    return out;
  }

  TListaRegistro lista_;
  TScriptedDialogs dialogs_;
  TFormPtr<TForm_VYN> tela_;
  TEdit_Codigo_Search_VYN* edCODEMP_ = nullptr;
};

TEST_F(ConsultaRecontabilizacaoTest, RunsOfTheEditsCompanyWithTheRoutinesOfTheCurrentRun) {
  edCODEMP_->Vale(1);
  TfrConsultaRecontabilizacao* c = Abre();
  EXPECT_EQ(c->Caption(), "Consulta de recontabilizações");
  EXPECT_FALSE(c->spExcluir->Visible());
  EXPECT_EQ(c->grConsulta->Columns.size(), 9u);

  TClientDataSet& runs = *c->DAO();
  ASSERT_EQ(runs.RecordCount(), 2);
  EXPECT_EQ(c->grConsulta->CellText("BDNOMEMP"), "Empresa Modelo Ltda");
  EXPECT_EQ(c->grConsulta->CellText("BDNOMUSU"), "Ana");
  // The first run's routines; the general system shows as "Geral", the others by description.
  EXPECT_EQ(Coluna(*c->grGridAggregate, "BDNOME"), (std::vector<std::string>{"Saldos iniciais", "Notas de entrada"}));
  EXPECT_EQ(Coluna(*c->grGridAggregate, "BDDESCSIS"), (std::vector<std::string>{"Geral", "Escrita Fiscal"}));

  runs.Next();
  EXPECT_EQ(c->grConsulta->CellText("BDNOMUSU"), "Bia");
  EXPECT_EQ(Coluna(*c->grGridAggregate, "BDDESCSIS"), (std::vector<std::string>{"Folha de Pagamento"}));
}

TEST_F(ConsultaRecontabilizacaoTest, ACompanyWithoutRunsShowsNoRoutinesAndDeletingIsRefused) {
  Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP) VALUES (7)");
  edCODEMP_->Vale(7);
  TfrConsultaRecontabilizacao* c = Abre();
  EXPECT_TRUE(c->DAO()->IsEmpty());
  EXPECT_TRUE(!c->DAOAggregate()->Active() || c->DAOAggregate()->IsEmpty());
  c->spExcluir->Click();   // refused: nothing asked, nothing removed
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TRECONTABILIZACAO").AsInteger(), 3);
}

}  // namespace
}  // namespace integracao
