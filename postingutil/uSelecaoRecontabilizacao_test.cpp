#include "postingutil/uSelecaoRecontabilizacao.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/grid.h"
#include "framework/ui/scripted_dialogs.h"
#include "postingutil/uProcessoRecontabilizacao.h"

namespace integracao {
namespace {

using namespace vyn;

class SelecaoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClassRegistry().RegisterClass<TfrSelecaoRecontabilizacao>("TfrSelecaoRecontabilizacao", TClassKind::Screen);
    tela = MakeForm<TfrProcessoRecontabilizacao>();
  }
  void TearDown() override {
    tela.reset();
    ClassRegistry().UnRegisterClass("TfrSelecaoRecontabilizacao");
  }
  // Opens the dialog from the screen's button; drive acts on it before confirm.
  void Abre(const std::function<void(TfrSelecaoRecontabilizacao&)>& drive) {
    dialogs.Modal("TfrSelecaoRecontabilizacao", [&](TForm_VYN& f) {
      auto& s = dynamic_cast<TfrSelecaoRecontabilizacao&>(f);
      EXPECT_EQ(s.pgRecontabilizacao->ActivePageIndex(), 0);
      drive(s);
      s.spConfirmar->Click();
    });
    tela->spSelecaoContas->Click();
  }
  TScriptedDialogs dialogs;
  TFormPtr<TfrProcessoRecontabilizacao> tela;
};

TEST_F(SelecaoTest, ConfirmRewritesTheOwnersSetAndCaptionsGeralFiscalFolha) {
  tela->FRotinas.set(tprReservado59);   // replaced by the confirm
  Abre([](TfrSelecaoRecontabilizacao& s) {
    EXPECT_EQ(s.clbRecontGeral->Items.size(), 3u);
    EXPECT_EQ(s.clbRecontFiscal->Items.size(), 26u);
    EXPECT_EQ(s.clbRecontFolha->Items.size(), 24u);
    EXPECT_EQ(s.clbRecontFolha->Items[23].Text, "Folha complementar intermitente");
    s.clbRecontFolha->SetChecked(0, true);
    s.clbRecontFiscal->SetChecked(25, true);
    s.clbRecontGeral->SetChecked(2, true);
  });
  EXPECT_EQ(tela->FListaRotinas, (std::vector<std::string>{"GE.Baixa de parcelamento de tributos",
                                                           "FI.Apuração Sped Fiscal", "FO.Adiantamento salarial"}));
  TTiposProcRecontabiliza esperado;
  esperado.set(C_RECURSOS_GERAL[2]).set(C_RECURSOS_FISCAL[25]).set(C_RECURSOS_FOLHA[0]);
  EXPECT_EQ(tela->FRotinas, esperado);

  // Reopening shows exactly the confirmed routines ticked; select all, then clear all.
  Abre([](TfrSelecaoRecontabilizacao& s) {
    EXPECT_EQ(s.clbRecontGeral->CheckedCount() + s.clbRecontFiscal->CheckedCount() + s.clbRecontFolha->CheckedCount(), 3);
    EXPECT_TRUE(s.clbRecontFiscal->Checked(25));
    s.ckRetiraSelecaoTudo->Click();
    EXPECT_EQ(s.clbRecontFolha->CheckedCount(), 24);
    s.ckRetiraSelecaoTudo->Click();
  });
  EXPECT_TRUE(tela->FRotinas.none());
  EXPECT_TRUE(tela->FListaRotinas.empty());
  EXPECT_TRUE(dialogs.Done());
}

TEST_F(SelecaoTest, GroupPrefixesAreFoundOnlyInTheirOwnGroupsCaptions) {
  Abre([](TfrSelecaoRecontabilizacao& s) { s.ckRetiraSelecaoTudo->Click(); });
  ASSERT_EQ(tela->FListaRotinas.size(), 53u);
  EXPECT_EQ(tela->FRotinas.count(), 53u);
  for (const auto& c : tela->FListaRotinas) {
    bool fiscal = c.rfind("FI.", 0) == 0, folha = c.rfind("FO.", 0) == 0;
    EXPECT_EQ(c.find(kPrefixoFiscal) != std::string::npos, fiscal) << c;
    EXPECT_EQ(c.find(kPrefixoFolha) != std::string::npos, folha) << c;
  }
}

}  // namespace
}  // namespace integracao
