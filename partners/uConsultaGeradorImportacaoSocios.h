#pragma once
// The consultation of partner import layouts.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TGERADOR_IMPORTACAO_SOCIOSMGR;
}

namespace integracao {

class TfrConsultaGeradorImportacaoSocios : public vyn::TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaGeradorImportacaoSocios(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaGeradorImportacaoSocios"; }
  bool InheritsFrom(const std::string& class_name) const override;
  vyn::TClientDataSet* SetDAOFactory();

 protected:
  void FormCreate() override;
  // The row picked closes the consultation with its layout chosen.
  void Seleciona() override;

 private:
  vyn::TGERADOR_IMPORTACAO_SOCIOSMGR* FDAOGerador = nullptr;
};

}  // namespace integracao
