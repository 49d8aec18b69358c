#pragma once
// Headless controls: the state a user sees and changes, and the events the program relies on.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

using TNotifyEvent = std::function<void(TComponent* sender)>;

// The modifier keys held with a key (the shift argument of the key events).
enum TShiftKey : unsigned { ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2 };

class TForm_VYN;
class TMenuItem;

// An operation the control refuses in its state (focusing a disabled control, ...).
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value the user typed that the control cannot take (a date that does not exist, ...).
class EValidationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TControl"; }
  bool InheritsFrom(const std::string& class_name) const override;

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool e) { enabled_ = e; }
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v) { visible_ = v; }
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(std::string c) { caption_ = std::move(c); }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string h) { hint_ = std::move(h); }
  // Width in pixels, for the screens that lay their controls out by it; nothing is drawn.
  int Width = 0;
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool s) { show_hint_ = s; }
  int TabOrder() const { return tab_order_; }
  void SetTabOrder(int t) { tab_order_ = t; }
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool t) { tab_stop_ = t; }
  // The font the control writes its text in, by name; empty: the screen's.
  const std::string& FontName() const { return font_name_; }
  void SetFontName(std::string f) { font_name_ = std::move(f); }

  // The form this control lives on (the nearest owner that is a form).
  TForm_VYN* Form() const;
  // Whether it can take the focus: enabled and visible (the form need not be shown).
  bool CanFocus() const { return enabled_ && visible_; }
  // Moves the form's focus here; the control losing it runs its exit first. Throws
  // EInvalidOperation on a disabled or invisible control.
  void SetFocus();
  bool Focused() const;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  // The pointer came over the control (what a hint shows may be refreshed then).
  TNotifyEvent OnMouseEnter;
  void MouseEnter() {
    if (visible_ && OnMouseEnter) OnMouseEnter(this);
  }
  // The menu a right-button click on the control drops (none when unset); a mouse-down handler may
  // change it for the spot clicked.
  TMenuItem* PopupMenu = nullptr;

 protected:
  friend class TForm_VYN;
  // Run by the form when focus arrives or leaves; controls with their own exit checks override
  // DoExit and call the inherited one last (a throw keeps the focus).
  virtual void DoEnter();
  virtual void DoExit();

 private:
  bool enabled_ = true;
  bool visible_ = true;
  bool show_hint_ = true;
  bool tab_stop_ = true;
  int tab_order_ = 0;
  std::string caption_;
  std::string hint_;
  std::string font_name_;
};

class TLabel : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TLabel"; }
};

class TPanel : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TPanel"; }
  unsigned Color = 0;   // background as 0xRRGGBB; 0: the form's own
};

class TGroupBox : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TGroupBox"; }
};

// A clickable control: Click runs OnClick only while enabled (and visible).
class TButtonControl : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TButtonControl"; }
  virtual void Click();
  TNotifyEvent OnClick;
};

class TButton : public TButtonControl {
 public:
  using TButtonControl::TButtonControl;
  std::string ClassName() const override { return "TButton"; }
  int ModalResult = 0;   // set on the form when clicked (as a dialog button does)
  void Click() override;
};

class TSpeedButton : public TButtonControl {
 public:
  using TButtonControl::TButtonControl;
  std::string ClassName() const override { return "TSpeedButton"; }
  // A button of a group (GroupIndex not 0) stays down once clicked and lets the other buttons of its
  // group on the same owner up; with AllowAllUp a click on a down button lets it up (a toggle).
  bool Down = false;
  int GroupIndex = 0;
  bool AllowAllUp = false;
  void Click() override;
  bool Marked = false;
  void SetMarked(bool m) { Marked = m; }
  // The image of the maker's image library the button shows, by name; empty: none.
  std::string Imagem;
  // Or its image as an index into its screen's toolbar bitmap list (TfrDadosComplementaresPadrao::
  // ImagensToolbar); -1: none.
  int ImageIndex = -1;
  // The menu the button drops down (none when unset): from its arrow, and once a click on its face
  // has run unless the face has an action of its own (DropdownArrowOnly: the import button, say).
  TMenuItem* DropdownMenu = nullptr;
  bool DropdownArrowOnly = false;
  // A press on the arrow: drops the menu without clicking; false when nothing can drop.
  bool DropDown();
};

// The controls screens build by the dozen, owned by owner: a label with its name and caption, and a
// toolbar button with its name and hint.
TLabel* CriaRotulo(TComponent& owner, const std::string& nome, const std::string& caption);
TSpeedButton* CriaBotao(TComponent& owner, const std::string& nome, const std::string& hint, bool habilitado = true);

// A timer of a screen: nothing ticks by itself here; the host's window loop fires the enabled
// timers of the open screens between a user's actions (Fire), as time passing would.
class TTimer : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTimer"; }
  bool Enabled = false;
  int Interval = 1000;   // milliseconds
  TNotifyEvent OnTimer;
  // Runs OnTimer once when enabled.
  void Fire() {
    if (Enabled && OnTimer) OnTimer(this);
  }
};

// A menu item; the items it owns (Add) are its submenu, and one owned by no item heads a menu (a
// main menu's entry, or a popup menu a control drops).
class TMenuItem : public TButtonControl {
 public:
  using TButtonControl::TButtonControl;
  std::string ClassName() const override { return "TMenuItem"; }
  bool Checked = false;
  bool RadioItem = false;
  bool AutoCheck = false;
  void Click() override;
  TMenuItem* Add(const std::string& name, const std::string& caption);
  std::vector<TMenuItem*> Items() const;
  // The item whose submenu holds this one; null for a menu's head.
  TMenuItem* Parent() const;
  // The head of the menu this item is in (itself when it heads one).
  TMenuItem* Menu();
  // Whether a user can reach the item: it and every item above it enabled and visible.
  bool Reachable() const;

  // Drops the menu down from control (a right-button click, a button's drop-down): OnPopup runs
  // first, as the menu's items follow the spot it opens at.
  void Popup(TControl* from);
  TControl* PopupComponent() const { return popup_component_; }
  TNotifyEvent OnPopup;

 private:
  TControl* popup_component_ = nullptr;
};

}  // namespace vyn
