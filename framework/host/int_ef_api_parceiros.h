#pragma once
// The partner fetchers' base: what a fetcher of fiscal documents from a partner system (Omie, ...)
// shares: the run's company and reference, the hand-over of the fetched XML files to the fiscal
// import queue, the progress callback and the run's log lines.
//
// The queue is the fiscal module's one import queue (framework/livros/fila_importacao_ef.h), the same
// the Nibo import feeds: one row per document with its text, its kind and the fetcher's origin.
#include <functional>
#include <string>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

class TDatabase;

// The fiscal module's kinds of import (ordinals: 34 NF-e, 35 CT-e, 79 NFC-e, 90 CT-e OS, ...).
using TTypeLancamentos = int;

// Directions of a fetch: both, received only, issued only.
enum TTipoMovimento : int { tmAmbos = 0, tmEntrada = 1, tmSaida = 5 };

// The queue's document kind of a fiscal import kind; raises for a kind the queue does not take.
int TipoDocumentoEF(TTypeLancamentos prTipo);

class TInt_EF_API_Parceiros : public TComponent {
 public:
  explicit TInt_EF_API_Parceiros(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TInt_EF_API_Parceiros"; }

  // The origin code of the documents this fetcher queues.
  virtual int GetOrigem() { return 0; }

  int FCodEmp = 0;
  int FReferencia = 0;   // YYYYMM
  int FContador = 0;     // documents queued since the caller last zeroed it
  std::string FDiretorio;

  // Progress of the run (position, text); unset, progress is only logged.
  std::function<void(int, const std::string&)> OnProgresso;
  void ProgressoBarra(int prPosicao, const std::string& prTexto);

  // A fetched document's file and its identity at the partner (access key, else the partner's id of
  // it; empty when it has neither).
  struct TDocumentoParceiro {
    std::string Arquivo;
    std::string Identificador;
  };

  // Queues every file of the list for the kind, all or none in one transaction (the caller's, when
  // one is open). The files are read here: the caller may delete them once this returns. A file that
  // cannot be read raises, and nothing of the list is queued. A document the queue already holds by
  // its identity is left out, so that a repeated or retried run queues nothing twice. Answers how
  // many documents were newly queued.
  int IntegrarNotas(const std::vector<TDocumentoParceiro>& prDocumentos, TTypeLancamentos prTipo);
  int IntegrarNotas(const std::vector<std::string>& prArquivos, TTypeLancamentos prTipo);

  void AddLog(std::string linha) { FLog.push_back(std::move(linha)); }
  const std::vector<std::string>& Log() const { return FLog; }
  // Rewrites an existing log file with the run's lines (CR LF each); a missing file stays missing.
  bool GravaLogSeExistir(const std::string& prArquivo) const;

  // The attachment the queue is written to; unset, the process context's.
  void SetDatabase(TDatabase* db) { db_ = db; }

 private:
  TDatabase* Database() const;
  std::vector<std::string> FLog;
  TDatabase* db_ = nullptr;
};

}  // namespace vyn
