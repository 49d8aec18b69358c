#include "bankstatement/uItensIntegradosDYQ.h"

#include <gtest/gtest.h>

#include "framework/data/fb_database.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class ItensIntegradosDYQTest : public CompanyDatabaseTest {};

// Dyq is told of some of the booked items: those, of that company and kind, are marked informed; the
// items between them, of another kind or of another company, are not.
TEST_F(ItensIntegradosDYQTest, OnlyTheItemsDyqTookAreMarkedInformed) {
  std::vector<TItensIntegradosDYQ::TItem> itens;
  for (int64_t id : {1, 2, 3, 4, 5, 8, 10, 11}) itens.push_back({id, 77, 100 + id});
  TItensIntegradosDYQ::Registra(Db(), 1, 1, itens);
  TItensIntegradosDYQ::Registra(Db(), 1, 2, itens);
  TItensIntegradosDYQ::Registra(Db(), 2, 1, itens);
  TItensIntegradosDYQ::MarcaInformados(Db(), 1, 1, {11, 2, 1, 8, 3, 2, 10});
  const std::map<int64_t, bool> esperado{{1, true},  {2, true}, {3, true},  {4, false},
                                         {5, false}, {8, true}, {10, true}, {11, true}};
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 1, 1), esperado);
  for (const auto& [empresa, tipo] : {std::pair{1, 2}, std::pair{2, 1}})
    for (const auto& [id, informado] : TItensIntegradosDYQ::Integrados(Db(), empresa, tipo))
      EXPECT_FALSE(informado) << empresa << "/" << tipo << "/" << id;
}

}  // namespace
}  // namespace integracao
