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
// A grid's row ("row", and the cell's "field") or a list's "item" is clicked as a mouse does:
// press, cell click, release; "shift"/"ctrl": true hold those keys (several rows selected).
// Clicks a button or box; a focusable control (not a speed button) takes the focus first.
// Answers the menu the click dropped (a button's drop-down menu), or null.
vyn::TMenuItem* Clica(vyn::TControl& c);
// A press on a button's drop-down arrow: its menu drops without the click running. Answers the
// menu; a button without one, or out of reach with its menu, is refused.
vyn::TMenuItem* AbreMenu(vyn::TControl& c);
// Presses a path field's browse button (or clicks a button), which opens the file chooser.
void Procura(vyn::TControl& c);
// A right-button click on the control (a grid's "row"/"field", a list's "item" first): the mouse
// events run, then the control's popup menu drops down. Answers the menu dropped, or null when
// the control has none or it is out of reach (a user sees nothing open).
vyn::TMenuItem* CliqueDireito(vyn::TControl& c, const nlohmann::json& passo);
// Whether a click on a menu item is one a user can make: every item above it enabled and visible,
// and, for an item of a menu some control of its screen drops, that menu dropped now (`aberto`).
// Throws std::invalid_argument saying why not.
void VerificaItemDeMenu(vyn::TMenuItem& item, const vyn::TMenuItem* aberto);

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
