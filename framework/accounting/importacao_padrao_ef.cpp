#include "framework/accounting/importacao_padrao_ef.h"

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

int TImportacaoPadraoEF::IniciaProcesso() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  const int empresa = empresa_ ? static_cast<int>(empresa_->Codigo()) : 0;
  int n = 0;
  for (const std::string& a : arquivos_) {
    try {
      EnfileiraDocumentoEF(*db, empresa, tipoDocumento_, tipoParceiro_, a);
      ++n;
    } catch (const std::exception& e) {
      if (!inconsistencias_) throw;
      inconsistencias_->Add_Erro(empresa, std::string("Documento fiscal não importado: ") + e.what());
    }
  }
  return n;
}

}  // namespace vyn
