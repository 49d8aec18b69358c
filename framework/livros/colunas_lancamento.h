#pragma once
// The ledger's text columns an entry import fills, and how many characters each holds: the file readers
// refuse a longer text at its line, the review's editor at its cell and the writers before the database.
// One width per column, so that what a reader accepts the write always takes.
#include <cstddef>

namespace vyn {

inline constexpr size_t kCaracteresDocumentoLancamento = 30;      // BDDCTO
inline constexpr size_t kCaracteresComplementoLancamento = 8000;  // the long complement (VZEL_EMPRESAS_TLAN_COMPL)
inline constexpr size_t kCaracteresNotaExplicativa = 25000;       // BDDESCRICAO, a text blob

}  // namespace vyn
