#include "framework/accounting/formula_parsers.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

TParserExpression::TParserExpression(TComponent* owner)
    : TComponent(owner), inconsistencias_(Create<TInconsistencias_VYN>()) {}

TParserExpression::~TParserExpression() = default;

namespace {

__extension__ typedef __int128 i128;

// A formula's value held exactly, as a fraction in lowest terms with a positive denominator: literals
// and figures go in whole, whatever their decimals, and only the answer is brought to the ledger's four
// places. Both terms stay within 63 bits, so a product or a sum of two never leaves 128.
class TExato {
 public:
  static constexpr i128 kLimite = (static_cast<i128>(1) << 63) - 1;

  TExato() = default;
  static TExato De(Currency c) { return Fracao(c.Raw(), Currency::kScale, nullptr); }
  // Digits with at most one decimal separator ('.' or ','); nothing when the text is no such number
  // or holds more figures than a fraction here keeps.
  static std::optional<TExato> Literal(const std::string& t);

  bool Zero() const { return num_ == 0; }
  TExato operator-() const { TExato r = *this; r.num_ = -r.num_; return r; }
  TExato Soma(const TExato& o, const std::string& f) const { return Fracao(num_ * o.den_ + o.num_ * den_, den_ * o.den_, &f); }
  TExato Produto(const TExato& o, const std::string& f) const { return Fracao(num_ * o.num_, den_ * o.den_, &f); }
  TExato Quociente(const TExato& o, const std::string& f) const { return Fracao(num_ * o.den_, den_ * o.num_, &f); }
  // The value in the ledger's four places, or nothing when it has no exact one (1/3).
  std::optional<Currency> EmMoeda(const std::string& f) const;

 private:
  static i128 Mdc(i128 a, i128 b) {
    if (a < 0) a = -a;
    while (b != 0) {
      const i128 r = a % b;
      a = b;
      b = r;
    }
    return a;
  }
  // n/d in lowest terms; a term beyond the limit is a value this evaluator cannot hold exactly.
  static TExato Fracao(i128 n, i128 d, const std::string* formula) {
    if (d < 0) { n = -n; d = -d; }
    const i128 m = Mdc(n, d);
    TExato r;
    r.num_ = m > 1 ? n / m : n;
    r.den_ = m > 1 ? d / m : d;
    if (r.num_ > kLimite || r.num_ < -kLimite || r.den_ > kLimite)
      throw std::domain_error("A fórmula \"" + (formula ? *formula : std::string()) +
                              "\" passa da precisão com que o cálculo é feito exatamente; nada foi arredondado.");
    return r;
  }

  i128 num_ = 0;
  i128 den_ = 1;
};

std::optional<TExato> TExato::Literal(const std::string& t) {
  const size_t sep = t.find_first_of(".,");
  if (sep != std::string::npos && t.find_first_of(".,", sep + 1) != std::string::npos) return std::nullopt;
  std::string inteiro = t.substr(0, sep), decimais = sep == std::string::npos ? "" : t.substr(sep + 1);
  // Zeros after the last significant decimal say nothing of the value: "1.500000" is 3/2.
  while (!decimais.empty() && decimais.back() == '0') decimais.pop_back();
  i128 n = 0, d = 1;
  for (char c : inteiro + decimais) {
    if (n > kLimite / 10) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  for (size_t i = 0; i < decimais.size(); ++i) {
    if (d > kLimite / 10) return std::nullopt;
    d *= 10;
  }
  if (n > kLimite) return std::nullopt;
  return Fracao(n, d, nullptr);
}

std::optional<Currency> TExato::EmMoeda(const std::string& f) const {
  const i128 unidades = num_ * Currency::kScale;
  if (unidades % den_ != 0) return std::nullopt;
  const i128 raw = unidades / den_;
  if (raw > std::numeric_limits<int64_t>::max() || raw < std::numeric_limits<int64_t>::min())
    throw ECurrencyError("Valor monetário fora do limite no resultado da fórmula \"" + f + "\"");
  return Currency::FromRaw(static_cast<int64_t>(raw));
}

// Recursive descent over: expr = term {(+|-) term}; term = factor {(*|/) factor};
// factor = [-] (number | name [ "(" args ")" ] | "(" expr ")").
class TAritmetica {
 public:
  TAritmetica(const std::string& s, const TParserExpression::TResolveNome& r)
      : s_(s), formula_(Utf8Legivel(s)), resolve_(r) {}

  std::optional<Currency> Avalia() {
    auto v = Expr();
    Espacos();
    if (p_ != s_.size()) throw std::invalid_argument("Fórmula inválida: \"" + formula_ + "\"");
    if (desconhecido_) return std::nullopt;
    std::optional<Currency> c = v.EmMoeda(formula_);
    if (!c)
      throw std::domain_error("O resultado da fórmula \"" + formula_ +
                              "\" não tem valor exato em quatro casas decimais; nada foi arredondado.");
    return c;
  }

 private:
  void Espacos() {
    while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
  }
  bool Le(char c) {
    Espacos();
    if (p_ < s_.size() && s_[p_] == c) { ++p_; return true; }
    return false;
  }
  TExato Expr() {
    TExato v = Term();
    for (;;) {
      if (Le('+')) v = v.Soma(Term(), formula_);
      else if (Le('-')) v = v.Soma(-Term(), formula_);
      else return v;
    }
  }
  TExato Term() {
    TExato v = Factor();
    for (;;) {
      if (Le('*')) {
        v = v.Produto(Factor(), formula_);
      } else if (Le('/')) {
        TExato d = Factor();
        if (d.Zero()) {
          if (desconhecido_) continue;  // the value is unknown anyway
          throw std::domain_error("Divisão por zero na fórmula \"" + formula_ + "\"");
        }
        v = v.Quociente(d, formula_);
      } else {
        return v;
      }
    }
  }
  // Each parenthesis and unary minus is one level of the descent: a bound keeps a hostile or broken
  // formula from using up the stack, and deeper than any formula a user writes by hand.
  static constexpr int kProfundidadeMaxima = 256;
  struct TNivel {
    int& n;
    // The innermost factor (the number itself) is one more call than the levels it sits in.
    explicit TNivel(int& x, const std::string& s) : n(x) {
      if (++n > kProfundidadeMaxima + 1) {
        --n;
        throw std::invalid_argument("Fórmula inválida: mais de " + std::to_string(kProfundidadeMaxima) +
                                    " níveis de parênteses ou sinais em \"" + Utf8Legivel(s.substr(0, 40)) + "...\"");
      }
    }
    ~TNivel() { --n; }
  };
  TExato Factor() {
    const TNivel nivel(profundidade_, s_);
    if (Le('-')) return -Factor();
    if (Le('(')) {
      TExato v = Expr();
      if (!Le(')')) throw std::invalid_argument("Fórmula inválida: \"" + formula_ + "\"");
      return v;
    }
    Espacos();
    size_t ini = p_;
    if (p_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[p_])))) {
      while (p_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.' || s_[p_] == ','))
        ++p_;
      const std::string n = s_.substr(ini, p_ - ini);
      std::optional<TExato> v = TExato::Literal(n);
      if (!v) throw std::invalid_argument("Número inválido na fórmula: \"" + n + "\"");
      return *v;
    }
    while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_' ||
                              static_cast<unsigned char>(s_[p_]) >= 0x80))
      ++p_;
    if (p_ == ini) throw std::invalid_argument("Fórmula inválida: \"" + formula_ + "\"");
    std::string nome = UpperCase(s_.substr(ini, p_ - ini));
    std::vector<std::string> args;
    if (Le('(')) {
      size_t a = p_;
      int nivel = 0;
      while (p_ < s_.size() && !(nivel == 0 && s_[p_] == ')')) {
        if (s_[p_] == '(') ++nivel;
        if (s_[p_] == ')') --nivel;
        ++p_;
      }
      if (p_ >= s_.size()) throw std::invalid_argument("Fórmula inválida: \"" + formula_ + "\"");
      for (auto& x : Split(s_.substr(a, p_ - a), ';')) args.push_back(Trim(x));
      ++p_;
    }
    std::optional<Currency> v = resolve_ ? resolve_(nome, args) : std::nullopt;
    if (!v) {
      desconhecido_ = true;
      return TExato();
    }
    return TExato::De(*v);
  }

  const std::string& s_;
  const std::string formula_;   // as messages show it: never bytes that are no text
  const TParserExpression::TResolveNome& resolve_;
  size_t p_ = 0;
  int profundidade_ = 0;
  bool desconhecido_ = false;
};

// Computes the text; a formula this parser cannot compute leaves the given message and a null value.
void Calcula(TParserExpression& parser, const std::string& texto, const TParserExpression::TResolveNome& resolve,
             const std::string& msgDesconhecido, Variant& resultado) {
  std::optional<Currency> v = TParserExpression::AvaliaAritmetica(texto, resolve);
  if (v) {
    resultado = *v;
  } else {
    resultado = Variant();
    parser.Inconsistencias().Add_Erro(msgDesconhecido);
  }
}

// An account argument is a whole account code: "10.5" is not account 10, and text, an empty
// argument or a code beyond the chart's integers is a formula to correct, named as such.
int ContaDoArgumento(const std::string& arg, const std::string& formula) {
  const std::string t = Trim(arg);
  if (t.empty() || t.size() > 9 || OnlyDigits(t) != t)
    throw std::invalid_argument("Fórmula inválida: \"" + Utf8Legivel(t) + "\" não é um código de conta em \"" +
                                Utf8Legivel(formula) + "\"");
  return std::stoi(t);
}

constexpr const char* kCtxEmp = "VYN_SALDO_CODEMP";
constexpr const char* kCtxIni = "VYN_SALDO_DATAINI";
constexpr const char* kCtxFim = "VYN_SALDO_DATAFIM";
constexpr const char* kCtxPreparo = "VYN_SALDO_PREPARO";   // every value of the last preparation

std::string AssinaturaPreparo(const std::string& codEmp, TDateTime ini, TDateTime fim, int contab, int ign) {
  return std::to_string(std::stoi(codEmp)) + "|" + DateToSQL(ini) + "|" + DateToSQL(fim) + "|" +
         std::to_string(contab) + "|" + std::to_string(ign);
}

}  // namespace

std::optional<Currency> TParserExpression::AvaliaAritmetica(const std::string& text, const TResolveNome& resolve) {
  if (Trim(text).empty()) return std::nullopt;
  return TAritmetica(text, resolve).Avalia();
}

void TParserFormulaVYN::Avalia(const std::string& texto, int, const std::string&, const std::string&,
                               const std::string&, TTipoPerApuracao, const std::string&, const std::string&,
                               Variant& resultado) {
  Calcula(*this, texto, nullptr, "A fórmula \"" + Utf8Legivel(texto) + "\" não pôde ser calculada.", resultado);
}

void TParserImpostoVYN::Execute(const std::string& texto, int, const std::string&, const std::string&,
                                const std::string&, TTipoPerApuracao, const std::string&, const std::string&,
                                Variant& resultado) {
  Calcula(*this, texto, nullptr, "A fórmula \"" + Utf8Legivel(texto) + "\" " + kMsgFormulaTipoCalculoInvalido,
          resultado);
}

void TParserPelmorin::SetContexto(const std::string& codEmp, const std::string&, TDateTime dataIni,
                                  TDateTime dataFim, bool ignZeramento, int contabilizacao, int) {
  ctxEmp_ = codEmp;
  ctxIni_ = dataIni;
  ctxFim_ = dataFim;
  ctxIgn_ = ignZeramento;
  ctxContab_ = contabilizacao;
}

void TParserPelmorin::setSaldo(TClientDataSet*, const std::string& codEmp, const std::string&, TDateTime dataIni,
                               TDateTime dataFim, int contabilizacao, int ignZeramento, int, bool, int, int, bool,
                               TDateTime, TDateTime) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::runtime_error("Não há base de dados aberta para preparar os saldos.");
  const char* sql = "SELECT RDB$SET_CONTEXT('USER_SESSION', CAST(? AS VARCHAR(80)), CAST(? AS VARCHAR(80))) FROM RDB$DATABASE";
  // The mark goes first and last: a preparation cut halfway never reads as complete.
  db->QueryValue(sql, {Variant(kCtxPreparo), Variant()});
  db->QueryValue(sql, {Variant(kCtxEmp), Variant(std::to_string(std::stoi(codEmp)))});
  db->QueryValue(sql, {Variant(kCtxIni), Variant(DateToSQL(dataIni))});
  db->QueryValue(sql, {Variant(kCtxFim), Variant(DateToSQL(dataFim))});
  db->QueryValue(sql, {Variant(kCtxPreparo),
                       Variant(AssinaturaPreparo(codEmp, dataIni, dataFim, contabilizacao, ignZeramento))});
}

bool TParserPelmorin::SaldoPreparadoPara(const std::string& codEmp, TDateTime dataIni, TDateTime dataFim,
                                         int contabilizacao, int ignZeramento) const {
  TDatabase* db = ProcessContext().Database;
  if (!db) return false;
  const Variant v = db->QueryValue(
      "SELECT RDB$GET_CONTEXT('USER_SESSION', CAST(? AS VARCHAR(80))) FROM RDB$DATABASE", {Variant(kCtxPreparo)});
  return !v.IsNull() && v.AsString() == AssinaturaPreparo(codEmp, dataIni, dataFim, contabilizacao, ignZeramento);
}

void TParserPelmorin::Run(int, const std::string&, const std::string&, const std::string&, int, int, int, int) {
  ResultValue = Variant();
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::runtime_error("Não há base de dados aberta para calcular os saldos.");
  auto ctx = [&](const char* k) {
    return db->QueryValue("SELECT RDB$GET_CONTEXT('USER_SESSION', CAST(? AS VARCHAR(80))) FROM RDB$DATABASE", {Variant(k)});
  };
  Variant emp = ctx(kCtxEmp), ini = ctx(kCtxIni), fim = ctx(kCtxFim);
  if (emp.IsNull() || ini.IsNull() || fim.IsNull()) {
    Inconsistencias().Add_Erro("Os saldos não foram preparados para o cálculo da fórmula \"" + Utf8Legivel(Source()) +
                               "\".");
    return;
  }
  // Balances of the prepared context: debits less credits of the account in the period.
  auto saldo = [&](const std::string& nome, const std::vector<std::string>& args) -> std::optional<Currency> {
    if (nome != "SALDO") return std::nullopt;
    // A known name with the wrong arguments is a formula to correct, not an unknown one.
    if (args.size() != 1)
      throw std::invalid_argument("Fórmula inválida: SALDO recebe um argumento, o código da conta, em \"" +
                                  Utf8Legivel(Source()) + "\"");
    const int conta = ContaDoArgumento(args[0], Source());
    Variant v = db->QueryValue(
        "SELECT COALESCE(SUM(CASE WHEN BDDEBITO = ? THEN BDVALOR ELSE 0 END), 0) - "
        "COALESCE(SUM(CASE WHEN BDCREDITO = ? THEN BDVALOR ELSE 0 END), 0) FROM VZEL_EMPRESAS_TLAN "
        "WHERE BDCODEMP = ? AND BDDATA BETWEEN CAST(? AS DATE) AND CAST(? AS DATE) AND (BDDEBITO = ? OR BDCREDITO = ?)",
        {Variant(conta), Variant(conta), Variant(emp.AsInteger()), ini, fim, Variant(conta), Variant(conta)});
    return v.IsNull() ? Currency() : v.AsCurrency();
  };
  Calcula(*this, Source(), saldo, "A fórmula \"" + Utf8Legivel(Source()) + "\" não pôde ser calculada.",
          ResultValue);
}

}  // namespace vyn
