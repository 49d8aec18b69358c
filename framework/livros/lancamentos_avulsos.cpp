#include "framework/livros/lancamentos_avulsos.h"

#include <fmt/format.h>

#include "framework/data/dao_factory.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"
#include "framework/livros/exclusao_lancamentos.h"
#include "framework/livros/livros.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/entry_keys.h"

namespace vyn {

namespace {

// The entry as the rules see it; nothing when it does not exist.
std::optional<TLancamentoLivros> Lancamento(TDatabase& db, int64_t emp, int64_t chave) {
  const std::vector<Variant> r = db.ExecuteReturning(
      "select BDDATA, BDDEBITO, BDCREDITO, BDCODTERCEIROD, BDCODTERCEIROC from VZEL_EMPRESAS_TLAN where BDCODEMP = ? "
      "and BDCHAVE = ?",
      {Variant(static_cast<long long>(emp)), Variant(static_cast<long long>(chave))});
  if (r.empty() || r[0].IsNull()) return std::nullopt;
  auto inteiro = [](const Variant& v) { return v.IsNull() ? 0 : static_cast<int>(v.AsInteger()); };
  return TLancamentoLivros{static_cast<int>(emp), r[0].AsDateTime(), inteiro(r[1]), inteiro(r[2]), inteiro(r[3]),
                           inteiro(r[4])};
}

}  // namespace

int64_t MarcaConciliado(TDatabase& db, int64_t emp, int64_t chave, int64_t conta, bool soLivre) {
  TMarcaLivros marca(db);
  const Variant c(static_cast<long long>(conta));
  const std::string livre = soLivre ? " and coalesce(BDCONCD, 'FALSE') <> 'TRUE'" : "";
  const std::string livreC = soLivre ? " and coalesce(BDCONCC, 'FALSE') <> 'TRUE'" : "";
  return db.Prepared("update VZEL_EMPRESAS_TLAN set BDCONCD = case when BDDEBITO = ?" + livre +
                     " then 'TRUE' else BDCONCD end, BDCONCC = case when BDCREDITO = ?" + livreC +
                     " then 'TRUE' else BDCONCC end where BDCODEMP = ? and BDCHAVE = ? and ((BDDEBITO = ?" + livre +
                     ") or (BDCREDITO = ?" + livreC + "))")
      .Execute({c, c, Variant(static_cast<long long>(emp)), Variant(static_cast<long long>(chave)), c, c});
}

void MudaDataLancamento(TLivros& livros, TDatabase& db, int64_t emp, int64_t chave, TDateTime data) {
  std::optional<TLancamentoLivros> l = Lancamento(db, emp, chave);
  if (!l || l->Data.Days() == data.Days()) return;
  livros.Verifica(*l);
  l->Data = data.DateOnly();
  livros.Verifica(*l);
  TMarcaLivros marca(db);
  db.Prepared("update VZEL_EMPRESAS_TLAN set BDDATA = ? where BDCODEMP = ? and BDCHAVE = ?")
      .Run({Variant(data.DateOnly()), Variant(static_cast<long long>(emp)), Variant(static_cast<long long>(chave))});
}

bool ExcluiLancamentoContabil(TLivros& livros, TDatabase& db, int64_t emp, int64_t chave) {
  const TParams k{Variant(static_cast<long long>(emp)), Variant(static_cast<long long>(chave))};
  TTransaction tr(db, TTransaction::kJuntaAberta);
  const std::optional<TLancamentoLivros> l = Lancamento(db, emp, chave);
  if (!l) return false;
  livros.Verifica(*l);
  TMarcaLivros marca(db);
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN_CONC", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_COMPL",
                             "VZEL_EMPRESAS_TLAN_Y570"})
    db.Execute(std::string("delete from ") + tabela + " where BDCODEMP = ? and BDCHAVE = ?", k);
  // Another entry's items that name this one (origin 2: an entry).
  db.Execute("delete from VZEL_EMPRESAS_TLAN_CONC where BDORIGEMCONC = 2 and BDCODEMPCONC = ? and BDCHAVECONC = ?", k);
  const int64_t n = db.Execute("delete from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and BDCHAVE = ?", k);
  tr.Commit();
  return n > 0;
}

int RefazLancamento(TDatabase& db, int codEmp, int chave, const Variant& contas, const Variant& historicos,
                    const std::string& colunas) {
  const int nova = ReserveEntryKeys(db, codEmp);
  TMarcaLivros marca(db);
  // A posting made again is not reconciled; its history plan is the plan's where it names a history.
  db.Execute("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDCODPLAPADRAO, BDCODHIST, BDCONCD, BDCONCC, " +
                 colunas + ") SELECT BDCODEMP, ?, ?, IIF(BDCODTPHI IS NULL, BDCODHIST, CAST(? AS INTEGER)), 'FALSE',"
                 " 'FALSE', " + colunas + " FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDCHAVE = ?",
             {nova, contas, historicos, codEmp, chave});
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN_COMPL", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_Y570",
                             "VZEL_EMPRESAS_TLAN_PR", "VZEL_EMPRESAS_TLAN_INC"})
    db.Execute(std::string("UPDATE ") + tabela + " SET BDCHAVE = ? WHERE BDCODEMP = ? AND BDCHAVE = ?",
               {nova, codEmp, chave});
  TransfereVinculosDoLancamento(db, codEmp, chave, nova);
  ExcluiLancamentos(db, codEmp, "L.BDCODEMP = ? AND L.BDCHAVE = ?", {codEmp, chave});
  return nova;
}

std::string GravaScriptLancamentos(TDatabase& db, const std::vector<std::string>& script) {
  TMarcaLivros marca(db);
  return TDAOFactory::Executa_Script(script, true, false, {}, 0, false, &db);
}

std::string InsercaoLancamento(TLivros& livros, const TLancamentoNovo& l) {
  livros.Verifica({l.CodEmp, l.Data, l.Debito, l.Credito, 0, 0});
  return fmt::format(
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDTIPOLAN, BDDEBITO, BDCREDITO,"
      " BDVALOR, BDCODHIST, BDCODTPHI, BDCOMPL, BDDCTO) VALUES ({}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {})",
      l.CodEmp, l.Chave, SQLDate(l.Data), l.Plano, l.TipoLan, l.Debito, l.Credito, SQLCurrency(l.Valor),
      SQLValue(l.CodHist), SQLValue(l.CodTphi), QuotedStr(l.Compl), QuotedStr(l.Dcto));
}

}  // namespace vyn
