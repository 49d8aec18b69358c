#include "bankstatement/uFiltroImportacaoExtratoBancarioDYQ.h"

#include <filesystem>

#include "bankstatement/uCriteriosConciliacao.h"
#include "bankstatement/uExtratosLiberadosDYQ.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/list_view.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/status_processo.h"
#include "framework/web/service_config.h"

namespace integracao {

using namespace vyn;

namespace {

TCheckBox* Caixa(TComponent& tela, const char* nome, const char* caption, bool enabled = true) {
  auto* c = tela.Create<TCheckBox>();
  c->SetName(nome);
  c->SetCaption(caption);
  c->SetEnabled(enabled);
  return c;
}

TSpeedButton* Botao(TComponent& tela, const char* nome, const char* hint) {
  auto* b = tela.Create<TSpeedButton>();
  b->SetName(nome);
  b->SetHint(hint);
  return b;
}

TGroupBox* Grupo(TComponent& tela, const char* nome, const char* caption) {
  auto* g = tela.Create<TGroupBox>();
  g->SetName(nome);
  g->SetCaption(caption);
  return g;
}
}  // namespace

bool EmpresaPossuiDYQ(int64_t codEmp) {
  TSQLMGR q;
  q.CommandText("select bddyq from tempresas where bdcodemp = ?", ctOpen, {Variant(static_cast<long long>(codEmp))});
  if (!q.IsEmpty() && SameText(Trim(q.FieldByName("bddyq").AsString()), "TRUE")) return true;
  DlgInfOk("Empresa não possui o ^DYQ!");
  return false;
}

TfrFiltroImportacaoExtratoBancarioDYQ::TfrFiltroImportacaoExtratoBancarioDYQ(TComponent* owner)
    : TfrIntegracao_Empresa_Padrao_VYN(owner),
      gbDatas(Grupo(*this, "gbDatas", "Data extrato")),
      edDataIni(Create<TEdit_Date_Padrao_VYN>()),
      edDataFim(Create<TEdit_Date_Padrao_VYN>()),
      gbConciliacoes(Grupo(*this, "gbConciliacoes", " Conciliações ")),
      ckDocumento(Caixa(*this, "ckDocumento", "Número de documento", false)),
      ckData(Caixa(*this, "ckData", "Comparar Data", false)),
      ckValor(Caixa(*this, "ckValor", "Comparar Valor", false)),
      ckConsiderarZeroAEsquerda(Caixa(*this, "ckConsiderarZeroAEsquerda", "Considerar zeros a esquerda", false)),
      gbOpcoes(Grupo(*this, "gbOpcoes", "Opções")),
      ckSubPrepWeb(Caixa(*this, "ckSubPrepWeb",
                         "Sobrescrever lançamentos editados pelo DYQ com as preparações para importação do extrato")),
      ckConciliacaoManual(Caixa(*this, "ckConciliacaoManual", "Realizar conciliação bancária manualmente")),
      ckNaoCoinsTransPrep(Caixa(*this, "ckNaoCoinsTransPrep",
                                "Não marcar coincidir sequência inteira ao transformar em preparação")),
      ckExtratoPDF(Caixa(*this, "ckExtratoPDF", "Baixar o extrato PDF")),
      ckAmbienteTeste(Caixa(*this, "ckAmbienteTeste", "Integrar com o ambiente de teste", false)),
      gpExtratos(Grupo(*this, "gpExtratos", "Extratos liberados para importação:")),
      lvExtratos(Create<TListView>()),
      lbTotal(Create<TLabel>()),
      spConciliacaoAut(Botao(*this, "spConciliacaoAut", "Conciliação")),
      spGerarTransacao(Botao(*this, "spGerarTransacao", "Transação automática")),
      spRecusaExtrato(Botao(*this, "spRecusaExtrato", "Recusar extrato no DYQ")),
      spAbrir(Botao(*this, "spAbrir", "Configurações de pasta para salvar extrato PDF")),
      FRetornaDYQ(std::make_unique<TRetornaMetodoDYQ>()) {
  SetCaption("Importação de extratos ^DYQ");
  edCODEMP->SetMaxLength(9);
  edDataIni->SetName("edDataIni");
  edDataFim->SetName("edDataFim");
  for (const auto& [nome, texto] : {std::pair{"lbDataIni", "Inicial:"}, std::pair{"lbDataFim", "Final:"}}) {
    auto* rotulo = Create<TLabel>();
    rotulo->SetName(nome);
    rotulo->SetCaption(texto);
  }
  gbConciliacoes->SetEnabled(false);
  ckExtratoPDF->SetHint("Baixar o extrato PDF");
  ckAmbienteTeste->SetVisible(false);
  lvExtratos->SetName("lvExtratos");
  lvExtratos->Checkboxes = false;
  lvExtratos->Columns = {{"Extrato", 70}, {"Conta", 190}, {"Inicio", 88}, {"Fim", 88}, {"Liberação", 135}};
  lbTotal->SetName("lbTotal");
  lbTotal->SetCaption("Total de registros: 0");
  edArquivo->SetVisible(false);
  edArquivo->SetEnabled(false);
  spConciliacaoAut->SetTag(0);
  spGerarTransacao->Down = true;
  spGerarTransacao->SetTag(1);
  spAbrir->SetEnabled(false);

  edCODEMP->AfterSearch = [this](TComponent*, bool& recusar) { edCODEMPAfterSearch(recusar); };
  edCODEMP->OnExit = [this](TComponent*) { edCODEMPExit(); };
  edDataFim->OnEnter = [this](TComponent*) {
    if (edDataIni->IsEmpty()) edDataFim->Clear();
  };
  // Only a normal exit gets here: an invalid date keeps the focus in the field.
  edDataFim->OnExit = [this](TComponent*) { PreencheListaExtratos(false); };
  spConciliacaoAut->OnClick = [this](TComponent*) {
    Alterna(*spConciliacaoAut);
    setHintConciliacao();
    TrataComponentesConciliacao();
  };
  spGerarTransacao->OnClick = [this](TComponent*) {
    Alterna(*spGerarTransacao);
    setHintTransacao();
  };
  ckDocumento->OnClick = [this](TComponent*) { TrataComponentesConciliacao(); };
  ckExtratoPDF->OnClick = [this](TComponent*) { spAbrir->SetEnabled(ckExtratoPDF->Checked()); };
  spAbrir->OnClick = [this](TComponent*) { TPackagesUtil::CarregaForm("TfrCadastroDYQUsuarioDiretorio", this); };
  spRecusaExtrato->OnClick = [this](TComponent* s) { spRecusaExtratoClick(s); };
  // A double click on a statement confirms it.
  lvExtratos->OnDblClick = [this](TComponent*) {
    if (lvExtratos->ItemIndex >= 0) spConfirmar->Click();
  };
}

bool TfrFiltroImportacaoExtratoBancarioDYQ::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrFiltroImportacaoExtratoBancarioDYQ") ||
         TfrIntegracao_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

TImportacaoDYQMGR* TfrFiltroImportacaoExtratoBancarioDYQ::Manager() const {
  return dynamic_cast<TImportacaoDYQMGR*>(FDAOIntegracao);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::SetCriaDao() {
  TfrIntegracao_Empresa_Padrao_VYN::SetCriaDao();
  FDAOIntegracao = TImportacaoDYQMGR::CreateMgr(this);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::FormCreate() {
  TfrIntegracao_Empresa_Padrao_VYN::FormCreate();
  // Set up before any hand-over: the notification list fills the list before the form is shown.
  ConfiguraAmbienteTeste();
}

void TfrFiltroImportacaoExtratoBancarioDYQ::ConfiguraAmbienteTeste() {
  // The installations allowed to use Dyq's test environment: a comma-separated list of customer codes.
  bool teste = false;
  const std::string cliente = Trim(ProcessContext().CustomerCode);
  if (!cliente.empty()) {
    TServiceConfig config("DYQ", FRetornaDYQ->Database ? FRetornaDYQ->Database : ProcessContext().Database,
                          FRetornaDYQ->Ambiente);
    if (auto codigos = config.Value("CODIGOS_TESTE"))
      for (const auto& c : Split(*codigos, ','))
        if (Trim(c) == cliente) teste = true;
  }
  ckAmbienteTeste->SetVisible(teste);
  ckAmbienteTeste->SetEnabled(teste);
  ckAmbienteTeste->SetChecked(teste);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::FormShow() {
  TfrIntegracao_Empresa_Padrao_VYN::FormShow();
  // Opened with a company the field is already locked.
  if (edCODEMP->CanFocus()) edCODEMP->SetFocus();
  spAbrir->SetEnabled(ckExtratoPDF->Checked());
}

void TfrFiltroImportacaoExtratoBancarioDYQ::FormClose(TCloseAction& action) {
  TfrIntegracao_Empresa_Padrao_VYN::FormClose(action);
  if (auto* dono = dynamic_cast<TControl*>(Owner()); dono && AbertoPelasNotificacoes(dono))
    dono->SetEnabled(true);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::edCODEMPAfterSearch(bool& recusar) {
  if (!EmpresaPossuiDYQ(edCODEMP->Codigo())) recusar = true;
}

void TfrFiltroImportacaoExtratoBancarioDYQ::edCODEMPExit() {
  setHintConciliacao();
  TrataComponentesConciliacao();
  setHintTransacao();
}

void TfrFiltroImportacaoExtratoBancarioDYQ::TrataComponentesConciliacao() {
  AplicaCriteriosConciliacao(spConciliacaoAut->Down, *ckDocumento, *ckValor, *ckData, *ckConsiderarZeroAEsquerda,
                             *gbConciliacoes);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::Alterna(TSpeedButton& bt) {
  bt.SetTag(bt.Tag() == 0 ? 1 : 0);
  bt.Down = bt.Tag() == 1;
}

void TfrFiltroImportacaoExtratoBancarioDYQ::setHintConciliacao() {
  spConciliacaoAut->SetHint(spConciliacaoAut->Down ? "Conciliação - Ativada" : "Conciliação - Desativada");
}

void TfrFiltroImportacaoExtratoBancarioDYQ::setHintTransacao() {
  spGerarTransacao->SetHint(spGerarTransacao->Down ? "Transação automática - Ativada"
                                                   : "Transação automática - Desativada");
}

void TfrFiltroImportacaoExtratoBancarioDYQ::PreencheListaExtratos(bool Silent) {
  if (CarregaLiberadosDYQ(*this, *lvExtratos, *FRetornaDYQ, EmpresaDYQ(*edCODEMP), ckAmbienteTeste->Checked(), "Normal",
                          edDataIni->GetData(), edDataFim->GetData(), Silent, "Buscando extratos, aguarde...",
                          "Nenhum extrato encontrado!"))
    lbTotal->SetCaption("Total de registros: " + std::to_string(lvExtratos->Count()));
}

void TfrFiltroImportacaoExtratoBancarioDYQ::spRecusaExtratoClick(TComponent*) {
  RecusaExtratoDYQ(*this, *lvExtratos, *FRetornaDYQ, ckAmbienteTeste->Checked(),
                   [this] { PreencheListaExtratos(true); }, *FLogEvent, EmpresaDYQ(*edCODEMP), tceBanco);
}

std::string TfrFiltroImportacaoExtratoBancarioDYQ::ArquivoPDF(const std::string& diretorio, int subpastas) {
  namespace fs = std::filesystem;
  TImportacaoDYQMGR& mgr = *Manager();
  const int64_t empresa = edCODEMP->Codigo();
  // The statement's start date gives the month of the subfolder and of the company's name.
  const int anoMes = AnoMes(mgr.IniExtrato());
  TSQLMGR q;
  q.SetReferencia(anoMes);
  q.CommandText("SELECT VW.BDCODEMP, VW.BDNOMEMP, VW.BDCODPLAPADRAO FROM VW_TEMPRESAS_REF VW WHERE VW.BDCODEMP = ?",
                ctOpen, {Variant(static_cast<long long>(empresa))});
  std::string nomeEmpresa;
  int64_t plano = 0;
  if (!q.IsEmpty()) {
    nomeEmpresa = TString_VYN::GetRemoveTodosCaracteresEspeciais(q.FieldByName("BDNOMEMP").AsString(), false);
    plano = q.FieldByName("BDCODPLAPADRAO").AsInteger();
  }
  fs::path pasta(diretorio);
  if (subpastas == 1 || subpastas == 3) pasta /= nomeEmpresa;
  if (subpastas == 2 || subpastas == 3) pasta /= std::to_string(anoMes);

  TSQLMGR c;
  c.CommandText("select bdnomcta from PLANOS_TPLA where BDCODPLAPADRAO = ? and bdcodtpla = ?", ctOpen,
                {Variant(static_cast<long long>(plano)), Variant(static_cast<long long>(mgr.NrConta()))});
  // The folders are made when the PDF is saved: a statement Dyq has no PDF of leaves none behind.
  // The name carries the typed initial date's month, "0" when the field is empty, as the copies
  // already saved in users' folders do.
  std::string base = std::to_string(empresa) + "_" + std::to_string(edDataIni->GetData_AnoMes()) + "_" +
                     std::to_string(mgr.NrConta());
  // The account's name is free text: only letters, digits and blanks go into a file name.
  if (!c.IsEmpty())
    base += "_" + Trim(TString_VYN::GetRemoveTodosCaracteresEspeciais(c.FieldByName("bdnomcta").AsString(), true));
  for (int n = 0;; ++n) {
    fs::path candidato = pasta / (base + (n > 0 ? "(" + std::to_string(n) + ")" : "") + ".pdf");
    if (!fs::exists(candidato)) return candidato.string();
  }
}

void TfrFiltroImportacaoExtratoBancarioDYQ::spConfirmarClick(TComponent* sender) {
  TVZEL_USU_DYQ_DIRETORIOMGR pastas(nullptr, true);
  if (ckExtratoPDF->Checked()) pastas.getConsulta(ProcessContext().UserCode);
  TImportacaoDYQMGR& mgr = *Manager();
  if (!PreparaImportacaoDYQ(*lvExtratos, mgr, EmpresaDYQ(*edCODEMP))) return;
  mgr.SetConciliar(spConciliacaoAut->Down);
  mgr.SetConciliarPorNrDoc(ckDocumento->Checked());
  mgr.SetConciliarPorValor(ckValor->Checked());
  mgr.SetConciliarPorData(ckData->Checked());
  mgr.SetConciliarConsiderarZeros(ckConsiderarZeroAEsquerda->Checked());
  mgr.SetGerarTransacao(spGerarTransacao->Down);
  mgr.SetAtualizaLista([this](bool silent) { PreencheListaExtratos(silent); });
  mgr.SetSubPrepWeb(ckSubPrepWeb->Checked());
  mgr.SetTipoExtratoBancario(tceBanco);
  mgr.ConciliarManualmente = ckConciliacaoManual->Checked();
  mgr.NaoCoincidirSequencia = ckNaoCoinsTransPrep->Checked();
  mgr.AmbienteTesteDYQ = ckAmbienteTeste->Checked();
  mgr.ArquivoExtratoPDF.clear();
  if (ckExtratoPDF->Checked())
    mgr.ArquivoExtratoPDF = pastas.IsEmpty() ? std::string("NENHUM")
                                             : ArquivoPDF(pastas.FieldByName("BDDIRETORIO").AsString(),
                                                          static_cast<int>(pastas.FieldByName("BDSUBPASTAS").AsInteger()));
  TfrIntegracao_Empresa_Padrao_VYN::spConfirmarClick(sender);
}

void TfrFiltroImportacaoExtratoBancarioDYQ::SetListaObj(const TListaObj& lista) {
  TfrIntegracao_Empresa_Padrao_VYN::SetListaObj(lista);
  // From the menu nothing is handed over: the user chooses the company.
  if (lista.Count() == 0) return;
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(false);
  const std::string texto = lista.GetText(0);
  edCODEMP->SetText(texto.substr(0, texto.find(' ')));
  edCODEMP->Search();
  edCODEMP->SetEnabled(false);
  edDataIni->Clear();
  edDataFim->Clear();
  PreencheListaExtratos(false);
  if (lvExtratos->Count() == 0 && AbertoPelasNotificacoes(Owner())) Close();
}

}  // namespace integracao
