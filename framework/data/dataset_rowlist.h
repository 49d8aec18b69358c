#pragma once
// An ordered list of row ids kept in blocks, so that inserting or erasing one id costs a block's
// width instead of the whole list, and positions stay cheap to walk. A keyed list also keeps,
// beside each id, a short key its owner derives from the row, so that a search reads the
// blocks instead of rows scattered through the columns.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace vyn::detail {

class RowList {
 public:
  static constexpr size_t kMaxBlock = 1024;

  explicit RowList(bool keyed = false) : keyed_(keyed) {}

  struct Pos {
    uint32_t b = 0, o = 0;
    auto operator<=>(const Pos&) const = default;
  };

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint64_t version() const { return version_; }
  // Changes whenever blocks are added, removed, split or merged.
  uint64_t structure_version() const { return structure_version_; }
  bool keyed() const { return keyed_; }
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
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {  // first block whose last id fails pred
      size_t mid = (lo + hi) / 2;
      if (pred(lasts_[mid])) lo = mid + 1; else hi = mid;
    }
    if (lo == blocks_.size()) return end();
    const auto& blk = blocks_[lo];
    auto it = std::partition_point(blk.begin(), blk.end(), pred);
    return {static_cast<uint32_t>(lo), static_cast<uint32_t>(it - blk.begin())};
  }
  // The same on a keyed list; side(key) is > 0 when pred holds for every id with that key,
  // < 0 when it holds for none, and 0 when the id itself must be asked.
  template <class Pred, class Side>
  Pos search(Pred pred, Side side) const {
    auto holds = [&](uint64_t key, uint32_t id) {
      int s = side(key);
      return s != 0 ? s > 0 : pred(id);
    };
    size_t lo = 0, hi = blocks_.size();
    while (lo < hi) {  // first block whose last id fails pred
      size_t mid = (lo + hi) / 2;
      if (holds(last_keys_[mid], lasts_[mid])) lo = mid + 1; else hi = mid;
    }
    if (lo == blocks_.size()) return end();
    const auto& blk = blocks_[lo];
    const auto& ks = keys_[lo];
    size_t first = 0, n = blk.size();
    while (n > 0) {
      size_t half = n / 2, mid = first + half;
      // the keys the next step may read, fetched while this one decides
      for (size_t q = 1; q < 4; ++q) {  // two steps ahead
        __builtin_prefetch(ks.data() + first + half * q / 4);
        __builtin_prefetch(ks.data() + mid + 1 + half * q / 4);
      }
      if (n <= 16) __builtin_prefetch(blk.data() + first);  // the ids the search ends on
      if (holds(ks[mid], blk[mid])) {
        first = mid + 1;
        n -= half + 1;
      } else {
        n = half;
      }
    }
    return {static_cast<uint32_t>(lo), static_cast<uint32_t>(first)};
  }

  // Inserts before p; returns the new id's position. key is kept only by a keyed list.
  Pos insert(Pos p, uint32_t id, uint64_t key = 0) {
    ++version_;
    ++size_;
    if (blocks_.empty() || (p.b == blocks_.size() && blocks_.back().size() >= kMaxBlock)) {
      // the first block, or the last one is full: open another
      blocks_.emplace_back(1, id);
      lasts_.push_back(id);
      if (keyed_) {
        keys_.emplace_back(1, key);
        last_keys_.push_back(key);
      }
      ++structure_version_;
      return {static_cast<uint32_t>(blocks_.size() - 1), 0};
    }
    if (p.b == blocks_.size()) {
      p.b = static_cast<uint32_t>(blocks_.size() - 1);
      p.o = static_cast<uint32_t>(blocks_[p.b].size());
    }
    auto& blk = blocks_[p.b];
    blk.insert(blk.begin() + p.o, id);
    if (keyed_) keys_[p.b].insert(keys_[p.b].begin() + p.o, key);
    if (blk.size() > kMaxBlock) {
      size_t half = blk.size() / 2;
      Split(blocks_, p.b, half);
      lasts_.insert(lasts_.begin() + p.b, 0);
      if (keyed_) {
        Split(keys_, p.b, half);
        last_keys_.insert(last_keys_.begin() + p.b, 0);
      }
      ++structure_version_;
      SetLast(p.b);
      SetLast(p.b + 1);
      if (p.o >= half) {
        ++p.b;
        p.o -= static_cast<uint32_t>(half);
      }
    } else {
      SetLast(p.b);
    }
    return p;
  }

  void push_back(uint32_t id, uint64_t key = 0) { insert(end(), id, key); }

  // Erases the id at p; returns the position of the id that followed it.
  Pos erase(Pos p) {
    ++version_;
    --size_;
    auto& blk = blocks_[p.b];
    blk.erase(blk.begin() + p.o);
    if (keyed_) keys_[p.b].erase(keys_[p.b].begin() + p.o);
    if (blk.empty()) {
      blocks_.erase(blocks_.begin() + p.b);
      lasts_.erase(lasts_.begin() + p.b);
      if (keyed_) {
        keys_.erase(keys_.begin() + p.b);
        last_keys_.erase(last_keys_.begin() + p.b);
      }
      ++structure_version_;
      return {p.b, 0};
    }
    SetLast(p.b);
    // Keep blocks from thinning out, so that walking them stays short.
    if (blk.size() < kMaxBlock / 8 && p.b + 1 < blocks_.size() &&
        blk.size() + blocks_[p.b + 1].size() <= kMaxBlock / 2) {
      Merge(blocks_, p.b);
      lasts_.erase(lasts_.begin() + p.b);
      if (keyed_) {
        Merge(keys_, p.b);
        last_keys_.erase(last_keys_.begin() + p.b);
      }
      ++structure_version_;
    }
    if (p.o >= blocks_[p.b].size()) return {p.b + 1, 0};
    return p;
  }

  // keys[i] goes with ids[i]; a keyed list needs them.
  void assign(const std::vector<uint32_t>& ids, const std::vector<uint64_t>& keys = {}) {
    clear();
    size_ = ids.size();
    const size_t step = kMaxBlock / 2;
    for (size_t i = 0; i < ids.size(); i += step) {
      auto from = static_cast<ptrdiff_t>(i), to = static_cast<ptrdiff_t>(i + std::min(step, ids.size() - i));
      blocks_.emplace_back(ids.begin() + from, ids.begin() + to);
      lasts_.push_back(blocks_.back().back());
      if (keyed_) {
        keys_.emplace_back(keys.begin() + from, keys.begin() + to);
        last_keys_.push_back(keys_.back().back());
      }
    }
  }

  void clear() {
    ++version_;
    blocks_.clear();
    lasts_.clear();
    keys_.clear();
    last_keys_.clear();
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
  template <class T>
  static void Split(std::vector<std::vector<T>>& v, size_t b, size_t half) {
    auto& blk = v[b];
    std::vector<T> tail(blk.begin() + static_cast<ptrdiff_t>(half), blk.end());
    blk.resize(half);
    blk.shrink_to_fit();
    v.insert(v.begin() + static_cast<ptrdiff_t>(b) + 1, std::move(tail));
  }
  template <class T>
  static void Merge(std::vector<std::vector<T>>& v, size_t b) {
    auto& nxt = v[b + 1];
    v[b].insert(v[b].end(), nxt.begin(), nxt.end());
    v.erase(v.begin() + static_cast<ptrdiff_t>(b) + 1);
  }
  void SetLast(size_t b) {
    lasts_[b] = blocks_[b].back();
    if (keyed_) last_keys_[b] = keys_[b].back();
  }

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
  bool keyed_ = false;
  std::vector<std::vector<uint64_t>> keys_;  // a keyed list's keys, block by block
  std::vector<uint64_t> last_keys_;
  size_t size_ = 0;
  uint64_t version_ = 1;
  uint64_t structure_version_ = 1;
  mutable std::vector<size_t> prefix_;
  mutable uint64_t prefix_version_ = 0;
};

}  // namespace vyn::detail
