#include "module/registro.h"

namespace integracao {

// SPED validation, BI requests and the formula evaluator: each class added here as it is built.
TListaRegistro RegistrosValidacaoSpedBI() { return {}; }

}  // namespace integracao
