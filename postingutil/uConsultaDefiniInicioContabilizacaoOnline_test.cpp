#include "postingutil/uConsultaDefiniInicioContabilizacaoOnline.h"

#include <gtest/gtest.h>

#include <set>

#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/sql_mgr.h"
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

class ConsultaInicioContabilizacaoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, "TfrConsultaDefiniInicioContabilizacaoOnline")) lista_.push_back(r);
    RegistraModulo(ClassRegistry(), lista_);
    seed::AddHeadOfficeAndBranch(Db());
    Inicio(1, 1, Variant(std::string("FALSE")));
    Inicio(1, 2, Variant(std::string("false ")));
    Inicio(2, 1, Variant(std::string("  ")));
    Inicio(2, 2, Variant(std::string("TRUE")));
    Inicio(2, 3, Variant());
    tela_ = MakeForm<TForm_VYN>();
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  void Inicio(int emp, int sis, const Variant& automatico) {
    Db().Execute("INSERT INTO TINICIO_CONTABILIZACAO (BDCODEMP, BDCODSIS, BDDATA, BDAUTOMATICO) VALUES (?, ?, '2024-01-01', ?)",
                 {Variant(emp), Variant(sis), automatico});
  }
  TfrConsultaDefiniInicioContabilizacaoOnline* Abre(TComponent* edit) {
    TListaObj lista;
    lista.Add(edit);
    return static_cast<TfrConsultaDefiniInicioContabilizacaoOnline*>(TPackagesUtil::CarregaFormParamsObj(
        "TfrConsultaDefiniInicioContabilizacaoOnline", tela_.get(), std::move(lista)));
  }
  // (company, system) of the listed rows -> what "Processo automático" shows.
  static std::map<std::pair<int, std::string>, std::string> Linhas(TfrConsultaDefiniInicioContabilizacaoOnline& c) {
    std::map<std::pair<int, std::string>, std::string> out;
    TClientDataSet& ds = *c.DAO();
    for (ds.First(); !ds.Eof(); ds.Next())
      out[{static_cast<int>(ds.FieldByName("BDCODEMP").AsInteger()), c.grConsulta->CellText("BDDESCSIS")}] =
          c.grConsulta->CellText("BDAUTOMATICO");
    return out;
  }

  TListaRegistro lista_;
  TScriptedDialogs dialogs_;
  TFormPtr<TForm_VYN> tela_;
};

TEST_F(ConsultaInicioContabilizacaoTest, ACompanyEditNarrowsTheListAndFalseOrBlankShowsNao) {
  auto* edCODEMP = tela_->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  edCODEMP->Vale(2);
  auto* c = Abre(edCODEMP);
  EXPECT_EQ(c->Caption(), "Consulta início da contabilização on-line");
  EXPECT_FALSE(c->spExcluir->Visible());
  auto linhas = Linhas(*c);
  EXPECT_EQ(linhas, (std::map<std::pair<int, std::string>, std::string>{
                        {{2, "Contabilidade"}, "Não"}, {{2, "Escrita Fiscal"}, "Sim"}, {{2, "Folha de Pagamento"}, "Não"}}));

  edCODEMP->Vale(1);
  auto* c1 = Abre(edCODEMP);
  EXPECT_EQ(Linhas(*c1), (std::map<std::pair<int, std::string>, std::string>{{{1, "Contabilidade"}, "Não"},
                                                                            {{1, "Escrita Fiscal"}, "Não"}}));
}

TEST_F(ConsultaInicioContabilizacaoTest, AnEmptyOrNonCompanyEditListsEveryCompany) {
  auto* vazio = tela_->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  EXPECT_EQ(Abre(vazio)->DAO()->RecordCount(), 5);
  auto* plano = tela_->Create<TEdit_Codigo_Search_VYN>(tcPlanoContas);
  plano->Vale(1);
  EXPECT_EQ(Abre(plano)->DAO()->RecordCount(), 5);
  EXPECT_EQ(Abre(nullptr)->DAO()->RecordCount(), 5);
}

}  // namespace
}  // namespace integracao
