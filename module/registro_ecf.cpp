#include "module/registro.h"
#include "statutory/ecf/uAutoThreadExportacaoECF.h"
#include "statutory/ecf/uExportacaoECF.h"
#include "statutory/ecf/uPreparacaoDadosComplementaresECFP500.h"

namespace integracao {

// The ECF export screens and task.
TListaRegistro RegistrosECF() {
  return {
      Registro<TfrExportacaoECF>("TfrExportacaoECF", vyn::TClassKind::Screen),
      Registro<TfrPreparacaoDadosComplementaresECFP500>("TfrPreparacaoDadosComplementaresECFP500",
                                                         vyn::TClassKind::Screen),
      Registro<TAutoThreadExportacaoECF>("TAutoThreadExportacaoECF", vyn::TClassKind::Task),
  };
}

}  // namespace integracao
