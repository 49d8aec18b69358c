#include "module/registro.h"
#include "statutory/bi/uAutoThreadPedidosBI.h"
#include "statutory/bi/uGeradorRelatorioBuscaPorParseFormulas.h"
#include "statutory/spedvalidation/uAutoThreadValidacaoSped.h"

namespace integracao {

// SPED validation, BI requests and the formula evaluator.
TListaRegistro RegistrosValidacaoSpedBI() {
  return {
      Registro<TAutoThreadValidacaoSped>("TAutoThreadValidacaoSped", vyn::TClassKind::Task),
      Registro<TAutoThreadPedidosBI>("TAutoThreadPedidosBI", vyn::TClassKind::Task),
      Registro<TBuscaFormulasPorParse>("TBuscaFormulasPorParse", vyn::TClassKind::Other),
  };
}

}  // namespace integracao
