#include "framework/livros/chaves_fonte.h"

#include <gtest/gtest.h>

#include "framework/data/fb_database.h"
#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

Currency R(int reais) { return Currency::FromInt(reais); }

TLinhaSemId Linha(int dia, int reais, bool saida, const std::string& doc, const std::string& texto) {
  return {EncodeDate(2025, 1, dia), R(reais), saida, doc, texto};
}

// A line is known by what its statement says of it, whatever other lines a reading holds: a line
// inserted before it, or lines left out (the reconciliation hands only its unmatched ones), name it alike.
TEST(ChavesFonte, ALineWithoutIdIsKnownByWhatItsStatementSaysNotByItsPlace) {
  const TLinhaSemId a = Linha(10, 25, true, "A1", "TARIFA A"), b = Linha(12, 40, true, "B1", "TED B");
  TChavesLinhasSemId primeira;
  const std::string ka = primeira.Chave("D520", a), kb = primeira.Chave("D520", b);
  TChavesLinhasSemId reenviada;
  reenviada.Chave("D520", Linha(8, 7, true, "X1", "IOF X"));
  EXPECT_EQ(reenviada.Chave("D520", b), kb);
  EXPECT_EQ(reenviada.Chave("D520", a), ka);
  EXPECT_NE(ka, kb);
  // Any one thing the statement says otherwise is another line; so is the same line of another statement.
  for (const TLinhaSemId& outra : {Linha(11, 25, true, "A1", "TARIFA A"), Linha(10, 26, true, "A1", "TARIFA A"),
                                   Linha(10, 25, false, "A1", "TARIFA A"), Linha(10, 25, true, "A2", "TARIFA A"),
                                   Linha(10, 25, true, "A1", "TARIFA B")}) {
    TChavesLinhasSemId c;
    EXPECT_NE(c.Chave("D520", outra), ka);
  }
  TChavesLinhasSemId outroExtrato;
  EXPECT_NE(outroExtrato.Chave("D521", a), ka);
  // Capitals and spacing are how a text is written, not what it says.
  TChavesLinhasSemId escrita;
  EXPECT_EQ(escrita.Chave("D520", Linha(10, 25, true, " a1", "Tarifa   a ")), ka);
}

TEST(ChavesFonte, EqualLinesOfOneStatementAreCountedOnlyAmongThemselves) {
  const TLinhaSemId tarifa = Linha(15, 25, true, "", "TARIFA");
  TChavesLinhasSemId c;
  const std::string primeira = c.Chave("D501", tarifa);
  c.Chave("D501", Linha(16, 30, true, "", "TED"));
  const std::string segunda = c.Chave("D501", tarifa);
  EXPECT_NE(primeira, segunda);
  TChavesLinhasSemId soAsIguais;
  EXPECT_EQ(soAsIguais.Chave("D501", tarifa), primeira);
  EXPECT_EQ(soAsIguais.Chave("D501", tarifa), segunda);
  // Any text, of any length and letters, keeps the key within the record's column.
  TChavesLinhasSemId longa;
  EXPECT_LE(longa.Chave(std::string(60, '9'), Linha(1, 1, true, std::string(30, 'x'), std::string(500, 'c') + "ção"))
                .size(),
            120u);
}

TEST(ChavesFonte, AnItemSentAgainWithAnotherDayValueOrSideIsAChangedMovement) {
  TFonteLancada agora{1, TTipoFonte::LinhaExtratoBanco, ChaveItemDyq(9001),
                      "A linha do extrato de 15/01/2025 no valor de 52,00 (TARIFA 77)", 0, R(52)};
  agora.Movimento = {EncodeDate(2025, 1, 15), 0, 11, "77"};
  TMovimentoRegistrado antes{R(25), {EncodeDate(2025, 1, 15), 0, 11, "77"}, 4};
  EXPECT_EQ(MovimentoAlterado(agora, antes),
            "A linha do extrato de 15/01/2025 no valor de 52,00 (TARIFA 77): movimento alterado na origem depois de "
            "lançado (lançado 25,00 em 15/01/2025, no lançamento 4).");
  antes.Valor = R(52);
  EXPECT_EQ(MovimentoAlterado(agora, antes), "");
  // Another document alone is the same movement written otherwise.
  antes.Movimento.Documento = "NF 77";
  EXPECT_EQ(MovimentoAlterado(agora, antes), "");
  antes.Movimento.Data = EncodeDate(2025, 1, 14);
  EXPECT_NE(MovimentoAlterado(agora, antes).find("(lançado 52,00 em 14/01/2025, no lançamento 4)"), std::string::npos);
  antes.Movimento = {EncodeDate(2025, 1, 15), 11, 0, "77"};
  EXPECT_NE(MovimentoAlterado(agora, antes).find("(lançado como entrada 52,00 em 15/01/2025"), std::string::npos);
}

class MovimentosRegistradosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
  }
};

// What the record says each source stood for, whole or in parts, found by its key however long.
TEST_F(MovimentosRegistradosTest, TheRecordTellsWhatEachKeyWasBookedAs) {
  TExecucaoLivros e;
  e.Rotulo = "TfrRevisao";
  e.Usuario = "ana";
  TLivros livros(Db(), e);
  TFonteLancada inteira{1, TTipoFonte::LinhaExtratoBanco, ChaveItemDyq(9001), "item 9001", 7, R(25)};
  inteira.Movimento = {EncodeDate(2024, 3, 15), 0, 11, "77"};
  TFonteLancada emPartes{1, TTipoFonte::LinhaExtratoBanco, "E|" + std::string(200, 'x'), "longa", 0, R(100)};
  emPartes.Movimento = {EncodeDate(2024, 3, 16), 11, 0, ""};
  emPartes.Partes = {{"divisão 8", 8, R(60)}};
  livros.RegistraFontes({inteira, emPartes});
  std::vector<std::string> chaves{inteira.Chave, emPartes.Chave, ChaveItemDyq(9002)};
  for (int i = 0; i < 60; ++i) chaves.push_back(ChaveItemDyq(10000 + i));
  const auto r = MovimentosRegistrados(Db(), 1, TTipoFonte::LinhaExtratoBanco, chaves);
  ASSERT_EQ(r.size(), 2u);
  const TMovimentoRegistrado& a = r.at(inteira.Chave);
  EXPECT_EQ(a.Valor, R(25));
  EXPECT_EQ(a.Movimento.Data.Days(), EncodeDate(2024, 3, 15).Days());
  EXPECT_EQ(a.Movimento.Credito, 11);
  EXPECT_EQ(a.ChaveLancamento, 7);
  const TMovimentoRegistrado& b = r.at(emPartes.Chave);
  EXPECT_EQ(b.Valor, R(100));
  EXPECT_EQ(b.Movimento.Debito, 11);
  EXPECT_EQ(b.ChaveLancamento, 8);
  EXPECT_TRUE(MovimentosRegistrados(Db(), 1, TTipoFonte::LinhaExtratoCaixa, chaves).empty());
}

}  // namespace
}  // namespace vyn
