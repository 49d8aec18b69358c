#include "framework/component/boxed_values.h"

#include <fmt/format.h>

#include <cctype>
#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/text.h"

namespace vyn {

bool TInteger_VYN::InheritsFrom(const std::string& n) const {
  return SameText(n, ClassName()) || TComponent::InheritsFrom(n);
}
bool TString_VYN::InheritsFrom(const std::string& n) const {
  return SameText(n, ClassName()) || TComponent::InheritsFrom(n);
}
bool TDateTime_VYN::InheritsFrom(const std::string& n) const {
  return SameText(n, ClassName()) || TComponent::InheritsFrom(n);
}
bool TNumeric_VYN::InheritsFrom(const std::string& n) const {
  return SameText(n, ClassName()) || TComponent::InheritsFrom(n);
}
bool TBoolean_VYN::InheritsFrom(const std::string& n) const {
  return SameText(n, ClassName()) || TComponent::InheritsFrom(n);
}

std::string TString_VYN::GetStrZero(long long value, int width, int decimals) {
  return GetStrZero(Currency::FromInt(value), width, decimals);
}

std::string TString_VYN::GetStrZero(Currency value, int width, int decimals) {
  if (decimals < 0 || decimals > 4) throw std::invalid_argument(fmt::format("GetStrZero: {} casas decimais", decimals));
  std::string text = value.RoundTo(decimals).Abs().ToSQL();
  text = decimals == 0 ? text.substr(0, text.find('.')) : text.substr(0, text.find('.') + 1 + static_cast<size_t>(decimals));
  size_t w = width > 0 ? static_cast<size_t>(width) : 0;
  if (value.RoundTo(decimals).Raw() < 0) return "-" + ZeroPad(text, w > 0 ? w - 1 : 0);
  return ZeroPad(text, w);
}

std::string TString_VYN::GetRetornaSoNumeros(std::string_view text) { return OnlyDigits(text); }

std::string TString_VYN::GetTiraTodosSinais(std::string_view text) {
  std::string out;
  for (char c : text)
    if (!std::ispunct(static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string TString_VYN::GetRemoveTodosCaracteresEspeciais(std::string_view text, bool keep_spaces) {
  std::string out;
  for (char c : RemoveAccents(text)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80 && (std::isalnum(u) || (keep_spaces && c == ' '))) out += c;
  }
  return out;
}

std::string TString_VYN::GetDescriptografa() const {
  const auto& decifra = ProcessContext().DecifraSenha;
  return decifra ? decifra(value_) : value_;
}

int TDateTime_VYN::GetAnoMes(TDateTime d) { return AnoMes(d); }

std::string TDateTime_VYN::GetDBDataQuoted(TDateTime d) { return QuotedDateSQL(d); }

TDateTime TDateTime_VYN::GetDataPrimeiroDia(int yyyymm) { return FirstDayOfAnoMes(yyyymm); }

TDateTime TDateTime_VYN::GetDataUltimoDia(int yyyymm) { return LastDayOfAnoMes(yyyymm); }

int TDateTime_VYN::GetDecRef(int yyyymm, int months) { return IncAnoMes(yyyymm, -months); }

std::string TDateTime_VYN::GetRefComBarras(int yyyymm) { return AnoMesToText(yyyymm); }

int TDateTime_VYN::GetTrimestreRef(int yyyymm) {
  if (!IsValidAnoMes(yyyymm)) throw EDateError(fmt::format("Referência inválida: {}", yyyymm));
  return (yyyymm % 100 - 1) / 3 + 1;
}

std::string TDateTime_VYN::GetMesExtenso(int month, bool abbreviated) {
  static constexpr const char* kNames[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                                           "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
  if (month < 1 || month > 12) throw EDateError(fmt::format("Mês inválido: {}", month));
  std::string name = kNames[month - 1];
  return abbreviated ? Utf8Left(name, 3) : name;
}

std::string TDateTime_VYN::GetParseToStr(TDateTime d, int format) {
  switch (format) {
    case 3: return AnoMesToText(AnoMes(d));
    case 4: return DateToStr(d);
    default: throw std::invalid_argument(fmt::format("GetParseToStr: formato {} desconhecido", format));
  }
}

int TDateTime_VYN::GetParseToInt(TDateTime d, int format) {
  if (format == 3) return AnoMes(d);
  throw std::invalid_argument(fmt::format("GetParseToInt: formato {} desconhecido", format));
}

}  // namespace vyn
