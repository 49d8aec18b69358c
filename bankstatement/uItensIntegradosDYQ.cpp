#include "bankstatement/uItensIntegradosDYQ.h"

#include "framework/data/fb_database.h"

namespace integracao {

using namespace vyn;

namespace {
Variant Id(int64_t v) { return Variant(static_cast<long long>(v)); }
}  // namespace

void TItensIntegradosDYQ::Registra(TDatabase& db, int empresa, int tipoConta, const std::vector<TItem>& itens) {
  // One statement for the whole run: compiling it again for each item cost more than writing it.
  TStatement& ins = db.Prepared(
      "insert into TINTEGRACAO_DYQ_ITEM (BDCODEMP, BDIDWEB, BDIDEXTRATOWEB, BDCHAVELAN, BDTIPOCONTA, BDINFORMADO) "
      "select ?, ?, ?, ?, ?, 'FALSE' from RDB$DATABASE where not exists "
      "(select 1 from TINTEGRACAO_DYQ_ITEM where BDCODEMP = ? and BDTIPOCONTA = ? and BDIDWEB = ?)");
  for (const TItem& i : itens)
    ins.Run({Variant(empresa), Id(i.IdWeb), i.IdExtrato > 0 ? Id(i.IdExtrato) : Variant(),
             i.ChaveLancamento > 0 ? Id(i.ChaveLancamento) : Variant(), Variant(tipoConta), Variant(empresa),
             Variant(tipoConta), Id(i.IdWeb)});
}

std::map<int64_t, bool> TItensIntegradosDYQ::Integrados(TDatabase& db, int empresa, int tipoConta) {
  std::map<int64_t, bool> r;
  db.Query("select BDIDWEB, BDINFORMADO from TINTEGRACAO_DYQ_ITEM where BDCODEMP = ? and BDTIPOCONTA = ?",
           {Variant(empresa), Variant(tipoConta)},
           [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
             r[row[0].AsInteger()] = row[1].AsString() == "TRUE";
           });
  return r;
}

int64_t TItensIntegradosDYQ::GravadosDoExtrato(TDatabase& db, int empresa, int tipoConta, int64_t idExtrato) {
  return db
      .QueryValue("select count(*) from TINTEGRACAO_DYQ_ITEM where BDCODEMP = ? and BDTIPOCONTA = ? and "
                  "BDIDEXTRATOWEB = ?",
                  {Variant(empresa), Variant(tipoConta), Id(idExtrato)})
      .AsInteger();
}

void TItensIntegradosDYQ::MarcaInformados(TDatabase& db, int empresa, int tipoConta, const std::vector<int64_t>& ids) {
  if (ids.empty()) return;
  TTransaction tx(db, TTransaction::kJuntaAberta);
  TStatement& marca = db.Prepared(
      "update TINTEGRACAO_DYQ_ITEM set BDINFORMADO = 'TRUE' where BDCODEMP = ? and BDTIPOCONTA = ? and BDIDWEB = ?");
  for (int64_t id : ids) marca.Run({Variant(empresa), Variant(tipoConta), Id(id)});
  tx.Commit();
}

void TItensIntegradosDYQ::GuardaRetorno(TDatabase& db, int empresa, int tipoConta, const TRetorno& r) {
  TTransaction tx(db, TTransaction::kJuntaAberta);
  db.Execute(
      "update or insert into TINTEGRACAO_DYQ_RETORNO (BDCODEMP, BDTIPOCONTA, BDIDWEB, BDIDEXTRATOWEB, BDTIPORETORNO, "
      "BDOBSWEB, BDUSUARIO) values (?, ?, ?, ?, ?, ?, ?)",
      {Variant(empresa), Variant(tipoConta), Id(r.IdWeb), r.IdExtrato > 0 ? Id(r.IdExtrato) : Variant(),
       Variant(r.Tipo), Variant(r.Observacao), Variant(r.Usuario)});
  tx.Commit();
}

void TItensIntegradosDYQ::DescartaRetorno(TDatabase& db, int empresa, int tipoConta, int64_t idWeb) {
  TTransaction tx(db, TTransaction::kJuntaAberta);
  db.Execute("delete from TINTEGRACAO_DYQ_RETORNO where BDCODEMP = ? and BDTIPOCONTA = ? and BDIDWEB = ?",
             {Variant(empresa), Variant(tipoConta), Id(idWeb)});
  tx.Commit();
}

std::vector<TItensIntegradosDYQ::TRetorno> TItensIntegradosDYQ::RetornosPendentes(TDatabase& db, int empresa,
                                                                                 int tipoConta) {
  std::vector<TRetorno> r;
  db.Query(
      "select BDIDWEB, BDIDEXTRATOWEB, BDTIPORETORNO, BDOBSWEB, BDUSUARIO from TINTEGRACAO_DYQ_RETORNO "
      "where BDCODEMP = ? and BDTIPOCONTA = ? order by BDIDWEB",
      {Variant(empresa), Variant(tipoConta)}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
        r.push_back({row[0].AsInteger(), row[1].IsNull() ? 0 : row[1].AsInteger(), static_cast<int>(row[2].AsInteger()),
                     row[3].AsString(), row[4].IsNull() ? std::string() : row[4].AsString()});
      });
  return r;
}

}  // namespace integracao
