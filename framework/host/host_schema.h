#pragma once
// The tables of the task bases and of the posting-lock check. Header-only so that the schema, which
// the host layer builds on, can gather it without depending on the host library.
#include "framework/schema/schema.h"

namespace vyn {

// The notifications, the zeroing in course and the procedure that tells a period's posting lock.
inline void AddNotificationsZeroingAndPostingLock(TSchema& s) {
  // The user's notifications: what a background run finished, with the screen that takes it up and
  // the parameters that screen reads (JSON); BDTOMADA once it was opened.
  s.AddGenerator("GEN_VSH_NOTIFICACOES");
  s.AddTable("VSH_NOTIFICACOES",
             "CREATE TABLE VSH_NOTIFICACOES ("
             " BDID INTEGER NOT NULL PRIMARY KEY,"
             " BDUSUARIO VARCHAR(100),"
             " BDDATAHORA TIMESTAMP DEFAULT CURRENT_TIMESTAMP,"
             " BDTITULO VARCHAR(200) NOT NULL,"
             " BDCLASSE VARCHAR(100) NOT NULL,"
             " BDPARAMETROS BLOB SUB_TYPE TEXT,"
             " BDTOMADA SMALLINT DEFAULT 0 NOT NULL)");
  // A zeroing of a company's result accounts running over a period: it locks every screen.
  s.AddTable("TPROCESSO_ZERAMENTO",
             "CREATE TABLE TPROCESSO_ZERAMENTO ("
             " BDCODEMP INTEGER NOT NULL,"
             " BDDATAINI DATE NOT NULL,"
             " BDDATAFIM DATE NOT NULL,"
             " CONSTRAINT PK_TPROCESSO_ZERAMENTO PRIMARY KEY (BDCODEMP, BDDATAINI))");
  // The posting-lock check of a company's period for a screen (posting_lock_check.h), one row: the kind
  // found first (4 a zeroing over the period, 1 a lock row of the screen, 2 the company's closing on or
  // after its start, 0 none), the period or closing date and the lock's reason. A procedure, so that a
  // writer may run the check inside its own statement. PTELA names one screen, or several between '|' as
  // NomeDeBloqueio gives them ("|FRX|FRY|": the run's screen, the screens that opened it and the names its
  // road answers to); a lock row of any of them locks, its name read as NomeDeBloqueio reads it (with or
  // without the leading T, in any case).
  s.AddProcedure("SP_BLOQUEIO_LANCAMENTO",
                 "CREATE PROCEDURE SP_BLOQUEIO_LANCAMENTO (PCODEMP INTEGER, PINICIO DATE, PFIM DATE, PTELA VARCHAR(1000))\n"
                 "RETURNS (TIPO INTEGER, DINI DATE, DFIM DATE, MOTIVO VARCHAR(200))\n"
                 "AS\n"
                 "DECLARE VARIABLE LISTA VARCHAR(1002);\n"
                 "BEGIN\n"
                 "  TIPO = 0;\n"
                 "  LISTA = UPPER(TRIM(COALESCE(PTELA, '')));\n"
                 "  IF (NOT LISTA STARTING WITH '|') THEN BEGIN\n"
                 "    IF (CHAR_LENGTH(LISTA) > 1 AND LISTA STARTING WITH 'T') THEN LISTA = SUBSTRING(LISTA FROM 2);\n"
                 "    LISTA = '|' || LISTA || '|';\n"
                 "  END\n"
                 "  SELECT FIRST 1 BDDATAINI, BDDATAFIM FROM TPROCESSO_ZERAMENTO WHERE BDCODEMP = :PCODEMP AND\n"
                 "    BDDATAINI <= :PFIM AND BDDATAFIM >= :PINICIO ORDER BY BDDATAINI INTO :DINI, :DFIM;\n"
                 "  IF (ROW_COUNT > 0) THEN TIPO = 4;\n"
                 "  IF (TIPO = 0) THEN BEGIN\n"
                 "    SELECT FIRST 1 BDDATAINI, BDDATAFIM, BDMOTIVO FROM TBLOQUEIO_LANCAMENTO WHERE BDCODEMP = :PCODEMP AND\n"
                 "      BDDATAINI <= :PFIM AND BDDATAFIM >= :PINICIO AND TRIM(BDTELA) <> '' AND\n"
                 "      POSITION('|' || IIF(CHAR_LENGTH(TRIM(BDTELA)) > 1 AND UPPER(TRIM(BDTELA)) STARTING WITH 'T',\n"
                 "        SUBSTRING(UPPER(TRIM(BDTELA)) FROM 2), UPPER(TRIM(BDTELA))) || '|' IN :LISTA) > 0\n"
                 "      ORDER BY BDDATAINI INTO :DINI, :DFIM, :MOTIVO;\n"
                 "    IF (ROW_COUNT > 0) THEN TIPO = 1;\n"
                 "  END\n"
                 "  IF (TIPO = 0) THEN BEGIN\n"
                 "    SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP = :PCODEMP INTO :DINI;\n"
                 "    IF (DINI IS NOT NULL AND PINICIO <= DINI) THEN TIPO = 2;\n"
                 "  END\n"
                 "  IF (TIPO = 0) THEN DINI = NULL;\n"
                 "  SUSPEND;\n"
                 "END");
}

inline void AddHostSchema(TSchema& s) {
  // The run's status row, one per run key.
  s.AddTable("VSH_EMP_TCONF_EXECUCAO",
             "CREATE TABLE VSH_EMP_TCONF_EXECUCAO ("
             " BDCODAGENDAMENTO INTEGER NOT NULL,"
             " BDCODEMP INTEGER NOT NULL,"
             " BDCODPLANOTARVO INTEGER NOT NULL,"
             " BDORDEMAGENDAMENTO INTEGER NOT NULL,"
             " BDCLASSE VARCHAR(100),"
             " BDCODSTATUS SMALLINT NOT NULL,"
             " BDINCONSISTENCIA VARCHAR(200),"
             " BDDATAEXECUTADO TIMESTAMP,"
             " CONSTRAINT PK_VSH_EMP_TCONF_EXECUCAO PRIMARY KEY"
             " (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO))");
  // The conference rows of the imports (kind 5 Nibo entries, 6 Dyq entries, ...).
  s.AddTable("VSH_EMP_TCONF_IMPORTACOES",
             "CREATE TABLE VSH_EMP_TCONF_IMPORTACOES ("
             " BDCODAGENDAMENTO INTEGER NOT NULL,"
             " BDCODEMP INTEGER NOT NULL,"
             " BDCODPLANOTARVO INTEGER NOT NULL,"
             " BDORDEMAGENDAMENTO INTEGER NOT NULL,"
             " BDTIPOCONFERENCIA SMALLINT NOT NULL,"
             " BDCODSTATUS SMALLINT NOT NULL,"
             " BDINCONSISTENCIA VARCHAR(200),"
             " BDDATAEXECUTADO TIMESTAMP,"
             " CONSTRAINT PK_VSH_EMP_TCONF_IMPORTACOES PRIMARY KEY"
             " (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO, BDTIPOCONFERENCIA))");
  // The run log, one row per line.
  s.AddGenerator("GEN_VSH_EMP_TLOG_TARVO");
  s.AddTable("VSH_EMP_TLOG_TARVO",
             "CREATE TABLE VSH_EMP_TLOG_TARVO ("
             " BDID INTEGER NOT NULL PRIMARY KEY,"
             " BDCODAGENDAMENTO INTEGER NOT NULL,"
             " BDCODEMP INTEGER NOT NULL,"
             " BDCODPLANOTARVO INTEGER NOT NULL,"
             " BDORDEMAGENDAMENTO INTEGER NOT NULL,"
             " BDCLASSE VARCHAR(100),"
             " BDDATAHORA TIMESTAMP,"
             " BDTEXTO VARCHAR(1000))");
  s.AddIndex("IX_VSH_EMP_TLOG_TARVO_CHAVE",
             "CREATE INDEX IX_VSH_EMP_TLOG_TARVO_CHAVE ON VSH_EMP_TLOG_TARVO"
             " (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO)");
  // Posting locks: a company's period locked for one screen.
  s.AddGenerator("GEN_TBLOQUEIO_LANCAMENTO");
  s.AddTable("TBLOQUEIO_LANCAMENTO",
             "CREATE TABLE TBLOQUEIO_LANCAMENTO ("
             " BDID INTEGER NOT NULL PRIMARY KEY,"
             " BDCODEMP INTEGER NOT NULL,"
             " BDTELA VARCHAR(100) NOT NULL,"
             " BDDATAINI DATE NOT NULL,"
             " BDDATAFIM DATE NOT NULL,"
             " BDMOTIVO VARCHAR(200))");
  s.AddIndex("IX_TBLOQUEIO_LANCAMENTO_EMP",
             "CREATE INDEX IX_TBLOQUEIO_LANCAMENTO_EMP ON TBLOQUEIO_LANCAMENTO (BDCODEMP, BDDATAINI)");
  AddNotificationsZeroingAndPostingLock(s);
}

}  // namespace vyn
