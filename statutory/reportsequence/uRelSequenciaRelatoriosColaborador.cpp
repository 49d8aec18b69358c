#include "statutory/reportsequence/uRelSequenciaRelatoriosColaborador.h"

#include "framework/core/text.h"
#include "framework/standins/consulta_colaboradores.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/packages_util.h"

namespace integracao {

using namespace vyn;

TfrRelSequenciaRelatoriosColaborador::TfrRelSequenciaRelatoriosColaborador(TComponent* owner)
    : TfrRelSequenciaRelatorios(owner) {
  SetCaption("Sequência de processos por colaborador");
  auto* lbCol = gbDadosEmissao->Create<TLabel>();
  lbCol->SetName("lbCODCOLCON");
  lbCol->SetCaption("Colaborador:");
  edCODCOLCON = gbDadosEmissao->Create<TEdit_Codigo_Search_VYN>(tcTodosFuncionarios);
  edCODCOLCON->SetName("edCODCOLCON");
  edCODCOLCON->SetMaxLength(6);
  edCODCOLCON->SetAceitaMultiSelecao(true);
  edCODCOLCON->CampoRetorno = "BDCODCOL";
  edCODCOLCON->EditsMaster = {edCODEMP};
  edCODCOLCON->SetHint("F5 para habilitar/desabilitar colaboradores|F11 - Selecionar, Ctrl + F11 - Tira seleção");
  edCODCOLCON->SetEnabled(false);
  // The search button follows its field: both off until F5.
  spConsultaCol = CriaBotao(*gbDadosEmissao, "spConsultaCol", "Consulta colaborador", false);
  spConsultaCol->OnClick = [this](TComponent*) { spConsultaColClick(); };
  auto* lbSit = gbDadosEmissao->Create<TLabel>();
  lbSit->SetName("lbSitFunc");
  lbSit->SetCaption("Situação:");
  cbSitFunc = gbDadosEmissao->Create<TComboBox_Padrao_VYN>();
  cbSitFunc->SetName("cbSitFunc");
  cbSitFunc->Items = {"Somente os ativos",
                      "Todos",
                      "Somente os demitidos",
                      "Somente admitidos no mês",
                      "Somente demitidos no mês",
                      "Ativos sem demitidos no mês",
                      "Ativos sem demitidos com transferência no mês",
                      "Ativos sem afastados no mês inteiro",
                      "Afastados o mês inteiro"};
  cbSitFunc->SetItemIndex(0);
}

bool TfrRelSequenciaRelatoriosColaborador::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrRelSequenciaRelatoriosColaborador") ||
         TfrRelSequenciaRelatorios::InheritsFrom(class_name);
}

void TfrRelSequenciaRelatoriosColaborador::FormCreate() {
  TfrRelSequenciaRelatorios::FormCreate();
  SetExportacaoPDFColaborador(true);
  SetExportacaoEmailColaborador(true);
  SetExportacaoPDFColaborador(false);
}

void TfrRelSequenciaRelatoriosColaborador::CarregaQuebrasRelatorio() {
  TfrRelSequenciaRelatorios::CarregaQuebrasRelatorio();
  FFuncionVynReport.clear();
  FFuncionVynReport.push_back("Empresa");
  FFuncionVynReport.push_back("Individual");
}

void TfrRelSequenciaRelatoriosColaborador::BeforeExportarSequencia(TDadosAdicionaisSeqRel& dados) {
  TfrRelSequenciaRelatorios::BeforeExportarSequencia(dados);
  for (TMenuItem* item : pmVynReport->Items())
    if (item->Checked) dados.PopupVynReport = item->Caption();
}

void TfrRelSequenciaRelatoriosColaborador::KeyDown(int& key, unsigned shift) {
  constexpr int kF5 = 116;
  if (key == kF5) {
    const bool liga = !edCODCOLCON->Enabled();
    edCODCOLCON->SetEnabled(liga);
    spConsultaCol->SetEnabled(liga);
    if (!liga) edCODCOLCON->Reset();
    key = 0;
    return;
  }
  TfrRelSequenciaRelatorios::KeyDown(key, shift);
}

void TfrRelSequenciaRelatoriosColaborador::spConsultaColClick() {
  if (!edCODCOLCON->Enabled()) return;
  std::vector<int64_t> escolhidos;
  // Owned by the field: the look-up lists the employees of the field's company.
  TPackagesUtil::CarregaFormParamsObj(
      "TfrConsultaColaboradores", edCODCOLCON, TListaObj(),
      [&escolhidos](TForm_VYN& form) {
        if (auto* consulta = dynamic_cast<TfrConsultaColaboradores*>(&form)) escolhidos = consulta->Escolhidos();
      },
      true);
  if (escolhidos.empty()) return;
  std::string codigos;
  for (int64_t c : escolhidos) codigos += (codigos.empty() ? "" : ";") + std::to_string(c);
  edCODCOLCON->SetText(codigos);
  if (!edCODCOLCON->Validate()) DlgWarOk(edCODCOLCON->Mensagem());
}

bool TfrRelSequenciaRelatoriosColaborador::EstaExportandoPorEmpresa() const {
  return (FPrintType == ptVynReport && FCaptionMenuVynReport == "&Empresa") ||
         (FPrintType == ptEML && !FClicouEmailCol) || (FPrintType == ptPDF && !FClicouPDFCol);
}

std::unique_ptr<TTipoSequenciaRelatorioPadrao> TfrRelSequenciaRelatoriosColaborador::CriarTipoSequencia(int) {
  return std::make_unique<TTipoSequenciaRelatorioColaboradores>(this, cbSitFunc, edReferencia,
                                                                EstaExportandoPorEmpresa());
}

}  // namespace integracao
