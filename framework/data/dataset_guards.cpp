#include "framework/data/dataset_guards.h"

#include "framework/data/client_dataset.h"

namespace vyn {

namespace {

// Runs a restore; while an exception that started after `before` unwinds, a second one is dropped.
template <class F>
void Restaura(int before, F&& restore) {
  if (std::uncaught_exceptions() <= before) {
    restore();
    return;
  }
  try {
    restore();
  } catch (...) {
    // the error already leaving the scope is the one the caller must see
  }
}

}  // namespace

TFilterGuard::TFilterGuard(TClientDataSet& ds)
    : ds_(ds), filter_(ds.Filter()), filtered_(ds.Filtered()), exceptions_(std::uncaught_exceptions()) {}

TFilterGuard::TFilterGuard(TClientDataSet& ds, TAllRows) : TFilterGuard(ds) { ds_.SetFiltered(false); }

TFilterGuard::~TFilterGuard() noexcept(false) {
  Restaura(exceptions_, [this] {
    ds_.SetFiltered(false);
    ds_.SetFilter(filter_);
    ds_.SetFiltered(filtered_);
  });
}

TDetachedDetail::TDetachedDetail(TClientDataSet& ds, bool keepIndex)
    : ds_(ds),
      source_(ds.MasterSource()),
      fields_(ds.MasterFields()),
      keepIndex_(keepIndex),
      index_(keepIndex ? ds.IndexFieldNames() : std::string()),
      exceptions_(std::uncaught_exceptions()) {
  ds_.SetMasterSource(nullptr);
  ds_.SetMasterFields("");
}

TDetachedDetail::~TDetachedDetail() noexcept(false) {
  Restaura(exceptions_, [this] {
    if (keepIndex_) ds_.SetIndexFieldNames(index_);
    ds_.SetMasterFields(fields_);
    ds_.SetMasterSource(source_);
  });
}

TDisabledControls::TDisabledControls(TClientDataSet* ds) : ds_(ds) {
  if (ds_) ds_->DisableControls();
}

TDisabledControls::~TDisabledControls() {
  if (ds_) ds_->EnableControls();
}

TBulkLoad::TBulkLoad(TClientDataSet& ds) : ds_(ds) { ds_.BeginBulkLoad(); }
TBulkLoad::~TBulkLoad() { ds_.EndBulkLoad(); }

}  // namespace vyn
