#include "framework/livros/implantacao_saldo_troca.h"

#include <fmt/format.h>

#include <map>
#include <utility>

#include "framework/livros/exclusao_lancamentos.h"
#include "framework/livros/livros.h"
#include "framework/livros/marca_livros.h"
#include "framework/data/fb_database.h"
#include "framework/schema/entry_keys.h"
#include "framework/schema/troca_plano.h"

namespace vyn {

namespace {

// Per account of the postings before the change and participant, the balance, with the account of the
// new chart the mapping plan gives it. Values: the company and the date twice, the mapping plan, the
// new chart.
constexpr const char* kSaldos =
    "SELECT S.CONTA, S.PART, S.SALDO, COALESCE(P.BDCODTPLA, 0) AS PARA, COALESCE(P.BDPARTICIPANTE, 0) AS PARAPART"
    " FROM (SELECT M.CONTA, M.PART, SUM(M.VALOR) AS SALDO FROM ("
    " SELECT L.BDDEBITO AS CONTA, COALESCE(L.BDCODTERCEIROD, 0) AS PART, L.BDVALOR AS VALOR FROM VZEL_EMPRESAS_TLAN L"
    " WHERE L.BDCODEMP = ? AND L.BDDATA < ? AND COALESCE(L.BDDEBITO, 0) > 0"
    " UNION ALL SELECT L.BDCREDITO, COALESCE(L.BDCODTERCEIROC, 0), -L.BDVALOR FROM VZEL_EMPRESAS_TLAN L"
    " WHERE L.BDCODEMP = ? AND L.BDDATA < ? AND COALESCE(L.BDCREDITO, 0) > 0) M"
    " GROUP BY M.CONTA, M.PART HAVING SUM(M.VALOR) <> 0) S"
    " LEFT JOIN VINT_BASE_TINTONLINE_CONTA T ON (T.BDCODINT = ? AND T.BDCODTPLADE = S.CONTA)"
    " LEFT JOIN PLANOS_TPLA P ON (P.BDCODPLAPADRAO = ? AND P.BDCODTPLA = T.BDCODTPLAPARA)"
    " ORDER BY S.CONTA, S.PART";

TDateTime VesperaTroca(const TImplantacaoTroca& troca) { return IncDay(troca.Inicio.DateOnly(), -1); }

// The participant the implantation line takes: the balance's own, else the generic one where the new
// account asks for a participant.
int ParticipanteFinal(const TSaldoAnterior& s, const TImplantacaoTroca& troca) {
  if (s.Participante != 0 || !s.ParaParticipante) return s.Participante;
  return troca.Participante;
}

std::vector<std::string> ErrosEmpresa(TDatabase& db, int emp, const TImplantacaoTroca& troca, bool checkParticipante) {
  std::vector<std::string> out;
  auto outros = db.QueryAll("SELECT L.BDCODPLAPADRAO AS PLANO, COUNT(*) AS N FROM VZEL_EMPRESAS_TLAN L"
                            " WHERE L.BDCODEMP = ? AND L.BDDATA < ? AND COALESCE(L.BDCODPLAPADRAO, CAST(? AS INTEGER)) <> ?"
                            " GROUP BY 1 ORDER BY 1",
                            {emp, troca.Inicio.DateOnly(), troca.ContasDe, troca.ContasDe});
  for (size_t i = 0; i < outros.Rows.size(); ++i)
    out.push_back(fmt::format("A empresa {} tem {} lançamento(s) anteriores a {} no plano de contas {}, que não é o "
                              "plano de contas {} em vigor: a implantação de saldo não pode ser feita.",
                              emp, outros.Value(i, "N").AsInteger(), DateToStr(troca.Inicio),
                              outros.Value(i, "PLANO").AsInteger(), troca.ContasDe));
  bool semParticipante = false;
  for (const TSaldoAnterior& s : SaldosAnteriores(db, emp, troca)) {
    if (s.ContaPara == 0)
      out.push_back(fmt::format("A conta {} do plano de contas {} tem saldo de {} na empresa {} antes de {} e não tem "
                                "conta do plano de contas {} no plano de troca {}: a implantação de saldo não pode "
                                "ser feita.",
                                s.Conta, troca.ContasDe, s.Saldo.ToBR(), emp, DateToStr(troca.Inicio),
                                troca.ContasPara, troca.PlanoTroca));
    else if (checkParticipante && ParticipanteFinal(s, troca) == 0 && s.ParaParticipante)
      semParticipante = true;
  }
  if (semParticipante)
    out.push_back("O participante genérico deve ser informado para planos de contas que possuam contas participante!");
  return out;
}

// The implantation's lines of one company: per new account and participant, the sum of the balances.
std::map<std::pair<int, int>, Currency> Linhas(TDatabase& db, int emp, const TImplantacaoTroca& troca) {
  std::map<std::pair<int, int>, Currency> linhas;
  for (const TSaldoAnterior& s : SaldosAnteriores(db, emp, troca))
    linhas[{s.ContaPara, ParticipanteFinal(s, troca)}] += s.Saldo;
  std::erase_if(linhas, [](const auto& l) { return l.second.IsZero(); });
  return linhas;
}

}  // namespace

std::vector<TSaldoAnterior> SaldosAnteriores(TDatabase& db, int codEmp, const TImplantacaoTroca& troca) {
  const Variant dia = troca.Inicio.DateOnly();
  auto r = db.QueryAll(kSaldos, {codEmp, dia, codEmp, dia, troca.PlanoTroca, troca.ContasPara});
  std::vector<TSaldoAnterior> out;
  for (size_t i = 0; i < r.Rows.size(); ++i)
    out.push_back({static_cast<int>(r.Value(i, "CONTA").AsInteger()), static_cast<int>(r.Value(i, "PART").AsInteger()),
                   r.Value(i, "SALDO").AsCurrency(), static_cast<int>(r.Value(i, "PARA").AsInteger()),
                   r.Value(i, "PARAPART").AsInteger() == 1});
  return out;
}

std::vector<std::string> ErrosImplantacao(TDatabase& db, const std::vector<int>& empresas,
                                          const TImplantacaoTroca& troca, bool checkParticipante) {
  std::vector<std::string> out;
  for (int emp : empresas)
    for (std::string& e : ErrosEmpresa(db, emp, troca, checkParticipante)) out.push_back(std::move(e));
  return out;
}

std::vector<std::string> ImplantaSaldosTroca(TDatabase& db, const std::vector<int>& empresas,
                                             const TImplantacaoTroca& troca) {
  if (auto erros = ErrosImplantacao(db, empresas, troca, true); !erros.empty()) throw EDatabaseError(erros.front());
  // A later change deletes an earlier change's implantation with the other postings before it.
  LiberaImplantacoesTroca(db);
  const TDateTime vespera = VesperaTroca(troca);
  const std::string complemento =
      fmt::format("Implantação de saldo da troca do plano de contas {} para {}", troca.ContasDe, troca.ContasPara);
  std::vector<std::string> feitos;
  TMarcaLivros marca(db);
  // The implantation is the one writing the books let into the period the change holds, in the new
  // chart before its reference starts; the company must still be one that takes entries.
  TLivros livros(db, ExecucaoDe(nullptr, {"frLancamento"}), TIsencaoLivros::ImplantacaoTrocaPlano);
  for (int emp : empresas) {
    livros.Verifica({emp, vespera, 0, 0, 0, 0});
    const auto linhas = Linhas(db, emp, troca);
    // Reserved before the deletion, so that a rolled back change finds the keys of what it deleted free.
    int chave = linhas.empty() ? 0 : ReserveEntryKeysUnderHold(db, emp, static_cast<int>(linhas.size()));
    const int64_t apagados =
        db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDDATA < ?",
                      {emp, troca.Inicio.DateOnly()})
            .AsInteger();
    ExcluiLancamentos(db, emp, "L.BDCODEMP = ? AND L.BDDATA < ?", {emp, troca.Inicio.DateOnly()});
    for (const auto& [conta, saldo] : linhas) {
      // A debit balance is a debit line, a credit balance a credit line, each with its participant.
      const char* lado = saldo > Currency() ? "BDDEBITO, BDCODTERCEIROD" : "BDCREDITO, BDCODTERCEIROC";
      db.Execute(fmt::format("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, {},"
                             " BDVALOR, BDCODHIST, BDCOMPL, BDTIPOLAN, BDORDEMTROCA)"
                             " VALUES (?, ?, ?, ?, ?, NULLIF(?, 0), ?, NULLIF(?, 0), ?, 0, ?)",
                             lado),
                 {emp, chave++, vespera, troca.ContasPara, conta.first, conta.second,
                  saldo > Currency() ? saldo : -saldo, troca.HistoricosPara, complemento, troca.Ordem});
    }
    feitos.push_back(fmt::format("Empresa {}: {} lançamento(s) anteriores a {} apagados e implantação de saldo de {} "
                                 "conta(s) em {} no plano de contas {}.",
                                 emp, apagados, DateToStr(troca.Inicio), linhas.size(), DateToStr(vespera),
                                 troca.ContasPara));
  }
  return feitos;
}

}  // namespace vyn
