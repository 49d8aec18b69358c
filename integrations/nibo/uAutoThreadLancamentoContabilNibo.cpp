#include "integrations/nibo/uAutoThreadLancamentoContabilNibo.h"

#include "entryimport/task_parametros.h"
#include "framework/core/text.h"
#include "framework/host/conferencia_lancamentos.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "integrations/nibo/uImportacaoNibo.h"

namespace integracao {

using namespace vyn;

bool TAutoThreadLancamentoContabilNibo::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadLancamentoContabilNibo") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

void TAutoThreadLancamentoContabilNibo::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  const TEmpresaReferenciaTarefa run = LeEmpresaReferencia(*this);
  CodEmpresa = run.CodEmpresa;
  Referencia = run.Referencia;

  TFormPtr<TfrImportacaoNibo> tela(CreateForm<TfrImportacaoNibo>(*this));
  InsereConferenciaImportacoes(kTipoConferencia, tscSucesso, "");
  marcaLancamentos_ = MarcaConferenciaLancamentos();
  tela->PreparaExecucaoAgendada(CodEmpresa, Referencia, Sleeper);
  // A schedule runs the same month again; Nibo answers with the entries it gave before.
  tela->CompararLancamentos = true;
  tela->edCODPLATROCAINT->SetEnabled(true);
  tela->edCODPLATROCAINT->SetFocus();
  tela->edCODPLATROCAINT->Vale(ParametroInteiroEstrito(GetParametro("edCODPLATROCAINT")));
  tela->edCODPLATROCAINT->Search();
  tela->ckLancaContabil->SetChecked(true);
  tela->ckLancServico->SetChecked(false);
  tela->spOK->Click();
  TrataInconsistencias();
  tela.reset();
  GravarLogTarvo("Processo finalizado");
}

void TAutoThreadLancamentoContabilNibo::TrataInconsistencias() {
  TrataInconsistenciasLancamentos(*this, kTipoConferencia, marcaLancamentos_);
}

}  // namespace integracao
