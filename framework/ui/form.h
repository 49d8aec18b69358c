#pragma once
// The screen base: lifecycle, show and close, modal runs, the owner's enabling and the focus.
#include <memory>
#include <string>

#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"

namespace vyn {

class TListaObj;
class ISequenciaTela;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
// Where the form's window sits: a window of its own, or a child docked inside the host's main window.
enum TFormStyle { fsNormal, fsMDIChild };

class TForm_VYN : public TControl {
 public:
  explicit TForm_VYN(TComponent* owner = nullptr);
  ~TForm_VYN() override;
  std::string ClassName() const override { return "TForm_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Runs FormCreate once; CreateForm and the form loader call it right after construction (the
  // show and hand-over operations call it too, so a form built by hand still gets it).
  void AfterConstruction();
  // Runs FormDestroy and frees the form (through its owner when it has one).
  void Free();

  // Non-modal: runs FormShow and FormActivate and returns; the form stays open.
  void Show();
  // Modal: shows the form, lets the dialog service drive it, and returns its ModalResult once it
  // is closed (a form the driver leaves open is closed as by the window's close button: mrCancel).
  int ShowModal();
  // Runs FormClose; unless it answers caNone the form closes, its owner is enabled again when the
  // loader disabled it, and a modal run ends.
  void Close();
  bool Showing() const { return showing_; }
  bool Modal() const { return modal_; }
  bool Closed() const { return closed_; }
  int ModalResult() const { return modal_result_; }
  // Setting a result on a modal form closes it.
  void SetModalResult(int mr);
  TCloseAction LastCloseAction() const { return last_close_action_; }
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle s) { form_style_ = s; }

  // The owner control this form disables while it is open (set by the loader).
  void DisableOwnerWhileOpen(TControl* owner) { disabled_owner_ = owner; }

  // Focus.
  TControl* ActiveControl() const { return active_; }
  // Moves the focus: the losing control's exit runs first; if it throws, the focus stays. A focus
  // move asked inside that exit is the one made (the control it names gets the focus instead).
  void FocusControl(TControl* c);
  // Leaves the focused control (its exit runs) without focusing another.
  void DefocusControl();

  // The opener's parameter array: read by position. The loader calls these in this order. The
  // base keeps a reference to the list: the loader hands the form the list to keep (AdoptListaObj),
  // anyone else calling SetListaObj keeps the list alive while the form uses it.
  virtual void SetListaObj(const TListaObj& lista);
  virtual void SetListaDAO() {}
  virtual void AfterListaObj() {}
  const TListaObj* ListaObj() const { return lista_ref_; }
  const TListaObj& AdoptListaObj(TListaObj&& lista);

  // Keys: Esc (27) and the others are screen-specific.
  virtual void KeyPress(char& key) {}
  virtual void KeyDown(int& key, unsigned shift) {}
  virtual void KeyUp(int& key, unsigned shift) {}

  TNotifyEvent OnClose;   // after the form closed
  // A click on the form itself, off its controls; runs OnClick while the form is enabled.
  TNotifyEvent OnClick;
  void Click() {
    if (Enabled() && OnClick) OnClick(this);
  }

  // The screen's part in a report sequence (framework/ui/sequencia_relatorio.h); nullptr when it
  // takes no part.
  virtual ISequenciaTela* SequenciaTela() { return nullptr; }

 protected:
  // The screen's lifecycle hooks; overrides call the inherited one first.
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormActivate() {}
  // The screen lost the activation to a screen it opened (that screen is shown over it).
  virtual void FormDeactivate() {}
  virtual void FormClose(TCloseAction& action) {}
  // The screen was hidden: it closed after having been shown.
  virtual void FormHide() {}
  // Just before the form is shown or hidden; Showing() still tells the state it is leaving.
  virtual void VisibleChanging() {}
  virtual void FormDestroy() {}
  void Notification(TComponent* c) override;

 private:
  void RunFormDestroy();
  bool created_ = false;
  bool destroyed_ = false;
  bool showing_ = false;
  bool modal_ = false;
  bool closed_ = false;
  bool closing_ = false;
  int modal_result_ = mrNone;
  TCloseAction last_close_action_ = caHide;
  TFormStyle form_style_ = fsNormal;
  TControl* active_ = nullptr;
  bool exiting_ = false;        // a control's exit is running
  bool redirected_ = false;     // that exit asked for the focus elsewhere: redirect_
  TControl* redirect_ = nullptr;
  TControl* disabled_owner_ = nullptr;
  std::unique_ptr<TListaObj> lista_;
  const TListaObj* lista_ref_ = nullptr;
};

// A screen that works only on what its opener hands over: an open without it (the host's menu hands
// over nothing) is refused with `texto`, an informative exception the opener reports.
void ExigeListaDoAbridor(const TListaObj& lista, int minimo, const std::string& texto);

// Creates a form owned by owner (which frees it) and runs its FormCreate.
template <class T, class... Args>
T* CreateForm(TComponent& owner, Args&&... args) {
  auto p = std::make_unique<T>(&owner, std::forward<Args>(args)...);
  p->AfterConstruction();
  return p.release();
}

// A form held by its maker: freed (FormDestroy first) when the holder goes.
struct TFormDeleter {
  void operator()(TForm_VYN* f) const { f->Free(); }
};
template <class T>
using TFormPtr = std::unique_ptr<T, TFormDeleter>;

template <class T, class... Args>
TFormPtr<T> MakeForm(Args&&... args) {
  TFormPtr<T> p(std::make_unique<T>(nullptr, std::forward<Args>(args)...).release());
  p->AfterConstruction();
  return p;
}

}  // namespace vyn
