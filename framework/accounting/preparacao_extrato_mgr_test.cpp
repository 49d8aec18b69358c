#include "framework/accounting/preparacao_extrato_mgr.h"

#include <future>
#include <memory>

#include <nlohmann/json.hpp>

#include "framework/schema/seed.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class PreparacaoDyqTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddCompanyWithAccounts(Db(), 15, 15, {1001, 4001});
  }
  // Rule 7001 of Dyq as a review on db holds it, ready to be written under rule key chave.
  static std::unique_ptr<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR> Regra7001(TDatabase& db, int chave) {
    auto regras = std::make_unique<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR>(nullptr, &db);
    std::vector<std::string> recusadas;
    AdicionaPreparacoesDYQ(*regras, nlohmann::json::parse(R"([
        {"id": 7001, "texto": "TARIFA", "coincidir": false, "contrapartida": 4001, "entradaSaida": 2}])"),
                           501, 15, 1001, 1, recusadas);
    regras->First();
    regras->Edit();
    regras->FieldByName("BDCHAVE").SetValue(Variant(chave));
    regras->Post();
    return regras;
  }
  long long Conta(const char* sql) { return Db().QueryValue(sql).AsInteger(); }
};

// Two workstations storing one rule of Dyq's at once: the second waits on the rule's key, finds it
// taken once the first commits, and neither writes nor reports the rule; deleting the rule frees its id.
TEST_F(PreparacaoDyqTest, TwoWorkstationsStoringOneDyqRuleStoreItOnceAndOnlyTheFirstReportsIt) {
  auto outra = Company().OpenAnother();
  auto minhas = Regra7001(Db(), 41);
  auto dela = Regra7001(*outra, 42);

  TTransaction primeira(Db());
  EXPECT_EQ(minhas->GravaRegras(Db()), 1);
  auto segunda = std::async(std::launch::async, [&] {
    TTransaction t(*outra);
    const int n = dela->GravaRegras(*outra);
    t.Commit();
    return n;
  });
  EXPECT_EQ(segunda.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout)
      << "the second workstation waits for the first's rules";
  primeira.Commit();
  EXPECT_EQ(segunda.get(), 0);

  EXPECT_EQ(Conta("select count(*) from VZEL_EMP_TPRE_EXT_BANCARIO where BDCOMPL = 'TARIFA'"), 1);
  EXPECT_EQ(Conta("select BDCHAVE from TINTEGRACAO_DYQ_PREP_GRAVADA where BDCODEMP = 15 and BDIDWEB = 7001"), 41);
  EXPECT_EQ(minhas->IdsPreparacoesDYQ(), std::vector<int64_t>{7001});
  EXPECT_TRUE(dela->IdsPreparacoesDYQ().empty()) << "Dyq hears of the rule from the workstation that stored it";

  Db().Execute("delete from VZEL_EMP_TPRE_EXT_BANCARIO where BDCHAVE = 41");
  EXPECT_EQ(Conta("select count(*) from TINTEGRACAO_DYQ_PREP_GRAVADA"), 0) << "a deleted rule frees its Dyq id";
  auto depois = Regra7001(Db(), 43);
  EXPECT_EQ(depois->GravaRegras(Db()), 1);
  EXPECT_EQ(Conta("select BDCHAVE from TINTEGRACAO_DYQ_PREP_GRAVADA where BDIDWEB = 7001"), 43);
}

}  // namespace
}  // namespace vyn
