#pragma once
// A loopback fake of an outside HTTP service for tests: 127.0.0.1 on an ephemeral port, routes
// scripted per method and path, every request recorded. Answers can be errors, throttling
// (429 + Retry-After), malformed or cut-off bodies and delays; a delay is cut short when the server
// stops, and the server stops by itself when it goes out of scope or outlives its lifetime.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vyn {

struct TFakeRequest {
  std::string Method;
  std::string Path;       // without the query
  std::string Query;      // raw, without '?'
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;

  bool HasHeader(const std::string& name) const;      // without regard to case
  std::string Header(const std::string& name) const;  // empty when absent
  std::string Param(const std::string& name) const;   // a decoded query parameter
};

struct TFakeResponse {
  TFakeResponse() = default;
  TFakeResponse(int status, std::string body, std::string contentType = "application/json",
                std::vector<std::pair<std::string, std::string>> headers = {},
                std::chrono::milliseconds delay = std::chrono::milliseconds(0), bool cutOff = false)
      : Status(status), Body(std::move(body)), ContentType(std::move(contentType)), Headers(std::move(headers)),
        Delay(delay), CutOff(cutOff) {}

  int Status = 200;
  std::string Body;
  std::string ContentType = "application/json";
  std::vector<std::pair<std::string, std::string>> Headers;
  std::chrono::milliseconds Delay{0};   // waited before answering
  bool CutOff = false;                  // announce the whole body, send half, drop the connection
  // A body served as it is held, a piece at a time, never copied (a large download's); Body is not sent.
  std::shared_ptr<const std::string> SharedBody;

  static TFakeResponse Json(int status, std::string body) { return {status, std::move(body)}; }
  static TFakeResponse Throttle(std::string retryAfter, std::string body = "{}") {
    TFakeResponse r{429, std::move(body)};
    if (!retryAfter.empty()) r.Headers.emplace_back("Retry-After", std::move(retryAfter));
    return r;
  }
};

using TFakeHandler = std::function<TFakeResponse(const TFakeRequest&)>;

class TFakeHttpServer {
 public:
  explicit TFakeHttpServer(std::chrono::seconds lifetime = std::chrono::seconds(120));
  ~TFakeHttpServer();
  TFakeHttpServer(const TFakeHttpServer&) = delete;
  TFakeHttpServer& operator=(const TFakeHttpServer&) = delete;

  int Port() const;
  std::string BaseURL() const;   // "http://127.0.0.1:<port>"

  // A route: method ("GET", "PUT", ...) and exact path. A later route for the same pair replaces it.
  void On(const std::string& method, const std::string& path, TFakeHandler handler);
  void On(const std::string& method, const std::string& path, TFakeResponse response);
  // Successive answers, one per request; the last one repeats.
  void OnSequence(const std::string& method, const std::string& path, std::vector<TFakeResponse> answers);

  // Requests received so far, in arrival order (also those no route matched: they get 404).
  std::vector<TFakeRequest> Requests() const;
  size_t RequestCount() const;
  TFakeRequest LastRequest() const;

  void Stop();

  // A loopback port on which nothing listens (connection refused).
  static int ClosedPort();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vyn
