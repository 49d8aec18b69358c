#include <gtest/gtest.h>

#include "framework/data/client_dataset.h"

namespace vyn {
namespace {

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
    ds.AddFieldDef("BDDCTO", TFieldType::ftString, 20);
    ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    ds.AddFieldDef("BDINCONSISTENTE", TFieldType::ftInteger);
    ds.AddFieldDef("BDDATA", TFieldType::ftDate);
    ds.CreateDataSet();
    ds.AppendRecord({1, "abc", Currency::Parse("995.00"), 1, EncodeDate(2024, 3, 5)});
    ds.AppendRecord({2, "Ação", Currency::Parse("10.5"), nullptr, EncodeDate(2024, 3, 6)});
    ds.AppendRecord({3, "it's", Currency::Parse("-2"), 0, nullptr});
    ds.AppendRecord({4, nullptr, nullptr, 2, EncodeDate(2024, 4, 1)});
  }

  // Keys of the rows the filter lets through, in order.
  std::vector<int64_t> Keys(const std::string& expr) {
    ds.SetFilter(expr);
    ds.SetFiltered(true);
    std::vector<int64_t> out;
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FieldByName("BDCHAVE").AsInteger());
    EXPECT_EQ(static_cast<int>(out.size()), ds.RecordCount()) << expr;
    return out;
  }

  TClientDataSet ds;
};

using V = std::vector<int64_t>;

TEST_F(FilterTest, ComparisonsAndPrecedence) {
  EXPECT_EQ(Keys("BDCHAVE = 2"), V({2}));
  EXPECT_EQ(Keys("bdchave <> 2"), V({1, 3, 4}));
  EXPECT_EQ(Keys("BDCHAVE >= 2 and BDCHAVE < 4"), V({2, 3}));
  EXPECT_EQ(Keys("BDCHAVE <= 1 or BDCHAVE > 3"), V({1, 4}));
  // AND binds tighter than OR; NOT tighter than AND; parentheses override.
  EXPECT_EQ(Keys("BDCHAVE = 1 or BDCHAVE = 2 and BDCHAVE = 3"), V({1}));
  EXPECT_EQ(Keys("(BDCHAVE = 1 or BDCHAVE = 2) and BDCHAVE = 2"), V({2}));
  EXPECT_EQ(Keys("not BDCHAVE = 1 and BDCHAVE < 3"), V({2}));
  EXPECT_EQ(Keys("NOT (BDCHAVE = 1 OR BDCHAVE = 2)"), V({3, 4}));
  EXPECT_EQ(Keys("1 < BDCHAVE"), V({2, 3, 4}));
}

TEST_F(FilterTest, NullsFollowSqlLogic) {
  EXPECT_EQ(Keys("BDINCONSISTENTE is null"), V({2}));
  EXPECT_EQ(Keys("BDINCONSISTENTE IS NOT NULL"), V({1, 3, 4}));
  // A comparison with null is unknown: hence the usual "or ... is null".
  EXPECT_EQ(Keys("bdINCONSISTENTE <> 1"), V({3, 4}));
  EXPECT_EQ(Keys("(bdINCONSISTENTE <> 1) or (bdINCONSISTENTE is null)"), V({2, 3, 4}));
  EXPECT_EQ(Keys("not (BDINCONSISTENTE = 1)"), V({3, 4}));
  EXPECT_EQ(Keys("BDDCTO = NULL"), V({}));
}

// A review removing tens of thousands of lines filters their links with one term per line: the chain
// is evaluated and freed without a stack as deep as its terms, keeping SQL's logic for nulls.
TEST_F(FilterTest, ChainsOfManyThousandTermsKeepTheirLogic) {
  std::string ou, e;
  for (int i = 0; i < 200000; ++i) {
    ou += (i ? " or " : "") + std::string("(BDCHAVE = ") + std::to_string(i * 3 + 3) + ")";
    e += (i ? " and " : "") + std::string("BDCHAVE <> ") + std::to_string(i * 2 + 2);
  }
  EXPECT_EQ(Keys(ou), V({3}));
  EXPECT_EQ(Keys(e), V({1, 3}));
  EXPECT_EQ(Keys(ou + " or BDINCONSISTENTE = 2"), V({3, 4}));
  EXPECT_EQ(Keys("not (" + ou + " or BDINCONSISTENTE > 0)"), V({}));   // row 2: null, not false
  EXPECT_EQ(Keys("BDINCONSISTENTE > 0 and " + e), V({1}));
}

// The same long chains answered as a set keep what each term would answer: nulls unknown, money
// exact, and a chain that is not all one whole-number field walked term by term.
TEST_F(FilterTest, LongEqualityChainsAnswerAsTheirTerms) {
  auto Cadeia = [](const std::string& campo, const std::vector<std::string>& valores) {
    std::string t;
    for (const auto& v : valores) t += (t.empty() ? "" : " or ") + campo + " = " + v;
    return t;
  };
  const std::vector<std::string> muitos{"0", "2", "5", "6", "7", "8", "9", "11", "12"};
  EXPECT_EQ(Keys(Cadeia("BDINCONSISTENTE", muitos)), V({3, 4}));
  EXPECT_EQ(Keys("not (" + Cadeia("BDINCONSISTENTE", muitos) + ")"), V({1}));  // row 2: null, not false
  EXPECT_EQ(Keys(Cadeia("BDVALOR", {"1", "2", "3", "4", "5", "6", "7", "10.5", "-2.00"})), V({2, 3}));
  EXPECT_EQ(Keys(Cadeia("BDCHAVE", {"7", "8", "9", "10", "11", "12", "13", "3.0", "1.5"})), V({3}));
  EXPECT_EQ(Keys(Cadeia("BDCHAVE", {"7", "8", "9", "10", "11", "12", "13", "NULL"})), V({}));
  EXPECT_EQ(Keys("not (" + Cadeia("BDCHAVE", {"7", "8", "9", "10", "11", "12", "13", "NULL"}) + ")"), V({}));
}

TEST_F(FilterTest, TextNumbersAndDates) {
  EXPECT_EQ(Keys("BDDCTO = 'ABC'"), V({1}));
  EXPECT_EQ(Keys("BDDCTO = 'acao'"), V({2}));          // case and accents ignored
  EXPECT_EQ(Keys("BDDCTO = 'it''s'"), V({3}));         // doubled quote inside
  EXPECT_EQ(Keys("BDDCTO > 'b'"), V({3}));
  EXPECT_EQ(Keys("bdvalor = 995 and BDDCTO = 'abc'"), V({1}));
  EXPECT_EQ(Keys("BDVALOR = 10.50"), V({2}));           // money compared exactly
  EXPECT_EQ(Keys("BDVALOR < -1.9999"), V({3}));
  EXPECT_EQ(Keys("BDDATA >= '2024-03-06'"), V({2, 4}));
  EXPECT_EQ(Keys("BDDATA = '05/03/2024'"), V({1}));
  EXPECT_EQ(Keys("BDCHAVE = '3'"), V({3}));
}

TEST_F(FilterTest, BadExpressionsAreRejectedNamingThem) {
  for (const char* bad : {"BDCHAVE = ", "BDNADA = 1", "BDDCTO = 'abc", "BDCHAVE = 1 BDCHAVE", "(BDCHAVE = 1",
                          "BDCHAVE = 'x'", "BDCHAVE == 1", "BDCHAVE = 9,5", "BDCHAVE is 1"}) {
    ds.SetFiltered(false);
    ds.SetFilter(bad);
    try {
      ds.SetFiltered(true);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const EDataSetError& e) {
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.Filtered());
  }
  // Changing to a bad filter while filtered keeps the good one.
  EXPECT_EQ(Keys("BDCHAVE = 2"), V({2}));
  EXPECT_THROW(ds.SetFilter("BDCHAVE = = 2"), EDataSetError);
  EXPECT_EQ(ds.Filter(), "BDCHAVE = 2");
  EXPECT_EQ(ds.RecordCount(), 1);
}

TEST_F(FilterTest, OnFilterRecordSeesTheCandidateRow) {
  ds.OnFilterRecord = [](TClientDataSet& d, bool& accept) { accept = d.FieldByName("BDCHAVE").AsInteger() % 2 == 0; };
  EXPECT_EQ(Keys(""), V({2, 4}));
  EXPECT_EQ(Keys("BDCHAVE > 2"), V({4}));  // both apply
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 4);
}

// Two fields of the same row compared; a date against a moment by the day.
TEST(FilterFields, ComparesTwoFieldsOfTheRow) {
  TClientDataSet ds;
  ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds.AddFieldDef("BDVALORPAGO", TFieldType::ftCurrency);
  ds.AddFieldDef("BDDATA", TFieldType::ftDate);
  ds.AddFieldDef("BDDATAHORA", TFieldType::ftDateTime);
  ds.CreateDataSet();
  ds.AppendRecord({1, Currency::Parse("100"), Currency::Parse("99.99"), EncodeDate(2024, 3, 5), EncodeDateTime(2024, 3, 5, 14, 0, 0)});
  ds.AppendRecord({2, Currency::Parse("50"), Currency::Parse("50.00"), EncodeDate(2024, 3, 6), EncodeDateTime(2024, 3, 5, 23, 59, 0)});
  ds.AppendRecord({3, Currency::Parse("10"), nullptr, EncodeDate(2024, 3, 7), EncodeDate(2024, 3, 7)});
  auto keys = [&](const std::string& expr) {
    ds.SetFilter(expr);
    ds.SetFiltered(true);
    V out;
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FieldByName("BDCHAVE").AsInteger());
    return out;
  };
  EXPECT_EQ(keys("BDVALOR > BDVALORPAGO"), V({1}));
  EXPECT_EQ(keys("bdvalor = BDVALORPAGO"), V({2}));
  EXPECT_EQ(keys("BDVALORPAGO < BDVALOR or BDVALORPAGO is null"), V({1, 3}));
  EXPECT_EQ(keys("BDDATA = BDDATAHORA"), V({1, 3}));
  EXPECT_EQ(keys("BDDATA > BDDATAHORA"), V({2}));
  EXPECT_EQ(keys("BDDATA = '2024-03-05 14:00'"), V({1}));
  EXPECT_EQ(keys("BDDATA >= '2024-03-05 14:00'"), V({1, 2, 3}));
  EXPECT_EQ(keys("BDDATAHORA >= '2024-03-05 14:00'"), V({1, 2, 3}));
  EXPECT_EQ(keys("BDDATAHORA > '2024-03-05 14:00'"), V({2, 3}));
}

}  // namespace
}  // namespace vyn
