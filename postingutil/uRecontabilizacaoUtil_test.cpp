#include "postingutil/uRecontabilizacaoUtil.h"

#include <gtest/gtest.h>

#include "framework/data/client_dataset.h"
#include "framework/ui/inconsistencias.h"

namespace integracao {
namespace {

using namespace vyn;

// Rows as the engine selects them: a consultation-only copy, one closed in June, one never closed.
class FiltraEmpresasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rows.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
    rows.AddFieldDef("BDNOMEMP", TFieldType::ftString, 60);
    rows.AddFieldDef("BDULTENC", TFieldType::ftDate);
    rows.AddFieldDef("BDDATAFIM", TFieldType::ftDate);
    rows.AddFieldDef("BDSTATUSEMP", TFieldType::ftInteger);
    rows.CreateDataSet();
    rows.AppendRecord({Variant(1), Variant("Cópia"), Variant(), Variant(), Variant(1)});
    rows.AppendRecord({Variant(2), Variant("Fechada"), Variant(EncodeDate(2024, 6, 30)), Variant(), Variant(0)});
    rows.AppendRecord({Variant(3), Variant("Aberta"), Variant(), Variant(), Variant()});
  }
  std::vector<int> Codigos() {
    std::vector<int> out;
    for (rows.First(); !rows.Eof(); rows.Next()) out.push_back(static_cast<int>(rows.FieldByName("BDCODEMP").AsInteger()));
    return out;
  }
  TClientDataSet rows;
  std::vector<TEmpresaRecusada> recusadas;
};

TEST_F(FiltraEmpresasTest, AConsultationOnlyCopyIsLeftOutWhateverTheStartMonth) {
  TFiltroEmpresas filtro;
  filtro.RecusaSomenteConsulta = true;   // no start month
  FiltraEmpresasProcesso(rows, filtro, nullptr, recusadas);
  EXPECT_EQ(Codigos(), (std::vector<int>{2, 3}));
  ASSERT_EQ(recusadas.size(), 1u);
  EXPECT_EQ(recusadas[0].Grupo, "Empresa: 1 - Cópia");
  EXPECT_EQ(recusadas[0].Motivo, kMsgEmpresaSomenteConsulta);
  rows.First();
  EXPECT_EQ(rows.FieldByName("BDULTENC").AsDateTime(), EncodeDate(2024, 6, 30));   // the others untouched

  filtro.RefInicial = 202403;
  filtro.NovoInicio = EncodeDate(2024, 3, 1);
  filtro.RefFinal = 202404;
  FiltraEmpresasProcesso(rows, filtro, nullptr, recusadas);
  EXPECT_EQ(Codigos(), (std::vector<int>{3}));
  ASSERT_EQ(recusadas.size(), 2u);
  EXPECT_EQ(recusadas[1].CodEmp, 2);
  EXPECT_EQ(recusadas[1].Motivo, kMsgEmpresaNaoProcessada);
  rows.First();
  EXPECT_EQ(rows.FieldByName("BDULTENC").AsDateTime(), EncodeDate(2024, 3, 1));
  EXPECT_EQ(rows.FieldByName("BDDATAFIM").AsDateTime(), EncodeDate(2024, 4, 30));
}

TEST_F(FiltraEmpresasTest, WithoutTheRefusalOrAStartTheRowsStayAsTheyAre) {
  FiltraEmpresasProcesso(rows, TFiltroEmpresas{}, nullptr, recusadas);
  EXPECT_EQ(Codigos(), (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(recusadas.empty());
}

// An attention line is something to look at in both kinds of run; an informative one only in a
// verification; the dropped companies alone make a run incomplete.
TEST(ApuraResultadoTest, AttentionLinesAreNeverReportedAsACleanRun) {
  using R = TResultadoProcesso;
  TInconsistencias_VYN lista;
  lista.Add_Informacao(1, "Recontabilização registrada.");
  EXPECT_EQ(ApuraResultado(false, 1, true, 0, lista, false), R::Sucesso);
  EXPECT_EQ(ApuraResultado(false, 1, true, 0, lista, true), R::Lista);
  lista.Clear();
  lista.Add_Atencao(1, "O lançamento 5 da empresa 1 não pode ser refeito.");
  for (bool verificacao : {false, true}) EXPECT_EQ(ApuraResultado(false, 1, true, 0, lista, verificacao), R::Lista);
  lista.Add_Erro(2, "Não foi possível executar o processo.");
  EXPECT_EQ(ApuraResultado(false, 1, true, 1, lista, false), R::Incompleto);
  EXPECT_EQ(ApuraResultado(true, 1, true, 1, lista, false), R::Cancelado);
}

}  // namespace
}  // namespace integracao
