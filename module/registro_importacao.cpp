#include "entryimport/uAutoThreadImportacaoLancamentoDYQ.h"
#include "entryimport/uAutoThreadIntegracaoArquivosClienteContabil.h"
#include "entryimport/uImportacaoLancamentoDYQ.h"
#include "module/registro.h"

namespace integracao {

// Entry-file feeders and their tasks.
TListaRegistro RegistrosImportacaoLancamentos() {
  return {
      Registro<TfrImportacaoLancamentoDYQ>("TfrImportacaoLancamentoDYQ", vyn::TClassKind::Screen),
      Registro<TAutoThreadImportacaoLancamentoDYQ>("TAutoThreadImportacaoLancamentoDYQ", vyn::TClassKind::Task),
      Registro<TAutoThreadIntegracaoArquivosClienteContabil>("TAutoThreadIntegracaoArquivosClienteContabil",
                                                             vyn::TClassKind::Task),
  };
}

}  // namespace integracao
