#pragma once
// Writes that number or match rows by what is there (MAX + 1, UPDATE OR INSERT)
// collide when another attachment does the same at the same moment: the loser
// meets a duplicate key or a lock and, read again, finds the winner's row. Each
// try loses only to a write that succeeded, so a few tries are enough; the last
// failure is the caller's.
#include "framework/data/fb_database.h"

namespace vyn {

template <class F>
auto RepeteSeDisputado(int tentativas, F &&escreve) -> decltype(escreve()) {
  for (int tentativa = 1;; ++tentativa) {
    try {
      return escreve();
    } catch (const EDatabaseError &e) {
      if (tentativa >= tentativas ||
          !(e.IsUniqueViolation() || e.IsLockConflict()))
        throw;
    }
  }
}

} // namespace vyn
