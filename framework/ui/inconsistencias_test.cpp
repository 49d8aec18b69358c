#include "framework/ui/inconsistencias.h"

#include <gtest/gtest.h>

#include "framework/ui/dialogs.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"

namespace vyn {
namespace {

TEST(Inconsistencias, GroupsByCompanyCountsLevelsAndDropsCarets) {
  TInconsistencias_VYN l;
  l.Add_Erro(20, "Conta ^Omie sem preparação");
  l.Add_Atencao(10, "Sem notas");
  l.SetEmpresaAtual(20);
  l.Add_Informativo("^Processo ^Ok");
  l.Add_Erro("Falhou", true, nullptr, ciNenhum, nullptr, "");
  l.Add_Informacao(0, "Geral");
  EXPECT_EQ(l.Count(), 5);
  EXPECT_EQ(l.CountErros(), 2);
  EXPECT_EQ(l.CountAtencao(), 1);
  EXPECT_EQ(l.CountInformativo(), 2);
  EXPECT_EQ(l.Grupos(), (std::vector<int>{20, 10, 0}));
  auto g20 = l.ItensDoGrupo(20);
  ASSERT_EQ(g20.size(), 3u);
  EXPECT_EQ(g20[0].Caption, "Conta Omie sem preparação");
  EXPECT_EQ(g20[1].Caption, "Processo Ok");
  EXPECT_EQ(l.RemoveTexto("^Falhou"), 1);
  l.Clear();
  EXPECT_TRUE(l.IsEmpty());
}

TEST(Inconsistencias, ShownThroughTheDialogServiceNeverInAnUnattendedRun) {
  TScriptedDialogs dialogs;
  TInconsistencias_VYN l;
  l.Execute();   // empty: nothing shown
  l.Add_Atencao(3, "a");
  l.Add_Erro(3, "e");
  l.Execute(true, false, true, true, "^Lista");
  ASSERT_EQ(dialogs.Calls().size(), 1u);
  EXPECT_EQ(dialogs.Calls()[0].Text, "Lista");
  EXPECT_EQ(dialogs.Calls()[0].Items, (std::vector<std::string>{"[E] 3: e"}));
  TUnattendedScope unattended;
  l.Show();
  EXPECT_EQ(dialogs.Calls().size(), 1u);
}

TEST(Dialogs, CaretsAreRemovedAndConfirmationsLogged) {
  TScriptedDialogs dialogs;
  TLogEvent log;
  dialogs.Ok("Omie").Yes("Deseja").Answer("Aguardar", mrNo);
  DlgInfOk("Integração ^Omie");
  EXPECT_TRUE(DlgConfirmaLog("Deseja ^recontabilizar?", &log));
  EXPECT_EQ(MessageDlgVYNGlobal("Aguardar?", mtConfirmation, mbYes | mbNo, {"Aguardar a conclusão", "Receber notificação"},
                                0, &log),
            mrNo);
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"Integração Omie", "Deseja recontabilizar?", "Aguardar?"}));
  EXPECT_EQ(log.Linhas(),
            (std::vector<std::string>{"Deseja recontabilizar? Sim", "Mensagem: \"Aguardar?\". Resposta: \"Não\""}));
  log.Logger();
  ASSERT_EQ(log.Records().size(), 1u);
  EXPECT_EQ(log.Records()[0].Texto(), "Deseja recontabilizar? Sim\r\nMensagem: \"Aguardar?\". Resposta: \"Não\"");
  EXPECT_TRUE(log.Linhas().empty());

  // A dialog nobody expected fails with its text.
  try {
    DlgWarOk("Nenhum imposto selecionado!");
    FAIL();
  } catch (const EUnexpectedDialog& e) {
    EXPECT_NE(std::string(e.what()).find("Nenhum imposto selecionado!"), std::string::npos);
  }
}

}  // namespace
}  // namespace vyn
