#include "framework/ui/log_event.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/log_event_db.h"

namespace vyn {

std::string TLogRecord::Texto() const { return Join(Linhas, kCRLF); }

TLogEvent::TLogEvent(TComponent* owner, int tipoAcao, int codEmp, std::string tela, std::string titulo,
                     std::string tabela)
    : TComponent(owner), tipoAcao_(tipoAcao), codEmp_(codEmp), tela_(std::move(tela)),
      titulo_(std::move(titulo)), tabela_(std::move(tabela)) {}

void TLogEvent::InicializaVariaveis(bool limpar) {
  dados_.clear();
  if (limpar) linhas_.clear();
}

void TLogEvent::SetDadosPrincipais(std::string key, std::string value) {
  dados_.emplace_back(std::move(key), std::move(value));
}

void TLogEvent::AddAcao(std::string_view text, std::string_view value, bool separador) {
  std::string line = RemoveCaret(text);
  if (!value.empty()) line += ": " + RemoveCaret(value);
  linhas_.push_back(std::move(line));
  if (separador) linhas_.emplace_back();
}

void TLogEvent::Logger() { Write(); }

void TLogEvent::LogProcesso(std::string_view text, int tipoAcao) {
  tipoAcao_ = tipoAcao;
  if (!text.empty()) AddAcao(text);
  Write();
}

void TLogEvent::GravarLog(bool forcar) {
  if (forcar || !linhas_.empty()) Write();
}

void TLogEvent::Write() {
  const TProcessContext& ctx = ProcessContext();
  TLogRecord r;
  r.DataHora = Now();
  r.CodUsuario = ctx.UserCode;
  r.NomeUsuario = ctx.UserName;
  r.Estacao = ctx.Workstation;
  r.CodEmp = codEmp_;
  r.TipoAcao = tipoAcao_;
  // Without a name of its own the record names the screen that owns the log.
  r.Tela = tela_.empty() && Owner() ? Owner()->ClassName() : tela_;
  r.Titulo = titulo_;
  r.Tabela = tabela_;
  r.DadosPrincipais = dados_;
  r.Linhas = linhas_;
  if (ctx.ActionLog) {
    ctx.ActionLog->Write(r);
  } else if (ctx.Database) {
    TDatabaseLogWriter(*ctx.Database).Write(r);
  } else {
    kept_.push_back(std::move(r));
  }
  // One record per action: the next action starts empty.
  linhas_.clear();
  dados_.clear();
}

}  // namespace vyn
