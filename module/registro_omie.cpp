#include "integrations/omie/uAutoThreadContasPagarOmie.h"
#include "integrations/omie/uAutoThreadImportacaoFiscalOmie.h"
#include "integrations/omie/uExportacaoPlanoContasOmie.h"
#include "integrations/omie/uImportacaoOmie.h"
#include "integrations/omie/uIntegracaoImpostosOmie.h"
#include "module/registro.h"

namespace integracao {

// The Omie screens and tasks; the client, its entities, the fiscal fetch and the tax engine register
// nothing.
TListaRegistro RegistrosOmie() {
  return {
      Registro<TfrIntegracaoImpostosOmie>("TfrIntegracaoImpostosOmie", vyn::TClassKind::Screen),
      Registro<TAutoThreadContasPagarOmie>("TAutoThreadContasPagarOmie", vyn::TClassKind::Task),
      Registro<TAutoThreadImportacaoFiscalOmie>("TAutoThreadImportacaoFiscalOmie", vyn::TClassKind::Task),
      Registro<TfrExportacaoPlanoContasOmie>("TfrExportacaoPlanoContasOmie", vyn::TClassKind::Screen),
      Registro<TfrImportacaoOmie>("TfrImportacaoOmie", vyn::TClassKind::Screen),
  };
}

}  // namespace integracao
