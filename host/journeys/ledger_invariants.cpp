#include "host/journeys/ledger_invariants.h"

#include <string>
#include <vector>

#include "framework/data/fb_database.h"

namespace integracao_host {

namespace {

struct TRegra {
  std::string Nome;
  std::string Sql;   // each row it answers breaks the rule
};

// The installments' tables of the four fiscal books; their payments are the same name + PGTO.
const char* const kParcelas[] = {"VEF_EMP_TMOVENTPAR", "VEF_EMP_TMOVSAIPAR", "VEF_EMP_TMOVSERPAR", "VEF_EMP_TMOVF100PAR"};

// Every payment row with the entry it was posted with: installments' principal, fine and interest (a
// discount is no money moved), guides, calculations. The source line (BDCHAVEORIGEM) is the line's
// key in the review that posted it, not an entry's; its value is not kept once imported.
std::string Pagamentos() {
  std::string sql;
  for (const char* p : kParcelas)
    sql += std::string(sql.empty() ? "" : " UNION ALL ") + "SELECT BDCODEMP, BDCHAVELAN, BDCHAVEORIGEM, BDVALORPGTO FROM " +
           p + "PGTO WHERE BDTIPOBAIXA <> 4";
  return sql + " UNION ALL SELECT BDCODEMP, BDCHAVELAN, BDCHAVEORIGEM, BDVALORPGTO FROM TDARFGERPGTO_BAIXA" +
         " UNION ALL SELECT BDCODEMP, BDCHAVELAN, BDCHAVEORIGEM, BDVALORPGTO FROM TDADOSPGTOCALC_BAIXA";
}

// The entry's month as the companies' monthly records number it (YYYYMM).
const std::string kMes = "EXTRACT(YEAR FROM L.BDDATA) * 100 + EXTRACT(MONTH FROM L.BDDATA)";

// The company's monthly record in force at the entry's date gives the column.
std::string DoMes(const std::string& coluna) {
  return "(SELECT FIRST 1 R." + coluna + " FROM TEMPRESAS_REF R WHERE R.BDCODEMP = L.BDCODEMP AND R.BDREFEMP <= " +
         kMes + " ORDER BY R.BDREFEMP DESC)";
}

std::string Existe(const std::string& tabela, const std::string& emp, const std::string& chave) {
  return "EXISTS (SELECT 1 FROM " + tabela + " E WHERE E.BDCODEMP = " + emp + " AND E.BDCHAVE = " + chave + ")";
}

// The entry's account in the column is missing from its chart (L.PLANO).
std::string SemConta(const std::string& coluna) {
  return "(COALESCE(L." + coluna + ", 0) > 0 AND NOT EXISTS (SELECT 1 FROM PLANOS_TPLA P WHERE P.BDCODPLAPADRAO = "
         "L.PLANO AND P.BDCODTPLA = L." + coluna + "))";
}

void RegrasDePagamento(std::vector<TRegra>& r) {
  for (const std::string p : kParcelas) {
    r.push_back({"parcela paga além do seu valor (" + p + ")",
                 "SELECT P.BDCODEMP, P.BDCHAVE, P.BDORDEMPAR, P.BDVALORPAR, SUM(G.BDVALORPGTO) AS PAGO FROM " + p +
                     " P JOIN " + p + "PGTO G ON G.BDCODEMP = P.BDCODEMP AND G.BDCHAVE = P.BDCHAVE AND "
                     "G.BDORDEMPAR = P.BDORDEMPAR AND G.BDTIPOBAIXA IN (1, 4) GROUP BY P.BDCODEMP, P.BDCHAVE, "
                     "P.BDORDEMPAR, P.BDVALORPAR HAVING SUM(G.BDVALORPGTO) > P.BDVALORPAR"});
    r.push_back({"parcela baixada duas vezes pela mesma linha de origem (" + p + "PGTO)",
                 "SELECT BDCODEMP, BDCHAVE, BDORDEMPAR, BDTIPOBAIXA, BDCHAVEORIGEM, BDDATAPGTO, BDDCTO, COUNT(*) AS "
                 "VEZES FROM " + p + "PGTO WHERE BDCHAVEORIGEM > 0 GROUP BY BDCODEMP, BDCHAVE, BDORDEMPAR, "
                 "BDTIPOBAIXA, BDCHAVEORIGEM, BDDATAPGTO, BDDCTO HAVING COUNT(*) > 1"});
  }
  const std::string pagoGuia =
      "COALESCE((SELECT SUM(B.BDVALORPGTO) FROM TDARFGERPGTO_BAIXA B WHERE B.BDCODEMP = D.BDCODEMP AND "
      "B.BDCHAVEDARF = D.BDCHAVEDARF), 0)";
  r.push_back({"guia paga além do seu valor", "SELECT D.BDCODEMP, D.BDCHAVEDARF, D.BDVALOR, D.BDSALDOAPAGAR, " +
                                                   pagoGuia + " AS PAGO FROM TDARFGERPGTO D WHERE D.BDSALDOAPAGAR < 0 OR " +
                                                   pagoGuia + " > D.BDVALOR"});
  const std::string pagoCalculo =
      "COALESCE((SELECT SUM(B.BDVALORPGTO) FROM TDADOSPGTOCALC_BAIXA B WHERE B.BDCODEMP = C.BDCODEMP AND "
      "B.BDTIPOCALC = C.BDTIPOCALC AND B.BDCHAVE = C.BDCHAVE AND B.BDORDEMCALC = C.BDORDEMCALC), 0)";
  r.push_back({"cálculo pago além do seu líquido",
               "SELECT C.BDCODEMP, C.BDTIPOCALC, C.BDCHAVE, C.BDORDEMCALC, C.BDLIQUIDO, C.BDVLRPGTO, " + pagoCalculo +
                   " AS PAGO FROM TDADOSPGTOCALC C WHERE COALESCE(C.BDVLRPGTO, 0) > C.BDLIQUIDO OR " + pagoCalculo +
                   " > C.BDLIQUIDO"});
  r.push_back({"guia ou cálculo baixado duas vezes pela mesma linha de origem",
               "SELECT 'guia' AS OBRIGACAO, BDCODEMP, BDCHAVEDARF AS CHAVE, BDCHAVEORIGEM, BDDATAPGTO, BDDCTO, "
               "COUNT(*) AS VEZES FROM TDARFGERPGTO_BAIXA WHERE BDCHAVEORIGEM > 0 GROUP BY BDCODEMP, BDCHAVEDARF, "
               "BDCHAVEORIGEM, BDDATAPGTO, BDDCTO HAVING COUNT(*) > 1 UNION ALL SELECT 'cálculo', BDCODEMP, BDCHAVE, "
               "BDCHAVEORIGEM, BDDATAPGTO, BDDCTO, COUNT(*) FROM TDADOSPGTOCALC_BAIXA WHERE BDCHAVEORIGEM > 0 GROUP "
               "BY BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDCHAVEORIGEM, BDDATAPGTO, BDDCTO HAVING COUNT(*) > 1"});
  r.push_back({"baixas de um lançamento somam mais que o lançamento",
               "SELECT X.BDCODEMP, X.BDCHAVELAN, L.BDVALOR, SUM(X.BDVALORPGTO) AS BAIXADO FROM (" + Pagamentos() +
                   ") X JOIN VZEL_EMPRESAS_TLAN L ON L.BDCODEMP = X.BDCODEMP AND L.BDCHAVE = X.BDCHAVELAN GROUP BY "
                   "X.BDCODEMP, X.BDCHAVELAN, L.BDVALOR HAVING SUM(X.BDVALORPGTO) > L.BDVALOR"});
}

void RegrasDeLancamento(std::vector<TRegra>& r) {
  const std::string encerrado = "(SELECT MAX(R.BDULTENC) FROM TEMPRESAS_REF R WHERE R.BDCODEMP = L.BDCODEMP)";
  // A change of posting plan after a closing writes into the closed period on purpose: the balance
  // implantation the day before the change, naming the change of its head office, and the
  // consultation-only backup of the period before it. Nothing else may.
  const std::string daTroca =
      "(L.BDORDEMTROCA IS NOT NULL AND EXISTS (SELECT 1 FROM TEMPRESAS E JOIN VINT_EMP_PROCESSOTROCA P ON "
      "P.BDCODEMP = IIF(COALESCE(E.BDCODMATRIZ, 0) = 0, E.BDCODEMP, E.BDCODMATRIZ) WHERE E.BDCODEMP = L.BDCODEMP AND "
      "P.BDORDEM = L.BDORDEMTROCA AND P.BDDATAINICIAL = L.BDDATA + 1)) OR EXISTS (SELECT 1 FROM TEMPRESAS E WHERE "
      "E.BDCODEMP = L.BDCODEMP AND E.BDSTATUSEMP = 1)";
  r.push_back({"lançamento em período encerrado", "SELECT L.BDCODEMP, L.BDCHAVE, L.BDDATA, " + encerrado +
                                                       " AS ENCERRADO_ATE FROM VZEL_EMPRESAS_TLAN L WHERE L.BDDATA <= " +
                                                       encerrado + " AND NOT (" + daTroca + ")"});
  r.push_back({"lançamento em período de zeramento",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.BDDATA FROM VZEL_EMPRESAS_TLAN L WHERE EXISTS (SELECT 1 FROM "
               "TPROCESSO_ZERAMENTO Z WHERE Z.BDCODEMP = L.BDCODEMP AND L.BDDATA BETWEEN Z.BDDATAINI AND Z.BDDATAFIM)"});
  r.push_back({"lançamento em período bloqueado",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.BDDATA, B.BDTELA FROM VZEL_EMPRESAS_TLAN L JOIN TBLOQUEIO_LANCAMENTO B "
               "ON B.BDCODEMP = L.BDCODEMP AND L.BDDATA BETWEEN B.BDDATAINI AND B.BDDATAFIM"});
  // A typed 1900: before the five years before the company's first reference year.
  r.push_back({"lançamento anterior ao período de lançamentos da empresa",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.BDDATA FROM VZEL_EMPRESAS_TLAN L WHERE L.BDDATA < (SELECT CAST(((MIN("
               "R.BDREFEMP) / 100) - 5) || '-1-1' AS DATE) FROM TEMPRESAS_REF R WHERE R.BDCODEMP = L.BDCODEMP)"});
  // One source item booked twice gives the same entry twice: same document, date, accounts, value
  // and text. Equal entries each recorded as booking a source of its own are two real movements (two
  // equal fees of one day, a probable duplicate the user chose to book).
  const std::string fonte =
      "COALESCE((SELECT MIN(F.BDTIPOFONTE || '|' || F.BDFONTE) FROM TINTEGRACAO_FONTE_LANCADA F WHERE F.BDCODEMP = "
      "L.BDCODEMP AND F.BDCHAVELAN = L.BDCHAVE), (SELECT MIN(P.BDTIPOFONTE || '|' || P.BDFONTE || '|' || P.BDPARTE) "
      "FROM TINTEGRACAO_FONTE_PARTE P WHERE P.BDCODEMP = L.BDCODEMP AND P.BDCHAVELAN = L.BDCHAVE))";
  r.push_back({"lançamentos iguais do mesmo documento",
               "SELECT L.BDCODEMP, L.BDDATA, L.BDDEBITO, L.BDCREDITO, L.BDVALOR, L.BDDCTO, L.BDCOMPL, COUNT(*) AS VEZES "
               "FROM (SELECT L.*, " + fonte + " AS FONTE FROM VZEL_EMPRESAS_TLAN L) L WHERE TRIM(COALESCE(L.BDDCTO, "
               "'')) <> '' GROUP BY L.BDCODEMP, L.BDDATA, L.BDDEBITO, L.BDCREDITO, L.BDVALOR, L.BDDCTO, L.BDCOMPL "
               "HAVING COUNT(*) > 1 AND (COUNT(L.FONTE) < COUNT(*) OR COUNT(DISTINCT L.FONTE) < COUNT(*))"});
  r.push_back({"lançamento com conta que o plano não tem",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.PLANO, L.BDDEBITO, L.BDCREDITO FROM (SELECT L.BDCODEMP, L.BDCHAVE, "
               "L.BDDEBITO, L.BDCREDITO, COALESCE(L.BDCODPLAPADRAO, " + DoMes("BDCODPLAPADRAO") +
                   ") AS PLANO FROM VZEL_EMPRESAS_TLAN L) L WHERE L.PLANO IS NOT NULL AND (" + SemConta("BDDEBITO") +
                   " OR " + SemConta("BDCREDITO") + ")"});
  r.push_back({"lançamento com histórico que o plano de históricos não tem",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.HIST, L.BDCODTPHI FROM (SELECT L.BDCODEMP, L.BDCHAVE, L.BDCODTPHI, "
               "COALESCE(L.BDCODHIST, " + DoMes("BDCODHIST") +
                   ") AS HIST FROM VZEL_EMPRESAS_TLAN L) L WHERE COALESCE(L.BDCODTPHI, 0) > 0 AND NOT EXISTS (SELECT 1 "
                   "FROM HIST_TPHI H WHERE H.BDCODHIST = L.HIST AND H.BDCODTPHI = L.BDCODTPHI)"});
  r.push_back({"lançamento com participante que não existe",
               "SELECT L.BDCODEMP, L.BDCHAVE, L.BDCODTERCEIROD, L.BDCODTERCEIROC FROM VZEL_EMPRESAS_TLAN L WHERE "
               "(COALESCE(L.BDCODTERCEIROD, 0) > 0 AND NOT EXISTS (SELECT 1 FROM TTERCEIRO T WHERE T.BDCODTER = "
               "L.BDCODTERCEIROD)) OR (COALESCE(L.BDCODTERCEIROC, 0) > 0 AND NOT EXISTS (SELECT 1 FROM TTERCEIRO T "
               "WHERE T.BDCODTER = L.BDCODTERCEIROC))"});
}

void RegrasDeOrfaos(std::vector<TRegra>& r) {
  const std::string tlan = "VZEL_EMPRESAS_TLAN";
  for (const char* t : {"VZEL_EMPRESAS_TLAN_COMPL", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_Y570"})
    r.push_back({std::string(t) + " de lançamento que não existe", std::string("SELECT DISTINCT O.BDCODEMP, O.BDCHAVE FROM ") +
                                                                     t + " O WHERE NOT " +
                                                                     Existe(tlan, "O.BDCODEMP", "O.BDCHAVE")});
  r.push_back({"conciliação de lançamento que não existe",
               "SELECT O.BDCODEMP, O.BDCHAVE, O.BDORIGEMCONC, O.BDCODEMPCONC, O.BDCHAVECONC FROM "
               "VZEL_EMPRESAS_TLAN_CONC O WHERE NOT " + Existe(tlan, "O.BDCODEMP", "O.BDCHAVE") +
                   " OR (O.BDORIGEMCONC = 2 AND NOT " + Existe(tlan, "O.BDCODEMPCONC", "O.BDCHAVECONC") + ")"});
  r.push_back({"linha de extrato ligada a lançamento que não existe",
               "SELECT O.BDCODEMP, O.BDCHAVE, O.BDCODEMPLANC, O.BDCHAVELANC FROM VZEL_EMPRESAS_TEXTRATOBAN O WHERE "
               "O.BDCHAVELANC IS NOT NULL AND NOT " + Existe(tlan, "COALESCE(O.BDCODEMPLANC, O.BDCODEMP)", "O.BDCHAVELANC")});
  r.push_back({"baixa ligada a lançamento que não existe",
               "SELECT O.BDCODEMP, O.BDCHAVELAN, O.BDCHAVEORIGEM, O.BDVALORPGTO FROM (" + Pagamentos() +
                   ") O WHERE COALESCE(O.BDCHAVELAN, 0) > 0 AND NOT " + Existe(tlan, "O.BDCODEMP", "O.BDCHAVELAN")});
  r.push_back({"variação cambial ligada a lançamento que não existe",
               "SELECT O.BDCODEMP, O.BDCODVAR, O.BDCHAVELAN FROM TOL_VZEL_EMP_TVARCAMBIAL O WHERE NOT " +
                   Existe(tlan, "O.BDCODEMP", "O.BDCHAVELAN")});
}

const std::vector<TRegra>& Regras() {
  static const std::vector<TRegra> regras = [] {
    std::vector<TRegra> r;
    RegrasDePagamento(r);
    RegrasDeLancamento(r);
    RegrasDeOrfaos(r);
    return r;
  }();
  return regras;
}

std::string Linha(const vyn::TQueryResult& q, size_t i) {
  std::string t;
  for (size_t c = 0; c < q.Columns.size(); ++c)
    t += (c ? ", " : "") + q.Columns[c].Name + "=" + (q.Rows[i][c].IsNull() ? "null" : q.Rows[i][c].AsString());
  return t;
}

}  // namespace

TInvariantesRazao::TViolacoes TInvariantesRazao::Le(vyn::TDatabase& db) {
  TViolacoes v;
  for (const TRegra& r : Regras()) {
    const vyn::TQueryResult q = db.QueryAll(r.Sql);
    for (size_t i = 0; i < q.Rows.size(); ++i) v[r.Nome].insert(Linha(q, i));
  }
  return v;
}

std::string TInvariantesRazao::Novas(const TViolacoes& antes, const TViolacoes& agora) {
  std::string relato;
  for (const auto& [regra, linhas] : agora) {
    const auto a = antes.find(regra);
    std::string desta;
    for (const std::string& l : linhas)
      if (a == antes.end() || !a->second.count(l)) desta += "    " + l + "\n";
    if (!desta.empty()) relato += "  " + regra + ":\n" + desta;
  }
  return relato;
}

}  // namespace integracao_host
