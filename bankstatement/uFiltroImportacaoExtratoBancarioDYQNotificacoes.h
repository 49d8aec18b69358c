#pragma once
// The released-statements notification list: the office's companies with statements or cash
// movements released on Dyq; opens both Dyq dialogs for the chosen one.
#include <memory>
#include <string>

#include "framework/ui/integracao_padrao.h"
#include "framework/web/dyq_client.h"

namespace vyn {
class TGroupBox;
class TLabel;
class TListView;
}  // namespace vyn

namespace integracao {

class TfrFiltroImportacaoExtratoBancarioDYQNotificacoes : public vyn::TfrIntegracao_Padrao {
 public:
  explicit TfrFiltroImportacaoExtratoBancarioDYQNotificacoes(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrFiltroImportacaoExtratoBancarioDYQNotificacoes"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TGroupBox* gpExtratos;
  vyn::TListView* lvExtratos;
  vyn::TLabel* lbTotal;

  std::unique_ptr<vyn::TRetornaMetodoDYQ> FRetornaDYQ;

  void PreencheListaExtratos();
  void spConfirmarClick(vyn::TComponent* sender) override;

 protected:
  void FormShow() override;
  void SetCriaDao() override;
};

}  // namespace integracao
