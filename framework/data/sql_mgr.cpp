#include "framework/data/sql_mgr.h"

#include <algorithm>

#include "framework/component/process_context.h"
#include "framework/core/text.h"

namespace vyn {

bool TSQLMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TSQLMGR") || TDAOFactory::InheritsFrom(class_name);
}

TSQLMGRHandle& TSQLMGRHandle::operator=(TSQLMGRHandle&& o) noexcept {
  if (this != &o) {
    Release();
    pool_ = o.pool_;
    mgr_ = o.mgr_;
    o.pool_ = nullptr;
    o.mgr_ = nullptr;
  }
  return *this;
}

void TSQLMGRHandle::Release() {
  if (pool_ && mgr_) pool_->devolveSQLMgr_Pool(mgr_);
  pool_ = nullptr;
  mgr_ = nullptr;
}

TSQLMGRPool::~TSQLMGRPool() = default;

TSQLMGRHandle TSQLMGRPool::getSQLMgr_do_Pool() {
  std::lock_guard lock(mutex_);
  if (free_.empty()) {
    all_.push_back(std::make_unique<TSQLMGR>(nullptr, db_));
    return TSQLMGRHandle(this, all_.back().get());
  }
  TSQLMGR* m = free_.back();
  free_.pop_back();
  return TSQLMGRHandle(this, m);
}

void TSQLMGRPool::devolveSQLMgr_Pool(TSQLMGR* mgr) {
  if (!mgr) return;
  // A borrowed manager comes back clean: no rows, no filter, no index, no month of its own.
  try {
    if (mgr->State() == TDataSetState::dsEdit || mgr->State() == TDataSetState::dsInsert) mgr->Cancel();
    mgr->SetFiltered(false);
    mgr->SetFilter("");
    mgr->SetIndexFieldNames("");
    mgr->Close();
  } catch (...) {
    // closing an in-memory data set does not fail in practice; the manager is reused regardless
  }
  mgr->SetReferencia(0);
  std::lock_guard lock(mutex_);
  if (std::find(free_.begin(), free_.end(), mgr) == free_.end()) free_.push_back(mgr);
}

size_t TSQLMGRPool::Size() const {
  std::lock_guard lock(mutex_);
  return all_.size();
}

size_t TSQLMGRPool::Available() const {
  std::lock_guard lock(mutex_);
  return free_.size();
}

TSQLMGRHandle getSQLMgr_do_Pool() {
  TSQLMGRPool* pool = ProcessContext().SQLPool;
  if (!pool) throw EDatabaseError("Nenhum conjunto de gerenciadores SQL (pool) configurado.");
  return pool->getSQLMgr_do_Pool();
}

}  // namespace vyn
