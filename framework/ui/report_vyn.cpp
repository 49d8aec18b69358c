#include "framework/ui/report_vyn.h"

#include <cctype>
#include <exception>

#include "framework/core/currency.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"

namespace vyn {

namespace {

std::string NomeDaDeclaracao(const std::string& decl) {
  std::string t = Trim(decl);
  for (const char* kw : {"function ", "procedure "})
    if (StartsWithText(t, kw)) t = Trim(t.substr(std::string(kw).size()));
  size_t fim = 0;
  while (fim < t.size() && (std::isalnum(static_cast<unsigned char>(t[fim])) || t[fim] == '_')) ++fim;
  return UpperCase(t.substr(0, fim));
}

bool EhTexto(const Variant& v) { return v.Type() == VarType::String; }

}  // namespace

// A recursive-descent reader of one expression.
class TReportParser {
 public:
  TReportParser(TfrxReportVYN& r, const std::string& s) : r_(r), s_(s) {}
  Variant Expressao() {
    // Parentheses and calls nest through here: a template's text must not exhaust the stack.
    if (profundidade_ >= kProfundidadeMaxima)
      throw EReportError("Expressão com mais de " + std::to_string(kProfundidadeMaxima) + " níveis: " + s_.substr(0, 80));
    ++profundidade_;
    struct TSai {
      int& n;
      ~TSai() { --n; }
    } sai{profundidade_};
    Variant v = Termo();
    for (Espacos(); p_ < s_.size() && s_[p_] == '+'; Espacos()) {
      ++p_;
      Variant d = Termo();
      if (EhTexto(v) || EhTexto(d) || v.Type() == VarType::DateTime || d.Type() == VarType::DateTime)
        v = Variant(v.AsString() + d.AsString());
      else if (v.Type() == VarType::Int && d.Type() == VarType::Int) {
        // A template's sum of whole numbers is refused past the integer range, never wrapped round.
        long long soma = 0;
        if (__builtin_add_overflow(v.AsInteger(), d.AsInteger(), &soma))
          throw EReportError("Soma fora do intervalo dos inteiros em: " + s_.substr(0, 80));
        v = Variant(soma);
      } else {
        v = Variant(v.AsCurrency() + d.AsCurrency());
      }
    }
    return v;
  }
  void Fim() {
    Espacos();
    if (p_ != s_.size()) throw EReportError("Expressão inválida: " + s_);
  }

 private:
  static constexpr int kProfundidadeMaxima = 256;
  int profundidade_ = 0;
  void Espacos() {
    while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
  }
  Variant Termo() {
    Espacos();
    if (p_ >= s_.size()) throw EReportError("Expressão incompleta: " + s_);
    const char c = s_[p_];
    if (c == '(') {
      ++p_;
      Variant v = Expressao();
      Fecha(')');
      return v;
    }
    if (c == '\'') return Texto();
    if (c == '<') return CampoRef();
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') return Numero();
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return Chamada();
    throw EReportError("Expressão inválida: " + s_);
  }
  void Fecha(char c) {
    Espacos();
    if (p_ >= s_.size() || s_[p_] != c) throw EReportError(std::string("Esperado '") + c + "' em: " + s_);
    ++p_;
  }
  Variant Texto() {
    std::string out;
    for (++p_; p_ < s_.size(); ++p_) {
      if (s_[p_] == '\'') {
        if (p_ + 1 < s_.size() && s_[p_ + 1] == '\'') {
          out += '\'';
          ++p_;
          continue;
        }
        ++p_;
        return Variant(out);
      }
      out += s_[p_];
    }
    throw EReportError("Texto sem fim em: " + s_);
  }
  Variant Numero() {
    size_t i = p_ + (s_[p_] == '-' ? 1 : 0);
    bool ponto = false;
    while (i < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i])) || (s_[i] == '.' && !ponto))) {
      ponto = ponto || s_[i] == '.';
      ++i;
    }
    const std::string t = s_.substr(p_, i - p_);
    p_ = i;
    if (ponto) return Variant(Currency::Parse(t));
    try {
      return Variant(static_cast<long long>(std::stoll(t)));
    } catch (const std::exception&) {
      throw EReportError("Número inválido ou fora do intervalo em: " + s_.substr(0, 80));
    }
  }
  Variant CampoRef() {
    const size_t fim = s_.find('>', p_);
    if (fim == std::string::npos) throw EReportError("Campo sem fim em: " + s_);
    const std::string ref = s_.substr(p_ + 1, fim - p_ - 1);
    p_ = fim + 1;
    const size_t ponto = ref.find('.');
    if (ponto == std::string::npos) {
      if (r_.Variables.count(ref)) return r_.Variables[ref];
      Variant v;
      if (r_.OnGetValue) r_.OnGetValue(ref, v);
      return v;
    }
    std::string campo = ref.substr(ponto + 1);
    if (campo.size() >= 2 && campo.front() == '"' && campo.back() == '"') campo = campo.substr(1, campo.size() - 2);
    return r_.Campo(ref.substr(0, ponto), campo);
  }
  Variant Chamada() {
    size_t i = p_;
    while (i < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i])) || s_[i] == '_')) ++i;
    const std::string nome = s_.substr(p_, i - p_);
    p_ = i;
    std::vector<Variant> args;
    Espacos();
    if (p_ < s_.size() && s_[p_] == '(') {
      ++p_;
      Espacos();
      if (p_ < s_.size() && s_[p_] == ')') {
        ++p_;
      } else {
        for (;;) {
          args.push_back(Expressao());
          Espacos();
          if (p_ < s_.size() && s_[p_] == ',') {
            ++p_;
            continue;
          }
          Fecha(')');
          break;
        }
      }
    } else if (SameText(nome, "True") || SameText(nome, "False")) {
      return Variant(SameText(nome, "True"));
    } else if (!r_.HasFunction(nome) && r_.Variables.count(nome)) {
      return r_.Variables[nome];
    }
    return r_.CallFunction(nome, std::move(args));
  }

  TfrxReportVYN& r_;
  const std::string& s_;
  size_t p_ = 0;
};

void TfrxReportVYN::AddFunction(const std::string& declaracao, const std::string&, const std::string&) {
  const std::string nome = NomeDaDeclaracao(declaracao);
  if (!nome.empty()) funcoes_[nome] = declaracao;
}

bool TfrxReportVYN::HasFunction(const std::string& nome) const { return funcoes_.count(UpperCase(nome)) > 0; }

Variant TfrxReportVYN::CallFunction(const std::string& nome, std::vector<Variant> params) {
  if (!HasFunction(nome)) throw EReportError("Função desconhecida no relatório: " + nome);
  std::optional<Variant> r = OnUserFunction ? OnUserFunction(nome, params) : std::nullopt;
  return r ? *r : Variant();
}

Variant TfrxReportVYN::Campo(const std::string& conjunto, const std::string& campo) const {
  if (userDatasets_.count(conjunto)) {
    Variant v;
    if (OnGetValue) OnGetValue(campo, v);
    return v;
  }
  auto it = datasets_.find(conjunto);
  if (it == datasets_.end() || !it->second) throw EReportError("Conjunto de dados desconhecido: " + conjunto);
  TField* f = it->second->FindField(campo);
  if (!f) throw EReportError("Campo desconhecido: " + conjunto + "." + campo);
  return f->Value();
}

Variant TfrxReportVYN::Evaluate(const std::string& expressao) {
  TReportParser p(*this, expressao);
  Variant v = p.Expressao();
  p.Fim();
  return v;
}

std::string TfrxReportVYN::ExpandText(const std::string& texto) {
  std::string out;
  size_t i = 0;
  while (i < texto.size()) {
    const size_t a = texto.find('[', i);
    if (a == std::string::npos) {
      out += texto.substr(i);
      break;
    }
    out += texto.substr(i, a - i);
    // The closing bracket of this expression: brackets inside quoted text do not count.
    size_t f = a + 1;
    int nivel = 1;
    bool aspas = false;
    for (; f < texto.size(); ++f) {
      if (texto[f] == '\'') aspas = !aspas;
      if (aspas) continue;
      if (texto[f] == '[') ++nivel;
      if (texto[f] == ']' && --nivel == 0) break;
    }
    if (f >= texto.size()) throw EReportError("Expressão sem ']' em: " + texto);
    out += Evaluate(texto.substr(a + 1, f - a - 1)).AsString();
    i = f + 1;
  }
  return out;
}

void TfrxReportVYN::PrepareReport(bool) {
  PageNo = CurColumn = CurLine = 1;
  if (OnBeforePrint) OnBeforePrint(*this);
  MemoValue = Variant(ExpandText(MemoText));
  if (OnAfterPrint) OnAfterPrint(*this);
}

}  // namespace vyn
