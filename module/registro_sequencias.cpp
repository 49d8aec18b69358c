#include "module/registro.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

// Report sequences: screens and tasks.
TListaRegistro RegistrosSequenciasRelatorios() {
  return {
      Registro<TfrRelSequenciaRelatorios>("TfrRelSequenciaRelatorios", vyn::TClassKind::Screen),
  };
}

}  // namespace integracao
