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

// Whole numbers past the integer range are refused with the report's own error, never wrapped round.
TEST(ReportExpression, IntegerRangeIsChecked) {
  vyn::TfrxReportVYN relatorio;
  EXPECT_EQ(relatorio.Evaluate("4611686018427387903 + 4611686018427387904").AsInteger(), 9223372036854775807LL);
  EXPECT_THROW(relatorio.Evaluate("8225555666799758165 + 4111111111121111111"), vyn::EReportError);
  EXPECT_THROW(relatorio.Evaluate("99999999999999999999"), vyn::EReportError);
  EXPECT_THROW(relatorio.Evaluate("-9223372036854775807 + -2"), vyn::EReportError);
}

}  // namespace
