#include "framework/accounting/formula_parsers.h"

#include <gtest/gtest.h>
#include <pthread.h>

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

// The generator may evaluate on a thread of its own with a small stack: the bound must hold there.
TEST(FormulaParsers, DeepNestingIsRefusedOnAOneMegabyteStack) {
  struct TEnsaio {
    std::string erro;
    static void* Roda(void* p) {
      auto* e = static_cast<TEnsaio*>(p);
      try {
        TParserExpression::AvaliaAritmetica(std::string(20000, '(') + "1" + std::string(20000, ')'));
      } catch (const std::invalid_argument& x) {
        e->erro = x.what();
      }
      return nullptr;
    }
  } ensaio;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1024 * 1024);
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, &attr, &TEnsaio::Roda, &ensaio), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(ensaio.erro.rfind("Fórmula inválida", 0), 0u) << ensaio.erro;
}

}  // namespace
}  // namespace vyn
