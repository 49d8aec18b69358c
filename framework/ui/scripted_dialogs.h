#pragma once
// The dialog service of tests: a queue of expected dialogs with their answers. Every call is
// recorded; a dialog nobody expected (or not the one expected next) fails the test with its text.
// Installs itself in the process context while it lives.
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/ui/dialogs.h"

namespace vyn {

class EUnexpectedDialog : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TDialogKind { Message, Rights, File, Shell, List, Modal, Choice };

struct TDialogCall {
  TDialogKind Kind = TDialogKind::Message;
  std::string Text;                 // message text, screen name, file title, target, list title
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = 0;
  std::vector<std::string> Captions;
  int Answer = 0;
  std::vector<std::string> Items;   // a shown list's lines ("[E|A|I] company: text"), or the choices
  std::vector<bool> Checked;        // the ticks a list of choices was shown with
};

class TScriptedDialogs : public IDialogService {
 public:
  using TModalDriver = std::function<void(TForm_VYN&)>;

  TScriptedDialogs();
  ~TScriptedDialogs() override;
  TScriptedDialogs(const TScriptedDialogs&) = delete;
  TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

  // The next message box: its text must contain `contains` (any text when empty).
  TScriptedDialogs& Answer(std::string contains, int answer);
  TScriptedDialogs& Ok(std::string contains = "") { return Answer(std::move(contains), mrOk); }
  TScriptedDialogs& Yes(std::string contains = "") { return Answer(std::move(contains), mrYes); }
  TScriptedDialogs& No(std::string contains = "") { return Answer(std::move(contains), mrNo); }
  TScriptedDialogs& Rights(bool allow, std::string screen = "");
  TScriptedDialogs& Files(std::vector<std::string> chosen);
  TScriptedDialogs& Shell(bool ok = true);
  // The next modal form (class name) and what the user does on it.
  TScriptedDialogs& Modal(std::string className, TModalDriver drive);
  // Shown inconsistency lists are recorded; with this they must be expected too.
  void SetListsExpected(bool on) { lists_expected_ = on; }
  TScriptedDialogs& List(std::string titleContains = "");
  // The next list of choices: the user leaves exactly these positions ticked and confirms, or gives up.
  TScriptedDialogs& Ticks(std::vector<size_t> ticked, bool confirm = true, std::string titleContains = "");

  const std::vector<TDialogCall>& Calls() const { return calls_; }
  std::vector<std::string> Messages() const;           // the texts of the message boxes asked
  const std::vector<std::string>& Failures() const { return failures_; }
  // Expectations not used yet, described.
  std::vector<std::string> Pending() const;
  bool Done() const { return expected_.empty() && failures_.empty(); }

  int Message(const TDialogRequest& request) override;
  bool ShowSegurancaProcesso(const std::string& screen, bool unattended) override;
  std::vector<std::string> ChooseFile(const TFileRequest& request) override;
  bool Shell(const std::string& target) override;
  void ShowInconsistencias(const TInconsistencias_VYN& list, const std::string& title) override;
  void RunModal(TForm_VYN& form) override;
  bool ChooseItems(const std::string& title, const std::vector<std::string>& items,
                   std::vector<bool>& checked) override;

 private:
  struct Expected {
    TDialogKind Kind;
    std::string Contains;
    int Answer = 0;
    std::vector<std::string> Files;
    TModalDriver Drive;
    std::vector<size_t> Ticked;
  };
  Expected Take(TDialogKind kind, const std::string& text);
  [[noreturn]] void Fail(const std::string& what);

  std::deque<Expected> expected_;
  std::vector<TDialogCall> calls_;
  std::vector<std::string> failures_;
  bool lists_expected_ = false;
  IDialogService* previous_;
};

}  // namespace vyn
