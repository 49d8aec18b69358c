#include "framework/web/thread_omie.h"

#include <nlohmann/json.hpp>

#include "framework/component/fila_mensagens.h"
#include "framework/component/process_context.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"

namespace vyn {

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
  url_ = URLBase.empty() ? TServiceConfig("OmieLancamentos", ProcessContext().Database).BaseURL() : URLBase;
  while (!url_.empty() && url_.back() == '/') url_.pop_back();
  std::shared_ptr<TThreadOmie> mantem = FreeOnTerminate ? shared_from_this() : nullptr;
  worker_ = std::thread([this, mantem]() {
    std::string r;
    try {
      r = Buscar();
    } catch (const std::exception& e) {
      r = std::string("1 ") + MaskSecrets(e.what(), {AppKey, AppSecret});
    }
    resposta_ = std::move(r);
    finished_.store(true, std::memory_order_release);
    if (mantem) {
      fila_->Post([this, mantem]() {
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
  http.ReadTimeout = 0;   // the service answers when the whole period is ready
  const std::string resposta = http.Post(url_ + "/api/v1/omie/lancamentos", corpo.dump());
  if (http.ResponseCode() == 200) return resposta;
  return "1 Serviço de lançamentos Omie respondeu " + std::to_string(http.ResponseCode()) + ": " +
         MaskSecrets(resposta, {AppKey, AppSecret});
}

}  // namespace vyn
