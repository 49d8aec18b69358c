#include "framework/accounting/formula_parsers.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/text.h"

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
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer's red zones make every frame several times larger than the product's own.
  pthread_attr_setstacksize(&attr, 4 * 1024 * 1024);
#else
  pthread_attr_setstacksize(&attr, 1024 * 1024);
#endif
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, &attr, &Aninhamentos, nullptr), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
}

// Literals are held with all their decimals and the arithmetic is exact: only the answer is brought to
// four places, and an answer that has no exact value there is refused with its reason, never rounded.
TEST(FormulaParsers, LiteralsAreExactAndAnAnswerWithoutAnExactValueIsRefused) {
  const TParserExpression::TResolveNome saldo = [](const std::string& nome, const std::vector<std::string>&)
      -> std::optional<Currency> { return nome == "SALDO" ? std::optional(Currency::FromInt(-5000)) : std::nullopt; };
  auto valor = [&](const std::string& f) { return TParserExpression::AvaliaAritmetica(f, saldo).value(); };
  EXPECT_EQ(valor("SALDO(30)*0.000082"), Currency::ParseSQL("-0.41"));
  EXPECT_EQ(valor("1/0.00004"), Currency::FromInt(25000));
  EXPECT_EQ(valor("1/0.00005"), Currency::FromInt(20000));
  EXPECT_EQ(valor("1/3*3"), Currency::FromInt(1));            // no third is rounded on the way
  EXPECT_EQ(valor("0,12345678 * 10000"), Currency::ParseSQL("1234.5678"));
  EXPECT_EQ(valor("000012.500000000000000000000000000000"), Currency::ParseSQL("12.5"));
  for (const std::string f : {"1/3", "SALDO(30)/7", "0.00001*0.5", "0.00001"}) {
    try {
      TParserExpression::AvaliaAritmetica(f, saldo);
      ADD_FAILURE() << f << " answered";
    } catch (const std::domain_error& e) {
      EXPECT_NE(std::string(e.what()).find("não tem valor exato em quatro casas decimais"), std::string::npos)
          << e.what();
    }
  }
  // More figures than are kept exactly, or a number written with two separators: refused, named.
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("1" + std::string(30, '0')), std::invalid_argument);
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("1.234,56"), std::invalid_argument);
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("1/0.0000000000000000001"), std::invalid_argument);
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("1/999999999999*1/999999999989*1/999999999959"), std::domain_error);
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("1/0.00"), std::domain_error);
  EXPECT_THROW(TParserExpression::AvaliaAritmetica("900000000000000 * 100"), ECurrencyError);
}

// A message shows the formula it refuses as text: bytes that are no UTF-8 are not echoed.
TEST(FormulaParsers, AMessageNeverEchoesBytesThatAreNoText) {
  EXPECT_EQ(Utf8Legivel("a\xff" "b\xc3"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(Utf8Legivel("ação \xF0\x9F\x98\x80"), "ação \xF0\x9F\x98\x80");
  std::string cinco;   // an overlong form, a stray continuation, a surrogate: each byte replaced
  for (int i = 0; i < 5; ++i) cinco += "\xEF\xBF\xBD";
  EXPECT_EQ(Utf8Legivel("\xC0\xAF\xED\xA0\x80"), cinco);
  try {
    TParserExpression::AvaliaAritmetica("1 + \xff\xfe)");
    ADD_FAILURE() << "answered";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(Utf8Legivel(e.what()), e.what());
    EXPECT_NE(std::string(e.what()).find("\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace vyn
