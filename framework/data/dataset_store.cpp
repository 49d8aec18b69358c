#include "framework/data/dataset_store.h"

#include <fmt/format.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/core/text.h"

namespace vyn::detail {

namespace {

__extension__ typedef __int128 i128;

template <class T>
int Cmp(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

bool AllBlank(std::string_view s, size_t from) {
  for (size_t i = from; i < s.size(); ++i)
    if (s[i] != ' ') return false;
  return true;
}

template <class F>
auto Guarded(const TFieldDef& def, F f) -> decltype(f()) {
  try {
    return f();
  } catch (const EDataSetError&) {
    throw;
  } catch (const std::exception& e) {
    throw EDataSetError(fmt::format("Valor inválido para o campo {}: {}", def.Name, e.what()));
  }
}

}  // namespace

Kind KindOf(TFieldType t) {
  switch (t) {
    case TFieldType::ftInteger:
    case TFieldType::ftSmallint:
    case TFieldType::ftLargeint: return Kind::Int;
    case TFieldType::ftCurrency: return Kind::Cur;
    case TFieldType::ftBoolean: return Kind::Bool;
    case TFieldType::ftFloat:
    case TFieldType::ftDate:
    case TFieldType::ftDateTime: return Kind::Dbl;
    default: return Kind::Str;
  }
}

// Plain ASCII is compared here directly; anything else goes to the collation proper, which
// agrees with this on ASCII (upper case, trailing blanks dropped).
int CollateCompare(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) & 0x80) return CompareTextPTBR(a, b);
    unsigned char ux = Upper(x), uy = Upper(y);
    if (ux != uy) {
      if (ux == ' ' || uy == ' ') return CompareTextPTBR(a, b);
      return ux < uy ? -1 : 1;
    }
  }
  if (a.size() == b.size()) return 0;
  if (a.size() > b.size()) return AllBlank(a, n) ? 0 : 1;
  return AllBlank(b, n) ? 0 : -1;
}

Variant ConvertForField(const TFieldDef& def, const Variant& v) {
  if (v.IsNull()) return Variant();
  return Guarded(def, [&]() -> Variant {
    switch (def.DataType) {
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger:
      case TFieldType::ftLargeint: {
        int64_t n = v.AsInteger();
        int64_t lo = def.DataType == TFieldType::ftSmallint ? -32768 : def.DataType == TFieldType::ftInteger ? INT32_MIN : INT64_MIN;
        int64_t hi = def.DataType == TFieldType::ftSmallint ? 32767 : def.DataType == TFieldType::ftInteger ? INT32_MAX : INT64_MAX;
        if (n < lo || n > hi)
          throw EDataSetError(fmt::format("Valor {} fora da faixa do campo {}", n, def.Name));
        return Variant(static_cast<long long>(n));
      }
      case TFieldType::ftBoolean: return Variant(v.AsBoolean());
      case TFieldType::ftCurrency: return Variant(v.AsCurrency());
      case TFieldType::ftFloat: return Variant(v.AsFloat());
      case TFieldType::ftDate: return Variant(v.AsDateTime().DateOnly());
      case TFieldType::ftDateTime: return Variant(v.AsDateTime());
      case TFieldType::ftString:
      case TFieldType::ftMemo:
      case TFieldType::ftUnknown: {
        std::string s = v.AsString();
        if (def.Size > 0 && Utf8Length(s) > static_cast<size_t>(def.Size))
          throw EDataSetError(fmt::format("O texto \"{}\" excede o tamanho do campo {} ({} caracteres)", s,
                                          def.Name, def.Size));
        return Variant(std::move(s));
      }
    }
    return Variant();
  });
}

Variant Column::Get(uint32_t r) const {
  if (nul[r]) return Variant();
  switch (kind) {
    case Kind::Int: return Variant(static_cast<long long>(i[r]));
    case Kind::Cur: return Variant(Currency::FromRaw(i[r]));
    case Kind::Bool: return Variant(b[r] != 0);
    case Kind::Dbl:
      if (type == TFieldType::ftFloat) return Variant(d[r]);
      return Variant(TDateTime(d[r]));
    case Kind::Str: return Variant(s[r]);
  }
  return Variant();
}

bool Column::Holds(uint32_t r, const Variant& v) const {
  if (nul[r]) return v.IsNull();
  const auto& x = v.Raw();
  switch (kind) {
    case Kind::Int: {
      const auto* p = std::get_if<int64_t>(&x);
      return p && *p == i[r];
    }
    case Kind::Cur: {
      const auto* p = std::get_if<Currency>(&x);
      return p && p->Raw() == i[r];
    }
    case Kind::Bool: {
      const auto* p = std::get_if<bool>(&x);
      return p && *p == (b[r] != 0);
    }
    case Kind::Dbl:
      if (type == TFieldType::ftFloat) {
        const auto* p = std::get_if<double>(&x);
        return p && *p == d[r];
      } else {
        const auto* p = std::get_if<TDateTime>(&x);
        return p && *p == TDateTime(d[r]);
      }
    case Kind::Str: {
      const auto* p = std::get_if<std::string>(&x);
      return p && *p == s[r];
    }
  }
  return false;
}

void Column::PushNull() {
  nul.push_back(true);
  switch (kind) {
    case Kind::Int:
    case Kind::Cur: i.push_back(0); break;
    case Kind::Bool: b.push_back(0); break;
    case Kind::Dbl: d.push_back(0); break;
    case Kind::Str: s.emplace_back(); break;
  }
}

void Column::Set(uint32_t r, const Variant& v) {
  nul[r] = v.IsNull();
  switch (kind) {
    case Kind::Int: i[r] = v.IsNull() ? 0 : std::get<int64_t>(v.Raw()); break;
    case Kind::Cur: i[r] = v.IsNull() ? 0 : std::get<Currency>(v.Raw()).Raw(); break;
    case Kind::Bool: b[r] = v.IsNull() ? 0 : std::get<bool>(v.Raw()); break;
    case Kind::Dbl:
      d[r] = v.IsNull() ? 0 : (type == TFieldType::ftFloat ? std::get<double>(v.Raw()) : std::get<TDateTime>(v.Raw()).Value);
      break;
    case Kind::Str:
      if (v.IsNull()) s[r].clear(); else s[r] = std::get<std::string>(v.Raw());
      break;
  }
}

void Column::Release(uint32_t r) {
  if (kind == Kind::Str) std::string().swap(s[r]);
  nul[r] = true;
}

void Column::Clear() {
  i.clear(); i.shrink_to_fit();
  d.clear(); d.shrink_to_fit();
  b.clear(); b.shrink_to_fit();
  s.clear(); s.shrink_to_fit();
  nul.clear(); nul.shrink_to_fit();
}

int Column::Compare(uint32_t x, uint32_t y) const {
  bool nx = nul[x], ny = nul[y];
  if (nx || ny) return nx == ny ? 0 : (nx ? -1 : 1);
  switch (kind) {
    case Kind::Int:
    case Kind::Cur: return Cmp(i[x], i[y]);
    case Kind::Bool: return Cmp(b[x], b[y]);
    case Kind::Dbl: return Cmp(d[x], d[y]);
    case Kind::Str: return CollateCompare(s[x], s[y]);
  }
  return 0;
}

int Column::CompareKey(uint32_t r, const KeyCell& k) const {
  bool nr = nul[r];
  if (nr || k.null) return nr == k.null ? 0 : (nr ? -1 : 1);
  switch (kind) {
    case Kind::Int:
      if (k.whole) return Cmp(i[r], k.i);
      return Cmp(static_cast<i128>(i[r]) * Currency::kScale, static_cast<i128>(k.i));
    case Kind::Cur: return Cmp(i[r], k.i);
    case Kind::Bool: return Cmp(static_cast<int64_t>(b[r]), k.i);
    case Kind::Dbl: return Cmp(d[r], k.d);
    case Kind::Str: return CollateCompare(s[r], k.s);
  }
  return 0;
}

int Column::CompareKeys(const KeyCell& a, const KeyCell& b) const {
  if (a.null || b.null) return a.null == b.null ? 0 : (a.null ? -1 : 1);
  switch (kind) {
    case Kind::Int:
      if (a.whole && b.whole) return Cmp(a.i, b.i);
      return Cmp(a.whole ? static_cast<i128>(a.i) * Currency::kScale : static_cast<i128>(a.i),
                 b.whole ? static_cast<i128>(b.i) * Currency::kScale : static_cast<i128>(b.i));
    case Kind::Cur:
    case Kind::Bool: return Cmp(a.i, b.i);
    case Kind::Dbl: return Cmp(a.d, b.d);
    case Kind::Str: return CollateCompare(a.s, b.s);
  }
  return 0;
}

KeyCell Column::RowKey(uint32_t r) const {
  KeyCell k;
  k.null = nul[r];
  if (k.null) return k;
  switch (kind) {
    case Kind::Int:
    case Kind::Cur: k.i = i[r]; break;
    case Kind::Bool: k.i = b[r]; break;
    case Kind::Dbl: k.d = d[r]; break;
    case Kind::Str: k.s = s[r]; break;
  }
  return k;
}

KeyCell Column::MakeKey(const TFieldDef& def, const Variant& v) const {
  KeyCell k;
  if (v.IsNull()) {
    k.null = true;
    return k;
  }
  Guarded(def, [&]() {
    switch (kind) {
      case Kind::Int:
        if (v.Type() == VarType::Int || v.Type() == VarType::Bool) {
          k.i = v.AsInteger();
        } else {
          Currency c = v.AsCurrency();
          k.whole = c.Raw() % Currency::kScale == 0;
          k.i = k.whole ? c.Raw() / Currency::kScale : c.Raw();
        }
        break;
      case Kind::Cur: k.i = v.AsCurrency().Raw(); break;
      case Kind::Bool: k.i = v.AsBoolean() ? 1 : 0; break;
      case Kind::Dbl:
        // a date column holds the date part only: so does what it is compared with
        if (type == TFieldType::ftFloat) k.d = v.AsFloat();
        else if (type == TFieldType::ftDate) k.d = v.AsDateTime().DateOnly().Value;
        else k.d = v.AsDateTime().Value;
        break;
      case Kind::Str: k.s = v.AsString(); break;
    }
    return 0;
  });
  return k;
}

// ---- OrderedRows ----

bool OrderedRows::Less(uint32_t a, uint32_t b) const {
  for (size_t k = 0; k < spec_.fields.size(); ++k) {
    int c = st_.cols[spec_.fields[k]].Compare(a, b);
    if (c != 0) return spec_.desc[k] ? c > 0 : c < 0;
  }
  return st_.seq[a] < st_.seq[b];
}

int OrderedRows::CompareKey(uint32_t r, const std::vector<KeyCell>& key) const {
  size_t n = std::min(key.size(), spec_.fields.size());
  for (size_t k = 0; k < n; ++k) {
    int c = st_.cols[spec_.fields[k]].CompareKey(r, key[k]);
    if (c != 0) return spec_.desc[k] ? -c : c;
  }
  return 0;
}

// Integers and money as offset binary; floats by their bits, flipped so that they sort as
// unsigned; text as up to 7 upper-cased plain ASCII bytes, the count of them in the low 3 bits
// and bit 3 set when nothing but blanks follows. Null is 0, the least, which ties with
// INT64_MIN and makes every text comparison inconclusive: the rows decide those.
namespace {

constexpr uint64_t kSign = uint64_t{1} << 63;
constexpr uint64_t kTextEnds = 8;

uint64_t ShortInt(int64_t v) { return static_cast<uint64_t>(v) ^ kSign; }

uint64_t ShortDouble(double d) {
  if (d == 0) d = 0;  // -0 sorts with 0
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return (bits & kSign) ? ~bits : bits | kSign;
}

uint64_t ShortText(std::string_view s) {
  uint64_t v = 0;
  size_t k = 0;
  for (; k < 7 && k < s.size(); ++k) {
    auto c = static_cast<unsigned char>(s[k]);
    if ((c & 0x80) || c == ' ') break;  // the collation proper orders these
    v |= uint64_t{Upper(c)} << (56 - 8 * k);
  }
  return v | k | (AllBlank(s, k) ? kTextEnds : 0);
}

inline int CompareShortText(uint64_t a, uint64_t b) {
  unsigned ka = a & 7, kb = b & 7, m = std::min(ka, kb);
  uint64_t mask = m == 0 ? 0 : ~uint64_t{0} << (64 - 8 * m);
  if ((a & mask) != (b & mask)) return (a & mask) < (b & mask) ? -1 : 1;
  if (ka < kb && (a & kTextEnds)) return -1;  // a ended where b goes on with a plain byte
  if (kb < ka && (b & kTextEnds)) return 1;
  return 0;
}

}  // namespace

uint64_t OrderedRows::ShortKey(uint32_t r) const {
  const Column& c = st_.cols[spec_.fields[0]];
  if (c.nul[r]) return 0;
  switch (c.kind) {
    case Kind::Int:
    case Kind::Cur: return ShortInt(c.i[r]);
    case Kind::Bool: return 1 + uint64_t{c.b[r]};
    case Kind::Dbl: return ShortDouble(c.d[r]);
    case Kind::Str: return ShortText(c.s[r]);
  }
  return 0;
}

uint64_t OrderedRows::ShortKey(const KeyCell& k) const {
  if (k.null) return 0;
  switch (st_.cols[spec_.fields[0]].kind) {
    case Kind::Int: {
      if (k.whole) return ShortInt(k.i);
      // money units sought in a whole column: the whole number below ties with it
      int64_t q = k.i / Currency::kScale;
      if (k.i % Currency::kScale != 0 && k.i < 0) --q;
      return ShortInt(q);
    }
    case Kind::Cur: return ShortInt(k.i);
    case Kind::Bool: return 1 + static_cast<uint64_t>(k.i != 0);
    case Kind::Dbl: return ShortDouble(k.d);
    case Kind::Str: return ShortText(k.s);
  }
  return 0;
}

int OrderedRows::CompareShort(uint64_t a, uint64_t b) const {
  int c = st_.cols[spec_.fields[0]].kind == Kind::Str ? CompareShortText(a, b) : Cmp(a, b);
  return spec_.desc[0] ? -c : c;
}

template <class Pred>
RowList::Pos OrderedRows::Search(Pred pred, const uint64_t* lead) {
  Flush();
  if (!lead || !list_.keyed()) return list_.partition_point(pred);
  const bool str = st_.cols[spec_.fields[0]].kind == Kind::Str;
  const bool desc = spec_.desc[0] != 0;
  const uint64_t t = *lead;
  if (desc) return list_.search(pred, [&](uint64_t a) { return -CompareShort(a, t); });
  if (str) return list_.search(pred, [t](uint64_t a) { return -CompareShortText(a, t); });
  return list_.search(pred, [t](uint64_t a) { return a < t ? 1 : (t < a ? -1 : 0); });
}

void OrderedRows::EraseAt(RowList::Pos p) { list_.erase(p); }

void OrderedRows::Assign(const std::vector<uint32_t>& sorted) {
  pending_.clear();
  std::vector<uint64_t> keys;
  if (list_.keyed()) {
    keys.reserve(sorted.size());
    for (uint32_t r : sorted) keys.push_back(ShortKey(r));
  }
  list_.assign(sorted, keys);
}

void OrderedRows::Build(const std::vector<uint32_t>& rows) {
  if (!list_.keyed()) {
    std::vector<uint32_t> sorted(rows);
    std::sort(sorted.begin(), sorted.end(), [&](uint32_t a, uint32_t b) { return Less(a, b); });
    Assign(sorted);
    return;
  }
  // Sorted by the short keys first, which mostly spares reading the rows.
  struct Entry {
    uint64_t key;
    uint32_t row;
  };
  std::vector<Entry> es;
  es.reserve(rows.size());
  for (uint32_t r : rows) es.push_back({ShortKey(r), r});
  std::sort(es.begin(), es.end(), [&](const Entry& a, const Entry& b) {
    int c = CompareShort(a.key, b.key);
    return c != 0 ? c < 0 : Less(a.row, b.row);
  });
  pending_.clear();
  std::vector<uint32_t> ids(es.size());
  std::vector<uint64_t> keys(es.size());
  for (size_t i = 0; i < es.size(); ++i) {
    ids[i] = es[i].row;
    keys[i] = es[i].key;
  }
  list_.assign(ids, keys);
}

void OrderedRows::Add(uint32_t r) {
  if (list_.empty() || Less(list_.back(), r)) list_.push_back(r, list_.keyed() ? ShortKey(r) : 0);
  else pending_.push_back(r);
}

void OrderedRows::Flush() {
  if (pending_.empty()) return;
  auto less = [this](uint32_t a, uint32_t b) { return Less(a, b); };
  std::sort(pending_.begin(), pending_.end(), less);
  if (pending_.size() * 16 < list_.size()) {
    std::vector<uint32_t> rows;
    rows.swap(pending_);
    for (uint32_t r : rows) list_.insert(Place(r), r, list_.keyed() ? ShortKey(r) : 0);
  } else {
    std::vector<uint32_t> cur, merged;
    list_.to_vector(cur);
    merged.reserve(cur.size() + pending_.size());
    std::merge(cur.begin(), cur.end(), pending_.begin(), pending_.end(), std::back_inserter(merged), less);
    Assign(merged);
  }
  pending_.clear();
}

RowList::Pos OrderedRows::Place(uint32_t r) {
  uint64_t lead = spec_.empty() ? 0 : ShortKey(r);
  return Search([&](uint32_t x) { return Less(x, r); }, spec_.empty() ? nullptr : &lead);
}

RowList::Pos OrderedRows::Find(uint32_t r) {
  RowList::Pos p = Place(r);
  if (p != list_.end() && list_.at(p) == r) return p;
  return list_.end();
}

bool OrderedRows::Erase(uint32_t r) {
  RowList::Pos p = Find(r);
  if (p == list_.end()) return false;
  EraseAt(p);
  return true;
}

RowList::Pos OrderedRows::LowerBound(const std::vector<KeyCell>& key) {
  bool keyed = !key.empty() && !spec_.empty();
  uint64_t lead = keyed ? ShortKey(key[0]) : 0;
  return Search([&](uint32_t x) { return CompareKey(x, key) < 0; }, keyed ? &lead : nullptr);
}

RowList::Pos OrderedRows::UpperBound(const std::vector<KeyCell>& key) {
  bool keyed = !key.empty() && !spec_.empty();
  uint64_t lead = keyed ? ShortKey(key[0]) : 0;
  return Search([&](uint32_t x) { return CompareKey(x, key) <= 0; }, keyed ? &lead : nullptr);
}

// ---- Store ----

Store::Store(std::vector<TFieldDef> d) : defs(std::move(d)) {
  cols.resize(defs.size());
  for (size_t k = 0; k < defs.size(); ++k) {
    cols[k].type = defs[k].DataType;
    cols[k].kind = KindOf(defs[k].DataType);
  }
  indexes_.push_back(std::make_unique<OrderedRows>(*this, KeySpec{}));
  indexes_[0]->refs = 1;  // natural order always lives
}

OrderedRows* Store::Acquire(const KeySpec& spec) {
  for (auto& ix : indexes_)
    if (ix->Spec() == spec) {
      ++ix->refs;
      return ix.get();
    }
  auto ix = std::make_unique<OrderedRows>(*this, spec);
  std::vector<uint32_t> rows;
  Natural().List().to_vector(rows);
  ix->Build(rows);
  ix->refs = 1;
  indexes_.push_back(std::move(ix));
  return indexes_.back().get();
}

void Store::Release(OrderedRows* ix) {
  if (!ix || --ix->refs > 0) return;
  for (size_t k = 1; k < indexes_.size(); ++k)
    if (indexes_[k].get() == ix) {
      indexes_.erase(indexes_.begin() + static_cast<ptrdiff_t>(k));
      return;
    }
}

uint32_t Store::NewRow(int64_t before) {
  int64_t label;
  if (before >= 0) {
    label = SeqBefore(static_cast<uint32_t>(before));
  } else {
    label = next_seq_;
    next_seq_ += kGap;
  }
  uint32_t r = RowCapacity();
  for (auto& c : cols) c.PushNull();
  seq.push_back(label);
  status.push_back(static_cast<uint8_t>(TUpdateStatus::usInserted));
  ++live;
  return r;
}

int64_t Store::SeqBefore(uint32_t x) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    OrderedRows& nat = Natural();
    RowList::Pos p = nat.Find(x);
    const RowList& l = nat.List();
    int64_t hi = seq[x];
    if (p == l.begin() || p == l.end()) {
      if (hi > INT64_MIN + 2 * kGap) return hi - kGap;
    } else {
      RowList::Pos q = p;
      l.prev(q);
      int64_t lo = seq[l.at(q)];
      if (hi - lo >= 2) return lo + (hi - lo) / 2;
    }
    Relabel();
  }
  throw EDataSetError("Ordem natural do data set esgotada");
}

void Store::Relabel() {
  int64_t k = 0;
  Natural().List().for_each([&](uint32_t r) { seq[r] = ++k * kGap; });
  next_seq_ = (k + 1) * kGap;
}

void Store::KillRow(uint32_t r) {
  status[r] = kDead;
  --live;
  for (auto& c : cols) c.Release(r);
}

void Store::Clear() {
  for (auto& c : cols) c.Clear();
  seq.clear(); seq.shrink_to_fit();
  status.clear(); status.shrink_to_fit();
  live = 0;
  next_seq_ = kGap;
  for (auto& ix : indexes_) ix->Clear();
}

}  // namespace vyn::detail
