#pragma once
// The (company, key) pairs of the entries an import run wrote, refused or settled, in the order the run
// met them. A staged run writes a million lines under keys reserved in blocks, so the pairs come in long
// stretches of consecutive keys of one company: each stretch is kept as its ends, and the list of a whole
// file costs a few bytes instead of eight per line.
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace vyn {

class TChavesLancamentos {
  struct TTrecho {
    int Empresa;
    int Inicio;
    int Fim;   // inclusive
  };

 public:
  using value_type = std::pair<int, int>;

  // Walks the pairs one by one, stretch after stretch.
  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::pair<int, int>;
    using difference_type = std::ptrdiff_t;
    using pointer = const value_type*;
    using reference = value_type;
    const_iterator() = default;
    const_iterator(const std::vector<TTrecho>* t, size_t i, int chave) : trechos_(t), i_(i), chave_(chave) {}
    value_type operator*() const { return {(*trechos_)[i_].Empresa, chave_}; }
    const_iterator& operator++() {
      if (chave_ < (*trechos_)[i_].Fim) {
        ++chave_;
      } else if (++i_ < trechos_->size()) {
        chave_ = (*trechos_)[i_].Inicio;
      } else {
        chave_ = 0;
      }
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator r = *this;
      ++*this;
      return r;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_ && chave_ == o.chave_; }
    bool operator!=(const const_iterator& o) const { return !(*this == o); }

   private:
    const std::vector<TTrecho>* trechos_ = nullptr;
    size_t i_ = 0;
    int chave_ = 0;
  };

  void push_back(const value_type& p) {
    ++tamanho_;
    if (!trechos_.empty()) {
      TTrecho& u = trechos_.back();
      if (u.Empresa == p.first && p.second == u.Fim + 1) {
        u.Fim = p.second;
        return;
      }
    }
    trechos_.push_back({p.first, p.second, p.second});
  }
  template <class It>
  void Acrescenta(It primeiro, It ultimo) {
    for (; primeiro != ultimo; ++primeiro) push_back(*primeiro);
  }
  const_iterator begin() const { return trechos_.empty() ? end() : const_iterator(&trechos_, 0, trechos_.front().Inicio); }
  const_iterator end() const { return const_iterator(&trechos_, trechos_.size(), 0); }
  // Walks the stretches of consecutive keys: f(company, first key, last key).
  template <class F>
  void PorTrecho(F f) const {
    for (const TTrecho& t : trechos_) f(t.Empresa, t.Inicio, t.Fim);
  }
  size_t size() const { return tamanho_; }
  bool empty() const { return tamanho_ == 0; }
  void clear() {
    trechos_.clear();
    trechos_.shrink_to_fit();
    tamanho_ = 0;
  }

 private:
  std::vector<TTrecho> trechos_;
  size_t tamanho_ = 0;
};

}  // namespace vyn
