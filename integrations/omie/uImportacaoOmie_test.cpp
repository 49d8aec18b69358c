#include "integrations/omie/uImportacaoOmie.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include <nlohmann/json.hpp>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/fila_mensagens.h"
#include "framework/component/lista_obj.h"
#include "framework/host/notificacoes.h"
#include "framework/host/publicas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/importacao_treeview.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/web/thread_omie.h"
#include "integrations/omie/omie_test_support.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

constexpr const char* kPergunta = "deseja aguardar a conclusão";

TEST(ImportacaoOmieRespostas, StatusTextAndServerFailureWording) {
  EXPECT_EQ(StatusRespostaOmie("0xL,1"), 0);
  EXPECT_EQ(TextoRespostaOmie("0xL,1"), "L,1");
  EXPECT_EQ(StatusRespostaOmie("Erro geral"), 1);
  EXPECT_EQ(TextoRespostaOmie("Erro geral"), "ro geral");
  EXPECT_EQ(StatusRespostaOmie(""), 1);
  EXPECT_EQ(MensagemFalhaOmie("ro geral"), "Omie: ro geral");
  EXPECT_EQ(MensagemFalhaOmie("a conexão com o servidor foi interrompida de modo anormal"),
            "A importação de lançamentos contábeis está com instabilidade no momento, tente novamente mais tarde. "
            "(a conexão com o servidor foi interrompida de modo anormal).");
}

class ImportacaoOmieTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    TPublicas::SetReferencia(202401);
    RegistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    tela_ = MakeForm<TfrImportacaoOmie>();
    tela_->OnPreparaThreadOmie = [this](TThreadOmie& t) { t.URLBase = server_.BaseURL(); };
    tela_->Espera = [this](std::chrono::milliseconds) { ++esperas_; };
    tela_->edCODEMP->Vale(1);
    tela_->edDataInicio->SetText("01/2024");
    tela_->ckContabil->SetChecked(true);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    EstadoOmie() = TEstadoOmie();
    DesregistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    CompanyDatabaseTest::TearDown();
  }
  // Pumps the main thread's messages until the background fetch has handed its answer over.
  void AguardaSegundoPlano() {
    while (EstadoOmie().WP_PROCESSO_OMIE != 0) {
      ProcessMessages();
      std::this_thread::yield();
    }
  }
  TPastaProgramaTeste pasta_;
  TScriptedDialogs dialogs_;
  int esperas_ = 0;
  std::unique_ptr<TfrImportacaoOmie, TFormDeleter> tela_;
  TFakeHttpServer server_;
};

TEST_F(ImportacaoOmieTest, WaitingRunPollsWithoutSleepingAndReviewsTheAnswer) {
  std::promise<void> libera;
  auto liberado = libera.get_future().share();
  server_.On("POST", "/api/v1/omie/lancamentos", [liberado](const TFakeRequest&) {
    liberado.wait();
    return TFakeResponse(200, "0|L,1,05/01/2024,40,11,100\nL,1,06/01/2024,40,11,25\n", "text/plain");
  });
  tela_->Espera = [&](std::chrono::milliseconds ms) {
    EXPECT_EQ(ms.count(), 250);
    if (++esperas_ == 120) libera.set_value();
  };
  tela_->cbPeriodo->Select(1);
  tela_->cbQuinzenaMes->SetItemIndex(1);
  dialogs_.Yes(kPergunta);
  int linhas = -1;
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [&](TForm_VYN& f) {
    linhas = dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN&>(f).DAOAtual()->RecordCount();
  });
  tela_->spOK->Click();
  EXPECT_TRUE(tela_->Escolha());
  EXPECT_EQ(linhas, 2);
  EXPECT_GE(esperas_, 120);
  const auto corpo = nlohmann::json::parse(server_.LastRequest().Body);
  EXPECT_EQ(corpo["periodo"], "Q");
  EXPECT_EQ(corpo["quinzena"], "Q2");
  EXPECT_EQ(corpo["semana"], "");
  EXPECT_EQ(corpo["data_inicial"], "2024-01-01");
  EXPECT_EQ(corpo["data_final"], "2024-01-31");
}

TEST_F(ImportacaoOmieTest, WaitingRunShowsFailuresAndMissingCredentials) {
  server_.On("POST", "/api/v1/omie/lancamentos", TFakeResponse(200, "1 Empty response from server", "text/plain"));
  dialogs_.Yes(kPergunta).List();
  tela_->spOK->Click();
  ASSERT_EQ(tela_->Inconsistencias->Count(), 1);
  EXPECT_NE(tela_->Inconsistencias->Itens()[0].Caption.find("instabilidade"), std::string::npos);

  Db().Execute("update TEMPRESAS set BDCHAVEACESSOOMIE = '' where BDCODEMP = 1");
  const size_t antes = server_.RequestCount();
  dialogs_.Yes(kPergunta).List();
  tela_->spOK->Click();
  EXPECT_EQ(server_.RequestCount(), antes);
  ASSERT_EQ(tela_->Inconsistencias->Count(), 1);
  EXPECT_EQ(tela_->Inconsistencias->Itens()[0].Caption, "Chave de acesso não informada na Configuração de Serviços Web");
}

TEST_F(ImportacaoOmieTest, BackgroundRunIsOneAtATimeAndItsAnswerKeepsItsCompany) {
  std::promise<void> libera;
  auto liberado = libera.get_future().share();
  server_.On("POST", "/api/v1/omie/lancamentos", [liberado](const TFakeRequest&) {
    liberado.wait();
    return TFakeResponse(200, "1 Omie recusou", "text/plain");
  });
  dialogs_.No(kPergunta).Ok("Notificações");
  tela_->spOK->Click();
  EXPECT_NE(EstadoOmie().WP_PROCESSO_OMIE, 0u);
  EXPECT_NE(EstadoOmie().WP_EMPRESA_OMIE.find("1 - "), std::string::npos);

  // Another company asks meanwhile: refused, naming the running one; the saved values stay company 1's.
  tela_->edDataInicio->SetText("02/2024");
  dialogs_.No(kPergunta).Ok("Notificações").Ok("já está em andamento na empresa 1 - ");
  tela_->spOK->Click();
  libera.set_value();
  AguardaSegundoPlano();
  EXPECT_EQ(EstadoOmie().WP_RETORNO_OMIE, "1 Omie recusou");
  EXPECT_EQ(EstadoOmie().wpDadosTelaThreadOmie.DataInicial, "01/2024");

  // Reopened from the notification: the run's values and its answer as one warning.
  auto reaberta = MakeForm<TfrImportacaoOmie>();
  dialogs_.List();
  TListaObj daNotificacao;
  daNotificacao.AddNil();
  reaberta->SetListaObj(daNotificacao);
  EXPECT_EQ(reaberta->edCODEMP->Codigo(), 1);
  EXPECT_EQ(reaberta->edDataInicio->Text(), "01/2024");
  ASSERT_EQ(reaberta->Inconsistencias->Count(), 1);
  EXPECT_EQ(reaberta->Inconsistencias->Itens()[0].Caption, "Omie: Omie recusou");

  // The answer is taken once; the menu's ordinary open starts empty.
  for (bool comLista : {true, false}) {
    auto outra = MakeForm<TfrImportacaoOmie>();
    TListaObj lista;
    if (comLista) lista.AddNil();
    outra->SetListaObj(lista);
    EXPECT_EQ(outra->edCODEMP->Text(), "");
    EXPECT_EQ(outra->Inconsistencias->Count(), 0);
  }
}

TEST_F(ImportacaoOmieTest, ABackgroundAnswerLeftAsANotificationReopensTheScreenOnceWithItsValues) {
  TNotificacoesBanco notificacoes(Db());
  ProcessContext().Notificacoes = &notificacoes;
  struct TRestaura {
    ~TRestaura() { ProcessContext().Notificacoes = nullptr; }
  } restaura;
  server_.On("POST", "/api/v1/omie/lancamentos", TFakeResponse(200, "0 L,1,05/01/2024,40,11,100\n", "text/plain"));
  dialogs_.No(kPergunta).Ok("Notificações");
  tela_->spOK->Click();
  // The program waits for what runs in the background before it ends.
  EXPECT_EQ(FilaMensagens().EmSegundoPlano(), 1u);
  while (FilaMensagens().EmSegundoPlano() > 0) {
    ProcessMessages();
    std::this_thread::yield();
  }
  EXPECT_TRUE(EstadoOmie().WP_RETORNO_OMIE.empty()) << "kept once, in the notification";
  const auto pendentes = notificacoes.Pendentes();
  ASSERT_EQ(pendentes.size(), 1u);
  EXPECT_EQ(pendentes[0].Classe, "TfrImportacaoOmie");
  EXPECT_EQ(pendentes[0].Titulo, "Omie - Lançamentos prontos para importação: empresa 1, 01/2024");

  // Another session takes it up: the screen opens with the run's values and reviews its entries.
  const auto tomada = notificacoes.Toma(pendentes[0].Id);
  ASSERT_TRUE(tomada.has_value());
  EXPECT_FALSE(notificacoes.Toma(pendentes[0].Id).has_value());
  EXPECT_TRUE(notificacoes.Pendentes().empty());
  int linhas = -1;
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [&](TForm_VYN& f) {
    linhas = dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN&>(f).DAOAtual()->RecordCount();
  });
  auto reaberta = MakeForm<TfrImportacaoOmie>();
  TListaObj lista;
  lista.AddText(tomada->Parametros);
  reaberta->SetListaObj(lista);
  EXPECT_EQ(reaberta->edCODEMP->Codigo(), 1);
  EXPECT_EQ(reaberta->edDataInicio->Text(), "01/2024");
  EXPECT_EQ(linhas, 1);
}

TEST_F(ImportacaoOmieTest, ANotificationIsItsUsersAndKeepsTextTheDatabaseCannotHold) {
  TNotificacoesBanco notificacoes(Db());
  struct TRestaura {
    std::string usuario = ProcessContext().UserName;
    ~TRestaura() { ProcessContext().UserName = usuario; }
  } restaura;
  ProcessContext().UserName = "Ana";
  const std::string parametros = R"({"resposta":"0 L,1,05/01/2024,40,11,100,,Café ☕ — 5 € (Łódź)\n"})";
  notificacoes.Notifica("Omie ☕ pronto", "TfrImportacaoOmie", parametros);
  EXPECT_THROW(notificacoes.Notifica("Omie", "TfrImportacaoOmie", "texto ☕"), std::runtime_error);
  ProcessContext().UserName = "Bia";
  EXPECT_TRUE(notificacoes.Pendentes().empty());
  const int id = static_cast<int>(Db().QueryValue("select max(BDID) from VSH_NOTIFICACOES").AsInteger());
  EXPECT_FALSE(notificacoes.Toma(id).has_value());
  ProcessContext().UserName = "Ana";
  ASSERT_EQ(notificacoes.Pendentes().size(), 1u);
  EXPECT_EQ(notificacoes.Pendentes()[0].Titulo, "Omie ? pronto");
  const auto tomada = notificacoes.Toma(id);
  ASSERT_TRUE(tomada.has_value());
  EXPECT_EQ(nlohmann::json::parse(tomada->Parametros), nlohmann::json::parse(parametros));
  // Given back, it is listed again, and taken once more only once.
  notificacoes.DevolveTomada();
  ASSERT_EQ(notificacoes.Pendentes().size(), 1u);
  EXPECT_TRUE(notificacoes.Toma(id).has_value());
  EXPECT_FALSE(notificacoes.Toma(id).has_value());
}

TEST_F(ImportacaoOmieTest, OptionsKeepOneSideAndTheFiscalRunChecksItsInput) {
  EXPECT_FALSE(tela_->ckFiscal->Enabled());
  EXPECT_TRUE(tela_->cbPeriodo->Enabled());
  EXPECT_FALSE(tela_->cbQuinzenaMes->Enabled());
  tela_->ckContabil->SetChecked(false);
  tela_->ckFiscal->SetChecked(true);
  EXPECT_FALSE(tela_->ckContabil->Enabled());
  EXPECT_FALSE(tela_->cbPeriodo->Enabled());
  EXPECT_TRUE(tela_->ckNFe->Enabled());
  dialogs_.Ok("Tipo de movimento não informado!");
  tela_->spOK->Click();
  tela_->ckCTe->SetChecked(true);
  tela_->edDataInicio->SetText("");
  dialogs_.Ok("Período não informado!");
  tela_->spOK->Click();
  tela_->spGerarTransacao->Click();
  EXPECT_FALSE(tela_->spGerarTransacao->Down);
  EXPECT_EQ(tela_->spGerarTransacao->Hint(), "Transação automática - Desativada");
}

}  // namespace
}  // namespace integracao
