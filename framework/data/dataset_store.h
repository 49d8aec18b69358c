#pragma once
// The rows of a data set, kept by column, shared by every cursor cloned from it, and the orders
// (indexes) the cursors browse them in.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/data/client_dataset.h"
#include "framework/data/dataset_rowlist.h"

namespace vyn::detail {

enum class Kind : uint8_t { Int, Cur, Bool, Dbl, Str };
Kind KindOf(TFieldType t);

// Text order of the database collation (case and accents ignored, trailing blanks ignored).
int CollateCompare(std::string_view a, std::string_view b);

// A value converted to the field's type (integers as Int, money as Currency, dates as DateTime);
// throws EDataSetError naming the field.
Variant ConvertForField(const TFieldDef& def, const Variant& v);

// A search value prepared for one column, so that comparing it with a row costs no conversion.
struct KeyCell {
  bool null = false;
  bool whole = true;   // integer columns: the value is a whole number (i), else money units (i)
  int64_t i = 0;
  double d = 0;
  std::string s;
};

struct Column {
  TFieldType type = TFieldType::ftString;
  Kind kind = Kind::Str;
  std::vector<int64_t> i;      // integers, money units
  std::vector<double> d;       // floats, dates
  std::vector<uint8_t> b;      // booleans
  std::vector<std::string> s;  // text
  std::vector<bool> nul;

  bool IsNull(uint32_t r) const { return nul[r]; }
  Variant Get(uint32_t r) const;
  // Whether row r holds v (Get(r) would equal it), read in place.
  bool Holds(uint32_t r, const Variant& v) const;
  void PushNull();
  void Set(uint32_t r, const Variant& v);  // v converted by ConvertForField
  void Release(uint32_t r);                // frees what a deleted row holds
  void Clear();

  int Compare(uint32_t a, uint32_t b) const;
  int CompareKey(uint32_t r, const KeyCell& k) const;
  int CompareKeys(const KeyCell& a, const KeyCell& b) const;
  KeyCell RowKey(uint32_t r) const;
  KeyCell MakeKey(const TFieldDef& def, const Variant& v) const;
};

struct KeySpec {
  std::vector<int> fields;
  std::vector<uint8_t> desc;
  bool unique = false;
  bool operator==(const KeySpec&) const = default;
  bool empty() const { return fields.empty(); }
};

class Store;

// Rows in key order, ties in natural order. Rows out of order are held aside and merged when
// the order is next read, so that filling a data set stays cheap.
class OrderedRows {
 public:
  OrderedRows(const Store& st, KeySpec spec) : st_(st), spec_(std::move(spec)), list_(!spec_.empty()) {}
  const KeySpec& Spec() const { return spec_; }

  bool Less(uint32_t a, uint32_t b) const;
  // Compares row r with the first key.size() key fields.
  int CompareKey(uint32_t r, const std::vector<KeyCell>& key) const;

  void Add(uint32_t r);
  bool Erase(uint32_t r);
  void EraseAt(RowList::Pos p);   // p from Find, with nothing added since
  RowList::Pos Find(uint32_t r);        // end() when absent
  RowList::Pos Place(uint32_t r);       // where r stands, or would stand
  const RowList& List() { Flush(); return list_; }
  void Assign(const std::vector<uint32_t>& sorted);
  void Build(const std::vector<uint32_t>& rows);  // rows in any order
  void Clear() { pending_.clear(); list_.clear(); }
  RowList::Pos LowerBound(const std::vector<KeyCell>& key);   // first row >= key
  RowList::Pos UpperBound(const std::vector<KeyCell>& key);   // first row > key

  int refs = 0;

 private:
  void Flush();
  // The list's short key of a row: its leading key field squeezed into 64 bits so that
  // comparing two of them (CompareShort) either orders the rows as the field does or says 0
  // (cannot tell, or equal).
  uint64_t ShortKey(uint32_t r) const;
  uint64_t ShortKey(const KeyCell& k) const;
  int CompareShort(uint64_t a, uint64_t b) const;
  // First position where pred fails; pred must hold for rows whose leading field comes
  // before lead's and fail for those after it.
  template <class Pred>
  RowList::Pos Search(Pred pred, const uint64_t* lead);

  const Store& st_;
  KeySpec spec_;
  RowList list_;
  std::vector<uint32_t> pending_;
};

// What a store knows of the cursors browsing it.
struct CursorBase {
  virtual ~CursorBase() = default;
};

class Store {
 public:
  static constexpr uint8_t kDead = 255;
  static constexpr int64_t kGap = int64_t{1} << 32;

  explicit Store(std::vector<TFieldDef> defs);

  std::vector<TFieldDef> defs;
  std::vector<Column> cols;
  std::vector<int64_t> seq;       // natural order label
  std::vector<uint8_t> status;    // TUpdateStatus, or kDead
  size_t live = 0;
  std::vector<CursorBase*> cursors;

  bool Alive(int64_t r) const { return r >= 0 && static_cast<size_t>(r) < status.size() && status[r] != kDead; }
  uint32_t RowCapacity() const { return static_cast<uint32_t>(status.size()); }

  OrderedRows& Natural() { return *indexes_[0]; }
  OrderedRows* Acquire(const KeySpec& spec);   // shared by cursors with the same order
  void Release(OrderedRows* ix);
  const std::vector<std::unique_ptr<OrderedRows>>& Indexes() const { return indexes_; }

  // A new row (all null, not yet in any order) placed last, or just before row `before`.
  uint32_t NewRow(int64_t before);
  void KillRow(uint32_t r);
  void Clear();

 private:
  int64_t SeqBefore(uint32_t x);
  void Relabel();
  std::vector<std::unique_ptr<OrderedRows>> indexes_;
  int64_t next_seq_ = kGap;
};

}  // namespace vyn::detail
