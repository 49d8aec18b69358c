#include "partners/uImportacaoSociosViaPlanilha.h"

#include <filesystem>

#include "framework/accounting/socios_mgr.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/log_event.h"
#include "partners/uIntegracaoSocios.h"

namespace integracao {

using namespace vyn;

namespace {
bool GeradorCadastrado(int64_t codigo) {
  TSQLMGRHandle sql = getSQLMgr_do_Pool();
  sql->CommandText("select BDCODGERADOR from TGERADOR_IMPORTACAO_SOCIOS where BDCODGERADOR = ?", ctOpen,
                   {static_cast<long long>(codigo)});
  return !sql->IsEmpty();
}
}  // namespace

TfrImportacaoSociosViaPlanilha::TfrImportacaoSociosViaPlanilha(TComponent* owner)
    : TfrProcesso_Empresa_Padrao_VYN(owner),
      edCODGERADOR(Create<TEdit_Codigo_Search_VYN>(tcGeradorImportacaoSocios)),
      pnGerador(Create<TPanel>()),
      sbGerador(Create<TSpeedButton>()),
      edARQUIVO(Create<TEdit_Diretorio_Padrao_VYN>()),
      cbTipoImportacao(Create<TComboBox_Padrao_VYN>()) {
  SetCaption("Importação dos sócios e responsáveis por planilha");
  edCODGERADOR->SetName("edCODGERADOR");
  edCODGERADOR->SetMaxLength(6);
  edCODGERADOR->AceitaVazio = false;
  edCODGERADOR->AceitaZero = false;
  edCODGERADOR->PanelNome = pnGerador;
  edCODGERADOR->OnExit = [this](TComponent*) { edCODGERADORExit(); };
  pnGerador->SetName("pnGerador");
  sbGerador->SetName("sbGerador");
  edARQUIVO->SetName("edARQUIVO");
  edARQUIVO->Pasta = false;
  cbTipoImportacao->SetName("cbTipoImportacao");
  cbTipoImportacao->Items = {"Não importar", "Atualizar o cadastro", "Atualizar as cotas",
                             "Atualizar o cadastro e as cotas"};
  cbTipoImportacao->SetItemIndex(0);
  spConsulta->SetVisible(false);
}

bool TfrImportacaoSociosViaPlanilha::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacaoSociosViaPlanilha") ||
         TfrProcesso_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrImportacaoSociosViaPlanilha::FormCreate() {
  TfrProcesso_Empresa_Padrao_VYN::FormCreate();
  edARQUIVO->Filtro = "Excel|*.xlsx|Excel|*.xls";
}

void TfrImportacaoSociosViaPlanilha::FormShow() {
  TfrProcesso_Empresa_Padrao_VYN::FormShow();
  if (edCODEMP->CanFocus()) edCODEMP->SetFocus();
}

void TfrImportacaoSociosViaPlanilha::FormDestroy() {
  if (FImportacaoSocio) FreeComponent(FImportacaoSocio);
  FImportacaoSocio = nullptr;
  TfrProcesso_Empresa_Padrao_VYN::FormDestroy();
}

void TfrImportacaoSociosViaPlanilha::CreateDAO() { FImportacaoSocio = Create<TIntegracaoSocios>(); }

void TfrImportacaoSociosViaPlanilha::edCODGERADORExit() {
  const int64_t codigo = edCODGERADOR->Codigo();
  if (codigo <= 0) return;
  TSQLMGRHandle sql = getSQLMgr_do_Pool();
  sql->CommandText("select BDARQUIVO from TGERADOR_IMPORTACAO_SOCIOS where BDCODGERADOR = ?", ctOpen,
                   {static_cast<long long>(codigo)});
  if (!sql->IsEmpty() && !sql->FieldByName("BDARQUIVO").AsString().empty())
    edARQUIVO->SetText(sql->FieldByName("BDARQUIVO").AsString());
}

void TfrImportacaoSociosViaPlanilha::Processo() {
  FCopiarMatrizParaFilial = false;
  // Without a layout nothing can be read: the field refuses the empty code and the run stops.
  if (Trim(edCODGERADOR->Text()).empty()) {
    edCODGERADOR->Validate();
    DlgWarOk(edCODGERADOR->Mensagem().empty() ? "Informe o gerador de importação." : edCODGERADOR->Mensagem());
    if (edCODGERADOR->CanFocus()) edCODGERADOR->SetFocus();
    return;
  }
  // An unknown layout is refused before the branches question: answering it would be for nothing.
  if (!GeradorCadastrado(edCODGERADOR->Codigo())) {
    DlgWarOk("Gerador de importação não encontrado: informe um gerador de importação de sócios cadastrado.");
    return;
  }
  std::error_code ec;
  if (Trim(edARQUIVO->Text()).empty() || !std::filesystem::is_regular_file(edARQUIVO->Text(), ec)) {
    DlgInfOk("Não foi possível encontrar o arquivo selecionado.");
    if (edARQUIVO->CanFocus()) edARQUIVO->SetFocus();
    return;
  }
  if (getExisteFiliaisEmpresa(edCODEMP->getCodigoStr()) && cbTipoImportacao->ItemIndex() != 2)
    FCopiarMatrizParaFilial = DlgConfSimNao("Deseja cadastrar todos os sócios para as filiais?", FLogEvent) == mrYes;
  FImportacaoSocio->carregaImportacao(edCODEMP, edARQUIVO, edCODGERADOR, cbTipoImportacao, FCopiarMatrizParaFilial);
}

void TfrImportacaoSociosViaPlanilha::FimProcesso() {
  TfrProcesso_Empresa_Padrao_VYN::FimProcesso();
  FLogEvent->GravarLog(true);
  FLogEvent->AddAcao("Gerador: " + edCODGERADOR->getCodigoStr(), "", false);
  FLogEvent->AddAcao("Arquivo: " + edARQUIVO->Text(), "", false);
  FLogEvent->AddAcao("Sócio já cadastrado: " + std::to_string(cbTipoImportacao->ItemIndex()) + " - " +
                         cbTipoImportacao->Text(),
                     "", false);
  FLogEvent->AddAcao(std::string("Copiar sócios para filiais: [") + (FCopiarMatrizParaFilial ? "-1" : "0") + "]", "",
                     false);
  FLogEvent->Logger();
}

}  // namespace integracao
