#pragma once
// The parts a settlement link carries beyond its principal: a fine and interest paid with the
// installment, and a discount granted on it. The linking screens write them, with the principal, as
// the line's multiple entries; the staged entry review splits those into lines of their own at its
// import and the settlement engine posts each part on its own configured accounts.
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/currency.h"

namespace vyn {

class TClientDataSet;
class TDatabase;

struct TParteVinculo {
  uint8_t Tipo;   // TTipoBaixaAdicional
  Currency Valor;
  const char* Nome;
  int ContaDebito = 0, ContaCredito = 0;
};

struct TPartesVinculo {
  Currency Multa, Juros, Desconto;
  std::vector<TParteVinculo> Contas;   // each part with its account, once ContasPartesVinculo found them
  bool Vazias() const { return Multa.IsZero() && Juros.IsZero() && Desconto.IsZero(); }
};

// The user's texts read as parts; an empty text is zero. A text that is not a value, a negative
// one, or fine and interest that leave nothing of the line for the principal, give the refusal to tell.
std::optional<std::string> LePartesVinculo(const std::string& multa, const std::string& juros,
                                           const std::string& desconto, Currency valorLinha, TPartesVinculo& partes);

// Finds each part's account: the side of the company's online configuration for that part that is
// not the line's own (`natureza` 1: the company pays). Gives the refusal to tell when one has none.
std::optional<std::string> ContasPartesVinculo(TDatabase& db, const TClientDataSet& linha, int natureza,
                                               TPartesVinculo& partes);

// Replaces the multiple entries of the line `linha` is on with its principal (the line less its fine
// and interest) and one entry per part found by ContasPartesVinculo.
void GravaPartesVinculo(const TClientDataSet& linha, const TPartesVinculo& partes, TClientDataSet& multi);

// Removes the multiple entries of one line.
void RemovePartesLinha(TClientDataSet& multi, int64_t codEmp, int64_t chave);

}  // namespace vyn
