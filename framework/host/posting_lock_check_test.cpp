#include "framework/host/posting_lock_check.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/ui/inconsistencias.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

class PostingLockTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP) VALUES (12)");
    Db().Execute("INSERT INTO TEMPRESAS (BDCODEMP) VALUES (13)");
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDULTENC) VALUES (12, 202301, '2023-06-30')");
    Db().Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDULTENC) VALUES (12, 202401, '2023-12-31')");
    Db().Execute("INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (1, 12, 'frLancamento', '2024-03-01', '2024-03-31', "
                 "'Fechamento mensal')");
    ProcessContext().PostingLocks = &check_;
  }
  TVerificaBloqueioLancamento check_;
};

TEST_F(PostingLockTest, LockRowsApplyToTheirCompanyScreenAndPeriod) {
  TBloqueioLancamento_VYN bloqueio;
  EXPECT_TRUE(bloqueio.Execute(12, EncodeDate(2024, 3, 31), EncodeDate(2024, 4, 30), "FRLANCAMENTO"));
  EXPECT_EQ(check_.UltimoTipo(), tbBloqueioLancamento);
  ASSERT_EQ(bloqueio.Inconsistencias()->CountErros(), 1);
  EXPECT_EQ(bloqueio.Inconsistencias()->Itens()[0].Caption,
            "Existe bloqueio de lançamentos da empresa 12 no período de 01/03/2024 a 31/03/2024. "
            "Motivo: Fechamento mensal");
  EXPECT_EQ(bloqueio.Inconsistencias()->Itens()[0].CodEmp, 12);

  EXPECT_FALSE(bloqueio.Execute(12, EncodeDate(2024, 4, 1), EncodeDate(2024, 4, 30), "frLancamento"));
  EXPECT_FALSE(bloqueio.Execute(12, EncodeDate(2024, 2, 1), EncodeDate(2024, 2, 29), "frLancamento"));
  EXPECT_FALSE(bloqueio.Execute(12, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), "frOutraTela"));
  EXPECT_FALSE(bloqueio.Execute(13, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), "frLancamento"));
  EXPECT_EQ(check_.UltimoTipo(), tbNenhum);
  // One date alone is checked by itself.
  EXPECT_TRUE(bloqueio.Execute(12, TDateTime(), EncodeDate(2024, 3, 15), "frLancamento"));
  EXPECT_EQ(bloqueio.Inconsistencias()->CountErros(), 2);
}

TEST_F(PostingLockTest, AZeroingOfTheResultAccountsLocksEveryScreenAndSaysSo) {
  Db().Execute("INSERT INTO TPROCESSO_ZERAMENTO VALUES (12, '2024-03-15', '2024-05-31')");
  std::string msg;
  EXPECT_TRUE(check_.Locked(12, EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), "frLancamento", 0, 4, msg));
  EXPECT_EQ(check_.UltimoTipo(), tbZeramento);
  EXPECT_EQ(msg, "Existe processo de zeramento da empresa 12 no período de 15/03/2024 a 31/05/2024.");
  EXPECT_TRUE(check_.Locked(12, EncodeDate(2024, 5, 1), EncodeDate(2024, 5, 31), "frOutraTela", 0, 4, msg));
  EXPECT_EQ(check_.UltimoTipo(), tbZeramento);
  EXPECT_FALSE(check_.Locked(12, EncodeDate(2024, 6, 1), EncodeDate(2024, 6, 30), "frOutraTela", 0, 4, msg));
}

TEST_F(PostingLockTest, PeriodsUpToTheLastClosingAreLocked) {
  std::string msg;
  EXPECT_TRUE(check_.Locked(12, EncodeDate(2023, 12, 31), EncodeDate(2024, 1, 31), "frOutraTela", 0, 4, msg));
  EXPECT_EQ(check_.UltimoTipo(), tbEncerramento);
  EXPECT_EQ(msg, "O período da empresa 12 está encerrado até 31/12/2023.");
  EXPECT_FALSE(check_.Locked(12, EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 31), "frOutraTela", 0, 4, msg));
  EXPECT_EQ(msg, "");
  EXPECT_FALSE(check_.Locked(13, EncodeDate(2020, 1, 1), EncodeDate(2020, 1, 31), "frOutraTela", 0, 4, msg));
  // A lock row over a closed period is what the screen is told, before the closing; without a motive
  // the message ends at the period.
  Db().Execute("INSERT INTO TBLOQUEIO_LANCAMENTO VALUES (2, 12, 'frLancamento', '2023-12-01', '2023-12-31', null)");
  EXPECT_TRUE(check_.Locked(12, EncodeDate(2023, 12, 10), EncodeDate(2023, 12, 10), "frLancamento", 0, 4, msg));
  EXPECT_EQ(check_.UltimoTipo(), tbBloqueioLancamento);
  EXPECT_EQ(msg, "Existe bloqueio de lançamentos da empresa 12 no período de 01/12/2023 a 31/12/2023.");
}

}  // namespace
}  // namespace vyn
