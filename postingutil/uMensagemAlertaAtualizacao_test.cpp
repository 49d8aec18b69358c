#include "postingutil/uMensagemAlertaAtualizacao.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "postingutil/uAtualizacaoSistema_varku.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// The two screens registered by name for the test, as the module registers them.
struct TRegistroTeste {
  TListaRegistro lista;
  TRegistroTeste() {
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, "TfrMensagemAlertaAtualizacao") || SameText(r.Nome, "TfrAtualizacaoSistema_varku"))
        lista.push_back(r);
    RegistraModulo(ClassRegistry(), lista);
  }
  ~TRegistroTeste() { DesregistraModulo(ClassRegistry(), lista); }
};

class MensagemAlertaTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    principal_ = MakeForm<TForm_VYN>();
    ProcessContext().MainForm = principal_.get();
  }
  void TearDown() override {
    ProcessContext().MainForm = nullptr;
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    principal_.reset();
    CompanyDatabaseTest::TearDown();
  }
  TForm_VYN* Agendamento() const {
    for (TComponent* c : principal_->Components())
      if (c->ClassName() == "TfrAtualizacaoSistema_varku") return static_cast<TForm_VYN*>(c);
    return nullptr;
  }

  TRegistroTeste registro_;
  TScriptedDialogs dialogs_;
  TFormPtr<TForm_VYN> principal_;
};

TEST_F(MensagemAlertaTest, RefusedRightsOpenNothingAndEscClosesTheWarning) {
  auto* aviso = static_cast<TfrMensagemAlertaAtualizacao*>(
      TPackagesUtil::CarregaForm(principal_.get(), "TfrMensagemAlertaAtualizacao"));
  dialogs_.Rights(false, "TfrMensagemAlertaAtualizacao");
  aviso->spConfirmar->Click();
  EXPECT_EQ(Agendamento(), nullptr);
  EXPECT_FALSE(aviso->Closed());
  char esc = 27;
  aviso->KeyPress(esc);
  EXPECT_TRUE(aviso->Closed());
  EXPECT_EQ(Agendamento(), nullptr);
}

TEST_F(MensagemAlertaTest, PageDownWithRightsOpensTheSchedulingDialogOnTheMainFormAndCloses) {
  auto* aviso = TPackagesUtil::CarregaForm(principal_.get(), "TfrMensagemAlertaAtualizacao");
  dialogs_.Rights(true, "TfrMensagemAlertaAtualizacao");
  int pgDn = 34;
  aviso->KeyDown(pgDn, 0);   // confirms only when let go
  EXPECT_TRUE(aviso->Showing());
  aviso->KeyUp(pgDn, 0);
  TForm_VYN* agenda = Agendamento();
  ASSERT_NE(agenda, nullptr);
  EXPECT_TRUE(agenda->Showing());
  EXPECT_TRUE(aviso->Closed());
}

}  // namespace
}  // namespace integracao
