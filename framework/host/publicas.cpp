#include "framework/host/publicas.h"

#include <stdexcept>
#include <string>

#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"

namespace vyn {

int TPublicas::GetReferencia() { return ProcessContext().Referencia; }

void TPublicas::SetReferencia(int yyyymm) {
  if (yyyymm != 0 && !IsValidAnoMes(yyyymm))
    throw std::invalid_argument("Referência inválida: " + std::to_string(yyyymm));
  TProcessContext& ctx = ProcessContext();
  ctx.Referencia = yyyymm;
  if (ctx.Database && ctx.Database->Connected()) ctx.Database->SetSessionReferencia(yyyymm);
}

void TReferenciaTemporaria::Troca(int yyyymm) {
  TPublicas::SetReferencia(yyyymm);
  trocada_ = true;
}

void TReferenciaTemporaria::Restaura() {
  if (!trocada_) return;
  trocada_ = false;
  TPublicas::SetReferencia(anterior_);
}

TReferenciaTemporaria::~TReferenciaTemporaria() {
  try {
    Restaura();
  } catch (...) {
    // The month was valid when it was found; only a lost session can refuse it, and the run's own
    // error is the one on its way.
  }
}

}  // namespace vyn
