#include "framework/accounting/config_imp_pdf_mgr.h"

#include <gtest/gtest.h>

namespace vyn {
namespace {

std::string Busca(const std::string& label, const std::string& texto, int linha, TTypeEdits tipo) {
  std::string v = "lixo";
  TVZEL_TCONFIG_IMP_PDFMGR::FindInPDF(label, texto, linha, tipo, v);
  return v;
}

TEST(FindInPDF, ReadsEachKindOnTheLabelsLine) {
  const std::string pagina =
      "COMPROVANTE DE PAGAMENTO DE BOLETO\n"
      "CNPJ DO BENEFICIÁRIO: 12.345.678/0001-90\n"
      "DATA DO VENCIMENTO: 01/03/2024   DATA DO PAGAMENTO: 05/03/2024\n"
      "VALOR DO DOCUMENTO: R$ 1.000,00\n"
      "VALOR PAGO: R$1050,00\n"
      "JUROS: -30,00\n";
  EXPECT_EQ(Busca("COMPROVANTE DE PAGAMENTO", pagina, 0, teTitulo), "DE BOLETO");
  EXPECT_EQ(Busca("CNPJ DO BENEFICIÁRIO:", pagina, 0, teCPFCNPJ), "12345678000190");
  EXPECT_EQ(Busca("DATA DO VENCIMENTO:", pagina, 0, teData), "01/03/2024");
  EXPECT_EQ(Busca("DATA DO PAGAMENTO:", pagina, 0, teData), "05/03/2024");
  EXPECT_EQ(Busca("VALOR DO DOCUMENTO:", pagina, 0, teValor), "1.000,00");
  EXPECT_EQ(Busca("VALOR PAGO:", pagina, 0, teValorPago), "1050,00");
  EXPECT_EQ(Busca("JUROS:", pagina, 0, teValor), "-30,00");
  // Absent labels, empty labels and labels without a value of the kind give nothing.
  EXPECT_EQ(Busca("MULTA:", pagina, 0, teValor), "");
  EXPECT_EQ(Busca("", pagina, 0, teValor), "");
  EXPECT_EQ(Busca("VALOR PAGO:", pagina, 0, teData), "");
}

TEST(FindInPDF, ReadsTheValueUnderTheLabelsColumnOnTheLineBelow) {
  const std::string pagina =
      "DATA DO PAGAMENTO          VALOR PAGO          CPF DO PAGADOR\n"
      "\n"
      "05/03/2024              1.234.567,89         123.456.789-09\n";
  EXPECT_EQ(Busca("DATA DO PAGAMENTO", pagina, 1, teData), "05/03/2024");
  // The amount starts left of its label's column and is still read whole.
  EXPECT_EQ(Busca("VALOR PAGO", pagina, 1, teValorPago), "1.234.567,89");
  EXPECT_EQ(Busca("CPF DO PAGADOR", pagina, 1, teCPFCNPJ), "12345678909");
  // A label on the last line has no line below.
  EXPECT_EQ(Busca("CPF DO PAGADOR", "CPF DO PAGADOR\n", 1, teCPFCNPJ), "");
}

}  // namespace
}  // namespace vyn
