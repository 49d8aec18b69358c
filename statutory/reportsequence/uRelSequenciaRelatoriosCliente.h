#pragma once
// Report sequences run for the clients of the office (kind 3): edCODEMP takes client codes.
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

class TfrRelSequenciaRelatoriosCliente : public TfrRelSequenciaRelatorios {
 public:
  explicit TfrRelSequenciaRelatoriosCliente(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrRelSequenciaRelatoriosCliente"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int GetTipoSequencia() override { return tseqCliente; }

 protected:
  std::unique_ptr<vyn::TTipoSequenciaRelatorioPadrao> CriarTipoSequencia(int tipo) override;
};

}  // namespace integracao
