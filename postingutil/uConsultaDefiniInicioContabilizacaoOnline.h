#pragma once
// The consultation of the recorded starts of online posting, of the company in the opener's
// company edit or of every company.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TField;
class TSQLMGR;
}  // namespace vyn

namespace integracao {

class TfrConsultaDefiniInicioContabilizacaoOnline : public vyn::TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaDefiniInicioContabilizacaoOnline(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaDefiniInicioContabilizacaoOnline"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // [company edit]: only a company edit with a company narrows the list.
  void SetListaObj(const vyn::TListaObj& lista) override;

  vyn::TSQLMGR* InicioContabilizacao() const { return FSQL; }

 protected:
  // "Processo automático" shows "Sim" or "Não".
  virtual void grGrid_Padrao_VYNMostraDado(vyn::TField& field, std::string& text);

 private:
  vyn::TSQLMGR* FSQL;
};

}  // namespace integracao
