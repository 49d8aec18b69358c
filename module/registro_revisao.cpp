#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge_Util.h"
#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"
#include "module/registro.h"

namespace integracao {

// The entry review screens and their per-line import classes (screen first, then its engine).
TListaRegistro RegistrosRevisaoLancamentos() {
  return {Registro<TfrConsultaImportacaoLancCCTxt>("TfrConsultaImportacaoLancCCTxt", vyn::TClassKind::Screen),
          Registro<TUtilImportacao_LancCC_TreeviewNormal>("TUtilImportacao_LancCC_TreeviewNormal",
                                                          vyn::TClassKind::ImportLine),
          Registro<TfrConsultaImportacaoLancCCTxtHuge>("TfrConsultaImportacaoLancCCTxtHuge", vyn::TClassKind::Screen),
          Registro<TUtilImportacao_LancCC_Treeview>("TUtilImportacao_LancCC_Treeview", vyn::TClassKind::ImportLine)};
}

}  // namespace integracao
