#include "framework/data/insere_linha.h"

#include <gtest/gtest.h>

#include "framework/data/client_dataset.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class InsereLinhaTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute("CREATE TABLE T_COPIA (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), VALOR NUMERIC(18,4), "
                 "DOBRO COMPUTED BY (VALOR * 2), FLAG VARCHAR(5), MARCA SMALLINT)");
    // Shaped by a file, not by the table: a column the table computes, one it lacks, names in any case.
    linhas_.AddFieldDef("id", TFieldType::ftInteger);
    linhas_.AddFieldDef("Nome", TFieldType::ftString, 40);
    linhas_.AddFieldDef("VALOR", TFieldType::ftCurrency);
    linhas_.AddFieldDef("DOBRO", TFieldType::ftCurrency);
    linhas_.AddFieldDef("FLAG", TFieldType::ftBoolean);
    linhas_.AddFieldDef("MARCA", TFieldType::ftBoolean);
    linhas_.AddFieldDef("SO_NO_ARQUIVO", TFieldType::ftString, 10);
    linhas_.CreateDataSet();
  }
  TClientDataSet linhas_;
};

TEST_F(InsereLinhaTest, ARowFillsTheColumnsBothHaveAndLeavesComputedOnesToTheServer) {
  linhas_.AppendRecord({1, "Ana", Currency::ParseSQL("10.5"), Currency::ParseSQL("999"), true, true, "x"});
  linhas_.AppendRecord({2, "Bia", Variant(), Variant(), false, false, "y"});
  TInsereLinha insere(Db(), "T_COPIA");
  EXPECT_EQ(insere.Colunas(), (std::vector<std::string>{"ID", "NOME", "VALOR", "FLAG", "MARCA"}));
  linhas_.First();
  insere.Insere(linhas_);
  linhas_.Next();
  // Given values take their columns' place, also for a row that has the column.
  insere.Insere(linhas_, {{"ID", Variant(7)}, {"NOME", Variant()}});

  TQueryResult r = Db().QueryAll("select ID, NOME, VALOR, DOBRO, FLAG, MARCA from T_COPIA order by ID");
  ASSERT_EQ(r.Rows.size(), 2u);
  EXPECT_EQ(r.Value(0, "NOME").AsString(), "Ana");
  EXPECT_EQ(r.Value(0, "DOBRO").AsCurrency(), Currency::ParseSQL("21"));
  // A flag goes in as its column holds flags: text in a text column, a number in a numeric one.
  EXPECT_EQ(r.Value(0, "FLAG").AsString(), "TRUE");
  EXPECT_EQ(r.Value(0, "MARCA").AsInteger(), 1);
  EXPECT_EQ(r.Value(1, "ID").AsInteger(), 7);
  EXPECT_TRUE(r.Value(1, "NOME").IsNull());
  EXPECT_EQ(r.Value(1, "FLAG").AsString(), "FALSE");
  EXPECT_TRUE(r.Value(1, "VALOR").IsNull());
}

}  // namespace
}  // namespace vyn
