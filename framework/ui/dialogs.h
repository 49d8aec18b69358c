#pragma once
// Dialogs, the rights prompt, the file chooser and the shell. Screens never draw them: they ask the
// dialog service of the process context, which the host answers from its script or the terminal and
// tests answer from a script. In an unattended run a dialog is a defect: it throws instead of asking.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vyn {

class TComponent;
class TLogEvent;
class TInconsistencias_VYN;
class TForm_VYN;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
  mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3, mbAbort = 1u << 4,
  mbRetry = 1u << 5, mbIgnore = 1u << 6, mbAll = 1u << 7, mbNoToAll = 1u << 8,
  mbYesToAll = 1u << 9, mbHelp = 1u << 10, mbClose = 1u << 11
};
using TMsgDlgButtons = unsigned;

// Modal results, as the suite numbers them.
enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
  mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11
};

// The modal result a button gives.
int ButtonResult(TMsgDlgBtn b);
// The word an answer is written to the action log with ("Sim", "Não", "Cancelar", ...).
std::string AnswerText(int modalResult);

struct TDialogRequest {
  std::string Text;                    // already without carets
  TMsgDlgType Type = mtInformation;
  TMsgDlgButtons Buttons = mbOK;
  std::vector<std::string> Captions;   // custom captions, one per button in bit order; may be empty
  int HelpCtx = 0;
};

struct TFileRequest {
  std::string Title;
  std::string Filter;       // "Texto|*.txt"
  std::string InitialDir;
  bool Multiple = false;    // several files may be chosen
  bool Folder = false;      // a folder, not files
  bool Save = false;        // a file name to write
};

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // The answer of a message box: the modal result of the pressed button; closing it gives mrCancel.
  virtual int Message(const TDialogRequest& request) = 0;
  // The user-rights prompt of a screen: True when the run may go on.
  virtual bool ShowSegurancaProcesso(const std::string& screen, bool unattended) = 0;
  // The chosen files or folder; empty when the user gave up.
  virtual std::vector<std::string> ChooseFile(const TFileRequest& request) = 0;
  // Opens a document, folder or address with the system's program; False when that failed.
  virtual bool Shell(const std::string& target) = 0;
  // Shows a run's inconsistency list at its end.
  virtual void ShowInconsistencias(const TInconsistencias_VYN& list, const std::string& title) = 0;
  // Drives a modal form while it is open (the user's part); the form closes itself or is closed
  // after this returns.
  virtual void RunModal(TForm_VYN& form) = 0;
  // A list of choices with ticks: `checked` holds the ticks shown and, when the user confirms (True),
  // the ticks left; giving up answers False and leaves it as it was.
  virtual bool ChooseItems(const std::string& title, const std::vector<std::string>& items,
                           std::vector<bool>& checked) = 0;
  // A window shown without a modal run, and any window going away: the host follows the screens
  // a user sees (the last one opened is the one in front).
  virtual void FormShown(TForm_VYN& form) {}
  virtual void FormGone(TForm_VYN& form) {}
};

// A dialog asked inside an unattended run; carries the dialog's text.
class EDialogInUnattendedRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No dialog service in the process context.
class ENoDialogService : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Marks a stretch of an unattended run: dialogs inside it throw EDialogInUnattendedRun.
class TUnattendedScope {
 public:
  TUnattendedScope();
  ~TUnattendedScope();
  TUnattendedScope(const TUnattendedScope&) = delete;
  TUnattendedScope& operator=(const TUnattendedScope&) = delete;
};
// The one question whether a user is there: true while a task runs, a scheduled screen's flag
// (TUnattendedFlag) is set or a TUnattendedScope is open. Code asks this, never a flag of its own.
bool IsUnattended();

// The unattended flag of a screen (`FIsTARVO`): while set, the process counts an unattended run.
class TUnattendedFlag {
 public:
  TUnattendedFlag() = default;
  ~TUnattendedFlag();
  TUnattendedFlag(const TUnattendedFlag&) = delete;
  TUnattendedFlag& operator=(bool on);
  // Takes the other's state, counting it here: a flag copied bit by bit would leave the count wrong.
  TUnattendedFlag& operator=(const TUnattendedFlag& other) { return *this = other.on_; }
  operator bool() const { return on_; }

 private:
  bool on_ = false;
};

// The message functions. '^' is removed before display. With a log, a confirmation and its answer
// are added to it as the line: Mensagem: "<text>". Resposta: "<answer>".
void DlgInfOk(std::string_view text, TLogEvent* log = nullptr);
void DlgWarOk(std::string_view text, TLogEvent* log = nullptr);
void DlgErroOk(std::string_view text, TLogEvent* log = nullptr);
// Yes/No: mrYes or mrNo (mrCancel when the box was closed). The run goes on only on mrYes.
int DlgConfSimNao(std::string_view text, TLogEvent* log = nullptr);
// Yes/No where Esc answers Cancel.
int DlgConfSimNaoEsc(std::string_view text, TLogEvent* log = nullptr);
// Asks Yes/No and adds the text, a blank and "Sim" or "Não" to the log; True on Yes.
bool DlgConfirmaLog(std::string_view text, TLogEvent* log);
int MessageDlgVYN(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0,
                  TLogEvent* log = nullptr);
// With custom button captions ("&Sim", "Aguardar a conclusão", ...), one per button in bit order.
int MessageDlgVYNGlobal(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                        const std::vector<std::string>& captions, int helpCtx = 0, TLogEvent* log = nullptr);

// The rights prompt of a screen (its class name); False stops the operation.
bool ShowSegurancaProcesso(const TComponent* screen);
std::vector<std::string> ChooseFile(const TFileRequest& request);
// A list of choices with ticks, as IDialogService::ChooseItems.
bool ChooseItems(const std::string& title, const std::vector<std::string>& items, std::vector<bool>& checked);
bool ShellExecuteVYN(const std::string& target);

// The dialog service of the process context; throws ENoDialogService when none is set.
IDialogService& Dialogs();

}  // namespace vyn
