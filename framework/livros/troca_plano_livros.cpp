#include "framework/livros/troca_plano_livros.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/livros/exclusao_lancamentos.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/troca_plano.h"

namespace vyn {

namespace {

// The new chart's account the mapping plan gives the posting's debit or credit account; values: the
// mapping plan, the new chart.
std::string ContaTraduzida(const char* conta) {
  return std::string("SELECT T.BDCODTPLAPARA FROM VINT_BASE_TINTONLINE_CONTA T JOIN PLANOS_TPLA P ON"
                     " (P.BDCODPLAPADRAO = ? AND P.BDCODTPLA = T.BDCODTPLAPARA) WHERE T.BDCODINT = ? AND"
                     " T.BDCODTPLADE = L.") + conta;
}

// The columns of the table but BDCODEMP (and those named in fora), as a list for INSERT ... SELECT.
std::string ColunasMenosEmpresa(TDatabase& db, const char* tabela, std::initializer_list<const char*> fora = {}) {
  std::vector<std::string> nomes;
  for (const std::string& c : db.TableColumns(tabela))
    if (c != "BDCODEMP" && std::none_of(fora.begin(), fora.end(), [&](const char* f) { return c == f; }))
      nomes.push_back(c);
  return Join(nomes, ", ");
}

// The company's bank reconciliation, as the copy's: its statement lines (linked to the copy's entry
// where they named one of the company's) and its entries' reconciled items that name its own lines
// or entries.
void CopiaConciliacaoEmpresa(TDatabase& db, int empresa, int copia) {
  const std::string linhas = ColunasMenosEmpresa(db, "VZEL_EMPRESAS_TEXTRATOBAN", {"BDCODEMPLANC", "BDCHAVELANC"});
  db.Execute("INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCODEMPLANC, BDCHAVELANC, " + linhas +
                 ") SELECT ?, NULL, IIF(COALESCE(BDCODEMPLANC, BDCODEMP) = BDCODEMP, BDCHAVELANC, NULL), " + linhas +
                 " FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCODEMP = ?",
             {copia, empresa});
  const std::string itens = ColunasMenosEmpresa(db, "VZEL_EMPRESAS_TLAN_CONC", {"BDCODEMPCONC"});
  db.Execute("INSERT INTO VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCODEMPCONC, " + itens + ") SELECT ?, ?, " + itens +
                 " FROM VZEL_EMPRESAS_TLAN_CONC WHERE BDCODEMP = ? AND BDCODEMPCONC = ?",
             {copia, copia, empresa, empresa});
}

// What a payment pays, so that a payment the copy keeps has its obligation there too: the installment
// (with its document) or the guide or calculation, whose balance is what the copy's payments leave.
struct TObrigacaoPaga {
  const char* Pagamentos;
  const char* Obrigacao;
  std::vector<const char*> Chave;      // the payment's columns naming the obligation, besides BDCODEMP
  const char* Documento = nullptr;     // the installment's document, by BDCHAVE
  const char* Saldo = nullptr;         // the balance column, made from the copy's payments ({} is their sum)
  const char* SaldoExpressao = nullptr;
};

const TObrigacaoPaga kObrigacoesPagas[] = {
    {"VEF_EMP_TMOVENTPARPGTO", "VEF_EMP_TMOVENTPAR", {"BDCHAVE", "BDORDEMPAR"}, "VEF_EMP_TMOVENT"},
    {"VEF_EMP_TMOVSAIPARPGTO", "VEF_EMP_TMOVSAIPAR", {"BDCHAVE", "BDORDEMPAR"}, "VEF_EMP_TMOVSAI"},
    {"VEF_EMP_TMOVSERPARPGTO", "VEF_EMP_TMOVSERPAR", {"BDCHAVE", "BDORDEMPAR"}, "VEF_EMP_TMOVSER"},
    {"VEF_EMP_TMOVF100PARPGTO", "VEF_EMP_TMOVF100PAR", {"BDCHAVE", "BDORDEMPAR"}, "VEF_EMP_TMOVDEMAISDOC_F100"},
    {"TDARFGERPGTO_BAIXA", "TDARFGERPGTO", {"BDCHAVEDARF"}, nullptr, "BDSALDOAPAGAR", "O.BDVALOR - COALESCE({}, 0)"},
    {"TDADOSPGTOCALC_BAIXA", "TDADOSPGTOCALC", {"BDTIPOCALC", "BDCHAVE", "BDORDEMCALC"}, nullptr, "BDVLRPGTO",
     "COALESCE({}, 0)"}};

void CopiaObrigacoesPagas(TDatabase& db, int empresa, int copia, const TObrigacaoPaga& o) {
  std::string liga;
  for (const char* c : o.Chave) liga += fmt::format(" AND P.{0} = O.{0}", c);
  const std::string pagas = fmt::format("FROM {} P WHERE P.BDCODEMP = ?{}", o.Pagamentos, liga);
  std::string colunas = ColunasMenosEmpresa(db, o.Obrigacao, {o.Saldo ? o.Saldo : ""});
  std::string valores = colunas;
  if (o.Saldo) {
    colunas += std::string(", ") + o.Saldo;
    valores += ", " + fmt::format(fmt::runtime(o.SaldoExpressao), "(SELECT SUM(P.BDVALORPGTO) " + pagas + ")");
  }
  // The copy, its payments' sum for the balance (when there is one), the company, the copy's payments.
  const TParams p = o.Saldo ? TParams{copia, copia, empresa, copia} : TParams{copia, empresa, copia};
  db.Execute(fmt::format("INSERT INTO {0} (BDCODEMP, {1}) SELECT ?, {2} FROM {0} O WHERE O.BDCODEMP = ? AND EXISTS"
                         " (SELECT 1 {3})",
                         o.Obrigacao, colunas, valores, pagas),
             p);
  if (!o.Documento) return;
  const std::string documento = ColunasMenosEmpresa(db, o.Documento);
  db.Execute(fmt::format("INSERT INTO {0} (BDCODEMP, {1}) SELECT ?, {1} FROM {0} D WHERE D.BDCODEMP = ? AND EXISTS"
                         " (SELECT 1 FROM {2} O WHERE O.BDCODEMP = ? AND O.BDCHAVE = D.BDCHAVE)",
                         o.Documento, documento, o.Obrigacao),
             {copia, empresa, copia});
}

}  // namespace

std::string ListaEmpresas(const std::vector<int>& empresas) {
  std::vector<std::string> s;
  for (int x : empresas) s.push_back(std::to_string(x));
  return Join(s, ",");
}

std::string PeriodoTraduzido(const std::vector<int>& empresas) {
  return "L.BDCODEMP IN (" + ListaEmpresas(empresas) + ") AND COALESCE(L.BDCODPLAPADRAO, CAST(? AS INTEGER)) = ? AND L.BDDATA >= ?";
}

std::string SemParticipante(const char* lado) {
  const std::string conta = *lado == 'D' ? "BDDEBITO" : "BDCREDITO";
  return std::string("L.BDCODTERCEIRO") + lado + " IS NULL AND EXISTS (SELECT 1 FROM VINT_BASE_TINTONLINE_CONTA T"
         " JOIN PLANOS_TPLA P ON (P.BDCODTPLA = T.BDCODTPLAPARA) WHERE T.BDCODINT = ? AND P.BDCODPLAPADRAO = ? AND"
         " T.BDCODTPLADE = L." + conta + " AND P.BDPARTICIPANTE = 1)";
}

void CopiaLivrosEmpresa(TDatabase& db, int empresa, int copia) {
  TMarcaLivros marca(db);
  LiberaCopiaTroca(db, copia);
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN", "VZEL_EMPRESAS_TLAN_COMPL", "VZEL_EMPRESAS_TLAN_CC",
                             "VZEL_EMPRESAS_TLAN_Y570", "VZEL_EMPRESAS_TLAN_PR", "VZEL_EMPRESAS_TLAN_INC"}) {
    const std::string colunas = ColunasMenosEmpresa(db, tabela);
    db.Execute(std::string("INSERT INTO ") + tabela + " (BDCODEMP, " + colunas + ") SELECT ?, " + colunas + " FROM " +
                   tabela + " WHERE BDCODEMP = ?",
               {copia, empresa});
  }
  CopiaConciliacaoEmpresa(db, empresa, copia);
}

void CopiaPagamentosEmpresa(TDatabase& db, int empresa, int copia) {
  TMarcaLivros marca(db);
  LiberaCopiaTroca(db, copia);
  for (const char* tabela : kTabelasPagamento) {
    const std::string colunas = ColunasMenosEmpresa(db, tabela);
    db.Execute(std::string("INSERT INTO ") + tabela + " (BDCODEMP, " + colunas + ") SELECT ?, " + colunas + " FROM " +
                   tabela + " P WHERE P.BDCODEMP = ? AND EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TLAN L WHERE"
                   " L.BDCODEMP = ? AND L.BDCHAVE = P.BDCHAVELAN)",
               {copia, empresa, copia});
  }
  for (const TObrigacaoPaga& o : kObrigacoesPagas) CopiaObrigacoesPagas(db, empresa, copia, o);
}

void TraduzLancamentosTroca(TDatabase& db, const std::vector<int>& empresas, const TTraducaoTroca& t) {
  TMarcaLivros marca(db);
  const std::string periodo = PeriodoTraduzido(empresas);
  const TParams pPeriodo{t.ContasDe, t.ContasDe, t.Inicio.DateOnly()};
  if (t.ContasDe != t.ContasPara) {
    // The generic participant goes where a mapped account asks for one the posting does not have.
    if (t.Participante > 0)
      for (const char* lado : {"D", "C"})
        db.Execute(std::string("UPDATE VZEL_EMPRESAS_TLAN L SET BDCODTERCEIRO") + lado + " = ? WHERE " + periodo +
                       " AND " + SemParticipante(lado),
                   {t.Participante, t.ContasDe, t.ContasDe, t.Inicio.DateOnly(), t.PlanoTroca, t.ContasPara});
    db.Execute("UPDATE VZEL_EMPRESAS_TLAN L SET BDDEBITO = (" + ContaTraduzida("BDDEBITO") + "), BDCREDITO = (" +
                   ContaTraduzida("BDCREDITO") + "), BDCODPLAPADRAO = ?,"
                   " BDCODHIST = IIF(L.BDCODHIST = CAST(? AS INTEGER), CAST(? AS INTEGER), L.BDCODHIST) WHERE " + periodo,
               {t.ContasPara, t.PlanoTroca, t.ContasPara, t.PlanoTroca, t.ContasPara, t.HistoricosDe, t.HistoricosPara,
                t.ContasDe, t.ContasDe, t.Inicio.DateOnly()});
  } else if (t.HistoricosDe != t.HistoricosPara) {
    TParams p{t.HistoricosPara, t.HistoricosDe};
    p.insert(p.end(), pPeriodo.begin(), pPeriodo.end());
    db.Execute("UPDATE VZEL_EMPRESAS_TLAN L SET BDCODHIST = ? WHERE L.BDCODHIST = ? AND " + periodo, p);
  }
}

}  // namespace vyn
