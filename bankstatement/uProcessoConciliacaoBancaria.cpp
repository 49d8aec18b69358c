#include "bankstatement/uProcessoConciliacaoBancaria.h"

#include <nlohmann/json.hpp>

#include "bankstatement/uConcilacaoOFC.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario.h"
#include "framework/accounting/extrato_ban_mgr.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/livros.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/grid.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/ui/screen_user_config.h"

namespace integracao {

using namespace vyn;

namespace {

constexpr int kF2 = 113, kF5 = 116, kF8 = 119, kF12 = 123, kEnter = 13, kDelete = 46;

int Status(const TClientDataSet& ds) { return static_cast<int>(ds.FieldByName("BDSTATUS").AsInteger()); }

void Posta(TClientDataSet& ds, int status) {
  ds.Edit();
  ds.FieldByName("BDSTATUS").SetAsInteger(status);
  ds.Post();
}

bool Somado(int s) { return s == 1 || s == 2 || s == 3 || s == 7; }

// The signed sum of the rows a run takes into account.
Currency SomaParaProcesso(TClientDataSet& ds) {
  Currency s;
  for (ds.First(); !ds.Eof(); ds.Next())
    if (Somado(Status(ds))) s += ValorSinalizadoConciliacao(ds);
  return s;
}

void Restaura(TClientDataSet& ds, int rec) {
  if (rec > 0 && rec <= ds.RecordCount()) ds.SetRecNo(rec);
}

}  // namespace

unsigned CorStatusConciliacao(int status) {
  switch (status) {
    case 3: return kCorVerde;
    case 5:
    case 7: return kCorAmarela;
    case 6: return kCorAzul;
    default: return 0;
  }
}

std::string FormataTotalConciliacao(Currency total) {
  if (total.IsZero()) return " 0,00";
  return total.Abs().ToBR(2) + (total.Raw() > 0 ? " D" : " C");
}

TfrProcessoConciliacaoBancaria::TfrProcessoConciliacaoBancaria(TComponent* owner)
    : TfrProcesso_Padrao_VYN(owner),
      gbExtrato(Create<TGroupBox>()),
      gbContabil(Create<TGroupBox>()),
      grLanExtrato(Create<TDBGrid_Padrao_VYN>()),
      grLanContabil(Create<TDBGrid_Padrao_VYN>()),
      lbTotalSelExtrato(Create<TLabel>()),
      lbTotalSelContabil(Create<TLabel>()),
      pnVerde(Create<TPanel>()),
      pnAzul(Create<TPanel>()),
      pnAmarelo(Create<TPanel>()),
      spConciliacao(Create<TSpeedButton>()),
      spConciliacaoAut(Create<TSpeedButton>()),
      btIniciar(Create<TSpeedButton>()),
      spAtuTabela(Create<TSpeedButton>()),
      spEditar(Create<TSpeedButton>()),
      spFiltroRapido(Create<TSpeedButton>()),
      spImportarGrid(Create<TSpeedButton>()),
      spExcluir(Create<TSpeedButton>()),
      spExcluirTodos(Create<TSpeedButton>()),
      pmFiltroRapido(Create<TMenuItem>()),
      mmTodos(pmFiltroRapido->Create<TMenuItem>()),
      mmConciliados(pmFiltroRapido->Create<TMenuItem>()),
      mmNaoconciliados(pmFiltroRapido->Create<TMenuItem>()),
      ScreenUserConfig(Create<TScreenUserConfig>(std::string("TfrProcessoConciliacaoBancaria"))),
      dsExtrato(Create<TDataSource>()),
      dsContabil(Create<TDataSource>()) {
  gbExtrato->SetName("gbExtrato");
  gbContabil->SetName("gbContabil");
  lbTotalSelExtrato->SetName("lbTotalSelExtrato");
  lbTotalSelContabil->SetName("lbTotalSelContabil");
  pnAmarelo->SetName("pnAmarelo");
  pnAzul->SetName("pnAzul");
  pnVerde->SetName("pnVerde");
  SetCaption("Conciliação bancária");
  gbExtrato->SetCaption("Lançamentos do extrato");
  gbContabil->SetCaption("Lançamentos contábeis");
  grLanExtrato->SetName("grLanExtrato");
  grLanContabil->SetName("grLanContabil");
  lbTotalSelExtrato->SetCaption("0,00");
  lbTotalSelContabil->SetCaption("0,00");
  pnVerde->SetCaption("Lançamentos conciliados automaticamente");
  pnAzul->SetCaption("Lançamentos conciliados manualmente");
  pnAmarelo->SetCaption("Lançamentos com inconsistência");
  struct {
    TSpeedButton* b;
    const char* nome;
    const char* hint;
  } botoes[] = {{spConciliacao, "spConciliacao", "Conciliar selecionados"},
                {spConciliacaoAut, "spConciliacaoAut", "Conciliação automática"},
                {btIniciar, "btIniciar", "Aplicar alterações (F12)"},
                {spAtuTabela, "spAtuTabela", "Atualizar lançamentos (F5)"},
                {spEditar, "spEditar", "Alterar lançamento"},
                {spFiltroRapido, "spFiltroRapido", "Exibir lançamentos"},
                {spImportarGrid, "spImportarGrid", "Contabilizar os não conciliados(F8)"},
                {spExcluir, "spExcluir", "Excluir lançamento selecionado"},
                {spExcluirTodos, "spExcluirTodos", "Excluir todos os lançamentos do extrato"}};
  for (auto& b : botoes) {
    b.b->SetName(b.nome);
    b.b->SetHint(b.hint);
  }
  spOK->SetVisible(false);
  spConsulta->SetVisible(false);
  struct {
    TMenuItem* m;
    const char* nome;
    const char* caption;
  } menus[] = {{mmTodos, "mmTodos", "Todos"},
               {mmConciliados, "mmConciliados", "Conciliados"},
               {mmNaoconciliados, "mmNaoconciliados", "Não conciliados"}};
  for (auto& m : menus) {
    m.m->SetName(m.nome);
    m.m->SetCaption(m.caption);
    m.m->RadioItem = true;
    m.m->OnClick = [this, mi = m.m](TComponent*) {
      for (TMenuItem* o : {mmTodos, mmConciliados, mmNaoconciliados}) o->Checked = o == mi;
      FiltroRapido();
    };
  }
  mmTodos->Checked = true;
  pmFiltroRapido->SetName("pmFiltroRapido");
  spFiltroRapido->DropdownMenu = pmFiltroRapido;
  ScreenUserConfig->SetName("ScreenUserConfig");
  spConciliacao->OnClick = [this](TComponent*) { spConciliacaoClick(); };
  spConciliacaoAut->OnClick = [this](TComponent*) { spConciliacaoAutClick(); };
  btIniciar->OnClick = [this](TComponent* s) { spOKClick(s); };
  spAtuTabela->OnClick = [this](TComponent*) { spAtuTabelaClick(); };
  spEditar->OnClick = [this](TComponent*) { spEditarClick(); };
  spImportarGrid->OnClick = [this](TComponent*) { spImportarGridClick(); };
  spExcluir->OnClick = [this](TComponent*) { spExcluirClick(); };
  spExcluirTodos->OnClick = [this](TComponent*) { spExcluirTodosClick(); };
  grLanExtrato->OnCellClick = [this](TComponent*, const std::string& campo) { grLanExtratoCellClick(campo); };
  grLanContabil->OnCellClick = [this](TComponent*, const std::string& campo) { grLanContabilCellClick(campo); };
  OnClick = [this](TComponent*) { FormClick(); };
}

bool TfrProcessoConciliacaoBancaria::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcessoConciliacaoBancaria") || TfrProcesso_Padrao_VYN::InheritsFrom(class_name);
}

void TfrProcessoConciliacaoBancaria::FormCreate() {
  TfrProcesso_Padrao_VYN::FormCreate();
  FInconsistencia = Create<TInconsistencias_VYN>();
  FDaoExt = TVZEL_EMPRESAS_TEXTRATOBANMGR::CreateMgr(this, true);
  FDaoCont = TLancamentoMGR::CreateMgr(this, true, false, 1, false, true);
  // Pairs, statuses and dates change in memory only; the run stores them (or the reload drops them).
  FDaoCont->SetControlMemory(true);
  dsExtrato->SetDataSet(FDaoExt);
  dsContabil->SetDataSet(FDaoCont);
  grLanExtrato->SetDataSource(dsExtrato);
  grLanContabil->SetDataSource(dsContabil);
  btIniciar->SetEnabled(false);
  for (TDBGrid_Padrao_VYN* g : {grLanExtrato, grLanContabil}) {
    FIcones.Debito = g->AddBitmap("", "iDebDevedora");
    FIcones.Credito = g->AddBitmap("", "iCreDevedora");
    FIcones.UnChecked = g->AddBitmap("", "iUnChecked");
    FIcones.Checked = g->AddBitmap("", "iChecked");
    FIcones.Conciliado = g->AddBitmap("", "iOk_Green");
    g->MostraDado = [](TField& f, std::string& texto) {
      if (SameText(f.FieldName(), "BDVALOR")) texto = f.IsNull() ? "0,00" : f.AsCurrency().ToBR(2);
    };
  }
  pnVerde->Color = kCorVerde;
  pnAzul->Color = kCorAzul;
  pnAmarelo->Color = kCorAmarela;
  grLanExtrato->CorFundoLinha = [this] { return FDaoExt->IsEmpty() ? 0u : CorStatusConciliacao(Status(*FDaoExt)); };
  grLanContabil->CorFundoLinha = [this] { return FDaoCont->IsEmpty() ? 0u : CorStatusConciliacao(Status(*FDaoCont)); };
  grLanExtrato->MostraDadoImagem = [this](TField& f) { return ImagemCelula(*FDaoExt, f.FieldName()); };
  grLanContabil->MostraDadoImagem = [this](TField& f) { return ImagemCelula(*FDaoCont, f.FieldName()); };
  FRecCont = 0;
  FRecExt = 0;
}

void TfrProcessoConciliacaoBancaria::FormShow() {
  TfrProcesso_Padrao_VYN::FormShow();
  grLanExtrato->Columns.clear();
  grLanExtrato->AddColumn("BDDATAMOV", "Data", 82);
  grLanExtrato->AddColumn("BDDESCRICAO", "Histórico", 231);
  grLanExtrato->AddColumn("BDDCTO", "N° docto", 114);
  grLanExtrato->AddColumn("BDTIPO", "D/C", 33);
  grLanExtrato->AddColumn("BDVALOR", "Valor", 132);
  grLanExtrato->AddColumn("BDSTATUS", "Status", 46);
  grLanContabil->Columns.clear();
  grLanContabil->AddColumn("BDDATA", "Data", 82);
  grLanContabil->AddColumn("BDCOMPL", "Histórico", 231);
  grLanContabil->AddColumn("BDDCTO", "Nº docto", 114);
  grLanContabil->AddColumn("BDDEBCRED", "D/C", 33);
  grLanContabil->AddColumn("BDVALOR", "Valor", 132);
  grLanContabil->AddColumn("BDSTATUS", "Status", 46);
  CarregaConfiguracaoUsuario();
}

void TfrProcessoConciliacaoBancaria::CarregaConfiguracaoUsuario() {
  for (TComponent* c : Components())
    if (dynamic_cast<TRadioGroup*>(c) || dynamic_cast<TCheckBox*>(c) || dynamic_cast<TComboBox_Padrao_VYN*>(c) ||
        dynamic_cast<TCustomEdit*>(c) || dynamic_cast<TSpeedButton*>(c))
      ScreenUserConfig->RegisterComponent(c, c->Name());
  ScreenUserConfig->Load();
  // A choice of lines brought back is the one the grids show; reading them again dropped the
  // proposals the opening's matching made, so it runs again on the lines now shown.
  if (!mmTodos->Checked) {
    FiltroRapido();
    ConciliacaoDaAbertura();
  }
}

void TfrProcessoConciliacaoBancaria::FormClose(TCloseAction& action) {
  TfrProcesso_Padrao_VYN::FormClose(action);
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(true);
}

std::string TfrProcessoConciliacaoBancaria::SQLExtrato() const {
  return TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(FEmpresa ? FEmpresa->Codigo() : 0,
                                                          FChaveCta ? FChaveCta->Codigo() : 0,
                                                          FDataIni ? FDataIni->GetData() : TDateTime(),
                                                          FDataFin ? FDataFin->GetData() : TDateTime(), FDYQ, FIDExtrato);
}

std::string TfrProcessoConciliacaoBancaria::SQLLancamentos() const {
  return TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLLancamentosCont(FFiliais, FChaveCta ? FChaveCta->Codigo() : 0,
                                                              FDataIni ? FDataIni->GetData() : TDateTime(),
                                                              FDataFin ? FDataFin->GetData() : TDateTime());
}

void TfrProcessoConciliacaoBancaria::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, pcbIDExtrato + 1, "Esta tela é aberta pela importação do extrato bancário.");
  TfrProcesso_Padrao_VYN::SetListaObj(lista);
  FEmpresa = lista.Get<TEdit_Codigo_Search_VYN>(pcbEmpresa);
  if (auto* f = lista.Get<TString_VYN>(pcbFiliais)) FFiliais = f->Value();
  FDataIni = lista.Get<TEdit_Date_Padrao_VYN>(pcbDataIni);
  FDataFin = lista.Get<TEdit_Date_Padrao_VYN>(pcbDataFim);
  FChaveCta = lista.Get<TEdit_Codigo_Search_VYN>(pcbConta);
  FArquivo = lista.GetComponent(pcbArquivo);
  FTransacao = lista.Get<TSpeedButton>(pcbTransacao);
  FJSON = lista.IsNil(pcbDocumento) ? nullptr : lista.GetObject<nlohmann::json>(pcbDocumento);
  FDYQ = FJSON != nullptr;
  FFiltroConciliacao = lista.Get<TFiltroConciliacao>(pcbFiltro);
  FIDExtrato = lista.GetInteger(pcbIDExtrato);
  if (lista.Count() > pcbNaoCoincidirSequencia)
    FNaoCoincidirTransPrep = lista.GetInteger(pcbNaoCoincidirSequencia) != 0;
  FDaoExt->CommandText(SQLExtrato());
  FDaoCont->CommandText(SQLLancamentos());
  if (auto* dono = dynamic_cast<TControl*>(Owner())) dono->SetEnabled(false);
  spExcluir->SetEnabled(!FDYQ);
  spExcluirTodos->SetEnabled(!FDYQ);
  ConciliacaoDaAbertura();
}

void TfrProcessoConciliacaoBancaria::ConciliacaoDaAbertura() {
  if (FDYQ && FFiltroConciliacao)
    FDaoExt->ConciliaDaoExtrato(FFiltroConciliacao->PorData, FFiltroConciliacao->PorDocumento,
                                FFiltroConciliacao->PorValor, FFiltroConciliacao->ConsiderarZeros, FDaoCont);
}

int TfrProcessoConciliacaoBancaria::ImagemCelula(const TClientDataSet& ds, const std::string& campo) const {
  if (ds.IsEmpty()) return -1;
  if (SameText(campo, "BDSTATUS")) {
    switch (Status(ds)) {
      case 0:
      case 5: return FIcones.UnChecked;
      case 1:
      case 2:
      case 3:
      case 6:
      case 7: return FIcones.Checked;
      case 4: return FIcones.Conciliado;
      default: return -1;
    }
  }
  if (SameText(campo, "BDTIPO") || SameText(campo, "BDDEBCRED")) {
    TField* f = ds.FindField(campo);
    if (!f) return -1;
    return f->AsInteger() == 0 ? FIcones.Debito : FIcones.Credito;
  }
  return -1;
}

void TfrProcessoConciliacaoBancaria::CellClick(TClientDataSet& ds, const std::string& campo, Currency& total) {
  if (UpperCase(campo) == "BDSTATUS" && !ds.IsEmpty() && Status(ds) != 4) {
    const int s = Status(ds);
    const Currency v = ValorSinalizadoConciliacao(ds);
    if (s == 0 || s == 5)
      total += v;
    else if (s == 1 || s == 2 || s == 7)
      total -= v;
    Posta(ds, s == 0 ? 1 : (s == 5 ? 7 : 0));
    btIniciar->SetEnabled(false);
    FAtualizaData = false;
  }
  MostraTotais();
  AtualizaBotoes();
}

void TfrProcessoConciliacaoBancaria::grLanExtratoCellClick(const std::string& campo) {
  CellClick(*FDaoExt, campo, FTotalExtrato);
}

void TfrProcessoConciliacaoBancaria::grLanContabilCellClick(const std::string& campo) {
  CellClick(*FDaoCont, campo, FTotalContabil);
}

void TfrProcessoConciliacaoBancaria::FormClick() { AtualizaBotoes(); }

void TfrProcessoConciliacaoBancaria::MostraTotais() {
  lbTotalSelExtrato->SetCaption(FormataTotalConciliacao(FTotalExtrato));
  lbTotalSelContabil->SetCaption(FormataTotalConciliacao(FTotalContabil));
}

void TfrProcessoConciliacaoBancaria::AtualizaBotoes() {
  spConciliacao->SetEnabled(FTotalExtrato == FTotalContabil);
  spExcluir->SetEnabled(grLanContabil->Focused() && !FDYQ);
}

void TfrProcessoConciliacaoBancaria::RestauraLinhas(int recExt, int recCont) {
  Restaura(*FDaoExt, recExt);
  Restaura(*FDaoCont, recCont);
}

void TfrProcessoConciliacaoBancaria::spConciliacaoClick() {
  FAtualizaData = false;
  bool perguntou = false;
  FRecExt = FDaoExt->RecNo();
  FRecCont = FDaoCont->RecNo();
  if (FTotalExtrato != FTotalContabil) {
    MessageDlgVYN("Selecione lançamentos manualmente para conciliar.", mtInformation, mbOK);
    RestauraLinhas(FRecExt, FRecCont);
    return;
  }
  FTotalExtrato = Currency();
  FTotalContabil = Currency();
  MostraTotais();
  TClientDataSet& ext = *FDaoExt;
  TClientDataSet& lan = *FDaoCont;
  {
    TDisabledControls controlesExt(ext);
    for (ext.First(); !ext.Eof(); ext.Next()) {
      const int s = Status(ext);
      if (s == 1 || s == 2 || s == 7) Posta(ext, s == 2 ? 3 : 6);
    }
    TDisabledControls controlesLan(lan);
    try {
      for (lan.First(); !lan.Eof(); lan.Next()) {
        const int s = Status(lan);
        if (s != 1 && s != 2 && s != 7) continue;
        const Variant valor = lan.FieldByName("BDVALOR").Value();
        const Variant dcto = lan.FieldByName("BDDCTO").Value();
        const TDateTime data = lan.FieldByName("BDDATA").AsDateTime();
        bool achou = ext.Locate("BDVALOR;BDDATAMOV;BDDCTO;BDSTATUS", {valor, Variant(data), dcto, Variant(3)});
        if (!achou) achou = ext.Locate("BDVALOR;BDDCTO;BDSTATUS", {valor, dcto, Variant(6)});
        lan.Edit();
        if (achou && ext.FieldByName("BDDATAMOV").AsDateTime().DateOnly() != data.DateOnly()) {
          if (!perguntou) {
            perguntou = true;
            FAtualizaData = MessageDlgVYNGlobal("Deseja atualizar os lançamentos contábeis com os dados do extrato bancário?",
                                                mtInformation, mbYes | mbNo, {"Sim", "Não"}) == mrYes;
          }
          if (FAtualizaData) lan.FieldByName("BDDATA").SetAsDateTime(ext.FieldByName("BDDATAMOV").AsDateTime());
        }
        lan.FieldByName("BDSTATUS").SetAsInteger(s == 2 ? 3 : 6);
        lan.Post();
        ext.SetIndexFieldNames("");
      }
    } catch (...) {
      if (lan.State() != TDataSetState::dsBrowse) lan.Cancel();
      throw;
    }
  }
  btIniciar->SetEnabled(true);
  RestauraLinhas(FRecExt, FRecCont);
}

bool TfrProcessoConciliacaoBancaria::PodeIniciarProcesso() {
  recCheckExt_ = FDaoExt->RecNo();
  recCheckCont_ = FDaoCont->RecNo();
  bool pode = TfrProcesso_Padrao_VYN::PodeIniciarProcesso();
  TDisabledControls controlesExt(FDaoExt);
  TDisabledControls controlesCont(FDaoCont);
  const Currency somaExt = SomaParaProcesso(*FDaoExt);
  const Currency somaCont = SomaParaProcesso(*FDaoCont);
  if (somaExt != somaCont) {
    MessageDlgVYN("Os valores dos lançamentos e do extrato não podem ser diferentes", mtInformation, mbOK);
    pode = false;
  }
  if (!pode) RestauraLinhas(recCheckExt_, recCheckCont_);
  return pode;
}

void TfrProcessoConciliacaoBancaria::Processo() {
  const int emp = FEmpresa ? static_cast<int>(FEmpresa->Codigo()) : 0;
  FLogEvent = Create<TLogEvent>(logProcesso, emp, ClassName());
  FLogEvent->AddAcao("Conciliação de extrato bancario.");
  FInconsistencia->Clear();
  const bool ok = FDaoExt->ConciliarExtratoLancamento(FDaoCont, FChaveCta ? FChaveCta->Codigo() : 0, this,
                                                      FAtualizaData, FInconsistencia);
  if (ok) {
    MessageDlgVYN("Processo realizado com sucesso!", mtConfirmation, mbOK);
  } else {
    // A failed store must not pass for a success: the user sees why nothing was stored.
    FLogEvent->AddAcao("Conciliação não gravada.");
    if (FInconsistencia->IsEmpty()) FInconsistencia->Add_Erro("A conciliação não foi gravada.");
    FInconsistencia->Execute(true, true, true, true, "");
  }
  spAtuTabelaClick();
  FLogEvent->GravarLog(false);
  RestauraLinhas(recCheckExt_, recCheckCont_);
}

void TfrProcessoConciliacaoBancaria::spAtuTabelaClick() {
  FAtualizaData = false;
  btIniciar->SetEnabled(false);
  FDaoCont->CommandText(FDaoCont->GetCommandText());
  FDaoExt->CommandText(FDaoExt->GetCommandText());
  FTotalExtrato = Currency();
  FTotalContabil = Currency();
  MostraTotais();
}

void TfrProcessoConciliacaoBancaria::FiltroRapido() {
  spConciliacaoAut->SetEnabled(mmTodos->Checked);
  if (mmTodos->Checked) {
    FDaoCont->CommandText(SQLLancamentos());
    FDaoExt->CommandText(SQLExtrato());
  } else if (mmConciliados->Checked) {
    FDaoCont->CommandText("Select * from (" + SQLLancamentos() + ") where BDSTATUS = 4 ");
    FDaoExt->CommandText("Select * from (" + SQLExtrato() + ") where BDSTATUS = 4");
  } else if (mmNaoconciliados->Checked) {
    FDaoCont->CommandText("Select * from (" + SQLLancamentos() + ") where BDSTATUS <> 4");
    FDaoExt->CommandText("Select * from(" + SQLExtrato() + ") where BDSTATUS <> 4");
  }
}

void TfrProcessoConciliacaoBancaria::spConciliacaoAutClick() {
  auto* ofc = CreateForm<TfrConciliacaoOFC>(*this);
  ofc->Show();
  ofc->edCODEMP->Vale(FEmpresa ? FEmpresa->Codigo() : 0);
  ofc->edCODEMP->Validate();
  ofc->edCODCTA->Vale(FChaveCta ? FChaveCta->Codigo() : 0);
  ofc->edCODCTA->Validate();
  ofc->edCODEMP->SetEnabled(false);
  ofc->edDATINI->SetData(FDataIni ? FDataIni->GetData() : TDateTime());
  ofc->edDATFIN->SetData(FDataFin ? FDataFin->GetData() : TDateTime());
  ofc->FDaoExtrato = FDaoExt;
  ofc->FLancamentoDAO = FDaoCont;
}

void TfrProcessoConciliacaoBancaria::spImportarGridClick() {
  const int emp = FEmpresa ? static_cast<int>(FEmpresa->Codigo()) : 0;
  FLogEvent = Create<TLogEvent>(logProcesso, emp, ClassName(), "Importação de extrato bancário");
  FLogEvent->AddAcao("Importação de extrato bancario.");
  const size_t antes = Components().size();
  const bool iniciou = TLancamentoMGR::ImportacaoDAOExtratoBancario(
      FEmpresa, FChaveCta, FArquivo, FDataIni, FDataFin, FDaoExt, this, FTransacao, BloqueioLancamento_Padrao_VYN,
      FJSON, FNaoCoincidirTransPrep);
  // The review stays open while the user works in it: what it imported is read and matched once it
  // closes, not before.
  TForm_VYN* revisao = nullptr;
  for (size_t i = antes; iniciou && i < Components().size(); ++i)
    if (auto* f = dynamic_cast<TfrConsultaImportacaoExtratoBancario*>(Components()[i])) revisao = f;
  if (revisao && !revisao->Closed()) {
    auto anterior = revisao->OnClose;
    revisao->OnClose = [this, anterior](TComponent* s) {
      if (anterior) anterior(s);
      AposRevisao(true);
    };
    return;
  }
  AposRevisao(iniciou);
}

void TfrProcessoConciliacaoBancaria::AposRevisao(bool importou) {
  if (importou) {
    FDaoCont->CommandText(SQLLancamentos());
    FDaoExt->ValorTotal = FTotalExtrato;
    if (!FDaoCont->IsEmpty()) {
      if (!FDaoExt->ConciliaDaoExtrato(true, true, true, false, FDaoCont))
        DlgInfOk("Conciliação automática concluída. \r^Ainda existem lançamentos não-conciliados, verifique!");
      else
        DlgInfOk("Conciliação bancária concluída com sucesso!\r^Não há nenhuma divergência entre o extrato importado e a contabilização!");
    }
  }
  RestauraLinhas(recCheckExt_, recCheckCont_);
  FTotalExtrato = FDaoExt->ValorTotal;
  FTotalContabil = FDaoExt->ValorTotal;
  MostraTotais();
}

void TfrProcessoConciliacaoBancaria::spEditarClick() {
  if (FDaoCont->IsEmpty() || !grLanContabil->Focused()) return;
  TListaObj lista;
  lista.Add(FDaoCont);
  TPackagesUtil::CarregaFormParamsObj("TfrLancamento", this, std::move(lista));
}

bool TfrProcessoConciliacaoBancaria::ExcluiLancamentoAtual() {
  if (FDaoCont->IsEmpty()) return false;
  if (DlgConfSimNao("Confirma a exclusão do lançamento?", FLogEvent) != mrYes) return false;
  bool excluiu = false;
  try {
    TLivros livros(FDaoCont->Database(), ExecucaoDe(this));
    excluiu = ExcluiLancamentoContabil(livros, FDaoCont->Database(), FDaoCont->FieldByName("BDCODEMP").AsInteger(),
                                       FDaoCont->FieldByName("BDCHAVE").AsInteger());
  } catch (const std::exception& e) {
    // Refused by the database: the entry is still there, and so is its row.
    DlgErroOk(std::string("O lançamento não foi excluído: ") + e.what());
    return false;
  }
  FDaoCont->Delete();
  return excluiu;
}

void TfrProcessoConciliacaoBancaria::spExcluirClick() {
  if (!grLanContabil->Focused() || FDaoCont->IsEmpty()) return;
  const int emp = FEmpresa ? static_cast<int>(FEmpresa->Codigo()) : 0;
  const int64_t empLan = FDaoCont->FieldByName("BDCODEMP").AsInteger();
  const int64_t chave = FDaoCont->FieldByName("BDCHAVE").AsInteger();
  const std::string motivo = TLancamentoMGR::GetInconsistenciaExclusaoTipo(
      this, static_cast<int>(FDaoCont->FieldByName("BDTIPOLAN").AsInteger()), empLan, chave, empLan,
      "consulta de lançamentos");
  TLogEvent log(nullptr, logDelete, emp, ClassName());
  log.AddAcao("Exclusão de lançamento contábil empresa:" + std::to_string(empLan) + " chave: " + std::to_string(chave));
  if (!motivo.empty()) {
    DlgInfOk(motivo);
    return;
  }
  if (ExcluiLancamentoAtual()) log.Logger();
}

void TfrProcessoConciliacaoBancaria::spExcluirTodosClick() {
  const int emp = FEmpresa ? static_cast<int>(FEmpresa->Codigo()) : 0;
  const int64_t conta = FChaveCta ? FChaveCta->Codigo() : 0;
  TLogEvent log(nullptr, logDeleteFiltro, emp, ClassName());
  log.AddAcao("Exclusão de todos os lançamentos do extrato da conta " + std::to_string(conta) + ".");
  bool excluiu = false;
  if (DlgConfSimNao("Confirma a exclusão do extrado?") == mrYes) {
    TSQLMGR sql;
    sql.CommandText("delete from VZEL_EMPRESAS_TEXTRATOBAN" +
                        TVZEL_EMPRESAS_TEXTRATOBANMGR::GetWhereSQLExtratoBanc(
                            emp, conta, FDataIni ? FDataIni->GetData() : TDateTime(),
                            FDataFin ? FDataFin->GetData() : TDateTime(), FDYQ, FIDExtrato),
                    ctExecute);
    excluiu = true;
    FDaoExt->CommandText(FDaoExt->GetCommandText());
  }
  if (FDaoExt->IsEmpty()) {
    // Only a deletion that ran is logged as one.
    if (excluiu) log.Logger();
    Close();
  }
}

void TfrProcessoConciliacaoBancaria::KeyDown(int& key, unsigned shift) {
  TfrProcesso_Padrao_VYN::KeyDown(key, shift);
  if (key == kF5) spAtuTabela->Click();
  else if (key == kEnter || key == kF2) spEditar->Click();
  else if (key == kDelete) spExcluir->Click();   // a disabled button ignores the click
  else if (key == kF8) spImportarGrid->Click();
  else if (key == kF12) btIniciar->Click();
}

}  // namespace integracao
