#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas.h"
#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas_c.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "framework/component/class_registry.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

const std::string kMsgFiltrada = std::string("A fórmula X ") + kMsgFormulaTipoCalculoInvalido;

// What the parsers of one evaluator were asked.
struct TChamadas {
  std::vector<std::string> parsers;   // "imposto", "saldos", "geral" in call order
  std::vector<std::string> textos;
  std::vector<int> periodos;
  std::vector<std::string> parametros;
  int setSaldos = 0;
  std::string preparado;   // the balances on the (one) connection: the last preparation's values
  bool falhaSetSaldo = false;
  Variant respostaImposto, respostaSaldos, respostaGeral;
};

class TImpostoFalso : public TParserImpostoVYN {
 public:
  TImpostoFalso(TComponent* o, TChamadas& c) : TParserImpostoVYN(o), c_(c) {}
  void Execute(const std::string& texto, int, const std::string&, const std::string&, const std::string&,
               TTipoPerApuracao tipo, const std::string& parametro, const std::string&, Variant& r) override {
    c_.parsers.push_back("imposto");
    c_.textos.push_back(texto);
    c_.periodos.push_back(tipo);
    c_.parametros.push_back(parametro);
    r = c_.respostaImposto;
  }
  TChamadas& c_;
};

class TGeralFalso : public TParserFormulaVYN {
 public:
  TGeralFalso(TComponent* o, TChamadas& c) : TParserFormulaVYN(o), c_(c) {}
  void Avalia(const std::string& texto, int, const std::string&, const std::string&, const std::string&,
              TTipoPerApuracao tipo, const std::string& parametro, const std::string&, Variant& r) override {
    c_.parsers.push_back("geral");
    c_.textos.push_back(texto);
    c_.periodos.push_back(tipo);
    c_.parametros.push_back(parametro);
    r = c_.respostaGeral;
  }
  TChamadas& c_;
};

class TSaldosFalso : public TParserPelmorin {
 public:
  TSaldosFalso(TComponent* o, TChamadas& c) : TParserPelmorin(o), c_(c) {}
  static std::string Valores(const std::string& emp, TDateTime ini, TDateTime fim, int contab, int ign) {
    return emp + "|" + std::to_string(ini.Value) + "|" + std::to_string(fim.Value) + "|" + std::to_string(contab) +
           "|" + std::to_string(ign);
  }
  void setSaldo(TClientDataSet*, const std::string& emp, const std::string&, TDateTime ini, TDateTime fim, int contab,
                int ign, int, bool, int, int, bool, TDateTime, TDateTime) override {
    ++c_.setSaldos;
    c_.preparado.clear();
    if (c_.falhaSetSaldo) throw std::runtime_error("saldos indisponíveis");
    c_.preparado = Valores(emp, ini, fim, contab, ign);
  }
  bool SaldoPreparadoPara(const std::string& emp, TDateTime ini, TDateTime fim, int contab, int ign) const override {
    return c_.preparado == Valores(emp, ini, fim, contab, ign);
  }
  void Run(int, const std::string&, const std::string&, const std::string&, int, int, int, int) override {
    c_.parsers.push_back("saldos");
    c_.textos.push_back(Source());
    ResultValue = c_.respostaSaldos;
  }
  TChamadas& c_;
};

class TAvaliadorTeste : public TBuscaFormulasPorParse {
 public:
  TChamadas c;
 protected:
  std::unique_ptr<TParserImpostoVYN> CriaParserImposto() override { return std::make_unique<TImpostoFalso>(nullptr, c); }
  TParserPelmorin* CriaParserSaldos() override { return Create<TSaldosFalso>(c); }
  std::unique_ptr<TParserFormulaVYN> CriaParserFormula() override { return std::make_unique<TGeralFalso>(nullptr, c); }
};

Variant Saldo(TBuscaFormulasPorParse& a, const std::string& ref = "202401", const std::string& ini = "01/01/2024",
              bool ign = false, int emp = 5) {
  return a.Execute("SALDO(", "10)", 4, emp, ref, ini, "31/01/2024", 1, ign, "", "p");
}

TEST(BuscaFormulasPorParse, ChoosesTheParserByTypeAndFallsBackToTheGeneralOne) {
  TAvaliadorTeste a;
  a.c.respostaImposto = Currency::ParseSQL("12.3456");
  EXPECT_EQ(a.Execute("IR", "+1", 3, 5, "202401", "01/01/2024", "31/01/2024", 0, false, "x", "par"),
            Variant(Currency::ParseSQL("12.3456")));
  EXPECT_EQ(a.c.parsers, (std::vector<std::string>{"imposto"}));
  EXPECT_EQ(a.c.textos[0], "IR+1");
  EXPECT_EQ(a.c.periodos[0], 6);
  EXPECT_EQ(a.c.parametros[0], "par");

  // A tax formula without a value gets a second try in the general parser, with period kind 10.
  TAvaliadorTeste b;
  b.c.respostaGeral = Currency::FromInt(7);
  EXPECT_EQ(b.Execute("IR", "", 3, 5, "202401", "01/01/2024", "31/01/2024", 0, false, "", "par"),
            Variant(Currency::FromInt(7)));
  EXPECT_EQ(b.c.parsers, (std::vector<std::string>{"imposto", "geral"}));
  EXPECT_EQ(b.c.periodos[1], 10);
  EXPECT_EQ(b.c.parametros[1], "par");

  // Types 1, 2 and 5 go to the general parser only; no parser's answer leaves null.
  for (int tipo : {1, 2, 5}) {
    TAvaliadorTeste g;
    EXPECT_TRUE(g.Execute("A", "B", tipo, 5, "202401", "x", "y", 0, false, "", "").IsNull());
    EXPECT_EQ(g.c.parsers, (std::vector<std::string>{"geral"})) << tipo;
    EXPECT_EQ(g.c.textos[0], "AB");
  }
}

TEST(BuscaFormulasPorParse, PreparesTheBalancesOncePerContext) {
  TAvaliadorTeste a;
  a.c.respostaSaldos = Currency::ParseSQL("-150.25");
  EXPECT_EQ(Saldo(a), Variant(Currency::ParseSQL("-150.25")));
  EXPECT_EQ(Saldo(a), Variant(Currency::ParseSQL("-150.25")));
  EXPECT_EQ(a.c.setSaldos, 1);
  EXPECT_EQ(a.c.textos[0], "SALDO(10)");
  EXPECT_EQ(a.InfoSetSaldo().Referencia, "202401");

  Saldo(a, "202401 ");  // blanks count
  EXPECT_EQ(a.c.setSaldos, 2);
  Saldo(a, "202401 ", "01/01/2024", true);
  EXPECT_EQ(a.c.setSaldos, 3);
  EXPECT_EQ(a.InfoSetSaldo().IgnZeramento, 1);
  Saldo(a, "202401 ", "01/01/2024", true, 6);
  EXPECT_EQ(a.c.setSaldos, 4);
  // The parsers go with each call.
  EXPECT_EQ(a.ComponentCount(), 0);
}

TEST(BuscaFormulasPorParse, FailedBalancePreparationIsNotRemembered) {
  TAvaliadorTeste a;
  a.c.respostaSaldos = Currency::FromInt(1);
  a.c.falhaSetSaldo = true;
  EXPECT_THROW(Saldo(a), std::runtime_error);
  EXPECT_EQ(a.ComponentCount(), 0);
  a.c.falhaSetSaldo = false;
  EXPECT_EQ(Saldo(a), Variant(Currency::FromInt(1)));
  EXPECT_EQ(a.c.setSaldos, 2);

  // A balance formula without a value is tried by the general parser; bad dates reach the caller.
  TAvaliadorTeste b;
  EXPECT_TRUE(Saldo(b).IsNull());
  EXPECT_EQ(b.c.parsers, (std::vector<std::string>{"saldos", "geral"}));
  EXPECT_THROW(b.Execute("SALDO(10)", "", 4, 5, "", "32/01/2024", "31/01/2024", 0, false, "", ""), EDateError);
}

TEST(BuscaFormulasPorParse, FilterDropsOnlyTheUnwantedMessage) {
  TInconsistencias_VYN so;
  so.Add_Erro(kMsgFiltrada);
  TBuscaFormulasPorParse::BloquearMessagemIndesejada(so);
  EXPECT_EQ(so.Count(), 0);

  TInconsistencias_VYN primeira;
  primeira.Add_Erro(kMsgFiltrada);
  primeira.Add_Erro("Conta 10 inexistente");
  TBuscaFormulasPorParse::BloquearMessagemIndesejada(primeira);
  ASSERT_EQ(primeira.Count(), 1);
  EXPECT_EQ(primeira.getItemObjeto(0).Caption, "Conta 10 inexistente");

  TInconsistencias_VYN segunda;
  segunda.Add_Erro("Conta 10 inexistente");
  segunda.Add_Erro(kMsgFiltrada);
  TBuscaFormulasPorParse::BloquearMessagemIndesejada(segunda);
  EXPECT_EQ(segunda.Count(), 2);
}

class BuscaFormulasBaseTest : public CompanyDatabaseTest {};

TEST_F(BuscaFormulasBaseTest, GeneratorEvaluatesThroughTheRegisteredClassWithTheFrameworkParsers) {
  const auto lista = RegistrosValidacaoSpedBI();
  RegistraModulo(ClassRegistry(), lista);
  struct TDesregistra {
    const TListaRegistro& l;
    ~TDesregistra() { DesregistraModulo(ClassRegistry(), l); }
  } desregistra{lista};

  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                         "(5, 1, '2024-01-10', 10, 20, 1000.1234)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                         "(5, 2, '2024-01-20', 30, 10, 200.0001)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                         "(5, 3, '2024-02-01', 10, 20, 5)");

  TComponent gerador;
  IBuscaFormulasGerador& a = CriaBuscaFormulasGerador(gerador);
  EXPECT_EQ(a.Execute("SALDO(10)", " * 2", 4, 5, "202401", "01/01/2024", "31/01/2024", 1, false, "", ""),
            Variant(Currency::ParseSQL("1600.2466")));
  // Balances prepared by the previous call serve this one.
  EXPECT_EQ(a.Execute("SALDO(20)", "", 4, 5, "202401", "01/01/2024", "31/01/2024", 1, false, "", ""),
            Variant(Currency::ParseSQL("-1000.1234")));
  EXPECT_EQ(a.Execute("1,5 * 3", "", 2, 5, "202401", "", "", 0, false, "", ""), Variant(Currency::ParseSQL("4.5")));
  EXPECT_EQ(a.Execute("10 / 4", "", 3, 5, "202401", "", "", 0, false, "", ""), Variant(Currency::ParseSQL("2.5")));
  EXPECT_TRUE(a.Execute("ICMS", "", 3, 5, "202401", "", "", 0, false, "", "").IsNull());

  // An account argument is a whole code, named when it is not one.
  for (const std::string arg : {"10.5", "abc", " ", "99999999999"}) {
    try {
      a.Execute("SALDO(" + arg + ")", "", 4, 5, "202401", "01/01/2024", "31/01/2024", 1, false, "", "");
      ADD_FAILURE() << arg << " taken";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Fórmula inválida: \"" + Trim(arg) + "\" não é um código de conta", 0), 0u)
          << e.what();
    }
  }

  // The generator outside the library reaches the same evaluator through the C entry.
  char texto[64] = {};
  void* c = integracao_busca_formulas_cria(texto, sizeof texto);
  ASSERT_NE(c, nullptr) << texto;
  EXPECT_EQ(integracao_busca_formulas_executa(c, "SALDO(10)", "", 4, 5, "202401", "01/01/2024", "31/01/2024", 1, 0, "",
                                              "", texto, sizeof texto),
            0);
  EXPECT_STREQ(texto, "800.1233");
  EXPECT_EQ(integracao_busca_formulas_executa(c, "SALDO(abc)", "", 4, 5, "202401", "01/01/2024", "31/01/2024", 1, 0, "",
                                              "", texto, sizeof texto),
            1);
  EXPECT_EQ(std::string(texto).rfind("Fórmula inválida", 0), 0u) << texto;
  integracao_busca_formulas_libera(c);
}

TEST_F(BuscaFormulasBaseTest, TwoEvaluatorsUsedInTurnEachAnswerWithTheirOwnPeriod) {
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                         "(5, 1, '2021-03-10', 30, 20, 7000)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                         "(5, 2, '2025-03-10', 30, 20, 5000)");
  TBuscaFormulasPorParse a, b;
  auto saldo = [](TBuscaFormulasPorParse& e, const std::string& ano) {
    return e.Execute("SALDO(30)", "", 4, 5, ano + "12", "01/01/" + ano, "31/12/" + ano, 1, false, "", "");
  };
  EXPECT_EQ(saldo(a, "2025"), Variant(Currency::FromInt(5000)));
  EXPECT_EQ(saldo(b, "2021"), Variant(Currency::FromInt(7000)));
  EXPECT_EQ(saldo(a, "2025"), Variant(Currency::FromInt(5000)));   // B's preparation does not leak into A
}

// The generator outside the library, as it calls the C entries: a registered evaluator per handle.
class BuscaFormulasCTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    RegistraModulo(ClassRegistry(), lista_);
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                           "(5, 1, '2021-03-10', 30, 20, 7000)");
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) VALUES "
                           "(5, 2, '2025-03-10', 20, 30, 5000)");
  }
  void TearDown() override {
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  static void* Cria() {
    char erro[128] = {};
    void* h = integracao_busca_formulas_cria(erro, sizeof erro);
    EXPECT_NE(h, nullptr) << erro;
    return h;
  }
  // The balance of account 30 in a year, through handle h: the answer code and the text.
  static std::pair<int, std::string> Saldo(void* h, const std::string& ano, const char* formula = "SALDO(30)",
                                           size_t tamanho = 64, int tipo = 4) {
    std::string texto(tamanho, '\0');
    const int rc = integracao_busca_formulas_executa(h, formula, "", tipo, 5, (ano + "12").c_str(),
                                                     ("01/01/" + ano).c_str(), ("31/12/" + ano).c_str(), 1, 0, "", "",
                                                     texto.data(), tamanho);
    return {rc, texto.c_str()};
  }
  const TListaRegistro lista_ = RegistrosValidacaoSpedBI();
};

TEST_F(BuscaFormulasCTest, TwoHandlesUsedAtOnceFromTwoThreadsEachAnswerForTheirOwnPeriod) {
  void* a = Cria();
  void* b = Cria();
  int erradosA = 0, erradosB = 0;
  auto roda = [](void* h, const std::string& ano, const std::string& esperado, int& errados) {
    for (int i = 0; i < 150; ++i)
      if (Saldo(h, ano) != std::make_pair(0, esperado)) ++errados;
  };
  std::thread ta(roda, a, "2025", "-5000", std::ref(erradosA));
  std::thread tb(roda, b, "2021", "7000", std::ref(erradosB));
  ta.join();
  tb.join();
  EXPECT_EQ(erradosA, 0);
  EXPECT_EQ(erradosB, 0);
  integracao_busca_formulas_libera(a);
  integracao_busca_formulas_libera(b);
}

TEST_F(BuscaFormulasCTest, AFormulaWithoutAValueAnswersItsReasonAndAValueIsNeverCut) {
  void* h = Cria();
  // Unknown names and wrong arguments are formulas to correct, with the parser's message.
  for (const char* formula : {"XYZ(1)", "ABC"}) {
    const auto [rc, texto] = Saldo(h, "2025", formula, 256, 2);
    EXPECT_EQ(rc, 1) << formula;
    EXPECT_EQ(texto, std::string("A fórmula \"") + formula + "\" não pôde ser calculada.");
  }
  // A message cut to the room given ends before a character it cannot hold whole ("ó" is two bytes).
  EXPECT_EQ(Saldo(h, "2025", "XYZ(1)", 5, 2), std::make_pair(1, std::string("A f")));
  EXPECT_EQ(Saldo(h, "2025", "XYZ(1)", 6, 2), std::make_pair(1, std::string("A fó")));
  for (const char* formula : {"SALDO(30;31)", "SALDO()"}) {
    const auto [rc, texto] = Saldo(h, "2025", formula, 256);
    EXPECT_EQ(rc, 1) << formula;
    EXPECT_EQ(texto.rfind("Fórmula inválida", 0), 0u) << texto;
  }
  // "-5000" needs 6 bytes: refused in 4 with the room it needs, answered in 6.
  EXPECT_EQ(Saldo(h, "2025", "SALDO(30) * 1", 4), std::make_pair(int{kBuscaFormulasSemEspaco}, std::string("6")));
  EXPECT_EQ(Saldo(h, "2025", "SALDO(30) * 1", 1), std::make_pair(int{kBuscaFormulasSemEspaco}, std::string()));
  EXPECT_EQ(integracao_busca_formulas_tamanho_necessario(h), 6u);
  EXPECT_EQ(Saldo(h, "2025", "SALDO(30) * 1", 6), std::make_pair(0, std::string("-5000")));
  EXPECT_EQ(integracao_busca_formulas_tamanho_necessario(h), 0u);
  integracao_busca_formulas_libera(h);
}

// A literal is taken with all its decimals on the generator's road: a daily rate of a balance is the
// exact figure, and a quotient with no exact four-place value is refused with its reason, never
// answered rounded. What the caller handed in is echoed as text, never as bytes that are none.
TEST_F(BuscaFormulasCTest, ALiteralIsExactAndNoRoundedValueOrRawByteIsAnswered) {
  void* h = Cria();
  EXPECT_EQ(Saldo(h, "2025", "SALDO(30)*0.000082"), std::make_pair(0, std::string("-0.41")));
  EXPECT_EQ(Saldo(h, "2025", "1/0.00004", 64, 2), std::make_pair(0, std::string("25000")));
  EXPECT_EQ(Saldo(h, "2025", "1/0.00005", 64, 3), std::make_pair(0, std::string("20000")));
  const auto [rc, texto] = Saldo(h, "2025", "SALDO(30)/3", 256);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(texto.find("não tem valor exato em quatro casas decimais"), std::string::npos) << texto;

  for (const char* formula : {"XY\xff\xfe(1)", "SALDO(\xc3)", "1 + \xed\xa0\x80"}) {
    const auto [rc2, msg] = Saldo(h, "2025", formula, 256, 4);
    EXPECT_EQ(rc2, 1) << msg;
    EXPECT_EQ(Utf8Legivel(msg), msg);
    EXPECT_NE(msg.find("\xEF\xBF\xBD"), std::string::npos) << msg;
  }
  std::string data(256, '\0');
  EXPECT_EQ(integracao_busca_formulas_executa(h, "SALDO(30)", "", 4, 5, "202512", "0\xff/01/2025", "31/12/2025", 1, 0,
                                              "", "", data.data(), data.size()),
            1);
  EXPECT_EQ(Utf8Legivel(data.c_str()), data.c_str());
  integracao_busca_formulas_libera(h);
}

}  // namespace
}  // namespace integracao
