#pragma once
// Complements of entries whose history is a template: the history text's '*' stands for the
// entry's own complement (and, when asked, the payee after it).
#include <cstdint>
#include <string>

#include "framework/component/component.h"

namespace vyn {

class TSubstituiAsterisco : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TSubstituiAsterisco"; }

  // Forgets the entry's values; modal keeps the user's last answer when true.
  void InicializaVariaveis(bool modal);
  int CodHist = 0, CodTphi = 0, CodPlaPadrao = 0;
  int64_t Debito = 0, Credito = 0, TerceiroD = 0, TerceiroC = 0;
  std::string Data, Documento, Complemento, Favorecido;
  bool SubstituiComplemento = false;   // the '*' takes the complement
  bool AcrescentaFavorecido = false;   // the payee follows the complement
  // The complement the entry takes: the history's text with its '*' filled when the history is a
  // template, else the complement as it was. Reads the history from the database.
  std::string GetComplementoAsterisco();
  // The answer the user gave to the substitution question (none is asked here: true).
  bool ModalResposta() const { return modal_; }

 private:
  bool modal_ = true;
};

// The suite's normalised form of a free text: trimmed, runs of blanks made one space.
std::string FormatStrTypeGlobal(const std::string& texto);

}  // namespace vyn
