#pragma once
// Reconciling statement lines held in memory with the entries already posted for their bank account:
// a matched line takes the entry's counter-account, history and marks, and records the entry among its
// reconciled items, so that importing it books nothing a second time.
#include <functional>

namespace vyn {

class TLancamentoMGR;
class TEdit_Codigo_Search_VYN;

struct TCriteriosConciliacaoLinha {
  bool PorDocumento = false;
  bool PorData = false;
  bool PorValor = false;
  bool ConsiderarZeros = false;
};

// Walks every line not reconciled yet and matches it; answers how many were reconciled. progresso, when
// given, hears the number of each line as it is reached. A failure leaves the line being edited as it was.
int ConciliaLinhasExtrato(TLancamentoMGR& linhas, TEdit_Codigo_Search_VYN* empresa, TEdit_Codigo_Search_VYN* conta,
                          const TCriteriosConciliacaoLinha& criterios,
                          const std::function<void(int)>& progresso = nullptr);

}  // namespace vyn
