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
  void ImportaArquivo(TfrImportacaoLancamentoDYQ& tela, const std::string& arquivo);
  void TrataInconsistencias();
  long long marcaLancamentos_ = 0;  // where this run's entry rows begin
  vyn::TContagemImportacao contagem_;  // what the run's files booked and left, together
};

}  // namespace integracao
