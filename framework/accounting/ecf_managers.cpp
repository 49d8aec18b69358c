#include "framework/accounting/ecf_managers.h"

#include <algorithm>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"

namespace vyn {

int TPLANOS_TPLA_ECFMGR::GetConsultaPlanoEmpresa(int64_t codPlaPadrao, int ano, int64_t codPlaPadraoRef,
                                                 const std::string& filtro, bool exportaZeradas,
                                                 const std::string& filiais, int64_t contaK155) {
  std::vector<int64_t> empresas;
  for (const auto& p : Split(filiais, ','))
    if (std::string d = OnlyDigits(p); !d.empty()) empresas.push_back(std::stoll(d));
  std::string sql = fmt::format(
      "SELECT P.BDCODTPLA, P.BDNOMCTA FROM PLANOS_TPLA P WHERE P.BDCODPLAPADRAO = ? AND {} AND P.BDCODTPLA <> ?"
      " AND NOT EXISTS (SELECT 1 FROM TPREPARACAO_CONTAS_ECF E WHERE E.BDCODPLAPADRAO = P.BDCODPLAPADRAO"
      " AND E.BDCODPLAPADRAOREF = ? AND E.BDCODTPLA = P.BDCODTPLA AND E.BDANO = (SELECT MAX(E2.BDANO)"
      " FROM TPREPARACAO_CONTAS_ECF E2 WHERE E2.BDCODPLAPADRAO = P.BDCODPLAPADRAO AND E2.BDCODPLAPADRAOREF = ?"
      " AND E2.BDANO <= ?))",
      filtro.empty() ? "1 = 1" : filtro);
  TParams params{codPlaPadrao, contaK155, codPlaPadraoRef, codPlaPadraoRef, ano};
  if (!exportaZeradas) {
    sql += " AND EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TLAN L WHERE " + SQLInCondition("L.BDCODEMP", empresas) +
           " AND (L.BDDEBITO = P.BDCODTPLA OR L.BDCREDITO = P.BDCODTPLA) AND L.BDDATA BETWEEN ? AND ?)";
    params.push_back(EncodeDate(ano, 1, 1));
    params.push_back(EncodeDate(ano, 12, 31));
  }
  CommandText(sql + " ORDER BY P.BDCODTPLA", ctOpen, params);
  return RecordCount();
}

bool TPLANOS_TPLA_ECFMGR::VerificarValidacaoContas(int64_t codPlaPadrao, int ano, int64_t codPlaPadraoRef) {
  Variant v = Database().QueryValue(
      "SELECT FIRST 1 BDVALIDADO FROM TPREPARACAO_ECF_VALIDACAO WHERE BDCODPLAPADRAO = ? AND BDCODPLAPADRAOREF = ?"
      " AND BDANO <= ? ORDER BY BDANO DESC",
      {codPlaPadrao, codPlaPadraoRef, ano});
  return !v.IsNull() && v.AsBoolean();
}

std::string TPLANOS_TPLA_SPEDMGR::GetItemExportacao(int64_t codEmp, int sequencia, bool centroCusto,
                                                    const std::string& tela, const std::string& descricao) const {
  return "INSERT INTO PLANOS_TPLA_SPED (BDCODEMP, BDTELA, BDSEQUENCIA, BDCENTROCUSTO, BDDESCRICAO, BDDATAHORA) "
         "VALUES (" + SQLInteger(codEmp) + ", " + QuotedStr(tela) + ", " + SQLInteger(sequencia) + ", " +
         SQLFlag(centroCusto) + ", " + QuotedStr(Utf8Left(descricao, 255)) + ", LOCALTIMESTAMP)";
}

int TEXPORTACAO_ITEMSTELA_CONFIGMGR::GetChaveServidor(int64_t codEmp, const std::string& classe) {
  std::string tela = classe;
  if (!tela.empty() && (tela[0] == 'T' || tela[0] == 't')) tela.erase(0, 1);
  TSQLMGR sql;
  TParams chave;
  chave.emplace_back(codEmp);
  chave.emplace_back(tela);
  Variant v = sql.Database().QueryValue(
      "SELECT MAX(BDSEQUENCIA) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCODEMP = ? AND BDTELA = ?", chave);
  Variant h = sql.Database().QueryValue("SELECT MAX(BDSEQUENCIA) FROM PLANOS_TPLA_SPED WHERE BDCODEMP = ? AND BDTELA = ?",
                                        chave);
  const int64_t m = std::max(v.IsNull() ? 0 : v.AsInteger(), h.IsNull() ? 0 : h.AsInteger());
  // Each increment answers a number no other call gets; a company's sets saved before the generator
  // overtook them push it past their highest number in one more increment.
  int64_t n = sql.Database().QueryValue("SELECT GEN_ID(GEN_TEXPORTACAO_ITEMSTELA, 1) FROM RDB$DATABASE").AsInteger();
  if (n <= m)
    n = sql.Database()
            .QueryValue("SELECT GEN_ID(GEN_TEXPORTACAO_ITEMSTELA, CAST(? AS BIGINT)) FROM RDB$DATABASE",
                        {Variant(static_cast<long long>(m - n + 1))})
            .AsInteger();
  return static_cast<int>(n);
}

int GetQtdEncerramentosPeriodo(int64_t codEmp, int tipo, TDateTime ini, TDateTime fim) {
  TSQLMGR sql;
  return static_cast<int>(sql.Database()
                              .QueryValue("SELECT COUNT(*) FROM VZEL_EMP_TENCERRAMENTO WHERE BDCODEMP = ? AND BDTIPO = ?"
                                          " AND BDDATA BETWEEN ? AND ?",
                                          {codEmp, tipo, ini, fim})
                              .AsInteger());
}

bool TPersonalizacaoMGR::TemCOSIF() {
  if (!ProcessContext().Database) return false;
  TSQLMGR sql;
  const Variant v =
      sql.Database().QueryValue("SELECT BDVALORSTR FROM TPARAMETRO WHERE BDPARAM = ?", {std::string("PLANO_COSIF")});
  return !v.IsNull() && SameText(Trim(v.AsString()), "TRUE");
}

std::vector<std::vector<std::string>> TPLANO_PADRAO_ECFMGR::GetListaContaReferencialECF(int64_t codPlaPadraoRef) {
  TSQLMGR sql;
  std::vector<std::vector<std::string>> out;
  TQueryResult r = sql.Database().QueryAll(
      "SELECT BDCODCTAREF, BDDESCRICAO, BDTIPO FROM PLANO_PADRAO_ECF WHERE BDCODPLAPADRAOREF = ? ORDER BY BDCODCTAREF",
      {Variant(static_cast<long long>(codPlaPadraoRef))});
  for (const auto& l : r.Rows)
    out.push_back({l[0].AsString(), l[1].IsNull() ? "" : l[1].AsString(), l[2].IsNull() ? "" : l[2].AsString()});
  return out;
}

}  // namespace vyn
