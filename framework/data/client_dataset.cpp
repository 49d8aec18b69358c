#include "framework/data/client_dataset.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <unordered_map>

#include "framework/core/text.h"
#include "framework/data/dataset_filter.h"
#include "framework/data/dataset_store.h"

namespace vyn {

using detail::KeyCell;
using detail::KeySpec;
using detail::OrderedRows;
using detail::RowList;
using detail::Store;
using Pos = RowList::Pos;

namespace {

std::vector<std::string> SplitNames(const std::string& s) {
  std::vector<std::string> out;
  for (auto& part : Split(s, ';')) {
    std::string t = Trim(part);
    if (!t.empty()) out.push_back(std::move(t));
  }
  return out;
}

std::string NameKey(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return UpperCase(s);
  std::string k(s);
  for (char& c : k)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return k;
}

// Field names are found in any spelling of their ASCII letters without making a key: hashed and compared
// with those letters folded (a look-up per field per row is common). A name with other letters is found
// as NameKey gives it.
unsigned char FoldAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ULL;
    for (char c : s) h = (h ^ FoldAscii(static_cast<unsigned char>(c))) * 1099511628211ULL;
    return static_cast<size_t>(h);
  }
};
struct NameEq {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i]))) return false;
    return true;
  }
};
// Ids of data sets' fields, never given twice in a process: a detail knows its master's fields by it.
uint64_t NewFieldsId() {
  static std::atomic<uint64_t> ultimo{0};
  return ++ultimo;
}

bool AsciiOnly(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool SameValues(const std::vector<Variant>& a, const std::vector<Variant>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i].Raw() == b[i].Raw())) return false;
  return true;
}

// The same text under the collation, for its first characters only.
bool CollatePrefix(const std::string& s, const std::string& prefix) {
  return detail::CollateCompare(Utf8Left(s, Utf8Length(prefix)), prefix) == 0;
}

template <class F>
auto FieldGuard(const std::string& name, F f) -> decltype(f()) {
  try {
    return f();
  } catch (const EDataSetError&) {
    throw;
  } catch (const std::exception& e) {
    throw EDataSetError(fmt::format("Campo {}: {}", name, e.what()));
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The cursor: one data set's view (order, filter, range, master link, position) over shared rows.

struct TClientDataSet::Impl : detail::CursorBase {
  struct IndexDef {
    std::string name, fields, descFields;
    unsigned options = 0;
  };
  enum class MasterMode { Off, Empty, Key };

  explicit Impl(TClientDataSet* s) : self(s) {}

  TClientDataSet* self;
  std::vector<TFieldDef> defs;
  std::shared_ptr<Store> st;
  std::vector<std::unique_ptr<TField>> fields;
  uint64_t fieldsId = NewFieldsId();   // changes whenever fields are made anew (unique across data sets)
  std::unordered_map<std::string, int, NameHash, NameEq> byName;

  TDataSetState state = TDataSetState::dsInactive;
  // The edited row's values. An insert holds every field; an edit only those it set or read for a check
  // (tocado), the others being the row's own until it is posted: a run edits a field or two of rows of
  // many fields, and copying and comparing every field cost more than the edit.
  std::vector<Variant> buf;
  std::vector<uint8_t> tocado;
  bool modified = false;
  int64_t insertBefore = -1;

  std::string indexFieldNames, indexName;
  std::vector<IndexDef> indexDefs;
  OrderedRows* index = nullptr;  // held in the store
  KeySpec spec;
  // The orders of the unique index definitions, held in the store from the first post that
  // checks them on, so that every post checks each in O(log n) whichever index is active.
  struct UniqueOrder { std::string name; OrderedRows* ix; };
  std::vector<UniqueOrder> uniques;
  bool uniquesStale = true;

  std::string filterText;
  bool filtered = false;
  std::unique_ptr<detail::FilterExpr> filterExpr;
  std::unique_ptr<OrderedRows> filtView;

  bool rangeOn = false;
  std::vector<Variant> rangeLo, rangeHi;
  std::vector<KeyCell> loKey, hiKey;

  TDataSource* master = nullptr;
  std::string masterFields;
  std::vector<std::string> masterNames;  // masterFields split once: the master is read at each of its moves
  // The master's fields of masterNames, found once for the master's fields as they are (fieldsId).
  mutable std::vector<const TField*> masterFieldPtrs;
  mutable uint64_t masterFieldsId = 0;
  MasterMode mmode = MasterMode::Off;
  std::vector<Variant> masterVals;
  std::vector<KeyCell> masterKey;
  std::vector<TDataSource*> sources;  // sources whose DataSet is this

  int64_t cur = -1;
  bool eof = true, bof = true;
  const RowList* cacheList = nullptr;
  uint64_t cacheVer = 0;
  Pos cachePos;
  const RowList* boundsList = nullptr;
  uint64_t boundsVer = 0, boundsGen = 1, boundsGenSeen = 0;
  Pos lo_, hi_;

  int64_t filterRow = -1;
  bool fetchPending = false, fetching = false;
  int disable = 0;
  int bulk = 0;
  bool notifying = false, renotify = false, bulkMoved = false;

  // ---- basics ----
  bool Active() const { return state != TDataSetState::dsInactive; }
  bool Editing() const { return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert; }
  bool Tocado(size_t k) const { return state != TDataSetState::dsEdit || tocado[k]; }
  // A field's value in the edit or insert under way.
  Variant ValorEditado(size_t k) const {
    return Tocado(k) ? buf[k] : st->cols[k].Get(static_cast<uint32_t>(cur));
  }
  void CarregaEditado(size_t k) {
    if (Tocado(k)) return;
    buf[k] = st->cols[k].Get(static_cast<uint32_t>(cur));
    tocado[k] = 1;
  }
  // The edit's values made its own, before another cursor's post changes the row under it.
  void CarregaEdicao() {
    for (size_t k = 0; k < buf.size(); ++k) CarregaEditado(k);
  }
  void CheckActive() const {
    if (!Active()) throw EDataSetError(fmt::format("Data set {} fechado: operação não permitida", self->Name()));
  }
  void Fire(const TDataSetNotifyEvent& e) {
    if (e) e(*self);
  }
  static Impl* Of(detail::CursorBase* c) { return static_cast<Impl*>(c); }
  const std::vector<TFieldDef>& Defs() const { return st ? st->defs : defs; }

  // A run names the same fields by the same literals thousands of times: the field last found through a
  // text's address is taken again while the fields are the same and the text there still spells that
  // field's name (another text may come to lie at the same address).
  struct TNomeVisto {
    const char* Texto = nullptr;
    uint64_t Campos = 0;
    int Indice = -1;
  };
  // Made at the first look-up: many data sets are never asked a field by name. A data set's run names
  // some tens of fields, from texts spread over the program: 256 places keep them apart.
  mutable std::unique_ptr<std::array<TNomeVisto, 256>> vistos;
  int FieldIndex(std::string_view name) const {
    if (!vistos) vistos = std::make_unique<std::array<TNomeVisto, 256>>();
    const auto endereco = reinterpret_cast<uintptr_t>(name.data());
    TNomeVisto& v = (*vistos)[((endereco >> 3) ^ (endereco >> 11)) % vistos->size()];
    if (v.Texto == name.data() && v.Campos == fieldsId && fields[static_cast<size_t>(v.Indice)]->FieldName() == name)
      return v.Indice;
    auto it = byName.find(name);
    if (it == byName.end() && !AsciiOnly(name)) it = byName.find(NameKey(name));
    if (it == byName.end()) return -1;
    if (fields[static_cast<size_t>(it->second)]->FieldName() == name) v = {name.data(), fieldsId, it->second};
    return it->second;
  }
  int RequireField(std::string_view name) const {
    int k = FieldIndex(name);
    if (k < 0) throw EDataSetError(fmt::format("Campo '{}' não encontrado", name));
    return k;
  }

  void BuildFields(const std::vector<TFieldDef>& d) {
    bool same = d.size() == fields.size();
    for (size_t k = 0; same && k < d.size(); ++k) {
      const TFieldDef& a = d[k];
      same = a.Name == fields[k]->FieldName() && a.DataType == fields[k]->DataType() && a.Size == fields[k]->Size();
    }
    if (same) return;
    fields.clear();
    fieldsId = NewFieldsId();
    byName.clear();
    for (size_t k = 0; k < d.size(); ++k) {
      fields.push_back(std::make_unique<TField>(self, static_cast<int>(k), d[k]));
      byName[NameKey(d[k].Name)] = static_cast<int>(k);
    }
    for (size_t k = 0; k < d.size(); ++k)
      if (FieldIndex(d[k].Name) == static_cast<int>(k)) byName.emplace(d[k].Name, static_cast<int>(k));
  }

  // ---- views and positions ----
  OrderedRows& View() { return filtView ? *filtView : *index; }
  void InvalidateCache() {
    cacheList = nullptr;
    boundsList = nullptr;
  }

  void Bounds(Pos& lo, Pos& hi) {
    OrderedRows& v = View();
    const RowList& l = v.List();
    if (boundsList == &l && boundsVer == l.version() && boundsGenSeen == boundsGen) {
      lo = lo_;
      hi = hi_;
      return;
    }
    lo = l.begin();
    hi = l.end();
    if (mmode == MasterMode::Empty) {
      lo = hi;
    } else {
      if (mmode == MasterMode::Key) {
        lo = std::max(lo, v.LowerBound(masterKey));
        hi = std::min(hi, v.UpperBound(masterKey));
      }
      if (rangeOn) {
        if (!loKey.empty()) lo = std::max(lo, v.LowerBound(loKey));
        if (!hiKey.empty()) hi = std::min(hi, v.UpperBound(hiKey));
      }
      if (hi < lo) hi = lo;
    }
    lo_ = lo;
    hi_ = hi;
    boundsList = &l;
    boundsVer = l.version();
    boundsGenSeen = boundsGen;
  }

  void SetCurrent(Pos p) {
    const RowList& l = View().List();
    cur = l.at(p);
    cacheList = &l;
    cacheVer = l.version();
    cachePos = p;
  }

  // The current row's position, kept inside the bounds; false when no row is visible.
  bool Resolve(Pos& p, Pos& lo, Pos& hi) {
    Bounds(lo, hi);
    if (lo == hi) {
      cur = -1;
      return false;
    }
    const RowList& l = View().List();
    if (cur >= 0 && cacheList == &l && cacheVer == l.version()) {
      p = cachePos;
    } else if (cur >= 0 && st->Alive(cur)) {
      p = View().Find(static_cast<uint32_t>(cur));
      if (p == l.end()) p = lo;
    } else {
      p = lo;
    }
    if (p < lo) p = lo;
    if (!(p < hi)) {
      p = hi;
      l.prev(p);
    }
    SetCurrent(p);
    return true;
  }

  bool IsVisible(uint32_t r, Pos* at = nullptr) {
    if (!st->Alive(r)) return false;
    Pos lo, hi;
    Bounds(lo, hi);
    Pos p = View().Find(r);
    if (at) *at = p;
    return p != View().List().end() && lo <= p && p < hi;
  }

  void PositionFirst() {
    Pos lo, hi;
    Bounds(lo, hi);
    if (lo == hi && FetchRows(1) > 0) Bounds(lo, hi);
    if (lo == hi) {
      cur = -1;
      eof = bof = true;
      return;
    }
    SetCurrent(lo);
    bof = true;
    eof = false;
  }

  // After a row that was not kept in view: the row that now stands where it would be.
  void PositionNear(uint32_t r) {
    Pos lo, hi;
    Bounds(lo, hi);
    if (lo == hi) {
      cur = -1;
      eof = bof = true;
      return;
    }
    OrderedRows& v = View();
    const RowList& l = v.List();
    Pos p = v.Place(r);
    bof = false;
    eof = false;
    if (p < lo) p = lo;
    if (!(p < hi)) {
      p = hi;
      l.prev(p);
      eof = true;
    }
    SetCurrent(p);
  }

  void Neighbours(uint32_t r, int64_t& next, int64_t& prev) {
    next = prev = -1;
    Pos p;
    if (!IsVisible(r, &p)) return;
    Pos lo, hi;
    Bounds(lo, hi);
    const RowList& l = View().List();
    Pos q = p;
    l.next(q);
    if (q < hi) next = l.at(q);
    if (lo < p) {
      q = p;
      l.prev(q);
      prev = l.at(q);
    }
  }

  // Moves off row r (deleted or out of view) to the row that followed it, else the one before.
  void MoveOff(uint32_t r, int64_t next, int64_t prev) {
    InvalidateCache();
    if (IsVisible(r)) {
      cur = r;
      return;
    }
    if (next >= 0) {
      cur = next;
      eof = false;
    } else if (prev >= 0) {
      cur = prev;
      eof = true;
    } else {
      cur = -1;
      eof = bof = true;
    }
  }

  // ---- order, filter, range, master ----
  KeySpec SpecFromNames(const std::string& names, unsigned options, const std::string& descNames) const {
    KeySpec s;
    auto desc = SplitNames(descNames);
    for (auto& n : SplitNames(names)) {
      s.fields.push_back(RequireField(n));
      bool d = (options & ixDescending) != 0;
      for (auto& dn : desc) d = d || SameText(dn, n);
      s.desc.push_back(d ? 1 : 0);
    }
    s.unique = (options & ixUnique) != 0;
    return s;
  }

  const IndexDef* FindIndexDef(const std::string& name) const {
    for (auto& d : indexDefs)
      if (SameText(d.name, name)) return &d;
    return nullptr;
  }

  KeySpec ComputeSpec() const {
    if (!indexName.empty()) {
      const IndexDef* d = FindIndexDef(indexName);
      if (!d) throw EDataSetError(fmt::format("Índice '{}' não encontrado", indexName));
      return SpecFromNames(d->fields, d->options, d->descFields);
    }
    if (!indexFieldNames.empty()) return SpecFromNames(indexFieldNames, 0, "");
    if (master && !masterFields.empty()) return SpecFromNames(masterFields, 0, "");
    return {};
  }

  bool FilterWanted() const { return filtered && (filterExpr || self->OnFilterRecord); }

  bool Passes(uint32_t r) {
    if (filterExpr && !filterExpr->Matches(*st, r)) return false;
    if (self->OnFilterRecord) {
      int64_t saved = filterRow;
      filterRow = r;
      bool accept = true;
      try {
        self->OnFilterRecord(*self, accept);
      } catch (...) {
        filterRow = saved;
        throw;
      }
      filterRow = saved;
      return accept;
    }
    return true;
  }

  void RebuildFilterView() {
    filtView.reset();
    InvalidateCache();
    if (!FilterWanted()) return;
    auto v = std::make_unique<OrderedRows>(*st, spec);
    std::vector<uint32_t> rows;
    index->List().for_each([&](uint32_t r) {
      if (Passes(r)) rows.push_back(r);
    });
    v->Assign(rows);
    filtView = std::move(v);
  }

  std::vector<KeyCell> MakeKeys(const std::vector<Variant>& key) const {
    if (key.size() > spec.fields.size())
      throw EDataSetError(fmt::format("Chave com {} valores para um índice de {} campos", key.size(), spec.fields.size()));
    std::vector<KeyCell> out;
    for (size_t i = 0; i < key.size(); ++i) {
      int k = spec.fields[i];
      out.push_back(st->cols[k].MakeKey(st->defs[k], key[i]));
    }
    return out;
  }

  void RequireIndex(const char* what) const {
    if (spec.empty()) throw EDataSetError(fmt::format("{}: nenhum índice ativo em {}", what, self->Name()));
  }

  // Reads the master's current key; returns the mode and values the detail should show.
  MasterMode ReadMaster(std::vector<Variant>& vals) const {
    vals.clear();
    const std::vector<std::string>& names = masterNames;
    if (!master || names.empty()) return MasterMode::Off;
    TClientDataSet* m = master->DataSet();
    if (!m || !m->Active()) return MasterMode::Empty;
    Impl& mi = *m->impl_;
    if (!mi.Editing() && mi.cur < 0) return MasterMode::Empty;
    if (masterFieldsId != mi.fieldsId || masterFieldPtrs.size() != names.size()) {
      masterFieldPtrs.clear();
      for (auto& n : names) masterFieldPtrs.push_back(&m->FieldByName(n));
      masterFieldsId = mi.fieldsId;
    }
    for (const TField* f : masterFieldPtrs) {
      vals.push_back(f->Value());
      if (vals.back().IsNull()) {  // a null key matches no row
        vals.clear();
        return MasterMode::Empty;
      }
    }
    return MasterMode::Key;
  }

  void ApplyMaster(MasterMode mode, std::vector<Variant> vals) {
    std::vector<KeyCell> keys;
    if (mode == MasterMode::Key) {
      if (spec.fields.size() < vals.size())
        throw EDataSetError(fmt::format("O índice de {} não cobre os campos mestres {}", self->Name(), masterFields));
      keys = MakeKeys(vals);
    }
    mmode = mode;
    masterVals = std::move(vals);
    masterKey = std::move(keys);
    ++boundsGen;
  }

  // Rebuilds the view after a change of order, filter or link; keeps the row when it can.
  // Switches the active order; a failure (a bad field name) puts the previous order back.
  void ChangeIndex(std::string fields, std::string name) {
    CheckBrowseMode();
    if (!fields.empty() || !name.empty()) FetchAll();
    std::string oldFields = indexFieldNames, oldName = indexName;
    indexFieldNames = std::move(fields);
    indexName = std::move(name);
    bool oldRange = rangeOn;
    rangeOn = false;
    try {
      Reorganize(true);
    } catch (...) {
      indexFieldNames = oldFields;
      indexName = oldName;
      rangeOn = oldRange;
      Reorganize(true);
      throw;
    }
  }

  void Reorganize(bool keepPos) {
    KeySpec ns = ComputeSpec();
    if (!index || !(ns == spec)) {
      OrderedRows* nix = st->Acquire(ns);
      st->Release(index);
      index = nix;
      spec = ns;
    }
    RebuildFilterView();
    if (rangeOn) {
      loKey = MakeKeys(rangeLo);
      hiKey = MakeKeys(rangeHi);
    }
    std::vector<Variant> vals;
    MasterMode mode = ReadMaster(vals);
    ApplyMaster(mode, std::move(vals));
    ++boundsGen;
    InvalidateCache();
    if (keepPos && cur >= 0 && IsVisible(static_cast<uint32_t>(cur))) {
      bof = eof = false;
      return;
    }
    PositionFirst();
  }

  void CompileFilter() {
    filterExpr.reset();
    if (filtered && !Trim(filterText).empty()) filterExpr = detail::FilterExpr::Compile(filterText, *st);
  }

  // ---- master-detail notifications ----
  void NotifyDetails() {
    if (sources.empty()) return;
    if (bulk > 0) {
      bulkMoved = true;
      return;
    }
    if (notifying) {  // moved again while telling the details: tell them once more after
      renotify = true;
      return;
    }
    notifying = true;
    try {
      for (int round = 0; round == 0 || (renotify && round < 100); ++round) {
        renotify = false;
        auto srcs = sources;
        for (TDataSource* s : srcs) {
          if (!s->Enabled()) continue;
          auto dets = s->details_;
          for (TClientDataSet* d : dets) d->impl_->MasterChanged();
        }
      }
    } catch (...) {
      notifying = false;
      throw;
    }
    notifying = false;
  }

  void MasterChanged() {
    if (!Active()) return;
    std::vector<Variant> vals;
    MasterMode mode = ReadMaster(vals);
    if (mode == mmode && SameValues(vals, masterVals)) return;
    CheckBrowseMode();
    ApplyMaster(mode, std::move(vals));
    PositionFirst();
    Fire(self->AfterScroll);
    NotifyDetails();
  }

  // Without events: used while components are torn down.
  void MasterGone() {
    if (!Active()) return;
    if (Editing()) {
      state = TDataSetState::dsBrowse;
      buf.clear();
    }
    try {
      Reorganize(false);
    } catch (const std::exception&) {
      mmode = MasterMode::Empty;
      ++boundsGen;
      PositionFirst();
    }
  }

  void AfterMove() {
    Fire(self->AfterScroll);
    NotifyDetails();
  }

  // ---- fetching on demand ----
  bool PlainView() const { return spec.empty() && !filtView && !rangeOn && mmode == MasterMode::Off; }

  // Fetches rows more (a packet at least; all the rest when negative); answers how many came.
  int FetchRows(int rows) {
    if (!fetchPending || fetching) return 0;
    const int packet = self->packetRecords_;
    const int want = rows < 0 ? -1 : std::max(rows, packet > 0 ? packet : 1);
    if (self->BeforeFetch) self->BeforeFetch(static_cast<int>(self->FetchedRecordCount()), want);
    if (!fetchPending) return 0;   // the hook's wait may have settled the rows otherwise
    fetching = true;
    int got = 0;
    try {
      got = self->DoFetchPacket(want);
    } catch (...) {
      fetching = false;
      throw;
    }
    fetching = false;
    if (want < 0 || got < want) fetchPending = false;
    InvalidateCache();
    ++boundsGen;
    return got;
  }
  void FetchAll() { FetchRows(-1); }

  // Rows held after the current one (all held rows when there is none).
  int64_t RowsAhead() {
    Pos p, lo, hi;
    if (!Resolve(p, lo, hi)) return 0;
    const RowList& l = View().List();
    return static_cast<int64_t>(l.rank(hi)) - static_cast<int64_t>(l.rank(p)) - 1;
  }

  void AppendFetched(const std::vector<Variant>& values) {
    uint32_t r = st->NewRow(-1);
    try {
      for (size_t k = 0; k < st->defs.size(); ++k)
        st->cols[k].Set(r, k < values.size() ? detail::ConvertForField(st->defs[k], values[k]) : Variant());
    } catch (...) {
      st->KillRow(r);
      throw;
    }
    st->status[r] = static_cast<uint8_t>(TUpdateStatus::usUnmodified);
    for (auto& ix : st->Indexes()) ix->Add(r);
    for (Impl* c : Cursors()) {
      if (c->filtView && c->Passes(r)) c->filtView->Add(r);
      c->InvalidateCache();
      ++c->boundsGen;
    }
  }

  // ---- editing ----
  void CheckBrowseMode() {
    CheckActive();
    if (!Editing()) return;
    if (modified) Post(); else Cancel();
  }

  void BeginInsert(int64_t before) {
    CheckActive();
    CheckBrowseMode();
    // An inserted row must never meet itself again from the source.
    FetchAll();
    Fire(self->BeforeInsert);
    buf.assign(st->defs.size(), Variant());
    insertBefore = before;
    state = TDataSetState::dsInsert;
    try {
      if (mmode == MasterMode::Key)
        for (size_t i = 0; i < masterVals.size() && i < spec.fields.size(); ++i)
          buf[spec.fields[i]] = detail::ConvertForField(st->defs[spec.fields[i]], masterVals[i]);
      Fire(self->OnNewRecord);
    } catch (...) {
      state = TDataSetState::dsBrowse;
      buf.clear();
      throw;
    }
    modified = false;
    Fire(self->AfterInsert);
    AfterMove();
  }

  void SetFieldValue(int k, const Variant& v) {
    if (!Editing())
      throw EDataSetError(fmt::format("Campo {}: o data set não está em edição ou inclusão", st ? st->defs[k].Name : ""));
    buf[k] = detail::ConvertForField(st->defs[k], v);
    if (state == TDataSetState::dsEdit) tocado[k] = 1;
    modified = true;
    NotifyDetails();
  }

  void CheckRequired() const {
    for (size_t k = 0; k < buf.size(); ++k)
      if (st->defs[k].Required && (Tocado(k) ? buf[k].IsNull() : st->cols[k].IsNull(static_cast<uint32_t>(cur))))
        throw EDataSetError(fmt::format("O campo {} deve ter um valor", st->defs[k].Name));
  }

  void ReleaseUniques() {
    if (st)
      for (auto& u : uniques) st->Release(u.ix);
    uniques.clear();
    uniquesStale = true;
  }

  void AcquireUniques() {
    ReleaseUniques();
    try {
      for (auto& d : indexDefs)
        if (d.options & ixUnique) uniques.push_back({d.name, st->Acquire(SpecFromNames(d.fields, d.options, d.descFields))});
    } catch (...) {
      ReleaseUniques();
      throw;
    }
    uniquesStale = false;
  }

  // Throws when row (field values) would repeat the key of a row other than self_row in one of
  // this cursor's unique indexes.
  void CheckUniqueOf(const std::vector<Variant>& row, int64_t self_row, const std::string& who) {
    if (uniquesStale) AcquireUniques();
    for (auto& u : uniques) {
      std::vector<KeyCell> keys;
      for (int k : u.ix->Spec().fields) keys.push_back(st->cols[k].MakeKey(st->defs[k], row[k]));
      const RowList& l = u.ix->List();
      for (Pos p = u.ix->LowerBound(keys); p < l.end() && u.ix->CompareKey(l.at(p), keys) == 0; l.next(p))
        if (static_cast<int64_t>(l.at(p)) != self_row)
          throw EDataSetError(fmt::format("Chave duplicada no índice {} de {}", u.name, who));
    }
  }

  // Every cursor's unique indexes hold, since the rows are shared.
  void CheckUnique(int64_t self_row) {
    for (auto* c : st->cursors) {
      Impl* i = Of(c);
      if (i->uniquesStale) i->AcquireUniques();
      for (auto& u : i->uniques)
        for (int k : u.ix->Spec().fields) CarregaEditado(static_cast<size_t>(k));
    }
    for (auto* c : st->cursors) Of(c)->CheckUniqueOf(buf, self_row, self->Name());
  }

  void Post() {
    CheckActive();
    if (!Editing()) return;
    Fire(self->BeforePost);
    CheckRequired();
    bool inserting = state == TDataSetState::dsInsert;
    CheckUnique(inserting ? -1 : cur);
    self->DoBeforeWrite(inserting);
    if (inserting) CommitInsert(); else CommitEdit();
    state = TDataSetState::dsBrowse;
    buf.clear();
    modified = false;
    Fire(self->AfterPost);
    NotifyDetails();
  }

  std::vector<Impl*> Cursors() const {
    std::vector<Impl*> out;
    for (auto* c : st->cursors) out.push_back(Of(c));
    return out;
  }

  void CommitInsert() {
    int64_t before = (insertBefore >= 0 && st->Alive(insertBefore)) ? insertBefore : -1;
    uint32_t r = st->NewRow(before);
    for (size_t k = 0; k < buf.size(); ++k) st->cols[k].Set(r, buf[k]);
    auto cursors = Cursors();
    std::vector<char> pass(cursors.size(), 1);
    try {
      for (size_t i = 0; i < cursors.size(); ++i)
        if (cursors[i]->filtView) pass[i] = cursors[i]->Passes(r);
    } catch (...) {
      st->KillRow(r);
      throw;
    }
    for (auto& ix : st->Indexes()) ix->Add(r);
    for (size_t i = 0; i < cursors.size(); ++i)
      if (cursors[i]->filtView && pass[i]) cursors[i]->filtView->Add(r);
    InvalidateCache();
    if (IsVisible(r)) {
      cur = r;
      eof = bof = false;
    } else {
      PositionNear(r);
    }
  }

  void CommitEdit() {
    uint32_t r = static_cast<uint32_t>(cur);
    std::vector<int> changed;
    for (size_t k = 0; k < buf.size(); ++k)
      if (tocado[k] && !st->cols[k].Holds(r, buf[k])) changed.push_back(static_cast<int>(k));
    if (changed.empty()) return;
    auto touches = [&](const KeySpec& s) {
      for (int k : changed)
        if (std::find(s.fields.begin(), s.fields.end(), k) != s.fields.end()) return true;
      return false;
    };
    auto cursors = Cursors();
    // Where the row stands now in every order it may leave, found with its old values.
    struct IxWork { OrderedRows* ix; Pos at; };
    std::vector<IxWork> ixWork;
    for (auto& ix : st->Indexes())
      if (touches(ix->Spec())) ixWork.push_back({ix.get(), ix->Find(r)});
    // moves: the change may move the row in the cursor's order, range or filter. A cursor whose order
    // and filter read none of the changed fields keeps the row where it stands.
    struct CurWork { Impl* c; bool keyMoves, reeval, moves, wasIn, nowIn; Pos at; int64_t next, prev; };
    std::vector<CurWork> cw;
    for (Impl* c : cursors) {
      CurWork w{c, false, false, false, false, false, {}, -1, -1};
      if (c->filtView) {
        w.keyMoves = touches(c->spec);
        w.reeval = c->self->OnFilterRecord || (c->filterExpr && std::any_of(changed.begin(), changed.end(), [&](int k) {
                     return c->filterExpr->Uses(static_cast<size_t>(k));
                   }));
        if (w.keyMoves || w.reeval) {
          w.at = c->filtView->Find(r);
          w.wasIn = !(w.at == c->filtView->List().end());
        }
      }
      w.moves = w.reeval || touches(c->spec);
      if (w.moves && c->cur == static_cast<int64_t>(r)) c->Neighbours(r, w.next, w.prev);
      cw.push_back(w);
    }
    for (Impl* c : cursors)
      if (c != this && c->state == TDataSetState::dsEdit && c->cur == static_cast<int64_t>(r)) c->CarregaEdicao();
    std::vector<Variant> old;
    for (int k : changed) old.push_back(st->cols[k].Get(r));
    for (int k : changed) st->cols[k].Set(r, buf[k]);
    try {
      for (auto& w : cw) w.nowIn = w.reeval ? w.c->Passes(r) : w.wasIn;
    } catch (...) {
      for (size_t i = 0; i < changed.size(); ++i) st->cols[changed[i]].Set(r, old[i]);
      throw;
    }
    if (st->status[r] == static_cast<uint8_t>(TUpdateStatus::usUnmodified))
      st->status[r] = static_cast<uint8_t>(TUpdateStatus::usModified);
    for (auto& w : ixWork) {
      if (!(w.at == w.ix->List().end())) w.ix->EraseAt(w.at);
      w.ix->Add(r);
    }
    for (auto& w : cw) {
      if (!w.c->filtView || !(w.keyMoves || w.reeval)) continue;
      if (w.wasIn && (w.keyMoves || !w.nowIn)) w.c->filtView->EraseAt(w.at);
      if (w.nowIn && (w.keyMoves || !w.wasIn)) w.c->filtView->Add(r);
    }
    for (auto& w : cw) {
      w.c->InvalidateCache();
      if (w.c->cur != static_cast<int64_t>(r)) continue;
      if (w.moves) w.c->MoveOff(r, w.next, w.prev);
      if (w.c != this) w.c->NotifyDetails();
    }
    if (cur == static_cast<int64_t>(r)) eof = bof = false;
  }

  void Cancel() {
    CheckActive();
    if (!Editing()) return;
    bool wasInsert = state == TDataSetState::dsInsert;
    Fire(self->BeforeCancel);
    state = TDataSetState::dsBrowse;
    buf.clear();
    modified = false;
    Fire(self->AfterCancel);
    if (wasInsert) Fire(self->AfterScroll);
    NotifyDetails();
  }

  void Delete() {
    CheckActive();
    if (state == TDataSetState::dsInsert) {
      Cancel();
      return;
    }
    if (state == TDataSetState::dsEdit) Cancel();
    Pos p, lo, hi;
    if (!Resolve(p, lo, hi)) throw EDataSetError(fmt::format("Não há registro a excluir em {}", self->Name()));
    // The row after the last one held is fetched first, so that the cursor moves on to it.
    if (fetchPending && RowsAhead() == 0) FetchRows(1);
    Fire(self->BeforeDelete);
    self->DoBeforeDeleteRow();
    uint32_t r = static_cast<uint32_t>(cur);
    auto cursors = Cursors();
    std::vector<std::pair<int64_t, int64_t>> nb(cursors.size(), {-1, -1});
    for (size_t i = 0; i < cursors.size(); ++i)
      if (cursors[i]->cur == static_cast<int64_t>(r)) cursors[i]->Neighbours(r, nb[i].first, nb[i].second);
    for (auto& ix : st->Indexes()) ix->Erase(r);
    for (Impl* c : cursors)
      if (c->filtView) c->filtView->Erase(r);
    st->KillRow(r);
    for (size_t i = 0; i < cursors.size(); ++i) {
      Impl* c = cursors[i];
      c->InvalidateCache();
      if (c->cur != static_cast<int64_t>(r)) continue;
      if (c->Editing()) {  // another cursor was editing the row: its edit is void
        c->state = TDataSetState::dsBrowse;
        c->buf.clear();
      }
      c->MoveOff(r, nb[i].first, nb[i].second);
      if (c != this) c->NotifyDetails();
    }
    bof = false;
    if (cur < 0) eof = bof = true;
    Fire(self->AfterDelete);
    AfterMove();
  }

  // ---- lifecycle ----
  void Attach(std::shared_ptr<Store> s) {
    st = std::move(s);
    st->cursors.push_back(this);
    BuildFields(st->defs);
    index = nullptr;
    spec = {};
  }

  void Detach() {
    if (!st) return;
    filtView.reset();
    ReleaseUniques();
    st->Release(index);
    index = nullptr;
    auto& cs = st->cursors;
    cs.erase(std::remove(cs.begin(), cs.end(), static_cast<detail::CursorBase*>(this)), cs.end());
    st.reset();
    fetchPending = false;
    state = TDataSetState::dsInactive;
    buf.clear();
    modified = false;
    cur = -1;
    eof = bof = true;
    mmode = MasterMode::Off;
    masterVals.clear();
    masterKey.clear();
    InvalidateCache();
  }

  // Opens the view over the attached rows; on failure the data set stays closed.
  void OpenView() {
    state = TDataSetState::dsBrowse;
    cur = -1;
    try {
      CompileFilter();
      Reorganize(false);
    } catch (...) {
      Detach();
      throw;
    }
  }

  // ---- searches ----
  // The first visible row whose fields match; -1 when none.
  int64_t FindRow(const std::string& fieldNames, const std::vector<Variant>& values, unsigned options,
                  Pos* at = nullptr) {
    CheckActive();
    FetchAll();
    auto names = SplitNames(fieldNames);
    if (names.size() != values.size())
      throw EDataSetError(fmt::format("Busca em {}: {} campos e {} valores", self->Name(), names.size(), values.size()));
    std::vector<int> ks;
    std::vector<KeyCell> cells;
    for (size_t i = 0; i < names.size(); ++i) {
      int k = RequireField(names[i]);
      ks.push_back(k);
      cells.push_back(st->cols[k].MakeKey(st->defs[k], values[i]));
    }
    bool ci = (options & loCaseInsensitive) != 0, partial = (options & loPartialKey) != 0;
    auto match = [&](uint32_t r) {
      for (size_t i = 0; i < ks.size(); ++i) {
        const detail::Column& c = st->cols[ks[i]];
        const KeyCell& key = cells[i];
        if (key.null || c.IsNull(r)) {
          if (key.null != c.IsNull(r)) return false;
          continue;
        }
        if (c.kind == detail::Kind::Str) {
          const std::string& s = c.s[r];
          bool ok = partial ? (ci ? CollatePrefix(s, key.s) : s.compare(0, key.s.size(), key.s) == 0)
                            : (ci ? detail::CollateCompare(s, key.s) == 0 : s == key.s);
          if (!ok) return false;
        } else if (c.CompareKey(r, key) != 0) {
          return false;
        }
      }
      return true;
    };
    Pos lo, hi;
    Bounds(lo, hi);
    OrderedRows& v = View();
    const RowList& l = v.List();
    // The active index serves when the searched fields are its leading fields, in any order.
    bool useIndex = !partial && !ks.empty() && ks.size() <= spec.fields.size();
    std::vector<KeyCell> ordered;
    for (size_t i = 0; useIndex && i < ks.size(); ++i) {
      auto it = std::find(ks.begin(), ks.end(), spec.fields[i]);
      if (it == ks.end()) useIndex = false;
      else ordered.push_back(cells[static_cast<size_t>(it - ks.begin())]);
    }
    if (useIndex) {
      for (Pos p = std::max(lo, v.LowerBound(ordered)); p < hi && v.CompareKey(l.at(p), ordered) == 0; l.next(p))
        if (match(l.at(p))) {
          if (at) *at = p;
          return l.at(p);
        }
      return -1;
    }
    for (Pos p = lo; p < hi; l.next(p))
      if (match(l.at(p))) {
        if (at) *at = p;
        return l.at(p);
      }
    return -1;
  }

  void GoTo(Pos p) {
    SetCurrent(p);
    eof = bof = false;
    AfterMove();
  }
};

// ---------------------------------------------------------------------------------------------
// TField

TField::TField(TClientDataSet* ds, int index, TFieldDef def) : ds_(ds), index_(index), def_(std::move(def)) {}

Variant TField::Value() const {
  const auto& im = *ds_->impl_;
  if (im.filterRow >= 0) return im.st->cols[index_].Get(static_cast<uint32_t>(im.filterRow));
  if (im.Editing()) return im.ValorEditado(static_cast<size_t>(index_));
  if (im.st && im.cur >= 0) return im.st->cols[index_].Get(static_cast<uint32_t>(im.cur));
  return Variant();
}

Variant TField::OldValue() const {
  const auto& im = *ds_->impl_;
  if (im.state == TDataSetState::dsInsert) return Variant();
  if (im.state == TDataSetState::dsEdit) return im.st->cols[index_].Get(static_cast<uint32_t>(im.cur));
  return Value();
}

void TField::SetValue(const Variant& v) { ds_->impl_->SetFieldValue(index_, v); }
bool TField::Holds(const Variant& v) const { return detail::ConvertForField(def_, v).Raw() == Value().Raw(); }
void TField::Clear() { SetValue(Variant()); }

bool TField::IsNull() const {
  const auto& im = *ds_->impl_;
  if (im.filterRow < 0 && !im.Editing()) return !(im.st && im.cur >= 0) || im.st->cols[index_].IsNull(static_cast<uint32_t>(im.cur));
  return Value().IsNull();
}

int64_t TField::AsInteger() const {
  const auto& im = *ds_->impl_;
  if (im.filterRow < 0 && !im.Editing() && im.st && im.cur >= 0) {
    const auto& c = im.st->cols[index_];
    if (c.kind == detail::Kind::Int) return c.IsNull(static_cast<uint32_t>(im.cur)) ? 0 : c.i[im.cur];
  }
  return FieldGuard(def_.Name, [&] { return Value().AsInteger(); });
}

std::string TField::AsString() const {
  const auto& im = *ds_->impl_;
  if (im.filterRow < 0 && !im.Editing() && im.st && im.cur >= 0) {
    const auto& c = im.st->cols[index_];
    if (c.kind == detail::Kind::Str) return c.s[im.cur];
  }
  return Value().AsString();
}

Currency TField::AsCurrency() const {
  const auto& im = *ds_->impl_;
  if (im.filterRow < 0 && !im.Editing() && im.st && im.cur >= 0) {
    const auto& c = im.st->cols[index_];
    if (c.kind == detail::Kind::Cur) return Currency::FromRaw(c.IsNull(static_cast<uint32_t>(im.cur)) ? 0 : c.i[im.cur]);
  }
  return FieldGuard(def_.Name, [&] { return Value().AsCurrency(); });
}

double TField::AsFloat() const { return FieldGuard(def_.Name, [&] { return Value().AsFloat(); }); }
bool TField::AsBoolean() const { return FieldGuard(def_.Name, [&] { return Value().AsBoolean(); }); }
TDateTime TField::AsDateTime() const { return FieldGuard(def_.Name, [&] { return Value().AsDateTime(); }); }

// ---------------------------------------------------------------------------------------------
// TClientDataSet

TClientDataSet::TClientDataSet(TComponent* owner) : TComponent(owner), impl_(std::make_unique<Impl>(this)) {}

TClientDataSet::~TClientDataSet() {
  Impl& im = *impl_;
  if (im.master) {
    auto& d = im.master->details_;
    d.erase(std::remove(d.begin(), d.end(), this), d.end());
    im.master = nullptr;
  }
  auto srcs = im.sources;
  for (TDataSource* s : srcs) {
    s->ds_ = nullptr;
    for (TClientDataSet* d : s->details_) d->impl_->MasterGone();
  }
  im.Detach();
}

void TClientDataSet::AddFieldDef(const std::string& name, TFieldType type, int size, bool required) {
  if (impl_->Active()) throw EDataSetError(fmt::format("{}: não se definem campos com o data set aberto", Name()));
  for (auto& d : impl_->defs)
    if (SameText(d.Name, name)) throw EDataSetError(fmt::format("Campo '{}' definido duas vezes", name));
  impl_->defs.push_back(TFieldDef{name, type, size, required});
}

const std::vector<TFieldDef>& TClientDataSet::FieldDefs() const { return impl_->Defs(); }

void TClientDataSet::ClearFieldDefs() {
  if (impl_->Active()) throw EDataSetError(fmt::format("{}: não se apagam campos com o data set aberto", Name()));
  impl_->defs.clear();
}

void TClientDataSet::CreateDataSet() {
  Impl& im = *impl_;
  if (im.Active()) Close();
  if (im.defs.empty()) throw EDataSetError(fmt::format("{}: data set sem campos", Name()));
  im.Attach(std::make_shared<Store>(im.defs));
  im.OpenView();
  im.Fire(AfterOpen);
  im.NotifyDetails();
}

void TClientDataSet::Open() {
  if (!impl_->Active()) CreateDataSet();
}

void TClientDataSet::Close() {
  Impl& im = *impl_;
  if (!im.Active()) return;
  im.Fire(BeforeClose);
  im.defs = im.st->defs;
  im.Detach();
  im.NotifyDetails();
}

bool TClientDataSet::Active() const { return impl_->Active(); }

void TClientDataSet::EmptyDataSet() {
  Impl& im = *impl_;
  im.CheckActive();
  im.Cancel();
  im.fetchPending = false;
  auto cursors = im.Cursors();
  for (Impl* c : cursors) {
    if (c->Editing()) {
      c->state = TDataSetState::dsBrowse;
      c->buf.clear();
    }
  }
  im.st->Clear();
  for (Impl* c : cursors) {
    if (c->filtView) c->filtView->Clear();
    c->InvalidateCache();
    c->cur = -1;
    c->eof = c->bof = true;
  }
  for (Impl* c : cursors) c->NotifyDetails();
}

void TClientDataSet::CopyStructure(const TClientDataSet& other) {
  std::vector<TFieldDef> d = other.FieldDefs();
  bool wasActive = Active();
  Close();
  impl_->defs = std::move(d);
  if (wasActive) CreateDataSet();
}

int TClientDataSet::FieldCount() const { return static_cast<int>(impl_->fields.size()); }

TField& TClientDataSet::Fields(int i) const {
  if (i < 0 || i >= FieldCount()) throw EDataSetError(fmt::format("{}: campo {} fora da faixa", Name(), i));
  return *impl_->fields[i];
}

TField& TClientDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) throw EDataSetError(fmt::format("Campo '{}' não encontrado em {}", name, Name()));
  return *f;
}

TField* TClientDataSet::FindField(std::string_view name) const {
  int k = impl_->FieldIndex(name);
  return k < 0 ? nullptr : impl_->fields[k].get();
}

// ---- navigation ----

void TClientDataSet::First() {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  im.PositionFirst();
  im.AfterMove();
}

void TClientDataSet::Last() {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  im.FetchAll();
  Pos lo, hi;
  im.Bounds(lo, hi);
  if (lo == hi) {
    im.cur = -1;
    im.eof = im.bof = true;
  } else {
    Pos p = hi;
    im.View().List().prev(p);
    im.SetCurrent(p);
    im.eof = true;
    im.bof = false;
  }
  im.AfterMove();
}

void TClientDataSet::Next() { MoveBy(1); }
void TClientDataSet::Prior() { MoveBy(-1); }

int TClientDataSet::MoveBy(int distance) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  if (distance > 0 && im.fetchPending) {
    const int64_t ahead = im.RowsAhead();
    if (ahead < distance) im.FetchRows(static_cast<int>(distance - ahead));
  }
  Pos p, lo, hi;
  if (!im.Resolve(p, lo, hi)) {
    im.eof = im.bof = true;
    return 0;
  }
  const RowList& l = im.View().List();
  int moved = 0;
  if (distance == 1 || distance == -1) {  // the common step, without counting rows
    Pos q = p;
    if (distance == 1) {
      l.next(q);
      if (q < hi) moved = 1;
    } else if (lo < p) {
      l.prev(q);
      moved = -1;
    }
    if (moved) im.SetCurrent(q);
  } else if (distance != 0) {
    int64_t rp = static_cast<int64_t>(l.rank(p)), rlo = static_cast<int64_t>(l.rank(lo)),
            rhi = static_cast<int64_t>(l.rank(hi));
    int64_t target = std::clamp<int64_t>(rp + distance, rlo, rhi - 1);
    moved = static_cast<int>(target - rp);
    if (moved) im.SetCurrent(l.select(static_cast<size_t>(target)));
  }
  if (distance > 0) {
    im.bof = false;
    im.eof = moved < distance;
  } else if (distance < 0) {
    im.eof = false;
    im.bof = moved > distance;
  }
  if (moved) im.AfterMove();
  return moved;
}

bool TClientDataSet::Eof() const { return !impl_->Active() || impl_->eof; }
bool TClientDataSet::Bof() const { return !impl_->Active() || impl_->bof; }
bool TClientDataSet::IsEmpty() const {
  Impl& im = *impl_;
  if (!im.Active()) return true;
  if (FetchedRecordCount() > 0) return false;
  return im.FetchRows(1) == 0 || FetchedRecordCount() == 0;
}

int TClientDataSet::RecordCount() const {
  impl_->CheckActive();
  impl_->FetchAll();
  return FetchedRecordCount();
}

bool TClientDataSet::FetchPending() const { return impl_->fetchPending; }

void TClientDataSet::FetchAll() {
  impl_->CheckActive();
  impl_->FetchAll();
}

void TClientDataSet::AppendFetched(const std::vector<Variant>& values) {
  impl_->CheckActive();
  impl_->AppendFetched(values);
}

void TClientDataSet::SetFetchPending(bool pending) {
  Impl& im = *impl_;
  im.fetchPending = pending && im.Active();
  if (im.fetchPending && !im.PlainView()) im.FetchAll();
}

int TClientDataSet::FetchedRecordCount() const {
  Impl& im = *impl_;
  im.CheckActive();
  Pos lo, hi;
  im.Bounds(lo, hi);
  const RowList& l = im.View().List();
  return static_cast<int>(l.rank(hi) - l.rank(lo));
}

int TClientDataSet::RecNo() const {
  Impl& im = *impl_;
  if (!im.Active()) return 0;
  Pos p, lo, hi;
  if (!im.Resolve(p, lo, hi)) return 0;
  const RowList& l = im.View().List();
  return static_cast<int>(l.rank(p) - l.rank(lo)) + 1;
}

void TClientDataSet::SetRecNo(int recno) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  if (im.fetchPending) {
    const int held = FetchedRecordCount();
    if (recno > held) im.FetchRows(recno - held);
  }
  Pos lo, hi;
  im.Bounds(lo, hi);
  const RowList& l = im.View().List();
  size_t rlo = l.rank(lo), count = l.rank(hi) - rlo;
  if (count == 0) return;
  size_t n = static_cast<size_t>(std::clamp(recno, 1, static_cast<int>(count)));
  im.SetCurrent(l.select(rlo + n - 1));
  im.eof = im.bof = false;
  im.AfterMove();
}

// ---- editing ----

TDataSetState TClientDataSet::State() const { return impl_->state; }

void TClientDataSet::Append() { impl_->BeginInsert(-1); }

void TClientDataSet::Insert() {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  Pos p, lo, hi;
  im.BeginInsert(im.Resolve(p, lo, hi) ? im.cur : -1);
}

void TClientDataSet::Edit() {
  Impl& im = *impl_;
  im.CheckActive();
  if (im.Editing()) return;
  Pos p, lo, hi;
  if (!im.Resolve(p, lo, hi)) {  // nothing to edit: a new row, as the suite's data sets do
    Append();
    return;
  }
  im.Fire(BeforeEdit);
  im.buf.assign(im.st->defs.size(), Variant());
  im.tocado.assign(im.buf.size(), 0);
  im.state = TDataSetState::dsEdit;
  im.modified = false;
  im.Fire(AfterEdit);
}

void TClientDataSet::Post() { impl_->Post(); }
void TClientDataSet::Cancel() { impl_->Cancel(); }
void TClientDataSet::Delete() { impl_->Delete(); }

void TClientDataSet::AppendRecord(const std::vector<Variant>& values) {
  Append();
  try {
    for (size_t i = 0; i < values.size() && i < impl_->fields.size(); ++i) impl_->fields[i]->SetValue(values[i]);
    Post();
  } catch (...) {
    if (impl_->Editing()) Cancel();
    throw;
  }
}

void TClientDataSet::CopyFieldsByName(const TClientDataSet& src) { TCamposEmComum(src, *this).Copia(); }

TCamposEmComum::TCamposEmComum(const TClientDataSet& de, TClientDataSet& para) {
  // Paired from the narrower side (a wide row copied into a few fields would look every wide field's
  // name up), then kept in de's order, as a walk of de's fields sets them.
  if (para.FieldCount() >= de.FieldCount()) {
    for (int i = 0; i < de.FieldCount(); ++i)
      if (TField* f = para.FindField(de.Fields(i).FieldName())) pares_.emplace_back(&de.Fields(i), f);
    return;
  }
  for (int i = 0; i < para.FieldCount(); ++i)
    if (const TField* f = de.FindField(para.Fields(i).FieldName())) pares_.emplace_back(f, &para.Fields(i));
  std::sort(pares_.begin(), pares_.end(), [](const auto& x, const auto& y) { return x.first->Index() < y.first->Index(); });
}

void TCamposEmComum::Copia() const {
  for (const auto& [de, para] : pares_) para->SetValue(de->Value());
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
  const Impl& im = *impl_;
  if (im.state == TDataSetState::dsInsert) return TUpdateStatus::usInserted;
  if (!im.st || im.cur < 0) return TUpdateStatus::usUnmodified;
  return static_cast<TUpdateStatus>(im.st->status[im.cur]);
}

void TClientDataSet::MergeChangeLog() {
  Impl& im = *impl_;
  im.CheckActive();
  for (auto& s : im.st->status)
    if (s != Store::kDead) s = static_cast<uint8_t>(TUpdateStatus::usUnmodified);
}

// ---- filter ----

void TClientDataSet::SetFilter(const std::string& expr) {
  Impl& im = *impl_;
  if (im.Active() && im.filtered) {
    im.CheckBrowseMode();
    im.FetchAll();
    std::string old = im.filterText;
    im.filterText = expr;
    try {
      im.CompileFilter();
    } catch (...) {
      im.filterText = old;
      im.CompileFilter();
      throw;
    }
    im.RebuildFilterView();
    im.PositionFirst();
    im.AfterMove();
  } else {
    im.filterText = expr;
  }
}

const std::string& TClientDataSet::Filter() const { return impl_->filterText; }

void TClientDataSet::SetFiltered(bool on) {
  Impl& im = *impl_;
  if (!im.Active()) {
    im.filtered = on;
    return;
  }
  im.CheckBrowseMode();
  if (on) im.FetchAll();
  bool old = im.filtered;
  im.filtered = on;
  try {
    im.CompileFilter();
  } catch (...) {
    im.filtered = old;
    im.CompileFilter();
    throw;
  }
  im.RebuildFilterView();
  im.PositionFirst();
  im.AfterMove();
}

bool TClientDataSet::Filtered() const { return impl_->filtered; }

// ---- indexes ----

void TClientDataSet::SetIndexFieldNames(const std::string& fields) {
  Impl& im = *impl_;
  if (!im.Active()) {
    im.indexFieldNames = fields;
    im.indexName.clear();
    return;
  }
  im.ChangeIndex(fields, "");
}

const std::string& TClientDataSet::IndexFieldNames() const { return impl_->indexFieldNames; }

void TClientDataSet::AddIndexDef(const std::string& name, const std::string& fields, unsigned options,
                                 const std::string& descFields) {
  Impl& im = *impl_;
  Impl::IndexDef d{name, fields, descFields, options};
  im.ReleaseUniques();
  if (auto* existing = const_cast<Impl::IndexDef*>(im.FindIndexDef(name))) {
    *existing = d;
    if (im.Active() && SameText(im.indexName, name)) SetIndexName(name);
    return;
  }
  im.indexDefs.push_back(std::move(d));
}

void TClientDataSet::ClearIndexDefs() {
  Impl& im = *impl_;
  im.indexDefs.clear();
  im.ReleaseUniques();
  if (!im.indexName.empty()) SetIndexName("");
}

bool TClientDataSet::HasIndexDef(const std::string& name) const { return impl_->FindIndexDef(name) != nullptr; }

void TClientDataSet::SetIndexName(const std::string& name) {
  Impl& im = *impl_;
  if (!name.empty() && !im.FindIndexDef(name)) throw EDataSetError(fmt::format("Índice '{}' não encontrado em {}", name, Name()));
  if (!im.Active()) {
    im.indexName = name;
    if (!name.empty()) im.indexFieldNames.clear();
    return;
  }
  im.ChangeIndex(name.empty() ? im.indexFieldNames : std::string(), name);
}

const std::string& TClientDataSet::IndexName() const { return impl_->indexName; }

bool TClientDataSet::FindKey(const std::vector<Variant>& key) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  im.FetchAll();
  im.RequireIndex("FindKey");
  auto keys = im.MakeKeys(key);
  Pos lo, hi;
  im.Bounds(lo, hi);
  OrderedRows& v = im.View();
  Pos p = std::max(lo, v.LowerBound(keys));
  if (!(p < hi) || v.CompareKey(v.List().at(p), keys) != 0) return false;
  im.GoTo(p);
  return true;
}

void TClientDataSet::FindNearest(const std::vector<Variant>& key) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  im.FetchAll();
  im.RequireIndex("FindNearest");
  auto keys = im.MakeKeys(key);
  Pos lo, hi;
  im.Bounds(lo, hi);
  if (lo == hi) return;
  OrderedRows& v = im.View();
  Pos p = std::max(lo, v.LowerBound(keys));
  if (!(p < hi)) {
    p = hi;
    v.List().prev(p);
  }
  im.GoTo(p);
}

bool TClientDataSet::Locate(const std::string& fields, const std::vector<Variant>& values, unsigned options) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  Pos p;
  if (im.FindRow(fields, values, options, &p) < 0) return false;
  im.GoTo(p);
  return true;
}

Variant TClientDataSet::Lookup(const std::string& keyFields, const std::vector<Variant>& keyValues,
                               const std::string& resultField) {
  Impl& im = *impl_;
  int k = im.RequireField(resultField);
  int64_t r = im.FindRow(keyFields, keyValues, 0);
  if (r < 0) return Variant();
  return im.st->cols[k].Get(static_cast<uint32_t>(r));
}

void TClientDataSet::SetRange(const std::vector<Variant>& startKey, const std::vector<Variant>& endKey) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  im.FetchAll();
  im.RequireIndex("SetRange");
  auto lo = im.MakeKeys(startKey);
  auto hi = im.MakeKeys(endKey);
  im.rangeLo = startKey;
  im.rangeHi = endKey;
  im.loKey = std::move(lo);
  im.hiKey = std::move(hi);
  im.rangeOn = true;
  ++im.boundsGen;
  im.PositionFirst();
  im.AfterMove();
}

void TClientDataSet::CancelRange() {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  if (!im.rangeOn) return;
  im.rangeOn = false;
  ++im.boundsGen;
  if (im.cur >= 0 && im.IsVisible(static_cast<uint32_t>(im.cur))) {
    im.InvalidateCache();
    im.eof = im.bof = false;
  } else {
    im.PositionFirst();
  }
  im.AfterMove();
}

// ---- master-detail ----

void TClientDataSet::SetMasterSource(TDataSource* src) {
  Impl& im = *impl_;
  if (im.master == src) return;
  if (src && src->DataSet() == this) throw EDataSetError(fmt::format("{} não pode ser mestre de si mesmo", Name()));
  if (im.Active()) {
    im.CheckBrowseMode();
    if (src) im.FetchAll();
  }
  if (im.master) {
    auto& d = im.master->details_;
    d.erase(std::remove(d.begin(), d.end(), this), d.end());
  }
  im.master = src;
  if (src) src->details_.push_back(this);
  if (im.Active()) {
    im.Reorganize(false);
    im.AfterMove();
  }
}

TDataSource* TClientDataSet::MasterSource() const { return impl_->master; }

void TClientDataSet::SetMasterFields(const std::string& fields) {
  Impl& im = *impl_;
  if (im.Active()) im.CheckBrowseMode();
  if (im.Active() && im.master) im.FetchAll();
  std::string old = im.masterFields;
  std::vector<std::string> oldNames = im.masterNames;
  im.masterFields = fields;
  im.masterNames = SplitNames(fields);
  im.masterFieldPtrs.clear();
  if (im.Active() && im.master) {
    try {
      im.Reorganize(false);
    } catch (...) {
      im.masterFields = old;
      im.masterNames = std::move(oldNames);
      im.masterFieldPtrs.clear();
      im.Reorganize(false);
      throw;
    }
    im.AfterMove();
  }
}

const std::string& TClientDataSet::MasterFields() const { return impl_->masterFields; }

// ---- clones ----

void TClientDataSet::CloneCursor(TClientDataSet& source, bool reset, bool keepSettings) {
  Impl& im = *impl_;
  Impl& src = *source.impl_;
  src.CheckActive();
  if (&source == this) return;
  src.FetchAll();   // a clone sees every row
  Close();
  if (!keepSettings) {
    if (reset) {
      im.indexFieldNames.clear();
      im.indexName.clear();
      im.filterText.clear();
      im.filtered = false;
      im.rangeOn = false;
    } else {
      im.indexDefs = src.indexDefs;
      im.indexFieldNames = src.indexFieldNames;
      im.indexName = src.indexName;
      im.filterText = src.filterText;
      im.filtered = src.filtered;
      im.rangeOn = src.rangeOn;
      im.rangeLo = src.rangeLo;
      im.rangeHi = src.rangeHi;
    }
  }
  im.Attach(src.st);
  im.OpenView();
  im.Fire(AfterOpen);
  im.NotifyDetails();
}

// ---- bookmarks and controls ----

TBookmark TClientDataSet::GetBookmark() const {
  Impl& im = *impl_;
  if (!im.Active()) return -1;
  Pos p, lo, hi;
  return im.Resolve(p, lo, hi) ? im.cur : -1;
}

bool TClientDataSet::BookmarkValid(TBookmark b) const {
  Impl& im = *impl_;
  return im.Active() && im.st->Alive(b) && im.IsVisible(static_cast<uint32_t>(b));
}

void TClientDataSet::GotoBookmark(TBookmark b) {
  Impl& im = *impl_;
  im.CheckBrowseMode();
  Pos p;
  if (!im.Active() || !im.st->Alive(b) || !im.IsVisible(static_cast<uint32_t>(b), &p))
    throw EDataSetError(fmt::format("{}: registro do marcador não encontrado", Name()));
  im.GoTo(p);
}

void TClientDataSet::DisableControls() { ++impl_->disable; }
void TClientDataSet::EnableControls() {
  if (impl_->disable > 0) --impl_->disable;
}
bool TClientDataSet::ControlsDisabled() const { return impl_->disable > 0; }

void TClientDataSet::BeginBulkLoad() { ++impl_->bulk; }
void TClientDataSet::EndBulkLoad() {
  if (impl_->bulk == 0 || --impl_->bulk > 0 || !impl_->bulkMoved) return;
  impl_->bulkMoved = false;
  impl_->NotifyDetails();
}

// ---------------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* owner, TClientDataSet* ds) : TComponent(owner) { SetDataSet(ds); }

TDataSource::~TDataSource() {
  if (ds_) {
    auto& s = ds_->impl_->sources;
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
  }
  auto dets = details_;
  details_.clear();
  for (TClientDataSet* d : dets) {
    d->impl_->master = nullptr;
    d->impl_->MasterGone();
  }
}

void TDataSource::SetDataSet(TClientDataSet* ds) {
  if (ds_ == ds) return;
  if (ds_) {
    auto& s = ds_->impl_->sources;
    s.erase(std::remove(s.begin(), s.end(), this), s.end());
  }
  ds_ = ds;
  if (ds_) ds_->impl_->sources.push_back(this);
  auto dets = details_;
  for (TClientDataSet* d : dets) d->impl_->MasterChanged();
}

}  // namespace vyn
