#include "framework/ui/log_event.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

using LogEventDatabase = CompanyDatabaseTest;

TEST_F(LogEventDatabase, EachActionIsOneRowWithItsLines) {
  ProcessContext().UserCode = 5;
  ProcessContext().UserName = "Ana";
  TScriptedDialogs dialogs;
  dialogs.Yes();
  TComponent screen;
  auto* log = screen.Create<TLogEvent>(logProcesso, 42, "TfrProcessoTeste", "Teste");
  log->AddAcao("Início do ^processo", "", true);
  DlgConfSimNao("Confirma o processo d'^Ana?", log);
  log->GravarLog(false);
  log->GravarLog(false);   // nothing collected since: no second row
  auto rows = Db().QueryAll("SELECT BDCODEMP, BDTIPOACAO, BDTELA, BDNOMEUSU, BDTEXTO FROM VYN_LOG_EVENTO");
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Value(0, "BDCODEMP").AsInteger(), 42);
  EXPECT_EQ(rows.Value(0, "BDTIPOACAO").AsInteger(), logProcesso);
  EXPECT_EQ(rows.Value(0, "BDTELA").AsString(), "TfrProcessoTeste");
  EXPECT_EQ(rows.Value(0, "BDNOMEUSU").AsString(), "Ana");
  EXPECT_EQ(rows.Value(0, "BDTEXTO").AsString(),
            "Início do processo\r\n\r\nMensagem: \"Confirma o processo d'Ana?\". Resposta: \"Sim\"");
  EXPECT_TRUE(log->Records().empty());
  ProcessContext().UserCode = 0;
  ProcessContext().UserName.clear();
}

}  // namespace
}  // namespace vyn
