#pragma once
// Where an outside service's address and credentials come from: the environment first
// (INTEGRACAO_<SERVICE>_<ITEM>, e.g. INTEGRACAO_DYQ_URL, INTEGRACAO_DYQ_TOKEN), then the parameter
// table TPARAMETRO (BDPARAM of the same name, value in BDVALORSTR) when a database is given.
// Never from code.
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace vyn {

class TDatabase;

class EServiceConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TServiceConfig {
 public:
  // Reads one environment variable; nullopt when unset.
  using TEnvironmentReader = std::function<std::optional<std::string>(const std::string& name)>;
  static TEnvironmentReader ProcessEnvironment();

  explicit TServiceConfig(std::string service, TDatabase* db = nullptr,
                          TEnvironmentReader env = ProcessEnvironment());

  // "INTEGRACAO_DYQ_URL" for service "Dyq" and item "url".
  std::string KeyOf(const std::string& item) const;

  // The item's value; nullopt when neither source has a non-empty one.
  std::optional<std::string> Value(const std::string& item) const;
  // As Value, raising EServiceConfigError naming where it was looked for (never a value).
  std::string Required(const std::string& item) const;

  // A positive whole number of milliseconds; the default when unset. Any other value raises
  // EServiceConfigError naming the key, rather than quietly waiting without limit.
  int Milliseconds(const std::string& item, int padrao) const;

  std::string BaseURL() const { return Required("URL"); }
  std::string Token() const { return Required("TOKEN"); }

 private:
  std::string service_;
  TDatabase* db_;
  TEnvironmentReader env_;
};

}  // namespace vyn
