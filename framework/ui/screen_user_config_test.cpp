#include "framework/ui/screen_user_config.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"
#include "framework/ui/form.h"
#include "testing/company_db.h"

namespace vyn {
namespace {

// A screen whose show registers its choices and loads them, as the suite's screens do.
class TTelaComEscolhas : public TForm_VYN {
 public:
  explicit TTelaComEscolhas(TComponent* owner) : TForm_VYN(owner) {
    ckDetalhado->SetName("ckDetalhado");
    edTitulo->SetName("edTitulo");
    spFixar->SetName("spFixar");
    spFiltro->SetName("spFiltro");
    spFiltro->DropdownMenu = pmFiltro;
    for (TMenuItem* m : {mmTodos, mmAbertos}) m->RadioItem = true;
    mmTodos->SetName("mmTodos");
    mmAbertos->SetName("mmAbertos");
    mmTodos->Checked = true;
    edTitulo->SetText("Padrão");
  }
  TScreenUserConfig* config = Create<TScreenUserConfig>(std::string("TTelaComEscolhas"));
  TCheckBox* ckDetalhado = Create<TCheckBox>();
  TEdit_String_Padrao* edTitulo = Create<TEdit_String_Padrao>();
  TSpeedButton* spFixar = Create<TSpeedButton>();
  TSpeedButton* spFiltro = Create<TSpeedButton>();
  TMenuItem* pmFiltro = Create<TMenuItem>();
  TMenuItem* mmTodos = pmFiltro->Create<TMenuItem>();
  TMenuItem* mmAbertos = pmFiltro->Create<TMenuItem>();

 protected:
  void FormShow() override {
    for (TComponent* c : {static_cast<TComponent*>(ckDetalhado), static_cast<TComponent*>(edTitulo),
                          static_cast<TComponent*>(spFixar), static_cast<TComponent*>(spFiltro)})
      config->RegisterComponent(c, c->Name());
    config->Load();
  }
};

using ScreenUserSettings = CompanyDatabaseTest;

TEST_F(ScreenUserSettings, WhatAUserLeftComesBackForThatUserOnly) {
  TComponent host;
  {
    TValorTemporario<int> ana(ProcessContext().UserCode, 7);
    auto* tela = CreateForm<TTelaComEscolhas>(host);
    tela->Show();
    tela->ckDetalhado->SetChecked(true);
    tela->edTitulo->SetText("");   // an emptied text is a choice too
    tela->spFixar->Down = true;
    tela->mmTodos->Checked = false;
    tela->mmAbertos->Checked = true;
    tela->Close();

    auto* outra = CreateForm<TTelaComEscolhas>(host);
    outra->Show();
    EXPECT_TRUE(outra->ckDetalhado->Checked());
    EXPECT_EQ(outra->edTitulo->Text(), "");
    EXPECT_TRUE(outra->spFixar->Down);
    EXPECT_TRUE(outra->mmAbertos->Checked);
    EXPECT_FALSE(outra->mmTodos->Checked);
  }
  TValorTemporario<int> bia(ProcessContext().UserCode, 8);
  auto* tela = CreateForm<TTelaComEscolhas>(host);
  tela->Show();
  EXPECT_FALSE(tela->ckDetalhado->Checked());
  EXPECT_EQ(tela->edTitulo->Text(), "Padrão");
  EXPECT_FALSE(tela->spFixar->Down);
  EXPECT_TRUE(tela->mmTodos->Checked);
}

TEST_F(ScreenUserSettings, AScreenClosedUnshownOrWithAnItemGoneKeepsWhatWasSaved) {
  TComponent host;
  TValorTemporario<int> ana(ProcessContext().UserCode, 7);
  auto* nuncaMostrada = CreateForm<TTelaComEscolhas>(host);
  nuncaMostrada->Close();
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TCONFIG_USUARIO_TELA").AsInteger(), 0);

  // A saved menu item the menu no longer has leaves the screen's own choice.
  TScreenUserConfig::SalvarParaUsuario("spFiltro", "mmRemovido", "TTelaComEscolhas");
  auto* tela = CreateForm<TTelaComEscolhas>(host);
  tela->Show();
  EXPECT_TRUE(tela->mmTodos->Checked);
  EXPECT_FALSE(tela->mmAbertos->Checked);
}

}  // namespace
}  // namespace vyn
