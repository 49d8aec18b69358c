#pragma once
// The balance implantation of a change to another chart after a closing: the original companies keep
// no posting before the change (the consultation-only backup holds them); each company's balances of
// that period, per account and participant, are translated through the mapping plan and written the
// day before the change in the new chart, as entries nobody may alter (framework/schema/troca_plano.h).
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;

struct TImplantacaoTroca {
  int Ordem = 0;            // the change's order (VINT_EMP_PROCESSOTROCA of the head office)
  int ContasDe = 0;         // the chart in force before the change
  int ContasPara = 0;       // the new chart
  int HistoricosPara = 0;   // the new history plan (0: none)
  int PlanoTroca = 0;       // the mapping plan
  int Participante = 0;     // the generic participant (0: none given)
  TDateTime Inicio;         // the change's first day
};

// One company's balance before the change of an account of the old chart and a participant (0: none),
// with the new chart's account the mapping plan gives it (0: none) and whether that one asks for a
// participant.
struct TSaldoAnterior {
  int Conta = 0;
  int Participante = 0;
  Currency Saldo;   // debits less credits
  int ContaPara = 0;
  bool ParaParticipante = false;
};

// The company's non-zero balances of the postings before the change.
std::vector<TSaldoAnterior> SaldosAnteriores(TDatabase& db, int codEmp, const TImplantacaoTroca& troca);

// Why the implantation cannot be made for the companies, one text a reason: a balance whose account
// the mapping plan does not carry into the new chart, a posting before the change in a chart other
// than the one in force, and (when checkParticipante) a balance without participant whose new account
// asks for one while no generic participant was given.
std::vector<std::string> ErrosImplantacao(TDatabase& db, const std::vector<int>& empresas,
                                          const TImplantacaoTroca& troca, bool checkParticipante);

// Inside the change's transaction, which holds the companies: deletes each company's postings before
// the change with what hangs on them (the period's payments and exchange-variance runs stay, unlinked
// from them) and writes its translated balances. Raises EDatabaseError when
// ErrosImplantacao finds a reason, so the whole change rolls back. Answers a text per company.
std::vector<std::string> ImplantaSaldosTroca(TDatabase& db, const std::vector<int>& empresas,
                                             const TImplantacaoTroca& troca);

}  // namespace vyn
