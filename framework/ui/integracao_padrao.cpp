#include "framework/ui/integracao_padrao.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"

namespace vyn {

TfrIntegracao_Padrao::TfrIntegracao_Padrao(TComponent* owner)
    : TfrDadosComplementaresPadrao(owner),
      edArquivo(Create<TEdit_Diretorio_Padrao_VYN>()),
      spConsulta(Create<TSpeedButton>()),
      spConfigPadraoRel(Create<TSpeedButton>()),
      mmSalvarConfig(Create<TMenuItem>()),
      mmLimparconfig(Create<TMenuItem>()),
      Inconsistencias_VYN(Create<TInconsistencias_VYN>()) {
  edArquivo->SetName("edArquivo");
  spConsulta->SetName("spConsulta");
  spConfigPadraoRel->SetName("spConfigPadraoRel");
  mmSalvarConfig->SetName("mmSalvarConfig");
  mmLimparconfig->SetName("mmLimparconfig");
  Inconsistencias_VYN->SetName("Inconsistencias_VYN");
}

bool TfrIntegracao_Padrao::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrIntegracao_Padrao") || TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

void TfrIntegracao_Padrao::FormCreate() {
  TfrDadosComplementaresPadrao::FormCreate();
  SetCriaDao();
}

void TfrIntegracao_Padrao::ProcessoConfirma() {
  TfrDadosComplementaresPadrao::ProcessoConfirma();
  if (auto* m = dynamic_cast<IIntegracaoMGR*>(FDAOIntegracao)) m->ExecutaIntegracao(*Inconsistencias_VYN);
  AntesSalvarLog();
  FLogEvent->GravarLog(false);
  ExecuteFimProcesso();
}

void TfrIntegracao_Padrao::SetDataPeriodo(TDateTime data) { ProcessContext().DataPeriodo = data; }

TfrIntegracao_Empresa_Padrao_VYN::TfrIntegracao_Empresa_Padrao_VYN(TComponent* owner)
    : TfrIntegracao_Padrao(owner), edCODEMP(Create<TEdit_Codigo_Search_VYN>(tcEmpresas)), pnNOMEMP(Create<TPanel>()) {
  PreparaEditEmpresa(*edCODEMP, *pnNOMEMP);
}

bool TfrIntegracao_Empresa_Padrao_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrIntegracao_Empresa_Padrao_VYN") || TfrIntegracao_Padrao::InheritsFrom(class_name);
}

}  // namespace vyn
