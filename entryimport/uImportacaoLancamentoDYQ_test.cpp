#include "entryimport/uImportacaoLancamentoDYQ.h"

#include <gtest/gtest.h>

#include <fstream>

#include "entryimport/entryimport_test_support.h"
#include "framework/component/class_registry.h"
#include "framework/host/publicas.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/list_view.h"
#include "framework/ui/pesquisa_codigo.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/web/http_vyn.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

const std::string kRotaLancamentos = "/api/v1/lancamentos-contabeis/";

class DyqScreenTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaDyq(Db(), server_.BaseURL());
    TPublicas::SetReferencia(202401);
    ProcessContext().CustomerCode = "123";
    RegistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    tela_ = MakeForm<TfrImportacaoLancamentoDYQ>();
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << (dialogs_.Failures().empty() ? "" : dialogs_.Failures().front());
    tela_.reset();
    DesregistraModulo(ClassRegistry(), RegistrosRevisaoLancamentos());
    ProcessContext().CustomerCode.clear();
    CompanyDatabaseTest::TearDown();
  }
  void ListaTres() {
    server_.On("GET", kRotaLancamentos, TFakeResponse(200, R"({"lancamentos_contabeis":[
      {"id":"11","nome":"Janeiro","data_inicial":"2024-01-01T00:00:00Z","data_final":"2024-01-31T00:00:00Z"},
      {"id":12,"nome":"Fevereiro","data_inicial":"2024-02-01T00:00:00Z","data_final":"2024-02-29T23:30:00-03:00"},
      {"id":"13","nome":"Março","data_inicial":"2024-03-01","data_final":"2024-03-31"}]})"));
  }
  bool Empresa(int codigo) {
    tela_->edCODEMP->Vale(codigo);
    return tela_->edCODEMP->Search();
  }
  void Busca(const std::string& id, const std::string& link) {
    server_.On("GET", kRotaLancamentos + "busca", [=](const TFakeRequest& r) {
      EXPECT_EQ(r.Param("lancamento_id"), id);
      return TFakeResponse(200, R"({"link":")" + link + R"(","data_inicial":"2024-01-01T00:00:00Z",)"
                                R"("data_final":"2024-01-31T00:00:00Z","nome":"Janeiro"})");
    });
  }

  TPastaProgramaFeeders programa_;
  TFakeHttpServer server_;
  TScriptedDialogs dialogs_;
  TFormPtr<TfrImportacaoLancamentoDYQ> tela_;
};

// Without the installation's customer code the service is not asked for anybody's files: the user
// is told why nothing is listed.
TEST_F(DyqScreenTest, WithoutTheCustomerCodeTheListIsNotAskedAndTheUserIsTold) {
  ListaTres();
  ProcessContext().CustomerCode = " ";
  dialogs_.Ok("Código do cliente da instalação não informado: os arquivos do DYQ não podem ser buscados.");
  EXPECT_FALSE(Empresa(1));
  EXPECT_EQ(tela_->lvExtratos->Count(), 0);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(DyqScreenTest, ListsTheCompanyFilesWithTheBearerTokenAndRefusesCompaniesWithoutDyq) {
  ListaTres();
  ASSERT_TRUE(Empresa(1));
  ASSERT_EQ(tela_->lvExtratos->Count(), 3);
  EXPECT_EQ(tela_->lbTotal->Caption(), "Total de registros: 3");
  EXPECT_EQ(tela_->lvExtratos->Item(1).Caption, "12");   // an integer id shows as text
  EXPECT_EQ(tela_->lvExtratos->Item(1).SubItems,
            (std::vector<std::string>{"Fevereiro", "01/02/2024", "01/03/2024"}));   // UTC, then the date
  EXPECT_EQ(tela_->lvExtratos->Item(2).SubItems[2], "31/03/2024");
  const TFakeRequest r = server_.LastRequest();
  EXPECT_EQ(r.Param("cliente_id"), "123");
  EXPECT_EQ(r.Param("empresa_id"), "77");
  EXPECT_EQ(r.Header("Authorization"), std::string("Bearer ") + kTokenDyqTeste);

  // A company without Dyq is refused and the list stays as it was.
  dialogs_.Ok("Empresa não possui o DYQ!");
  EXPECT_FALSE(Empresa(2));
  EXPECT_EQ(tela_->lvExtratos->Count(), 3);
  EXPECT_EQ(server_.RequestCount(), 1u);

  server_.On("GET", kRotaLancamentos, TFakeResponse(200, R"({"lancamentos_contabeis":[]})"));
  ASSERT_TRUE(Empresa(1));
  EXPECT_EQ(tela_->lvExtratos->Count(), 0);
  EXPECT_EQ(tela_->lbTotal->Caption(), "Total de registros: 0");

  // One element with a date that is none is left out with a warning; the others are listed.
  server_.On("GET", kRotaLancamentos, TFakeResponse(200, R"({"lancamentos_contabeis":[
      {"id":"21","nome":"A","data_inicial":"2024-01-01","data_final":"2024-01-31"},
      {"id":"22","nome":"B","data_inicial":"31/01/2024","data_final":"2024-01-31"},
      {"id":"23","nome":"C","data_inicial":"2024-02-01","data_final":"2024-02-29"},
      {"nome":"D","data_inicial":"2024-02-01","data_final":"2024-02-29"}]})"));
  dialogs_.Ok("Arquivo 22 do DYQ ignorado: data inicial ou final inválida.");
  dialogs_.Ok("Arquivo D do DYQ ignorado: código não informado.");
  ASSERT_TRUE(Empresa(1));
  ASSERT_EQ(tela_->lvExtratos->Count(), 2);
  EXPECT_EQ(tela_->lvExtratos->Item(1).Caption, "23");
  EXPECT_EQ(tela_->lbTotal->Caption(), "Total de registros: 2");
  ASSERT_EQ(tela_->lvExtratos->Columns.size(), 4u);
  EXPECT_EQ(tela_->lvExtratos->Columns[3].Caption, "Fim");
}

TEST_F(DyqScreenTest, ServiceErrorsWarnWithTheServiceTextAndTransportFailuresLeaveTheSearch) {
  server_.On("GET", kRotaLancamentos, TFakeResponse(404, R"({"message":"Empresa não encontrada","error":"Not Found"})"));
  dialogs_.Ok();
  EXPECT_FALSE(Empresa(1));
  EXPECT_EQ(dialogs_.Messages().back(), "Não foi possível acessar os lançamentos do DYQ! 404 - Empresa não encontradaNot Found");

  server_.On("GET", kRotaLancamentos, TFakeResponse(200, "<html>manutenção</html>", "text/html"));
  dialogs_.Ok();
  EXPECT_FALSE(Empresa(1));
  EXPECT_EQ(dialogs_.Messages().back(), "Não foi possível se conectar com o DYQ! <html>manutenção</html>");
  EXPECT_EQ(tela_->lvExtratos->Count(), 0);

  // A server echoing the request never gets the token into a message.
  server_.On("GET", kRotaLancamentos, [](const TFakeRequest& r) {
    return TFakeResponse(401, R"({"message":"token recusado: )" + r.Header("Authorization") + R"(","error":""})");
  });
  dialogs_.Ok();
  EXPECT_FALSE(Empresa(1));
  EXPECT_EQ(dialogs_.Messages().back().find(kTokenDyqTeste), std::string::npos);

  server_.On("GET", kRotaLancamentos, TFakeResponse(200, "{}", "application/json", {}, std::chrono::milliseconds(3000)));
  tela_->FHTTP->ReadTimeout = 200;
  tela_->edCODEMP->Vale(1);
  EXPECT_THROW(tela_->edCODEMP->Search(), EHTTPError);
  EXPECT_EQ(tela_->lvExtratos->Count(), 0);
}

TEST_F(DyqScreenTest, RunDownloadsTheFirstSelectedFileImportsItAndMarksItIntegrated) {
  ListaTres();
  ASSERT_TRUE(Empresa(1));
  dialogs_.Ok("Selecione um arquivo!");
  tela_->spOK->Click();
  EXPECT_EQ(server_.RequestCount(), 1u);
  // Page Down let go starts the run as OK does; arrow Down only moves in the list.
  int tecla = 40;
  static_cast<TForm_VYN&>(*tela_).KeyUp(tecla, 0);
  dialogs_.Ok("Selecione um arquivo!");
  tecla = 34;
  static_cast<TForm_VYN&>(*tela_).KeyUp(tecla, 0);
  EXPECT_EQ(tecla, 0);

  Busca("11", server_.BaseURL() + "/arquivos/11.txt");
  // Served with a byte-order mark: the work file handed to the importer is UTF-8 without it.
  server_.On("GET", "/arquivos/11.txt",
             TFakeResponse(200, "\xEF\xBB\xBFL,1,05/01/2024,40,11,\"1.234,56\",1,Aluguel\n", "text/plain"));
  server_.On("PUT", kRotaLancamentos + "integracao", TFakeResponse(200, R"({"message":"ok"})"));
  tela_->lvExtratos->Item(0).Selected = true;
  tela_->lvExtratos->Item(2).Selected = true;
  dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [&](TForm_VYN& f) {
    auto& revisao = dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN&>(f);
    EXPECT_EQ(revisao.DAOAtual()->RecordCount(), 1);
    std::ifstream in(tela_->edARQUIVO->Text(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "L,1,05/01/2024,40,11,\"1.234,56\",1,Aluguel\n");
    // The review names the file it holds.
    EXPECT_EQ(revisao.Caption(), "Consulta importação dos lançamentos - Janeiro");
    dialogs_.Ok("1 lançamento(s) importado(s)");
    revisao.spImportacao->Click();
  });
  tela_->spOK->Click();

  EXPECT_EQ(Db().QueryValue("select BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 1").AsCurrency(),
            Currency::Parse("1234.56"));
  const auto pedidos = server_.Requests();
  ASSERT_EQ(pedidos.size(), 4u);
  EXPECT_FALSE(pedidos[2].HasHeader("Authorization"));   // the download link
  EXPECT_EQ(pedidos[3].Method, "PUT");
  EXPECT_EQ(pedidos[3].Body, R"({"lancamento_id":11})");
  EXPECT_EQ(pedidos[3].Header("Content-Type"), "application/json");
  EXPECT_EQ(pedidos[3].Header("Authorization"), std::string("Bearer ") + kTokenDyqTeste);
  // The marked file left the list; the unmarked one stays; no work file is left behind.
  ASSERT_EQ(tela_->lvExtratos->Count(), 2);
  EXPECT_EQ(tela_->lvExtratos->Item(0).Caption, "12");
  EXPECT_EQ(programa_.ArquivosTemp(), 0);
  EXPECT_EQ(tela_->DAO(), nullptr);
}

// An import asks for the automatic transactions of the period, with the ticked branches, only while
// the switch is on; the plan-change search button lists the plans.
TEST_F(DyqScreenTest, TheAutomaticTransactionRequestFollowsTheSwitchAndTheTickedBranches) {
  Db().Execute("insert into VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO) values (5, 'Plano antigo do cliente')");
  ListaTres();
  ASSERT_TRUE(Empresa(1));
  Db().Execute("insert into VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO) values (6, 'Plano novo do cliente')");
  // The search button lists the plans; the one picked is taken and named.
  std::vector<std::string> planos;
  dialogs_.Modal("TfrPesquisaCodigo_VYN", [&](TForm_VYN& f) {
    auto& lista = dynamic_cast<TfrPesquisaCodigo_VYN&>(f);
    for (lista.DAO()->First(); !lista.DAO()->Eof(); lista.DAO()->Next())
      planos.push_back(lista.DAO()->FieldByName("NOME").AsString());
    ASSERT_TRUE(lista.DAO()->Locate("CODIGO", {Variant(5)}));
    lista.grConsulta->DblClick();
  });
  tela_->spPlanoTroca->Click();
  EXPECT_EQ(planos, (std::vector<std::string>{"Plano antigo do cliente", "Plano novo do cliente"}));
  EXPECT_EQ(tela_->edCODPLATROCAINT->Codigo(), 5);
  EXPECT_EQ(tela_->pnCODPLATROCAINT->Caption(), "Plano antigo do cliente");
  tela_->edCODPLATROCAINT->Vale(0);

  dialogs_.Ticks({0});
  tela_->spFiliais->Click();
  server_.On("PUT", kRotaLancamentos + "integracao", TFakeResponse(200, "{}"));
  auto importa = [&](const std::string& id, int linha) {
    Busca(id, server_.BaseURL() + "/arquivos/" + id + ".txt");
    // Each file its own entry: a file of the same content would be the same file, booked once.
    server_.On("GET", "/arquivos/" + id + ".txt",
               TFakeResponse(200, "L,1," + id + "/01/2024,40,11,10\n", "text/plain"));
    tela_->SelecionaLinha(linha);
    dialogs_.Modal("TfrConsultaImportacaoLancCCTxt", [&](TForm_VYN& f) {
      dialogs_.Ok("1 lançamento(s) importado(s)");
      dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN&>(f).spImportacao->Click();
    });
    tela_->spOK->Click();
  };
  importa("11", 0);
  auto pedidos = Db().QueryAll("select BDCODEMP, BDFILIAIS from VZEL_TVINCTRANSACAO_PEDIDO");
  ASSERT_EQ(pedidos.Rows.size(), 1u);
  EXPECT_EQ(pedidos.Value(0, "BDCODEMP").AsInteger(), 1);
  EXPECT_EQ(pedidos.Value(0, "BDFILIAIS").AsString(), "2");

  tela_->spGerarTransacao->Click();
  EXPECT_FALSE(tela_->spGerarTransacao->Down);
  importa("12", 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_TVINCTRANSACAO_PEDIDO").AsInteger(), 1);
}

TEST_F(DyqScreenTest, FailedDownloadOrRefusedMarkingImportsNothingAndKeepsTheRow) {
  ListaTres();
  ASSERT_TRUE(Empresa(1));
  Busca("13", server_.BaseURL() + "/arquivos/13.txt");
  server_.On("GET", "/arquivos/13.txt", TFakeResponse(500, "falha interna", "text/plain"));
  tela_->SelecionaLinha(2);
  dialogs_.Ok("Não foi possível acessar os lançamentos do DYQ! 500 - falha interna");
  tela_->spOK->Click();
  EXPECT_EQ(programa_.ArquivosTemp(), 0);

  server_.On("GET", kRotaLancamentos + "busca", TFakeResponse(404, R"({"message":"Arquivo","error":" removido"})"));
  dialogs_.Ok("404 - Arquivo removido");
  tela_->spOK->Click();

  // The service refuses the marking: the row stays and can be run again.
  server_.On("PUT", kRotaLancamentos + "integracao", TFakeResponse(500, R"({"message":"indisponível","error":""})"));
  dialogs_.Ok("500 - indisponível");
  tela_->MarcarComoImportado();
  EXPECT_EQ(tela_->lvExtratos->Count(), 3);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 0);
}

}  // namespace
}  // namespace integracao
