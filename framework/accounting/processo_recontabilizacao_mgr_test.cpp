#include "framework/accounting/processo_recontabilizacao_mgr.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/accounting/empresas_mgr.h"
#include "framework/livros/exclusao_lancamentos.h"
#include "framework/schema/ledger_lock.h"
#include "framework/schema/seed.h"
#include "framework/schema/troca_plano.h"
#include "framework/ui/inconsistencias.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class MotorRecontabilizacaoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddStandardCompany(Db(), 202401);
    motor = TProcessoRecontabilizacaoMGR::CreateMgr(&dono);
  }
  void Lanca(int emp, int chave, const char* data, int tipo) {
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDTIPOLAN) VALUES (?, ?, ?, 1, ?)",
                           {emp, chave, SQLToDate(data), tipo});
  }
  std::vector<int64_t> Chaves() {
    std::vector<int64_t> out;
    auto r = Db().QueryAll("SELECT BDCODEMP * 100 + BDCHAVE AS K FROM VZEL_EMPRESAS_TLAN ORDER BY 1");
    for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(r.Value(i, "K").AsInteger());
    return out;
  }
  TComponent dono;
  TProcessoRecontabilizacaoMGR* motor = nullptr;
  TInconsistencias_VYN lista;
};

TEST_F(MotorRecontabilizacaoTest, RepostingRecreatesWhatItCanAndListsTheRestForAttention) {
  Lanca(1, 1, "2024-03-01", 100);   // re-created: loses its reconciliation, keeps its complement
  Lanca(2, 2, "2024-03-31", 100);   // the branch's, re-created
  Lanca(1, 3, "2024-04-01", 100);   // after the period
  Lanca(1, 4, "2024-03-15", 200);   // payroll, not chosen
  Lanca(1, 5, "2024-03-20", 100);   // an account the chart lacks: kept, for attention
  Lanca(1, 6, "2024-03-10", 100);   // a sale: its routine was not chosen, untouched
  Lanca(1, 7, "2024-03-11", 100);   // no routine recorded: only its whole module re-posts it, for attention
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDROTINA = ? WHERE BDTIPOLAN = 100 AND BDCHAVE < 6",
                         {static_cast<int>(tprFiscalEntrada)});
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDROTINA = ? WHERE BDCHAVE = 6", {static_cast<int>(tprFiscalSaida)});
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCONCD = 'TRUE', BDCODPLAPADRAO = 9 WHERE BDCHAVE = 1");
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDDEBITO = 999 WHERE BDCHAVE = 5");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 1, 'longo')");
  Db().Execute("INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDVALOR, BDCHAVELANC)"
               " VALUES (1, 7, 10, '2024-03-01', 1, 1)");
  // Entry 1 posted a guide's payment and a variance run: made again, it is still what posted them.
  ExecutaComoSuite(Db(), "INSERT INTO TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO, BDCHAVELAN)"
                         " VALUES (1, 9, 1, '2024-03-01', 1, 1)");
  Db().Execute("INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES (1, 5, 1)");
  TTiposProcRecontabiliza rotinas;
  rotinas.set(tprFiscalEntrada).set(tprBaixaImpostos);
  motor->Responsavel = "Chefe";
  auto roda = [&](bool executa, const TTiposProcRecontabiliza& r) {
    lista.Clear();
    motor->ExecutaRecontabiliza(1, 1, 0, 1, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), &lista, executa, r, 0,
                                0, false);
  };

  roda(false, rotinas);
  EXPECT_EQ(Chaves(), (std::vector<int64_t>{101, 103, 104, 105, 106, 107, 202}));   // a verification changes nothing
  EXPECT_TRUE(lista.IsEmpty());

  roda(true, rotinas);
  EXPECT_EQ(Chaves(), (std::vector<int64_t>{103, 104, 105, 106, 107, 108, 203}));
  EXPECT_EQ(lista.CountErros(), 0);
  EXPECT_EQ(lista.CountAtencao(), 3);   // the general routine, posting 5 and posting 7
  EXPECT_EQ(lista.CountInformativo(), 1);
  auto novo = Db().QueryAll("SELECT L.BDCODPLAPADRAO, L.BDCONCD, C.BDCOMPL FROM VZEL_EMPRESAS_TLAN L"
                            " JOIN VZEL_EMPRESAS_TLAN_COMPL C ON (C.BDCODEMP = L.BDCODEMP AND C.BDCHAVE = L.BDCHAVE)");
  ASSERT_EQ(novo.Rows.size(), 1u);
  EXPECT_EQ(novo.Value(0, "BDCODPLAPADRAO").AsInteger(), 1);   // the chart in force
  EXPECT_EQ(novo.Value(0, "BDCONCD").AsString(), "FALSE");
  EXPECT_TRUE(Db().QueryValue("SELECT BDCHAVELANC FROM VZEL_EMPRESAS_TEXTRATOBAN").IsNull());
  EXPECT_EQ(Db().QueryValue("SELECT BDCHAVELAN FROM TDARFGERPGTO_BAIXA").AsInteger(), 8);
  EXPECT_EQ(Db().QueryValue("SELECT BDCHAVELAN FROM TOL_VZEL_EMP_TVARCAMBIAL").AsInteger(), 8);
  auto proc = Db().QueryAll("SELECT BDORDEM, BDCODSIS, BDNOME FROM VZEL_EMP_TRECONTABILIZACAO_PROC ORDER BY BDSEQ");
  ASSERT_EQ(proc.Rows.size(), 2u);
  EXPECT_EQ(proc.Value(0, "BDCODSIS").AsInteger(), kSistemaGeral);
  EXPECT_EQ(proc.Value(1, "BDNOME").AsString(), "Lançamento de entrada");

  TTiposProcRecontabiliza geral;
  geral.set(tprBaixaImpostos);
  roda(true, geral);   // nothing it can re-post: never a clean run
  EXPECT_EQ(lista.CountAtencao(), 2);
  EXPECT_EQ(Chaves().size(), 7u);

  roda(true, {});
  EXPECT_EQ(lista.CountErros(), 1);
}

TEST_F(MotorRecontabilizacaoTest, CompanyRowsAreHeadOfficesWithTheirLastClosingAndPlanInForce) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2023, 12, 31)});
  Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLANOONLINE) VALUES (1, 202405, 'X', 9)");
  motor->SetCompentencia(202403);
  motor->CommandText(motor->GetSelectDataInicioProcesso("", "", false, false));
  ASSERT_EQ(motor->RecordCount(), 1);   // the branch goes with its head office
  EXPECT_EQ(motor->FieldByName("BDULTENC").AsDateTime(), EncodeDate(2023, 12, 31));
  EXPECT_EQ(TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, 1, "BDCODPLANOONLINE", 202404).AsInteger(), 1);
  EXPECT_EQ(TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, 1, "BDCODPLANOONLINE", 202406).AsInteger(), 9);
  EXPECT_THROW(TEmpresasMGR::GetRetornaCampoEmpresaRef(nullptr, 1, "X; DROP", 202406), EDatabaseError);
}

TEST_F(MotorRecontabilizacaoTest, StartOfPostingKeepsRecordedCutOffsAndDeletesOlderPostings) {
  Lanca(1, 1, "2024-01-31", 100);
  Lanca(1, 2, "2024-02-01", 100);
  EXPECT_TRUE(motor->ProcessoInicioContabilizacao(&dono, nullptr, 1, 100, EncodeDate(2024, 2, 1), EncodeDate(2024, 6, 1),
                                                  TDateTime(), TDateTime(), &lista));
  EXPECT_TRUE(motor->ProcessoInicioContabilizacao(&dono, nullptr, 1, 100, TDateTime(), TDateTime(), TDateTime(),
                                                  EncodeDate(2024, 7, 1), &lista));
  auto r = Db().QueryAll("SELECT * FROM TINICIO_CONTABILIZACAO");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Value(0, "BDDATA").AsDateTime(), EncodeDate(2024, 2, 1));
  EXPECT_EQ(r.Value(0, "BDDATACONTBAIXA").AsDateTime(), EncodeDate(2024, 6, 1));
  EXPECT_EQ(r.Value(0, "BDDATACONTIMPOSTOS").AsDateTime(), EncodeDate(2024, 7, 1));
  EXPECT_EQ(Chaves(), (std::vector<int64_t>{102}));
  EXPECT_FALSE(motor->ProcessoInicioContabilizacao(&dono, nullptr, 1, 300, EncodeDate(2024, 2, 1), TDateTime(),
                                                   TDateTime(), TDateTime(), &lista));
  EXPECT_EQ(lista.CountErros(), 1);
}

TEST_F(MotorRecontabilizacaoTest, StartOfPostingDuringAnotherWorkstationsPlanChangeIsRefusedWithTheHoldsMessage) {
  Lanca(1, 1, "2024-01-31", 100);
  auto outraEstacao = Company().OpenAnother();
  TTransaction troca(*outraEstacao);
  BloqueiaLancamentosEmpresas(*outraEstacao, {1});
  EXPECT_FALSE(motor->ProcessoInicioContabilizacao(&dono, nullptr, 1, 100, EncodeDate(2024, 2, 1), TDateTime(),
                                                   TDateTime(), TDateTime(), &lista));
  ASSERT_EQ(lista.CountErros(), 1);
  EXPECT_NE(lista.Itens()[0].Caption.find(MensagemEmpresaEmTroca(1)), std::string::npos) << lista.Itens()[0].Caption;
  troca.Rollback();
  EXPECT_EQ(Chaves(), (std::vector<int64_t>{101}));
}

// A deleted entry leaves no row behind, and whatever it was reconciled with is free again.
TEST_F(MotorRecontabilizacaoTest, StartOfPostingDeletesOlderEntriesWithTheirDependantsAndUndoesTheirReconciliation) {
  Lanca(1, 1, "2024-01-31", 100);   // goes: reconciled with statement line 7 and with entry 3
  Lanca(1, 2, "2024-01-31", 100);   // goes as well: in the group of line 7
  Lanca(1, 3, "2024-03-10", 100);   // stays: its reconciliation with entry 1 is undone
  Lanca(1, 4, "2024-03-11", 100);   // stays: reconciled with line 8, untouched
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCONCD = 'TRUE'");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 1, 'longo')");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_CC (BDCODEMP, BDCHAVE, BDCODCENTRO, BDSEQ, BDVALOR) VALUES (1, 1, 5, 1, 1)");
  // Line 7 points at its group's first entry, line 8 at entry 4.
  for (auto [linha, chave] : std::vector<std::pair<int, int>>{{7, 1}, {8, 4}})
    Db().Execute("INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDVALOR, BDCHAVELANC)"
                 " VALUES (1, ?, 10, '2024-01-31', 1, ?)",
                 {linha, chave});
  auto item = [&](int chave, int origem, int outra) {
    Db().Execute("INSERT INTO VZEL_EMPRESAS_TLAN_CONC (BDCODEMP, BDCHAVE, BDORIGEMCONC, BDCODEMPCONC, BDCHAVECONC)"
                 " VALUES (1, ?, ?, 1, ?)",
                 {chave, origem, outra});
  };
  // A guide paid with entry 1 and one paid with entry 4; a variance run posted as 1.
  for (int chave : {1, 4})
    ExecutaComoSuite(Db(), "INSERT INTO TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO, BDCHAVELAN)"
                           " VALUES (1, 9, ?, '2024-01-31', 1, ?)",
                           {chave, chave});
  Db().Execute("INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES (1, 5, 1)");
  item(1, 1, 7);
  item(2, 1, 7);
  item(4, 1, 8);
  item(1, 2, 3);
  item(3, 2, 1);
  ASSERT_TRUE(motor->ProcessoInicioContabilizacao(&dono, nullptr, 1, 100, EncodeDate(2024, 2, 1), TDateTime(),
                                                  TDateTime(), TDateTime(), &lista));
  EXPECT_EQ(Chaves(), (std::vector<int64_t>{103, 104}));
  for (const char* t : {"VZEL_EMPRESAS_TLAN_COMPL", "VZEL_EMPRESAS_TLAN_CC"})
    EXPECT_EQ(Db().QueryValue(std::string("SELECT COUNT(*) FROM ") + t).AsInteger(), 0) << t;
  auto itens = Db().QueryAll("SELECT BDCHAVE, BDCHAVECONC FROM VZEL_EMPRESAS_TLAN_CONC");
  ASSERT_EQ(itens.Rows.size(), 1u);
  EXPECT_EQ(itens.Value(0, "BDCHAVECONC").AsInteger(), 8);
  auto linhas = Db().QueryAll("SELECT BDCHAVE, BDCHAVELANC FROM VZEL_EMPRESAS_TEXTRATOBAN ORDER BY BDCHAVE");
  EXPECT_TRUE(linhas.Value(0, "BDCHAVELANC").IsNull());
  EXPECT_EQ(linhas.Value(1, "BDCHAVELANC").AsInteger(), 4);
  auto marcas = Db().QueryAll("SELECT BDCONCD FROM VZEL_EMPRESAS_TLAN ORDER BY BDCHAVE");
  EXPECT_EQ(marcas.Value(0, "BDCONCD").AsString(), "FALSE");
  EXPECT_EQ(marcas.Value(1, "BDCONCD").AsString(), "TRUE");
  // The payments stay, the deleted entry's without a pointer to it; the variance link goes.
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDSEQ || ':' || COALESCE(BDCHAVELAN, 0)) FROM TDARFGERPGTO_BAIXA").AsString(),
            "1:0,4:4");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TOL_VZEL_EMP_TVARCAMBIAL").AsInteger(), 0);
}

TEST_F(MotorRecontabilizacaoTest, PlanChangeCarriesChartAndHistoryFromTheMonthAfterTheClosingAndRefusesUnknownPlans) {
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (2, 5, 6)");
  Db().Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) VALUES (3, 1, 2)");
  auto trocas = [&] { return Db().QueryValue("SELECT COUNT(*) FROM VINT_EMP_PROCESSOTROCA").AsInteger(); };
  auto troca = [&](int novo, TDateTime fim) {
    lista.Clear();
    motor->ExecutaRecontabiliza(1, novo, 3, 1, EncodeDate(2024, 3, 1), fim, &lista, true, TodosTiposProc(), 0, 0,
                                false);
  };
  for (int semLinha : {0, 9}) {   // no plan row: nothing moves
    troca(semLinha, EncodeDate(2024, 12, 31));
    EXPECT_EQ(lista.CountErros(), 1) << semLinha;
    EXPECT_EQ(trocas(), 0);
    EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_REF WHERE BDCODPLANOONLINE <> 1").AsInteger(), 0);
  }
  // Closed up to March: the closed month keeps plan 1, the change starts in April.
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = ? WHERE BDCODEMP = 1", {EncodeDate(2024, 3, 31)});
  EXPECT_TRUE(motor->getPossuiZeramento(1));
  troca(2, EncodeDate(2024, 3, 31));   // nothing after the closing within the period
  EXPECT_EQ(lista.CountErros(), 1);
  EXPECT_EQ(trocas(), 0);
  troca(2, EncodeDate(2024, 12, 31));
  EXPECT_EQ(lista.CountErros(), 0);
  auto refs = Db().QueryAll("SELECT BDREFEMP, BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST FROM TEMPRESAS_REF"
                            " WHERE BDCODEMP IN (1, 2) ORDER BY BDCODEMP, BDREFEMP");
  ASSERT_EQ(refs.Rows.size(), 4u);
  for (size_t i : {0u, 2u}) {   // head office and branch
    EXPECT_EQ(refs.Value(i, "BDCODPLANOONLINE").AsInteger(), 1);
    EXPECT_EQ(refs.Value(i, "BDCODPLAPADRAO").AsInteger(), 1);
    EXPECT_EQ(refs.Value(i + 1, "BDREFEMP").AsInteger(), 202404);
    EXPECT_EQ(refs.Value(i + 1, "BDCODPLANOONLINE").AsInteger(), 2);
    EXPECT_EQ(refs.Value(i + 1, "BDCODPLAPADRAO").AsInteger(), 5);
    EXPECT_EQ(refs.Value(i + 1, "BDCODHIST").AsInteger(), 6);
  }
  EXPECT_EQ(Db().QueryValue("SELECT BDDATAINICIAL FROM VINT_EMP_PROCESSOTROCA").AsDateTime(), EncodeDate(2024, 4, 1));
}

TEST_F(MotorRecontabilizacaoTest, ChangeToAnotherChartTranslatesThePostingsThroughItsOwnMappingPlan) {
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (2, 5, 1)");
  Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) VALUES (5, 100, 0)");
  Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) VALUES (5, 200, 1)");
  for (const char* sql : {"INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA)"
                          " VALUES (3, 1, 2)",
                          "INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA)"
                          " VALUES (4, 2, 1)",
                          "INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 10, 100)"})
    Db().Execute(sql);
  Lanca(1, 1, "2024-02-10", 0);   // before the start: stays in chart 1
  Lanca(1, 2, "2024-03-10", 0);
  Lanca(2, 3, "2024-04-10", 100);
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCODPLAPADRAO = 1, BDDEBITO = 10, BDCREDITO = 40");
  auto troca = [&](int mapa, bool executa, int participante, int lalur = 0) {
    lista.Clear();
    motor->ExecutaRecontabiliza(1, 2, mapa, 1, EncodeDate(2024, 3, 1), EncodeDate(2024, 12, 31), &lista, executa,
                                TodosTiposProc(), lalur, participante, false);
  };
  auto contas = [&] {
    return Db().QueryValue("SELECT LIST(BDCODPLAPADRAO || ':' || BDDEBITO || ':' || BDCREDITO || ':' ||"
                           " COALESCE(BDCODTERCEIROC, 0), ' ') FROM (SELECT * FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP <= 2"
                           " ORDER BY BDCHAVE)")
        .AsString();
  };
  // Account 40 has no account of chart 5: the accounts check and the run say so and nothing moves.
  EXPECT_TRUE(motor->getInconsistenciaContaSemPreparacao(1, 2, 1, 1, 3, EncodeDate(2024, 2, 1),
                                                         EncodeDate(2024, 2, 29), &lista));
  EXPECT_FALSE(motor->getInconsistenciaContaSemPreparacao(1, 2, 1, 1, 3, EncodeDate(2024, 5, 1),
                                                          EncodeDate(2024, 5, 31), &lista));
  troca(3, true, 0);
  EXPECT_EQ(lista.CountErros(), 1);
  troca(4, false, 0);   // the mapping plan of the way back
  EXPECT_EQ(lista.CountErros(), 1);
  EXPECT_EQ(contas(), "1:10:40:0 1:10:40:0 1:10:40:0");
  // With 40 mapped to a participant account the generic participant is needed, then goes there.
  Db().Execute("INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 40, 200)");
  troca(3, false, 0);
  EXPECT_EQ(lista.CountErros(), 1);
  motor->PossuiZeramento = true;   // a closed company keeps a backup copy of itself as it was
  troca(3, true, 7, 9);
  EXPECT_EQ(lista.CountErros() + lista.CountAtencao(), 0);
  // February's posting became the balance implantation (one-sided lines, which the list leaves out).
  EXPECT_EQ(contas(), "5:100:200:7 5:100:200:7");
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDCODCONTABLALUR) FROM VINT_EMP_PROCESSOTROCA").AsString(), "9");
  auto copias = Db().QueryAll("SELECT BDCODEMP, COALESCE(BDCODMATRIZ, 0) AS M, BDSTATUSEMP FROM TEMPRESAS"
                              " WHERE BDCODEMP > 2 ORDER BY BDCODEMP");
  ASSERT_EQ(copias.Rows.size(), 2u);
  EXPECT_EQ(copias.Value(1, "M").AsInteger(), copias.Value(0, "BDCODEMP").AsInteger());
  EXPECT_EQ(copias.Value(0, "BDSTATUSEMP").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT MAX(BDCODPLANOONLINE) FROM TEMPRESAS_REF WHERE BDCODEMP > 2").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT LIST(DISTINCT BDCODPLAPADRAO || ':' || BDCREDITO) FROM VZEL_EMPRESAS_TLAN"
                            " WHERE BDCODEMP > 2").AsString(),
            "1:40");   // the copies keep the postings before the change as they were
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP > 2 AND BDDATA >= '2024-03-01'")
                .AsInteger(),
            0);   // and only those
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDCODEMP || ':' || BDCODSIS || ':' || BDDATA || ':' || BDAUTOMATICO, ' ')"
                            " FROM (SELECT * FROM TINICIO_CONTABILIZACAO ORDER BY BDCODEMP, BDCODSIS)")
                .AsString(),
            "1:2:2024-03-01:TRUE 1:3:2024-03-01:TRUE 2:2:2024-03-01:TRUE 2:3:2024-03-01:TRUE");
  EXPECT_EQ(Db().QueryValue("SELECT SUM(BDSALATU) FROM VINT_EMP_PROCESSOTROCA_BAL WHERE BDDEPARA = 1 AND"
                            " BDCODPLAPADRAO = 5 AND BDCODTPLA = 100")
                .AsInteger(),
            3);   // the implantation's and the two moved postings
}

TEST_F(MotorRecontabilizacaoTest, AHistoryPlanChangeKeepsEachItemAndRefusesItemsTheNewPlanLacks) {
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (4, 1, 2)");
  Db().Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) VALUES (5, 1, 4)");
  Db().Execute("INSERT INTO HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) VALUES (2, 900, 'X', 'Outro')");
  Lanca(1, 1, "2024-03-10", 0);
  Lanca(2, 2, "2024-04-10", 0);
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCODPLAPADRAO = 1, BDCODHIST = 1, BDCODTPHI = 1");
  auto troca = [&] {
    lista.Clear();
    motor->ExecutaRecontabiliza(1, 4, 5, 1, EncodeDate(2024, 3, 1), EncodeDate(2024, 12, 31), &lista, true,
                                TodosTiposProc(), 0, 0, false);
  };
  auto historicos = [&] {
    return Db().QueryValue("SELECT LIST(BDCODHIST || ':' || BDCODTPHI, ' ') FROM (SELECT * FROM VZEL_EMPRESAS_TLAN"
                           " ORDER BY BDCHAVE)").AsString();
  };
  troca();   // item 1 is not in plan 2: nothing moves, and the run says why
  ASSERT_EQ(lista.CountErros(), 1);
  EXPECT_NE(lista.Itens()[0].Caption.find("O histórico 1 do plano de históricos 1 não existe no plano de históricos 2"),
            std::string::npos);
  EXPECT_EQ(historicos(), "1:1 1:1");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VINT_EMP_PROCESSOTROCA").AsInteger(), 0);
  Db().Execute("INSERT INTO HIST_TPHI (BDCODHIST, BDCODTPHI, BDAPELIDO, BDNOME) VALUES (2, 1, 'P', 'Pagamento')");
  troca();
  EXPECT_EQ(lista.CountErros(), 0);
  EXPECT_EQ(historicos(), "2:1 2:1");
}

// Closed up to February, the company moves to chart 5 from March: the originals keep of January and
// February only their balances, per new account and participant, the day before the change; the
// backups keep the postings themselves; and nothing but another change may touch the implantation.
class ImplantacaoTrocaTest : public MotorRecontabilizacaoTest {
 protected:
  void SetUp() override {
    MotorRecontabilizacaoTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (2, 5, 1)",
             "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) VALUES (5, 100, 0)",
             "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) VALUES (5, 200, 1)",
             "INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) VALUES (5, 300, 0)",
             "INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) VALUES (3, 1, 2)",
             "INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 10, 100)",
             "INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 11, 100)",
             "INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 40, 200)",
             "INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (3, 30, 300)",
             "UPDATE TEMPRESAS_REF SET BDULTENC = '2024-02-29'"})
      Db().Execute(sql);
    Lanca(1, 1, "2024-01-10", 10, 40, "100", 8);   // 40 keeps participant 8
    Lanca(1, 2, "2024-02-10", 11, 30, "50.25");
    Lanca(1, 3, "2024-02-20", 40, 10, "30");        // 40 without participant: the generic one, 7
    Lanca(1, 4, "2024-03-10", 10, 30, "5");         // after the change: translated
    Lanca(2, 1, "2024-02-15", 10, 30, "20");
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 2, 'longo')");
    Db().Execute("INSERT INTO VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDVALOR, BDCHAVELANC)"
                 " VALUES (1, 7, 10, '2024-01-10', 100, 1)");
    // Paid with posting 3 and with posting 4; a variance run posted as 2.
    for (int chave : {3, 4})
      ExecutaComoSuite(Db(), "INSERT INTO TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO, BDCHAVELAN)"
                             " VALUES (1, 9, ?, '2024-02-20', 30, ?)",
                             {chave, chave});
    Db().Execute("INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES (1, 5, 2)");
    motor->PossuiZeramento = true;
  }
  void Lanca(int emp, int chave, const char* data, int debito, int credito, const char* valor, int terceiroC = 0) {
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDCODPLAPADRAO, BDDEBITO, BDCREDITO,"
                           " BDCODTERCEIROC, BDVALOR, BDCODHIST) VALUES (?, ?, ?, 1, ?, ?, ?, ?, 1)",
                           {emp, chave, SQLToDate(data), debito, credito, terceiroC ? Variant(terceiroC) : Variant(),
                  Currency::ParseSQL(valor)});
  }
  void Troca() {
    lista.Clear();
    motor->ExecutaRecontabiliza(1, 2, 3, 1, EncodeDate(2024, 3, 1), EncodeDate(2024, 12, 31), &lista, true,
                                TodosTiposProc(), 0, 7, false);
  }
  // Each company's balances before March per chart, account and participant: "emp:chart:account:part=balance".
  std::string Saldos(const char* empresas) {
    return Db().QueryValue(std::string("SELECT LIST(S, ' ') FROM (SELECT EMP || ':' || PLANO || ':' || CONTA || ':' ||"
                                       " PART || '=' || CAST(SUM(V) AS NUMERIC(18,2)) AS S FROM ("
                                       " SELECT BDCODEMP AS EMP, BDCODPLAPADRAO AS PLANO, BDDEBITO AS CONTA,"
                                       " COALESCE(BDCODTERCEIROD, 0) AS PART, BDVALOR AS V FROM VZEL_EMPRESAS_TLAN"
                                       " WHERE BDDEBITO IS NOT NULL AND BDDATA < '2024-03-01' UNION ALL"
                                       " SELECT BDCODEMP, BDCODPLAPADRAO, BDCREDITO, COALESCE(BDCODTERCEIROC, 0),"
                                       " -BDVALOR FROM VZEL_EMPRESAS_TLAN WHERE BDCREDITO IS NOT NULL AND"
                                       " BDDATA < '2024-03-01') M WHERE EMP IN (") + empresas +
                           ") GROUP BY EMP, PLANO, CONTA, PART ORDER BY EMP, PLANO, CONTA, PART)")
        .AsString();
  }
};

TEST_F(ImplantacaoTrocaTest, TheOriginalsKeepOnlyTheirTranslatedBalancesAndTheBackupsThePostings) {
  ASSERT_EQ(Saldos("1, 2"), "1:1:10:0=70.00 1:1:11:0=50.25 1:1:30:0=-50.25 1:1:40:0=30.00 1:1:40:8=-100.00 "
                            "2:1:10:0=20.00 2:1:30:0=-20.00");
  Troca();
  ASSERT_EQ(lista.CountErros() + lista.CountAtencao(), 0) << (lista.Itens().empty() ? "" : lista.Itens()[0].Caption);
  EXPECT_EQ(Saldos("1, 2"), "1:5:100:0=120.25 1:5:200:7=30.00 1:5:200:8=-100.00 1:5:300:0=-50.25 "
                            "2:5:100:0=20.00 2:5:300:0=-20.00");
  // Only the implantation is left before the change: the day before, in the new chart and history
  // plan, naming the change, one side per balance.
  auto impl = Db().QueryAll("SELECT BDCODEMP, BDDATA, BDCODPLAPADRAO, BDCODHIST, BDORDEMTROCA, BDDEBITO, BDCREDITO"
                            " FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP IN (1, 2) AND BDDATA < '2024-03-01'");
  ASSERT_EQ(impl.Rows.size(), 6u);
  for (size_t i = 0; i < impl.Rows.size(); ++i) {
    EXPECT_EQ(impl.Value(i, "BDDATA").AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(impl.Value(i, "BDCODPLAPADRAO").AsInteger(), 5);
    EXPECT_EQ(impl.Value(i, "BDCODHIST").AsInteger(), 1);
    EXPECT_EQ(impl.Value(i, "BDORDEMTROCA").AsInteger(), 1);
    EXPECT_NE(impl.Value(i, "BDDEBITO").IsNull(), impl.Value(i, "BDCREDITO").IsNull());
  }
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDCODPLAPADRAO || ':' || BDDEBITO || ':' || BDCREDITO) FROM VZEL_EMPRESAS_TLAN"
                            " WHERE BDCODEMP = 1 AND BDDATA >= '2024-03-01'").AsString(),
            "5:100:300");
  // What hung on the deleted postings went with them.
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_COMPL WHERE BDCODEMP = 1").AsInteger(), 0);
  // The statement line reconciled with a deleted posting is the backup's alone, still reconciled there:
  // the original shows no open line in its closed period.
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCODEMP = 1").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT BDCHAVELANC FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCODEMP = 3").AsInteger(), 1);
  // The payments stay, the one of the closed period without its deleted posting; so does the variance run.
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDSEQ || ':' || COALESCE(BDCHAVELAN, 0)) FROM TDARFGERPGTO_BAIXA"
                            " WHERE BDCODEMP = 1").AsString(),
            "3:0,4:4");
  // The backup keeps the closed period's payment linked to its posting there.
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDCODEMP || ':' || BDSEQ || ':' || BDCHAVELAN) FROM TDARFGERPGTO_BAIXA"
                            " WHERE BDCODEMP <> 1").AsString(),
            "3:3:3");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TOL_VZEL_EMP_TVARCAMBIAL").AsInteger(), 0);
  // The backups (3 of 1, 4 of 2) hold the postings before the change exactly as they were.
  EXPECT_EQ(Saldos("3, 4"), "3:1:10:0=70.00 3:1:11:0=50.25 3:1:30:0=-50.25 3:1:40:0=30.00 3:1:40:8=-100.00 "
                            "4:1:10:0=20.00 4:1:30:0=-20.00");
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 3").AsInteger(), 3);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_COMPL WHERE BDCODEMP = 3").AsInteger(), 1);
}

// The backup is the only place the detail of the period before the change survives: the database
// keeps it as it is, whatever writes, and a company's entry cannot be moved into it either.
TEST_F(ImplantacaoTrocaTest, TheBackupsBooksRefuseEveryWriteWhateverRoadMakesIt) {
  Troca();
  ASSERT_EQ(lista.CountErros(), 0);
  const auto estado = [&] {
    return Db().QueryValue("SELECT LIST(BDCODEMP || ':' || BDCHAVE || ':' || BDVALOR, ' ') FROM (SELECT * FROM"
                           " VZEL_EMPRESAS_TLAN WHERE BDCODEMP IN (3, 4) ORDER BY BDCODEMP, BDCHAVE)").AsString() +
           Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_COMPL WHERE BDCODEMP = 3").AsString();
  };
  const std::string antes = estado();
  for (const char* sql :
       {"UPDATE VZEL_EMPRESAS_TLAN SET BDVALOR = 1 WHERE BDCODEMP = 3",
        "DELETE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 4",
        "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR)"
        " VALUES (3, 999, '2024-03-01', 10, 30, 5)",
        "UPDATE VZEL_EMPRESAS_TLAN SET BDCODEMP = 3, BDCHAVE = 998 WHERE BDCODEMP = 1 AND BDCHAVE = 4",
        "DELETE FROM VZEL_EMPRESAS_TLAN_COMPL WHERE BDCODEMP = 3"}) {
    try {
      ExecutaComoSuite(Db(), sql);
      ADD_FAILURE() << "accepted: " << sql;
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(kMensagemCopiaConsulta), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(estado(), antes);
  // The original's own entries are its to change.
  EXPECT_EQ(ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCOMPL = 'x' WHERE BDCODEMP = 1 AND BDCHAVE = 4"), 1);
}

TEST_F(ImplantacaoTrocaTest, NoScreenOrImportMayAlterTheImplantationButALaterChangeReplacesIt) {
  Troca();
  ASSERT_EQ(lista.CountErros(), 0);
  const int chave = static_cast<int>(
      Db().QueryValue("SELECT MIN(BDCHAVE) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDORDEMTROCA = 1").AsInteger());
  auto recusa = [&](const std::function<void()>& f) {
    try {
      f();
      ADD_FAILURE() << "the implantation was changed";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(kMensagemImplantacaoTroca), std::string::npos) << e.what();
    }
  };
  recusa([&] { ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDVALOR = 1 WHERE BDCODEMP = 1 AND BDCHAVE = ?", {chave}); });
  recusa([&] { ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCONCD = 'TRUE' WHERE BDCODEMP = 1"); });
  recusa([&] {
    TTransaction tr(Db());
    ExcluiLancamentos(Db(), 1, "L.BDCODEMP = ? AND L.BDCHAVE = ?", {1, chave});
  });
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDORDEMTROCA IS NOT NULL").AsInteger(), 6);
  // The posting after the change is the company's to edit as ever.
  EXPECT_EQ(ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN SET BDCOMPL = 'x' WHERE BDCODEMP = 1 AND BDCHAVE = 4"), 1);

  // Closed up to May, the company goes back to chart 1 from June: the first implantation and March's
  // posting make way for the second implantation.
  Db().Execute("INSERT INTO TPLANO_CONF_ONLINE (BDCODPLANOONLINE, BDCODPLAPADRAO, BDCODHIST) VALUES (1, 1, 1)");
  Db().Execute("INSERT INTO VINT_BASE_TINTONLINE (BDCODINT, BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA) VALUES (4, 2, 1)");
  for (auto [de, para] : {std::pair{100, 10}, std::pair{200, 20}, std::pair{300, 30}})
    Db().Execute("INSERT INTO VINT_BASE_TINTONLINE_CONTA VALUES (4, ?, ?)", {de, para});
  Db().Execute("UPDATE TEMPRESAS_REF SET BDULTENC = '2024-05-31' WHERE BDCODEMP IN (1, 2)");
  lista.Clear();
  motor->ExecutaRecontabiliza(2, 1, 4, 1, EncodeDate(2024, 6, 1), EncodeDate(2024, 12, 31), &lista, true,
                              TodosTiposProc(), 0, 7, false);
  ASSERT_EQ(lista.CountErros(), 0) << (lista.Itens().empty() ? "" : lista.Itens()[0].Caption);
  EXPECT_EQ(Db().QueryValue("SELECT LIST(DISTINCT BDORDEMTROCA || ':' || BDDATA || ':' || BDCODPLAPADRAO)"
                            " FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1").AsString(),
            "2:2024-05-31:1");
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDDEBITO || ':' || COALESCE(BDCODTERCEIROD, 0) || '=' || BDVALOR, ' ') FROM"
                            " (SELECT * FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDDEBITO IS NOT NULL ORDER BY"
                            " BDDEBITO, BDCODTERCEIROD)").AsString(),
            "10:0=125.2500 20:7=30.0000");
}

TEST_F(ImplantacaoTrocaTest, AnInterruptedChangeLeavesEveryRowAndAnUntranslatableBalanceIsRefusedFirst) {
  auto estado = [&] {
    return Db().QueryValue("SELECT LIST(BDCODEMP || ':' || BDCHAVE || ':' || BDCODPLAPADRAO, ' ') FROM"
                           " (SELECT * FROM VZEL_EMPRESAS_TLAN ORDER BY BDCODEMP, BDCHAVE)").AsString() +
           Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS").AsString() +
           Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_COMPL").AsString();
  };
  const std::string antes = estado();
  // The trial balance after the change is saved last: failing there, nothing of the change is kept.
  Db().Execute("CREATE EXCEPTION E_TESTE_INTERROMPE 'interrompido'");
  Db().Execute("CREATE TRIGGER TRG_TESTE_INTERROMPE FOR VINT_EMP_PROCESSOTROCA_BAL BEFORE INSERT AS BEGIN"
               " IF (NEW.BDDEPARA = 1) THEN EXCEPTION E_TESTE_INTERROMPE; END");
  Troca();
  EXPECT_EQ(lista.CountErros(), 1);
  EXPECT_EQ(estado(), antes);
  Db().Execute("DROP TRIGGER TRG_TESTE_INTERROMPE");

  // Account 11 loses its mapping: its balance could not be carried, so the check before the run and
  // the run say so, and nothing moves.
  Db().Execute("DELETE FROM VINT_BASE_TINTONLINE_CONTA WHERE BDCODINT = 3 AND BDCODTPLADE = 11");
  EXPECT_TRUE(motor->getInconsistenciaContaSemPreparacao(1, 2, 1, 1, 3, EncodeDate(2024, 3, 1),
                                                         EncodeDate(2024, 3, 31), &lista));
  Troca();
  ASSERT_GE(lista.CountErros(), 1);
  EXPECT_NE(lista.Itens()[0].Caption.find("A conta 11 do plano de contas 1 tem saldo de 50,25"), std::string::npos)
      << lista.Itens()[0].Caption;
  EXPECT_EQ(estado(), antes);
}

}  // namespace
}  // namespace vyn
