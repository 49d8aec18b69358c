#include "postingutil/uConsultaProcessosTrocas.h"

#include "framework/accounting/troca_plano_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"
#include "framework/ui/packages_util.h"
#include "postingutil/uConsultaProcessosTrocasBalancetesTreeView.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr const char* kColunaBalancete = "BDCONSULTABALANCETE";
constexpr unsigned kSemCor = 0x1FFFFFFF;   // the colour value for "none"
}  // namespace

std::string DescricaoStatusProcessoTroca(const std::string& valor) {
  std::string v = Trim(valor);
  if (v.empty() || v == "0") return "Realizado";
  if (v == "1") return "Realizado o inverso";
  if (v == "2") return "Revertido";
  return valor;
}

TfrConsultaProcessosTrocas::TfrConsultaProcessosTrocas(TComponent* owner) : TfrConsulta_Padrao_VYN(owner) {
  SetName("frConsultaProcessosTrocas");
  SetCaption("Consulta de processos de troca de contabilização");
  SetPodeExcluir(false);
  grConsulta->ReadOnly = true;
  grConsulta->AddColumn(kColunaBalancete, "Conferência de saldos");
  grConsulta->AddColumn("bdcodemp", "Empresa");
  grConsulta->AddColumn("bdnomemp", "Nome da empresa");
  grConsulta->AddColumn("bdordem", "Ordem");
  grConsulta->AddColumn("bddatainicial", "Data inícial");
  grConsulta->AddColumn("bdstatus", "Status do processo");
  grConsulta->AddColumn("bdcodint", "Plano de troca");
  grConsulta->AddColumn("bddescricao", "Descrição plano de troca");
  grConsulta->MostraDado = [this](TField& f, std::string& t) { grGrid_Padrao_VYNMostraDado(f, t); };
  grConsulta->MostraDadoImagem = [this](TField& f) { return grGrid_Padrao_VYNMostraDadoImagem(f); };
}

bool TfrConsultaProcessosTrocas::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaProcessosTrocas") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsultaProcessosTrocas::FormCreate() {
  TfrConsulta_Padrao_VYN::FormCreate();
  FProcessoTroca = TVINT_EMP_PROCESSOTROCAMGR::CreateMgr(this, false);
  SetDAOFactory(FProcessoTroca);
  FFiltro.clear();
  TComponent* dono = Owner();
  if (dono && dono->InheritsFrom("TfrProcessoTrocaPlanoContabilizacao")) {
    // Opened from the different-chart change: only changes made through a mapping plan.
    FFiltro = "troca.bdcodint is not null";
  } else if (auto* edit = dynamic_cast<TEdit_Codigo_Search_VYN*>(dono); edit && edit->TipoCodigo == tcEmpresas) {
    FFiltro = edit->GetSQLMultiSelectString("emp.bdcodemp");
  }
  FProcessoTroca->SelectConsulta(FFiltro);
}

void TfrConsultaProcessosTrocas::FormShow() {
  TfrConsulta_Padrao_VYN::FormShow();
  FImagemConsultar = grConsulta->AddBitmap(kBibliotecaImagens, "consultar", kSemCor);
}

void TfrConsultaProcessosTrocas::FormClose(TCloseAction& action) {
  TfrConsulta_Padrao_VYN::FormClose(action);
  if (action == caNone || !FProcessoTroca) return;
  SetDAOFactory(nullptr);
  FreeComponent(FProcessoTroca);
  FProcessoTroca = nullptr;
}

void TfrConsultaProcessosTrocas::grGrid_Padrao_VYNMostraDado(TField& field, std::string& text) {
  if (SameText(field.FieldName(), "bdstatus")) text = DescricaoStatusProcessoTroca(text);
}

int TfrConsultaProcessosTrocas::grGrid_Padrao_VYNMostraDadoImagem(TField& field) {
  return SameText(field.FieldName(), kColunaBalancete) ? FImagemConsultar : -1;
}

void TfrConsultaProcessosTrocas::KeyDown(int& key, unsigned shift) {
  bool enter = key == 13;
  TfrConsulta_Padrao_VYN::KeyDown(key, shift);
  if (enter && SameText(grConsulta->SelectedField, kColunaBalancete)) AbreBalancetes();
}

void TfrConsultaProcessosTrocas::AbreBalancetes() {
  // An empty grid has no change to show.
  if (!FProcessoTroca || !FProcessoTroca->Active() || FProcessoTroca->IsEmpty()) return;
  TListaObj lista;
  lista.Posicao(ptbEmpresa).AddBoxedInteger(FProcessoTroca->GetCODEMP());
  lista.Posicao(ptbOrdem).AddBoxedInteger(FProcessoTroca->GetORDEM());
  TPackagesUtil::CarregaFormParamsObj("TfrConsultaProcessosTrocasBalancetesTreeView", this, std::move(lista));
}

}  // namespace integracao
