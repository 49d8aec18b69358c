#pragma once
// One entry's data as a screen hands it to the multiple-entry editor.
#include <cstdint>
#include <string>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

struct TDadosLancamento {
  int64_t Chave = 0;
  std::string Lote;
  TDateTime Data;
  int64_t Debito = 0;
  int64_t TerceiroDebito = 0;
  int64_t Credito = 0;
  int64_t TerceiroCredito = 0;
  Currency Valor;
  int64_t Historico = 0;
  std::string Documento;
  std::string Complemento;
};

}  // namespace vyn
