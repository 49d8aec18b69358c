#include "module/registro.h"

namespace integracao {

// The entry review screens and their per-line import classes: each class added here as it is built.
TListaRegistro RegistrosRevisaoLancamentos() { return {}; }

}  // namespace integracao
