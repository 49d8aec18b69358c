#include "postingutil/uProcessoRecontabilizacao.h"

#include <gtest/gtest.h>

#include "framework/component/boxed_values.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/string_list.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"
#include "postingutil/uSelecaoRecontabilizacao.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class RecontabilizacaoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ClassRegistry().RegisterClass<TfrSelecaoRecontabilizacao>("TfrSelecaoRecontabilizacao", TClassKind::Screen);
    ProcessContext().UserName = "Ana";
    ProcessContext().WP_RESPONSAVEL = "";
    seed::AddStandardCompany(Db(), 202401);
    tela = MakeForm<TfrProcessoRecontabilizacao>();
  }
  void TearDown() override {
    tela.reset();
    ClassRegistry().UnRegisterClass("TfrSelecaoRecontabilizacao");
    CompanyDatabaseTest::TearDown();
  }
  // A fiscal posting comes from the purchases routine, a payroll one from the normal payroll.
  void Lanca(int emp, int chave, const char* data, int tipo, bool conciliado = false) {
    int rotina = tipo == kTipoLanFiscal ? tprFiscalEntrada : tipo == kTipoLanFolha ? tprFolhaNormal : -1;
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDTIPOLAN, BDCONCC, BDROTINA)"
                           " VALUES (?, ?, ?, 10, ?, ?, NULLIF(?, -1))",
                           {emp, chave, SQLToDate(data), tipo, conciliado ? "TRUE" : "FALSE", rotina});
  }
  int64_t Registros() {
    if (!Db().TableExists("VYN_LOG_EVENTO")) return 0;
    return Db().QueryValue("SELECT COUNT(*) FROM VYN_LOG_EVENTO").AsInteger();
  }
  int64_t Lancamentos(int emp) {
    return Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ?", {emp}).AsInteger();
  }
  void Preenche(const char* ini, const char* fim, std::vector<int> rotinas, std::vector<std::string> captions) {
    tela->edCODEMP->SetText("1");
    tela->edDataInicial->SetText(ini);
    tela->edDataFim->SetText(fim);
    for (int r : rotinas) IncluiTipoProc(tela->FRotinas, r);
    tela->FListaRotinas = std::move(captions);
  }
  static constexpr const char* kConfirma = "Tem certeza que deseja recontabilizar?";
  TFormPtr<TfrProcessoRecontabilizacao> tela;
};

TEST_F(RecontabilizacaoTest, FourObjectsPreFillTheScreenAndOrdinalsAbove63StayOutOfTheSet) {
  TScriptedDialogs d;
  TListaObj lista;
  auto codigos = std::make_unique<TStringList>();
  codigos->Add("1");
  codigos->Add("7");
  lista.AddOwned(std::move(codigos));
  lista.AddBoxedDateTime(EncodeDate(2024, 3, 15));
  lista.AddBoxedDateTime(EncodeDate(2024, 5, 2));
  auto rotinas = std::make_unique<TStringList>();
  rotinas->AddOwnedObject("FI.Lançamento de entrada", std::make_unique<TInteger_Padrao_VYN>(nullptr, 3));
  rotinas->AddOwnedObject("XX.Fora do conjunto", std::make_unique<TInteger_Padrao_VYN>(nullptr, 64));
  lista.AddOwned(std::move(rotinas));
  tela->SetListaObj(lista);

  EXPECT_EQ(tela->edDataInicial->Text(), "03/2024");
  EXPECT_EQ(tela->edDataFim->Text(), "05/2024");
  EXPECT_EQ(tela->edCODEMP->GetSQLMultiSelectString("BDCODEMP"), "BDCODEMP IN (1,7)");
  EXPECT_EQ(tela->FListaRotinas, (std::vector<std::string>{"FI.Lançamento de entrada", "XX.Fora do conjunto"}));
  EXPECT_EQ(tela->FRotinas.count(), 1u);
  EXPECT_TRUE(tela->FRotinas.test(3));

  auto outra = MakeForm<TfrProcessoRecontabilizacao>();
  TListaObj tres;
  tres.AddNil();
  tres.AddNil();
  tres.AddNil();
  outra->SetListaObj(tres);
  EXPECT_TRUE(outra->FListaRotinas.empty());
  EXPECT_FALSE(outra->edCODEMP->MultiSelect());
}

TEST_F(RecontabilizacaoTest, StartChecksStopInOrderWithTheirMessages) {
  {  // no company
    TScriptedDialogs d;
    d.Ok("Empresa não informada!");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // an impossible month typed just before OK, and a start after the end: nothing asked, nothing logged
    Preenche("13/2024", "04/2024", {}, {});
    TScriptedDialogs d;
    d.Ok("\"13/2024\" não é uma data válida");
    tela->spOK->Click();
    tela->edDataInicial->SetText("05/2024");
    d.Ok("O período inicial não pode ser maior que o período final!");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(Registros(), 0);
  }
  {  // a last closing after the start month refuses the single company; inside the month passes
    Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 4, 1)});
    Preenche("03/2024", "04/2024", {}, {});
    TScriptedDialogs d;
    d.Ok(kMsgEmpresaNaoProcessada);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 3, 31)});
  }
  {  // no routines: the question; Yes opens the selection, and the run stops either way
    TScriptedDialogs d;
    d.Yes("Ana, você deve selecionar os dados que serão recontabilizados. Deseja selecionar?");
    bool aberta = false;
    d.Modal("TfrSelecaoRecontabilizacao", [&](TForm_VYN& f) {
      aberta = true;
      f.Close();
    });
    tela->spOK->Click();
    EXPECT_TRUE(aberta);
    EXPECT_TRUE(d.Done());
  }
  tela->FRotinas.set(tprBaixaImpostos);
  tela->FListaRotinas = {"GE.Baixa impostos"};
  {  // rights refused: no question; the engine still gets the responsible user
    ProcessContext().WP_RESPONSAVEL = "Chefe";
    TScriptedDialogs d;
    d.Rights(false);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(tela->Motor()->Responsavel, "Chefe");
  }
  {  // No to the logged question: nothing written
    TScriptedDialogs d;
    d.Rights(true).No(std::string("Ana") + ", ao realizar o processo de recontabilização");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(Registros(), 0);
  }
}

TEST_F(RecontabilizacaoTest, AnEmptyCompanySelectionIsRefusedNotRunForEveryHeadOffice) {
  seed::Company c;
  c.CodEmp = 3;
  c.Nome = "Outra Matriz";
  seed::AddCompany(Db(), c);
  TListaObj lista;   // pre-filled with no company: multi-selection mode, nothing selected
  lista.AddOwned(std::make_unique<TStringList>());
  lista.AddBoxedDateTime(EncodeDate(2024, 3, 1));
  lista.AddBoxedDateTime(EncodeDate(2024, 4, 1));
  auto rotinas = std::make_unique<TStringList>();
  rotinas->AddOwnedObject("GE.Baixa impostos", std::make_unique<TInteger_Padrao_VYN>(nullptr, tprBaixaImpostos));
  lista.AddOwned(std::move(rotinas));
  tela->SetListaObj(lista);
  ASSERT_TRUE(tela->edCODEMP->MultiSelect());
  TScriptedDialogs d;
  d.Ok("Empresa não informada!");
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(d.Messages(), (std::vector<std::string>{"Empresa não informada!"}));
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TRECONTABILIZACAO").AsInteger(), 0);
}

TEST_F(RecontabilizacaoTest, ReconciledPostingsOfTheChosenKindsAreAskedAbout) {
  Lanca(2, 1, "2024-03-01", 100, true);   // the branch's, on the first day of the range
  Lanca(1, 2, "2024-05-01", 200, true);   // a day after the range
  Preenche("03/2024", "04/2024", {tprBaixaImpostos}, {"GE.Baixa impostos"});
  {  // general routines only: no probe, and nothing to post again is no success
    TScriptedDialogs d;
    d.Rights(true).Yes(kConfirma);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
    EXPECT_EQ(d.Calls().back().Kind, TDialogKind::List);
  }
  tela->FRotinas.set(tprFolhaNormal);
  tela->FListaRotinas.push_back("FO.Folha normal");
  {  // payroll only: the reconciled posting lies outside the range
    TScriptedDialogs d;
    d.Rights(true).Yes(kConfirma);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  }
  tela->FRotinas.set(tprFiscalEntrada);
  tela->FListaRotinas.push_back("FI.Lançamento de entrada");
  {  // with fiscal: asked; No cancels and the answer is logged
    TScriptedDialogs d;
    d.Rights(true).Yes(kConfirma).No("Existem lançamentos conciliados").Ok(kMsgProcessoCancelado);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    auto log = Db().QueryAll("SELECT BDTEXTO FROM VYN_LOG_EVENTO");
    ASSERT_EQ(log.Rows.size(), 3u) << testing::PrintToString(log.Rows);   // the two runs before and this attempt
    EXPECT_NE(log.Rows.back()[0].AsString().find("Deseja continuar?  Não"), std::string::npos);
    EXPECT_EQ(Lancamentos(2), 1);
  }
  {  // Yes goes on: the branch's fiscal posting is made again, no longer reconciled
    TScriptedDialogs d;
    d.Rights(true).Yes(kConfirma).Yes("Existem lançamentos conciliados");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_EQ(Db().QueryValue("SELECT BDCHAVE || BDCONCC FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 2").AsString(),
              "2FALSE");
    EXPECT_EQ(Lancamentos(1), 1);
  }
}

TEST_F(RecontabilizacaoTest, RunCallsTheEngineWithTheMonthBoundsAndSwapsIt) {
  Lanca(1, 1, "2024-02-29", 100);
  Lanca(1, 2, "2024-03-01", 100);
  Lanca(1, 3, "2024-04-30", 100);
  Lanca(1, 4, "2024-04-30", 0);
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 3, 10)});
  Preenche("03/2024", "04/2024", {tprFiscalEntrada}, {"FI.Lançamento de entrada"});
  ProcessContext().WP_RESPONSAVEL = "Chefe";
  TScriptedDialogs d;
  d.Rights(true).Yes(kConfirma);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(Lancamentos(1), 4);   // nothing is deleted that cannot be posted again
  // The posting of March 1 lies before the closing of March 10: kept, and listed for attention.
  EXPECT_EQ(tela->Inconsistencias->CountAtencao(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDCHAVE) FROM (SELECT BDCHAVE FROM VZEL_EMPRESAS_TLAN ORDER BY BDCHAVE)")
                .AsString(),
            "1,2,4,5");
  auto run = Db().QueryAll("SELECT BDDATAINI, BDDATAFIN, BDNOMRESP FROM VZEL_EMP_TRECONTABILIZACAO WHERE BDCODEMP = 1");
  ASSERT_EQ(run.Rows.size(), 1u);
  EXPECT_EQ(run.Value(0, "BDDATAINI").AsDateTime(), EncodeDate(2024, 3, 1));
  EXPECT_EQ(run.Value(0, "BDDATAFIN").AsDateTime(), EncodeDate(2024, 4, 30));
  EXPECT_EQ(run.Value(0, "BDNOMRESP").AsString(), "Chefe");
  EXPECT_FALSE(tela->Motor()->Active());   // a fresh engine for the next run
  EXPECT_EQ(tela->Motor()->Responsavel, "Chefe");
  EXPECT_EQ(d.Calls().back().Kind, TDialogKind::List);   // shown at once: no button to reach it later
  EXPECT_FALSE(tela->spInformation24->Enabled());
}

// Without an end period the run goes to the end of the current month, and the plan handed to the
// engine is the company's there, not the one of a month 0.
TEST_F(RecontabilizacaoTest, AnEmptyEndPeriodReadsThePlanAtTheRowsEndMonth) {
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (9, 1, 1)");
  Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO, BDCODHIST, BDCODPLANOONLINE)"
               " VALUES (1, 202405, 'Empresa Modelo Ltda', 1, 1, 9)");
  Lanca(1, 1, "2024-06-10", 100);
  Preenche("03/2024", "", {tprFiscalEntrada}, {"FI.Lançamento de entrada"});
  TScriptedDialogs d;
  d.Rights(true).Yes(kConfirma).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(tela->Inconsistencias->CountErros(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT BDDATAFIN FROM VZEL_EMP_TRECONTABILIZACAO").AsDateTime(), EndOfTheMonth(Today()));
  EXPECT_EQ(Db().QueryValue("SELECT BDCHAVE FROM VZEL_EMPRESAS_TLAN").AsInteger(), 2);   // made again
}

TEST_F(RecontabilizacaoTest, DroppedCompaniesAreListedAndAllDroppedShowsOnlyTheList) {
  seed::Company c;
  c.CodEmp = 3;
  c.Nome = "Outra Matriz";
  seed::AddCompany(Db(), c);
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 3", {EncodeDate(2024, 6, 30)});
  Db().Execute("UPDATE TEMPRESAS SET BDSTATUSEMP = 1 WHERE BDCODEMP = 1");   // a consultation-only copy
  Preenche("03/2024", "04/2024", {tprFiscalEntrada}, {"FI.Lançamento de entrada"});
  tela->edCODEMP->Clear();
  tela->edCODEMP->SetAceitaMultiSelecao(true);
  tela->edCODEMP->AddMultiSelecao("000003", 3);
  tela->edCODEMP->AddMultiSelecao("000001", 1);
  TScriptedDialogs d;
  d.SetListsExpected(true);
  d.Rights(true).Yes(kConfirma).List();
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  // Only the rights, the question and the list: no success or incomplete message.
  std::vector<TDialogKind> tipos;
  for (const auto& c : d.Calls()) tipos.push_back(c.Kind);
  EXPECT_EQ(tipos, (std::vector<TDialogKind>{TDialogKind::Rights, TDialogKind::Message, TDialogKind::List}));
  ASSERT_EQ(d.Messages().size(), 1u);
  EXPECT_EQ(d.Messages()[0].rfind("Ana, ao realizar o processo de recontabilização", 0), 0u);
  ASSERT_EQ(tela->Inconsistencias->CountErros(), 2);
  EXPECT_EQ(tela->Inconsistencias->Grupos(), (std::vector<int>{1, 3}));
  EXPECT_EQ(d.Calls().back().Items.size(), 2u);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TRECONTABILIZACAO").AsInteger(), 0);
}

TEST_F(RecontabilizacaoTest, UnknownCompaniesBranchesAndConsultationOnlyCopiesAreRefusedAndNothingRuns) {
  TScriptedDialogs d;
  tela->edCODEMP->SetFocus();
  tela->edCODEMP->SetText("777");
  EXPECT_THROW(tela->edDataInicial->SetFocus(), EValidationError);
  EXPECT_EQ(tela->edCODEMP->Mensagem(), "Código 777 não encontrado!");
  tela->spOK->Click();   // the edit has told the user: no message, no question, no run
  tela->edCODEMP->SetText("2");   // the branch of company 1
  EXPECT_THROW(tela->edDataInicial->SetFocus(), EValidationError);
  tela->edCODEMP->SetText("1");
  tela->edDataInicial->SetFocus();
  EXPECT_EQ(tela->pnNOMEMP->Caption(), "Empresa Modelo Ltda");

  Db().Execute("UPDATE TEMPRESAS SET BDSTATUSEMP = 1 WHERE BDCODEMP = 1");
  d.Ok("Empresa somente para consulta. Pois a mesma provém do processo de troca do plano de contas!");
  tela->spOK->Click();
  EXPECT_TRUE(d.Done());
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TRECONTABILIZACAO").AsInteger(), 0);
}

}  // namespace
}  // namespace integracao
