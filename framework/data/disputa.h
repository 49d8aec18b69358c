#pragma once
// Writes that number or match rows by what is there (MAX + 1, UPDATE OR INSERT)
// collide when another attachment does the same at the same moment: the loser
// meets a duplicate key or a lock and, read again, finds the winner's row. Each
// try loses only to a write that succeeded, but a burst loses together: when the
// one holding a row commits, every writer waiting for it loses at once and tries
// again, so the last of N writers needs N tries. The bound covers a burst from
// every workstation of an office; the last failure is the caller's. A row held
// by a long transaction is not a burst: once the tries have waited as long as a
// lock wait may (its timeout ends with the same conflict), there is no next try.
#include <chrono>

#include "framework/data/fb_database.h"

namespace vyn {

inline constexpr int kTentativasDisputa = 64;

template <class F>
auto RepeteSeDisputado(F &&escreve) -> decltype(escreve()) {
  const auto inicio = std::chrono::steady_clock::now();
  for (int tentativa = 1;; ++tentativa) {
    try {
      return escreve();
    } catch (const EDatabaseError &e) {
      if (tentativa >= kTentativasDisputa ||
          std::chrono::steady_clock::now() - inicio >= kEsperaBloqueio ||
          !(e.IsUniqueViolation() || e.IsLockConflict()))
        throw;
    }
  }
}

} // namespace vyn
