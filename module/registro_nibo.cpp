#include "integrations/nibo/uAutoThreadLancamentoContabilNibo.h"
#include "integrations/nibo/uAutoThreadLancamentoServicoNibo.h"
#include "integrations/nibo/uImportacaoNibo.h"
#include "module/registro.h"

namespace integracao {

// The Nibo screen and tasks.
TListaRegistro RegistrosNibo() {
  return {
      Registro<TfrImportacaoNibo>("TfrImportacaoNibo", vyn::TClassKind::Screen),
      Registro<TAutoThreadLancamentoContabilNibo>("TAutoThreadLancamentoContabilNibo", vyn::TClassKind::Task),
      Registro<TAutoThreadLancamentoServicoNibo>("TAutoThreadLancamentoServicoNibo", vyn::TClassKind::Task),
  };
}

}  // namespace integracao
