#pragma once
// Look-ups of the code cells of an entry line (account, participant, history): a typed code is
// accepted only when the company's chart, the participants or the history plan hold it.
#include <cstdint>
#include <functional>

#include "framework/ui/edit_codigo.h"

namespace vyn {

// An analytic account of the chart (synthetic accounts take no entries).
TEdit_Codigo_Search_VYN::TLookupFn LookupContaAnalitica(std::function<int()> plano);
// A registered participant.
TEdit_Codigo_Search_VYN::TLookupFn LookupParticipante();
// A history of the plan.
TEdit_Codigo_Search_VYN::TLookupFn LookupHistorico(std::function<int()> planoHistorico);
// The chart (BDCODPLAPADRAO) and history plan (BDCODHIST) of a company at its latest reference;
// 0 when the company is unknown.
int PlanoContasEmpresa(int64_t empresa);
int PlanoHistoricoEmpresa(int64_t empresa);

}  // namespace vyn
