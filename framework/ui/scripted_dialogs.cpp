#include "framework/ui/scripted_dialogs.h"

#include "framework/component/process_context.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {
const char* KindName(TDialogKind k) {
  switch (k) {
    case TDialogKind::Message: return "mensagem";
    case TDialogKind::Rights: return "direitos";
    case TDialogKind::File: return "arquivo";
    case TDialogKind::Shell: return "shell";
    case TDialogKind::List: return "lista";
    case TDialogKind::Modal: return "tela modal";
    case TDialogKind::Choice: return "seleção";
  }
  return "";
}

std::string LevelLetter(TNivelInconsistencia n) { return n == niErro ? "E" : (n == niAtencao ? "A" : "I"); }
}  // namespace

TScriptedDialogs::TScriptedDialogs() : previous_(ProcessContext().Dialogs) { ProcessContext().Dialogs = this; }

TScriptedDialogs::~TScriptedDialogs() {
  if (ProcessContext().Dialogs == this) ProcessContext().Dialogs = previous_;
}

TScriptedDialogs& TScriptedDialogs::Answer(std::string contains, int answer) {
  expected_.push_back({TDialogKind::Message, std::move(contains), answer, {}, nullptr, {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::Rights(bool allow, std::string screen) {
  expected_.push_back({TDialogKind::Rights, std::move(screen), allow ? 1 : 0, {}, nullptr, {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::Files(std::vector<std::string> chosen) {
  expected_.push_back({TDialogKind::File, "", 0, std::move(chosen), nullptr, {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::Shell(bool ok) {
  expected_.push_back({TDialogKind::Shell, "", ok ? 1 : 0, {}, nullptr, {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::Modal(std::string className, TModalDriver drive) {
  expected_.push_back({TDialogKind::Modal, std::move(className), 0, {}, std::move(drive), {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::List(std::string titleContains) {
  lists_expected_ = true;
  expected_.push_back({TDialogKind::List, std::move(titleContains), 0, {}, nullptr, {}});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::Ticks(std::vector<size_t> ticked, bool confirm, std::string titleContains) {
  Expected e{TDialogKind::Choice, std::move(titleContains), confirm ? 1 : 0, {}, nullptr, {}};
  e.Ticked = std::move(ticked);
  expected_.push_back(std::move(e));
  return *this;
}

void TScriptedDialogs::Fail(const std::string& what) {
  failures_.push_back(what);
  throw EUnexpectedDialog(what);
}

TScriptedDialogs::Expected TScriptedDialogs::Take(TDialogKind kind, const std::string& text) {
  if (expected_.empty()) Fail(std::string("Diálogo inesperado (") + KindName(kind) + "): " + text);
  Expected& e = expected_.front();
  if (e.Kind != kind || (!e.Contains.empty() && text.find(e.Contains) == std::string::npos))
    Fail(std::string("Diálogo inesperado (") + KindName(kind) + "): " + text + " -- esperado (" + KindName(e.Kind) +
         "): " + e.Contains);
  Expected out = std::move(e);
  expected_.pop_front();
  return out;
}

int TScriptedDialogs::Message(const TDialogRequest& r) {
  TDialogCall c;
  c.Kind = TDialogKind::Message;
  c.Text = r.Text;
  c.Type = r.Type;
  c.Buttons = r.Buttons;
  c.Captions = r.Captions;
  calls_.push_back(c);
  Expected e = Take(TDialogKind::Message, r.Text);
  calls_.back().Answer = e.Answer;
  return e.Answer;
}

bool TScriptedDialogs::ShowSegurancaProcesso(const std::string& screen, bool) {
  TDialogCall c;
  c.Kind = TDialogKind::Rights;
  c.Text = screen;
  calls_.push_back(c);
  Expected e = Take(TDialogKind::Rights, screen);
  calls_.back().Answer = e.Answer;
  return e.Answer != 0;
}

std::vector<std::string> TScriptedDialogs::ChooseFile(const TFileRequest& r) {
  TDialogCall c;
  c.Kind = TDialogKind::File;
  c.Text = r.Title;
  calls_.push_back(c);
  Expected e = Take(TDialogKind::File, r.Title);
  calls_.back().Items = e.Files;
  return e.Files;
}

bool TScriptedDialogs::Shell(const std::string& target) {
  TDialogCall c;
  c.Kind = TDialogKind::Shell;
  c.Text = target;
  calls_.push_back(c);
  Expected e = Take(TDialogKind::Shell, target);
  return e.Answer != 0;
}

void TScriptedDialogs::ShowInconsistencias(const TInconsistencias_VYN& list, const std::string& title) {
  TDialogCall c;
  c.Kind = TDialogKind::List;
  c.Text = title;
  for (auto& it : list.Itens())
    c.Items.push_back("[" + LevelLetter(it.Nivel) + "] " + std::to_string(it.CodEmp) + ": " + it.Caption);
  calls_.push_back(std::move(c));
  if (lists_expected_) Take(TDialogKind::List, title);
}

void TScriptedDialogs::RunModal(TForm_VYN& form) {
  TDialogCall c;
  c.Kind = TDialogKind::Modal;
  c.Text = form.ClassName();
  calls_.push_back(c);
  Expected e = Take(TDialogKind::Modal, form.ClassName());
  if (e.Drive) e.Drive(form);
}

bool TScriptedDialogs::ChooseItems(const std::string& title, const std::vector<std::string>& items,
                                   std::vector<bool>& checked) {
  TDialogCall c;
  c.Kind = TDialogKind::Choice;
  c.Text = title;
  c.Items = items;
  c.Checked = checked;
  calls_.push_back(std::move(c));
  Expected e = Take(TDialogKind::Choice, title);
  calls_.back().Answer = e.Answer;
  if (e.Answer == 0) return false;
  for (size_t i : e.Ticked)
    if (i >= items.size()) Fail("Seleção sem a posição " + std::to_string(i) + ": " + title);
  checked.assign(items.size(), false);
  for (size_t i : e.Ticked) checked[i] = true;
  return true;
}

std::vector<std::string> TScriptedDialogs::Messages() const {
  std::vector<std::string> out;
  for (auto& c : calls_)
    if (c.Kind == TDialogKind::Message) out.push_back(c.Text);
  return out;
}

std::vector<std::string> TScriptedDialogs::Pending() const {
  std::vector<std::string> out;
  for (auto& e : expected_) out.push_back(std::string(KindName(e.Kind)) + ": " + e.Contains);
  return out;
}

}  // namespace vyn
