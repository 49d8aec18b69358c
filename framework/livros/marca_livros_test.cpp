// The books' boundary at run time: on the module's attachment, a write to a money table that the gate
// did not mark is refused by the database, whatever call makes it; the gate's own writes, other
// programs' attachments and seeds that say what they are write as before.
#include "framework/livros/marca_livros.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "framework/data/client_dataset.h"
#include "framework/data/insere_linha.h"
#include "framework/data/tabelas_livros.h"
#include "framework/host/update_or_insert.h"
#include "framework/livros/baixa_pagamento.h"
#include "framework/livros/livros.h"
#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

constexpr const char* kRecusa = " só é gravada pelos livros: esta gravação não passou por eles.";

class MarcaLivrosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    // What the suite's other modules left: an entry, a tax guide with a payment.
    TEscritaForaDoModulo suite(Db());
    seed::AddStandardCompany(Db(), 202401);
    Db().Execute("insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (1, 10, '2024-01-05', 1)");
    Db().Execute("insert into TDARFGERPGTO (BDCODEMP, BDCHAVEDARF, BDVALOR, BDSALDOAPAGAR) values (1, 55, 100, 60)");
    Db().Execute("insert into TDARFGERPGTO_BAIXA (BDCODEMP, BDCHAVEDARF, BDSEQ, BDDATAPGTO, BDVALORPGTO) "
                 "values (1, 55, 1, '2024-01-10', 40)");
  }
  // Everything those rows hold, to show that a refused writer changed nothing.
  std::string Estado() {
    std::string s;
    for (const char* sql : {"select BDCHAVE, BDVALOR from VZEL_EMPRESAS_TLAN order by 1",
                            "select BDCHAVEDARF, BDVALOR, BDSALDOAPAGAR from TDARFGERPGTO order by 1",
                            "select BDSEQ, BDVALORPGTO from TDARFGERPGTO_BAIXA order by 1",
                            "select count(*) from VZEL_EMP_TVINC_BAIXA_LANC"})
      for (const auto& linha : Db().QueryAll(sql).Rows)
        for (const Variant& v : linha) s += v.AsString() + ";";
    return s;
  }
  // The writer raised the database's refusal naming tabela.
  void Recusado(const std::string& tabela, const std::function<void()>& escritor) {
    try {
      escritor();
      ADD_FAILURE() << "gravou " << tabela;
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find("A tabela " + tabela + kRecusa), std::string::npos) << e.what();
    }
  }
};

TEST_F(MarcaLivrosTest, EveryKindOfWriterAroundTheGateIsRefusedNamingTheTable) {
  const std::string antes = Estado();
  Db().Execute("create table T_OUTRA (ID integer)");
  Db().Execute("create trigger T_OUTRA_LIVROS for T_OUTRA after insert as begin "
               "delete from VZEL_EMPRESAS_TLAN where BDCODEMP = 1; end");
  const std::filesystem::path arquivo = std::filesystem::temp_directory_path() / "escritor_livros.sql";
  std::ofstream(arquivo) << "update TDARFGERPGTO set BDSALDOAPAGAR = 0 where BDCHAVEDARF = 55\n";

  const std::vector<std::pair<std::string, std::function<void()>>> escritores = {
      {kTabelaVinculosLancados, [&] {   // a table named by its constant
         Db().Execute(std::string("insert into ") + kTabelaVinculosLancados +
                          " (BDCODEMP, BDSESSAO, BDIDVINCULO, BDVINCULO, BDTIPOBAIXA, BDVALOR, BDCHAVELAN) "
                          "values (1, 1, 1, 'x', 1, 1, 10)");
       }},
      {"TDARFGERPGTO_BAIXA", [&] { Db().Execute(fmt::format("delete from {} where BDCODEMP = 1", "TDARFGERPGTO_BAIXA")); }},
      {"VZEL_EMPRESAS_TLAN", [&] {   // a row inserter bound to the ledger
         TClientDataSet ds;
         ds.AddFieldDef("BDCODEMP", TFieldType::ftInteger);
         ds.AddFieldDef("BDCHAVE", TFieldType::ftInteger);
         ds.AddFieldDef("BDDATA", TFieldType::ftDate);
         ds.CreateDataSet();
         ds.AppendRecord({Variant(1), Variant(11), Variant(EncodeDate(2024, 1, 6))});
         TInsereLinha(Db(), kTabelasDosLivros[0].data()).Insere(ds);
       }},
      {"TDARFGERPGTO", [&] {
         getUpdateOrInsert_VYN("TDARFGERPGTO", {"BDCODEMP", "BDCHAVEDARF", "BDSALDOAPAGAR"}, {1, 55, 0},
                               {"BDCODEMP", "BDCHAVEDARF"})
             .Execute(Db());
       }},
      {"VZEL_EMPRESAS_TLAN", [&] { Db().Execute("insert into T_OUTRA (ID) values (1)"); }},   // another table's trigger
      {"TDARFGERPGTO", [&] {   // a script file's statements
         std::ifstream in(arquivo);
         std::string linha;
         std::vector<std::string> script;
         while (std::getline(in, linha)) script.push_back(linha);
         Db().ExecuteScriptOrThrow(script);
       }},
      {"VZEL_EMPRESAS_TLAN", [&] { Db().Execute("execute block as begin update VZEL_EMPRESAS_TLAN set BDVALOR = 0; end"); }},
      {"TDARFGERPGTO", [&] {   // a statement prepared once and kept
         Db().Prepared("update TDARFGERPGTO set BDSALDOAPAGAR = ? where BDCHAVEDARF = 55").Run({Variant(0)});
       }},
      {"VZEL_EMPRESAS_TLAN", [&] {   // a write of its own transaction, committed at once
         Db().ExecuteReturningAutonomous("update VZEL_EMPRESAS_TLAN set BDVALOR = 0 where BDCHAVE = 10 returning BDCHAVE");
       }},
  };
  for (const auto& [tabela, escritor] : escritores) {
    SCOPED_TRACE(tabela);
    Recusado(tabela, escritor);
  }
  {
    // Inside a transaction too, and the transaction stays usable for what the gate writes.
    TTransaction tr(Db());
    Recusado("VZEL_EMPRESAS_TLAN", [&] { Db().Execute("delete from VZEL_EMPRESAS_TLAN"); });
    TLivros(Db(), {}).RegistraFonte({1, TTipoFonte::ReciboPagamento, "recibo 1", "Recibo 1", 10});
    tr.Commit();
  }
  std::filesystem::remove(arquivo);
  EXPECT_EQ(Db().QueryValue("select count(*) from T_OUTRA").AsInteger(), 0);
  EXPECT_EQ(Estado(), antes);
}

TEST_F(MarcaLivrosTest, EveryMoneyTableIsGuardedFromTheOneList) {
  for (std::string_view tabela : kTabelasDosLivros) {
    SCOPED_TRACE(tabela);
    Recusado(std::string(tabela), [&] { Db().Execute("insert into " + std::string(tabela) + " default values"); });
  }
}

TEST_F(MarcaLivrosTest, TheGatesMarkLastsAsLongAsItsScope) {
  TStatement& altera = Db().Prepared("update TDARFGERPGTO set BDSALDOAPAGAR = ? where BDCHAVEDARF = 55");
  {
    TMarcaLivros marca(Db());
    altera.Run({Variant(50)});
    { TMarcaLivros dentro(Db()); }   // an inner write of the gate ends; the outer one goes on
    altera.Run({Variant(45)});
  }
  Recusado("TDARFGERPGTO", [&] { altera.Run({Variant(0)}); });
  // A gate write that fails leaves no mark behind for the next statement.
  try {
    TMarcaLivros marca(Db());
    Db().Execute("insert into TDARFGERPGTO (BDCODEMP, BDCHAVEDARF, BDVALOR) values (1, 55, 1)");
    ADD_FAILURE() << "a chave repetida passou";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(e.IsUniqueViolation()) << e.what();
  }
  Recusado("TDARFGERPGTO", [&] { altera.Run({Variant(0)}); });
  // A reopened attachment is still the module's.
  Db().Close();
  Db().Open(Company().Path());
  Recusado("TDARFGERPGTO", [&] { Db().Execute("delete from TDARFGERPGTO"); });
  EXPECT_EQ(Db().QueryValue("select BDSALDOAPAGAR from TDARFGERPGTO").AsString(), "45");
}

TEST_F(MarcaLivrosTest, OtherProgramsAndNamedSeedsWriteAsTheyAlwaysDid) {
  TLivros(Db(), {}).RegistraFonte({1, TTipoFonte::ReciboPagamento, "recibo 1", "Recibo 1", 10});
  // The suite's entry screen (or isql) deletes the entry through an attachment of its own: the source
  // the gate recorded for it is freed by the ledger's own trigger.
  {
    auto suite = Company().OpenAnother();
    EXPECT_EQ(suite->Execute("delete from VZEL_EMPRESAS_TLAN where BDCHAVE = 10"), 1);
  }
  EXPECT_EQ(Db().QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA").AsInteger(), 0);
  // A seed on the module's attachment says what it stands for, and only while it does.
  {
    TEscritaForaDoModulo seed(Db());
    Db().Execute("delete from TDARFGERPGTO_BAIXA");
  }
  Recusado("TDARFGERPGTO", [&] { Db().Execute("delete from TDARFGERPGTO"); });
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO_BAIXA").AsInteger(), 0);
}

// The payment statement's refusals come back as the database's exception; only a text that spells one of
// its answers is read as such, and anything else stays the database's error, never a payment told
// written or refused for a reason it did not have.
TEST_F(MarcaLivrosTest, APaymentStatementsRefusalIsReadOnlyFromATextThatSpellsOne) {
  auto responde = [&](const std::string& texto) {
    return GravaPagamentos(Db(), Db().Prepared("EXECUTE BLOCK AS BEGIN EXCEPTION E_BAIXA_RECUSADA '" + texto + "'; END"),
                           {});
  };
  const TRespostaPagamentos saldo = responde("BAIXA RECUSADA|1|2|12.5");
  EXPECT_EQ(saldo.Situacao, spSaldo);
  EXPECT_EQ(saldo.Pagamento, 2u);
  EXPECT_EQ(saldo.Saldo, Currency::ParseSQL("12.5"));
  const TRespostaPagamentos ocupado = responde("BAIXA RECUSADA|4|0|335544345");
  EXPECT_EQ(ocupado.Situacao, spOcupado);
  EXPECT_EQ(ocupado.Codigo, 335544345);
  for (const char* texto : {"BAIXA RECUSADA|0|0", "BAIXA RECUSADA|9|0", "BAIXA RECUSADA|1|-1|5", "BAIXA RECUSADA|x|0",
                            "outra recusa|1|0|5"}) {
    SCOPED_TRACE(texto);
    EXPECT_THROW(responde(texto), EDatabaseError);
  }
}

}  // namespace
}  // namespace vyn
