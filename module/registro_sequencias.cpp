#include "module/registro.h"

namespace integracao {

// Report sequences: screens and tasks: each class added here as it is built.
TListaRegistro RegistrosSequenciasRelatorios() { return {}; }

}  // namespace integracao
