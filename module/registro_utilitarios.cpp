#include "module/registro.h"
#include "postingutil/uProcessoRecontabilizacao.h"
#include "postingutil/uProcessoTrocaPlanoContabilizacao.h"
#include "postingutil/uSelecaoRecontabilizacao.h"
#include "postingutil/uAtualizacaoSistema_varku.h"
#include "postingutil/uConfiguraIdiomas.h"
#include "postingutil/uMensagemAlertaAtualizacao.h"
#include "postingutil/uProcessoVariacaoCambial.h"
#include "postingutil/uProcessoTrocaPlanoContabilizacaoMesmoPlano.h"
#include "postingutil/uMensagemAlertaTrocaContabilizacao.h"
#include "postingutil/uConsultaProcessosTrocas.h"
#include "postingutil/uConsultaProcessosTrocasBalancetesTreeView.h"
#include "postingutil/uMensagemAlertaRecontabilizacao.h"
#include "postingutil/uMensagemAlertaInicioContabilizacao.h"
#include "postingutil/uConsultaRecontabilizacao.h"
#include "postingutil/uConsultaDefiniInicioContabilizacaoOnline.h"
#include "postingutil/uProcessoDefineInicioContabilizacao.h"
#include "postingutil/uConsultaProcessoVariacaoCambial.h"

namespace integracao {

// Posting utilities: their screens, each added here as it is built.
TListaRegistro RegistrosUtilitariosContabilizacao() {
  return {
      Registro<TfrProcessoRecontabilizacao>("TfrProcessoRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrProcessoTrocaPlanoContabilizacao>("TfrProcessoTrocaPlanoContabilizacao", vyn::TClassKind::Screen),
      Registro<TfrSelecaoRecontabilizacao>("TfrSelecaoRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrMensagemAlertaAtualizacao>("TfrMensagemAlertaAtualizacao", vyn::TClassKind::Screen),
      Registro<TfrAtualizacaoSistema_varku>("TfrAtualizacaoSistema_varku", vyn::TClassKind::Screen),
      Registro<TfrConfiguraIdiomas>("TfrConfiguraIdiomas", vyn::TClassKind::Screen),
      Registro<TfrProcessoVariacaoCambial>("TfrProcessoVariacaoCambial", vyn::TClassKind::Screen),
      Registro<TfrProcessoTrocaPlanoContabilizacaoMesmoPlano>("TfrProcessoTrocaPlanoContabilizacaoMesmoPlano",
                                                             vyn::TClassKind::Screen),
      Registro<TfrMensagemAlertaTrocaContabilizacao>("TfrMensagemAlertaTrocaContabilizacao", vyn::TClassKind::Screen),
      Registro<TfrConsultaProcessosTrocas>("TfrConsultaProcessosTrocas", vyn::TClassKind::Screen),
      Registro<TfrConsultaProcessosTrocasBalancetesTreeView>("TfrConsultaProcessosTrocasBalancetesTreeView",
                                                             vyn::TClassKind::Screen),
      Registro<TfrMensagemAlertaRecontabilizacao>("TfrMensagemAlertaRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrMensagemAlertaInicioContabilizacao>("TfrMensagemAlertaInicioContabilizacao", vyn::TClassKind::Screen),
      Registro<TfrConsultaRecontabilizacao>("TfrConsultaRecontabilizacao", vyn::TClassKind::Screen),
      Registro<TfrConsultaDefiniInicioContabilizacaoOnline>("TfrConsultaDefiniInicioContabilizacaoOnline",
                                                           vyn::TClassKind::Screen),
      Registro<TfrProcessoDefineInicioContabilizacao>("TfrProcessoDefineInicioContabilizacao", vyn::TClassKind::Screen),
      Registro<TfrConsultaProcessoVariacaoCambial>("TfrConsultaProcessoVariacaoCambial", vyn::TClassKind::Screen),
  };
}

}  // namespace integracao
