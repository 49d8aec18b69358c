#include "framework/schema/schema.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "framework/schema/entry_keys.h"
#include "framework/schema/ledger_lock.h"
#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

using SchemaTest = CompanyDatabaseTest;

TEST(SchemaRegistryTest, OrdersByDependencyAndRejectsDuplicates) {
  TSchema s;
  s.AddView("V", "CREATE VIEW V AS SELECT A FROM T");
  s.AddTable("T", "CREATE TABLE T (A INTEGER)");
  s.AddGenerator("G");
  auto ordered = s.Ordered();
  ASSERT_EQ(ordered.size(), 3u);
  EXPECT_EQ(ordered[0].Name, "G");
  EXPECT_EQ(ordered[1].Name, "T");
  EXPECT_EQ(ordered[2].Name, "V");
  EXPECT_THROW(s.AddTable("t", "CREATE TABLE T (B INTEGER)"), EDatabaseError);
  // A suite's tables do not depend on what was added before them: a second owner is an error, never
  // a silent skip.
  TSchema sped;
  AddSuiteSpedBiSchema(sped);
  for (const char* t : {"TVALIDACAOSPED_MICRO", "TVALIDACAOSPED_AGENDAMENTOS", "TVALIDACAOSPED_CONFIG"})
    EXPECT_TRUE(sped.Has(t)) << t;
  TSchema outroDono;
  outroDono.AddTable("TVALIDACAOSPED_CONFIG", "CREATE TABLE TVALIDACAOSPED_CONFIG (A INTEGER)");
  EXPECT_THROW(AddSuiteSpedBiSchema(outroDono), EDatabaseError);
  EXPECT_EQ(CompanySchema().Hash(), CompanySchema().Hash());
  EXPECT_NE(s.Hash(), CompanySchema().Hash());

  // A build that fails leaves no half-built file, so the next attempt runs; another's file is kept.
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("vyn_schema_" + std::to_string(::getpid()) + ".fdb")).string();
  std::filesystem::remove(path);
  TSchema broken;
  broken.AddTable("T", "CREATE TABLE T (A INTEGER)");
  broken.AddView("V", "CREATE VIEW V AS SELECT B FROM T");
  EXPECT_THROW(CreateDatabase(path, [&](TDatabase& db) { broken.Apply(db); }), EDatabaseError);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(CreateDatabase(path, [](TDatabase& db) { db.Execute("CREATE TABLE T (A INTEGER)"); })->TableExists("T"));
  EXPECT_THROW(CreateDatabase(path, [](TDatabase&) {}), EDatabaseError);
  EXPECT_TRUE(std::filesystem::exists(path));
  std::filesystem::remove(path);
}

TEST_F(SchemaTest, SeededCompanyIsReadAsOfTheSessionMonth) {
  seed::AddStandardCompany(Db(), 202401);
  Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLANOONLINE) VALUES (1, 202403, 'Nova', 7)");
  const std::string q = "SELECT BDNOMEMP, BDCODPLANOONLINE FROM VW_TEMPRESAS_REF WHERE BDCODEMP = 1";
  Db().SetSessionReferencia(202402);
  EXPECT_EQ(Db().QueryAll(q).Value(0, "BDNOMEMP").AsString(), "Empresa Modelo Ltda");
  Db().SetSessionReferencia(202404);
  EXPECT_EQ(Db().QueryAll(q).Value(0, "BDCODPLANOONLINE").AsInteger(), 7);
  Db().SetSessionReferencia(202312);   // before the first reference: the first one
  EXPECT_EQ(Db().QueryAll(q).Value(0, "BDNOMEMP").AsString(), "Empresa Modelo Ltda");

  EXPECT_EQ(Db().QueryValue("SELECT BDCODMATRIZ FROM TEMPRESAS WHERE BDCODEMP = 2").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDCTACAIXAPR FROM PLANOS_TPLA WHERE BDCODTPLA = ?", {seed::kContaCaixa}).AsString(),
            "TRUE");
  auto conf = Db().QueryAll(
      "select ref.BDCHAVE, ref.BDCONTADEBPGTO from TCONF_CONTAS_ONLINE_REF ref left outer join TCONF_CONTAS_ONLINE con "
      "on ((con.bdcodplanoonline = ref.bdcodplanoonline) and (con.bdchave = ref.bdchave)) "
      "where ref.BDCODPLANOONLINE = 1 and ref.BDREFCTA <= 202402 and "
      "((con.bdclassificacao = '01.001.000000001.000000002.000000002')) order by ref.BDREFCTA Desc, con.BDCHAVE asc");
  ASSERT_EQ(conf.Rows.size(), 1u);
  EXPECT_EQ(conf.Value(0, "BDCONTADEBPGTO").AsInteger(), seed::kContaJurosPagos);
}

TEST_F(SchemaTest, EntryKeysAreNeverHandedOutTwiceAcrossAttachments) {
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, 41, '2024-01-02', 1)");
  EXPECT_EQ(ReserveEntryKeys(Db(), 1, 10), 42);
  EXPECT_EQ(ReserveEntryKeys(Db(), 2), 1);

  std::vector<int> firstA, firstB;
  auto other = Company().OpenAnother();
  auto run = [](TDatabase* db, std::vector<int>* out) {
    for (int i = 0; i < 150; ++i) out->push_back(ReserveEntryKeys(*db, 1, 3));
  };
  {
    // An open transaction on one attachment does not hold its reservations back.
    TTransaction tr(Db());
    std::thread a(run, &Db(), &firstA);
    std::thread b(run, other.get(), &firstB);
    a.join();
    b.join();
  }
  std::set<int> keys;
  for (const auto* v : {&firstA, &firstB})
    for (int f : *v)
      for (int k = f; k < f + 3; ++k) EXPECT_TRUE(keys.insert(k).second) << "key " << k << " handed out twice";
  EXPECT_EQ(keys.size(), 900u);
  EXPECT_EQ(*keys.begin(), 52);
}

// A refused reservation names the change; "" when it went through.
std::string Reserva(TDatabase& db, int codemp) {
  try {
    ReserveEntryKeys(db, codemp);
    return "";
  } catch (const EDatabaseError& e) {
    return e.what();
  }
}

TEST_F(SchemaTest, APlanChangeHoldsItsCompaniesLedgerUntilItsTransactionEnds) {
  auto escritor = Company().OpenAnother();
  {
    TTransaction troca(Db());
    BloqueiaLancamentosEmpresas(Db(), {1});
    TTransaction tr(*escritor);
    EXPECT_EQ(Reserva(*escritor, 1), MensagemEmpresaEmTroca(1));
    EXPECT_EQ(Reserva(*escritor, 2), "");   // another company is free
    tr.Rollback();
    // A second change of the same company is refused, not queued behind the first.
    auto outra = Company().OpenAnother();
    TTransaction tr2(*outra);
    EXPECT_THROW(BloqueiaLancamentosEmpresas(*outra, {1}), EDatabaseError);
  }   // the change's transaction ends without a commit: the hold goes with it
  TTransaction tr(*escritor);
  EXPECT_EQ(Reserva(*escritor, 1), "");
}

TEST_F(SchemaTest, APlanChangeWaitsForTheWriterUnderWayAndSeesItsEntries) {
  auto escritor = Company().OpenAnother();
  TTransaction tr(*escritor);
  const int chave = ReserveEntryKeys(*escritor, 1);
  escritor->Execute("INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) VALUES (1, ?, '2024-01-02', 1)",
                    {chave});
  std::atomic<bool> segura{false};
  int64_t vistos = -1;
  std::thread troca([&] {
    TTransaction t(Db());
    BloqueiaLancamentosEmpresas(Db(), {1});
    segura = true;
    vistos = Db().QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1 AND BDCHAVE = ?", {chave})
                 .AsInteger();
    t.Commit();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(segura) << "the change went on while a writer of its company was under way";
  tr.Commit();
  troca.join();
  EXPECT_TRUE(segura);
  EXPECT_EQ(vistos, 1);
}

}  // namespace
}  // namespace vyn
