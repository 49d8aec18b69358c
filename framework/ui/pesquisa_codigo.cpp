#include "framework/ui/pesquisa_codigo.h"

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/campos_procurar.h"
#include "framework/ui/grid.h"

namespace vyn {

TfrPesquisaCodigo_VYN::TfrPesquisaCodigo_VYN(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner), fcPesquisa(Create<TFieldsContainer>()) {
  SetCaption("Pesquisa");
  fcPesquisa->SetName("fcPesquisa");
  SetPodeExcluir(false);
  spAtualizar->SetVisible(false);
}

bool TfrPesquisaCodigo_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrPesquisaCodigo_VYN") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrPesquisaCodigo_VYN::Prepara(TClientDataSet* lista, const TCamposProcurar& campos) {
  SetDAOFactory(lista);
  fcPesquisa->Add("CODIGO", "Código", TTipoEditorCampo::Nenhum).ReadOnly = true;
  fcPesquisa->Add("NOME", "Nome", TTipoEditorCampo::Nenhum).ReadOnly = true;
  for (const TFieldsContainerItem& i : campos.Items())
    fcPesquisa->Add(i.FieldName, i.Title, TTipoEditorCampo::Nenhum).ReadOnly = true;
  fcPesquisa->SetGridSearch(grConsulta);
  if (lista && lista->Active()) lista->First();
}

void TfrPesquisaCodigo_VYN::Seleciona() {
  if (!FDAO || !FDAO->Active() || FDAO->IsEmpty()) return;
  const TField& codigo = FDAO->FieldByName("CODIGO");
  escolhido_ = codigo.IsNull() ? 0 : codigo.AsInteger();
  SetModalResult(mrOk);
}

}  // namespace vyn
