// The several paying accounts of one classification of the online account configuration.
#include "framework/accounting/conf_contas_online_mgr.h"

namespace vyn {

void TCONF_CONTAS_ONLINEMGR::getConsultaVariasContas(int plano, int, int referencia, const std::string& classificacao,
                                                     bool, bool, bool, int) {
  CommandText(
      "SELECT C.BDCODPLANOONLINE, C.BDCHAVE, C.BDCHAVEVINC, C.BDCLASSIFICACAO, R.BDREFCTA, R.BDCONTADEBPGTO, "
      "R.BDCONTACREDPGTO, P.BDAPECTA AS BDAPECTACO"
      " FROM TCONF_CONTAS_ONLINE C"
      " JOIN TCONF_CONTAS_ONLINE_REF R ON (R.BDCODPLANOONLINE = C.BDCODPLANOONLINE AND R.BDCHAVE = C.BDCHAVE"
      "  AND R.BDREFCTA = (SELECT MAX(R2.BDREFCTA) FROM TCONF_CONTAS_ONLINE_REF R2"
      "   WHERE R2.BDCODPLANOONLINE = C.BDCODPLANOONLINE AND R2.BDCHAVE = C.BDCHAVE AND R2.BDREFCTA <= ?))"
      " LEFT OUTER JOIN PLANOS_TPLA P ON (P.BDCODPLAPADRAO = C.BDCODPLAPADRAO AND P.BDCODTPLA = R.BDCONTACREDPGTO)"
      " WHERE C.BDCODPLANOONLINE = ? AND C.BDCLASSIFICACAO = ?"
      " ORDER BY C.BDCHAVE",
      ctOpen, {referencia, plano, classificacao});
  First();
}

int TCONF_CONTAS_ONLINEMGR::GetCHAVE() const {
  return Active() && !IsEmpty() ? static_cast<int>(FieldByName("BDCHAVE").AsInteger()) : 0;
}

int TCONF_CONTAS_ONLINEMGR::GetCONTACREDPGTO() const {
  if (!Active() || IsEmpty()) return 0;
  const TField& f = FieldByName("BDCONTACREDPGTO");
  return f.IsNull() ? 0 : static_cast<int>(f.AsInteger());
}

}  // namespace vyn
