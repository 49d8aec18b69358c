#include "framework/accounting/consulta_codigos_lancamento.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/form.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

struct TfrCodigos : TForm_VYN {
  using TForm_VYN::TForm_VYN;
  TEdit_Codigo_Search_VYN* edCODEMP = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  TPanel* pnNOMEMP = Create<TPanel>();
  TEdit_Codigo_Search_VYN* edCodigo = Create<TEdit_Codigo_Search_VYN>();
  TEdit_String_Padrao* edOutro = Create<TEdit_String_Padrao>();
};

// Company 1 (head office, chart 1, history plan 1, posting plan 1 from January) and its branch 2;
// from June company 1 is renamed and posts with plan 2.
class ConsultaCodigosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCNPJEMP, BDCODPLAPADRAO, BDCODHIST, "
                 "BDCODPLANOONLINE) VALUES (1, 202406, 'Empresa Modelo S.A.', '11222333000181', 1, 1, 2)");
    f_ = MakeForm<TfrCodigos>();
    PreparaEditEmpresa(*f_->edCODEMP, *f_->pnNOMEMP);
    f_->edCodigo->EditsMaster = {f_->edCODEMP};
  }
  void TearDown() override {
    f_.reset();
    TPublicas::SetReferencia(0);
    CompanyDatabaseTest::TearDown();
  }
  // Types the code into the edit of the kind and leaves it, as a user does; the edit's message when
  // it was refused, else "".
  std::string Digita(TEdit_Codigo_Search_VYN& ed, int tipo, int64_t code) {
    ed.SetTypeCodeVYN(tipo);
    ed.SetFocus();
    ed.Vale(code);
    try {
      f_->edOutro->SetFocus();
    } catch (const EValidationError&) {
      return ed.Mensagem();
    }
    return "";
  }
  std::string Codigo(int tipo, int64_t code) { return Digita(*f_->edCodigo, tipo, code); }

  TFormPtr<TfrCodigos> f_;
};

TEST_F(ConsultaCodigosTest, ACompanyIsItsDataAtTheReferenceMonthAndAnUnknownOneIsRefusedOnLeavingTheEdit) {
  auto& emp = *f_->edCODEMP;
  TPublicas::SetReferencia(202403);
  EXPECT_EQ(Digita(emp, tcEmpresas, 1), "");
  EXPECT_EQ(f_->pnNOMEMP->Caption(), "Empresa Modelo Ltda");
  ASSERT_NE(emp.GetDaoFactory(), nullptr);
  EXPECT_EQ(emp.GetDaoFactory()->Campo("BDCODPLANOONLINE").AsInteger(), 1);
  EXPECT_EQ(emp.GetDaoFactory()->Campo("BDCNPJEMP").AsString(), "11222333000181");
  EXPECT_EQ(emp.GetCodPlanoEmpresa(tpePlanoOnline), 1);
  EXPECT_EQ(emp.GetCodPlanoEmpresa(tpePlanoContas), 1);

  TPublicas::SetReferencia(202407);
  EXPECT_EQ(emp.GetCodPlanoEmpresa(tpePlanoOnline), 2);
  emp.SetFocus();
  emp.SetText("");
  EXPECT_EQ(Digita(emp, tcEmpresas, 1), "");
  EXPECT_EQ(f_->pnNOMEMP->Caption(), "Empresa Modelo S.A.");
  EXPECT_EQ(emp.GetDaoFactory()->Campo("BDREFEMP").AsInteger(), 202406);

  EXPECT_EQ(Digita(emp, tcEmpresas, 777), "Código 777 não encontrado!");
  EXPECT_TRUE(emp.Focused());
  EXPECT_EQ(emp.GetDaoFactory(), nullptr);
  EXPECT_EQ(f_->pnNOMEMP->Caption(), "");
  EXPECT_EQ(emp.GetCodPlanoEmpresa(tpePlanoOnline), 0);
}

TEST_F(ConsultaCodigosTest, HeadOfficeOmieAndConsultationOnlyRulesComeFromTheCompanyRow) {
  auto& emp = *f_->edCODEMP;
  EXPECT_EQ(Digita(emp, tcEmpresasMatriz, 1), "");
  EXPECT_EQ(Digita(emp, tcEmpresasMatriz, 2), "Código 2 não encontrado!");   // a branch
  emp.Vale(1);
  EXPECT_EQ(Digita(emp, tcEmpresas, 2), "");
  EXPECT_EQ(emp.GetDaoFactory()->Campo("BDCODMATRIZ").AsInteger(), 1);

  EXPECT_EQ(Digita(emp, tcEmpresasOmie, 1), "Código 1 não encontrado!");
  Db().Execute("UPDATE TEMPRESAS SET BDOMIE = 'TRUE', BDSTATUSEMP = 1 WHERE BDCODEMP = 1");
  EXPECT_EQ(Digita(emp, tcEmpresasOmie, 1), "");
  // The screens refuse a consultation-only copy by the record's status.
  EXPECT_EQ(emp.GetDaoFactory()->Campo("BDSTATUSEMP").AsInteger(), 1);
}

TEST_F(ConsultaCodigosTest, AccountsAndHistoriesAreThoseOfTheMasterCompanysPlans) {
  seed::Company outra;
  outra.CodEmp = 3;
  outra.Nome = "Outra Ltda";
  outra.CodPlaPadrao = 2;
  outra.CodHist = 2;
  seed::AddCompany(Db(), outra);
  Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDNOMCTA, BDTIPCTA) VALUES (2, 99, 'Conta 99', 'A')");
  f_->edCODEMP->Vale(1);
  EXPECT_EQ(Codigo(tcContasPlanoContas, seed::kContaCaixa), "");
  EXPECT_EQ(f_->edCodigo->GetDaoFactory()->Nome, "Caixa");
  EXPECT_EQ(Codigo(tcContasPlanoContas, 99), "Código 99 não encontrado!");
  EXPECT_EQ(Codigo(tcContasPlanoContas, seed::kContaAtivo), "");
  EXPECT_EQ(Codigo(tcContasPlanoContasAnalitica, seed::kContaAtivo), "Código 1 não encontrado!");   // synthetic
  EXPECT_EQ(Codigo(tcHistoricos, seed::kHistJuros), "");
  EXPECT_EQ(f_->edCodigo->GetDaoFactory()->Nome, "Juros sobre pagamento");

  f_->edCODEMP->Vale(3);
  EXPECT_EQ(Codigo(tcContasPlanoContas, 99), "");
  EXPECT_EQ(Codigo(tcContasPlanoContas, seed::kContaCaixa), "Código 10 não encontrado!");
  EXPECT_EQ(Codigo(tcHistoricos, seed::kHistJuros), "Código 3 não encontrado!");
}

TEST_F(ConsultaCodigosTest, RegistersAreLookedUpInTheirTablesAndKindsKeptElsewhereAreTakenAsTyped) {
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDDESCRICAO, BDCODPLAPADRAO, BDCODHIST) "
               "VALUES (1, 'Plano padrão', 1, 1)");
  Db().Execute("INSERT INTO MOEDAS_TPLANO (BDCODMOEDAS, BDNOMMOE) VALUES (220, 'Dólar')");
  Db().Execute("INSERT INTO TTERCEIRO (BDCODTER, BDCGCTER, BDNOMETER) VALUES (5, '1', 'Fornecedor A')");
  Db().Execute("INSERT INTO TGERADOR_IMPORTACAO_SOCIOS (BDCODGERADOR, BDMODELO) VALUES (4, 'Planilha de sócios')");
  Db().Execute("INSERT INTO TYRK_TRELATORIOS (BDCHAVE, BDDESCRICAO) VALUES (8, 'Guias')");
  Db().Execute("INSERT INTO TCONFIG_IMP_PDF (BDCODCONFIG, BDCODBAN) VALUES (1, 341)");
  Db().Execute("INSERT INTO TIDIOMAS (BDCODIDIOMA, BDDESCRICAO) VALUES (12, 'Inglês')");
  const struct {
    int tipo;
    int64_t code;
    const char* nome;
  } achados[] = {{tcConfOnline, 1, "Plano padrão"}, {tcPlanoMoedas, 220, "Dólar"},
                 {tcParticipanteDebito, 5, "Fornecedor A"}, {tcGeradorImportacaoSocios, 4, "Planilha de sócios"},
                 {tcYRKRelatorios, 8, "Guias"}, {tcBancosPDF, 341, ""}, {tcPlanoContas, 1, ""}, {tcIdiomas, 12, "Inglês"}};
  for (const auto& a : achados) {
    EXPECT_EQ(Codigo(a.tipo, a.code), "") << a.tipo;
    ASSERT_NE(f_->edCodigo->GetDaoFactory(), nullptr) << a.tipo;
    EXPECT_EQ(f_->edCodigo->GetDaoFactory()->Nome, a.nome) << a.tipo;
    EXPECT_EQ(Codigo(a.tipo, 9999), "Código 9999 não encontrado!") << a.tipo;
  }
  EXPECT_EQ(Codigo(tcPlanoFormula, 9999), "");
  // A register's new code is taken without a record.
  f_->edCodigo->AceitaNaoCadastrado = true;
  EXPECT_EQ(Codigo(tcGeradorImportacaoSocios, 9999), "");
  EXPECT_EQ(f_->edCodigo->GetDaoFactory(), nullptr);
}

}  // namespace
}  // namespace vyn
