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

TMarcasLinhas::TMarcasLinhas(TClientDataSet& linhas, std::vector<std::string> campos) : linhas_(linhas) {
  // Each field found once: a review's run keeps the marks of its thousands of lines.
  std::vector<const TField*> achados;
  for (std::string& c : campos)
    if (const TField* f = linhas_.FindField(c)) {
      campos_.push_back(std::move(c));
      achados.push_back(f);
    }
  TFilterGuard guarda(linhas_, TFilterGuard::kAllRows);
  const TBulkLoad semDetalhes(linhas_);
  for (linhas_.First(); !linhas_.Eof(); linhas_.Next()) {
    std::vector<Variant> v;
    v.reserve(achados.size());
    for (const TField* f : achados) v.push_back(f->Value());
    antes_.emplace_hint(antes_.end(), linhas_.GetBookmark(), std::move(v));
  }
}

void TMarcasLinhas::GuardaExcluida() {
  std::vector<Variant> v;
  for (int i = 0; i < linhas_.FieldCount(); ++i) v.push_back(linhas_.Fields(i).Value());
  // The line comes back with the marks it had before the run.
  if (auto it = antes_.find(linhas_.GetBookmark()); it != antes_.end()) {
    for (size_t i = 0; i < campos_.size(); ++i)
      for (int f = 0; f < linhas_.FieldCount(); ++f)
        if (&linhas_.Fields(f) == &linhas_.FieldByName(campos_[i])) v[static_cast<size_t>(f)] = it->second[i];
    antes_.erase(it);
  }
  excluidas_.push_back(std::move(v));
}

void TMarcasLinhas::Restaura() {
  TFilterGuard guarda(linhas_, TFilterGuard::kAllRows);
  for (const auto& [b, v] : antes_) {
    if (!linhas_.BookmarkValid(b)) continue;
    linhas_.GotoBookmark(b);
    linhas_.Edit();
    for (size_t i = 0; i < campos_.size(); ++i) linhas_.FieldByName(campos_[i]).SetValue(v[i]);
    linhas_.Post();
  }
  for (const auto& v : excluidas_) linhas_.AppendRecord(v);
  excluidas_.clear();
}

}  // namespace vyn
