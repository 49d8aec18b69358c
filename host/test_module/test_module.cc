// A module of its own for the host's end-to-end tests: one task that drives a screen, which opens a
// modal one.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <stdexcept>
#include <string>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"
#include "framework/data/tabelas_livros.h"
#include "framework/host/auto_thread.h"
#include "framework/host/publicas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/date_time_picker.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/grid.h"
#include "framework/ui/list_view.h"
#include "framework/ui/dados_complementares.h"
#include "framework/ui/edit.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/processo_padrao.h"
#include "framework/ui/status_processo.h"
#include "module/entry_points.h"

namespace {

class TfrTesteModal : public vyn::TfrDadosComplementaresPadraoModal {
 public:
  explicit TfrTesteModal(vyn::TComponent* owner) : TfrDadosComplementaresPadraoModal(owner) {
    edNome->SetName("edNome");
  }
  std::string ClassName() const override { return "TfrTesteModal"; }

  vyn::TEdit_String_Padrao* edNome = Create<vyn::TEdit_String_Padrao>();
};

class TfrTesteHost : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrTesteHost(vyn::TComponent* owner) : TfrProcesso_Padrao_VYN(owner) {
    edCODEMP->SetName("edCODEMP");
    ckAviso->SetName("ckAviso");
    ckMostraLista->SetName("ckMostraLista");
    lbResultado->SetName("lbResultado");
    spModal->SetName("spModal");
    spModal->OnClick = [this](vyn::TComponent*) {
      lbResultado->SetCaption("Modal " + std::to_string(vyn::TPackagesUtil::CarregaFormModal("TfrTesteModal", this)));
    };
  }
  std::string ClassName() const override { return "TfrTesteHost"; }

  vyn::TEdit_String_Padrao* edCODEMP = Create<vyn::TEdit_String_Padrao>();
  vyn::TCheckBox* ckAviso = Create<vyn::TCheckBox>();
  vyn::TCheckBox* ckMostraLista = Create<vyn::TCheckBox>();   // the screen shows its own list at the end
  vyn::TLabel* lbResultado = Create<vyn::TLabel>();
  vyn::TSpeedButton* spModal = Create<vyn::TSpeedButton>();

 protected:
  std::string GetMsgConfirmacaoProcesso() override { return vyn::IsUnattended() ? "" : "Confirma o processo?"; }
  void Processo() override {
    const int emp = std::stoi(edCODEMP->Text());
    const int ref = vyn::TPublicas::GetReferencia();
    vyn::TfrStatusProcesso* status = vyn::TfrStatusProcesso::createStatusProcess(this, 1);
    status->setPrimaryStatusLabel("Processando...");
    status->setPrimaryMaxProgress(2);
    status->setPrimaryStatusProgress(1);
    if (BloqueioLancamento_Padrao_VYN->Execute(emp, vyn::FirstDayOfAnoMes(ref), vyn::LastDayOfAnoMes(ref),
                                               "frTesteHost")) {
      status->Finalize();
      return;
    }
    if (ckAviso->Checked()) Inconsistencias_VYN()->Add_Atencao(emp, "Aviso de ^teste");
    status->setPrimaryStatusProgress(2);
    status->Finalize();
    lbResultado->SetCaption("Processado " + std::to_string(emp));
    if (ckMostraLista->Checked()) Inconsistencias_VYN()->Execute(true, true, true, true, "Teste");
  }
};

// What a user's hands do: every control kind, an exit check that sends the focus back, a timer, keys,
// a grid edited through its fields container, and a screen opened without a modal run.
class TfrTesteMaos : public vyn::TForm_VYN {
 public:
  explicit TfrTesteMaos(vyn::TComponent* owner) : TForm_VYN(owner) {
    Nomeia();
    edCodigo->OnExit = [this](vyn::TComponent*) {
      Anota("saiu " + edCodigo->Text());
      if (edCodigo->Text() == "777") edCodigo->SetFocus();   // refused: the user stays on it
    };
    edNome->OnEnter = [this](vyn::TComponent*) { Anota("entrou edNome"); };
    clLista->Add("Um");
    clLista->Add("Dois");
    lvItens->Add("Alfa", 1);
    lvItens->Add("Beta", 2);
    lvItens->OnSelectItem = [this](vyn::TComponent*, vyn::TListItem& i) { Anota("linha " + i.Caption); };
    pcPaginas->AddPage("tsUm", "Um");
    pcPaginas->AddPage("tsDois", "Dois");
    pcPaginas->SetActivePageIndex(0);
    pcPaginas->OnChange = [this](vyn::TComponent*) { Anota("aba " + pcPaginas->ActivePage()->Caption()); };
    tmAviso->OnTimer = [this](vyn::TComponent*) {
      tmAviso->Enabled = false;
      Anota("timer");
    };
    MontaGrade();
    spAbrir->OnClick = [this](vyn::TComponent*) {
      vyn::TPackagesUtil::CarregaForm(this, "TfrTesteMaos");
      Anota("abriu");
    };
    spErro->OnClick = [this](vyn::TComponent*) {
      vyn::TInconsistencias_VYN lista(nullptr);
      lista.Add_Erro(1, "Falha de teste");
      vyn::Dialogs().ShowInconsistencias(lista, "Erros");
    };
    MontaMenus();
    spLista->OnClick = [this](vyn::TComponent*) {
      vyn::TInconsistencias_VYN lista(nullptr);
      lista.Add_Atencao(1, "Lançamento 1: sem conta");
      lista.Add_Atencao(1, "Lançamento 2: sem histórico");
      lista.OnExecuteItem = [this](const vyn::TInconsistenciaItem& i) { Anota("ativou " + i.Caption); };
      lista.Show("Avisos");
    };
    edArquivo->Pasta = false;
    edArquivo->SetReadOnly(true);
    edArquivo->OnChange = [this](vyn::TComponent*) {
      if (!edArquivo->Text().empty()) Anota("arquivo " + edArquivo->Text());
    };
  }
  std::string ClassName() const override { return "TfrTesteMaos"; }
  void KeyDown(int& key, unsigned shift) override {
    if (key == 117) Anota(shift & vyn::ssCtrl ? "ctrl+f6" : "f6");
  }

 protected:
  void FormShow() override { tmAviso->Enabled = true; }

 private:
  void Anota(const std::string& t) { lbLog->SetCaption(lbLog->Caption() + (lbLog->Caption().empty() ? "" : ", ") + t); }
  void Nomeia() {
    edCodigo->SetName("edCodigo");
    edNome->SetName("edNome");
    dtData->SetName("dtData");
    clLista->SetName("clLista");
    lvItens->SetName("lvItens");
    pcPaginas->SetName("pcPaginas");
    grGrid->SetName("grGrid");
    lbLog->SetName("lbLog");
    spAbrir->SetName("spAbrir");
    spErro->SetName("spErro");
    spMenu->SetName("spMenu");
    spDividido->SetName("spDividido");
    spLista->SetName("spLista");
    ckTrava->SetName("ckTrava");
    edArquivo->SetName("edArquivo");
  }
  // The grid's popup menu (one item, one disabled, one in a disabled submenu) and a button's
  // drop-down menu, the button locked by a box; a button whose face runs its own action and
  // whose menu drops from its arrow only.
  void MontaMenus() {
    pmGrade->SetName("pmGrade");
    vyn::TMenuItem* miMarca = pmGrade->Add("miMarca", "Marcar");
    miMarca->OnClick = [this](vyn::TComponent*) { Anota("marcou " + dados->FieldByName("BDNOME").AsString()); };
    pmGrade->Add("miTravado", "Travado")->SetEnabled(false);
    vyn::TMenuItem* miSub = pmGrade->Add("miSub", "Sub");
    miSub->SetEnabled(false);
    miSub->Add("miNeto", "Neto")->OnClick = [this](vyn::TComponent*) { Anota("neto"); };
    pmGrade->OnPopup = [this](vyn::TComponent*) { Anota("menu"); };
    grGrid->PopupMenu = pmGrade;
    pmBotao->SetName("pmBotao");
    pmBotao->Add("miBotao", "Do botão")->OnClick = [this](vyn::TComponent*) { Anota("botao"); };
    spMenu->DropdownMenu = pmBotao;
    ckTrava->OnClick = [this](vyn::TComponent*) { spMenu->SetEnabled(!ckTrava->Checked()); };
    pmDividido->SetName("pmDividido");
    pmDividido->Add("miDividido", "Da seta")->OnClick = [this](vyn::TComponent*) { Anota("seta"); };
    spDividido->DropdownMenu = pmDividido;
    spDividido->DropdownArrowOnly = true;
    spDividido->OnClick = [this](vyn::TComponent*) { Anota("face"); };
  }
  // The selected rows' names, in the grid's order.
  std::string Selecionadas() {
    std::string nomes;
    vyn::TClientDataSet c;
    c.CloneCursor(*dados, false, true);
    for (vyn::TBookmark b : grGrid->SelectedRows()) {
      c.GotoBookmark(b);
      nomes += c.FieldByName("BDNOME").AsString();
    }
    return nomes;
  }
  void MontaGrade() {
    dados->AddFieldDef("BDNOME", vyn::TFieldType::ftString, 20);
    dados->CreateDataSet();
    dados->AppendRecord({vyn::Variant("a")});
    dados->AppendRecord({vyn::Variant("b")});
    dados->AppendRecord({vyn::Variant("c")});
    fonte->SetDataSet(dados);
    grGrid->SetDataSource(fonte);
    grGrid->AddColumn("BDNOME", "Nome");
    grGrid->MultiSelect = true;
    grGrid->OnMouseDown = [this](vyn::TComponent*, bool direito) { Anota(direito ? "direito" : "aperta"); };
    grGrid->OnCellClick = [this](vyn::TComponent*, const std::string& campo) { Anota("celula " + campo); };
    grGrid->OnMouseUp = [this](vyn::TComponent*, bool) { Anota("solta[" + Selecionadas() + "]"); };
    grGrid->EditaCelula = [this](const std::string& campo, const std::string& texto) {
      if (texto.empty()) return false;   // the before-edit call refuses
      dados->Edit();
      dados->FieldByName(campo).SetAsString(texto);
      dados->Post();
      Anota("editou " + texto);
      return true;
    };
  }

  vyn::TEdit_String_Padrao* edCodigo = Create<vyn::TEdit_String_Padrao>();
  vyn::TEdit_String_Padrao* edNome = Create<vyn::TEdit_String_Padrao>();
  vyn::TDateTimePicker* dtData = Create<vyn::TDateTimePicker>();
  vyn::TCheckListBox* clLista = Create<vyn::TCheckListBox>();
  vyn::TListView* lvItens = Create<vyn::TListView>();
  vyn::TPageControl* pcPaginas = Create<vyn::TPageControl>();
  vyn::TClientDataSet* dados = Create<vyn::TClientDataSet>();
  vyn::TDataSource* fonte = Create<vyn::TDataSource>();
  vyn::TDBGrid_Padrao_VYN* grGrid = Create<vyn::TDBGrid_Padrao_VYN>();
  vyn::TTimer* tmAviso = Create<vyn::TTimer>();
  vyn::TLabel* lbLog = Create<vyn::TLabel>();
  vyn::TSpeedButton* spAbrir = Create<vyn::TSpeedButton>();
  vyn::TSpeedButton* spErro = Create<vyn::TSpeedButton>();
  vyn::TSpeedButton* spMenu = Create<vyn::TSpeedButton>();
  vyn::TSpeedButton* spLista = Create<vyn::TSpeedButton>();
  vyn::TSpeedButton* spDividido = Create<vyn::TSpeedButton>();
  vyn::TCheckBox* ckTrava = Create<vyn::TCheckBox>();
  vyn::TEdit_Diretorio_Padrao_VYN* edArquivo = Create<vyn::TEdit_Diretorio_Padrao_VYN>();
  vyn::TMenuItem* pmGrade = Create<vyn::TMenuItem>();
  vyn::TMenuItem* pmBotao = Create<vyn::TMenuItem>();
  vyn::TMenuItem* pmDividido = Create<vyn::TMenuItem>();
};

class TAutoThreadTesteHost : public vyn::TAutoThreadPushPadrao {
 public:
  using TAutoThreadPushPadrao::TAutoThreadPushPadrao;
  std::string ClassName() const override { return "TAutoThreadTesteHost"; }

 protected:
  void Execute() override {
    TAutoThreadPushPadrao::Execute();
    GravarLogTarvo("Iniciando o processo...");
    InsereConferenciaImportacoes(6, vyn::tscSucesso, "");
    if (Parametros.contains("id")) GravarLogTarvo("id " + Parametros["id"].dump());
    if (GetParametro("modo") == "perfil") {
      const vyn::TProcessContext& c = vyn::ProcessContext();
      GravarLogTarvo("perfil " + c.UserName + "|" + c.CustomerCode + "|" +
                     std::to_string(c.WP_USUARIO_INTEGRA_EQUIPE) + "|" + std::to_string(c.WP_GRUPOMASTER));
      return;
    }
    if (GetParametro("modo") == "erro") throw std::runtime_error("Falha ^simulada");
    if (GetParametro("modo") == "aberta") {  // work begun and never committed
      vyn::ProcessContext().Database->StartTransaction();
      vyn::ProcessContext().Database->Execute(
          "INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 1, 'x', '2024-01-01', '2024-01-31', NULL)");
      GravarLogTarvo("Transação aberta");
      return;
    }
    if (GetParametro("modo") == "longa") return Longa(GetParametro("pasta"));
    if (GetParametro("modo") == "parada_no_fim") {  // stopped once its work is done, past every check
      GravarLogTarvo("Processo finalizado");
      std::raise(SIGTERM);
      return;
    }
    if (GetParametro("modo") == "livros") {  // a write of the ledger around the books' gate
      vyn::ProcessContext().Database->Execute("DELETE FROM " + std::string(vyn::kTabelasDosLivros[0]));
      return;
    }
    auto* tela = dynamic_cast<TfrTesteHost*>(vyn::TPackagesUtil::CarregaFormERetorna("TfrTesteHost", this));
    tela->SetIsTARVO(true);
    tela->edCODEMP->SetText(GetParametro("cod_empresa"));
    tela->ckAviso->SetChecked(GetParametro("ckAviso") == "True");
    tela->spOK->Click();
    if (auto* l = tela->Inconsistencias_VYN(); l && !l->IsEmpty())
      vyn::RegistraInconsistenciaExecucao(l->Itens().front().Caption);
    tela->Free();
    GravarLogTarvo("Processo finalizado");
  }

  // A long run: a work file, work in an open transaction, then steps until a signal ends it (at most
  // a minute, so that a run nobody signals still ends).
  void Longa(const std::string& pasta) {
    vyn::TDatabase& db = *vyn::ProcessContext().Database;
    const std::filesystem::path arquivo = std::filesystem::path(pasta) / "trabalho.txt";
    vyn::TTransaction tr(db);
    db.Execute("INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 1, 'x', '2024-01-01', '2024-01-31', NULL)");
    try {
      std::ofstream(arquivo) << "em andamento\n";
      vyn::TfrStatusProcesso* status = vyn::TfrStatusProcesso::createStatusProcess(this, 1);
      status->setPrimaryMaxProgress(6000);
      for (int passo = 1; passo <= 6000; ++passo) {
        status->setPrimaryStatusProgress(passo);
        db.QueryValue("SELECT COUNT(*) FROM TBLOQUEIO_LANCAMENTO");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    } catch (...) {
      std::filesystem::remove(arquivo);
      throw;
    }
    std::filesystem::remove(arquivo);
    tr.Commit();
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int integracao_load(char* erro, size_t tamanho) {
  try {
    vyn::ClassRegistry().RegisterClass<TfrTesteHost>("TfrTesteHost", vyn::TClassKind::Screen);
    vyn::ClassRegistry().RegisterClass<TfrTesteModal>("TfrTesteModal", vyn::TClassKind::Screen);
    vyn::ClassRegistry().RegisterClass<TfrTesteMaos>("TfrTesteMaos", vyn::TClassKind::Screen);
    vyn::ClassRegistry().RegisterClass<TAutoThreadTesteHost>("TAutoThreadTesteHost", vyn::TClassKind::Task);
    return 0;
  } catch (const std::exception& e) {
    std::snprintf(erro, tamanho, "%s", e.what());
    return 1;
  }
}

extern "C" __attribute__((visibility("default"))) void integracao_unload(void) {
  vyn::ClassRegistry().UnRegisterClass("TfrTesteHost");
  vyn::ClassRegistry().UnRegisterClass("TfrTesteModal");
  vyn::ClassRegistry().UnRegisterClass("TfrTesteMaos");
  vyn::ClassRegistry().UnRegisterClass("TAutoThreadTesteHost");
}
