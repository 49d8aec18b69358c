// The split-row grid and the copy of split rows' cost-centre rows.
#include "bankstatement/revisao_extrato_test_support.h"
#include "framework/accounting/lancamento_complementos.h"

namespace integracao {
namespace {

using namespace vyn;

class MultiplosLinhasTest : public RevisaoLinhasTest {};

TEST_F(MultiplosLinhasTest, SplitRowToggleNeedsOneSideAndCostCentresFollowTheNewKeys) {
  auto* t = Abre({{1, 0, seed::kContaBanco, 100, 1, ""}});
  // Split rows as the editor hands them: one with a debit only, one with both sides.
  TClientDataSet m;
  for (const char* c : {"BDCODEMP", "BDCHAVE", "BDCHAVELANC", "BDDEBITO", "BDCREDITO", "BDTIPOCONC"})
    m.AddFieldDef(c, TFieldType::ftInteger);
  for (const char* c : {"BDCONCC", "BDCONCD"}) m.AddFieldDef(c, TFieldType::ftString, 5);
  m.CreateDataSet();
  m.AppendRecord({Variant(15), Variant(1), Variant(1), Variant(40), Variant(), Variant(0)});
  m.AppendRecord({Variant(15), Variant(1), Variant(2), Variant(40), Variant(30), Variant(0)});
  t->dsLancamentoManual->SetDataSet(&m);
  m.First();
  t->grLancamentoManual->CellClick("bdTIPOLAN");
  EXPECT_EQ(m.FieldByName("BDCONCD").AsString(), "TRUE");
  EXPECT_EQ(m.FieldByName("BDTIPOCONC").AsInteger(), 1);
  EXPECT_TRUE(t->spCurrencyLinkMulti->Enabled());
  m.Next();
  char espaco = ' ';
  t->grLancamentoManual->KeyPress(espaco);
  EXPECT_TRUE(m.FieldByName("BDCONCD").IsNull()) << "both sides: no toggle";

  // Cost-centre rows of split row 2 go to the entry made of it, under its new key and order.
  auto* cc = t->Create<TLancamentoCentroCustoMGR>();
  t->AddAggregateDAO(t->DAOLinhas(), cc, 0);
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
