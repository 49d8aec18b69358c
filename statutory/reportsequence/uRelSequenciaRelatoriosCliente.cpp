#include "statutory/reportsequence/uRelSequenciaRelatoriosCliente.h"

#include "framework/core/text.h"
#include "framework/ui/control.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

using namespace vyn;

TfrRelSequenciaRelatoriosCliente::TfrRelSequenciaRelatoriosCliente(TComponent* owner)
    : TfrRelSequenciaRelatorios(owner) {
  SetCaption("Sequência por cliente");
  edCODEMP->SetTypeCodeVYN(tcClienteFinanceiro);
  lbCODEMP->SetCaption("Cliente:");
}

bool TfrRelSequenciaRelatoriosCliente::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrRelSequenciaRelatoriosCliente") || TfrRelSequenciaRelatorios::InheritsFrom(class_name);
}

std::unique_ptr<TTipoSequenciaRelatorioPadrao> TfrRelSequenciaRelatoriosCliente::CriarTipoSequencia(int) {
  return std::make_unique<TTipoSequenciaRelatorioClientes>(this);
}

}  // namespace integracao
