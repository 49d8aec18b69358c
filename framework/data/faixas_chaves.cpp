#include "framework/data/faixas_chaves.h"

#include <algorithm>

namespace vyn {

std::vector<std::span<const int64_t>> FaixasDeChaves(std::span<const int64_t> chaves, int64_t folga) {
  std::vector<std::span<const int64_t>> faixas;
  for (size_t i = 0; i < chaves.size();) {
    size_t fim = i + 1;
    while (fim < chaves.size() && chaves[fim] - chaves[fim - 1] <= folga) ++fim;
    faixas.push_back(chaves.subspan(i, fim - i));
    i = fim;
  }
  return faixas;
}

std::vector<int64_t> ChavesOrdenadas(std::vector<int64_t> chaves) {
  std::sort(chaves.begin(), chaves.end());
  chaves.erase(std::unique(chaves.begin(), chaves.end()), chaves.end());
  return chaves;
}

}  // namespace vyn
