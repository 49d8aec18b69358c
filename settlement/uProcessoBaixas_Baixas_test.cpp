#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/settlement_mgr.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/host/posting_lock_check.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/scripted_dialogs.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;

TDateTime Marco() { return EncodeDate(2024, 3, 12); }

class TfrConsultaImportacaoExtratoBancario : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrConsultaImportacaoExtratoBancario"; }
};

class PostingRunTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    TPublicas::SetReferencia(202401);
    entradas_ = EntradasEmMemoria(tela_);
    empresa_ = EditEmpresa1(tela_);
    ASSERT_TRUE(empresa_->Validate());
    list_ = tela_.Create<TInconsistencias_VYN>();
    pb_ = std::make_unique<TProcessoBaixas>(&tela_, entradas_);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << (dialogs_.Failures().empty() ? "" : dialogs_.Failures().front());
    pb_.reset();
    CompanyDatabaseTest::TearDown();
  }

  void Entrada(int chave, int debito, int credito, Currency valor, TDateTime data = Marco()) {
    entradas_->AppendRecord({1, chave, debito ? Variant(debito) : Variant(), credito ? Variant(credito) : Variant(),
                             Variant(), data, valor, "E" + std::to_string(chave), Variant(), Variant(), true});
  }
  // A link row: entry, kind, book, obligation, order, value, receipt part code and its amounts.
  void Link(TClientDataSet* ds, int chave, int tipo, int livro, int id, int ordem, Currency valor, int codTipo = 1,
            Currency juros = {}, Currency multas = {}, Currency descontos = {}, int servico = 0) {
    ds->Append();
    const std::pair<const char*, Variant> v[] = {{"BDCHAVE", chave}, {"BDTIPO_BAIXA", tipo}, {"BDSUBTIPO_BAIXA", livro},
        {"BDBAIXA_ID", id}, {"BDORDEM", ordem}, {"BDVALOR", valor}, {"BDNUMDOCINI", std::to_string(id)},
        {"bdCODTIPOBAIXA", codTipo}, {"BDJUROS", juros}, {"BDMULTAS", multas}, {"BDDESCONTOS", descontos},
        {"BDTIPOSERVICO", servico}};
    for (const auto& [c, x] : v) ds->FieldByName(c).SetValue(x);
    ds->Post();
  }
  void Links(std::initializer_list<std::array<int, 6>> ls) {
    for (const auto& l : ls) Link(pb_->cdsVINC_EXT_BAN_BAIXA, l[0], l[1], l[2], l[3], l[4], R(l[5]));
  }
  void Documento(int livro, int chave, std::vector<int> parcelas) {
    std::vector<seed::ParcelaSeed> ps;
    for (size_t i = 0; i < parcelas.size(); ++i) ps.push_back({static_cast<int>(i + 1), R(parcelas[i]), TDateTime(), 0});
    seed::AddDocumentoFiscal(Db(), livro, 1, chave, chave, EncodeDate(2024, 1, 5), R(1000), ps);
  }
  // A large-file review's entries of session 9, as staged.
  TLancamentoMGR* ArquivoGrande() {
    auto* huge = TLancamentoMGR::CreateMgr(&tela_);
    huge->SetTableName("");
    huge->CommandText("select * from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9 order by BDCHAVE");
    huge->SetHugeFile(true);
    huge->SetSessao(9);
    huge->SetWorkTable(TLancamentoMGR::kTabelaTemp);
    return huge;
  }
  int Flag(int chave) {
    EXPECT_TRUE(entradas_->Locate("BDCHAVE", {chave}));
    return static_cast<int>(entradas_->FieldByName("BDINCONSISTENTE").AsInteger());
  }
  TQueryResult Lancamentos() {
    return Db().QueryAll("select BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, BDDATA, BDCHAVE from VZEL_EMPRESAS_TLAN order by BDCHAVE");
  }
  // Payments of a book: document, order, kind, value, entry, ledger key.
  TQueryResult Pagamentos(const std::string& tabela) {
    return Db().QueryAll("select BDCHAVE, BDORDEMPAR, BDTIPOBAIXA, BDVALORPGTO, BDCHAVEORIGEM, BDCHAVELAN from " + tabela +
                         " order by BDCHAVEORIGEM, BDCHAVE, BDORDEMPAR, BDTIPOBAIXA");
  }
  std::string Mensagens() const {
    std::string out;
    for (const auto& i : list_->Itens()) out += i.Caption + "\n";
    return out;
  }

  TScriptedDialogs dialogs_;
  TfrConsultaImportacaoExtratoBancario tela_;
  TComponent outraTela_;
  TLancamentoMGR* entradas_ = nullptr;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TInconsistencias_VYN* list_ = nullptr;
  std::unique_ptr<TProcessoBaixas> pb_;
};

TEST_F(PostingRunTest, MixedKindsSortedByEntrySettleWithTheirOwnEntryAndWhatPostsNothingIsWarned) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddGuia(Db(), 1, 56, R(70));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000));
  Documento(0, 10, {100, 100});
  for (int k = 1; k <= 7; ++k) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(k == 4 ? 1000 : 500));
  // Interleaved kinds: 7 is more than its installment, 6 and 5 name nothing that exists.
  Links({{7, tbvParcela, 0, 10, 1, 120}, {3, tbvGuia, 0, 56, 0, 70}, {6, tbvParcela, 0, 10, 3, 100},
         {2, tbvParcela, 0, 10, 2, 100}, {1, tbvGuia, 0, 55, 0, 500}, {5, tbvGuia, 0, 99, 0, 10},
         {4, tbvCalculo, 2, 300, 1, 1000}});
  list_->Add_Atencao(1, "mensagem de antes da baixa");
  const size_t componentes = tela_.Components().size();

  pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 4u) << Mensagens();
  const char* dctos[] = {"E1", "E2", "E3", "E4"};
  const int valores[] = {500, 100, 70, 1000};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(l.Value(i, "BDDCTO").AsString(), dctos[i]);
    EXPECT_EQ(l.Value(i, "BDVALOR").AsCurrency(), R(valores[i]));
  }
  auto g = Db().QueryAll("select BDCHAVEORIGEM from TDARFGERPGTO_BAIXA order by BDCHAVEDARF");
  ASSERT_EQ(g.Rows.size(), 2u);
  EXPECT_EQ(g.Value(0, "BDCHAVEORIGEM").AsInteger(), 1);
  EXPECT_EQ(g.Value(1, "BDCHAVEORIGEM").AsInteger(), 3);
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 1u);
  EXPECT_EQ(p.Value(0, "BDORDEMPAR").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select BDVLRPGTO from TDADOSPGTOCALC").AsCurrency(), R(1000));
  // 2 and 3 were settled for less than their value: the rest is named and the entries stay out.
  for (int k = 1; k <= 7; ++k) EXPECT_EQ(Flag(k), k == 1 || k == 4 ? 1 : 4) << k;
  const std::string m = Mensagens();
  EXPECT_EQ(list_->Count(), 6) << m;
  EXPECT_NE(m.find("Lançamento 2: as baixas somam 100,00 do valor 500,00; restam 400,00 sem lançamento"),
            std::string::npos)
      << m;
  EXPECT_NE(m.find("Lançamento 5: a guia de imposto 99"), std::string::npos) << m;
  EXPECT_NE(m.find("Lançamento 6: a parcela 3 do documento 10"), std::string::npos) << m;
  EXPECT_NE(m.find("Lançamento 7: o valor vinculado 120,00"), std::string::npos) << m;
  // What the run changed is back.
  EXPECT_EQ(entradas_->MasterSource(), nullptr);
  EXPECT_EQ(entradas_->RecordCount(), 7);
  EXPECT_EQ(TPublicas::GetReferencia(), 202401);
  EXPECT_EQ(tela_.Components().size(), componentes);
}

TEST_F(PostingRunTest, PartialAndFullInstallmentsAndOneInstallmentLinkedTwicePostsOnce) {
  Documento(1, 20, {100, 80});
  Entrada(1, seed::kContaBanco, seed::kContaClientes, R(50));
  Entrada(2, seed::kContaBanco, seed::kContaClientes, R(80));
  Links({{1, tbvParcela, 1, 20, 1, 60}, {2, tbvParcela, 1, 20, 2, 80}, {2, tbvParcela, 1, 20, 2, 80}});
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);   // another screen: never asked

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDEBITO").AsInteger(), seed::kContaBanco);
  EXPECT_EQ(l.Value(0, "BDCREDITO").AsInteger(), seed::kContaClientes);
  auto p = Pagamentos("VEF_EMP_TMOVSAIPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(50));   // partial, capped by the entry
  EXPECT_EQ(p.Value(1, "BDVALORPGTO").AsCurrency(), R(80));
  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  EXPECT_EQ(Flag(1), 1);
  EXPECT_EQ(Flag(2), 1);
  EXPECT_TRUE(entradas_->FieldByName("BDCONCD").AsBoolean());   // receipts are settled on the debit side
}

// A link the engine cannot settle is told and flags its entry; a second run over links already
// posted pays nothing again.
TEST_F(PostingRunTest, UnknownLinksAreWarnedAndASecondRunPostsNothing) {
  Documento(1, 20, {100, 80});
  Entrada(1, seed::kContaBanco, seed::kContaClientes, R(50));
  Entrada(2, seed::kContaBanco, seed::kContaClientes, R(80));
  Entrada(3, seed::kContaBanco, seed::kContaClientes, R(10));
  Entrada(4, seed::kContaBanco, seed::kContaClientes, R(10));
  Links({{1, tbvParcela, 1, 20, 1, 50}, {2, tbvParcela, 1, 20, 2, 80}, {3, 7, 1, 20, 1, 10},
         {4, tbvParcela, 9, 20, 1, 10}});
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  EXPECT_EQ(Pagamentos("VEF_EMP_TMOVSAIPARPGTO").Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(Flag(3), 4);
  EXPECT_EQ(Flag(4), 4);
  const std::string m = Mensagens();
  EXPECT_NE(m.find("Lançamento 3: baixa não lançada: vínculo de tipo 7 (livro 1) desconhecido."), std::string::npos) << m;
  EXPECT_NE(m.find("Lançamento 4: baixa não lançada: vínculo de tipo 2 (livro 9) desconhecido."), std::string::npos) << m;

  list_->Clear();
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  EXPECT_EQ(Pagamentos("VEF_EMP_TMOVSAIPARPGTO").Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
  EXPECT_EQ(Flag(1), 1);
  EXPECT_EQ(Flag(2), 1);
}

TEST_F(PostingRunTest, TheEntrysMonthChoosesTheConfigurationAndAMissingOneSkipsOnlyItsRow) {
  // A configuration valid from March posts principals on expenses.
  Db().Execute("insert into TCONF_CONTAS_ONLINE (BDCODPLANOONLINE, BDCHAVE, BDCODPLAPADRAO, BDCLASSIFICACAO) values "
               "(1, 9, 1, '01.001.000000001.000000001')");
  Db().Execute("insert into TCONF_CONTAS_ONLINE_REF values (1, 9, 202403, ?, ?)", {seed::kContaDespesas, seed::kContaBanco});
  Documento(0, 10, {100, 100, 100});
  Entrada(3, seed::kContaFornecedores, seed::kContaCaixa, R(100));   // cash: not configured
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(100), EncodeDate(2024, 2, 10));
  Entrada(2, seed::kContaFornecedores, seed::kContaBanco, R(100));
  // The first link handled lacks a configuration; the others share its document.
  Links({{3, tbvParcela, 0, 10, 3, 100}, {1, tbvParcela, 0, 10, 1, 100}, {2, tbvParcela, 0, 10, 2, 100}});
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDEBITO").AsInteger(), seed::kContaFornecedores);   // February: January's configuration
  EXPECT_EQ(l.Value(1, "BDDEBITO").AsInteger(), seed::kContaDespesas);       // March: March's
  ASSERT_EQ(list_->Count(), 1);
  EXPECT_EQ(list_->Itens()[0].Caption,
            "Conta 10 à crédito não configurada no plano 1 para o lançamento 3 de data 12/03/2024");
  EXPECT_EQ(Flag(3), 4);
  EXPECT_EQ(TPublicas::GetReferencia(), 202401);
  // The company edit followed the months and holds the company's data of the restored one.
  ASSERT_NE(empresa_->GetDaoFactory(), nullptr);
  EXPECT_EQ(empresa_->GetDaoFactory()->Campo("BDREFEMP").AsInteger(), 202401);
}

TEST_F(PostingRunTest, ThePostingPlanIsTheOneTheCompanyHasInTheEntrysMonth) {
  // From March company 1 posts with plan 2, whose payments' principal goes to expenses.
  Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO, BDCODHIST, BDCODPLANOONLINE) "
               "VALUES (1, 202403, 'Empresa Modelo Ltda', 1, 1, 2)");
  Db().Execute("insert into TCONF_CONTAS_ONLINE (BDCODPLANOONLINE, BDCHAVE, BDCODPLAPADRAO, BDCLASSIFICACAO) values "
               "(2, 1, 1, '01.001.000000001.000000001')");
  Db().Execute("insert into TCONF_CONTAS_ONLINE_REF values (2, 1, 202401, ?, ?)", {seed::kContaDespesas, seed::kContaBanco});
  Documento(0, 10, {100, 100});
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(100), EncodeDate(2024, 2, 10));
  Entrada(2, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Links({{1, tbvParcela, 0, 10, 1, 100}, {2, tbvParcela, 0, 10, 2, 100}});
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDEBITO").AsInteger(), seed::kContaFornecedores);   // February: plan 1
  EXPECT_EQ(l.Value(1, "BDDEBITO").AsInteger(), seed::kContaDespesas);       // March: plan 2
  EXPECT_EQ(empresa_->GetDaoFactory()->Campo("BDCODPLANOONLINE").AsInteger(), 1);   // back at January
}

TEST_F(PostingRunTest, AManagerThatRaisesLeavesTheMonthAndTheBindingsAsTheyWere) {
  Documento(0, 10, {100});
  seed::AddLancamentoTemp(Db(), 9, 1, 1, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(100), "1", true);
  seed::AddLancamentoTemp(Db(), 9, 1, 2, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(30), "2", false);
  Db().Execute("create exception E_FALHA_TESTE 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_TESTE for VZEL_EMPRESAS_TLAN before insert as begin exception E_FALHA_TESTE; end");
  auto* huge = TLancamentoMGR::CreateMgr(&tela_);
  huge->SetTableName("");
  const std::string sql = "select BDSESSAO, BDCODEMP, BDCHAVE, BDVALOR from TMP_VZEL_EMPRESAS_TLAN_TEMP order by BDCHAVE";
  huge->CommandText(sql);
  huge->SetHugeFile(true);
  huge->SetSessao(9);
  huge->SetWorkTable(TLancamentoMGR::kTabelaTemp);
  pb_->SetDAOImport(huge);
  Links({{1, tbvParcela, 0, 10, 1, 100}});

  EXPECT_THROW(pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, huge), EDatabaseError);
  EXPECT_EQ(TPublicas::GetReferencia(), 202401);
  EXPECT_EQ(huge->MasterSource(), nullptr);
  // The run kept its company edit to itself: the engine has none but what a screen gave it.
  EXPECT_EQ(pb_->CodEmp(), nullptr);
  EXPECT_EQ(pb_->DAOImport(), huge);
  EXPECT_EQ(huge->GetCommandText(), sql);
  EXPECT_EQ(huge->RecordCount(), 2);
  EXPECT_FALSE(huge->ControlsDisabled());
  EXPECT_TRUE(outraTela_.Components().empty());
}

// A run commits each settlement as it goes: while it waits on an obligation another workstation holds,
// what it posted before is already the database's; the refused settlement is undone alone and the
// next one posts. A settlement that fails undoes only itself, and the run leaves no transaction open.
TEST_F(PostingRunTest, ARunCommitsEachSettlementAsItGoesAndUndoesOnlyTheOneRefusedOrFailing) {
  for (int d : {10, 20, 30, 40}) Documento(0, d, {100});
  for (int k = 1; k <= 3; ++k) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Links({{1, tbvParcela, 0, 10, 1, 100}, {2, tbvParcela, 0, 20, 1, 100}, {3, tbvParcela, 0, 30, 1, 100}});
  auto pagos = [](TDatabase& db) {
    return db.QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO").AsInteger();
  };
  TDatabase outra;
  outra.Open(Company().Path());
  auto segura = std::make_unique<TTransaction>(outra);
  outra.Execute("update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 20");
  int64_t vistosDuranteAEspera = -1;
  int64_t liberadaDuranteAEspera = -1;
  std::thread libera([&] {
    // The run cannot end before this workstation lets the second obligation go: the first settlement
    // seen meanwhile was committed as the run went. Bounded, so a run that commits only at its end fails.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((vistosDuranteAEspera = pagos(outra)) < 1 && std::chrono::steady_clock::now() < limite)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // From the first settlement's commit the run is a few statements from waiting on the second
    // obligation; the margin lets it get there, so that letting go is what ends its wait.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // The first settlement's obligation is no longer held by the run that committed it.
    liberadaDuranteAEspera = outra.Execute("update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 10");
    segura->Commit();
  });
  pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_);
  libera.join();

  EXPECT_EQ(vistosDuranteAEspera, 1);
  EXPECT_EQ(liberadaDuranteAEspera, 1);
  ASSERT_EQ(list_->Count(), 1) << Mensagens();
  EXPECT_NE(Mensagens().find("está sendo baixada por outra estação de trabalho"), std::string::npos) << Mensagens();
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);
  EXPECT_EQ(p.Value(0, "BDCHAVE").AsInteger(), 10);
  EXPECT_EQ(p.Value(1, "BDCHAVE").AsInteger(), 30);
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMP_TVINC_BAIXA_LANC").AsInteger(), 2);
  EXPECT_FALSE(Db().InTransaction());
  // Nothing of the refused settlement holds its obligation: another workstation changes it at once.
  {
    TTransaction tr(outra);
    EXPECT_EQ(outra.Execute("update VEF_EMP_TMOVENTPAR set BDVALORPAR = BDVALORPAR where BDCHAVE = 20"), 1);
    tr.Commit();
  }

  // A failing settlement: the run stops, what it posted before stays and the failing one left nothing.
  Db().Execute("create exception E_FALHA_TESTE 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_TESTE for VZEL_EMPRESAS_TLAN before insert as begin "
               "if (new.BDVALOR = 77) then exception E_FALHA_TESTE; end");
  for (TClientDataSet* v = pb_->cdsVINC_EXT_BAN_BAIXA; !v->IsEmpty();) v->Delete();
  Entrada(5, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Entrada(6, seed::kContaFornecedores, seed::kContaBanco, R(77));
  Links({{5, tbvParcela, 0, 20, 1, 100}, {6, tbvParcela, 0, 40, 1, 77}});
  list_->Clear();
  EXPECT_THROW(pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_), EDatabaseError);
  EXPECT_FALSE(Db().InTransaction());
  EXPECT_EQ(outra.QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDCHAVE = 20").AsInteger(), 1);
  EXPECT_EQ(outra.QueryValue("select count(*) from VEF_EMP_TMOVENTPARPGTO where BDCHAVE = 40").AsInteger(), 0);
  EXPECT_EQ(outra.QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 3);
  EXPECT_EQ(outra.QueryValue("select count(*) from VZEL_EMP_TVINC_BAIXA_LANC").AsInteger(), 3);
}

class GroupingTest : public PostingRunTest, public ::testing::WithParamInterface<int> {};

TEST_P(GroupingTest, AskedOnceWithTheirPartsAndAGroupEndingInNothingIsClosed) {
  dialogs_.Answer("Contabilização agrupada", GetParam());
  Documento(0, 10, {100, 100});
  Documento(0, 11, {100, 100});
  Documento(0, 12, {100});
  for (int k : {1, 2, 3}) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(200));
  Links({{1, tbvParcela, 0, 10, 1, 100}, {1, tbvParcela, 0, 10, 2, 100}, {2, tbvParcela, 0, 11, 1, 100},
         {2, tbvParcela, 0, 11, 2, 100}, {3, tbvParcela, 0, 12, 1, 100},
         {3, tbvParcela, 0, 12, 9, 100}});   // the entry's last link posts nothing
  TBaixasAdicionaisDoVinculo partes;
  partes[ChaveBaixaAdicional(tbvParcela, 0, 10, 1)] = {{tbaJuros, seed::kContaJurosPagos, 0, R(5)}};
  pb_->SetBaixasAdicionaisDoVinculo(&partes);

  pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_);

  EXPECT_EQ(dialogs_.Calls().size(), 1u);
  const bool agrupado = GetParam() == mrYes;
  EXPECT_EQ(Lancamentos().Rows.size(), agrupado ? 4u : 6u) << Mensagens();
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 6u);
  EXPECT_EQ(p.Value(1, "BDTIPOBAIXA").AsInteger(), tbpJuros);   // 10/1's interest, whatever the answer
  EXPECT_EQ(p.Value(1, "BDVALORPGTO").AsCurrency(), R(5));
  EXPECT_EQ(p.Value(0, "BDCHAVELAN") == p.Value(2, "BDCHAVELAN"), agrupado);
  EXPECT_EQ(p.Value(3, "BDCHAVELAN") == p.Value(4, "BDCHAVELAN"), agrupado);
  EXPECT_EQ(p.Value(5, "BDCHAVEORIGEM").AsInteger(), 3);
  EXPECT_EQ(Flag(1), 1);
  EXPECT_EQ(Flag(3), 4);
  pb_->SetBaixasAdicionaisDoVinculo(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Respostas, GroupingTest, ::testing::Values(mrYes, mrNo, mrCancel));

// The statement review makes each split row of a line an entry of its own (BDCHAVEPAI naming the
// line): the links of one line's split rows are that line's several links, grouped when the user says so.
TEST_P(GroupingTest, TheSplitRowsOfOneStatementLineAreItsSeveralLinks) {
  dialogs_.Answer("Contabilização agrupada", GetParam());
  Documento(0, 10, {60});
  Documento(0, 11, {40});
  Entrada(11, seed::kContaFornecedores, seed::kContaBanco, R(60));
  Entrada(12, seed::kContaFornecedores, seed::kContaBanco, R(40));
  Links({{11, tbvParcela, 0, 10, 1, 60}, {12, tbvParcela, 0, 11, 1, 40}});
  TClientDataSet* v = pb_->cdsVINC_EXT_BAN_BAIXA;
  for (v->First(); !v->Eof(); v->Next()) {
    v->Edit();
    v->FieldByName("BDCHAVEPAI").SetAsInteger(5);
    v->Post();
  }

  pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_);

  EXPECT_EQ(dialogs_.Calls().size(), 1u);
  const bool agrupado = GetParam() == mrYes;
  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), agrupado ? 1u : 2u) << Mensagens();
  if (agrupado) {
    EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(100));
  }
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);
  EXPECT_EQ(p.Value(0, "BDCHAVEORIGEM").AsInteger(), 11);
  EXPECT_EQ(p.Value(1, "BDCHAVEORIGEM").AsInteger(), 12);
  EXPECT_EQ(p.Value(0, "BDCHAVELAN") == p.Value(1, "BDCHAVELAN"), agrupado);
  EXPECT_EQ(Flag(11), 1);
  EXPECT_EQ(Flag(12), 1);
  EXPECT_EQ(list_->Count(), 0) << Mensagens();
}

// Whatever road made the link, a payment never settles what the company receives nor a receipt what
// it pays: the line is refused whole (its right link too), told once, and keeps out of the import.
TEST_F(PostingRunTest, APaymentNeverSettlesAReceivableNorAReceiptAPayableOrAGuide) {
  Documento(0, 10, {100});
  Documento(1, 20, {100});
  seed::AddGuia(Db(), 1, 55, R(100));
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(100));   // a payment
  Entrada(2, seed::kContaBanco, seed::kContaClientes, R(100));       // a receipt
  Entrada(3, seed::kContaBanco, seed::kContaClientes, R(100));
  Entrada(4, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Links({{1, tbvParcela, 0, 10, 1, 100}, {1, tbvParcela, 1, 20, 1, 100}, {2, tbvGuia, 0, 55, 0, 100},
         {3, tbvParcela, 1, 20, 1, 100}, {4, tbvParcela, 0, 10, 1, 100}});
  Link(pb_->cdsVINC_EXT_BAN_COMP_BAIXA, 1, tbvParcela, 1, 20, 1, R(100));

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  pb_->GetVinculoBaixaComp(&outraTela_, empresa_, list_, entradas_);

  auto compra = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(compra.Rows.size(), 1u) << Mensagens();
  EXPECT_EQ(compra.Value(0, "BDCHAVEORIGEM").AsInteger(), 4);
  auto venda = Pagamentos("VEF_EMP_TMOVSAIPARPGTO");
  ASSERT_EQ(venda.Rows.size(), 1u) << Mensagens();
  EXPECT_EQ(venda.Value(0, "BDCHAVEORIGEM").AsInteger(), 3);
  EXPECT_TRUE(Db().QueryAll("select * from TDARFGERPGTO_BAIXA").Rows.empty());
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(Flag(k), k <= 2 ? 4 : 1) << k;
  EXPECT_EQ(list_->Count(), 2) << Mensagens();
  EXPECT_NE(Mensagens().find("Lançamento 1: nenhuma baixa lançada: o lançamento é um pagamento e a parcela 1 do "
                             "documento 20 vinculada é um recebimento."),
            std::string::npos)
      << Mensagens();
  EXPECT_NE(Mensagens().find("Lançamento 2: nenhuma baixa lançada: o lançamento é um recebimento e a guia de imposto "
                             "55 vinculada é um pagamento."),
            std::string::npos)
      << Mensagens();
}

// The entries and exits books have one nature for all their documents: a link to one of their documents
// that does not exist is told as not found, never refused for its nature, also beside a link that is.
TEST_F(PostingRunTest, ALinkToAMissingDocumentIsToldNotFoundAndOnlyAnExistingOneRefusesItsEntry) {
  Documento(1, 20, {100});
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(100));   // a payment
  Entrada(2, seed::kContaBanco, seed::kContaClientes, R(100));       // a receipt
  Links({{1, tbvParcela, 1, 99, 1, 100}, {1, tbvParcela, 1, 20, 1, 100}, {2, tbvParcela, 0, 98, 1, 100}});

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  EXPECT_TRUE(Pagamentos("VEF_EMP_TMOVSAIPARPGTO").Rows.empty());
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_NE(Mensagens().find("Lançamento 1: nenhuma baixa lançada: o lançamento é um pagamento e a parcela 1 do "
                             "documento 20 vinculada é um recebimento."),
            std::string::npos)
      << Mensagens();
  EXPECT_EQ(Mensagens().find("documento 99"), std::string::npos) << Mensagens();
  EXPECT_EQ(Mensagens().find("Lançamento 2: nenhuma baixa"), std::string::npos) << Mensagens();
  EXPECT_NE(Mensagens().find("Lançamento 2: a parcela 1 do documento 98 vinculada não foi encontrada."),
            std::string::npos)
      << Mensagens();
  EXPECT_EQ(Flag(1), 4);
  EXPECT_EQ(Flag(2), 4);
}

TEST_F(PostingRunTest, SavedLinksWithTheirOpenAmountStayAndTheOthersAreDroppedWithoutPostingOrFlagging) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddGuia(Db(), 1, 56, R(500), R(200));
  Documento(0, 10, {100, 100});
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(100), EncodeDate(2024, 2, 1));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000), R(700));
  seed::AddCalculo(Db(), 1, 2, 301, 1, R(1000));
  for (int k : {1, 2, 3, 4, 5, 6}) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(500));
  TClientDataSet salvos;
  for (const char* c : {"BDCHAVE", "BDBAIXA_ID", "BDTIPO_BAIXA", "BDSUBTIPO_BAIXA", "BDORDEM", "BDCAMPOEXTRA"})
    salvos.AddFieldDef(c, TFieldType::ftInteger);
  salvos.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  salvos.AddFieldDef("BDIDVINCULO", TFieldType::ftLargeint);   // another engine's stamp
  salvos.CreateDataSet();
  salvos.AppendRecord({1, 55, tbvGuia, 0, 0, 7, R(500), -1});
  salvos.AppendRecord({2, 56, tbvGuia, 0, 0, 7, R(500)});     // only 200 still open
  salvos.AppendRecord({3, 10, tbvParcela, 0, 1, 7, R(100)});  // paid in full
  salvos.AppendRecord({4, 10, tbvParcela, 0, 2, 7, R(100)});
  salvos.AppendRecord({5, 300, tbvCalculo, 2, 1, 7, R(300)});   // 1,000 less 700 paid
  salvos.AppendRecord({6, 301, tbvCalculo, 2, 1, 7, R(300)});   // 1,000 open

  pb_->AddRegistrosBaixas(&salvos, &tela_, empresa_, list_, entradas_);

  EXPECT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 3);
  ASSERT_EQ(list_->Count(), 3) << Mensagens();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(list_->Itens()[static_cast<size_t>(i)].Caption,
              fmt::format("Lançamento {}: Baixas do lançamento foram excluídas ou já foram lançadas.", "236"[i]));
  for (int k : {1, 2, 3, 4, 5, 6}) {
    EXPECT_EQ(Flag(k), 0) << k;   // left for the import
    EXPECT_EQ(entradas_->FieldByName("BDVINC_BAIXA").AsBoolean(), k == 1 || k == 4 || k == 5) << k;
  }
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO_BAIXA").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from TDADOSPGTOCALC_BAIXA").AsInteger(), 0);
  EXPECT_FALSE(pb_->PrimeiroTeste());
  ASSERT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->Locate("BDCHAVE", {1}));
  EXPECT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDIDVINCULO").IsNull());
}

TEST_F(PostingRunTest, SavedLinksOfALargeFileDropTheirEntryFromTheWorkTable) {
  seed::AddGuia(Db(), 1, 55, R(500));
  Documento(0, 10, {100});
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(100), EncodeDate(2024, 2, 1));
  for (int k : {1, 2, 3})
    seed::AddLancamentoTemp(Db(), 9, 1, k, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(500),
                            std::to_string(k), k != 3);
  seed::AddLancamentoTemp(Db(), 8, 1, 2, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(500), "2", true);
  auto* huge = TLancamentoMGR::CreateMgr(&tela_);
  huge->SetTableName("");
  huge->CommandText("select * from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9 order by BDCHAVE");
  huge->SetHugeFile(true);
  huge->SetSessao(9);
  huge->SetWorkTable(TLancamentoMGR::kTabelaTemp);
  pb_->SetDAOImport(huge);
  TClientDataSet salvos;
  for (const char* c : {"BDCHAVE", "BDBAIXA_ID", "BDTIPO_BAIXA", "BDSUBTIPO_BAIXA", "BDORDEM"})
    salvos.AddFieldDef(c, TFieldType::ftInteger);
  salvos.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  salvos.CreateDataSet();
  salvos.AppendRecord({1, 55, tbvGuia, 0, 0, R(500)});
  salvos.AppendRecord({2, 10, tbvParcela, 0, 1, R(100)});   // paid in full

  pb_->AddRegistrosBaixas(&salvos, &tela_, empresa_, list_, huge);

  auto t = Db().QueryAll("select BDSESSAO, BDCHAVE, BDINCONSISTENTE from TMP_VZEL_EMPRESAS_TLAN_TEMP order by BDSESSAO, BDCHAVE");
  ASSERT_EQ(t.Rows.size(), 3u);   // session 9 lost entry 2; session 8 kept its own
  EXPECT_EQ(t.Value(0, "BDSESSAO").AsInteger(), 8);
  EXPECT_EQ(t.Value(1, "BDCHAVE").AsInteger(), 1);
  EXPECT_EQ(t.Value(2, "BDCHAVE").AsInteger(), 3);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(t.Value(i, "BDINCONSISTENTE").AsInteger(), 0) << i;
  ASSERT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 1);
  pb_->cdsVINC_EXT_BAN_BAIXA->First();
  EXPECT_EQ(pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDCHAVE").AsInteger(), 1);
  EXPECT_TRUE(Lancamentos().Rows.empty());
  EXPECT_EQ(huge->MasterSource(), nullptr);
  EXPECT_NE(Mensagens().find("Lançamento 2: retirado da importação"), std::string::npos) << Mensagens();
}

// A manager that refuses a link (more than is open, already paid, no accounting value) posts nothing,
// warns about the link's own entry and leaves the other entries alone.
TEST_F(PostingRunTest, GuidesAndCalculationsSettleWhatTheLinkPaysAndNeverMoreThanIsOpen) {
  seed::AddGuia(Db(), 1, 55, R(500), R(200));
  seed::AddGuia(Db(), 1, 56, R(500));
  seed::AddGuia(Db(), 1, 57, R(500), R(0));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000));
  seed::AddCalculo(Db(), 1, 2, 301, 1, R(100));
  const int valores[] = {500, 200, 500, 300, 500};
  for (int k = 1; k <= 5; ++k) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(valores[k - 1]));
  Links({{1, tbvGuia, 0, 55, 0, 500}, {2, tbvGuia, 0, 56, 0, 200}, {3, tbvGuia, 0, 57, 0, 500},
         {4, tbvCalculo, 2, 300, 1, 300}, {5, tbvCalculo, 2, 301, 1, 500}});

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDCTO").AsString(), "E2");
  EXPECT_EQ(l.Value(0, "BDVALOR").AsCurrency(), R(200));
  EXPECT_EQ(l.Value(1, "BDDCTO").AsString(), "E4");
  EXPECT_EQ(l.Value(1, "BDVALOR").AsCurrency(), R(300));
  auto g = Db().QueryAll("select BDCHAVEDARF, BDVALORPGTO, BDCHAVEORIGEM from TDARFGERPGTO_BAIXA");
  ASSERT_EQ(g.Rows.size(), 1u);
  EXPECT_EQ(g.Value(0, "BDCHAVEDARF").AsInteger(), 56);
  EXPECT_EQ(g.Value(0, "BDVALORPGTO").AsCurrency(), R(200));
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 56").AsCurrency(), R(300));
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 55").AsCurrency(), R(200));
  auto c = Db().QueryAll("select BDCHAVE, BDVALORPGTO from TDADOSPGTOCALC_BAIXA");
  ASSERT_EQ(c.Rows.size(), 1u);
  EXPECT_EQ(c.Value(0, "BDVALORPGTO").AsCurrency(), R(300));
  EXPECT_EQ(Db().QueryValue("select BDVLRPGTO from TDADOSPGTOCALC where BDCHAVE = 300").AsCurrency(), R(300));
  EXPECT_EQ(Db().QueryValue("select coalesce(BDVLRPGTO, 0) from TDADOSPGTOCALC where BDCHAVE = 301").AsCurrency(), R(0));
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(Flag(k), k == 2 || k == 4 ? 1 : 4) << k;
  const std::string m = Mensagens();
  EXPECT_EQ(list_->Count(), 3) << m;
  EXPECT_NE(m.find("o valor 500,00 é maior que o saldo a pagar 200,00 de a guia de imposto 55"), std::string::npos) << m;
  EXPECT_NE(m.find("a guia de imposto 57 da empresa 1 já está quitada"), std::string::npos) << m;
  EXPECT_NE(m.find("o valor 500,00 é maior que o saldo a pagar 100,00 de o cálculo 301"), std::string::npos) << m;
}

TEST_F(PostingRunTest, InstallmentsSettleWhatTheLinkPaysAndARefusedPrincipalPostsNoParts) {
  Documento(0, 10, {100, 100, 100, 100});
  for (int ordem : {1, 2, 4}) seed::AddPagamentoParcela(Db(), 0, 1, 10, ordem, R(70), EncodeDate(2024, 2, 1));
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 3, R(100), EncodeDate(2024, 2, 1));
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 11, EncodeDate(2024, 1, 5), R(0), {{1, R(100), TDateTime(), 0}});
  const int valores[] = {100, 30, 105, 100, 100, 30};
  // 4 is a customer's receipt, the others payments.
  for (int k = 1; k <= 6; ++k)
    Entrada(k, k == 4 ? seed::kContaBanco : seed::kContaFornecedores, k == 4 ? seed::kContaClientes : seed::kContaBanco,
            R(valores[k - 1]));
  // 1: the whole installment, 70 of it paid; 2: what is left; 3: paid in full, with interest;
  // 5: no accounting value, beside 6, which settles normally.
  Links({{1, tbvParcela, 0, 10, 1, 100}, {2, tbvParcela, 0, 10, 2, 30}, {3, tbvParcela, 0, 10, 3, 100},
         {5, tbvParcela, 0, 11, 1, 100}, {6, tbvParcela, 0, 10, 4, 30}});
  TBaixasAdicionaisDoVinculo partes;
  partes[ChaveBaixaAdicional(tbvParcela, 0, 10, 3)] = {{tbaJuros, seed::kContaJurosPagos, 0, R(5)}};
  pb_->SetBaixasAdicionaisDoVinculo(&partes);
  // 4: the receipt run on what is left of an installment, linked for its whole value.
  Documento(1, 20, {100});
  seed::AddPagamentoParcela(Db(), 1, 1, 20, 1, R(70), EncodeDate(2024, 2, 1));
  Link(pb_->cdsVINC_EXT_BAN_COMP_BAIXA, 4, tbvParcela, 1, 20, 1, R(100));

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  pb_->GetVinculoBaixaComp(&outraTela_, empresa_, list_, entradas_);
  pb_->SetBaixasAdicionaisDoVinculo(nullptr);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDCTO").AsString(), "E2");
  EXPECT_EQ(l.Value(1, "BDDCTO").AsString(), "E6");
  auto p = Db().QueryAll("select BDORDEMPAR, BDTIPOBAIXA, BDVALORPGTO from VEF_EMP_TMOVENTPARPGTO where "
                         "BDCHAVEORIGEM is not null order by BDORDEMPAR");
  ASSERT_EQ(p.Rows.size(), 2u);   // no interest on the refused installment 3
  EXPECT_EQ(p.Value(0, "BDORDEMPAR").AsInteger(), 2);
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(30));
  EXPECT_EQ(p.Value(1, "BDORDEMPAR").AsInteger(), 4);
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVSAIPARPGTO").AsInteger(), 1);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(Flag(k), k == 2 || k == 6 ? 1 : 4) << k;
  const std::string m = Mensagens();
  EXPECT_EQ(list_->Count(), 4) << m;
  EXPECT_NE(m.find("o valor 100,00 é maior que o saldo a pagar 30,00 de a parcela 1 do documento 10"), std::string::npos) << m;
  EXPECT_NE(m.find("a parcela 3 do documento 10 (entradas) da empresa 1 já está quitada"), std::string::npos) << m;
  EXPECT_NE(m.find("Lançamento 5: A nota 11 vinculada não possui valor contábil. Verifique o respectivo lançamento no "
                   "módulo fiscal para prosseguir."),
            std::string::npos) << m;
  EXPECT_NE(m.find("o valor 100,00 é maior que o saldo a pagar 30,00 de a parcela 1 do documento 20"), std::string::npos) << m;
}

TEST_F(PostingRunTest, GuidesPaidWithoutAnEntryKeepTheirManagerAndFollowAnotherCompany) {
  seed::AddGuia(Db(), 1, 55, R(500));
  seed::AddGuia(Db(), 1, 56, R(70));
  seed::AddGuia(Db(), 2, 57, R(90));
  TComponent integracao;
  TBloqueioLancamento_VYN bloqueio(&integracao);
  bloqueio.SetInconsistencias(list_);
  TProcessoBaixas pb(&integracao, nullptr);
  TDadosBaixaImposto d{false, 1, EncodeDate(2024, 2, 20), 1, 1, seed::kContaCaixa, "DARF", "55", {}};
  for (const auto& [emp, guia] : {std::pair{1, "55"}, {1, "56"}, {2, "57"}}) {
    d.CodigoEmpresa = emp;
    d.CodigoDarf = guia;
    pb.RealizaBaixaImposto(&integracao, d, &bloqueio);
  }
  EXPECT_EQ(pb.CodEmp()->Codigo(), 2);
  EXPECT_EQ(integracao.Components().size(), 3u);   // lock, one company edit, one guide manager
  auto l = Db().QueryAll("select BDCODEMP, BDVALOR from VZEL_EMPRESAS_TLAN order by BDCODEMP, BDVALOR");
  ASSERT_EQ(l.Rows.size(), 3u) << Mensagens();
  EXPECT_EQ(l.Value(2, "BDCODEMP").AsInteger(), 2);
  EXPECT_EQ(l.Value(2, "BDVALOR").AsCurrency(), R(90));
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO where BDSALDOAPAGAR = 0").AsInteger(), 3);
}

TEST_F(PostingRunTest, ReceiptRowsPostEachPartOnItsOwnAccountsAlsoWhenGrouped) {
  dialogs_.Yes("Contabilização agrupada");
  Documento(0, 10, {1000});
  Documento(0, 11, {300, 300});
  const int contas[][2] = {{seed::kContaFornecedores, seed::kContaBanco}, {seed::kContaJurosPagos, seed::kContaBanco},
                           {seed::kContaMultasPagas, seed::kContaBanco}, {seed::kContaFornecedores, seed::kContaDescontosObtidos},
                           {seed::kContaFornecedores, seed::kContaBanco}, {seed::kContaJurosPagos, seed::kContaBanco}};
  const int valores[] = {900, 30, 20, 10, 50, 300};
  for (int k = 1; k <= 6; ++k) Entrada(k, contas[k - 1][0], contas[k - 1][1], R(valores[k - 1]));
  auto* comp = pb_->cdsVINC_EXT_BAN_COMP_BAIXA;
  Link(comp, 1, tbvParcela, 0, 10, 1, R(900), 1);
  Link(comp, 2, tbvParcela, 0, 10, 1, R(30), 4, R(30));
  Link(comp, 3, tbvParcela, 0, 10, 1, R(20), 3, {}, R(20));
  Link(comp, 4, tbvParcela, 0, 10, 1, R(10), 2, {}, {}, R(10));
  Link(comp, 5, tbvGuia, 0, 55, 0, R(50));          // not a fiscal installment: passed over
  Link(comp, 6, tbvParcela, 0, 11, 1, R(300), 1);   // two rows of one entry: grouped
  Link(comp, 6, tbvParcela, 0, 11, 2, R(10), 4, R(10));

  pb_->GetVinculoBaixaComp(&tela_, empresa_, list_, entradas_);

  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 6u);
  const int tipos[] = {tbpPrincipal, tbpJuros, tbpMulta, tbpDesconto, tbpPrincipal, tbpJuros};
  const int pagos[] = {900, 30, 20, 10, 300, 10};
  const int debitos[] = {seed::kContaFornecedores, seed::kContaJurosPagos, seed::kContaMultasPagas,
                         seed::kContaFornecedores, seed::kContaFornecedores, seed::kContaJurosPagos};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(p.Value(i, "BDTIPOBAIXA").AsInteger(), tipos[i]) << i;
    EXPECT_EQ(p.Value(i, "BDVALORPGTO").AsCurrency(), R(pagos[i])) << i;
    EXPECT_EQ(Db().QueryValue("select BDDEBITO from VZEL_EMPRESAS_TLAN where BDCHAVE = ?", {p.Value(i, "BDCHAVELAN")})
                  .AsInteger(), debitos[i]) << i;
  }
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(Flag(k), k == 5 ? 0 : 1) << k;
}

TEST_F(PostingRunTest, DeclinedReceiptGroupingPostsEachPartOnceWithItsOwnCode) {
  dialogs_.No("Contabilização agrupada");
  Documento(0, 10, {100, 100});
  Documento(0, 11, {100});
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(110));
  Entrada(2, seed::kContaFornecedores, seed::kContaBanco, R(110));
  auto* comp = pb_->cdsVINC_EXT_BAN_COMP_BAIXA;
  Link(comp, 1, tbvParcela, 0, 10, 1, R(100), 1);
  Link(comp, 1, tbvParcela, 0, 10, 2, R(10), 4, R(10));
  Link(comp, 2, tbvParcela, 0, 11, 1, R(100), 1);
  Link(comp, 2, tbvParcela, 0, 11, 1, R(10), 4, R(10));   // the same installment again: not posted

  pb_->GetVinculoBaixaComp(&tela_, empresa_, list_, entradas_);

  EXPECT_EQ(dialogs_.Calls().size(), 1u);
  // 2's interest was not posted: what its line moved beyond its principal is named.
  EXPECT_EQ(list_->Count(), 1) << Mensagens();
  EXPECT_NE(Mensagens().find("Lançamento 2: as baixas somam 100,00 do valor 110,00; restam 10,00"), std::string::npos);
  EXPECT_EQ(Lancamentos().Rows.size(), 3u);
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 3u);
  const int docs[] = {10, 10, 11}, tipos[] = {tbpPrincipal, tbpJuros, tbpPrincipal}, valores[] = {100, 10, 100};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(p.Value(i, "BDCHAVE").AsInteger(), docs[i]) << i;
    EXPECT_EQ(p.Value(i, "BDTIPOBAIXA").AsInteger(), tipos[i]) << i;
    EXPECT_EQ(p.Value(i, "BDVALORPGTO").AsCurrency(), R(valores[i])) << i;
  }
  EXPECT_NE(p.Value(0, "BDCHAVELAN"), p.Value(1, "BDCHAVELAN"));   // declined: one entry each
  EXPECT_EQ(Flag(1), 1);
  EXPECT_EQ(Flag(2), 4);
}

// A receipt line settled for less than it moved keeps its rest named, its receipt's parts counted with
// the principal; a line its parts pay whole is booked.
TEST_F(PostingRunTest, AReceiptLineSettledForLessKeepsItsRestNamed) {
  dialogs_.No("Contabilização agrupada");
  Documento(0, 10, {1000});
  Documento(0, 11, {100, 100});
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(100), EncodeDate(2024, 1, 15));
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(1050));
  Entrada(2, seed::kContaFornecedores, seed::kContaBanco, R(110));
  auto* comp = pb_->cdsVINC_EXT_BAN_COMP_BAIXA;
  Link(comp, 1, tbvParcela, 0, 10, 1, R(900), 1);   // what is still open of it
  Link(comp, 2, tbvParcela, 0, 11, 1, R(100), 1);
  Link(comp, 2, tbvParcela, 0, 11, 2, R(10), 4, R(10));

  pb_->GetVinculoBaixa(&tela_, empresa_, list_, entradas_);
  pb_->GetVinculoBaixaComp(&tela_, empresa_, list_, entradas_);

  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN where BDDCTO = 'E1'").AsCurrency(), R(900));
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN where BDDCTO = 'E2'").AsCurrency(), R(110));
  EXPECT_EQ(Flag(1), 4);
  EXPECT_EQ(Flag(2), 1);
  ASSERT_EQ(list_->Count(), 1) << Mensagens();
  EXPECT_NE(Mensagens().find("Lançamento 1: as baixas somam 900,00 do valor 1.050,00; restam 150,00 sem lançamento"),
            std::string::npos)
      << Mensagens();
}

// A line's links share its value: a principal takes no more than the line has left after its other
// links, and a link that finds nothing left is refused naming what used the line.
TEST_F(PostingRunTest, TheLinksOfOneEntryNeverPostMoreThanTheEntry) {
  Documento(0, 10, {100, 100});
  seed::AddGuia(Db(), 1, 55, R(100));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(50));
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(150));
  Entrada(2, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Links({{1, tbvParcela, 0, 10, 1, 100}, {1, tbvParcela, 0, 10, 2, 100}, {2, tbvGuia, 0, 55, 0, 100},
         {2, tbvCalculo, 2, 300, 1, 50}});

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(100));
  EXPECT_EQ(p.Value(1, "BDVALORPGTO").AsCurrency(), R(50));
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN where BDDCTO = 'E1'").AsCurrency(), R(150));
  EXPECT_EQ(Db().QueryValue("select sum(BDVALOR) from VZEL_EMPRESAS_TLAN where BDDCTO = 'E2'").AsCurrency(), R(100));
  EXPECT_EQ(Db().QueryValue("select count(*) from TDADOSPGTOCALC_BAIXA").AsInteger(), 0);
  EXPECT_EQ(Flag(1), 1);
  EXPECT_EQ(Flag(2), 4);
  ASSERT_EQ(list_->Count(), 1) << Mensagens();
  EXPECT_EQ(list_->Itens()[0].Caption,
            "Lançamento 2: baixa não lançada: o vínculo com o cálculo 300 (tipo 2, ordem 1) excede o valor 100,00 do "
            "lançamento, já todo baixado (a guia de imposto 55).");
}

// A retry after a refused link (the entry flagged 4) posts only what is still missing: pressed again in
// the same review, and once the user has removed the refused link.
TEST_F(PostingRunTest, ARetryDoesNotPayAgainTheLinkThatWasPosted) {
  Documento(0, 30, {100});
  seed::AddDocumentoFiscal(Db(), 0, 1, 33, 33, EncodeDate(2024, 1, 5), R(0), {{1, R(100), TDateTime(), 0}});
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(50));
  Links({{1, tbvParcela, 0, 30, 1, 100}, {1, tbvParcela, 0, 33, 1, 100}});
  TBaixasAdicionaisDoVinculo partes;
  partes[ChaveBaixaAdicional(tbvParcela, 0, 30, 1)] = {{tbaJuros, seed::kContaJurosPagos, 0, R(5)}};
  pb_->SetBaixasAdicionaisDoVinculo(&partes);

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  EXPECT_EQ(Flag(1), 4);
  // The review gives its lines new keys at each run, and their links follow.
  entradas_->Edit();
  entradas_->FieldByName("BDCHAVE").SetAsInteger(11);
  entradas_->Post();
  for (auto* v = pb_->cdsVINC_EXT_BAN_BAIXA; v->Locate("BDCHAVE", {1});) {
    v->Edit();
    v->FieldByName("BDCHAVE").SetAsInteger(11);
    v->Post();
  }
  list_->Clear();
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  EXPECT_EQ(Flag(11), 4);   // the refused link is refused again
  EXPECT_NE(Mensagens().find("A nota 33 vinculada não possui valor contábil"), std::string::npos) << Mensagens();

  // The user removes the refused link, which clears the entry's flag.
  ASSERT_TRUE(pb_->cdsVINC_EXT_BAN_BAIXA->Locate("BDBAIXA_ID", {33}));
  pb_->cdsVINC_EXT_BAN_BAIXA->Delete();
  ASSERT_TRUE(entradas_->Locate("BDCHAVE", {11}));
  entradas_->Edit();
  entradas_->FieldByName("BDINCONSISTENTE").SetAsInteger(0);
  entradas_->Post();
  list_->Clear();
  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  pb_->SetBaixasAdicionaisDoVinculo(nullptr);

  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  EXPECT_EQ(Flag(11), 1);
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);   // the principal and its interest, once
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(50));
  EXPECT_EQ(p.Value(1, "BDTIPOBAIXA").AsInteger(), tbpJuros);
  EXPECT_EQ(Lancamentos().Rows.size(), 2u);
}

// A staged review run again, by another engine over the same session, knows what the first run posted
// and how it flagged the entry.
TEST_F(PostingRunTest, AStagedSecondRunDoesNotPayAgain) {
  Documento(0, 30, {100});
  seed::AddDocumentoFiscal(Db(), 0, 1, 33, 33, EncodeDate(2024, 1, 5), R(0), {{1, R(100), TDateTime(), 0}});
  seed::AddLancamentoTemp(Db(), 9, 1, 1, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(50), "1", true);
  seed::AddLancamentoTemp(Db(), 9, 1, 2, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(80), "2", true);
  Documento(0, 31, {80});
  TLancamentoMGR* huge = ArquivoGrande();
  for (int vez = 0; vez < 2; ++vez) {
    TProcessoBaixas pb(&tela_, huge);
    Link(pb.cdsVINC_EXT_BAN_BAIXA, 1, tbvParcela, 0, 30, 1, R(100));
    Link(pb.cdsVINC_EXT_BAN_BAIXA, 1, tbvParcela, 0, 33, 1, R(100));
    Link(pb.cdsVINC_EXT_BAN_BAIXA, 2, tbvParcela, 0, 31, 1, R(80));
    list_->Clear();
    pb.GetVinculoBaixa(&outraTela_, empresa_, list_, huge);
  }
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u) << Mensagens();
  EXPECT_EQ(p.Value(0, "BDVALORPGTO").AsCurrency(), R(50));
  EXPECT_EQ(p.Value(1, "BDVALORPGTO").AsCurrency(), R(80));
  EXPECT_EQ(list_->Count(), 1) << Mensagens();
  auto t = Db().QueryAll("select BDINCONSISTENTE from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = 9 order by BDCHAVE");
  EXPECT_EQ(t.Value(0, "BDINCONSISTENTE").AsInteger(), 4);
  EXPECT_EQ(t.Value(1, "BDINCONSISTENTE").AsInteger(), 1);
}

// The receipt run of an entry whose plain link was just posted still posts the entry's receipt links.
TEST_F(PostingRunTest, AReceiptLinkOfAnEntryAlsoLinkedPlainlyIsPosted) {
  Documento(0, 10, {100});
  Entrada(1, seed::kContaFornecedores, seed::kContaBanco, R(110));
  Links({{1, tbvParcela, 0, 10, 1, 100}});
  Link(pb_->cdsVINC_EXT_BAN_COMP_BAIXA, 1, tbvParcela, 0, 10, 1, R(10), 4, R(10));

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  pb_->GetVinculoBaixaComp(&outraTela_, empresa_, list_, entradas_);

  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);
  EXPECT_EQ(p.Value(0, "BDTIPOBAIXA").AsInteger(), tbpPrincipal);
  EXPECT_EQ(p.Value(1, "BDTIPOBAIXA").AsInteger(), tbpJuros);
  EXPECT_EQ(Flag(1), 1);
}

// Installments, calculations, guides and receipts alike: nothing is written into a closed period; the
// entry is refused with the closing's message, and an entry of an open month still settles.
TEST_F(PostingRunTest, AClosedPeriodRefusesEveryKindOfSettlement) {
  TVerificaBloqueioLancamento bloqueios;
  const TValorTemporario<IPostingLockCheck*> instalado(ProcessContext().PostingLocks, &bloqueios);
  Db().Execute("update TEMPRESAS_REF set BDULTENC = '2024-03-31' where BDCODEMP = 1");
  seed::AddGuia(Db(), 1, 55, R(100));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(100));
  Documento(0, 10, {100, 100});
  Documento(1, 20, {100});
  for (int k : {1, 2, 3}) Entrada(k, seed::kContaFornecedores, seed::kContaBanco, R(100));
  Entrada(4, seed::kContaBanco, seed::kContaClientes, R(100));
  Entrada(5, seed::kContaFornecedores, seed::kContaBanco, R(100), EncodeDate(2024, 4, 2));
  Links({{1, tbvGuia, 0, 55, 0, 100}, {2, tbvCalculo, 2, 300, 1, 100}, {3, tbvParcela, 0, 10, 1, 100},
         {5, tbvParcela, 0, 10, 2, 100}});
  Link(pb_->cdsVINC_EXT_BAN_COMP_BAIXA, 4, tbvParcela, 1, 20, 1, R(100));

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);
  pb_->GetVinculoBaixaComp(&outraTela_, empresa_, list_, entradas_);

  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 1u) << Mensagens();
  EXPECT_EQ(l.Value(0, "BDDCTO").AsString(), "E5");
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO_BAIXA").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from TDADOSPGTOCALC_BAIXA").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVSAIPARPGTO").AsInteger(), 0);
  EXPECT_EQ(Pagamentos("VEF_EMP_TMOVENTPARPGTO").Rows.size(), 1u);
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(Flag(k), k == 5 ? 1 : 4) << k;
  EXPECT_EQ(list_->Count(), 4) << Mensagens();
  EXPECT_NE(Mensagens().find("O período da empresa 1 está encerrado até 31/03/2024."), std::string::npos);

  // A guide paid without an entry (the report portal, the tax integration) is refused the same way.
  auto* bloqueio = tela_.Create<TBloqueioLancamento_VYN>();
  bloqueio->SetInconsistencias(list_);
  TProcessoBaixas pb(&tela_, nullptr);
  pb.RealizaBaixaImposto(&tela_, {false, 1, Marco(), 1, 1, seed::kContaBanco, "DARF", "55", {}}, bloqueio);
  EXPECT_EQ(list_->Count(), 5) << Mensagens();
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO where BDCHAVEDARF = 55").AsCurrency(), R(100));
  EXPECT_EQ(Lancamentos().Rows.size(), 1u);
}

// A payment line settles what the company pays and a receipt line what it receives, in the services
// book and in the other-documents book, in one run.
TEST_F(PostingRunTest, ServicesAndOtherDocumentsOfBothNaturesSettleInOneRun) {
  const TDateTime data = EncodeDate(2024, 1, 5);
  seed::AddDocumentoFiscal(Db(), 2, 1, 40, 40, data, R(100), {{1, R(100), TDateTime(), 0}}, 1);   // taken
  seed::AddDocumentoFiscal(Db(), 2, 1, 41, 41, data, R(100), {{1, R(100), TDateTime(), 0}}, 0);   // rendered
  seed::AddDocumentoFiscal(Db(), 3, 1, 42, 42, data, R(100), {{1, R(100), TDateTime(), 0}}, 1);   // paid
  seed::AddDocumentoFiscal(Db(), 3, 1, 43, 43, data, R(100), {{1, R(100), TDateTime(), 0}}, 0);   // received
  // Statement lines carry only the bank's side.
  Entrada(1, 0, seed::kContaBanco, R(100));
  Entrada(2, seed::kContaBanco, 0, R(100));
  Entrada(3, 0, seed::kContaBanco, R(100));
  Entrada(4, seed::kContaBanco, 0, R(100));
  auto* v = pb_->cdsVINC_EXT_BAN_BAIXA;
  Link(v, 1, tbvParcela, 2, 40, 1, R(100), 1, {}, {}, {}, 1);
  Link(v, 2, tbvParcela, 2, 41, 1, R(100), 1, {}, {}, {}, 0);
  Link(v, 3, tbvParcela, 3, 42, 1, R(100), 1, {}, {}, {}, 1);
  Link(v, 4, tbvParcela, 3, 43, 1, R(100), 1, {}, {}, {}, 0);

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, entradas_);

  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  auto l = Lancamentos();
  ASSERT_EQ(l.Rows.size(), 4u);
  const int debitos[] = {seed::kContaFornecedores, seed::kContaBanco, seed::kContaFornecedores, seed::kContaBanco};
  const int creditos[] = {seed::kContaBanco, seed::kContaClientes, seed::kContaBanco, seed::kContaClientes};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(l.Value(i, "BDDCTO").AsString(), "E" + std::to_string(i + 1));
    EXPECT_EQ(l.Value(i, "BDDEBITO").AsInteger(), debitos[i]) << i;
    EXPECT_EQ(l.Value(i, "BDCREDITO").AsInteger(), creditos[i]) << i;
  }
  EXPECT_EQ(Pagamentos("VEF_EMP_TMOVSERPARPGTO").Rows.size(), 2u);
  EXPECT_EQ(Pagamentos("VEF_EMP_TMOVF100PARPGTO").Rows.size(), 2u);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(Flag(k), 1) << k;
}

// In a staged review a discount part is configured by the accounts of the line it was split from.
TEST_F(PostingRunTest, AStagedDiscountPartReadsItsParentLinesAccounts) {
  Documento(0, 10, {100});
  // The parent line carries the bank; the split row settling the installment carries neither side.
  seed::AddLancamentoTemp(Db(), 9, 1, 1, Marco(), 0, seed::kContaDescontosObtidos, R(5), "1", true);
  seed::AddLancamentoTemp(Db(), 9, 1, 2, Marco(), seed::kContaFornecedores, seed::kContaBanco, R(95), "2", true);
  TLancamentoMGR* huge = ArquivoGrande();
  pb_->SetDAOImport(huge);
  Link(pb_->cdsVINC_EXT_BAN_BAIXA, 2, tbvParcela, 0, 10, 1, R(95));
  pb_->cdsVINC_EXT_BAN_BAIXA->Edit();
  pb_->cdsVINC_EXT_BAN_BAIXA->FieldByName("BDCHAVEPAI").SetAsInteger(1);
  pb_->cdsVINC_EXT_BAN_BAIXA->Post();
  TBaixasAdicionaisDoVinculo partes;
  partes[ChaveBaixaAdicional(tbvParcela, 0, 10, 1)] = {{tbaDesconto, seed::kContaFornecedores, 0, R(5)}};
  pb_->SetBaixasAdicionaisDoVinculo(&partes);

  pb_->GetVinculoBaixa(&outraTela_, empresa_, list_, huge);
  pb_->SetBaixasAdicionaisDoVinculo(nullptr);

  EXPECT_EQ(list_->Count(), 0) << Mensagens();
  auto p = Pagamentos("VEF_EMP_TMOVENTPARPGTO");
  ASSERT_EQ(p.Rows.size(), 2u);
  EXPECT_EQ(p.Value(1, "BDTIPOBAIXA").AsInteger(), tbpDesconto);
  EXPECT_EQ(p.Value(1, "BDVALORPGTO").AsCurrency(), R(5));
  EXPECT_EQ(Db().QueryValue("select BDCREDITO from VZEL_EMPRESAS_TLAN where BDCHAVE = ?", {p.Value(1, "BDCHAVELAN")})
                .AsInteger(),
            seed::kContaDescontosObtidos);
}

}  // namespace
}  // namespace integracao
