#include "entryimport/uAutoThreadImportacaoLancamentoDYQ.h"

#include <algorithm>

#include "entryimport/task_parametros.h"
#include "entryimport/uImportacaoLancamentoDYQ.h"
#include "framework/component/resultado_execucao.h"
#include "framework/core/text.h"
#include "framework/host/conferencia_lancamentos.h"
#include "framework/host/erro_exception.h"
#include "framework/data/fb_database.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/importacao_treeview.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
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
  AbreConferenciaImportacoes(kTipoConferencia);
  // A schedule naming a company the database lacks is a wrong schedule, not a company with nothing waiting.
  if (ProcessContext().Database &&
      ProcessContext().Database->QueryValue("select BDCODEMP from TEMPRESAS where BDCODEMP = ?", {CodEmpresa}).IsNull()) {
    const std::string msg = "Empresa " + std::to_string(CodEmpresa) + " não encontrada.";
    InsereConferenciaImportacoes(kTipoConferencia, tscErro, msg);
    throw TErroException(msg);
  }
  marcaLancamentos_ = MarcaConferenciaLancamentos();
  tela->SetIsTARVO(true);
  tela->CompararLancamentos = ParametroBooleano(GetParametro("ckCompararLancJaLancado"), false);

  tela->edCODEMP->SetFocus();
  tela->edCODEMP->Vale(CodEmpresa);
  // A refused company (no Dyq, or the list could not be read) leaves the list empty; leaving the
  // edit would only look it up again.
  if (!tela->edCODEMP->Search()) {
    // A list the service refused is a failure, not a company with nothing waiting.
    // So is a schedule for a company that is not on Dyq: no run of it can ever import a file.
    const std::string falha = tela->EmpresaSemDyq ? "Empresa não possui o DYQ!" : tela->FalhaListagem;
    if (!falha.empty()) {
      InsereConferenciaImportacoes(kTipoConferencia, tscErro, falha);
      throw TErroException(falha);
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
    ImportaArquivo(*tela, TfrImportacaoLancamentoDYQ::DescricaoArquivo(tela->lvExtratos->Item(i)));
  }
  // Each file told its own end in the log; the run's message tells what all of them did.
  if (contagem_.Importacoes > 1) RegistraMensagemExecucao(MensagemFimImportacao(contagem_));
  TrataInconsistencias();
  tela.reset();
  GravarLogTarvo("Processo finalizado");
}

void TAutoThreadImportacaoLancamentoDYQ::ImportaArquivo(TfrImportacaoLancamentoDYQ& tela, const std::string& arquivo) {
  const std::string nome = RemoveCaret(arquivo);
  const long long marca = MarcaConferenciaLancamentos();
  TInconsistencias_VYN* lista = tela.BloqueioLancamento_Padrao_VYN->Inconsistencias();
  if (lista) lista->Clear();
  // The file's own outcome: its failure is the file's, and the files after it are still visited.
  TResultadoExecucao doArquivo;
  std::string falha;
  {
    TEscopoResultadoExecucao escopo(doArquivo);
    try {
      tela.spOK->Click();
    } catch (const std::exception& e) {
      falha = e.what();
    }
  }
  if (TDatabase* db = ProcessContext().Database; db && db->InTransaction())
    throw EDatabaseError("A importação do " + nome + " terminou com uma transação aberta.");
  if (falha.empty()) falha = doArquivo.Falha;
  if (!falha.empty()) doArquivo.Inconsistencias.push_back("não importado: " + falha);
  // Every problem of the file reaches the log once: the lines the import refused, then the run's.
  std::vector<std::string> relato;
  auto relata = [&](const std::string& texto) {
    if (std::find(relato.begin(), relato.end(), texto) == relato.end()) relato.push_back(texto);
  };
  if (lista)
    for (const TInconsistenciaItem& item : lista->Itens()) relata(item.Caption);
  for (const std::string& inc : doArquivo.Inconsistencias) relata(inc);
  for (const std::string& texto : relato) GravarLogTarvo(nome + ": " + texto);
  // What became of the file ("Importação finalizada: ...", "... já importado anteriormente ...").
  const std::string& fim = doArquivo.Mensagem;
  if (!fim.empty() && std::find(relato.begin(), relato.end(), fim) == relato.end())
    GravarLogTarvo(fim.rfind(nome, 0) == 0 ? fim : nome + ": " + fim);
  for (const std::string& inc : doArquivo.Inconsistencias) RegistraInconsistenciaExecucao(nome + ": " + inc);
  if (!doArquivo.Mensagem.empty()) RegistraMensagemExecucao(doArquivo.Mensagem);
  contagem_ += doArquivo.Contagem;
  // A file refused whole (unbalanced, a failed write, a failed search) left no entry row: one
  // inconsistent row stands for it, so the judgement never reads the run as clean or as empty.
  if (tela.Desfecho == TfrImportacaoLancamentoDYQ::daVazio || ExistemLancamentosConferidos(marca))
    return;
  if (TDatabase* db = ProcessContext().Database)
    GravaConferenciaLancamentos(*db, {{CodEmpresa, Variant(), sltInconsistente}});
  if (doArquivo.Inconsistencias.empty()) {
    const std::string motivo = relato.empty() ? doArquivo.Mensagem : relato.back();
    GravarLogTarvo(nome + ": nenhum lançamento importado." + (motivo.empty() ? "" : " " + motivo));
    RegistraInconsistenciaExecucao(nome + ": nenhum lançamento importado.");
  }
}

void TAutoThreadImportacaoLancamentoDYQ::TrataInconsistencias() {
  // Lines booked before count as imported for the judgement; the message tells whether any was new.
  TrataInconsistenciasLancamentos(*this, kTipoConferencia, marcaLancamentos_, contagem_.Importados > 0);
}

}  // namespace integracao
