#pragma once
// The scheduled Omie fiscal import: fetches one company's fiscal documents of one month and puts them
// into the fiscal import queue, without a screen. Its outcome is the run's log.
#include <functional>
#include <string>

#include "framework/host/auto_thread.h"

namespace integracao {

class TIntegracaoOmieBase;

// Strict conversions of the task's text parameters (a malformed value ends the run).
bool ParametroBooleanoOmie(const std::string& nome, const std::string& valor);
int ParametroInteiroOmie(const std::string& nome, const std::string& valor);

class TAutoThreadImportacaoFiscalOmie : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadImportacaoFiscalOmie(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadImportacaoFiscalOmie"; }

  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 protected:
  void Execute() override;
};

}  // namespace integracao
