#include <gtest/gtest.h>

#include <vector>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/publicas.h"
#include "framework/ui/inconsistencias.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;

TDateTime Mar(int dia) { return EncodeDate(2024, 3, dia); }

class TfrConsultaImportacaoLancCCTxtHuge : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrConsultaImportacaoLancCCTxtHuge"; }
};

class VinculosAutomaticosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    lanc_ = TLancamentoMGR::CreateMgr(&owner_);
    lanc_->SetTableName("");
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDINCONSISTENTE", "BDTEMCOMPROVANTE"})
      lanc_->AddFieldDef(c, TFieldType::ftInteger);
    lanc_->AddFieldDef("BDDATA", TFieldType::ftDate);
    for (const char* c : {"BDVALOR", "BDVALORPAGO", "BDVALORORIGINAL", "BDJUROS", "BDMULTAS", "BDDESCONTOS"})
      lanc_->AddFieldDef(c, TFieldType::ftCurrency);
    lanc_->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
    lanc_->AddFieldDef("BDCNPJ", TFieldType::ftString, 20);
    for (const char* c : {"BDVINC_BAIXA", "BDCONCD", "BDCONCC"}) lanc_->AddFieldDef(c, TFieldType::ftBoolean);
    lanc_->CreateDataSet();
    pb_ = std::make_unique<TProcessoBaixas>(&owner_, lanc_);
    empresa_ = owner_.Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    empresa_->SetText("1");
  }

  // An entry paying (no debit account) or, with debito, receiving; pago is the receipt's amount.
  void Entrada(int chave, TDateTime data, Currency valor, const std::string& dcto = "", int debito = 0,
               Currency pago = Currency(), const std::string& cnpj = "") {
    lanc_->Append();
    lanc_->FieldByName("BDCODEMP").SetAsInteger(1);
    lanc_->FieldByName("BDCHAVE").SetAsInteger(chave);
    if (debito) lanc_->FieldByName("BDDEBITO").SetAsInteger(debito);
    lanc_->FieldByName("BDCREDITO").SetAsInteger(seed::kContaBanco);
    lanc_->FieldByName("BDDATA").SetAsDateTime(data);
    lanc_->FieldByName("BDVALOR").SetAsCurrency(valor);
    lanc_->FieldByName("BDDCTO").SetAsString(dcto);
    lanc_->FieldByName("BDVINC_BAIXA").SetAsBoolean(false);
    lanc_->FieldByName("BDTEMCOMPROVANTE").SetAsInteger(pago.IsZero() ? 0 : 1);
    lanc_->FieldByName("BDVALORPAGO").SetAsCurrency(pago);
    lanc_->FieldByName("BDVALORORIGINAL").SetAsCurrency(pago - R(5));
    lanc_->FieldByName("BDJUROS").SetAsCurrency(R(5));
    lanc_->FieldByName("BDCNPJ").SetAsString(cnpj);
    lanc_->Post();
  }
  // A purchase (book 0) dated March 1st with one installment.
  void Compra(int chave, Currency valor, TDateTime vencto, int numDoc = 0, TDateTime data = Mar(1), int codTer = 0) {
    seed::AddDocumentoFiscal(Db(), 0, 1, chave, numDoc, data, valor, {{1, valor, vencto, codTer}});
  }
  void Auto(bool doc = false, bool zeroEsq = true, bool distinguir = false, bool comprovantes = false) {
    pb_->GetVinculosAutomaticos(&owner_, lanc_, 1, doc, zeroEsq, distinguir, comprovantes, nullptr);
  }
  bool Vinculada(int chave) {
    EXPECT_TRUE(lanc_->Locate("BDCHAVE", {chave}));
    return lanc_->FieldByName("BDVINC_BAIXA").AsBoolean();
  }
  void Link(TClientDataSet* l, int chave, bool automatico, int chaveLanc = 0) {
    l->Append();
    l->FieldByName("BDCHAVE").SetAsInteger(chave);
    l->FieldByName("BDAUTOMATICO").SetAsBoolean(automatico);
    if (chaveLanc) l->FieldByName("BDCHAVELANC").SetAsInteger(chaveLanc);
    l->Post();
  }
  // A large-file review's entries: the session's staged rows (keys long enough that 3,000 of them
  // would not fit one statement).
  static constexpr int kGrande = 1000000;
  TLancamentoMGR* ArquivoGrande(TComponent* dono, int n, bool vinculado) {
    for (int i = 1; i <= n; ++i)
      seed::AddLancamentoTemp(Db(), 9, 1, kGrande + i, Mar(12), 0, seed::kContaBanco, R(i), "", vinculado);
    auto* dao = TLancamentoMGR::CreateMgr(dono);
    dao->SetHugeFile(true);
    dao->SetSessao(9);
    dao->SetWorkTable(TLancamentoMGR::kTabelaTemp);
    dao->CommandText("select * from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9 order by BDCHAVE");
    return dao;
  }
  int64_t Contar(const std::string& where) {
    return Db().QueryValue("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where " + where).AsInteger();
  }

  TComponent owner_;
  TLancamentoMGR* lanc_ = nullptr;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  std::unique_ptr<TProcessoBaixas> pb_;
};

TEST_F(VinculosAutomaticosTest, OpenInstallmentsOfEveryBook) {
  seed::AddTerceiro(Db(), 7, "11222333000181");
  seed::AddDocumentoFiscal(Db(), 0, 1, 1, 42, Mar(1), R(150), {{1, R(100), Mar(10), 7}, {2, R(50), Mar(20), 7}});
  seed::AddPagamentoParcela(Db(), 0, 1, 1, 2, R(50), Mar(5));
  seed::AddDocumentoFiscal(Db(), 1, 1, 2, 43, Mar(2), R(200), {{1, R(200), Mar(10)}});
  seed::AddDocumentoFiscal(Db(), 2, 1, 3, 44, Mar(3), R(300), {{1, R(300), Mar(10)}}, 0);
  seed::AddDocumentoFiscal(Db(), 2, 1, 4, 45, Mar(3), R(310), {{1, R(310), Mar(10)}}, 1);
  seed::AddDocumentoFiscal(Db(), 3, 1, 5, 46, Mar(4), R(400), {{1, R(400), Mar(10)}}, 1);
  seed::AddDocumentoFiscal(Db(), 3, 1, 6, 47, Mar(4), R(410), {{1, R(410), Mar(10)}}, 0);
  seed::AddDocumentoFiscal(Db(), 0, 2, 8, 48, Mar(4), R(500), {{1, R(500), Mar(10)}});

  ASSERT_TRUE(pb_->BuscaLancamentosFiscal(&owner_, 1, true, true));
  TSQLMGR& l = *pb_->DAOLancamentosFiscais();
  l.CancelRange();
  EXPECT_EQ(l.RecordCount(), 6);   // the paid installment and the other company's are out
  const std::pair<int, int> natureza[] = {{1, 1}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 0}};
  for (auto [chave, nat] : natureza) {
    ASSERT_TRUE(l.Locate("BDCHAVE", {chave}));
    EXPECT_EQ(l.FieldByName("BDNATUREZA").AsInteger(), nat) << chave;
    EXPECT_EQ(l.FieldByName("BDNUMDOC").AsInteger(), 41 + chave) << chave;
  }
  ASSERT_TRUE(l.Locate("BDCHAVE", {1}));
  EXPECT_EQ(l.FieldByName("BDCGCTER").AsString(), "11222333000181");

  // The document number without its date still joins the document table.
  ASSERT_TRUE(pb_->BuscaLancamentosFiscal(&owner_, 1, false, true));
  ASSERT_TRUE(pb_->DAOLancamentosFiscais()->Locate("BDCHAVE", {1}));
  EXPECT_EQ(pb_->DAOLancamentosFiscais()->FieldByName("BDNUMDOC").AsInteger(), 42);
  EXPECT_FALSE(pb_->BuscaLancamentosFiscal(&owner_, 3, true, false));
}

TEST_F(VinculosAutomaticosTest, EqualValuesAreToldApartOnlyByADueDateWithinTwoDays) {
  Compra(1, R(100), Mar(10));
  Compra(2, R(90), Mar(10), 0, Mar(20));   // dated after its entry
  Entrada(1, Mar(12), R(100));
  Entrada(2, Mar(13), R(100));
  Entrada(3, Mar(15), R(90));
  lanc_->SetRecNo(2);
  Auto();
  EXPECT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->IsEmpty());
  EXPECT_EQ(lanc_->RecNo(), 2);

  Auto(false, true, true);
  EXPECT_TRUE(Vinculada(1));
  EXPECT_FALSE(Vinculada(2));
  EXPECT_FALSE(Vinculada(3));
  TClientDataSet& l = *pb_->cdsVINC_EXT_BAN_BAIXA;
  ASSERT_EQ(l.RecordCount(), 1);
  EXPECT_EQ(l.FieldByName("BDBAIXA_ID").AsInteger(), 1);
  EXPECT_EQ(l.FieldByName("BDVALOR").AsCurrency(), R(100));
  EXPECT_TRUE(l.FieldByName("BDAUTOMATICO").AsBoolean());
  Auto(false, true, true);   // a second run adds nothing
  EXPECT_EQ(l.RecordCount(), 1);
}

// Two equal entries within two days of one installment's due date are both linked; posting settles
// the installment once and refuses the second entry's link.
TEST_F(VinculosAutomaticosTest, TwoEntriesAutoLinkedToOneInstallmentSettleItOnce) {
  seed::AddStandardCompany(Db(), 202401);
  TPublicas::SetReferencia(202401);
  ASSERT_TRUE(empresa_->Validate());
  Compra(1, R(100), Mar(10));
  Entrada(1, Mar(11), R(100));
  Entrada(2, Mar(12), R(100));
  Auto(false, true, true);
  ASSERT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 2);
  auto* list = owner_.Create<TInconsistencias_VYN>();

  pb_->GetVinculoBaixa(&owner_, empresa_, list, lanc_);

  auto p = Db().QueryAll("select BDVALORPGTO, BDCHAVEORIGEM from VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(100));
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 1);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_NE(list->Itens()[0].Caption.find("já está quitada"), std::string::npos) << list->Itens()[0].Caption;
  const int64_t paga = p.Value(0, "BDCHAVEORIGEM").AsInteger();
  for (int k : {1, 2}) {
    ASSERT_TRUE(lanc_->Locate("BDCHAVE", {k}));
    EXPECT_EQ(lanc_->FieldByName("BDINCONSISTENTE").AsInteger(), k == paga ? 1 : 4) << k;
  }
}

TEST_F(VinculosAutomaticosTest, DocumentsCompareWithoutLeadingZerosOnlyWhenAsked) {
  Compra(1, R(75), Mar(10), 42);
  Entrada(1, Mar(12), R(75), "00042");
  Auto(true, true);
  EXPECT_FALSE(Vinculada(1));
  Auto(true, false);
  EXPECT_TRUE(Vinculada(1));
  EXPECT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDNUMDOCINI").AsString(), "00042");

  // "00042" and "42" are one document once the zeros go: neither entry is unique any more.
  pb_->DeletarVinculosAutomaticos(&owner_, empresa_, lanc_);
  Entrada(2, Mar(12), R(75), "42");
  Entrada(3, Mar(12), R(75), "NF42");
  Auto(true, false);
  EXPECT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->IsEmpty());
}

TEST_F(VinculosAutomaticosTest, AnErrorRestoresTheRowAndTheImportedEntries) {
  Compra(1, R(10), Mar(10));
  Compra(2, R(20), Mar(10));
  Entrada(1, Mar(10), R(10));
  Entrada(2, Mar(10), R(20));
  Entrada(3, Mar(10), R(30));
  lanc_->BeforePost = [](TClientDataSet& ds) {
    if (ds.FieldByName("BDCHAVE").AsInteger() == 2) throw EDataSetError("falha ao gravar");
  };
  pb_->SetDAOImport(nullptr);
  lanc_->SetRecNo(3);
  EXPECT_THROW(Auto(), EDataSetError);
  EXPECT_EQ(pb_->DAOImport(), nullptr);
  EXPECT_EQ(lanc_->RecNo(), 3);
  lanc_->BeforePost = nullptr;
  EXPECT_TRUE(Vinculada(1));   // links made before the error stay
}

// A receipt names whom it paid: only that participant's installment, due within two days, is linked;
// another's due the same day is not, and the line is noted for the user. Without a registry number
// the due day alone decides.
TEST_F(VinculosAutomaticosTest, ReceiptsSettleOnlyTheirOwnParticipantsInstallmentNearTheDueDay) {
  seed::AddTerceiro(Db(), 7, "11222333000181");
  Compra(1, R(110), Mar(10), 0, Mar(1), 7);
  Compra(2, R(120), Mar(10), 0, Mar(1), 7);
  Compra(3, R(130), Mar(10), 0, Mar(1), 7);
  Compra(4, R(140), Mar(10), 0, Mar(1), 7);
  Compra(5, R(150), Mar(10));
  Entrada(1, Mar(10), R(110));                                             // no receipt attached
  Entrada(2, Mar(10), R(120), "", 0, R(120), "99888777000166");            // same day, other CNPJ
  Entrada(3, Mar(11), R(130), "", 0, R(130), "99888777000166");            // a day off, other CNPJ
  Entrada(4, Mar(11), R(140), "", 0, R(140), "11.222.333/0001-81");        // a day off, its CNPJ
  Entrada(5, Mar(10), R(150), "", seed::kContaFornecedores, R(150));       // both accounts
  Auto(false, true, true, true);
  EXPECT_FALSE(Vinculada(1));
  EXPECT_FALSE(Vinculada(2));
  EXPECT_FALSE(Vinculada(3));
  EXPECT_TRUE(Vinculada(4));
  EXPECT_TRUE(Vinculada(5));   // not a receivable: tried again as a payable
  EXPECT_EQ(pb_->RecibosDeOutroFornecedor(), std::vector<int64_t>{2});
  TClientDataSet& l = *pb_->cdsVINC_EXT_BAN_COMP_BAIXA;
  EXPECT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->IsEmpty());
  ASSERT_TRUE(l.Locate("BDCHAVE", {4}));
  EXPECT_EQ(l.FieldByName("BDVALOR").AsCurrency(), R(140));
  EXPECT_EQ(l.FieldByName("BDJUROS").AsCurrency(), R(5));

  // Two open installments of the value: the due-date scan links with the original amount.
  Compra(6, R(160), Mar(10));
  Compra(7, R(160), Mar(20));
  Entrada(6, Mar(20), R(160), "", 0, R(160));
  Auto(false, true, true, true);
  EXPECT_EQ(pb_->RecibosDeOutroFornecedor(), std::vector<int64_t>{2});   // each run tells what it left
  ASSERT_TRUE(l.Locate("BDCHAVE", {6}));
  EXPECT_EQ(l.FieldByName("BDBAIXA_ID").AsInteger(), 7);
  EXPECT_EQ(l.FieldByName("BDVALOR").AsCurrency(), R(155));
}

TEST_F(VinculosAutomaticosTest, LargeFileLinksAreFlaggedInTheWorkTable) {
  TfrConsultaImportacaoLancCCTxtHuge tela;
  TLancamentoMGR* dao = ArquivoGrande(&tela, 3, false);
  Compra(1, R(2), Mar(10));
  pb_->GetVinculosAutomaticos(&tela, dao, 1, false, true, false, false, nullptr);
  EXPECT_EQ(Contar("BDVINC_BAIXA = 'TRUE'"), 1);
  EXPECT_EQ(pb_->DAOImport(), lanc_);
  ASSERT_TRUE(dao->Locate("BDCHAVE", {kGrande + 2}));   // re-opened with its flags
  EXPECT_TRUE(dao->FieldByName("BDVINC_BAIXA").AsBoolean());
}

TEST_F(VinculosAutomaticosTest, AWholeLineLinkReplacesTheSplitLinesButASplitLineLinkDoesNot) {
  Entrada(1, Mar(10), R(10));
  TClientDataSet* multi = lanc_->getMultiLancamentosDAO();
  multi->AppendRecord({1, 1, 11, 1});
  multi->AppendRecord({1, 1, 12, 1});
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, 1, false, 11);
  EXPECT_EQ(multi->RecordCount(), 2);
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, 1, false);
  EXPECT_EQ(multi->RecordCount(), 0);
}

TEST_F(VinculosAutomaticosTest, RemovalKeepsManualLinksInMemoryAndInTheWorkTable) {
  for (int i = 1; i <= 3000; ++i) {
    Entrada(i, Mar(10), R(i));
    Link(pb_->cdsVINC_EXT_BAN_BAIXA, i, true);
  }
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, 99999, true);   // its entry is gone
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, 7, false);      // a manual link on an entry also linked automatically
  for (lanc_->First(); !lanc_->Eof(); lanc_->Next()) {
    lanc_->Edit();
    lanc_->FieldByName("BDVINC_BAIXA").SetAsBoolean(true);
    lanc_->Post();
  }
  pb_->DeletarVinculosAutomaticos(&owner_, empresa_, lanc_);
  EXPECT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 1);
  EXPECT_FALSE(Vinculada(2999));
  EXPECT_TRUE(Vinculada(7));

  TComponent tela;
  TLancamentoMGR* dao = ArquivoGrande(&tela, 3000, true);
  for (int i = 1; i <= 3000; ++i) Link(pb_->cdsVINC_EXT_BAN_BAIXA, kGrande + i, true);
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, kGrande + 7, false);
  pb_->DeletarVinculosAutomaticos(&tela, empresa_, dao);
  EXPECT_EQ(Contar("BDVINC_BAIXA = 'TRUE'"), 1);   // entry 7 keeps its manual link
  EXPECT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 2);
  ASSERT_TRUE(dao->Locate("BDCHAVE", {kGrande + 2}));
  EXPECT_FALSE(dao->FieldByName("BDVINC_BAIXA").AsBoolean());
}

TEST_F(VinculosAutomaticosTest, CleanUpRemovesSettledEntriesWithoutInconsistency) {
  auto marca = [&](int chave, bool conc, int inconsistente) {
    ASSERT_TRUE(lanc_->Locate("BDCHAVE", {chave}));
    lanc_->Edit();
    lanc_->FieldByName("BDCONCC").SetAsBoolean(conc);
    lanc_->FieldByName("BDINCONSISTENTE").SetAsInteger(inconsistente);
    lanc_->Post();
  };
  for (int i = 1; i <= 4; ++i) Entrada(i, Mar(10), R(i));
  for (int i = 1; i <= 3; ++i) Link(pb_->cdsVINC_EXT_BAN_BAIXA, i, false);
  marca(1, true, 0);
  marca(2, true, 1);
  marca(3, false, 0);
  marca(4, true, 0);   // settled but not linked
  lanc_->SetFilter("BDCHAVE > 3");
  lanc_->SetFiltered(true);
  pb_->GetAposInconsistencia(lanc_);
  EXPECT_EQ(lanc_->Filter(), "BDCHAVE > 3");
  EXPECT_TRUE(lanc_->Filtered());
  lanc_->SetFiltered(false);
  EXPECT_EQ(lanc_->RecordCount(), 3);
  EXPECT_FALSE(lanc_->Locate("BDCHAVE", {1}));

  TComponent tela;
  TLancamentoMGR* dao = ArquivoGrande(&tela, 3000, true);
  Db().Execute("update TMP_VZEL_EMPRESAS_TLAN_TEMP set BDCONCD = 'TRUE' where BDCHAVE <> ?", {kGrande + 5});
  Db().Execute("insert into VZEL_INCON_TLAN (BDSESSAO, BDCODEMP, BDCHAVE, BDCODINCONSISTENCIA) values (9, 1, ?, 1)",
               {kGrande + 6});
  pb_->cdsVINC_EXT_BAN_BAIXA->EmptyDataSet();
  for (int i = 1; i <= 3000; ++i) Link(pb_->cdsVINC_EXT_BAN_BAIXA, kGrande + i, i % 2 == 0);
  pb_->GetAposInconsistencia(dao);
  EXPECT_EQ(Contar("BDSESSAO = 9"), 2);   // 5 without a conciliation mark, 6 with an inconsistency
}

}  // namespace
}  // namespace integracao
