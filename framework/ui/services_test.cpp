#include <gtest/gtest.h>

#include <sstream>

#include "framework/component/process_context.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/processo_padrao.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/terminal_dialogs.h"

namespace vyn {
namespace {

TEST(TerminalDialogs, AnswersFromPresetsThenInputAndEndOfInputIsCancel) {
  std::istringstream in("x\nn\n");
  std::ostringstream out;
  TTerminalDialogs t(in, out);
  IDialogService* saved = ProcessContext().Dialogs;
  ProcessContext().Dialogs = &t;
  t.PresetAnswers({mrYes});
  EXPECT_EQ(DlgConfSimNao("Primeira?"), mrYes);
  EXPECT_EQ(DlgConfSimNao("Segunda?"), mrNo);      // "x" is no answer: asked again
  EXPECT_EQ(DlgConfSimNao("Terceira?"), mrCancel); // the input ended: the box was closed
  DlgInfOk("Aviso ^sem resposta");                 // a notice waits for nobody
  EXPECT_NE(out.str().find("[Informação] Aviso sem resposta"), std::string::npos);
  DlgWarOk("Faltou preparar 4 conta(s).\rTecle F6 para preparar");   // both lines readable
  EXPECT_NE(out.str().find("[Aviso] Faltou preparar 4 conta(s).\nTecle F6 para preparar\n"), std::string::npos);
  EXPECT_NE(out.str().find("7) Não"), std::string::npos);
  TInconsistencias_VYN l;
  l.Add_Erro(12, "Falta a conta\rna filial");
  l.Show("Resultado");
  EXPECT_NE(out.str().find("Empresa 12:\n  Erro: Falta a conta\nna filial\n"), std::string::npos);
  ProcessContext().Dialogs = saved;
}

TEST(TerminalDialogs, EndlessWrongInputClosesTheBoxAndAPresetThatIsNoButtonIsAnError) {
  std::string lixo;
  for (int i = 0; i < 50; ++i) lixo += "x\n";
  std::istringstream in(lixo + "s\n");
  std::ostringstream out;
  TTerminalDialogs t(in, out);
  TDialogRequest r;
  r.Text = "Continuar?";
  r.Buttons = mbYes | mbNo;
  EXPECT_EQ(t.Message(r), mrCancel);
  std::string resto;
  std::getline(in, resto);
  EXPECT_EQ(resto, "x");   // gave up long before the input ended

  t.PresetAnswers({mrOk, mrCancel});
  try {
    t.Message(r);
    FAIL() << "a preset Ok answered a Yes/No box";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "resposta preparada 1 (Ok) não é um dos botões de \"Continuar?\": 6 (Sim), 7 (Não)");
  }
  EXPECT_EQ(t.Message(r), mrCancel);   // Cancel closes any box
}

struct LockedBefore2024 : IPostingLockCheck {
  bool Locked(int, TDateTime inicio, TDateTime, const std::string& tela, int, int, std::string& message) override {
    message = "Período bloqueado para " + tela;
    return inicio < EncodeDate(2024, 1, 1);
  }
};

TEST(ProcessoServices, RightsPromptAndPostingLockOfAScreen) {
  TScriptedDialogs dialogs;
  struct T : TfrProcesso_Padrao_VYN {
    using TfrProcesso_Padrao_VYN::TfrProcesso_Padrao_VYN;
    std::string ClassName() const override { return "TfrTeste"; }
    bool Seguranca() { return VerificaSeguranca(); }
  };
  auto f = MakeForm<T>();
  dialogs.Rights(false, "TfrTeste").Rights(true);
  EXPECT_FALSE(f->Seguranca());
  EXPECT_TRUE(f->Seguranca());

  // Without a lock check nothing is locked.
  EXPECT_FALSE(f->BloqueioLancamento_Padrao_VYN->Execute(3, EncodeDate(2023, 5, 1), EncodeDate(2023, 5, 31), "frLancamento"));
  LockedBefore2024 locks;
  ProcessContext().PostingLocks = &locks;
  f->BloqueioLancamento_Padrao_VYN->MensagemPadrao = "Empresa 3:";
  EXPECT_TRUE(f->BloqueioLancamento_Padrao_VYN->Execute(3, EncodeDate(2023, 5, 1), EncodeDate(2023, 5, 31), "frLancamento"));
  EXPECT_FALSE(f->BloqueioLancamento_Padrao_VYN->Execute(3, EncodeDate(2024, 5, 1), EncodeDate(2024, 5, 31), "frLancamento"));
  ASSERT_EQ(f->Inconsistencias_VYN()->Count(), 1);
  EXPECT_EQ(f->Inconsistencias_VYN()->getItemObjeto(0).Caption, "Empresa 3: Período bloqueado para frLancamento");
  EXPECT_EQ(f->Inconsistencias_VYN()->getItemObjeto(0).CodEmp, 3);
  ProcessContext().PostingLocks = nullptr;
}

}  // namespace
}  // namespace vyn
