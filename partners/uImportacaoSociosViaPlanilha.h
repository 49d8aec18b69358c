#pragma once
// The screen from which a company's partners and responsible persons are imported from a
// spreadsheet through a saved column layout.
#include <string>

#include "framework/ui/processo_empresa.h"

namespace vyn {
class TEdit_Diretorio_Padrao_VYN;
class TComboBox_Padrao_VYN;
}  // namespace vyn

namespace integracao {

class TIntegracaoSocios;

class TfrImportacaoSociosViaPlanilha : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrImportacaoSociosViaPlanilha(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoSociosViaPlanilha"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Codigo_Search_VYN* edCODGERADOR;
  vyn::TPanel* pnGerador;
  vyn::TSpeedButton* sbGerador;
  vyn::TEdit_Diretorio_Padrao_VYN* edARQUIVO;
  vyn::TComboBox_Padrao_VYN* cbTipoImportacao;
  TIntegracaoSocios* Engine() const { return FImportacaoSocio; }
  bool CopiarMatrizParaFilial() const { return FCopiarMatrizParaFilial; }

  void edCODGERADORExit();

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormDestroy() override;
  void CreateDAO() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  TIntegracaoSocios* FImportacaoSocio = nullptr;
  bool FCopiarMatrizParaFilial = false;
};

}  // namespace integracao
