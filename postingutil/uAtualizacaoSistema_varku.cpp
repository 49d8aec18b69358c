#include "postingutil/uAtualizacaoSistema_varku.h"

#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/date_time_picker.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/log_event.h"

namespace integracao {

using namespace vyn;

namespace {
constexpr const char* kTituloLog = "Atualização do sistema a partir do Varku";
constexpr int kExecutarAgora = 0;
constexpr int kExecutarAsHoras = 1;
constexpr int kModoVersaoEspecial = 1;

int PerguntaSimNao(const std::string& pergunta) {
  return MessageDlgVYNGlobal(pergunta, mtConfirmation, mbYes | mbNo, {"&Sim", "&Não"});
}
}  // namespace

TfrAtualizacaoSistema_varku::TfrAtualizacaoSistema_varku(TComponent* owner)
    : TfrDadosComplementaresPadrao(owner),
      rgExecutarAtualizacao(Create<TRadioGroup>()),
      rgModoAtualizacao(Create<TRadioGroup>()),
      dpHoras(Create<TDateTimePicker>()) {
  SetCaption("Atualização do sistema");
  dpHoras->SetName("dpHoras");
  dpHoras->Kind = dtkTime;
  dpHoras->Format = "HH:mm";
  rgExecutarAtualizacao->SetName("rgExecutarAtualizacao");
  // The time picker sits in the gap of the second item.
  rgExecutarAtualizacao->Items = {"Executar a atualização agora",
                                  "Executar a atualização às                  horas"};
  rgExecutarAtualizacao->OnClick = [this](TComponent* s) { rgExecutarAtualizacaoClick(s); };
  rgExecutarAtualizacao->SetItemIndex(kExecutarAgora);
  rgModoAtualizacao->SetName("rgModoAtualizacao");
  rgModoAtualizacao->Items = {"Atualizar sistema manualmente", "Atualizar versão especial"};
  rgModoAtualizacao->SetItemIndex(0);
  spCancelar->SetHint("Cancelar agendamento de atualização");
  setEnabledTimePicker();
}

bool TfrAtualizacaoSistema_varku::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrAtualizacaoSistema_varku") || TfrDadosComplementaresPadrao::InheritsFrom(class_name);
}

void TfrAtualizacaoSistema_varku::FormCreate() {
  TfrDadosComplementaresPadrao::FormCreate();
  LogEventoAtualizacao = Create<TLogEvent>(logProcesso, 0, std::string(), std::string(), std::string("TPARAMETRO"));
}

void TfrAtualizacaoSistema_varku::FormDestroy() {
  TfrDadosComplementaresPadrao::FormDestroy();
  if (LogEventoAtualizacao) FreeComponent(LogEventoAtualizacao);
  LogEventoAtualizacao = nullptr;
}

void TfrAtualizacaoSistema_varku::rgExecutarAtualizacaoClick(TComponent*) { setEnabledTimePicker(); }

void TfrAtualizacaoSistema_varku::setEnabledTimePicker() {
  dpHoras->SetEnabled(rgExecutarAtualizacao->ItemIndex() == kExecutarAsHoras);
}

std::string TfrAtualizacaoSistema_varku::getTime() const { return FormatPicker("HH:mm", dpHoras->Time()); }

void TfrAtualizacaoSistema_varku::FormShow() {
  TfrDadosComplementaresPadrao::FormShow();
  dpHoras->SetDate(Now());
  spCancelar->SetEnabled(false);
  auto mgr = TSQLMGR::CreateMgrOwned();
  mgr->CommandText("select * from TPARAMETRO where BDPARAM = ?", ctOpen, {Variant(kParamAtualizacaoPeloVarku)});
  if (mgr->IsEmpty()) return;
  // A mode the dialog does not know shows as the manual one.
  const int modo = mgr->FieldByName("BDVALORINT").AsInteger() == kModoVersaoEspecial ? kModoVersaoEspecial : 0;
  rgModoAtualizacao->SetItemIndex(modo);
  const std::string hora = Trim(mgr->FieldByName("BDVALORSTR").AsString());
  if (hora.empty()) return;
  dpHoras->SetTime(StrToTimeDef(hora, TDateTime(0)));
  rgExecutarAtualizacao->SetItemIndex(kExecutarAsHoras);
  spCancelar->SetEnabled(true);
  setEnabledTimePicker();
  DlgInfOk(std::string("Uma atualização ") + (modo == kModoVersaoEspecial ? "versão especial " : "") +
           "já foi agendada para às " + hora + " horas");
}

bool TfrAtualizacaoSistema_varku::ExecutarProcesso() {
  const std::string pergunta = "Deseja realmente realizar o processo?";
  const bool sim = PerguntaSimNao(pergunta) == mrYes;
  TLogEvent& log = *LogEventoAtualizacao;
  log.AddAcao(kTituloLog);
  log.AddAcao("");
  log.AddAcao(pergunta);
  log.AddAcao("[SIM] [NÃO]");
  log.AddAcao(std::string("Selecionado: [") + (sim ? "SIM" : "NÃO") + "]");
  // A refusal ends the action here: its question and answer are written now, not with a later one.
  if (!sim) log.LogProcesso("", logProcesso);
  return sim;
}

void TfrAtualizacaoSistema_varku::ProcessoConfirma() {
  TfrDadosComplementaresPadrao::ProcessoConfirma();
  TLogEvent& log = *LogEventoAtualizacao;
  const bool agendada = rgExecutarAtualizacao->ItemIndex() == kExecutarAsHoras;
  const std::string hora = agendada ? getTime() : std::string();
  const int modo = rgModoAtualizacao->ItemIndex();
  try {
    auto mgr = TSQLMGR::CreateMgrOwned();
    mgr->CommandText("update or insert into TPARAMETRO (BDPARAM,BDVALORSTR,BDVALORINT) VALUES (?,?,?)MATCHING (BDPARAM)",
                     ctExecute, {Variant(kParamAtualizacaoPeloVarku), Variant(hora), Variant(modo)});
  } catch (...) {
    // Nothing was recorded: the confirmation lines go with the failed action.
    log.Descarta();
    throw;
  }
  log.AddAcao("");
  log.AddAcao("Tipo atualização: " + rgModoAtualizacao->Items.at(static_cast<size_t>(modo)));
  log.AddAcao(agendada ? "Executar atualização: Executar a atualização às " + hora + " horas"
                       : std::string("Executar atualização: Executar a atualização agora"));
  log.LogProcesso("", logProcesso);
}

void TfrAtualizacaoSistema_varku::spCancelarClick(TComponent*) {
  if (PerguntaSimNao("Deseja realmente cancelar o agendamento?") != mrYes) return;
  const std::string hora = getTime();
  auto mgr = TSQLMGR::CreateMgrOwned();
  mgr->CommandText("DELETE FROM TPARAMETRO WHERE BDPARAM = ?", ctExecute, {Variant(kParamAtualizacaoPeloVarku)});
  // Logged once the row is gone, so the log never reports a cancel that did not happen.
  TLogEvent& log = *LogEventoAtualizacao;
  log.AddAcao(kTituloLog);
  log.AddAcao("");
  log.AddAcao("Agendamento de atualização para às " + hora + " horas cancelado.");
  log.LogProcesso("", logProcesso);
  spCancelar->SetEnabled(false);
  rgExecutarAtualizacao->SetItemIndex(kExecutarAgora);
  setEnabledTimePicker();
}

}  // namespace integracao
