#include "module/registro.h"
#include "bankstatement/uConcilacaoOFC.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"
#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQNotificacoes.h"
#include "bankstatement/uFiltroImportacaoMovimentoCaixaDYQ.h"
#include "bankstatement/uImportacaoCompPagto.h"
#include "bankstatement/uProcessoConciliacaoBancaria.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"

namespace integracao {

// Bank-statement import and reconciliation: each class added here as it is built.
TListaRegistro RegistrosExtratoBancario() {
  return {
      Registro<TfrFiltroImportacaoExtratoBancarioDYQ>("TfrFiltroImportacaoExtratoBancarioDYQ", vyn::TClassKind::Screen),
      Registro<TfrFiltroImportacaoMovimentoCaixaDYQ>("TfrFiltroImportacaoMovimentoCaixaDYQ", vyn::TClassKind::Screen),
      Registro<TfrFiltroImportacaoExtratoBancarioDYQNotificacoes>("TfrFiltroImportacaoExtratoBancarioDYQNotificacoes",
                                                                  vyn::TClassKind::Screen),
      Registro<TfrImportacaoCompPagto>("TfrImportacaoCompPagto", vyn::TClassKind::Screen),
      Registro<TfrProcessoConciliacaoBancaria>("TfrProcessoConciliacaoBancaria", vyn::TClassKind::Screen),
      Registro<TfrConciliacaoOFC>("TfrConciliacaoOFC", vyn::TClassKind::Screen),
      Registro<TfrConsultaImportacaoExtratoBancario>("TfrConsultaImportacaoExtratoBancario", vyn::TClassKind::Screen),
      Registro<TUtilImportacao_ExtratoBancario_Treeview>("TUtilImportacao_ExtratoBancario_Treeview",
                                                          vyn::TClassKind::ImportLine),
  };
}

}  // namespace integracao
