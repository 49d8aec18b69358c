#include "postingutil/uConsultaRecontabilizacao.h"

#include "framework/accounting/recontabilizacao_mgr.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/grid.h"

namespace integracao {

using namespace vyn;

TfrConsultaRecontabilizacao::TfrConsultaRecontabilizacao(TComponent* owner)
    : TfrConsulta_Padrao_Grid(owner),
      FRecontabilizacao(TVZEL_EMP_TRECONTABILIZACAOMGR::CreateMgr(this)),
      FRotinas(TVZEL_EMP_TRECONTABILIZACAOMGR::CreateMgr(this)) {
  SetCaption("Consulta de recontabilizações");
  FRotinas->SetName("RecontabilizacaoRotinas");
  SetDAOFactory(FRecontabilizacao);
  SetDAOFactoryAggregate(FRotinas);
  LigaMaster();
  SetPodeExcluir(false);
  grConsulta->AddColumn("BDCODEMP", "Empresa");
  grConsulta->AddColumn("BDORDEM", "Ordem");
  grConsulta->AddColumn("BDNOMEMP", "Nome da empresa");
  grConsulta->AddColumn("BDDATAINI", "Período inicial");
  grConsulta->AddColumn("BDDATAFIN", "Período final");
  grConsulta->AddColumn("BDATAPROC", "Data do processo");
  grConsulta->AddColumn("BDHORAPROC", "Hora do processo");
  grConsulta->AddColumn("BDNOMUSU", "Usuário");
  grConsulta->AddColumn("BDNOMRESP", "Responsável");
  grGridAggregate->AddColumn("BDDESCSIS", "Sistema");
  grGridAggregate->AddColumn("BDNOME", "Rotina contabilizada nesse processo");
  grGridAggregate->MostraDado = [this](TField& field, std::string& text) { grGridAggregateMostraDado(field, text); };
}

bool TfrConsultaRecontabilizacao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaRecontabilizacao") || TfrConsulta_Padrao_Grid::InheritsFrom(class_name);
}

void TfrConsultaRecontabilizacao::FormCreate() {
  TfrConsulta_Padrao_Grid::FormCreate();
  int codEmp = 0;
  if (auto* edit = dynamic_cast<TEdit_Codigo_Search_VYN*>(Owner())) codEmp = static_cast<int>(edit->Codigo());
  FRecontabilizacao->SelectConsulta(codEmp);
  FRecontabilizacao->First();   // the routines follow the cursor
}

void TfrConsultaRecontabilizacao::RefreshGridAux() {
  // No run under the cursor: no routines to ask for.
  if (!FRecontabilizacao->Active() || FRecontabilizacao->IsEmpty()) {
    if (FRotinas->Active()) FRotinas->EmptyDataSetDao();
    return;
  }
  FRotinas->CommandText(
      "SELECT PROC.*, SIS.BDDESCSIS FROM VZEL_EMP_TRECONTABILIZACAO_PROC PROC "
      " LEFT OUTER JOIN TSISTEMA SIS ON (PROC.BDCODSIS = SIS.BDCODSIS) WHERE PROC.BDCODEMP = ? AND PROC.BDORDEM  = ?"
      " ORDER BY PROC.BDSEQ",
      ctOpen, {Variant(FRecontabilizacao->GetCODEMP()), Variant(FRecontabilizacao->GetORDEM())});
}

void TfrConsultaRecontabilizacao::grGridAggregateMostraDado(TField& field, std::string& text) {
  if (!SameText(field.FieldName(), "BDDESCSIS")) return;
  TField& sistema = field.DataSet().FieldByName("BDCODSIS");
  if (!sistema.IsNull() && sistema.AsInteger() == 1) text = "Geral";
}

}  // namespace integracao
