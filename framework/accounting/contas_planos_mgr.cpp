#include "framework/accounting/contas_planos_mgr.h"

#include <cctype>

namespace vyn {

bool TContasPlanosMGR::PlanoTemContaParticipante(int codPlaPadrao) const {
  return !Database()
              .QueryValue("SELECT FIRST 1 1 FROM PLANOS_TPLA WHERE BDCODPLAPADRAO = ? AND BDPARTICIPANTE = 1",
                          {codPlaPadrao})
              .IsNull();
}

std::string TPreencheCombosVYN::GetDescRegimeEmpresa(int regime) { return regime == 1 ? "Caixa" : "Competência"; }

}  // namespace vyn
