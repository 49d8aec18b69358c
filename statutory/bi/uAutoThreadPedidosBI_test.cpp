#include "statutory/bi/uAutoThreadPedidosBI.h"

#include <gtest/gtest.h>

#include "framework/core/currency.h"
#include "framework/data/fb_database.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

class PedidosBITest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP) VALUES (1)");
    Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP, BDCODMATRIZ) VALUES (2, 1)");
    Lanca(1, 1, "2024-01-10", 10, 300, "1000.1234");
    Lanca(1, 2, "2024-03-05", 10, 300, "250.5");
    Lanca(2, 1, "2024-01-20", 11, 300, "99.9999");
    Lanca(1, 3, "2024-04-01", 10, 300, "7");  // outside the period
    Lanca(1, 4, "2024-01-25", 300, 20, "100.1233");  // a return of revenue, paid from cash
    for (auto [conta, classificacao] : {std::pair{10, "4.1.1.01"}, {11, "4.1.1.02"}, {20, "1.1.1.01"}, {300, "3.1.1.01"}})
      Db().Execute("INSERT INTO PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDCTALON) VALUES (0, ?, ?)",
                   {Variant(conta), Variant(classificacao)});
  }
  void Lanca(int emp, int chave, const char* data, int debito, int credito, const char* valor) {
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           {Variant(emp), Variant(chave), Variant(data), Variant(debito), Variant(credito),
                  Variant(Currency::ParseSQL(valor))});
  }
  void Pedido(int id, int tipo) {
    Db().Execute("INSERT INTO TPEDIDOS_BI (BDID, BDTIPO, BDPRONTO) VALUES (?, ?, 0)", {Variant(id), Variant(tipo)});
  }
  void Roda(const nlohmann::json& pedidos, bool falha = false) {
    TAutoThreadPedidosBI task;
    task.Parametros["pedidos"] = pedidos;
    if (falha) EXPECT_ANY_THROW(task.ExecuteTask());
    else task.ExecuteTask();
  }
  int Pronto(int id) {
    return static_cast<int>(Db().QueryValue("SELECT BDPRONTO FROM TPEDIDOS_BI WHERE BDID = ?", {Variant(id)}).AsInteger());
  }
  Currency Valor(const std::string& sql) { return Db().QueryValue(sql).AsCurrency(); }
};

TEST_F(PedidosBITest, AnswersRequestsInOrderEachUnderItsOwnId) {
  Pedido(7, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN, BDDETALHARFILIAIS) "
               "VALUES (7, 1, '2024-01-01', '2024-03-31', 0)");
  Pedido(8, 2);
  Db().Execute("INSERT INTO TPEDIDOS_BI_FAT (BDID, BDCODEMP, BDPLANO, BDQUADRO, BDDATAINI, BDDATAFIN, "
               "BDSOMAMATRIZFILIAL) VALUES (8, 1, 1, 300, '2024-01-01', '2024-03-31', 1)");
  Pedido(9, 5);
  Pedido(10, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN, BDDETALHARFILIAIS) "
               "VALUES (10, 1, '2024-01-01', '2024-03-31', 1)");

  Roda({{{"id", "7"}, {"tipo", "1"}}, {{"id", "8"}, {"tipo", "2"}}, {{"id", "9"}, {"tipo", "5"}},
        {{"id", "10"}, {"tipo", "1"}}});

  EXPECT_EQ(Pronto(7), 1);
  EXPECT_EQ(Pronto(8), 1);
  EXPECT_EQ(Pronto(9), 0);  // unknown kind: untouched
  EXPECT_EQ(Pronto(10), 1);
  // Without the detail the branch's movement counts under the head office. Result accounts only,
  // revenue positive and net of its return, expenses negative; the cash account is not in it.
  EXPECT_EQ(Valor("SELECT BDVALOR FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7 AND BDCODEMP = 1 AND BDCONTA = 300"),
            Currency::ParseSQL("1250.5"));
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7 AND BDCONTA = 20"), Currency());
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7 AND BDCODEMP = 2"), Currency());
  EXPECT_EQ(Valor("SELECT BDVALOR FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 10 AND BDCODEMP = 2 AND BDCONTA = 11"),
            Currency::ParseSQL("-99.9999"));
  EXPECT_EQ(Valor("SELECT BDVALOR FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 10 AND BDCODEMP = 1 AND BDCONTA = 10"),
            Currency::ParseSQL("-1250.6234"));
  // Revenue month by month, head office and branch summed, a month without entries as zero.
  auto fat = Db().QueryAll("SELECT BDREF, BDVALOR FROM TPEDIDOS_BI_FAT_RESULTADOS WHERE BDID = 8 ORDER BY BDREF");
  ASSERT_EQ(fat.Rows.size(), 3u);
  EXPECT_EQ(fat.Rows[0][1].AsCurrency(), Currency::ParseSQL("1000"));   // net of the return
  EXPECT_EQ(fat.Rows[1][1].AsCurrency(), Currency());
  EXPECT_EQ(fat.Rows[2][0].AsInteger(), 202403);
  EXPECT_EQ(fat.Rows[2][1].AsCurrency(), Currency::ParseSQL("250.5"));
}

TEST_F(PedidosBITest, AnEntryFromTheRevenueAccountToItselfCountsInNeitherAnswer) {
  Lanca(1, 5, "2024-02-10", 300, 300, "50");
  Pedido(7, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN, BDDETALHARFILIAIS) "
               "VALUES (7, 1, '2024-02-01', '2024-02-29', 0)");
  Pedido(8, 2);
  Db().Execute("INSERT INTO TPEDIDOS_BI_FAT (BDID, BDCODEMP, BDPLANO, BDQUADRO, BDDATAINI, BDDATAFIN, "
               "BDSOMAMATRIZFILIAL) VALUES (8, 1, 1, 300, '2024-02-01', '2024-02-29', 0)");
  Roda({{{"id", "7"}, {"tipo", "1"}}, {{"id", "8"}, {"tipo", "2"}}});
  EXPECT_EQ(Valor("SELECT COALESCE(SUM(BDVALOR), 0) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7 AND BDCONTA = 300"),
            Currency());
  EXPECT_EQ(Valor("SELECT BDVALOR FROM TPEDIDOS_BI_FAT_RESULTADOS WHERE BDID = 8"), Currency());
}

TEST_F(PedidosBITest, BadInputEndsTheRunAndKeepsWhatWasAnswered) {
  Roda(nlohmann::json::array());
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS"), Currency());
  Roda("1", true);   // not a list of requests

  Pedido(1, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN) VALUES (1, 1, '2024-01-01', '2024-01-31')");
  Pedido(2, 1);
  Roda({{{"id", "1"}, {"tipo", "1"}}, {{"id", "x2"}, {"tipo", "1"}}, {{"id", "2"}, {"tipo", "1"}}}, true);
  EXPECT_EQ(Pronto(1), 1);
  EXPECT_EQ(Pronto(2), 0);

  // A request row that is missing leaves the request waiting, and so does a manager that fails.
  Roda({{{"id", "2"}, {"tipo", "1"}}}, true);
  EXPECT_EQ(Pronto(2), 0);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN) VALUES (2, 0, '2024-01-01', '2024-01-31')");
  Roda({{{"id", "2"}, {"tipo", "1"}}}, true);
  EXPECT_EQ(Pronto(2), 0);

  // A formula plan this installation does not compute is refused, not answered without it.
  Pedido(3, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN, BDPLANO) VALUES (3, 1, '2024-01-01', '2024-01-31', 4)");
  try {
    TAutoThreadPedidosBI task;
    task.Parametros["pedidos"] = {{{"id", "3"}, {"tipo", "1"}}};
    task.ExecuteTask();
    ADD_FAILURE() << "BDPLANO 4 foi respondido";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("BDPLANO = 4"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 3"), Currency());
}


class FolhaConfiguravelBITest : public PedidosBITest {
 protected:
  void SetUp() override {
    PedidosBITest::SetUp();
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDDATAADM, BDDATADEM, BDCODSETOR, BDCODTPCC) "
                 "VALUES (1, 1, 10, '2020-01-01', NULL, 5, 7)");
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDDATAADM, BDDATADEM, BDCODSETOR, BDCODTPCC) "
                 "VALUES (1, 2, 20, NULL, NULL, 6, 8)");
    Db().Execute("INSERT INTO TRH_COLCON (BDCODEMP, BDTIPOCOL, BDCODCOL, BDDATAADM, BDDATADEM) "
                 "VALUES (1, 1, 11, '2020-01-01', '2024-01-15')");
    Db().Execute("INSERT INTO VRH_BASE_TRELCONF (BDCODRELCONF, BDDESCRICAO) VALUES (3, 'Folha')");
    Item(1, 1, "Salário", "", 100);
    Item(2, 1, "Salário", "", 101);
    Item(3, 2, "Dias", "DIAS", -1);
    Item(4, 3, "Líquido d'Ávila", "V100+V101-V200", -1);
    Mov(202401, 1, 10, 100, "1000.1234");
    Mov(202401, 1, 10, 101, "50");
    Mov(202401, 1, 10, 200, "100.0001");
    Mov(202402, 1, 10, 100, "2000");
    Mov(202401, 2, 20, 100, "300");
  }
  void Item(int ordem, int coluna, const char* titulo, const char* formula, int codVer) {
    Db().Execute("INSERT INTO VRH_BASE_TRELCONF_ITENS (BDCODRELCONF, BDORDEM, BDCOLUNA, BDTITULO, BDFORM, BDCODVER, "
                 "BDCLAVER) VALUES (3, ?, ?, ?, ?, ?, 1)",
                 {Variant(ordem), Variant(coluna), Variant(titulo), Variant(formula),
                  codVer < 0 ? Variant() : Variant(codVer)});
  }
  void Mov(int ref, int tipo, int col, int ver, const char* valor) {
    Db().Execute("INSERT INTO TRH_MOVIMENTO (BDCODEMP, BDREF, BDTIPOCOL, BDCODCOL, BDCODVER, BDCLAVER, BDVALOR) "
                 "VALUES (1, ?, ?, ?, ?, 1, ?)",
                 {Variant(ref), Variant(tipo), Variant(col), Variant(ver), Variant(Currency::ParseSQL(valor))});
  }
  void PedidoFolha(int id, int agrupar) {
    Pedido(id, 4);
    Db().Execute("INSERT INTO TPEDIDOS_BI_CONF_FOLHA (BDID, BDCODEMP, BDCODIGO_RELATORIO, BDDATAINI, BDDATAFIN, "
                 "BDAGRUPARPOR) VALUES (?, 1, 3, '2024-01-01', '2024-02-29', ?)", {Variant(id), Variant(agrupar)});
  }
  Currency Coluna(int id, int ref, int col, int ter, int ordem) {
    return Valor("SELECT BDVALOR FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = " + std::to_string(id) +
                 " AND BDREF = " + std::to_string(ref) + " AND BDCODCOL = " + std::to_string(col) +
                 " AND BDCODTER = " + std::to_string(ter) + " AND BDORDEM = " + std::to_string(ordem));
  }
};

TEST_F(FolhaConfiguravelBITest, EveryColumnOfEveryPersonAndMonthIsAnswered) {
  PedidoFolha(5, 0);
  PedidoFolha(6, 2);
  Roda({{{"id", "5"}, {"tipo", "4"}}, {{"id", "6"}, {"tipo", "4"}}});
  EXPECT_EQ(Pronto(5), 1);
  // January: three people; February: the dismissed employee is gone. Three columns each, the last
  // one included.
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 5"), Currency::FromInt(15));
  EXPECT_EQ(Coluna(5, 202401, 10, 0, 1), Currency::ParseSQL("1050.1234"));
  EXPECT_EQ(Coluna(5, 202401, 10, 0, 3), Currency::ParseSQL("950.1233"));
  EXPECT_EQ(Coluna(5, 202402, 10, 0, 1), Currency::FromInt(2000));
  EXPECT_EQ(Coluna(5, 202402, 10, 0, 3), Currency::FromInt(2000));
  // Each month's formulas run over that month's own days.
  EXPECT_EQ(Coluna(5, 202401, 10, 0, 2), Currency::FromInt(31));
  EXPECT_EQ(Coluna(5, 202402, 10, 0, 2), Currency::FromInt(29));
  // The contractor answers under its contractor code.
  EXPECT_EQ(Coluna(5, 202401, 0, 20, 1), Currency::FromInt(300));
  EXPECT_EQ(Coluna(5, 202402, 0, 20, 3), Currency());
  EXPECT_EQ(Db().QueryValue("SELECT FIRST 1 BDDESCRICAO FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDORDEM = 3").AsString(),
            "Líquido d'Ávila");
  // Grouped by sector the row carries the sector, else the cost-centre type.
  EXPECT_EQ(Valor("SELECT FIRST 1 BDCODTPCC FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 5 AND BDCODCOL = 10"),
            Currency::FromInt(7));
  EXPECT_EQ(Valor("SELECT FIRST 1 BDCODTPCC FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 6 AND BDCODCOL = 10"),
            Currency::FromInt(5));
}

TEST_F(FolhaConfiguravelBITest, AnAnswerGivenAgainReplacesTheFirst) {
  PedidoFolha(5, 0);
  Roda({{{"id", "5"}, {"tipo", "4"}}});
  Roda({{{"id", "5"}, {"tipo", "4"}}});   // the same id sent again
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 5"), Currency::FromInt(15));
  EXPECT_EQ(Coluna(5, 202401, 10, 0, 1), Currency::ParseSQL("1050.1234"));
}

TEST_F(FolhaConfiguravelBITest, AFailedComputationWritesNothingAndEndsTheRun) {
  Item(5, 4, "Erro", "XPTO", -1);
  PedidoFolha(5, 0);
  Pedido(9, 1);
  Roda({{{"id", "5"}, {"tipo", "4"}}, {{"id", "9"}, {"tipo", "1"}}}, true);
  EXPECT_EQ(Pronto(5), 0);
  EXPECT_EQ(Pronto(9), 0);
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT"), Currency());
}

// Another workstation answering a request holds its row until its answer is committed: this run
// leaves the request to it, says so, and answers the next one.
TEST_F(PedidosBITest, ARequestAnotherRunHoldsIsLeftToItAndTheRunSaysSo) {
  for (int id : {7, 8}) {
    Pedido(id, 1);
    Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN) VALUES (?, 1, '2024-01-01', "
                 "'2024-01-31')",
                 {Variant(id)});
  }
  TDatabase outra;
  outra.Open(Company().Path());
  TTransaction respondendo(outra);
  // What a run does as it takes the request: it names the request in its transaction, then holds it.
  outra.QueryValue("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', 'VYN_PEDIDO_BI', '7') FROM RDB$DATABASE");
  outra.Execute("UPDATE TPEDIDOS_BI SET BDPRONTO = 0 WHERE BDID = 7");

  TAutoThreadPedidosBI task;
  task.Parametros["pedidos"] = {{{"id", "7"}, {"tipo", "1"}}, {{"id", "8"}, {"tipo", "1"}}};
  task.ExecuteTask();
  respondendo.Rollback();
  EXPECT_EQ(task.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(task.MensagemExecucao(),
            "O pedido de BI 7 está sendo respondido por outra estação de trabalho; esta execução não o respondeu.");
  EXPECT_EQ(Pronto(7), 0);
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7"), Currency());
  EXPECT_EQ(Pronto(8), 1);
  EXPECT_GT(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 8"), Currency());
}

// A change another program left open on the request is no run answering it: the run says what holds
// it. A request whose row is missing cannot be marked ready: it is not answered, and the run says so.
TEST_F(PedidosBITest, ARequestHeldByAnotherChangeOrWithoutItsRowIsToldAsSuch) {
  for (int id : {7, 8}) {
    Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN) VALUES (?, 1, '2024-01-01', "
                 "'2024-01-31')",
                 {Variant(id)});
  }
  Pedido(7, 1);
  TDatabase outra;
  outra.Open(Company().Path());
  TTransaction aberta(outra);
  outra.Execute("UPDATE TPEDIDOS_BI SET BDPRONTO = BDPRONTO WHERE BDID = 7");
  TAutoThreadPedidosBI task;
  task.Parametros["pedidos"] = {{{"id", "7"}, {"tipo", "1"}}};
  task.ExecuteTask();
  aberta.Rollback();
  EXPECT_EQ(task.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(task.MensagemExecucao(),
            "O pedido de BI 7 está preso por uma alteração ainda não confirmada de outra conexão ao banco de dados, "
            "que não é uma execução desta tarefa; esta execução não o respondeu. Confirme ou desfaça essa alteração e "
            "peça de novo.");
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7"), Currency());

  TAutoThreadPedidosBI semLinha;
  semLinha.Parametros["pedidos"] = {{{"id", "8"}, {"tipo", "1"}}};
  semLinha.ExecuteTask();
  EXPECT_EQ(semLinha.StatusExecucao(), tscInconsistente);
  EXPECT_EQ(semLinha.MensagemExecucao(),
            "O pedido de BI 8 não existe em TPEDIDOS_BI: sem ele o pedido não pode ser marcado como pronto, e esta "
            "execução não o respondeu.");
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 8"), Currency());
}

// A reader going by the ready flag must not take the answer to the question as it was before.
TEST_F(FolhaConfiguravelBITest, AFailedRerunDropsTheEarlierAnswerAndLeavesTheRequestWaiting) {
  PedidoFolha(5, 0);
  Roda({{{"id", "5"}, {"tipo", "4"}}});
  ASSERT_EQ(Pronto(5), 1);
  Db().Execute("UPDATE TPEDIDOS_BI_CONF_FOLHA SET BDCODIGO_RELATORIO = 99 WHERE BDID = 5");
  Roda({{{"id", "5"}, {"tipo", "4"}}}, true);   // sent again without resetting the flag
  EXPECT_EQ(Pronto(5), 0);
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_CONF_FOLHA_RESULT WHERE BDID = 5"), Currency());

  Pedido(7, 1);
  Db().Execute("INSERT INTO TPEDIDOS_BI_DRE (BDID, BDCODEMP, BDDATAINI, BDDATAFIN) VALUES (7, 1, '2024-01-01', '2024-01-31')");
  Roda({{{"id", "7"}, {"tipo", "1"}}});
  ASSERT_GT(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7"), Currency());
  Db().Execute("UPDATE TPEDIDOS_BI_DRE SET BDPLANO = 4 WHERE BDID = 7");
  Roda({{{"id", "7"}, {"tipo", "1"}}}, true);
  EXPECT_EQ(Pronto(7), 0);
  EXPECT_EQ(Valor("SELECT COUNT(*) FROM TPEDIDOS_BI_DRE_RESULTADOS WHERE BDID = 7"), Currency());
}

}  // namespace
}  // namespace integracao
