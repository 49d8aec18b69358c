#pragma once
// The consultation of past re-posting runs of the company in the opener's edit, with the routines
// each run re-posted.
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {
class TField;
class TVZEL_EMP_TRECONTABILIZACAOMGR;
}  // namespace vyn

namespace integracao {

class TfrConsultaRecontabilizacao : public vyn::TfrConsulta_Padrao_Grid {
 public:
  explicit TfrConsultaRecontabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaRecontabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The routines of the current run.
  void RefreshGridAux() override;

  vyn::TVZEL_EMP_TRECONTABILIZACAOMGR* Recontabilizacao() const { return FRecontabilizacao; }
  vyn::TVZEL_EMP_TRECONTABILIZACAOMGR* Rotinas() const { return FRotinas; }

 protected:
  // Opens the runs of the owner edit's company.
  void FormCreate() override;
  // The general routines (system 1) show as "Geral".
  virtual void grGridAggregateMostraDado(vyn::TField& field, std::string& text);

 private:
  vyn::TVZEL_EMP_TRECONTABILIZACAOMGR* FRecontabilizacao;
  vyn::TVZEL_EMP_TRECONTABILIZACAOMGR* FRotinas;
};

}  // namespace integracao
