#include "bankstatement/uItensIntegradosDYQ.h"

#include <algorithm>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "framework/data/fb_database.h"

namespace integracao {

using namespace vyn;

namespace {

Variant Id(int64_t v) { return Variant(static_cast<long long>(v)); }

// Items go a dozen to a statement, each statement prepared once per run: a statement per item cost more
// than writing it, and a block of fifty took longer to prepare than the writes it saved.
constexpr size_t kItensPorComando = 12;

// The inputs are declared with the types TINTEGRACAO_DYQ_ITEM's columns have (BDCODEMP, BDIDWEB,
// BDIDEXTRATOWEB, BDCHAVELAN INTEGER; BDTIPOCONTA SMALLINT): declared TYPE OF COLUMN, the engine looked a
// column up for each of a statement's inputs while preparing it.
constexpr const char* kEmpresaETipo = "E INTEGER = ?, T SMALLINT = ?";

// A block of n items of one company and kind: each item's inputs and statement, numbered by {0}.
std::string BlocoDeItens(size_t n, fmt::string_view entradas, fmt::string_view comando) {
  std::string parametros = kEmpresaETipo;
  std::string corpo;
  for (size_t i = 0; i < n; ++i) {
    parametros += fmt::format(fmt::runtime(entradas), i);
    corpo += fmt::format(fmt::runtime(comando), i);
  }
  return "EXECUTE BLOCK (" + parametros + ") AS BEGIN\n" + corpo + "END";
}

std::string TextoRegistra(size_t n) {
  return BlocoDeItens(n, ", W{0} INTEGER = ?, X{0} INTEGER = ?, L{0} INTEGER = ?",
                      "IF (NOT EXISTS (SELECT 1 FROM TINTEGRACAO_DYQ_ITEM WHERE BDCODEMP = :E AND BDTIPOCONTA = :T "
                      "AND BDIDWEB = :W{0})) THEN INSERT INTO TINTEGRACAO_DYQ_ITEM (BDCODEMP, BDIDWEB, "
                      "BDIDEXTRATOWEB, BDCHAVELAN, BDTIPOCONTA, BDINFORMADO) VALUES (:E, :W{0}, :X{0}, :L{0}, :T, "
                      "'FALSE');\n");
}

// Each stretch of consecutive ids updated by a statement of its own within the block, a range of the
// key's last column: a list of ids in one condition made the database walk every item of the company
// for each list, and an update per id cost a statement per line of a statement whose items Dyq numbers
// one after the other.
std::string TextoMarcaInformados(size_t n) {
  return BlocoDeItens(n, ", A{0} INTEGER = ?, B{0} INTEGER = ?",
                      "UPDATE TINTEGRACAO_DYQ_ITEM SET BDINFORMADO = 'TRUE' WHERE BDCODEMP = :E AND BDTIPOCONTA = :T "
                      "AND BDIDWEB BETWEEN :A{0} AND :B{0};\n");
}

// The ids as stretches of consecutive ids, first and last of each.
std::vector<std::pair<int64_t, int64_t>> Trechos(std::vector<int64_t> ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  std::vector<std::pair<int64_t, int64_t>> r;
  for (int64_t id : ids)
    if (!r.empty() && r.back().second + 1 == id) r.back().second = id;
    else r.emplace_back(id, id);
  return r;
}

}  // namespace

void TItensIntegradosDYQ::Registra(TDatabase& db, int empresa, int tipoConta, const std::vector<TItem>& itens) {
  static const std::string lote = TextoRegistra(kItensPorComando);
  static const std::string um = TextoRegistra(1);
  for (size_t i = 0; i < itens.size();) {
    const size_t n = itens.size() - i >= kItensPorComando ? kItensPorComando : 1;
    TParams p{Variant(empresa), Variant(tipoConta)};
    for (size_t k = i; k < i + n; ++k)
      for (Variant v : {Id(itens[k].IdWeb), itens[k].IdExtrato > 0 ? Id(itens[k].IdExtrato) : Variant(),
                        itens[k].ChaveLancamento > 0 ? Id(itens[k].ChaveLancamento) : Variant()})
        p.push_back(std::move(v));
    db.Prepared(n == kItensPorComando ? lote : um).Run(p);
    i += n;
  }
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
  // A dozen stretches a statement, the rest one a statement, so that each is prepared once (a stretch
  // repeated to fill a statement would update its items again).
  static const std::string lote = TextoMarcaInformados(kItensPorComando);
  static const std::string um = TextoMarcaInformados(1);
  const std::vector<std::pair<int64_t, int64_t>> trechos = Trechos(ids);
  for (size_t i = 0; i < trechos.size();) {
    const size_t n = trechos.size() - i >= kItensPorComando ? kItensPorComando : 1;
    TParams p{Variant(empresa), Variant(tipoConta)};
    for (size_t k = i; k < i + n; ++k) {
      p.push_back(Id(trechos[k].first));
      p.push_back(Id(trechos[k].second));
    }
    db.Prepared(n == kItensPorComando ? lote : um).Run(p);
    i += n;
  }
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
