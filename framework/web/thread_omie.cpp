#include "framework/web/thread_omie.h"

#include <nlohmann/json.hpp>

#include "framework/component/fila_mensagens.h"
#include "framework/component/process_context.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"

namespace vyn {

namespace {
constexpr const char* kItemTempoLimite = "TIMEOUT_MS";
}  // namespace

TEstadoOmie& EstadoOmie() {
  auto& p = ProcessContext().WP_ESTADO_OMIE;
  if (!p) p = std::make_shared<TEstadoOmie>();
  return *p;
}

int StatusRespostaOmie(const std::string& resposta) {
  if (resposta.empty() || resposta[0] < '0' || resposta[0] > '9') return 1;
  return resposta[0] - '0';
}

std::string TextoRespostaOmie(const std::string& resposta) {
  return resposta.size() > 2 ? resposta.substr(2) : std::string();
}

TThreadOmie::~TThreadOmie() {
  if (worker_.joinable()) {
    if (worker_.get_id() == std::this_thread::get_id()) {
      worker_.detach();
    } else {
      worker_.join();
    }
  }
}

void TThreadOmie::Start() {
  if (worker_.joinable() || finished_) return;
  FilaMensagens();   // the queue exists before another thread needs it
  fila_ = ProcessContext().FilaMensagensPrincipal;
  // Configuration lives in the database: read it here, on the main thread.
  const TServiceConfig config("OmieLancamentos", ProcessContext().Database);
  url_ = URLBase.empty() ? config.BaseURL() : URLBase;
  tempoLimite_ = config.Milliseconds(kItemTempoLimite, kTempoLimiteOmiePadrao);
  while (!url_.empty() && url_.back() == '/') url_.pop_back();
  std::shared_ptr<TThreadOmie> mantem = FreeOnTerminate ? shared_from_this() : nullptr;
  if (mantem) fila_->IniciaSegundoPlano();
  worker_ = std::thread([this, mantem]() {
    std::string r;
    try {
      r = Buscar();
    } catch (const EHTTPError& e) {
      // Named as a time-out, with where its limit is set, so it is not taken for a server fault.
      std::string causa;
      if (e.Failure() == THTTPFailure::ReadTimeout)
        causa = "Tempo esgotado aguardando o serviço de lançamentos Omie (limite em " +
                TServiceConfig("OmieLancamentos").KeyOf(kItemTempoLimite) + "). ";
      else if (e.Failure() == THTTPFailure::ConnectTimeout)
        causa = "Tempo esgotado aguardando o serviço de lançamentos Omie. ";
      r = "1 " + causa + MaskSecrets(e.what(), {AppKey, AppSecret});
    } catch (const std::exception& e) {
      r = std::string("1 ") + MaskSecrets(e.what(), {AppKey, AppSecret});
    }
    resposta_ = std::move(r);
    finished_.store(true, std::memory_order_release);
    if (mantem) {
      fila_->Post([this, mantem]() {
        struct TTermina {
          TFilaMensagens& f;
          ~TTermina() { f.TerminaSegundoPlano(); }
        } termina{*fila_};
        if (OnTerminate) OnTerminate(*this);
      });
    }
  });
}

std::string TThreadOmie::Buscar() const {
  nlohmann::ordered_json corpo = nlohmann::ordered_json::object();
  corpo["empresa"] = CodEmpresa;
  corpo["app_key"] = AppKey;
  corpo["app_secret"] = AppSecret;
  corpo["data_inicial"] = FormatDate("yyyy-mm-dd", DataInicial);
  corpo["data_final"] = FormatDate("yyyy-mm-dd", DataFinal);
  corpo["periodo"] = Periodo;
  corpo["quinzena"] = Quinzena;
  corpo["semana"] = Semana;
  THTTPVYN http(nullptr, false);
  http.Request.ContentType = "application/json";
  // The service answers when the whole period is ready, so the limit is long, but a server that
  // never answers must not hold the waiting screen for ever.
  http.ReadTimeout = tempoLimite_;
  const std::string resposta = http.Post(url_ + "/api/v1/omie/lancamentos", corpo.dump());
  if (http.ResponseCode() == 200) return resposta;
  return "1 Serviço de lançamentos Omie respondeu " + std::to_string(http.ResponseCode()) + ": " +
         MaskSecrets(resposta, {AppKey, AppSecret});
}

}  // namespace vyn
