// What the books themselves refuse, whatever road writes them: the account of every source booked (one
// row per source, so a second booking of it cannot commit, nor a part booked beyond its value), obligations never paid beyond what they
// owe, and the rules of the period in one place, as procedures the books' gate and the settlement's
// own statement both call.
#include <fmt/format.h>

#include "framework/data/tabelas_livros.h"
#include "framework/schema/schema.h"
#include "framework/schema/troca_plano.h"

namespace vyn {

namespace {

// Names are of at most 31 characters: the book's installment table without its prefix.
std::string NomeGatilhoSaldo(const std::string& parcela) { return "TRG_SALDO_" + parcela.substr(9); }

// A payment table's principal and discount rows together never exceed the installment's value.
std::string GatilhoSaldoParcela(const std::string& parcela) {
  return fmt::format(R"(CREATE TRIGGER {1} FOR {0}PGTO BEFORE INSERT OR UPDATE AS
DECLARE VARIABLE VALOR NUMERIC(18,4);
DECLARE VARIABLE PAGO NUMERIC(18,4);
BEGIN
  -- A plan change's consultation-only backup keeps the payments of its period as a record; their
  -- installments stay in the original company.
  IF (NEW.BDTIPOBAIXA IN (1, 4) AND NOT ({2} AND EXISTS (SELECT 1 FROM TEMPRESAS E WHERE E.BDCODEMP = NEW.BDCODEMP AND
      E.BDSTATUSEMP = 1))) THEN BEGIN
    SELECT P.BDVALORPAR FROM {0} P WHERE P.BDCODEMP = NEW.BDCODEMP AND P.BDCHAVE = NEW.BDCHAVE AND
      P.BDORDEMPAR = NEW.BDORDEMPAR INTO :VALOR;
    SELECT COALESCE(SUM(G.BDVALORPGTO), 0) FROM {0}PGTO G WHERE G.BDCODEMP = NEW.BDCODEMP AND
      G.BDCHAVE = NEW.BDCHAVE AND G.BDORDEMPAR = NEW.BDORDEMPAR AND G.BDTIPOBAIXA IN (1, 4) AND
      G.BDSEQPGTO <> NEW.BDSEQPGTO INTO :PAGO;
    IF (VALOR IS NULL OR PAGO + NEW.BDVALORPGTO > VALOR) THEN
      EXCEPTION E_LIVROS_SALDO 'Pagamento acima do saldo em aberto da parcela ' || NEW.BDORDEMPAR ||
        ' do documento ' || NEW.BDCHAVE || ' da empresa ' || NEW.BDCODEMP || '.';
  END
END)",
                     parcela, NomeGatilhoSaldo(parcela), CopiaLiberada("NEW.BDCODEMP"));
}

}  // namespace

namespace {

void AddSourceRecords(TSchema& s) {
  // One row per source booked: a statement line, a receipt, an entry file's line, a document, entry or
  // payment of a business system, a portal payment. The key is what the source's origin names it by,
  // compared byte for byte; the row is the source's account: its value (BDVALOR, null for a source
  // booked only whole), what was booked of it (BDLANCADO, never above the value) and the movement it
  // stands for (day, accounts, document), by which the same money brought by another road is told.
  // A source booked whole names its entry; a second booking of it meets the key and rolls back. The same
  // row serves the reports to its origin: it names the batch the origin sent it in (BDLOTE, a Dyq
  // statement's id).
  s.AddTable("TINTEGRACAO_FONTE_LANCADA", R"(CREATE TABLE TINTEGRACAO_FONTE_LANCADA (
  BDCODEMP INTEGER NOT NULL,
  BDTIPOFONTE SMALLINT NOT NULL,
  BDFONTE VARCHAR(120) CHARACTER SET WIN1252 NOT NULL COLLATE WIN1252,
  BDDESCRICAO VARCHAR(200),
  BDCHAVELAN INTEGER,
  BDVALOR NUMERIC(18,4),
  BDLANCADO NUMERIC(18,4) DEFAULT 0 NOT NULL,
  BDDATA DATE,
  BDDEBITO INTEGER,
  BDCREDITO INTEGER,
  BDDCTO VARCHAR(60),
  BDDATAHORA TIMESTAMP DEFAULT CURRENT_TIMESTAMP NOT NULL,
  BDUSUARIO VARCHAR(100),
  BDESTACAO VARCHAR(100),
  BDEXECUCAO VARCHAR(200),
  BDLOTE INTEGER,
  CONSTRAINT PK_TINTEGRACAO_FONTE_LANCADA PRIMARY KEY (BDCODEMP, BDTIPOFONTE, BDFONTE),
  CONSTRAINT CK_FONTE_LANCADA_SALDO CHECK (BDVALOR IS NULL OR BDLANCADO <= BDVALOR)))");
  // What each entry booked of a source booked in parts (split rows, settlements, a rest booked later):
  // deleting an entry frees its part, and the source's BDLANCADO follows its parts. A source booked
  // whole has no part: its row names the entry (BDCHAVELAN) and BDLANCADO is its value.
  s.AddTable("TINTEGRACAO_FONTE_PARTE", R"(CREATE TABLE TINTEGRACAO_FONTE_PARTE (
  BDCODEMP INTEGER NOT NULL,
  BDTIPOFONTE SMALLINT NOT NULL,
  BDFONTE VARCHAR(120) CHARACTER SET WIN1252 NOT NULL COLLATE WIN1252,
  BDPARTE VARCHAR(60) NOT NULL,
  BDCHAVELAN INTEGER,
  BDVALOR NUMERIC(18,4) DEFAULT 0 NOT NULL,
  CONSTRAINT PK_TINTEGRACAO_FONTE_PARTE PRIMARY KEY (BDCODEMP, BDTIPOFONTE, BDFONTE, BDPARTE),
  CONSTRAINT FK_FONTE_PARTE_FONTE FOREIGN KEY (BDCODEMP, BDTIPOFONTE, BDFONTE)
    REFERENCES TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE)))");
  // A statement line's part that books one side only says what of the bank's side it booked (null: as
  // much as its value): deleting the bank side's entry of a split line gives that side back.
  s.AddIndex("TINTEGRACAO_FONTE_PARTE_BANCO", "ALTER TABLE TINTEGRACAO_FONTE_PARTE ADD BDBANCO NUMERIC(18,4)");
  s.AddIndex("IX_FONTE_LANCADA_LAN",
             "CREATE INDEX IX_FONTE_LANCADA_LAN ON TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDCHAVELAN)");
  s.AddIndex("IX_FONTE_PARTE_LAN", "CREATE INDEX IX_FONTE_PARTE_LAN ON TINTEGRACAO_FONTE_PARTE (BDCODEMP, BDCHAVELAN)");
  // The same movement brought by another road is found by its day and value.
  s.AddIndex("IX_FONTE_LANCADA_MOV",
             "CREATE INDEX IX_FONTE_LANCADA_MOV ON TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDDATA, BDVALOR)");
  s.AddProcedure("TRG_FONTE_PARTE_SOMA", fmt::format(R"(CREATE TRIGGER TRG_FONTE_PARTE_SOMA FOR TINTEGRACAO_FONTE_PARTE
AFTER INSERT OR DELETE AS
BEGIN
  -- A part of no value (the bank side of a split line) leaves the sum as it is: no new version of the row.
  -- Nor does a part of the source whose account the gate's statement opened, in this transaction, with the
  -- sum of the parts it writes next (named in the context until they are written): its row was checked
  -- against its value with that sum when it was inserted.
  IF (INSERTING) THEN BEGIN
    IF (NEW.BDVALOR <> 0 AND RDB$GET_CONTEXT('USER_TRANSACTION', '{0}') IS DISTINCT FROM
        NEW.BDCODEMP || '|' || NEW.BDTIPOFONTE || '|' || NEW.BDFONTE) THEN
      UPDATE TINTEGRACAO_FONTE_LANCADA SET BDLANCADO = BDLANCADO + NEW.BDVALOR
        WHERE BDCODEMP = NEW.BDCODEMP AND BDTIPOFONTE = NEW.BDTIPOFONTE AND BDFONTE = NEW.BDFONTE;
  END
  ELSE IF (OLD.BDVALOR <> 0) THEN
    UPDATE TINTEGRACAO_FONTE_LANCADA SET BDLANCADO = BDLANCADO - OLD.BDVALOR
      WHERE BDCODEMP = OLD.BDCODEMP AND BDTIPOFONTE = OLD.BDTIPOFONTE AND BDFONTE = OLD.BDFONTE;
END)", kContextoFonteSomada));
  // An entry deleted (by the suite's entry screen, a utility, a user's correction) frees what it booked:
  // a source booked whole by it is free again; a part of a source, that part only; a source left with
  // nothing booked is forgotten.
  s.AddProcedure("TRG_FONTE_LANCADA_LIBERA", R"(CREATE TRIGGER TRG_FONTE_LANCADA_LIBERA FOR VZEL_EMPRESAS_TLAN
AFTER DELETE AS
DECLARE VARIABLE TIPO SMALLINT;
DECLARE VARIABLE FONTE VARCHAR(120) CHARACTER SET WIN1252;
BEGIN
  DELETE FROM TINTEGRACAO_FONTE_LANCADA WHERE BDCODEMP = OLD.BDCODEMP AND BDCHAVELAN = OLD.BDCHAVE;
  FOR SELECT DISTINCT BDTIPOFONTE, BDFONTE FROM TINTEGRACAO_FONTE_PARTE
      WHERE BDCODEMP = OLD.BDCODEMP AND BDCHAVELAN = OLD.BDCHAVE INTO :TIPO, :FONTE DO
  BEGIN
    DELETE FROM TINTEGRACAO_FONTE_PARTE WHERE BDCODEMP = OLD.BDCODEMP AND BDTIPOFONTE = :TIPO AND
      BDFONTE = :FONTE AND BDCHAVELAN = OLD.BDCHAVE;
    IF (NOT EXISTS (SELECT 1 FROM TINTEGRACAO_FONTE_PARTE WHERE BDCODEMP = OLD.BDCODEMP AND BDTIPOFONTE = :TIPO AND
        BDFONTE = :FONTE)) THEN
      DELETE FROM TINTEGRACAO_FONTE_LANCADA WHERE BDCODEMP = OLD.BDCODEMP AND BDTIPOFONTE = :TIPO AND BDFONTE = :FONTE;
  END
END)");
}

void AddBooksRulesAndChecks(TSchema& s) {
  // A fiscal document enters the fiscal module's queue once per partner, by its identity (its access key,
  // the partner's id, or its text's hash), whatever workstation fetched it.
  s.AddIndex("UQ_FILA_EF_IDENTIDADE", "CREATE UNIQUE INDEX UQ_FILA_EF_IDENTIDADE ON VEF_TFILA_IMPORTACAO_EF "
                                      "(BDCODEMP, BDTIPOPARCEIRO, BDIDENTIFICADOR)");

  // Obligations are never paid beyond what they owe.
  s.AddProcedure("E_LIVROS_SALDO", "CREATE EXCEPTION E_LIVROS_SALDO 'Pagamento acima do saldo em aberto.'");
  // A settlement's statement refuses through it, the text its answer.
  s.AddProcedure("E_BAIXA_RECUSADA", "CREATE EXCEPTION E_BAIXA_RECUSADA 'Baixa recusada.'");
  for (const char* parcela : {"VEF_EMP_TMOVENTPAR", "VEF_EMP_TMOVSAIPAR", "VEF_EMP_TMOVSERPAR", "VEF_EMP_TMOVF100PAR"})
    s.AddProcedure(NomeGatilhoSaldo(parcela), GatilhoSaldoParcela(parcela));
  s.AddProcedure("TRG_TDARFGERPGTO_SALDO", R"(CREATE TRIGGER TRG_TDARFGERPGTO_SALDO FOR TDARFGERPGTO
BEFORE INSERT OR UPDATE AS
BEGIN
  IF (NEW.BDSALDOAPAGAR < 0) THEN
    EXCEPTION E_LIVROS_SALDO 'Pagamento acima do saldo em aberto da guia ' || NEW.BDCHAVEDARF || ' da empresa ' ||
      NEW.BDCODEMP || '.';
END)");
  s.AddProcedure("TRG_TDADOSPGTOCALC_SALDO", R"(CREATE TRIGGER TRG_TDADOSPGTOCALC_SALDO FOR TDADOSPGTOCALC
BEFORE INSERT OR UPDATE AS
BEGIN
  IF (NEW.BDVLRPGTO < 0 OR NEW.BDVLRPGTO > NEW.BDLIQUIDO) THEN
    EXCEPTION E_LIVROS_SALDO 'Pagamento acima do saldo em aberto do cálculo ' || NEW.BDCHAVE || ' da empresa ' ||
      NEW.BDCODEMP || '.';
END)");

  // The rules of a company's day, for the screens and tasks named in PTELAS ('|' before and after each
  // class name): TIPO 9 the company does not exist, 5 it is a consultation-only copy, 6 the day is before
  // its first reference month (DINI), then the posting lock's kinds (4 zeroing, 1 a lock row of one of
  // the screens, 2 the closing; SP_BLOQUEIO_LANCAMENTO), 0 none.
  s.AddProcedure("SP_REGRAS_PERIODO", R"(CREATE PROCEDURE SP_REGRAS_PERIODO (PCODEMP INTEGER, PDATA DATE,
  PTELAS VARCHAR(1000))
RETURNS (TIPO INTEGER, DINI DATE, DFIM DATE, MOTIVO VARCHAR(200))
AS
DECLARE VARIABLE STATUS SMALLINT;
DECLARE VARIABLE PRIMEIRA INTEGER;
BEGIN
  TIPO = 0;
  SELECT COALESCE(E.BDSTATUSEMP, 0) FROM TEMPRESAS E WHERE E.BDCODEMP = :PCODEMP INTO :STATUS;
  IF (ROW_COUNT = 0) THEN TIPO = 9;
  ELSE IF (STATUS = 1) THEN TIPO = 5;
  IF (TIPO = 0) THEN BEGIN
    SELECT MIN(R.BDREFEMP) FROM TEMPRESAS_REF R WHERE R.BDCODEMP = :PCODEMP INTO :PRIMEIRA;
    IF (PRIMEIRA IS NULL) THEN TIPO = 9;
    ELSE BEGIN
      DINI = CAST(((PRIMEIRA / 100) - 5) || '-1-1' AS DATE);
      IF (PDATA < DINI) THEN TIPO = 6;
    END
  END
  IF (TIPO = 0) THEN
    SELECT TIPO, DINI, DFIM, MOTIVO FROM SP_BLOQUEIO_LANCAMENTO(:PCODEMP, :PDATA, :PDATA, :PTELAS)
      INTO :TIPO, :DINI, :DFIM, :MOTIVO;
  SUSPEND;
END)");

  // An account (and its participant) of an entry against the chart in force at the entry's date: TIPO 7
  // the account is not in that chart, 8 the participant does not exist, 0 none.
  s.AddProcedure("SP_REGRAS_CONTA", R"(CREATE PROCEDURE SP_REGRAS_CONTA (PCODEMP INTEGER, PDATA DATE, PCONTA INTEGER,
  PTERCEIRO INTEGER)
RETURNS (TIPO INTEGER)
AS
DECLARE VARIABLE PLANO INTEGER;
BEGIN
  TIPO = 0;
  IF (COALESCE(PCONTA, 0) > 0) THEN BEGIN
    SELECT R.BDCODPLAPADRAO FROM SP_GETREFERENCIA(:PCODEMP, EXTRACT(YEAR FROM :PDATA) * 100 + EXTRACT(MONTH FROM
      :PDATA)) G JOIN TEMPRESAS_REF R ON R.BDCODEMP = :PCODEMP AND R.BDREFEMP = G.BDREFEMP INTO :PLANO;
    IF (NOT EXISTS (SELECT 1 FROM PLANOS_TPLA P WHERE P.BDCODPLAPADRAO = :PLANO AND P.BDCODTPLA = :PCONTA)) THEN
      TIPO = 7;
  END
  IF (TIPO = 0 AND COALESCE(PTERCEIRO, 0) > 0) THEN
    IF (NOT EXISTS (SELECT 1 FROM TTERCEIRO T WHERE T.BDCODTER = :PTERCEIRO)) THEN TIPO = 8;
  SUSPEND;
END)");
}

}  // namespace

void AddModuloLivrosSchema(TSchema& s) {
  AddSourceRecords(s);
  AddBooksRulesAndChecks(s);
}

}  // namespace vyn
