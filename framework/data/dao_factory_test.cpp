#include "framework/data/dao_factory.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/livros/marca_livros.h"
#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class TTERCEIROMGR : public TMgr<TTERCEIROMGR> {
 public:
  explicit TTERCEIROMGR(TComponent* owner) : TMgr(owner, "TTERCEIRO") {}
  std::string ClassName() const override { return "TTERCEIROMGR"; }
};

using DAOFactoryTest = CompanyDatabaseTest;

int64_t CountTer(TDatabase& db) { return db.QueryValue("SELECT COUNT(*) FROM TTERCEIRO").AsInteger(); }

TEST_F(DAOFactoryTest, PostsEditsAndDeletesWriteBackByPrimaryKey) {
  TComponent owner;
  TTERCEIROMGR* mgr = TTERCEIROMGR::CreateMgr(&owner);
  EXPECT_EQ(mgr->Owner(), &owner);
  mgr->SelectVazio();
  EXPECT_EQ(mgr->PrimaryKey(), std::vector<std::string>{"BDCODTER"});

  mgr->Append();
  mgr->FieldByName("BDCODTER").SetAsInteger(1);
  mgr->FieldByName("bdnometer").SetAsString("José d'Ávila; Ltda");
  mgr->Post();
  mgr->AppendRecord({2, "11222333000181", "Maria"});
  EXPECT_EQ(CountTer(Db()), 2);

  ASSERT_TRUE(mgr->SearchKey("BDCODTER", {"1"}));
  mgr->Edit();
  mgr->FieldByName("BDNOMETER").SetAsString("JOSÉ");
  mgr->Post();
  EXPECT_EQ(Db().QueryValue("SELECT BDNOMETER FROM TTERCEIRO WHERE BDCODTER = 1").AsString(), "JOSÉ");

  // The key itself can change: the row is found by its old key.
  mgr->Edit();
  mgr->FieldByName("BDCODTER").SetAsInteger(3);
  mgr->Post();
  EXPECT_EQ(Db().QueryValue("SELECT BDNOMETER FROM TTERCEIRO WHERE BDCODTER = 3").AsString(), "JOSÉ");

  ASSERT_TRUE(mgr->SearchKey("BDCODTER", {2}));
  mgr->Delete();
  EXPECT_EQ(CountTer(Db()), 1);
  EXPECT_EQ(mgr->RecordCount(), 1);

  // Memory-only mode writes nothing.
  mgr->SetControlMemory(true);
  mgr->AppendRecord({9, nullptr, "só na memória"});
  EXPECT_EQ(CountTer(Db()), 1);
}

TEST_F(DAOFactoryTest, FailedWriteLeavesTheRowInMemoryAsItWas) {
  TComponent owner;
  TTERCEIROMGR* mgr = TTERCEIROMGR::CreateMgr(&owner);
  Db().Execute("INSERT INTO TTERCEIRO (BDCODTER, BDNOMETER) VALUES (1, 'Ana')");
  Db().Execute("INSERT INTO TTERCEIRO (BDCODTER, BDNOMETER) VALUES (2, 'Bia')");
  mgr->OpenTable("BDCODTER > ?", {0});
  ASSERT_EQ(mgr->RecordCount(), 2);

  // Duplicate key: the insert stays pending, nothing is added.
  mgr->Append();
  mgr->FieldByName("BDCODTER").SetAsInteger(1);
  EXPECT_THROW(mgr->Post(), EDatabaseError);
  EXPECT_EQ(mgr->State(), TDataSetState::dsInsert);
  mgr->Cancel();
  EXPECT_EQ(mgr->RecordCount(), 2);

  // Text WIN1252 cannot hold, and a row deleted meanwhile: the edit fails, memory and table unchanged.
  ASSERT_TRUE(mgr->SearchKey("BDCODTER", {1}));
  mgr->Edit();
  mgr->FieldByName("BDNOMETER").SetAsString("Ana \xE4\xB8\xAD");
  EXPECT_THROW(mgr->Post(), EDatabaseError);
  mgr->Cancel();
  EXPECT_EQ(mgr->FieldByName("BDNOMETER").AsString(), "Ana");

  auto other = Company().OpenAnother();
  other->Execute("DELETE FROM TTERCEIRO WHERE BDCODTER = 2");
  ASSERT_TRUE(mgr->SearchKey("BDCODTER", {2}));
  mgr->Edit();
  mgr->FieldByName("BDNOMETER").SetAsString("Bea");
  EXPECT_THROW(mgr->Post(), EDatabaseError);
  mgr->Cancel();
  EXPECT_EQ(mgr->FieldByName("BDNOMETER").AsString(), "Bia");
  EXPECT_EQ(Db().QueryValue("SELECT BDNOMETER FROM TTERCEIRO WHERE BDCODTER = 1").AsString(), "Ana");

  // Deleting it is no success either: the error names the table and the key.
  try {
    mgr->Delete();
    ADD_FAILURE() << "delete of a row already gone passed";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("TTERCEIRO (BDCODTER = 2)"), std::string::npos) << e.what();
  }
  EXPECT_EQ(mgr->RecordCount(), 2);
}

TEST_F(DAOFactoryTest, CommandTextSearchKeyAndReferenceMonth) {
  TEscritaForaDoModulo dados(Db());   // free SQL as any program runs it; the books' boundary is not at stake
  seed::AddStandardCompany(Db(), 202401);
  Db().Execute("UPDATE OR INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP) VALUES (1, 202403, 'Novo Nome') "
               "MATCHING (BDCODEMP, BDREFEMP)");
  TComponent owner;
  TSQLMGR* sql = TSQLMGR::CreateMgr(&owner);
  EXPECT_EQ(sql->CommandText("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDDCTO) "
                             "VALUES (1, 1, '2024-03-05', 1234.56, " + QuotedStr("NF 'A'") + ")",
                             ctExecute),
            1);
  sql->CommandText("SELECT BDCHAVE, BDDATA, BDVALOR, BDDCTO FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1");
  EXPECT_EQ(sql->FieldByName("BDVALOR").DataType(), TFieldType::ftCurrency);
  EXPECT_TRUE(sql->SearchKey("BDDATA;BDVALOR", {"05/03/2024", "1.234,56"}));
  EXPECT_FALSE(sql->SearchKey("BDDATA;BDVALOR", {"05/03/2024", "1.234,50"}));
  EXPECT_EQ(sql->FieldByName("BDDCTO").AsString(), "NF 'A'");

  const std::string q = "SELECT VW.BDCODEMP, VW.BDNOMEMP FROM VW_TEMPRESAS_REF VW WHERE VW.BDCODEMP = 1";
  sql->SetReferencia(202402);
  sql->CommandText(q);
  EXPECT_EQ(sql->FieldByName("BDNOMEMP").AsString(), "Empresa Modelo Ltda");
  sql->SetReferencia(202405);
  sql->CommandText(sql->GetCommandText());
  EXPECT_EQ(sql->FieldByName("BDNOMEMP").AsString(), "Novo Nome");

  // A reload runs the query with the values it was opened with.
  sql->CommandText("SELECT BDCHAVE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDDCTO = ?", ctOpen,
                   {1, "NF 'A'"});
  ASSERT_EQ(sql->RecordCount(), 1);
  sql->CommandText("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDDCTO) "
                   "VALUES (1, 2, '2024-03-06', 1, ?)", ctExecute, {"NF 'A'"});
  sql->Refresh();
  EXPECT_EQ(sql->RecordCount(), 2);
}

TEST_F(DAOFactoryTest, ScriptTransactionAndPool) {
  TTransaction tr(Db());
  EXPECT_TRUE(TDAOFactory::Executa_Script({"INSERT INTO TPARAMETRO (BDPARAM) VALUES ('A');"}).empty());
  std::string err = TDAOFactory::Executa_Script({"INSERT INTO TPARAMETRO (BDPARAM) VALUES ('B')",
                                                 "INSERT INTO TPARAMETRO (BDPARAM) VALUES ('A')"});
  EXPECT_NE(err.find("VALUES ('A')"), std::string::npos) << err;
  tr.Commit();
  EXPECT_EQ(Db().QueryValue("SELECT LIST(BDPARAM) FROM TPARAMETRO").AsString(), "A");

  TSQLMGR* first = nullptr;
  {
    TSQLMGRHandle h = getSQLMgr_do_Pool();
    first = h.get();
    h->CommandText("SELECT BDPARAM FROM TPARAMETRO");
    EXPECT_EQ(h->RecordCount(), 1);
    TSQLMGRHandle second = getSQLMgr_do_Pool();
    EXPECT_NE(second.get(), first);
    EXPECT_EQ(Company().Pool().Available(), 0u);
  }
  EXPECT_EQ(Company().Pool().Available(), 2u);
  EXPECT_FALSE(first->Active());
  TSQLMGRHandle again = getSQLMgr_do_Pool();
  EXPECT_EQ(again.get(), first);
  EXPECT_EQ(Company().Pool().Size(), 2u);
}

TEST(SQLValueTest, QuotesAndChunks) {
  EXPECT_EQ(QuotedStr("O'Brien; x"), "'O''Brien; x'");
  EXPECT_EQ(SQLDate(EncodeDate(2024, 3, 5)), "'2024-03-05'");
  EXPECT_EQ(SQLCurrency(Currency::ParseSQL("1234.56")), "1234.5600");
  EXPECT_EQ(SQLFlag(true), "'TRUE'");
  EXPECT_EQ(SQLInList(std::vector<int>{}), "NULL");
  std::vector<int64_t> keys(1201);
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = static_cast<int64_t>(i);
  auto chunks = SplitKeyList(keys);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[2].size(), 201u);
  EXPECT_EQ(SQLInList(std::vector<int64_t>{1, 2}), "1, 2");
}

TEST(SQLValueTest, OnlyAPlainIdentifierPassesAsATableOrColumnName) {
  for (const char* ok : {"TMP_VZEL_EMPRESAS_TLAN_TEMP", "BDCODEMP", "RDB$DATABASE", "a1"})
    EXPECT_TRUE(IsSQLIdentifier(ok)) << ok;
  for (const char* bad : {"", "1TABELA", "_X", "T; DROP TABLE X", "T--", "T/*", "\"T\"", "T'", "A B", "T\nX",
                          "TABELA_COM_NOME_LONGO_DEMAIS_PARA_UM_IDENTIFICADOR_DO_FIREBIRD_XYZ"})
    EXPECT_FALSE(IsSQLIdentifier(bad)) << bad;
  const std::string nome = "BDVALOR";
  EXPECT_EQ(&CheckSQLIdentifier<EDatabaseError>(nome, "Coluna inválida: "), &nome);
  try {
    CheckSQLIdentifier<EDataSetError>("X set Y = 1 --", "Nome inválido: ");
    ADD_FAILURE() << "an injected name passed";
  } catch (const EDataSetError& e) {
    EXPECT_STREQ(e.what(), "Nome inválido: X set Y = 1 --");
  }
}

}  // namespace
}  // namespace vyn
