#pragma once
// Additional parts of a settlement link (fine, interest, discount) and the dictionary the large-file
// entry review fills for the settlement engine.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/core/currency.h"

namespace vyn {

// Kinds of an additional part; the kind also travels unchanged to the installment manager.
enum TTipoBaixaAdicional : uint8_t { tbaDesconto = 2, tbaMulta = 3, tbaJuros = 4 };

struct TBaixaAdicional {
  uint8_t Tipo = 255;   // not set: no kind of part (2 discount, 3 fine, 4 interest) is assumed
  int ContaDebito = 0;
  int ContaCredito = 0;
  Currency Valor;
};

using TListaBaixaAdicional = std::vector<TBaixaAdicional>;
using TBaixasAdicionaisDoVinculo = std::map<std::string, TListaBaixaAdicional>;

// The key of a link's additional parts. Every writer and reader of the dictionary builds it here:
// the parts are separated so that (2,1,12,3) and (2,1,1,23) stay different links.
std::string ChaveBaixaAdicional(int tipoBaixa, int subtipoBaixa, int64_t baixaId, int ordem);

}  // namespace vyn
