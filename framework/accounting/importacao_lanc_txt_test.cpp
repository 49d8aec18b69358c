#include "framework/accounting/importacao_lanc_txt.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vyn {
namespace {

TArquivoLancamentosTxt Le(const std::string& texto) {
  std::istringstream in(texto);
  return LeArquivoLancamentosTxt(in, ',', 7);
}

// Every numeric field is read whole or refused with the line and the field named; nothing wraps.
TEST(EntryTextParser, NumbersAreCheckedNeverWrapped) {
  struct Caso {
    const char* linha;
    const char* motivo;
  };
  const Caso casos[] = {
      {"L,1,05/01/2024,4294967307,11,100", "Linha 1 do arquivo não importada: campo conta débito: o número 4294967307"},
      {"L,99999999999,05/01/2024,40,11,100", "Linha 1 do arquivo não importada: campo empresa: o número 99999999999"},
      {"L,1,05/01/2024,40,11,100,1,,,4294967297", "Linha 1 do arquivo não importada: campo lote: o número 4294967297"},
      {"L,1,05/01/2024,40,-11,100", "Linha 1 do arquivo não importada: campo conta crédito: \"-11\" não é um número"},
      {"L,1,05/01/2024,40,11,100.123", "Linha 1 do arquivo não importada: campo valor: valor inválido: 100.123"},
      {"L,1,05/01/2024,40,11,\"1,005\"", "Linha 1 do arquivo não importada: campo valor: valor inválido: 1,005"},
      {"L,1,05/01/2024,40,11,1e5", "Linha 1 do arquivo não importada: campo valor: valor inválido: 1e5"},
      {"L,1,05/01/2024,40,11,100,abc", "Linha 1 do arquivo não importada: campo histórico: \"abc\" não é um número"},
      {"L,1,05/01/2024,40,11,100,1,\"sem fim", "Linha 1 do arquivo não importada: campo 8: aspas não fechadas"},
  };
  for (const Caso& c : casos) {
    const auto a = Le(c.linha);
    EXPECT_TRUE(a.Lancamentos.empty()) << c.linha;
    ASSERT_EQ(a.Erros.size(), 1u) << c.linha;
    EXPECT_EQ(a.Erros[0].rfind(c.motivo, 0), 0u) << a.Erros[0];
  }
  // The largest codes, BR and plain amounts with up to two decimals and leading zeros pass.
  const auto a = Le("L,0,05/01/2024,2147483647,011,\"1.234,5\",12,,,3\nC,1,2,D,0.25\n");
  ASSERT_EQ(a.Lancamentos.size(), 1u) << (a.Erros.empty() ? "" : a.Erros[0]);
  EXPECT_EQ(a.Lancamentos[0].CodEmp, 7);
  EXPECT_EQ(a.Lancamentos[0].Debito, 2147483647);
  EXPECT_EQ(a.Lancamentos[0].Credito, 11);
  EXPECT_EQ(a.Lancamentos[0].Valor, Currency::Parse("1234.5"));
  EXPECT_EQ(a.Lancamentos[0].CentrosCusto.at(0).Valor, Currency::Parse("0.25"));
  EXPECT_EQ(Le("L,1,05/01/2024,40,11,100\nC,1,2,D,0.255\n").Erros.size(), 1u);
}

// A text longer than its column and an absurd amount refuse their own line, named with the field;
// the other lines of the file are read.
TEST(EntryTextParser, OverLongTextsAndAbsurdAmountsRefuseOnlyTheirLine) {
  const std::string chave = "35250112345678000190550010000012341000012345";
  const auto a = Le("L,1,05/01/2024,40,11,100,1,,NF 1\n"
                    "L,1,05/01/2024,40,11,100,1,," + chave + "\n"
                    "P,77," + std::string(41, 'A') + ",Nome,11222333000181\n"
                    "L,1,05/01/2024,40,11,100000000000000\n"
                    "L,1,05/01/2024,40,11,99999999999999.99\n"
                    "C,1,2,D,99999999999999.99\n"
                    "L,1,06/01/2024,40,11,\"1.234,56\",1,,123456789012345678901234567890\n");
  ASSERT_EQ(a.Erros.size(), 3u);
  EXPECT_EQ(a.Erros[0].rfind("Linha 2 do arquivo não importada: campo documento: o texto \"" + chave + "\" excede 30", 0),
            0u) << a.Erros[0];
  EXPECT_EQ(a.Erros[1].rfind("Linha 3 do arquivo não importada: campo apelido do participante", 0), 0u) << a.Erros[1];
  EXPECT_EQ(a.Erros[2].rfind("Linha 4 do arquivo não importada: campo valor: valor fora do limite", 0), 0u) << a.Erros[2];
  ASSERT_EQ(a.Lancamentos.size(), 3u);
  EXPECT_EQ(a.Lancamentos[2].Documento, "123456789012345678901234567890");
  EXPECT_EQ(a.Lancamentos[1].CentrosCusto.size(), 1u);

  // Lines each below the limit but whose sum money cannot hold: the line that would overflow is refused.
  std::string muitas;
  for (int i = 0; i < 12; ++i) muitas += "L,1,05/01/2024,40,11,99999999999999.99\n";
  const auto b = Le(muitas);
  EXPECT_EQ(b.Lancamentos.size(), 9u);
  ASSERT_EQ(b.Erros.size(), 3u);
  EXPECT_EQ(b.Erros[0].rfind("Linha 10 do arquivo não importada: campo valor: a soma", 0), 0u) << b.Erros[0];
}

}  // namespace
}  // namespace vyn
