#pragma once
// The parameter arrays of the review screens the framework's importers open by class name: the slot
// each opener fills and the screen reads. Openers add them in this order (TListaObj::Posicao).

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
};

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
