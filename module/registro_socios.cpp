#include "module/registro.h"

namespace integracao {

// Partners' registry import: each class added here as it is built.
TListaRegistro RegistrosSocios() { return {}; }

}  // namespace integracao
