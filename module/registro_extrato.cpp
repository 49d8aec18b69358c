#include "module/registro.h"

namespace integracao {

// Bank-statement import and reconciliation: each class added here as it is built.
TListaRegistro RegistrosExtratoBancario() { return {}; }

}  // namespace integracao
