#include "framework/ui/chaves_lancamentos.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace vyn {
namespace {

using TPares = std::vector<std::pair<int, int>>;

TPares Pares(const TChavesLancamentos& c) { return TPares(c.begin(), c.end()); }

TEST(ChavesLancamentos, GivesBackEveryPairInTheOrderTheRunMetThem) {
  // Stretches broken by a company change, a gap, a key going back and the same key twice.
  const TPares entrada{{1, 10}, {1, 11}, {1, 12}, {2, 13}, {2, 14}, {1, 15}, {1, 20},
                       {1, 21}, {1, 5},  {1, 5},  {3, 0},  {3, 1},  {2, 7}};
  TChavesLancamentos c;
  for (const auto& p : entrada) c.push_back(p);
  EXPECT_EQ(c.size(), entrada.size());
  EXPECT_EQ(Pares(c), entrada);
  // What a caller builds from them: a set, and the list with more pairs after it.
  const std::set<std::pair<int, int>> distintas(c.begin(), c.end());
  EXPECT_EQ(distintas.size(), entrada.size() - 1);
  TChavesLancamentos mais = c;
  const TPares depois{{2, 8}, {4, 1}};
  mais.Acrescenta(depois.begin(), depois.end());
  TPares esperado = entrada;
  esperado.insert(esperado.end(), depois.begin(), depois.end());
  EXPECT_EQ(Pares(mais), esperado);
  EXPECT_EQ(Pares(c), entrada);
}

TEST(ChavesLancamentos, AnEmptyOrClearedListHasNothingToWalk) {
  TChavesLancamentos c;
  EXPECT_TRUE(c.empty());
  EXPECT_TRUE(c.begin() == c.end());
  for (int k = 1; k <= 100000; ++k) c.push_back({1, k});
  EXPECT_EQ(c.size(), 100000u);
  EXPECT_EQ(Pares(c).back(), std::make_pair(1, 100000));
  c.clear();
  EXPECT_TRUE(c.empty());
  EXPECT_TRUE(Pares(c).empty());
}

}  // namespace
}  // namespace vyn
