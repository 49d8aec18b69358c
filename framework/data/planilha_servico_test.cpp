#include "framework/data/planilha_servico.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "framework/data/arquivo_importacao.h"
#include "framework/data/pasta_trabalho.h"

namespace vyn {
namespace {

namespace fs = std::filesystem;

class PlanilhaServicoTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(pasta_); }
  void TearDown() override { fs::remove_all(pasta_); }
  std::string Caminho(const std::string& nome) const { return (pasta_ / nome).string(); }

  fs::path pasta_ = fs::temp_directory_path() / ("planilha_servico_" + std::to_string(::getpid()));
};

// A written workbook reads back cell for cell: what the copy of a sheet keeps is what the user had.
TEST_F(PlanilhaServicoTest, AWrittenWorkbookReadsBackCellForCell) {
  const TLinhasPlanilha linhas = {
      {"Tipo", "Empresa", "Data", "Valor", "Complemento"},
      {},
      {"L", "1", "05/01/2025", "1234,5", "Venda \"à vista\"; NF <12> & cia"},
      {"L", "007", "06/01/2025", "-3", "  com brancos  ", "0,50", "1,", "12345678901234567"},
      {"C", "", "", "0,25", "linha\x01" "controle", "_x0041_ literal"},
  };
  const std::string arquivo = Caminho("copia.xlsx");
  GravaPastaXlsx(arquivo, linhas);
  EXPECT_EQ(TipoPastaTrabalhoArquivo(arquivo), TTipoPastaTrabalho::Xlsx);
  TLinhasPlanilha lidas = LerPastaXlsx(arquivo);
  ASSERT_EQ(lidas.size(), linhas.size());
  for (size_t r = 0; r < linhas.size(); ++r) {
    auto esperadas = linhas[r];
    lidas[r].resize(esperadas.size());
    EXPECT_EQ(lidas[r], esperadas) << "linha " << r + 1;
  }
  // Dates and amounts are the sheet's dates and numbers, not texts that look like them.
  int erro = 0;
  zip_t* z = zip_open(arquivo.c_str(), ZIP_RDONLY, &erro);
  ASSERT_NE(z, nullptr);
  zip_stat_t st;
  ASSERT_EQ(zip_stat(z, "xl/worksheets/sheet1.xml", 0, &st), 0);
  std::string folha(st.size, '\0');
  zip_file_t* f = zip_fopen(z, "xl/worksheets/sheet1.xml", 0);
  ASSERT_EQ(zip_fread(f, folha.data(), st.size), static_cast<zip_int64_t>(st.size));
  zip_fclose(f);
  zip_discard(z);
  EXPECT_NE(folha.find(R"(<c r="C3" s="1"><v>45662</v></c>)"), std::string::npos);
  EXPECT_NE(folha.find(R"(<c r="D3"><v>1234.5</v></c>)"), std::string::npos);
  // Nothing is left beside the copy by the way it was written.
  EXPECT_EQ(std::distance(fs::directory_iterator(pasta_), fs::directory_iterator()), 1);
}

// The service opens a workbook by its content, deletes rows by number and saves the rest as a new
// workbook; a text sheet keeps its bytes; what cannot be read is refused with the file named.
TEST_F(PlanilhaServicoTest, WorkbookRowsAreDeletedAndSavedTextSheetsKeepTheirBytes) {
  const std::string origem = Caminho("lancamentos.txt");   // a workbook, whatever its name
  GravaPastaXlsx(origem, {{"cabecalho"}, {"L", "1"}, {"L", "2"}, {"total", "3"}});
  TPlanilhaVYN p;
  p.Abrir(origem);
  ASSERT_EQ(p.Linhas(), 4);
  EXPECT_EQ(p.Celulas(2), (std::vector<std::string>{"L", "1"}));
  EXPECT_TRUE(p.Celulas(9).empty());
  p.ExcluiLinha(2);
  p.ExcluiLinha(9);
  EXPECT_EQ(p.CaminhoGravacao(Caminho("naoimportados_lancamentos.txt")), Caminho("naoimportados_lancamentos.txt"));
  p.SalvarComo(Caminho("naoimportados_lancamentos.txt"));
  EXPECT_EQ(LerPastaTrabalho(Caminho("naoimportados_lancamentos.txt")),
            (TLinhasPlanilha{{"cabecalho"}, {"L", "2"}, {"total", "3"}}));

  std::ofstream(Caminho("texto.csv"), std::ios::binary) << "a;b\r\n\xE7;d\r\nfim";
  TPlanilhaVYN t;
  t.Abrir(Caminho("texto.csv"));
  EXPECT_EQ(t.Celulas(2), (std::vector<std::string>{"\xE7;d"}));
  t.ExcluiLinha(1);
  t.SalvarComo(Caminho("copia.csv"));
  std::ifstream in(Caminho("copia.csv"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "\xE7;d\r\nfim");

  std::ofstream(Caminho("quebrada.xls"), std::ios::binary) << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) << "lixo";
  TPlanilhaVYN x;
  try {
    x.Abrir(Caminho("quebrada.xls"));
    ADD_FAILURE() << "a damaged .xls was opened";
  } catch (const EPlanilha& e) {
    EXPECT_NE(std::string(e.what()).find("quebrada.xls"), std::string::npos) << e.what();
  }
  EXPECT_THROW(x.Abrir(Caminho("nao_existe.xlsx")), EPlanilha);
}

}  // namespace
}  // namespace vyn
