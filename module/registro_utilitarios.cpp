#include "module/registro.h"

namespace integracao {

// Posting utilities: their screens, each added here as it is built.
TListaRegistro RegistrosUtilitariosContabilizacao() {
  return {};
}

}  // namespace integracao
