#pragma once
// Free-SQL data-access objects, owned by their caller or borrowed from the process's pool.
#include <memory>
#include <mutex>
#include <vector>

#include "framework/data/dao_factory.h"

namespace vyn {

class TSQLMGR : public TMgr<TSQLMGR> {
 public:
  explicit TSQLMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMgr(owner, {}, db) {}
  std::string ClassName() const override { return "TSQLMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

class TSQLMGRPool;

// A borrowed manager; handed back (its data set closed) when the handle goes out of scope.
class TSQLMGRHandle {
 public:
  TSQLMGRHandle() = default;
  TSQLMGRHandle(TSQLMGRPool* pool, TSQLMGR* mgr) : pool_(pool), mgr_(mgr) {}
  TSQLMGRHandle(TSQLMGRHandle&& o) noexcept : pool_(o.pool_), mgr_(o.mgr_) { o.pool_ = nullptr; o.mgr_ = nullptr; }
  TSQLMGRHandle& operator=(TSQLMGRHandle&& o) noexcept;
  TSQLMGRHandle(const TSQLMGRHandle&) = delete;
  TSQLMGRHandle& operator=(const TSQLMGRHandle&) = delete;
  ~TSQLMGRHandle() { Release(); }

  TSQLMGR* operator->() const { return mgr_; }
  TSQLMGR& operator*() const { return *mgr_; }
  TSQLMGR* get() const { return mgr_; }
  explicit operator bool() const { return mgr_ != nullptr; }
  void Release();   // hands the manager back now

 private:
  TSQLMGRPool* pool_ = nullptr;
  TSQLMGR* mgr_ = nullptr;
};

class TSQLMGRPool {
 public:
  explicit TSQLMGRPool(TDatabase* db = nullptr) : db_(db) {}
  ~TSQLMGRPool();
  TSQLMGRPool(const TSQLMGRPool&) = delete;
  TSQLMGRPool& operator=(const TSQLMGRPool&) = delete;

  TSQLMGRHandle getSQLMgr_do_Pool();
  void devolveSQLMgr_Pool(TSQLMGR* mgr);   // what the handle calls
  size_t Size() const;                     // managers made so far
  size_t Available() const;

 private:
  TDatabase* db_;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<TSQLMGR>> all_;
  std::vector<TSQLMGR*> free_;
};

// From the process context's pool; an error when the host has set none.
TSQLMGRHandle getSQLMgr_do_Pool();

}  // namespace vyn
