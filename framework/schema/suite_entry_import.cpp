// Entry-file feeders: Dyq files, client folders and their status tables.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteEntryImportSchema(TSchema& s) {
  // Entry files of client folders, one row per registration (BDORDEM numbers them per company).
  // The period bounds are YYYYMMDD. BDFINALIZADO, BDTAMANHO and BDMODIFICADO are written when the
  // file's import ended: a finished file of the same size and time is not imported again.
  s.AddTable("TINTEGRACAO_ARQ_CLIENTE", R"(CREATE TABLE TINTEGRACAO_ARQ_CLIENTE (
  BDORDEM INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCAMINHO VARCHAR(1000) NOT NULL,
  BDREFINICIAL INTEGER NOT NULL,
  BDREFFINAL INTEGER NOT NULL,
  BDTIPOARQUIVO SMALLINT NOT NULL,
  BDFINALIZADO VARCHAR(5) DEFAULT 'FALSE' NOT NULL,
  BDTAMANHO BIGINT,
  BDMODIFICADO BIGINT,
  BDDATAPROCESSO TIMESTAMP,
  CONSTRAINT PK_TINTEGRACAO_ARQ_CLIENTE PRIMARY KEY (BDCODEMP, BDORDEM)))");

  // Problems of one registered file's import.
  s.AddTable("TINTEGRACAO_ARQ_CLIENTE_INCONS", R"(CREATE TABLE TINTEGRACAO_ARQ_CLIENTE_INCONS (
  BDCODEMP INTEGER NOT NULL,
  BDORDEM INTEGER NOT NULL,
  BDORDEMINCONS INTEGER NOT NULL,
  BDINCONSISTENCIA VARCHAR(4000),
  BDCATEGORIAINCONSISTENCIA SMALLINT,
  CONSTRAINT PK_TINTEGRACAO_ARQ_CLI_INCONS PRIMARY KEY (BDCODEMP, BDORDEM, BDORDEMINCONS)))");

  // The ledger entries each Dyq entry file put in (company of the import, the file's id on the
  // service), written with them: a file the service still lists because its marking failed is known
  // as imported. BDCODEMPLAN/BDCHAVE are null for a file whose run only settled lines.
  s.AddTable("TINTEGRACAO_DYQ_LANCAMENTO", R"(CREATE TABLE TINTEGRACAO_DYQ_LANCAMENTO (
  BDCODEMP INTEGER NOT NULL,
  BDIDDYQ VARCHAR(40) NOT NULL,
  BDSEQ INTEGER NOT NULL,
  BDCODEMPLAN INTEGER,
  BDCHAVE INTEGER,
  BDMOMENTO TIMESTAMP DEFAULT CURRENT_TIMESTAMP,
  CONSTRAINT PK_TINTEGRACAO_DYQ_LANCAMENTO PRIMARY KEY (BDCODEMP, BDIDDYQ, BDSEQ)))");
}

}  // namespace vyn
