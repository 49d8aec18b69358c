#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQNotificacoes.h"

#include "bankstatement/dyq_test_support.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "bankstatement/uFiltroImportacaoMovimentoCaixaDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/list_view.h"

namespace integracao {
namespace {

using namespace vyn;

const char* kEscritorio = R"({
  "1": {"empresaId": "900", "logLiberacaoData": "02/04/2024 10:15"},
  "2": {"empresaId": 15, "logLiberacaoData": "02/04/2024 11:00"},
  "3": {"empresaId": "900", "logLiberacaoData": "03/04/2024 09:00"},
  "4": {"empresaId": "555", "logLiberacaoData": "x"},
  "5": {"empresaId": "1' or '1'='1", "logLiberacaoData": "y"},
  "6": {"empresaId": "123456789012345678901234567890", "logLiberacaoData": "w"},
  "TOTAL": 3
})";

class NotificacoesDYQTest : public DyqDialogTest {
 protected:
  void SetUp() override {
    DyqDialogTest::SetUp();
    Empresa(20, "TRUE", "Mercado Sul", 900);
    // Company 15 has no web code: its own code answers for it.
    server.On("GET", "/extratos-liberados", [](const TFakeRequest& r) {
      if (r.Param("empresa") == "0") return TFakeResponse::Json(200, kEscritorio);
      if (r.Param("empresa") == "20")
        return TFakeResponse::Json(200, R"({"8":{"tipoConta":"Normal","dataInicial":"01/03/2024",
          "dataFinal":"31/03/2024","conta":"1 BANCO","logLiberacaoData":"z"}})");
      return TFakeResponse(204, "");
    });
  }
  std::vector<std::string> Captions(const TListView& lv) const {
    std::vector<std::string> r;
    for (int i = 0; i < lv.Count(); ++i) r.push_back(lv.Item(i).Caption + "|" + lv.Item(i).SubItems.at(0));
    return r;
  }
};

TEST_F(NotificacoesDYQTest, ListsOneRowPerReleasedItemOfAKnownCompany) {
  auto* t = Abre<TfrFiltroImportacaoExtratoBancarioDYQNotificacoes>("TfrFiltroImportacaoExtratoBancarioDYQNotificacoes");
  EXPECT_EQ(Captions(*t->lvExtratos),
            (std::vector<std::string>{"20 - Mercado Sul|02/04/2024 10:15", "15 - Padaria Central Ltda|02/04/2024 11:00",
                                      "20 - Mercado Sul|03/04/2024 09:00"}));
  EXPECT_EQ(t->lbTotal->Caption(), "Total de registros: 3");
  ASSERT_EQ(t->lvExtratos->Columns.size(), 2u);
  EXPECT_EQ(t->lvExtratos->Columns[0].Caption + "/" + std::to_string(t->lvExtratos->Columns[0].Width), "Empresa/320");
  EXPECT_EQ(t->lvExtratos->Columns[1].Caption + "/" + std::to_string(t->lvExtratos->Columns[1].Width), "Liberação/135");
  dialogs.Ok("Nenhuma empresa selecionada!");
  t->lvExtratos->Item(0).Selected = false;
  t->spConfirmar->Click();
}

TEST_F(NotificacoesDYQTest, OpensBothDialogsLockedOnTheCompanyAndReloadsWhenTheStatementDialogCloses) {
  auto* t = Abre<TfrFiltroImportacaoExtratoBancarioDYQNotificacoes>("TfrFiltroImportacaoExtratoBancarioDYQNotificacoes");
  const size_t antes = server.RequestCount();
  // Company 20 has only a statement: the cash dialog says so and closes, the statement dialog stays.
  dialogs.Ok("Nenhum movimento de caixa encontrado!");
  t->spConfirmar->Click();
  auto* caixa = Filho<TfrFiltroImportacaoMovimentoCaixaDYQ>(*t);
  auto* extrato = Filho<TfrFiltroImportacaoExtratoBancarioDYQ>(*t);
  ASSERT_TRUE(caixa && extrato);
  EXPECT_TRUE(caixa->Closed());
  EXPECT_TRUE(extrato->Showing());
  EXPECT_EQ(extrato->edCODEMP->Codigo(), 20);
  EXPECT_FALSE(extrato->edCODEMP->Enabled());
  EXPECT_EQ(extrato->lvExtratos->Count(), 1);
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(server.RequestCount(), antes + 2);

  extrato->Close();
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(server.RequestCount(), antes + 3);   // reloaded
}

TEST_F(NotificacoesDYQTest, CompanyWithNothingReleasedClosesBothAndReloadsAtOnce) {
  auto* t = Abre<TfrFiltroImportacaoExtratoBancarioDYQNotificacoes>("TfrFiltroImportacaoExtratoBancarioDYQNotificacoes");
  t->lvExtratos->Item(0).Selected = false;
  t->lvExtratos->Item(1).Selected = true;   // company 15: nothing for it
  const size_t antes = server.RequestCount();
  dialogs.Ok("Nenhum movimento de caixa encontrado!").Ok("Nenhum extrato encontrado!");
  t->spConfirmar->Click();
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(server.RequestCount(), antes + 3);
}

TEST_F(NotificacoesDYQTest, CashDialogListsOnlyCashAndLoadsItAsCashWithoutReconciliation) {
  server.On("GET", "/extratos-liberados", TFakeResponse::Json(200, R"({
    "8": {"tipoConta":"Normal","dataInicial":"01/03/2024","dataFinal":"31/03/2024","conta":"1 BANCO"},
    "9": {"tipoConta":"Caixa","dataInicial":"01/03/2024","dataFinal":"31/03/2024","conta":"ABC CAIXA",
          "logLiberacaoData":"l"}})"));
  server.On("GET", "/extratos/9/lancamentos", TFakeResponse::Json(200, R"({"lancamentos":[]})"));
  auto* t = Abre<TfrFiltroImportacaoMovimentoCaixaDYQ>("TfrFiltroImportacaoMovimentoCaixaDYQ");
  t->edCODEMP->SetText("15");
  ASSERT_TRUE(t->edCODEMP->Search());
  // Entering the final date with the initial one empty keeps it.
  t->edDataFinal->SetText("31/03/2024");
  t->edDataFinal->SetFocus();
  t->DefocusControl();
  ASSERT_EQ(t->lvMovimentoCaixa->Count(), 1);
  EXPECT_EQ(t->lvMovimentoCaixa->Item(0).Caption, "9");
  EXPECT_EQ(t->lbTotalRegistro->Caption(), "1");
  t->spConfirmar->Click();
  auto& mgr = *t->Manager();
  EXPECT_EQ(mgr.TipoExtratoBancario(), tceCaixa);
  EXPECT_EQ(mgr.NrConta(), 0);
  EXPECT_FALSE(mgr.Conciliar() || mgr.SubPrepWeb() || mgr.ConciliarManualmente || mgr.AmbienteTesteDYQ);
  EXPECT_TRUE(mgr.GerarTransacao());
  EXPECT_EQ(server.LastRequest().Param("caixa"), "true");
  EXPECT_NE(Filho<TRevisaoStub>(*t), nullptr);
}

}  // namespace
}  // namespace integracao
