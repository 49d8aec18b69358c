#pragma once
// Scheduled run of a saved employee report sequence (the employee sequence screen).
#include "statutory/reportsequence/uAutoThreadSequenciaEmpresa.h"

namespace integracao {

class TAutoThreadSequenciaColaborador : public TAutoThreadSequenciaEmpresa {
 public:
  explicit TAutoThreadSequenciaColaborador(vyn::TComponent* owner = nullptr) : TAutoThreadSequenciaEmpresa(owner) {}
  std::string ClassName() const override { return "TAutoThreadSequenciaColaborador"; }
  bool InheritsFrom(const std::string& class_name) const override;

 protected:
  void Execute() override;
  void PreencheTela(TfrRelSequenciaRelatorios& tela, const TPeriodo& periodo) override;
  vyn::TButtonControl* BotaoArquivo(TfrRelSequenciaRelatorios& tela, int tipo) override;
  void AntesDeClicar(vyn::TButtonControl& botao) override;
};

}  // namespace integracao
