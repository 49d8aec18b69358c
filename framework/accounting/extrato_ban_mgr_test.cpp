#include "framework/accounting/extrato_ban_mgr.h"

#include <chrono>
#include <memory>
#include <thread>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/data/sql_mgr.h"
#include "framework/schema/seed.h"
#include "framework/ui/inconsistencias.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

constexpr int kConta = 123;

class ExtratoBanMgrTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    for (int emp : {15, 16}) seed::AddCompanyWithAccounts(Db(), emp, 15, {kConta, 900});
  }
  // A statement line: tipo 0 money out, 1 money in.
  void Linha(int chave, int dia, const char* dcto, int tipo, const char* valor, Variant lanc = {}) {
    Db().Execute("insert into VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDDATAMOV, BDDESCRICAO, BDDCTO, "
                 "BDTIPO, BDVALOR, BDCHAVELANC) values (15, ?, ?, ?, 'TARIFA', ?, ?, ?, ?)",
                 {chave, kConta, EncodeDate(2024, 3, dia), dcto, tipo, Currency::Parse(valor), lanc});
  }
  // An entry of the account: debit true puts the account on the debit side (money in).
  void Lanc(int emp, int chave, int dia, const char* dcto, bool debito, const char* valor, const char* concd = "FALSE",
            const char* concc = "FALSE") {
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDDCTO, "
                           "BDCONCD, BDCONCC) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           {emp, chave, EncodeDate(2024, 3, dia), debito ? kConta : 900, debito ? 900 : kConta,
                  Currency::Parse(valor), dcto, concd, concc});
  }
  void Abre() {
    ext = TVZEL_EMPRESAS_TEXTRATOBANMGR::CreateMgr(&dono, true);
    lan = TLancamentoMGR::CreateMgr(&dono, true, false, 1, false, true);
    lan->SetControlMemory(true);
    ext->CommandText(TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(15, kConta, EncodeDate(2024, 3, 1),
                                                                      EncodeDate(2024, 3, 31), false, 0));
    lan->CommandText(TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLLancamentosCont("15, 16", kConta, EncodeDate(2024, 3, 1),
                                                                          EncodeDate(2024, 3, 31)));
  }
  static int StatusDe(TClientDataSet& ds, int emp, int chave) {
    EXPECT_TRUE(ds.Locate("BDCODEMP;BDCHAVE", {emp, chave})) << chave;
    return static_cast<int>(ds.FieldByName("BDSTATUS").AsInteger());
  }
  static void Marca(TClientDataSet& ds, int emp, int chave, int status) {
    ASSERT_TRUE(ds.Locate("BDCODEMP;BDCHAVE", {emp, chave}));
    ds.Edit();
    ds.FieldByName("BDSTATUS").SetAsInteger(status);
    ds.Post();
  }
  std::string Marcas(int emp, int chave) {
    auto r = Db().QueryAll("select BDCONCD, BDCONCC from VZEL_EMPRESAS_TLAN where BDCODEMP = ? and BDCHAVE = ?",
                           {emp, chave});
    return r.Value(0, "BDCONCD").AsString() + "/" + r.Value(0, "BDCONCC").AsString();
  }
  // Line 1 (40,00 out on the 5th) and entry 10 of the value given, both confirmed by the user.
  void ParConfirmado(const char* valorLanc) {
    Linha(1, 5, "1", 0, "40");
    Lanc(15, 10, 5, "1", false, valorLanc);
    Abre();
    Marca(*ext, 15, 1, 6);
    Marca(*lan, 15, 10, 6);
  }
  Variant LancDaLinha(int chave) {
    return Db().QueryValue("select BDCHAVELANC from VZEL_EMPRESAS_TEXTRATOBAN where BDCODEMP = 15 and BDCHAVE = ?",
                           {chave});
  }

  TComponent dono;
  TVZEL_EMPRESAS_TEXTRATOBANMGR* ext = nullptr;
  TLancamentoMGR* lan = nullptr;
  TInconsistencias_VYN lista;
};

TEST_F(ExtratoBanMgrTest, StatusesComeFromTheStoredReconciliationAndTheFiltersRunOnFirebird) {
  Lanc(15, 1, 5, "10", false, "50");
  Lanc(16, 2, 6, "11", true, "70", "TRUE");   // a branch's entry, reconciled on the account's side
  Lanc(15, 3, 6, "12", true, "80", "FALSE", "TRUE");   // marked only on the other side: still free
  Linha(1, 5, "10", 0, "50", 1);     // reconciled with entry 1
  Linha(2, 6, "11", 1, "70", 999);   // its entry is gone
  Linha(3, 7, "12", 1, "80");
  Db().Execute("insert into VZEL_EMPRESAS_TEXTRATOBAN (BDCODEMP, BDCHAVE, BDCONTA, BDIDEXTRATODYQ, BDDATAMOV, BDTIPO, "
               "BDVALOR) values (15, 9, 123, 44, '2024-03-07', 1, 1)");
  Abre();
  EXPECT_EQ(ext->RecordCount(), 3);   // the Dyq statement's line is not this statement's
  EXPECT_EQ(StatusDe(*ext, 15, 1), 4);
  EXPECT_EQ(StatusDe(*ext, 15, 2), 5);
  EXPECT_EQ(StatusDe(*ext, 15, 3), 0);
  EXPECT_EQ(StatusDe(*lan, 16, 2), 4);
  EXPECT_EQ(StatusDe(*lan, 15, 3), 0);
  EXPECT_EQ(lan->FieldByName("BDDEBCRED").AsInteger(), 1);
  EXPECT_EQ(StatusDe(*lan, 15, 1), 0);
  EXPECT_EQ(lan->FieldByName("BDDEBCRED").AsInteger(), 0);   // credits the bank: a statement debit

  const std::string sqlExt = TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(15, kConta, {}, {}, false, 0);
  ext->CommandText("Select * from(" + sqlExt + ") where BDSTATUS <> 4");
  EXPECT_EQ(ext->RecordCount(), 2);
  lan->CommandText("Select * from (" + TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLLancamentosCont("15,16", kConta, {}, {}) +
                   ") where BDSTATUS = 4 ");
  EXPECT_EQ(lan->RecordCount(), 1);
  // The delete's condition selects exactly the statement's lines.
  EXPECT_EQ(Db().Execute("delete from VZEL_EMPRESAS_TEXTRATOBAN" +
                         TVZEL_EMPRESAS_TEXTRATOBANMGR::GetWhereSQLExtratoBanc(15, kConta, {}, {}, true, 44)),
            1);
  EXPECT_THROW(TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLLancamentosCont("15) or (1=1", kConta, {}, {}), EDataSetError);
}

// A Dyq statement is its lines: one dated after the period it was released for is listed (to be
// reconciled or posted) and deleted with it; a plain statement keeps to its period.
TEST_F(ExtratoBanMgrTest, ADyqStatementListsItsLineDatedOutsideItsPeriod) {
  Linha(1, 10, "1", 0, "10");
  Linha(2, 31, "2", 0, "20");
  Db().Execute("update VZEL_EMPRESAS_TEXTRATOBAN set BDIDEXTRATODYQ = 44, BDDATAMOV = '2024-04-03' where BDCHAVE = 2");
  Db().Execute("update VZEL_EMPRESAS_TEXTRATOBAN set BDIDEXTRATODYQ = 44 where BDCHAVE = 1");
  Linha(3, 12, "3", 0, "30");
  TSQLMGR q(&dono);
  q.CommandText(TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(15, kConta, EncodeDate(2024, 3, 1),
                                                                 EncodeDate(2024, 3, 31), true, 44));
  EXPECT_EQ(q.RecordCount(), 2);
  q.CommandText(TVZEL_EMPRESAS_TEXTRATOBANMGR::GetSQLExtratoBanc(15, kConta, EncodeDate(2024, 3, 1),
                                                                 EncodeDate(2024, 3, 10), false, 0));
  EXPECT_EQ(q.RecordCount(), 0);
  EXPECT_EQ(Db().Execute("delete from VZEL_EMPRESAS_TEXTRATOBAN" +
                         TVZEL_EMPRESAS_TEXTRATOBANMGR::GetWhereSQLExtratoBanc(
                             15, kConta, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), true, 44)),
            2);
}

TEST_F(ExtratoBanMgrTest, MatcherPairsSameSideOnceAndLeavesTheRestAlone) {
  Linha(1, 5, "00077", 0, "100.5");
  Linha(2, 5, "78", 0, "100.5");
  Linha(3, 8, "79", 1, "100.5");   // money in: never paired with a payment
  Linha(4, 9, "80", 0, "33.3301");
  Lanc(15, 10, 5, "77", false, "100.5");
  Lanc(15, 11, 8, "79", false, "100.5");   // a payment of the same value on line 3's date
  Lanc(15, 12, 9, "80", false, "33.33");   // differs by less than a cent
  Abre();
  EXPECT_FALSE(ext->ConciliaDaoExtrato(true, false, true, false, lan));
  EXPECT_EQ(StatusDe(*ext, 15, 1), 2);
  EXPECT_EQ(ext->FieldByName("BDCHAVELANC").AsInteger(), 10);
  EXPECT_EQ(StatusDe(*ext, 15, 2), 0);   // its only candidate was taken by line 1
  EXPECT_EQ(StatusDe(*ext, 15, 3), 0);
  EXPECT_EQ(StatusDe(*ext, 15, 4), 0);
  EXPECT_EQ(StatusDe(*lan, 15, 10), 2);
  EXPECT_EQ(StatusDe(*lan, 15, 11), 0);
  EXPECT_EQ(StatusDe(*lan, 15, 12), 0);
  EXPECT_EQ(ext->ValorTotal, Currency::Parse("100.5"));
  // By document with leading zeros counting, "00077" is not "77"; nothing else changes.
  Abre();
  EXPECT_FALSE(ext->ConciliaDaoExtrato(false, true, true, true, lan));
  EXPECT_EQ(StatusDe(*ext, 15, 1), 0);
  // Without any criterion nothing is proposed.
  Abre();
  ext->ConciliaDaoExtrato(false, false, false, false, lan);
  EXPECT_EQ(StatusDe(*lan, 15, 10), 0);
}

TEST_F(ExtratoBanMgrTest, StoringMarksTheAccountSideAndRefusesWhatIsAlreadyReconciled) {
  Linha(1, 5, "1", 0, "40");
  Linha(2, 6, "2", 1, "60");
  Linha(3, 5, "1", 0, "40");
  Lanc(15, 10, 4, "1", false, "40");
  Lanc(16, 11, 6, "2", true, "60");
  // A second screen opened on the same statement before the first one stores.
  Abre();
  auto* ext2 = ext;
  auto* lan2 = lan;
  Abre();
  Marca(*ext, 15, 1, 6);
  Marca(*lan, 15, 10, 6);
  Marca(*ext, 15, 2, 6);
  Marca(*lan, 16, 11, 6);
  ASSERT_TRUE(lan->Locate("BDCHAVE", {10}));
  lan->Edit();
  lan->FieldByName("BDDATA").SetAsDateTime(EncodeDate(2024, 3, 5));
  lan->Post();
  ASSERT_TRUE(ext->ConciliarExtratoLancamento(lan, kConta, nullptr, true, &lista)) << lista.Count();
  EXPECT_EQ(Marcas(15, 10), "FALSE/TRUE");
  EXPECT_EQ(Marcas(16, 11), "TRUE/FALSE");
  EXPECT_EQ(LancDaLinha(1).AsInteger(), 10);
  EXPECT_EQ(LancDaLinha(2).AsInteger(), 11);
  EXPECT_TRUE(LancDaLinha(3).IsNull());
  EXPECT_EQ(Db().QueryValue("select BDDATA from VZEL_EMPRESAS_TLAN where BDCHAVE = 10").AsDateTime(),
            EncodeDate(2024, 3, 5));
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_CONC").AsInteger(), 2);

  // The stale screen pairs the free line 3 with entry 10: the line is written first, then the entry
  // is found reconciled, and the whole store is undone.
  Marca(*ext2, 15, 3, 6);
  Marca(*lan2, 15, 10, 6);
  EXPECT_FALSE(ext2->ConciliarExtratoLancamento(lan2, kConta, nullptr, false, &lista));
  EXPECT_EQ(lista.CountErros(), 1);
  EXPECT_TRUE(LancDaLinha(3).IsNull());
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_CONC").AsInteger(), 2);
}

// Another workstation stores the same line at the same moment: this store writes nothing and tells
// the user so in words, never the database's text.
TEST_F(ExtratoBanMgrTest, AConcurrentStoreOfTheSameLineIsToldInWordsAndWritesNothing) {
  ParConfirmado("40");
  TDatabase outra;
  outra.Open(Company().Path());
  auto tr = std::make_unique<TTransaction>(outra);
  outra.Execute("update VZEL_EMPRESAS_TEXTRATOBAN set BDDESCRICAO = 'OUTRA ESTACAO' where BDCODEMP = 15 and BDCHAVE = 1");
  std::thread commit([&tr] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    tr->Commit();
  });
  const bool gravou = ext->ConciliarExtratoLancamento(lan, kConta, nullptr, false, &lista);
  commit.join();
  EXPECT_FALSE(gravou);
  ASSERT_EQ(lista.Count(), 1);
  EXPECT_EQ(lista.Itens()[0].Caption,
            "A conciliação não foi gravada: outro usuário gravava a conciliação destes lançamentos ao mesmo tempo. "
            "Atualize a consulta e confira antes de conciliar de novo.");
  EXPECT_TRUE(LancDaLinha(1).IsNull());
  EXPECT_EQ(Marcas(15, 10), "FALSE/FALSE");
}

TEST_F(ExtratoBanMgrTest, UnequalConfirmedTotalsStoreNothing) {
  ParConfirmado("40.01");
  EXPECT_FALSE(ext->ConciliarExtratoLancamento(lan, kConta, nullptr, false, &lista));
  EXPECT_EQ(lista.CountErros(), 1);
  EXPECT_EQ(Marcas(15, 10), "FALSE/FALSE");
  EXPECT_TRUE(LancDaLinha(1).IsNull());
  // Nothing confirmed: nothing to store, and that is no failure.
  Abre();
  EXPECT_TRUE(ext->ConciliarExtratoLancamento(lan, kConta, nullptr, false, &lista));
}

}  // namespace
}  // namespace vyn
