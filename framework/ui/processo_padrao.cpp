#include "framework/ui/processo_padrao.h"

#include <algorithm>

#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/posting_lock.h"

namespace vyn {

TfrProcesso_Padrao_VYN::TfrProcesso_Padrao_VYN(TComponent* owner)
    : TForm_VYN(owner),
      spOK(Create<TSpeedButton>()),
      spConsulta(Create<TSpeedButton>()),
      FLogEvent(Create<TLogEvent>(logProcesso)),
      BloqueioLancamento_Padrao_VYN(Create<TBloqueioLancamento_VYN>()) {
  spOK->SetName("spOK");
  spOK->SetHint("Executar");
  spOK->OnClick = [this](TComponent* s) { spOKClick(s); };
  spConsulta->SetName("spConsulta");
  spConsulta->OnClick = [this](TComponent* s) { spConsultaClick(s); };
  FLogEvent->SetName("LogEvent");
  BloqueioLancamento_Padrao_VYN->SetName("BloqueioLancamento_Padrao_VYN");
}

bool TfrProcesso_Padrao_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrProcesso_Padrao_VYN") || TForm_VYN::InheritsFrom(class_name);
}

TInconsistencias_VYN* TfrProcesso_Padrao_VYN::Inconsistencias_VYN() const {
  return BloqueioLancamento_Padrao_VYN->Inconsistencias();
}

void TfrProcesso_Padrao_VYN::FormCreate() {
  TForm_VYN::FormCreate();
  CreateDAO();
}

bool TfrProcesso_Padrao_VYN::VerificaSeguranca() { return ShowSegurancaProcesso(this); }

namespace {
// Marks a run in progress: a second press of OK while running does nothing.
struct TRunning {
  explicit TRunning(bool& f) : flag(f) { flag = true; }
  ~TRunning() { flag = false; }
  bool& flag;
};
}  // namespace

void TfrProcesso_Padrao_VYN::spOKClick(TComponent*) {
  if (running_) return;
  AfterConstruction();
  TRunning guard(running_);
  FCancelaProcesso = false;
  if (!PodeIniciarProcesso()) return;
  std::string question = GetMsgConfirmacaoProcesso();
  if (!question.empty() && DlgConfSimNao(question, FLogEvent) != mrYes) {
    FLogEvent->GravarLog(false);
    return;
  }
  // Lines collected during the run (the confirmation first) belong to it, also when it fails.
  try {
    InicioProcesso();
    SelectProcesso();
    ChamaProcesso();
    FimProcesso();
  } catch (...) {
    TSemInterrupcao relato;
    try {
      FLogEvent->GravarLog(false);
    } catch (...) {
      // the run's own error is the one to report
    }
    throw;
  }
  FLogEvent->GravarLog(false);
  PosicionaFocus();
}

void TfrProcesso_Padrao_VYN::KeyUp(int& key, unsigned shift) {
  TForm_VYN::KeyUp(key, shift);
  const std::vector<int> teclas = ExecutarProcessoKeys();
  if (key == 0 || shift != 0 || std::find(teclas.begin(), teclas.end(), key) == teclas.end()) return;
  if (!spOK->Enabled() || !spOK->Visible()) return;
  key = 0;
  spOK->Click();
}

void TfrProcesso_Padrao_VYN::InicioProcesso() {
  if (auto* l = Inconsistencias_VYN()) l->SetEmpresaAtual(0);
}

void TfrProcesso_Padrao_VYN::SelectProcesso() {
  if (!FDAO) return;
  if (!FDAO->Active()) FDAO->Open();
  FDAO->First();
}

void TfrProcesso_Padrao_VYN::ChamaProcesso() {
  TClientDataSet* rows = FDAO;
  if (!rows || !rows->Active()) {
    if (!fCancelaProcesso() && OnBeforeProcesso()) Processo();
    return;
  }
  rows->First();
  while (FDAO == rows && rows->Active() && !rows->Eof()) {
    if (fCancelaProcesso()) break;
    TField* emp = rows->FindField("BDCODEMP");
    if (emp && Inconsistencias_VYN()) Inconsistencias_VYN()->SetEmpresaAtual(static_cast<int>(emp->AsInteger()));
    TBookmark here = rows->GetBookmark();
    if (OnBeforeProcesso()) Processo();
    // The row set was replaced inside the row's work: nothing left to walk.
    if (FDAO != rows || !rows->Active()) break;
    // Back to the row just done (its work may have moved the cursor), then on.
    if (rows->BookmarkValid(here)) rows->GotoBookmark(here);
    rows->Next();
  }
}

}  // namespace vyn
