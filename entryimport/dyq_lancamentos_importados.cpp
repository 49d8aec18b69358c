#include "entryimport/dyq_lancamentos_importados.h"

#include "framework/data/fb_database.h"

namespace integracao {

using namespace vyn;

void RegistraLancamentosDyq(TDatabase& db, int empresa, const std::string& id, const TChavesLancamentos& lancamentos) {
  db.Execute("delete from TINTEGRACAO_DYQ_LANCAMENTO where BDCODEMP = ? and BDIDDYQ = ?", {empresa, id});
  TStatement& insere = db.Prepared(
      "insert into TINTEGRACAO_DYQ_LANCAMENTO (BDCODEMP, BDIDDYQ, BDSEQ, BDCODEMPLAN, BDCHAVE) values (?, ?, ?, ?, ?)");
  if (lancamentos.empty()) {
    insere.Execute({empresa, id, 1, Variant(), Variant()});
    return;
  }
  int seq = 0;
  for (const auto& [emp, chave] : lancamentos) insere.Run({empresa, id, ++seq, emp, chave});
}

std::optional<TLancamentosDyq> LancamentosDyqNoLivro(TDatabase& db, int empresa, const std::string& id) {
  const TQueryResult r = db.QueryAll(
      "select R.BDCODEMPLAN, R.BDCHAVE, (select count(*) from VZEL_EMPRESAS_TLAN L where L.BDCODEMP = R.BDCODEMPLAN "
      "and L.BDCHAVE = R.BDCHAVE) from TINTEGRACAO_DYQ_LANCAMENTO R where R.BDCODEMP = ? and R.BDIDDYQ = ? "
      "order by R.BDSEQ",
      {empresa, id});
  bool semChave = false;
  TLancamentosDyq noLivro;
  for (const auto& linha : r.Rows) {
    if (linha[1].IsNull()) {
      semChave = true;
      continue;
    }
    if (linha[2].AsInteger() > 0)
      noLivro.push_back({static_cast<int>(linha[0].AsInteger()), static_cast<int>(linha[1].AsInteger())});
  }
  if (noLivro.empty() && !semChave) return std::nullopt;
  return noLivro;
}

}  // namespace integracao
