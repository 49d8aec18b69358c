#pragma once
// The ECF export task: drives the ECF screen without a user for one company and calendar year.
#include <functional>
#include <string>

#include "framework/host/auto_thread.h"
#include "statutory/ecf/uExportacaoECF.h"

namespace integracao {

class TAutoThreadExportacaoECF : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadExportacaoECF(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadExportacaoECF"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void SetReferencia(int value) { FReferencia = value; }
  bool getPossuiConfigPadrao() const;
  // The company's saved choices and the year's period put into the screen.
  void PreencheInformacoesTelaECF(vyn::TDateTime ini, vyn::TDateTime fim);

  // The schedule plan's destination folder for a reference (no trailing separator).
  std::function<std::string(int referencia)> DiretorioPlano;
  std::string GetDiretorioPlano(int referencia, bool) const;
  // The plan's destination folder, made with its parents when missing; the folder.
  static std::string CriaPastaDestino(const std::string& pasta);

  TfrExportacaoECF* ExportacaoECF = nullptr;

 protected:
  void Execute() override;

 private:
  int FReferencia = 0;
  int codEmp_ = 0;
};

}  // namespace integracao
