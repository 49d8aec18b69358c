#pragma once
// The progress window drawn as a bar on a terminal's stderr: one line, rewritten in place.
#include <cstdio>
#include <string>

#include "framework/ui/status_processo.h"

namespace integracao_host {

class TTerminalProgress : public vyn::IProgressRenderer {
 public:
  explicit TTerminalProgress(std::FILE* out = stderr, int width = 30) : out_(out), width_(width) {}
  void Update(const vyn::TfrStatusProcesso& window) override;
  bool CancelRequested(const vyn::TfrStatusProcesso& window) override { return false; }
  void Close(const vyn::TfrStatusProcesso& window) override;

 private:
  std::FILE* out_;
  int width_;
  bool drawn_ = false;
  std::string last_;   // the line on the terminal
};

}  // namespace integracao_host
