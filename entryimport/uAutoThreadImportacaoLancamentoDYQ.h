#pragma once
// The scheduled import of every entry file waiting on the Dyq service for one company: drives the
// Dyq entry-import screen unattended and judges the run from the entry rows the imports wrote.
#include <string>

#include "framework/component/resultado_execucao.h"
#include "framework/host/auto_thread.h"

namespace integracao {

class TfrImportacaoLancamentoDYQ;

class TAutoThreadImportacaoLancamentoDYQ : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadImportacaoLancamentoDYQ(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadImportacaoLancamentoDYQ"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int CodEmpresa = 0;
  int Referencia = 0;
  int CodPlanoTroca = 0;

  // Conference kind of Dyq accounting entries.
  static constexpr int kTipoConferencia = 6;

 protected:
  void Execute() override;

 private:
  // Runs the selected row's file; whatever becomes of it, the run goes on with the next one.
  void ImportaArquivo(TfrImportacaoLancamentoDYQ& tela, const std::string& id, const std::string& arquivo);
  // Records a file the import left lines of, so later runs tell it no more until it changes.
  void LembraAviso(const TfrImportacaoLancamentoDYQ& tela, const std::string& id, const vyn::TResultadoExecucao& doArquivo);
  static std::string MensagemJaAvisados(int quantos);
  void TrataInconsistencias();
  int jaAvisados_ = 0;  // files left out as told by an earlier run
  long long marcaLancamentos_ = 0;  // where this run's entry rows begin
  vyn::TContagemImportacao contagem_;  // what the run's files booked and left, together
};

}  // namespace integracao
