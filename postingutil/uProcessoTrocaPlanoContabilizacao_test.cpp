#include "postingutil/uProcessoTrocaPlanoContabilizacao.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

constexpr const char* kRetencoes =
    "Você está alterando o plano de contabilização para um plano com contabilização das retenções por regime de "
    "caixa, \ré importante";
constexpr const char* kBackup =
    "Você está alterando para um plano de contabilização que possui plano de contas diferente do atual.\r";
constexpr const char* kSaldosAbertura = "Para finalizar o processo deverá ser feito o encerramento dos saldos de abertura.";
constexpr const char* kFinal = "Ana, durante o processo não será possível utilizar a empresa em nenhuma rotina";

class TrocaPlanoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ProcessContext().UserName = "Ana";
    ProcessContext().WP_RESPONSAVEL = "";
    ProcessContext().Referencia = 202403;
    seed::AddStandardCompany(Db(), 202401);
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO, BDCODHIST, BDCODPLANOONLINE,"
                 " BDULTENC) VALUES (1, 202403, 'Empresa Modelo Ltda', 1, 1, 1, ?)",
                 {EncodeDate(2024, 3, 31)});
    // plan 1 in force; plan 2 another chart with cash-basis PCC; plan 3 the same chart and history plan
    Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST,"
                 " BDREGCONTRETPCC) VALUES (1, 'Atual', 1, 1, 0)");
    Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST,"
                 " BDREGCONTRETPCC) VALUES (2, 'Novo', 2, 2, 1)");
    Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST)"
                 " VALUES (3, 'Mesmo plano', 1, 1)");
    Db().Execute("UPDATE PLANOS_TPLA SET BDPARTICIPANTE = 0 WHERE BDCODPLAPADRAO = 1");
    Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDNOMCTA, BDPARTICIPANTE) VALUES (2, 1, 'Forn', 1)");
    Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDNOMCTA, BDPARTICIPANTE) VALUES (2, 2, 'Desp', 0)");
    Db().Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDDESCRICAO, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA)"
                 " VALUES (5, 'De 1 para 2', 1, 2)");
    Db().Execute("INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (5, ?, 2)", {seed::kContaDespesas});
    Db().Execute("INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (5, ?, 1)", {seed::kContaFornecedores});
    // The closing screen of the suite the follow-up opens.
    ClassRegistry().RegisterClass(
        "TfrEncExercicio", [](TComponent* o) { return std::make_unique<TForm_VYN>(o); }, TClassKind::Screen);
    Db().Execute("INSERT INTO TTERCEIRO (BDCODTER, BDNOMETER) VALUES (7, 'Genérico')");
    tela = MakeForm<TfrProcessoTrocaPlanoContabilizacao>();
  }
  void TearDown() override {
    tela.reset();
    ClassRegistry().UnRegisterClass("TfrEncExercicio");
    CompanyDatabaseTest::TearDown();
  }
  void Empresa(const char* cod) {
    tela->edCODEMP->SetFocus();
    tela->edCODEMP->SetText(cod);
    tela->edCODPLANOONLINE->SetFocus();
  }
  void NovoPlano(const char* cod) {
    tela->edCODPLANOONLINE->SetFocus();
    tela->edCODPLANOONLINE->SetText(cod);
    tela->edCodPlanoTroca->SetFocus();
  }
  void Preenche() {
    Empresa("1");
    NovoPlano("2");
    tela->edCODTERCEIRO->SetText("7");
    tela->edCodPlanoTroca->SetText("5");
  }
  int64_t Execucoes() { return Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TRECONTABILIZACAO").AsInteger(); }
  std::string Log() {
    if (!Db().TableExists("VYN_LOG_EVENTO")) return "";
    std::string all;
    for (auto& row : Db().QueryAll("SELECT BDTEXTO FROM VYN_LOG_EVENTO").Rows) all += row[0].AsString() + "\n";
    return all;
  }
  TFormPtr<TfrProcessoTrocaPlanoContabilizacao> tela;
};

TEST_F(TrocaPlanoTest, ACompanyThatNeverClosedChangesItsWholePeriodNotFromTheWorkstationsMonth) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = NULL");
  Empresa("1");
  EXPECT_EQ(tela->edDataInicial->Text(), "01/2024");   // no posting yet: its first registered month
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (2, 1, '2024-02-10', 1)");
  Empresa("1");
  EXPECT_EQ(tela->edDataInicial->Text(), "02/2024");   // the branch's first posting
}

TEST_F(TrocaPlanoTest, ABranchClosedLaterThanItsHeadOfficeShowsTheStartTheChangeWillUse) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 2", {EncodeDate(2024, 5, 31)});
  Empresa("1");
  EXPECT_EQ(tela->edDataInicial->Text(), "06/2024");   // the branch's May closing, not the head office's March
}

TEST_F(TrocaPlanoTest, LeavingTheFieldsFillsThePlansThePeriodAndTheDependentFields) {
  TScriptedDialogs d;
  Empresa("1");
  EXPECT_EQ(tela->edCodConfOnlineDe->Codigo(), 1);
  EXPECT_EQ(tela->edCODPLAPADRAODe->Codigo(), 1);
  EXPECT_EQ(tela->edCODHISTDe->Codigo(), 1);
  EXPECT_EQ(tela->edDataInicial->Text(), "04/2024");   // March is closed: the change takes effect in April
  EXPECT_FALSE(tela->edCODCONTABLALUR->Enabled());

  NovoPlano("2");   // a chart with participant accounts
  EXPECT_EQ(tela->edCODPLAPADRAO->Codigo(), 2);
  EXPECT_TRUE(tela->edCODTERCEIRO->Enabled());
  tela->edCODTERCEIRO->SetText("7");

  d.Ok("Ana, o processo de troca de planos de contabilização que utilizam o mesmo plano de contas");
  NovoPlano("3");   // back to chart 1: the participant is disabled and emptied
  EXPECT_FALSE(tela->edCODTERCEIRO->Enabled());
  EXPECT_EQ(tela->edCODTERCEIRO->Text(), "");
  d.Ok("Ana, a recontabilização deve ser efetuada pelo menu de Utilitários / Recontabilização.");
  NovoPlano("1");
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());

  Db().Execute("INSERT INTO TPLANO_CONTAB_LALUR (BDCODCONTABLALUR, BDCODEMP, BDCODPLANOONLINE) VALUES (9, 1, 1)");
  Empresa("1");
  EXPECT_TRUE(tela->edCODCONTABLALUR->Enabled());
}

// The period field's hint never outlives the user's attention: Esc or Up, another screen opened over
// this one, or the screen hiding takes it away.
TEST_F(TrocaPlanoTest, ThePeriodHintGoesWithEscAnotherScreenOrTheScreenHiding) {
  ClassRegistry().RegisterClass(
      "TfrCadPlanosTrocaContabilizacao", [](TComponent* o) { return std::make_unique<TForm_VYN>(o); },
      TClassKind::Screen);
  TLabel& hint = *tela->BalloonHintData;
  tela->Show();
  hint.SetVisible(true);
  int key = 38;   // Up arrow
  static_cast<TForm_VYN&>(*tela).KeyDown(key, 0);
  EXPECT_FALSE(hint.Visible());
  hint.SetVisible(true);
  tela->spConfigPlanoTroca->Click();
  EXPECT_FALSE(hint.Visible());
  hint.SetVisible(true);
  tela->Close();
  EXPECT_FALSE(hint.Visible());
  ClassRegistry().UnRegisterClass("TfrCadPlanosTrocaContabilizacao");
}

TEST_F(TrocaPlanoTest, StartChainStopsAtTheFirstFailingCheck) {
  auto passo = [&](const std::string& esperado) {
    TScriptedDialogs d;
    d.Ok(esperado);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << esperado << " / " << testing::PrintToString(d.Messages());
  };
  passo("Empresa não informada!");   // an empty form: the company first
  Empresa("1");
  passo("Plano de contabilização não informado!");
  NovoPlano("2");
  passo("O participante genérico deve ser informado para planos de contas que possuam contas participante!");
  tela->edCODTERCEIRO->SetText("7");
  // Company 1's consultation-only copy, made as a change makes it: its row is born a copy.
  Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP, BDSTATUSEMP) VALUES (9, 1)");
  Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP) SELECT 9, BDREFEMP, BDNOMEMP FROM TEMPRESAS_REF"
               " WHERE BDCODEMP = 1");
  tela->edCODEMP->SetText("9");
  passo("Empresa somente para consulta. Pois a mesma provém do processo de troca do plano de contas!");
  tela->edCODEMP->SetText("1");
  Db().Execute("INSERT INTO TPLANO_CONTAB_LALUR (BDCODCONTABLALUR, BDCODEMP, BDCODPLANOONLINE) VALUES (9, 1, 1)");
  Empresa("1");
  passo("Não foi informado o plano de integração contábil!");
  tela->edCODCONTABLALUR->SetText("9");
  passo("Este plano de integração contábil não pertence ao mesmo plano de on-line selecionado!");
  Db().Execute("UPDATE TPLANO_CONTAB_LALUR SET BDCODPLANOONLINE = 2");
  tela->edCODCONTABLALUR->SetText("09");
  passo("Não foi informado o plano de troca!");
  tela->edCodPlanoTroca->SetText("5");
  Db().Execute("DELETE FROM TEMPRESAS_REF WHERE BDCODEMP = 1 AND BDREFEMP = 202401");
  Db().Execute("UPDATE TEMPRESAS_REF SET BDREFEMP = 202405 WHERE BDCODEMP = 1");   // after April, the start
  passo("Ana, para que a troca seja realizada é necessário que o cadastro da empresa seja salvo com a data");
  EXPECT_EQ(Execucoes(), 0);
  EXPECT_EQ(Log(), "");
}

// The chart compared is the typed plan's, also when its edit was not left after the last typing.
TEST_F(TrocaPlanoTest, ASameChartPlanTypedLastIsRefusedWithNothingRecorded) {
  Preenche();
  tela->edCODPLANOONLINE->SetText("3");
  TScriptedDialogs d;
  d.Ok("Ana, o processo de troca de planos de contabilização que utilizam o mesmo plano de contas deve ser efetuado "
       "pelo menu utilitários / troca o plano de contabilização.");
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(tela->edCODPLAPADRAO->Codigo(), 1);
  EXPECT_EQ(Execucoes(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_REF WHERE BDCODPLANOONLINE <> 1").AsInteger(), 0);
  EXPECT_EQ(Log(), "");
}

TEST_F(TrocaPlanoTest, RefusedCodesAreShownAndNothingRuns) {
  // The edit is typed and not left; the refused one is emptied before the form is filled again.
  auto recusa = [&](TEdit_Codigo_Search_VYN* ed, const char* codigo) {
    Preenche();
    ed->SetText(codigo);
    std::string esperado = std::string("Código ") + codigo + " não encontrado!";
    TScriptedDialogs d;
    d.Ok(esperado);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << esperado << " / " << testing::PrintToString(d.Messages());
    ed->SetText("");
  };
  recusa(tela->edCODEMP, "99");
  recusa(tela->edCodPlanoTroca, "99");
  recusa(tela->edCODPLANOONLINE, "77");
  Db().Execute("INSERT INTO TPLANO_CONTAB_LALUR (BDCODCONTABLALUR, BDCODEMP, BDCODPLANOONLINE) VALUES (9, 1, 2)");
  recusa(tela->edCODCONTABLALUR, "8");
  EXPECT_EQ(Execucoes(), 0);
}

TEST_F(TrocaPlanoTest, RealRunAsksLogsCallsTheEngineAndSwapsIt) {
  Preenche();
  // Before the start and after it: the closed month keeps its chart, April moves to the new one.
  for (auto [chave, data] : std::vector<std::pair<int, const char*>>{{1, "2024-03-20"}, {2, "2024-04-02"}})
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDDEBITO, BDCREDITO,"
                           " BDVALOR) VALUES (1, ?, ?, 1, ?, ?, 10)",
                           {chave, SQLToDate(data), seed::kContaDespesas, seed::kContaFornecedores});
  {  // No to the cash-basis question: only the answer is logged
    TScriptedDialogs d;
    d.Rights(true).Yes(kBackup).No(kRetencoes);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
    std::string log = Log();
    EXPECT_NE(log.find("Mensagem: \"Você está alterando o plano de contabilização para um plano com contabilização das "
                       "retenções por regime de caixa, \ré importante"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Deseja continuar com a troca do plano?\". Resposta: \"Não\""), std::string::npos) << log;
    EXPECT_EQ(log.find("Alteração do plano"), std::string::npos);
    EXPECT_EQ(Execucoes(), 0);
  }
  ProcessContext().WP_RESPONSAVEL = "Chefe";
  TScriptedDialogs d;
  // The company has closed a period: the backup question, and the opening balances to close after.
  d.Rights(true).Yes(kBackup).Yes(kRetencoes).Yes(kFinal).Ok(kSaldosAbertura).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  auto lanc = Db().QueryAll("SELECT BDCODPLAPADRAO, BDDEBITO, BDCREDITO, BDCODTERCEIROC FROM VZEL_EMPRESAS_TLAN"
                            " WHERE BDCODEMP = 1 AND BDORDEMTROCA IS NULL ORDER BY BDCHAVE");
  ASSERT_EQ(lanc.Rows.size(), 1u);
  EXPECT_EQ(lanc.Value(0, "BDCODPLAPADRAO").AsInteger(), 2);
  EXPECT_EQ(lanc.Value(0, "BDDEBITO").AsInteger(), 2);
  EXPECT_EQ(lanc.Value(0, "BDCREDITO").AsInteger(), 1);
  EXPECT_EQ(lanc.Value(0, "BDCODTERCEIROC").AsInteger(), 7);   // the generic participant
  // The closed month's posting made way for the balance implantation on its last day, in the new chart.
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDDATA || ':' || COALESCE(CAST(BDDEBITO AS VARCHAR(9)), '-') || ':' ||"
                            " COALESCE(CAST(BDCREDITO AS VARCHAR(9)), '-') || ':' || COALESCE(BDCODTERCEIROC, 0) || ':' ||"
                            " BDCODPLAPADRAO, ' ') FROM (SELECT * FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND"
                            " BDORDEMTROCA = 1 ORDER BY BDCHAVE)")
                .AsString(),
            "2024-03-31:-:1:7:2 2024-03-31:2:-:0:2");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDDATA = '2024-03-20'").AsInteger(), 1)
      << "the backup keeps it";
  EXPECT_NE(Log().find("Alteração do plano de contabilização 1 (Competência) para o plano 2 (Caixa)."), std::string::npos);
  // The closed month keeps its plan: the change, with the new plan's chart and history plan, starts in
  // April, the month the period shows.
  EXPECT_EQ(tela->edDataInicial->Text(), "04/2024");
  auto run = Db().QueryAll("SELECT BDDATAINI, BDNOMRESP FROM VZEL_EMP_TRECONTABILIZACAO WHERE BDCODEMP = 1");
  ASSERT_EQ(run.Rows.size(), 1u);
  EXPECT_EQ(run.Value(0, "BDDATAINI").AsDateTime(), EncodeDate(2024, 4, 1));
  auto refs = Db().QueryAll("SELECT BDREFEMP, BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST FROM TEMPRESAS_REF"
                            " WHERE BDCODEMP = 1 AND BDREFEMP >= 202403 ORDER BY BDREFEMP");
  ASSERT_EQ(refs.Rows.size(), 2u);
  EXPECT_EQ(refs.Value(0, "BDCODPLANOONLINE").AsInteger(), 1);
  EXPECT_EQ(refs.Value(1, "BDREFEMP").AsInteger(), 202404);
  EXPECT_EQ(refs.Value(1, "BDCODPLANOONLINE").AsInteger(), 2);
  EXPECT_EQ(refs.Value(1, "BDCODPLAPADRAO").AsInteger(), 2);
  EXPECT_EQ(refs.Value(1, "BDCODHIST").AsInteger(), 2);
  EXPECT_FALSE(tela->Motor()->Active());
  EXPECT_EQ(tela->Motor()->Responsavel, "Chefe");

  // A verification afterwards never posts again.
  TScriptedDialogs v;
  v.Ok(kMsgVerificacaoSemInconsistencia);
  tela->RodaProcesso();
  EXPECT_TRUE(v.Done()) << testing::PrintToString(v.Messages());
  EXPECT_FALSE(tela->ExecutaProcesso());
  EXPECT_EQ(Execucoes(), 1);
}

TEST_F(TrocaPlanoTest, DroppedCompanyIsListedWithoutAnEngineCall) {
  Preenche();
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 5, 31)});
  TScriptedDialogs d;
  d.Rights(true).Yes(kBackup).Yes(kRetencoes).Yes(kFinal);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  ASSERT_EQ(tela->Inconsistencias->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias->Itens()[0].Caption, kMsgEmpresaNaoProcessada);
  EXPECT_EQ(d.Calls().back().Kind, TDialogKind::List);
  EXPECT_EQ(Execucoes(), 0);
}

TEST_F(TrocaPlanoTest, OmieCompanyGetsTheNewChartExportedOnlyOnACleanRealRun) {
  TFakeHttpServer omie;
  omie.On("POST", "/api/v1/contador/planocontas/", TFakeResponse(200, "{}"));
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('INTEGRACAO_OMIE_URL', ?)", {omie.BaseURL()});
  Db().Execute("UPDATE TEMPRESAS SET BDOMIE = 'TRUE', BDCHAVEACESSOOMIE = 'k', BDSENHAOMIE = 's' WHERE BDCODEMP = 1");
  Preenche();
  TScriptedDialogs v;
  v.Ok(kMsgVerificacaoSemInconsistencia);
  tela->RodaProcesso();   // no export in a verification
  EXPECT_TRUE(v.Done()) << testing::PrintToString(v.Messages());
  EXPECT_EQ(omie.RequestCount(), 0u);

  TScriptedDialogs d;
  d.Rights(true).Yes(kBackup).Yes(kRetencoes).Yes(kFinal).Ok(kSaldosAbertura).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  for (const auto& i : tela->Inconsistencias->Itens()) EXPECT_EQ(i.Nivel, niInformativo) << i.Caption;
  // The new chart's analytic accounts go to the company's Omie account.
  ASSERT_GT(omie.RequestCount(), 0u);
  EXPECT_NE(omie.LastRequest().Body.find("UpsertContaContabil"), std::string::npos);
}

}  // namespace
}  // namespace integracao
