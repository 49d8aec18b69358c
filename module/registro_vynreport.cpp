#include "module/registro.h"

#include "integrations/vynreport/uAutoThreadPagamentoImpostoVYNReport.h"
#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"
#include "integrations/vynreport/uImportacaoPagamentosVYNReport.h"

namespace integracao {

// The report portal's payment screens and task.
TListaRegistro RegistrosVynReport() {
  return {
      Registro<TfrExportacaoPagamentosVYNReport>("TfrExportacaoPagamentosVYNReport", vyn::TClassKind::Screen),
      Registro<TfrImportacaoPagamentosVYNReport>("TfrImportacaoPagamentosVYNReport", vyn::TClassKind::Screen),
      Registro<TAutoThreadPagamentoImpostoVYNReport>("TAutoThreadPagamentoImpostoVYNReport", vyn::TClassKind::Task),
  };
}

}  // namespace integracao
