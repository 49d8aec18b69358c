#include "framework/accounting/settlement_mgr.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/host/posting_lock_check.h"
#include "framework/schema/seed.h"
#include "framework/ui/inconsistencias.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace vyn {
namespace {

Currency R(int64_t reais) { return Currency::FromInt(reais); }

class SettlementMgrTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    list_ = owner_.Create<TInconsistencias_VYN>();
  }

  // Callbacks as the engine answers them for one imported entry.
  void Prepara(TBaixaMGR& m) {
    m.Inicializa();
    m.SetInconsistencia(list_);
    m.OnGetDataPagamento = [this](TComponent*) { return data_; };
    m.OnGetPlanoOnline = [](TComponent*) { return 1; };
    m.OnGetChaveLancamento = [this](TComponent*) { return conf_; };
    m.OnGetContaCredito = [this](TComponent*) { return credito_; };
    m.OnGetNumeroDcto = [](TComponent*) { return std::string("DOC-77"); };
    m.OnGetChaveOrigem = [this](TComponent*) { return origem_; };
  }

  TQueryResult Lancamentos() {
    return Db().QueryAll("select BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, BDCHAVE from VZEL_EMPRESAS_TLAN "
                         "where BDCODEMP = 1 order by BDCHAVE");
  }
  std::string Ultima() const { return list_->Count() ? list_->Itens().back().Caption : std::string(); }
  // The entries book's document 42 (key 10), one installment of 100,00, selected for settling.
  TMovParPgtoMGR* ParcelaDoDocumento42() {
    seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(100), {{1, R(100), TDateTime(), 0}});
    auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
    Prepara(*m);
    m->SetCODEMP_MGR(1);
    m->SelectGuiasParaBaixa({"1...10.1.0"}, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
    m->SetContas(m->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
    return m;
  }
  // Another workstation holds a row (its statement's lock) while this one settles, and commits 300 ms
  // later: the settlement waits for it and is then refused with the one plain message.
  void LancaComOutraEstacaoSegurando(TDatabase& outra, const char* trava, const std::function<void()>& lanca) {
    auto tr = std::make_unique<TTransaction>(outra);
    outra.Execute(trava);
    // The other workstation lets go only once the settlement waits on its row: a fixed pause lost the
    // race on a slow machine, the settlement reaching the row after the commit.
    std::thread commit([&tr, this] {
      TDatabase monitor;
      monitor.Open(Company().Path());
      const std::string espera = "SELECT MIN(MON$STATEMENT_ID) FROM MON$STATEMENTS WHERE MON$STATE = 1 AND "
                                 "MON$ATTACHMENT_ID <> CURRENT_CONNECTION";
      Variant antes;
      for (int i = 0; i < 200; ++i) {
        const Variant agora = monitor.QueryValue(espera);
        if (!agora.IsNull() && !antes.IsNull() && agora.AsInteger() == antes.AsInteger()) break;
        antes = agora;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
      }
      tr->Commit();
    });
    list_->Clear();
    lanca();
    commit.join();
    ASSERT_EQ(list_->Count(), 1) << trava;
    EXPECT_NE(Ultima().find("está sendo baixada por outra estação de trabalho"), std::string::npos) << Ultima();
  }

  TComponent owner_;
  TInconsistencias_VYN* list_ = nullptr;
  TDateTime data_ = EncodeDate(2024, 3, 15);
  int conf_ = 1;
  int credito_ = 0;
  int64_t origem_ = 7;
};

TEST_F(SettlementMgrTest, GuidePostsItsOpenBalanceRecordsThePaymentAndRefusesWhatItCannotSettle) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddGuia(Db(), 1, 56, R(300), R(0));   // already paid
  auto* m = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*m);
  credito_ = seed::kContaCaixa;
  m->SelectGuiasParaBaixa({"1......55..", "1......56..", "1......99..", "1.2.3"}, nullptr, "tela");
  ASSERT_EQ(list_->Count(), 2);
  EXPECT_EQ(list_->Itens()[0].Caption, "Baixa não lançada: a chave de guia de imposto \"1.2.3\" é inválida.");
  EXPECT_EQ(Ultima(), "Baixa não lançada: a guia de imposto 99 da empresa 1 não foi encontrada.");
  EXPECT_EQ(m->RecordCount(), 2);

  ASSERT_TRUE(m->Locate("BDCHAVEDARF", {55}));
  m->LancaBaixaImpostoAtual();
  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 1u);
  EXPECT_EQ(l.Value(0, "BDDATA").AsDateTime(), data_);
  EXPECT_EQ(l.Value(0, "BDDEBITO").AsInteger(), seed::kContaFornecedores);
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaCaixa);   // the entry's credit account wins
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(500));
  EXPECT_EQ(l.Value(0, "BDDCTO").AsString(), "DOC-77");
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 55").AsCurrency(), R(0));
  auto pg = Db().QueryAll("select BDVALORPGTO, BDCHAVELAN, BDCHAVEORIGEM from TDARFGERPGTO_BAIXA");
  ASSERT_EQ(pg.Rows.size(), 1u);
  EXPECT_EQ(pg.Value(0, "BDVALORPGTO").AsCurrency(), R(500));
  EXPECT_EQ(pg.Value(0, "BDCHAVELAN").AsInteger(), l.Value(0, "BDCHAVE").AsInteger());
  EXPECT_EQ(pg.Value(0, "BDCHAVEORIGEM").AsInteger(), 7);

  const int antes = list_->Count();
  m->LancaBaixaImpostoAtual();   // now closed
  EXPECT_NE(Ultima().find("já está quitada"), std::string::npos) << Ultima();
  ASSERT_TRUE(m->Locate("BDCHAVEDARF", {56}));
  m->LancaBaixaImpostoAtual();
  EXPECT_EQ(list_->Count(), antes + 2);
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
}

TEST_F(SettlementMgrTest, GuideWithAPaidValueNeverExceedsTheBalanceNorPaysTwiceForOneEntry) {
  seed::AddGuia(Db(), 1, 55, R(500));
  auto* m = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*m);
  Currency pago = R(600);
  m->OnGetValorPgto = [&](TComponent*) { return pago; };
  m->SelectGuiasParaBaixa({"1......55.."}, nullptr, "tela");
  m->LancaBaixaImpostoAtual();
  EXPECT_NE(Ultima().find("maior que o saldo a pagar"), std::string::npos) << Ultima();
  EXPECT_TRUE(Lancamentos().Rows.empty());

  pago = R(200);
  m->LancaBaixaImpostoAtual();
  m->LancaBaixaImpostoAtual();   // the same entry again
  EXPECT_NE(Ultima().find("já foi baixada para o lançamento 7"), std::string::npos) << Ultima();
  origem_ = 8;
  m->LancaBaixaImpostoAtual();
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 55").AsCurrency(), R(100));

  // Without a configuration nothing is posted.
  conf_ = 99;
  origem_ = 9;
  pago = R(50);
  m->LancaBaixaImpostoAtual();
  EXPECT_NE(Ultima().find("configuração de contas online 99"), std::string::npos) << Ultima();
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
}

// The balance is weighed again when the payment is written, against the row as the database holds it: a
// guide or a calculation paid elsewhere since it was selected is refused with the balance it has now, and
// neither its balance nor its payments move.
TEST_F(SettlementMgrTest, AGuideOrCalculationPaidSinceItsSelectionIsRefusedAndLeftAsItIs) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000), R(200));
  auto* guias = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*guias);
  guias->SelectGuiasParaBaixa({"1......55.."}, nullptr, "tela");
  auto* calculos = TDADOSPGTOCALCMGR::CreateMgr(&owner_);
  Prepara(*calculos);
  calculos->SelectCalculosParaBaixa({"1.1.....300"});
  ExecutaComoSuite(Db(), "update TDARFGERPGTO set BDSALDOAPAGAR = 120 where BDCHAVEDARF = 55");
  ExecutaComoSuite(Db(), "update TDADOSPGTOCALC set BDVLRPGTO = 950 where BDCHAVE = 300");

  guias->LancaBaixaImpostoAtual();
  EXPECT_EQ(Ultima(), "Baixa não lançada: o valor 500,00 é maior que o saldo a pagar 120,00 de a guia de imposto 55 "
                      "da empresa 1.");
  calculos->SetTIPOCALC(2);
  calculos->LancaBaixaCalculoAtual();
  EXPECT_EQ(Ultima(), "Baixa não lançada: o valor 800,00 é maior que o saldo a pagar 50,00 de o cálculo 300 (tipo 2, "
                      "ordem 1) da empresa 1.");
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 55").AsCurrency(), R(120));
  EXPECT_EQ(Db().QueryValue("select BDVLRPGTO from TDADOSPGTOCALC where BDCHAVE = 300").AsCurrency(), R(950));
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO_BAIXA").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from TDADOSPGTOCALC_BAIXA").AsInteger(), 0);
}

// A paid value below zero is refused as negative, not as zero; a settlement of a link is recorded with
// its payment, and a second payment of that link cannot commit even when a caller does not check.
TEST_F(SettlementMgrTest, ANegativeValueIsRefusedAsNegativeAndALinkIsRecordedOnce) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(200), {{1, R(100), EncodeDate(2024, 3, 10), 0}});
  auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SelectGuiasParaBaixa({"1...10.1.0"}, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
  m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  ASSERT_TRUE(m->FindKey({10, 1}));
  Currency pago = R(-10);
  m->OnGetValorPgto = [&](TComponent*) { return pago; };
  EXPECT_FALSE(m->LancaBaixaParcelaAtual(0));
  EXPECT_EQ(Ultima(), "Baixa não lançada: o valor pago de a parcela 1 do documento 42 (entradas) da empresa 1 é "
                      "negativo (-10,00).");
  EXPECT_TRUE(m->ValorLancado().IsZero());

  m->OnGetOrigemBaixa = [](TComponent*) { return TOrigemBaixa{3, 7, "2|0|10|1", "a parcela 1 do documento 42"}; };
  pago = R(40);
  EXPECT_TRUE(m->LancaBaixaParcelaAtual(0));
  EXPECT_EQ(m->ValorLancado(), R(40));
  auto r = Db().QueryAll("select BDSESSAO, BDIDVINCULO, BDVINCULO, BDTIPOBAIXA, BDVALOR, BDCHAVELAN from "
                         "VZEL_EMP_TVINC_BAIXA_LANC");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDVINCULO").AsString(), "2|0|10|1");
  EXPECT_EQ(r.Value(0, "BDVALOR").AsCurrency(), R(40));
  EXPECT_EQ(r.Value(0, "BDCHAVELAN").AsInteger(), Lancamentos().Value(0, "BDCHAVE").AsInteger());

  origem_ = 8;   // past the manager's own guard: the record's key refuses the payment
  EXPECT_THROW(m->LancaBaixaParcelaAtual(0), EDatabaseError);
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 1);
}

TEST_F(SettlementMgrTest, CalculationPostsWhatIsLeftOfItsNetAmount) {
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000), R(200));
  seed::AddCalculo(Db(), 1, 2, 301, 1, R(100), R(100));
  auto* m = TDADOSPGTOCALCMGR::CreateMgr(&owner_);
  Prepara(*m);
  m->SelectCalculosParaBaixa({"1.1.....300", "1.1.....301", "1.1.....302"});
  EXPECT_EQ(Ultima(), "Baixa não lançada: o cálculo 302 da empresa 1 não foi encontrado.");
  m->SetIndexFieldNames("BDTIPOCALC;BDCHAVE;BDORDEMCALC");
  ASSERT_TRUE(m->Locate("BDTIPOCALC;BDCHAVE;BDORDEMCALC", {2, 300, 1}));
  m->SetTIPOCALC(2);
  m->LancaBaixaCalculoAtual();
  m->CommitLancamentoDaoGravacaoGeral(nullptr);
  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 1u);
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(800));
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaBanco);   // no entry credit: the configuration's
  EXPECT_EQ(Db().QueryValue("select BDVLRPGTO from TDADOSPGTOCALC where BDCHAVE = 300").AsCurrency(), R(1000));

  ASSERT_TRUE(m->Locate("BDTIPOCALC;BDCHAVE;BDORDEMCALC", {2, 301, 1}));
  m->LancaBaixaCalculoAtual();
  EXPECT_NE(Ultima().find("já está quitado"), std::string::npos) << Ultima();
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
}

// A selection reads the asked keys' neighbourhood in one pass: what lies between or beside the asked
// keys is never offered for settlement, and keys far apart are all found.
TEST_F(SettlementMgrTest, SelectionsHoldOnlyTheAskedObligationsWhereverTheirKeysLie) {
  for (int g : {55, 56, 57, 500}) seed::AddGuia(Db(), 1, g, R(10));
  auto* guias = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*guias);
  guias->SelectGuiasParaBaixa({"1......57..", "1......55..", "1......500..", "1......58.."}, nullptr, "tela");
  std::vector<int64_t> achadas;
  for (guias->First(); !guias->Eof(); guias->Next()) achadas.push_back(guias->FieldByName("BDCHAVEDARF").AsInteger());
  EXPECT_EQ(achadas, (std::vector<int64_t>{55, 57, 500}));
  EXPECT_EQ(Ultima(), "Baixa não lançada: a guia de imposto 58 da empresa 1 não foi encontrada.");

  seed::AddCalculo(Db(), 1, 2, 300, 1, R(10));
  seed::AddCalculo(Db(), 1, 3, 301, 1, R(10));
  seed::AddCalculo(Db(), 1, 3, 302, 1, R(10));
  seed::AddCalculo(Db(), 1, 2, 302, 2, R(10));
  auto* calculos = TDADOSPGTOCALCMGR::CreateMgr(&owner_);
  Prepara(*calculos);
  calculos->SelectCalculosParaBaixa({"1.1.....302", "1.1.....300"});
  EXPECT_EQ(calculos->RecordCount(), 3);   // both kinds and orders of 302, none of 301
  for (calculos->First(); !calculos->Eof(); calculos->Next())
    EXPECT_NE(calculos->FieldByName("BDCHAVE").AsInteger(), 301);

  for (int doc : {10, 11, 12, 40})
    seed::AddDocumentoFiscal(Db(), 0, 1, doc, doc, EncodeDate(2024, 3, 1), R(20),
                             {{1, R(10), EncodeDate(2024, 3, 10), 0}, {2, R(10), EncodeDate(2024, 4, 10), 0}});
  TMovParPgtoMGR* parcelas = CreateMovParPgtoMGR(&owner_, 0);
  Prepara(*parcelas);
  parcelas->SetCODEMP_MGR(1);
  parcelas->SelectGuiasParaBaixa({"1...40.2.0", "1...10.1.0", "1...12.2.0"}, parcelas->GetTableJoinParcelamento(1),
                                 parcelas->GetTablePagamento());
  std::vector<std::pair<int64_t, int64_t>> pedidas;
  for (parcelas->First(); !parcelas->Eof(); parcelas->Next())
    pedidas.emplace_back(parcelas->FieldByName("BDCHAVE").AsInteger(), parcelas->FieldByName("BDORDEMPAR").AsInteger());
  EXPECT_EQ(pedidas, (std::vector<std::pair<int64_t, int64_t>>{{10, 1}, {12, 2}, {40, 2}}));
}

// A run may name one installment by several links: the selection holds it once, and an installment
// found nowhere is told once, by its own order, however often it was asked.
TEST_F(SettlementMgrTest, InstallmentsAskedTwiceAreHeldOnceAndAMissingOneIsToldOnce) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 3, 1), R(20),
                           {{1, R(10), EncodeDate(2024, 3, 10), 0}, {2, R(10), EncodeDate(2024, 4, 10), 0}});
  TMovParPgtoMGR* m = CreateMovParPgtoMGR(&owner_, 0);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SelectGuiasParaBaixa({"1...10.3.0", "1...10.2.0", "1...10.3.0", "1...10.2.0", "1...11.1.0"},
                          m->GetTableJoinParcelamento(1), m->GetTablePagamento());
  ASSERT_EQ(m->RecordCount(), 1);
  EXPECT_EQ(m->FieldByName("BDORDEMPAR").AsInteger(), 2);
  std::vector<std::string> mensagens;
  for (const auto& i : list_->Itens()) mensagens.push_back(i.Caption);
  EXPECT_EQ(mensagens,
            (std::vector<std::string>{
                "Baixa não lançada: a parcela 3 do documento 10 (entradas) da empresa 1 não foi encontrada.",
                "Baixa não lançada: a parcela 1 do documento 11 (entradas) da empresa 1 não foi encontrada."}));
}

// An installment's selection shows what its principal and discount payments took off, whatever else it
// was paid (a fine), and no balance (-1) for a document without an accounting value, paid or not.
TEST_F(SettlementMgrTest, InstallmentSelectionsCountOnlyPrincipalAndDiscountPayments) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(300),
                           {{1, R(100), TDateTime(), 0}, {2, R(100), TDateTime(), 0}, {3, R(100), TDateTime(), 0}});
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 43, EncodeDate(2024, 3, 1), R(0), {{1, R(50), TDateTime(), 0}});
  const TDateTime dia = EncodeDate(2024, 3, 5);
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(60), dia, tbpPrincipal);
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(5), dia, tbpMulta);
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 2, R(10), dia, tbpDesconto);
  seed::AddPagamentoParcela(Db(), 0, 1, 11, 1, R(20), dia, tbpPrincipal);
  TMovParPgtoMGR* m = CreateMovParPgtoMGR(&owner_, 0);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SelectGuiasParaBaixa({"1...10.1.0", "1...10.2.0", "1...10.3.0", "1...11.1.0"}, m->GetTableJoinParcelamento(1),
                          m->GetTablePagamento());
  m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  const std::tuple<int, int, int64_t, int64_t> esperadas[] = {{10, 1, 60, 40}, {10, 2, 10, 90}, {10, 3, 0, 100},
                                                               {11, 1, 20, -1}};
  for (const auto& [doc, ordem, pago, saldo] : esperadas) {
    ASSERT_TRUE(m->FindKey({doc, ordem})) << doc << "/" << ordem;
    EXPECT_EQ(m->FieldByName("BDVALORTOTAL").AsCurrency(), R(pago)) << doc << "/" << ordem;
    EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(saldo)) << doc << "/" << ordem;
  }
}

// Each installment carries its own document's number and nature, read once per document (two installments
// of one document, documents of other books' columns); an installment whose document is missing has no
// book value and is not settled.
TEST_F(SettlementMgrTest, AnInstallmentCarriesItsDocumentsNumberAndNatureAndWithoutOneHasNoBookValue) {
  const char* naturezas[] = {"BDCODNAT", "BDCODNAT", "BDCODMUNATVM", "BDCODNAT"};
  const char* documentos[] = {"VEF_EMP_TMOVENT", "VEF_EMP_TMOVSAI", "VEF_EMP_TMOVSER", "VEF_EMP_TMOVDEMAISDOC_F100"};
  for (int livro : {0, 2, 3}) {
    seed::AddDocumentoFiscal(Db(), livro, 1, 20, 700 + livro, EncodeDate(2024, 3, 1), R(200),
                             {{1, R(100), EncodeDate(2024, 3, 10), 0}, {2, R(100), EncodeDate(2024, 4, 10), 0}});
    seed::AddDocumentoFiscal(Db(), livro, 1, 21, 800 + livro, EncodeDate(2024, 3, 1), R(100),
                             {{1, R(100), EncodeDate(2024, 3, 10), 0}});
    ExecutaComoSuite(Db(), fmt::format("update {} set {} = 5102 + BDCHAVE where BDCHAVE in (20, 21)",
                                       documentos[livro], naturezas[livro]));
    // The fiscal module removed the second document and left its installment behind.
    ExecutaComoSuite(Db(), fmt::format("delete from {} where BDCHAVE = 21", documentos[livro]));
    TMovParPgtoMGR* m = CreateMovParPgtoMGR(&owner_, livro);
    Prepara(*m);
    m->SetCODEMP_MGR(1);
    m->SelectGuiasParaBaixa({fmt::format("1...20.1.{}", livro), fmt::format("1...20.2.{}", livro),
                             fmt::format("1...21.1.{}", livro)},
                            m->GetTableJoinParcelamento(1), m->GetTablePagamento());
    m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
    for (int ordem : {1, 2}) {
      ASSERT_TRUE(m->FindKey({20, ordem})) << livro;
      EXPECT_EQ(m->FieldByName("BDNUMDOCINI").AsInteger(), 700 + livro) << livro;
      EXPECT_EQ(m->FieldByName(naturezas[livro]).AsInteger(), 5122) << livro;
      EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(100)) << livro;
    }
    ASSERT_TRUE(m->FindKey({21, 1})) << livro;
    EXPECT_TRUE(m->FieldByName("BDNUMDOCINI").IsNull()) << livro;
    EXPECT_TRUE(m->FieldByName(naturezas[livro]).IsNull()) << livro;
    EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(-1)) << livro;
    EXPECT_FALSE(m->LancaBaixaParcelaAtual(livro)) << livro;
    EXPECT_NE(Ultima().find("a parcela 1 do documento 21 ("), std::string::npos) << Ultima();
    EXPECT_NE(Ultima().find("não possui valor contábil"), std::string::npos) << Ultima();
  }
  EXPECT_TRUE(Lancamentos().Rows.empty());
}

TEST_F(SettlementMgrTest, InstallmentsOfEveryBookArePaidInTheirOwnPaymentTable) {
  for (int livro = 0; livro < 4; ++livro) {
    seed::AddDocumentoFiscal(Db(), livro, 1, 10 + livro, 500 + livro, EncodeDate(2024, 3, 1), R(100),
                             {{1, R(100), EncodeDate(2024, 3, 10), 0}});
    TMovParPgtoMGR* m = CreateMovParPgtoMGR(&owner_, livro);
    Prepara(*m);
    m->SetCODEMP_MGR(1);
    m->SelectGuiasParaBaixa({fmt::format("1...{}.1.{}", 10 + livro, livro)}, m->GetTableJoinParcelamento(1),
                            m->GetTablePagamento());
    ASSERT_EQ(m->RecordCount(), 1) << livro;
    EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(100));
    EXPECT_NE(m->FindField(livro == 2 ? "BDCODMUNATVM" : "BDCODNAT"), nullptr);
    m->LancaBaixaParcelaAtual(livro);
    EXPECT_EQ(Db().QueryValue(fmt::format("select sum(BDVALORPGTO) from {}", m->GetTablePagamento())).AsCurrency(),
              R(100))
        << livro;
  }
  EXPECT_EQ(Lancamentos().Rows.size(), 4u);
  EXPECT_TRUE(list_->IsEmpty()) << Ultima();
}

// A run's books share their payment statement: each installment is still paid in its own book's tables,
// weighed against its own payments, and a refusal names it.
TEST_F(SettlementMgrTest, BooksSharingTheirStatementPayEachInstallmentInItsOwnTables) {
  const std::vector<int> livros{3, 0, 2};
  std::vector<TMovParPgtoMGR*> ms;
  for (int livro : livros) {
    seed::AddDocumentoFiscal(Db(), livro, 1, 10 + livro, 500 + livro, EncodeDate(2024, 3, 1), R(100),
                             {{1, R(100), EncodeDate(2024, 3, 10), 0}});
    TMovParPgtoMGR* m = CreateMovParPgtoMGR(&owner_, livro);
    Prepara(*m);
    m->SetCODEMP_MGR(1);
    m->CompartilhaComandos(livros);
    m->SelectGuiasParaBaixa({fmt::format("1...{}.1.{}", 10 + livro, livro)}, m->GetTableJoinParcelamento(1),
                            m->GetTablePagamento());
    ASSERT_EQ(m->RecordCount(), 1) << livro;
    ms.push_back(m);
  }
  // The other documents' installment was partly paid elsewhere after it was selected.
  ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVF100PARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                         "BDVALORPGTO) values (1, 13, 1, 1, '2024-03-02', 60)");
  for (TMovParPgtoMGR* m : ms) m->LancaBaixaParcelaAtual(m->Livro());
  ASSERT_EQ(list_->Count(), 1) << Ultima();
  EXPECT_NE(Ultima().find("maior que o saldo a pagar 40,00 de a parcela 1 do documento 503 (demais documentos)"),
            std::string::npos)
      << Ultima();
  for (int livro : {0, 2}) {
    const std::string pgto = ms[livro == 0 ? 1 : 2]->GetTablePagamento();
    EXPECT_EQ(Db().QueryValue("select sum(BDVALORPGTO) from " + pgto + " where BDCHAVE = " + std::to_string(10 + livro))
                  .AsCurrency(),
              R(100))
        << pgto;
    EXPECT_EQ(Db().QueryValue("select count(*) from " + pgto).AsInteger(), 1) << pgto;
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVF100PARPGTO").AsInteger(), 1);
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
}

TEST_F(SettlementMgrTest, InstallmentPartialPaymentsPartsGroupsAndRefusals) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(200),
                           {{1, R(100), EncodeDate(2024, 3, 10), 0}, {2, R(100), EncodeDate(2024, 4, 10), 0}});
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 43, EncodeDate(2024, 3, 1), R(0), {{1, R(50), TDateTime(), 0}});   // no accounting value
  auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SelectGuiasParaBaixa({"1...10.1.0", "1...10.2.0", "1...11.1.0", "1...10.9.0"}, m->GetTableJoinParcelamento(1),
                          m->GetTablePagamento());
  EXPECT_NE(Ultima().find("parcela 9 do documento 10"), std::string::npos) << Ultima();
  m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  m->SetContas(m->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));

  // Partial: 60 of 100, then 50 more is above what is left.
  ASSERT_TRUE(m->FindKey({10, 1}));
  Currency pago = R(60);
  m->Parcial = true;
  m->OnGetValorPgto = [&](TComponent*) { return pago; };
  m->LancaBaixaParcelaAtual(0);
  EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(40));
  origem_ = 8;
  pago = R(50);
  m->LancaBaixaParcelaAtual(0);
  EXPECT_NE(Ultima().find("maior que o saldo a pagar"), std::string::npos) << Ultima();
  // A fine is posted beside the principal and leaves the balance alone.
  pago = R(5);
  m->LancaBaixaParcelaAtual(0, nullptr, nullptr, false, nullptr, false, false, 3);
  auto pg = Db().QueryAll("select BDVALORPGTO, BDTIPOBAIXA from VEF_EMP_TMOVENTPARPGTO where BDCHAVE = 10 "
                          "and BDORDEMPAR = 1 order by BDSEQPGTO");
  ASSERT_EQ(pg.Rows.size(), 2u);
  EXPECT_EQ(pg.Value(1, "BDTIPOBAIXA").AsInteger(), tbpMulta);

  ASSERT_TRUE(m->FindKey({11, 1}));
  m->LancaBaixaParcelaAtual(0);
  EXPECT_NE(Ultima().find("não possui valor contábil"), std::string::npos) << Ultima();

  // Grouped: the rest of installment 1 and installment 2 in one entry.
  const size_t antes = Lancamentos().Rows.size();
  m->Parcial = false;
  m->OnGetValorPgto = nullptr;   // without a paid value the open balance is settled
  origem_ = 9;
  ASSERT_TRUE(m->FindKey({10, 1}));
  m->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, m, false, true);
  ASSERT_TRUE(m->FindKey({10, 2}));
  m->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, m, true, true);
  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), antes + 1);
  EXPECT_EQ(l.Value(antes, "BDVALOR").AsCurrency(), R(140));
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDCHAVELAN = ?", {l.Value(antes, "BDCHAVE")})
                .AsInteger(),
            2);
}

// Money moves in cents, an installment may owe fractions of one: money less than a cent above what is
// owed pays it off (the entry books the money, the payment what was owed); a cent above is refused.
TEST_F(SettlementMgrTest, MoneyWithinACentAboveAnInstallmentsFractionPaysItOff) {
  const Currency terco = Currency::Parse("33.3333");
  seed::AddDocumentoFiscal(Db(), 0, 1, 34, 4714, EncodeDate(2024, 3, 1), R(100),
                           {{1, terco, EncodeDate(2024, 3, 10), 0}, {2, terco, EncodeDate(2024, 4, 10), 0}});
  auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SelectGuiasParaBaixa({"1...34.1.0", "1...34.2.0"}, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
  m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  m->SetContas(m->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
  Currency pago = Currency::Parse("33.34");
  m->OnGetValorPgto = [&](TComponent*) { return pago; };

  ASSERT_TRUE(m->FindKey({34, 1}));
  ASSERT_TRUE(m->LancaBaixaParcelaAtual(0)) << Ultima();
  EXPECT_EQ(m->ValorLancado(), pago);
  EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), Currency());
  EXPECT_EQ(Lancamentos().Value(0, "BDVALOR").AsCurrency(), pago);
  EXPECT_EQ(Db().QueryValue("select BDVALORPGTO from VEF_EMP_TMOVENTPARPGTO where BDCHAVE = 34 and BDORDEMPAR = 1")
                .AsCurrency(),
            terco);

  origem_ = 8;
  pago = Currency::Parse("33.3434");
  ASSERT_TRUE(m->FindKey({34, 2}));
  EXPECT_FALSE(m->LancaBaixaParcelaAtual(0));
  EXPECT_NE(Ultima().find("maior que o saldo a pagar"), std::string::npos) << Ultima();
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
}

// Another workstation settling the same obligation holds its row: this one waits for it, and once the
// other commits refuses the settlement with a plain message, writing nothing; a free row settles.
TEST_F(SettlementMgrTest, AnObligationAnotherWorkstationIsSettlingIsRefusedWithoutWritingAnything) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(100), {{1, R(100), TDateTime(), 0}});
  seed::AddGuia(Db(), 1, 55, R(500));
  auto* parcelas = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*parcelas);
  parcelas->SetCODEMP_MGR(1);
  parcelas->SelectGuiasParaBaixa({"1...10.1.0"}, parcelas->GetTableJoinParcelamento(1), parcelas->GetTablePagamento());
  parcelas->SetContas(parcelas->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
  auto* guias = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*guias);
  guias->SelectGuiasParaBaixa({"1......55.."}, nullptr, "tela");

  TDatabase outra;
  outra.Open(Company().Path());
  for (const char* trava : {"update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 10",
                            "update TDARFGERPGTO set BDVALOR = BDVALOR where BDCHAVEDARF = 55"}) {
    LancaComOutraEstacaoSegurando(outra, trava, [&] {
      if (trava[7] == 'V')
        EXPECT_FALSE(parcelas->LancaBaixaParcelaAtual(0));
      else
        guias->LancaBaixaImpostoAtual();
    });
  }
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO").AsCurrency(), R(500));

  // Free again, both settle for another entry (this one's attempt counts as its settlement).
  list_->Clear();
  origem_ = 8;
  EXPECT_TRUE(parcelas->LancaBaixaParcelaAtual(0));
  guias->LancaBaixaImpostoAtual();
  EXPECT_EQ(list_->Count(), 0) << Ultima();
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
}

// A settlement refused because another workstation was settling its obligation wrote nothing, so the
// same entry may post it again once the obligation is free: single or grouped, guide or installment.
TEST_F(SettlementMgrTest, ASettlementRefusedForAnotherWorkstationsLockIsPostedWhenTheSameEntryRetries) {
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 42, EncodeDate(2024, 3, 1), R(100), {{1, R(100), TDateTime(), 0}});
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 43, EncodeDate(2024, 3, 1), R(200),
                           {{1, R(100), TDateTime(), 0}, {2, R(100), TDateTime(), 0}});
  seed::AddGuia(Db(), 1, 55, R(500));
  auto* parcelas = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*parcelas);
  parcelas->SetCODEMP_MGR(1);
  parcelas->SelectGuiasParaBaixa({"1...10.1.0", "1...11.1.0", "1...11.2.0"}, parcelas->GetTableJoinParcelamento(1),
                                 parcelas->GetTablePagamento());
  parcelas->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  parcelas->SetContas(parcelas->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
  auto* guias = TDARFGERPGTOMGR::CreateMgr(&owner_);
  Prepara(*guias);
  guias->SelectGuiasParaBaixa({"1......55.."}, nullptr, "tela");
  auto agrupadas = [&] {
    EXPECT_TRUE(parcelas->FindKey({11, 1}));
    parcelas->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, parcelas, false, true);
    EXPECT_TRUE(parcelas->FindKey({11, 2}));
    parcelas->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, parcelas, true, true);
  };

  TDatabase outra;
  outra.Open(Company().Path());
  const std::pair<const char*, std::function<void()>> tentativas[] = {
      {"update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 10",
       [&] {
         ASSERT_TRUE(parcelas->FindKey({10, 1}));
         parcelas->LancaBaixaParcelaAtual(0);
       }},
      {"update TDARFGERPGTO set BDVALOR = BDVALOR where BDCHAVEDARF = 55", [&] { guias->LancaBaixaImpostoAtual(); }},
      {"update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 11 and BDORDEMPAR = 2", agrupadas}};
  for (const auto& [trava, lanca] : tentativas) {
    LancaComOutraEstacaoSegurando(outra, trava, lanca);
    EXPECT_TRUE(Lancamentos().Rows.empty());
  }
  // The same entry again, nothing in the way: each one posts.
  list_->Clear();
  for (const auto& [trava, lanca] : tentativas) lanca();
  EXPECT_EQ(list_->Count(), 0) << Ultima();
  const TQueryResult l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 3u);
  EXPECT_EQ(l.Value(2, "BDVALOR").AsCurrency(), R(200));
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 3);
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO").AsCurrency(), R(0));
}

// With the host's check, a settlement's lock check runs in its payment's statement: a screen's lock row
// and a zeroing refuse it with the check's own messages, in the lock's list and the manager's, and
// write nothing; another screen and an open date settle.
TEST_F(SettlementMgrTest, TheHostsLockCheckRefusesASettlementInItsOwnStatement) {
  TVerificaBloqueioLancamento verificacao;
  const TValorTemporario<IPostingLockCheck*> instalada(ProcessContext().PostingLocks, &verificacao);
  Db().Execute("insert into TBLOQUEIO_LANCAMENTO values (1, 1, 'frExtrato', '2024-03-01', '2024-03-20', 'Auditoria')");
  Db().Execute("insert into TPROCESSO_ZERAMENTO values (1, '2024-04-01', '2024-04-30')");
  auto* bloqueio = owner_.Create<TBloqueioLancamento_VYN>();
  TMovParPgtoMGR* m = ParcelaDoDocumento42();

  m->SetBloqueio(bloqueio, "FREXTRATO");
  EXPECT_FALSE(m->LancaBaixaParcelaAtual(0));
  ASSERT_EQ(bloqueio->Inconsistencias()->Count(), 1);
  EXPECT_EQ(bloqueio->Inconsistencias()->Itens().back().Caption,
            "Existe bloqueio de lançamentos da empresa 1 no período de 01/03/2024 a 20/03/2024. Motivo: Auditoria");
  EXPECT_EQ(Ultima(), "Baixa não lançada: o período de 15/03/2024 está bloqueado para lançamentos (a parcela 1 do "
                      "documento 42 (entradas) da empresa 1).");
  data_ = EncodeDate(2024, 4, 10);
  EXPECT_FALSE(m->LancaBaixaParcelaAtual(0));
  EXPECT_EQ(bloqueio->Inconsistencias()->Itens().back().Caption,
            "Existe processo de zeramento da empresa 1 no período de 01/04/2024 a 30/04/2024.");
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 0);

  data_ = EncodeDate(2024, 3, 15);
  m->SetBloqueio(bloqueio, "frOutraTela");
  EXPECT_TRUE(m->LancaBaixaParcelaAtual(0)) << Ultima();
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
}

// A lock's reason reaches the messages whole, whatever it holds, and its period's days as the lock row
// has them; the refused statement wrote nothing.
TEST_F(SettlementMgrTest, ALocksReasonIsToldWholeWithItsPeriod) {
  TVerificaBloqueioLancamento verificacao;
  const TValorTemporario<IPostingLockCheck*> instalada(ProcessContext().PostingLocks, &verificacao);
  Db().Execute("insert into TBLOQUEIO_LANCAMENTO values (1, 1, 'frExtrato', '1999-12-31', '2024-03-20', "
               "'Auditoria | 2ª etapa|fim')");
  auto* bloqueio = owner_.Create<TBloqueioLancamento_VYN>();
  TMovParPgtoMGR* m = ParcelaDoDocumento42();
  m->SetBloqueio(bloqueio, "FREXTRATO");
  EXPECT_FALSE(m->LancaBaixaParcelaAtual(0));
  ASSERT_EQ(bloqueio->Inconsistencias()->Count(), 1);
  EXPECT_EQ(bloqueio->Inconsistencias()->Itens().back().Caption,
            "Existe bloqueio de lançamentos da empresa 1 no período de 31/12/1999 a 20/03/2024. Motivo: Auditoria | "
            "2ª etapa|fim");
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 0);
}

// With the host's check a group reads the period's locks once, in its first payment's statement, when
// the group is written: a lock set after its first installment was added still refuses the group
// whole, told once, its installments showing their balances again; freed, the group posts.
TEST_F(SettlementMgrTest, AGroupLockedBeforeItsLastInstallmentIsRefusedWholeAndToldOnce) {
  TVerificaBloqueioLancamento verificacao;
  const TValorTemporario<IPostingLockCheck*> instalada(ProcessContext().PostingLocks, &verificacao);
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 43, EncodeDate(2024, 3, 1), R(200),
                           {{1, R(100), TDateTime(), 0}, {2, R(100), TDateTime(), 0}});
  auto* bloqueio = owner_.Create<TBloqueioLancamento_VYN>();
  auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
  Prepara(*m);
  m->SetCODEMP_MGR(1);
  m->SetBloqueio(bloqueio, "FREXTRATO");
  m->SelectGuiasParaBaixa({"1...11.1.0", "1...11.2.0"}, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
  m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  m->SetContas(m->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
  auto grupo = [&](bool travaNoMeio) {
    ASSERT_TRUE(m->FindKey({11, 1}));
    m->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, m, false, true);
    if (travaNoMeio)
      Db().Execute("insert into TBLOQUEIO_LANCAMENTO values (1, 1, 'frExtrato', '2024-03-01', '2024-03-20', 'Auditoria')");
    ASSERT_TRUE(m->FindKey({11, 2}));
    m->LancaBaixaParcelaAtual(0, nullptr, nullptr, true, m, true, true);
  };

  grupo(true);
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger(), 0);
  ASSERT_EQ(bloqueio->Inconsistencias()->Count(), 1);
  EXPECT_EQ(bloqueio->Inconsistencias()->Itens().back().Caption,
            "Existe bloqueio de lançamentos da empresa 1 no período de 01/03/2024 a 20/03/2024. Motivo: Auditoria");
  for (int ordem : {1, 2}) {
    ASSERT_TRUE(m->FindKey({11, ordem}));
    EXPECT_EQ(m->FieldByName("BDSALDOAPAGAR").AsCurrency(), R(100)) << ordem;
  }

  Db().Execute("delete from TBLOQUEIO_LANCAMENTO");
  list_->Clear();
  grupo(false);
  EXPECT_EQ(list_->Count(), 0) << Ultima();
  ASSERT_EQ(Lancamentos().Rows.size(), 1u);
  EXPECT_EQ(Lancamentos().Value(0, "BDVALOR").AsCurrency(), R(200));
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDSEQPGTO = 1").AsInteger(), 2);
}

// A group's installments of document 11 (key 43), each recorded as its own posted link.
class GroupStatementTest : public SettlementMgrTest {
 protected:
  TMovParPgtoMGR& Grupo(int parcelas) {
    std::vector<seed::ParcelaSeed> ps;
    for (int o = 1; o <= parcelas; ++o) ps.push_back({o, R(100), TDateTime(), 0});
    seed::AddDocumentoFiscal(Db(), 0, 1, 11, 43, EncodeDate(2024, 3, 1), R(100) * parcelas, ps);
    auto* m = TMovParPgtoEntMGR::CreateMgr(&owner_);
    Prepara(*m);
    m->SetCODEMP_MGR(1);
    std::vector<std::string> chaves;
    for (int o = 1; o <= parcelas; ++o) chaves.push_back(fmt::format("1...11.{}.0", o));
    m->SelectGuiasParaBaixa(chaves, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
    m->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
    m->SetContas(m->ConfContasOnline()->GetConfiguracaoPorChave(1, 1, data_));
    m->OnGetOrigemBaixa = [m](TComponent*) {
      const int64_t ordem = m->FieldByName("BDORDEMPAR").AsInteger();
      return TOrigemBaixa{3, ordem, fmt::format("2|0|11|{}", ordem), fmt::format("a parcela {} do documento 43", ordem)};
    };
    return *m;
  }
  // Adds installments 1 to parcelas to the group, the last one closing it.
  static void Agrupa(TMovParPgtoMGR& m, int parcelas) {
    for (int o = 1; o <= parcelas; ++o) {
      ASSERT_TRUE(m.FindKey({11, o}));
      m.LancaBaixaParcelaAtual(0, nullptr, nullptr, true, &m, o == parcelas, true);
    }
  }
  // What this module wrote: payments (the suite's own have no entry), link records, entries.
  void NadaGravado() {
    EXPECT_TRUE(Lancamentos().Rows.empty());
    EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDCHAVELAN is not null").AsInteger(), 0);
    EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMP_TVINC_BAIXA_LANC").AsInteger(), 0);
  }
};

// Another program paid part of the group's second installment after it was selected: the group's
// statement refuses it, telling once what is left of it, and nothing of the group stays written; the
// selection shows every balance again.
TEST_F(GroupStatementTest, ASecondInstallmentsBalanceExceededRefusesTheGroupWhole) {
  TMovParPgtoMGR& m = Grupo(3);
  ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                         "BDVALORPGTO, BDTIPOBAIXA) values (1, 11, 2, 1, '2024-03-05', 60, 1)");
  Agrupa(m, 3);
  ASSERT_EQ(list_->Count(), 1);
  EXPECT_EQ(Ultima(), "Baixa não lançada: o valor 100,00 é maior que o saldo a pagar 40,00 de a parcela 2 do documento "
                      "43 (entradas) da empresa 1.");
  NadaGravado();
  for (int ordem : {1, 2, 3}) {
    ASSERT_TRUE(m.FindKey({11, ordem}));
    EXPECT_EQ(m.FieldByName("BDSALDOAPAGAR").AsCurrency(), R(100)) << ordem;
  }
}

// A group of more installments than one statement writes takes several statements, still one entry:
// refused at its last installment, nothing of it stays; once that one is free, the group posts whole.
TEST_F(GroupStatementTest, AGroupLargerThanAStatementIsRefusedWholeAndPostsWholeInOneEntry) {
  const int parcelas = static_cast<int>(kPagamentosPorComando) + 1;
  TMovParPgtoMGR& m = Grupo(parcelas);
  ExecutaComoSuite(Db(), "insert into VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, "
                         "BDVALORPGTO, BDTIPOBAIXA) values (1, 11, ?, 1, '2024-03-05', 1, 1)",
                   {parcelas});
  Agrupa(m, parcelas);
  ASSERT_EQ(list_->Count(), 1);
  EXPECT_NE(Ultima().find(fmt::format("saldo a pagar 99,00 de a parcela {} ", parcelas)), std::string::npos) << Ultima();
  NadaGravado();

  ExecutaComoSuite(Db(), "delete from VEF_EMP_TMOVENTPARPGTO");
  list_->Clear();
  Agrupa(m, parcelas);
  EXPECT_EQ(list_->Count(), 0) << Ultima();
  ASSERT_EQ(Lancamentos().Rows.size(), 1u);
  EXPECT_EQ(Lancamentos().Value(0, "BDVALOR").AsCurrency(), R(100) * parcelas);
  const Variant chave = Lancamentos().Value(0, "BDCHAVE");
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDCHAVELAN = ? and BDSEQPGTO = 1",
                            {chave}).AsInteger(),
            parcelas);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMP_TVINC_BAIXA_LANC where BDCHAVELAN = ?", {chave}).AsInteger(),
            parcelas);
}

// Another workstation holds the group's second installment: the refusal names that installment, and
// nothing of the group stays written.
TEST_F(GroupStatementTest, AGroupRefusedForAnotherWorkstationsLockNamesTheInstallmentItHolds) {
  TMovParPgtoMGR& m = Grupo(3);
  TDatabase outra;
  outra.Open(Company().Path());
  LancaComOutraEstacaoSegurando(
      outra, "update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 11 and BDORDEMPAR = 2",
      [&] { Agrupa(m, 3); });
  EXPECT_EQ(Ultima(), "Baixa não lançada: a parcela 2 do documento 43 (entradas) da empresa 1 está sendo baixada por "
                      "outra estação de trabalho.");
  NadaGravado();
}

TEST_F(SettlementMgrTest, AGroupLeftOpenIsWrittenWhenTheManagerGoes) {
  seed::AddDocumentoFiscal(Db(), 1, 1, 20, 7, EncodeDate(2024, 3, 1), R(80), {{1, R(80), TDateTime(), 0}});
  {
    auto m = std::make_unique<TMovParPgtoSaiMGR>();
    Prepara(*m);
    m->SelectGuiasParaBaixa({"1...20.1.1"}, m->GetTableJoinParcelamento(1), m->GetTablePagamento());
    m->LancaBaixaParcelaAtual(1, nullptr, nullptr, true, m.get(), false, true);
    EXPECT_TRUE(Lancamentos().Rows.empty());
  }
  ASSERT_EQ(Lancamentos().Rows.size(), 1u);
  EXPECT_EQ(Lancamentos().Value(0, "BDVALOR").AsCurrency(), R(80));
}

TEST_F(SettlementMgrTest, OnlineConfigurationValidAtADate) {
  Db().Execute("insert into TCONF_CONTAS_ONLINE_REF (BDCODPLANOONLINE, BDCHAVE, BDREFCTA, BDCONTADEBPGTO, "
               "BDCONTACREDPGTO) values (1, 1, 202403, ?, ?)",
               {seed::kContaDespesas, seed::kContaCaixa});
  TCONF_CONTAS_ONLINEMGR conf;
  auto fev = conf.GetConfiguracaoPorChave(1, 1, EncodeDate(2024, 2, 29));
  ASSERT_EQ(fev.size(), 1u);
  EXPECT_EQ(fev[0].ContaDebPgto, seed::kContaFornecedores);
  auto mar = conf.GetConfiguracaoPorChave(1, 1, EncodeDate(2024, 3, 1));
  ASSERT_EQ(mar.size(), 1u);
  EXPECT_EQ(mar[0].ContaDebPgto, seed::kContaDespesas);
  EXPECT_EQ(mar[0].Classificacao, "01.001.000000001.000000001");
  EXPECT_TRUE(conf.GetConfiguracaoPorChave(1, 1, EncodeDate(2023, 12, 31)).empty());
}

TEST_F(SettlementMgrTest, EntriesManagerWritesAColumnThroughToTheSessionWorkTable) {
  seed::AddLancamentoTemp(Db(), 5, 1, 3, EncodeDate(2024, 3, 1), 0, seed::kContaBanco, R(10), "1", false);
  auto m = TLancamentoMGR::CreateMgrOwned(std::string());
  m->CommandText("select BDSESSAO, BDCODEMP, BDCHAVE, BDVINC_BAIXA from TMP_VZEL_EMPRESAS_TLAN_TEMP");
  m->SetHugeFile(true);
  m->SetSessao(5);
  m->SetWorkTable(TLancamentoMGR::kTabelaTemp);
  m->SetUpdateRegHugeFileForTpIntegracao("BDVINC_BAIXA", "TRUE", ltFlag);
  EXPECT_EQ(Db().QueryValue("select BDVINC_BAIXA from TMP_VZEL_EMPRESAS_TLAN_TEMP").AsString(), "TRUE");
  EXPECT_EQ(m->FieldByName("BDVINC_BAIXA").AsString(), "TRUE");
  EXPECT_THROW(m->SetUpdateRegHugeFileForTpIntegracao("BDVINC_BAIXA = 'x'; --", "TRUE", ltFlag), EDataSetError);

  auto links = TLancamentoMGR::NewClientDataSetBaixas();
  for (const char* c : {"BDCHAVE", "BDBAIXA_ID", "BDORDEM", "BDTIPO_BAIXA", "BDSUBTIPO_BAIXA", "BDVALOR",
                        "BDAUTOMATICO", "BDTIPOSERVICO", "BDNUMDOCINI", "BDCHAVEPAI", "BDCHAVELANC", "BDJUROS",
                        "BDMULTAS", "BDDESCONTOS", "BDCODTIPOBAIXA", "BDVALORPAGO"})
    EXPECT_NE(links->FindField(c), nullptr) << c;
}

}  // namespace
}  // namespace vyn
