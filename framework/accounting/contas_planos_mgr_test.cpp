#include "framework/accounting/contas_planos_mgr.h"

#include <gtest/gtest.h>

#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

using ContasPlanosTest = CompanyDatabaseTest;

TEST_F(ContasPlanosTest, AnAccountNotInTheChartAnswersTheColumnsTypedEmptyValue) {
  seed::AddChart(Db(), 1);
  seed::AddChart(Db(), 2);
  Db().Execute("update PLANOS_TPLA set BDAPECTA = null where BDCODPLAPADRAO = 1 and BDCODTPLA = ?",
               {seed::kContaCaixa});
  TComponent owner;
  TContasPlanosMGR* contas = TContasPlanosMGR::CreateMgr(&owner);
  contas->AbrePlano(1);
  EXPECT_EQ(contas->GetCampoContaPlano(Variant(seed::kContaFornecedores), "BDPARTICIPANTE").AsInteger(), 1);
  EXPECT_EQ(contas->GetCampoContaPlano(Variant(seed::kContaCaixa), "bdnomcta").AsString(), "Caixa");

  // Unknown, empty or with a null value: never null, so "takes a participant" is one comparison.
  for (const Variant& conta : {Variant(999999), Variant()}) {
    const Variant participante = contas->GetCampoContaPlano(conta, "BDPARTICIPANTE");
    ASSERT_FALSE(participante.IsNull());
    EXPECT_EQ(participante.AsInteger(), 0);
    const Variant nome = contas->GetCampoContaPlano(conta, "BDNOMCTA");
    ASSERT_FALSE(nome.IsNull());
    EXPECT_EQ(nome.AsString(), "");
  }
  const Variant apelido = contas->GetCampoContaPlano(Variant(seed::kContaCaixa), "BDAPECTA");
  ASSERT_FALSE(apelido.IsNull());
  EXPECT_EQ(apelido.AsString(), "");
  // Only a column the chart does not have answers null.
  EXPECT_TRUE(contas->GetCampoContaPlano(Variant(seed::kContaCaixa), "BDNAOEXISTE").IsNull());

  // Another chart is read when asked for; chart 2 has a Caixa of its own with its short name.
  contas->AbrePlano(2);
  EXPECT_EQ(contas->GetCampoContaPlano(Variant(seed::kContaCaixa), "BDAPECTA").AsString(), "Caixa");
}

}  // namespace
}  // namespace vyn
