#pragma once
// The plan changes done: a read-only grid; Enter on the balance column opens the balances saved
// before and after the change of the current row.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TField;
class TVINT_EMP_PROCESSOTROCAMGR;
}  // namespace vyn

namespace integracao {

// The texts of a change's status (bdstatus).
std::string DescricaoStatusProcessoTroca(const std::string& valor);

class TfrConsultaProcessosTrocas : public vyn::TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsultaProcessosTrocas(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaProcessosTrocas"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TVINT_EMP_PROCESSOTROCAMGR* ProcessoTroca() const { return FProcessoTroca; }
  const std::string& Filtro() const { return FFiltro; }
  int ImagemConsultar() const { return FImagemConsultar; }

  void grGrid_Padrao_VYNMostraDado(vyn::TField& field, std::string& text);
  int grGrid_Padrao_VYNMostraDadoImagem(vyn::TField& field);
  void KeyDown(int& key, unsigned shift) override;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;

 private:
  void AbreBalancetes();
  vyn::TVINT_EMP_PROCESSOTROCAMGR* FProcessoTroca = nullptr;
  std::string FFiltro;
  int FImagemConsultar = -1;
};

}  // namespace integracao
