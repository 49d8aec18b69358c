#pragma once
// A process value changed for one stretch of work: the reference month a run works on, the
// server-order flag of one query, the run whose outcome the screens report into. The value the
// stretch found is put back when it ends, also when it raises.
#include <utility>

namespace vyn {

template <class T>
class TValorTemporario {
 public:
  TValorTemporario(T& campo, T valor) : campo_(campo), anterior_(std::move(campo)) { campo_ = std::move(valor); }
  ~TValorTemporario() { campo_ = std::move(anterior_); }
  TValorTemporario(const TValorTemporario&) = delete;
  TValorTemporario& operator=(const TValorTemporario&) = delete;

  const T& Anterior() const { return anterior_; }

 private:
  T& campo_;
  T anterior_;
};

}  // namespace vyn
