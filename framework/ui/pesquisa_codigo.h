#pragma once
// The search list of a code edit: the records of the edit's kind with their code, their name and the
// columns the screen added for this search. Enter or a double click on a row takes its code; Esc or
// the close box gives up.
#include <cstdint>
#include <string>

#include "framework/ui/consulta_padrao.h"

namespace vyn {

class TCamposProcurar;
class TFieldsContainer;

class TfrPesquisaCodigo_VYN : public TfrConsulta_Padrao_VYN {
 public:
  explicit TfrPesquisaCodigo_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrPesquisaCodigo_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Shows `lista` (columns CODIGO, NOME and the added ones; not owned, it outlives the screen) with
  // the columns "Código", "Nome" and then those of `campos`, titled by their field names.
  void Prepara(TClientDataSet* lista, const TCamposProcurar& campos);
  // The code of the row taken; 0 while none was.
  int64_t CodigoEscolhido() const { return escolhido_; }

  TFieldsContainer* fcPesquisa;   // the grid's columns

 protected:
  void Seleciona() override;

 private:
  int64_t escolhido_ = 0;
};

}  // namespace vyn
