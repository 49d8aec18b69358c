#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/sql_mgr.h"
#include "framework/host/seqrel_mgr.h"
#include "framework/ui/balloon_hint.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/consulta_padrao.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/screen_user_config.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr const char* kSemPermissaoGravar = ", você não tem permissão para criar/editar registros.";
constexpr const char* kFAQ = "/modulo/faq/faq.php?faqId=3927&sistemaId=50";

// The kind of the saved model of that number; 0 when there is none.
int TipoDoModelo(int codigo) {
  auto sql = getSQLMgr_do_Pool();
  sql->CommandText("SELECT COALESCE(BDTIPO, 1) AS BDTIPO FROM TSEQREL WHERE BDSEQUENCIA = ?", ctOpen, {codigo});
  return sql->IsEmpty() ? 0 : static_cast<int>(sql->FieldByName("BDTIPO").AsInteger());
}
}  // namespace

TfrRelSequenciaRelatorios::TfrRelSequenciaRelatorios(TComponent* owner) : TfrRelatorio_Padrao_VYN(owner) {
  SetCaption("Sequência de processos");
  auto edit = [&](const char* nome) {
    auto* e = Create<TEdit_String_Padrao>();
    e->SetName(nome);
    return e;
  };
  edCODMODELO = edit("edCODMODELO");
  edCODMODELO->SetMaxLength(6);
  edCODMODELO->OnExit = [this](TComponent*) { edCODMODELOExit(); };
  edCODMODELO->OnEnter = [this](TComponent*) {
    if (Trim(edCODMODELO->Text()).empty()) ShowBalao(edCODMODELO, "Para criar um novo modelo vá para o campo ao lado");
  };
  // Typing in the code puts the guidance away.
  edCODMODELO->OnChange = [this](TComponent*) { BallonSequencia->Hide(); };
  spCODMODELO = CriaBotao(*this, "spCODMODELO", "Consultar");
  spCODMODELO->OnClick = [this](TComponent*) { spCODMODELOClick(); };
  edNomeModelo = edit("edNomeModelo");
  edNomeModelo->SetHint("Nome do relatório");
  edNomeModelo->SetMaxLength(200);
  // A name typed is a change of the model: Esc then asks before the rename is thrown away.
  edNomeModelo->OnChange = [this](TComponent*) { edNomeModeloChange(); };
  edNomeModelo->OnExit = [this](TComponent*) {
    if (FSEQRELMGR && FSEQRELMGR->Estado() == 1) ShowBalao(spInserir, "Clique aqui para adicionar processos na sequência");
  };
  edCHAVEVYNREPORT = Create<TEdit_Codigo_Search_VYN>(tcYRKRelatorios);
  edCHAVEVYNREPORT->SetName("edCHAVEVYNREPORT");
  edCHAVEVYNREPORT->SetMaxLength(4);
  edCHAVEVYNREPORT->CampoRetorno = "BDCHAVE";
  CriaDadosEmissao();
  clSequencia = Create<TCheckListBox>();
  clSequencia->SetName("clSequencia");
  clSequencia->OnClick = [this](TComponent*) { clSequenciaClick(); };
  clSequencia->OnDblClick = [this](TComponent*) { clSequenciaDblClick(); };
  clSequencia->OnKeyDown = [this](TComponent*, int& key, unsigned shift) { clSequenciaKeyDown(key, shift); };
  CriaRotulo(*this, "lbCODMODELO", "Código:");
  CriaRotulo(*this, "lbCHAVEVYNREPORT", "VynReport:");
  CriaRotulo(*gbDadosEmissao, "lbDataIni", "Data inicial:");
  CriaRotulo(*gbDadosEmissao, "lbDataFim", "Data final:");
  CriaRotulo(*gbDadosEmissao, "lbReferencia", "Referência:");
  CriaRotulo(*gbDadosEmissao, "lbDataEmissao", "Data de emissão:");
  CriaRotulo(*this, "lbSequencia", "Sequência de processos:");
  // The legend of the lines' images.
  CriaRotulo(*this, "lbLegendaConfigurado", "Configurado pela sequência");
  CriaRotulo(*this, "lbLegendaPadrao", "Configuração padrão");
  CriaRotulo(*this, "lbLegendaSemPermissao", "Usuário sem permissão para execução");
  spInserir = CriaBotao(*this, "spInserir", "Inserir novos processos (Insert)");
  spRemover = CriaBotao(*this, "spRemover", "Remover processo selecionado (Delete)");
  spEditar = CriaBotao(*this, "spEditar", "Editar processo selecionado");
  spAcima = CriaBotao(*this, "spAcima", "Mover processo selecionado para cima  (Alt + ↑)");
  spAbaixo = CriaBotao(*this, "spAbaixo", "Mover processo selecionado para baixo  (Alt + ↓)");
  spLimpaCampos = CriaBotao(*this, "spLimpaCampos", "Limpar campos");
  spLimpaCampos->GroupIndex = 1;
  spLimpaCampos->AllowAllUp = true;
  spOk = CriaBotao(*this, "spOk", "Salvar registro");
  spExcluir = CriaBotao(*this, "spExcluir", "Excluir registro");
  spProcesso = CriaBotao(*this, "spProcesso", "Plano de configuração");
  spProcesso->SetEnabled(false);
  spCalendario = CriaBotao(*this, "spCalendario", "Agendamento do Tarvo");
  spCalendario->SetEnabled(false);
  spManual = CriaBotao(*this, "spManual", "Abrir o FAQ da sequência de processos");
  spInserir->OnClick = [this](TComponent*) { spInserirClick(); };
  spRemover->OnClick = [this](TComponent*) { spRemoverClick(); };
  spEditar->OnClick = [this](TComponent*) { clSequenciaDblClick(); };
  spAcima->OnClick = [this](TComponent*) { spAcimaClick(); };
  spAbaixo->OnClick = [this](TComponent*) { spAbaixoClick(); };
  spLimpaCampos->OnClick = [this](TComponent*) { spLimpaCamposClick(); };
  spOk->OnClick = [this](TComponent*) { spOkClick(); };
  spExcluir->OnClick = [this](TComponent*) { spExcluirClick(); };
  spProcesso->OnClick = [this](TComponent*) { spProcessoClick(); };
  spCalendario->OnClick = [this](TComponent*) { spCalendarioClick(); };
  spManual->OnClick = [this](TComponent*) { spManualClick(); };
  pnStatus2 = Create<TPanel>();
  pnStatus2->SetName("pnStatus2");
  lbStatusLabel2 = CriaRotulo(*pnStatus2, "lbStatusLabel2", "");
  BallonSequencia = Create<TBalloonHint>(bkInformacao);
  BallonSequencia->SetName("BallonSequencia");
  BalloonControl_VYN = Create<TBalloonHint>(bkAviso);
  BalloonControl_VYN->SetName("BalloonControl_VYN");
  BalloonControl_VYN->Title = "Permissões";
  Inconsistencias_VYN = Create<TInconsistencias_VYN>();
  ScreenUserConfig = Create<TScreenUserConfig>(std::string("TfrRelSequenciaRelatorios"));
  ScreenUserConfig->Excluir("edCODMODELO");
  ScreenUserConfig->Excluir("clSequencia");
  TimerConfirmacao = Create<TTimer>();
  TimerConfirmacao->SetName("TimerConfirmacao");
  TimerConfirmacao->OnTimer = [this](TComponent*) { TimerConfirmacaoTimer(); };
}

// The group of the dates and companies a run is made for, enabled once a model is open.
void TfrRelSequenciaRelatorios::CriaDadosEmissao() {
  gbDadosEmissao = Create<TGroupBox>();
  gbDadosEmissao->SetName("gbDadosEmissao");
  gbDadosEmissao->SetCaption("Dados para emissão");
  gbDadosEmissao->SetEnabled(false);
  lbCODEMP = gbDadosEmissao->Create<TLabel>();
  lbCODEMP->SetName("lbCODEMP");
  lbCODEMP->SetCaption("Empresa:");
  edCODEMP = gbDadosEmissao->Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  edCODEMP->SetName("edCODEMP");
  edCODEMP->SetAceitaMultiSelecao(true);
  edCODEMP->AceitaZero = true;
  edDataIni = gbDadosEmissao->Create<TEdit_Date_Padrao_VYN>(tdData);
  edDataIni->SetName("edDataIni");
  edDataFim = gbDadosEmissao->Create<TEdit_Date_Padrao_VYN>(tdData);
  edDataFim->SetName("edDataFim");
  edReferencia = gbDadosEmissao->Create<TEdit_Date_Padrao_VYN>(tdReferencia);
  edReferencia->SetName("edReferencia");
  edDataEmissao = gbDadosEmissao->Create<TEdit_Date_Padrao_VYN>(tdData);
  edDataEmissao->SetName("edDataEmissao");
}

TfrRelSequenciaRelatorios::~TfrRelSequenciaRelatorios() = default;

bool TfrRelSequenciaRelatorios::InheritsFrom(const std::string& class_name) const {
  return UpperCase(class_name) == "TFRRELSEQUENCIARELATORIOS" || TfrRelatorio_Padrao_VYN::InheritsFrom(class_name);
}

void TfrRelSequenciaRelatorios::FormCreate() {
  FOwnerDeItens = Create<TComponent>();
  FGestaoWebVarku = Create<TGestaoWebSequencia>();
  FLogEventInsert = Create<TLogEvent>(logProcesso, 0, ClassName(), Caption(), std::string("TSEQREL"));
  FSEQRELMGR = TSEQRELMGR::CreateMgrFirst0(this, true);
  TfrRelatorio_Padrao_VYN::FormCreate();
  FChaveSequencia = 0;
  ControlarBotoesSequencia();
  ChangeStatus();
  LookupModelo = "TfrConsultaSequenciaRelatorios";
  edCODMODELO->SetTag(GetTipoSequencia());
  bool temEmpresaPortal = false;
  if (ProcessContext().Database) {
    auto sql = getSQLMgr_do_Pool();
    sql->CommandText("select first 1 BDCODEMP from VW_YRK_EMP_VYNREPORT");
    temEmpresaPortal = !sql->IsEmpty();
  }
  edCHAVEVYNREPORT->SetEnabled(temEmpresaPortal);
  if (!temEmpresaPortal) edCHAVEVYNREPORT->SetHint("Não há nenhuma empresa configurada para enviar para o Vyn Report");
  try {
    FQuantidadeVezesCadastrado = std::stoi(ScreenUserConfig->CarregarDoUsuario("VezesCadastrado"));
  } catch (...) {
    FQuantidadeVezesCadastrado = 0;
  }
}

void TfrRelSequenciaRelatorios::FormShow() {
  TfrRelatorio_Padrao_VYN::FormShow();
  if (!IsUnattended() &&
      TScreenUserConfig::CarregarDoUsuario("leuManual", "frConfirmacaoSequenciaProcessos") != "TRUE")
    TimerConfirmacao->Enabled = true;
  spLimpaCampos->SetEnabled(true);
  spLimpaCampos->Down = UpperCase(ScreenUserConfig->CarregarDoUsuario("spLimpaCampos")) == "TRUE";
}

void TfrRelSequenciaRelatorios::FormClose(TCloseAction& action) {
  TfrRelatorio_Padrao_VYN::FormClose(action);
  RemovePastasEmail();
  ScreenUserConfig->SalvarParaUsuario("spLimpaCampos", spLimpaCampos->Down ? "True" : "False");
}

void TfrRelSequenciaRelatorios::FormDestroy() {
  RemovePastasEmail();
  TfrRelatorio_Padrao_VYN::FormDestroy();
  setProtocoloSequenciaProcesso(this, true);
}

bool TfrRelSequenciaRelatorios::DeveGravarLog() {
  bool v = FDeveGravarLog;
  FDeveGravarLog = false;
  return v;
}

bool TfrRelSequenciaRelatorios::canfr3Load(const std::string& name) { return UpperCase(name) == "FRRELBLOCONOTAS"; }

void TfrRelSequenciaRelatorios::VerificaVynReport() {
  TfrRelatorio_Padrao_VYN::VerificaVynReport();
  spVynReport->SetVisible(true);
}

std::string TfrRelSequenciaRelatorios::getDescricaoExportEmailTexto(const std::string& nomeModelo,
                                                                    const std::string& descricao) {
  return "Prezado(a) <NOME_DESTINATARIO>.\r\nSegue anexo dos relatórios da Sequência de processos - " + nomeModelo +
         " de " + descricao + ".\r";
}

std::string TfrRelSequenciaRelatorios::getDescricaoExportEmail(const std::string& descricao) {
  return getDescricaoExportEmailTexto(edNomeModelo->Text(), descricao);
}

void TfrRelSequenciaRelatorios::setButtonsState() {
  TfrRelatorio_Padrao_VYN::setButtonsState();
  const bool pode = FSEQRELMGR && FSEQRELMGR->Estado() == 0 && !FMexeuAlgo;
  for (TSpeedButton* b : {spPrevia, spImprimir, spEmail, spVynReport, spExportaPDF, spExportaPDFCol, spExportaHTML,
                          spExportaCSV, spExportaCSVSemQuebraPag, spExportaTXT, spExportaRTF, spExportaWord,
                          spExportaWordDOCX, spExportaExcelXLSX, spExportaExcelXLSXSemQuebraPag, spExportaODS})
    b->SetEnabled(pode);
  spManual->SetEnabled(true);
}

std::unique_ptr<TTipoSequenciaRelatorioPadrao> TfrRelSequenciaRelatorios::CriarTipoSequencia(int) {
  return std::make_unique<TTipoSequenciaRelatorioPadrao>(this);
}

void TfrRelSequenciaRelatorios::SetSistema(int sistema) { TfrRelatorio_Padrao_VYN::SetSistema(sistema); }

TDadosSequencial* TfrRelSequenciaRelatorios::getDadosSequencial(int index) const {
  return objetos_.at(static_cast<size_t>(index));
}
TItemDeMenu* TfrRelSequenciaRelatorios::getItemDeMenu(int index) const { return getDadosSequencial(index)->ItemMenu; }

std::string TfrRelSequenciaRelatorios::getNomeModelo() const {
  return Trim(fEliminaCaracteresEspeciais(edNomeModelo->Text()));
}

std::string TfrRelSequenciaRelatorios::getNomeUsuarioAtual() const {
  const TProcessContext& ctx = ProcessContext();
  return ctx.UserIntranetName.empty() ? ctx.UserName : ctx.UserIntranetName;
}

void TfrRelSequenciaRelatorios::setMexeuAlgo(bool v) {
  if (v == FMexeuAlgo) return;
  FMexeuAlgo = v;
  setButtonsState();
}

void TfrRelSequenciaRelatorios::ShowBalao(TControl* control, const std::string& texto) {
  if (FQuantidadeVezesCadastrado >= 5 || !(getPermissoes(ClassName()) & tpInsert)) return;
  BallonSequencia->Hide();
  BallonSequencia->Show(control, texto);
}

void TfrRelSequenciaRelatorios::ExecuteBalloonPermissions(unsigned direitos) {
  if ((direitos & tpInsert) && (direitos & tpDelete) && (direitos & tpUpdate)) return;
  std::string t = getNomeUsuarioAtual() + ", você não tem permissão para as seguintes ações:";
  if (!(direitos & tpDelete)) t += "\r\n - excluir ";
  if (!(direitos & tpUpdate)) t += "\r\n - alterar ";
  if (!(direitos & tpInsert)) t += "\r\n - incluir ";
  BalloonControl_VYN->Title = "Permissões do usuário";
  BalloonControl_VYN->Show(pnStatus2, t);
}

void TfrRelSequenciaRelatorios::MostraStatus(const std::string& texto, const std::string& imagem) {
  lbStatusLabel2->SetCaption(texto);
  imStatus2 = imagem;
}

void TfrRelSequenciaRelatorios::ChangeStatus() {
  const int estado = FSEQRELMGR->Estado();
  gbDadosEmissao->SetEnabled(estado == 0);
  FMexeuAlgo = false;
  setButtonsState();
  const unsigned direitos = getPermissoes(ClassName());
  spExcluir->SetEnabled(direitos & tpDelete);
  spProcesso->SetEnabled(estado == 0);
  spCalendario->SetEnabled(estado == 0);
  if (estado == 0) {
    MostraStatus("Alterando", "editando");
    spOk->SetEnabled(direitos & tpUpdate);
    if (!spOk->Enabled() || !spExcluir->Enabled()) ExecuteBalloonPermissions(direitos);
  } else if (estado == 1) {
    MostraStatus("Novo registro", "inserindo");
    spOk->SetEnabled(direitos & tpInsert);
    spExcluir->SetEnabled(false);
    if (!(direitos & tpInsert)) {
      FSEQRELMGR->Cancelar();
      ExecuteBalloonPermissions(direitos);
    }
  } else {
    MostraStatus("Aguardando", "consultar");
    spOk->SetEnabled(false);
    spExcluir->SetEnabled(false);
  }
}

void TfrRelSequenciaRelatorios::ControlarBotoesSequencia() {
  const int n = static_cast<int>(clSequencia->Items.size());
  spAcima->SetEnabled(clSequencia->ItemIndex > 0);
  spAbaixo->SetEnabled(clSequencia->ItemIndex >= 0 && clSequencia->ItemIndex < n - 1);
  for (int i = 0; i < n; ++i) {
    bool pode = false;
    try {
      pode = getItemDeMenu(i)->TemPermissaoUsuario();
    } catch (const std::exception&) {
      pode = false;
    }
    habilitadas_[static_cast<size_t>(i)] = pode;
    if (!pode) clSequencia->Items[static_cast<size_t>(i)].Checked = false;
  }
}

void TfrRelSequenciaRelatorios::AddLinha(TItemDeMenu* item, TDadosSequencial* dados, bool checked) {
  clSequencia->Add(item->MostrarString(), checked);
  objetos_.push_back(dados);
  habilitadas_.push_back(true);
}

void TfrRelSequenciaRelatorios::ClearItensSequencia() {
  clSequencia->Items.clear();
  clSequencia->ItemIndex = -1;
  objetos_.clear();
  habilitadas_.clear();
  FreeComponent(FOwnerDeItens);
  FOwnerDeItens = Create<TComponent>();
}

void TfrRelSequenciaRelatorios::ClearCampos() {
  edNomeModelo->SetText("");
  edCHAVEVYNREPORT->SetText("");
  ClearItensSequencia();
}

int TfrRelSequenciaRelatorios::LinhaDaChave(int chave) const {
  for (size_t i = 0; i < objetos_.size(); ++i)
    if (objetos_[i]->Chave == chave) return static_cast<int>(i);
  return -1;
}

void TfrRelSequenciaRelatorios::edCODMODELOExit() {
  FLogEventInsert->InicializaVariaveis(true);
  int codigo = 0;
  try {
    codigo = edCODMODELO->Text().empty() ? 0 : std::stoi(edCODMODELO->Text());
  } catch (...) {
    codigo = 0;
  }
  const bool achou = codigo > 0 && FSEQRELMGR->CarregarDados(codigo, GetTipoSequencia());
  spExcluir->SetEnabled(achou);
  if (!achou) {
    // A number taken by another kind of sequence cannot become a new model of this one, and a task
    // has nobody to answer: both stop with what is wrong.
    const bool outroTipo = codigo > 0 && TipoDoModelo(codigo) != 0;
    if (outroTipo || (codigo > 0 && IsTARVO)) {
      FSEQRELMGR->Cancelar();
      ChangeStatus();
      throw EValidationError(outroTipo ? "O modelo " + std::to_string(codigo) + " é de outro tipo de sequência."
                                       : std::string("Modelo não encontrado."));
    }
    if (codigo > 0 && DlgConfSimNao("Modelo não encontrado, deseja gerar um registro novo?") != mrYes) {
      FSEQRELMGR->Cancelar();
      ChangeStatus();
      throw EValidationError("Modelo não encontrado.");   // the focus stays on the code
    }
    FChaveSequencia = 0;
    edCODMODELO->SetText("");
    if (spLimpaCampos->Down) ClearCampos();
    FSEQRELMGR->Novo(edCODMODELO->Tag());
    ChangeStatus();
    ShowBalao(edNomeModelo, "Informe o nome do modelo");
    for (auto* d : objetos_) {
      d->TemConfiguracaoDeTela = false;
      FChaveSequencia = std::max(FChaveSequencia, d->Chave);
    }
    return;
  }
  TClientDataSet& m = FSEQRELMGR->Modelo();
  edNomeModelo->SetText(m.FieldByName("BDNOME").AsString());
  edCHAVEVYNREPORT->SetText("");
  const TField& vyn = m.FieldByName("BDVYNREPORT");
  if (!vyn.IsNull() && vyn.AsInteger() > 0) edCHAVEVYNREPORT->SetText(std::to_string(vyn.AsInteger()));
  CarregarModeloDoBanco();
  ChangeStatus();
}

void TfrRelSequenciaRelatorios::CarregarModeloDoBanco() {
  std::vector<int> comValores;
  TClientDataSet& v = FSEQRELMGR->Valores();
  for (v.First(); !v.Eof(); v.Next()) comValores.push_back(static_cast<int>(v.FieldByName("BDORDEM").AsInteger()));
  ClearItensSequencia();
  FChaveSequencia = 0;
  TClientDataSet& it = FSEQRELMGR->Itens();
  for (it.First(); !it.Eof(); it.Next()) {
    auto* item = FOwnerDeItens->Create<TItemDeMenu>(it.FieldByName("BDCAPTION").AsString(), it.FieldByName("BDNAME").AsString());
    item->setCaptionDaBase(it.FieldByName("BDCAPTION").AsString());
    item->CodSis = static_cast<int>(it.FieldByName("BDCODSIS").AsInteger());
    const int chave = static_cast<int>(it.FieldByName("BDORDEM").AsInteger());
    auto* dados = item->Create<TDadosSequencial>(item, chave);
    FChaveSequencia = std::max(FChaveSequencia, chave);
    dados->TemConfiguracaoDeTela = std::find(comValores.begin(), comValores.end(), chave) != comValores.end();
    AddLinha(item, dados, true);
  }
  ControlarBotoesSequencia();
}

bool TfrRelSequenciaRelatorios::SemDireitoDeGravar() {
  if (spOk->Enabled()) return false;
  DlgWarOk(getNomeUsuarioAtual() + kSemPermissaoGravar);
  return true;
}

void TfrRelSequenciaRelatorios::spInserirClick() {
  if (edCODMODELO->Focused()) {
    edNomeModelo->SetFocus();
    return;
  }
  if (SemDireitoDeGravar()) return;
  auto itens = SelecionaRelatorios(FOwnerDeItens, GetTipoSequencia());
  if (itens.empty()) return;
  const int primeira = static_cast<int>(clSequencia->Items.size());
  for (auto* item : itens) {
    auto* dados = item->Create<TDadosSequencial>(item, ++FChaveSequencia);
    AddLinha(item, dados, true);
  }
  setMexeuAlgo(true);
  clSequencia->ItemIndex = primeira;
  ControlarBotoesSequencia();
  if (FSEQRELMGR->Estado() == 1) ShowBalao(spEditar, "Clique aqui para editar os dados em tela do processo selecionado");
}

void TfrRelSequenciaRelatorios::Move(int delta) {
  const int i = clSequencia->ItemIndex;
  const int alvo = i + delta;
  if (i < 0 || alvo < 0 || alvo >= static_cast<int>(clSequencia->Items.size())) return;
  std::swap(clSequencia->Items[static_cast<size_t>(i)], clSequencia->Items[static_cast<size_t>(alvo)]);
  std::swap(objetos_[static_cast<size_t>(i)], objetos_[static_cast<size_t>(alvo)]);
  habilitadas_.swap(habilitadas_[static_cast<size_t>(i)], habilitadas_[static_cast<size_t>(alvo)]);
  clSequencia->ItemIndex = alvo;
  ControlarBotoesSequencia();
}

void TfrRelSequenciaRelatorios::clSequenciaKeyDown(int& key, unsigned shift) {
  constexpr int kInsert = 45, kDelete = 46, kCima = 38, kBaixo = 40;
  if (key == kInsert && !(shift & (ssAlt | ssCtrl))) {
    spInserirClick();
  } else if (key == kDelete && !(shift & (ssAlt | ssCtrl))) {
    spRemoverClick();
  } else if ((key == kCima || key == kBaixo) && (shift & ssAlt)) {
    Move(key == kCima ? -1 : +1);
  } else {
    return;
  }
  key = 0;
}

void TfrRelSequenciaRelatorios::spCODMODELOClick() {
  // Owned by the code edit: the consultation lists the models of the kind the edit's Tag holds.
  int64_t escolhido = 0;
  TPackagesUtil::CarregaFormParamsObj(
      LookupModelo, edCODMODELO, TListaObj(),
      [&escolhido](TForm_VYN& form) {
        auto* consulta = dynamic_cast<TfrConsulta_Padrao_VYN*>(&form);
        TClientDataSet* ds = consulta ? consulta->DAO() : nullptr;
        if (form.ModalResult() == mrOk && ds && ds->Active() && !ds->IsEmpty())
          escolhido = ds->FieldByName("BDSEQUENCIA").AsInteger();
      },
      true);
  if (escolhido <= 0) return;
  // As a typed code: the model loads when the user leaves the code.
  edCODMODELO->SetText(std::to_string(escolhido));
  if (edCODMODELO->CanFocus()) edCODMODELO->SetFocus();
}

void TfrRelSequenciaRelatorios::spRemoverClick() {
  if (SemDireitoDeGravar()) return;
  const int i = clSequencia->ItemIndex;
  if (i < 0 || i >= static_cast<int>(clSequencia->Items.size())) return;
  setMexeuAlgo(true);
  TDadosSequencial* dados = getDadosSequencial(i);
  TClientDataSet& it = FSEQRELMGR->Itens();
  if (it.Locate("BDORDEM", {Variant(dados->Chave)})) {
    FLogEventInsert->AddAcao("Removido " + it.FieldByName("BDCAPTION").AsString());
    it.Delete();
  }
  FOwnerDeItens->FreeComponent(dados->ItemMenu);
  clSequencia->Items.erase(clSequencia->Items.begin() + i);
  objetos_.erase(objetos_.begin() + i);
  habilitadas_.erase(habilitadas_.begin() + i);
  const int n = static_cast<int>(clSequencia->Items.size());
  clSequencia->ItemIndex = i < n ? i : n - 1;
  ControlarBotoesSequencia();
}

void TfrRelSequenciaRelatorios::spOkClick() {
  FLogEventInsert->SetTipoAcao(logAlter);
  TClientDataSet& m = FSEQRELMGR->Modelo();
  if (FSEQRELMGR->Estado() == 1) {
    FLogEventInsert->SetTipoAcao(logInsert);
    const int numero = FSEQRELMGR->getChaveGenerator();
    m.FieldByName("BDSEQUENCIA").SetAsInteger(numero);
    m.FieldByName("BDTIPO").SetAsInteger(edCODMODELO->Tag());
    edCODMODELO->SetText(std::to_string(numero));
    ScreenUserConfig->SalvarParaUsuario("VezesCadastrado", std::to_string(++FQuantidadeVezesCadastrado));
    ShowBalao(spPrevia, "Agora você pode visualizar/processar");
  }
  FLogEventInsert->AddAcao("Vyn Report: " + edCHAVEVYNREPORT->Text());
  FLogEventInsert->AddAcao("Nome: " + edNomeModelo->Text());
  FLogEventInsert->AddAcao("Modelo: " + edCODMODELO->Text());
  m.FieldByName("BDNOME").SetAsString(edNomeModelo->Text());
  m.FieldByName("BDVYNREPORT").Clear();
  int chaveWeb = 0;
  try {
    chaveWeb = edCHAVEVYNREPORT->Text().empty() ? 0 : std::stoi(edCHAVEVYNREPORT->Text());
  } catch (...) {
    chaveWeb = 0;
  }
  if (chaveWeb > 0) m.FieldByName("BDVYNREPORT").SetAsInteger(chaveWeb);
  SalvarModeloDoBanco();
  SalvarConfiguracoesNoBanco();
  FSEQRELMGR->Gravar();
  FLogEventInsert->Logger();
  ChangeStatus();
  DlgInfOk("Registro salvo com sucesso!");
}

void TfrRelSequenciaRelatorios::SalvarModeloDoBanco() {
  TClientDataSet& it = FSEQRELMGR->Itens();
  const int seq = FSEQRELMGR->GetSEQUENCIA();
  for (size_t i = 0; i < objetos_.size(); ++i) {
    TDadosSequencial* d = objetos_[i];
    if (it.Locate("BDORDEM", {Variant(d->Chave)})) {
      it.Edit();
    } else {
      it.Append();
      FLogEventInsert->AddAcao("Adicionado " + d->ItemMenu->getCaption());
    }
    it.FieldByName("BDSEQUENCIA").SetAsInteger(seq);
    it.FieldByName("BDSORT").SetAsInteger(static_cast<int64_t>(i) + 1);
    it.FieldByName("BDORDEM").SetAsInteger(d->Chave);
    it.FieldByName("BDCAPTION").SetAsString(d->ItemMenu->getCaptionDaBase());
    it.FieldByName("BDNAME").SetAsString(d->ItemMenu->Name());
    it.FieldByName("BDCODSIS").SetAsInteger(d->ItemMenu->CodSis);
    it.Post();
  }
  // The rows follow the list's order, so the write keeps BDSORT in step with the screen.
  it.SetIndexFieldNames("BDSORT");
}

void TfrRelSequenciaRelatorios::SalvarConfiguracoesNoBanco() {
  TClientDataSet& v = FSEQRELMGR->Valores();
  v.CancelRange();
  const int seq = FSEQRELMGR->GetSEQUENCIA();
  while (v.Locate("BDSEQUENCIA", {Variant(0)})) {
    v.Edit();
    v.FieldByName("BDSEQUENCIA").SetAsInteger(seq);
    v.Post();
  }
}

void TfrRelSequenciaRelatorios::spExcluirClick() {
  if (DlgConfSimNao("Deseja realmente excluir este registro?") != mrYes) return;
  FSEQRELMGR->Excluir();
  ClearItensSequencia();
  edCODMODELO->SetText("");
  ChangeStatus();
}

void TfrRelSequenciaRelatorios::spLimpaCamposClick() {
  if (spLimpaCampos->Down) ClearCampos();
}

void TfrRelSequenciaRelatorios::KeyDown(int& key, unsigned shift) {
  constexpr int kEsc = 27;
  if (key == kEsc && !edCODMODELO->Focused()) {
    if (FMexeuAlgo && DlgConfSimNao("Deseja abandonar sem gravar as alterações?") != mrYes) return;
    FSEQRELMGR->Cancelar();
    ClearItensSequencia();
    ChangeStatus();
    key = 0;
    return;
  }
  TfrRelatorio_Padrao_VYN::KeyDown(key, shift);
}

void TfrRelSequenciaRelatorios::spProcessoClick() {
  TListaObj lista;
  lista.AddBoxedString("sequencia_processo");
  lista.AddInteger(GetProcessoTARVO());
  lista.AddInteger(edCODMODELO->Text().empty() ? 0 : std::stoll(edCODMODELO->Text()));
  lista.AddBoxedString(edNomeModelo->Text());
  TPackagesUtil::CarregaFormParamsObj("TfrCadastroPlanoTarvov2", this, std::move(lista));
}

void TfrRelSequenciaRelatorios::spCalendarioClick() {
  TListaObj lista;
  lista.AddBoxedString("sequencia_processo");
  lista.AddInteger(GetProcessoTARVO());
  lista.AddInteger(edCODMODELO->Text().empty() ? 0 : std::stoll(edCODMODELO->Text()));
  TPackagesUtil::CarregaFormParamsObj("TfrCadastroAgendamentoTarvo", this, std::move(lista));
}

void TfrRelSequenciaRelatorios::spManualClick() {
  ShellExecuteVYN(std::string("https://cliente.vyn.com.br") + kFAQ);
}

}  // namespace integracao
