#pragma once
// The suite's kinds of ledger entry (BDTIPOLAN), by the index the screens name them with.
namespace vyn {

class TTiposLancamentos {
 public:
  // The stored code of the entry kind of the index; the suite numbers its kinds by that index.
  static constexpr int getCodigoTipoLancamento(int indice) { return indice; }
};

}  // namespace vyn
