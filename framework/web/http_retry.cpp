#include "framework/web/http_retry.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <thread>

#include "framework/core/text.h"
#include "framework/web/http_vyn.h"

namespace vyn {

TSleeper RealSleeper() {
  return [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); };
}

std::optional<std::chrono::milliseconds> ParseRetryAfter(std::string_view value,
                                                         std::chrono::system_clock::time_point now) {
  const std::string v = Trim(value);
  if (v.empty()) return std::nullopt;
  if (std::all_of(v.begin(), v.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    if (v.size() > 9) return std::chrono::milliseconds(std::chrono::hours(24 * 365));
    return std::chrono::seconds(std::stol(v));
  }
  const time_t when = curl_getdate(v.c_str(), nullptr);
  if (when < 0) return std::nullopt;
  const auto wait = std::chrono::system_clock::from_time_t(when) - now;
  return std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(wait));
}

TRetryOutcome RetryThrottled(THTTPVYN& http, const std::function<std::string()>& attempt,
                             const TRetryPolicy& policy, const TSleeper& sleeper) {
  const auto throttled = [&](int status, const std::string& body) {
    return policy.IsThrottled ? policy.IsThrottled(status, body) : (status == 429 || status == 503);
  };
  TRetryOutcome out;
  const int attempts = std::max(1, policy.MaxAttempts);
  for (;;) {
    out.Body = attempt();
    out.Status = http.ResponseCode();
    ++out.Attempts;
    if (!throttled(out.Status, out.Body) || out.Attempts >= attempts) return out;
    auto wait = ParseRetryAfter(http.ResponseHeader("Retry-After")).value_or(policy.DefaultWait);
    wait = std::min(wait, policy.MaxWait);
    if (sleeper) {
      sleeper(wait);
    } else {
      RealSleeper()(wait);
    }
  }
}

}  // namespace vyn
