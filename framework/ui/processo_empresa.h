#pragma once
// The process screen with a company panel: the company edit (one code or a selection), the
// branches chosen for it, and the run over those companies.
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/processo_padrao.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TPanel;

class TfrProcesso_Empresa_Padrao_VYN : public TfrProcesso_Padrao_VYN {
 public:
  explicit TfrProcesso_Empresa_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcesso_Empresa_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TEdit_Codigo_Search_VYN* edCODEMP;
  TPanel* pnNOMEMP;
  TSpeedButton* spFiliais;

  // The branches chosen for the company (code, name); empty: the company alone.
  void SelecionaFiliais(std::vector<std::pair<int, std::string>> filiais);
  const std::vector<std::pair<int, std::string>>& Filiais() const { return filiais_; }

 protected:
  // Writes the start of the run to the action log.
  void InicioProcesso() override;
  // Without rows of its own the screen runs over the companies of the edit and the branches:
  // FDAO becomes a data set of BDCODEMP, BDNOMEMP.
  void SelectProcesso() override;
  void PosicionaFocus() override;

 private:
  TClientDataSet* empresas_ = nullptr;
  std::vector<std::pair<int, std::string>> filiais_;
};

}  // namespace vyn
