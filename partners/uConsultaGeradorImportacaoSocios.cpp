#include "partners/uConsultaGeradorImportacaoSocios.h"

#include "framework/accounting/gerador_importacao_socios_mgr.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid.h"

namespace integracao {

using namespace vyn;

TfrConsultaGeradorImportacaoSocios::TfrConsultaGeradorImportacaoSocios(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner) {
  SetCaption("Consulta gerador de importação de sócios via planilha eletrônica");
}

bool TfrConsultaGeradorImportacaoSocios::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaGeradorImportacaoSocios") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

TClientDataSet* TfrConsultaGeradorImportacaoSocios::SetDAOFactory() {
  if (!FDAOGerador) FDAOGerador = TGERADOR_IMPORTACAO_SOCIOSMGR::CreateMgr(this, false);
  FDAOGerador->Select_Consulta();
  return FDAOGerador;
}

void TfrConsultaGeradorImportacaoSocios::FormCreate() {
  TfrConsulta_Padrao_VYN::FormCreate();
  TfrConsulta_Padrao_VYN::SetDAOFactory(SetDAOFactory());
  grConsulta->Columns.clear();
  grConsulta->AddColumn("BDCODGERADOR", "Código");
  grConsulta->AddColumn("BDMODELO", "Modelo");
  grConsulta->AddColumn("BDARQUIVO", "Arquivo");
}

void TfrConsultaGeradorImportacaoSocios::Seleciona() {
  SetModalResult(mrOk);   // closes a modal form
  if (Showing()) Close();
}

}  // namespace integracao
