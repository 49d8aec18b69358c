#pragma once
// The balance check of one plan change: a tree company / before or after the change / year, and the
// grid of the trial balance the selected node narrows.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TDAOFactory;
}

namespace integracao {

inline constexpr const char* kNoSemDados = "Esses dados não foram salvos";

// The parameter array the plan change query hands its balance tree (boxed integers).
enum TParamTrocasBalancetes : int {
  ptbEmpresa = 0,
  ptbOrdem,   // the change's order
};

class TfrConsultaProcessosTrocasBalancetesTreeView : public vyn::TfrConsulta_Padrao_TreeView_VYN {
 public:
  explicit TfrConsultaProcessosTrocasBalancetesTreeView(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaProcessosTrocasBalancetesTreeView"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // [TInteger_VYN company, TInteger_VYN order of the change].
  void SetListaObj(const vyn::TListaObj& lista) override;
  // The tree's levels and their query.
  void setGroups();
  // The balance rows of a node (its side and year narrow them), shown in the grid.
  std::string GetSQLBalancete(const vyn::TTreeNode* node) const;
  void MostraBalancete(const vyn::TTreeNode* node);
  // 1 for the node text "Posterior a troca" (quoted or not), else 0.
  static int GetDeParaFrom(const std::string& texto);

  int CodEmp() const { return FCodEmp; }
  int Ordem() const { return FOrdem; }

 private:
  void setDaoFactory();
  vyn::TDAOFactory* FBalancete = nullptr;
  int FCodEmp = 0;
  int FOrdem = 0;
};

}  // namespace integracao
