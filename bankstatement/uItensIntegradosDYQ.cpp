#include "bankstatement/uItensIntegradosDYQ.h"

#include "framework/data/fb_database.h"

namespace integracao {

using namespace vyn;

void TItensIntegradosDYQ::Registra(TDatabase& db, int empresa, int tipoConta, const std::vector<TItem>& itens) {
  // One statement for the whole run: compiling it again for each item cost more than writing it.
  TStatement& ins = db.Prepared(
      "insert into TINTEGRACAO_DYQ_ITEM (BDCODEMP, BDIDWEB, BDIDEXTRATOWEB, BDCHAVELAN, BDTIPOCONTA, BDINFORMADO) "
      "select ?, ?, ?, ?, ?, 'FALSE' from RDB$DATABASE where not exists "
      "(select 1 from TINTEGRACAO_DYQ_ITEM where BDCODEMP = ? and BDIDWEB = ?)");
  for (const TItem& i : itens)
    ins.Run({Variant(empresa), Variant(static_cast<long long>(i.IdWeb)),
             i.IdExtrato > 0 ? Variant(static_cast<long long>(i.IdExtrato)) : Variant(),
             i.ChaveLancamento > 0 ? Variant(static_cast<long long>(i.ChaveLancamento)) : Variant(),
             Variant(tipoConta), Variant(empresa), Variant(static_cast<long long>(i.IdWeb))});
}

std::map<int64_t, bool> TItensIntegradosDYQ::Integrados(TDatabase& db, int empresa) {
  std::map<int64_t, bool> r;
  db.Query("select BDIDWEB, BDINFORMADO from TINTEGRACAO_DYQ_ITEM where BDCODEMP = ?", {Variant(empresa)},
           [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
             r[row[0].AsInteger()] = row[1].AsString() == "TRUE";
           });
  return r;
}

void TItensIntegradosDYQ::MarcaInformados(TDatabase& db, int empresa, const std::vector<int64_t>& ids) {
  if (ids.empty()) return;
  TTransaction tx(db, TTransaction::kJuntaAberta);
  TStatement& marca =
      db.Prepared("update TINTEGRACAO_DYQ_ITEM set BDINFORMADO = 'TRUE' where BDCODEMP = ? and BDIDWEB = ?");
  for (int64_t id : ids) marca.Run({Variant(empresa), Variant(static_cast<long long>(id))});
  tx.Commit();
}

}  // namespace integracao
