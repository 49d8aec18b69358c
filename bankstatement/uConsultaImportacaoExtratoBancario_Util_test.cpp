// The marks of a line and its split lines travel together before the write.
#include <gtest/gtest.h>

#include <array>

#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/data/client_dataset.h"

namespace integracao {
namespace {

using namespace vyn;

// Rows: key, 0 a line / 1 a split line, mark.
void Linhas(TClientDataSet& ds, std::initializer_list<std::array<int, 3>> linhas) {
  for (const char* c : {"BDCHAVE", "BDMULTLANC", "BDINCONSISTENTE"}) ds.AddFieldDef(c, TFieldType::ftInteger);
  ds.CreateDataSet();
  for (const auto& [chave, multi, marca] : linhas) ds.AppendRecord({Variant(chave), Variant(multi), Variant(marca)});
}

std::vector<int> Marcas(TClientDataSet& ds) {
  std::vector<int> r;
  for (ds.First(); !ds.Eof(); ds.Next()) r.push_back(static_cast<int>(ds.FieldByName("BDINCONSISTENTE").AsInteger()));
  return r;
}

TEST(SetInconsistenciaMulti, AConsistentLineTakesItsSplitLinesMarkAndAMarkedLineGivesItsOwn) {
  TClientDataSet ds;
  Linhas(ds, {{1, 0, miConsistente},   // its third split line is in error: all of it is
              {1, 1, miConsistente},
              {1, 1, miConsistente},
              {1, 1, miComErro},
              {2, 0, miAvisoBaixa},    // a settlement warning keeps its split lines out too
              {2, 1, miConsistente},
              {2, 1, miComErro},
              {3, 0, miConsistente},   // nothing to spread
              {3, 1, miConsistente},
              {4, 0, miForaDaImportacao}});   // no split lines
  TUtilImportacao_ExtratoBancario_Treeview::SetInconsistenciaMulti(ds);
  EXPECT_EQ(Marcas(ds), (std::vector<int>{miComErro, miComErro, miComErro, miComErro, miAvisoBaixa, miAvisoBaixa,
                                          miAvisoBaixa, miConsistente, miConsistente, miForaDaImportacao}));
}

}  // namespace
}  // namespace integracao
