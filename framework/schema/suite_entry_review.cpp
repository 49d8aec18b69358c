// The entry reviews' work tables and stores.
#include <string>

#include "framework/core/text.h"
#include "framework/schema/lancamentos_temp_colunas.h"
#include "framework/schema/schema.h"

namespace vyn {

// A rural producer's data of an entry, as the ledger keeps it and as the staged review edits it.
constexpr const char* kColunasProdutorRural = R"(  BDCODIMOVRUR INTEGER,
  BDTIPDOC SMALLINT,
  BDTIPLAN SMALLINT,
  BDTIPMOV SMALLINT,
  BDCTACOR INTEGER,
  BDTIPOPARTICIPANTE SMALLINT,
  BDCODTER INTEGER,
  BDCPFMANUAL VARCHAR(14),
  BDTIPOPE SMALLINT,
  BDTRANSTIPMOV SMALLINT,
  BDTRANSCTACOR INTEGER,
  BDTRANSTIPOPE SMALLINT,
  BDTRANSFERENCIA VARCHAR(5) DEFAULT 'FALSE',
)";

namespace {
// An ALTER TABLE's clauses adding each column of a list (a column a line, ending with a comma).
std::string ColunasAdicionadas(const std::string& colunas) {
  std::string r;
  for (const std::string& linha : Split(colunas, '\n')) {
    const std::string coluna = Trim(linha);
    if (coluna.empty()) continue;
    if (!r.empty()) r += ",\n";
    r += "  ADD " + coluna.substr(0, coluna.size() - 1);
  }
  return r;
}
}  // namespace

namespace {

void AddEntryDetailsAndLinks(TSchema& s) {
  // Complements of ledger entries longer than the entry's own column holds.
  s.AddTable("VZEL_EMPRESAS_TLAN_COMPL", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_COMPL (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCOMPL VARCHAR(8000),
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_COMPL PRIMARY KEY (BDCODEMP, BDCHAVE)))");

  // Cost-centre split of a ledger entry: one row per cost-centre account and side.
  s.AddTable("VZEL_EMPRESAS_TLAN_CC", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_CC (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCODCENTRO INTEGER NOT NULL,
  BDSEQ INTEGER NOT NULL,
  BDCODTPCC INTEGER,
  BDDEBCRE SMALLINT DEFAULT 0,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_CC PRIMARY KEY (BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ)))");

  // A rural producer's data of a ledger entry (its cash book: property, document, kind of entry, how the
  // money moved, participant, transfer) and a developer's development and unit of each side (BDDEBCRE 0
  // debit, 1 credit). Neither carries money; each goes with its entry.
  s.AddTable("VZEL_EMPRESAS_TLAN_PR", std::string(R"(CREATE TABLE VZEL_EMPRESAS_TLAN_PR (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
)") + kColunasProdutorRural + R"(  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_PR PRIMARY KEY (BDCODEMP, BDCHAVE)))");
  s.AddTable("VZEL_EMPRESAS_TLAN_INC", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_INC (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDDEBCRE SMALLINT NOT NULL,
  BDCODEMPREENDIMENTO INTEGER NOT NULL,
  BDCODIGOUNIIMOB INTEGER,
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_INC PRIMARY KEY (BDCODEMP, BDCHAVE, BDDEBCRE)))");
  // Whatever road deletes an entry or moves it to another key, its details follow.
  for (const char* t : {"VZEL_EMPRESAS_TLAN_PR", "VZEL_EMPRESAS_TLAN_INC"})
    s.AddIndex(std::string("FK_") + t, std::string("ALTER TABLE ") + t + " ADD CONSTRAINT FK_" + t +
                                           " FOREIGN KEY (BDCODEMP, BDCHAVE) REFERENCES VZEL_EMPRESAS_TLAN (BDCODEMP, "
                                           "BDCHAVE) ON DELETE CASCADE ON UPDATE CASCADE");

  // What an imported entry carries besides the suite's columns: the books it is kept in (0 both, 1 fiscal,
  // 2 corporate) and its explanatory note. The note is a text blob: a VARCHAR of its width could not travel
  // through the UTF-8 connection, either way, once it passed 8,191 characters; the writers keep it to
  // kCaracteresNotaExplicativa.
  s.AddIndex("VZEL_EMPRESAS_TLAN_REVISAO", R"(ALTER TABLE VZEL_EMPRESAS_TLAN
  ADD BDCONTABILIZACAO SMALLINT DEFAULT 0,
  ADD BDDESCRICAO BLOB SUB_TYPE TEXT)");

  // Entries of a scheduled import: 2 imported, 1 inconsistent, under the scheduler's run key.
  s.AddGenerator("GEN_VSH_EMP_TCONF_TLAN");
  s.AddTable("VSH_EMP_TCONF_TLAN", R"(CREATE TABLE VSH_EMP_TCONF_TLAN (
  BDSEQ INTEGER NOT NULL,
  BDCODAGENDAMENTO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCODPLANOTARVO INTEGER NOT NULL,
  BDORDEMAGENDAMENTO INTEGER NOT NULL,
  BDCHAVE INTEGER,
  BDSTATUS SMALLINT NOT NULL,
  CONSTRAINT PK_VSH_EMP_TCONF_TLAN PRIMARY KEY (BDSEQ)))");

  // Requests for the automatic transaction links of a period, made after an entry import.
  s.AddTable("VZEL_TVINCTRANSACAO_PEDIDO", R"(CREATE TABLE VZEL_TVINCTRANSACAO_PEDIDO (
  BDCODEMP INTEGER NOT NULL,
  BDDATAINI DATE NOT NULL,
  BDDATAFIM DATE NOT NULL,
  BDFILIAIS VARCHAR(500),
  BDMOMENTO TIMESTAMP DEFAULT CURRENT_TIMESTAMP))");

  // Staged review. Sessions number the rows of one review in every work table.
  s.AddGenerator("GEN_TMP_VZEL_SESSAO");
  // The staged entry table is the settlement engine's; the review's own columns are added to it here,
  // after every table exists (pieces of the index kind run right after the tables).
  s.AddIndex("TMP_VZEL_EMPRESAS_TLAN_TEMP_REVISAO",
             "ALTER TABLE TMP_VZEL_EMPRESAS_TLAN_TEMP\n" + ColunasAdicionadas(kColunasRevisaoLancamentoTemp));

  // The staged entry table's twin for a session nobody reviews (an unattended run): the same columns in
  // the same order, its rows private to the run's attachment, so that they never reach another reader
  // and go with the attachment (a killed run leaves none) or by a delete that touches no shared page.
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_ANEXO",
             std::string("CREATE GLOBAL TEMPORARY TABLE TMP_VZEL_EMPRESAS_TLAN_ANEXO (\n") + kColunasLancamentoTemp +
                 kColunasRevisaoLancamentoTemp +
                 "  CONSTRAINT PK_TMP_VZEL_EMPRESAS_TLAN_ANEXO PRIMARY KEY (BDSESSAO, BDCHAVE, BDCODEMP)) "
                 "ON COMMIT PRESERVE ROWS");
}

void AddReviewWorkTables(TSchema& s) {
  // Complements of staged entries longer than the entry's column; the entry's own BDCOMPL is null then.
  // (Firebird 3 names are at most 31 characters, hence the shortened names.)
  s.AddTable("TMP_VZEL_EMP_TLAN_COMPL_TEMP", R"(CREATE TABLE TMP_VZEL_EMP_TLAN_COMPL_TEMP (
  BDCODEMP INTEGER NOT NULL,
  BDSESSAO INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCOMPL VARCHAR(8000),
  CONSTRAINT PK_TMP_VZEL_TLAN_COMPL_TEMP PRIMARY KEY (BDCODEMP, BDSESSAO, BDCHAVE)))");

  // Companions of a staged entry, one table per detail of the review.
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_CC_TEMP", R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_CC_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCODCENTRO INTEGER NOT NULL,
  BDSEQ INTEGER NOT NULL,
  BDCODTPCC INTEGER,
  BDDEBCRE SMALLINT DEFAULT 0,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_TMP_VZEL_TLAN_CC_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ)))");
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP", R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_OBS_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDDEBCRE SMALLINT NOT NULL,
  BDOBSERVACAO VARCHAR(2000),
  CONSTRAINT PK_TMP_VZEL_TLAN_OBS_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE)))");
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_INC_TEMP", R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_INC_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDDEBCRE SMALLINT NOT NULL,
  BDCODEMPREENDIMENTO INTEGER,
  BDCODIGOUNIIMOB INTEGER,
  CONSTRAINT PK_TMP_VZEL_TLAN_INC_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE)))");
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_PR_TEMP", std::string(R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_PR_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
)") + kColunasProdutorRural + R"(  CONSTRAINT PK_TMP_VZEL_TLAN_PR_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE)))");
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_NE_TEMP", R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_NE_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDDESCRICAO BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_TMP_VZEL_TLAN_NE_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE)))");
  // Parts of a staged entry that carries multiple entries (principal, fine, interest, discount, ...).
  s.AddTable("TMP_VZEL_EMPRESAS_TLAN_ML_TEMP", R"(CREATE TABLE TMP_VZEL_EMPRESAS_TLAN_ML_TEMP (
  BDSESSAO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCHAVELANC INTEGER NOT NULL,
  BDTIPOMULTLANC SMALLINT,
  BDDATA DATE,
  BDDEBITO INTEGER,
  BDCREDITO INTEGER,
  BDVALOR NUMERIC(18,4),
  BDCODHIST INTEGER,
  BDCODTPHI INTEGER,
  BDCOMPL VARCHAR(200),
  BDDCTO VARCHAR(30),
  BDVINC_BAIXA VARCHAR(5) DEFAULT 'FALSE',
  BDVINC_BAIDESC VARCHAR(5) DEFAULT 'FALSE',
  CONSTRAINT PK_TMP_VZEL_TLAN_MULT_TEMP PRIMARY KEY (BDSESSAO, BDCODEMP, BDCHAVE, BDCHAVELANC)))");

  // The suite's real-estate developments of a company and their units (views there; the reviews
  // describe a line's development and unit from them).
  s.AddTable("VEF_EMP_TCADEMPREENDIMENTO", R"(CREATE TABLE VEF_EMP_TCADEMPREENDIMENTO (
  BDCODEMP INTEGER NOT NULL,
  BDCODEMPREENDIMENTO INTEGER NOT NULL,
  BDNOMEEMPRE VARCHAR(150),
  CONSTRAINT PK_VEF_EMP_TCADEMPREENDIMENTO PRIMARY KEY (BDCODEMP, BDCODEMPREENDIMENTO)))");
  s.AddTable("VEF_BASE_TCADUNIDIMOBILIARIA", R"(CREATE TABLE VEF_BASE_TCADUNIDIMOBILIARIA (
  BDCODEMP INTEGER NOT NULL,
  BDCODEMPREENDIMENTO INTEGER NOT NULL,
  BDCODIGOUNIIMOB INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(150),
  CONSTRAINT PK_VEF_BASE_TCADUNIDIMOBILIARIA PRIMARY KEY (BDCODEMP, BDCODEMPREENDIMENTO, BDCODIGOUNIIMOB)))");
}

void AddReviewSessions(TSchema& s) {
  // The open review sessions: the attachment and user that staged each, so that the rows of a
  // session whose attachment is gone (a review that never closed) can be told from a live one.
  s.AddTable("TMP_VZEL_SESSAO", R"(CREATE TABLE TMP_VZEL_SESSAO (
  BDSESSAO INTEGER NOT NULL,
  BDATTACHMENT BIGINT NOT NULL,
  BDUSUARIO VARCHAR(63),
  BDINICIO TIMESTAMP DEFAULT CURRENT_TIMESTAMP,
  CONSTRAINT PK_TMP_VZEL_SESSAO PRIMARY KEY (BDSESSAO)))");
}

}  // namespace

void AddSuiteEntryReviewSchema(TSchema& s) {
  AddEntryDetailsAndLinks(s);
  AddReviewWorkTables(s);
  AddReviewSessions(s);
}

}  // namespace vyn
