#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"

#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class Y570Test : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDAPLIFIN) values (3, 700, 'TRUE')");
    Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDAPLIFIN) values (3, 800, 'FALSE')");
    linhas = TLancamentoMGR::CreateMgr(&dono, false, false, 1, false, true);
    linhas->SetControlMemory(true);
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCREDITO"}) linhas->AddFieldDef(c, TFieldType::ftInteger);
    linhas->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    linhas->CreateDataSet();
    for (int k : {1, 2, 3, 4}) linhas->AppendRecord({15, k, k == 3 ? 800 : (k == 4 ? 0 : 700), Currency::FromInt(k)});
    y570 = TVZEL_EMPRESAS_TLAN_Y570MGR::CreateMgr(&dono, true);
    y.Linhas = linhas;
    y.Inconsistencias = &lista;
  }
  void Refresca() {
    y570->SelectEmpresa(15);
    y.AtualizaY570(y570);
  }
  int Y570s() const {
    int n = 0;
    for (const auto& i : lista.Itens()) n += i.Caption.find(kTextoY570) != std::string::npos;
    return n;
  }
  TScriptedDialogs dialogs;
  TComponent dono;
  TLancamentoMGR* linhas = nullptr;
  TVZEL_EMPRESAS_TLAN_Y570MGR* y570 = nullptr;
  TInconsistencias_VYN lista;
  TY570ConsultaExtratoBancario y;
};

TEST_F(Y570Test, OnlyFinancialApplicationCreditsWithoutDataAreListedAndTheWindowOnlyOnChange) {
  lista.Add_Erro("outra mensagem");
  y.CarregaAplicacoesFinanceiras(3);
  Refresca();
  dialogs.List();
  y.geraInconsistenciaY570();
  EXPECT_EQ(Y570s(), 2);
  EXPECT_NE(lista.Itens().back().Caption.find("Lançamento 2: A conta informada a crédito é de aplicação financeira"),
            std::string::npos);
  // Rebuilt with the same lines: the same count, no window.
  y.geraInconsistenciaY570();
  EXPECT_EQ(lista.Count(), 3);
  // Line 1 gets its data: one line less, the window again.
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ) values (15, 1, 1)");
  Refresca();
  linhas->SetRecNo(3);
  EXPECT_TRUE(y.fTemY570(15, 1));
  EXPECT_FALSE(y.fTemY570(15, 2));
  EXPECT_EQ(y.FY570Aux->MasterFields(), "bdcodemp;bdchave");   // the link is as it was
  EXPECT_FALSE(y.FY570Aux->Filtered());
  dialogs.List();
  y.geraInconsistenciaY570();
  EXPECT_EQ(Y570s(), 1);
  EXPECT_EQ(lista.Count(), 2);
}

TEST_F(Y570Test, WithoutFinancialApplicationAccountsTheListIsLeftAlone) {
  lista.Add_Atencao("Lançamento 9: A conta informada a crédito é de aplicação financeira e os dados do registro Y570 da "
                    "ECF não foram informados. Clique aqui para preenchê-los.");
  y.CarregaAplicacoesFinanceiras(4);
  Refresca();
  y.geraInconsistenciaY570();
  EXPECT_EQ(Y570s(), 1);
}

}  // namespace
}  // namespace integracao
