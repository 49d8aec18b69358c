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

  // Dyq entry files a scheduled run imported without booking them whole, as they were then (BDRESUMO:
  // 16 hex digits of the FNV-1a of the file downloaded): the run told why, and later runs leave the same
  // file out until its content changes, instead of failing on it for ever.
  s.AddTable("TINTEGRACAO_DYQ_ARQ_AVISADO", R"(CREATE TABLE TINTEGRACAO_DYQ_ARQ_AVISADO (
  BDCODEMP INTEGER NOT NULL,
  BDIDWEB VARCHAR(40) NOT NULL,
  BDRESUMO VARCHAR(16) NOT NULL,
  BDNAOIMPORTADOS INTEGER NOT NULL,
  BDDATAAVISO TIMESTAMP NOT NULL,
  CONSTRAINT PK_TINTEGRACAO_DYQ_ARQ_AVISADO PRIMARY KEY (BDCODEMP, BDIDWEB)))");
}

}  // namespace vyn
