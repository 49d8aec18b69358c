// The suite's tables of the obligations the settlement engine settles: tax guides, payroll/tax
// calculations, the fiscal module's documents and installments of its four books, their payment rows,
// and the large-file import's work tables.
#include <string>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "framework/schema/lancamentos_temp_colunas.h"
#include "framework/schema/schema.h"

namespace vyn {

namespace {

// A fiscal book: document table, its date and number columns, and the extra columns it carries.
struct Livro {
  const char* doc;
  const char* par;
  const char* data;
  const char* numdoc;
  const char* extras;
};

const Livro kLivros[] = {
    {"VEF_EMP_TMOVENT", "VEF_EMP_TMOVENTPAR", "BDDATAENTRADAENT", "BDNUMDOCINI", "  BDCODNAT INTEGER,\n"},
    {"VEF_EMP_TMOVSAI", "VEF_EMP_TMOVSAIPAR", "BDDATASAIDA", "BDNUMDOCINI", "  BDCODNAT INTEGER,\n"},
    // BDTIPLAN: 1 service taken (the company pays), 0 rendered.
    {"VEF_EMP_TMOVSER", "VEF_EMP_TMOVSERPAR", "BDDATAEMISSAO", "BDNUMDOCINI",
     "  BDTIPLAN SMALLINT DEFAULT 0,\n  BDCODMUNATVM INTEGER,\n"},
    // BDIND_OPER: 1 the company pays.
    {"VEF_EMP_TMOVDEMAISDOC_F100", "VEF_EMP_TMOVF100PAR", "BDDT_OPER", "BDNUMDOC",
     "  BDIND_OPER SMALLINT DEFAULT 0,\n  BDCODNAT INTEGER,\n"},
};

// A settlement payment table: the obligation's key, a sequence and what every posting writes (extras go
// after the value paid).
void AddTabelaPagamento(TSchema& s, const std::string& nome, const std::vector<std::string>& chave,
                        const std::string& seq, const std::string& extras = "") {
  std::string colunas;
  for (const std::string& c : chave) colunas += "  " + c + " INTEGER NOT NULL,\n";
  s.AddTable(nome, fmt::format(R"(CREATE TABLE {0} (
{1}  {2} INTEGER NOT NULL,
  BDDATAPGTO DATE NOT NULL,
  BDVALORPGTO NUMERIC(18,4) NOT NULL,
{3}  BDCHAVELAN INTEGER,
  BDCHAVEORIGEM INTEGER,
  BDDCTO VARCHAR(30),
  CONSTRAINT PK_{0} PRIMARY KEY ({4}, {2})))",
                               nome, colunas, seq, extras, fmt::join(chave, ", ")));
}

}  // namespace

void AddSuiteSettlementSchema(TSchema& s) {
  // Tax guides issued by the tax module, with what is left to pay, and their payments.
  s.AddTable("TDARFGERPGTO", R"(CREATE TABLE TDARFGERPGTO (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVEDARF INTEGER NOT NULL,
  BDCODRECEITA VARCHAR(10),
  BDREFERENCIA INTEGER,
  BDDATAVENCTO DATE,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDSALDOAPAGAR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_TDARFGERPGTO PRIMARY KEY (BDCODEMP, BDCHAVEDARF)))");
  AddTabelaPagamento(s, "TDARFGERPGTO_BAIXA", {"BDCODEMP", "BDCHAVEDARF"}, "BDSEQ");

  // Payroll and tax calculations (net amount and amount paid so far) and their payments.
  s.AddTable("TDADOSPGTOCALC", R"(CREATE TABLE TDADOSPGTOCALC (
  BDCODEMP INTEGER NOT NULL,
  BDTIPOCALC INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDORDEMCALC INTEGER NOT NULL,
  BDREFERENCIA INTEGER,
  BDDESCRICAO VARCHAR(100),
  BDLIQUIDO NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDVLRPGTO NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_TDADOSPGTOCALC PRIMARY KEY (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC)))");
  AddTabelaPagamento(s, "TDADOSPGTOCALC_BAIXA", {"BDCODEMP", "BDTIPOCALC", "BDCHAVE", "BDORDEMCALC"}, "BDSEQ");
  // Calculations are asked for by company and key, whatever their kind (the settlement engine's keys).
  s.AddIndex("IX_TDADOSPGTOCALC_CHAVE", "CREATE INDEX IX_TDADOSPGTOCALC_CHAVE ON TDADOSPGTOCALC (BDCODEMP, BDCHAVE)");

  // Fiscal books. The participant (BDCODTER) lives on the installment only and BDIND_OPER on the document
  // only, so that queries naming them without a table stay unambiguous; document numbers are integers in
  // every book, so that the books' union agrees on types. A document without accounting value
  // (BDVALORCONTABIL null or 0) cannot be settled.
  for (const Livro& l : kLivros) {
    s.AddTable(l.doc, fmt::format(R"(CREATE TABLE {0} (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  {1} INTEGER,
  {2} DATE,
{3}  BDVALORCONTABIL NUMERIC(18,4),
  CONSTRAINT PK_{0} PRIMARY KEY (BDCODEMP, BDCHAVE)))",
                                  l.doc, l.numdoc, l.data, l.extras));
    s.AddTable(l.par, fmt::format(R"(CREATE TABLE {0} (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDORDEMPAR INTEGER NOT NULL,
  BDPARCELAPAR VARCHAR(10),
  BDDATAVENCTOPAR DATE,
  BDVALORPAR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDCODTER INTEGER,
  CONSTRAINT PK_{0} PRIMARY KEY (BDCODEMP, BDCHAVE, BDORDEMPAR)))",
                                  l.par));
    // Payment rows: BDTIPOBAIXA 1 principal, 2 fine, 3 interest, 4 discount.
    AddTabelaPagamento(s, std::string(l.par) + "PGTO", {"BDCODEMP", "BDCHAVE", "BDORDEMPAR"}, "BDSEQPGTO",
                       "  BDTIPOBAIXA SMALLINT DEFAULT 1 NOT NULL,\n");
  }

  // The module's own record of the links it posted: per company, import session (a staged review's
  // session, or the one an in-memory review's engine reserves), link identity in the session, link
  // text and settlement kind. Its key lets a link be paid once, whatever run or retry posts it.
  s.AddTable("VZEL_EMP_TVINC_BAIXA_LANC", R"(CREATE TABLE VZEL_EMP_TVINC_BAIXA_LANC (
  BDCODEMP INTEGER NOT NULL,
  BDSESSAO INTEGER NOT NULL,
  BDIDVINCULO BIGINT NOT NULL,
  BDVINCULO VARCHAR(60) NOT NULL,
  BDTIPOBAIXA SMALLINT NOT NULL,
  BDVALOR NUMERIC(18,4) NOT NULL,
  BDCHAVELAN INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(200),
  CONSTRAINT PK_VZEL_EMP_TVINC_BAIXA_LANC PRIMARY KEY (BDCODEMP, BDSESSAO, BDIDVINCULO, BDVINCULO, BDTIPOBAIXA)))");

  // Entries of a large-file import, staged per import session. The key's order is the order the staged
  // review reads a session in (by provisional key), so that one index serves the look-ups by key and the
  // reads in order: every index of a work table is paid by each staged line, and again at its removal.
  // BDFONTE is a file line's identity in the record of booked sources.
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_TEMP", std::string("CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_TEMP (\n") +
                                              kColunasLancamentoTemp +
                                              "  CONSTRAINT PK_TMP_VZEL_EMPRESAS_TLAN_TEMP PRIMARY KEY (BDSESSAO, BDCHAVE, BDCODEMP))");

  // Inconsistencies found in a session's staged entries, one row per problem.
  s.AddTable("VZEL_INCON_TLAN", R"(CREATE TABLE VZEL_INCON_TLAN (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCODINCONSISTENCIA INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(250),
  CONSTRAINT PK_VZEL_INCON_TLAN PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE, BDCODINCONSISTENCIA)))");
}

}  // namespace vyn
