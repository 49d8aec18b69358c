#include "framework/data/dataset_filter.h"

#include <fmt/format.h>

#include <cctype>
#include <unordered_set>

#include "framework/core/text.h"

namespace vyn::detail {

namespace {

// Three-valued logic, as SQL: a comparison with null is unknown, and only true rows pass.
enum class Tri : uint8_t { F, T, U };

enum class TokKind { End, LParen, RParen, Op, Str, Num, Ident };

struct Token {
  TokKind kind = TokKind::End;
  std::string text;  // operator, string value, number text or name
  size_t at = 0;
};

enum class CmpOp { Eq, Ne, Lt, Gt, Le, Ge };

CmpOp Flip(CmpOp op) {
  switch (op) {
    case CmpOp::Lt: return CmpOp::Gt;
    case CmpOp::Gt: return CmpOp::Lt;
    case CmpOp::Le: return CmpOp::Ge;
    case CmpOp::Ge: return CmpOp::Le;
    default: return op;
  }
}

Tri Apply(CmpOp op, int c) {
  bool r = false;
  switch (op) {
    case CmpOp::Eq: r = c == 0; break;
    case CmpOp::Ne: r = c != 0; break;
    case CmpOp::Lt: r = c < 0; break;
    case CmpOp::Gt: r = c > 0; break;
    case CmpOp::Le: r = c <= 0; break;
    case CmpOp::Ge: r = c >= 0; break;
  }
  return r ? Tri::T : Tri::F;
}

}  // namespace

struct FilterExpr::Node {
  // In: "f = k1 or f = k2 or ..." over one whole-number or money column, answered from a set: the
  // links of every removed line are dropped with one such filter, run on each link row.
  enum class Kind { Or, And, Not, Cmp, IsNull, Const, In } kind = Kind::Const;
  std::unique_ptr<Node> a, b;
  CmpOp op = CmpOp::Eq;
  bool negate = false;
  // Operands: a field (index >= 0) or a literal.
  int lf = -1, rf = -1;
  Variant lv, rv;
  KeyCell key;  // rv prepared for field lf
  Tri value = Tri::U;
  std::unordered_set<int64_t> in;
  // A long chain of "or"/"and" terms (one per removed line, say) is a left spine as deep as the terms:
  // freed a step at a time, not by recursion.
  ~Node() {
    while (a && (a->kind == Kind::Or || a->kind == Kind::And)) a = std::move(a->a);
  }
};

namespace {

using Node = FilterExpr::Node;

class Parser {
 public:
  Parser(const std::string& text, const Store& st) : text_(text), st_(st) { Lex(); }

  std::unique_ptr<Node> Parse(std::vector<bool>& uses) {
    uses_ = &uses;
    auto n = ParseOr();
    if (Peek().kind != TokKind::End) Fail(fmt::format("\"{}\" inesperado", Peek().text));
    return n;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw EDataSetError(fmt::format("Filtro inválido \"{}\": {}", text_, why));
  }

  void Lex() {
    size_t i = 0, n = text_.size();
    while (i < n) {
      unsigned char c = static_cast<unsigned char>(text_[i]);
      if (std::isspace(c)) { ++i; continue; }
      Token t;
      t.at = i;
      if (c == '(' || c == ')') {
        t.kind = c == '(' ? TokKind::LParen : TokKind::RParen;
        t.text = std::string(1, static_cast<char>(c));
        ++i;
      } else if (c == '=' || c == '<' || c == '>') {
        t.kind = TokKind::Op;
        t.text = std::string(1, static_cast<char>(c));
        ++i;
        if (i < n && ((c == '<' && (text_[i] == '>' || text_[i] == '=')) || (c == '>' && text_[i] == '='))) t.text += text_[i++];
      } else if (c == '\'') {
        t.kind = TokKind::Str;
        ++i;
        for (;;) {
          if (i >= n) Fail("texto sem o apóstrofo final");
          if (text_[i] == '\'') {
            if (i + 1 < n && text_[i + 1] == '\'') { t.text += '\''; i += 2; continue; }
            ++i;
            break;
          }
          t.text += text_[i++];
        }
      } else if (std::isdigit(c) || c == '-' || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(text_[i + 1])))) {
        t.kind = TokKind::Num;
        if (c == '-') t.text += text_[i++];
        size_t digits = 0, dots = 0;
        while (i < n && (std::isdigit(static_cast<unsigned char>(text_[i])) || text_[i] == '.')) {
          if (text_[i] == '.') ++dots; else ++digits;
          t.text += text_[i++];
        }
        if (digits == 0 || dots > 1) Fail(fmt::format("número inválido \"{}\"", t.text));
      } else if (std::isalpha(c) || c == '_') {
        t.kind = TokKind::Ident;
        while (i < n && (std::isalnum(static_cast<unsigned char>(text_[i])) || text_[i] == '_')) t.text += text_[i++];
      } else if (c == '[') {
        t.kind = TokKind::Ident;
        size_t close = text_.find(']', i);
        if (close == std::string::npos) Fail("nome de campo sem \"]\"");
        t.text = text_.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        Fail(fmt::format("caractere inesperado '{}'", static_cast<char>(c)));
      }
      toks_.push_back(std::move(t));
    }
    toks_.push_back(Token{});
  }

  const Token& Peek() const { return toks_[pos_]; }
  Token Take() { return toks_[pos_++]; }
  bool IsWord(const Token& t, const char* w) const { return t.kind == TokKind::Ident && SameText(t.text, w); }
  bool TakeWord(const char* w) {
    if (!IsWord(Peek(), w)) return false;
    ++pos_;
    return true;
  }

  std::unique_ptr<Node> Binary(Node::Kind k, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
    auto n = std::make_unique<Node>();
    n->kind = k;
    n->a = std::move(a);
    n->b = std::move(b);
    return n;
  }

  std::unique_ptr<Node> ParseOr() {
    std::vector<std::unique_ptr<Node>> termos;
    termos.push_back(ParseAnd());
    while (TakeWord("OR")) termos.push_back(ParseAnd());
    if (auto conjunto = Conjunto(termos)) return conjunto;
    auto n = std::move(termos.front());
    for (size_t k = 1; k < termos.size(); ++k) n = Binary(Node::Kind::Or, std::move(n), std::move(termos[k]));
    return n;
  }

  // The terms as one set membership, when each is "the same whole-number or money field = a value".
  std::unique_ptr<Node> Conjunto(const std::vector<std::unique_ptr<Node>>& termos) const {
    constexpr size_t kMinimo = 8;  // a short chain is as quick walked
    if (termos.size() < kMinimo) return nullptr;
    const int campo = termos.front()->lf;
    if (campo < 0) return nullptr;
    const Kind tipo = st_.cols[campo].kind;
    if (tipo != Kind::Int && tipo != Kind::Cur) return nullptr;
    auto n = std::make_unique<Node>();
    n->kind = Node::Kind::In;
    n->lf = campo;
    for (const auto& t : termos) {
      const bool igual = t->kind == Node::Kind::Cmp && t->op == CmpOp::Eq && t->lf == campo && t->rf < 0;
      if (!igual || t->key.null || (tipo == Kind::Int && !t->key.whole)) return nullptr;
      n->in.insert(t->key.i);
    }
    return n;
  }

  std::unique_ptr<Node> ParseAnd() {
    auto n = ParseNot();
    while (TakeWord("AND")) n = Binary(Node::Kind::And, std::move(n), ParseNot());
    return n;
  }

  std::unique_ptr<Node> ParseNot() {
    if (TakeWord("NOT")) return Binary(Node::Kind::Not, ParseNot(), nullptr);
    if (Peek().kind == TokKind::LParen) {
      ++pos_;
      auto n = ParseOr();
      if (Peek().kind != TokKind::RParen) Fail("\")\" esperado");
      ++pos_;
      return n;
    }
    return ParseComparison();
  }

  // An operand: a field (its index) or a literal.
  void ParseOperand(int& field, Variant& lit) {
    Token t = Take();
    switch (t.kind) {
      case TokKind::Str: lit = Variant(t.text); return;
      case TokKind::Num: lit = NumberLiteral(t.text); return;
      case TokKind::Ident: {
        if (SameText(t.text, "NULL")) { lit = Variant(); return; }
        if (SameText(t.text, "TRUE")) { lit = Variant(true); return; }
        if (SameText(t.text, "FALSE")) { lit = Variant(false); return; }
        for (size_t k = 0; k < st_.defs.size(); ++k)
          if (SameText(st_.defs[k].Name, t.text)) {
            field = static_cast<int>(k);
            (*uses_)[k] = true;
            return;
          }
        Fail(fmt::format("campo \"{}\" não encontrado", t.text));
      }
      case TokKind::End: Fail("expressão incompleta");
      default: Fail(fmt::format("\"{}\" inesperado", t.text));
    }
  }

  Variant NumberLiteral(const std::string& s) {
    size_t dot = s.find('.');
    if (dot == std::string::npos && s.size() < 18) return Variant(std::stoll(s));
    Currency c;
    if ((dot == std::string::npos || s.size() - dot - 1 <= 4) && Currency::TryParse(s, c)) return Variant(c);
    return Variant(std::stod(s));
  }

  std::unique_ptr<Node> ParseComparison() {
    auto n = std::make_unique<Node>();
    ParseOperand(n->lf, n->lv);
    if (TakeWord("IS")) {
      n->kind = Node::Kind::IsNull;
      n->negate = TakeWord("NOT");
      if (!TakeWord("NULL")) Fail("NULL esperado depois de IS");
      if (n->lf < 0) {
        n->kind = Node::Kind::Const;
        n->value = (n->lv.IsNull() != n->negate) ? Tri::T : Tri::F;
      }
      return n;
    }
    Token t = Take();
    if (t.kind != TokKind::Op) Fail(t.kind == TokKind::End ? "comparação incompleta" : fmt::format("operador esperado antes de \"{}\"", t.text));
    n->op = t.text == "=" ? CmpOp::Eq : t.text == "<>" ? CmpOp::Ne : t.text == "<" ? CmpOp::Lt
          : t.text == ">" ? CmpOp::Gt : t.text == "<=" ? CmpOp::Le : CmpOp::Ge;
    ParseOperand(n->rf, n->rv);
    n->kind = Node::Kind::Cmp;
    if (n->lf < 0 && n->rf >= 0) {  // literal on the left: turn it round
      std::swap(n->lf, n->rf);
      std::swap(n->lv, n->rv);
      n->op = Flip(n->op);
    }
    if (n->lf < 0) {  // two literals
      n->kind = Node::Kind::Const;
      n->value = (n->lv.IsNull() || n->rv.IsNull()) ? Tri::U : Apply(n->op, Variant::Compare(n->lv, n->rv));
    } else if (n->rf < 0) {
      try {
        n->key = st_.cols[n->lf].MakeKey(st_.defs[n->lf], n->rv);
      } catch (const EDataSetError& e) {
        Fail(e.what());
      }
    }
    return n;
  }

  const std::string& text_;
  const Store& st_;
  std::vector<Token> toks_;
  size_t pos_ = 0;
  std::vector<bool>* uses_ = nullptr;
};

Tri Eval(const Node& n, const Store& st, uint32_t r);

// An "or" (decisive: true) or "and" (decisive: false) chain, walked along its left spine so that a
// chain of many thousand terms needs no deeper stack than one of two.
Tri EvalCadeia(const Node& n, const Store& st, uint32_t r, Tri decisivo) {
  bool desconhecido = false;
  const Node* p = &n;
  for (; p->kind == n.kind; p = p->a.get()) {
    const Tri b = Eval(*p->b, st, r);
    if (b == decisivo) return b;
    desconhecido = desconhecido || b == Tri::U;
  }
  const Tri a = Eval(*p, st, r);
  if (a == decisivo) return a;
  if (desconhecido || a == Tri::U) return Tri::U;
  return decisivo == Tri::T ? Tri::F : Tri::T;
}

Tri Eval(const Node& n, const Store& st, uint32_t r) {
  switch (n.kind) {
    case Node::Kind::Const: return n.value;
    case Node::Kind::Or: return EvalCadeia(n, st, r, Tri::T);
    case Node::Kind::And: return EvalCadeia(n, st, r, Tri::F);
    case Node::Kind::Not: {
      Tri a = Eval(*n.a, st, r);
      return a == Tri::U ? a : (a == Tri::T ? Tri::F : Tri::T);
    }
    case Node::Kind::IsNull:
      return (st.cols[n.lf].IsNull(r) != n.negate) ? Tri::T : Tri::F;
    case Node::Kind::In: {
      const Column& c = st.cols[n.lf];
      if (c.IsNull(r)) return Tri::U;
      return n.in.count(c.i[r]) ? Tri::T : Tri::F;
    }
    case Node::Kind::Cmp: {
      const Column& c = st.cols[n.lf];
      if (c.IsNull(r)) return Tri::U;
      if (n.rf < 0) {
        if (n.key.null) return Tri::U;
        return Apply(n.op, c.CompareKey(r, n.key));
      }
      const Column& d = st.cols[n.rf];
      if (d.IsNull(r)) return Tri::U;
      if (n.lf == n.rf) return Apply(n.op, 0);
      Variant x = c.Get(r), y = d.Get(r);
      if (c.type == TFieldType::ftDate || d.type == TFieldType::ftDate) {  // a date against a moment: by day
        if (x.Type() == VarType::DateTime) x = Variant(x.AsDateTime().DateOnly());
        if (y.Type() == VarType::DateTime) y = Variant(y.AsDateTime().DateOnly());
      }
      return Apply(n.op, Variant::Compare(x, y));
    }
  }
  return Tri::U;
}

}  // namespace

FilterExpr::FilterExpr() = default;
FilterExpr::~FilterExpr() = default;

std::unique_ptr<FilterExpr> FilterExpr::Compile(const std::string& text, const Store& st) {
  auto f = std::make_unique<FilterExpr>();
  f->uses_.assign(st.defs.size(), false);
  Parser p(text, st);
  f->root_ = p.Parse(f->uses_);
  return f;
}

bool FilterExpr::Matches(const Store& st, uint32_t r) const { return Eval(*root_, st, r) == Tri::T; }

}  // namespace vyn::detail
