// Configuring an item's screen values: the item's screen opens with three buttons that confirm, clear
// or restart the values the sequence will run it with.
#include "framework/data/client_dataset.h"
#include "framework/host/seqrel_mgr.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/screen_user_config.h"
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace integracao {

using namespace vyn;

namespace {
// The sequence screen's button on the opened screen's toolbar.
TSpeedButton* AddBotao(TControl& toolbar, const char* nome, const char* hint, int chave, TNotifyEvent handler) {
  auto* b = toolbar.Create<TSpeedButton>();
  b->SetName(nome);
  b->SetHint(hint);
  b->SetTag(chave);
  b->OnClick = std::move(handler);
  return b;
}
ISequenciaTela* SequenciaDe(TComponent* sender, TForm_VYN** form) {
  *form = nullptr;
  for (TComponent* c = sender; c; c = c->Owner())
    if (auto* f = dynamic_cast<TForm_VYN*>(c)) {
      *form = f;
      return f->SequenciaTela();
    }
  return nullptr;
}
}  // namespace

void TfrRelSequenciaRelatorios::clSequenciaDblClick() {
  const int i = clSequencia->ItemIndex;
  if (i < 0 || i >= static_cast<int>(clSequencia->Items.size())) return;
  if (SemDireitoDeGravar()) return;
  TDadosSequencial* d = getDadosSequencial(i);
  if (!d->ItemMenu->TemPermissaoUsuario()) {
    DlgWarOk(getNomeUsuarioAtual() + ", você não tem permissão para abrir essa tela.");
    return;
  }
  auto& estado = WP_SEQUENCIARELATORIO();
  estado.Configurando = true;
  estado.TemConfiguracao = d->TemConfiguracaoDeTela;
  TForm_VYN* form = nullptr;
  try {
    form = d->ItemMenu->AbrirTela();
  } catch (...) {
    estado.Configurando = false;
    throw;
  }
  estado.Configurando = false;
  ISequenciaTela* seq = form ? form->SequenciaTela() : nullptr;
  if (seq) {
    TDadosAberturaTela abertura = seq->getDadosSelecionarSequencia(0);
    for (TControl* c : abertura.ControlesOcultos) c->SetVisible(false);
    TSpeedButton *reiniciar = nullptr, *confirmar = nullptr;
    if (abertura.ToolBar) {
      const int chave = d->Chave;
      AddBotao(*abertura.ToolBar, "spLimparSequenciaRel", "Limpar dados para a sequência", chave,
               [this](TComponent* s) { OnClickLimparSequenciaRel(s); });
      reiniciar = AddBotao(*abertura.ToolBar, "spReiniciarSequenciaRel", "Reiniciar alterações da sequência", chave,
                           [this](TComponent* s) { OnClickReiniciarSequenciaRel(s); });
      reiniciar->SetVisible(false);
      confirmar = AddBotao(*abertura.ToolBar, "spConfirmarSequenciaRel", "Confirmar dados para a sequência", chave,
                           [this](TComponent* s) { OnClickSalvarOkSequenciaRel(s); });
    }
    seq->DepoisAbrirTelaParaConfigurarSequencia();
    if (d->TemConfiguracaoDeTela && abertura.Configuracao) {
      LoadScreenUserConfigMemory(*abertura.Configuracao, d->Chave);
      abertura.Configuracao->Carregado = true;
      // There are saved values to go back to: the user may restart the edits.
      if (reiniciar) reiniciar->SetVisible(true);
    }
    clSequencia->ItemIndex = i;
    ShowBalao(confirmar, "Clique aqui para salvar os dados selecionados");
    return;
  }
  clSequencia->ItemIndex = i;
}

bool TfrRelSequenciaRelatorios::ConfirmaItemConfigurado(TComponent* sender, const std::string& pergunta,
                                                        TForm_VYN*& form, ISequenciaTela*& seq) {
  if (DlgConfSimNao(pergunta) != mrYes) return false;
  setMexeuAlgo(true);
  seq = SequenciaDe(sender, &form);
  return seq != nullptr;
}

TDadosSequencial* TfrRelSequenciaRelatorios::MarcaItemConfigurado(int chave, TForm_VYN& form, bool configurado,
                                                                   const std::string& nome) {
  const int linha = LinhaDaChave(chave);
  if (linha < 0) return nullptr;
  TDadosSequencial* d = getDadosSequencial(linha);
  d->TemConfiguracaoDeTela = configurado;
  d->ItemMenu->setCaption(form.Caption());
  if (!nome.empty()) d->ItemMenu->setCaptionDaBase(nome + " " + form.Caption());
  clSequencia->Items[static_cast<size_t>(linha)].Text = d->ItemMenu->MostrarString();
  return d;
}

void TfrRelSequenciaRelatorios::OnClickSalvarOkSequenciaRel(TComponent* sender) {
  TForm_VYN* form = nullptr;
  ISequenciaTela* seq = nullptr;
  if (!ConfirmaItemConfigurado(sender, "Deseja confirmar a seleção dos dados para a sequência?", form, seq)) return;
  TDadosAberturaTela abertura = seq->getDadosSelecionarSequencia(osConfirmandoSequencia);
  if (TDadosSequencial* d = MarcaItemConfigurado(sender->Tag(), *form, true, abertura.Nome)) {
    if (abertura.Configuracao) SaveScreenUserConfigMemory(*abertura.Configuracao, d->Chave);
  }
  form->Close();
  ShowBalao(spOk, "Salve o registro para finalizar");
}

void TfrRelSequenciaRelatorios::OnClickLimparSequenciaRel(TComponent* sender) {
  TForm_VYN* form = nullptr;
  ISequenciaTela* seq = nullptr;
  if (!ConfirmaItemConfigurado(sender, "Deseja limpar a seleção dos dados para a sequência?", form, seq)) return;
  if (TDadosSequencial* d = MarcaItemConfigurado(sender->Tag(), *form, false, "")) {
    // Cleared in memory, like every other edit of the model: the database follows at the next save
    // and Esc or loading another model undoes it.
    TDadosAberturaTela abertura = seq->getDadosSelecionarSequencia(0);
    if (abertura.Configuracao) {
      TScreenUserConfig& cfg = *abertura.Configuracao;
      cfg.setScreenConfig(4);
      cfg.SetFonte(&FSEQRELMGR->Valores());
      cfg.SetModelo(FSEQRELMGR->GetSEQUENCIA());
      cfg.SetChave(d->Chave);
      cfg.deleteConfigReport();
      cfg.SetFonte(nullptr);
      cfg.setScreenConfig(0);
    }
  }
  form->Close();
}

void TfrRelSequenciaRelatorios::OnClickReiniciarSequenciaRel(TComponent* sender) {
  TForm_VYN* form = nullptr;
  ISequenciaTela* seq = SequenciaDe(sender, &form);
  const int linha = LinhaDaChave(sender->Tag());
  if (!seq || linha < 0 || !getDadosSequencial(linha)->TemConfiguracaoDeTela) return;
  TDadosAberturaTela abertura = seq->getDadosSelecionarSequencia(0);
  if (abertura.Configuracao) LoadScreenUserConfigMemory(*abertura.Configuracao, getDadosSequencial(linha)->Chave);
}

void TfrRelSequenciaRelatorios::LoadScreenUserConfigMemory(TScreenUserConfig& config, int chave) {
  TClientDataSet& v = FSEQRELMGR->Valores();
  v.CancelRange();
  if (v.IsEmpty()) return;
  const bool naoSalvar = config.NotSave();
  config.SetNotSave(false);
  config.setScreenConfig(4);
  config.SetFonte(&v);
  config.SetModelo(FSEQRELMGR->GetSEQUENCIA());
  config.SetChave(chave);
  config.loadComponentsValue(nullptr, false, false);
  config.setScreenConfig(0);
  config.SetFonte(nullptr);
  config.SetNotSave(naoSalvar);
}

void TfrRelSequenciaRelatorios::SaveScreenUserConfigMemory(TScreenUserConfig& config, int chave) {
  TClientDataSet& v = FSEQRELMGR->Valores();
  v.CancelRange();
  const bool naoSalvar = config.NotSave();
  config.SetNotSave(false);
  config.setScreenConfig(4);
  config.SetFonte(&v);
  config.SetModelo(FSEQRELMGR->GetSEQUENCIA());
  config.SetChave(chave);
  config.saveComponentsValue(false);
  config.setScreenConfig(0);
  config.SetFonte(nullptr);
  config.SetNotSave(naoSalvar);
}

}  // namespace integracao
