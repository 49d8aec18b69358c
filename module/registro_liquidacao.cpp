#include "module/registro.h"

namespace integracao {

// The settlement engine is called by the other subsystems, never created by name.
TListaRegistro RegistrosLiquidacao() { return {}; }

}  // namespace integracao
