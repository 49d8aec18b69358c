#include "framework/ui/status_processo.h"

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"

namespace vyn {

namespace {
int BarsOf(int kind) {
  switch (kind) {
    case 4: case 5: case 6: return 2;
    case 7: return 3;
    default: return 1;
  }
}
bool CancelOf(int kind) { return kind == 3 || kind == 5 || kind == 7; }
}  // namespace

TfrStatusProcesso::TfrStatusProcesso(TComponent* owner, int kind, bool comCancelar)
    : TComponent(owner), kind_(kind), bars_count_(BarsOf(kind)), cancel_button_(CancelOf(kind) || comCancelar) {
  for (int i = bars_count_; i < 3; ++i) bars_[i].Visible = false;
  Changed();
}

TfrStatusProcesso::~TfrStatusProcesso() {
  // A window freed with its owner without Finalize still leaves the screen.
  if (!finalized_) {
    if (auto* r = ProcessContext().Progress) r->Close(*this);
  }
}

TfrStatusProcesso* TfrStatusProcesso::createStatusProcess(TComponent* owner, int kind, int, bool flag) {
  auto w = std::make_unique<TfrStatusProcesso>(owner, kind, flag);
  // With an owner the window is freed by it; without one the caller frees it.
  return w.release();
}

void TfrStatusProcesso::SetCaption(std::string c) {
  caption_ = RemoveCaret(c);
  Changed();
}

void TfrStatusProcesso::SetLabel(int bar, std::string text) {
  bars_[Clamp(bar)].Label = RemoveCaret(text);
  Changed();
}

void TfrStatusProcesso::SetMax(int bar, int max) {
  bars_[Clamp(bar)].Max = max < 0 ? 0 : max;
  Changed();
}

void TfrStatusProcesso::SetPosition(int bar, int pos) {
  VerificaInterrupcao();
  TStatusBar& b = bars_[Clamp(bar)];
  b.Position = pos < 0 ? 0 : (pos > b.Max ? b.Max : pos);
  Changed();
}

void TfrStatusProcesso::SetVisibleTerceiroProgressBar(bool v) {
  bars_[2].Visible = v && bars_count_ == 3;
  Changed();
}

bool TfrStatusProcesso::getCancel() {
  if (!cancelled_ && cancel_button_ && !finalized_) {
    if (auto* r = ProcessContext().Progress) cancelled_ = r->CancelRequested(*this);
  }
  return cancelled_;
}

void TfrStatusProcesso::Finalize() {
  if (finalized_) return;
  finalized_ = true;
  if (auto* r = ProcessContext().Progress) r->Close(*this);
}

void TfrStatusProcesso::Changed() {
  if (finalized_) return;
  if (auto* r = ProcessContext().Progress) r->Update(*this);
}

}  // namespace vyn
