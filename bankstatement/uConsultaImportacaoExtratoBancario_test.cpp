// The statement review on a real company database, with Dyq's loopback fake.
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"

#include "bankstatement/dyq_test_support.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {
namespace {

using namespace vyn;

class RevisaoExtratoTest : public DyqDialogTest {
 protected:
  void SetUp() override {
    DyqDialogTest::SetUp();
    DesregistraModulo(ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, TClassKind::Screen)});
    RegistraModulo(ClassRegistry(), {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, TClassKind::Screen)});
    server.On("POST", "/retornos", [](const TFakeRequest&) { return TFakeResponse(200, "{}"); });
    empresa_ = principal_->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    empresa_->SetText("15");
    conta_ = principal_->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcPlanoContas));
    conta_->SetText("1001");
    linhas_ = TLancamentoMGR::CreateMgr(principal_.get());
    linhas_->SetTableName("");
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDIDWEB", "BDIDEXTRATOWEB"})
      linhas_->AddFieldDef(c, TFieldType::ftInteger);
    linhas_->AddFieldDef("BDDATA", TFieldType::ftDate);
    linhas_->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    linhas_->CreateDataSet();
    for (int i = 1; i <= 3; ++i)
      linhas_->AppendRecord({Variant(15), Variant(i), Variant(1001), Variant(3000 + i), Variant(10 + i), Variant(77),
                             Variant(EncodeDate(2024, 3, i)), Variant(Currency::FromInt(100 * i))});
  }
  void TearDown() override {
    DesregistraModulo(ClassRegistry(), {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, TClassKind::Screen)});
    RegistraModulo(ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, TClassKind::Screen)});
    DyqDialogTest::TearDown();
  }
  TfrConsultaImportacaoExtratoBancario* Abre() {
    TListaObj l;
    l.AddNil();
    l.Add(&inc_);
    l.Add(empresa_);
    l.Add(linhas_);
    l.AddNil();
    l.AddNil();
    l.Add(conta_);
    for (int i = 7; i < 10; ++i) l.AddNil();
    l.AddInteger(3);
    l.AddNil();
    for (int v : {0, 0, 1, 0, 0, 0}) l.AddInteger(v);
    return static_cast<TfrConsultaImportacaoExtratoBancario*>(
        TPackagesUtil::CarregaFormParamsObj(kRevisao, principal_.get(), std::move(l)));
  }
  std::vector<nlohmann::json> Retornos() {
    std::vector<nlohmann::json> r;
    for (const auto& q : server.Requests())
      if (q.Path == "/retornos") r.push_back(nlohmann::json::parse(q.Body));
    return r;
  }
  TInconsistencias_VYN inc_;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TEdit_Codigo_Search_VYN* conta_ = nullptr;
  TLancamentoMGR* linhas_ = nullptr;
};

TEST_F(RevisaoExtratoTest, ImportWritesLinesWithReservedKeysAndReportsEachLineOnce) {
  Db().Execute("insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, 500, '2024-02-01', 1)");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  ASSERT_TRUE(t->DYQ());
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 3);
  // Line 3 is refused with a note: reported as refused, never booked.
  l->Last();
  dialogs.Answer("retornar os extratos", mrNo).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    static_cast<TfrDadosObservacaoDYQStub&>(f).Array->push_back("Lançamento duplicado");
    f.SetModalResult(mrOk);
  });
  t->Delete();
  EXPECT_EQ(l->FieldByName("BDSTATUSWEB").AsInteger(), 2);
  EXPECT_TRUE(Retornos().empty());

  dialogs.Yes("nenhum lançamento foi marcado").Ok("Importação finalizada");
  t->spImportacao->Click();
  auto lanc = Db().QueryAll(
      "select BDCHAVE, BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 15 and BDCHAVE > 500 order by BDCHAVE");
  ASSERT_EQ(lanc.Rows.size(), 2u);
  // Server keys after the company's highest, not the review's 1..n.
  EXPECT_EQ(lanc.Value(0, "BDCHAVE").AsInteger(), 501);
  EXPECT_EQ(lanc.Value(1, "BDCHAVE").AsInteger(), 502);
  EXPECT_EQ(lanc.Value(1, "BDVALOR").AsCurrency(), Currency::FromInt(200));

  auto r = Retornos();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0]["tipoRetorno"], 4);
  EXPECT_EQ(r[0]["documento"]["extratoItemId"], 13);
  EXPECT_EQ(r[0]["documento"]["observacao"], "Lançamento duplicado");
  EXPECT_EQ(r[0]["documento"]["retornadoPor"], "ana.souza");
  EXPECT_EQ(r[1]["tipoRetorno"], 0);
  ASSERT_EQ(r[1]["documento"]["aDado"].size(), 2u);
  EXPECT_EQ(r[1]["documento"]["aDado"][0]["extratoItemId"], 11);
  EXPECT_EQ(r[1]["documento"]["aDado"][0]["integradoPor"], "ana.souza");

  // Closing sends nothing again: every line was reported once.
  t->Close();
  EXPECT_EQ(Retornos().size(), 2u);
}

TEST_F(RevisaoExtratoTest, ClosingWithoutImportReportsNoLineAsIntegrated) {
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->Close();
  EXPECT_TRUE(Retornos().empty());
  EXPECT_TRUE(Db().QueryAll("select BDCHAVE from VZEL_EMPRESAS_TLAN").Rows.empty());
}

}  // namespace
}  // namespace integracao
