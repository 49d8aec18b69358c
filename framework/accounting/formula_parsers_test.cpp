#include "framework/accounting/formula_parsers.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace vyn {
namespace {

// A formula nested beyond reason is refused as invalid and the process lives; one nested as a user
// writes it is still computed.
TEST(FormulaParsers, DeepNestingIsRefusedAsInvalidWithoutExhaustingTheStack) {
  const int n = 200000;   // far beyond what any thread stack would hold unbounded
  for (const std::string& formula :
       {std::string(n, '(') + "1" + std::string(n, ')'), std::string(n, '-') + "1", std::string(n, '-') + "(1)"}) {
    try {
      TParserExpression::AvaliaAritmetica(formula);
      FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Fórmula inválida", 0), 0u) << e.what();
    }
  }
  const auto v = TParserExpression::AvaliaAritmetica(std::string(100, '(') + "2*3" + std::string(100, ')') + "+--1");
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(*v, Currency::FromInt(7));
}

}  // namespace
}  // namespace vyn
