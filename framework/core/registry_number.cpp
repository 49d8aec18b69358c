#include "framework/core/registry_number.h"

#include "framework/core/text.h"

namespace vyn {

namespace {

// Modulo-11 check digit over the first n digits with the given weights.
int CheckDigit(const std::string& d, const int* weights, size_t n) {
  int sum = 0;
  for (size_t i = 0; i < n; ++i) sum += (d[i] - '0') * weights[i];
  int r = sum % 11;
  return r < 2 ? 0 : 11 - r;
}

}  // namespace

bool IsValidCNPJ(std::string_view text) {
  std::string d = OnlyDigits(text);
  if (d.size() != 14) return false;
  static constexpr int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static constexpr int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  return CheckDigit(d, w1, 12) == d[12] - '0' && CheckDigit(d, w2, 13) == d[13] - '0';
}

bool IsValidCPF(std::string_view text) {
  std::string d = OnlyDigits(text);
  if (d.size() != 11) return false;
  if (d.find_first_not_of(d[0]) == std::string::npos) return false;
  static constexpr int w1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static constexpr int w2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  return CheckDigit(d, w1, 9) == d[9] - '0' && CheckDigit(d, w2, 10) == d[10] - '0';
}

std::string FormatCNPJ(std::string_view text) {
  std::string d = OnlyDigits(text);
  if (d.size() != 14) return d;
  return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "/" + d.substr(8, 4) + "-" + d.substr(12, 2);
}

std::string FormatCPF(std::string_view text) {
  std::string d = OnlyDigits(text);
  if (d.size() != 11) return d;
  return d.substr(0, 3) + "." + d.substr(3, 3) + "." + d.substr(6, 3) + "-" + d.substr(9, 2);
}

std::string FormatRegistryNumber(std::string_view text) {
  std::string d = OnlyDigits(text);
  if (d.size() == 14) return FormatCNPJ(d);
  if (d.size() == 11) return FormatCPF(d);
  return d;
}

bool SameRegistryNumber(std::string_view a, std::string_view b) { return OnlyDigits(a) == OnlyDigits(b); }

std::string RegistryNumberFromCell(std::string_view cell) {
  for (char c : cell)
    if (!(c >= '0' && c <= '9') && c != '.' && c != '-' && c != '/' && c != ' ' && c != '\t') return "";
  const std::string d = OnlyDigits(cell);
  if (d.empty() || d.size() > 14) return "";
  auto comZeros = [&d](size_t n) { return d.size() >= n ? d : std::string(n - d.size(), '0') + d; };
  if (d.size() <= 11 && IsValidCPF(comZeros(11))) return comZeros(11);
  if (IsValidCNPJ(comZeros(14))) return comZeros(14);
  return d.size() == 12 ? d : "";
}

}  // namespace vyn
