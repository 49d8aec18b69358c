#pragma once
// Keys read by ranges. The obligations and documents of a run mostly have keys that follow one another:
// a statement "key between the range's first and last" reads a range in one go, and the rows between two
// asked keys that no key names cost less to read and leave out than a statement of their own.
#include <cstdint>
#include <span>
#include <vector>

namespace vyn {

// The widest gap between two asked keys that one range spans, in keys: up to about this many rows left
// out cost less than another statement.
inline constexpr int64_t kFolgaDaFaixa = 16;

// chaves (sorted, without repeats) cut into ranges in which each key is at most folga past the one before.
std::vector<std::span<const int64_t>> FaixasDeChaves(std::span<const int64_t> chaves, int64_t folga = kFolgaDaFaixa);

// chaves sorted and without repeats, as FaixasDeChaves takes them.
std::vector<int64_t> ChavesOrdenadas(std::vector<int64_t> chaves);

}  // namespace vyn
