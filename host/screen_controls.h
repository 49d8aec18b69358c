#pragma once
// What a user's hands do to one control of a screen, for the host's scripts: values typed, ticked or
// picked, rows selected, cells edited, keys pressed, and what the control shows. A control that
// cannot take the action throws std::invalid_argument naming it.
#include <string>

#include <nlohmann/json.hpp>

#include "framework/ui/control.h"

namespace integracao_host {

// The step's own arguments besides the control: "item", "row", "field", "value".
void DefineValor(vyn::TControl& c, const nlohmann::json& passo);
void Seleciona(vyn::TControl& c, const nlohmann::json& passo);
std::string LeValor(vyn::TControl& c, const nlohmann::json& passo);
// Clicks a button or box; a focusable control (not a speed button) takes the focus first.
void Clica(vyn::TControl& c);
// Double-clicks a list's or grid's selected row.
void DuploClique(vyn::TControl& c);
// A key ("Enter", "Esc", "PgDn", "F6", "Ctrl+Delete", "A") on the form, then on the control.
void PressionaTecla(vyn::TForm_VYN& form, vyn::TControl* alvo, const std::string& tecla);
// Focuses c as a user's click or tab would. Throws when an exit handler kept the focus elsewhere.
void Foca(vyn::TControl& c);
// Moves the focus to the control, whose exit handlers may send it on: it must land on the control
// named `destino` (the screen's own move, as a user sees it).
void FocaAte(vyn::TControl& c, const std::string& destino);

// A JSON value as the text a user types ("True"/"False" for booleans).
std::string Texto(const nlohmann::json& v);

}  // namespace integracao_host
