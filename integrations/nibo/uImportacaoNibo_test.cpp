#include "integrations/nibo/uImportacaoNibo.h"

#include <gtest/gtest.h>

#include <fstream>

#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/importacao_treeview.h"
#include "framework/ui/scripted_dialogs.h"
#include "integrations/nibo/nibo_test_support.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

class NiboScreenTest : public NiboDatabaseTest {
 protected:
  void SetUp() override {
    NiboDatabaseTest::SetUp();
    server_.On("POST", "/oauth/token", TFakeResponse(200, R"({"access_token":"tk-123","expires_in":3600})"));
    server_.On("GET", "/empresas/emp-1/lancamentos-contabeis",
               TFakeResponse(200, R"({"arquivo":"L,1,05/01/2024,40,11,100\n"})"));
    server_.On("GET", "/empresas/emp-1/notas-servico",
               TFakeResponse(200, R"({"notas":[{"numero":"10","xml":"<nfse n='10'/>"},{"numero":"../11","xml":"<b/>"}]})"));
    tela_ = MakeForm<TfrImportacaoNibo>();
    tela_->Sleeper = [this](std::chrono::milliseconds ms) { esperas_.push_back(ms.count()); };
    tela_->edCODEMP->Vale(1);
    tela_->edReferencia->SetText("01/2024");
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << (dialogs_.Failures().empty() ? "" : dialogs_.Failures().front());
    tela_.reset();
    NiboDatabaseTest::TearDown();
  }
  int64_t Conta(const std::string& sql) { return Db().QueryValue(sql).AsInteger(); }
  TScriptedDialogs dialogs_;
  TFormPtr<TfrImportacaoNibo> tela_;
  std::vector<long long> esperas_;
};

TEST_F(NiboScreenTest, PlanEditFollowsTheEntriesBoxAndARunNeedsAKind) {
  tela_->ckLancaContabil->SetChecked(true);
  EXPECT_TRUE(tela_->edCODPLATROCAINT->Enabled());
  tela_->edCODPLATROCAINT->Vale(12);
  tela_->ckLancaContabil->SetChecked(false);
  EXPECT_FALSE(tela_->edCODPLATROCAINT->Enabled());
  EXPECT_EQ(tela_->edCODPLATROCAINT->Text(), "");

  dialogs_.Ok("Selecione pelo menos um tipo de lançamento!");
  tela_->spOK->Click();
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(NiboScreenTest, ServiceDocumentsAreListedAndQueuedWithoutTouchingEntries) {
  tela_->ckLancServico->SetChecked(true);
  tela_->spOK->Click();
  EXPECT_TRUE(tela_->PossuiImportacao());
  EXPECT_EQ(Conta("select count(*) from VEF_TFILA_IMPORTACAO_EF where BDCODEMP = 1 and BDTIPOPARCEIRO = 1"), 2);
  EXPECT_EQ(Db().QueryValue("select BDCONTEUDO from VEF_TFILA_IMPORTACAO_EF order by BDID").AsString(), "<nfse n='10'/>");
  std::ifstream lista(programa_.Pasta() / "Temp" / "Parceiros" / "Nibo" / "1_202401.txt");
  std::string primeira, segunda;
  std::getline(lista, primeira);
  std::getline(lista, segunda);
  EXPECT_NE(primeira.find("10.xml"), std::string::npos);
  // A peer's document number never leads a file out of the run's folder.
  EXPECT_EQ(segunda.find(".."), std::string::npos);
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN"), 0);
  for (const auto& r : server_.Requests()) EXPECT_NE(r.Path, "/empresas/emp-1/lancamentos-contabeis");
  EXPECT_TRUE(esperas_.empty());
}

TEST_F(NiboScreenTest, ARepeatedRunQueuesNoServiceDocumentTwiceAlsoAfterTheScheduledRun) {
  {
    // The schedule's run queues through the client; the user's runs after it through the screen.
    auto agendada = MakeForm<TfrImportacaoNibo>();
    agendada->PreparaExecucaoAgendada(1, 202401, [](std::chrono::milliseconds) {});
    agendada->ckLancServico->SetChecked(true);
    TUnattendedScope semUsuario;
    agendada->spOK->Click();
  }
  EXPECT_EQ(Conta("select count(*) from VEF_TFILA_IMPORTACAO_EF where BDCODEMP = 1 and BDTIPOPARCEIRO = 1"), 2);
  tela_->ckLancServico->SetChecked(true);
  tela_->spOK->Click();
  tela_->spOK->Click();
  EXPECT_EQ(Conta("select count(*) from VEF_TFILA_IMPORTACAO_EF where BDCODEMP = 1 and BDTIPOPARCEIRO = 1"), 2);
}

TEST_F(NiboScreenTest, EntriesGoThroughTheReviewAndTheWorkFileIsDeleted) {
  tela_->ckLancaContabil->SetChecked(true);
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [&](TForm_VYN& f) {
    auto& revisao = dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN&>(f);
    dialogs_.Ok("1 lançamento(s) importado(s)");
    revisao.spImportacao->Click();
  });
  tela_->spOK->Click();
  EXPECT_EQ(Conta("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1"), 1);
  EXPECT_EQ(programa_.ArquivosTemp(".txt"), 0);
  const auto pedidos = server_.Requests();
  ASSERT_EQ(pedidos.size(), 2u);
  EXPECT_NE(pedidos[0].Body.find(R"("client_id":"cli-7")"), std::string::npos);
  EXPECT_EQ(pedidos[1].Header("Authorization"), "Bearer tk-123");
  EXPECT_EQ(pedidos[1].Param("referencia"), "01/2024");
  EXPECT_EQ(pedidos[1].Param("documento"), "11222333000181");

  // An attempt that wrote its entries file and then failed on the documents is tried again: its
  // file is not left behind when the next attempt brings another one.
  server_.OnSequence("GET", "/empresas/emp-1/notas-servico",
                     {TFakeResponse(503, R"({"message":"instável"})"), TFakeResponse(200, R"({"notas":[]})")});
  // Its entry, booked by the first attempt, is told as booked before; no review opens for nothing.
  tela_->ckLancServico->SetChecked(true);
  dialogs_.Ok("1 já lançado(s) anteriormente");
  tela_->spOK->Click();
  EXPECT_EQ(esperas_.size(), 1u);
  EXPECT_EQ(programa_.ArquivosTemp(".txt"), 0);
}

TEST_F(NiboScreenTest, TransientFailuresAreTriedFifteenTimesRefusalsOnce) {
  server_.On("POST", "/oauth/token", TFakeResponse(503, R"({"message":"manutenção"})"));
  tela_->ckLancaContabil->SetChecked(true);
  dialogs_.Ok("Falha de comunicação com o Nibo: 503 - manutenção");
  tela_->spOK->Click();
  EXPECT_EQ(server_.RequestCount(), 15u);
  EXPECT_EQ(esperas_, std::vector<long long>(14, 5000));

  // Recovers on the third attempt: the run goes on with what it returned.
  esperas_.clear();
  server_.OnSequence("POST", "/oauth/token",
                     {TFakeResponse(500, "<html/>", "text/html"), TFakeResponse(200, "não é json"),
                      TFakeResponse(200, R"({"access_token":"tk-9"})")});
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [](TForm_VYN&) {});
  tela_->spOK->Click();
  EXPECT_EQ(esperas_.size(), 2u);

  // A refusal is not tried again and never shows the client secret.
  esperas_.clear();
  server_.On("POST", "/oauth/token", [](const TFakeRequest& r) {
    return TFakeResponse(401, R"({"message":"credencial inválida: )" + r.Body.substr(0, 200) + R"("})");
  });
  dialogs_.Ok("O Nibo recusou o acesso: 401");
  tela_->spOK->Click();
  EXPECT_TRUE(esperas_.empty());
  EXPECT_EQ(dialogs_.Messages().back().find(kSegredoNibo), std::string::npos);
}

}  // namespace
}  // namespace integracao
