#include "settlement/uProcessoBaixas.h"

#include <gtest/gtest.h>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/settlement_mgr.h"
#include "framework/data/sql_mgr.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "settlement/settlement_test_support.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;

class TfrConsultaImportacaoLancCCTxt : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrConsultaImportacaoLancCCTxt"; }
};

class ProcessoBaixasTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    entradas_ = EntradasEmMemoria(owner_);
    empresa_ = EditEmpresa1(owner_);
    ASSERT_TRUE(empresa_->Validate());
    list_ = owner_.Create<TInconsistencias_VYN>();
    pb_ = std::make_unique<TProcessoBaixas>(&owner_, entradas_);
    pb_->SetCodEmp(empresa_);
  }

  void Entrada(int chave, int debito, int credito, Currency valor, const char* dcto = "DOC1") {
    entradas_->AppendRecord({1, chave, debito ? Variant(debito) : Variant(), credito ? Variant(credito) : Variant(),
                             Variant(), EncodeDate(2024, 3, 12), valor, dcto});
  }
  void Link(int chave, Currency valor, int chavePai = 0) {
    auto* l = pb_->cdsVINC_EXT_BAN_BAIXA;
    l->Append();
    l->FieldByName("BDCHAVE").SetAsInteger(chave);
    l->FieldByName("BDTIPO_BAIXA").SetAsInteger(tbvParcela);
    l->FieldByName("BDVALOR").SetAsCurrency(valor);
    l->FieldByName("BDCHAVEPAI").SetAsInteger(chavePai);
    l->Post();
  }
  int Inconsistente() { return static_cast<int>(entradas_->FieldByName("BDINCONSISTENTE").AsInteger()); }

  TComponent owner_;
  TLancamentoMGR* entradas_ = nullptr;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TInconsistencias_VYN* list_ = nullptr;
  std::unique_ptr<TProcessoBaixas> pb_;
};

TEST(ChavesDeBaixa, ObligationKeysAndTheAdditionalPartsKey) {
  EXPECT_EQ(ChaveGuia(1, "55"), "1......55..");
  EXPECT_EQ(ChaveCalculo(7, 1, 300), "7.1.....300");
  EXPECT_EQ(ChaveParcela(1, 12, 3, 1), "1...12.3.1");
  EXPECT_EQ(ChaveParcelaLancada(1, 12, "3/4", "5102", 9), "1|12|3/4|5102|9");
  // Links that would read alike run together stay apart.
  EXPECT_NE(ChaveBaixaAdicional(2, 1, 12, 3), ChaveBaixaAdicional(2, 1, 1, 23));
  EXPECT_EQ(ChaveBaixaAdicional(2, 1, 12, 3), ChaveBaixaAdicional(2, 1, 12, 3));
  // A fresh part has no kind yet: it must not pass for one of the real kinds.
  const TBaixaAdicional nova;
  EXPECT_EQ(nova.Tipo, 255);
  EXPECT_EQ(nova.ContaDebito + nova.ContaCredito, 0);
  EXPECT_EQ(nova.Valor, Currency());

  TComponent outro;
  TfrConsultaImportacaoLancCCTxt revisao;
  EXPECT_TRUE(IsTelaRevisaoImportacao(&revisao));
  EXPECT_FALSE(IsTelaRevisaoImportacao(&outro));
  EXPECT_FALSE(IsTelaRevisaoImportacao(nullptr));
}

TEST_F(ProcessoBaixasTest, CallbacksAnswerFromTheEntryAndItsLink) {
  Entrada(1, 0, seed::kContaBanco, R(100));
  EXPECT_EQ(pb_->GetStringDarf("55"), "1......55..");
  EXPECT_EQ(pb_->GetDataPagamento(nullptr), EncodeDate(2024, 3, 12));
  EXPECT_EQ(pb_->GetPlanoOnline(nullptr), 1);
  EXPECT_EQ(pb_->GetContaCredito(nullptr), seed::kContaBanco);
  EXPECT_EQ(pb_->GetNumeroDcto(nullptr), "DOC1");
  pb_->SetChaveConfOnline(5);
  EXPECT_EQ(pb_->GetChaveLancamento(nullptr), 5);
  EXPECT_EQ(pb_->GetChaveOrigem(nullptr), 1);

  Link(1, R(150));
  EXPECT_EQ(pb_->GetValorPgto(nullptr), R(100));
  pb_->cdsVINC_EXT_BAN_BAIXA->Edit();
  pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDVALOR").SetAsCurrency(R(60));
  pb_->cdsVINC_EXT_BAN_BAIXA->Post();
  EXPECT_EQ(pb_->GetValorPgto(nullptr), R(60));
  pb_->SetValorParcial(R(130));
  EXPECT_EQ(pb_->GetValorPgtoParcial(nullptr), R(100));
  pb_->SetValorParcial(Currency::Parse("12.3456"));
  EXPECT_EQ(pb_->GetValorPgtoParcial(nullptr), Currency::Parse("12.3456"));
}

TEST_F(ProcessoBaixasTest, AccountOfASplitLineLinkIsTheStatementAccount) {
  Entrada(1, seed::kContaFornecedores, 0, R(100));
  EXPECT_EQ(pb_->GetContaInteger(*entradas_, "BDDEBITO"), seed::kContaFornecedores);
  EXPECT_EQ(pb_->GetContaInteger(*entradas_, "BDCREDITO"), 0);   // no account edit
  auto* conta = owner_.Create<TEdit_Codigo_Search_VYN>();
  conta->SetText(std::to_string(seed::kContaBanco));
  pb_->SetEditConta(conta);
  Link(1, R(100), 0);
  EXPECT_EQ(pb_->GetContaInteger(*entradas_, "BDCREDITO"), 0);   // a whole line carries its own account
  pb_->cdsVINC_EXT_BAN_BAIXA->Edit();
  pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDCHAVEPAI").SetAsInteger(5);
  pb_->cdsVINC_EXT_BAN_BAIXA->Post();
  EXPECT_EQ(pb_->GetContaInteger(*entradas_, "BDCREDITO"), seed::kContaBanco);
  EXPECT_EQ(pb_->GetContaCredito(nullptr), seed::kContaBanco);
}

TEST_F(ProcessoBaixasTest, SetaNaoImportaFlagsSettledAndWarnedEntries) {
  Entrada(1, 0, seed::kContaBanco, R(100));
  pb_->IniciaContagemErros(list_);
  pb_->SetContaDebCre(true);
  pb_->SetaNaoImporta(list_);
  EXPECT_EQ(Inconsistente(), 1);
  EXPECT_TRUE(entradas_->FieldByName("BDCONCD").AsBoolean());
  EXPECT_FALSE(entradas_->FieldByName("BDCONCC").AsBoolean());

  list_->Add_Atencao(1, "aviso");
  pb_->SetaNaoImporta(list_);
  EXPECT_EQ(Inconsistente(), 4);
  // No new message: a 4 stays and the marks are left alone.
  pb_->SetContaDebCre(false);
  pb_->SetaNaoImporta(list_);
  EXPECT_EQ(Inconsistente(), 4);
  EXPECT_TRUE(entradas_->FieldByName("BDCONCD").AsBoolean());
  EXPECT_EQ(pb_->CountErros(), 1);
}

TEST_F(ProcessoBaixasTest, MessagesOfAnEarlierRunDoNotMarkTheNextRunsFirstEntry) {
  Entrada(1, 0, seed::kContaBanco, R(100));
  Entrada(2, 0, seed::kContaBanco, R(200));
  list_->Add_Atencao(1, "mensagem anterior à baixa");
  // First run: entry 1 gets a warning.
  pb_->IniciaContagemErros(list_);
  ASSERT_TRUE(entradas_->Locate("BDCHAVE", {1}));
  list_->Add_Atencao(1, "configuração ausente");
  pb_->SetaNaoImporta(list_);
  EXPECT_EQ(Inconsistente(), 4);
  // Between runs the screen reports something more; the second run's first entry is still settled.
  list_->Add_Atencao(1, "aviso da tela");
  pb_->IniciaContagemErros(list_);
  ASSERT_TRUE(entradas_->Locate("BDCHAVE", {2}));
  pb_->SetaNaoImporta(list_);
  EXPECT_EQ(Inconsistente(), 1);
}

TEST_F(ProcessoBaixasTest, LargeFileEntriesAreFlaggedInTheirWorkTable) {
  seed::AddLancamentoTemp(Db(), 9, 1, 3, EncodeDate(2024, 3, 1), 0, seed::kContaBanco, R(10), "1", true);
  seed::AddLancamentoTemp(Db(), 9, 1, 4, EncodeDate(2024, 3, 1), 0, seed::kContaBanco, R(20), "2", true);
  auto* huge = TLancamentoMGR::CreateMgr(&owner_);
  huge->SetTableName("");
  huge->CommandText("select BDSESSAO, BDCODEMP, BDCHAVE, BDVALOR from TMP_VZEL_EMPRESAS_TLAN_TEMP order by BDCHAVE");
  huge->SetHugeFile(true);
  huge->SetSessao(9);
  huge->SetWorkTable(TLancamentoMGR::kTabelaTemp);
  pb_->SetDAOImport(huge);
  pb_->IniciaContagemErros(list_);
  pb_->SetContaDebCre(false);
  pb_->SetaNaoImporta(list_);   // key 3 settled
  huge->Next();
  list_->Add_Atencao(1, "aviso");
  pb_->SetaNaoImporta(list_);   // key 4 warned
  auto r = Db().QueryAll("select BDINCONSISTENTE, BDCONCD, BDCONCC from TMP_VZEL_EMPRESAS_TLAN_TEMP order by BDCHAVE");
  EXPECT_EQ(r.Value(0, "BDINCONSISTENTE").AsInteger(), 1);
  EXPECT_EQ(r.Value(0, "BDCONCD").AsString(), "FALSE");
  EXPECT_EQ(r.Value(0, "BDCONCC").AsString(), "TRUE");
  EXPECT_EQ(r.Value(1, "BDINCONSISTENTE").AsInteger(), 4);
  EXPECT_EQ(r.Value(1, "BDCONCC").AsString(), "FALSE");

  // A work-table name is statement text: anything but an identifier is refused before it runs.
  huge->SetWorkTable("TMP_VZEL_EMPRESAS_TLAN_TEMP set BDINCONSISTENTE = 9 --");
  EXPECT_THROW(pb_->SetaNaoImporta(list_), EDataSetError);
  Link(4, R(20));
  EXPECT_THROW(pb_->GetVinculoBaixa(&owner_, empresa_, list_, huge), EDataSetError);
  EXPECT_EQ(Db().QueryValue("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDINCONSISTENTE = 9").AsInteger(), 0);
}

TEST_F(ProcessoBaixasTest, PaidGuidesAreSettledFromTheRecordWithOneManagerAndOneCompanyEdit) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddGuia(Db(), 1, 56, R(70));
  Entrada(1, 0, seed::kContaBanco, R(100));
  TComponent integracao;
  TBloqueioLancamento_VYN bloqueio(&integracao);
  bloqueio.SetInconsistencias(list_);
  TProcessoBaixas pb(&integracao, nullptr);
  TDadosBaixaImposto d;
  d.CodigoEmpresa = 1;
  d.DataPagamento = EncodeDate(2024, 2, 20);
  d.PlanoOnline = 1;
  d.ChaveConfOnline = 1;
  d.ContaContabilCredito = seed::kContaCaixa;
  d.NumeroDocumento = "DARF55";
  d.CodigoDarf = "55";
  pb.RealizaBaixaImposto(&integracao, d, &bloqueio);
  d.CodigoDarf = "56";
  d.NumeroDocumento = "DARF56";
  pb.RealizaBaixaImposto(&integracao, d, &bloqueio);
  d.CodigoDarf = "57";   // no such guide
  pb.RealizaBaixaImposto(&integracao, d, &bloqueio);
  EXPECT_EQ(list_->Count(), 1);

  auto l = Db().QueryAll("select BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO from VZEL_EMPRESAS_TLAN order by BDCHAVE");
  ASSERT_EQ(l.Rows.size(), 2u);
  EXPECT_EQ(l.Value(0, "BDDATA").AsDateTime(), EncodeDate(2024, 2, 20));
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaCaixa);
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(500));
  EXPECT_EQ(l.Value(1, "BDDCTO").AsString(), "DARF56");
  int managers = 0, edits = 0;
  for (TComponent* c : integracao.Components()) {
    managers += c->ClassName() == "TDARFGERPGTOMGR";
    edits += c->ClassName() == "TEdit_Codigo_Search_VYN";
  }
  EXPECT_EQ(managers, 1);
  EXPECT_EQ(edits, 1);
  // Record mode holds until a posting run starts: the entry row is not consulted.
  pb.SetDAOImport(entradas_);
  EXPECT_EQ(pb.GetDataPagamento(nullptr), EncodeDate(2024, 2, 20));
  EXPECT_EQ(pb.GetContaCredito(nullptr), seed::kContaCaixa);
}

TEST_F(ProcessoBaixasTest, OpenInstallmentQueryOfTheFourBooksRunsOnTheSchema) {
  // Columns named without a table in the books' union must belong to one table per branch, with and
  // without the date and the document number.
  seed::AddDocumentoFiscal(Db(), 3, 1, 30, 42, EncodeDate(2024, 3, 1), R(10), {{1, R(10), TDateTime(), 0}}, 1);
  seed::AddDocumentoFiscal(Db(), 2, 1, 31, 43, EncodeDate(2024, 3, 1), R(10), {{1, R(10), TDateTime(), 0}}, 0);
  seed::AddDocumentoFiscal(Db(), 0, 1, 32, 44, EncodeDate(2024, 3, 1), R(20), {{1, R(20), TDateTime(), 0}});
  for (bool data : {true, false})
    for (bool doc : {true, false}) {
      ASSERT_TRUE(pb_->BuscaLancamentosFiscal(&owner_, 1, data, doc)) << data << doc;
      TSQLMGR& l = *pb_->DAOLancamentosFiscais();
      l.CancelRange();
      ASSERT_EQ(l.RecordCount(), 3) << data << doc;
      ASSERT_TRUE(l.Locate("BDCHAVE", {31}));
      EXPECT_EQ(l.FieldByName("BDNATUREZA").AsInteger(), 0);
      ASSERT_TRUE(l.Locate("BDCHAVE", {30}));
      EXPECT_EQ(l.FieldByName("BDNATUREZA").AsInteger(), 1);
      EXPECT_EQ(l.FieldByName("BDNUMDOC").AsInteger(), doc ? 42 : 0) << data;
    }
}

}  // namespace
}  // namespace integracao
