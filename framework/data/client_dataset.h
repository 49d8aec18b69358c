#pragma once
// The in-memory data set every screen and engine works on.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/variant.h"

namespace vyn {

class EDataSetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TFieldType { ftUnknown, ftInteger, ftSmallint, ftLargeint, ftBoolean, ftCurrency, ftFloat, ftString, ftMemo, ftDate, ftDateTime };
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TUpdateStatus { usUnmodified, usModified, usInserted };

struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftString;
  int Size = 0;            // characters for strings; 0 = unlimited
  bool Required = false;
};

class TClientDataSet;

// A field of a data set: reads and writes the current record (the edit buffer while editing).
class TField {
 public:
  TField(TClientDataSet* ds, int index, TFieldDef def);
  const std::string& FieldName() const { return def_.Name; }
  TFieldType DataType() const { return def_.DataType; }
  int Size() const { return def_.Size; }
  int Index() const { return index_; }
  TClientDataSet& DataSet() const { return *ds_; }

  Variant Value() const;
  Variant OldValue() const;               // the value before the current Edit (Value when browsing)
  void SetValue(const Variant& v);        // converted to the field's type; throws when not in Edit/Insert
  // Whether SetValue(v) would leave the value as it is: a writer may then spare the row's Edit and Post.
  bool Holds(const Variant& v) const;
  bool IsNull() const;
  void Clear();                           // sets null

  int64_t AsInteger() const;
  std::string AsString() const;
  Currency AsCurrency() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  void SetAsInteger(int64_t v) { SetValue(Variant(static_cast<long long>(v))); }
  void SetAsString(std::string v) { SetValue(Variant(std::move(v))); }
  void SetAsCurrency(Currency v) { SetValue(Variant(v)); }
  void SetAsFloat(double v) { SetValue(Variant(v)); }
  void SetAsBoolean(bool v) { SetValue(Variant(v)); }
  void SetAsDateTime(TDateTime v) { SetValue(Variant(v)); }

 private:
  TClientDataSet* ds_;
  int index_;
  TFieldDef def_;
};

class TDataSource;

// Options of Locate.
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };

// Options of an index definition.
enum TIndexOption : unsigned { ixDescending = 1, ixCaseInsensitive = 2, ixUnique = 4 };

using TBookmark = int64_t;   // a row's identity; stays valid while the row exists

class TClientDataSet : public TComponent {
 public:
  using TDataSetNotifyEvent = std::function<void(TClientDataSet&)>;
  using TFilterRecordEvent = std::function<void(TClientDataSet&, bool& accept)>;

  explicit TClientDataSet(TComponent* owner = nullptr);
  ~TClientDataSet() override;
  std::string ClassName() const override { return "TClientDataSet"; }

  // Structure.
  void AddFieldDef(const std::string& name, TFieldType type, int size = 0, bool required = false);
  const std::vector<TFieldDef>& FieldDefs() const;
  void ClearFieldDefs();                    // only while inactive
  void CreateDataSet();                     // builds the fields from the defs and opens empty
  void Open();                              // TClientDataSet: same as CreateDataSet when not active
  void Close();                             // drops the rows
  bool Active() const;
  void EmptyDataSet();                      // deletes every row, keeps the structure
  // Copies the structure of another data set (not its rows).
  void CopyStructure(const TClientDataSet& other);

  int FieldCount() const;
  TField& Fields(int i) const;
  TField& FieldByName(std::string_view name) const;   // throws EDataSetError naming the field
  TField* FindField(std::string_view name) const;     // without regard to case; nullptr if absent
  Variant FieldValues(std::string_view name) const { return FieldByName(name).Value(); }

  // Navigation over the visible rows (index order, range, filter and master-detail applied).
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  int RecordCount() const;                  // visible rows
  int RecNo() const;                        // 1-based; 0 when empty
  void SetRecNo(int recno);

  // Editing.
  TDataSetState State() const;
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Appends a row whose fields take the values in field order (null for missing ones) and posts it.
  void AppendRecord(const std::vector<Variant>& values);
  // Copies, in the current edit buffer, every field of src's current row that has a same-named
  // field here (names without regard to case).
  void CopyFieldsByName(const TClientDataSet& src);
  TUpdateStatus UpdateStatus() const;       // of the current row since it was loaded
  // Takes every row as loaded (usUnmodified): what a loader calls once the rows are in.
  void MergeChangeLog();

  // Events. OnNewRecord runs inside Append/Insert before the caller sets values.
  TDataSetNotifyEvent OnNewRecord, BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost,
      AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, AfterScroll, AfterOpen,
      BeforeClose;
  TFilterRecordEvent OnFilterRecord;

  // Filters: =, <>, <, >, <=, >=, IS [NOT] NULL, AND, OR, NOT, parentheses, 'quoted' strings
  // (with '' inside), numbers; field names without regard to case; text compared like the
  // database collation. A bad expression throws EDataSetError naming it when Filtered is set.
  void SetFilter(const std::string& expr);
  const std::string& Filter() const;
  void SetFiltered(bool on);
  bool Filtered() const;

  // Indexes. IndexFieldNames "A;B" orders by those fields (ascending, collation order for text).
  void SetIndexFieldNames(const std::string& fields);
  const std::string& IndexFieldNames() const;
  void AddIndexDef(const std::string& name, const std::string& fields, unsigned options = 0,
                   const std::string& descFields = "");
  void ClearIndexDefs();
  bool HasIndexDef(const std::string& name) const;
  void SetIndexName(const std::string& name);   // "" returns to natural order / IndexFieldNames
  const std::string& IndexName() const;

  // Lookups on the active index's leading fields; O(log n). Position on the found row.
  bool FindKey(const std::vector<Variant>& key);
  void FindNearest(const std::vector<Variant>& key);
  // Locate by any fields ("A;B"), using an index where one fits; positions on the first match.
  bool Locate(const std::string& fields, const std::vector<Variant>& values, unsigned options = 0);
  Variant Lookup(const std::string& keyFields, const std::vector<Variant>& keyValues,
                 const std::string& resultField);

  // Ranges over the active index (inclusive on both ends; a shorter key covers its prefix).
  void SetRange(const std::vector<Variant>& startKey, const std::vector<Variant>& endKey);
  void CancelRange();

  // Master-detail: this data set shows only the rows whose index fields (IndexFieldNames, or
  // the master fields when none is set) equal the master's MasterFields on its current row, and
  // follows the master as it moves. Detach with SetMasterSource(nullptr): every row shows again.
  void SetMasterSource(TDataSource* src);
  TDataSource* MasterSource() const;
  void SetMasterFields(const std::string& fields);
  const std::string& MasterFields() const;

  // A cursor of its own (index, range, filter, position) over the rows of source; a change made
  // through one cursor is seen by the others.
  void CloneCursor(TClientDataSet& source, bool reset = true, bool keepSettings = false);

  TBookmark GetBookmark() const;
  bool BookmarkValid(TBookmark b) const;
  void GotoBookmark(TBookmark b);

  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const;
  // While rows are loaded in bulk the details are not told of every row: they follow once, when the
  // last EndBulkLoad comes.
  void BeginBulkLoad();
  void EndBulkLoad();

  // Fetching on demand. A loader that reads its rows from a source (a query) and opens with
  // FetchOnDemand set and PacketRecords above 0 holds only the first packet; the next packet comes
  // when the cursor moves past the last row fetched (Next, MoveBy, RecNo), and whatever needs every
  // row fetches all the rest first (Last, RecordCount, the searches, ranges, filters, index and
  // master-detail changes, clones, Append and Insert). Eof is true only when nothing is left to
  // fetch. Close drops what is left unfetched; EmptyDataSet too (the rows are gone either way).
  void SetPacketRecords(int rows) { packetRecords_ = rows; }   // -1: all rows at once
  int PacketRecords() const { return packetRecords_; }
  void SetFetchOnDemand(bool on) { fetchOnDemand_ = on; }
  bool FetchOnDemand() const { return fetchOnDemand_; }
  // Runs before rows beyond those held are fetched, with the rows held and how many are wanted (-1:
  // every one left): a data set whose source is still being written waits there until the rows it
  // is about to read are in.
  std::function<void(int held, int wanted)> BeforeFetch;
  // Whether rows are left to fetch, and the rows held now (what was fetched, less what was deleted).
  bool FetchPending() const;
  int FetchedRecordCount() const;
  void FetchAll();

 protected:
  // The loader's hook: appends (AppendFetched) the rows that follow the last one fetched, count of
  // them, or every one left when count is negative; answers how many it appended. Fewer than count
  // means none is left.
  virtual int DoFetchPacket(int count) { return 0; }
  // A row as the source holds it: no events, the cursor stays where it is, nothing to write back.
  void AppendFetched(const std::vector<Variant>& values);
  // Called by the loader once it opened with its first packet: more rows may follow. A view that
  // cannot follow a partial set (an index, a filter, a range, a master) fetches all at once.
  void SetFetchPending(bool pending);

  // Hooks for data sets bound to a table: run inside Post/Delete before the row is committed in
  // memory; throwing keeps the row as it was (and the state in Edit/Insert for Post).
  virtual void DoBeforeWrite(bool inserting) {}
  virtual void DoBeforeDeleteRow() {}

 private:
  friend class TField;
  friend class TDataSource;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int packetRecords_ = -1;
  bool fetchOnDemand_ = false;
};

// Links a data set to its detail data sets and bound controls.
// The fields two data sets share by name (without regard to case), paired once: a walk that copies
// each row of one into the other finds every name once, not at every row.
class TCamposEmComum {
 public:
  TCamposEmComum(const TClientDataSet& de, TClientDataSet& para);
  // Copies de's current row into para's edit buffer, in de's field order.
  void Copia() const;

 private:
  std::vector<std::pair<const TField*, TField*>> pares_;
};

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner = nullptr, TClientDataSet* ds = nullptr);
  ~TDataSource() override;
  std::string ClassName() const override { return "TDataSource"; }
  TClientDataSet* DataSet() const { return ds_; }
  void SetDataSet(TClientDataSet* ds);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e) { enabled_ = e; }

 private:
  friend class TClientDataSet;
  friend struct TClientDataSet::Impl;
  TClientDataSet* ds_ = nullptr;
  bool enabled_ = true;
  std::vector<TClientDataSet*> details_;   // data sets whose MasterSource is this
};

}  // namespace vyn
