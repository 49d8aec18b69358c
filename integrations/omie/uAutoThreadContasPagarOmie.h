#pragma once
// The scheduled Omie tax integration of one company and month: every tax of the company through one
// engine, with the run's row in VSH_EMP_TCONF_OMIE_EXPORT.
#include <functional>
#include <string>

#include "framework/host/auto_thread.h"

namespace integracao {

class TIntegracaoOmieBase;

class TAutoThreadContasPagarOmie : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadContasPagarOmie(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadContasPagarOmie"; }
  bool DeveSincronizarThread() override { return true; }

  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 protected:
  void Execute() override;
};

}  // namespace integracao
