#include "framework/data/client_dataset.h"
#include "framework/data/dataset_guards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace vyn {
namespace {

std::unique_ptr<TClientDataSet> MakeParcelas() {
  auto ds = std::make_unique<TClientDataSet>();
  ds->AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds->AddFieldDef("BDORDEMPAR", TFieldType::ftSmallint);
  ds->AddFieldDef("BDNOME", TFieldType::ftString, 10);
  ds->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds->CreateDataSet();
  return ds;
}

std::vector<std::string> Column(TClientDataSet& ds, const char* field) {
  std::vector<std::string> out;
  for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FieldByName(field).AsString());
  return out;
}

using S = std::vector<std::string>;

// A field is found under any spelling of its name, also when declared in mixed case or with accents.
TEST(ClientDataSetFields, NamesFoundInAnySpelling) {
  TClientDataSet ds;
  ds.AddFieldDef("bdCODTIPOBAIXA", TFieldType::ftInteger);
  ds.AddFieldDef("Descrição", TFieldType::ftString, 10);
  ds.CreateDataSet();
  for (const char* n : {"bdCODTIPOBAIXA", "BDCODTIPOBAIXA", "bdcodtipobaixa"}) EXPECT_EQ(ds.FindField(n), &ds.Fields(0)) << n;
  for (const char* n : {"Descrição", "DESCRIÇÃO", "descrição"}) EXPECT_EQ(ds.FindField(n), &ds.Fields(1)) << n;
  EXPECT_EQ(ds.FindField("bdcodtipobaix"), nullptr);
}

// A name asked again is answered as the first time, also when its text now lies where another name's
// lay, and after the fields were made again.
TEST(ClientDataSetFields, ANameAskedAgainFindsTheFieldsOfNow) {
  TClientDataSet ds;
  ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds.CreateDataSet();
  std::string nome = "BDCHAVE";
  EXPECT_EQ(ds.FindField(nome), &ds.Fields(0));
  nome.replace(2, 5, "VALOR");   // the same buffer, another name
  EXPECT_EQ(ds.FindField(nome), &ds.Fields(1));
  EXPECT_EQ(ds.FindField("BDCHAVE"), &ds.Fields(0));
  EXPECT_EQ(ds.FindField("BDCHAVE"), &ds.Fields(0));
  ds.Close();
  ds.ClearFieldDefs();
  ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds.CreateDataSet();
  EXPECT_EQ(ds.FindField("BDCHAVE"), nullptr);
  EXPECT_EQ(ds.FindField(nome), &ds.Fields(0));
}

// A field holds a value when setting it would leave the field as it is, its type's conversion included.
TEST(ClientDataSetFields, HoldsWhatSettingWouldLeaveUnchanged) {
  TClientDataSet ds;
  ds.AddFieldDef("BDINT", TFieldType::ftInteger);
  ds.AddFieldDef("BDFLAG", TFieldType::ftString, 5);
  ds.AddFieldDef("BDVALOR", TFieldType::ftCurrency);
  ds.CreateDataSet();
  ds.AppendRecord({Variant(7), Variant("TRUE"), Variant()});
  EXPECT_TRUE(ds.FieldByName("BDINT").Holds(Variant(7)));
  EXPECT_TRUE(ds.FieldByName("BDINT").Holds(Variant("7")));
  EXPECT_FALSE(ds.FieldByName("BDINT").Holds(Variant(8)));
  EXPECT_TRUE(ds.FieldByName("BDFLAG").Holds(Variant(true)));
  EXPECT_FALSE(ds.FieldByName("BDFLAG").Holds(Variant(false)));
  EXPECT_TRUE(ds.FieldByName("BDVALOR").Holds(Variant()));
  EXPECT_FALSE(ds.FieldByName("BDVALOR").Holds(Variant(Currency())));
}

TEST(ClientDataSetFields, TypedNullAwareValues) {
  auto ds = MakeParcelas();
  ds->Append();
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  EXPECT_TRUE(ds->FieldByName("bdchave").IsNull());
  ds->FieldByName("BdChave").SetValue("42");
  ds->FieldByName("BDVALOR").SetValue(0.1);
  ds->FieldByName("BDVALOR").SetAsCurrency(ds->FieldByName("BDVALOR").AsCurrency() + Currency::Parse("0.2"));
  EXPECT_THROW(ds->FieldByName("BDCHAVE").SetValue("x1"), EDataSetError);
  EXPECT_THROW(ds->FieldByName("BDORDEMPAR").SetValue(40000), EDataSetError);
  try {
    ds->FieldByName("BDNOME").SetValue("12345678901");
    ADD_FAILURE();
  } catch (const EDataSetError& e) {
    EXPECT_NE(std::string(e.what()).find("BDNOME"), std::string::npos);
  }
  ds->FieldByName("BDNOME").SetValue("Conceição");  // ten characters, more bytes
  ds->Post();
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 42);
  EXPECT_EQ(ds->FieldByName("BDVALOR").AsCurrency(), Currency::Parse("0.3"));
  EXPECT_TRUE(ds->FieldByName("BDORDEMPAR").IsNull());
  EXPECT_EQ(ds->FieldByName("BDORDEMPAR").AsInteger(), 0);
  EXPECT_EQ(ds->FindField("nada"), nullptr);
  EXPECT_THROW(ds->FieldByName("nada"), EDataSetError);
  EXPECT_THROW(ds->FieldByName("BDCHAVE").SetValue(1), EDataSetError);  // not editing
  EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usInserted);
  ds->MergeChangeLog();
  ds->Edit();
  ds->FieldByName("BDORDEMPAR").SetValue(2);
  EXPECT_TRUE(ds->FieldByName("BDORDEMPAR").OldValue().IsNull());
  ds->Post();
  EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usModified);
}

TEST(ClientDataSetFields, RequiredAndCopyByName) {
  TClientDataSet a, b;
  a.AddFieldDef("ID", TFieldType::ftInteger, 0, true);
  a.AddFieldDef("NOME", TFieldType::ftString);
  a.CreateDataSet();
  b.AddFieldDef("nome", TFieldType::ftString);
  b.AddFieldDef("OUTRO", TFieldType::ftBoolean);
  b.CreateDataSet();
  b.AppendRecord({"x", "TRUE"});
  EXPECT_TRUE(b.FieldByName("OUTRO").AsBoolean());
  a.Append();
  a.CopyFieldsByName(b);
  EXPECT_THROW(a.Post(), EDataSetError);  // ID must have a value
  EXPECT_EQ(a.State(), TDataSetState::dsInsert);
  a.FieldByName("ID").SetValue(1);
  a.Post();
  EXPECT_EQ(a.FieldByName("NOME").AsString(), "x");
}

// A few fields copied from a wide row take the same-named ones, whatever the spelling, and no other.
TEST(ClientDataSetFields, CopyByNameIntoANarrowerSetTakesOnlyItsOwnFields) {
  TClientDataSet largo, estreito;
  for (const char* c : {"A", "bdchave", "C", "D", "BDVALOR", "F"}) largo.AddFieldDef(c, TFieldType::ftInteger);
  largo.CreateDataSet();
  largo.AppendRecord({1, 2, 3, 4, 5, 6});
  estreito.AddFieldDef("BDVALOR", TFieldType::ftInteger);
  estreito.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  estreito.AddFieldDef("OUTRO", TFieldType::ftInteger);
  estreito.CreateDataSet();
  estreito.Append();
  estreito.CopyFieldsByName(largo);
  estreito.Post();
  EXPECT_EQ(estreito.FieldByName("BDVALOR").AsInteger(), 5);
  EXPECT_EQ(estreito.FieldByName("BDCHAVE").AsInteger(), 2);
  EXPECT_TRUE(estreito.FieldByName("OUTRO").IsNull());
}

TEST(ClientDataSetNavigation, EofBofRecNoAndInsertOrder) {
  auto ds = MakeParcelas();
  EXPECT_TRUE(ds->Eof() && ds->Bof() && ds->IsEmpty());
  EXPECT_EQ(ds->RecNo(), 0);
  for (int i = 1; i <= 5; ++i) ds->AppendRecord({i, 0, std::to_string(i)});
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(ds->RecNo(), 5);
  ds->First();
  EXPECT_TRUE(ds->Bof());
  ds->Prior();
  EXPECT_TRUE(ds->Bof());
  EXPECT_EQ(ds->RecNo(), 1);
  ds->Last();
  EXPECT_TRUE(ds->Eof());
  ds->Next();
  EXPECT_EQ(ds->RecNo(), 5);
  ds->SetRecNo(3);
  EXPECT_FALSE(ds->Eof() || ds->Bof());
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 3);
  EXPECT_EQ(ds->MoveBy(10), 2);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->MoveBy(-3), -3);
  EXPECT_EQ(ds->RecNo(), 2);
  // Insert puts the row before the current one in natural order.
  ds->Insert();
  ds->FieldByName("BDNOME").SetValue("ins");
  ds->Post();
  EXPECT_EQ(ds->RecNo(), 2);
  TBookmark bm = ds->GetBookmark();
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"1", "ins", "2", "3", "4", "5"}));
  ds->GotoBookmark(bm);
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "ins");
  // Many inserts at one spot keep their order.
  ds->First();
  for (int i = 0; i < 100; ++i) {
    ds->Insert();
    ds->FieldByName("BDNOME").SetValue("p" + std::to_string(i));
    ds->Post();
  }
  ds->First();
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "p99");
  ds->SetRecNo(100);
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "p0");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "1");
  // Navigating away from an edit posts it; from an untouched new row, drops it.
  ds->Edit();
  ds->FieldByName("BDNOME").SetValue("um");
  ds->Next();
  EXPECT_EQ(ds->Lookup("BDCHAVE", {1}, "BDNOME").AsString(), "um");
  ds->Append();
  ds->First();
  EXPECT_EQ(ds->RecordCount(), 106);
  ds->DisableControls();
  ds->DisableControls();
  ds->EnableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
}

TEST(ClientDataSetEvents, OnNewRecordRunsInsideAppendBeforeTheCaller) {
  auto ds = MakeParcelas();
  std::vector<std::string> log;
  ds->BeforeInsert = [&](TClientDataSet&) { log.push_back("BeforeInsert"); };
  ds->OnNewRecord = [&](TClientDataSet& d) {
    log.push_back(d.State() == TDataSetState::dsInsert ? "OnNewRecord/insert" : "OnNewRecord/?");
    d.FieldByName("BDORDEMPAR").SetValue(1);
    d.FieldByName("BDNOME").SetValue("padrão");
  };
  ds->AfterInsert = [&](TClientDataSet&) { log.push_back("AfterInsert"); };
  ds->BeforePost = [&](TClientDataSet& d) { log.push_back("BeforePost " + d.FieldByName("BDNOME").AsString()); };
  ds->AfterPost = [&](TClientDataSet&) { log.push_back("AfterPost"); };
  ds->BeforeCancel = [&](TClientDataSet&) { log.push_back("BeforeCancel"); };
  ds->Append();
  log.push_back("caller");
  ds->FieldByName("BDNOME").SetValue("meu");
  ds->Post();
  EXPECT_EQ(log, S({"BeforeInsert", "OnNewRecord/insert", "AfterInsert", "caller", "BeforePost meu", "AfterPost"}));
  EXPECT_EQ(ds->FieldByName("BDORDEMPAR").AsInteger(), 1);
  // A BeforePost that throws aborts the post and keeps the edit.
  ds->BeforePost = [](TClientDataSet&) { throw EDataSetError("não"); };
  ds->Edit();
  ds->FieldByName("BDNOME").SetValue("x");
  EXPECT_THROW(ds->Post(), EDataSetError);
  EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
  log.clear();
  ds->Cancel();
  EXPECT_EQ(log, S({"BeforeCancel"}));
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "meu");
}

TEST(ClientDataSetIndexes, CompositeOrderFindKeyAndPrefixRanges) {
  auto ds = MakeParcelas();
  ds->AppendRecord({2, 1, "b"});
  ds->AppendRecord({1, 2, "Á"});
  ds->AppendRecord({2, 3, "c"});
  ds->AppendRecord({1, 1, "a"});
  ds->AppendRecord({3, 1, "B"});
  ds->AppendRecord({nullptr, 1, "z"});
  ds->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"z", "a", "Á", "b", "c", "B"}));
  EXPECT_TRUE(ds->FindKey({2, 3}));
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "c");
  EXPECT_TRUE(ds->FindKey({1}));  // a prefix finds the first of its rows
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "a");
  EXPECT_FALSE(ds->FindKey({2, 2}));
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "a");  // not moved
  ds->FindNearest({2, 2});
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "c");
  ds->FindNearest({9});
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "B");
  // Inclusive ranges; a shorter key covers its prefix.
  ds->SetRange({1}, {2});
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"a", "Á", "b", "c"}));
  ds->SetRange({1, 2}, {2, 1});
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"Á", "b"}));
  EXPECT_EQ(ds->RecordCount(), 2);
  EXPECT_FALSE(ds->FindKey({3}));  // outside the range
  ds->SetRange({2}, {2});
  ds->AppendRecord({2, 9, "new"});
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->CancelRange();
  EXPECT_EQ(ds->RecordCount(), 7);
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "new");
  // Named index: descending on one field, collation order for text.
  ds->AddIndexDef("iIndex", "BDNOME;BDCHAVE", ixCaseInsensitive, "BDCHAVE");
  ds->SetIndexName("iIndex");
  EXPECT_EQ(ds->IndexFieldNames(), "");
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"Á", "a", "B", "b", "c", "new", "z"}));  // ties in natural order
  EXPECT_TRUE(ds->FindKey({"A", 1}));
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "Á");
  ds->AddIndexDef("iDesc", "BDCHAVE;BDORDEMPAR", ixDescending);
  ds->SetIndexName("iDesc");
  ds->SetRange({2}, {1});
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"new", "c", "b", "Á", "a"}));
  ds->ClearIndexDefs();
  EXPECT_EQ(ds->IndexName(), "");
  EXPECT_THROW(ds->FindKey({1}), EDataSetError);
  EXPECT_THROW(ds->SetIndexFieldNames("BDCHAVE;NADA"), EDataSetError);
  EXPECT_EQ(ds->RecordCount(), 7);
  // A unique index refuses a second row with the same key.
  ds->AddIndexDef("iUnico", "BDCHAVE;BDORDEMPAR", ixUnique);
  ds->SetIndexName("iUnico");
  ds->Append();
  ds->FieldByName("BDCHAVE").SetValue(2);
  ds->FieldByName("BDORDEMPAR").SetValue(3);
  EXPECT_THROW(ds->Post(), EDataSetError);
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 7);
}

// A unique index holds whether or not it orders the data set, and through every cursor.
TEST(ClientDataSetIndexes, UniqueIndexHoldsWhenNotActive) {
  auto ds = MakeParcelas();
  ds->AppendRecord({1, 1, "a"});
  ds->AppendRecord({1, 2, "b"});
  ds->AddIndexDef("iUnico", "BDCHAVE;BDORDEMPAR", ixUnique);
  ds->SetIndexName("iUnico");
  ds->SetIndexFieldNames("BDNOME");
  TClientDataSet clone;
  clone.CloneCursor(*ds);
  ds->Append();
  ds->FieldByName("BDCHAVE").SetValue(1);
  ds->FieldByName("BDORDEMPAR").SetValue(2);
  EXPECT_THROW(ds->Post(), EDataSetError);
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  ds->Cancel();
  EXPECT_THROW(clone.AppendRecord({1, 1, "c"}), EDataSetError);
  ASSERT_TRUE(ds->Locate("BDNOME", {"b"}));
  ds->Edit();
  ds->FieldByName("BDORDEMPAR").SetValue(1);
  EXPECT_THROW(ds->Post(), EDataSetError);
  EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
  ds->Cancel();
  EXPECT_EQ(Column(*ds, "BDORDEMPAR"), S({"1", "2"}));
  // Keeping its own key is fine; a key freed by an edit can be taken.
  ASSERT_TRUE(ds->Locate("BDNOME", {"b"}));
  ds->Edit();
  ds->FieldByName("BDNOME").SetValue("bb");
  ds->Post();
  ds->Edit();
  ds->FieldByName("BDORDEMPAR").SetValue(3);
  ds->Post();
  clone.AppendRecord({1, 2, "c"});
  EXPECT_THROW(ds->AppendRecord({1, 3, "d"}), EDataSetError);
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->ClearIndexDefs();
  ds->AppendRecord({1, 3, "d"});
  EXPECT_EQ(clone.RecordCount(), 4);
}

// A date field holds the day only; a search key with a time of day finds that day.
TEST(ClientDataSetIndexes, DateKeysAreCutToTheDay) {
  TClientDataSet ds;
  ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  ds.AddFieldDef("BDDATA", TFieldType::ftDate);
  ds.CreateDataSet();
  ds.AppendRecord({1, EncodeDateTime(2024, 3, 5, 9, 30, 0)});
  ds.AppendRecord({2, EncodeDate(2024, 3, 6)});
  const TDateTime afternoon = EncodeDateTime(2024, 3, 5, 14, 0, 0);
  for (const char* order : {"", "BDDATA"}) {
    ds.SetIndexFieldNames(order);
    ds.Last();
    EXPECT_TRUE(ds.Locate("BDDATA", {afternoon})) << order;
    EXPECT_EQ(ds.FieldByName("BDCHAVE").AsInteger(), 1) << order;
    EXPECT_EQ(ds.Lookup("BDCHAVE;BDDATA", {2, EncodeDateTime(2024, 3, 6, 23, 59, 0)}, "BDCHAVE").AsInteger(), 2);
  }
  ds.Last();
  EXPECT_TRUE(ds.FindKey({afternoon}));
  EXPECT_EQ(ds.FieldByName("BDCHAVE").AsInteger(), 1);
  ds.SetRange({afternoon}, {afternoon});
  EXPECT_EQ(ds.RecordCount(), 1);
  ds.SetRange({afternoon}, {EncodeDateTime(2024, 3, 6, 8, 0, 0)});
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(ClientDataSetIndexes, LocateAndLookup) {
  auto ds = MakeParcelas();
  ds->AppendRecord({1, 1, "Maria"});
  ds->AppendRecord({2, 1, "maria"});
  ds->AppendRecord({3, 1, "José"});
  for (const char* order : {"", "BDNOME;BDCHAVE"}) {
    ds->SetIndexFieldNames(order);
    EXPECT_TRUE(ds->Locate("BDNOME", {"maria"}));
    EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 2) << order;
    EXPECT_TRUE(ds->Locate("bdnome", {"MARIA"}, loCaseInsensitive));
    EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 1) << order;
    EXPECT_FALSE(ds->Locate("BDNOME", {"jos"}, loPartialKey));
    EXPECT_TRUE(ds->Locate("BDNOME", {"jos"}, loPartialKey | loCaseInsensitive));
    EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 3) << order;
    EXPECT_FALSE(ds->Locate("BDNOME", {"jose"}));
    EXPECT_TRUE(ds->Locate("BDNOME", {"jose"}, loCaseInsensitive));
    EXPECT_TRUE(ds->Locate("BDCHAVE;BDNOME", {3, "José"}));
    EXPECT_EQ(ds->Lookup("BDCHAVE", {2}, "BDNOME").AsString(), "maria");
    EXPECT_TRUE(ds->Lookup("BDCHAVE", {9}, "BDNOME").IsNull());
  }
}

TEST(ClientDataSetMasterDetail, DetailFollowsTheMaster) {
  TClientDataSet master;
  master.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  master.CreateDataSet();
  for (int k : {10, 20, 30}) master.AppendRecord({k});
  auto det = MakeParcelas();
  det->AppendRecord({20, 1, "b1"});
  det->AppendRecord({10, 1, "a1"});
  det->AppendRecord({20, 2, "b2"});
  det->AppendRecord({40, 1, "x"});
  TDataSource src(nullptr, &master);
  det->SetMasterFields("BDCHAVE");
  det->SetMasterSource(&src);
  master.First();
  EXPECT_EQ(Column(*det, "BDNOME"), S({"a1"}));
  master.Next();
  EXPECT_EQ(Column(*det, "BDNOME"), S({"b1", "b2"}));
  // New detail rows take the master's key.
  det->Append();
  EXPECT_EQ(det->FieldByName("BDCHAVE").AsInteger(), 20);
  det->FieldByName("BDNOME").SetValue("b3");
  det->Post();
  EXPECT_EQ(det->RecordCount(), 3);
  master.Next();
  EXPECT_TRUE(det->IsEmpty());
  // The master's post that changes its key moves the detail along.
  master.Edit();
  master.FieldByName("BDCHAVE").SetValue(40);
  master.Post();
  EXPECT_EQ(Column(*det, "BDNOME"), S({"x"}));
  // A detail row whose key changes leaves the view.
  det->First();
  det->Edit();
  det->FieldByName("BDCHAVE").SetValue(10);
  det->Post();
  EXPECT_TRUE(det->IsEmpty());
  // With an index of its own, the detail matches on its leading fields.
  det->SetIndexFieldNames("BDCHAVE;BDORDEMPAR");
  master.First();
  EXPECT_EQ(Column(*det, "BDNOME"), S({"a1", "x"}));
  // A master row being inserted has no detail rows until its key is set.
  master.Append();
  EXPECT_TRUE(det->IsEmpty());
  master.FieldByName("BDCHAVE").SetValue(10);
  EXPECT_EQ(det->RecordCount(), 2);
  master.Cancel();
  det->SetMasterSource(nullptr);
  EXPECT_EQ(det->RecordCount(), 5);
  det->SetMasterSource(&src);
  EXPECT_EQ(det->RecordCount(), 2);
  master.EmptyDataSet();
  EXPECT_TRUE(det->IsEmpty());
}

// Rows loaded in bulk tell the details once, at the end; the detail is never left on a stale key.
TEST(ClientDataSetMasterDetail, BulkLoadTellsTheDetailsOnceAtTheEnd) {
  TClientDataSet master;
  master.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  master.CreateDataSet();
  auto det = MakeParcelas();
  det->AppendRecord({10, 1, "a1"});
  det->AppendRecord({30, 1, "c1"});
  TDataSource src(nullptr, &master);
  det->SetMasterFields("BDCHAVE");
  det->SetMasterSource(&src);
  int scrolls = 0;
  det->AfterScroll = [&](TClientDataSet&) { ++scrolls; };
  {
    TBulkLoad lote(master);
    for (int k : {10, 20, 30}) master.AppendRecord({k});
    EXPECT_EQ(scrolls, 0);
    TBulkLoad dentro(master);   // nested loads tell nothing until the outer one ends
  }
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(Column(*det, "BDNOME"), S({"c1"}));
  master.First();
  EXPECT_EQ(Column(*det, "BDNOME"), S({"a1"}));
}

TEST(ClientDataSetMasterDetail, SourceDestroyedFirstDetachesTheDetail) {
  TClientDataSet master;
  master.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  master.CreateDataSet();
  master.AppendRecord({1});
  auto det = MakeParcelas();
  det->AppendRecord({1, 1, "a"});
  det->AppendRecord({2, 1, "b"});
  {
    TDataSource src(nullptr, &master);
    det->SetMasterFields("BDCHAVE");
    det->SetMasterSource(&src);
    EXPECT_EQ(det->RecordCount(), 1);
  }
  EXPECT_EQ(det->MasterSource(), nullptr);
  EXPECT_EQ(det->RecordCount(), 2);
}

TEST(ClientDataSetClone, CursorsShareRowsButNotSettings) {
  auto ds = MakeParcelas();
  for (int i = 1; i <= 6; ++i) ds->AppendRecord({i, i % 2, std::string(1, static_cast<char>('a' + i - 1))});
  TClientDataSet clone;
  clone.CloneCursor(*ds);
  clone.SetFilter("BDORDEMPAR = 1");
  clone.SetFiltered(true);
  clone.SetIndexFieldNames("BDNOME");
  EXPECT_EQ(Column(clone, "BDCHAVE"), S({"1", "3", "5"}));
  EXPECT_EQ(ds->RecordCount(), 6);
  // Rows posted through one cursor are seen by the other, through its own filter and order.
  ds->AppendRecord({7, 1, "0"});
  EXPECT_EQ(Column(clone, "BDCHAVE"), S({"7", "1", "3", "5"}));
  clone.Last();
  clone.Edit();
  clone.FieldByName("BDORDEMPAR").SetValue(0);
  clone.Post();
  EXPECT_EQ(clone.RecordCount(), 3);
  EXPECT_TRUE(ds->Locate("BDCHAVE", {5}));
  EXPECT_EQ(ds->FieldByName("BDORDEMPAR").AsInteger(), 0);
  // Deleting through the clone moves the other cursor off the row.
  ds->Locate("BDCHAVE", {3});
  clone.Locate("BDCHAVE", {3});
  clone.Delete();
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 4);
  EXPECT_EQ(ds->RecordCount(), 6);
  // reset = false copies index and filter.
  TClientDataSet copy;
  copy.CloneCursor(clone, false);
  EXPECT_EQ(Column(copy, "BDCHAVE"), S({"7", "1"}));
  ds->EmptyDataSet();
  EXPECT_TRUE(clone.IsEmpty() && copy.IsEmpty());
}

TEST(ClientDataSetEditing, PostRepositionsUnderIndexAndFilter) {
  auto ds = MakeParcelas();
  for (int i = 1; i <= 5; ++i) ds->AppendRecord({i * 10, 0, "n" + std::to_string(i)});
  ds->SetIndexFieldNames("BDCHAVE");
  ds->FindKey({20});
  ds->Edit();
  ds->FieldByName("BDCHAVE").SetValue(99);
  ds->Post();
  EXPECT_EQ(ds->FieldByName("BDNOME").AsString(), "n2");  // the cursor follows its row
  EXPECT_EQ(ds->RecNo(), 5);
  EXPECT_TRUE(ds->Eof() == false);
  EXPECT_EQ(Column(*ds, "BDCHAVE"), S({"10", "30", "40", "50", "99"}));
  // Marking every row of a filter makes each leave the view: the loop sees each row once.
  ds->SetFilter("BDORDEMPAR = 0");
  ds->SetFiltered(true);
  int visits = 0;
  for (ds->First(); !ds->Eof(); ++visits) {
    ds->Edit();
    ds->FieldByName("BDORDEMPAR").SetValue(1);
    ds->Post();
  }
  EXPECT_EQ(visits, 5);
  EXPECT_TRUE(ds->IsEmpty());
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5);
  // A new row that the filter rejects is stored but not shown.
  ds->SetFiltered(true);
  ds->AppendRecord({1, 1, "hidden"});
  EXPECT_TRUE(ds->IsEmpty());
  ds->SetFilter("BDORDEMPAR = 1 and BDCHAVE < 35");
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"hidden", "n1", "n3"}));
}

// An edit of fields that no cursor orders, ranges or filters by leaves every cursor on the row, where
// it was; one that takes the row out of a cursor's range moves that cursor to the next row.
TEST(ClientDataSetEditing, AnEditOutsideEveryOrderKeepsEachCursorOnItsRow) {
  auto ds = MakeParcelas();
  for (int i = 1; i <= 5; ++i) ds->AppendRecord({i * 10, 0, "n" + std::to_string(i)});
  ds->SetIndexFieldNames("BDCHAVE");
  ds->SetRange({20}, {40});
  TClientDataSet outro;
  outro.CloneCursor(*ds);
  outro.SetIndexFieldNames("BDCHAVE");
  ASSERT_TRUE(ds->FindKey({30}));
  ASSERT_TRUE(outro.FindKey({30}));
  ds->Edit();
  ds->FieldByName("BDNOME").SetValue("mudado");
  ds->FieldByName("BDVALOR").SetValue(Currency::FromInt(5));
  ds->Post();
  for (TClientDataSet* c : {ds.get(), &outro}) {
    EXPECT_EQ(c->FieldByName("BDCHAVE").AsInteger(), 30);
    EXPECT_EQ(c->FieldByName("BDNOME").AsString(), "mudado");
    EXPECT_FALSE(c->Eof());
  }
  EXPECT_EQ(ds->RecNo(), 2);
  ds->Edit();
  ds->FieldByName("BDCHAVE").SetValue(45);
  ds->Post();
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 40);
  EXPECT_EQ(Column(*ds, "BDNOME"), S({"n2", "n4"}));
  EXPECT_EQ(outro.FieldByName("BDCHAVE").AsInteger(), 45);
}

// An edit sees the fields it did not set as the row held them when it began, also after another cursor
// posted the row meanwhile, and its post writes the row as it sees it; a required field it left empty is
// refused, one the row fills is not.
TEST(ClientDataSetEditing, AnEditSeesTheRowAsItBeganWhateverAnotherCursorPosts) {
  TClientDataSet ds;
  ds.AddFieldDef("ID", TFieldType::ftInteger, 0, true);
  ds.AddFieldDef("NOME", TFieldType::ftString, 10);
  ds.AddFieldDef("VALOR", TFieldType::ftCurrency);
  ds.AddFieldDef("OBS", TFieldType::ftString, 10, true);
  ds.CreateDataSet();
  ds.AppendRecord({1, "a", Currency::FromInt(5), "x"});
  TClientDataSet outro;
  outro.CloneCursor(ds);
  outro.First();
  ds.Edit();
  ds.FieldByName("VALOR").SetValue(Currency::FromInt(7));
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "a");
  outro.Edit();
  outro.FieldByName("NOME").SetValue("b");
  outro.FieldByName("OBS").SetValue("y");
  outro.Post();
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "a");
  EXPECT_EQ(ds.FieldByName("OBS").AsString(), "x");
  EXPECT_EQ(ds.FieldByName("VALOR").AsCurrency(), Currency::FromInt(7));
  ds.Post();
  for (TClientDataSet* c : {&ds, &outro}) {
    EXPECT_EQ(c->FieldByName("NOME").AsString(), "a");
    EXPECT_EQ(c->FieldByName("VALOR").AsCurrency(), Currency::FromInt(7));
    EXPECT_EQ(c->FieldByName("OBS").AsString(), "x");
  }
  ds.Edit();
  ds.FieldByName("NOME").SetValue("c");
  ds.Post();   // OBS, untouched, is filled in the row
  ds.Edit();
  ds.FieldByName("OBS").Clear();
  EXPECT_THROW(ds.Post(), EDataSetError);
  ds.Cancel();
  EXPECT_EQ(outro.FieldByName("NOME").AsString(), "c");
  EXPECT_EQ(outro.FieldByName("OBS").AsString(), "x");
}

TEST(ClientDataSetEditing, DeleteMovesToTheNextRow) {
  auto ds = MakeParcelas();
  for (int i = 1; i <= 5; ++i) ds->AppendRecord({i, 0, std::to_string(i)});
  ds->SetRecNo(2);
  ds->Delete();
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 3);
  EXPECT_FALSE(ds->Eof());
  ds->Last();
  ds->Delete();
  EXPECT_EQ(ds->FieldByName("BDCHAVE").AsInteger(), 4);
  EXPECT_TRUE(ds->Eof());
  // The usual loop deletes exactly the rows it means to.
  ds->AppendRecord({6, 0, "6"});
  for (ds->First(); !ds->Eof();) {
    if (ds->FieldByName("BDCHAVE").AsInteger() % 2 == 0) ds->Delete(); else ds->Next();
  }
  EXPECT_EQ(Column(*ds, "BDCHAVE"), S({"1", "3"}));
  TBookmark gone = ds->GetBookmark();
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(gone));
  EXPECT_THROW(ds->GotoBookmark(gone), EDataSetError);
  ds->Delete();
  EXPECT_TRUE(ds->IsEmpty() && ds->Eof() && ds->Bof());
  EXPECT_THROW(ds->Delete(), EDataSetError);
}

// A data set bound to a table, whose write to the table fails.
class FailingTable : public TClientDataSet {
 public:
  bool failWrite = false, failDelete = false;

 protected:
  void DoBeforeWrite(bool) override {
    if (failWrite) throw EDataSetError("gravação recusada");
  }
  void DoBeforeDeleteRow() override {
    if (failDelete) throw EDataSetError("exclusão recusada");
  }
};

TEST(ClientDataSetEditing, ThrowingHookLeavesTheDataAsItWas) {
  FailingTable t;
  t.AddFieldDef("ID", TFieldType::ftInteger);
  t.AddFieldDef("NOME", TFieldType::ftString);
  t.CreateDataSet();
  t.AppendRecord({1, "um"});
  t.AppendRecord({2, "dois"});
  t.SetIndexFieldNames("ID");
  t.failWrite = t.failDelete = true;
  t.First();
  t.Edit();
  t.FieldByName("ID").SetValue(9);
  EXPECT_THROW(t.Post(), EDataSetError);
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  EXPECT_EQ(t.FieldByName("ID").AsInteger(), 9);
  t.Cancel();
  EXPECT_EQ(Column(t, "NOME"), S({"um", "dois"}));
  EXPECT_TRUE(t.FindKey({1}));
  EXPECT_THROW(t.AppendRecord({3, "três"}), EDataSetError);
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.RecordCount(), 2);
  t.First();
  EXPECT_THROW(t.Delete(), EDataSetError);
  EXPECT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(t.FieldByName("NOME").AsString(), "um");
  t.failWrite = false;
  t.Edit();
  t.FieldByName("ID").SetValue(5);
  t.Post();
  EXPECT_EQ(Column(t, "ID"), S({"2", "5"}));
}

// Random edits through an indexed, filtered cursor and a plain clone, checked against a model.
TEST(ClientDataSetEditing, RandomChangesKeepEveryViewConsistent) {
  auto ds = MakeParcelas();
  TClientDataSet plain;
  plain.CloneCursor(*ds);
  ds->SetIndexFieldNames("BDORDEMPAR;BDCHAVE");
  ds->SetFilter("BDORDEMPAR <> 3");
  ds->SetFiltered(true);
  std::mt19937 rng(7);
  std::map<int, int> model;  // BDCHAVE -> BDORDEMPAR
  int nextKey = 0;
  auto check = [&] {
    std::vector<std::pair<int, int>> want;
    for (auto [k, o] : model)
      if (o != 3) want.push_back({o, k});
    std::sort(want.begin(), want.end());
    std::vector<std::pair<int, int>> got;
    for (ds->First(); !ds->Eof(); ds->Next())
      got.push_back({static_cast<int>(ds->FieldByName("BDORDEMPAR").AsInteger()), static_cast<int>(ds->FieldByName("BDCHAVE").AsInteger())});
    ASSERT_EQ(got, want);
    ASSERT_EQ(plain.RecordCount(), static_cast<int>(model.size()));
  };
  for (int step = 0; step < 6000; ++step) {
    int op = static_cast<int>(rng() % 10);
    if (op < 5 || model.empty()) {
      int o = static_cast<int>(rng() % 6);
      (op == 0 ? static_cast<TClientDataSet&>(plain) : *ds).AppendRecord({nextKey, o});
      model[nextKey++] = o;
    } else if (op < 8) {
      if (ds->IsEmpty()) continue;
      ds->SetRecNo(1 + static_cast<int>(rng() % static_cast<unsigned>(ds->RecordCount())));
      int o = static_cast<int>(rng() % 6);
      int key = static_cast<int>(ds->FieldByName("BDCHAVE").AsInteger());
      ds->Edit();
      ds->FieldByName("BDORDEMPAR").SetValue(o);
      ds->Post();
      model[key] = o;
    } else {
      plain.SetRecNo(1 + static_cast<int>(rng() % static_cast<unsigned>(plain.RecordCount())));
      model.erase(static_cast<int>(plain.FieldByName("BDCHAVE").AsInteger()));
      plain.Delete();
    }
    if (step % 500 == 0) check();
  }
  check();
}

}  // namespace
}  // namespace vyn
