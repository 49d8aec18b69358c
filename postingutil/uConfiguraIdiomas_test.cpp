#include "postingutil/uConfiguraIdiomas.h"

#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/ui/edit_codigo.h"
#include "framework/core/text.h"
#include "framework/ui/form.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

// Stands in for the suite's language-configuration screen (another package): keeps what it was handed.
class TfrConfiguracaoIdiomasGravador : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return "TfrConfiguracaoIdiomas"; }
  void SetListaObj(const TListaObj& lista) override {
    TForm_VYN::SetListaObj(lista);
    ASSERT_EQ(lista.Count(), 5);
    Idioma = lista.GetInteger(0);
    Nome = lista.GetText(1);
    for (int i = 2; i < 5; ++i) Planos.push_back(lista.GetInteger(i));
  }
  int64_t Idioma = -1;
  std::string Nome;
  std::vector<int64_t> Planos;
};

class ConfiguraIdiomasTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Db().Execute("INSERT INTO TIDIOMAS (BDCODIDIOMA, BDDESCRICAO) VALUES (12, 'Inglês')");
    for (auto& r : RegistrosUtilitariosContabilizacao())
      if (SameText(r.Nome, "TfrConfiguraIdiomas")) lista_.push_back(r);
    lista_.push_back(Registro<TfrConfiguracaoIdiomasGravador>("TfrConfiguracaoIdiomas", TClassKind::Screen));
    RegistraModulo(ClassRegistry(), lista_);
    principal_ = MakeForm<TForm_VYN>();
    tela_ = static_cast<TfrConfiguraIdiomas*>(TPackagesUtil::CarregaForm(principal_.get(), "TfrConfiguraIdiomas"));
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    principal_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    CompanyDatabaseTest::TearDown();
  }
  TfrConfiguracaoIdiomasGravador* Aberta() const {
    for (TComponent* c : tela_->Components())
      if (auto* f = dynamic_cast<TfrConfiguracaoIdiomasGravador*>(c)) return f;
    return nullptr;
  }

  TListaRegistro lista_;
  TScriptedDialogs dialogs_;
  TFormPtr<TForm_VYN> principal_;
  TfrConfiguraIdiomas* tela_ = nullptr;
};

TEST_F(ConfiguraIdiomasTest, HandsLanguageNameAndPlansInOrderAsPlainValues) {
  EXPECT_EQ(tela_->Caption(), "Configuração de idiomas");
  tela_->edCodIdioma->SetText("000012");
  tela_->edCodPlaPadrao->SetText("3");
  tela_->edCodCentro->SetText("");
  tela_->edCodPFor->SetText("0");
  tela_->spOK->Click();
  auto* aberta = Aberta();
  ASSERT_NE(aberta, nullptr);
  EXPECT_TRUE(aberta->Showing());
  EXPECT_EQ(aberta->Idioma, 12);
  EXPECT_EQ(aberta->Nome, "Inglês");
  EXPECT_EQ(aberta->Planos, (std::vector<int64_t>{3, 0, 0}));
  EXPECT_EQ(tela_->pnCodIdioma->Caption(), "Inglês");
}

TEST_F(ConfiguraIdiomasTest, AMissingOrUnknownLanguageOpensNothing) {
  dialogs_.Ok("Informe o código!");
  tela_->spOK->Click();
  tela_->edCodIdioma->SetText("99");
  dialogs_.Ok("Código 99 não encontrado!");
  tela_->spOK->Click();
  EXPECT_EQ(Aberta(), nullptr);
}

}  // namespace
}  // namespace integracao
