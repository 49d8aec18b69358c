#include "module/registro.h"

namespace integracao {

// The Nibo screen and tasks: each class added here as it is built.
TListaRegistro RegistrosNibo() { return {}; }

}  // namespace integracao
