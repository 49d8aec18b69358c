#pragma once
// Drives a screen without a window from a JSON script:
//   {"answers": ["yes", "ok", 7],            answers to the dialogs, in the order they come
//    "steps": [{"set": "edCODEMP", "value": "1"},   as the user types, ticks or picks
//              {"focus": "edDataIni"},              moves the focus (the leaving control's exit runs)
//              {"click": "spOK"},
//              {"read": "edNome", "expect": "Empresa Modelo Ltda"}]}
#include <iosfwd>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/ui/form.h"

namespace integracao_host {

// The script's answers as modal results ("yes"/"sim", "no"/"não", "ok", "cancel", or a number).
// A word it does not know throws std::invalid_argument.
std::vector<int> RespostasDoScript(const nlohmann::json& script);

// Runs the steps in order, printing what it reads to out. A step that raises stops the script; its
// error goes to err. Answers False when a step failed or a read differed from its expectation.
bool ExecutaScriptTela(vyn::TForm_VYN& form, const nlohmann::json& script, std::ostream& out, std::ostream& err);

}  // namespace integracao_host
