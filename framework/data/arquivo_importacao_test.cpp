#include "framework/data/arquivo_importacao.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

#include "framework/data/pasta_trabalho.h"

namespace vyn {
namespace {

namespace fs = std::filesystem;

class ArquivoImportacaoTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove(arquivo_); }

  // Writes a workbook package of the given parts.
  void Pasta(const std::map<std::string, std::string>& partes) {
    int erro = 0;
    zip_t* z = zip_open(arquivo_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
    ASSERT_NE(z, nullptr);
    for (const auto& [nome, texto] : partes) {
      zip_source_t* src = zip_source_buffer(z, texto.data(), texto.size(), 0);
      ASSERT_GE(zip_file_add(z, nome.c_str(), src, ZIP_FL_OVERWRITE), 0);
    }
    ASSERT_EQ(zip_close(z), 0);
  }
  void Bytes(const std::string& conteudo) { std::ofstream(arquivo_, std::ios::binary) << conteudo; }

  static std::string Livro(const std::string& pr = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
           R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)" + pr +
           R"(<sheets><sheet name="Sócios" sheetId="1" r:id="rId7"/><sheet name="Outra" sheetId="2" r:id="rId8"/></sheets></workbook>)";
  }
  static std::string Rels() {
    return R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
           R"(<Relationship Id="rId8" Type="worksheet" Target="worksheets/sheet1.xml"/>)"
           R"(<Relationship Id="rId7" Type="worksheet" Target="/xl/worksheets/socios.xml"/></Relationships>)";
  }
  static std::string Folha(const std::string& linhas) {
    return R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" + linhas +
           "</sheetData></worksheet>";
  }

  fs::path arquivo_ = fs::temp_directory_path() / ("pasta_" + std::to_string(::getpid()) + ".bin");
};

TEST_F(ArquivoImportacaoTest, XlsxLeAPrimeiraPlanilhaComoAsCelulasAparecem) {
  const std::string sst =
      R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<si><t>Nome</t></si><si><r><t>Maria </t></r><r><rPr><b/></rPr><t>Souza</t></r><rPh><t>ma</t></rPh></si>)"
      R"(<si><t>Rua A; fundos</t></si><si><t>linha_x000D_dois</t></si></sst>)";
  const std::string estilos =
      R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="dd/mm/yyyy;@"/><numFmt numFmtId="165" formatCode="0 &quot;dias&quot;"/></numFmts>)"
      R"(<cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";
  const std::string linhas =
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><t>Data</t></is></c></row>)"
      R"(<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2" s="1"><v>45366</v></c><c r="C2" s="2"><v>45366.75</v></c>)"
      R"(<c r="D2"><v>11144477735</v></c><c r="E2"><v>1234.5</v></c><c r="F2"><v>2.125</v></c>)"
      R"(<c r="G2"><v>1.5E-3</v></c><c r="H2" s="3"><v>30</v></c><c r="I2" t="b"><v>1</v></c></row>)"
      R"(<row r="4"><c r="A4" t="s"><v>2</v></c><c r="C4" t="str"><v>calc</v></c><c r="D4" t="s"><v>3</v></c></row>)"
      R"(<row r="5"><c r="A5" s="1"/></row>)";
  Pasta({{"[Content_Types].xml", "<Types/>"},
         {"xl/workbook.xml", Livro()},
         {"xl/_rels/workbook.xml.rels", Rels()},
         {"xl/sharedStrings.xml", sst},
         {"xl/styles.xml", estilos},
         {"xl/worksheets/sheet1.xml", Folha(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>errada</t></is></c></row>)")},
         {"xl/worksheets/socios.xml", Folha(linhas)}});
  TArquivoImportacao leitor;
  leitor.LoadArquivo(arquivo_.string());
  EXPECT_EQ(leitor.Aviso(), "A pasta tem 2 planilhas: foi lida só a primeira, \"Sócios\".");
  // The missing row 3 stays an empty line so that line numbers are the sheet's; the blank row 5 is dropped.
  ASSERT_EQ(leitor.Count(), 4);
  EXPECT_EQ(leitor.Linhas()[0], "Nome;Data");
  EXPECT_EQ(leitor.Linhas()[1], "Maria Souza;15/03/2024;15/03/2024;11144477735;1234,5;2,125;0,0015;30;TRUE");
  EXPECT_EQ(leitor.Linhas()[2], "");
  leitor.Next();
  leitor.Next();
  leitor.Next();
  // A ";" inside a cell keeps the columns after it in place.
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"Rua A; fundos", "", "calc", "linha\rdois"}));
}

// The empty sheets a workbook is created with are no sheet left unread: only one holding a value is told.
TEST_F(ArquivoImportacaoTest, XlsxComOutraPlanilhaVaziaNaoAvisa) {
  Pasta({{"xl/workbook.xml", Livro()},
         {"xl/_rels/workbook.xml.rels", Rels()},
         {"xl/worksheets/sheet1.xml", Folha(R"(<row r="1"><c r="A1" s="1"/></row>)")},
         {"xl/worksheets/socios.xml", Folha(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row>)")}});
  TArquivoImportacao leitor;
  leitor.LoadArquivo(arquivo_.string());
  EXPECT_EQ(leitor.Aviso(), "");
  EXPECT_EQ(leitor.Linha(), "x");
}

TEST_F(ArquivoImportacaoTest, XlsxNoSistemaDeDatas1904SemTextosCompartilhados) {
  Pasta({{"xl/workbook.xml", Livro(R"(<workbookPr date1904="1"/>)")},
         {"xl/_rels/workbook.xml.rels", Rels()},
         {"xl/styles.xml", R"(<styleSheet><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/></cellXfs></styleSheet>)"},
         {"xl/worksheets/socios.xml", Folha(R"(<row><c s="1"><v>43904</v></c><c t="d"><v>2024-03-15T00:00:00</v></c></row>)")}});
  TArquivoImportacao leitor;
  leitor.LoadArquivo(arquivo_.string());
  ASSERT_EQ(leitor.Count(), 1);
  EXPECT_EQ(leitor.Linha(), "15/03/2024;15/03/2024");
}

TEST_F(ArquivoImportacaoTest, NumerosEDatasSemRuidoDePontoFlutuante) {
  EXPECT_EQ(NumeroArmazenadoParaTexto("0.1"), "0,1");
  EXPECT_EQ(NumeroArmazenadoParaTexto("-12.50"), "-12,5");
  EXPECT_EQ(NumeroArmazenadoParaTexto("1.2345678901234E+13"), "12345678901234");
  EXPECT_EQ(NumeroArmazenadoParaTexto("-0"), "0");
  // What formulas leave past the 15 digits a double holds is not the sheet's value.
  EXPECT_EQ(NumeroArmazenadoParaTexto("0.30000000000000004"), "0,3");
  EXPECT_EQ(NumeroArmazenadoParaTexto("-12.299999999999999"), "-12,3");
  EXPECT_EQ(NumeroArmazenadoParaTexto("99.999999999999999"), "100");
  EXPECT_EQ(NumeroArmazenadoParaTexto("1.2345678901234567E+16"), "12345678901234600");
  EXPECT_EQ(NumeroArmazenadoParaTexto("123456.78901234"), "123456,78901234");
  EXPECT_EQ(NumeroArmazenadoParaTexto("abc"), "abc");
  EXPECT_EQ(SerialParaData("1", false), "01/01/1900");
  EXPECT_EQ(SerialParaData("59", false), "28/02/1900");
  EXPECT_EQ(SerialParaData("61", false), "01/03/1900");
  EXPECT_EQ(SerialParaData("45351", false), "29/02/2024");
  EXPECT_EQ(SerialParaData("0", true), "01/01/1904");
  EXPECT_EQ(SerialParaData("x", false), "");
}

TEST_F(ArquivoImportacaoTest, PastasDanificadasSaoRecusadasComMensagem) {
  // Writing a real binary .xls by hand is impractical: its reader is checked on its refusal path.
  Bytes(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\x01'));
  TArquivoImportacao leitor;
  EXPECT_THROW(leitor.LoadArquivo(arquivo_.string()), EArquivoImportacao);
  EXPECT_EQ(leitor.Count(), 0);
  Bytes(std::string("PK\x03\x04", 4) + "não é zip");
  EXPECT_THROW(leitor.LoadArquivo(arquivo_.string()), EArquivoImportacao);
  Pasta({{"xl/workbook.xml", Livro()},
         {"xl/_rels/workbook.xml.rels", Rels()},
         {"xl/worksheets/socios.xml", "<worksheet><sheetData><row>"}});
  try {
    leitor.LoadArquivo(arquivo_.string());
    FAIL() << "a folha truncada foi aceita";
  } catch (const EArquivoImportacao& e) {
    EXPECT_NE(std::string(e.what()).find("não é uma pasta de trabalho válida"), std::string::npos) << e.what();
  }
  // The text export is still read, in WIN1252 too.
  Bytes("Jos\xE9;1;;x\r\nfim");
  leitor.LoadArquivo(arquivo_.string());
  ASSERT_EQ(leitor.Count(), 2);
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"José", "1", "", "x"}));
}

// As a spreadsheet program saves ";" text: quotes around cells holding ";", a line break or a quote.
TEST_F(ArquivoImportacaoTest, TextoComCelulasEntreAspasComoAsPlanilhasGravam) {
  Bytes("\xEF\xBB\xBF" "Nome;Endere\xC3\xA7o;Obs\r\n"
        "\"Silva; Maria\";\"Rua \"\"A\"\", 10\";\"linha 1\r\nlinha 2\"\r\n"
        "\"\";2 \"pol\";\r\n"
        "\"sem fim;x");
  TArquivoImportacao leitor;
  leitor.LoadArquivo(arquivo_.string());
  ASSERT_EQ(leitor.Count(), 4);
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"Nome", "Endereço", "Obs"}));
  leitor.Next();
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"Silva; Maria", "Rua \"A\", 10", "linha 1\r\nlinha 2"}));
  leitor.Next();
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"", "2 \"pol\"", ""}));
  // A quote never closed takes the rest of the file into its cell rather than losing it.
  leitor.Next();
  EXPECT_EQ(leitor.Celulas(), (std::vector<std::string>{"sem fim;x"}));
}

}  // namespace
}  // namespace vyn
