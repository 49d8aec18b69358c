#pragma once
// Retries of throttled requests: a bounded number of attempts, waiting what the server asks for
// (Retry-After) through an injectable sleeper, so that tests never sleep.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vyn {

class THTTPVYN;

using TSleeper = std::function<void(std::chrono::milliseconds)>;

// Sleeps the calling thread.
TSleeper RealSleeper();

// A Retry-After value (delta seconds or an HTTP date) as a wait from `now`; nullopt when empty or
// unreadable. A date in the past is no wait.
std::optional<std::chrono::milliseconds> ParseRetryAfter(std::string_view value,
                                                         std::chrono::system_clock::time_point now =
                                                             std::chrono::system_clock::now());

struct TRetryPolicy {
  int MaxAttempts = 3;                                   // attempts in all, the first included
  std::chrono::milliseconds DefaultWait{1000};           // when the answer names no Retry-After
  std::chrono::milliseconds MaxWait{120000};             // a server's Retry-After is capped here
  // Whether an answer asks to be tried again; unset: status 429 or 503.
  std::function<bool(int status, const std::string& body)> IsThrottled;
};

struct TRetryOutcome {
  std::string Body;     // the last answer's body
  int Status = 0;       // the last answer's status
  int Attempts = 0;
};

// Runs `attempt` (one request on `http`, returning its body) until an answer is not throttled or
// the attempts run out; waits between attempts only, never after the last. Transport failures
// (EHTTPError) leave at once.
TRetryOutcome RetryThrottled(THTTPVYN& http, const std::function<std::string()>& attempt,
                             const TRetryPolicy& policy, const TSleeper& sleeper);

}  // namespace vyn
