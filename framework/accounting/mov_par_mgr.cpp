#include "framework/accounting/mov_par_mgr.h"

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

#include "framework/data/faixas_chaves.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

struct TLivroParcelas {
  int livro;
  const char* doc;
  const char* par;
  const char* numdoc;
  const char* data;   // the document's own date, shown as its issue date
  // The condition under which the document's installments are paid by the company ("1=1": always).
  const char* pagar;
};

const TLivroParcelas kLivros[] = {
    {0, "VEF_EMP_TMOVENT", "VEF_EMP_TMOVENTPAR", "BDNUMDOCINI", "BDDATAENTRADAENT", "1=1"},
    {1, "VEF_EMP_TMOVSAI", "VEF_EMP_TMOVSAIPAR", "BDNUMDOCINI", "BDDATASAIDA", "1=0"},
    {2, "VEF_EMP_TMOVSER", "VEF_EMP_TMOVSERPAR", "BDNUMDOCINI", "BDDATAEMISSAO", "MOV.BDTIPLAN = 1"},
    {3, "VEF_EMP_TMOVDEMAISDOC_F100", "VEF_EMP_TMOVF100PAR", "BDNUMDOC", "BDDT_OPER", "MOV.BDIND_OPER = 1"},
};

}  // namespace

std::optional<TNaturezaDinheiro> NaturezaFixaDoLivro(int livro) {
  for (const TLivroParcelas& l : kLivros) {
    if (l.livro != livro) continue;
    if (std::string_view(l.pagar) == "1=1") return ndPaga;
    if (std::string_view(l.pagar) == "1=0") return ndRecebe;
  }
  return std::nullopt;
}

std::string TMovParMGR::GetConsultaParcelamentoGroup(TComponent*, const std::string&, int codEmp, int grupo,
                                                     const Variant&, const std::string&, int) {
  const bool pagar = grupo == gpPagar;
  const bool valido = grupo == gpPagar || grupo == gpReceber;
  std::string sql;
  for (const TLivroParcelas& l : kLivros) {
    if (!sql.empty()) sql += " union all ";
    const std::string pago = fmt::format(
        "coalesce((select sum(PG.BDVALORPGTO) from {0}PGTO PG where PG.BDCODEMP = PAR.BDCODEMP and "
        "PG.BDCHAVE = PAR.BDCHAVE and PG.BDORDEMPAR = PAR.BDORDEMPAR and PG.BDTIPOBAIXA = 1), 0)",
        l.par);
    sql += fmt::format(
        "select cast('{0}' as varchar(20)) as BDDESCTIPOLANC, PAR.BDCODEMP, PAR.BDCHAVE, PAR.BDORDEMPAR, "
        "PAR.BDVALORPAR, cast({1} as numeric(18,4)) as BDVALORPGTOPAR, PAR.BDDATAVENCTOPAR, TER.BDCGCTER, "
        "MOV.{2} as BDNUMDOCINI, {3} as BDTIPOLANCEF, {4} as BDTIPOSERVICO, PAR.BDPARCELAPAR as BDDUPLICATAPAR, "
        "MOV.{10} as BDDATAEMISSAO, PAR.BDCODTER, TER.BDNOMETER "
        "from {5} PAR join {6} MOV on (MOV.BDCODEMP = PAR.BDCODEMP and MOV.BDCHAVE = PAR.BDCHAVE) "
        "left join TTERCEIRO TER on (TER.BDCODTER = PAR.BDCODTER) "
        "where PAR.BDCODEMP = {7} and {8} and ({9}) and PAR.BDVALORPAR > {1}",
        pagar ? "Pagamento" : "Recebimento", pago, l.numdoc, l.livro, pagar ? 1 : 0, l.par, l.doc, codEmp,
        valido ? "1=1" : "1=0", pagar ? std::string(l.pagar) : fmt::format("not ({})", l.pagar), l.data);
  }
  return sql;
}

std::vector<std::pair<int64_t, TNaturezaDinheiro>> NaturezasDocumentosFiscais(TDatabase& db, int64_t empresa,
                                                                              int livro,
                                                                              const std::vector<int64_t>& chaves) {
  std::vector<std::pair<int64_t, TNaturezaDinheiro>> naturezas;
  for (const TLivroParcelas& l : kLivros) {
    if (l.livro != livro) continue;
    TStatement& st = db.Prepared(fmt::format("select MOV.BDCHAVE, case when ({}) then 1 else 0 end from {} MOV where "
                                             "MOV.BDCODEMP = ? and MOV.BDCHAVE between ? and ?",
                                             l.pagar, l.doc));
    const std::vector<int64_t> ordenadas = ChavesOrdenadas(chaves);
    for (std::span<const int64_t> faixa : FaixasDeChaves(ordenadas)) {
      const TParams p{Variant(static_cast<long long>(empresa)), Variant(static_cast<long long>(faixa.front())),
                      Variant(static_cast<long long>(faixa.back()))};
      st.Query(p, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
        const int64_t chave = row[0].AsInteger();
        // The documents between two asked keys are not this run's.
        if (std::binary_search(faixa.begin(), faixa.end(), chave))
          naturezas.emplace_back(chave, row[1].AsInteger() == 1 ? ndPaga : ndRecebe);
      });
    }
  }
  return naturezas;
}

}  // namespace vyn
