// Bank statements, preparation rules, receipts and reconciliation.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteBankStatementSchema(TSchema& s) {
  // Each user's folder for the PDF copies of Dyq statements: BDSUBPASTAS 0 the folder itself,
  // 1 a subfolder per company, 2 per month (YYYYMM), 3 per company and month.
  s.AddTable("VZEL_USU_DYQ_DIRETORIO", R"(CREATE TABLE VZEL_USU_DYQ_DIRETORIO (
  BDCODUSU INTEGER NOT NULL,
  BDDIRETORIO VARCHAR(500),
  BDSUBPASTAS INTEGER DEFAULT 0,
  CONSTRAINT PK_VZEL_USU_DYQ_DIRETORIO PRIMARY KEY (BDCODUSU)))");

  // Imported bank-statement lines of an account. BDIDEXTRATODYQ names the Dyq statement they came
  // from (null for a statement read from a file); BDCHAVELANC is the entry the line was reconciled
  // with. BDTIPO 0 is a debit of the account (money out), 1 a credit; BDVALOR is never negative.
  s.AddGenerator("GEN_VZEL_EMPRESAS_TEXTRATOBAN");
  s.AddTable("VZEL_EMPRESAS_TEXTRATOBAN", R"(CREATE TABLE VZEL_EMPRESAS_TEXTRATOBAN (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCONTA INTEGER NOT NULL,
  BDIDEXTRATODYQ INTEGER,
  BDDATAMOV DATE NOT NULL,
  BDDESCRICAO VARCHAR(200),
  BDDCTO VARCHAR(30),
  BDTIPO SMALLINT DEFAULT 0 NOT NULL,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDCHAVELANC INTEGER,
  CONSTRAINT PK_VZEL_EMPRESAS_TEXTRATOBAN PRIMARY KEY (BDCODEMP, BDCHAVE)))");
  s.AddIndex("IX_TEXTRATOBAN_CONTA",
             "CREATE INDEX IX_TEXTRATOBAN_CONTA ON VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCONTA, BDDATAMOV)");

  // Reconciled items of an entry: the rows (statement lines or entries) it was reconciled with.
  s.AddTable("VZEL_EMPRESAS_TLAN_CONC", R"(CREATE TABLE VZEL_EMPRESAS_TLAN_CONC (
  BDCODEMP INTEGER NOT NULL,
  BDCHAVE INTEGER NOT NULL,
  BDCHAVECONC INTEGER NOT NULL,
  BDDCTO VARCHAR(30),
  BDDATA DATE,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDTIPOCONC INTEGER DEFAULT 0 NOT NULL,
  CONSTRAINT PK_VZEL_EMPRESAS_TLAN_CONC PRIMARY KEY (BDCODEMP, BDCHAVE, BDCHAVECONC)))");
}

}  // namespace vyn
