#pragma once
// The reconciled items of a review's lines (the lines manager's in-memory items, keyed by the line's
// company and key): whether a line has any, which posted entries they name, and their removal.
#include <cstdint>
#include <vector>

namespace vyn {

class TLancamentoMGR;

// Whether the line (empresa, chave) has reconciled items.
bool getItensConciliados(TLancamentoMGR& linhas, int64_t empresa, int64_t chave);
// The keys of the posted entries the line was reconciled with, in the items' order.
std::vector<int64_t> ChavesConciliadas(TLancamentoMGR& linhas, int64_t empresa, int64_t chave);
// Removes every reconciled item of the line (a line may hold several); answers how many went.
int RemoveItensConciliados(TLancamentoMGR& linhas, int64_t empresa, int64_t chave);

}  // namespace vyn
