#include "framework/ui/control.h"

#include "framework/core/text.h"
#include "framework/ui/form.h"

namespace vyn {

TControl::TControl(TComponent* owner) : TComponent(owner) {}

bool TControl::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TControl") || TComponent::InheritsFrom(class_name);
}

TForm_VYN* TControl::Form() const {
  for (TComponent* p = Owner(); p; p = p->Owner())
    if (auto* f = dynamic_cast<TForm_VYN*>(p)) return f;
  return nullptr;
}

void TControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window: " + Name());
  if (TForm_VYN* f = Form()) {
    f->FocusControl(this);
  } else {
    DoEnter();
  }
}

bool TControl::Focused() const {
  TForm_VYN* f = Form();
  return f && f->ActiveControl() == this;
}

void TControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TButtonControl::Click() {
  if (Enabled() && Visible() && OnClick) OnClick(this);
}

void TSpeedButton::Click() {
  if (!Enabled() || !Visible()) return;
  if (GroupIndex != 0) {
    if (Down && AllowAllUp) {
      Down = false;
    } else if (!Down) {
      Down = true;
      if (TComponent* dono = Owner())
        for (TComponent* c : dono->Components())
          if (auto* b = dynamic_cast<TSpeedButton*>(c); b && b != this && b->GroupIndex == GroupIndex) b->Down = false;
    }
  }
  if (OnClick) OnClick(this);
}

bool TSpeedButton::DropDown() {
  if (!DropdownMenu || !Enabled() || !Visible() || !DropdownMenu->Reachable()) return false;
  DropdownMenu->Popup(this);
  return true;
}

void TButton::Click() {
  if (!Enabled() || !Visible()) return;
  if (OnClick) OnClick(this);
  if (ModalResult != mrNone)
    if (TForm_VYN* f = Form()) f->SetModalResult(ModalResult);
}

void TMenuItem::Click() {
  if (!Enabled()) return;
  if (AutoCheck) Checked = !Checked;
  if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::Add(const std::string& name, const std::string& caption) {
  auto* m = Create<TMenuItem>();
  m->SetName(name);
  m->SetCaption(caption);
  return m;
}

TMenuItem* TMenuItem::Parent() const { return dynamic_cast<TMenuItem*>(Owner()); }

TMenuItem* TMenuItem::Menu() {
  TMenuItem* m = this;
  while (TMenuItem* p = m->Parent()) m = p;
  return m;
}

bool TMenuItem::Reachable() const {
  for (const TMenuItem* m = this; m; m = m->Parent())
    if (!m->Enabled() || !m->Visible()) return false;
  return true;
}

void TMenuItem::Popup(TControl* from) {
  popup_component_ = from;
  if (OnPopup) OnPopup(this);
}

std::vector<TMenuItem*> TMenuItem::Items() const {
  std::vector<TMenuItem*> out;
  for (TComponent* c : Components())
    if (auto* m = dynamic_cast<TMenuItem*>(c)) out.push_back(m);
  return out;
}

TLabel* CriaRotulo(TComponent& owner, const std::string& nome, const std::string& caption) {
  auto* l = owner.Create<TLabel>();
  l->SetName(nome);
  l->SetCaption(caption);
  return l;
}

TSpeedButton* CriaBotao(TComponent& owner, const std::string& nome, const std::string& hint, bool habilitado) {
  auto* b = owner.Create<TSpeedButton>();
  b->SetName(nome);
  b->SetHint(hint);
  b->SetEnabled(habilitado);
  return b;
}

}  // namespace vyn
