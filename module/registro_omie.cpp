#include "integrations/omie/uAutoThreadContasPagarOmie.h"
#include "integrations/omie/uIntegracaoImpostosOmie.h"
#include "module/registro.h"

namespace integracao {

// The Omie screens and tasks; the client, its entities and the tax engine register nothing.
TListaRegistro RegistrosOmie() {
  return {
      Registro<TfrIntegracaoImpostosOmie>("TfrIntegracaoImpostosOmie", vyn::TClassKind::Screen),
      Registro<TAutoThreadContasPagarOmie>("TAutoThreadContasPagarOmie", vyn::TClassKind::Task),
  };
}

}  // namespace integracao
