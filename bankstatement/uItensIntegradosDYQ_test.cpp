#include "bankstatement/uItensIntegradosDYQ.h"

#include <gtest/gtest.h>

#include "framework/data/fb_database.h"
#include "framework/livros/livros.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class ItensIntegradosDYQTest : public CompanyDatabaseTest {};

// The items are the books' own sources: those booked whole are integrated, an item with a rest is not yet
// (though its statement counts it as booked), and Dyq's taking the report marks the items it took, of
// that company and kind only, whatever reports took them.
TEST_F(ItensIntegradosDYQTest, TheRecordOfSourcesTellsWhichItemsAreIntegratedAndWhichDyqTook) {
  TLivros livros(Db(), {});
  std::vector<TFonteLancada> fontes;
  for (const auto& [empresa, tipo] : {std::pair{1, TTipoFonte::LinhaExtratoBanco},
                                      std::pair{1, TTipoFonte::LinhaExtratoCaixa}, std::pair{2, TTipoFonte::LinhaExtratoBanco}})
    for (int64_t id : {1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13}) {
      TFonteLancada f(empresa, tipo, TItensIntegradosDYQ::ChaveFonte(id), "item", static_cast<int>(100 + id),
                      Currency::FromInt(100));
      f.Lote = id == 13 ? 78 : 77;
      if (id == 12) f.Partes = {{"linha", 112, Currency::FromInt(60)}};
      fontes.push_back(f);
    }
  livros.RegistraFontes(fontes);
  TItensIntegradosDYQ::MarcaInformados(Db(), 1, 1, {11, 2, 1, 8, 3, 2, 9, 10, 99});
  TItensIntegradosDYQ::MarcaInformados(Db(), 1, 1, {4, 3});   // a later report, overlapping the first
  const std::map<int64_t, bool> esperado{{1, true}, {2, true},  {3, true},  {4, true}, {5, false}, {8, true},
                                         {9, true}, {10, true}, {11, true}, {13, false}};
  EXPECT_EQ(TItensIntegradosDYQ::Integrados(Db(), 1, 1), esperado)
      << "12 has 40,00 left to book";
  for (const auto& [empresa, tipo] : {std::pair{1, 2}, std::pair{2, 1}})
    for (const auto& [id, informado] : TItensIntegradosDYQ::Integrados(Db(), empresa, tipo))
      EXPECT_FALSE(informado) << empresa << "/" << tipo << "/" << id;
  EXPECT_EQ(TItensIntegradosDYQ::GravadosDoExtrato(Db(), 1, 1, 77), 10);
  EXPECT_EQ(TItensIntegradosDYQ::GravadosDoExtrato(Db(), 1, 1, 78), 1);
  EXPECT_EQ(TItensIntegradosDYQ::GravadosDoExtrato(Db(), 1, 1, 79), 0);
}

}  // namespace
}  // namespace integracao
