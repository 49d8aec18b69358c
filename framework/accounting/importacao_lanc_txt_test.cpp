#include "framework/accounting/importacao_lanc_txt.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/accounting/importacao_lanc_txt_fonte.h"
#include "framework/core/text.h"
#include "framework/data/arquivo_importacao.h"

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
  const auto a = Le("L,0,05/01/2024,2147483647,011,\"1.234,5\",12,,,3\nC,1,2,D,0.25\nC,1,3,D,\"1.234,25\"\n");
  ASSERT_EQ(a.Lancamentos.size(), 1u) << (a.Erros.empty() ? "" : a.Erros[0]);
  EXPECT_EQ(a.Lancamentos[0].CodEmp, 7);
  EXPECT_EQ(a.Lancamentos[0].Debito, 2147483647);
  EXPECT_EQ(a.Lancamentos[0].Credito, 11);
  EXPECT_EQ(a.Lancamentos[0].Valor, Currency::Parse("1234.5"));
  EXPECT_EQ(a.Lancamentos[0].CentrosCusto.at(0).Valor, Currency::Parse("0.25"));
  EXPECT_EQ(Le("L,1,05/01/2024,40,11,100\nC,1,2,D,0.255\n").Erros.size(), 2u);   // the row and its entry
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


// A text the WIN1252 database cannot hold, or a control character, refuses its line with the field named.
TEST(EntryTextParser, TextsTheDatabaseCannotHoldRefuseOnlyTheirLine) {
  const auto a = Le("L,1,05/01/2024,40,11,1,,Caf\xC3\xA9 \xE2\x98\x95\n"
                    "L,1,05/01/2024,40,11,2,,linha\xE2\x80\xA8quebrada\n"
                    "L,1,05/01/2024,40,11,3,,,N\x01" "F\n"
                    "P,9,Ap,Nome \xF0\x9F\x98\x80\n"
                    "L,1,05/01/2024,40,11,4,,Caf\xC3\xA9 \xE2\x82\xAC\ttab,,,,,nota \xE2\x80\x9C\xE2\x80\x9D\n");
  ASSERT_EQ(a.Erros.size(), 4u) << Join(a.Erros, "\n");
  EXPECT_EQ(a.Erros[0], "Linha 1 do arquivo não importada: campo complemento: o texto \"Caf\xC3\xA9 \xE2\x98\x95\" contém "
                        "caracteres que o banco de dados (WIN1252) não aceita.");
  EXPECT_EQ(a.Erros[1].rfind("Linha 2 do arquivo não importada: campo complemento", 0), 0u) << a.Erros[1];
  EXPECT_EQ(a.Erros[2], "Linha 3 do arquivo não importada: campo documento: o texto contém o caractere de controle 0x01.");
  EXPECT_EQ(a.Erros[3].rfind("Linha 4 do arquivo não importada: campo nome do participante", 0), 0u) << a.Erros[3];
  ASSERT_EQ(a.Lancamentos.size(), 1u);   // the euro sign, curly quotes and a tab are WIN1252's own
  EXPECT_EQ(a.Lancamentos[0].Valor, Currency::FromInt(4));
}

// An entry goes with its whole cost-centre split or not at all: a refused cost-centre row refuses its
// entry, and so does a side whose rows do not add up to the entry's value; the rows of a refused
// entry never attach to another.
TEST(EntryTextParser, ACostCentreSplitGoesWholeOrNotAtAll) {
  const auto a = Le("L,1,05/01/2024,40,11,100\nC,1,2,D,60\nC,1,3,X,40\n"
                    "L,1,05/01/2024,40,11,50\nC,1,2,D,10\n"
                    "L,1,05/01/2024,40,11,70\nC,1,2,C,700\n"
                    "L,1,05/01/2024,40,11,30\nC,1,2,D,10\nC,1,3,D,20\nC,1,4,C,30\n"
                    "L,1,05/01/2024,40,11,8\n");
  ASSERT_EQ(a.Erros.size(), 4u);
  EXPECT_EQ(a.Erros[0], "Linha 3 do arquivo não importada: lado do centro de custo inválido: X.");
  EXPECT_EQ(a.Erros[1], "Linha 1 do arquivo não importada: o centro de custo da linha 3 do seu rateio foi recusado.");
  EXPECT_EQ(a.Erros[2], "Linha 4 do arquivo não importada: os centros de custo a débito somam 10,00 e o lançamento "
                        "vale 50,00.");
  EXPECT_EQ(a.Erros[3], "Linha 6 do arquivo não importada: os centros de custo a crédito somam 700,00 e o lançamento "
                        "vale 70,00.");
  ASSERT_EQ(a.Lancamentos.size(), 2u);
  EXPECT_EQ(a.Lancamentos[0].Valor, Currency::FromInt(30));
  EXPECT_EQ(a.Lancamentos[0].CentrosCusto.size(), 3u);
  EXPECT_TRUE(a.Lancamentos[1].CentrosCusto.empty());
}

// Read a line at a time, each entry line comes out once its cost centres are known, and the result is
// the whole reading's: a participant between an entry and its centres, a refused entry whose centres
// are refused with it, refused lines and participants kept aside.
TEST(EntryTextParser, StreamedReadingGivesTheWholeReading) {
  const std::string texto =
      "L,1,05/01/2024,40,11,100\nP,5,Ap,Nome,11.222.333/0001-81\nC,1,2,D,100\nC,2,2,C,100\n"
      "L,1,99/01/2024,40,11,100\nC,1,2,D,1\nX,1\n"
      "L,1,06/01/2024,40,11,7\nL,1,07/01/2024,40,11,8\nC,3,2,D,8";
  const auto inteiro = Le(texto);
  std::istringstream in(texto);
  TArquivoLancamentosTxt resto;
  std::vector<TLinhaLancamentoTxt> lidas;
  LeArquivoLancamentosTxt([&in](std::string& l) { return static_cast<bool>(std::getline(in, l)); }, ',', 7,
                          [&lidas](TLinhaLancamentoTxt& l) { lidas.push_back(l); }, resto);
  EXPECT_TRUE(resto.Lancamentos.empty());
  EXPECT_EQ(resto.Erros, inteiro.Erros);
  ASSERT_EQ(resto.Erros.size(), 3u);
  ASSERT_EQ(resto.Participantes.size(), 1u);
  EXPECT_EQ(resto.Participantes[0].Valores.at(2).AsString(), "11222333000181");
  ASSERT_EQ(lidas.size(), 3u);
  ASSERT_EQ(inteiro.Lancamentos.size(), 3u);
  for (size_t i = 0; i < lidas.size(); ++i) {
    EXPECT_EQ(lidas[i].Linha, inteiro.Lancamentos[i].Linha);
    EXPECT_EQ(lidas[i].Valor, inteiro.Lancamentos[i].Valor);
    EXPECT_EQ(lidas[i].CentrosCusto.size(), inteiro.Lancamentos[i].CentrosCusto.size());
  }
  EXPECT_EQ(lidas[0].CentrosCusto.size(), 2u);
  EXPECT_EQ(lidas[1].CentrosCusto.size(), 0u);
  EXPECT_EQ(lidas[2].CentrosCusto.at(0).Centro, 3);
}

// What takes the entries (a reader staging them) may fail or be stopped: the reading ends there with
// that error, and no line is refused for it.
TEST(EntryTextParser, AFailureOfWhatTakesTheEntriesEndsTheReadingAndRefusesNoLine) {
  std::istringstream in("L,1,05/01/2024,40,11,1\nL,1,05/01/2024,40,11,2\nL,1,05/01/2024,40,11,3\n");
  TArquivoLancamentosTxt resto;
  int lidas = 0;
  EXPECT_THROW(LeArquivoLancamentosTxt([&in](std::string& l) { return static_cast<bool>(std::getline(in, l)); }, ',',
                                       1,
                                       [&lidas](TLinhaLancamentoTxt&) {
                                         if (++lidas == 2) throw std::runtime_error("banco indisponível");
                                       },
                                       resto),
               std::runtime_error);
  EXPECT_EQ(lidas, 2);
  EXPECT_TRUE(resto.Erros.empty());
}

// The first pass finds the participants wherever the file declares them, quoted or not, and only those
// the reading takes: a refused record declares nobody.
TEST(EntryTextParser, TheFirstPassFindsTheParticipantsTheReadingTakes) {
  std::istringstream in("L,1,05/01/2024,40,11,100,,,,,9,8\n  p,9,Ap,Nome\n\"P\",8,x\nP,7," + std::string(41, 'A') +
                        "\n#P,6\nPX,5\nP;4\n");
  const auto proxima = [&in](std::string& l) { return static_cast<bool>(std::getline(in, l)); };
  EXPECT_EQ(ParticipantesDeclaradosTxt(proxima, ','), (std::set<int>{8, 9}));
}

// A client file read a line at a time gives what the whole file read at once gives, in either
// encoding, with or without a mark or a last line feed: each line in its own encoding, so a file whose
// lines came from two programs keeps every accent. Read again from the start, it gives the same lines.
TEST(EntryTextParser, AFileReadByLinesReadsAsTheWholeFile) {
  const std::filesystem::path arquivo =
      std::filesystem::temp_directory_path() / ("linhas_" + std::to_string(getpid()) + ".txt");
  const std::string casos[] = {
      "\xEF\xBB\xBF" "A\xC3\xA7\xC3\xA3o;1\r\nB;2\n",
      "\xEF\xBB\xBF" "Jos\xE9;1\r\nfim",
      "\xC3\xA7;1\n\n#x\nJos\xE9",
      "",
      "\n\n",
  };
  for (const std::string& bytes : casos) {
    std::ofstream(arquivo, std::ios::binary) << bytes;
    TArquivoTxtEmLinhas fonte(arquivo.string());
    ASSERT_TRUE(fonte.Aberto());
    std::vector<std::string> lidas, denovo, esperadas;
    for (std::string l; fonte.Proxima(l);) lidas.push_back(l);
    fonte.Reinicia();
    for (std::string l; fonte.Proxima(l);) denovo.push_back(l);
    std::istringstream inteiro(TextoArquivoUtf8(bytes));
    for (std::string l; std::getline(inteiro, l);) esperadas.push_back(l);
    EXPECT_EQ(lidas, esperadas) << bytes;
    EXPECT_EQ(denovo, esperadas) << bytes;
  }
  std::ofstream(arquivo, std::ios::binary) << "Pre\xC3\xA7o UTF8\nPre\xE7o\n\x81\n";
  TArquivoTxtEmLinhas misto(arquivo.string());
  std::vector<std::string> lidas;
  for (std::string l; misto.Proxima(l);) lidas.push_back(l);
  EXPECT_EQ(lidas, (std::vector<std::string>{"Pre\xC3\xA7o UTF8", "Pre\xC3\xA7o", "\xEF\xBF\xBD"}));
  std::filesystem::remove(arquivo);
  EXPECT_FALSE(TArquivoTxtEmLinhas(arquivo.string()).Aberto());
}

// A file saved with carriage returns alone is read line by line, not as one line; a UTF-16 file is refused
// with the reason and what to do, never read as lines of stray characters.
TEST(ImportacaoLancTxtTest, LinesEndedByCarriageReturnsAloneAreLinesAndUtf16IsRefusedWithItsReason) {
  const auto arquivo = std::filesystem::temp_directory_path() / ("cr_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(arquivo, std::ios::binary) << "L,1,06/01/2025,11,30,10.00\rL,1,07/01/2025,11,30,20.00\r\rfim";
  TArquivoTxtEmLinhas cr(arquivo.string());
  std::vector<std::string> lidas;
  for (std::string l; cr.Proxima(l);) lidas.push_back(l);
  EXPECT_EQ(lidas, (std::vector<std::string>{"L,1,06/01/2025,11,30,10.00", "L,1,07/01/2025,11,30,20.00", "fim"}));
  cr.Reinicia();
  std::string primeira;
  ASSERT_TRUE(cr.Proxima(primeira));
  EXPECT_EQ(primeira, "L,1,06/01/2025,11,30,10.00");
  for (const std::string& bytes : {std::string("\xFF\xFEL\0,\0" "1\0\n\0", 10), std::string("L\0,\0" "1\0\n", 7)}) {
    std::ofstream(arquivo, std::ios::binary) << bytes;
    TArquivoTxtEmLinhas utf16(arquivo.string());
    std::string l;
    try {
      utf16.Proxima(l);
      ADD_FAILURE() << "a UTF-16 file was read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("UTF-16"), std::string::npos) << e.what();
    }
  }
  std::filesystem::remove(arquivo);
}

// A line is known by the entry it holds: the same entry read from a copy of its file with other line
// ends, around blanks, or at another line number is the same source; any change of what it books, or a
// second equal entry of the file, is another.
TEST(EntryTextParser, ALineIsKnownByItsEntryNeverByItsFile) {
  const auto a = Le("L,1,06/01/2025,11,30,1500.00,,Venda a vista,NF 3001\n");
  const auto b = Le("# corrigido\r\nL,1,05/01/2025,40,11,45.00,,Tarifa,DOC 1\r\nL,1,06/01/2025,11,30,\"1.500,00\",, Venda a vista ,NF 3001 \r\n");
  ASSERT_EQ(a.Lancamentos.size(), 1u);
  ASSERT_EQ(b.Lancamentos.size(), 2u);
  const TLinhaLancamentoTxt& l = a.Lancamentos[0];
  EXPECT_EQ(ChaveFonteLinhaTxt(l, 1), ChaveFonteLinhaTxt(b.Lancamentos[1], 1));
  EXPECT_NE(ChaveFonteLinhaTxt(l, 1), ChaveFonteLinhaTxt(l, 2));
  EXPECT_LE(ChaveFonteLinhaTxt(l, 1).size(), 120u);   // kept as it is by the record of sources
  auto muda = [&](auto altera) {
    TLinhaLancamentoTxt m = l;
    altera(m);
    return ChaveFonteLinhaTxt(m, 1);
  };
  const std::string propria = ChaveFonteLinhaTxt(l, 1);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Valor = Currency::Parse("1500.01"); }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Credito = 31; }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.ParticipanteD = 5; }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Historico = 2; }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Complemento = "Venda a prazo"; }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Documento = "NF 3002"; }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.Data = IncDay(m.Data, 1); }), propria);
  EXPECT_NE(muda([](TLinhaLancamentoTxt& m) { m.CodEmp = 2; }), propria);
  // What a mapping plan made of the accounts is not the file's entry.
  EXPECT_EQ(muda([](TLinhaLancamentoTxt& m) {
              m.DebitoArquivo = m.Debito;
              m.Debito = 111;
            }),
            propria);
}

}  // namespace
}  // namespace vyn
