#pragma once
// The progress window of a run: one to three label-and-bar pairs, with or without a cancel button.
// Nothing is drawn here; the host's renderer (process context) draws it and reports a cancel.
#include <string>

#include "framework/component/component.h"

namespace vyn {

class TfrStatusProcesso;

class IProgressRenderer {
 public:
  virtual ~IProgressRenderer() = default;
  virtual void Update(const TfrStatusProcesso& window) = 0;   // shown or changed
  virtual bool CancelRequested(const TfrStatusProcesso& window) = 0;
  virtual void Close(const TfrStatusProcesso& window) = 0;
};

struct TStatusBar {
  std::string Label;
  int Max = 100;
  int Position = 0;
  bool Visible = true;
};

class TfrStatusProcesso : public TComponent {
 public:
  // Kinds: 1 and 2 one bar; 3 one bar with cancel; 4 and 6 two bars; 5 two bars with cancel;
  // 7 three bars with cancel. A kind out of that range is a single bar.
  TfrStatusProcesso(TComponent* owner, int kind, bool comCancelar = false);
  ~TfrStatusProcesso() override;
  std::string ClassName() const override { return "TfrStatusProcesso"; }

  // Creates the window owned by owner. n and flag are the framework's; a True flag adds the
  // cancel button to any kind.
  static TfrStatusProcesso* createStatusProcess(TComponent* owner, int kind, int n = 1, bool flag = false);

  int Kind() const { return kind_; }
  int BarCount() const { return bars_count_; }
  bool HasCancel() const { return cancel_button_; }
  const TStatusBar& Bar(int i) const { return bars_[i]; }   // 0 primary, 1 secondary, 2 third
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string c);

  void SetLabel(int bar, std::string text);
  void SetMax(int bar, int max);
  void SetPosition(int bar, int pos);
  void Step(int bar) { SetPosition(bar, bars_[Clamp(bar)].Position + 1); }

  void setPrimaryStatusLabel(std::string t) { SetLabel(0, std::move(t)); }
  void setPrimaryMaxProgress(int m) { SetMax(0, m); }
  void setPrimaryStatusProgress(int p) { SetPosition(0, p); }
  void setSecondaryStatusLabel(std::string t) { SetLabel(1, std::move(t)); }
  void setSecondaryMaxProgress(int m) { SetMax(1, m); }
  void setSecondaryStatusProgress(int p) { SetPosition(1, p); }
  void setTerceiroStatusLabel(std::string t) { SetLabel(2, std::move(t)); }
  void setTerceiroMaxProgress(int m) { SetMax(2, m); }
  void setTerceiroStatusProgress(int p) { SetPosition(2, p); }
  void SetVisibleTerceiroProgressBar(bool v);

  // The user pressed cancel (the renderer's answer is polled here too).
  bool getCancel();
  void Cancel() { cancelled_ = true; }
  // Closes the window; later updates are ignored.
  void Finalize();
  bool Finalized() const { return finalized_; }

 private:
  int Clamp(int bar) const { return bar < 0 ? 0 : (bar > 2 ? 2 : bar); }
  void Changed();
  int kind_;
  int bars_count_;
  bool cancel_button_;
  std::string caption_;
  TStatusBar bars_[3];
  bool cancelled_ = false;
  bool finalized_ = false;
};

}  // namespace vyn
