#include "framework/accounting/consulta_codigos_lancamento.h"

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

TDatabase& Banco() {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Não há banco de dados aberto.");
  return *db;
}

bool Preenche(const TQueryResult& r, const char* nome, TCodigoRegistro& out) {
  if (r.Rows.empty()) return false;
  out.Nome = r.Value(0, nome).IsNull() ? std::string() : r.Value(0, nome).AsString();
  for (size_t i = 0; i < r.Columns.size(); ++i) out.Campos.emplace_back(r.Columns[i].Name, r.Rows[0][i]);
  return true;
}

int ColunaEmpresa(int64_t empresa, const char* coluna) {
  const Variant v = Banco().QueryValue(std::string("select first 1 ") + coluna +
                                           " from TEMPRESAS_REF where BDCODEMP = ? order by BDREFEMP desc",
                                       {Variant(static_cast<long long>(empresa))});
  return v.IsNull() ? 0 : static_cast<int>(v.AsInteger());
}

}  // namespace

TEdit_Codigo_Search_VYN::TLookupFn LookupContaAnalitica(std::function<int()> plano) {
  return [plano = std::move(plano)](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    const TQueryResult r = Banco().QueryAll(
        "select BDCODTPLA, BDNOMCTA, BDPARTICIPANTE from PLANOS_TPLA where BDCODPLAPADRAO = ? and BDCODTPLA = ? "
        "and coalesce(BDTIPCTA, 'A') = 'A'",
        {Variant(plano ? plano() : 0), Variant(static_cast<long long>(code))});
    return Preenche(r, "BDNOMCTA", out);
  };
}

TEdit_Codigo_Search_VYN::TLookupFn LookupParticipante() {
  return [](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    const TQueryResult r = Banco().QueryAll("select BDCODTER, BDNOMETER, BDCGCTER from TTERCEIRO where BDCODTER = ?",
                                            {Variant(static_cast<long long>(code))});
    return Preenche(r, "BDNOMETER", out);
  };
}

TEdit_Codigo_Search_VYN::TLookupFn LookupHistorico(std::function<int()> planoHistorico) {
  return [plano = std::move(planoHistorico)](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    const TQueryResult r = Banco().QueryAll(
        "select BDCODTPHI, BDNOME from HIST_TPHI where BDCODHIST = ? and BDCODTPHI = ?",
        {Variant(plano ? plano() : 0), Variant(static_cast<long long>(code))});
    return Preenche(r, "BDNOME", out);
  };
}

int PlanoContasEmpresa(int64_t empresa) { return ColunaEmpresa(empresa, "BDCODPLAPADRAO"); }
int PlanoHistoricoEmpresa(int64_t empresa) { return ColunaEmpresa(empresa, "BDCODHIST"); }

}  // namespace vyn
