#include <gtest/gtest.h>

#include <limits>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/core/variant.h"

using namespace vyn;

TEST(Currency, ParsesSqlBrAndJsonForms) {
  EXPECT_EQ(Currency::ParseSQL("1234.5600").Raw(), 12345600);
  EXPECT_EQ(Currency::ParseBR("1.234,56").Raw(), 12345600);
  EXPECT_EQ(Currency::ParseBR(" R$ -1.234,5 ").Raw(), -12345000);
  EXPECT_EQ(Currency::Parse("-0.5").Raw(), -5000);
  EXPECT_EQ(Currency::Parse("1.5e3").Raw(), 15000000);
  EXPECT_EQ(Currency::Parse("12").Raw(), 120000);
  // More places than kept: half away from zero, also for negatives.
  EXPECT_EQ(Currency::Parse("0.00005").Raw(), 1);
  EXPECT_EQ(Currency::Parse("-0.00005").Raw(), -1);
  EXPECT_EQ(Currency::Parse("-0.00004").Raw(), 0);
}

TEST(Currency, BadTextAndOverflowThrowNamingTheText) {
  for (const char* bad : {"", "abc", "1,2,3", "12.3.4", "1.23,4", "--1", "1e", "R$", "12a"}) {
    try {
      Currency::Parse(bad);
      ADD_FAILURE() << "accepted \"" << bad << "\"";
    } catch (const ECurrencyError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(Currency::Parse("922337203685478"), ECurrencyError);  // > int64 max / 10,000
  EXPECT_EQ(Currency::Parse("922337203685477.5807").Raw(), std::numeric_limits<int64_t>::max());
  EXPECT_THROW(Currency::Parse("1e30"), ECurrencyError);
  Currency big = Currency::FromRaw(std::numeric_limits<int64_t>::max());
  EXPECT_THROW(big + Currency::FromRaw(1), ECurrencyError);
  EXPECT_THROW(big * Currency::FromInt(2), ECurrencyError);
  EXPECT_THROW(-Currency::FromRaw(std::numeric_limits<int64_t>::min()), ECurrencyError);
  EXPECT_THROW(Currency::FromInt(std::numeric_limits<int64_t>::max() / 1000), ECurrencyError);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), ECurrencyError);
  EXPECT_THROW(Currency::FromInt(1) / Currency(), ECurrencyError);
  Currency c;
  EXPECT_FALSE(Currency::TryParse("x", c));
  try {
    (void)(big - Currency::FromInt(-1));
    ADD_FAILURE() << "no overflow";
  } catch (const ECurrencyError& e) {
    EXPECT_STREQ(e.what(), "Valor monetário fora do limite: 922337203685477.5807 - -1.0000");
  }
}

// Sums over hundreds of thousands of lines: the overflow text must cost nothing when there is none.
TEST(Currency, RoundsHalfAwayFromZero) {
  EXPECT_EQ(Currency::Parse("2.345").Round2(), Currency::Parse("2.35"));
  EXPECT_EQ(Currency::Parse("-2.345").Round2(), Currency::Parse("-2.35"));
  EXPECT_EQ(Currency::Parse("-2.3449").Round2(), Currency::Parse("-2.34"));
  EXPECT_EQ(Currency::Parse("-0.5").RoundTo(0), Currency::FromInt(-1));
  // 1/3 of -10.00 and a product with a half in the fifth place.
  EXPECT_EQ((Currency::FromInt(-10) / 3).Raw(), -33333);
  EXPECT_EQ((Currency::FromInt(-2) / 3).Raw(), -6667);
  EXPECT_EQ((Currency::Parse("0.0005") * Currency::Parse("-0.1")).Raw(), -1);
  EXPECT_EQ((Currency::Parse("100") / Currency::Parse("3")).Raw(), 333333);
  EXPECT_EQ(Currency::FromDouble(1.00005).Raw(), 10001);
  EXPECT_EQ(Currency::FromDouble(-0.1).Raw(), -1000);
}

TEST(Currency, MulRoundRoundsTheExactProductOnce) {
  // 1000.33 x 0.015 = 15.00495: rounding to 4 places first would give 15.0050 and then 15.01.
  EXPECT_EQ(Currency::MulRound(Currency::Parse("1000.33"), Currency::Parse("0.015"), 2), Currency::Parse("15.00"));
  EXPECT_EQ(Currency::MulRound(Currency::Parse("-1000.33"), Currency::Parse("0.015"), 2), Currency::Parse("-15.00"));
  EXPECT_EQ(Currency::MulRound(Currency::Parse("2.5"), Currency::Parse("-0.003"), 2), Currency::Parse("-0.01"));
  EXPECT_EQ(Currency::MulRound(Currency::Parse("0.0005"), Currency::Parse("0.1"), 4).Raw(), 1);
  EXPECT_EQ(Currency::MulRound(Currency::Parse("1.5"), Currency::Parse("1"), 0), Currency::FromInt(2));
  EXPECT_THROW(Currency::MulRound(Currency::FromInt(1), Currency::FromInt(1), 5), ECurrencyError);
  Currency big = Currency::FromRaw(std::numeric_limits<int64_t>::max());
  EXPECT_THROW(Currency::MulRound(big, Currency::FromInt(2), 2), ECurrencyError);
}

TEST(Currency, Formats) {
  Currency v = Currency::Parse("-1234567.895");
  EXPECT_EQ(v.ToSQL(), "-1234567.8950");
  EXPECT_EQ(v.ToBR(), "-1.234.567,90");
  EXPECT_EQ(v.ToBR(0), "-1.234.568");
  EXPECT_EQ(v.ToJSON(), "-1234567.895");
  EXPECT_EQ(Currency::FromInt(12).ToJSON(), "12");
  EXPECT_EQ(Currency::Parse("-0.001").ToBR(), "0,00");
  EXPECT_EQ(Currency::FromRaw(std::numeric_limits<int64_t>::min()).ToSQL(), "-922337203685477.5808");
}

TEST(DateTime, EpochAndValidation) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).Value, 0);
  EXPECT_EQ(EncodeDate(2024, 1, 1).Value, 45292);
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // Monday
  EXPECT_THROW(EncodeDate(2024, 2, 30), EDateError);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EDateError);
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(1900, 2, 29), EDateError);
  try {
    StrToDate("31/02/2024");
    ADD_FAILURE();
  } catch (const EDateError& e) {
    EXPECT_NE(std::string(e.what()).find("31/02/2024"), std::string::npos);
  }
  EXPECT_THROW(StrToDate("01/13/2024"), EDateError);
  EXPECT_THROW(StrToDate("1/1/24"), EDateError);
  EXPECT_EQ(StrToDate(" 5/3/2024 "), EncodeDate(2024, 3, 5));
  EXPECT_THROW(SQLToDate("2024-02-30"), EDateError);
}

TEST(DateTime, MonthArithmetic) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31), 1), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -13), EncodeDate(2022, 12, 15));
  TDateTime t = EncodeDateTime(2024, 1, 31, 10, 30, 0);
  EXPECT_EQ(DateTimeToStr(IncMonth(t, 1)), "29/02/2024 10:30:00");
  EXPECT_EQ(EndOfTheMonth(t), EncodeDate(2024, 1, 31));
  EXPECT_EQ(StartOfTheMonth(t), EncodeDate(2024, 1, 1));
  // A value a hair under midnight is the next day, not 23:59:59.999 of this one.
  TDateTime almost(45292.0 - 1e-10);
  EXPECT_EQ(DateToStr(almost), "01/01/2024");
}

TEST(DateTime, AnoMes) {
  EXPECT_EQ(AnoMes(EncodeDate(2024, 3, 5)), 202403);
  EXPECT_EQ(IncAnoMes(202401, -1), 202312);
  EXPECT_EQ(IncAnoMes(202312, 1), 202401);
  EXPECT_EQ(IncAnoMes(202406, -18), 202212);
  EXPECT_EQ(LastDayOfAnoMes(202402), EncodeDate(2024, 2, 29));
  EXPECT_EQ(FirstDayOfAnoMes(202402), EncodeDate(2024, 2, 1));
  EXPECT_EQ(AnoMesToText(202403), "03/2024");
  EXPECT_EQ(TextToAnoMes("3/2024"), 202403);
  EXPECT_THROW(TextToAnoMes("13/2024"), EDateError);
  EXPECT_THROW(TextToAnoMes("00/2024"), EDateError);
  EXPECT_THROW(TextToAnoMes("03/24"), EDateError);
  EXPECT_THROW(IncAnoMes(202413, 1), EDateError);
  EXPECT_THROW(FirstDayOfAnoMes(202400), EDateError);
}

TEST(DateTime, TextForms) {
  TDateTime d = EncodeDateTime(2024, 3, 5, 14, 7, 9, 120);
  EXPECT_EQ(DateTimeToSQL(d), "2024-03-05 14:07:09.120");
  EXPECT_EQ(QuotedDateSQL(d), "'2024-03-05'");
  EXPECT_EQ(SQLToDate("2024-03-05 14:07:09.12"), d);
  EXPECT_EQ(FormatDate("yyyymmdd_hhnnss.zzz", d), "20240305_140709.120");
  EXPECT_EQ(FormatDate("dd/mm/yy", d), "05/03/24");
}

TEST(Text, CaseAccentsAndCollation) {
  EXPECT_EQ(UpperCase("ção"), "ÇÃO");
  EXPECT_EQ(LowerCase("ÇÃO É"), "ção é");
  EXPECT_EQ(RemoveAccents("ÇÃO ü"), "CAO u");
  EXPECT_TRUE(SameText("Ação", "AÇÃO"));
  EXPECT_FALSE(SameText("Acao", "AÇÃO"));
  EXPECT_EQ(CompareTextPTBR("ação", "ACAO"), 0);
  EXPECT_EQ(CompareTextPTBR("TRUE", "true  "), 0);
  EXPECT_LT(CompareTextPTBR("Ábaco", "abd"), 0);
  EXPECT_GT(CompareTextPTBR("é", "d"), 0);  // accented letters sort with their base letter
  EXPECT_LT(CompareTextPTBR("", "a"), 0);
  EXPECT_TRUE(StartsWithText("Lançamento", "LANÇ"));
}

// A review's filter asks whether it is blank at every deleted line: the answer must be Trim's.
TEST(Text, BlankIsWhatTrimLeavesEmpty) {
  for (const char* s : {"", " \t\r\n", "\x01 ", " (BDCHAVE = 1) ", "\xC2\xA0", "ç"})
    EXPECT_EQ(IsBlank(s), Trim(s).empty()) << s;
}

TEST(Text, Win1252FitAndCuts) {
  EXPECT_TRUE(FitsWin1252("Ação € „quoted“ – ™ Ÿ œ ž ƒ ˆ ˜ ‰ ‹ › • … † ‡ Š Œ Ž ‚ ‘ ’ ” —"));
  EXPECT_FALSE(FitsWin1252("Ł"));             // Latin Extended-A outside the code page
  EXPECT_FALSE(FitsWin1252("\xC2\x81"));      // U+0081 has no WIN1252 byte
  EXPECT_FALSE(FitsWin1252("日本"));
  EXPECT_FALSE(FitsWin1252("\xC3"));          // broken UTF-8
  EXPECT_FALSE(FitsWin1252("\xC0\xAF"));      // overlong
  EXPECT_EQ(Utf8Length("ação"), 4u);
  EXPECT_EQ(Utf8Left("ação", 2), "aç");
  EXPECT_EQ(RemoveCaret("^Dyq e ^Omie"), "Dyq e Omie");
  EXPECT_EQ(ZeroPad(42, 5), "00042");
  EXPECT_EQ(StripLeadingZeros("000"), "0");
  EXPECT_EQ(WholeInteger("-12"), -12);
  EXPECT_EQ(WholeInteger("9223372036854775807"), std::numeric_limits<int64_t>::max());
  for (const char* nao : {"", " 1", "1 ", "1.0", "12x", "+1", "9223372036854775808"}) EXPECT_FALSE(WholeInteger(nao)) << nao;
  EXPECT_EQ(Split("a;;b", ';'), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(Split("", ';').empty());
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(Variant, ConversionsAndCompare) {
  EXPECT_THROW(Variant("12x").AsCurrency(), EVariantError);
  EXPECT_THROW(Variant("abc").AsInteger(), EVariantError);
  EXPECT_THROW(Variant(Currency::Parse("1.5")).AsInteger(), EVariantError);
  EXPECT_EQ(Variant("1.234,5").AsCurrency(), Currency::Parse("1234.5"));
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_EQ(Variant(Currency::Parse("12.50")).AsString(), "12.5");
  EXPECT_EQ(Variant(EncodeDate(2024, 3, 5)).AsString(), "05/03/2024");
  EXPECT_EQ(Variant("2024-03-05").AsDateTime(), EncodeDate(2024, 3, 5));
  EXPECT_EQ(Variant().AsInteger(), 0);

  EXPECT_TRUE(Variant(2) == Variant(Currency::FromInt(2)));
  EXPECT_TRUE(Variant(2.5) == Variant(Currency::Parse("2.5")));
  EXPECT_FALSE(Variant("2") == Variant(2));
  EXPECT_EQ(Variant::Compare(Variant(), Variant(-5)), -1);
  EXPECT_EQ(Variant::Compare(Variant(true), Variant(Currency::Parse("0.9999"))), 1);
  EXPECT_EQ(Variant::Compare(Variant(int64_t{9007199254740993}), Variant(9007199254740992.0)), 1);
  EXPECT_EQ(Variant::Compare(Variant("São Paulo"), Variant("SAO PAULO")), 0);
  EXPECT_LT(Variant::Compare(Variant(EncodeDate(2024, 1, 1)), Variant("a")), 0);
}

TEST(RegistryNumber, CheckDigits) {
  EXPECT_TRUE(IsValidCNPJ("11.222.333/0001-81"));
  EXPECT_FALSE(IsValidCNPJ("11.222.333/0001-82"));
  EXPECT_TRUE(IsValidCPF("529.982.247-25"));
  EXPECT_FALSE(IsValidCPF("529.982.247-26"));
  EXPECT_FALSE(IsValidCPF("111.111.111-11"));
  EXPECT_EQ(FormatRegistryNumber("11222333000181"), "11.222.333/0001-81");
  EXPECT_EQ(FormatRegistryNumber("52998224725"), "529.982.247-25");
  EXPECT_TRUE(SameRegistryNumber("529.982.247-25", "52998224725"));
}

// A sheet's cell: punctuated or not, a number that lost its leading zeros, or not a number at all.
TEST(RegistryNumber, FromASheetCell) {
  EXPECT_EQ(RegistryNumberFromCell("012.345.678-90"), "01234567890");
  EXPECT_EQ(RegistryNumberFromCell("1234567890"), "01234567890");
  EXPECT_EQ(RegistryNumberFromCell("123456000149"), "00123456000149");   // a CNPJ, not a CNO
  EXPECT_EQ(RegistryNumberFromCell("11.222.333/0001-81"), "11222333000181");
  EXPECT_EQ(RegistryNumberFromCell("123456789012"), "123456789012");      // a CNO
  EXPECT_EQ(RegistryNumberFromCell("529.982.247-26"), "");
  EXPECT_EQ(RegistryNumberFromCell("1e3"), "");
  EXPECT_EQ(RegistryNumberFromCell("1,11444777E+10"), "");
}
