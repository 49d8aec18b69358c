#include "postingutil/uConfiguraIdiomas.h"

#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr int kDigitosCodigo = 6;

TEdit_Codigo_Search_VYN* EditPlano(TComponent& tela, const char* nome, int tipo) {
  auto* ed = tela.Create<TEdit_Codigo_Search_VYN>(tipo);
  ed->SetName(nome);
  ed->SetMaxLength(kDigitosCodigo);
  ed->AceitaZero = true;
  ed->AceitaVazio = true;
  return ed;
}

TLabel* Rotulo(TComponent& tela, const char* caption) {
  auto* l = tela.Create<TLabel>();
  l->SetCaption(caption);
  return l;
}
}  // namespace

TfrConfiguraIdiomas::TfrConfiguraIdiomas(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      lbCodIdioma(Rotulo(*this, "Idioma:")),
      edCodIdioma(Create<TEdit_Codigo_Search_VYN>(tcIdiomas)),
      pnCodIdioma(Create<TPanel>()),
      lbCodPlaPadrao(Rotulo(*this, "Plano de contas:")),
      edCodPlaPadrao(EditPlano(*this, "edCodPlaPadrao", tcPlanoContas)),
      lbCodCentro(Rotulo(*this, "Plano de centros de custos:")),
      edCodCentro(EditPlano(*this, "edCodCentro", tcPlanoCentroCustos)),
      lbCodPFor(Rotulo(*this, "Plano de fórmulas:")),
      edCodPFor(EditPlano(*this, "edCodPFor", tcPlanoFormula)) {
  lbCodIdioma->SetName("lbCodIdioma");
  lbCodPlaPadrao->SetName("lbCodPlaPadrao");
  lbCodCentro->SetName("lbCodCentro");
  lbCodPFor->SetName("lbCodPFor");
  SetCaption("Configuração de idiomas");
  edCodIdioma->SetName("edCodIdioma");
  edCodIdioma->SetMaxLength(kDigitosCodigo);
  edCodIdioma->AceitaZero = false;
  edCodIdioma->AceitaVazio = false;
  edCodIdioma->PanelNome = pnCodIdioma;
  pnCodIdioma->SetName("pnCodIdioma");
  // F11 picks several formula plans.
  edCodPFor->SetAceitaMultiSelecao(true);
}

bool TfrConfiguraIdiomas::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConfiguraIdiomas") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConfiguraIdiomas::Processo() {
  if (!edCodIdioma->Validate()) {
    DlgWarOk(edCodIdioma->Mensagem());
    return;
  }
  // Plain values in the slots, not boxed: the receiving screen reads them by position.
  TListaObj lista;
  lista.AddInteger(edCodIdioma->Codigo());
  lista.AddText(pnCodIdioma->Caption());
  lista.AddInteger(edCodPlaPadrao->Codigo());
  lista.AddInteger(edCodCentro->Codigo());
  lista.AddInteger(edCodPFor->Codigo());
  TPackagesUtil::CarregaFormParamsObj("TfrConfiguracaoIdiomas", this, std::move(lista), nullptr);
}

}  // namespace integracao
