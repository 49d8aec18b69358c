#include "postingutil/uMensagemAlertaProcesso.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// Stands in for a process screen the module does not register (yet).
class TTelaProcessoDuble : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return nome; }
  std::string nome = "TTelaProcessoDuble";
};

struct TAviso {
  const char* aviso;
  const char* tela;
  const char* legenda;
};

// The warnings and the process screens they open, registered by name as the module does.
struct TRegistroAviso {
  TListaRegistro lista;
  explicit TRegistroAviso(const TAviso& a) {
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, a.aviso) || SameText(r.Nome, a.tela)) lista.push_back(r);
    if (lista.size() < 2) {
      std::string tela = a.tela;
      lista.push_back({tela, TClassKind::Screen, [tela](TComponent* owner) {
                         auto f = std::make_unique<TTelaProcessoDuble>(owner);
                         f->nome = tela;
                         return f;
                       }});
    }
    RegistraModulo(ClassRegistry(), lista);
  }
  ~TRegistroAviso() { DesregistraModulo(ClassRegistry(), lista); }
};

class MensagemAlertaProcessoTest : public CompanyDatabaseTest, public ::testing::WithParamInterface<TAviso> {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    registro_ = std::make_unique<TRegistroAviso>(GetParam());
    principal_ = MakeForm<TForm_VYN>();
    ProcessContext().MainForm = principal_.get();
    aviso_ = TPackagesUtil::CarregaForm(principal_.get(), GetParam().aviso);
  }
  void TearDown() override {
    ProcessContext().MainForm = nullptr;
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    principal_.reset();
    registro_.reset();
    CompanyDatabaseTest::TearDown();
  }
  TForm_VYN* Processo() const {
    for (TComponent* c : principal_->Components())
      if (SameText(c->ClassName(), GetParam().tela)) return static_cast<TForm_VYN*>(c);
    return nullptr;
  }

  std::unique_ptr<TRegistroAviso> registro_;
  TScriptedDialogs dialogs_;
  TFormPtr<TForm_VYN> principal_;
  TForm_VYN* aviso_ = nullptr;
};

TEST_P(MensagemAlertaProcessoTest, WithoutRightsNothingOpensAndEscClosesTheWarning) {
  EXPECT_EQ(aviso_->Caption(), GetParam().legenda);
  dialogs_.Rights(false, GetParam().aviso);
  static_cast<TfrMensagemAlertaProcesso*>(aviso_)->spConfirmar->Click();
  EXPECT_EQ(Processo(), nullptr);
  EXPECT_FALSE(aviso_->Closed());
  char esc = 27;
  aviso_->KeyPress(esc);
  EXPECT_TRUE(aviso_->Closed());
  EXPECT_EQ(Processo(), nullptr);
}

TEST_P(MensagemAlertaProcessoTest, PageDownWithRightsOpensTheProcessOnTheMainFormAndCloses) {
  dialogs_.Rights(true, GetParam().aviso);
  int pgDn = 34;
  aviso_->KeyDown(pgDn, 0);   // confirms only when let go
  EXPECT_TRUE(aviso_->Showing());
  aviso_->KeyUp(pgDn, 0);
  TForm_VYN* processo = Processo();
  ASSERT_NE(processo, nullptr);
  EXPECT_TRUE(processo->Showing());
  EXPECT_TRUE(aviso_->Closed());
}

TEST_P(MensagemAlertaProcessoTest, HelpLinkOpensTheConfiguredAddressOnly) {
  auto* link = static_cast<TButtonControl*>(aviso_->FindComponent("lbLinkAjuda"));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->Caption(), "clique aqui");
  link->Click();   // nothing configured: no shell call (the scripted service would fail it)
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('AJUDA_RECONTABILIZACAO', 'https://ajuda/r')");
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('AJUDA_INICIO_CONTABILIZACAO', 'https://ajuda/i')");
  dialogs_.Shell(true);
  link->Click();
  ASSERT_FALSE(dialogs_.Calls().empty());
  EXPECT_EQ(dialogs_.Calls().back().Text,
            SameText(GetParam().tela, "TfrProcessoRecontabilizacao") ? "https://ajuda/r" : "https://ajuda/i");
}

INSTANTIATE_TEST_SUITE_P(
    Avisos, MensagemAlertaProcessoTest,
    ::testing::Values(TAviso{"TfrMensagemAlertaRecontabilizacao", "TfrProcessoRecontabilizacao",
                             "Processo de recontabilização (Atenção)"},
                      TAviso{"TfrMensagemAlertaInicioContabilizacao", "TfrProcessoDefineInicioContabilizacao",
                             "Definição do início da contabilização on-line (Atenção)"}),
    [](const ::testing::TestParamInfo<TAviso>& info) {
      return std::string(info.param.aviso).substr(std::string("TfrMensagemAlerta").size());
    });

}  // namespace
}  // namespace integracao
