#include "framework/ui/dialogs.h"

#include "framework/component/component.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/log_event.h"

namespace vyn {

int ButtonResult(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbClose: return mrClose;
    case mbHelp: return mrNone;
  }
  return mrNone;
}

std::string AnswerText(int modalResult) {
  switch (modalResult) {
    case mrYes: return "Sim";
    case mrNo: return "Não";
    case mrOk: return "Ok";
    case mrCancel: return "Cancelar";
    case mrAbort: return "Abortar";
    case mrRetry: return "Repetir";
    case mrIgnore: return "Ignorar";
    case mrAll: return "Todos";
    case mrNoToAll: return "Não para todos";
    case mrYesToAll: return "Sim para todos";
    case mrClose: return "Fechar";
    default: return "";
  }
}

TUnattendedScope::TUnattendedScope() { ++ProcessContext().Unattended; }
TUnattendedScope::~TUnattendedScope() { --ProcessContext().Unattended; }
bool IsUnattended() { return ProcessContext().Unattended > 0; }

TUnattendedFlag::~TUnattendedFlag() { *this = false; }

TUnattendedFlag& TUnattendedFlag::operator=(bool on) {
  if (on != on_) {
    ProcessContext().Unattended += on ? 1 : -1;
    on_ = on;
  }
  return *this;
}

IDialogService& Dialogs() {
  IDialogService* d = ProcessContext().Dialogs;
  if (!d) throw ENoDialogService("No dialog service in the process context");
  return *d;
}

namespace {

int Ask(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
        std::vector<std::string> captions, int helpCtx, TLogEvent* log) {
  TDialogRequest r;
  r.Text = RemoveCaret(text);
  if (IsUnattended()) throw EDialogInUnattendedRun(r.Text);
  r.Type = type;
  r.Buttons = buttons;
  r.Captions = std::move(captions);
  r.HelpCtx = helpCtx;
  int answer = Dialogs().Message(r);
  // A box with a single button is a notice, not a confirmation: nothing to log.
  bool question = (buttons & (buttons - 1)) != 0;
  if (log && question) {
    // A Yes/No question knows only Sim and Não: closing the box is a No.
    std::string word = (buttons == (mbYes | mbNo) && answer != mrYes) ? "Não" : AnswerText(answer);
    log->AddAcao("Mensagem: \"" + r.Text + "\". Resposta: \"" + word + "\"");
  }
  return answer;
}

}  // namespace

void DlgInfOk(std::string_view text, TLogEvent* log) { Ask(text, mtInformation, mbOK, {}, 0, log); }
void DlgWarOk(std::string_view text, TLogEvent* log) { Ask(text, mtWarning, mbOK, {}, 0, log); }
void DlgErroOk(std::string_view text, TLogEvent* log) { Ask(text, mtError, mbOK, {}, 0, log); }

int DlgConfSimNao(std::string_view text, TLogEvent* log) {
  return Ask(text, mtConfirmation, mbYes | mbNo, {}, 0, log);
}

int DlgConfSimNaoEsc(std::string_view text, TLogEvent* log) {
  return Ask(text, mtConfirmation, mbYes | mbNo | mbCancel, {}, 0, log);
}

bool DlgConfirmaLog(std::string_view text, TLogEvent* log) {
  bool yes = Ask(text, mtConfirmation, mbYes | mbNo, {}, 0, nullptr) == mrYes;
  if (log) log->AddAcao(RemoveCaret(text) + (yes ? " Sim" : " Não"));
  return yes;
}

int MessageDlgVYN(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx,
                  TLogEvent* log) {
  return Ask(text, type, buttons, {}, helpCtx, log);
}

int MessageDlgVYNGlobal(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons,
                        const std::vector<std::string>& captions, int helpCtx, TLogEvent* log) {
  return Ask(text, type, buttons, captions, helpCtx, log);
}

bool ShowSegurancaProcesso(const TComponent* screen) {
  return Dialogs().ShowSegurancaProcesso(screen ? screen->ClassName() : std::string(), IsUnattended());
}

std::vector<std::string> ChooseFile(const TFileRequest& request) {
  if (IsUnattended()) throw EDialogInUnattendedRun(RemoveCaret(request.Title));
  return Dialogs().ChooseFile(request);
}

bool ChooseItems(const std::string& title, const std::vector<std::string>& items, std::vector<bool>& checked) {
  if (IsUnattended()) throw EDialogInUnattendedRun(RemoveCaret(title));
  return Dialogs().ChooseItems(title, items, checked);
}

bool ShellExecuteVYN(const std::string& target) { return Dialogs().Shell(target); }

}  // namespace vyn
