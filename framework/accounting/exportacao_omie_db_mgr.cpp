#include "framework/accounting/exportacao_omie_db_mgr.h"

#include "framework/ui/inconsistencias.h"

namespace vyn {

void TExportacaoOmieDBMGR::Execute() {
  if (!lista_) return;
  int codEmp = CodEmpresa.empty() ? 0 : std::stoi(CodEmpresa);
  lista_->Add_Atencao(codEmp, "O plano de contas " + std::to_string(CodPlaPadrao) +
                                  " não foi exportado para o Omie: a integração com o Omie não está disponível. "
                                  "Exporte o plano de contas pela integração do Omie.");
}

}  // namespace vyn
