#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQNotificacoes.h"

#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/list_view.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr size_t kTamanhoCodigoWeb = 20;   // the varchar the codes are compared as
}  // namespace

TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::TfrFiltroImportacaoExtratoBancarioDYQNotificacoes(TComponent* owner)
    : TfrIntegracao_Padrao(owner),
      gpExtratos(Create<TGroupBox>()),
      lvExtratos(Create<TListView>()),
      lbTotal(Create<TLabel>()),
      FRetornaDYQ(std::make_unique<TRetornaMetodoDYQ>()) {
  SetCaption("Importação de extratos ^DYQ");
  gpExtratos->SetName("gpExtratos");
  gpExtratos->SetCaption("Extratos liberados para importação:");
  lvExtratos->SetName("lvExtratos");
  lvExtratos->Checkboxes = false;
  lvExtratos->Columns = {{"Empresa", 320}, {"Liberação", 135}};
  lbTotal->SetName("lbTotal");
  lbTotal->SetCaption("Total de registros: 0");
  edArquivo->SetVisible(false);
}

bool TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrFiltroImportacaoExtratoBancarioDYQNotificacoes") ||
         TfrIntegracao_Padrao::InheritsFrom(class_name);
}

void TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::SetCriaDao() {
  TfrIntegracao_Padrao::SetCriaDao();
  FDAOIntegracao = TImportacaoDYQMGR::CreateMgr(this);
}

void TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::FormShow() {
  TfrIntegracao_Padrao::FormShow();
  PreencheListaExtratos();
}

void TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::PreencheListaExtratos() {
  lvExtratos->Clear();
  TfrStatusProcesso progresso(nullptr, 2);
  progresso.setPrimaryStatusLabel("Carregando empresas...");
  auto documento = FRetornaDYQ->GetExtratosEmpresa(this, 0, 1, false);
  if (documento) {
    progresso.setPrimaryStatusProgress(0);
    progresso.setPrimaryMaxProgress(static_cast<int>(documento->size()));
    TSQLMGR q;
    q.SetReferencia(ProcessContext().Referencia);
    int indice = 0;
    for (auto it = documento->begin(); it != documento->end(); ++it, ++indice) {
      progresso.setPrimaryStatusProgress(indice);
      // A member that is not a statement object (a summary) names no company.
      if (!it.value().is_object() || !it.value().contains("empresaId")) continue;
      // The company codes compared are at most 20 characters: a longer id matches no company, and
      // handed to the server it would fail the whole list.
      const std::string empresaId = TextoDYQ(it.value(), "empresaId");
      if (empresaId.empty() || empresaId.size() > kTamanhoCodigoWeb) continue;
      q.CommandText(
          "select w.bdcodemp, w.BDNOMEMP from VW_TEMPRESAS_REF w left outer join TEMPRESAS e on "
          "(e.bdcodemp = w.bdcodemp) where coalesce(cast(e.bdcodweb as varchar(20)), cast(e.bdcodemp as "
          "varchar(20))) = ?",
          ctOpen, {Variant(empresaId)});
      if (q.IsEmpty()) continue;
      q.First();
      auto& item = lvExtratos->Add(q.FieldByName("bdcodemp").AsString() + " - " + q.FieldByName("BDNOMEMP").AsString());
      item.SubItems = {TextoDYQ(it.value(), "logLiberacaoData")};
    }
  }
  lbTotal->SetCaption("Total de registros: " + std::to_string(lvExtratos->Count()));
  if (lvExtratos->Count() > 0) SelecionaUnico(*lvExtratos, 0);
  progresso.Finalize();
}

void TfrFiltroImportacaoExtratoBancarioDYQNotificacoes::spConfirmarClick(TComponent*) {
  const int sel = PrimeiroSelecionado(*lvExtratos);
  if (lvExtratos->Count() == 0 || sel < 0) {
    DlgInfOk("Nenhuma empresa selecionada!");
    return;
  }
  const std::string caption = lvExtratos->Item(sel).Caption;
  TListaObj caixa;
  caixa.AddText(caption);
  TPackagesUtil::CarregaFormParamsObj("TfrFiltroImportacaoMovimentoCaixaDYQ", this, std::move(caixa));
  TListaObj extrato;
  extrato.AddText(caption);
  TForm_VYN* dialogo = TPackagesUtil::CarregaFormParamsObj("TfrFiltroImportacaoExtratoBancarioDYQ", this,
                                                           std::move(extrato));
  // The list waits for the statement dialog: it reloads once that dialog is closed.
  if (!dialogo || dialogo->Closed()) {
    PreencheListaExtratos();
    return;
  }
  auto anterior = dialogo->OnClose;
  dialogo->OnClose = [this, anterior](TComponent* s) {
    if (anterior) anterior(s);
    PreencheListaExtratos();
  };
}

}  // namespace integracao
