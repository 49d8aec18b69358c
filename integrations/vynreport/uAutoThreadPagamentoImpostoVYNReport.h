#pragma once
// The scheduled exchange of one company's tax payments with the report portal for one reference
// month: the payment import settles the guides the portal knows as paid, then the payment export
// sends the guides paid in the accounting database. One status row per schedule run.
#include <string>

#include "framework/host/auto_thread.h"

namespace integracao {

class TAutoThreadPagamentoImpostoVYNReport : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadPagamentoImpostoVYNReport(vyn::TComponent* owner = nullptr)
      : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadPagamentoImpostoVYNReport"; }
  bool InheritsFrom(const std::string& class_name) const override;
  // The screens it drives live on the host's main thread.
  bool DeveSincronizarThread() override { return true; }

  // The run's status row in VSH_EMP_TCONF_IMPPAG (a later one of the same run replaces it).
  void SetaInconsistencia(vyn::TTipoStatusConferencia status, const std::string& mensagem);

  int Empresa = 0;
  int Referencia = 0;   // YYYYMM

 protected:
  void Execute() override;

 private:
  void ExecutaImportacao(bool executar);
  void ExecutaExportacao(bool executar);
  // The company has no portal code: nothing to do in this step, and the run says so.
  void EmpresaNaoConfigurada();
};

}  // namespace integracao
