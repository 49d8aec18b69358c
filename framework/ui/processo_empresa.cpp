#include "framework/ui/processo_empresa.h"

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/seleciona_filiais.h"

namespace vyn {

TfrProcesso_Empresa_Padrao_VYN::TfrProcesso_Empresa_Padrao_VYN(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresas)),
      pnNOMEMP(Create<TPanel>()),
      spFiliais(Create<TSpeedButton>()),
      SelecionaFiliais(Create<TSelecionaFiliais_VYN>()) {
  PreparaEditEmpresa(*edCODEMP, *pnNOMEMP);
  spFiliais->SetName("spFiliais");
  spFiliais->SetVisible(false);
  SelecionaFiliais->SetEditEmpresa(edCODEMP);
  SelecionaFiliais->SetSpeedButton(spFiliais, "Seleção de filiais...");
  spFiliais->OnClick = [this](TComponent*) { SelecionaFiliais->getLista(); };
}

bool TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcesso_Empresa_Padrao_VYN") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrProcesso_Empresa_Padrao_VYN::InicioProcesso() {
  TfrProcesso_Padrao_VYN::InicioProcesso();
  FLogEvent->SetEmpresaAtual(static_cast<int>(edCODEMP->Codigo()));
  FLogEvent->GravarLog(true);
}

void TfrProcesso_Empresa_Padrao_VYN::SelectProcesso() {
  if (FDAO && FDAO != empresas_) {
    TfrProcesso_Padrao_VYN::SelectProcesso();
    return;
  }
  if (!empresas_) {
    empresas_ = Create<TClientDataSet>();
    empresas_->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
    empresas_->AddFieldDef("BDNOMEMP", TFieldType::ftString, 100);
    empresas_->CreateDataSet();
  }
  empresas_->EmptyDataSet();
  std::vector<int64_t> codes = edCODEMP->CodigosSelecionados();
  std::string nome = edCODEMP->GetDaoFactory() ? edCODEMP->GetDaoFactory()->Nome : pnNOMEMP->Caption();
  for (int64_t c : codes) empresas_->AppendRecord({Variant(static_cast<long long>(c)), Variant(codes.size() == 1 ? nome : "")});
  if (spFiliais->Visible()) {
    for (auto& f : SelecionaFiliais->getFiliais()) {
      bool dup = !f.Checked;
      for (int64_t c : codes) dup = dup || c == f.CodEmp;
      if (!dup) empresas_->AppendRecord({Variant(f.CodEmp), Variant(f.Nome)});
    }
  }
  FDAO = empresas_;
  FDAO->First();
}

void TfrProcesso_Empresa_Padrao_VYN::PosicionaFocus() {
  TfrProcesso_Padrao_VYN::PosicionaFocus();
  if (edCODEMP->CanFocus()) edCODEMP->SetFocus();
}

}  // namespace vyn
