#include "integrations/nibo/uAutoThreadLancamentoServicoNibo.h"

#include "entryimport/task_parametros.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/erro_exception.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "integrations/nibo/uImportacaoNibo.h"

namespace integracao {

using namespace vyn;

bool TAutoThreadLancamentoServicoNibo::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadLancamentoServicoNibo") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

void TAutoThreadLancamentoServicoNibo::Execute() {
  TAutoThreadPushPadrao::Execute();
  wPossuiImportacao = false;
  GravarLogTarvo("Iniciando o processo...");
  const TEmpresaReferenciaTarefa run = LeEmpresaReferencia(*this);
  CodEmpresa = run.CodEmpresa;
  Referencia = run.Referencia;

  TFormPtr<TfrImportacaoNibo> tela(CreateForm<TfrImportacaoNibo>(*this));
  tela->PreparaExecucaoAgendada(CodEmpresa, Referencia, Sleeper);
  tela->ckLancaContabil->SetChecked(false);
  tela->ckLancServico->SetChecked(true);
  tela->spOK->Click();
  wPossuiImportacao = tela->PossuiImportacao();
  wNotasEnfileiradas = tela->NotasEnfileiradas();
  tela.reset();
  GravarLogTarvo("Processo finalizado - Enviado a list");
  // Judged inside the run, so the task base's row follows what it finds.
  TrataInconsistencia();
}

void TAutoThreadLancamentoServicoNibo::TrataInconsistencia() {
  if (!wPossuiImportacao)
    throw TErroException("Nenhuma lançamento importado, não existe lançamento para essa empresa nessa referência");
  const TProcessContext& ctx = ProcessContext();
  // The scheduler's process-list row of this run may not exist (the host keeps none): the success is
  // written into it, made when missing, so it never goes nowhere.
  const TComandoSQL c = getUpdateOrInsert_VYN(
      "VSH_EMP_TLISTA_PROCESSOS",
      {"BDCODAGENDAMENTO", "BDCODPLANOTARVO", "BDCODEMP", "BDORDEMAGENDAMENTO", "BDCODSTATUS", "BDDESCPROCESSO"},
      {ctx.WP_AGENDAMENTO, ctx.WP_PLANO_TARVO, ctx.WP_EMPRESA_PROCESSO, ctx.WP_ORDEM_AGENDAMENTO, 3,
       std::string(wNotasEnfileiradas > 0
                       ? "Processo realizado com sucesso, as notas foram adicionadas na fila de importação."
                       : "Processo realizado com sucesso, nenhuma nota nova: as notas da referência já estavam na "
                         "fila de importação.")},
      {"BDCODAGENDAMENTO", "BDCODPLANOTARVO", "BDCODEMP", "BDORDEMAGENDAMENTO"});
  auto sql = TSQLMGR::CreateMgrOwned();
  sql->CommandText(c.SQL, ctExecute, c.Params);
}

}  // namespace integracao
