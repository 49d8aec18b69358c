#include "testing/settlement_seed.h"

#include <fmt/format.h>

#include "framework/livros/marca_livros.h"

namespace vyn::seed {

namespace {

const char* const kDocs[] = {"VEF_EMP_TMOVENT", "VEF_EMP_TMOVSAI", "VEF_EMP_TMOVSER", "VEF_EMP_TMOVDEMAISDOC_F100"};
const char* const kPars[] = {"VEF_EMP_TMOVENTPAR", "VEF_EMP_TMOVSAIPAR", "VEF_EMP_TMOVSERPAR", "VEF_EMP_TMOVF100PAR"};
const char* const kDatas[] = {"BDDATAENTRADAENT", "BDDATASAIDA", "BDDATAEMISSAO", "BDDT_OPER"};
const char* const kNums[] = {"BDNUMDOCINI", "BDNUMDOCINI", "BDNUMDOCINI", "BDNUMDOC"};

}  // namespace

void AddGuia(TDatabase& db, int codEmp, int chaveDarf, Currency valor, Currency saldo) {
  TEscritaForaDoModulo modulo(db);   // the fiscal and payroll modules' writes
  db.Execute("insert into TDARFGERPGTO (BDCODEMP, BDCHAVEDARF, BDVALOR, BDSALDOAPAGAR) values (?, ?, ?, ?)",
             {codEmp, chaveDarf, valor, saldo < Currency() ? valor : saldo});
}

void AddCalculo(TDatabase& db, int codEmp, int tipoCalc, int chave, int ordem, Currency liquido, Currency pago) {
  TEscritaForaDoModulo modulo(db);   // the fiscal and payroll modules' writes
  db.Execute("insert into TDADOSPGTOCALC (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDLIQUIDO, BDVLRPGTO) "
             "values (?, ?, ?, ?, ?, ?)",
             {codEmp, tipoCalc, chave, ordem, liquido, pago});
}

void AddDocumentoFiscal(TDatabase& db, int livro, int codEmp, int chave, int numDoc, TDateTime data,
                        Currency valorContabil, const std::vector<ParcelaSeed>& parcelas, int natureza) {
  TEscritaForaDoModulo modulo(db);   // the fiscal and payroll modules' writes
  const char* extra = livro == 2 ? ", BDTIPLAN" : livro == 3 ? ", BDIND_OPER" : "";
  const char* marca = livro >= 2 ? ", ?" : "";
  const int n = livro >= 2 ? 6 : 5;
  TParams p{codEmp, chave, numDoc, data, valorContabil, natureza};
  p.resize(static_cast<size_t>(n));
  db.Execute(fmt::format("insert into {} (BDCODEMP, BDCHAVE, {}, {}, BDVALORCONTABIL{}) values (?, ?, ?, ?, ?{})",
                         kDocs[livro], kNums[livro], kDatas[livro], extra, marca),
             p);
  for (const ParcelaSeed& par : parcelas)
    db.Execute(fmt::format("insert into {} (BDCODEMP, BDCHAVE, BDORDEMPAR, BDPARCELAPAR, BDDATAVENCTOPAR, BDVALORPAR, "
                           "BDCODTER) values (?, ?, ?, ?, ?, ?, nullif(cast(? as integer), 0))",
                           kPars[livro]),
               {codEmp, chave, par.Ordem, fmt::format("{}/{}", par.Ordem, parcelas.size()).c_str(),
                par.Vencto.Value ? par.Vencto : data, par.Valor, par.CodTer});
}

void AddPagamentoParcela(TDatabase& db, int livro, int codEmp, int chave, int ordem, Currency valor, TDateTime data,
                         int tipoBaixa) {
  TEscritaForaDoModulo modulo(db);   // the fiscal and payroll modules' writes
  db.Execute(fmt::format("insert into {}PGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, BDVALORPGTO, "
                         "BDTIPOBAIXA) values (?, ?, ?, (select coalesce(max(BDSEQPGTO), 0) + 1 from {}PGTO where "
                         "BDCODEMP = ? and BDCHAVE = ? and BDORDEMPAR = ?), ?, ?, ?)",
                         kPars[livro], kPars[livro]),
             {codEmp, chave, ordem, codEmp, chave, ordem, data, valor, tipoBaixa});
}

void AddTerceiro(TDatabase& db, int codTer, const std::string& cgc) {
  db.Execute("insert into TTERCEIRO (BDCODTER, BDCGCTER, BDNOMETER) values (?, ?, ?)",
             {codTer, cgc.c_str(), fmt::format("Terceiro {}", codTer).c_str()});
}

void AddLancamentoTemp(TDatabase& db, int sessao, int codEmp, int chave, TDateTime data, int debito, int credito,
                       Currency valor, const std::string& dcto, bool vinculado) {
  db.Execute("insert into TMP_VZEL_EMPRESAS_TLAN_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, "
             "BDVALOR, BDDCTO, BDCHAVEOWNER, BDVINC_BAIXA) values (?, ?, ?, ?, nullif(cast(? as integer), 0), "
             "nullif(cast(? as integer), 0), ?, ?, ?, ?)",
             {sessao, codEmp, chave, data, debito, credito, valor, dcto.c_str(), chave, vinculado ? "TRUE" : "FALSE"});
}

}  // namespace vyn::seed
