#include "postingutil/uProcessoTrocaPlanoContabilizacaoMesmoPlano.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class TrocaMesmoPlanoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    auto& ctx = ProcessContext();
    ctx.UserName = "Ana";
    ctx.WP_RESPONSAVEL = "";
    ctx.WP_USUARIO_INTEGRA_EQUIPE = true;
    ctx.WP_GRUPOMASTER = false;
    ctx.Referencia = 202406;
    seed::AddStandardCompany(Db(), 202401);
    Plano(1, 1, 1, 0);
    Plano(2, 1, 1, 1);
    Plano(3, 2, 1, 0);
    tela = MakeForm<TfrProcessoTrocaPlanoContabilizacaoMesmoPlano>();
  }
  void TearDown() override {
    tela.reset();
    ProcessContext().WP_USUARIO_INTEGRA_EQUIPE = false;
    ProcessContext().Referencia = 0;
    CompanyDatabaseTest::TearDown();
  }
  void Plano(int cod, int chart, int hist, int pcc) {
    Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST, BDREGCONTRETPCC)"
                 " VALUES (?, ?, ?, ?)",
                 {cod, chart, hist, pcc});
  }
  // Company and period typed and left, then the new plan.
  void Preenche(const char* empresa, const char* periodo, int novo) {
    tela->edDataInicial->SetText(periodo);
    tela->edCODEMP->SetFocus();
    tela->edCODEMP->SetText(empresa);
    tela->DefocusControl();
    tela->edCODPLANOONLINE->Vale(novo);
    tela->edCODPLANOONLINE->Validate();
  }
  TFormPtr<TfrProcessoTrocaPlanoContabilizacaoMesmoPlano> tela;
};

TEST_F(TrocaMesmoPlanoTest, PlanInForceFollowsCompanyAndPeriodAndFallsBackOnceToTheWorkstationMonth) {
  TScriptedDialogs d;
  Preenche("1", "03/2024", 2);
  EXPECT_EQ(tela->edCodConfOnlineDe->Codigo(), 1);
  EXPECT_EQ(tela->edCODPLAPADRAODe->Codigo(), 1);
  EXPECT_EQ(tela->edCODHISTDe->Codigo(), 1);
  EXPECT_EQ(tela->edCODPLAPADRAO->Codigo(), 1);
  EXPECT_TRUE(tela->FTiposProcRecontabiliza.count() == 60u);

  // A company registered only after the period and the workstation's month: one retry, plan 0.
  seed::Company c;
  c.CodEmp = 5;
  c.Referencia = 202501;
  c.CodPlanoOnline = 2;
  seed::AddCompany(Db(), c);
  Preenche("5", "03/2024", 2);
  EXPECT_EQ(tela->edDataInicial->Text(), "06/2024");
  EXPECT_EQ(tela->edCodConfOnlineDe->Codigo(), 0);
  EXPECT_TRUE(d.Messages().empty());
}

TEST_F(TrocaMesmoPlanoTest, StartChainRefusesWithItsMessagesAndNothingRuns) {
  {
    TScriptedDialogs d;
    d.Ok("Empresa não informada!");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // another chart: pointed to the other utility's rule
    Preenche("1", "03/2024", 3);
    TScriptedDialogs d;
    d.Ok("deve possuir o mesmo plano de contas e o mesmo plano de histórico");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // the same plan: no mapping plan is ever asked for
    Preenche("1", "03/2024", 1);
    TScriptedDialogs d;
    d.Ok("Ana, a recontabilização deve ser efetuada pelo menu de Utilitários / Recontabilização.");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // a last closing after the start month
    Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 4, 30)});
    Preenche("1", "03/2024", 2);
    TScriptedDialogs d;
    d.Ok(kMsgEmpresaNaoProcessada);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
  }
  {  // a closing recorded on a later register month still covers a start typed inside it
    Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = NULL WHERE BDCODEMP = 1");
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO, BDCODHIST, BDCODPLANOONLINE,"
                 " BDULTENC) VALUES (1, 202405, 'Empresa Modelo Ltda', 1, 1, 1, ?)",
                 {EncodeDate(2024, 4, 30)});
    Preenche("1", "03/2024", 2);
    TScriptedDialogs d;
    d.Ok(kMsgEmpresaNaoProcessada);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    Db().Execute("DELETE FROM TEMPRESAS_REF WHERE BDCODEMP = 1 AND BDREFEMP = 202405");
  }
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VINT_BASE_TINTONLINE").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VINT_EMP_PROCESSOTROCA").AsInteger(), 0);
  {  // outside the services team and the master group: the screen closes
    ProcessContext().WP_USUARIO_INTEGRA_EQUIPE = false;
    tela->Show();
    TScriptedDialogs d;
    d.Ok("Apenas usuário que integra equipe de serviços pode realizar esse processo.");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done());
    EXPECT_TRUE(tela->Closed());
  }
}

TEST_F(TrocaMesmoPlanoTest, NewPlanEmptiedZeroOrUnknownIsRefusedAndTheCompanyStays) {
  auto recusa = [&](const char* texto, const std::string& esperado) {
    Preenche("1", "03/2024", 2);   // a valid plan first: nothing of it may stay
    tela->edCODPLANOONLINE->SetText(texto);
    TScriptedDialogs d;
    d.Ok(esperado);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << texto << " / " << testing::PrintToString(d.Messages());
    tela->edCODPLANOONLINE->SetText("");   // the refusal left the focus there: the user erases it
  };
  recusa("", "Plano de contabilização não informado!");
  recusa("0", "Plano de contabilização não informado!");
  recusa("77", "Código 77 não encontrado!");
  EXPECT_EQ(tela->edCODPLAPADRAO->Codigo(), 0);
  Preenche("1", "03/2024", 2);
  tela->edCODEMP->SetText("99");
  {
    TScriptedDialogs d;
    d.Ok("Código 99 não encontrado!");
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  }
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_REF WHERE BDCODPLANOONLINE <> 1").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VINT_EMP_PROCESSOTROCA").AsInteger(), 0);
}

TEST_F(TrocaMesmoPlanoTest, AStartInTheClosingMonthChangesThePlanOnlyAfterTheClosing) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 3, 31)});
  const int64_t empresas = Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS").AsInteger();
  const int sistema = static_cast<int>(
      Db().QueryValue("SELECT FIRST 1 BDCODSIS FROM TSISTEMA WHERE BDTIPOLANCONTAB > 0 ORDER BY BDCODSIS").AsInteger());
  Db().Execute("INSERT INTO TINICIO_CONTABILIZACAO (BDCODEMP, BDCODSIS, BDDATA, BDAUTOMATICO) VALUES (1, ?, ?, 'FALSE')",
               {sistema, EncodeDate(2024, 6, 1)});
  Preenche("1", "03/2024", 2);
  TScriptedDialogs d;
  d.Rights(true).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  auto refs = Db().QueryAll("SELECT BDREFEMP, BDCODPLANOONLINE FROM TEMPRESAS_REF WHERE BDCODEMP = 1 ORDER BY BDREFEMP");
  ASSERT_EQ(refs.Rows.size(), 2u);
  EXPECT_EQ(refs.Value(0, "BDCODPLANOONLINE").AsInteger(), 1);
  EXPECT_EQ(refs.Value(1, "BDREFEMP").AsInteger(), 202404);
  EXPECT_EQ(refs.Value(1, "BDCODPLANOONLINE").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("SELECT BDDATAINICIAL FROM VINT_EMP_PROCESSOTROCA").AsDateTime(), EncodeDate(2024, 4, 1));
  // The same chart and history plan: no backup company, and the recorded start of posting stays.
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS").AsInteger(), empresas);
  auto inicios = Db().QueryAll("SELECT BDCODEMP, BDDATA, BDAUTOMATICO FROM TINICIO_CONTABILIZACAO");
  ASSERT_EQ(inicios.Rows.size(), 1u);
  EXPECT_EQ(inicios.Value(0, "BDDATA").AsDateTime(), EncodeDate(2024, 6, 1));
  EXPECT_EQ(inicios.Value(0, "BDAUTOMATICO").AsString(), "FALSE");
}

TEST_F(TrocaMesmoPlanoTest, RunMovesThePlanThroughTheAutomaticMappingPlanAndSwapsTheEngine) {
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDDEBITO, BDCREDITO,"
                         " BDVALOR) VALUES (1, 1, ?, 1, 10, 30, 150)",
                         {EncodeDate(2024, 2, 10)});
  Preenche("1", "03/2024", 2);
  ProcessContext().WP_RESPONSAVEL = "Chefe";
  {
    TScriptedDialogs d;
    d.Rights(true).Ok(kMsgProcessoSucesso);
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  }
  // The plan in force from the start month on (the branch too), not before.
  EXPECT_EQ(Db().QueryValue("SELECT BDCODPLANOONLINE FROM TEMPRESAS_REF WHERE BDCODEMP = 1 AND BDREFEMP = 202401")
                .AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDCODPLANOONLINE FROM TEMPRESAS_REF WHERE BDCODEMP = 2 AND BDREFEMP = 202403")
                .AsInteger(), 2);
  auto troca = Db().QueryAll("SELECT T.BDORDEM, T.BDDATAINICIAL, T.BDCODINT, I.BDAUTOMATICO FROM VINT_EMP_PROCESSOTROCA T"
                             " JOIN VINT_BASE_TINTONLINE I ON (I.BDCODINT = T.BDCODINT) WHERE T.BDCODEMP = 1");
  ASSERT_EQ(troca.Rows.size(), 1u);
  EXPECT_EQ(troca.Value(0, "BDDATAINICIAL").AsDateTime(), EncodeDate(2024, 3, 1));
  EXPECT_EQ(troca.Value(0, "BDAUTOMATICO").AsString(), "TRUE");
  EXPECT_EQ(tela->edCODINT->Codigo(), troca.Value(0, "BDCODINT").AsInteger());
  // The balances before and after, per year and account: the credit of February in 2024.
  auto bal = Db().QueryAll("SELECT BDDEPARA, BDSALANT, BDCREDITOS, BDSALATU FROM VINT_EMP_PROCESSOTROCA_BAL"
                           " WHERE BDCODTPLA = 30 AND BDANO = 2024 ORDER BY BDDEPARA");
  ASSERT_EQ(bal.Rows.size(), 2u);
  EXPECT_EQ(bal.Value(1, "BDSALANT").AsCurrency(), Currency::FromInt(0));
  EXPECT_EQ(bal.Value(1, "BDCREDITOS").AsCurrency(), Currency::FromInt(150));
  EXPECT_EQ(bal.Value(1, "BDSALATU").AsCurrency(), Currency::FromInt(-150));
  auto log = Db().QueryAll("SELECT BDTEXTO FROM VYN_LOG_EVENTO");
  ASSERT_GE(log.Rows.size(), 1u);
  EXPECT_NE(log.Rows[0][0].AsString().find(
                "Alteração do plano de contabilização 1 (Competência) para o plano 2 (Caixa)."),
            std::string::npos);
  EXPECT_FALSE(tela->Motor()->Active());
  EXPECT_EQ(tela->Motor()->Responsavel, "Chefe");

  // A second change between the same plans reuses the mapping plan.
  Db().Execute("UPDATE TEMPRESAS_REF SET BDCODPLANOONLINE = 1 WHERE BDCODEMP = 1");
  Preenche("1", "05/2024", 2);
  TScriptedDialogs d;
  d.Rights(true).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VINT_BASE_TINTONLINE").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT MAX(BDORDEM) FROM VINT_EMP_PROCESSOTROCA").AsInteger(), 2);
}

TEST_F(TrocaMesmoPlanoTest, EmptyPeriodStartsAtTheCompanysFirstMonth) {
  Preenche("1", "03/2024", 2);
  tela->edDataInicial->Clear();
  TScriptedDialogs d;
  d.Rights(true).Ok(kMsgProcessoSucesso);
  tela->spOK->Click();
  EXPECT_TRUE(d.Done()) << testing::PrintToString(d.Messages());
  EXPECT_EQ(tela->edDataInicial->Text(), "01/2024");
  EXPECT_EQ(Db().QueryValue("SELECT BDDATAINICIAL FROM VINT_EMP_PROCESSOTROCA").AsDateTime(), EncodeDate(2024, 1, 1));
}

}  // namespace
}  // namespace integracao
