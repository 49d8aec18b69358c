#include "module/registro.h"
#include "statutory/reportsequence/uAutoThreadSequenciaColaborador.h"
#include "statutory/reportsequence/uAutoThreadSequenciaEmpresa.h"
#include "statutory/reportsequence/uConsultaSequenciaRelatorios.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"
#include "statutory/reportsequence/uRelSequenciaRelatoriosCliente.h"
#include "statutory/reportsequence/uRelSequenciaRelatoriosColaborador.h"

namespace integracao {

// Report sequences: screens and tasks.
TListaRegistro RegistrosSequenciasRelatorios() {
  return {
      Registro<TfrRelSequenciaRelatorios>("TfrRelSequenciaRelatorios", vyn::TClassKind::Screen),
      Registro<TfrRelSequenciaRelatoriosColaborador>("TfrRelSequenciaRelatoriosColaborador", vyn::TClassKind::Screen),
      Registro<TfrRelSequenciaRelatoriosCliente>("TfrRelSequenciaRelatoriosCliente", vyn::TClassKind::Screen),
      Registro<TfrConsultaSequenciaRelatorios>("TfrConsultaSequenciaRelatorios", vyn::TClassKind::Screen),
      Registro<TAutoThreadSequenciaEmpresa>("TAutoThreadSequenciaEmpresa", vyn::TClassKind::Task),
      Registro<TAutoThreadSequenciaColaborador>("TAutoThreadSequenciaColaborador", vyn::TClassKind::Task),
  };
}

}  // namespace integracao
