#include "module/registro.h"
#include "partners/uConsultaGeradorImportacaoSocios.h"
#include "partners/uConsultaImportacaoSociosTreeView.h"
#include "partners/uGeradorImportacaoSocios.h"
#include "partners/uImportacaoSociosViaPlanilha.h"

namespace integracao {

// Partners' registry import: each class added here as it is built.
TListaRegistro RegistrosSocios() {
  return {
      Registro<TfrImportacaoSociosViaPlanilha>("TfrImportacaoSociosViaPlanilha", vyn::TClassKind::Screen),
      Registro<TfrConsultaImportacaoSociosTreeView>("TfrConsultaImportacaoSociosTreeView", vyn::TClassKind::Screen),
      Registro<TfrGeradorImportacaoSocios>("TfrGeradorImportacaoSocios", vyn::TClassKind::Screen),
      Registro<TfrConsultaGeradorImportacaoSocios>("TfrConsultaGeradorImportacaoSocios", vyn::TClassKind::Screen),
  };
}

}  // namespace integracao
