// A module of its own for the host's end-to-end tests: one task that drives a screen, which opens a
// modal one.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"
#include "framework/host/auto_thread.h"
#include "framework/host/publicas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
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
    lbResultado->SetName("lbResultado");
    spModal->SetName("spModal");
    spModal->OnClick = [this](vyn::TComponent*) {
      lbResultado->SetCaption("Modal " + std::to_string(vyn::TPackagesUtil::CarregaFormModal("TfrTesteModal", this)));
    };
  }
  std::string ClassName() const override { return "TfrTesteHost"; }

  vyn::TEdit_String_Padrao* edCODEMP = Create<vyn::TEdit_String_Padrao>();
  vyn::TCheckBox* ckAviso = Create<vyn::TCheckBox>();
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
  }
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
    if (GetParametro("modo") == "erro") throw std::runtime_error("Falha ^simulada");
    if (GetParametro("modo") == "aberta") {  // work begun and never committed
      vyn::ProcessContext().Database->StartTransaction();
      vyn::ProcessContext().Database->Execute(
          "INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 1, 'x', '2024-01-01', '2024-01-31', NULL)");
      GravarLogTarvo("Transação aberta");
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
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int integracao_load(char* erro, size_t tamanho) {
  try {
    vyn::ClassRegistry().RegisterClass<TfrTesteHost>("TfrTesteHost", vyn::TClassKind::Screen);
    vyn::ClassRegistry().RegisterClass<TfrTesteModal>("TfrTesteModal", vyn::TClassKind::Screen);
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
  vyn::ClassRegistry().UnRegisterClass("TAutoThreadTesteHost");
}
