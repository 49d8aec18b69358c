// The statement review on a real company database, with Dyq's loopback fake.
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>
#include <tuple>

#include "bankstatement/dyq_test_support.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "bankstatement/uImportacaoCompPagto.h"
#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/accounting/lancamento_complementos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/data/dataset_guards.h"
#include "framework/host/publicas.h"
#include "framework/livros/livros.h"
#include "framework/schema/seed.h"
#include "framework/standins/lancamentos.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;

// How the review is opened: a Dyq statement or not, the only-prepared option, the rules and the saved
// links the opener hands over.
struct Opcoes {
  bool dyq = true;
  bool soPreparados = false;
  TDAOFactory* regras = nullptr;
  TClientDataSet* vinculos = nullptr;
};

class RevisaoExtratoTest : public DyqDialogTest {
 protected:
  void SetUp() override {
    DyqDialogTest::SetUp();
    DesregistraModulo(ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, TClassKind::Screen)});
    RegistraModulo(ClassRegistry(), {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, TClassKind::Screen)});
    server.On("POST", "/retornos", [](const TFakeRequest&) { return TFakeResponse(200, "{}"); });
    for (int conta : {1001, 3001, 3002, 3003, 4001, 4002, 4005})
      Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA) values (3, ?)", {conta});
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
    linhas_->AddFieldDef("BDDCTO", TFieldType::ftString, 30);
    linhas_->AddFieldDef("BDCOMPLBANCARIO", TFieldType::ftString, 200);
    linhas_->CreateDataSet();
  }
  void TearDown() override {
    DesregistraModulo(ClassRegistry(), {Registro<TfrConsultaImportacaoExtratoBancario>(kRevisao, TClassKind::Screen)});
    RegistraModulo(ClassRegistry(), {Registro<TRevisaoStub>(kRevisao, TClassKind::Screen)});
    DyqDialogTest::TearDown();
  }
  // A statement line handed over by the opener (0: no account on that side, as the Dyq opener gives it).
  void Linha(int chave, int debito, int credito, int64_t valor, const std::string& texto = "",
             const std::string& dcto = "") {
    linhas_->AppendRecord({Variant(empresaCod_), Variant(chave), Variant(debito),
                           Variant(credito), Variant(10 + chave), Variant(77),
                           Variant(EncodeDate(2024, 3, chave)), Variant(Currency::FromInt(valor)), Variant(dcto),
                           Variant(texto)});
  }
  TfrConsultaImportacaoExtratoBancario* Abre(Opcoes o = {}) {
    TListaObj l;
    l.AddNil();
    l.Add(&inc_);
    l.Add(empresa_);
    l.Add(linhas_);
    l.Add(o.regras);
    l.AddNil();
    l.Add(conta_);
    for (int i = 7; i < 10; ++i) l.AddNil();
    l.AddInteger(3);
    l.Add(o.vinculos);
    for (int v : {0, 0, o.dyq ? 1 : 0, o.soPreparados ? 1 : 0, 0, 0}) l.AddInteger(v);
    return static_cast<TfrConsultaImportacaoExtratoBancario*>(
        TPackagesUtil::CarregaFormParamsObj(kRevisao, principal_.get(), std::move(l)));
  }
  std::vector<nlohmann::json> Retornos() {
    std::vector<nlohmann::json> r;
    for (const auto& q : server.Requests())
      if (q.Path == "/retornos") r.push_back(nlohmann::json::parse(q.Body));
    return r;
  }
  static bool Vai(TClientDataSet& ds, int chave) { return ds.Locate("BDCHAVE", {Variant(chave)}); }
  // The user presses Delete on the lines grid.
  static void TeclaDelete(TfrConsultaImportacaoExtratoBancario& t, unsigned shift = 0) {
    int tecla = kTeclaDelete;
    t.grGrid->KeyDown(tecla, shift);
  }
  // A link of a line (chaveLanc 0) or of one of its split rows to an installment of document 20.
  static void Vincula(TfrConsultaImportacaoExtratoBancario* t, TClientDataSet* ds, int chave, int chaveLanc, int ordem,
                      int64_t valor, bool automatico = false) {
    ds->Append();
    const std::pair<const char*, Variant> v[] = {
        {"BDCHAVE", chave},       {"BDTIPO_BAIXA", tbvParcela}, {"BDSUBTIPO_BAIXA", 1},
        {"BDBAIXA_ID", 20},       {"BDORDEM", ordem},           {"BDVALOR", Currency::FromInt(valor)},
        {"BDNUMDOCINI", "20"},    {"bdCODTIPOBAIXA", 1}};
    for (const auto& [c, x] : v) ds->FieldByName(c).SetValue(x);
    if (chaveLanc) ds->FieldByName("BDCHAVELANC").SetAsInteger(chaveLanc);
    campos::SetFlag(*ds, "BDAUTOMATICO", automatico);
    ds->Post();
    TClientDataSet* alvo = chaveLanc ? t->DAOMulti() : t->DAOLinhas();
    const bool achou = chaveLanc ? alvo->Locate("BDCHAVE;BDCHAVELANC", {Variant(chave), Variant(chaveLanc)})
                                 : Vai(*alvo, chave);
    ASSERT_TRUE(achou);
    campos::Grava(*alvo, "BDVINC_BAIXA", Variant(true));
  }
  static int64_t I(const TClientDataSet& ds, const char* c) { return campos::Int(ds, c); }
  static Currency V(int64_t reais) { return Currency::FromInt(reais); }

  TInconsistencias_VYN inc_;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TEdit_Codigo_Search_VYN* conta_ = nullptr;
  TLancamentoMGR* linhas_ = nullptr;
  int empresaCod_ = 15;
};

TEST_F(RevisaoExtratoTest, ImportWritesLinesWithReservedKeysAndReportsEachLineOnce) {
  for (int i = 1; i <= 3; ++i) Linha(i, 1001, 3000 + i, 100 * i);
  Linha(4, 1001, 0, 40);   // unknown to the office: returned to the client
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, 500, '2024-02-01', 1)");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  ASSERT_TRUE(t->DYQ());
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 4);
  // Line 3 is refused with a note, line 4 returned: reported, never booked nor weighed.
  using TMarca = std::tuple<int, int, const char*>;
  for (auto [chave, resposta, nota] :
       std::initializer_list<TMarca>{{3, mrNo, "Lançamento duplicado"}, {4, mrYes, "Qual a origem?"}}) {
    ASSERT_TRUE(Vai(*l, chave));
    dialogs.Answer("retornar os extratos", resposta).Modal("TfrDadosObservacaoDYQ", [nota](TForm_VYN& f) {
      DigitaObservacao(f, nota);
    });
    t->spExcluir->Click();
  }
  ASSERT_TRUE(Vai(*l, 3));
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
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0]["tipoRetorno"], 4);
  EXPECT_EQ(r[0]["documento"]["extratoItemId"], 13);
  EXPECT_EQ(r[0]["documento"]["observacao"], "Lançamento duplicado");
  EXPECT_EQ(r[0]["documento"]["retornadoPor"], "ana.souza");
  EXPECT_EQ(r[1]["tipoRetorno"], 1);
  EXPECT_EQ(r[1]["documento"]["extratoItemId"], 14);
  EXPECT_EQ(r[2]["tipoRetorno"], 0);
  ASSERT_EQ(r[2]["documento"]["aDado"].size(), 2u);
  EXPECT_EQ(r[2]["documento"]["aDado"][0]["extratoItemId"], 11);
  EXPECT_EQ(r[2]["documento"]["aDado"][0]["integradoPor"], "ana.souza");

  // Closing sends nothing again: every line was reported once.
  t->Close();
  EXPECT_EQ(Retornos().size(), 3u);
}

TEST_F(RevisaoExtratoTest, LinesWithoutAChartAreCheckedAgainstTheCompanysChart) {
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 9999, 50);   // no such account in the company's chart
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  EXPECT_EQ(I(*t->DAOLinhas(), "BDCODPLAPADRAO"), 3);
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 não importado").List();
  t->spImportacao->Click();
  auto lanc = Db().QueryAll("select BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 15");
  ASSERT_EQ(lanc.Rows.size(), 1u);
  EXPECT_EQ(lanc.Value(0, "BDVALOR").AsCurrency(), V(100));
  bool listada = false;
  for (const auto& i : inc_.Itens()) listada |= i.Caption.find("conta 9999 à crédito não existe") != std::string::npos;
  EXPECT_TRUE(listada);
  for (const auto& r : Retornos())
    for (const auto& d : r["documento"].value("aDado", nlohmann::json::array()))
      EXPECT_NE(d["extratoItemId"], 12) << "a line not written is never reported integrated";
  t->Close();
}

TEST_F(RevisaoExtratoTest, ClosingWithoutImportReportsNoLineAsIntegrated) {
  for (int i = 1; i <= 3; ++i) Linha(i, 1001, 3000 + i, 100 * i);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->Close();
  EXPECT_TRUE(Retornos().empty());
  EXPECT_TRUE(Db().QueryAll("select BDCHAVE from VZEL_EMPRESAS_TLAN").Rows.empty());
}

// A line's company, key, client note, Dyq id and flag are the statement's: no cell edit changes
// them, so a line cannot be booked into another company under a key reserved for this one.
TEST_F(RevisaoExtratoTest, HiddenAndReadOnlyCellsAreNotEditableAndTheStatusCellNeedsANote) {
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 3002, 50);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDOBS", "BDIDWEB", "BDINCONSISTENTE", "BDVINC_BAIXA"})
    EXPECT_FALSE(t->grGrid->EditaCelula(c, "2")) << c;
  EXPECT_EQ(I(*l, "BDCODEMP"), 15);
  EXPECT_EQ(I(*l, "BDCHAVE"), 2);
  EXPECT_EQ(I(*l, "BDIDWEB"), 12);
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 0);

  // The return note is editable only with a status; a status given without a note is undone.
  EXPECT_FALSE(t->grGrid->EditaCelula("bdobsweb", "nota"));
  dialogs.Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) { f.SetModalResult(mrCancel); });
  EXPECT_TRUE(t->grGrid->EditaCelula("bdstatusweb", "2"));
  EXPECT_EQ(I(*l, "BDSTATUSWEB"), 0);
  dialogs.Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) { DigitaObservacao(f, "Duplicado"); });
  EXPECT_TRUE(t->grGrid->EditaCelula("bdstatusweb", "2"));
  EXPECT_EQ(I(*l, "BDSTATUSWEB"), 2);
  // Changing the status asks again; cancelled, the refusal and its note stay.
  dialogs.Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) { f.SetModalResult(mrCancel); });
  EXPECT_TRUE(t->grGrid->EditaCelula("bdstatusweb", "1"));
  EXPECT_EQ(I(*l, "BDSTATUSWEB"), 2);
  EXPECT_EQ(l->FieldByName("BDOBSWEB").AsString(), "Duplicado");
  t->Close();
  auto r = Retornos();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["tipoRetorno"], 4);
  EXPECT_EQ(r[0]["documento"]["observacao"], "Duplicado");
}

TEST_F(RevisaoExtratoTest, RefusingTheStatementNeedsANoteAndSendsOnlyTheRefusal) {
  for (int i = 1; i <= 2; ++i) Linha(i, 1001, 3000 + i, 100 * i);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  // No note: nothing goes to Dyq and the review stays.
  dialogs.Yes("recusar o extrato").Rights(true).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    f.SetModalResult(mrCancel);
  });
  t->spRecusaExtrato->Click();
  EXPECT_TRUE(Retornos().empty());
  EXPECT_FALSE(t->FEstado);
  // Refused without the rights: nothing either.
  dialogs.Yes("recusar o extrato").Rights(false).Ok("Processo não realizado!");
  t->spRecusaExtrato->Click();
  EXPECT_TRUE(Retornos().empty());

  dialogs.Yes("recusar o extrato").Rights(true).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    DigitaObservacao(f, "Extrato de outra conta");
  });
  dialogs.Ok("O Extrato foi enviado para o DYQ como recusado!");
  t->spRecusaExtrato->Click();
  // The refusal closed the review; no line was reported integrated.
  auto r = Retornos();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["tipoRetorno"], 3);
  EXPECT_EQ(r[0]["documento"], nlohmann::json::parse(
                                   R"({"extratoId":77,"observacao":"Extrato de outra conta","retornadoPor":"ana.souza"})"));
  EXPECT_TRUE(Db().QueryAll("select BDCHAVE from VZEL_EMPRESAS_TLAN").Rows.empty());
  // Each of the three answers to the question is in the action log of the review, for the company.
  auto log = Db().QueryAll("select BDCODEMP, BDTELA, BDTEXTO from VYN_LOG_EVENTO order by BDCODLOG");
  ASSERT_EQ(log.Rows.size(), 3u);
  EXPECT_EQ(log.Value(2, "BDCODEMP").AsInteger(), 15);
  EXPECT_EQ(log.Value(2, "BDTELA").AsString(), "TfrConsultaImportacaoExtratoBancario");
  EXPECT_NE(log.Value(2, "BDTEXTO").AsString().find("não pode ser revertido!\". Resposta: \"Sim\""), std::string::npos);
}

TEST_F(RevisaoExtratoTest, StoredRulesFillTheLinesOnOpenAndTickedLinesBecomeRulesAtImport) {
  Db().Execute(
      "insert into VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE, BDCODTPLA, BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, "
      "BDAMBOSENTSAI, BDTIPOCONTA) values (15, 900, 1001, 'TARIFA', 'FALSE', 4001, 2, 1)");
  Db().Execute(
      "insert into VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE, BDCODTPLA, BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, "
      "BDAMBOSENTSAI, BDTIPOCONTA) values (15, 901, 1001, 'PIX', 'FALSE', 4009, 2, 2)");   // a cash rule
  Linha(1, 0, 1001, 30, "TARIFA PACOTE MARCO");
  Linha(2, 0, 1001, 70, "PIX ENVIADO FORNECEDOR");
  Linha(3, 1001, 0, 100, "PIX RECEBIDO");
  // A rule Dyq delivered with the statement: the user declines it at import.
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR dyq;
  dyq.AppendRecord({Variant(15), Variant(1), Variant(1001), Variant(4005)});
  TfrConsultaImportacaoExtratoBancario* t = Abre({.regras = &dyq});
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(I(*l, "BDDEBITO"), 4001);   // the statement rule, contained text
  ASSERT_TRUE(Vai(*l, 2));
  EXPECT_EQ(I(*l, "BDDEBITO"), 0);      // the cash rule is not a statement's
  // Lines 2 and 3 are completed by hand and ticked: the counter side of each is its rule's.
  campos::Grava(*l, "BDDEBITO", Variant(4002));
  campos::Grava(*l, "BDTRANSPREP", Variant(true));
  ASSERT_TRUE(Vai(*l, 3));
  campos::Grava(*l, "BDCREDITO", Variant(3003));
  campos::Grava(*l, "BDTRANSPREP", Variant(true));

  // A first run fails on writing line 3: the rules are not stored, and the retry makes no new ones.
  ASSERT_TRUE(Vai(*l, 3));
  campos::Grava(*l, "BDDCTO", Variant("FALHA"));
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, 500, '2024-02-01', 1)");
  Db().Execute("create exception E_FALHA_REVISAO 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_REVISAO for VZEL_EMPRESAS_TLAN before insert as begin "
               "if (new.BDDCTO = 'FALHA') then exception E_FALHA_REVISAO; end");
  dialogs.No("importar as preparações").Yes("deseja transformar os lançamentos em preparações")
      .Ok("nada foi gravado");
  t->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMP_TPRE_EXT_BANCARIO").AsInteger(), 2);
  for (l->First(); !l->Eof(); l->Next())
    if (campos::Txt(*l, "BDDCTO") == "FALHA") campos::Grava(*l, "BDDCTO", Variant("D3"));
  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  auto regras = Db().QueryAll(
      "select BDCOMPL, BDCONTRAPARTIDA, BDAMBOSENTSAI, BDCOINCIDE, BDTIPOCONTA from VZEL_EMP_TPRE_EXT_BANCARIO "
      "where BDCHAVE < 900 order by BDCOMPL");
  ASSERT_EQ(regras.Rows.size(), 2u);   // the declined Dyq rule is not stored
  EXPECT_EQ(regras.Value(0, "BDCOMPL").AsString(), "PIX ENVIADO FORNECEDOR");
  EXPECT_EQ(regras.Value(0, "BDCONTRAPARTIDA").AsInteger(), 4002);
  EXPECT_EQ(regras.Value(0, "BDAMBOSENTSAI").AsInteger(), 2);
  EXPECT_EQ(regras.Value(0, "BDCOINCIDE").AsString(), "TRUE");
  EXPECT_EQ(regras.Value(0, "BDTIPOCONTA").AsInteger(), 1);
  EXPECT_EQ(regras.Value(1, "BDCONTRAPARTIDA").AsInteger(), 3003);
  EXPECT_EQ(regras.Value(1, "BDAMBOSENTSAI").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 4);
  // What the rules did is in the action log, not in the run's list of problems.
  EXPECT_EQ(inc_.Count(), 0);
  EXPECT_GE(Db().QueryValue("select count(*) from VYN_LOG_EVENTO where BDTITULO = 'Importação' and "
                            "BDTEXTO containing '[Preparação de importação de extrato]'").AsInteger(), 1);
  // A stored rule made from a line fills a like line of the next statement.
  const int antes = linhas_->RecordCount();
  Linha(9, 0, 1001, 12, "PIX ENVIADO FORNECEDOR");
  ASSERT_EQ(linhas_->RecordCount(), antes + 1);
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR salvas;
  salvas.getConsulta(15, 1);
  GetContraPartida(1001, salvas, *linhas_, 1);
  ASSERT_TRUE(Vai(*linhas_, 9));
  EXPECT_EQ(I(*linhas_, "BDDEBITO"), 4002);
  // A line Dyq's office completed keeps its account unless the opener chose to overwrite it.
  Linha(10, 4009, 1001, 12, "PIX ENVIADO FORNECEDOR");
  GetContraPartida(1001, salvas, *linhas_, 1);
  ASSERT_TRUE(Vai(*linhas_, 10));
  EXPECT_EQ(I(*linhas_, "BDDEBITO"), 4009);
  GetContraPartida(1001, salvas, *linhas_, 1, true);
  ASSERT_TRUE(Vai(*linhas_, 10));
  EXPECT_EQ(I(*linhas_, "BDDEBITO"), 4002);
  t->Close();
}

TEST_F(RevisaoExtratoTest, TheFirstStoredRuleByKeyThatSuitsTheLineFillsItOnOpen) {
  auto regra = [this](int chave, const char* texto, const char* coincide, Variant conta, int ambos, Variant contra) {
    Db().Execute(
        "insert into VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE, BDCODTPLA, BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, "
        "BDAMBOSENTSAI, BDTIPOCONTA) values (15, ?, ?, ?, ?, ?, ?, 1)",
        {chave, conta, texto, coincide, contra, ambos});
  };
  regra(900, "TARIFA", "FALSE", Variant(2002), 2, Variant(4005));          // another bank account
  regra(901, "Tarifa Pacote", "TRUE", Variant(1001), 2, Variant(4005));    // the whole text only
  regra(902, "PIX", "FALSE", Variant(), 1, Variant(3001));                 // money in only, any account
  regra(903, "TARIFA", "FALSE", Variant(1001), 2, Variant(4001));
  regra(904, "PIX", "FALSE", Variant(), 0, Variant(4002));                 // either way
  regra(905, "DOC", "FALSE", Variant(), 0, Variant());                     // no counter account
  Db().Execute("update VZEL_EMP_TPRE_EXT_BANCARIO set BDCODTER = 77, BDCODTPHI = 1, BDCODHIST = 1, "
               "BDALTCOMPL = 'TRUE', BDCOMPLPARA = 'Tarifa do mes' where BDCHAVE = 903");
  Linha(1, 0, 1001, 30, "TARIFA PACOTE MARCO");
  Linha(2, 0, 1001, 20, "  tarifa pacote ");
  Linha(3, 1001, 0, 100, "PIX RECEBIDO");
  Linha(4, 0, 1001, 70, "PIX ENVIADO");
  Linha(5, 0, 1001, 10, "DOC 123");
  Linha(6, 3002, 1001, 15, "PIX ENVIADO");   // complete already
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  TDAOFactory* l = t->DAOLinhas();
  using TEsperado = std::tuple<int, int64_t, int64_t>;
  for (auto [chave, debito, credito] : std::initializer_list<TEsperado>{
           {1, 4001, 1001}, {2, 4005, 1001}, {3, 1001, 3001}, {4, 4002, 1001}, {5, 0, 1001}, {6, 3002, 1001}}) {
    ASSERT_TRUE(Vai(*l, chave));
    EXPECT_EQ(I(*l, "BDDEBITO"), debito) << "line " << chave;
    EXPECT_EQ(I(*l, "BDCREDITO"), credito) << "line " << chave;
  }
  // The rule gives the line its participant, history and complement too.
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(I(*l, "BDCODTERCEIROD"), 77);
  EXPECT_EQ(I(*l, "BDCODTPHI"), 1);
  EXPECT_EQ(I(*l, "BDCODHIST"), 1);
  EXPECT_EQ(campos::Txt(*l, "BDCOMPL"), "Tarifa do mes");
  ASSERT_TRUE(Vai(*l, 2));
  EXPECT_EQ(I(*l, "BDCODTERCEIROD"), 0);
  t->Close();
}

TEST_F(RevisaoExtratoTest, DeletingARuleRemovesOnlyThatRuleAndNoLinkOfTheLines) {
  Linha(1, 1001, 0, 100);
  Linha(2, 1001, 3002, 50);
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR regras;
  regras.AppendRecord({Variant(15), Variant(1), Variant(1001), Variant(4005)});   // from Dyq
  regras.AppendRecord({Variant(15), Variant(2), Variant(1001), Variant(4006)});
  ASSERT_TRUE(Vai(regras, 2));
  campos::Grava(regras, "BDCHAVELANC", Variant(2));                               // made from line 2
  TfrConsultaImportacaoExtratoBancario* t = Abre({.regras = &regras});
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 100);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 2, 0, 2, 50);
  t->SelecionaNodo(kNodoPreparacoes);
  TDAOFactory* r = t->DAOAtual();
  ASSERT_EQ(r, t->DAOPreparacoes());
  ASSERT_TRUE(Vai(*r, 2));
  TeclaDelete(*t);
  ASSERT_EQ(r->RecordCount(), 1);
  EXPECT_EQ(I(*r, "BDCHAVE"), 1);
  // The Dyq rule is not the user's to delete.
  TeclaDelete(*t);
  EXPECT_EQ(r->RecordCount(), 1);
  EXPECT_EQ(t->DAOLinhas()->RecordCount(), 2);
  EXPECT_EQ(t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 2);
  t->Close();
}

TEST_F(RevisaoExtratoTest, LinkButtonsFollowTheLineAndRemovingAutomaticLinksKeepsManualOnes) {
  Linha(1, 1001, 3001, 10);   // both sides: neither linking nor removal
  Linha(2, 1001, 0, 20);
  Linha(3, 1001, 0, 30);
  Linha(4, 1001, 0, 40);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TDAOFactory* l = t->DAOLinhas();
  TClientDataSet* vinc = t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  TClientDataSet* comp = t->ProcessoBaixas()->cdsVINC_EXT_BAN_COMP_BAIXA;
  Vincula(t, vinc, 3, 0, 1, 30);           // by hand
  Vincula(t, vinc, 3, 0, 2, 30, true);     // automatic
  Vincula(t, comp, 4, 0, 3, 40, true);     // automatic, through a receipt
  // Line 2's split rows: one linked automatically, one by hand.
  TClientDataSet* m = t->DAOMulti();
  for (int lanc : {1, 2})
    m->AppendRecord({Variant(15), Variant(2), Variant(lanc), Variant(), Variant(EncodeDate(2024, 3, 2)), Variant(),
                     Variant(3002), Variant(V(10))});
  Vincula(t, vinc, 2, 1, 1, 10, true);
  Vincula(t, vinc, 2, 2, 2, 10);
  campos::Grava(*l, "BDVINC_BAIXA", Variant(false));   // the line itself stays linkable
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_FALSE(t->CanEnableLinkButton(true));
  EXPECT_FALSE(t->CanEnableLinkButton(false));
  ASSERT_TRUE(Vai(*l, 2));
  EXPECT_TRUE(t->CanEnableLinkButton(true));
  EXPECT_FALSE(t->CanEnableLinkButton(false));
  // Its kind menu drops down with the items a line without credit can use.
  t->spCurrencyLink->SetEnabled(true);
  t->spCurrencyLink->Click();
  EXPECT_FALSE(t->miImpostos->Enabled());
  EXPECT_FALSE(t->miCalculo->Enabled());
  EXPECT_TRUE(t->miParcelamento->Enabled());
  ASSERT_TRUE(Vai(*l, 3));
  EXPECT_FALSE(t->CanEnableLinkButton(true));
  EXPECT_TRUE(t->CanEnableLinkButton(false));
  t->LinhasSelecionadas = {l->GetBookmark(), l->GetBookmark()};
  EXPECT_FALSE(t->CanEnableLinkButton(false));
  t->LinhasSelecionadas.clear();

  t->spRemoveAutoLink->Click();
  ASSERT_EQ(vinc->RecordCount(), 2);
  {
    TDetachedDetail solto(*m);
    ASSERT_TRUE(m->Locate("BDCHAVE;BDCHAVELANC", {Variant(2), Variant(1)}));
    EXPECT_FALSE(campos::Flag(*m, "BDVINC_BAIXA"));
    ASSERT_TRUE(m->Locate("BDCHAVE;BDCHAVELANC", {Variant(2), Variant(2)}));
    EXPECT_TRUE(campos::Flag(*m, "BDVINC_BAIXA"));
  }
  for (vinc->First(); !vinc->Eof();)
    if (I(*vinc, "BDCHAVE") == 2) vinc->Delete();
    else vinc->Next();
  ASSERT_EQ(vinc->RecordCount(), 1);
  EXPECT_FALSE(campos::Flag(*vinc, "BDAUTOMATICO"));
  EXPECT_TRUE(comp->IsEmpty());
  ASSERT_TRUE(Vai(*l, 3));
  EXPECT_TRUE(campos::Flag(*l, "BDVINC_BAIXA"));   // keeps its link made by hand
  ASSERT_TRUE(Vai(*l, 4));
  EXPECT_FALSE(campos::Flag(*l, "BDVINC_BAIXA"));
  // Removing a line's links takes both kinds and clears its mark.
  Vincula(t, comp, 3, 0, 3, 30);
  ASSERT_TRUE(Vai(*l, 3));
  t->grGrid->MouseClick("BDDATA");
  ASSERT_TRUE(t->spDelLink->Enabled());
  t->spDelLink->Click();
  EXPECT_TRUE(vinc->IsEmpty());
  EXPECT_TRUE(comp->IsEmpty());
  EXPECT_FALSE(campos::Flag(*l, "BDVINC_BAIXA"));
  // A deleted line takes its links of both kinds along; the other lines keep theirs.
  Vincula(t, vinc, 2, 0, 1, 20);
  Vincula(t, comp, 2, 0, 2, 20);
  Vincula(t, vinc, 4, 0, 3, 40);
  ASSERT_TRUE(Vai(*l, 2));
  TeclaDelete(*t);
  EXPECT_EQ(l->RecordCount(), 3);
  EXPECT_TRUE(comp->IsEmpty());
  ASSERT_EQ(vinc->RecordCount(), 1);
  EXPECT_EQ(I(*vinc, "BDCHAVE"), 4);
  t->Close();
}

TEST_F(RevisaoExtratoTest, OnlyPreparedImportWritesCompleteLinesAndKeepsTheOthersMarked) {
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 0, 50);   // its credit is in its split row
  Linha(3, 1001, 0, 30);   // no credit anywhere
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TClientDataSet* m = t->DAOMulti();
  m->AppendRecord({Variant(15), Variant(2), Variant(1), Variant(), Variant(EncodeDate(2024, 3, 2)), Variant(),
                   Variant(3002), Variant(V(50))});
  dialogs.Ok("Importação finalizada");
  t->miImportarPreparados->Click();
  auto lanc = Db().QueryAll(
      "select BDDEBITO, BDCREDITO, BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 15 order by BDVALOR, BDCREDITO");
  ASSERT_EQ(lanc.Rows.size(), 3u);
  // Line 2 is booked on the bank side, its split row on its own account: debits and credits close.
  Currency deb, cre;
  for (size_t i = 0; i < lanc.Rows.size(); ++i) {
    if (!lanc.Value(i, "BDDEBITO").IsNull()) deb += lanc.Value(i, "BDVALOR").AsCurrency();
    if (!lanc.Value(i, "BDCREDITO").IsNull()) cre += lanc.Value(i, "BDVALOR").AsCurrency();
  }
  EXPECT_EQ(deb, V(150));
  EXPECT_EQ(cre, V(150));
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15 and (BDDEBITO = 0 or "
                            "BDCREDITO = 0)").AsInteger(), 0) << "the line's open side names no account";
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 1);
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 1);
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(30));
  t->Close();
}

// A line the "only prepared" run left out is imported by a later run of the same review, and an
// integrated report Dyq did not take goes again with the next run's.
TEST_F(RevisaoExtratoTest, ALineLeftOutByOnlyPreparedIsImportedLaterAndAFailedReportIsSentAgain) {
  server.OnSequence("POST", "/retornos", {TFakeResponse(500, "{}"), TFakeResponse(200, "{}")});
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 0, 30);   // not prepared yet
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  TDAOFactory* l = t->DAOLinhas();
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->miImportarPreparados->Click();
  ASSERT_EQ(l->RecordCount(), 1);
  bool listada = false;
  for (const auto& i : inc_.Itens()) listada |= i.Caption.find("Retorno ao DYQ não enviado") != std::string::npos;
  EXPECT_TRUE(listada);

  ASSERT_TRUE(l->Locate("BDIDWEB", {Variant(12)}));
  campos::Grava(*l, "BDCREDITO", Variant(3002));
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->miImportarTodos->Click();
  EXPECT_TRUE(l->IsEmpty());
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 2);
  auto r = Retornos();
  ASSERT_EQ(r.size(), 2u);
  ASSERT_EQ(r[1]["documento"]["aDado"].size(), 2u);
  EXPECT_EQ(r[1]["documento"]["aDado"][0]["extratoItemId"], 11);
  EXPECT_EQ(r[1]["documento"]["aDado"][1]["extratoItemId"], 12);
  t->Close();
  EXPECT_EQ(Retornos().size(), 2u);
}

// A line reconciled with an entry already posted is not written again: the posted entry's bank side
// is marked reconciled, the line leaves the review and Dyq hears it was integrated.
TEST_F(RevisaoExtratoTest, ALineReconciledWithAPostedEntryMarksItAndLeavesTheReview) {
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                         "values (15, 900, '2024-03-02', 1001, 3002, 20)");
  Linha(1, 1001, 3001, 10);
  Linha(2, 1001, 3002, 20);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  campos::Grava(*l, "BDCONCD", Variant(true));
  static_cast<TLancamentoMGR*>(l)->setItensConciliadosItem(15, 2, "", EncodeDate(2024, 3, 2), V(20), 900, 1);
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  EXPECT_TRUE(l->IsEmpty());
  EXPECT_EQ(Db().QueryValue("select BDCONCD from VZEL_EMPRESAS_TLAN where BDCHAVE = 900").AsString(), "TRUE");
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 2);
  auto r = Retornos();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["documento"]["aDado"].size(), 2u);
  t->Close();
}

// The receipt import opens from the real review (its lines carry the receipt columns), and each
// review keeps its receipts in a folder of its own.
TEST_F(RevisaoExtratoTest, TheReceiptImportOpensFromTheReviewAndEachReviewHasItsOwnReceiptsFolder) {
  namespace fs = std::filesystem;
  Linha(1, 1001, 3001, 100);
  TfrConsultaImportacaoExtratoBancario* a = Abre();
  TfrConsultaImportacaoExtratoBancario* b = Abre();
  const std::string pastaA = a->PastaComprovantes(), pastaB = b->PastaComprovantes();
  ASSERT_NE(pastaA, pastaB);
  fs::create_directories(pastaA);
  fs::create_directories(pastaB);
  bool abriu = false;
  dialogs.Modal("TfrImportacaoCompPagto", [&](TForm_VYN& f) {
    abriu = true;
    f.Close();
  });
  a->spImportarModelo->Click();
  EXPECT_TRUE(abriu);
  // What a killed review left (its process no longer runs) goes when a review closes.
  const pid_t morto = fork();
  ASSERT_GE(morto, 0);
  if (morto == 0) _exit(0);
  ASSERT_EQ(waitpid(morto, nullptr, 0), morto);
  const fs::path orfa = fs::path(TfrImportacaoCompPagto::PastaComprovantesDYQ()) / (std::to_string(morto) + "-1f");
  fs::create_directories(orfa);
  std::ofstream(orfa / "boleto.pdf") << "%PDF";
  a->Close();
  EXPECT_FALSE(fs::exists(pastaA));
  EXPECT_FALSE(fs::exists(orfa));
  EXPECT_TRUE(fs::exists(pastaB));
  b->Close();
  EXPECT_FALSE(fs::exists(pastaB));
}

TEST_F(RevisaoExtratoTest, FinancialApplicationCreditsAreListedOnOpenAndTheLineEnablesItsButtons) {
  Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDAPLIFIN) values (3, 700, 'TRUE')");
  Db().Execute("update PLANOS_TPLA set BDAPLIFIN = 'FALSE' where BDCODPLAPADRAO = 3 and BDCODTPLA = 3002");
  Linha(1, 1001, 700, 10);
  Linha(2, 1001, 3002, 20);
  dialogs.List();
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  ASSERT_EQ(inc_.Count(), 1);
  EXPECT_EQ(inc_.Itens()[0].Caption.rfind("Lançamento 1: A conta informada a crédito é de aplicação financeira", 0), 0u);
  TDAOFactory* l = t->DAOLinhas();
  // The lines came without a chart: the review gave them the company's.
  for (l->First(); !l->Eof(); l->Next()) EXPECT_EQ(I(*l, "BDCODPLAPADRAO"), 3);
  // Line 2 was reconciled with a posted entry: its reconciled entries can be shown.
  static_cast<TLancamentoMGR*>(l)->setItensConciliadosItem(15, 2, "", EncodeDate(2024, 3, 2), V(20), 900, 1);
  ASSERT_TRUE(Vai(*l, 1));
  t->AtualizarStatusBotoes();
  EXPECT_TRUE(t->spY570->Enabled());
  EXPECT_FALSE(t->spOnline->Enabled());
  ASSERT_TRUE(Vai(*l, 2));
  t->AtualizarStatusBotoes();
  EXPECT_FALSE(t->spY570->Enabled());
  EXPECT_TRUE(t->spOnline->Enabled());
  // A second refresh finds the same line: no window again.
  t->AtualizaDados(false);
  EXPECT_EQ(inc_.Count(), 1);
  t->Close();
}

// Y570 data typed for a line in the review belongs to that line: the entry that already has the
// line's provisional key neither hides its reminder nor receives its data, which reach the table
// only with the entry the import writes, and never when the review closes without importing.
TEST_F(RevisaoExtratoTest, Y570DataOfALineGoWithTheEntryTheImportWritesAndNoOther) {
  Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDAPLIFIN) values (3, 700, 'TRUE')");
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, 1, '2024-02-01', 1)");
  ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (15, 500, '2024-02-01', 1)");
  Db().Execute("insert into VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ, BDCNPJFONTE) values (15, 1, 1, "
               "'99888777000166')");
  auto y570De = [&](int chave) {
    return Db().QueryAll("select BDSEQ, BDCNPJFONTE, BDIRRF from VZEL_EMPRESAS_TLAN_Y570 where BDCODEMP = 15 and "
                         "BDCHAVE = ? order by BDSEQ", {chave});
  };
  auto digita = [](const char* cnpj) {
    return [cnpj](TForm_VYN& f) {
      auto& y = static_cast<TfrLancamentoY570Integracao&>(f);
      y.edCNPJFonte->SetText(cnpj);
      y.edIRRF->SetText("7,50");
      y.spConfirmar->Click();
    };
  };
  Linha(1, 1001, 700, 50);
  dialogs.List();
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  ASSERT_EQ(inc_.Count(), 1) << "entry 1's own data must not hide the reminder of line 1";
  ASSERT_TRUE(Vai(*t->DAOLinhas(), 1));
  t->AtualizarStatusBotoes();
  dialogs.Modal("tfrLancamentoY570Integracao", digita("12345678000190"));
  t->spY570->Click();
  EXPECT_EQ(inc_.Count(), 0);
  EXPECT_EQ(y570De(1).Rows.size(), 1u);

  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  const auto novo = y570De(501);
  ASSERT_EQ(novo.Rows.size(), 1u);
  EXPECT_EQ(novo.Value(0, "BDCNPJFONTE").AsString(), "12345678000190");
  EXPECT_EQ(novo.Value(0, "BDIRRF").AsCurrency(), Currency::ParseSQL("7.5"));
  ASSERT_EQ(y570De(1).Rows.size(), 1u);
  EXPECT_EQ(y570De(1).Value(0, "BDCNPJFONTE").AsString(), "99888777000166");
  t->Close();

  // Typed from the reminder the user activates in the list, then the review closed without
  // importing: nothing stays.
  // Another statement: other Dyq items (the books know item 11 booked).
  linhas_->EmptyDataSet();
  Linha(1, 1001, 3001, 10);
  Linha(2, 1001, 700, 60);
  for (linhas_->First(); !linhas_->Eof(); linhas_->Next())
    campos::Grava(*linhas_, "BDIDWEB", Variant(campos::Int(*linhas_, "BDIDWEB") + 100));
  dialogs.List();
  t = Abre({.dyq = false});
  ASSERT_EQ(inc_.Count(), 1);
  ASSERT_TRUE(inc_.OnExecuteItem);
  dialogs.Modal("tfrLancamentoY570Integracao", digita("11222333000181"));
  inc_.OnExecuteItem(inc_.Itens()[0]);
  EXPECT_EQ(inc_.Count(), 0);
  EXPECT_EQ(t->DAOLinhas()->FieldByName("BDCHAVE").AsInteger(), 2) << "the line of the reminder stays current";
  t->Close();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_Y570").AsInteger(), 2);
}

// Company 1 of the standard seed: its bank account 11 and its fiscal installments.
// A statement whose integrated report Dyq did not take stays released there. Opened again, the lines
// booked before leave the review before it shows, and their report goes with the next one.
TEST_F(RevisaoExtratoTest, AStatementOpenedAgainAfterALostReportBooksNoLineTwice) {
  bool aceita = false;
  server.On("POST", "/retornos",
            [&](const TFakeRequest&) { return aceita ? TFakeResponse(200, "{}") : TFakeResponse(500, "{}"); });
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 0, 30);   // not prepared: left for later
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->miImportarPreparados->Click();
  dialogs.Ok("não foram informados");
  t->Close();
  auto entradas = [&] { return Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(); };
  ASSERT_EQ(entradas(), 1);
  using TIntegrados = std::map<int64_t, bool>;
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 15, 1), (TIntegrados{{11, false}}));

  aceita = true;
  dialogs.List();
  TfrConsultaImportacaoExtratoBancario* t2 = Abre();
  TDAOFactory* l = t2->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 1) << "the booked line is not offered again";
  EXPECT_EQ(I(*l, "BDIDWEB"), 12);
  campos::Grava(*l, "BDCREDITO", Variant(3002));
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t2->spImportacao->Click();
  EXPECT_EQ(entradas(), 2);
  auto r = Retornos();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r.back()["tipoRetorno"], 0);
  ASSERT_EQ(r.back()["documento"]["aDado"].size(), 2u);
  EXPECT_EQ(r.back()["documento"]["aDado"][0]["extratoItemId"], 11);
  EXPECT_EQ(r.back()["documento"]["aDado"][1]["extratoItemId"], 12);
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 15, 1), (TIntegrados{{11, true}, {12, true}}));
  const size_t enviados = Retornos().size();
  t2->Close();
  EXPECT_EQ(Retornos().size(), enviados) << "nothing is reported twice";
}

// A line booked with its split entries (the bank side, then each counter-account) is one booked Dyq
// item: opened again, the statement offers none of it.
TEST_F(RevisaoExtratoTest, ALineBookedWithItsSplitEntriesIsNotOfferedAgain) {
  Linha(1, 1001, 0, 100);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  TClientDataSet* m = t->DAOMulti();
  for (auto [lanc, credito, valor] : std::initializer_list<std::array<int, 3>>{{1, 3001, 60}, {2, 3002, 40}})
    m->AppendRecord({Variant(15), Variant(1), Variant(lanc), Variant(), Variant(EncodeDate(2024, 3, 1)), Variant(),
                     Variant(credito), Variant(V(valor))});
  dialogs.Yes("nenhum lançamento foi marcado").Ok("Importação finalizada");
  t->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 3);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = 15 and BDFONTE = 'I|11'")
                .AsInteger(), 1);
  t->Close();
  dialogs.List();
  TfrConsultaImportacaoExtratoBancario* t2 = Abre();
  EXPECT_TRUE(t2->DAOLinhas()->IsEmpty());
  t2->Close();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 3);
}

// Several lines selected are returned at once with Ctrl+Delete; a returned line the office books
// after all (its status cleared) is reported integrated.
TEST_F(RevisaoExtratoTest, SelectedLinesAreReturnedWithTheDeleteKeyAndOneBookedLaterIsReportedIntegrated) {
  for (int i = 1; i <= 3; ++i) Linha(i, 1001, 3000 + i, 10 * i);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  for (int chave : {2, 3}) {
    ASSERT_TRUE(Vai(*l, chave));
    t->LinhasSelecionadas.push_back(l->GetBookmark());
  }
  dialogs.Answer("retornar os extratos", mrYes).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    DigitaObservacao(f, "Qual a origem?");
  });
  TeclaDelete(*t, ssCtrl);
  EXPECT_EQ(l->RecordCount(), 3) << "a Dyq line is returned, never deleted";
  for (int chave : {2, 3}) {
    ASSERT_TRUE(Vai(*l, chave));
    EXPECT_EQ(I(*l, "BDSTATUSWEB"), 1);
    EXPECT_EQ(l->FieldByName("BDOBSWEB").AsString(), "Qual a origem?");
  }
  t->LinhasSelecionadas.clear();
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  auto r = Retornos();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0]["tipoRetorno"], 1);
  EXPECT_EQ(r[1]["tipoRetorno"], 1);
  EXPECT_EQ(r[2]["documento"]["aDado"][0]["extratoItemId"], 11);

  // The client answered for line 12: the office books it.
  ASSERT_TRUE(l->Locate("BDIDWEB", {Variant(12)}));
  EXPECT_TRUE(t->grGrid->EditaCelula("BDSTATUSWEB", "0"));
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  r = Retornos();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[3]["tipoRetorno"], 0);
  ASSERT_EQ(r[3]["documento"]["aDado"].size(), 1u);
  EXPECT_EQ(r[3]["documento"]["aDado"][0]["extratoItemId"], 12);
  t->Close();
  EXPECT_EQ(Retornos().size(), 4u) << "line 13 stays returned, reported once";
}

// In a Dyq review the link button follows the link rule too: a line already linked is not linked
// again, by the button or by its kind menu.
TEST_F(RevisaoExtratoTest, ADyqLineAlreadyLinkedCannotBeLinkedAgain) {
  Linha(1, 1001, 0, 80);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 1));
  t->grGrid->MouseClick("BDDATA");
  EXPECT_TRUE(t->spCurrencyLink->Enabled());
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 80);
  t->grGrid->MouseClick("BDDATA");
  EXPECT_FALSE(t->spCurrencyLink->Enabled());
  EXPECT_TRUE(t->spDelLink->Enabled());
  auto abertas = [&] {
    int n = 0;
    for (TComponent* c : t->Components()) n += c->ClassName() == "TfrFiltroBaixaParcelamento";
    return n;
  };
  t->miParcelamento->Click();
  EXPECT_EQ(abertas(), 0) << "the kind menu links nothing the button refuses";
  t->Close();
}

// After an import the balance check stopped, the rules made from the ticked lines are in the tree:
// the user reaches them to correct a counter-account before trying again.
TEST_F(RevisaoExtratoTest, RulesMadeByAStoppedImportAreReachableInTheTree) {
  Linha(1, 1001, 0, 100);   // one side only: the statement does not balance
  Linha(2, 1001, 3002, 50, "PIX ENVIADO");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  t->grGrid->MouseClick("BDTRANSPREP");
  ASSERT_TRUE(campos::Flag(*l, "BDTRANSPREP"));
  dialogs.Yes("deseja transformar os lançamentos em preparações").Ok("não fecham");
  t->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 0);
  t->SelecionaNodo(kNodoPreparacoes);
  ASSERT_EQ(t->DAOAtual(), t->DAOPreparacoes());
  TDAOFactory* r = t->DAOPreparacoes();
  ASSERT_EQ(r->RecordCount(), 1);
  EXPECT_EQ(I(*r, "BDCONTRAPARTIDA"), 3002);
  dialogs.No("Deseja alterar as outras contas 3002 para 3001?");
  EXPECT_TRUE(t->grGrid->EditaCelula("BDCONTRAPARTIDA", "3001"));
  EXPECT_EQ(I(*r, "BDCONTRAPARTIDA"), 3001);
  EXPECT_FALSE(t->grGrid->EditaCelula("BDCHAVELANC", "9")) << "the rule's origin is shown, not edited";
  // Unticking its line takes the rule back, and the node with it.
  t->SelecionaNodo(kNodoLancamentos);
  ASSERT_TRUE(Vai(*l, 2));
  t->grGrid->MouseClick("BDTRANSPREP");
  EXPECT_TRUE(r->IsEmpty());
  EXPECT_EQ(t->tvGrupos->AllNodes().size(), 1u);
  t->Close();
}

// The rules Dyq sent with the statement are shown in the tree beside the company's stored ones (which
// fill the lines); the import asks about Dyq's alone, stores each once and tells Dyq which it stored.
TEST_F(RevisaoExtratoTest, RulesThatCameWithTheStatementAreShownAskedAboutStoredOnceAndToldToDyq) {
  Db().Execute(
      "insert into VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE, BDCODTPLA, BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, "
      "BDAMBOSENTSAI, BDTIPOCONTA) values (15, 900, 1001, 'TARIFA', 'FALSE', 4001, 2, 1)");
  server.On("POST", "/preparacoes/importadas", [](const TFakeRequest&) { return TFakeResponse(200, "{}"); });
  Linha(1, 0, 1001, 30, "TARIFA PACOTE MARCO");
  Linha(2, 1001, 0, 100, "PIX RECEBIDO");
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR dyq;
  std::vector<std::string> recusadas;
  AdicionaPreparacoesDYQ(dyq, nlohmann::json::parse(R"([
      {"id": 77, "texto": "PIX RECEBIDO", "coincidir": true, "contrapartida": 3001, "entradaSaida": 1},
      {"id": 78, "texto": "TARIFA", "contrapartida": 4001, "entradaSaida": 2},
      {"id": 79, "texto": "DOC", "contrapartida": "40"},
      {"texto": "TED", "contrapartida": 40}])"),
                         501, 15, 1001, 1, recusadas);
  ASSERT_EQ(recusadas.size(), 2u);
  EXPECT_EQ(recusadas[0], "A preparação 79 do extrato 501 não foi trazida do ^DYQ: contrapartida inválida.");
  TfrConsultaImportacaoExtratoBancario* t = Abre({.regras = &dyq});
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(I(*l, "BDDEBITO"), 4001);   // the stored rule fills the line...
  t->tvGrupos->SetSelected(t->tvGrupos->FindNode(kNodoPreparacoes));
  TDAOFactory* r = t->DAOPreparacoes();
  ASSERT_EQ(t->DAOAtual(), r);
  ASSERT_EQ(r->RecordCount(), 2);   // ...and is shown; Dyq's own copy of it is not offered again
  EXPECT_EQ(I(*r, "BDCHAVE"), 900);
  EXPECT_FALSE(t->grGrid->EditaCelula("BDCONTRAPARTIDA", "3002")) << "a stored rule is changed in its register";
  t->tvGrupos->SetSelected(t->tvGrupos->FindNode(kNodoLancamentos));
  ASSERT_TRUE(Vai(*l, 2));
  campos::Grava(*l, "BDCREDITO", Variant(3001));

  dialogs.Yes("Deseja importar as preparações e atualizá-las no")
      .Yes("nenhum lançamento foi marcado")
      .Ok("Importação finalizada");
  t->spImportacao->Click();
  auto regras = Db().QueryAll(
      "select BDCHAVE, BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, BDAMBOSENTSAI, BDCONTRAPARTDEBCRED, BDTIPOCONTA "
      "from VZEL_EMP_TPRE_EXT_BANCARIO order by BDCOMPL");
  ASSERT_EQ(regras.Rows.size(), 2u);
  EXPECT_EQ(regras.Value(0, "BDCOMPL").AsString(), "PIX RECEBIDO");
  EXPECT_EQ(regras.Value(0, "BDCOINCIDE").AsString(), "TRUE");
  EXPECT_EQ(regras.Value(0, "BDCONTRAPARTIDA").AsInteger(), 3001);
  EXPECT_EQ(regras.Value(0, "BDAMBOSENTSAI").AsInteger(), 1);
  EXPECT_EQ(regras.Value(0, "BDCONTRAPARTDEBCRED").AsInteger(), 0);
  EXPECT_EQ(regras.Value(1, "BDCHAVE").AsInteger(), 900);
  int avisos = 0;
  for (const auto& q : server.Requests())
    if (q.Path == "/preparacoes/importadas") {
      ++avisos;
      // Dyq's copy of the stored rule (78) is told too: Dyq keeps sending a rule until it hears of it.
      EXPECT_EQ(nlohmann::json::parse(q.Body),
                nlohmann::json::parse(R"({"extratoId":501,"aDado":[{"preparacaoId":77,"importadaPor":"ana.souza"},
                                         {"preparacaoId":78,"importadaPor":"ana.souza"}]})"));
    }
  EXPECT_EQ(avisos, 1);
  // The node shows what the company stores now, and nothing is Dyq's to ask about any more.
  EXPECT_EQ(r->RecordCount(), 2);
  EXPECT_FALSE(t->ExistePreparacaoDYQ());
  t->Close();
}

// A statement Dyq gave no id cannot be refused there: the user is told and nothing is sent.
TEST_F(RevisaoExtratoTest, AStatementWithoutIdIsNotRefused) {
  linhas_->AppendRecord({Variant(empresaCod_), Variant(1), Variant(1001), Variant(3001), Variant(11), Variant(),
                         Variant(EncodeDate(2024, 3, 1)), Variant(V(10))});
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  dialogs.Yes("recusar o extrato").Rights(true).Ok("Extrato sem identificação no DYQ: nada foi recusado.");
  t->spRecusaExtrato->Click();
  EXPECT_TRUE(Retornos().empty());
  EXPECT_FALSE(t->FEstado);
  t->Close();
}

// A line ticked "Conciliado" with no posted entry behind it is not booked; the run says so.
TEST_F(RevisaoExtratoTest, LinesTickedReconciledWithoutAnEntryAreNamedInTheEndMessage) {
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 3002, 25);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  t->grGrid->MouseClick("BDTIPOLAN");
  ASSERT_TRUE(campos::Flag(*l, "BDCONCD"));
  dialogs.Ok("1 lançamento(s) marcado(s) como conciliado(s) sem lançamento contábil não foram importados");
  t->spImportacao->Click();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_NE(dialogs.Messages()[0].find("(25,00)"), std::string::npos);
  EXPECT_EQ(l->RecordCount(), 1);
  t->Close();
}

// A settlement warning (mark 4) goes with its cause: the link removed, or the account changed.
TEST_F(RevisaoExtratoTest, ACorrectedSettlementWarningLetsTheLineBeImported) {
  Linha(1, 1001, 0, 100);
  Linha(2, 1001, 3002, 50);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 100);
  for (int chave : {1, 2}) {
    ASSERT_TRUE(Vai(*l, chave));
    campos::Grava(*l, "BDINCONSISTENTE", Variant(miAvisoBaixa));
  }
  ASSERT_TRUE(Vai(*l, 1));
  t->grGrid->MouseClick("BDDATA");
  ASSERT_TRUE(t->spDelLink->Enabled());
  t->spDelLink->Click();
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), miConsistente);
  campos::Grava(*l, "BDCREDITO", Variant(3003));   // no longer a settlement: it needs its other side
  ASSERT_TRUE(Vai(*l, 2));
  dialogs.No("Deseja alterar as outras contas 3002 para 3001?");
  EXPECT_TRUE(t->grGrid->EditaCelula("BDCREDITO", "3001"));
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), miConsistente);
  dialogs.Ok("2 lançamento(s) importado(s)");
  t->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15 and BDCREDITO = 3001 "
                            "and BDVALOR = 50").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 2);
  t->Close();
}

class RevisaoBaixasTest : public RevisaoExtratoTest {
 protected:
  void SetUp() override {
    RevisaoExtratoTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    TPublicas::SetReferencia(202401);
    empresa_ = EditEmpresa1(*principal_);
    ASSERT_TRUE(empresa_->Validate());
    empresaCod_ = 1;
    conta_->SetText(std::to_string(seed::kContaBanco));
    seed::AddDocumentoFiscal(Db(), 1, 1, 20, 20, EncodeDate(2024, 1, 5), V(1000),
                             {{1, V(80), TDateTime(), 0}, {2, V(50), TDateTime(), 0}, {3, V(30), TDateTime(), 0}});
  }
  int64_t Pagamentos() { return Db().QueryValue("select count(*) from VEF_EMP_TMOVSAIPARPGTO").AsInteger(); }
  // A split row of a line, as the split editor leaves it: the part's number, its date, credit and value.
  static void Divide(TClientDataSet& m, int linha, int lanc, int credito, int valor) {
    m.AppendRecord({Variant(1), Variant(linha), Variant(lanc), Variant(), Variant(EncodeDate(2024, 3, 1)), Variant(),
                    Variant(credito), Variant(V(valor))});
  }
  // A 100,00 line split into 60,00 and 40,00, each row linked to an installment, the second of which
  // is paid already: the first row's settlement goes through and the second's is refused.
  TfrConsultaImportacaoExtratoBancario* AbreDivididaComParcelaPaga() {
    Linha(1, seed::kContaBanco, 0, 100);
    seed::AddPagamentoParcela(Db(), 1, 1, 20, 2, V(50), EncodeDate(2024, 1, 10));
    TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
    TClientDataSet* m = t->DAOMulti();
    Divide(*m, 1, 1, seed::kContaClientes, 60);
    Divide(*m, 1, 2, seed::kContaClientes, 40);
    Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 1, 1, 60);
    Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 2, 2, 40);
    return t;
  }
};

TEST_F(RevisaoBaixasTest, UnbalancedStopsBeforeAnythingAndAFailedWriteUndoesItsSettlement) {
  const int banco = seed::kContaBanco;
  Linha(1, banco, seed::kContaClientes, 80, "", "E1");
  Linha(2, banco, seed::kContaReceitas, 50, "", "FALHA");
  Linha(3, seed::kContaDespesas, 0, 130, "", "E3");
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 80);
  TDAOFactory* l = t->DAOLinhas();

  dialogs.Ok("não fecham");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 0);
  EXPECT_TRUE(Db().QueryAll("select BDCHAVE from VZEL_EMPRESAS_TLAN").Rows.empty());
  EXPECT_EQ(t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA->RecordCount(), 1);
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 0);

  // The write fails after the settlement was posted: the payment goes with the run.
  ASSERT_TRUE(Vai(*l, 3));
  campos::Grava(*l, "BDCREDITO", Variant(banco));
  Db().Execute("create exception E_FALHA_REVISAO 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_REVISAO for VZEL_EMPRESAS_TLAN before insert as begin "
               "if (new.BDDCTO = 'FALHA') then exception E_FALHA_REVISAO; end");
  dialogs.Ok("nada foi gravado");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 0);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN").AsInteger(), 0);
  EXPECT_EQ(l->RecordCount(), 3);
  // The linked line no longer looks settled: the next run settles it again.
  ASSERT_TRUE(l->Locate("BDDCTO", {Variant("E1")}));
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 0);
  EXPECT_FALSE(campos::Flag(*l, "BDCONCD"));

  l->First();
  for (; !l->Eof(); l->Next())
    if (campos::Txt(*l, "BDDCTO") == "FALHA") campos::Grava(*l, "BDDCTO", Variant("E2"));
  // The settled line is counted with the written ones.
  dialogs.Ok("Importação finalizada: 3 lançamento(s) importado(s), 0 não importado(s).");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 1);
  auto lanc = Db().QueryAll("select BDVALOR from VZEL_EMPRESAS_TLAN order by BDVALOR");
  ASSERT_EQ(lanc.Rows.size(), 3u);
  EXPECT_EQ(lanc.Value(0, "BDVALOR").AsCurrency(), V(50));
  EXPECT_EQ(lanc.Value(1, "BDVALOR").AsCurrency(), V(80));
  EXPECT_EQ(lanc.Value(2, "BDVALOR").AsCurrency(), V(130));
  EXPECT_TRUE(l->IsEmpty());
  t->Close();
}

// Lines returned to the client or refused are reported, never booked: their links post no payment.
TEST_F(RevisaoBaixasTest, ReturnedAndRefusedLinesAreKeptOutOfThePosting) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(1, banco, clientes, 80, "", "E1");
  Linha(2, banco, clientes, 50, "", "E2");
  Linha(3, banco, clientes, 30, "", "E3");
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  for (int k : {1, 2, 3}) Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, k, 0, k, k == 1 ? 80 : k == 2 ? 50 : 30);
  TDAOFactory* l = t->DAOLinhas();
  for (int k : {2, 3}) {
    ASSERT_TRUE(Vai(*l, k));
    campos::Grava(*l, "BDSTATUSWEB", Variant(k - 1));
  }
  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 1);
  auto lanc = Db().QueryAll("select BDDCTO from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDDCTO starting with 'E'");
  ASSERT_EQ(lanc.Rows.size(), 1u);
  EXPECT_EQ(lanc.Value(0, "BDDCTO").AsString(), "E1");
  t->Close();
}

// The written line's links go with it though the rules node is the one shown (its rule has the line's key).
TEST_F(RevisaoBaixasTest, WrittenLinesTakeTheirLinksWhateverNodeIsShown) {
  Linha(1, seed::kContaBanco, seed::kContaClientes, 80, "", "E1");
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR regras;
  regras.AppendRecord({Variant(1), Variant(1), Variant(seed::kContaBanco), Variant(seed::kContaClientes)});
  campos::Grava(regras, "BDTIPOCONTA", Variant(1));
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false, .regras = &regras});
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 80);
  t->SelecionaNodo(kNodoPreparacoes);
  ASSERT_EQ(t->DAOAtual(), t->DAOPreparacoes());
  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 1);
  EXPECT_TRUE(t->DAOLinhas()->IsEmpty());
  EXPECT_TRUE(t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA->IsEmpty());
  t->Close();
}

// A line linked both plainly and through its receipt to the same installment pays it once; the
// receipt link it does not post is told, not dropped.
TEST_F(RevisaoBaixasTest, AReceiptLinkOverALineItsPlainLinkSettledIsToldAndPaysNothingMore) {
  Linha(1, seed::kContaBanco, seed::kContaClientes, 80, "", "E1");
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 0, 1, 80);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_COMP_BAIXA, 1, 0, 1, 80);
  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  EXPECT_EQ(Pagamentos(), 1);
  // The engine caps the line's links at its value: the receipt link finds the line settled and is refused.
  int avisos = 0;
  std::string todas;
  for (const auto& i : inc_.Itens()) {
    todas += i.Caption + "\n";
    avisos += i.Caption.find("baixa não lançada") != std::string::npos &&
              i.Caption.find("já todo baixado") != std::string::npos;
  }
  EXPECT_EQ(avisos, 1) << todas;
  t->Close();
}

// The split rows close the line they complete: 100 = 60 + 40, each row settling an installment. A run
// that fails in its write undoes its settlements; the retry pays each installment once.
TEST_F(RevisaoBaixasTest, ImportAllWeighsALineWithItsLinkedSplitRowsAndARetryPaysOnce) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(1, banco, 0, 100);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TClientDataSet* m = t->DAOMulti();
  Divide(*m, 1, 1, clientes, 60);
  Divide(*m, 1, 2, clientes, 40);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 1, 1, 60);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 2, 2, 40);
  Db().Execute("create exception E_FALHA_DIVISAO 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_DIVISAO for VZEL_EMPRESAS_TLAN before insert as begin "
               "if (new.BDVALOR = 40) then exception E_FALHA_DIVISAO; end");
  // The line's two linked split rows are its several links: each settled on its own, as asked.
  dialogs.No("Contabilização agrupada");
  dialogs.Ok("nada foi gravado");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 0);
  Db().Execute("drop trigger T_FALHA_DIVISAO");
  dialogs.No("Contabilização agrupada");
  dialogs.Ok("Importação finalizada");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDVALOR = 60").AsInteger(), 1);
  t->Close();
}

// Several split lines in one run: each split row takes its own links along and leaves as an entry.
TEST_F(RevisaoBaixasTest, SplitLinesOfOneRunEachSettleTheirOwnLinksAndLeaveTheReview) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(1, banco, 0, 130);
  Linha(2, banco, 0, 100);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TClientDataSet* m = t->DAOMulti();
  Divide(*m, 1, 1, clientes, 80);
  Divide(*m, 1, 2, clientes, 50);
  Divide(*m, 2, 1, clientes, 30);
  Divide(*m, 2, 2, seed::kContaReceitas, 70);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 1, 1, 80);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 2, 2, 50);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 2, 1, 3, 30);
  dialogs.No("Contabilização agrupada");
  dialogs.Ok("Importação finalizada");
  t->miImportarTodos->Click();
  auto pagos = Db().QueryAll("select BDORDEMPAR, BDVALORPGTO from VEF_EMP_TMOVSAIPARPGTO order by BDORDEMPAR");
  ASSERT_EQ(pagos.Rows.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(pagos.Value(i, "BDORDEMPAR").AsInteger(), static_cast<int64_t>(i + 1));
    EXPECT_EQ(pagos.Value(i, "BDVALORPGTO").AsCurrency(), V(std::array<int, 3>{80, 50, 30}[i]));
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDVALOR = 70 and "
                            "BDCREDITO = ?", {seed::kContaReceitas}).AsInteger(), 1);
  EXPECT_EQ(t->DAOLinhas()->RecordCount(), 0);
  {
    TDetachedDetail solto(*m);
    TFilterGuard todas(*m, TFilterGuard::kAllRows);
    EXPECT_EQ(m->RecordCount(), 0);
  }
  t->Close();
}

// A split row whose settlement is refused stays in the review and is counted as not imported, run after
// run; its emptied line is no line of its own. Once a later run settles the row, the line goes with it.
TEST_F(RevisaoBaixasTest, ARefusedSplitRowCountsAsNotImportedUntilALaterRunSettlesIt) {
  TfrConsultaImportacaoExtratoBancario* t = AbreDivididaComParcelaPaga();
  dialogs.No("Contabilização agrupada");
  // The line stays for its refused row: one line, told once, as not imported.
  dialogs.Ok("Importação finalizada: 0 lançamento(s) importado(s), 1 não importado(s).");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 2);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 2);   // the emptied line and the refused row
  dialogs.Ok("Importação finalizada: 0 lançamento(s) importado(s), 1 não importado(s).");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 2);
  ExecutaComoSuite(Db(), "delete from VEF_EMP_TMOVSAIPARPGTO where BDORDEMPAR = 2");
  dialogs.Ok("Importação finalizada: 1 lançamento(s) importado(s), 0 não importado(s).");
  t->miImportarTodos->Click();
  // The row's settlement posted once, and the row leaves settled (no warning of an earlier run kept).
  EXPECT_EQ(Db().QueryValue("select count(*) from VEF_EMP_TMOVSAIPARPGTO where BDORDEMPAR = 2 and BDVALORPGTO = 40")
                .AsInteger(), 1);
  EXPECT_EQ(Pagamentos(), 2);
  EXPECT_TRUE(l->IsEmpty());
  t->Close();
}

// The line emptied by its settled split row would stay on screen with nothing left to import.
TEST_F(RevisaoBaixasTest, OnlyPreparedImportOfAWhollySettledSplitLineTakesTheZeroedLineAlong) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(1, banco, clientes, 80);
  Linha(2, banco, 0, 30);   // not prepared: it stays
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TClientDataSet* m = t->DAOMulti();
  Divide(*m, 1, 1, clientes, 80);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 1, 1, 80);
  dialogs.Ok("Importação finalizada");
  t->miImportarPreparados->Click();
  EXPECT_EQ(Pagamentos(), 1);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 1);
  l->First();
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(30));
  t->Close();
}

TEST_F(RevisaoBaixasTest, SplitExpansionRepointsBothLinkSetsAndItsUndoRestoresTheLines) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(5, banco, clientes, 95);
  Linha(1, banco, clientes, 100);
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 5));
  campos::Grava(*l, "BDDESCONTOS", Variant(V(5)));
  TClientDataSet* m = t->DAOMulti();
  for (auto [chave, lanc, valor] : std::initializer_list<std::array<int, 3>>{{1, 1, 60}, {1, 2, 40}, {5, 1, 100}})
    Divide(*m, chave, lanc, clientes, valor);
  TClientDataSet* vinc = t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  TClientDataSet* comp = t->ProcessoBaixas()->cdsVINC_EXT_BAN_COMP_BAIXA;
  Vincula(t, vinc, 1, 1, 1, 60);
  Vincula(t, comp, 1, 2, 2, 40);
  Vincula(t, vinc, 5, 1, 3, 100);
  // A cost-centre row of split row 2 of line 1, and the entries' cost-centre rows (one already there).
  TDAOFactory* cc = t->Aggregates(l).empty() ? t->AddAggregateDAO(l, t->Create<TLancamentoCentroCustoMGR>(), 0)
                                             : t->Aggregates(l).front();
  cc->AppendRecord({});
  campos::Grava(*cc, "BDCODEMP", Variant(1));
  campos::Grava(*cc, "BDCHAVE", Variant(5));
  TClientDataSet ccMulti;
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCHAVELANC", "BDORDEM", "BDCODCENTRO"})
    ccMulti.AddFieldDef(c, TFieldType::ftInteger);
  ccMulti.CreateDataSet();
  ccMulti.AppendRecord({Variant(1), Variant(1), Variant(2), Variant(4), Variant(8)});
  t->CentrosCustoMulti = {&ccMulti};

  t->SetMultiplosLancamentos();
  ASSERT_EQ(l->RecordCount(), 5);
  {
    TClientDataSet c;
    c.CloneCursor(*cc);
    c.SetMasterSource(nullptr);
    ASSERT_EQ(c.RecordCount(), 2);
    ASSERT_TRUE(c.Locate("BDCODCENTRO", {Variant(8)}));
    EXPECT_EQ(I(c, "BDCHAVE"), 7) << "the entry made of split row 2";
    EXPECT_EQ(I(c, "BDSEQ"), 4);
  }
  EXPECT_TRUE(t->TeveMultLanc());
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), Currency());
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 1);
  ASSERT_TRUE(Vai(*l, 5));   // 100 paid against 95 less a discount of 5
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(5));
  EXPECT_EQ(I(*l, "BDDEBITO"), clientes);
  // New keys above the highest line key, whatever the order of the lines.
  for (int k : {6, 7, 8}) {
    ASSERT_TRUE(Vai(*l, k)) << k;
    EXPECT_EQ(I(*l, "BDMULTLANC"), 1);
  }
  ASSERT_TRUE(vinc->Locate("BDCHAVELANC;BDCHAVEPAI", {Variant(1), Variant(1)}));
  EXPECT_EQ(I(*vinc, "BDCHAVE"), 6);
  ASSERT_TRUE(comp->Locate("BDCHAVELANC", {Variant(2)}));
  EXPECT_EQ(I(*comp, "BDCHAVE"), 7);
  EXPECT_EQ(I(*comp, "BDCHAVEPAI"), 1);

  t->DeleteMultiplosLancamentos();
  t->DeleteMultiplosLancamentos();   // nothing more to undo
  ASSERT_EQ(l->RecordCount(), 2);
  {
    TClientDataSet c;
    c.CloneCursor(*cc);
    c.SetMasterSource(nullptr);
    ASSERT_EQ(c.RecordCount(), 1) << "the copied cost-centre row goes with the undone entry";
    c.First();
    EXPECT_EQ(I(c, "BDCHAVE"), 5);
  }
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(100));
  EXPECT_EQ(I(*l, "BDINCONSISTENTE"), 0);
  ASSERT_TRUE(Vai(*l, 5));
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(95));
  EXPECT_EQ(I(*l, "BDDEBITO"), banco);
  EXPECT_EQ(I(*l, "BDCREDITO"), clientes);
  for (TClientDataSet* v : {vinc, comp})
    for (v->First(); !v->Eof(); v->Next()) {
      EXPECT_TRUE(campos::Vazio(*v, "BDCHAVEPAI"));
      EXPECT_TRUE(I(*v, "BDCHAVE") == 1 || I(*v, "BDCHAVE") == 5);
    }
  t->Close();
}

TEST_F(RevisaoBaixasTest, OnlyPreparedOpeningRenumbersTheLinesAndTheirSavedLinks) {
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  Linha(2, banco, clientes, 80);
  Linha(5, banco, 0, 30);   // not prepared: leaves the review with its link
  Linha(7, banco, clientes, 50);
  TClientDataSet salvos;
  for (const char* c : {"BDCHAVE", "BDBAIXA_ID", "BDTIPO_BAIXA", "BDSUBTIPO_BAIXA", "BDORDEM"})
    salvos.AddFieldDef(c, TFieldType::ftInteger);
  salvos.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  salvos.CreateDataSet();
  salvos.AppendRecord({7, 20, tbvParcela, 1, 2, V(50)});
  salvos.AppendRecord({2, 20, tbvParcela, 1, 1, V(80)});
  salvos.AppendRecord({5, 20, tbvParcela, 1, 3, V(30)});
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false, .soPreparados = true, .vinculos = &salvos});
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 2);
  l->First();
  EXPECT_EQ(I(*l, "BDCHAVE"), 1);
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(80));
  l->Next();
  EXPECT_EQ(I(*l, "BDCHAVE"), 2);
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(50));
  TClientDataSet* vinc = t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA;
  ASSERT_EQ(vinc->RecordCount(), 2);
  ASSERT_TRUE(vinc->Locate("BDORDEM", {Variant(1)}));
  EXPECT_EQ(I(*vinc, "BDCHAVE"), 1);
  ASSERT_TRUE(vinc->Locate("BDORDEM", {Variant(2)}));
  EXPECT_EQ(I(*vinc, "BDCHAVE"), 2);
  t->Close();
}

// Dyq numbers statement items and cash items each on its own: a cash item booked under an id neither
// hides the statement's item of that id nor goes with the statement's reports.
TEST_F(RevisaoExtratoTest, ACashItemWithTheIdOfAStatementItemIsAnotherItem) {
  TLivros(Db(), {}).RegistraFonte({15, TTipoFonte::LinhaExtratoCaixa, "I|11", "item de caixa"});
  Linha(1, 1001, 3001, 100);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  ASSERT_EQ(t->DAOLinhas()->RecordCount(), 1) << "the cash item does not stand for the statement's";
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  auto r = Retornos();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["caixa"], false);
  ASSERT_EQ(r[0]["documento"]["aDado"].size(), 1u);
  using TIntegrados = std::map<int64_t, bool>;
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 15, 2), (TIntegrados{{11, false}}))
      << "the cash item's report waits for a cash review";
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 15, 1), (TIntegrados{{11, true}}));
  t->Close();
}

// A line Dyq gave no id (as the reconciliation hands its lines) cannot go back to the client: Delete
// takes it out of the review without offering a return, its status cell is not editable, and nothing
// is reported for it.
TEST_F(RevisaoExtratoTest, ALineDyqDoesNotKnowIsNeverOfferedBackToTheClient) {
  Linha(1, 1001, 3001, 100);
  linhas_->AppendRecord({Variant(empresaCod_), Variant(2), Variant(1001), Variant(3002), Variant(), Variant(77),
                         Variant(EncodeDate(2024, 3, 2)), Variant(V(20))});
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  EXPECT_FALSE(t->grGrid->EditaCelula("BDSTATUSWEB", "1"));
  TeclaDelete(*t);   // no question: the scripted dialogs refuse any
  EXPECT_EQ(l->RecordCount(), 1);
  EXPECT_FALSE(Vai(*l, 2));
  t->Close();
  EXPECT_TRUE(Retornos().empty());
}

// A return Dyq did not take is kept until it goes; taken back by the user (the status cell cleared), it
// is dropped: the line is booked and reported integrated, and no return of it goes later.
TEST_F(RevisaoExtratoTest, AKeptReturnTakenBackIsDroppedAndItsLineReportedIntegrated) {
  server.On("POST", "/retornos", [](const TFakeRequest& q) {
    return q.Body.find("\"tipoRetorno\":1") != std::string::npos ? TFakeResponse(500, "{}") : TFakeResponse(200, "{}");
  });
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 3002, 20);
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  dialogs.Answer("retornar os extratos", mrYes).Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    DigitaObservacao(f, "Qual a origem?");
  });
  TeclaDelete(*t);
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  auto guardados = [&] { return Db().QueryValue("select count(*) from TINTEGRACAO_DYQ_RETORNO").AsInteger(); };
  EXPECT_EQ(guardados(), 1);
  ASSERT_TRUE(l->Locate("BDIDWEB", {Variant(12)}));
  EXPECT_TRUE(t->grGrid->EditaCelula("BDSTATUSWEB", "0"));
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  EXPECT_EQ(guardados(), 0);
  const auto r = Retornos();
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r.back()["tipoRetorno"], 0);
  EXPECT_EQ(r.back()["documento"]["aDado"][0]["extratoItemId"], 12);
  const size_t enviados = r.size();
  t->Close();
  EXPECT_EQ(Retornos().size(), enviados) << "the return taken back is not sent at the close";
}

// A rule made from a ticked line at an import the balance stopped is made again from the line as the
// user completed it: the stored rule carries the counter-account the line was imported with.
TEST_F(RevisaoExtratoTest, ARuleOfAStoppedImportIsStoredAsTheUserCompletedTheLine) {
  Linha(1, 1001, 3001, 100);
  Linha(2, 1001, 0, 50, "PIX RECEBIDO");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  t->grGrid->MouseClick("BDTRANSPREP");
  dialogs.Yes("deseja transformar os lançamentos em preparações").Ok("não fecham");
  t->spImportacao->Click();
  ASSERT_TRUE(Vai(*l, 2));
  campos::Grava(*l, "BDCREDITO", Variant(3002));
  dialogs.Ok("2 lançamento(s) importado(s)");
  t->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select BDCONTRAPARTIDA from VZEL_EMP_TPRE_EXT_BANCARIO where BDCODEMP = 15")
                .AsInteger(),
            3002);
  t->Close();
}

// The tree, the lines grid's menu and the kind menus are reached by the user's hands: a node chosen in
// the tree shows its rows; the selection menu drops only over the columns it ticks; a line of money
// coming in never reaches the tax guides, whatever counter-account was typed.
TEST_F(RevisaoExtratoTest, TheTreeAndTheMenusFollowTheUsersClicks) {
  Linha(1, 1001, 0, 100);
  Linha(2, 1001, 3002, 50, "PIX RECEBIDO");
  Linha(3, 3003, 1001, 70, "PAGTO GUIA");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  t->SelecionaNodo(kNodoLancamentos);
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(Vai(*l, 2));
  t->grGrid->MouseClick("BDTRANSPREP");
  dialogs.Yes("deseja transformar os lançamentos em preparações").Ok("não fecham");
  t->spImportacao->Click();
  t->tvGrupos->SetSelected(t->tvGrupos->FindNode(kNodoPreparacoes));
  EXPECT_EQ(t->DAOAtual(), t->DAOPreparacoes());
  t->tvGrupos->SetSelected(t->tvGrupos->FindNode(kNodoLancamentos));
  ASSERT_EQ(t->DAOAtual(), l);

  ASSERT_NE(t->grGrid->PopupMenu, nullptr);
  t->grGrid->MouseClick("BDDATA", true);
  EXPECT_FALSE(t->grGrid->PopupMenu->Reachable());
  t->grGrid->MouseClick("BDTRANSPREP", true);
  EXPECT_TRUE(t->grGrid->PopupMenu->Reachable());

  ASSERT_EQ(t->spCurrencyLink->DropdownMenu, t->miImpostos->Menu());
  ASSERT_TRUE(Vai(*l, 2));
  t->spCurrencyLink->DropdownMenu->Popup(t->spCurrencyLink);
  EXPECT_FALSE(t->miImpostos->Enabled()) << "a receipt with its counter-account typed is still a receipt";
  EXPECT_TRUE(t->miParcelamento->Enabled());
  ASSERT_TRUE(Vai(*l, 3));
  t->spCurrencyLink->DropdownMenu->Popup(t->spCurrencyLink);
  EXPECT_TRUE(t->miImpostos->Enabled());
  t->Close();
}

// A line's Y570 data belong to it while it credits a financial application: moving its credit drops
// them (the user is told), and confirming the same source twice keeps one record.
TEST_F(RevisaoExtratoTest, Y570DataLeaveALineCreditedElsewhereAndASourceIsRecordedOnce) {
  Db().Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDAPLIFIN) values (3, 700, 'TRUE')");
  auto digita = [](TForm_VYN& f) {
    auto& y = static_cast<TfrLancamentoY570Integracao&>(f);
    y.edCNPJFonte->SetText("12345678000190");
    y.edIRRF->SetText("7,50");
    y.spConfirmar->Click();
  };
  Linha(1, 1001, 700, 50);
  Linha(2, 1001, 700, 30);
  dialogs.List();
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TDAOFactory* l = t->DAOLinhas();
  for (int chave : {1, 2}) {
    ASSERT_TRUE(Vai(*l, chave));
    t->AtualizarStatusBotoes();
    dialogs.Modal("tfrLancamentoY570Integracao", digita);
    if (chave == 1) dialogs.List();   // line 2's reminder is left
    t->spY570->Click();
    dialogs.Modal("tfrLancamentoY570Integracao", digita);
    t->spY570->Click();
  }
  ASSERT_TRUE(Vai(*l, 2));
  dialogs.No("Deseja alterar as outras contas 700 para 3001?")
      .Ok("Os dados do registro Y570 da ECF do(s) lançamento(s) 2 foram descartados");
  EXPECT_TRUE(t->grGrid->EditaCelula("BDCREDITO", "3001"));
  dialogs.Ok("Importação finalizada");
  t->spImportacao->Click();
  const auto y = Db().QueryAll("select Y.BDIRRF, L.BDCREDITO from VZEL_EMPRESAS_TLAN_Y570 Y join VZEL_EMPRESAS_TLAN L on "
                               "L.BDCODEMP = Y.BDCODEMP and L.BDCHAVE = Y.BDCHAVE");
  ASSERT_EQ(y.Rows.size(), 1u);
  EXPECT_EQ(y.Value(0, "BDCREDITO").AsInteger(), 700);
  EXPECT_EQ(y.Value(0, "BDIRRF").AsCurrency(), Currency::ParseSQL("7.5"));
  t->Close();
}

// A write that fails gives the review back as the user left it, the split line whole with its split
// rows under it: corrected, the review imports, each split row weighed once.
TEST_F(RevisaoBaixasTest, AFailedWriteGivesTheSplitLineBackAndTheCorrectedRetryImports) {
  const int banco = seed::kContaBanco;
  Linha(1, banco, 0, 100, "", "E1");
  Linha(2, banco, seed::kContaReceitas, 40, "", "FALHA");
  TfrConsultaImportacaoExtratoBancario* t = Abre({.dyq = false});
  TClientDataSet* m = t->DAOMulti();
  Divide(*m, 1, 1, seed::kContaClientes, 60);
  Divide(*m, 1, 2, seed::kContaReceitas, 40);
  Vincula(t, t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA, 1, 1, 1, 60);
  Db().Execute("create exception E_FALHA_REVISAO 'falha na gravação'");
  Db().Execute("create trigger T_FALHA_REVISAO for VZEL_EMPRESAS_TLAN before insert as begin "
               "if (new.BDDCTO = 'FALHA') then exception E_FALHA_REVISAO; end");
  TDAOFactory* l = t->DAOLinhas();
  dialogs.Ok("nada foi gravado");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 0);
  EXPECT_EQ(l->RecordCount(), 2);
  ASSERT_TRUE(l->Locate("BDDCTO", {Variant("E1")}));
  EXPECT_EQ(l->FieldByName("BDVALOR").AsCurrency(), V(100));
  ASSERT_TRUE(l->Locate("BDDCTO", {Variant("FALHA")}));
  campos::Grava(*l, "BDDCTO", Variant(std::string("OK")));
  dialogs.Ok("Importação finalizada");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 1);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDDCTO = 'OK'").AsInteger(), 1);
  t->Close();
}

// A split row whose settlement a run refused stays as a line of its own: it carries the bank side its
// line no longer has, so once unlinked it is imported balanced, as a whole entry.
TEST_F(RevisaoBaixasTest, ARefusedSplitRowUnlinkedStandsAloneAndImportsBalanced) {
  TfrConsultaImportacaoExtratoBancario* t = AbreDivididaComParcelaPaga();
  const int banco = seed::kContaBanco, clientes = seed::kContaClientes;
  dialogs.No("Contabilização agrupada");
  dialogs.Ok("1 não importado(s)");
  t->miImportarTodos->Click();
  TDAOFactory* l = t->DAOLinhas();
  ASSERT_TRUE(l->Locate("BDVALOR", {Variant(V(40))}));
  EXPECT_EQ(I(*l, "BDDEBITO"), banco);
  t->grGrid->MouseClick("BDDATA");
  ASSERT_TRUE(t->spDelLink->Enabled());
  t->spDelLink->Click();
  dialogs.Ok("Importação finalizada: 1 lançamento(s) importado(s), 0 não importado(s).");
  t->miImportarTodos->Click();
  EXPECT_EQ(Pagamentos(), 2);
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 1 and BDVALOR = 40 and "
                            "BDDEBITO = ? and BDCREDITO = ?", {banco, clientes}).AsInteger(), 1);
  EXPECT_TRUE(l->IsEmpty());
  t->Close();
}

// The same money as a line booked before under another Dyq item of another statement (a bank that sends
// the movement again in a new statement with new ids): shown as a probable duplicate naming that line's entry, left out
// until the user ticks it, then booked; two equal lines of two items are two movements.
TEST_F(RevisaoExtratoTest, AnEqualLineOfAnotherItemIsAProbableDuplicateBookedOnlyWhenTicked) {
  Linha(1, 1001, 3001, 25, "TARIFA", "T1");
  TfrConsultaImportacaoExtratoBancario* t = Abre();
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  t->spImportacao->Click();
  t->Close();
  const int64_t primeira = Db().QueryValue("select max(BDCHAVE) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger();
  campos::Grava(*linhas_, "BDIDWEB", Variant(91));   // the same line, under another item of another statement
  campos::Grava(*linhas_, "BDIDEXTRATOWEB", Variant(78));
  Linha(2, 1001, 3001, 12, "TED", "T2");
  TfrConsultaImportacaoExtratoBancario* t2 = Abre();
  TDAOFactory* l = t2->DAOLinhas();
  ASSERT_EQ(l->RecordCount(), 2);
  ASSERT_TRUE(Vai(*l, 1));
  EXPECT_NE(campos::Txt(*l, "BDDUPLICATA").find("Provável duplicata do lançamento " + std::to_string(primeira)),
            std::string::npos);
  EXPECT_EQ(t2->grGridMostraDadoImagem("BDLANCARDUPLICATA"),
            TfrConsultaImportacaoExtratoBancario::TImagemCelula::CaixaDesmarcada);
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s), 1 não importado(s)").List();
  t2->spImportacao->Click();
  auto valores = [&] {
    return Db().QueryAll("select BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 15 order by BDCHAVE").Rows.size();
  };
  EXPECT_EQ(valores(), 2u) << "the TED fee is booked, the probable duplicate waits for the user";
  ASSERT_TRUE(l->Locate("BDIDWEB", {Variant(91)}));   // the run gave the lines left their server keys
  t2->grGridCellClick("BDLANCARDUPLICATA");
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s), 0 não importado(s)");
  t2->spImportacao->Click();
  EXPECT_EQ(valores(), 3u);
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = 15 and BDFONTE in "
                            "('I|11', 'I|91', 'I|12') and BDCHAVELAN is not null")
                .AsInteger(),
            3);
  t2->Close();
}

// Two windows over one statement: a line the other window booked meanwhile is named in the run's list
// with its entry, and left out; the rest of the statement is booked.
TEST_F(RevisaoExtratoTest, ALineBookedMeanwhileElsewhereIsNamedAndLeftOutAndTheOthersAreBooked) {
  Linha(1, 1001, 3001, 100, "PIX", "P1");
  Linha(2, 1001, 3002, 40, "DEP", "D2");
  TfrConsultaImportacaoExtratoBancario* a = Abre();
  TfrConsultaImportacaoExtratoBancario* b = Abre();
  ASSERT_TRUE(Vai(*a->DAOLinhas(), 2));
  campos::Grava(*a->DAOLinhas(), "BDCREDITO", Variant(0));   // only line 1 is prepared here
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s)");
  a->miImportarPreparados->Click();
  const int64_t chave = Db().QueryValue("select max(BDCHAVE) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger();
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s), 1 não importado(s)").List();
  b->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 2);
  bool nomeada = false;
  for (const auto& i : inc_.Itens())
    nomeada |= i.Caption.find("no valor de 100,00 (PIX P1): já lançado em ") != std::string::npos &&
               i.Caption.find("no lançamento " + std::to_string(chave)) != std::string::npos &&
               i.Caption.find("TUtil") == std::string::npos;
  EXPECT_TRUE(nomeada);
  EXPECT_EQ(b->DAOLinhas()->RecordCount(), 1);
  a->Close();
  b->Close();
}

// Another workstation books a line while this window's run is writing it: the run is not cancelled
// with the database's words; it names that line with the other's booking and books the rest.
TEST_F(RevisaoExtratoTest, ALineAnotherWorkstationBooksWhileThisRunWritesIsNamedAndTheRestBooked) {
  Linha(1, 1001, 3001, 100, "PIX", "P1");
  Linha(2, 1001, 3002, 40, "DEP", "D2");
  TfrConsultaImportacaoExtratoBancario* b = Abre();
  auto outra = Company().OpenAnother();
  auto escrevendo = std::make_unique<TTransaction>(*outra);
  TExecucaoLivros estacao;
  estacao.Rotulo = "TfrConsultaImportacaoExtratoBancario";
  estacao.Usuario = "bruno";
  TLivros(*outra, estacao)
      .RegistraFonte({empresaCod_, TTipoFonte::LinhaExtratoBanco, TItensIntegradosDYQ::ChaveFonte(11), "PIX", 999,
                      Currency::FromInt(100)});
  std::thread commit([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    escrevendo->Commit();
  });
  struct TJunta {
    std::thread& t;
    ~TJunta() { t.join(); }
  } junta{commit};
  dialogs.Yes("nenhum lançamento foi marcado").Ok("1 lançamento(s) importado(s), 1 não importado(s)").List();
  b->spImportacao->Click();
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select BDVALOR from VZEL_EMPRESAS_TLAN where BDCODEMP = 15").AsCurrency(),
            Currency::FromInt(40));
  bool nomeada = false;
  for (const auto& i : inc_.Itens()) {
    EXPECT_EQ(i.Caption.find("violation"), std::string::npos) << i.Caption;
    nomeada |= i.Caption.find("no valor de 100,00 (PIX P1): já lançado em ") != std::string::npos &&
               i.Caption.find("por bruno, no lançamento 999") != std::string::npos;
  }
  EXPECT_TRUE(nomeada);
  EXPECT_EQ(b->DAOLinhas()->RecordCount(), 1);
  b->Close();
}

}  // namespace
}  // namespace integracao
