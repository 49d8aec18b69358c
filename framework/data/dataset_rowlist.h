#pragma once
// An ordered list of row ids kept in blocks, so that inserting or erasing one id costs a block's
// width instead of the whole list, and positions stay cheap to walk.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace vyn::detail {

class RowList {
 public:
  static constexpr size_t kMaxBlock = 1024;

  struct Pos {
    uint32_t b = 0, o = 0;
    auto operator<=>(const Pos&) const = default;
  };

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint64_t version() const { return version_; }
  // Changes whenever blocks are added, removed, split or merged.
  uint64_t structure_version() const { return structure_version_; }
  const std::vector<uint32_t>& lasts() const { return lasts_; }
  Pos begin() const { return {}; }
  Pos end() const { return {static_cast<uint32_t>(blocks_.size()), 0}; }
  uint32_t at(Pos p) const { return blocks_[p.b][p.o]; }
  uint32_t back() const { return blocks_.back().back(); }

  void next(Pos& p) const {
    if (++p.o >= blocks_[p.b].size()) {
      ++p.b;
      p.o = 0;
    }
  }
  // p must not be begin().
  void prev(Pos& p) const {
    if (p.o == 0) {
      --p.b;
      p.o = static_cast<uint32_t>(blocks_[p.b].size() - 1);
    } else {
      --p.o;
    }
  }

  // Number of ids before p.
  size_t rank(Pos p) const {
    Prefix();
    return p.b >= blocks_.size() ? size_ : prefix_[p.b] + p.o;
  }
  // Position of the k-th id (0-based); end() when k >= size.
  Pos select(size_t k) const {
    if (k >= size_) return end();
    Prefix();
    auto it = std::upper_bound(prefix_.begin(), prefix_.end(), k);
    uint32_t b = static_cast<uint32_t>(it - prefix_.begin() - 1);
    return {b, static_cast<uint32_t>(k - prefix_[b])};
  }

  // First position whose id fails pred (pred holds for a prefix of the list).
  template <class Pred>
  Pos partition_point(Pred pred) const {
    return partition_point(pred, [&](size_t b) { return pred(lasts_[b]); });
  }
  // The same, with blockPred(b) telling whether pred holds for block b's last id.
  template <class Pred, class BlockPred>
  Pos partition_point(Pred pred, BlockPred blockPred) const {
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {  // first block whose last id fails pred
      size_t mid = (lo + hi) / 2;
      if (blockPred(mid)) lo = mid + 1; else hi = mid;
    }
    if (lo == blocks_.size()) return end();
    const auto& blk = blocks_[lo];
    auto it = std::partition_point(blk.begin(), blk.end(), pred);
    return {static_cast<uint32_t>(lo), static_cast<uint32_t>(it - blk.begin())};
  }

  // Inserts before p; returns the new id's position.
  Pos insert(Pos p, uint32_t id) {
    ++version_;
    ++size_;
    if (blocks_.empty()) {
      blocks_.emplace_back(1, id);
      lasts_.assign(1, id);
      ++structure_version_;
      return {};
    }
    if (p.b == blocks_.size()) {  // at the end: fill the last block, then open another
      if (blocks_.back().size() >= kMaxBlock) {
        blocks_.emplace_back(1, id);
        lasts_.push_back(id);
        ++structure_version_;
        return {p.b, 0};
      }
      p.b = static_cast<uint32_t>(blocks_.size() - 1);
      p.o = static_cast<uint32_t>(blocks_[p.b].size());
    }
    auto& blk = blocks_[p.b];
    blk.insert(blk.begin() + p.o, id);
    if (blk.size() > kMaxBlock) {
      size_t half = blk.size() / 2;
      std::vector<uint32_t> tail(blk.begin() + static_cast<ptrdiff_t>(half), blk.end());
      blk.resize(half);
      blk.shrink_to_fit();
      blocks_.insert(blocks_.begin() + p.b + 1, std::move(tail));
      lasts_.insert(lasts_.begin() + p.b, 0);
      ++structure_version_;
      lasts_[p.b] = blocks_[p.b].back();
      lasts_[p.b + 1] = blocks_[p.b + 1].back();
      if (p.o >= half) {
        ++p.b;
        p.o -= static_cast<uint32_t>(half);
      }
    } else {
      lasts_[p.b] = blk.back();
    }
    return p;
  }

  void push_back(uint32_t id) { insert(end(), id); }

  // Erases the id at p; returns the position of the id that followed it.
  Pos erase(Pos p) {
    ++version_;
    --size_;
    auto& blk = blocks_[p.b];
    blk.erase(blk.begin() + p.o);
    if (blk.empty()) {
      blocks_.erase(blocks_.begin() + p.b);
      lasts_.erase(lasts_.begin() + p.b);
      ++structure_version_;
      return {p.b, 0};
    }
    lasts_[p.b] = blk.back();
    // Keep blocks from thinning out, so that walking them stays short.
    if (blk.size() < kMaxBlock / 8 && p.b + 1 < blocks_.size() &&
        blk.size() + blocks_[p.b + 1].size() <= kMaxBlock / 2) {
      auto& nxt = blocks_[p.b + 1];
      blk.insert(blk.end(), nxt.begin(), nxt.end());
      blocks_.erase(blocks_.begin() + p.b + 1);
      lasts_.erase(lasts_.begin() + p.b);
      ++structure_version_;
    }
    if (p.o >= blocks_[p.b].size()) return {p.b + 1, 0};
    return p;
  }

  void assign(const std::vector<uint32_t>& ids) {
    ++version_;
    blocks_.clear();
    lasts_.clear();
    ++structure_version_;
    size_ = ids.size();
    const size_t step = kMaxBlock / 2;
    for (size_t i = 0; i < ids.size(); i += step) {
      size_t n = std::min(step, ids.size() - i);
      blocks_.emplace_back(ids.begin() + static_cast<ptrdiff_t>(i),
                           ids.begin() + static_cast<ptrdiff_t>(i + n));
      lasts_.push_back(blocks_.back().back());
    }
  }

  void clear() {
    ++version_;
    blocks_.clear();
    lasts_.clear();
    ++structure_version_;
    size_ = 0;
  }

  void to_vector(std::vector<uint32_t>& out) const {
    out.clear();
    out.reserve(size_);
    for (const auto& b : blocks_) out.insert(out.end(), b.begin(), b.end());
  }

  template <class F>
  void for_each(F f) const {
    for (const auto& b : blocks_)
      for (uint32_t id : b) f(id);
  }

 private:
  void Prefix() const {
    if (prefix_version_ == version_ && prefix_.size() == blocks_.size()) return;
    prefix_.resize(blocks_.size());
    size_t acc = 0;
    for (size_t i = 0; i < blocks_.size(); ++i) {
      prefix_[i] = acc;
      acc += blocks_[i].size();
    }
    prefix_version_ = version_;
  }

  std::vector<std::vector<uint32_t>> blocks_;
  std::vector<uint32_t> lasts_;  // last id of each block, searched without touching the blocks
  size_t size_ = 0;
  uint64_t version_ = 1;
  uint64_t structure_version_ = 1;
  mutable std::vector<size_t> prefix_;
  mutable uint64_t prefix_version_ = 0;
};

}  // namespace vyn::detail
