#pragma once
// The cost-centre split of an entry: the rows of a side (debit or credit) share out that side's
// amount, so they add up to the entry's value. The file reader and the reviews' check of an edited
// line judge a split by this one rule.
#include <string>

#include <fmt/format.h>

#include "framework/core/currency.h"

namespace vyn {

struct TRateioCentroCusto {
  Currency Soma[2];
  bool Tem[2] = {false, false};

  // A row of the side debCre (0 debit, 1 credit); another side is no row of a split.
  void Adiciona(int debCre, Currency valor) {
    if (debCre != 0 && debCre != 1) return;
    Soma[debCre] += valor;
    Tem[debCre] = true;
  }
  // Why the split cannot go with an entry of this value; empty when it adds up (or has no rows).
  std::string QueNaoFecha(Currency valor) const {
    for (int lado : {0, 1})
      if (Tem[lado] && Soma[lado] != valor)
        return fmt::format("os centros de custo a {} somam {} e o lançamento vale {}", lado == 0 ? "débito" : "crédito",
                           Soma[lado].ToBR(), valor.ToBR());
    return {};
  }
};

}  // namespace vyn
