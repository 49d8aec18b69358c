#include "statutory/reportsequence/uAutoThreadSequenciaColaborador.h"

#include "framework/core/text.h"
#include "framework/host/diretorio_plano.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_date_texto.h"
#include "statutory/reportsequence/uRelSequenciaRelatoriosColaborador.h"

namespace integracao {

using namespace vyn;

bool TAutoThreadSequenciaColaborador::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadSequenciaColaborador") || TAutoThreadSequenciaEmpresa::InheritsFrom(class_name);
}

void TAutoThreadSequenciaColaborador::Execute() {
  TAutoThreadPushPadrao::Execute();
  Executa(true);
}

void TAutoThreadSequenciaColaborador::PreencheTela(TfrRelSequenciaRelatorios& tela, const TPeriodo& periodo) {
  auto& col = dynamic_cast<TfrRelSequenciaRelatoriosColaborador&>(tela);
  tela.edCODMODELO->SetFocus();
  tela.edCODMODELO->SetText(std::to_string(StrToIntDef(GetParametro("edCODMODELO"), 0)));
  tela.edNomeModelo->SetFocus();   // leaving the code loads the sequence
  tela.edCODEMP->Vale(StrToInt(GetParametro("cod_empresa")));
  col.cbSitFunc->SetItemIndex(StrToInt(GetParametro("cbSitFunc")));
  tela.edDataIni->SetData(periodo.Inicio);
  tela.edDataFim->SetData(periodo.Fim);
  SetDataStrRespeitandoTipo(*tela.edReferencia, FormatDate("dd/mm/yyyy", periodo.Fim));
}

TButtonControl* TAutoThreadSequenciaColaborador::BotaoArquivo(TfrRelSequenciaRelatorios& tela, int tipo) {
  if (tipo == 0) return dynamic_cast<TButtonControl*>(tela.FindComponent("spExportaPDFCol"));
  return TAutoThreadSequenciaEmpresa::BotaoArquivo(tela, tipo);
}

void TAutoThreadSequenciaColaborador::AntesDeClicar(TButtonControl& botao) {
  auto& tela = dynamic_cast<TfrRelSequenciaRelatorios&>(*botao.Owner());
  TMenuItem* menu = &botao == tela.spVynReport ? tela.pmVynReport : &botao == tela.spEmail ? tela.pmEmail : nullptr;
  if (!menu || menu->Items().size() < 2) return;
  menu->Items()[0]->Checked = false;
  menu->Items()[1]->Checked = true;
}

}  // namespace integracao
