#include "integrations/omie/uIntegracaoOmie.Base.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/web/http_vyn.h"
#include "framework/web/json_numero.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"

namespace integracao {

using namespace vyn;

namespace {

std::string UpperASCII(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Leading and trailing blanks and control characters.
std::string TrimControle(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Whether a 2xx answer is the JSON object every call of the API answers with.
bool RespostaJSON(const std::string& texto) {
  const std::string t = TrimControle(texto);
  if (t.empty() || t.front() != '{') return false;
  return TJsonOmie::accept(t);
}

std::string Dump(const TJsonOmie& j) { return j.dump(-1, ' ', false, TJsonOmie::error_handler_t::replace); }

}  // namespace

std::string LeTextoOmie(const TJsonOmie& obj, const std::string& membro) {
  if (!obj.is_object()) return {};
  auto it = obj.find(membro);
  if (it == obj.end() || it->is_null()) return {};
  if (it->is_string()) return it->get<std::string>();
  return Dump(*it);
}

int LeInteiroOmie(const TJsonOmie& obj, const std::string& membro, int fallback) {
  if (!obj.is_object()) return fallback;
  auto it = obj.find(membro);
  if (it == obj.end()) return fallback;
  return InteiroJson(*it).value_or(fallback);
}

std::string FaultStringOmie(const TJsonOmie& resposta) { return LeTextoOmie(resposta, "faultstring"); }

bool JaCadastradoOmie(const TRetornoOmieRegistro& r) {
  if (r.StatusCode == 200) return false;
  return UpperCase(FaultStringOmie(r.Response)).find(C_OMIE_JA_CADASTRADO) != std::string::npos;
}

TRetornoOmieRegistro RespostaInvalidaOmie(const std::string& prMotivo) {
  TRetornoOmieRegistro r;
  r.StatusCode = C_OMIE_RESPOSTA_INVALIDA;
  r.Response["faultstring"] = "Resposta inválida da Omie: " + prMotivo + ".";
  return r;
}

TIntegracaoOmieBase::TIntegracaoOmieBase(TComponent* AOwner, std::string AppKey, std::string AppSecret)
    : TComponent(AOwner), FAppKey(std::move(AppKey)), FAppSecret(std::move(AppSecret)) {}

TIntegracaoOmieBase::~TIntegracaoOmieBase() = default;

std::string TIntegracaoOmieBase::EnderecoCompleto() const {
  std::string base = FURLBase;
  if (base.empty()) base = TServiceConfig("Omie", ProcessContext().Database).BaseURL();
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + C_URL_CAMINHO + GetURL();
}

std::unique_ptr<THTTPVYN> TIntegracaoOmieBase::montaHTTPVYN() {
  auto http = std::make_unique<THTTPVYN>(nullptr, false);
  http->Request.ContentType = "application/json";
  return http;
}

TJsonOmie TIntegracaoOmieBase::converteRespostaJSON(const std::string& texto) {
  const std::string t = TrimControle(texto);
  TJsonOmie obj = TJsonOmie::object();
  if (!t.empty() && t.front() == '{') {
    TJsonOmie lido = TJsonOmie::parse(t, nullptr, false);
    if (lido.is_discarded() || !lido.is_object()) {
      obj["faultstring"] = t;
      return obj;
    }
    auto resp = lido.find("response");
    if (resp != lido.end() && resp->is_object() && !resp->empty()) return *resp;
    return lido;
  }
  obj["faultstring"] = t;
  return obj;
}

void TIntegracaoOmieBase::SalvaRequisicao(const std::string& prCall, const TJsonOmie& envelope) const {
  namespace fs = std::filesystem;
  fs::create_directories(FCaminhoSalvarRequisicao);
  const std::string nome = prCall + "_" + FormatDate("hhnnss", Now()) + ".json";
  std::ofstream out(fs::path(FCaminhoSalvarRequisicao) / nome, std::ios::binary | std::ios::trunc);
  // The copy is for support: the credentials never reach the disk.
  out << MaskSecrets(Dump(envelope), {FAppKey, FAppSecret});
}

TRetornoOmieRegistro TIntegracaoOmieBase::RealizaPostGenerico(const std::string& prCall, const TJsonOmie& prParam) {
  TJsonOmie envelope = TJsonOmie::object();
  envelope["call"] = prCall;
  envelope["app_key"] = FAppKey;
  envelope["app_secret"] = FAppSecret;
  envelope["param"] = TJsonOmie::array({prParam.is_null() ? TJsonOmie::object() : prParam});
  if (!FCaminhoSalvarRequisicao.empty()) SalvaRequisicao(prCall, envelope);

  const std::string url = EnderecoCompleto();
  const std::string corpo = Dump(envelope);
  TRetornoOmieRegistro ret;
  std::string resposta;
  for (int tentativa = 1;; ++tentativa) {
    auto http = montaHTTPVYN();
    resposta = http->Post(url, corpo);
    const int status = http->ResponseCode();
    if (status >= 200 && status < 300) {
      ret.StatusCode = 200;
      break;
    }
    ret.StatusCode = status;
    const bool limitado = UpperASCII(resposta).find(C_OMIE_TENTE_NOVAMENTE) != std::string::npos;
    if (!limitado || tentativa >= C_OMIE_TENTATIVAS) break;
    const auto espera = std::chrono::milliseconds(C_OMIE_ESPERA_MS);
    if (FSleeper) {
      FSleeper(espera);
    } else {
      RealSleeper()(espera);
    }
  }
  if (OnAfterPost) OnAfterPost(this);
  // A refusal's text is shown, logged and written to status rows: it must not echo the credentials.
  const std::string seguro = MaskSecrets(resposta, {FAppKey, FAppSecret});
  if (ret.StatusCode == 200 && !RespostaJSON(resposta))
    return RespostaInvalidaOmie("o conteúdo não é JSON (" + Utf8Left(TrimControle(seguro), 200) + ")");
  ret.Response = converteRespostaJSON(ret.StatusCode == 200 ? resposta : seguro);
  return ret;
}

}  // namespace integracao
