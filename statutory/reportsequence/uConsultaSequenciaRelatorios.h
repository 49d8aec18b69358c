#pragma once
// Lookup of saved report sequences (the model code edit's consultation): the models of the opener's
// kind and, below, the items of the model under the cursor.
#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TDAOFactory;
}

namespace integracao {

class TfrConsultaSequenciaRelatorios : public vyn::TfrConsulta_Padrao_Grid {
 public:
  explicit TfrConsultaSequenciaRelatorios(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaSequenciaRelatorios"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void RefreshGridAux() override;

 protected:
  void FormCreate() override;
  // The model under the cursor is the opener's choice.
  void Seleciona() override;

 private:
  vyn::TDAOFactory* FSequencias;
  vyn::TDAOFactory* FItens;
};

}  // namespace integracao
