#pragma once
// Drives a screen without a window from a JSON script:
//   {"answers": ["yes", "ok", 7],            answers to the dialogs, in the order they come
//    "steps": [{"set": "edCODEMP", "value": "1"},   as the user types, ticks or picks
//              {"focus": "edDataIni"},              moves the focus (the leaving control's exit runs)
//              {"click": "spOK"},
//              {"read": "edNome", "expect": "Empresa Modelo Ltda"}],
//    "modals": [{"form": "TfrSelecaoRecontabilizacao",   the modal forms, in the order they open:
//                "steps": [{"click": "spConfirmar"}]}]}  their steps close them (else Cancel)
#include <iosfwd>
#include <string>
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

// The script's modal forms, driven as they open (the dialog service's ModalDriver). A form that is not
// the next one expected is reported and left to be closed with Cancel.
class TModaisDoScript {
 public:
  // Throws std::invalid_argument when "modals" is not a list of {"form": CLASS, "steps": [...]}.
  TModaisDoScript(const nlohmann::json& script, std::ostream& out, std::ostream& err);
  void operator()(vyn::TForm_VYN& form);
  // False when a modal form was unexpected or failed a step, or an expected one never opened
  // (reported here).
  bool Terminou();

 private:
  std::vector<std::pair<std::string, nlohmann::json>> modais_;
  size_t proximo_ = 0;
  bool ok_ = true;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace integracao_host
