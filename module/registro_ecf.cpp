#include "module/registro.h"

namespace integracao {

// The ECF export screens and task: each class added here as it is built.
TListaRegistro RegistrosECF() { return {}; }

}  // namespace integracao
