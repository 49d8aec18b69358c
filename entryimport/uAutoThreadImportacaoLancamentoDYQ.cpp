#include "entryimport/uAutoThreadImportacaoLancamentoDYQ.h"

#include "entryimport/task_parametros.h"
#include "entryimport/uImportacaoLancamentoDYQ.h"
#include "framework/component/resultado_execucao.h"
#include "framework/core/text.h"
#include "framework/host/conferencia_lancamentos.h"
#include "framework/host/erro_exception.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/list_view.h"

namespace integracao {

using namespace vyn;

bool TAutoThreadImportacaoLancamentoDYQ::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadImportacaoLancamentoDYQ") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

void TAutoThreadImportacaoLancamentoDYQ::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  const TEmpresaReferenciaTarefa run = LeEmpresaReferencia(*this);
  CodEmpresa = run.CodEmpresa;
  Referencia = run.Referencia;

  TFormPtr<TfrImportacaoLancamentoDYQ> tela(CreateForm<TfrImportacaoLancamentoDYQ>(*this));
  InsereConferenciaImportacoes(kTipoConferencia, tscSucesso, "");
  marcaLancamentos_ = MarcaConferenciaLancamentos();
  tela->SetIsTARVO(true);
  tela->CompararLancamentos = ParametroBooleano(GetParametro("ckCompararLancJaLancado"), false);

  tela->edCODEMP->SetFocus();
  tela->edCODEMP->Vale(CodEmpresa);
  // A refused company (no Dyq, or the list could not be read) leaves the list empty; leaving the
  // edit would only look it up again.
  if (!tela->edCODEMP->Search()) {
    // A list the service refused is a failure, not a company with nothing waiting.
    if (!tela->FalhaListagem.empty()) {
      InsereConferenciaImportacoes(kTipoConferencia, tscErro, tela->FalhaListagem);
      throw TErroException(tela->FalhaListagem);
    }
    RegistraMensagemExecucao("Não foram encontrados arquivos a serem importados");
    return;
  }

  tela->edCODPLATROCAINT->SetFocus();
  const std::string plano = Trim(GetParametro("edCODPLATROCAINT"));
  if (!plano.empty()) {
    CodPlanoTroca = ParametroInteiroEstrito(plano);
    tela->edCODPLATROCAINT->Vale(CodPlanoTroca);
    tela->edCODPLATROCAINT->Validate();
  }
  tela->ckAlterarComplemento->SetChecked(ParametroBooleano(GetParametro("ckAlterarComplemento"), false));

  tela->lvExtratos->SetFocus();
  if (tela->lvExtratos->Count() == 0) {
    RegistraMensagemExecucao("Não foram encontrados arquivos a serem importados");
    return;
  }
  for (int i = tela->lvExtratos->Count() - 1; i >= 0; --i) {
    if (i >= tela->lvExtratos->Count()) continue;
    tela->SelecionaLinha(i);
    tela->spOK->Click();
  }
  TrataInconsistencias();
  tela.reset();
  GravarLogTarvo("Processo finalizado");
}

void TAutoThreadImportacaoLancamentoDYQ::TrataInconsistencias() {
  TrataInconsistenciasLancamentos(*this, kTipoConferencia, marcaLancamentos_);
}

}  // namespace integracao
