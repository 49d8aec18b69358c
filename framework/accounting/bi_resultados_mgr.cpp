#include "framework/accounting/bi_resultados_mgr.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "framework/accounting/socios_mgr.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"

namespace vyn {

namespace {

struct TPeriodoBI {
  int empresa;
  TDateTime ini, fim;
};

TPeriodoBI Periodo(TEdit_Codigo_Search_VYN* emp, TEdit_Date_Padrao_VYN* ini, TEdit_Date_Padrao_VYN* fim) {
  if (!emp || emp->Codigo() <= 0) throw std::invalid_argument("A empresa do pedido de BI não foi informada.");
  if (!ini || !fim || ini->GetData() == TDateTime() || fim->GetData() == TDateTime())
    throw std::invalid_argument("O período do pedido de BI não foi informado.");
  return {static_cast<int>(emp->Codigo()), ini->GetData(), fim->GetData()};
}

// The company and, when asked, its branches.
std::vector<int> Empresas(TDatabase& db, int empresa, bool comFiliais) {
  std::vector<int> out{empresa};
  if (!comFiliais) return out;
  auto r = db.QueryAll("SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODMATRIZ = ? AND BDCODEMP <> ? ORDER BY BDCODEMP",
                       {Variant(empresa), Variant(empresa)});
  for (auto& l : r.Rows) out.push_back(static_cast<int>(l[0].AsInteger()));
  return out;
}

}  // namespace

// What this installation cannot compute is refused by the request column's name, never answered
// with figures that ignore it.
void TTPEDIDOS_BI_DRE_RESULTADOSMGR::RecusaNaoSuportado() const {
  auto recusa = [this](const char* coluna, int valor) {
    throw std::invalid_argument("O pedido de BI " + std::to_string(id_) + " pede " + coluna + " = " +
                                std::to_string(valor) + ", que o demonstrativo de resultado desta instalação não calcula.");
  };
  if (planoFormula_ != 0) recusa("BDPLANO", planoFormula_);
  if (contabilizacao_ != 0) recusa("BDTIPOCONTABILIZACAO", contabilizacao_);
}

void TTPEDIDOS_BI_DRE_RESULTADOSMGR::Execute() {
  const TPeriodoBI p = Periodo(empresa_, dataIni_, dataFin_);
  RecusaNaoSuportado();
  TDatabase& db = Database();
  std::vector<std::string> script{"DELETE FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = " + std::to_string(id_)};
  const bool detalhar = detalhar_ && detalhar_->Checked();
  std::map<std::pair<int, int64_t>, Currency> valores;
  // Without the detail the branches' movement counts under the head office. Result accounts are
  // those of the chart whose classification does not begin with 1 (assets) or 2 (liabilities and
  // equity); each answers credits less debits, so revenue is positive and what was returned or
  // deducted from it is netted. The installation keeps no closing entries (it has no zeroing of
  // balances), so BDIGNORAZERAMENTO gives the same figures either way.
  for (int emp : Empresas(db, p.empresa, true)) {
    auto r = db.QueryAll(
        "SELECT M.CONTA, SUM(M.VALOR) FROM ("
        " SELECT BDCREDITO CONTA, BDCODPLAPADRAO PLANO, BDVALOR VALOR FROM VZEL_EMPRESAS_TLAN"
        "  WHERE BDCODEMP = ? AND BDDATA BETWEEN ? AND ? AND BDCREDITO IS NOT NULL"
        " UNION ALL"
        " SELECT BDDEBITO, BDCODPLAPADRAO, -BDVALOR FROM VZEL_EMPRESAS_TLAN"
        "  WHERE BDCODEMP = ? AND BDDATA BETWEEN ? AND ? AND BDDEBITO IS NOT NULL) M"
        " JOIN PLANOS_TPLA C ON C.BDCODPLAPADRAO = COALESCE(M.PLANO, ?) AND C.BDCODTPLA = M.CONTA"
        " WHERE SUBSTRING(TRIM(C.BDCTALON) FROM 1 FOR 1) NOT IN ('1', '2')"
        " GROUP BY M.CONTA ORDER BY M.CONTA",
        {Variant(emp), Variant(p.ini), Variant(p.fim), Variant(emp), Variant(p.ini), Variant(p.fim),
         Variant(GetCodigoPlanoContas(emp, &db))});
    const int destino = detalhar ? emp : p.empresa;
    for (auto& l : r.Rows) valores[{destino, l[0].AsInteger()}] += l[1].AsCurrency();
  }
  for (const auto& [chave, valor] : valores)
    script.push_back("INSERT INTO TPEDIDOS_BI_DRE_RESULTADOS (BDID, BDCODEMP, BDCONTA, BDVALOR) VALUES (" +
                     std::to_string(id_) + ", " + std::to_string(chave.first) + ", " + std::to_string(chave.second) +
                     ", " + valor.ToSQL() + ")");
  db.ExecuteScriptOrThrow(script);
}

void TTPEDIDOS_BI_FAT_RESULTADOSMGR::GerarFaturamento(TComponent*) {
  const TPeriodoBI p = Periodo(empresa_, refIni_, refFim_);
  if (!quadro_ || quadro_->Codigo() <= 0) throw std::invalid_argument("O quadro do pedido de BI não foi informado.");
  TDatabase& db = Database();
  const auto empresas = Empresas(db, p.empresa, soma_ && soma_->Checked());
  std::vector<std::string> script{"DELETE FROM TPEDIDOS_BI_FAT_RESULTADOS WHERE BDID = " + std::to_string(id_)};
  for (int ref = AnoMes(p.ini); ref <= AnoMes(p.fim); ref = IncAnoMes(ref, 1)) {
    const TDateTime ini = std::max(p.ini, FirstDayOfAnoMes(ref));
    const TDateTime fim = std::min(p.fim, LastDayOfAnoMes(ref));
    Currency total;
    // Returns are debited to the revenue account: they net what was credited. An entry from the account
    // to itself moves nothing, as in the income statement.
    for (int emp : empresas) {
      Variant v = db.QueryValue(
          "SELECT SUM(CASE WHEN BDCREDITO = ? THEN BDVALOR ELSE -BDVALOR END) FROM VZEL_EMPRESAS_TLAN"
          " WHERE BDCODEMP = ? AND (BDCREDITO = ? OR BDDEBITO = ?) AND BDDATA BETWEEN ? AND ?"
          " AND (BDCREDITO IS NULL OR BDDEBITO IS NULL OR BDCREDITO <> BDDEBITO)",
          {Variant(quadro_->Codigo()), Variant(emp), Variant(quadro_->Codigo()), Variant(quadro_->Codigo()),
           Variant(ini), Variant(fim)});
      if (!v.IsNull()) total += v.AsCurrency();
    }
    script.push_back("INSERT INTO TPEDIDOS_BI_FAT_RESULTADOS (BDID, BDCODEMP, BDREF, BDVALOR) VALUES (" +
                     std::to_string(id_) + ", " + std::to_string(p.empresa) + ", " + std::to_string(ref) + ", " +
                     total.ToSQL() + ")");
  }
  db.ExecuteScriptOrThrow(script);
}

}  // namespace vyn
