// The journeys' ledger checks on a company database broken on purpose, one way per rule.
#include <gtest/gtest.h>

#include <string>

#include "framework/data/fb_database.h"
#include "framework/livros/marca_livros.h"
#include "host/journeys/ledger_invariants.h"
#include "testing/company_db.h"

namespace {

using integracao_host::TInvariantesRazao;

// The rows are written as another program's, past the module's boundary: the checker looks at whatever
// any program left.
void Executa(vyn::TDatabase& db, std::initializer_list<const char*> comandos) {
  vyn::TEscritaForaDoModulo suite(db);
  for (const char* c : comandos) db.Execute(c);
}

// A company with its chart, history plan and a participant; one sound entry settled by its
// installment; a closing, a zeroing, a lock, and an orphan complement already there.
void Razao(vyn::TDatabase& db) {
  Executa(db, {
      "INSERT INTO TEMPRESAS (BDCODEMP) VALUES (1)",
      "INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDCODPLAPADRAO, BDCODHIST, BDULTENC) "
      "VALUES (1, 202501, 1, 1, '2025-01-05')",
      "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA) VALUES (1, 11)",
      "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA) VALUES (1, 20)",
      "INSERT INTO HIST_TPHI (BDCODHIST, BDCODTPHI) VALUES (1, 5)",
      "INSERT INTO TTERCEIRO (BDCODTER) VALUES (7)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODTPHI, "
      "BDCODTERCEIROD, BDDCTO) VALUES (1, 1, '2025-01-10', 20, 11, 80, 5, 7, 'N1')",
      "INSERT INTO VEF_EMP_TMOVENTPAR (BDCODEMP, BDCHAVE, BDORDEMPAR, BDVALORPAR) VALUES (1, 30, 1, 80)",
      "INSERT INTO VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, BDVALORPGTO, "
      "BDCHAVELAN, BDCHAVEORIGEM) VALUES (1, 30, 1, 1, '2025-01-10', 80, 1, 1)",
      "INSERT INTO TPROCESSO_ZERAMENTO (BDCODEMP, BDDATAINI, BDDATAFIM) VALUES (1, '2025-01-20', '2025-01-25')",
      "INSERT INTO TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM) "
      "VALUES (1, 1, 'frX', '2025-01-26', '2025-01-27')",
      "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 900, 'antes')",
  });
}

TEST(LedgerInvariants, EveryRuleNamesTheRowsThatBreakItAndOnlyNewOnes) {
  vyn::TTestCompanyDatabase banco;
  vyn::TDatabase& db = banco.Db();
  Razao(db);
  const TInvariantesRazao::TViolacoes antes = TInvariantesRazao::Le(db);
  EXPECT_EQ(TInvariantesRazao::Novas(antes, TInvariantesRazao::Le(db)), "");
  ASSERT_EQ(antes.size(), 1u) << "only the orphan complement breaks a rule";

  // The checker is the net under the database's own balance checks: they are off here, as in a database
  // written before them, so that what they refuse can be written and named.
  Executa(db, {"ALTER TRIGGER TRG_SALDO_MOVENTPAR INACTIVE", "ALTER TRIGGER TRG_TDARFGERPGTO_SALDO INACTIVE",
               "ALTER TRIGGER TRG_TDADOSPGTOCALC_SALDO INACTIVE"});
  Executa(db, {
      // The installment paid again from the same source line, beyond its value and its entry's.
      "INSERT INTO VEF_EMP_TMOVENTPARPGTO (BDCODEMP, BDCHAVE, BDORDEMPAR, BDSEQPGTO, BDDATAPGTO, BDVALORPGTO, "
      "BDCHAVELAN, BDCHAVEORIGEM) VALUES (1, 30, 1, 2, '2025-01-10', 10, 1, 1)",
      "INSERT INTO TDARFGERPGTO (BDCODEMP, BDCHAVEDARF, BDVALOR, BDSALDOAPAGAR) VALUES (1, 3, 50, -10)",
      "INSERT INTO TDADOSPGTOCALC (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDLIQUIDO, BDVLRPGTO) "
      "VALUES (1, 1, 1, 1, 40, 45)",
      // One document booked twice; entries in the closed, zeroed and locked periods.
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, BDCOMPL) "
      "VALUES (1, 2, '2025-01-15', 20, 11, 30, 'D1', 'x')",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, BDCOMPL) "
      "VALUES (1, 3, '2025-01-15', 20, 11, 30, 'D1', 'x')",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, 4, '2025-01-03', 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, 5, '2025-01-21', 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, 6, '2025-01-26', 1)",
      // A date typed as 1900.
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, 8, '1900-01-15', 1)",
      // An account, a history item and a participant that do not exist.
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODTPHI, "
      "BDCODTERCEIROC) VALUES (1, 7, '2025-01-16', 99, 11, 1, 77, 555)",
      // Rows pointing at entries that do not exist.
      "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 500, 'x')",
      "INSERT INTO VZEL_EMPRESAS_TLAN_CC (BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ) VALUES (1, 501, 1, 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN_Y570 (BDCODEMP, BDCHAVE, BDSEQ) VALUES (1, 502, 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC) "
      "VALUES (1, 1, 2, 1, 503)",
      "INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDCHAVELANC) "
      "VALUES (1, 1, 11, '2025-01-10', 504)",
      "INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES (1, 1, 505)",
      "INSERT INTO TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO, BDCHAVELAN) "
      "VALUES (1, 3, 1, '2025-01-10', 5, 506)",
  });
  const std::string relato = TInvariantesRazao::Novas(antes, TInvariantesRazao::Le(db));
  for (const char* esperado : {
           "parcela paga além do seu valor (VEF_EMP_TMOVENTPAR)",
           "lançamento anterior ao período de lançamentos da empresa",
           "parcela baixada duas vezes pela mesma linha de origem (VEF_EMP_TMOVENTPARPGTO)",
           "guia paga além do seu valor", "cálculo pago além do seu líquido",
           "baixas de um lançamento somam mais que o lançamento",
           "lançamento em período encerrado:\n    BDCODEMP=1, BDCHAVE=4,", "lançamento em período de zeramento:\n    BDCODEMP=1, BDCHAVE=5,",
           "lançamento em período bloqueado:\n    BDCODEMP=1, BDCHAVE=6,", "lançamentos iguais do mesmo documento",
           "lançamento com conta que o plano não tem:\n    BDCODEMP=1, BDCHAVE=7, PLANO=1, BDDEBITO=99",
           "lançamento com histórico que o plano de históricos não tem:\n    BDCODEMP=1, BDCHAVE=7, HIST=1, BDCODTPHI=77",
           "lançamento com participante que não existe:\n    BDCODEMP=1, BDCHAVE=7",
           "VZEL_EMPRESAS_TLAN_COMPL de lançamento que não existe:\n    BDCODEMP=1, BDCHAVE=500\n",
           "VZEL_EMPRESAS_TLAN_CC de lançamento que não existe:\n    BDCODEMP=1, BDCHAVE=501",
           "VZEL_EMPRESAS_TLAN_Y570 de lançamento que não existe:\n    BDCODEMP=1, BDCHAVE=502",
           "BDCHAVECONC=503", "BDCHAVELANC=504", "BDCHAVELAN=505", "BDCHAVELAN=506"})
    EXPECT_NE(relato.find(esperado), std::string::npos) << esperado << "\n" << relato;
  EXPECT_EQ(relato.find("BDCHAVE=900"), std::string::npos) << "the setup's own orphan is not the run's\n" << relato;
}

// A change of posting plan after the closing writes the day before the change (its implantation) and
// a consultation-only backup of the closed period; an entry merely flagged like one is not let through.
TEST(LedgerInvariants, OnlyAPlanChangesImplantationAndBackupMayStandInTheClosedPeriod) {
  vyn::TTestCompanyDatabase banco;
  vyn::TDatabase& db = banco.Db();
  Razao(db);
  const TInvariantesRazao::TViolacoes antes = TInvariantesRazao::Le(db);
  Executa(db, {
      "INSERT INTO TEMPRESAS (BDCODEMP, BDCODMATRIZ) VALUES (2, 1)",
      "INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDULTENC) VALUES (2, 202501, '2025-01-05')",
      // The backup, filled as the change fills it, then consultation-only: its books refuse writes after.
      "INSERT INTO TEMPRESAS (BDCODEMP, BDSTATUSEMP) VALUES (3, 0)",
      "INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDULTENC) VALUES (3, 202501, '2025-01-05')",
      "INSERT INTO VINT_EMP_PROCESSOTROCA (BDCODEMP, BDORDEM, BDDATAINICIAL) VALUES (1, 1, '2025-01-06')",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDORDEMTROCA) VALUES (1, 8, '2025-01-05', 1, 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDORDEMTROCA) VALUES (2, 8, '2025-01-05', 1, 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (3, 1, '2025-01-02', 1)",
      "UPDATE TEMPRESAS SET BDSTATUSEMP = 1 WHERE BDCODEMP = 3",
      // Flagged, but not the day before that change, or naming a change that was not made.
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDORDEMTROCA) VALUES (1, 9, '2025-01-04', 1, 1)",
      "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDORDEMTROCA) VALUES (2, 10, '2025-01-05', 1, 2)",
  });
  const std::string relato = TInvariantesRazao::Novas(antes, TInvariantesRazao::Le(db));
  EXPECT_NE(relato.find("lançamento em período encerrado:\n    BDCODEMP=1, BDCHAVE=9,"), std::string::npos) << relato;
  EXPECT_NE(relato.find("BDCODEMP=2, BDCHAVE=10,"), std::string::npos) << relato;
  for (const char* deixado : {"BDCODEMP=1, BDCHAVE=8,", "BDCODEMP=2, BDCHAVE=8,", "BDCODEMP=3, BDCHAVE=1,"})
    EXPECT_EQ(relato.find(deixado), std::string::npos) << deixado << "\n" << relato;
}

}  // namespace
