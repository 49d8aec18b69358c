#pragma once
// The code look-ups over the company database: the process-wide look-up of every code kind the
// module's edits use (companies with their data at the reference month, plans, accounts of a
// company's chart, participants, layouts, ...), and the look-ups of the code cells of an entry line
// (account, participant, history), where a typed code is accepted only when the company's chart,
// the participants or the history plan hold it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/edit_codigo.h"

namespace vyn {

// The look-up the host installs as ProcessContext().CodeLookup. Every query runs on the process
// context's database with bound values. Kinds whose table belongs to another package of the suite
// (formula and cost-centre plans, developments, ...) are taken as typed.
class TConsultaCodigosBanco : public ICodeLookup {
 public:
  bool Lookup(const TEdit_Codigo_Search_VYN& edit, int64_t code, TCodigoRegistro& out) override;
  int64_t CodPlanoEmpresa(int64_t codEmp, int kind) override;
  // Lists the accounts of the company's chart (analytic ones only for the analytic kind), the
  // companies an SCP code takes, the accountants, the accounting offices and the signers'
  // qualifications of the tax authority's layout, or the mapping plans.
  bool Pesquisa(const TEdit_Codigo_Search_VYN& edit, const std::vector<std::string>& campos,
                TClientDataSet& lista) override;

  // A company with its data in force at the month (YYYYMM; 0: the process context's reference
  // month, else the latest); False when there is no such company.
  static bool Empresa(int64_t codEmp, int referencia, TCodigoRegistro& out);
  // Whether the kind has a table here (False: codes of the kind are taken as typed).
  static bool ConsultaTipo(int tipoCodigo);
};

// An analytic account of the chart (synthetic accounts take no entries).
TEdit_Codigo_Search_VYN::TLookupFn LookupContaAnalitica(std::function<int()> plano);
// A registered participant.
TEdit_Codigo_Search_VYN::TLookupFn LookupParticipante();
// A history of the plan.
TEdit_Codigo_Search_VYN::TLookupFn LookupHistorico(std::function<int()> planoHistorico);
// The chart (BDCODPLAPADRAO) and history plan (BDCODHIST) of a company at the reference month;
// 0 when the company is unknown.
int PlanoContasEmpresa(int64_t empresa);
int PlanoHistoricoEmpresa(int64_t empresa);
// Whether a code names what an entry may take: an analytic account of the chart, a registered
// participant, a history item of the plan.
bool ContaAnaliticaDoPlano(int plano, int64_t conta);
bool ParticipanteCadastrado(int64_t codigo);
bool HistoricoDoPlano(int planoHistorico, int64_t codigo);

}  // namespace vyn
