#pragma once
// The consultation of exchange-variance runs of the company in the opener's edit (or of its ticked
// branches), with a jump to the entries a run posted.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TSelecionaFiliais_VYN;
class TVZEL_EMP_TVARCAMBIALMGR;
}  // namespace vyn

namespace integracao {

class TfrConsultaProcessoVariacaoCambial : public vyn::TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaProcessoVariacaoCambial(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaProcessoVariacaoCambial"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TSpeedButton* spFiliais;
  vyn::TSpeedButton* spOnline;
  vyn::TSelecionaFiliais_VYN* SelecionaFiliais;

  vyn::TVZEL_EMP_TVARCAMBIALMGR* VariacaoCambial() const { return FVariacaoCambial; }

  void spFiliaisClick(vyn::TComponent* sender);
  void spFiliaisMouseEnter(vyn::TComponent* sender);
  void spOnlineClick(vyn::TComponent* sender);

 protected:
  // Ties the branch selection to the owner edit and opens the runs of the edit's company.
  void FormCreate() override;

 private:
  vyn::TVZEL_EMP_TVARCAMBIALMGR* FVariacaoCambial;
};

}  // namespace integracao
