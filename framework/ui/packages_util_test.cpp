#include "framework/ui/packages_util.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/ui/dados_complementares.h"
#include "framework/ui/scripted_dialogs.h"

namespace vyn {
namespace {

// An opened dialog that reads its parameter array and writes its answer into a shared object.
class TfrObservacaoTeste : public TfrDadosComplementaresPadrao {
 public:
  using TfrDadosComplementaresPadrao::TfrDadosComplementaresPadrao;
  std::string ClassName() const override { return "TfrObservacaoTeste"; }
  std::vector<std::string> calls;
  std::string* answer = nullptr;
  bool ownerEnabledWhileOpen = true;

  void SetListaObj(const TListaObj& lista) override {
    calls.push_back("SetListaObj " + lista.GetStringValue(0));
    answer = lista.GetObject<std::string>(1);
    TfrDadosComplementaresPadrao::SetListaObj(lista);
  }
  void SetListaDAO() override { calls.push_back("SetListaDAO"); }
  void AfterListaObj() override { calls.push_back("AfterListaObj"); }

 protected:
  void FormCreate() override { calls.push_back("FormCreate"); }
  void FormShow() override {
    calls.push_back("FormShow");
    ownerEnabledWhileOpen = static_cast<TControl*>(Owner())->Enabled();
  }
  bool ExecutarProcesso() override { return ListaObj()->GetStringValue(0) != "bloqueado"; }
  void ProcessoConfirma() override { *answer = "nota digitada"; }
};

class PackagesUtil : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ClassRegistry().IsRegistered("TfrObservacaoTeste"))
      ClassRegistry().RegisterClass<TfrObservacaoTeste>("TfrObservacaoTeste", TClassKind::Screen);
  }
  TScriptedDialogs dialogs;
  TFormPtr<TForm_VYN> opener = MakeForm<TForm_VYN>();
};

TListaObj Lista(const std::string& first, std::string* shared) {
  TListaObj l;
  l.AddBoxedString(first);
  l.AddObject(shared);
  return l;
}

TEST_F(PackagesUtil, HandsTheListOverThenShowsAndDisablesTheOwnerUntilClosed) {
  std::string note;
  TForm_VYN* f = TPackagesUtil::CarregaFormParamsObj("tfrobservacaoteste", opener.get(), Lista("x", &note));
  auto* obs = dynamic_cast<TfrObservacaoTeste*>(f);
  ASSERT_NE(obs, nullptr);
  EXPECT_EQ(obs->calls,
            (std::vector<std::string>{"FormCreate", "SetListaObj x", "SetListaDAO", "AfterListaObj", "FormShow"}));
  EXPECT_FALSE(obs->ownerEnabledWhileOpen);
  EXPECT_FALSE(opener->Enabled());
  obs->spConfirmar->Click();
  EXPECT_EQ(note, "nota digitada");
  EXPECT_TRUE(obs->Closed());
  EXPECT_TRUE(opener->Enabled());
}

TEST_F(PackagesUtil, ModalFormReturnsWhenItClosesAndAFalseGateKeepsItOpen) {
  std::string note;
  dialogs.Modal("TfrObservacaoTeste", [](TForm_VYN& f) {
    auto& obs = static_cast<TfrObservacaoTeste&>(f);
    obs.spConfirmar->Click();     // the gate refuses: still open
    EXPECT_TRUE(obs.Showing());
    obs.spCancelar->Click();
  });
  int mr = TPackagesUtil::CarregaFormModal("TfrObservacaoTeste", opener.get(), Lista("bloqueado", &note));
  EXPECT_EQ(mr, mrCancel);
  EXPECT_EQ(note, "");
  EXPECT_TRUE(opener->Enabled());

  dialogs.Modal("TfrObservacaoTeste", [](TForm_VYN& f) { static_cast<TfrObservacaoTeste&>(f).spConfirmar->Click(); });
  EXPECT_EQ(TPackagesUtil::CarregaFormModal("TfrObservacaoTeste", opener.get(), Lista("ok", &note)), mrOk);
  EXPECT_EQ(note, "nota digitada");
  EXPECT_EQ(opener->ComponentCount(), 0);   // the modal forms were freed when they closed
  EXPECT_TRUE(dialogs.Done());
}

TEST_F(PackagesUtil, UnknownClassIsAnError) {
  EXPECT_THROW(TPackagesUtil::CarregaForm(opener.get(), "TfrNaoExiste"), EClassNotFound);
}

}  // namespace
}  // namespace vyn
