#include "framework/data/fb_database.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace vyn {
namespace {

class FbDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("vyn_fbtest_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".fdb"))
                .string();
    std::filesystem::remove(path_);
    db_ = TDatabase::Create(path_);
    db_->Execute(
        "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, SM SMALLINT, BIG BIGINT, VALOR NUMERIC(18,4), "
        "FL DOUBLE PRECISION, NOME VARCHAR(40), SIGLA CHAR(3), TEXTO BLOB SUB_TYPE TEXT, DATA DATE, "
        "MOMENTO TIMESTAMP, ATIVO BOOLEAN, FLAG VARCHAR(5))");
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove(path_);
  }
  int64_t Count() { return db_->QueryValue("SELECT COUNT(*) FROM T").AsInteger(); }

  std::string path_;
  std::unique_ptr<TDatabase> db_;
};

TEST_F(FbDatabaseTest, TypedValuesRoundTripExactly) {
  const std::string tricky = "O'Brien; DROP TABLE T; --";
  const std::string memo(70000, 'x');
  db_->Execute("INSERT INTO T VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
               {1, 7, 9000000000LL, Currency::ParseSQL("12345678901234.5678"), 0.25, "ação Ágil",
                "ab", memo, EncodeDate(2024, 2, 29), EncodeDateTime(2024, 3, 5, 14, 7, 9, 120), true, true});
  db_->Execute("INSERT INTO T (ID, VALOR, NOME) VALUES (?, ?, ?)", {2, Currency::ParseSQL("-0.0001"), tricky});

  TQueryResult r = db_->QueryAll("SELECT * FROM T ORDER BY ID");
  ASSERT_EQ(r.Rows.size(), 2u);
  auto type = [&](const char* c) { return r.Columns[static_cast<size_t>(r.IndexOf(c))].DataType; };
  EXPECT_EQ(type("ID"), TFieldType::ftInteger);
  EXPECT_EQ(type("SM"), TFieldType::ftInteger);
  EXPECT_EQ(type("BIG"), TFieldType::ftLargeint);
  EXPECT_EQ(type("VALOR"), TFieldType::ftCurrency);
  EXPECT_EQ(type("FL"), TFieldType::ftFloat);
  EXPECT_EQ(type("NOME"), TFieldType::ftString);
  EXPECT_EQ(r.Columns[static_cast<size_t>(r.IndexOf("NOME"))].Size, 40);
  EXPECT_EQ(type("TEXTO"), TFieldType::ftMemo);
  EXPECT_EQ(type("DATA"), TFieldType::ftDate);
  EXPECT_EQ(type("MOMENTO"), TFieldType::ftDateTime);
  EXPECT_EQ(type("ATIVO"), TFieldType::ftBoolean);

  EXPECT_EQ(r.Value(0, "BIG").AsInteger(), 9000000000LL);
  EXPECT_EQ(r.Value(0, "VALOR").AsCurrency().Raw(), 123456789012345678LL);
  EXPECT_EQ(r.Value(1, "VALOR").AsCurrency().Raw(), -1);
  EXPECT_EQ(r.Value(0, "NOME").AsString(), "ação Ágil");
  EXPECT_EQ(r.Value(0, "SIGLA").AsString(), "ab");
  EXPECT_EQ(r.Value(0, "TEXTO").AsString(), memo);
  EXPECT_EQ(DateToSQL(r.Value(0, "DATA").AsDateTime()), "2024-02-29");
  EXPECT_EQ(DateTimeToSQL(r.Value(0, "MOMENTO").AsDateTime()), "2024-03-05 14:07:09.120");
  EXPECT_TRUE(r.Value(0, "ATIVO").AsBoolean());
  EXPECT_EQ(r.Value(0, "FLAG").AsString(), "TRUE");
  EXPECT_EQ(r.Value(1, "NOME").AsString(), tricky);
  EXPECT_TRUE(r.Value(1, "DATA").IsNull());

  // The collation compares without regard to case and accents.
  EXPECT_EQ(db_->QueryValue("SELECT ID FROM T WHERE NOME = ?", {"ACAO AGIL"}).AsInteger(), 1);
  EXPECT_EQ(db_->QueryValue("SELECT ID FROM T WHERE NOME = 'AÇÃO ágil'").AsInteger(), 1);
  EXPECT_EQ(db_->QueryValue("SELECT ID FROM T WHERE FLAG = 'true'").AsInteger(), 1);
  EXPECT_EQ(db_->Execute("UPDATE T SET VALOR = VALOR + ? WHERE ID = ?", {Currency::ParseSQL("0.0001"), 2}), 1);
  EXPECT_TRUE(db_->QueryValue("SELECT VALOR FROM T WHERE ID = 2").AsCurrency().IsZero());
}

// One prepared statement run with texts of every length, nulls between them and a text where a number
// goes: each row holds what it was given, and a text longer than its column is refused, not cut.
TEST_F(FbDatabaseTest, APreparedStatementKeepsEachRunsTextsWhateverTheirLengths) {
  TStatement& ins = db_->Prepared("INSERT INTO T (ID, NOME, BIG) VALUES (?, ?, ?)");
  const std::vector<std::string> nomes = {"a", std::string(40, 'b'), "", "ção", std::string(17, 'c')};
  for (size_t i = 0; i < nomes.size(); ++i)
    ins.Run({static_cast<int>(i + 1), i == 2 ? Variant() : Variant(nomes[i]), std::string(i + 1, '7')});
  for (size_t i = 0; i < nomes.size(); ++i) {
    const TQueryResult r = db_->QueryAll("SELECT NOME, BIG FROM T WHERE ID = ?", {static_cast<int>(i + 1)});
    EXPECT_EQ(r.Value(0, "NOME").IsNull() ? "" : r.Value(0, "NOME").AsString(), nomes[i]) << i;
    EXPECT_EQ(r.Value(0, "BIG").AsInteger(), std::stoll(std::string(i + 1, '7'))) << i;
  }
  EXPECT_THROW(ins.Run({9, std::string(41, 'x'), 1}), EDatabaseError);
  EXPECT_EQ(Count(), static_cast<int64_t>(nomes.size()));
}

TEST_F(FbDatabaseTest, LowScaleNumericsConvertExactlyOrFailClearly) {
  EXPECT_EQ(db_->QueryValue("SELECT CAST(-12.34 AS NUMERIC(18,2)) FROM RDB$DATABASE").AsCurrency().Raw(), -123400);
  // Money bound to a column of fewer decimals keeps its value (rounded by the server), not its raw units.
  db_->Execute("CREATE TABLE T2 (ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(15,2))");
  db_->Execute("INSERT INTO T2 VALUES (?, ?)", {1, Currency::ParseSQL("1234.56")});
  EXPECT_EQ(db_->QueryValue("SELECT V FROM T2 WHERE ID = 1").AsCurrency(), Currency::ParseSQL("1234.56"));
  EXPECT_EQ(db_->QueryValue("SELECT COUNT(*) FROM T2 WHERE V = ?", {Currency::ParseSQL("1234.56")}).AsInteger(), 1);
  try {
    db_->QueryValue("SELECT CAST(92233720368547758.07 AS NUMERIC(18,2)) FROM RDB$DATABASE");
    FAIL() << "a value beyond the money range was read";
  } catch (const ECurrencyError& e) {
    EXPECT_STREQ(e.what(), "Valor monetário fora do limite: 92233720368547758.07");
  }
}

TEST_F(FbDatabaseTest, RowsReadIntoADataSetAreUnmodified) {
  db_->Execute("INSERT INTO T (ID, NOME) VALUES (1, 'a')");
  db_->Execute("INSERT INTO T (ID, NOME) VALUES (2, 'b')");
  TClientDataSet ds;
  db_->QueryInto(ds, "SELECT ID, NOME FROM T ORDER BY ID");
  ASSERT_EQ(ds.RecordCount(), 2);
  for (ds.First(); !ds.Eof(); ds.Next()) EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usUnmodified);
  ds.First();
  ds.Edit();
  ds.FieldByName("NOME").SetAsString("c");
  ds.Post();
  EXPECT_EQ(ds.UpdateStatus(), TUpdateStatus::usModified);
}

TEST_F(FbDatabaseTest, TextOutsideWin1252IsAClearErrorAndWritesNothing) {
  try {
    db_->Execute("INSERT INTO T (ID, NOME) VALUES (?, ?)", {1, "caf\xC3\xA9 \xE4\xB8\xAD"});
    FAIL() << "expected an error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("caf\xC3\xA9 \xE4\xB8\xAD"), std::string::npos) << e.what();
  }
  try {
    db_->Execute("INSERT INTO T (ID, NOME) VALUES (2, '\xE2\x82\xAC ok \xF0\x9F\x98\x80')");
    FAIL() << "expected an error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("\xF0\x9F\x98\x80"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Count(), 0);
}

TEST_F(FbDatabaseTest, ScriptIsAllOrNothing) {
  TScriptResult r = db_->ExecuteScript({"INSERT INTO T (ID) VALUES (1);", "INSERT INTO T (ID) VALUES (2)",
                                        "INSERT INTO T (ID) VALUES (1)", "INSERT INTO T (ID) VALUES (3)"});
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.FailedIndex, 2);
  EXPECT_EQ(Count(), 0);
  try {
    db_->ExecuteScriptOrThrow({"INSERT INTO T (ID) VALUES (1)", "INSERT INTO NOPE VALUES (1)"});
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("INSERT INTO NOPE"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Count(), 0);

  // Inside an open transaction a failing script undoes only itself.
  {
    TTransaction tr(*db_);
    db_->Execute("INSERT INTO T (ID) VALUES (10)");
    EXPECT_FALSE(db_->ExecuteScript({"INSERT INTO T (ID) VALUES (11)", "INSERT INTO T (ID) VALUES (10)"}).Ok());
    EXPECT_TRUE(db_->ExecuteScript({"INSERT INTO T (ID) VALUES (12)"}).Ok());
    tr.Commit();
  }
  EXPECT_EQ(db_->QueryAll("SELECT ID FROM T ORDER BY ID").Rows.size(), 2u);
  EXPECT_TRUE(db_->ExecuteScript({"DELETE FROM T", "INSERT INTO T (ID) VALUES (5)"}).Ok());
  EXPECT_EQ(Count(), 1);
}

TEST_F(FbDatabaseTest, TransactionRollsBackUnlessCommitted) {
  {
    TTransaction tr(*db_);
    db_->Execute("INSERT INTO T (ID) VALUES (1)");
    EXPECT_TRUE(db_->InTransaction());
    EXPECT_THROW(TTransaction nested(*db_), EDatabaseError);
  }
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(Count(), 0);
  {
    TTransaction tr(*db_);
    TStatement& ins = db_->Prepared("INSERT INTO T (ID, VALOR) VALUES (?, ?)");
    for (int i = 1; i <= 50; ++i) ins.Execute({i, Currency::FromInt(i)});
    EXPECT_EQ(&ins, &db_->Prepared("INSERT INTO T (ID, VALOR) VALUES (?, ?)"));
    tr.Commit();
  }
  EXPECT_EQ(db_->QueryValue("SELECT SUM(VALOR) FROM T").AsCurrency(), Currency::FromInt(1275));
  // A failed statement inside a transaction leaves it usable.
  TTransaction tr(*db_);
  EXPECT_THROW(db_->Execute("INSERT INTO T (ID) VALUES (1)"), EDatabaseError);
  db_->Execute("INSERT INTO T (ID) VALUES (51)");
  tr.Commit();
  EXPECT_EQ(Count(), 51);
}

TEST_F(FbDatabaseTest, AJoiningTransactionLeavesTheOpenOneToItsOwner) {
  {
    TTransaction own(*db_, TTransaction::kJuntaAberta);   // none open: it is its own
    EXPECT_FALSE(own.Joined());
    db_->Execute("INSERT INTO T (ID) VALUES (1)");
  }
  EXPECT_EQ(Count(), 0);
  TTransaction outer(*db_);
  {
    TTransaction inner(*db_, TTransaction::kJuntaAberta);
    EXPECT_TRUE(inner.Joined());
    db_->Execute("INSERT INTO T (ID) VALUES (2)");
    inner.Commit();
    EXPECT_TRUE(db_->InTransaction());
  }
  {
    TTransaction inner(*db_, TTransaction::kJuntaAberta);   // leaves uncommitted: the owner's work stays
  }
  EXPECT_TRUE(db_->InTransaction());
  outer.Rollback();
  EXPECT_EQ(Count(), 0);
}

// A transaction that must not wait meets a row another attachment holds as a conflict at once; the
// default one waits for the holder (here, until it lets go) and then goes on.
TEST_F(FbDatabaseTest, ATransactionThatMustNotWaitMeetsAHeldRowAtOnce) {
  db_->Execute("INSERT INTO T (ID) VALUES (1)");
  TDatabase outra;
  outra.Open(path_);
  TTransaction segura(*db_);
  db_->Execute("UPDATE T SET ID = ID WHERE ID = 1");
  const auto inicio = std::chrono::steady_clock::now();
  {
    TTransaction semEspera(outra, TTransaction::kSemEspera);
    try {
      outra.Execute("UPDATE T SET ID = ID WHERE ID = 1");
      ADD_FAILURE() << "the held row was changed";
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(e.IsLockConflict()) << e.what();
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
  std::thread solta([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    segura.Rollback();
  });
  {
    TTransaction espera(outra);
    EXPECT_EQ(outra.Execute("UPDATE T SET ID = ID WHERE ID = 1"), 1);
    espera.Commit();
  }
  solta.join();
}

TEST_F(FbDatabaseTest, MetadataContextAndErrors) {
  EXPECT_EQ(db_->PrimaryKey("t"), std::vector<std::string>{"ID"});
  EXPECT_EQ(db_->TableColumns("T").size(), 12u);
  EXPECT_FALSE(db_->TableExists("NOPE"));
  db_->SetSessionReferencia(202403);
  EXPECT_EQ(db_->QueryValue("SELECT RDB$GET_CONTEXT('USER_SESSION', 'REFERENCIA') FROM RDB$DATABASE").AsString(),
            "202403");
  EXPECT_EQ(db_->ExecuteReturning("UPDATE T SET NOME = 'x' WHERE ID = 99 RETURNING ID").size(), 0u);

  try {
    db_->Execute("SELECT NOPE FROM T");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.SQL(), "SELECT NOPE FROM T");
    EXPECT_NE(std::string(e.what()).find("NOPE"), std::string::npos);
  }

  TDatabase other;
  const std::string missing = path_ + ".missing";
  try {
    other.Open(missing);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
  EXPECT_FALSE(IsRemoteConnection("/tmp/x.fdb"));
  EXPECT_TRUE(IsRemoteConnection("localhost:/tmp/x.fdb"));
  EXPECT_TRUE(IsRemoteConnection("srv/3051:/tmp/x.fdb"));
}

// A refusal the database raises on purpose reaches the user as its own sentence, not as the engine's
// report with its exception name, trigger position and statement.
TEST_F(FbDatabaseTest, ARefusalRaisedByATriggerIsItsOwnMessage) {
  db_->Execute("CREATE EXCEPTION E_RECUSA 'Recusado.'");
  db_->Execute("CREATE TRIGGER T_RECUSA FOR T BEFORE DELETE AS BEGIN"
               " EXCEPTION E_RECUSA 'A linha ' || OLD.ID || ' não pode ser apagada.'; END");
  db_->Execute("INSERT INTO T (ID) VALUES (7)");
  try {
    db_->Execute("DELETE FROM T WHERE ID = ?", {7});
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "A linha 7 não pode ser apagada.");
    EXPECT_EQ(e.SQL(), "DELETE FROM T WHERE ID = ?");
  }
  EXPECT_EQ(Count(), 1);
  db_->Execute("CREATE TRIGGER T_FIXA FOR T BEFORE UPDATE AS BEGIN EXCEPTION E_RECUSA; END");
  EXPECT_THROW(
      try { db_->Execute("UPDATE T SET NOME = 'x'"); } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Recusado.");
        throw;
      },
      EDatabaseError);
}

}  // namespace
}  // namespace vyn
