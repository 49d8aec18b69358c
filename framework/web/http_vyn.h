#pragma once
// THTTPVYN: the suite's HTTP client over libcurl (HTTPS through OpenSSL).
//
// An HTTP error status is an answer, not a failure: the error body is returned as the answer text and
// ResponseCode tells the status. Only transport failures (no network, name resolution, TLS, time-out,
// a connection cut mid-answer) raise EHTTPError. Secrets never reach the log hook or an error text.
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

// What went wrong below HTTP.
enum class THTTPFailure { Resolve, Connect, TLS, ConnectTimeout, ReadTimeout, Interrupted, Other };

class EHTTPError : public std::runtime_error {
 public:
  EHTTPError(const std::string& message, std::string url, THTTPFailure failure)
      : std::runtime_error(message), url_(std::move(url)), failure_(failure) {}
  const std::string& URL() const { return url_; }   // without user information or query
  THTTPFailure Failure() const { return failure_; }

 private:
  std::string url_;
  THTTPFailure failure_;
};

// Request headers as a list of name/value pairs, in the order added.
class THTTPHeaders {
 public:
  void Clear() { items_.clear(); }
  void AddValue(const std::string& name, const std::string& value) { items_.emplace_back(name, value); }
  // The first value of a header (name without regard to case); empty when absent.
  std::string Values(const std::string& name) const;
  bool Has(const std::string& name) const;
  const std::vector<std::pair<std::string, std::string>>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

// What the client sends besides the body.
struct THTTPRequestVYN {
  std::string ContentType;    // sent unless a custom "Content-Type" header is given
  std::string Accept;         // "Accept", when not empty
  THTTPHeaders CustomHeaders;
};

// One exchange as the log hook sees it, every secret already masked.
struct THTTPLogEntry {
  std::string Method;
  std::string URL;
  std::vector<std::pair<std::string, std::string>> RequestHeaders;
  std::string RequestBody;
  int Status = 0;             // 0 after a transport failure
  std::string ResponseBody;
  std::string Error;          // the transport failure's text
  std::chrono::milliseconds Elapsed{0};
};

class THTTPVYN : public TComponent {
 public:
  // AKeepAlive: keep the connection open between requests of this client; a client made for one call
  // passes false.
  THTTPVYN(TComponent* owner, bool AKeepAlive);
  ~THTTPVYN() override;

  std::string ClassName() const override { return "THTTPVYN"; }

  THTTPRequestVYN Request;

  // Prefixed to every address that does not name its own scheme ("https://host/api" + "/v1/x").
  void SetBaseURL(std::string url) { baseURL_ = std::move(url); }
  const std::string& BaseURL() const { return baseURL_; }

  // Milliseconds. A connect time-out of 0 leaves the transfer library's own limit (300 s); a read
  // time-out of 0 waits without limit. The read time-out bounds the silence between received bytes.
  int ConnectTimeout = 30000;
  int ReadTimeout = 60000;
  // Certificate authorities for TLS; empty uses the system's.
  std::string CAFile;

  // Each returns the answer's body, whatever the status.
  std::string Get(const std::string& url);
  std::string Post(const std::string& url, const std::string& body);
  std::string Put(const std::string& url, const std::string& body);
  std::string Delete(const std::string& url, const std::string& body = {});
  // A GET whose body, whatever the status, goes to destino as it arrives instead of into memory (a
  // download of any size); ResponseText stays empty. A write destino refuses ends it as a transport
  // failure.
  void Get(const std::string& url, std::ostream& destino);

  // Status of the last answer; 0 before the first and after a transport failure.
  int ResponseCode() const { return responseCode_; }
  const std::string& ResponseText() const { return responseText_; }
  // A header of the last answer (the final one after redirects); empty when absent.
  std::string ResponseHeader(const std::string& name) const;

  // Called after every exchange, also a failed one.
  std::function<void(const THTTPLogEntry&)> OnLog;

 private:
  std::string Execute(const std::string& method, const std::string& url, const std::string* body,
                      std::ostream* destino = nullptr);
  std::string FullURL(const std::string& url) const;

  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool keepAlive_;
  std::string baseURL_;
  int responseCode_ = 0;
  std::string responseText_;
  std::vector<std::pair<std::string, std::string>> responseHeaders_;
};

}  // namespace vyn
