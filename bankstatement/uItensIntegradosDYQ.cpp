#include "bankstatement/uItensIntegradosDYQ.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <string>

#include "framework/data/faixas_chaves.h"
#include "framework/data/fb_database.h"
#include "framework/livros/chaves_fonte.h"
#include "framework/livros/livros.h"

namespace integracao {

using namespace vyn;

namespace {

Variant Id(int64_t v) { return Variant(static_cast<long long>(v)); }

constexpr const char* kPrefixo = kPrefixoItemDyq;

TTipoFonte Tipo(int tipoConta) { return tipoConta == 2 ? TTipoFonte::LinhaExtratoCaixa : TTipoFonte::LinhaExtratoBanco; }

}  // namespace

std::string TItensIntegradosDYQ::ChaveFonte(int64_t idWeb) { return ChaveItemDyq(idWeb); }

std::map<int64_t, bool> TItensIntegradosDYQ::Integrados(TDatabase& db, int empresa, int tipoConta) {
  // The stretches Dyq took, sorted and joined where they meet or overlap, so that each item finds its own
  // by one search.
  std::vector<std::pair<int64_t, int64_t>> informados;
  db.Query("select BDPRIMEIRO, BDULTIMO from TINTEGRACAO_DYQ_INFORMADO where BDCODEMP = ? and BDTIPOCONTA = ? "
           "order by BDPRIMEIRO",
           {Variant(empresa), Variant(tipoConta)}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
             const int64_t primeiro = row[0].AsInteger(), ultimo = row[1].AsInteger();
             if (!informados.empty() && primeiro <= informados.back().second + 1)
               informados.back().second = std::max(informados.back().second, ultimo);
             else
               informados.emplace_back(primeiro, ultimo);
           });
  std::map<int64_t, bool> r;
  for (const std::string& chave : TLivros(db, {}).FontesCompletas(empresa, Tipo(tipoConta), kPrefixo)) {
    int64_t id = 0;
    const char* fim = chave.data() + chave.size();
    if (std::from_chars(chave.data() + std::strlen(kPrefixo), fim, id).ptr != fim) continue;
    const auto depois = std::upper_bound(informados.begin(), informados.end(), std::make_pair(id, INT64_MAX));
    r.emplace(id, depois != informados.begin() && std::prev(depois)->second >= id);
  }
  return r;
}

int64_t TItensIntegradosDYQ::GravadosDoExtrato(TDatabase& db, int empresa, int tipoConta, int64_t idExtrato) {
  return TLivros(db, {}).FontesDoLote(empresa, Tipo(tipoConta), idExtrato);
}

void TItensIntegradosDYQ::MarcaInformados(TDatabase& db, int empresa, int tipoConta, const std::vector<int64_t>& ids) {
  if (ids.empty()) return;
  // Dyq numbers a statement's items one after the other: a report it took is a few stretches of
  // consecutive ids, a row each, where a row per item cost a write per line of the report.
  const std::vector<int64_t> ordenados = ChavesOrdenadas(ids);
  TTransaction tx(db, TTransaction::kJuntaAberta);
  TStatement& grava = db.Prepared(
      "update or insert into TINTEGRACAO_DYQ_INFORMADO (BDCODEMP, BDTIPOCONTA, BDPRIMEIRO, BDULTIMO) values (?, ?, ?, ?) "
      "matching (BDCODEMP, BDTIPOCONTA, BDPRIMEIRO, BDULTIMO)");
  for (std::span<const int64_t> trecho : FaixasDeChaves(ordenados, 1))
    grava.Run({Variant(empresa), Variant(tipoConta), Id(trecho.front()), Id(trecho.back())});
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
