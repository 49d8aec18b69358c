// The split-row grid and the copy of split rows' cost-centre rows.
#include <tuple>

#include "bankstatement/revisao_extrato_test_support.h"
#include "framework/accounting/lancamento_complementos.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {
namespace {

using namespace vyn;

class MultiplosLinhasTest : public RevisaoLinhasTest {};

TEST_F(MultiplosLinhasTest, SplitRowToggleNeedsOneSideAndCostCentresFollowTheNewKeys) {
  auto* t = Abre({{1, 0, seed::kContaBanco, 100, 1, ""}});
  // The review's own split rows, as the editor leaves them: one with a debit only, one with both sides.
  TClientDataSet& m = *t->DAOMulti();
  for (auto [lanc, credito] : {std::pair<int, int>{1, 0}, {2, 30}}) {
    m.Append();
    m.FieldByName("BDCODEMP").SetAsInteger(15);
    m.FieldByName("BDCHAVE").SetAsInteger(1);
    m.FieldByName("BDCHAVELANC").SetAsInteger(lanc);
    m.FieldByName("BDDEBITO").SetAsInteger(40);
    if (credito) m.FieldByName("BDCREDITO").SetAsInteger(credito);
    m.Post();
  }
  t->dsLancamentoManual->SetDataSet(&m);
  ASSERT_TRUE(m.Locate("BDCHAVELANC", {Variant(1)}));
  t->grLancamentoManual->CellClick("bdTIPOLAN");
  EXPECT_TRUE(campos::Flag(m, "BDCONCD"));
  EXPECT_EQ(m.FieldByName("BDTIPOCONC").AsInteger(), 1);
  EXPECT_TRUE(t->spCurrencyLinkMulti->Enabled());
  ASSERT_TRUE(m.Locate("BDCHAVELANC", {Variant(2)}));
  t->grLancamentoManual->SelectedField = "BDTIPOLAN";
  char espaco = ' ';
  t->grLancamentoManual->KeyPress(espaco);
  EXPECT_FALSE(campos::Flag(m, "BDCONCD")) << "both sides: no toggle";
  // The split grid shows its rows and is never typed into; a linked row shows the coin.
  EXPECT_FALSE(t->grLancamentoManual->EditaCelula("BDVALOR", "10,00"));
  EXPECT_EQ(t->grLancamentoManual->CellImage("BDVINC_BAIXA"), -1);
  campos::Grava(m, "BDVINC_BAIXA", Variant(true));
  EXPECT_EQ(t->grLancamentoManual->CellImage("BDVINC_BAIXA"), t->grLancamentoManual->ImageIndexOf("iCurrency"));
  campos::Grava(m, "BDVINC_BAIXA", Variant(false));

  // Cost-centre rows of split row 2 go to the entry made of it, under its new key and order.
  // The review keeps the entries' cost-centre rows from its opening.
  ASSERT_FALSE(t->Aggregates(t->DAOLinhas()).empty());
  TDAOFactory* cc = t->Aggregates(t->DAOLinhas()).front();
  ASSERT_TRUE(cc->InheritsFrom("TLancamentoCentroCustoMGR"));
  // The split rows' cost-centre rows are the lines manager's, one data set per side, handed over with
  // the review's data sets; a split row that has some shows in blue.
  const std::vector<TClientDataSet*> conjuntos = t->GetArrayOfCDS();
  ASSERT_EQ(conjuntos.size(), 5u);
  ASSERT_EQ(t->CentrosCustoMulti.size(), 2u);
  EXPECT_EQ(conjuntos[2], t->CentrosCustoMulti[0]);
  EXPECT_EQ(conjuntos[3], t->CentrosCustoMulti[1]);
  EXPECT_EQ(conjuntos[4], t->ProcessoBaixas()->cdsVINC_EXT_BAN_BAIXA);
  TClientDataSet& ccMulti = *t->CentrosCustoMulti[0];
  for (auto [lanc, ordem, valor] : {std::tuple<int, int, int>{2, 3, 60}, {9, 1, 5}}) {
    ccMulti.Append();
    for (auto [c, v] : {std::pair<const char*, int>{"BDCODEMP", 15}, {"BDCHAVE", 1}, {"BDCHAVELANC", lanc},
                        {"BDORDEM", ordem}, {"BDCODCENTRO", 8}})
      ccMulti.FieldByName(c).SetAsInteger(v);
    ccMulti.FieldByName("BDVALOR").SetAsCurrency(Currency::FromInt(valor));
    ccMulti.Post();
  }
  ASSERT_TRUE(m.Locate("BDCHAVELANC", {Variant(2)}));
  EXPECT_EQ(t->grLancamentoManual->CorFonteLinha(), 0x0000FF);
  ASSERT_TRUE(m.Locate("BDCHAVELANC", {Variant(1)}));
  EXPECT_EQ(t->grLancamentoManual->CorFonteLinha(), -1);
  t->dsLancamentoManual->SetDataSet(nullptr);
  EXPECT_EQ(t->CopiaCentrosCustoMulti({{"15;1;2", 102}}, t->CentrosCustoMulti), 1);
  ASSERT_EQ(cc->RecordCount(), 1);
  cc->First();
  EXPECT_EQ(cc->FieldByName("BDCHAVE").AsInteger(), 102);
  EXPECT_EQ(cc->FieldByName("BDSEQ").AsInteger(), 3);
  EXPECT_EQ(cc->FieldByName("BDVALOR").AsCurrency(), Currency::FromInt(60));
}

}  // namespace
}  // namespace integracao
