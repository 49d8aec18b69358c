#pragma once
// The scheduled import of one company's Nibo entries of one month, judged from the entry rows the
// import wrote.
#include <string>

#include "framework/host/auto_thread.h"
#include "framework/web/http_retry.h"

namespace integracao {

class TAutoThreadLancamentoContabilNibo : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadLancamentoContabilNibo(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadLancamentoContabilNibo"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int CodEmpresa = 0;
  int Referencia = 0;
  bool ckLancaContabil = false;
  bool ckLancServico = false;

  // Conference kind of Nibo accounting entries.
  static constexpr int kTipoConferencia = 5;
  // Waits between the client's attempts (tests inject theirs).
  vyn::TSleeper Sleeper;

 protected:
  void Execute() override;

 private:
  void TrataInconsistencias();
  long long marcaLancamentos_ = 0;  // where this run's entry rows begin
};

}  // namespace integracao
