#include "framework/web/http_vyn.h"

#include <optional>

#include <curl/curl.h>
#include <fmt/format.h>

#include "framework/component/interrupcao.h"
#include "framework/core/text.h"
#include "framework/web/secret_mask.h"

namespace vyn {

namespace {

using Clock = std::chrono::steady_clock;

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// A body kept on disk rather than in memory: a write the stream refuses ends the transfer.
size_t OnBodyFluxo(char* data, size_t size, size_t count, void* user) {
  auto* out = static_cast<std::ostream*>(user);
  out->write(data, static_cast<std::streamsize>(size * count));
  return *out ? size * count : 0;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* headers = static_cast<std::vector<std::pair<std::string, std::string>>*>(user);
  std::string_view line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) {
    headers->clear();   // a new answer (after a redirect or an interim 1xx) replaces the last one's
  } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
    headers->emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
  return size * count;
}

bool IsTLSFailure(CURLcode rc) {
  switch (rc) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
      return true;
    default:
      return false;
  }
}

std::pair<THTTPFailure, std::string> Classify(CURLcode rc) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return {THTTPFailure::Resolve, "o nome do servidor não foi encontrado"};
    case CURLE_COULDNT_CONNECT:
      return {THTTPFailure::Connect, "a conexão foi recusada ou o servidor está inacessível"};
    case CURLE_OPERATION_TIMEDOUT:
      return {THTTPFailure::ConnectTimeout, "o tempo de conexão se esgotou"};
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return {THTTPFailure::Interrupted, "a conexão foi interrompida"};
    default:
      if (IsTLSFailure(rc)) return {THTTPFailure::TLS, "a conexão segura (TLS) falhou"};
      return {THTTPFailure::Other, curl_easy_strerror(rc)};
  }
}

// The values a log line or error text must never show: the secret headers' values and their
// credentials without the scheme.
std::vector<std::string> KnownSecrets(const THTTPHeaders& headers) {
  std::vector<std::string> out;
  for (const auto& [name, value] : headers.Items()) {
    if (!IsSecretName(name)) continue;
    out.push_back(value);
    if (const size_t space = value.find(' '); space != std::string::npos) out.push_back(Trim(value.substr(space + 1)));
  }
  return out;
}

struct SList {
  curl_slist* list = nullptr;
  ~SList() { curl_slist_free_all(list); }
  void Add(const std::string& line) {
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (!grown) throw std::bad_alloc();
    list = grown;
  }
};

using THeaderList = std::vector<std::pair<std::string, std::string>>;

// Headers: the custom ones as given; the content type unless a custom one names it; no
// "Expect: 100-continue" round trip, and no form content type made up for a body.
void MontaCabecalhos(const THTTPRequestVYN& req, bool temCorpo, SList& headers, THeaderList& sent) {
  if (!req.CustomHeaders.Has("Content-Type")) {
    if (!req.ContentType.empty()) {
      headers.Add("Content-Type: " + req.ContentType);
      sent.emplace_back("Content-Type", req.ContentType);
    } else if (temCorpo) {
      headers.Add("Content-Type:");
    }
  }
  if (!req.Accept.empty() && !req.CustomHeaders.Has("Accept")) {
    headers.Add("Accept: " + req.Accept);
    sent.emplace_back("Accept", req.Accept);
  }
  for (const auto& [name, value] : req.CustomHeaders.Items()) {
    headers.Add(value.empty() ? name + ";" : name + ": " + value);
    sent.emplace_back(name, value);
  }
  headers.Add("Expect:");
}

// What one exchange hands the transfer library.
struct TPedido {
  const std::string& Method;
  const std::string& Target;
  const std::string* Body;
  char* ErrorBuffer;
  int ConnectTimeout;
  bool KeepAlive;
  const std::string& CAFile;
  curl_slist* Headers;
  std::string* Received;
  THeaderList* ResponseHeaders;
  std::ostream* Destino = nullptr;   // the body goes here instead of Received
};

void ConfiguraPedido(CURL* h, const TPedido& p) {
  curl_easy_setopt(h, CURLOPT_URL, p.Target.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  // Loopback never goes through a proxy the environment may name.
  curl_easy_setopt(h, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, p.ErrorBuffer);
  curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");   // every encoding libcurl can decode (gzip, ...)
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(p.ConnectTimeout > 0 ? p.ConnectTimeout : 0));
  curl_easy_setopt(h, CURLOPT_FORBID_REUSE, p.KeepAlive ? 0L : 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!p.CAFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, p.CAFile.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, p.Headers);
  if (p.Destino) {
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBodyFluxo);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, p.Destino);
  } else {
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, p.Received);
  }
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, p.ResponseHeaders);
  if (p.Method == "GET") {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
  } else {
    if (p.Method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, p.Method.c_str());
    if (p.Body || p.Method == "POST") {
      static const std::string kEmpty;
      const std::string& b = p.Body ? *p.Body : kEmpty;
      curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(b.size()));
      curl_easy_setopt(h, CURLOPT_POSTFIELDS, b.c_str());
    }
  }
}

// How a transfer ended.
struct TTransferencia {
  CURLMcode Mc = CURLM_OK;
  CURLcode Rc = CURLE_OK;
  bool ReadTimedOut = false;
  int Interrompida = 0;   // the signal that interrupted the run while it waited
};

TTransferencia Transfere(CURLM* multi, CURL* h, int readTimeout, Clock::time_point start) {
  TTransferencia t;
  curl_multi_add_handle(multi, h);
  bool connected = false;
  auto lastActivity = start;
  curl_off_t lastDown = -1, lastUp = -1;
  long lastHeader = -1;
  int running = 1;
  for (;;) {
    t.Mc = curl_multi_perform(multi, &running);
    if (t.Mc != CURLM_OK || running == 0) break;
    curl_off_t connectTime = 0, pretransfer = 0, down = 0, up = 0;
    long headerSize = 0;
    curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectTime);
    curl_easy_getinfo(h, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    curl_easy_getinfo(h, CURLINFO_SIZE_DOWNLOAD_T, &down);
    curl_easy_getinfo(h, CURLINFO_SIZE_UPLOAD_T, &up);
    curl_easy_getinfo(h, CURLINFO_HEADER_SIZE, &headerSize);
    const auto now = Clock::now();
    if (!connected && (connectTime > 0 || pretransfer > 0)) {
      connected = true;
      lastActivity = now;
    }
    if (down != lastDown || up != lastUp || headerSize != lastHeader) {
      lastDown = down;
      lastUp = up;
      lastHeader = headerSize;
      lastActivity = now;
    }
    if ((t.Interrompida = SinalInterrupcao()) != 0) break;
    if (connected && readTimeout > 0 && now - lastActivity > std::chrono::milliseconds(readTimeout)) {
      t.ReadTimedOut = true;
      break;
    }
    t.Mc = curl_multi_poll(multi, nullptr, 0, 20, nullptr);
    if (t.Mc != CURLM_OK) break;
  }
  int pending = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi, &pending)) {
    if (msg->msg == CURLMSG_DONE && msg->easy_handle == h) t.Rc = msg->data.result;
  }
  curl_multi_remove_handle(multi, h);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
  return t;
}

// The transport failure of a transfer as its kind and cause; an empty cause when there was none.
std::pair<THTTPFailure, std::string> Falha(const TTransferencia& t, int readTimeout, const char* errorBuffer) {
  std::string failure;
  THTTPFailure kind = THTTPFailure::Other;
  if (t.Interrompida) {
    // A worker thread ends its exchange as a failure; the run's own thread stops at its next check.
    kind = THTTPFailure::Interrupted;
    failure = "a transferência foi interrompida pelo usuário";
  } else if (t.ReadTimedOut) {
    kind = THTTPFailure::ReadTimeout;
    failure = fmt::format("o tempo de leitura se esgotou ({} ms sem resposta)", readTimeout);
  } else if (t.Mc != CURLM_OK) {
    failure = curl_multi_strerror(t.Mc);
  } else if (t.Rc != CURLE_OK) {
    auto [k, cause] = Classify(t.Rc);
    kind = k;
    failure = cause;
    if (errorBuffer[0] != '\0') failure += fmt::format(" ({})", errorBuffer);
  }
  return {kind, failure};
}

}  // namespace

std::string THTTPHeaders::Values(const std::string& name) const {
  for (const auto& [n, v] : items_) {
    if (SameText(n, name)) return v;
  }
  return {};
}

bool THTTPHeaders::Has(const std::string& name) const {
  for (const auto& item : items_) {
    if (SameText(item.first, name)) return true;
  }
  return false;
}

struct THTTPVYN::Impl {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  Impl() : easy(curl_easy_init()), multi(curl_multi_init()) {
    if (!easy || !multi) {
      Release();
      throw std::runtime_error("Não foi possível iniciar o cliente HTTP.");
    }
  }
  ~Impl() { Release(); }
  void Release() {
    if (multi) curl_multi_cleanup(multi);
    if (easy) curl_easy_cleanup(easy);
    multi = nullptr;
    easy = nullptr;
  }
};

THTTPVYN::THTTPVYN(TComponent* owner, bool AKeepAlive)
    : TComponent(owner), impl_(std::make_unique<Impl>()), keepAlive_(AKeepAlive) {}

THTTPVYN::~THTTPVYN() = default;

std::string THTTPVYN::Get(const std::string& url) { return Execute("GET", url, nullptr); }
void THTTPVYN::Get(const std::string& url, std::ostream& destino) { Execute("GET", url, nullptr, &destino); }
std::string THTTPVYN::Post(const std::string& url, const std::string& body) { return Execute("POST", url, &body); }
std::string THTTPVYN::Put(const std::string& url, const std::string& body) { return Execute("PUT", url, &body); }
std::string THTTPVYN::Delete(const std::string& url, const std::string& body) {
  return Execute("DELETE", url, body.empty() ? nullptr : &body);
}

std::string THTTPVYN::ResponseHeader(const std::string& name) const {
  for (const auto& [n, v] : responseHeaders_) {
    if (SameText(n, name)) return v;
  }
  return {};
}

std::string THTTPVYN::FullURL(const std::string& url) const {
  if (url.find("://") != std::string::npos || baseURL_.empty()) return url;
  if (!baseURL_.empty() && baseURL_.back() == '/' && !url.empty() && url.front() == '/') return baseURL_ + url.substr(1);
  return baseURL_ + url;
}

std::string THTTPVYN::Execute(const std::string& method, const std::string& url, const std::string* body,
                              std::ostream* destino) {
  const std::string target = FullURL(url);
  // What the request carries secretly, wherever it goes, is masked wherever the answer echoes it. Read
  // only when a copy of the exchange or a failure is written: a large body is parsed for it.
  std::optional<std::vector<std::string>> segredos;
  auto secrets = [&]() -> const std::vector<std::string>& {
    if (segredos) return *segredos;
    segredos = KnownSecrets(Request.CustomHeaders);
    if (body)
      for (std::string& v : SecretValuesOf(*body)) segredos->push_back(std::move(v));
    if (const size_t q = target.find('?'); q != std::string::npos)
      for (std::string& v : SecretValuesOf(std::string_view(target).substr(q + 1))) segredos->push_back(std::move(v));
    return *segredos;
  };
  CURL* h = impl_->easy;
  curl_easy_reset(h);
  responseCode_ = 0;
  responseText_.clear();
  responseHeaders_.clear();
  impl_->errorBuffer[0] = '\0';

  SList headers;
  THeaderList sent;
  MontaCabecalhos(Request, body != nullptr, headers, sent);
  std::string received;
  ConfiguraPedido(h, {method, target, body, impl_->errorBuffer, ConnectTimeout, keepAlive_, CAFile, headers.list,
                      &received, &responseHeaders_, destino});

  // Driven by hand so that the read time-out measures silence on the wire, to the millisecond.
  const auto start = Clock::now();
  const TTransferencia transferencia = Transfere(impl_->multi, h, ReadTimeout, start);

  THTTPLogEntry log;
  if (OnLog) {
    log.Method = method;
    log.URL = MaskSecrets(MaskURL(target), secrets());
    for (const auto& [name, value] : sent) log.RequestHeaders.emplace_back(name, MaskHeaderValue(name, value));
    if (body) log.RequestBody = MaskSecrets(*body, secrets());
    log.Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  }

  const auto [kind, failure] = Falha(transferencia, ReadTimeout, impl_->errorBuffer);
  if (!failure.empty()) {
    responseHeaders_.clear();
    const std::string message =
        MaskSecrets(fmt::format("Falha na comunicação com {}: {}.", SafeURL(target), failure), secrets());
    if (OnLog) {
      log.Error = message;
      OnLog(log);
    }
    throw EHTTPError(message, SafeURL(target), kind);
  }

  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  responseCode_ = static_cast<int>(status);
  responseText_ = std::move(received);
  if (OnLog) {
    log.Status = responseCode_;
    log.ResponseBody = MaskSecrets(responseText_, secrets());
    OnLog(log);
  }
  return responseText_;
}

}  // namespace vyn
