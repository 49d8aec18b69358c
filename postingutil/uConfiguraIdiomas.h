#pragma once
// The language launcher: collects a language and three plans and hands them to the suite's
// language-configuration screen.
#include <string>

#include "framework/ui/processo_padrao.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TLabel;
class TPanel;
}  // namespace vyn

namespace integracao {

class TfrConfiguraIdiomas : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrConfiguraIdiomas(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConfiguraIdiomas"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbCodIdioma;
  vyn::TEdit_Codigo_Search_VYN* edCodIdioma;
  vyn::TPanel* pnCodIdioma;
  vyn::TLabel* lbCodPlaPadrao;
  vyn::TEdit_Codigo_Search_VYN* edCodPlaPadrao;
  vyn::TLabel* lbCodCentro;
  vyn::TEdit_Codigo_Search_VYN* edCodCentro;
  vyn::TLabel* lbCodPFor;
  vyn::TEdit_Codigo_Search_VYN* edCodPFor;

 protected:
  void CreateDAO() override {}
  void SelectProcesso() override {}
  // Hands, by position: language code, language name, chart, cost-centre plan, formula plan.
  void Processo() override;
};

}  // namespace integracao
