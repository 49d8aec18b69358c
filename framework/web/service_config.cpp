#include "framework/web/service_config.h"

#include <fmt/format.h>

#include <cstdlib>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

TServiceConfig::TEnvironmentReader TServiceConfig::ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
  };
}

TServiceConfig::TServiceConfig(std::string service, TDatabase* db, TEnvironmentReader env)
    : service_(std::move(service)), db_(db), env_(std::move(env)) {}

std::string TServiceConfig::KeyOf(const std::string& item) const {
  return UpperCase("INTEGRACAO_" + service_ + "_" + item);
}

std::optional<std::string> TServiceConfig::Value(const std::string& item) const {
  const std::string key = KeyOf(item);
  if (env_) {
    if (auto v = env_(key); v && !Trim(*v).empty()) return Trim(*v);
  }
  if (db_) {
    const TQueryResult r = db_->QueryAll("SELECT BDVALORSTR, BDVALORINT FROM TPARAMETRO WHERE BDPARAM = ?", {Variant(key)});
    if (!r.Rows.empty()) {
      const Variant& s = r.Value(0, "BDVALORSTR");
      if (!s.IsNull() && !Trim(s.AsString()).empty()) return Trim(s.AsString());
      const Variant& n = r.Value(0, "BDVALORINT");
      if (!n.IsNull()) return n.AsString();
    }
  }
  return std::nullopt;
}

std::string TServiceConfig::Required(const std::string& item) const {
  if (auto v = Value(item)) return *v;
  const std::string key = KeyOf(item);
  throw EServiceConfigError(
      db_ ? fmt::format("Configuração {} não encontrada: defina a variável de ambiente {} ou o parâmetro {} (TPARAMETRO).",
                        key, key, key)
          : fmt::format("Configuração {} não encontrada: defina a variável de ambiente {}.", key, key));
}

int TServiceConfig::Milliseconds(const std::string& item, int padrao) const {
  const auto v = Value(item);
  if (!v) return padrao;
  long long n = 0;
  bool valido = !v->empty() && v->size() <= 9;
  for (char c : *v) {
    if (c < '0' || c > '9') {
      valido = false;
      break;
    }
    n = n * 10 + (c - '0');
  }
  if (!valido || n <= 0)
    throw EServiceConfigError(fmt::format("Configuração {} inválida: informe um número inteiro positivo de milissegundos.",
                                          KeyOf(item)));
  return static_cast<int>(n);
}

}  // namespace vyn
