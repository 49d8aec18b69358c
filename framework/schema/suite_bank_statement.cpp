// Bank statements, preparation rules, receipts and reconciliation.
#include "framework/schema/schema.h"

namespace vyn {

namespace {

void AddStatementsAndPdfLayouts(TSchema& s) {
  // Each user's folder for the PDF copies of Dyq statements: BDSUBPASTAS 0 the folder itself,
  // 1 a subfolder per company, 2 per month (YYYYMM), 3 per company and month.
  s.AddTable("VZEL_USU_DYQ_DIRETORIO", R"(CREATE TABLE VZEL_USU_DYQ_DIRETORIO (
  BDCODUSU INTEGER NOT NULL,
  BDDIRETORIO VARCHAR(500),
  BDSUBPASTAS INTEGER DEFAULT 0,
  CONSTRAINT PK_VZEL_USU_DYQ_DIRETORIO PRIMARY KEY (BDCODUSU)))");

  // Imported bank-statement lines of an account. BDIDEXTRATODYQ names the Dyq statement they came
  // from (null for a statement read from a file) and BDIDITEMDYQ the Dyq item, by which the books know
  // the line whatever road books it; BDCODEMPLANC/BDCHAVELANC is the entry the line was
  // reconciled with (the entry may belong to a branch). BDTIPO 0 is a debit of the account (money
  // out), 1 a credit; BDVALOR is never negative.
  s.AddGenerator("GEN_VZEL_EMPRESAS_TEXTRATOBAN");
  s.AddTable("VZEL_EMPRESAS_TEXTRATOBAN", R"(CREATE TABLE VZEL_EMPRESAS_TEXTRATOBAN (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCONTA INTEGER NOT NULL,
  BDIDEXTRATODYQ INTEGER,
  BDIDITEMDYQ INTEGER,
  BDDATAMOV DATE NOT NULL,
  BDDESCRICAO VARCHAR(200),
  BDDCTO VARCHAR(30),
  BDTIPO SMALLINT DEFAULT 0 NOT NULL,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDCODEMPLANC INTEGER,
  BDCHAVELANC INTEGER,
  CONSTRAINT PK_VZEL_EMPRESAS_TEXTRATOBAN PRIMARY KEY (BDCODEMP, BDCHAVE)))");
  s.AddIndex("IX_TEXTRATOBAN_CONTA",
             "CREATE INDEX IX_TEXTRATOBAN_CONTA ON VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCONTA, BDDATAMOV)");

  // Reconciled items of an entry: the rows it was reconciled with. BDORIGEMCONC tells what
  // BDCODEMPCONC/BDCHAVECONC name: 1 a statement line, 2 another ledger entry.
  s.AddTable("VZEL_EMPRESAS_TLAN_CONC", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_CONC (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDORIGEMCONC SMALLINT NOT NULL,
  BDCODEMPCONC INTEGER NOT NULL,
  BDCHAVECONC INTEGER NOT NULL,
  BDDCTO VARCHAR(30),
  BDDATA DATE,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDTIPOCONC INTEGER DEFAULT 0 NOT NULL,
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_CONC PRIMARY KEY (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC)))");

  // Label layouts of bank payment receipts, one row per kind of receipt of a bank: each text
  // column holds the label printed before a value; BDMESMALINHA 'TRUE' when the value stands on
  // the label's line (else on the line below); BDSEMVALORORIGINAL 'TRUE' when the receipt shows no
  // original value. The view is what the suite's screens read, in BDCODCONFIG order.
  s.AddTable("TCONFIG_IMP_PDF", R"(CREATE TABLE TCONFIG_IMP_PDF (
  BDCODCONFIG INTEGER NOT NULL,
  BDCODBAN INTEGER NOT NULL,
  BDTITULOPDF VARCHAR(100),
  BDCPFCNPJBENEF VARCHAR(100),
  BDDATAVENC VARCHAR(100),
  BDDATAPAGTO VARCHAR(100),
  BDVALORORIGINAL VARCHAR(100),
  BDVALORPAGO VARCHAR(100),
  BDDESCONTO VARCHAR(100),
  BDJUROS VARCHAR(100),
  BDMULTAS VARCHAR(100),
  BDMESMALINHA VARCHAR(5) DEFAULT 'FALSE',
  BDSEMVALORORIGINAL VARCHAR(5) DEFAULT 'FALSE',
  CONSTRAINT PK_TCONFIG_IMP_PDF PRIMARY KEY (BDCODCONFIG)))");
  s.AddView("VZEL_TCONFIG_IMP_PDF", R"(CREATE VIEW VZEL_TCONFIG_IMP_PDF AS
SELECT C.BDCODCONFIG, C.BDCODBAN, C.BDTITULOPDF, C.BDCPFCNPJBENEF, C.BDDATAVENC, C.BDDATAPAGTO,
       C.BDVALORORIGINAL, C.BDVALORPAGO, C.BDDESCONTO, C.BDJUROS, C.BDMULTAS, C.BDMESMALINHA,
       C.BDSEMVALORORIGINAL
  FROM TCONFIG_IMP_PDF C)");

  // Data of ECF record Y570 (income tax and CSLL withheld at source) of an entry whose credit
  // account is a financial application; rows of the entry BDCODEMP/BDCHAVE.
  s.AddGenerator("GEN_VZEL_EMPRESAS_TLAN_Y570");
  s.AddTable("VZEL_EMPRESAS_TLAN_Y570", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_Y570 (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDSEQ INTEGER NOT NULL,
  BDCNPJFONTE VARCHAR(14),
  BDCODRECEITA VARCHAR(10),
  BDVALORBRUTO NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDIRRF NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDCSLL NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_Y570 PRIMARY KEY (BDCODEMP, BDCHAVE, BDSEQ)))");
}

void AddDyqExchangeAndStatementPreparation(TSchema& s) {
  // What Dyq took of the reports that items were integrated, as stretches of consecutive item ids
  // (BDPRIMEIRO to BDULTIMO) per company and kind (BDTIPOCONTA 1 a bank statement, 2 a cash movement):
  // a row per stretch of a report, not per item. An item booked whole (its source's account,
  // TINTEGRACAO_FONTE_LANCADA) that no stretch holds is reported again by the next review of its company.
  s.AddTable("TINTEGRACAO_DYQ_INFORMADO", R"(CREATE TABLE TINTEGRACAO_DYQ_INFORMADO (
  BDCODEMP INTEGER NOT NULL,
  BDTIPOCONTA SMALLINT NOT NULL,
  BDPRIMEIRO INTEGER NOT NULL,
  BDULTIMO INTEGER NOT NULL,
  CONSTRAINT PK_TINTEGRACAO_DYQ_INFORMADO PRIMARY KEY (BDCODEMP, BDTIPOCONTA, BDPRIMEIRO, BDULTIMO)))");

  // Returns (BDTIPORETORNO 1) and refusals (2) of Dyq items that Dyq did not take: kept with their
  // note until a later review of the company sends them, so the user's answer to the client is not lost.
  s.AddTable("TINTEGRACAO_DYQ_RETORNO", R"(CREATE TABLE TINTEGRACAO_DYQ_RETORNO (
  BDCODEMP INTEGER NOT NULL,
  BDTIPOCONTA SMALLINT NOT NULL,
  BDIDWEB INTEGER NOT NULL,
  BDIDEXTRATOWEB INTEGER,
  BDTIPORETORNO SMALLINT NOT NULL,
  BDOBSWEB VARCHAR(500) NOT NULL,
  BDUSUARIO VARCHAR(60),
  CONSTRAINT PK_TINTEGRACAO_DYQ_RETORNO PRIMARY KEY (BDCODEMP, BDTIPOCONTA, BDIDWEB)))");

  // The Dyq rules Dyq took the report of (their Dyq ids): a stored rule Dyq sends again is told again
  // only while its id is missing here, so a report Dyq refused or a run killed before it is made good.
  s.AddTable("TINTEGRACAO_DYQ_PREP_INFORMADA", R"(CREATE TABLE TINTEGRACAO_DYQ_PREP_INFORMADA (
  BDCODEMP INTEGER NOT NULL,
  BDIDWEB INTEGER NOT NULL,
  CONSTRAINT PK_TINTEGRACAO_DYQ_PREP_INF PRIMARY KEY (BDCODEMP, BDIDWEB)))");

  // Preparation rules of a company's bank statements (BDTIPOCONTA 1) and cash movements (2): a line
  // whose bank text matches BDCOMPL (whole text when BDCOINCIDE) gets the counter-account, participant,
  // history and complement. BDAMBOSENTSAI: 0 both directions, 1 money in (bank debited), 2 money out.
  // Keys come from one generator, so a rule copied to other companies keeps its key everywhere.
  s.AddGenerator("GEN_VZEL_EMP_TPRE_EXT_BANCARIO");
  s.AddTable("VZEL_EMP_TPRE_EXT_BANCARIO", R"(CREATE TABLE VZEL_EMP_TPRE_EXT_BANCARIO (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCODTPLA INTEGER,
  BDCOMPL VARCHAR(200),
  BDCOINCIDE VARCHAR(5) DEFAULT 'FALSE',
  BDALTCOMPL VARCHAR(5) DEFAULT 'FALSE',
  BDCOMPLPARA VARCHAR(200),
  BDCONTRAPARTIDA INTEGER,
  BDCONTRAPARTDEBCRED SMALLINT DEFAULT 0,
  BDAMBOSENTSAI SMALLINT DEFAULT 0,
  BDCODTER INTEGER,
  BDCODTPHI INTEGER,
  BDCODHIST INTEGER,
  BDCODPLAPADRAO INTEGER,
  BDTIPOCONTA SMALLINT DEFAULT 1 NOT NULL,
  BDEDITCHAVE SMALLINT DEFAULT 0,
  CONSTRAINT PK_VZEL_EMP_TPRE_EXT_BANCARIO PRIMARY KEY (BDCODEMP, BDCHAVE)))");

  // The rule each Dyq rule id of a company was stored as, written in the rules' own transaction: two
  // workstations storing one rule of Dyq's at once meet on this key, and the one that finds it taken
  // leaves the rule to the other. Deleting the rule frees its id for Dyq to send again.
  s.AddTable("TINTEGRACAO_DYQ_PREP_GRAVADA", R"(CREATE TABLE TINTEGRACAO_DYQ_PREP_GRAVADA (
  BDCODEMP INTEGER NOT NULL,
  BDIDWEB INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  CONSTRAINT PK_TINTEGRACAO_DYQ_PREP_GRAVADA PRIMARY KEY (BDCODEMP, BDIDWEB),
  CONSTRAINT FK_TINTEGRACAO_DYQ_PREP_GRAVADA FOREIGN KEY (BDCODEMP, BDCHAVE)
    REFERENCES VZEL_EMP_TPRE_EXT_BANCARIO (BDCODEMP, BDCHAVE) ON DELETE CASCADE))");
  s.AddView("VZEL_EMPRESAS_TPRE_EXT_BANCARIO", R"(CREATE VIEW VZEL_EMPRESAS_TPRE_EXT_BANCARIO AS
  SELECT pre.BDCODEMP, pre.BDCHAVE, pre.BDCODTPLA, ban.BDNOMCTA AS BDDESCCONTA, pre.BDCOMPL, pre.BDCOINCIDE,
         pre.BDALTCOMPL, pre.BDCOMPLPARA, pre.BDCONTRAPARTIDA, cp.BDNOMCTA AS BDDESCCONTRAPARTIDA,
         pre.BDCONTRAPARTDEBCRED, pre.BDAMBOSENTSAI, pre.BDCODTER, pre.BDCODTPHI, pre.BDCODHIST,
         pre.BDCODPLAPADRAO, pre.BDTIPOCONTA, pre.BDEDITCHAVE
  FROM VZEL_EMP_TPRE_EXT_BANCARIO pre
  LEFT JOIN PLANOS_TPLA ban ON ban.BDCODPLAPADRAO = pre.BDCODPLAPADRAO AND ban.BDCODTPLA = pre.BDCODTPLA
  LEFT JOIN PLANOS_TPLA cp ON cp.BDCODPLAPADRAO = pre.BDCODPLAPADRAO AND cp.BDCODTPLA = pre.BDCONTRAPARTIDA)");
}

}  // namespace

void AddSuiteBankStatementSchema(TSchema& s) {
  AddStatementsAndPdfLayouts(s);
  AddDyqExchangeAndStatementPreparation(s);
}

}  // namespace vyn
