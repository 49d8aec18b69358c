#pragma once
// The scheduled hand-over of one company's Nibo service documents of one month to the fiscal import
// queue; the run's process row says so.
#include <string>

#include "framework/host/auto_thread.h"
#include "framework/web/http_retry.h"

namespace integracao {

class TAutoThreadLancamentoServicoNibo : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadLancamentoServicoNibo(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadLancamentoServicoNibo"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int CodEmpresa = 0;
  int Referencia = 0;
  bool ckLancaContabil = false;
  bool ckLancServico = false;
  bool wPossuiImportacao = false;
  int wNotasEnfileiradas = 0;   // the documents the queue took in this run

  vyn::TSleeper Sleeper;

 protected:
  void Execute() override;

 private:
  void TrataInconsistencia();
};

}  // namespace integracao
