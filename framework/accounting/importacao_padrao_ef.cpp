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
  for (size_t i = 0; i < arquivos_.size(); ++i) {
    const std::string& a = arquivos_[i];
    try {
      if (EnfileiraDocumentoEF(*db, empresa, tipoDocumento_, tipoParceiro_, a,
                               i < identificadores_.size() ? identificadores_[i] : std::string()))
        ++n;
    } catch (const std::exception& e) {
      if (!inconsistencias_) throw;
      inconsistencias_->Add_Erro(empresa, std::string("Documento fiscal não importado: ") + e.what());
    }
  }
  return n;
}

}  // namespace vyn
