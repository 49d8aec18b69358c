#pragma once
// The matching criteria of an automatic reconciliation (document, value, date, leading zeros), as the
// statement dialog and the OFC screen offer them.
#include "framework/ui/choice_controls.h"

namespace integracao {

// With the reconciliation on, the value, date and zeros boxes are the user's only when the document is
// matched too; without the document the match is always by value and date, with zeros ignored. With
// it off every box is cleared and disabled.
inline void AplicaCriteriosConciliacao(bool ativo, vyn::TCheckBox& documento, vyn::TCheckBox& valor,
                                       vyn::TCheckBox& data, vyn::TCheckBox& zeros, vyn::TControl& grupo) {
  for (vyn::TControl* c : std::initializer_list<vyn::TControl*>{&documento, &valor, &data, &zeros, &grupo})
    c->SetEnabled(ativo);
  if (!ativo) {
    for (vyn::TCheckBox* c : {&documento, &valor, &data, &zeros}) c->SetChecked(false);
    return;
  }
  const bool doc = documento.Checked();
  for (vyn::TCheckBox* c : {&valor, &data, &zeros}) c->SetEnabled(doc);
  if (!doc) {
    valor.SetChecked(true);
    data.SetChecked(true);
    zeros.SetChecked(false);
  }
}

}  // namespace integracao
