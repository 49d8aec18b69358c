#include "module/registro.h"

namespace integracao {

// The Omie screens and tasks: each class added here as it is built.
TListaRegistro RegistrosOmie() { return {}; }

}  // namespace integracao
