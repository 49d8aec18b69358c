#include "postingutil/uSelecaoRecontabilizacao.h"

#include <array>
#include <span>

#include "framework/core/text.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/grid.h"
#include "postingutil/uProcessoRecontabilizacao.h"

namespace integracao {

using namespace vyn;

namespace {

struct TGrupo {
  TCheckListBox* Lista;
  std::span<const uint8_t> Rotinas;
  const char* Prefixo;
};

// The groups in the order the owner's captions follow: Geral, Fiscal, Folha.
std::array<TGrupo, 3> Grupos(TfrSelecaoRecontabilizacao& f) {
  return {{{f.clbRecontGeral, C_RECURSOS_GERAL, kPrefixoGeral},
           {f.clbRecontFiscal, C_RECURSOS_FISCAL, kPrefixoFiscal},
           {f.clbRecontFolha, C_RECURSOS_FOLHA, kPrefixoFolha}}};
}

TCheckListBox* NovaLista(TComponent& owner, const char* name, std::span<const uint8_t> rotinas) {
  auto* l = owner.Create<TCheckListBox>();
  l->SetName(name);
  l->SetFontName("COURIER NEW");
  for (uint8_t r : rotinas) l->Add(NomeTipoProc(r));
  return l;
}

}  // namespace

TfrSelecaoRecontabilizacao::TfrSelecaoRecontabilizacao(TComponent* owner)
    : TfrDadosComplementaresPadraoModal(owner),
      pgRecontabilizacao(Create<TPageControl>()),
      tbGeral(pgRecontabilizacao->AddPage("tbGeral", "Geral")),
      tsFolha(pgRecontabilizacao->AddPage("tsFolha", "Folha")),
      tsRecontFiscal(pgRecontabilizacao->AddPage("tsRecontFiscal", "Fiscal")),
      clbRecontGeral(NovaLista(*this, "clbRecontGeral", C_RECURSOS_GERAL)),
      clbRecontFolha(NovaLista(*this, "clbRecontFolha", C_RECURSOS_FOLHA)),
      clbRecontFiscal(NovaLista(*this, "clbRecontFiscal", C_RECURSOS_FISCAL)),
      ckRetiraSelecaoTudo(Create<TCheckBox>()),
      iiSelecao(Create<TLabel>()) {
  SetName("frSelecaoRecontabilizacao");
  SetCaption("Seleciona dados para recontabilização");
  pgRecontabilizacao->SetName("pgRecontabilizacao");
  ckRetiraSelecaoTudo->SetName("ckRetiraSelecaoTudo");
  ckRetiraSelecaoTudo->SetCaption("Selecionar todos os módulos");
  ckRetiraSelecaoTudo->OnClick = [this](TComponent* s) { ckRetiraSelecaoTudoClick(s); };
  iiSelecao->SetName("iiSelecao");
  iiSelecao->SetHint("Ao marcar essa opção, serão selecionadas todas as opções de cada aba de todos os módulos.");
}

void TfrSelecaoRecontabilizacao::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, 1, "Esta tela é aberta pelo processo de recontabilização.");
  TfrDadosComplementaresPadraoModal::SetListaObj(lista);
}

bool TfrSelecaoRecontabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrSelecaoRecontabilizacao") ||
         TfrDadosComplementaresPadraoModal::InheritsFrom(class_name);
}

void TfrSelecaoRecontabilizacao::FormCreate() {
  TfrDadosComplementaresPadraoModal::FormCreate();
  auto* dono = dynamic_cast<TfrProcessoRecontabilizacao*>(Owner());
  if (!dono) return;
  for (const TGrupo& g : Grupos(*this)) {
    for (size_t i = 0; i < g.Rotinas.size(); ++i) {
      int ordinal = g.Rotinas[i];
      g.Lista->Items[i].Checked = ordinal <= 63 && dono->FRotinas.test(static_cast<size_t>(ordinal));
    }
  }
}

void TfrSelecaoRecontabilizacao::FormShow() {
  TfrDadosComplementaresPadraoModal::FormShow();
  pgRecontabilizacao->SetActivePageIndex(0);
}

void TfrSelecaoRecontabilizacao::ckRetiraSelecaoTudoClick(TComponent*) {
  for (const TGrupo& g : Grupos(*this)) g.Lista->CheckAll(ckRetiraSelecaoTudo->Checked());
}

void TfrSelecaoRecontabilizacao::ProcessoConfirma() {
  TfrDadosComplementaresPadraoModal::ProcessoConfirma();
  auto* dono = dynamic_cast<TfrProcessoRecontabilizacao*>(Owner());
  if (!dono) return;
  dono->FRotinas.reset();
  dono->FListaRotinas.clear();
  for (const TGrupo& g : Grupos(*this)) {
    for (size_t i = 0; i < g.Rotinas.size(); ++i) {
      if (!g.Lista->Checked(static_cast<int>(i))) continue;
      IncluiTipoProc(dono->FRotinas, g.Rotinas[i]);
      dono->FListaRotinas.push_back(std::string(g.Prefixo) + "." + g.Lista->Items[i].Text);
    }
  }
}

}  // namespace integracao
