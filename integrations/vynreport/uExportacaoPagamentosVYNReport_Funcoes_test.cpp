// The report functions as the identifier report's expressions reach them.
#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/report_vyn.h"
#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"
#include "integrations/vynreport/vynreport_test_support.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using teste::C;

class FuncoesRelatorioTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    tela_ = MakeForm<TfrExportacaoPagamentosVYNReport>();
    tela_->setReportFunctions(tela_->frxReportPreview);
  }
  std::string T(const std::string& expressao) { return R().Evaluate(expressao).AsString(); }
  Currency V(const std::string& expressao) { return R().Evaluate(expressao).AsCurrency(); }
  TfrxReportVYN& R() { return *tela_->frxReportPreview; }
  TFormPtr<TfrExportacaoPagamentosVYNReport> tela_;
};

TEST_F(FuncoesRelatorioTest, AmountsAndNumbersInWords) {
  EXPECT_EQ(T("EXTENSO(1)"), "um real");
  EXPECT_EQ(T("EXTENSO(0.01)"), "um centavo");
  EXPECT_EQ(T("EXTENSO(100)"), "cem reais");
  EXPECT_EQ(T("EXTENSO(101.10)"), "cento e um reais e dez centavos");
  EXPECT_EQ(T("EXTENSO(1001)"), "mil e um reais");
  EXPECT_EQ(T("extenso(1234.56)"), "mil, duzentos e trinta e quatro reais e cinquenta e seis centavos");
  EXPECT_EQ(T("EXTENSO(1000000)"), "um milhão de reais");
  EXPECT_EQ(T("EXTENSO(1000000.01)"), "um milhão de reais e um centavo");
  EXPECT_EQ(T("EXTENSO(2500000)"), "dois milhões e quinhentos mil reais");
  EXPECT_EQ(T("EXTENSO(1234567.89)"),
            "um milhão, duzentos e trinta e quatro mil, quinhentos e sessenta e sete reais e oitenta e nove centavos");
  EXPECT_EQ(T("EXTENSO(-15.5)"), "quinze reais e cinquenta centavos");   // the sign is not read
  EXPECT_EQ(T("EXTENSO(0.005)"), "um centavo");                          // money is read to the centavo
  EXPECT_EQ(T("EXTENSO(0)"), "");
  EXPECT_EQ(T("NumeroExtenso(12.99)"), "doze");                          // a plain number: whole part only
  EXPECT_EQ(T("NumeroExtenso(2000021)"), "dois milhões e vinte e um");
  EXPECT_EQ(T("NumeroExtenso(0)"), "");
}

TEST_F(FuncoesRelatorioTest, RoundingCuttingAndFormattingOfAmounts) {
  EXPECT_EQ(V("ARREDONDA(2.345, 2)"), C("2.35"));
  EXPECT_EQ(V("CORTA(2.345, 2)"), C("2.34"));
  EXPECT_EQ(V("ARREDONDA(-2.345, 2)"), C("-2.35"));
  EXPECT_EQ(V("CORTA(-2.349, 2)"), C("-2.34"));   // toward zero, never down to -2.35
  EXPECT_EQ(V("ARREDONDA(2.5, 0)"), C("3"));      // half away from zero, not to even
  EXPECT_EQ(V("CORTA(1.9999, 0)"), C("1"));
  EXPECT_EQ(V("ARREDONDA(1.2345, 6)"), C("1.2345"));
  EXPECT_THROW(R().Evaluate("CORTA(1.5, -1)"), std::invalid_argument);
  EXPECT_EQ(T("FORMATVALOR(1234567.891, False, 2)"), "1.234.567,89");
  EXPECT_EQ(T("FORMATVALOR(0, True, 2)"), "");
  EXPECT_EQ(T("FORMATVALOR(0.004, False, 2)"), "0,00");
  EXPECT_EQ(T("FORMATVALOR(-5.5, False, 0)"), "-6");
  EXPECT_EQ(T("VALORTOSTRING(1234.5, '###.###.##0,00', '')"), "1.234,50");
  EXPECT_EQ(T("VALORTOSTRING(0.5, '#.##0,00', '')"), "0,50");
  EXPECT_EQ(T("VALORTOSTRING(-12.345, '#.##0,00', '')"), "-12,35");
  EXPECT_EQ(T("VALORTOSTRING(7, '000', '')"), "007");
  EXPECT_EQ(T("strZero(12.5, 8, 2)"), "00012.50");
  EXPECT_EQ(T("strZero('7', 3, 0)"), "007");
  EXPECT_EQ(T("RETIRAMASCARA('12.345.678/0001-90')"), "12345678000190");
  EXPECT_EQ(T("IDENTCLASS('1.01.001', '--', '.')"), "--");
  EXPECT_EQ(T("IDENTCLASS('1', '--', '.')"), "");
}

TEST_F(FuncoesRelatorioTest, CalendarFunctions) {
  EXPECT_EQ(T("DataExtenso('05/03/2024')"), "5 de Março de 2024");
  EXPECT_EQ(T("DataExtenso('')"), "");
  EXPECT_EQ(T("MESEXTENSO('15/12/2024')"), "Dezembro");
  EXPECT_EQ(T("MESEXTENSO2(3)"), "Março");
  EXPECT_EQ(T("MESEXTENSO2(0)"), "");
  EXPECT_EQ(T("MESEXTENSO2(13)"), "Mês inválido: 13");
  EXPECT_EQ(T("DIAEXTENSO('21/04/2024')"), "vinte e um");
  EXPECT_EQ(T("SomaData('28/02/2024', 2)"), "01/03/2024");
  EXPECT_EQ(T("SomaData('', 2)"), "");
  EXPECT_TRUE(R().Evaluate("DATAVAZIA('')").AsBoolean());
  EXPECT_TRUE(R().Evaluate("DATAVAZIA('00/00/0000')").AsBoolean());
  EXPECT_FALSE(R().Evaluate("DATAVAZIA('01/01/2024')").AsBoolean());
  // Weekends and national bank holidays, movable ones of 2024 included (Easter on 31 March).
  for (const char* feriado : {"02/03/2024", "13/02/2024", "29/03/2024", "21/04/2025", "30/05/2024", "20/11/2024",
                              "25/12/2024"})
    EXPECT_TRUE(R().Evaluate(std::string("GETSABADODOMINGOFERIADO('") + feriado + "', 0, 0)").AsBoolean()) << feriado;
  for (const char* util : {"28/03/2024", "14/02/2024", "20/11/2023", "31/05/2024"})
    EXPECT_FALSE(R().Evaluate(std::string("GETSABADODOMINGOFERIADO('") + util + "', 0, 0)").AsBoolean()) << util;
  const TDateTime hoje = Today();
  EXPECT_EQ(R().Evaluate("CalculaIdade('" + DateToStr(IncMonth(hoje, -360)) + "')").AsInteger(), 30);
  EXPECT_EQ(R().Evaluate("CalculaIdade('" + DateToStr(IncDay(IncMonth(hoje, -360), 1)) + "')").AsInteger(), 29);
  EXPECT_EQ(R().Evaluate("CalculaIdade(0)").AsInteger(), 0);
  ProcessContext().WP_DATA_ATUAL = "15/03/2024";
  EXPECT_EQ(R().Evaluate("DataSistema").AsDateTime(), EncodeDate(2024, 3, 15));
  ProcessContext().WP_DATA_ATUAL.clear();
  EXPECT_EQ(DateToStr(R().Evaluate("DataSistema").AsDateTime()), DateToStr(Now()));
}

TEST_F(FuncoesRelatorioTest, PageColumnAndTextWidthFunctions) {
  R().PrepareReport(true);
  EXPECT_EQ(R().Evaluate("CURCOLUMN").AsInteger(), 1);
  R().Evaluate("NEWCOLUMN");
  EXPECT_EQ(R().Evaluate("CurColumn").AsInteger(), 2);
  R().Evaluate("NEWPAGE");
  EXPECT_EQ(R().Evaluate("CURCOLUMN").AsInteger(), 1);
  EXPECT_EQ(R().PageNo, 2);
  EXPECT_EQ(R().Evaluate("CURLINE").AsInteger(), 1);
  R().Evaluate("ADDTOTALPAGES(3)");
  EXPECT_EQ(R().Variables["copyname0"].AsInteger(), 3);
  EXPECT_EQ(R().Variables["copyname1"].AsInteger(), 3);
  // Narrow letters fit more in a proportional face than in a fixed-pitch one.
  EXPECT_EQ(T("getTextoComponente('iiiiiiiiii', 40, 'Arial', 10)"), "iiiiiiiiii");
  EXPECT_EQ(T("getTextoComponente('iiiiiiiiii', 40, 'Courier New', 10)"), "iiiii");
  EXPECT_EQ(T("getTextoComponente('WWWWWW', 40, 'Arial', 10)"), "WWW");
  EXPECT_EQ(T("getTextoComponente('Ação', 40, 'Arial', 20)"), "Aç");   // cut on whole characters
  EXPECT_EQ(T("getTextoComponente('Ação', 0, 'Arial', 10)"), "");
}

}  // namespace
}  // namespace integracao
