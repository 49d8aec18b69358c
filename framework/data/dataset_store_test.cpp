#include "framework/data/dataset_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace vyn {
namespace {

// Compares a row's value with a sought one as the index should: nulls first.
using RefCompare = std::function<int(const Variant& row, const Variant& key)>;

int NullsFirst(const Variant& a, const Variant& b, const std::function<int()>& values) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
  return values();
}

// The index on `field` (desc: descending) must walk in the reference order, and FindKey and
// FindNearest must land on the first row not before each probe.
void CheckIndex(TClientDataSet& ds, const char* field, bool desc, const RefCompare& ref,
                const std::vector<Variant>& probes) {
  if (desc) {
    ds.AddIndexDef("ixCheck", field, ixDescending);
    ds.SetIndexName("ixCheck");
  } else {
    ds.SetIndexFieldNames(field);
  }
  auto cmp = [&](const Variant& row, const Variant& key) { return desc ? -ref(row, key) : ref(row, key); };
  std::vector<Variant> walk;
  for (ds.First(); !ds.Eof(); ds.Next()) walk.push_back(ds.FieldByName(field).Value());
  for (size_t i = 1; i < walk.size(); ++i)
    ASSERT_LE(cmp(walk[i - 1], walk[i]), 0) << field << " out of order at " << i << ": " << walk[i].AsString();
  for (const Variant& probe : probes) {
    size_t want = 0;
    while (want < walk.size() && cmp(walk[want], probe) < 0) ++want;
    bool found = want < walk.size() && cmp(walk[want], probe) == 0;
    ASSERT_EQ(ds.FindKey({probe}), found) << field << " probe " << probe.AsString();
    ds.FindNearest({probe});
    ASSERT_EQ(ds.RecNo(), static_cast<int>(std::min(want + 1, walk.size()))) << field << " probe " << probe.AsString();
    if (found) {
      ASSERT_TRUE(ds.Locate(field, {probe}, loCaseInsensitive));
      ASSERT_EQ(ds.RecNo(), static_cast<int>(want + 1));
    }
  }
  ds.SetIndexName("");
  ds.SetIndexFieldNames("");
  ds.ClearIndexDefs();
}

std::string RandomText(std::mt19937& rng) {
  static const char* const kBits[] = {"a", "A", "b", "B", "z", " ", "á", "Á", "é", "ç", "1", "~", "\t"};
  std::string s = rng() % 4 == 0 ? "abcdefg" : "";  // shared beyond what a short key holds
  for (size_t n = rng() % 10; n > 0; --n) s += kBits[rng() % std::size(kBits)];
  return s;
}

TEST(OrderedRowsShortKeys, TextIndexFollowsTheCollationThroughEdits) {
  TClientDataSet ds;
  ds.AddFieldDef("ID", TFieldType::ftInteger);
  ds.AddFieldDef("T", TFieldType::ftString, 40);
  ds.CreateDataSet();
  std::mt19937 rng(11);
  auto value = [&]() -> Variant { return rng() % 10 == 0 ? Variant() : Variant(RandomText(rng)); };
  for (int i = 0; i < 3000; ++i) ds.AppendRecord({i, value()});
  std::vector<Variant> probes = {Variant(), "", " ", "abcdefg", "ABCDEFG  ", "abcdefgá", "a b", "Á"};
  for (int i = 0; i < 300; ++i) probes.push_back(value());
  RefCompare ref = [](const Variant& a, const Variant& b) {
    return NullsFirst(a, b, [&] { return detail::CollateCompare(a.AsString(), b.AsString()); });
  };
  CheckIndex(ds, "T", false, ref, probes);
  CheckIndex(ds, "T", true, ref, probes);
  // Rows change their key and leave under the index; it must stay in order.
  ds.SetIndexFieldNames("T");
  for (int i = 0; i < 1500; ++i) {
    ds.SetRecNo(1 + static_cast<int>(rng() % static_cast<unsigned>(ds.RecordCount())));
    if (i % 5 == 0) {
      ds.Delete();
    } else {
      ds.Edit();
      ds.FieldByName("T").SetValue(value());
      ds.Post();
    }
  }
  CheckIndex(ds, "T", false, ref, probes);
}

TEST(OrderedRowsShortKeys, NumbersDatesAndFlagsKeepTheirOrder) {
  TClientDataSet ds;
  ds.AddFieldDef("I", TFieldType::ftLargeint);
  ds.AddFieldDef("F", TFieldType::ftFloat);
  ds.AddFieldDef("M", TFieldType::ftCurrency);
  ds.AddFieldDef("B", TFieldType::ftBoolean);
  ds.CreateDataSet();
  const int64_t kMin = std::numeric_limits<int64_t>::min(), kMax = std::numeric_limits<int64_t>::max();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<Variant> ints = {Variant(), kMin, kMin + 1, -3, -2, -1, 0, 1, 2, 3, kMax};
  std::vector<Variant> floats = {Variant(), -inf, -2.5, -0.0, 0.0, 1e-300, 2.5, inf};
  std::vector<Variant> money = {Variant(), Currency::FromRaw(kMin), Currency::FromRaw(-15000), Currency::FromRaw(0),
                                Currency::FromRaw(1), Currency::FromRaw(kMax)};
  std::vector<Variant> flags = {Variant(), false, true};
  std::mt19937 rng(5);
  for (int i = 0; i < 2000; ++i)
    ds.AppendRecord({ints[rng() % ints.size()], floats[rng() % floats.size()], money[rng() % money.size()],
                     flags[rng() % flags.size()]});
  // Integers sought with fractions compare as money.
  std::vector<Variant> intProbes = ints;
  intProbes.insert(intProbes.end(), {Currency::FromRaw(-25000), Currency::FromRaw(-5000), Currency::FromRaw(5000),
                                     Currency::FromRaw(25000), Currency::FromRaw(40000)});
  auto whole = [](const Variant& a, const Variant& b) {
    return NullsFirst(a, b, [&] {
      __extension__ typedef __int128 i128;
      i128 x = static_cast<i128>(a.AsInteger()) * Currency::kScale;
      i128 y = b.Type() == VarType::Currency ? b.AsCurrency().Raw() : static_cast<i128>(b.AsInteger()) * Currency::kScale;
      return x < y ? -1 : (y < x ? 1 : 0);
    });
  };
  auto real = [](const Variant& a, const Variant& b) {
    return NullsFirst(a, b, [&] { return a.AsFloat() < b.AsFloat() ? -1 : (b.AsFloat() < a.AsFloat() ? 1 : 0); });
  };
  auto units = [](const Variant& a, const Variant& b) {
    return NullsFirst(a, b, [&] { return a.AsCurrency() < b.AsCurrency() ? -1 : (b.AsCurrency() < a.AsCurrency() ? 1 : 0); });
  };
  auto flag = [](const Variant& a, const Variant& b) {
    return NullsFirst(a, b, [&] { return static_cast<int>(a.AsBoolean()) - static_cast<int>(b.AsBoolean()); });
  };
  for (bool desc : {false, true}) {
    CheckIndex(ds, "I", desc, whole, intProbes);
    CheckIndex(ds, "F", desc, real, floats);
    CheckIndex(ds, "M", desc, units, money);
    CheckIndex(ds, "B", desc, flag, flags);
  }
}

}  // namespace
}  // namespace vyn
