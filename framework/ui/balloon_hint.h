#pragma once
// A balloon of guidance or warning a screen points at one of its controls. Nothing is drawn: while
// shown, its caption is the text the user reads and Anchor the control it points at; hidden, it
// holds no text.
#include <string>

#include "framework/ui/control.h"

namespace vyn {

enum TBalloonKind { bkInformacao, bkAviso };

class TBalloonHint : public TControl {
 public:
  explicit TBalloonHint(TComponent* owner = nullptr, TBalloonKind kind = bkInformacao) : TControl(owner), Kind(kind) {
    SetVisible(false);
    SetTabStop(false);
  }
  std::string ClassName() const override { return "TBalloonHint"; }

  TBalloonKind Kind;
  std::string Title;
  int Duracao = 5000;   // milliseconds it stays up on screen
  TControl* Anchor() const { return anchor_; }

  void Show(TControl* anchor, std::string text) {
    anchor_ = anchor;
    SetCaption(std::move(text));
    SetVisible(true);
  }
  void Hide() {
    anchor_ = nullptr;
    SetCaption("");
    SetVisible(false);
  }

 private:
  TControl* anchor_ = nullptr;
};

}  // namespace vyn
