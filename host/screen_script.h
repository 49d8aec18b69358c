#pragma once
// Drives screens without a window from a JSON script, as a user's hands would:
//   {"answers": ["yes", "ok", 7],                  answers to the dialogs, in the order they come
//    "steps": [{"set": "edCODEMP", "value": "1"},  focuses the control (the previous one's exit and
//                                                  this one's enter run), then types, ticks or picks
//              {"focus": "edDataIni"},             moves the focus
//              {"focus": "edX", "lands": "edY"},   moves it where the screen sends it on (an exit
//                                                  handler's own move)
//              {"click": "spOK"},                  a button (a focusable one takes the focus first);
//                                                  a button with a drop-down menu drops it, unless
//                                                  only its arrow does; a code edit's search button
//                                                  opens its search list
//              {"drop": "spImportacao"},           the arrow of a button's drop-down: its menu
//                                                  drops, the button's click does not run
//              {"key": "F6", "to": "grGrid"},      a key on the screen (and the control): Enter, Esc,
//                                                  PgDn, F1..F12, "Ctrl+Delete", a letter
//              {"select": "lvEmpresas", "item": 2},  a list, tree, combo or radio row; a grid's
//                                                  {"select": "grGrid", "row": 3, "field": "BDX"}
//                                                  is a mouse click on the cell (press, cell click,
//                                                  release); "shift"/"ctrl": true extend the
//                                                  selection of a multi-select grid or list
//              {"rclick": "grGrid", "row": 2},     a right-button click: drops the control's popup
//              {"click": "miItem"},                menu, whose item the next step may pick; an item
//                                                  of a menu not dropped, or of a disabled menu,
//                                                  is refused
//              {"activate": "Lançamento 1"},       double-clicks the item starting with that text in
//                                                  the last inconsistency list shown
//              {"browse": "edArquivo", "path": "{dir}/a.pdf"},  presses the field's browse button
//                                                  (or clicks a button) and answers the file
//                                                  chooser with the path (a list: several files)
//              {"dblclick": "lvExtratos", "item": "502"},  picks the row (optional) and
//                                                  double-clicks it (lists and grids)
//              {"tab": "pcPaginas", "value": "Filtros"},
//              {"set": "grGrid", "row": 1, "field": "BDDEBITO", "value": "30"},  a cell, through the
//                                                  grid's fields container
//              {"read": "edNome", "expect": "Empresa Modelo Ltda"},
//              {"read": "grGrid", "columns": true, "expect": "Nome | CPF"},  a grid's visible column
//                                                  titles, left to right, " | " between them
//              {"close": "TfrConsultaImportacaoExtratoBancario"}],   the window's close box (the
//                                                  screen named, or the newest one with true)
//              {"cancel": "progress", "after": 2}, arms the progress window's cancel button: the
//                                                  next run's window that has one is pressed when
//                                                  the run looks at it the 2nd time (default 1)
//    "modals": [{"form": "TfrSelecaoRecontabilizacao",   the screens the run opens, modal or not,
//                "steps": [{"click": "spConfirmar"}]}]}  in the order they open
// A base step reaches the control on the newest open screen that has it; a step of a screen's
// section reaches only that screen (a control it lacks fails the step); "form": CLASS picks the
// screen. "item" is a row's index or caption (check lists, list views, trees: "Pai/Filho").
// Between steps the window loop runs: work posted to the main thread, the enabled timers of the
// open screens, then the sections of screens opened without a modal run.
#include <deque>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"
#include "framework/ui/terminal_dialogs.h"

namespace integracao_host {

// The script's answers as modal results ("yes"/"sim", "no"/"não", "ok", "cancel", or a number; or
// {"answer": one of those, "hold_until_stopped": true}).
// A word it does not know throws std::invalid_argument.
std::vector<int> RespostasDoScript(const nlohmann::json& script);

// One script run over the screens a user sees. Install it as the dialog service (it is the
// terminal's, following the screens as they open and go); then Executa the base screen. The script
// is the user's whole part: a question, a list of choices or a file chooser it gives no answer to
// fails the step that raised it (and the run), never waits for the terminal.
class TExecucaoScript : public vyn::TTerminalDialogs, public vyn::IProgressRenderer {
 public:
  // Throws std::invalid_argument when "modals" is not a list of {"form": CLASS, "steps": [...]}.
  TExecucaoScript(const nlohmann::json& script, std::istream& in, std::ostream& out, std::ostream& err);

  // Runs the base steps on the screen (already shown). False when a step failed, a read differed
  // from its expectation, a modal screen was unexpected or an expected screen never opened.
  bool Executa(vyn::TForm_VYN& base);
  // Whether an inconsistency list shown during the run held an error or a warning.
  bool MostrouProblemas() const { return mostrou_problemas_; }
  // Whether the user pressed a progress window's cancel: the run stopped short of its work.
  bool Cancelou() const { return cancelou_; }
  // Whether the last list shown during the run held just these items: a screen that shows its own
  // list at the end of its run must not see it printed a second time.
  bool JaMostrou(const vyn::TInconsistencias_VYN& list) const;

  // A notice (OK alone) needs no answer; any other box takes the script's next answer.
  int Message(const vyn::TDialogRequest& request) override;
  void RunModal(vyn::TForm_VYN& form) override;
  void FormShown(vyn::TForm_VYN& form) override;
  void FormGone(vyn::TForm_VYN& form) override;
  void ShowInconsistencias(const vyn::TInconsistencias_VYN& list, const std::string& title) override;
  // The script's "choices", in order: the texts to tick in each list of choices ("cancel" gives
  // up); past them, the step fails.
  bool ChooseItems(const std::string& title, const std::vector<std::string>& items,
                   std::vector<bool>& checked) override;
  // The "browse" step's path while it presses the button; past it, the step fails.
  std::vector<std::string> ChooseFile(const vyn::TFileRequest& request) override;

  // The progress windows: drawn by `desenho` (may be null), their cancel pressed by the script.
  void InstalaProgresso(vyn::IProgressRenderer* desenho) { desenho_ = desenho; }
  void Update(const vyn::TfrStatusProcesso& window) override;
  bool CancelRequested(const vyn::TfrStatusProcesso& window) override;
  void Close(const vyn::TfrStatusProcesso& window) override;

 private:
  struct TSecao {
    std::string Form;
    nlohmann::json Steps;
  };
  // `tela`: the screen whose section the steps are (null: the base steps).
  bool ExecutaPassos(const nlohmann::json& passos, const std::string& onde, vyn::TForm_VYN* tela);
  void ExecutaPasso(const nlohmann::json& passo);
  void Escolhe(vyn::TControl& c, const nlohmann::json& caminho);
  void Ativa(const std::string& inicio);
  // The window loop between a user's actions.
  void Ocioso();
  // A box the script gives no answer to: the run fails, and the step that raised it stops here.
  [[noreturn]] void SemResposta(const std::string& oque);
  // An answer marked "hold_until_stopped": the user stops the program right after giving it.
  void AguardaParada();
  bool ProximaSecaoE(const vyn::TForm_VYN& form) const;
  bool Aberta(const vyn::TForm_VYN* form) const;
  // The control on the newest open screen that has it (the step's "form" picks the screen).
  vyn::TControl* Controle(const nlohmann::json& passo, const std::string& nome);
  vyn::TForm_VYN& Tela(const nlohmann::json& passo);

  nlohmann::json script_;
  std::vector<TSecao> secoes_;
  size_t proxima_ = 0;
  std::deque<nlohmann::json> escolhas_;
  std::vector<vyn::TForm_VYN*> abertas_;                              // oldest first
  std::deque<std::pair<vyn::TForm_VYN*, size_t>> pendentes_;          // shown, with their section
  vyn::TForm_VYN* escopo_ = nullptr;                                // the section's screen
  vyn::TMenuItem* menu_aberto_ = nullptr;                           // dropped by the last step
  std::optional<std::vector<std::string>> arquivos_;                // the chooser's answer
  std::vector<bool> aguarda_parada_;   // per answer, in order
  bool ok_ = true;
  bool mostrou_problemas_ = false;
  bool cancelou_ = false;
  std::vector<std::string> ultima_lista_;   // the last shown list's items, level and text
  // The last shown list as a user has it open: its items, its execute-item call and the screen in
  // front when it showed (the call belongs to a screen that may close).
  std::vector<vyn::TInconsistenciaItem> lista_itens_;
  vyn::TInconsistencias_VYN::TItemEvent lista_executa_;
  vyn::TForm_VYN* lista_tela_ = nullptr;
  vyn::IProgressRenderer* desenho_ = nullptr;
  int cancelar_em_ = 0;   // the look at which the armed cancel is pressed (0: not armed)
  int olhadas_ = 0;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace integracao_host
