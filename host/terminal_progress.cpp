#include "host/terminal_progress.h"

#include <algorithm>
#include <string>

namespace integracao_host {

void TTerminalProgress::Update(const vyn::TfrStatusProcesso& window) {
  std::string line;
  for (int i = 0; i < window.BarCount(); ++i) {
    const vyn::TStatusBar& b = window.Bar(i);
    if (!b.Visible) continue;
    const int max = std::max(b.Max, 1);
    const int pos = std::clamp(b.Position, 0, max);
    const int filled = static_cast<int>(static_cast<long long>(pos) * width_ / max);
    if (!line.empty()) line += "  ";
    line += "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(width_ - filled), '.') +
            "] " + std::to_string(pos * 100 / max) + "%";
    if (!b.Label.empty()) line += " " + b.Label;
  }
  // A run steps its bar once per row: the terminal is written only when what it shows changes.
  if (drawn_ && line == last_) return;
  last_ = line;
  std::fprintf(out_, "\r\033[K%s", line.c_str());
  std::fflush(out_);
  drawn_ = true;
}

void TTerminalProgress::Close(const vyn::TfrStatusProcesso& window) {
  if (!drawn_) return;
  std::fprintf(out_, "\r\033[K");
  std::fflush(out_);
  drawn_ = false;
  last_.clear();
}

}  // namespace integracao_host
