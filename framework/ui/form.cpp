#include "framework/ui/form.h"

#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/screen_user_config.h"

namespace vyn {

TForm_VYN::TForm_VYN(TComponent* owner) : TControl(owner) {}

TForm_VYN::~TForm_VYN() {
  // Freed while open: the owner it disabled comes back (an owner being destroyed has already
  // been forgotten through Notification).
  if (showing_ && disabled_owner_) disabled_owner_->SetEnabled(true);
  if (IDialogService* d = ProcessContext().Dialogs) d->FormGone(*this);
}

bool TForm_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TForm_VYN") || SameText(class_name, "TForm") || TControl::InheritsFrom(class_name);
}

void TForm_VYN::AfterConstruction() {
  if (created_) return;
  created_ = true;
  FormCreate();
}

void TForm_VYN::RunFormDestroy() {
  if (destroyed_ || !created_) return;
  destroyed_ = true;
  FormDestroy();
}

void TForm_VYN::Notification(TComponent* c) {
  TControl::Notification(c);
  if (c == Owner()) RunFormDestroy();            // the owner is going: this form goes with it
  if (c == active_) active_ = nullptr;
  if (c == redirect_) redirect_ = nullptr;
  if (c == disabled_owner_) disabled_owner_ = nullptr;
}

void TForm_VYN::Free() {
  RunFormDestroy();
  if (TComponent* o = Owner())
    o->FreeComponent(this);
  else
    std::unique_ptr<TForm_VYN> self(this);
}

void TForm_VYN::Show() {
  AfterConstruction();
  if (showing_) return;
  VisibleChanging();
  showing_ = true;
  closed_ = false;
  SetVisible(true);
  if (disabled_owner_) disabled_owner_->SetEnabled(false);
  // The screen this one was opened from (directly or through one of its controls) loses the
  // activation to it.
  if (TForm_VYN* opener = Form(); opener && opener->Showing()) opener->FormDeactivate();
  if (!modal_)
    if (IDialogService* d = ProcessContext().Dialogs) d->FormShown(*this);
  FormShow();
  if (showing_) FormActivate();
}

int TForm_VYN::ShowModal() {
  AfterConstruction();
  if (IsUnattended()) throw EDialogInUnattendedRun("Tela " + ClassName() + " aberta numa execução automática");
  struct ModalRun {
    explicit ModalRun(bool& m) : modal(m) { modal = true; }
    ~ModalRun() { modal = false; }
    bool& modal;
  } run(modal_);
  modal_result_ = mrNone;
  Show();
  if (showing_) Dialogs().RunModal(*this);
  if (showing_) {
    // Left open: the window's close button.
    if (modal_result_ == mrNone) modal_result_ = mrCancel;
    Close();
  }
  return modal_result_;
}

void TForm_VYN::SetModalResult(int mr) {
  modal_result_ = mr;
  if (mr != mrNone && modal_ && showing_ && !closing_) Close();
}

void TForm_VYN::Close() {
  if (closing_) return;
  closing_ = true;
  TCloseAction action = caHide;
  try {
    FormClose(action);
  } catch (...) {
    closing_ = false;
    throw;
  }
  closing_ = false;
  last_close_action_ = action;
  if (action == caNone) {
    if (modal_) modal_result_ = mrNone;
    return;
  }
  if (modal_ && modal_result_ == mrNone) modal_result_ = mrCancel;
  bool wasShowing = showing_;
  if (wasShowing) VisibleChanging();
  showing_ = false;
  closed_ = true;
  SetVisible(false);
  if (wasShowing && disabled_owner_) disabled_owner_->SetEnabled(true);
  if (wasShowing) FormHide();
  // What the user left on the screen's saved items is kept for the next time it opens.
  for (TComponent* c : Components())
    if (auto* config = dynamic_cast<TScreenUserConfig*>(c)) config->SalvaItens();
  if (OnClose) OnClose(this);
}

void TForm_VYN::FocusControl(TControl* c) {
  // Asked from inside an exit handler (a check that sends the user back, or on to another field):
  // that request wins over the move being made.
  if (exiting_) {
    redirect_ = c;
    redirected_ = true;
    return;
  }
  if (c == active_) return;
  if (TControl* leaving = active_) {
    exiting_ = true;
    redirected_ = false;
    try {
      leaving->DoExit();   // throws: the focus stays where it was
    } catch (...) {
      exiting_ = false;
      throw;
    }
    exiting_ = false;
    if (redirected_) {
      redirected_ = false;
      c = redirect_;
      if (c == leaving) return;   // sent back: it keeps the focus without entering again
    }
  }
  active_ = c;
  if (c) c->DoEnter();
}

void TForm_VYN::DefocusControl() { FocusControl(nullptr); }

void TForm_VYN::SetListaObj(const TListaObj& lista) {
  AfterConstruction();
  lista_ref_ = &lista;
}

const TListaObj& TForm_VYN::AdoptListaObj(TListaObj&& lista) {
  lista_ = std::make_unique<TListaObj>(std::move(lista));
  return *lista_;
}

void ExigeListaDoAbridor(const TListaObj& lista, int minimo, const std::string& texto) {
  if (lista.Count() < minimo) throw EExceptionTratadaInformativa_VYN(texto);
}

}  // namespace vyn
