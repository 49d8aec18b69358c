#include "framework/livros/lancamentos_revisao.h"

#include <set>
#include <vector>

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/livros/colunas_lancamento.h"
#include "framework/livros/marca_livros.h"

namespace vyn {

namespace {

constexpr const char* kLedger = "VZEL_EMPRESAS_TLAN";

// Whether the session has rows in a companion table: a table without any spends no statement.
// A text wider than its column is refused here too, whichever road brought it: a reader that took it
// without its width would otherwise leave the database to refuse the whole import.
void ConfereLargura(const std::string& texto, size_t caracteres, const char* coluna) {
  if (Utf8Length(texto) > caracteres)
    throw EDatabaseError("O texto de " + std::string(coluna) + " excede " + std::to_string(caracteres) +
                         " caracteres.");
}

constexpr const char* kColunasPR =
    "BDCODIMOVRUR, BDTIPDOC, BDTIPLAN, BDTIPMOV, BDCTACOR, BDTIPOPARTICIPANTE, BDCODTER, BDCPFMANUAL, BDTIPOPE, "
    "BDTRANSTIPMOV, BDTRANSCTACOR, BDTRANSTIPOPE, BDTRANSFERENCIA";

// Every staged line of a rural producer comes with an empty row for the user to fill: a row nobody filled
// (no property, document, entry, account or operation kind, participant) is no detail of the entry.
constexpr const char* kProdutorPreenchido =
    " and (BDCODIMOVRUR is not null or BDTIPDOC is not null or BDTIPLAN is not null or BDTIPMOV is not null or "
    "BDTIPOPE is not null or BDCODTER is not null or BDCPFMANUAL is not null)";

bool SessaoTemLinhas(TDatabase& db, const char* tabela, int sessao) {
  return db.TableExists(tabela) &&
         !db.QueryValue(std::string("select first 1 1 from ") + tabela + " where BDSESSAO = ?", {sessao}).IsNull();
}

}  // namespace

TLancamentosRevisao::TLancamentosRevisao(TDatabase& db) : db_(db), lancamento_(db, kLedger) {}
TLancamentosRevisao::~TLancamentosRevisao() = default;

void TLancamentosRevisao::Insere(const TClientDataSet& ds, const std::map<std::string, Variant>& valores) {
  if (const TField* nota = ds.FindField("BDDESCRICAO"); nota && !nota->IsNull())
    ConfereLargura(nota->AsString(), kCaracteresNotaExplicativa, "BDDESCRICAO");
  TMarcaLivros marca(db_);
  lancamento_.Insere(ds, valores);
}

void TLancamentosRevisao::InsereComplemento(int empresa, int chave, const std::string& texto) {
  ConfereLargura(texto, kCaracteresComplementoLancamento, "BDCOMPL");
  TMarcaLivros marca(db_);
  db_.Prepared("insert into VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) values (?, ?, ?)")
      .Run({empresa, chave, texto});
}

void TLancamentosRevisao::InsereCentroCusto(const TClientDataSet& cc, const std::string& tabela) {
  auto& insere = centros_[tabela];
  if (!insere) insere = std::make_unique<TInsereLinha>(db_, tabela);
  TMarcaLivros marca(db_);
  insere->Insere(cc);
}

TCopiaSessaoLancamentos::TCopiaSessaoLancamentos(TDatabase& db, const std::string& tabela, int sessao)
    : db_(db), sessao_(sessao) {
  // The entry's columns as the work table holds them; the reserved key replaces the provisional one.
  const std::vector<std::string> colunasTemp = db.TableColumns(tabela);
  const std::set<std::string> colTemp(colunasTemp.begin(), colunasTemp.end());
  std::vector<std::string> colunas;
  for (const std::string& c : db.TableColumns(kLedger))
    if (c != "BDCHAVE" && c != "BDCODEMP" && colTemp.count(c)) colunas.push_back(c);
  const std::string lista = Join(colunas, ", ");
  const std::string faixa = " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE between ? and ?";
  insere_ = &db.Prepared("insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, " + lista + ") select BDCODEMP, BDCHAVE + ?, " +
                         lista + " from " + tabela + faixa);
  if (SessaoTemLinhas(db, "TMP_VZEL_EMP_TLAN_COMPL_TEMP", sessao))
    complemento_ = &db.Prepared("insert into VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) select BDCODEMP, "
                                "BDCHAVE + ?, BDCOMPL from TMP_VZEL_EMP_TLAN_COMPL_TEMP" + faixa +
                                " and BDCOMPL is not null");
  if (SessaoTemLinhas(db, "TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", sessao))
    centros_ = &db.Prepared("insert into VZEL_EMPRESAS_TLAN_CC (BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ, BDCODTPCC, "
                            "BDDEBCRE, BDVALOR) select BDCODEMP, BDCHAVE + ?, BDCODCENTRO, BDSEQ, BDCODTPCC, BDDEBCRE, "
                            "BDVALOR from TMP_VZEL_EMPRESAS_TLAN_CC_TEMP" + faixa);
  // A rural producer's and a developer's details; a side given no development names none.
  if (SessaoTemLinhas(db, "TMP_VZEL_EMPRESAS_TLAN_PR_TEMP", sessao))
    produtor_ = &db.Prepared("insert into VZEL_EMPRESAS_TLAN_PR (BDCODEMP, BDCHAVE, " + std::string(kColunasPR) +
                             ") select BDCODEMP, BDCHAVE + ?, " + kColunasPR + " from TMP_VZEL_EMPRESAS_TLAN_PR_TEMP" +
                             faixa + kProdutorPreenchido);
  if (SessaoTemLinhas(db, "TMP_VZEL_EMPRESAS_TLAN_INC_TEMP", sessao))
    incorporacao_ = &db.Prepared("insert into VZEL_EMPRESAS_TLAN_INC (BDCODEMP, BDCHAVE, BDDEBCRE, BDCODEMPREENDIMENTO, "
                                 "BDCODIGOUNIIMOB) select BDCODEMP, BDCHAVE + ?, BDDEBCRE, BDCODEMPREENDIMENTO, "
                                 "BDCODIGOUNIIMOB from TMP_VZEL_EMPRESAS_TLAN_INC_TEMP" + faixa +
                                 " and BDCODEMPREENDIMENTO > 0");
  // The explanatory notes are staged apart.
  if (SessaoTemLinhas(db, "TMP_VZEL_EMPRESAS_TLAN_NE_TEMP", sessao))
    nota_ = &db.Prepared("update VZEL_EMPRESAS_TLAN L set L.BDDESCRICAO = (select N.BDDESCRICAO from "
                         "TMP_VZEL_EMPRESAS_TLAN_NE_TEMP N where N.BDSESSAO = ? and N.BDCODEMP = L.BDCODEMP and "
                         "N.BDCHAVE = L.BDCHAVE - ?) where L.BDCODEMP = ? and L.BDCHAVE between ? and ?");
}

int64_t TCopiaSessaoLancamentos::Copia(int empresa, int inicio, int fim, int desvio) {
  const TParams p{desvio, sessao_, empresa, inicio, fim};
  TMarcaLivros marca(db_);
  const int64_t n = insere_->Execute(p);
  if (complemento_) complemento_->Run(p);
  if (centros_) centros_->Run(p);
  if (produtor_) produtor_->Run(p);
  if (incorporacao_) incorporacao_->Run(p);
  if (nota_) nota_->Run({sessao_, desvio, empresa, inicio + desvio, fim + desvio});
  return n;
}

}  // namespace vyn
