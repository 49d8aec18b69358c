#pragma once
// The editor of partner import layouts.
#include <string>

#include "framework/ui/cadastro_padrao_planilha.h"

namespace vyn {
class TGERADOR_IMPORTACAO_SOCIOSMGR;
}

namespace integracao {

class TfrGeradorImportacaoSocios : public vyn::TfrCadastro_Padrao_Planilha_VYN {
 public:
  explicit TfrGeradorImportacaoSocios(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrGeradorImportacaoSocios"; }
  bool InheritsFrom(const std::string& class_name) const override;

 protected:
  void FormCreate() override;
  void setDAOS() override;
  int setNumeroColunas() override;
  void fcGeradorBeforePost() override;
  std::string ClasseConsulta() const override;

 private:
  vyn::TGERADOR_IMPORTACAO_SOCIOSMGR* FDAOGerador = nullptr;
};

}  // namespace integracao
