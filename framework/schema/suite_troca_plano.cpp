// The change of posting plan: the posting plans with their chart and history plan, the mapping plans
// between two posting plans, the plan changes done per company and the trial balances saved before
// and after each change.
#include "framework/schema/schema.h"

#include <string>
#include <vector>

#include <fmt/format.h>

#include "framework/data/tabelas_livros.h"
#include "framework/schema/troca_plano.h"

namespace vyn {

namespace {

// The transaction context variable by which a change of posting plan's transaction lets itself
// change implantations; it ends with the transaction.
constexpr const char* kContextoTroca = "VYN_TROCA_PLANO";

// The books of a consultation-only copy (BDSTATUSEMP 1): the tables only the books' gate writes, and
// what the copy keeps with its entries: their tax, participant and incentive details, their
// reconciliation and the statement lines it names, the documents of the installments paid.
std::vector<std::string> TabelasCopiaConsulta() {
  std::vector<std::string> t(kTabelasDosLivros.begin(), kTabelasDosLivros.end());
  t.insert(t.end(), {"VZEL_EMPRESAS_TLAN_Y570", "VZEL_EMPRESAS_TLAN_CONC", "VZEL_EMPRESAS_TLAN_PR",
                     "VZEL_EMPRESAS_TLAN_INC", "VZEL_EMPRESAS_TEXTRATOBAN", "VEF_EMP_TMOVENT", "VEF_EMP_TMOVSAI",
                     "VEF_EMP_TMOVSER", "VEF_EMP_TMOVDEMAISDOC_F100"});
  return t;
}

// A copy keeps the detail of the period before a change, which the original no longer has: its books
// refuse every write, whatever road makes it, but the change's own filling of that copy. The change's
// transaction takes that exemption by a mark row (kTabelaCopiaTroca) the database accepts only from the
// transaction that made the copy's company row, and only for itself: no session value another program
// could set.
void AddCopiaConsultaSchema(TSchema& s) {
  s.AddProcedure("E_EMPRESA_CONSULTA", fmt::format("CREATE EXCEPTION E_EMPRESA_CONSULTA 'A empresa {}.'",
                                                   kMensagemCopiaConsulta));
  s.AddTable(kTabelaCopiaTroca, fmt::format(R"(CREATE TABLE {} (
  BDCODEMP INTEGER NOT NULL,
  BDTRANSACAO BIGINT NOT NULL,
  CONSTRAINT PK_TCOPIA_TROCA PRIMARY KEY (BDCODEMP, BDTRANSACAO)))",
                                            kTabelaCopiaTroca));
  s.AddProcedure("TRG_TCOPIA_TROCA", fmt::format(R"(CREATE TRIGGER TRG_TCOPIA_TROCA FOR {0} BEFORE INSERT OR UPDATE AS
BEGIN
  IF (UPDATING OR NEW.BDTRANSACAO IS DISTINCT FROM CURRENT_TRANSACTION OR NOT EXISTS (SELECT 1 FROM TEMPRESAS E
      WHERE E.BDCODEMP = NEW.BDCODEMP AND E.BDSTATUSEMP = 1 AND E.RDB$RECORD_VERSION = CURRENT_TRANSACTION)) THEN
    EXCEPTION E_EMPRESA_CONSULTA 'A empresa ' || NEW.BDCODEMP || ' {1}.';
END)",
                                                 kTabelaCopiaTroca, kMensagemCopiaConsulta));
  const std::vector<std::string> tabelas = TabelasCopiaConsulta();
  for (size_t i = 0; i < tabelas.size(); ++i)
    s.AddProcedure(fmt::format("TRG_COPIA_CONSULTA_{}", i + 1),
                   fmt::format(R"(CREATE TRIGGER TRG_COPIA_CONSULTA_{0} FOR {1} BEFORE INSERT OR UPDATE OR DELETE AS
DECLARE VARIABLE EMP INTEGER;
BEGIN
  SELECT FIRST 1 E.BDCODEMP FROM TEMPRESAS E WHERE E.BDSTATUSEMP = 1 AND E.BDCODEMP IN (OLD.BDCODEMP, NEW.BDCODEMP)
    AND NOT {2} INTO :EMP;
  IF (EMP IS NOT NULL) THEN
    EXCEPTION E_EMPRESA_CONSULTA 'A empresa ' || EMP || ' {3}.';
END)",
                               i + 1, tabelas[i], CopiaLiberada("E.BDCODEMP"), kMensagemCopiaConsulta));
}

}  // namespace

void LiberaImplantacoesTroca(TDatabase& db) {
  db.QueryValue(fmt::format("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', '{}', 'TRUE') FROM RDB$DATABASE",
                            kContextoTroca));
}

std::string CopiaLiberada(const std::string& empresa) {
  return fmt::format("EXISTS (SELECT 1 FROM {} M WHERE M.BDCODEMP = {} AND M.BDTRANSACAO = CURRENT_TRANSACTION)",
                     kTabelaCopiaTroca, empresa);
}

void LiberaCopiaTroca(TDatabase& db, int copia) {
  db.Execute(fmt::format("INSERT INTO {0} (BDCODEMP, BDTRANSACAO) SELECT CAST(? AS INTEGER), CURRENT_TRANSACTION FROM "
                         "RDB$DATABASE WHERE NOT {1}",
                         kTabelaCopiaTroca, CopiaLiberada("CAST(? AS INTEGER)")),
             {copia, copia});
}

void EncerraCopiasTroca(TDatabase& db) {
  db.Execute(fmt::format("DELETE FROM {} WHERE BDTRANSACAO = CURRENT_TRANSACTION", kTabelaCopiaTroca));
}

void AddSuiteTrocaPlanoSchema(TSchema& s) {
  // Posting plans. BDREGCONTRETPCC / BDREGCONTRETIR: 1 when PCC / IR retentions are posted on a cash
  // basis, 0 on an accrual basis.
  s.AddTable("TPLANO_CONF_ONLINE", R"(CREATE TABLE TPLANO_CONF_ONLINE (
  BDCODPLANOONLINE INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(150),
  BDCODPLAPADRAO INTEGER,
  BDCODHIST INTEGER,
  BDREGCONTRETPCC SMALLINT DEFAULT 0,
  BDREGCONTRETIR SMALLINT DEFAULT 0,
  CONSTRAINT PK_TPLANO_CONF_ONLINE PRIMARY KEY (BDCODPLANOONLINE)))");

  // Mapping plans from one posting plan to another; BDAUTOMATICO 'TRUE' for the ones the system made
  // itself between two plans of the same chart and history plan.
  s.AddTable("VINT_BASE_TINTONLINE", R"(CREATE TABLE VINT_BASE_TINTONLINE (
  BDCODINT INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(150),
  BDCODPLANOONLINEDE INTEGER,
  BDCODPLANOONLINEPARA INTEGER,
  BDAUTOMATICO VARCHAR(5) DEFAULT 'FALSE',
  CONSTRAINT PK_VINT_BASE_TINTONLINE PRIMARY KEY (BDCODINT)))");

  // The accounts of a mapping plan: an account of the source plan's chart (BDCODTPLADE) and the
  // account of the target plan's chart its postings move to.
  s.AddTable("VINT_BASE_TINTONLINE_CONTA", R"(CREATE TABLE VINT_BASE_TINTONLINE_CONTA (
  BDCODINT INTEGER NOT NULL,
  BDCODTPLADE INTEGER NOT NULL,
  BDCODTPLAPARA INTEGER NOT NULL,
  CONSTRAINT PK_VINT_BASE_TINTONLINE_CONTA PRIMARY KEY (BDCODINT, BDCODTPLADE),
  CONSTRAINT FK_VINT_BASE_TINTONLINE_CONTA FOREIGN KEY (BDCODINT)
    REFERENCES VINT_BASE_TINTONLINE (BDCODINT) ON DELETE CASCADE))");

  // One row per change of posting plan of a head office (BDORDEM counts its changes). BDSTATUS:
  // 0 done, 1 done the other way round, 2 reverted. BDCODINT is null when no mapping plan was used.
  s.AddTable("VINT_EMP_PROCESSOTROCA", R"(CREATE TABLE VINT_EMP_PROCESSOTROCA (
  BDCODEMP INTEGER NOT NULL,
  BDORDEM INTEGER NOT NULL,
  BDDATAINICIAL DATE,
  BDSTATUS SMALLINT DEFAULT 0,
  BDCODINT INTEGER,
  BDCODPLANOONLINEDE INTEGER,
  BDCODPLANOONLINEPARA INTEGER,
  BDDATAPROC TIMESTAMP,
  BDNOMUSU VARCHAR(100),
  BDCODCONTABLALUR INTEGER,
  CONSTRAINT PK_VINT_EMP_PROCESSOTROCA PRIMARY KEY (BDCODEMP, BDORDEM)))");

  // Trial balance per year and account, saved before (BDDEPARA 0) and after (1) a change.
  s.AddTable("VINT_EMP_PROCESSOTROCA_BAL", R"(CREATE TABLE VINT_EMP_PROCESSOTROCA_BAL (
  BDCODEMP INTEGER NOT NULL,
  BDORDEM INTEGER NOT NULL,
  BDDEPARA SMALLINT NOT NULL,
  BDANO INTEGER NOT NULL,
  BDCODPLAPADRAO INTEGER NOT NULL,
  BDCODTPLA INTEGER NOT NULL,
  BDSALANT NUMERIC(18,4) DEFAULT 0,
  BDDEBITOS NUMERIC(18,4) DEFAULT 0,
  BDCREDITOS NUMERIC(18,4) DEFAULT 0,
  BDSALATU NUMERIC(18,4) DEFAULT 0,
  CONSTRAINT PK_VINT_EMP_PROCESSOTROCA_BAL PRIMARY KEY (BDCODEMP, BDORDEM, BDDEPARA, BDANO, BDCODPLAPADRAO, BDCODTPLA),
  CONSTRAINT FK_VINT_EMP_PROCESSOTROCA_BAL FOREIGN KEY (BDCODEMP, BDORDEM)
    REFERENCES VINT_EMP_PROCESSOTROCA (BDCODEMP, BDORDEM) ON DELETE CASCADE))");

  // The balance implantation of a change (troca_plano.h) is refused to every writer but a change.
  s.AddProcedure("E_IMPLANTACAO_TROCA",
                 fmt::format("CREATE EXCEPTION E_IMPLANTACAO_TROCA '{}.'", kMensagemImplantacaoTroca));
  s.AddProcedure("TRG_VZEL_EMPRESAS_TLAN_IMPL", fmt::format(R"(CREATE TRIGGER TRG_VZEL_EMPRESAS_TLAN_IMPL
FOR VZEL_EMPRESAS_TLAN BEFORE UPDATE OR DELETE AS
BEGIN
  IF (OLD.BDORDEMTROCA IS NOT NULL AND RDB$GET_CONTEXT('USER_TRANSACTION', '{}') IS NULL) THEN
    EXCEPTION E_IMPLANTACAO_TROCA '{}: lançamento ' || OLD.BDCHAVE || ' da empresa ' || OLD.BDCODEMP || '.';
END)", kContextoTroca, kMensagemImplantacaoTroca));
  AddCopiaConsultaSchema(s);
}

}  // namespace vyn
