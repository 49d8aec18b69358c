#pragma once
// Counts a peer sends in its JSON (a page total, a page number) as a number (2, 2.0) or as a text ("2",
// "2.0"): read as the whole number they are, so that a peer's choice of type never drops a page.
#include <cmath>
#include <optional>
#include <string>

#include "framework/core/text.h"

namespace vyn {

// The whole number v holds; nothing when it holds none (a fraction, a sign, letters, beyond an int).
template <class Json>
std::optional<int> InteiroJson(const Json& v) {
  double d = 0;
  if (v.is_number_integer()) {
    const auto n = v.template get<long long>();
    if (n < 0 || n > 2147483647LL) return std::nullopt;
    return static_cast<int>(n);
  }
  if (v.is_number_float()) {
    d = v.template get<double>();
  } else if (v.is_string()) {
    const std::string t = Trim(v.template get<std::string>());
    const size_t ponto = t.find('.');
    const std::string inteira = t.substr(0, ponto);
    const std::string fracao = ponto == std::string::npos ? std::string() : t.substr(ponto + 1);
    if (inteira.empty() || inteira.size() > 9 || OnlyDigits(inteira) != inteira) return std::nullopt;
    if (fracao.find_first_not_of('0') != std::string::npos) return std::nullopt;
    return std::stoi(inteira);
  } else {
    return std::nullopt;
  }
  if (!std::isfinite(d) || d < 0 || d > 2147483647.0 || d != std::floor(d)) return std::nullopt;
  return static_cast<int>(d);
}

}  // namespace vyn
