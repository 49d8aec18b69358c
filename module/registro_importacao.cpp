#include "module/registro.h"

namespace integracao {

// Entry-file feeders and their tasks: each class added here as it is built.
TListaRegistro RegistrosImportacaoLancamentos() { return {}; }

}  // namespace integracao
