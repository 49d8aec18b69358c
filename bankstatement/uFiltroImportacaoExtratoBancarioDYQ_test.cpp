#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"

#include <filesystem>
#include <fstream>

#include "bankstatement/dyq_test_support.h"
#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/accounting/itens_conciliados.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/list_view.h"
#include "framework/ui/parametros_revisao.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

const char* kDocumento = R"({
  "101": {"tipoConta": "Normal", "dataInicial": "01/03/2024", "dataFinal": "31/03/2024",
          "conta": "123 BANCO DO POVO", "logLiberacaoData": "02/04/2024 10:15"},
  "102": {"tipoConta": "Caixa", "dataInicial": "01/03/2024", "dataFinal": "31/03/2024",
          "conta": "5 CAIXA", "logLiberacaoData": "02/04/2024 10:16"},
  "103": {"tipoConta": "Normal", "dataInicial": "01/02/2024", "dataFinal": "29/02/2024",
          "conta": 77, "logLiberacaoData": "03/04/2024 08:00"},
  "ToTaL": {"tipoConta": "Normal", "dataInicial": "01/01/2000", "dataFinal": "01/01/2100"}
})";

TDateTime D(int d, int m) { return EncodeDate(2024, m, d); }

TEST(PeriodoListadoTest, ListsStatementsOverlappingTheTypedPeriodBoundsIncluded) {
  const TDateTime nada;
  EXPECT_TRUE(PeriodoListado(nada, nada, D(1, 3), D(31, 3)));
  // Only the initial date: a statement ending on it is listed, one ending before is not.
  EXPECT_TRUE(PeriodoListado(D(31, 3), nada, D(1, 3), D(31, 3)));
  EXPECT_FALSE(PeriodoListado(D(1, 4), nada, D(1, 3), D(31, 3)));
  // Only the final date: a statement starting after it is not listed.
  EXPECT_TRUE(PeriodoListado(nada, D(1, 3), D(1, 3), D(31, 3)));
  EXPECT_FALSE(PeriodoListado(nada, D(29, 2), D(1, 3), D(31, 3)));
  // Both: inside, overlapping either end, covering the whole period, outside.
  EXPECT_TRUE(PeriodoListado(D(10, 3), D(20, 3), D(1, 3), D(31, 3)));
  EXPECT_TRUE(PeriodoListado(D(15, 3), D(15, 4), D(1, 3), D(31, 3)));
  EXPECT_TRUE(PeriodoListado(D(1, 2), D(1, 3), D(1, 3), D(31, 3)));
  EXPECT_FALSE(PeriodoListado(D(1, 4), D(30, 4), D(1, 3), D(31, 3)));
}

TEST(ContaExtratoTest, FirstWordIsTheAccountAndNonNumbersGiveZero) {
  EXPECT_EQ(PrimeiraPalavra("  123 BANCO"), "123");
  EXPECT_EQ(PrimeiraPalavra("   "), "");
  EXPECT_EQ(CodigoConta("123"), 123);
  EXPECT_EQ(CodigoConta("ABC"), 0);
  EXPECT_EQ(CodigoConta("12A"), 0);
}

class ExtratoDYQTest : public DyqDialogTest {
 protected:
  TfrFiltroImportacaoExtratoBancarioDYQ* AbreComEmpresa(int cod = 15) {
    auto* t = Abre<TfrFiltroImportacaoExtratoBancarioDYQ>("TfrFiltroImportacaoExtratoBancarioDYQ");
    t->FRetornaDYQ->Ambiente = nullptr;
    t->edCODEMP->SetText(std::to_string(cod));
    EXPECT_TRUE(t->edCODEMP->Search());
    return t;
  }
  std::vector<std::string> Linhas(const TListView& lv) const {
    std::vector<std::string> r;
    for (int i = 0; i < lv.Count(); ++i) r.push_back(lv.Item(i).Caption + "|" + lv.Item(i).SubItems.at(0));
    return r;
  }
};

TEST_F(ExtratoDYQTest, CompanyWithoutDyqIsRefusedAndNothingIsAsked) {
  auto* t = Abre<TfrFiltroImportacaoExtratoBancarioDYQ>("TfrFiltroImportacaoExtratoBancarioDYQ");
  EXPECT_EQ(t->Caption(), "Importação de extratos ^DYQ");
  dialogs.Ok("Empresa não possui o DYQ!");
  t->edCODEMP->SetText("16");
  EXPECT_FALSE(t->edCODEMP->Search());
  // The refused company is not taken: nothing is asked for it, and a list left from the company
  // before does not load for it.
  Liberados(16, kDocumento);
  t->PreencheListaExtratos(false);
  EXPECT_EQ(t->lvExtratos->Count(), 0);
  t->lvExtratos->Add("101").SubItems = {"123 BANCO", "01/03/2024", "31/03/2024", ""};
  t->lvExtratos->Item(0).Selected = true;
  dialogs.List();
  t->spConfirmar->Click();
  EXPECT_EQ(server.RequestCount(), 0u);
  // Without a company the list is emptied and Dyq is not asked.
  t->edCODEMP->SetText("");
  t->PreencheListaExtratos(false);
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(ExtratoDYQTest, ListsNormalStatementsOfThePeriodSkippingTotalAndCash) {
  Liberados(15, kDocumento);
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(false);
  EXPECT_EQ(Linhas(*t->lvExtratos), (std::vector<std::string>{"101|123 BANCO DO POVO", "103|77"}));
  EXPECT_EQ(t->lvExtratos->Item(0).SubItems, (std::vector<std::string>{"123 BANCO DO POVO", "01/03/2024",
                                                                        "31/03/2024", "02/04/2024 10:15"}));
  EXPECT_TRUE(t->lvExtratos->Item(0).Selected);
  EXPECT_EQ(t->lbTotal->Caption(), "Total de registros: 2");
  auto r = server.LastRequest();
  EXPECT_EQ(r.Param("empresa"), "15");
  EXPECT_EQ(r.Param("tipoBusca"), "1");
  EXPECT_EQ(r.Header("Authorization"), "Bearer tok-prod");

  // Leaving the final date normally fills the list for the typed period.
  t->edDataIni->SetText("01/03/2024");
  t->edDataFim->SetFocus();
  t->edDataFim->SetText("15/03/2024");
  t->DefocusControl();
  EXPECT_EQ(Linhas(*t->lvExtratos), (std::vector<std::string>{"101|123 BANCO DO POVO"}));

  // Entering the final date while the initial one is empty clears it.
  t->edDataIni->Clear();
  t->edDataFim->SetFocus();
  EXPECT_TRUE(t->edDataFim->IsEmpty());
  t->DefocusControl();
  EXPECT_EQ(t->lvExtratos->Count(), 2);
}

TEST_F(ExtratoDYQTest, NothingReleasedShowsTheBoxOnlyWhenNotSilent) {
  server.On("GET", "/extratos-liberados", TFakeResponse(204, ""));
  auto* t = AbreComEmpresa();
  dialogs.Ok("Nenhum extrato encontrado!");
  t->PreencheListaExtratos(false);
  t->PreencheListaExtratos(true);
  EXPECT_EQ(t->lbTotal->Caption(), "Total de registros: 0");
  // Throttling is waited out through the client's sleeper, as the server asks.
  std::vector<std::chrono::milliseconds> esperas;
  t->FRetornaDYQ->Sleeper = [&](std::chrono::milliseconds ms) { esperas.push_back(ms); };
  server.OnSequence("GET", "/extratos-liberados", {TFakeResponse::Throttle("2"), TFakeResponse::Json(200, kDocumento)});
  t->PreencheListaExtratos(true);
  EXPECT_EQ(t->lvExtratos->Count(), 2);
  EXPECT_EQ(esperas, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(2000)}));
  // A refused request is an error, never an empty list.
  server.On("GET", "/extratos-liberados", TFakeResponse::Json(500, R"({"message":"fora do ar"})"));
  EXPECT_THROW(t->PreencheListaExtratos(true), EDyqError);
}

TEST_F(ExtratoDYQTest, RefusalSendsTheDocumentAfterQuestionRightsAndObservation) {
  Liberados(15, kDocumento);
  server.On("POST", "/retornos", TFakeResponse::Json(200, "{}"));
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->lvExtratos->Item(0).Selected = false;
  t->lvExtratos->Item(1).Selected = true;

  // Rights refused: nothing is sent.
  dialogs.Yes("Tem certeza que deseja recusar o extrato?").Rights(false).Ok("Processo não realizado!");
  t->spRecusaExtrato->Click();
  // The observation dialog left without a text: nothing is refused.
  dialogs.Yes("recusar").Rights(true).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) { f.SetModalResult(mrCancel); });
  t->spRecusaExtrato->Click();
  EXPECT_EQ(server.RequestCount(), 1u);

  dialogs.Yes("recusar").Rights(true).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    DigitaObservacao(f, "Conta%20errada");
  });
  dialogs.Ok("O Extrato foi enviado para o DYQ como recusado!");
  t->spRecusaExtrato->Click();
  auto reqs = server.Requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[1].Method, "POST");
  EXPECT_EQ(nlohmann::json::parse(reqs[1].Body),
            nlohmann::json::parse(R"({"tipoRetorno":3,"caixa":false,"documento":
              {"extratoId":103,"observacao":"Conta errada","retornadoPor":"ana.souza"}})"));
  EXPECT_EQ(reqs[2].Path, "/extratos-liberados");   // the silent refresh
  // Each answer to the question is kept for the company, also when the refusal went no further.
  auto log = Db().QueryAll("select BDCODEMP, BDTELA, BDTEXTO from VYN_LOG_EVENTO order by BDCODLOG");
  ASSERT_EQ(log.Rows.size(), 3u);
  EXPECT_EQ(log.Value(0, "BDCODEMP").AsInteger(), 15);
  EXPECT_EQ(log.Value(0, "BDTELA").AsString(), "TfrFiltroImportacaoExtratoBancarioDYQ");
  EXPECT_EQ(log.Value(2, "BDTEXTO").AsString(),
            "Mensagem: \"Tem certeza que deseja recusar o extrato? O processo não pode ser revertido!\". "
            "Resposta: \"Sim\"");
}

// Dyq numbers its statements: a member named otherwise is not refused as statement 0.
TEST_F(ExtratoDYQTest, RefusingAStatementWhoseIdIsNoNumberIsToldAndSendsNothing) {
  Liberados(15, R"({"A-77": {"tipoConta": "Normal", "dataInicial": "01/03/2024", "dataFinal": "31/03/2024",
                             "conta": "123 BANCO DO POVO", "logLiberacaoData": "02/04/2024 10:15"}})");
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  ASSERT_EQ(t->lvExtratos->Count(), 1);
  t->lvExtratos->Item(0).Selected = true;
  dialogs.Ok("O extrato \"A-77\" não tem identificação numérica no DYQ: nada foi recusado.");
  t->spRecusaExtrato->Click();
  for (const auto& r : server.Requests()) EXPECT_NE(r.Method, "POST") << r.Body;
}

TEST_F(ExtratoDYQTest, RefusalFromTheTestEnvironmentGoesToTheTestEnvironment) {
  TFakeHttpServer teste;
  teste.On("GET", "/extratos-liberados", TFakeResponse::Json(200, kDocumento));
  teste.On("POST", "/retornos", TFakeResponse::Json(200, "{}"));
  Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_TESTE_URL', ?)", {teste.BaseURL()});
  Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_TESTE_TOKEN', 'tok-teste')");
  Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_CODIGOS_TESTE', '1001, 4242')");
  ProcessContext().CustomerCode = "4242";
  auto* t = AbreComEmpresa();
  EXPECT_TRUE(t->ckAmbienteTeste->Visible());
  EXPECT_TRUE(t->ckAmbienteTeste->Checked());
  t->PreencheListaExtratos(true);
  dialogs.Yes("recusar").Rights(true).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    DigitaObservacao(f, "x");
  });
  dialogs.Ok("como recusado");
  t->spRecusaExtrato->Click();
  EXPECT_EQ(server.RequestCount(), 0u);
  EXPECT_EQ(teste.Requests().at(1).Header("Authorization"), "Bearer tok-teste");
}

TEST_F(ExtratoDYQTest, OptionsFollowTheReconciliationToggleAndTheDocumentBox) {
  auto* t = AbreComEmpresa();
  t->ckData->SetChecked(true);
  EXPECT_FALSE(t->spConciliacaoAut->Down);
  t->spConciliacaoAut->Click();
  EXPECT_TRUE(t->spConciliacaoAut->Down);
  EXPECT_EQ(t->spConciliacaoAut->Hint(), "Conciliação - Ativada");
  EXPECT_TRUE(t->ckDocumento->Enabled());
  EXPECT_FALSE(t->ckValor->Enabled());
  EXPECT_TRUE(t->ckValor->Checked() && t->ckData->Checked());
  t->ckDocumento->Click();
  EXPECT_TRUE(t->ckValor->Enabled() && t->ckConsiderarZeroAEsquerda->Enabled());
  t->spConciliacaoAut->Click();
  EXPECT_FALSE(t->ckDocumento->Checked() || t->ckValor->Checked() || t->ckData->Checked());
  EXPECT_FALSE(t->gbConciliacoes->Enabled());
  t->spGerarTransacao->Click();
  EXPECT_EQ(t->spGerarTransacao->Hint(), "Transação automática - Desativada");
  EXPECT_FALSE(t->spAbrir->Enabled());
  t->ckExtratoPDF->Click();
  EXPECT_TRUE(t->spAbrir->Enabled());
}

TEST_F(ExtratoDYQTest, ConfirmHandsTheFirstSelectedStatementAndOptionsAndOpensTheReview) {
  Liberados(15, kDocumento);
  server.On("GET", "/extratos/101/lancamentos",
            TFakeResponse::Json(200, R"({"lancamentos":[
              {"data":"05/03/2024","descricao":"TARIFA","documento":"9","valor":"12.50","tipo":"D"},
              {"data":"06/03/2024","descricao":"PIX RECEBIDO","documento":null,"valor":1050,"tipo":"C"}]})"));
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->lvExtratos->Item(1).Selected = true;   // several selected: the first one counts
  t->ckNaoCoinsTransPrep->SetChecked(true);
  t->spConfirmar->Click();

  auto& mgr = *t->Manager();
  EXPECT_EQ(mgr.Execucoes(), 1);
  EXPECT_EQ(mgr.CodigoEmpresa(), 15);
  EXPECT_EQ(mgr.IDExtrato(), 101);
  EXPECT_EQ(mgr.NrConta(), 123);
  EXPECT_EQ(mgr.IniExtrato(), D(1, 3));
  EXPECT_EQ(mgr.FimExtrato(), D(31, 3));
  EXPECT_TRUE(mgr.GerarTransacao());
  EXPECT_FALSE(mgr.Conciliar());
  EXPECT_EQ(mgr.TipoExtratoBancario(), tceBanco);
  EXPECT_TRUE(mgr.NaoCoincidirSequencia);
  EXPECT_EQ(mgr.ArquivoExtratoPDF, "");

  auto* revisao = Filho<TRevisaoStub>(*t);
  ASSERT_NE(revisao, nullptr);
  EXPECT_EQ(revisao->Tamanho, 19);
  auto* linhas = revisao->ListaObj()->Get<TLancamentoMGR>(3);
  ASSERT_EQ(linhas->RecordCount(), 2);
  linhas->First();
  EXPECT_EQ(linhas->FieldByName("BDCREDITO").AsInteger(), 123);   // money out: the bank is credited
  EXPECT_EQ(linhas->FieldByName("BDVALOR").AsCurrency(), Currency::Parse("12.5"));
  linhas->Next();
  EXPECT_EQ(linhas->FieldByName("BDDEBITO").AsInteger(), 123);
  EXPECT_EQ(linhas->FieldByName("BDVALOR").AsCurrency(), Currency::FromInt(1050));
  EXPECT_EQ(revisao->ListaObj()->GetInteger(16), 1);
}

TEST_F(ExtratoDYQTest, ConfirmWithoutSelectionOrAccountRunsNothing) {
  Liberados(15, R"({"7": {"tipoConta":"Normal","dataInicial":"01/03/2024","dataFinal":"31/03/2024","conta":"  "}})");
  auto* t = AbreComEmpresa();
  dialogs.Ok("Nenhum extrato selecionado!");
  t->spConfirmar->Click();
  t->PreencheListaExtratos(true);
  dialogs.Ok("Extrato sem conta informada!");
  t->spConfirmar->Click();
  EXPECT_EQ(t->Manager()->Execucoes(), 0);
}

TEST_F(ExtratoDYQTest, PdfTargetFollowsTheUsersFolderAndNeverOverwrites) {
  const fs::path raiz = fs::temp_directory_path() / ("dyq_pdf_" + std::to_string(::getpid()));
  fs::remove_all(raiz);
  Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDNOMCTA) values (3, 123, 'BANCO/CC ..')");
  auto* t = AbreComEmpresa();
  auto& mgr = *t->Manager();
  mgr.SetNrConta(123);
  TDateTime_VYN ini(nullptr, D(1, 3));
  mgr.SetIniExtrato(&ini);
  t->edDataIni->SetText("01/03/2024");

  // The account's name cannot climb out of the folder or make one.
  const std::string alvo = t->ArquivoPDF(raiz.string(), 3);
  EXPECT_EQ(alvo, (raiz / "PadariaCentralLtda" / "202403" / "15_202403_123_BANCOCC.pdf").string());
  fs::create_directories(fs::path(alvo).parent_path());
  std::ofstream(alvo) << "x";
  EXPECT_EQ(t->ArquivoPDF(raiz.string(), 3),
            (raiz / "PadariaCentralLtda" / "202403" / "15_202403_123_BANCOCC(1).pdf").string());
  t->edDataIni->Clear();
  mgr.SetNrConta(9);
  EXPECT_EQ(t->ArquivoPDF(raiz.string(), 0), (raiz / "15_0_9.pdf").string());
  fs::remove_all(raiz);
}

TEST_F(ExtratoDYQTest, PdfOptionWithoutFolderRowHandsNenhumAndWithOneSavesTheCopy) {
  const fs::path raiz = fs::temp_directory_path() / ("dyq_pdf2_" + std::to_string(::getpid()));
  fs::remove_all(raiz);
  Liberados(15, kDocumento);
  server.On("GET", "/extratos/101/lancamentos", TFakeResponse::Json(200, R"({"lancamentos":[]})"));
  server.On("GET", "/extratos/101/pdf", TFakeResponse{200, "%PDF-1.4 conteúdo", "application/pdf"});
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->ckExtratoPDF->SetChecked(true);
  t->spConfirmar->Click();
  EXPECT_EQ(t->Manager()->ArquivoExtratoPDF, "NENHUM");
  EXPECT_EQ(t->Inconsistencias_VYN->CountAtencao(), 1);

  Db().Execute("insert into VZEL_USU_DYQ_DIRETORIO (BDCODUSU, BDDIRETORIO, BDSUBPASTAS) values (7, ?, 0)",
               {raiz.string()});
  t->spConfirmar->Click();
  const fs::path esperado = raiz / "15_0_123.pdf";
  EXPECT_EQ(t->Manager()->ArquivoExtratoPDF, esperado.string());
  std::ifstream f(esperado, std::ios::binary);
  std::string conteudo((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(conteudo, "%PDF-1.4 conteúdo");
  fs::remove_all(raiz);
}

TEST_F(ExtratoDYQTest, ReconcileOnImportHandsTheReviewTheFeeAlreadyBookedReconciledWithItsEntry) {
  Liberados(15, kDocumento);
  server.On("GET", "/extratos/101/lancamentos",
            TFakeResponse::Json(200, R"({"lancamentos":[
              {"data":"05/03/2024","descricao":"TARIFA","documento":"9","valor":"12.50","tipo":"D"},
              {"data":"06/03/2024","descricao":"PIX RECEBIDO","documento":"10","valor":"40.00","tipo":"C"}]})"));
  ExecutaComoSuite(Db(),
      "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, BDCONCD, "
      "BDCONCC) values (15, 900, '2024-03-05', 40, 123, 12.50, '9', 'FALSE', 'FALSE')");
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->spConciliacaoAut->Click();   // by value and date: no document box ticked
  ASSERT_FALSE(t->ckConciliacaoManual->Checked());
  t->spConfirmar->Click();

  auto* revisao = Filho<TRevisaoStub>(*t);
  ASSERT_NE(revisao, nullptr);
  auto* linhas = revisao->ListaObj()->Get<TLancamentoMGR>(3);
  ASSERT_EQ(linhas->RecordCount(), 2);
  linhas->First();
  EXPECT_EQ(linhas->FieldByName("BDDEBITO").AsInteger(), 40) << "the fee takes the booked entry's expense account";
  EXPECT_TRUE(linhas->FieldByName("BDCONCC").AsBoolean());
  EXPECT_EQ(ChavesConciliadas(*linhas, 15, linhas->FieldByName("BDCHAVE").AsInteger()), std::vector<int64_t>{900});
  linhas->Next();
  EXPECT_EQ(linhas->FieldByName("BDCREDITO").AsInteger(), 0) << "the deposit has no entry behind it";
  EXPECT_FALSE(getItensConciliados(*linhas, 15, linhas->FieldByName("BDCHAVE").AsInteger()));

  // With the toggle up nothing is matched.
  t->FreeComponent(revisao);
  t->spConciliacaoAut->Click();
  t->spConfirmar->Click();
  auto* outra = Filho<TRevisaoStub>(*t);
  ASSERT_NE(outra, nullptr);
  auto* livres = outra->ListaObj()->Get<TLancamentoMGR>(3);
  livres->First();
  EXPECT_EQ(livres->FieldByName("BDDEBITO").AsInteger(), 0);
  EXPECT_FALSE(getItensConciliados(*livres, 15, livres->FieldByName("BDCHAVE").AsInteger()));
}

TEST_F(ExtratoDYQTest, AStatementWhosePdfDyqDoesNotHaveStillOpensItsReviewAndMakesNoFolder) {
  const fs::path raiz = fs::temp_directory_path() / ("dyq_pdf404_" + std::to_string(::getpid()));
  fs::remove_all(raiz);
  Db().Execute("insert into VZEL_USU_DYQ_DIRETORIO (BDCODUSU, BDDIRETORIO, BDSUBPASTAS) values (7, ?, 1)",
               {(raiz / "extratos").string()});
  Liberados(15, kDocumento);
  server.On("GET", "/extratos/101/lancamentos",
            TFakeResponse::Json(200, R"({"lancamentos":[{"id":5,"data":"05/03/2024","valor":"12.50","tipo":"D"}]})"));
  server.On("GET", "/extratos/101/pdf", TFakeResponse{404, "", "text/plain"});
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->ckExtratoPDF->SetChecked(true);
  t->spConfirmar->Click();
  EXPECT_NE(Filho<TRevisaoStub>(*t), nullptr);
  EXPECT_EQ(t->Inconsistencias_VYN->CountAtencao(), 1);
  // The user is told before the review opens (its import empties the list).
  bool mostrada = false;
  for (const auto& c : dialogs.Calls())
    for (const auto& i : c.Items) mostrada |= i.find("Extrato PDF não salvo") != std::string::npos;
  EXPECT_TRUE(mostrada);
  EXPECT_FALSE(fs::exists(raiz / "extratos"));
  fs::remove_all(raiz);
}

TEST_F(ExtratoDYQTest, ManualReconciliationStoresTheLinesOnceAndOpensTheReconciliation) {
  Liberados(15, kDocumento);
  server.On("GET", "/extratos/101/lancamentos",
            TFakeResponse::Json(200, R"({"lancamentos":[
              {"data":"05/03/2024","descricao":"TARIFA","documento":"9","valor":"12.50","tipo":"D"}]})"));
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  t->ckConciliacaoManual->SetChecked(true);
  // The reconciliation screen takes no message list: what the load noted is shown before it opens.
  t->ckExtratoPDF->SetChecked(true);
  dialogs.List();
  t->spConfirmar->Click();
  t->ckExtratoPDF->SetChecked(false);
  t->spConfirmar->Click();
  auto rows = Db().QueryAll("select BDCONTA, BDTIPO, BDVALOR, BDIDEXTRATODYQ from VZEL_EMPRESAS_TEXTRATOBAN");
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Value(0, "BDCONTA").AsInteger(), 123);
  EXPECT_EQ(rows.Value(0, "BDTIPO").AsInteger(), 0);
  EXPECT_EQ(rows.Value(0, "BDVALOR").AsCurrency(), Currency::Parse("12.5"));
  auto* conc = Filho<TConciliacaoStub>(*t);
  ASSERT_NE(conc, nullptr);
  EXPECT_EQ(conc->Tamanho, 11);

  // Loading it again after the line was reconciled keeps the line and its entry; only what is new
  // is added.
  Db().Execute("update VZEL_EMPRESAS_TEXTRATOBAN set BDCODEMPLANC = 15, BDCHAVELANC = 900");
  server.On("GET", "/extratos/101/lancamentos",
            TFakeResponse::Json(200, R"({"lancamentos":[
              {"data":"05/03/2024","descricao":"TARIFA","documento":"9","valor":"12.50","tipo":"D"},
              {"data":"07/03/2024","descricao":"PIX","documento":"10","valor":"40.00","tipo":"C"}]})"));
  t->spConfirmar->Click();
  rows = Db().QueryAll("select BDDCTO, BDCHAVELANC from VZEL_EMPRESAS_TEXTRATOBAN order by BDDATAMOV");
  ASSERT_EQ(rows.Rows.size(), 2u);
  EXPECT_EQ(rows.Value(0, "BDCHAVELANC").AsInteger(), 900);
  EXPECT_TRUE(rows.Value(1, "BDCHAVELANC").IsNull());
}

TEST_F(ExtratoDYQTest, ALineWithoutSideOrWithASignedValueIsLeftOutNamedAndTheOthersGoOn) {
  Liberados(15, kDocumento);
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  server.On("GET", "/extratos/101/lancamentos", TFakeResponse::Json(200, R"({"lancamentos":[
    {"id":1,"data":"05/03/2024","descricao":"TARIFA","documento":"9","valor":"12.50","tipo":"D"},
    {"id":2,"data":"06/03/2024","valor":"30.00"},
    {"id":3,"data":"06/03/2024","valor":"30.00","tipo":"X"},
    {"id":4,"data":"06/03/2024","valor":"-30.00","tipo":"C"},
    {"id":5,"data":"06/03/2024","valor":"10.005","tipo":"C"},
    {"id":"abc","data":"06/03/2024","valor":"30.00","tipo":"C"},
    {"id":7,"data":"31/02/2024","valor":"30.00","tipo":"C"},
    "texto solto",
    {"id":10,"data":"06/03/2024","valor":"99999999999999.99","tipo":"C"},
    {"id":11,"data":"06/03/2024","valor":1e3,"tipo":"C"}]})"));
  dialogs.List().List();
  t->spConfirmar->Click();
  auto* revisao = Filho<TRevisaoStub>(*t);
  ASSERT_NE(revisao, nullptr);
  // A JSON number is exact whatever its spelling: 1e3 is a thousand.
  EXPECT_EQ(revisao->ListaObj()->Get<TLancamentoMGR>(3)->RecordCount(), 2);
  EXPECT_EQ(revisao->ListaObj()->GetInteger(preNaoTrazidas), 8);
  std::vector<std::string> avisos;
  for (const auto& i : t->Inconsistencias_VYN->Itens()) avisos.push_back(i.Caption);
  ASSERT_EQ(avisos.size(), 8u);
  // A value past the review's value cell could never be corrected there.
  EXPECT_EQ(avisos[7], "Lançamento 10 do extrato não foi trazido: Valor inválido no lançamento do extrato: "
                       "\"99999999999999.99\".");
  EXPECT_EQ(avisos[3], "Lançamento 5 do extrato não foi trazido: Valor inválido no lançamento do extrato: \"10.005\".");
  EXPECT_EQ(avisos[4], "Lançamento \"abc\" do extrato (06/03/2024, 30,00) não foi trazido: Identificação inválida no "
                       "lançamento do extrato: \"abc\".");
  EXPECT_EQ(avisos[6], "Lançamento sem identificação do extrato não foi trazido: não é um lançamento.");

  // The reconciliation's road stores the good lines only.
  t->ckConciliacaoManual->SetChecked(true);
  t->spConfirmar->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TEXTRATOBAN").AsInteger(), 2);
  EXPECT_NE(Filho<TConciliacaoStub>(*t), nullptr);
}

// A value is digits and at most its cents, and an id names one line: an exponent, a sign or a lone
// separator is no bank's value, and lines that share an id are all left out, on both roads.
TEST_F(ExtratoDYQTest, AValueWrittenOtherwiseAndLinesSharingAnIdAreLeftOutNamed) {
  Liberados(15, kDocumento);
  auto* t = AbreComEmpresa();
  t->PreencheListaExtratos(true);
  server.On("GET", "/extratos/101/lancamentos", TFakeResponse::Json(200, R"({"lancamentos":[
    {"id":1,"data":"05/03/2024","valor":"1e3","tipo":"D"},
    {"id":2,"data":"05/03/2024","valor":"+5.00","tipo":"D"},
    {"id":3,"data":"05/03/2024","valor":"5.","tipo":"D"},
    {"id":4,"data":"05/03/2024","valor":".50","tipo":"D"},
    {"id":9,"data":"05/03/2024","valor":"25.00","tipo":"D"},
    {"id":9,"data":"06/03/2024","valor":"30.00","tipo":"D"},
    {"id":10,"data":"06/03/2024","valor":"1050","tipo":"C"},
    {"id":11,"data":"06/03/2024","valor":"7,5","tipo":"C"}]})"));
  dialogs.List().List();
  t->spConfirmar->Click();
  auto* revisao = Filho<TRevisaoStub>(*t);
  ASSERT_NE(revisao, nullptr);
  auto* linhas = revisao->ListaObj()->Get<TLancamentoMGR>(3);
  ASSERT_EQ(linhas->RecordCount(), 2);
  linhas->First();
  EXPECT_EQ(linhas->FieldByName("BDVALOR").AsCurrency(), vyn::Currency::FromInt(1050));
  EXPECT_EQ(revisao->ListaObj()->GetInteger(preNaoTrazidas), 6);
  std::vector<std::string> avisos;
  for (const auto& i : t->Inconsistencias_VYN->Itens()) avisos.push_back(i.Caption);
  ASSERT_EQ(avisos.size(), 6u);
  EXPECT_EQ(avisos[0], "Lançamento 1 do extrato não foi trazido: Valor inválido no lançamento do extrato: \"1e3\".");
  EXPECT_EQ(avisos[5], "Lançamento 9 do extrato (06/03/2024, 30,00) não foi trazido: a identificação 9 se repete em 2 "
                       "linhas do extrato, e nenhuma delas é trazida.");

  t->ckConciliacaoManual->SetChecked(true);
  t->spConfirmar->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TEXTRATOBAN").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TEXTRATOBAN where BDIDITEMDYQ = 9").AsInteger(), 0);
}

}  // namespace
}  // namespace integracao
