#include "framework/data/insere_linha.h"

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"

namespace vyn {

TInsereLinha::TInsereLinha(TDatabase& db, std::string tabela)
    : db_(db), tabela_(std::move(tabela)), colunas_(db.TableColumns(tabela_)) {
  temColuna_.insert(colunas_.begin(), colunas_.end());
}

bool TInsereLinha::PlanoServe(const TClientDataSet& ds, const std::map<std::string, Variant>& valores) const {
  if (plano_.ds != &ds || plano_.nomesCampos.size() != static_cast<size_t>(ds.FieldCount()) ||
      plano_.fixas.size() != valores.size())
    return false;
  size_t i = 0;
  for (const auto& v : valores)
    if (plano_.fixas[i++] != v.first) return false;
  for (int k = 0; k < ds.FieldCount(); ++k)
    if (ds.Fields(k).FieldName() != plano_.nomesCampos[static_cast<size_t>(k)]) return false;
  return true;
}

void TInsereLinha::Planeja(const TClientDataSet& ds, const std::map<std::string, Variant>& valores) {
  plano_ = Plano{};
  plano_.ds = &ds;
  std::unordered_set<std::string> trocadas;
  std::vector<std::string> nomes;
  for (const auto& v : valores) {
    plano_.fixas.push_back(v.first);
    trocadas.insert(UpperCase(v.first));
    nomes.push_back(UpperCase(v.first));
  }
  for (int k = 0; k < ds.FieldCount(); ++k) {
    const std::string& campo = ds.Fields(k).FieldName();
    plano_.nomesCampos.push_back(campo);
    const std::string nome = UpperCase(campo);
    if (!temColuna_.count(nome) || trocadas.count(nome)) continue;
    plano_.campos.push_back(k);
    nomes.push_back(nome);
  }
  const std::vector<std::string> marcas(nomes.size(), "?");
  plano_.sql = "insert into " + tabela_ + " (" + Join(nomes, ", ") + ") values (" + Join(marcas, ", ") + ")";
}

void TInsereLinha::Insere(const TClientDataSet& ds, const std::map<std::string, Variant>& valores) {
  if (!PlanoServe(ds, valores)) Planeja(ds, valores);
  TParams p;
  p.reserve(valores.size() + plano_.campos.size());
  for (const auto& v : valores) p.push_back(v.second);
  for (int k : plano_.campos) p.push_back(ds.Fields(k).Value());
  if (!plano_.comando || plano_.geracao != db_.Generation()) {
    plano_.comando = &db_.Prepared(plano_.sql);
    plano_.geracao = db_.Generation();
  }
  // Nothing asks how many rows went in: counting them would cost the server a call per row.
  plano_.comando->Run(p);
}

}  // namespace vyn
