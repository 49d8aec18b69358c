// The split-row grid and the copy of split rows' cost-centre rows.
#include "bankstatement/revisao_extrato_test_support.h"
#include "framework/accounting/lancamento_complementos.h"

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

  // Cost-centre rows of split row 2 go to the entry made of it, under its new key and order.
  // The review keeps the entries' cost-centre rows from its opening.
  ASSERT_FALSE(t->Aggregates(t->DAOLinhas()).empty());
  TDAOFactory* cc = t->Aggregates(t->DAOLinhas()).front();
  ASSERT_TRUE(cc->InheritsFrom("TLancamentoCentroCustoMGR"));
  TClientDataSet ccMulti;
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCHAVELANC", "BDORDEM", "BDCODCENTRO"})
    ccMulti.AddFieldDef(c, TFieldType::ftInteger);
  ccMulti.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ccMulti.CreateDataSet();
  ccMulti.AppendRecord({Variant(15), Variant(1), Variant(2), Variant(3), Variant(8), Variant(Currency::FromInt(60))});
  ccMulti.AppendRecord({Variant(15), Variant(1), Variant(9), Variant(1), Variant(8), Variant(Currency::FromInt(5))});
  t->dsLancamentoManual->SetDataSet(nullptr);
  EXPECT_EQ(t->CopiaCentrosCustoMulti({{"15;1;2", 102}}, {&ccMulti}), 1);
  ASSERT_EQ(cc->RecordCount(), 1);
  cc->First();
  EXPECT_EQ(cc->FieldByName("BDCHAVE").AsInteger(), 102);
  EXPECT_EQ(cc->FieldByName("BDSEQ").AsInteger(), 3);
  EXPECT_EQ(cc->FieldByName("BDVALOR").AsCurrency(), Currency::FromInt(60));
}

}  // namespace
}  // namespace integracao
