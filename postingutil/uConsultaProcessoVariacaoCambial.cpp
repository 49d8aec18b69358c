#include "postingutil/uConsultaProcessoVariacaoCambial.h"

#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/variacao_cambial_mgr.h"
#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/seleciona_filiais.h"

namespace integracao {

using namespace vyn;

TfrConsultaProcessoVariacaoCambial::TfrConsultaProcessoVariacaoCambial(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner),
      spFiliais(Create<TSpeedButton>()),
      spOnline(Create<TSpeedButton>()),
      SelecionaFiliais(Create<TSelecionaFiliais_VYN>()),
      FVariacaoCambial(TVZEL_EMP_TVARCAMBIALMGR::CreateMgr(this, true)) {
  SetName("frConsultaProcessoVariacaoCambial");
  SetCaption("Consulta do processo de variação cambial");
  SetDAOFactory(FVariacaoCambial);
  grConsulta->AddColumn("BDCODEMP", "Empresa");
  grConsulta->AddColumn("BDCHAVE", "Chave");
  grConsulta->AddColumn("BDNOMMOE", "Moeda");
  grConsulta->AddColumn("BDDATAINI", "Data inicial");
  grConsulta->AddColumn("BDDATAFIN", "Data final");
  grConsulta->AddColumn("BDCONTABILIZACAO", "Contabilização");
  grConsulta->AddColumn("BDNOMUSU", "Usuário");

  spFiliais->SetName("spFiliais");
  spFiliais->OnClick = [this](TComponent* s) { spFiliaisClick(s); };
  spFiliais->OnMouseEnter = [this](TComponent* s) { spFiliaisMouseEnter(s); };
  spOnline->SetName("spOnline");
  spOnline->SetHint("Mostrar lançamentos no contábil");
  spOnline->OnClick = [this](TComponent* s) { spOnlineClick(s); };
}

bool TfrConsultaProcessoVariacaoCambial::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaProcessoVariacaoCambial") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsultaProcessoVariacaoCambial::FormCreate() {
  TfrConsulta_Padrao_VYN::FormCreate();
  auto* edit = dynamic_cast<TEdit_Codigo_Search_VYN*>(Owner());
  SelecionaFiliais->SetEditEmpresa(edit);
  SelecionaFiliais->SetSpeedButton(spFiliais, "Seleção de filiais...");
  FVariacaoCambial->SelectConsulta(edit ? edit->getCodigoStr() : std::string());
}

void TfrConsultaProcessoVariacaoCambial::spFiliaisClick(TComponent*) {
  if (!SelecionaFiliais->getLista()) return;
  // Nothing ticked lists nothing (an empty list would otherwise mean every company).
  if (SelecionaFiliais->getQtdItensChecados() == 0)
    FVariacaoCambial->EmptyDataSetDao();
  else
    FVariacaoCambial->SelectConsulta(SelecionaFiliais->getCheckedItens());
}

void TfrConsultaProcessoVariacaoCambial::spFiliaisMouseEnter(TComponent*) { SelecionaFiliais->setSPFiliais(); }

void TfrConsultaProcessoVariacaoCambial::spOnlineClick(TComponent*) {
  // No run under the cursor: nothing to show.
  if (!FVariacaoCambial->Active() || FVariacaoCambial->IsEmpty()) return;
  const std::string codEmp = FVariacaoCambial->FieldByName("BDCODEMP").AsString();
  const std::string chave = FVariacaoCambial->FieldByName("BDCHAVE").AsString();
  TContabilizacaoMGR::pAbreConsultaContabilizacaoSQL(this, "TOL_VZEL_EMP_TVARCAMBIAL", "VAR",
                                                     "VAR.BDCODEMP = " + codEmp + " AND VAR.BDCODVAR = " + chave,
                                                     static_cast<int>(FVariacaoCambial->FieldByName("BDCODEMP").AsInteger()),
                                                     true);
}

}  // namespace integracao
