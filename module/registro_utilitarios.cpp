#include "module/registro.h"
#include "postingutil/uProcessoRecontabilizacao.h"
#include "postingutil/uSelecaoRecontabilizacao.h"
#include "postingutil/uAtualizacaoSistema_varku.h"
#include "postingutil/uConfiguraIdiomas.h"
#include "postingutil/uMensagemAlertaAtualizacao.h"
#include "postingutil/uProcessoVariacaoCambial.h"

namespace integracao {

// Posting utilities: their screens, each added here as it is built.
TListaRegistro RegistrosUtilitariosContabilizacao() {
  return {
      Registro<TfrProcessoRecontabilizacao>("TfrProcessoRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrSelecaoRecontabilizacao>("TfrSelecaoRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrMensagemAlertaAtualizacao>("TfrMensagemAlertaAtualizacao", vyn::TClassKind::Screen),
      Registro<TfrAtualizacaoSistema_varku>("TfrAtualizacaoSistema_varku", vyn::TClassKind::Screen),
      Registro<TfrConfiguraIdiomas>("TfrConfiguraIdiomas", vyn::TClassKind::Screen),
      Registro<TfrProcessoVariacaoCambial>("TfrProcessoVariacaoCambial", vyn::TClassKind::Screen),
  };
}

}  // namespace integracao
