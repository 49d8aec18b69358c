#include "framework/core/temp_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vyn;

TEST(TempName, UniquePerCallWithSuffixAndSafeCharacters) {
  std::set<std::string> names;
  for (int i = 0; i < 2000; ++i) {
    const std::string n = TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt");
    ASSERT_TRUE(names.insert(n).second) << n;
    ASSERT_EQ(n.substr(n.size() - 4), ".txt");
    ASSERT_EQ(n.find_first_not_of("0123456789abcdef_.tx"), std::string::npos) << n;
  }
  const std::string folder = TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  EXPECT_EQ(folder.find('.'), std::string::npos);
}
