#include "framework/accounting/conf_contas_online_mgr.h"

namespace vyn {

TListaContasOnline TCONF_CONTAS_ONLINEMGR::GetConfiguracaoPorChave(int plano, int chave, TDateTime data) {
  // Asked by every settlement run for each configuration its links name: prepared once.
  TStatement& st = Database().Prepared(
      "select first 1 ref.BDCODPLANOONLINE, ref.BDCHAVE, con.BDCLASSIFICACAO, ref.BDREFCTA, ref.BDCONTADEBPGTO, "
      "ref.BDCONTACREDPGTO from TCONF_CONTAS_ONLINE_REF ref left outer join TCONF_CONTAS_ONLINE con on "
      "(con.BDCODPLANOONLINE = ref.BDCODPLANOONLINE and con.BDCHAVE = ref.BDCHAVE) "
      "where ref.BDCODPLANOONLINE = ? and ref.BDCHAVE = ? and ref.BDREFCTA <= ? order by ref.BDREFCTA desc");
  std::vector<std::vector<Variant>> linhas;
  st.Query({plano, chave, AnoMes(data)},
           [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) { linhas.push_back(row); });
  TListaContasOnline out;
  for (const auto& row : linhas) {
    TContaOnline c;
    c.Plano = static_cast<int>(row[0].AsInteger());
    c.Chave = static_cast<int>(row[1].AsInteger());
    c.Classificacao = row[2].AsString();
    c.RefCta = static_cast<int>(row[3].AsInteger());
    c.ContaDebPgto = static_cast<int>(row[4].AsInteger());
    c.ContaCredPgto = static_cast<int>(row[5].AsInteger());
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace vyn
