#pragma once
// The process screen with a company panel: the company edit (one code or a selection), the
// branches chosen for it, and the run over those companies.
#include <string>

#include "framework/ui/processo_padrao.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TPanel;
class TSelecionaFiliais_VYN;

class TfrProcesso_Empresa_Padrao_VYN : public TfrProcesso_Padrao_VYN {
 public:
  explicit TfrProcesso_Empresa_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcesso_Empresa_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TEdit_Codigo_Search_VYN* edCODEMP;
  TPanel* pnNOMEMP;
  // The branch selection: hidden unless the screen shows it; then the run covers the ticked companies.
  TSpeedButton* spFiliais;
  TSelecionaFiliais_VYN* SelecionaFiliais;

 protected:
  // Writes the start of the run to the action log.
  void InicioProcesso() override;
  // Without rows of its own the screen runs over the companies of the edit and the branches:
  // FDAO becomes a data set of BDCODEMP, BDNOMEMP.
  void SelectProcesso() override;
  void PosicionaFocus() override;

 private:
  TClientDataSet* empresas_ = nullptr;
};

}  // namespace vyn
