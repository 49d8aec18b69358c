#include "framework/accounting/formula_parsers.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <stdexcept>
#include <string>

namespace vyn {
namespace {

void* Aninhamentos(void*) {
  const int n = 200000;   // far beyond what any thread stack would hold unbounded
  for (const std::string& formula :
       {std::string(n, '(') + "1" + std::string(n, ')'), std::string(n, '-') + "1", std::string(n, '-') + "(1)"}) {
    try {
      TParserExpression::AvaliaAritmetica(formula);
      ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Fórmula inválida", 0), 0u) << e.what();
    }
  }
  const auto v = TParserExpression::AvaliaAritmetica(std::string(100, '(') + "2*3" + std::string(100, ')') + "+--1");
  EXPECT_EQ(v.value_or(Currency()), Currency::FromInt(7));
  // The bound the message names: 256 levels are computed, 257 are "more than 256".
  EXPECT_EQ(TParserExpression::AvaliaAritmetica(std::string(256, '(') + "1" + std::string(256, ')')).value_or(Currency()),
            Currency::FromInt(1));
  EXPECT_THROW(TParserExpression::AvaliaAritmetica(std::string(257, '(') + "1" + std::string(257, ')')),
               std::invalid_argument);
  return nullptr;
}

// A formula nested beyond reason is refused as invalid and the process lives, also on the 1 MB stack
// of a thread the generator may evaluate on; one nested as a user writes it is still computed.
TEST(FormulaParsers, DeepNestingIsRefusedAsInvalidWithoutExhaustingTheStack) {
  Aninhamentos(nullptr);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1024 * 1024);
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, &attr, &Aninhamentos, nullptr), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
}

}  // namespace
}  // namespace vyn
