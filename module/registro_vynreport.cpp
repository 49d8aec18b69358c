#include "module/registro.h"

namespace integracao {

// The report portal's payment screens and task: each class added here as it is built.
TListaRegistro RegistrosVynReport() { return {}; }

}  // namespace integracao
