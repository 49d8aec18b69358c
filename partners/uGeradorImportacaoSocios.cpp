#include "partners/uGeradorImportacaoSocios.h"

#include "framework/accounting/gerador_importacao_socios_mgr.h"
#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"

namespace integracao {

using namespace vyn;

TfrGeradorImportacaoSocios::TfrGeradorImportacaoSocios(TComponent* owner) : TfrCadastro_Padrao_Planilha_VYN(owner) {
  SetCaption("Gerador de importação dos sócios e responsáveis por planilha");
  edCODGERADOR->SetTypeCodeVYN(tcGeradorImportacaoSocios);
  edCODGERADOR->AceitaZero = true;   // a new layout
  lbModelo->SetCaption("* Modelo:");
}

bool TfrGeradorImportacaoSocios::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrGeradorImportacaoSocios") || TfrCadastro_Padrao_Planilha_VYN::InheritsFrom(class_name);
}

void TfrGeradorImportacaoSocios::setDAOS() {
  FDAOGerador = TGERADOR_IMPORTACAO_SOCIOSMGR::CreateMgr(this, true);
  setDAOGerador(FDAOGerador);
  setDAOPlanilha(TGERADOR_COLUNAS_SOCIOSMGR::CreateMgrFirst0(this, true));
  setFieldsMenu(cFields());
}

int TfrGeradorImportacaoSocios::setNumeroColunas() { return static_cast<int>(cFields().size()); }

void TfrGeradorImportacaoSocios::FormCreate() {
  TfrCadastro_Padrao_Planilha_VYN::FormCreate();
  FDAOGerador->SetSearch("TfrConsultaGeradorImportacaoSocios");
}

std::string TfrGeradorImportacaoSocios::ClasseConsulta() const { return FDAOGerador ? FDAOGerador->Search() : ""; }

void TfrGeradorImportacaoSocios::fcGeradorBeforePost() {
  if (edCODGERADOR->Codigo() == 0) edCODGERADOR->Vale(FDAOGerador->GetChaveServidor());
}

}  // namespace integracao
