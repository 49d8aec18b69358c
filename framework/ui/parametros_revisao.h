#pragma once
// The parameter arrays of the review screens the framework's importers open by class name: the slot
// each opener fills and the screen reads. Openers add them in this order (TListaObj::Posicao).
#include <nlohmann/json_fwd.hpp>

#include "framework/component/lista_obj.h"

namespace vyn {

// The bank statement (or cash movement) review.
enum TParamRevisaoExtrato : int {
  preArquivo = 0,             // the edit with the imported file's name
  preInconsistencias,         // the opener's inconsistency list
  preEmpresa,                 // the company edit
  preLinhas,                  // the statement lines (TLancamentoMGR)
  prePreparacoes,             // the rules that came with the statement; nil: none yet
  preDocumento,               // the service's statement document (JSON), when it came from the service
  preConta,                   // the bank account edit
  preTransacao,               // the "transaction" button
  preDataIni,
  preDataFim,
  preUltimaChave,             // the last line key used
  preVinculosSalvos,          // the saved settlement links; nil: none
  preSubPrepWeb,
  preFavorecidoAposCompl,
  preDYQ,                     // opened for a statement of the service
  preSoPreparacoes,           // only lines with a rule (the OFC reconciliation hands its sequence option here)
  preNaoCoincidirSequencia,   // new rules are not marked "whole sequence"
  preAmbienteTeste,           // the service's test environment
  preNaoTrazidas,             // optional: lines of the statement the opener could not bring (named)
};

// What an importer hands the statement review.
struct TAberturaRevisaoExtrato {
  TComponent* Arquivo = nullptr;
  TComponent* Inconsistencias = nullptr;
  TComponent* Empresa = nullptr;
  TComponent* Linhas = nullptr;
  nlohmann::json* Documento = nullptr;   // none: an ordinary statement
  TComponent* Conta = nullptr;
  TComponent* Transacao = nullptr;
  TComponent* DataIni = nullptr;
  TComponent* DataFim = nullptr;
  int UltimaChave = 0;
  bool SubPrepWeb = false;
  bool DYQ = false;
  bool NaoCoincidirSequencia = false;
  bool AmbienteTeste = false;
  TComponent* Preparacoes = nullptr;     // the rules that came with the statement; none: nil
  int NaoTrazidas = 0;
};

// The statement review's parameter array: the rules that came with the statement, no saved links,
// every line.
inline TListaObj ParametrosRevisaoExtrato(const TAberturaRevisaoExtrato& a) {
  TListaObj l;
  l.Posicao(preArquivo).Add(a.Arquivo);
  l.Posicao(preInconsistencias).Add(a.Inconsistencias);
  l.Posicao(preEmpresa).Add(a.Empresa);
  l.Posicao(preLinhas).Add(a.Linhas);
  l.Posicao(prePreparacoes).Add(a.Preparacoes);
  l.Posicao(preDocumento).AddObject(a.Documento);
  l.Posicao(preConta).Add(a.Conta);
  l.Posicao(preTransacao).Add(a.Transacao);
  l.Posicao(preDataIni).Add(a.DataIni);
  l.Posicao(preDataFim).Add(a.DataFim);
  l.Posicao(preUltimaChave).AddInteger(a.UltimaChave);
  l.Posicao(preVinculosSalvos).AddNil();
  l.Posicao(preSubPrepWeb).AddInteger(a.SubPrepWeb ? 1 : 0);
  l.Posicao(preFavorecidoAposCompl).AddInteger(0);
  l.Posicao(preDYQ).AddInteger(a.DYQ ? 1 : 0);
  l.Posicao(preSoPreparacoes).AddInteger(0);
  l.Posicao(preNaoCoincidirSequencia).AddInteger(a.NaoCoincidirSequencia ? 1 : 0);
  l.Posicao(preAmbienteTeste).AddInteger(a.AmbienteTeste ? 1 : 0);
  l.Posicao(preNaoTrazidas).AddInteger(a.NaoTrazidas);
  return l;
}

// The entry import review (in memory and staged).
enum TParamRevisaoLancamentos : int {
  prlArquivo = 0,             // nil
  prlInconsistencias,
  prlEmpresa,                 // the company edit
  prlEmpresas,                // the companies of the file (TEmpresasMGR)
  prlTransacao,               // boxed Boolean: the automatic transaction
  prlDataIni,                 // boxed dates
  prlDataFim,
  prlFiliais,                 // the branch selection
  prlMultiplos,               // staged only: the multiple-entry panel (integer, boxed or nil)
  prlDadosAdicionais,         // staged only: the import's additional data
};

// The bank reconciliation of a statement of the service.
enum TParamConciliacaoBancaria : int {
  pcbEmpresa = 0,             // the company edit
  pcbFiliais,                 // boxed text: the branches
  pcbDataIni,                 // date edits
  pcbDataFim,
  pcbConta,                   // the bank account edit
  pcbArquivo,
  pcbTransacao,               // the "transaction" button
  pcbDocumento,               // the statement document (JSON); nil: an ordinary statement
  pcbFiltro,                  // the reconciliation filter
  pcbIDExtrato,               // integer
  pcbNaoCoincidirSequencia,   // integer, optional
};

}  // namespace vyn
