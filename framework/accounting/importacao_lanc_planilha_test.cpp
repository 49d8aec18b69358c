#include "framework/accounting/importacao_lanc_planilha.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <unistd.h>

#include "framework/accounting/importacao_lanc_txt.h"
#include "framework/data/planilha_servico.h"

namespace vyn {
namespace {

// A sheet's rows are read as the text layout's lines, each refusal naming the sheet's row; header
// and closing rows are left alone, while a row that carries an entry's date is never taken for one.
TEST(EntrySheet, RowsAreTheLayoutsRecordsNumberedByTheirSheetRow) {
  const TLinhasPlanilha linhas = {
      {"Tipo", "Empresa", "Data", "Débito", "Crédito", "Valor", "Histórico", "Complemento"},
      {"L", "1", "05/01/2025", "40", "11", "1234,5", "", "Venda, \"à vista\"", "NF 1", "", "", "", "", "", ""},
      {"C", "3", "40", "D", "1234,5"},
      {},
      {"l", "1", "06/01/2025", "40", "11", "12,345"},
      {"X", "1", "07/01/2025", "40", "11", "5"},
      {"# nota do contador"},
      {"L", "", "08/01/2025", "40", "11", "7", "", "linha\r\ndois"},
      {"", "", "", "", "Total", "1258,85"},
  };
  const TPlanilhaLancamentosTxt p = PlanilhaParaLancamentosTxt(linhas);
  EXPECT_EQ(p.PrimeiraLinhaDados, 2);
  EXPECT_EQ(p.UltimaLinha, 9);
  EXPECT_EQ(p.LinhasFinais, 1);
  std::istringstream in(p.Texto);
  const TArquivoLancamentosTxt a = LeArquivoLancamentosTxt(in, ',', 7);
  ASSERT_EQ(a.Lancamentos.size(), 2u);
  EXPECT_EQ(a.Lancamentos[0].Linha, 2);
  EXPECT_EQ(a.Lancamentos[0].Complemento, "Venda, \"à vista\"");
  EXPECT_EQ(a.Lancamentos[0].Valor, Currency::FromRaw(12'345'000));
  ASSERT_EQ(a.Lancamentos[0].CentrosCusto.size(), 1u);
  EXPECT_EQ(a.Lancamentos[1].Linha, 8);
  EXPECT_EQ(a.Lancamentos[1].CodEmp, 7);
  EXPECT_EQ(a.Lancamentos[1].Complemento, "linha dois");
  ASSERT_EQ(a.Erros.size(), 2u);
  EXPECT_EQ(a.Erros[0], "Linha 5 do arquivo não importada: campo valor: valor inválido: 12,345.");
  EXPECT_EQ(a.Erros[1], "Linha 6 do arquivo não importada: tipo de registro desconhecido: X.");

  // A sheet with no record gives no line at all.
  EXPECT_EQ(PlanilhaParaLancamentosTxt({{"Tipo", "Data"}, {"Total", "0"}}).Texto, "");
}

TEST(EntrySheet, OnlyRefusalsBeforeStagingNameARowLeft) {
  EXPECT_EQ(LinhaRecusadaNaMensagem("Linha 12 do arquivo não importada: data 05/02/2025 fora do período."), 12);
  EXPECT_EQ(LinhaRecusadaNaMensagem("Linha 3 do arquivo: conta 999 não cadastrada."), 0);
  EXPECT_EQ(LinhaRecusadaNaMensagem("Linha 99999999999 do arquivo não importada: x"), 0);
  EXPECT_EQ(LinhaRecusadaNaMensagem("Arquivo não importado: Linha 4 do arquivo não importada"), 0);
}

// The copy keeps a row left with its cost-centre rows, never a cost-centre row whose entry was
// imported (read again after another entry, it would split that one), and the participants' rows.
TEST(EntrySheet, ACopyKeepsEntriesWithTheirCostCentresAndTheParticipants) {
  const auto pasta = std::filesystem::temp_directory_path() / ("planilha_lanc_" + std::to_string(::getpid()));
  std::filesystem::create_directories(pasta);
  const std::string arquivo = (pasta / "l.xlsx").string();
  GravaPastaXlsx(arquivo, {{"Tipo"},
                           {"P", "5", "Cliente"},
                           {"L", "1", "05/01/2025"},
                           {"C", "1", "40", "D", "5"},
                           {"C", "2", "40", "D", "5"},
                           {"L", "1", "06/01/2025"},
                           {"C", "1", "40", "D", "x"},
                           {"L", "1", "07/01/2025"},
                           {"Total"}});
  TPlanilhaVYN p;
  p.Abrir(arquivo);
  EXPECT_EQ(LinhasMantidasPlanilha(p, {3, 7}), (std::vector<int>{5, 4, 3, 2}));
  EXPECT_EQ(LinhasMantidasPlanilha(p, {8}), (std::vector<int>{8, 2}));
  EXPECT_TRUE(LinhasMantidasPlanilha(p, {}).empty());
  std::filesystem::remove_all(pasta);
}

}  // namespace
}  // namespace vyn
