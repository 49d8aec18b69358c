#include "bankstatement/uItensIntegradosDYQ.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "framework/data/fb_database.h"
#include "framework/livros/livros.h"

namespace integracao {

using namespace vyn;

namespace {

Variant Id(int64_t v) { return Variant(static_cast<long long>(v)); }

constexpr const char* kPrefixo = "I|";

TTipoFonte Tipo(int tipoConta) { return tipoConta == 2 ? TTipoFonte::LinhaExtratoCaixa : TTipoFonte::LinhaExtratoBanco; }

}  // namespace

std::string TItensIntegradosDYQ::ChaveFonte(int64_t idWeb) { return kPrefixo + std::to_string(idWeb); }

std::map<int64_t, bool> TItensIntegradosDYQ::Integrados(TDatabase& db, int empresa, int tipoConta) {
  std::map<int64_t, bool> r;
  TLivros livros(db, {});
  for (const auto& [chave, informado] : livros.FontesCompletas(empresa, Tipo(tipoConta), kPrefixo)) {
    int64_t id = 0;
    const char* fim = chave.data() + chave.size();
    if (std::from_chars(chave.data() + std::strlen(kPrefixo), fim, id).ptr == fim) r.emplace(id, informado);
  }
  return r;
}

int64_t TItensIntegradosDYQ::GravadosDoExtrato(TDatabase& db, int empresa, int tipoConta, int64_t idExtrato) {
  return TLivros(db, {}).FontesDoLote(empresa, Tipo(tipoConta), idExtrato);
}

void TItensIntegradosDYQ::MarcaInformados(TDatabase& db, int empresa, int tipoConta, const std::vector<int64_t>& ids) {
  // Dyq numbers a statement's items one after the other: its report is a few stretches of consecutive
  // ids, each of ids of one number of digits so that its keys are of one length.
  std::vector<int64_t> ordenados(ids);
  std::sort(ordenados.begin(), ordenados.end());
  ordenados.erase(std::unique(ordenados.begin(), ordenados.end()), ordenados.end());
  std::vector<std::pair<int64_t, int64_t>> trechos;
  for (int64_t id : ordenados)
    if (!trechos.empty() && trechos.back().second + 1 == id &&
        std::to_string(id).size() == std::to_string(trechos.back().first).size())
      trechos.back().second = id;
    else
      trechos.emplace_back(id, id);
  std::vector<std::pair<std::string, std::string>> chaves;
  chaves.reserve(trechos.size());
  for (const auto& [primeiro, ultimo] : trechos) chaves.emplace_back(ChaveFonte(primeiro), ChaveFonte(ultimo));
  TLivros(db, {}).MarcaInformadas(empresa, Tipo(tipoConta), chaves);
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
