#include <gtest/gtest.h>

#include <string>

#include "framework/ui/report_vyn.h"

namespace {

// A template's expression nested deeper than any report needs is refused, not a stack overflow.
TEST(ReportExpression, NestingIsBounded) {
  vyn::TfrxReportVYN relatorio;
  EXPECT_EQ(relatorio.Evaluate("((1 + (2)))").AsInteger(), 3);
  const std::string funda = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_THROW(relatorio.Evaluate(funda), vyn::EReportError);
  EXPECT_EQ(relatorio.Evaluate(std::string(200, '(') + "7" + std::string(200, ')')).AsInteger(), 7);
}

}  // namespace
