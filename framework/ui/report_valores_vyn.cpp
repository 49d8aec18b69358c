// The value helpers of the report functions: numbers in words, rounding and cutting, masks,
// holidays, ages and text widths.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/ui/report_funcoes_vyn.h"

namespace vyn {

namespace {

constexpr const char* kUnidades[] = {"",         "um",       "dois",      "três",      "quatro",
                                     "cinco",    "seis",     "sete",      "oito",      "nove",
                                     "dez",      "onze",     "doze",      "treze",     "quatorze",
                                     "quinze",   "dezesseis", "dezessete", "dezoito",  "dezenove"};
constexpr const char* kDezenas[] = {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta",
                                    "oitenta", "noventa"};
constexpr const char* kCentenas[] = {"", "cento", "duzentos", "trezentos", "quatrocentos", "quinhentos",
                                     "seiscentos", "setecentos", "oitocentos", "novecentos"};
struct TEscala {
  const char* singular;
  const char* plural;
};
constexpr TEscala kEscalas[] = {{"", ""}, {"mil", "mil"}, {"milhão", "milhões"}, {"bilhão", "bilhões"},
                                {"trilhão", "trilhões"}};

// 1 to 999.
std::string Centena(int n) {
  if (n == 100) return "cem";
  std::vector<std::string> partes;
  if (n / 100) partes.push_back(kCentenas[n / 100]);
  const int r = n % 100;
  if (r > 0 && r < 20) partes.push_back(kUnidades[r]);
  if (r >= 20) {
    partes.push_back(kDezenas[r / 10]);
    if (r % 10) partes.push_back(kUnidades[r % 10]);
  }
  return Join(partes, " e ");
}

std::string Inteiro(uint64_t n) {
  if (n == 0) return "zero";
  std::vector<int> grupos;   // from the lowest
  for (; n > 0; n /= 1000) grupos.push_back(static_cast<int>(n % 1000));
  std::string out;
  int ultimo = 0;   // the lowest group that is not zero
  while (grupos[static_cast<size_t>(ultimo)] == 0) ++ultimo;
  for (int i = static_cast<int>(grupos.size()) - 1; i >= 0; --i) {
    const int g = grupos[static_cast<size_t>(i)];
    if (g == 0) continue;
    std::string parte = i == 1 && g == 1 ? "mil" : Centena(g);
    if (i >= 2) parte += std::string(" ") + (g == 1 ? kEscalas[i].singular : kEscalas[i].plural);
    if (i == 1 && g != 1) parte += " mil";
    // The last group joins with "e" when it is below a hundred or round hundreds ("mil e cem",
    // "dois milhões e quinhentos mil"); the others with a comma.
    if (!out.empty()) out += i == ultimo && (g < 100 || g % 100 == 0) ? " e " : ", ";
    out += parte;
  }
  return out;
}

int64_t Potencia10(int n) {
  int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

void ConfereCasas(int decimais) {
  if (decimais < 0) throw std::invalid_argument(fmt::format("Número de casas decimais inválido: {}", decimais));
}

// Standard widths of a proportional sans serif, in thousandths of the font size, from ' ' to '~'.
constexpr int kLarguras[] = {278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
                             556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
                             1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
                             667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
                             333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
                             556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};

int LarguraCaractere(const std::string& c, bool fixo) {
  if (fixo) return 600;
  const std::string base = c.size() == 1 ? c : RemoveAccents(c);
  if (base.size() == 1 && base[0] >= ' ' && base[0] <= '~') return kLarguras[base[0] - ' '];
  return 556;
}

size_t TamanhoUtf8(unsigned char c) { return c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1; }

TDateTime Pascoa(int ano) {
  const int a = ano % 19, b = ano / 100, c = ano % 100, d = b / 4, e = b % 4, f = (b + 8) / 25, g = (b - f + 1) / 3;
  const int h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  return EncodeDate(ano, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1);
}

}  // namespace

std::string GetExtenso(Currency valor, bool retornaDecValor) {
  if (!retornaDecValor) return Inteiro(static_cast<uint64_t>(valor.Abs().Raw() / Currency::kScale));
  const int64_t raw = valor.Abs().Round2().Raw();
  const uint64_t reais = static_cast<uint64_t>(raw / Currency::kScale);
  const int centavos = static_cast<int>(raw % Currency::kScale / 100);
  std::vector<std::string> partes;
  if (reais > 0)
    partes.push_back(Inteiro(reais) + (reais == 1                                  ? " real"
                                       : reais >= 1000000 && reais % 1000000 == 0 ? " de reais"
                                                                                  : " reais"));
  if (centavos > 0) partes.push_back(Inteiro(static_cast<uint64_t>(centavos)) + (centavos == 1 ? " centavo" : " centavos"));
  return partes.empty() ? "zero real" : Join(partes, " e ");
}

Currency ArredondaVYN(Currency valor, int decimais) {
  ConfereCasas(decimais);
  return decimais >= 4 ? valor : valor.RoundTo(decimais);
}

Currency CortaVYN(Currency valor, int decimais) {
  ConfereCasas(decimais);
  if (decimais >= 4) return valor;
  const int64_t passo = Potencia10(4 - decimais);
  return Currency::FromRaw(valor.Raw() - valor.Raw() % passo);   // % keeps the sign: toward zero
}

std::string getFormataValorRelatorio(Currency valor, bool separaMilhar, bool zeroEmBranco, int decimais) {
  ConfereCasas(decimais);
  const int casas = decimais > 4 ? 4 : decimais;
  const Currency v = valor.RoundTo(casas);
  if (zeroEmBranco && v.IsZero()) return {};
  std::string t = v.ToBR(casas);
  if (!separaMilhar) t = ReplaceAll(t, ".", "");
  return t;
}

std::string GetStrToMascara(const std::string& numero, const std::string& mascara, const std::string& preenche) {
  Currency valor;
  if (mascara.empty() || !Currency::TryParse(Trim(numero), valor)) return numero;
  auto digito = [](char c) { return c == '0' || c == '9' || c == '#'; };
  const size_t virgula = mascara.rfind(',');
  const std::string mInt = mascara.substr(0, virgula);
  const std::string mDec = virgula == std::string::npos ? std::string() : mascara.substr(virgula + 1);
  int casas = 0;
  for (char c : mDec) casas += digito(c) ? 1 : 0;
  const std::string texto = valor.Abs().RoundTo(casas > 4 ? 4 : casas).ToSQL();   // "1234.5600"
  std::string inteiros = texto.substr(0, texto.find('.'));
  std::string fracao = texto.substr(texto.find('.') + 1) + std::string(casas > 4 ? casas - 4 : 0, '0');
  if (inteiros == "0") inteiros.clear();   // a '0' place shows it when the mask asks

  std::string out;
  size_t resta = inteiros.size();
  for (size_t i = mInt.size(); i-- > 0;) {
    const char c = mInt[i];
    if (digito(c)) {
      if (resta > 0)
        out.insert(0, 1, inteiros[--resta]);
      else if (c != '#')
        out.insert(0, 1, '0');
      else
        out.insert(0, preenche.substr(0, 1));
      continue;
    }
    // A separator stays while digits are still to come on its left.
    bool obrigatorio = resta > 0;
    for (size_t j = 0; j < i && !obrigatorio; ++j) obrigatorio = mInt[j] == '0' || mInt[j] == '9';
    if (obrigatorio) out.insert(0, 1, c);
  }
  out.insert(0, inteiros.substr(0, resta));
  if (virgula != std::string::npos) {
    out += ',';
    size_t k = 0;
    for (char c : mDec) out += digito(c) ? fracao[k++] : c;
  }
  return (valor.Raw() < 0 && !valor.RoundTo(casas > 4 ? 4 : casas).IsZero() ? "-" : "") + out;
}

std::string GetTiraSinaisPicture(std::string_view texto) {
  std::string out;
  for (char c : texto)
    if (std::string_view(".-/\\(),: ").find(c) == std::string_view::npos) out += c;
  return out;
}

bool GetSabadoDomingoFeriado(TDateTime data, int, int) {
  const int dia = DayOfWeek(data);
  if (dia == 1 || dia == 7) return true;
  int ano = 0, mes = 0, d = 0;
  DecodeDate(data, ano, mes, d);
  static constexpr int kFixos[][2] = {{1, 1}, {4, 21}, {5, 1}, {9, 7}, {10, 12}, {11, 2}, {11, 15}, {12, 25}};
  for (const auto& f : kFixos)
    if (mes == f[0] && d == f[1]) return true;
  if (mes == 11 && d == 20 && ano >= 2024) return true;
  const TDateTime pascoa = Pascoa(ano);
  const double dias = static_cast<double>(static_cast<int64_t>(data.Value)) - pascoa.Value;
  return dias == -48 || dias == -47 || dias == -2 || dias == 60;
}

int YearsBetween_VYN(TDateTime de, TDateTime ate) {
  if (ate.Value < de.Value) std::swap(de, ate);
  int a1 = 0, m1 = 0, d1 = 0, a2 = 0, m2 = 0, d2 = 0;
  DecodeDate(de, a1, m1, d1);
  DecodeDate(ate, a2, m2, d2);
  return a2 - a1 - (m2 < m1 || (m2 == m1 && d2 < d1) ? 1 : 0);
}

std::string getTextToWidth(const std::string& texto, int largura, const std::string& fonte, int tamanho) {
  if (largura <= 0) return {};
  if (tamanho <= 0) tamanho = 10;
  const std::string f = LowerCase(fonte);
  const bool fixo = f.find("courier") != std::string::npos || f.find("mono") != std::string::npos ||
                    f.find("consol") != std::string::npos || f.find("console") != std::string::npos;
  // Pixels = thousandths x size x 96 / 72 / 1000: compared in whole units to stay exact.
  const int64_t limite = static_cast<int64_t>(largura) * 3000;
  int64_t usado = 0;
  size_t i = 0;
  while (i < texto.size()) {
    const size_t n = std::min(TamanhoUtf8(static_cast<unsigned char>(texto[i])), texto.size() - i);
    usado += static_cast<int64_t>(LarguraCaractere(texto.substr(i, n), fixo)) * tamanho * 4;
    if (usado > limite) break;
    i += n;
  }
  return texto.substr(0, i);
}

int GetNVezes(std::string_view texto, std::string_view parte) {
  if (parte.empty()) return 0;
  int n = 0;
  for (size_t p = texto.find(parte); p != std::string_view::npos; p = texto.find(parte, p + parte.size())) ++n;
  return n;
}

std::string SetReplicate(std::string_view texto, int vezes) {
  std::string out;
  for (int i = 0; i < vezes; ++i) out += texto;
  return out;
}

}  // namespace vyn
