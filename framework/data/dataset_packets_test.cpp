// A table-bound data set fetching its rows in packets: what a review of a large work table holds and
// when the rest of the rows come.
#include <gtest/gtest.h>

#include <set>

#include "framework/data/dao_factory.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class PacketsTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute(
        "create table TPACOTE (BDSESSAO integer not null, BDCODEMP integer not null, BDCHAVE integer not null, "
        "BDVALOR numeric(18,4), BDNOME varchar(40), primary key (BDSESSAO, BDCODEMP, BDCHAVE))");
    // As the work tables have it: a packet reads from the last row held on, in key order.
    Db().Execute("create index IX_TPACOTE_CHAVE on TPACOTE (BDSESSAO, BDCHAVE, BDCODEMP)");
    // 130 lines of session 7 (keys 1..130, two companies sharing key 65) and lines of another session.
    TTransaction tx(Db());
    for (int k = 1; k <= 129; ++k)
      Db().Execute("insert into TPACOTE values (7, 1, ?, ?, ?)", {k, k * 10, "linha " + std::to_string(k)});
    Db().Execute("insert into TPACOTE values (7, 2, 65, 1, 'outra empresa')");
    for (int k = 1; k <= 10; ++k) Db().Execute("insert into TPACOTE values (8, 1, ?, 0, 'outra sessão')", {k});
    tx.Commit();
  }

  // A fresh data set of session 7 in packets of 50.
  TDAOFactory& Abre() {
    auto* d = owner_.Create<TDAOFactory>("TPACOTE", &Db());
    d->SetFetchOnDemand(true);
    d->SetPacketRecords(50);
    d->OpenTableInPackets("BDSESSAO = ?", {7}, "BDCHAVE;BDCODEMP");
    return *d;
  }

  static std::vector<std::pair<int, int>> Percorre(TDAOFactory& d) {
    std::vector<std::pair<int, int>> r;
    for (d.First(); !d.Eof(); d.Next())
      r.emplace_back(d.FieldByName("BDCHAVE").AsInteger(), d.FieldByName("BDCODEMP").AsInteger());
    return r;
  }

  TComponent owner_;
};

TEST_F(PacketsTest, PacketsComeAsTheCursorMovesInKeyOrderAndNoneTwice) {
  TDAOFactory& d = Abre();
  EXPECT_EQ(d.FetchedRecordCount(), 50);
  EXPECT_TRUE(d.FetchPending());
  EXPECT_FALSE(d.IsEmpty());
  EXPECT_EQ(d.GetCommandText(), "SELECT * FROM TPACOTE WHERE (BDSESSAO = ?) ORDER BY BDCHAVE, BDCODEMP");

  // Moving past the last row held brings the next packet, no more.
  d.MoveBy(49);
  EXPECT_EQ(d.FetchedRecordCount(), 50);
  d.Next();
  EXPECT_FALSE(d.Eof());
  EXPECT_EQ(d.FetchedRecordCount(), 100);
  EXPECT_EQ(d.RecNo(), 51);
  d.SetRecNo(120);
  EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 119);   // key 65 twice, one per company
  EXPECT_EQ(d.FetchedRecordCount(), 130);
  EXPECT_FALSE(d.FetchPending());

  TDAOFactory& e = Abre();
  const auto linhas = Percorre(e);
  ASSERT_EQ(linhas.size(), 130u);
  EXPECT_TRUE(std::is_sorted(linhas.begin(), linhas.end()));
  const std::set<std::pair<int, int>> distintas(linhas.begin(), linhas.end());
  EXPECT_EQ(distintas.size(), 130u);
  EXPECT_EQ(linhas[64], std::make_pair(65, 1));
  EXPECT_EQ(linhas[65], std::make_pair(65, 2));

  // Without fetching on demand the same opening reads every row.
  auto* todas = owner_.Create<TDAOFactory>("TPACOTE", &Db());
  todas->OpenTableInPackets("BDSESSAO = ?", {7}, "BDCHAVE;BDCODEMP");
  EXPECT_EQ(todas->FetchedRecordCount(), 130);
  EXPECT_FALSE(todas->FetchPending());
}

TEST_F(PacketsTest, WhatNeedsEveryRowFetchesTheRestFirst) {
  EXPECT_EQ(Abre().RecordCount(), 130);
  {
    TDAOFactory& d = Abre();
    d.Last();
    EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 129);
    EXPECT_TRUE(d.Eof());
  }
  EXPECT_TRUE(Abre().Locate("BDCHAVE", {125}));
  EXPECT_EQ(Abre().Lookup("BDCHAVE", {128}, "BDNOME").AsString(), "linha 128");
  {
    TDAOFactory& d = Abre();
    d.SetFilter("BDVALOR >= 1200");
    d.SetFiltered(true);
    EXPECT_EQ(d.RecordCount(), 10);
  }
  {
    TDAOFactory& d = Abre();
    d.SetIndexFieldNames("BDVALOR");
    d.Last();
    EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 129);
    ASSERT_TRUE(d.FindKey({Variant(Currency::FromInt(1000))}));
    EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 100);
  }
  {
    TDAOFactory& d = Abre();
    TClientDataSet clone;
    clone.CloneCursor(d);
    EXPECT_EQ(clone.RecordCount(), 130);
  }
  {
    // An appended row is written once and met once.
    TDAOFactory& d = Abre();
    d.AppendRecord({7, 1, 500, 1, "nova"});
    EXPECT_EQ(Percorre(d).size(), 131u);
    EXPECT_EQ(Db().QueryValue("select count(*) from TPACOTE where BDSESSAO = 7").AsInteger(), 131);
  }
  {
    // Emptied, it stays empty: nothing left comes afterwards.
    TDAOFactory& d = Abre();
    d.EmptyDataSetDao();
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(Percorre(d).empty());
    EXPECT_EQ(Db().QueryValue("select count(*) from TPACOTE where BDSESSAO = 7").AsInteger(), 131);
  }
}

// A data set whose table is still being written may wait before it reads rows past those it holds: the
// hook runs before each fetch with the rows held and how many are wanted, and what was written while it
// waited comes with that fetch.
TEST_F(PacketsTest, AFetchWaitsInItsHookAndReadsWhatWasWrittenMeanwhile) {
  std::vector<std::pair<int, int>> pedidos;
  TDAOFactory& d = Abre();
  d.BeforeFetch = [&](int held, int wanted) {
    pedidos.emplace_back(held, wanted);
    if (pedidos.size() == 1) Db().Execute("insert into TPACOTE values (7, 1, 500, 1, 'gravada ao fundo')");
  };
  const auto linhas = Percorre(d);
  ASSERT_EQ(linhas.size(), 131u);
  EXPECT_EQ(linhas.back().first, 500);
  EXPECT_EQ(pedidos, (std::vector<std::pair<int, int>>{{50, 50}, {100, 50}}));

  pedidos.clear();
  TDAOFactory& e = Abre();
  e.BeforeFetch = [&](int held, int wanted) { pedidos.emplace_back(held, wanted); };
  EXPECT_EQ(e.RecordCount(), 131);
  EXPECT_EQ(pedidos, (std::vector<std::pair<int, int>>{{50, -1}}));
}

TEST_F(PacketsTest, EditsAndDeletesOfRowsHeldWriteThroughAndTheWalkGoesOn) {
  TDAOFactory& d = Abre();
  d.SetRecNo(50);   // the last row held
  d.Edit();
  d.FieldByName("BDNOME").SetAsString("alterada");
  d.Post();
  EXPECT_EQ(Db().QueryValue("select BDNOME from TPACOTE where BDSESSAO = 7 and BDCHAVE = 50").AsString(), "alterada");
  EXPECT_EQ(d.FetchedRecordCount(), 50);

  d.Delete();   // the cursor moves on to the row after it, fetched for that
  EXPECT_FALSE(d.Eof());
  EXPECT_EQ(d.FieldByName("BDCHAVE").AsInteger(), 51);
  EXPECT_EQ(Db().QueryValue("select count(*) from TPACOTE where BDSESSAO = 7").AsInteger(), 129);
  int depois = 0;
  for (; !d.Eof(); d.Next()) ++depois;
  EXPECT_EQ(depois, 80);
  EXPECT_EQ(d.RecordCount(), 129);
}

TEST_F(PacketsTest, LaterPacketsShowTheTableAsItIsWhenTheyAreFetched) {
  TDAOFactory& d = Abre();
  // A mass change made in SQL, a line removed and one added after the opening.
  Db().Execute("update TPACOTE set BDNOME = 'em massa' where BDSESSAO = 7 and BDCHAVE > 10");
  Db().Execute("delete from TPACOTE where BDSESSAO = 7 and BDCHAVE = 100");
  Db().Execute("insert into TPACOTE values (7, 1, 200, 0, 'nova')");
  std::vector<std::string> nomes;
  for (d.First(); !d.Eof(); d.Next()) nomes.push_back(d.FieldByName("BDNOME").AsString());
  ASSERT_EQ(nomes.size(), 130u);
  EXPECT_EQ(nomes[10], "linha 11");    // held since the opening
  EXPECT_EQ(nomes[60], "em massa");    // fetched after the change
  EXPECT_EQ(nomes.back(), "nova");

  // Read again, it holds as many rows as it held, as the table holds them now, on the same line.
  TDAOFactory& e = Abre();
  e.SetRecNo(70);
  Db().Execute("update TPACOTE set BDNOME = 'de novo' where BDSESSAO = 7");
  e.Refresh();
  EXPECT_EQ(e.RecNo(), 70);
  EXPECT_EQ(e.FetchedRecordCount(), 100);
  EXPECT_EQ(e.FieldByName("BDNOME").AsString(), "de novo");
  EXPECT_TRUE(e.FetchPending());

  e.Close();
  EXPECT_FALSE(e.FetchPending());
}

// A loader of keys 1..total, the hook's contract alone: what the data set asks of it and when.
class TContador : public TClientDataSet {
 public:
  explicit TContador(int total) : total_(total) {
    AddFieldDef("K", TFieldType::ftInteger);
    AddFieldDef("GRUPO", TFieldType::ftInteger);
  }
  void Abre(int pacote) {
    CreateDataSet();
    SetPacketRecords(pacote);
    DoFetchPacket(pacote);
    SetFetchPending(proxima_ <= total_);
    First();
  }
  std::vector<int> pedidos;
  bool falha = false;

 protected:
  int DoFetchPacket(int count) override {
    pedidos.push_back(count);
    if (falha) throw EDataSetError("a origem caiu");
    int n = 0;
    for (; proxima_ <= total_ && (count < 0 || n < count); ++proxima_, ++n) AppendFetched({proxima_, proxima_ % 3});
    return n;
  }

 private:
  int total_;
  int proxima_ = 1;
};

TEST(PacketHookTest, DetailsViewsAndFailuresAskTheLoaderForWhatTheyNeed) {
  {
    // A detail of a master fetches everything once it is linked.
    TContador d(120);
    d.Abre(50);
    TClientDataSet mestre;
    mestre.AddFieldDef("GRUPO", TFieldType::ftInteger);
    mestre.CreateDataSet();
    mestre.AppendRecord({1});
    TDataSource fonte(nullptr, &mestre);
    d.SetMasterFields("GRUPO");
    d.SetMasterSource(&fonte);
    EXPECT_EQ(d.pedidos, (std::vector<int>{50, -1}));
    EXPECT_EQ(d.RecordCount(), 40);
  }
  {
    // An order chosen before the packets came cannot follow a partial set: all of it is fetched.
    TContador d(120);
    d.SetIndexFieldNames("GRUPO;K");
    d.Abre(50);
    EXPECT_FALSE(d.FetchPending());
    EXPECT_EQ(d.FetchedRecordCount(), 120);
  }
  {
    // A source that fails leaves the rows held and the rest still to fetch; the cursor stays.
    TContador d(120);
    d.Abre(50);
    d.SetRecNo(50);
    d.falha = true;
    EXPECT_THROW(d.Next(), EDataSetError);
    EXPECT_EQ(d.RecNo(), 50);
    EXPECT_TRUE(d.FetchPending());
    d.falha = false;
    d.Next();
    EXPECT_EQ(d.FieldByName("K").AsInteger(), 51);
    // Moving far fetches what the move needs in one request.
    d.MoveBy(60);
    EXPECT_EQ(d.FieldByName("K").AsInteger(), 111);
    EXPECT_EQ(d.pedidos, (std::vector<int>{50, 50, 50, 50}));
    d.Close();
    EXPECT_FALSE(d.FetchPending());
  }
}

}  // namespace
}  // namespace vyn
