#pragma once
// Scope guards that hand a data set back as a routine found it: its filter, its master link, its
// controls. A routine that walks every row, or filters its own way, changes these for a while; the
// guard restores them when it leaves scope, also when an exception leaves it. A restore that fails
// while an exception is already on its way is dropped, so the first error reaches the caller;
// otherwise it raises like the setter it calls.
#include <cstdint>
#include <exception>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/variant.h"

namespace vyn {

class TClientDataSet;
class TDataSource;

// Saves Filter and Filtered and gives them back: the filter off first, then its text, then its state,
// so the old text is never applied half-set. Meanwhile the routine filters as it likes; with kAllRows
// the filter goes off at once, for a walk over every row.
class TFilterGuard {
 public:
  struct TAllRows {};
  static constexpr TAllRows kAllRows{};
  explicit TFilterGuard(TClientDataSet& ds);
  TFilterGuard(TClientDataSet& ds, TAllRows);
  ~TFilterGuard() noexcept(false);
  TFilterGuard(const TFilterGuard&) = delete;
  TFilterGuard& operator=(const TFilterGuard&) = delete;
  const std::string& Filter() const { return filter_; }
  bool Filtered() const { return filtered_; }

 private:
  TClientDataSet& ds_;
  std::string filter_;
  bool filtered_;
  int exceptions_;
};

// Detaches a detail from its master (MasterSource and MasterFields) for a walk over all its rows and
// links it back, fields before source. With keepIndex it also gives back IndexFieldNames, for walks
// that reorder the rows.
class TDetachedDetail {
 public:
  explicit TDetachedDetail(TClientDataSet& ds, bool keepIndex = false);
  ~TDetachedDetail() noexcept(false);
  TDetachedDetail(const TDetachedDetail&) = delete;
  TDetachedDetail& operator=(const TDetachedDetail&) = delete;

 private:
  TClientDataSet& ds_;
  TDataSource* source_;
  std::string fields_;
  bool keepIndex_;
  std::string index_;
  int exceptions_;
};

// DisableControls now, EnableControls when it goes: bound controls skip the walk's every move. A null
// data set (a screen without one yet) leaves nothing to do.
class TDisabledControls {
 public:
  explicit TDisabledControls(TClientDataSet& ds) : TDisabledControls(&ds) {}
  explicit TDisabledControls(TClientDataSet* ds);
  ~TDisabledControls();
  TDisabledControls(const TDisabledControls&) = delete;
  TDisabledControls& operator=(const TDisabledControls&) = delete;

 private:
  TClientDataSet* ds_;
};

// BeginBulkLoad now, EndBulkLoad when it goes: the details follow the loaded rows once.
class TBulkLoad {
 public:
  explicit TBulkLoad(TClientDataSet& ds);
  ~TBulkLoad();
  TBulkLoad(const TBulkLoad&) = delete;
  TBulkLoad& operator=(const TBulkLoad&) = delete;

 private:
  TClientDataSet& ds_;
};

// The marks a run sets on the lines (settled, reconciled, set aside) as they were when it started, and
// the lines it took out of the review: a run that does not commit leaves no line looking settled by a
// settlement that was undone, and loses none. Restaura is called only for such a run.
class TMarcasLinhas {
 public:
  TMarcasLinhas(TClientDataSet& linhas, std::vector<std::string> campos);
  // The current line, whole, before the run deletes it.
  void GuardaExcluida();
  void Restaura();

 private:
  TClientDataSet& linhas_;
  std::vector<std::string> campos_;
  std::map<int64_t, std::vector<Variant>> antes_;   // by bookmark
  std::vector<std::vector<Variant>> excluidas_;
};

}  // namespace vyn
