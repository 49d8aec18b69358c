#pragma once
// The routine selection of the re-posting screen: one check list per group; confirming rewrites the
// owner's routine set and captions.
#include <string>

#include "framework/ui/dados_complementares.h"

namespace vyn {
class TCheckBox;
class TCheckListBox;
class TLabel;
class TPageControl;
class TTabSheet;
}  // namespace vyn

namespace integracao {

class TfrSelecaoRecontabilizacao : public vyn::TfrDadosComplementaresPadraoModal {
 public:
  explicit TfrSelecaoRecontabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrSelecaoRecontabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;
  // The re-posting screen opens it with a list of one nil object; the menu's bare open is refused.
  void SetListaObj(const vyn::TListaObj& lista) override;

  vyn::TPageControl* pgRecontabilizacao;
  vyn::TTabSheet* tbGeral;
  vyn::TTabSheet* tsFolha;
  vyn::TTabSheet* tsRecontFiscal;
  vyn::TCheckListBox* clbRecontGeral;
  vyn::TCheckListBox* clbRecontFolha;
  vyn::TCheckListBox* clbRecontFiscal;
  vyn::TCheckBox* ckRetiraSelecaoTudo;
  vyn::TLabel* iiSelecao;

  void ckRetiraSelecaoTudoClick(vyn::TComponent* sender);

 protected:
  void FormCreate() override;
  void FormShow() override;
  void ProcessoConfirma() override;
};

}  // namespace integracao
