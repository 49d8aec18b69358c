// Nibo imports: the companies' Nibo settings, the offices' OAuth2 records, the fiscal import queue
// the service documents go to, and the scheduler's process list the service task reports to.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteNiboSchema(TSchema& s) {
  // A company's id at Nibo and the OAuth2 record of the office that reaches it.
  s.AddTable("TEMPRESAS_NIBO", R"(CREATE TABLE TEMPRESAS_NIBO (
  BDCODEMP INTEGER NOT NULL,
  BDIDEMPRESANIBO VARCHAR(60),
  BDCODOAUTH2 INTEGER,
  CONSTRAINT PK_TEMPRESAS_NIBO PRIMARY KEY (BDCODEMP),
  CONSTRAINT FK_TEMPRESAS_NIBO FOREIGN KEY (BDCODEMP) REFERENCES TEMPRESAS (BDCODEMP) ON DELETE CASCADE))");

  // OAuth2 client records of the offices: the client secret is stored enciphered; the access token
  // last granted is kept with its expiry so that runs do not ask for one each time.
  s.AddTable("TOAUTH2", R"(CREATE TABLE TOAUTH2 (
  BDCODOAUTH2 INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(100),
  BDCLIENTID VARCHAR(200),
  BDCLIENTSECRET VARCHAR(500),
  BDACCESSTOKEN VARCHAR(2000),
  BDEXPIRAEM TIMESTAMP,
  CONSTRAINT PK_TOAUTH2 PRIMARY KEY (BDCODOAUTH2)))");

  // Fiscal documents waiting for the fiscal module's import: one row per document file. BDIDENTIFICADOR
  // is the document's identity at its partner (access key, else the partner's id), else one its text gives.
  s.AddGenerator("GEN_VEF_TFILA_IMPORTACAO_EF");
  s.AddTable("VEF_TFILA_IMPORTACAO_EF", R"(CREATE TABLE VEF_TFILA_IMPORTACAO_EF (
  BDID INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDTIPODOCUMENTO SMALLINT NOT NULL,
  BDTIPOPARCEIRO SMALLINT NOT NULL,
  BDARQUIVO VARCHAR(1000) NOT NULL,
  BDCONTEUDO BLOB SUB_TYPE TEXT,
  BDDATAINCLUSAO TIMESTAMP DEFAULT CURRENT_TIMESTAMP,
  BDIDENTIFICADOR VARCHAR(100),
  CONSTRAINT PK_VEF_TFILA_IMPORTACAO_EF PRIMARY KEY (BDID)))");

  // The scheduler's processes of a run: status and description per run key.
  s.AddTable("VSH_EMP_TLISTA_PROCESSOS", R"(CREATE TABLE VSH_EMP_TLISTA_PROCESSOS (
  BDCODAGENDAMENTO INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDCODPLANOTARVO INTEGER NOT NULL,
  BDORDEMAGENDAMENTO INTEGER NOT NULL,
  BDCODSTATUS SMALLINT DEFAULT 0 NOT NULL,
  BDDESCPROCESSO VARCHAR(500),
  CONSTRAINT PK_VSH_EMP_TLISTA_PROCESSOS PRIMARY KEY (BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO,
    BDORDEMAGENDAMENTO)))");
}

}  // namespace vyn
