#include "framework/data/dataset_guards.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/data/client_dataset.h"

namespace vyn {
namespace {

struct Linhas {
  TClientDataSet mestre, detalhe;
  TDataSource fonte{nullptr, &mestre};
  Linhas() {
    mestre.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
    mestre.CreateDataSet();
    mestre.AppendRecord({1});
    mestre.AppendRecord({2});
    detalhe.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
    detalhe.AddFieldDef("BDVALOR", TFieldType::ftInteger);
    detalhe.CreateDataSet();
    for (int i = 1; i <= 6; ++i) detalhe.AppendRecord({i % 2 + 1, i});
    detalhe.SetMasterFields("BDCHAVE");
    detalhe.SetMasterSource(&fonte);
    detalhe.SetFilter("BDVALOR > 2");
    detalhe.SetFiltered(true);
    mestre.First();
  }
};

TEST(DataSetGuards, AWalkThatFailsHandsTheDataSetBackAsItFoundIt) {
  Linhas l;
  ASSERT_EQ(l.detalhe.RecordCount(), 2);   // key 1 (values 2, 4, 6), filtered to 4 and 6
  try {
    TDetachedDetail solto(l.detalhe, true);
    TFilterGuard filtro(l.detalhe, TFilterGuard::kAllRows);
    TDisabledControls controles(l.detalhe);
    l.detalhe.SetIndexFieldNames("BDVALOR");
    EXPECT_EQ(l.detalhe.RecordCount(), 6);
    EXPECT_TRUE(l.detalhe.ControlsDisabled());
    throw std::runtime_error("no meio da varredura");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "no meio da varredura");
  }
  EXPECT_FALSE(l.detalhe.ControlsDisabled());
  EXPECT_EQ(l.detalhe.MasterSource(), &l.fonte);
  EXPECT_EQ(l.detalhe.MasterFields(), "BDCHAVE");
  EXPECT_EQ(l.detalhe.IndexFieldNames(), "");
  EXPECT_TRUE(l.detalhe.Filtered());
  EXPECT_EQ(l.detalhe.Filter(), "BDVALOR > 2");
  EXPECT_EQ(l.detalhe.RecordCount(), 2);

  // A routine that filters its own way gets the old text back, not just the old state.
  {
    TFilterGuard filtro(l.detalhe);
    l.detalhe.SetFilter("BDVALOR = 4");
  }
  EXPECT_EQ(l.detalhe.Filter(), "BDVALOR > 2");
  EXPECT_EQ(l.detalhe.RecordCount(), 2);
}

}  // namespace
}  // namespace vyn
