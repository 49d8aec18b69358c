#include <gtest/gtest.h>

#include "framework/ui/bitmap_list.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/form.h"
#include "framework/ui/scripted_dialogs.h"

namespace vyn {
namespace {

struct TfrCampos : TForm_VYN {
  using TForm_VYN::TForm_VYN;
  TEdit_String_Padrao* edA = Create<TEdit_String_Padrao>();
  TEdit_Date_Padrao_VYN* edData = Create<TEdit_Date_Padrao_VYN>(tdReferencia);
  TEdit_Numerico_Padrao_VYN* edValor = Create<TEdit_Numerico_Padrao_VYN>(2);
  TEdit_Codigo_Search_VYN* edCod = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
  TCheckBox* ck = Create<TCheckBox>();
  TRadioGroup* rg = Create<TRadioGroup>();
  TComboBox_Padrao_VYN* cb = Create<TComboBox_Padrao_VYN>();
};

// An image is registered once, whatever the letter case it is named in, and keeps its index.
TEST(BitmapList, AnImageIsRegisteredOnceAndKeepsItsIndex) {
  TBitmapList lista;
  EXPECT_EQ(lista.AddBitmap(kBibliotecaImagens, "iChecked"), 0);
  EXPECT_EQ(lista.AddBitmap("", "SPCONSULTADIFERENCA"), 1);
  EXPECT_EQ(lista.AddBitmap("", "ichecked"), 0);
  EXPECT_EQ(lista.ImageIndexOf("spConsultaDiferenca"), 1);
  EXPECT_EQ(lista.ImageIndexOf("iUnChecked"), -1);
  EXPECT_EQ(lista.Image(1), "SPCONSULTADIFERENCA");
  EXPECT_EQ(lista.Image(-1), "");
  EXPECT_EQ(lista.Image(2), "");
}

TEST(Focus, MovingTheFocusRunsTheLosingControlsExitOnANeverShownForm) {
  auto f = MakeForm<TfrCampos>();
  std::vector<std::string> events;
  f->edA->OnEnter = [&](TComponent*) { events.push_back("enterA"); };
  f->edA->OnExit = [&](TComponent*) { events.push_back("exitA"); };
  f->edValor->OnEnter = [&](TComponent*) { events.push_back("enterValor"); };
  f->edA->SetFocus();
  f->edA->SetFocus();   // already there: nothing runs
  f->edValor->SetFocus();
  EXPECT_FALSE(f->Showing());
  EXPECT_EQ(events, (std::vector<std::string>{"enterA", "exitA", "enterValor"}));
  EXPECT_TRUE(f->edValor->Focused());

  // A refused value keeps the focus where it is.
  f->edValor->SetText("abc");
  EXPECT_THROW(f->edA->SetFocus(), EValidationError);
  EXPECT_TRUE(f->edValor->Focused());
  f->edValor->SetText("1.234,5");
  f->edA->SetFocus();
  EXPECT_EQ(f->edValor->Text(), "1.234,50");
  EXPECT_EQ(f->edValor->Value(), Currency::FromRaw(12345000));

  f->edA->SetEnabled(false);
  EXPECT_THROW(f->edA->SetFocus(), EInvalidOperation);
}

TEST(Focus, AFocusMoveAskedInsideAnExitIsTheOneMade) {
  auto f = MakeForm<TfrCampos>();
  std::vector<std::string> events;
  f->edA->OnExit = [&](TComponent*) {
    events.push_back("exitA");
    if (f->edA->Text() == "volta") f->edA->SetFocus();
    if (f->edA->Text() == "pula") f->ck->SetFocus();
  };
  f->edValor->OnEnter = [&](TComponent*) { events.push_back("enterValor"); };
  f->ck->OnEnter = [&](TComponent*) { events.push_back("enterCk"); };
  f->edA->SetFocus();
  f->edA->SetText("volta");
  f->edValor->SetFocus();   // sent back: the edit keeps the focus and is not entered again
  EXPECT_TRUE(f->edA->Focused());
  f->edA->SetText("pula");
  f->edValor->SetFocus();   // sent on to the box instead
  EXPECT_TRUE(f->ck->Focused());
  EXPECT_EQ(events, (std::vector<std::string>{"exitA", "exitA", "enterCk"}));
}

TEST(Edits, DateAndCodeEditsCheckWhatWasTyped) {
  auto f = MakeForm<TfrCampos>();
  f->edData->SetFocus();
  f->edData->SetText("13/2024");
  EXPECT_THROW(f->edA->SetFocus(), EValidationError);
  f->edData->SetText("02/2024");
  f->edA->SetFocus();
  EXPECT_EQ(f->edData->GetData_AnoMes(), 202402);
  EXPECT_EQ(f->edData->GetData_DiaMesAnoUltimoDia(), "29/02/2024");
  f->edData->SetData_AnoMes(0);
  EXPECT_EQ(f->edData->GetData().Days(), 0);

  f->edCod->Lookup = [](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& r) {
    r.Nome = "Empresa";
    return code == 12;
  };
  f->edCod->SetFocus();
  f->edCod->SetText("0a13");
  EXPECT_EQ(f->edCod->Text(), "013");
  EXPECT_THROW(f->edA->SetFocus(), EValidationError);
  EXPECT_EQ(f->edCod->Mensagem(), "Código 13 não encontrado!");
  f->edCod->Vale(12);
  f->edA->SetFocus();
  EXPECT_EQ(f->edCod->GetSQLMultiSelectString("e.BDCODEMP"), "e.BDCODEMP = 12");
  f->edCod->SetAceitaMultiSelecao(true);
  f->edCod->AddMultiSelecao("12 - A", 12);
  f->edCod->AddMultiSelecao("15 - B", 15);
  EXPECT_EQ(f->edCod->GetSQLMultiSelectString("e.BDCODEMP"), "e.BDCODEMP IN (12,15)");
  // Emptying the code leaves the selection; a reset takes it too.
  f->edCod->Vale(0);
  EXPECT_EQ(f->edCod->QtdeSelecionados(), 2);
  f->edCod->Reset();
  EXPECT_EQ(f->edCod->GetSQLMultiSelectString("e.BDCODEMP"), "");
  EXPECT_EQ(f->edCod->GetDaoFactory(), nullptr);
  // Two codes typed are never one code of their digits: refused, or taken apart where the edit takes
  // several, each one looked up.
  f->edCod->SetAceitaMultiSelecao(false);
  f->edCod->SetText("1,2");
  EXPECT_EQ(f->edCod->Codigo(), 0);
  EXPECT_FALSE(f->edCod->Validate());
  EXPECT_EQ(f->edCod->Mensagem(), "Informe um único código: 1,2");
  f->edCod->SetAceitaMultiSelecao(true);
  f->edCod->SetText("12; 13");
  EXPECT_FALSE(f->edCod->Validate());
  EXPECT_EQ(f->edCod->Mensagem(), "Código 13 não encontrado!");
  f->edCod->SetText("12;12");
  EXPECT_TRUE(f->edCod->Validate());
  EXPECT_EQ(f->edCod->CodigosSelecionados(), (std::vector<int64_t>{12}));
  f->edCod->SetText("12");
  EXPECT_EQ(f->edCod->QtdeSelecionados(), 1);
}

TEST(Choices, ProgramSetsFireClickButNotTheCombosChange) {
  auto f = MakeForm<TfrCampos>();
  int ckClicks = 0, rgClicks = 0, cbChanges = 0;
  f->ck->OnClick = [&](TComponent*) { ++ckClicks; };
  f->rg->OnClick = [&](TComponent*) { ++rgClicks; };
  f->cb->OnChange = [&](TComponent*) { ++cbChanges; };
  f->rg->Items = {"a", "b"};
  f->cb->Items = {"1 - Um", "2 - Dois"};

  f->ck->SetChecked(true);
  f->ck->SetChecked(true);   // no change, no click
  f->rg->SetItemIndex(1);
  f->cb->SetItemIndex(1);
  f->cb->SetText("1 - um");
  EXPECT_EQ(ckClicks, 1);
  EXPECT_EQ(rgClicks, 1);
  EXPECT_EQ(cbChanges, 0);
  EXPECT_EQ(f->cb->ItemIndex(), 0);
  f->cb->Select(1);          // the user's pick
  EXPECT_EQ(cbChanges, 1);
  EXPECT_THROW(f->rg->SetItemIndex(2), EInvalidOperation);

  f->ck->SetEnabled(false);
  f->ck->Click();            // a disabled box ignores the user
  EXPECT_TRUE(f->ck->Checked());
  TSpeedButton* sp = f->Create<TSpeedButton>();
  int clicks = 0;
  sp->OnClick = [&](TComponent*) { ++clicks; };
  sp->SetEnabled(false);
  sp->Click();
  sp->SetEnabled(true);
  sp->Click();
  EXPECT_EQ(clicks, 1);
}

TEST(Choices, GroupedSpeedButtonsStayDownAndACheckListsClicksAndKeysReachItsHandlers) {
  TComponent dono;
  auto* a = dono.Create<TSpeedButton>();
  auto* b = dono.Create<TSpeedButton>();
  auto* solto = dono.Create<TSpeedButton>();
  a->GroupIndex = b->GroupIndex = 1;
  a->Click();
  EXPECT_TRUE(a->Down);
  a->Click();   // without AllowAllUp a down button of a group stays down
  EXPECT_TRUE(a->Down);
  b->Click();
  EXPECT_TRUE(b->Down);
  EXPECT_FALSE(a->Down);
  b->AllowAllUp = true;
  b->Click();
  EXPECT_FALSE(b->Down);
  solto->Click();
  EXPECT_FALSE(solto->Down);
  b->SetEnabled(false);
  b->Click();
  EXPECT_FALSE(b->Down);

  TCheckListBox lista;
  lista.Add("um");
  lista.Add("dois");
  int cliques = 0, teclas = 0;
  lista.OnClick = [&](TComponent*) { ++cliques; };
  lista.OnKeyDown = [&](TComponent*, int& key, unsigned shift) {
    if (key == 46 && shift == 0) {
      ++teclas;
      key = 0;
    }
  };
  lista.Select(1);
  EXPECT_EQ(lista.ItemIndex, 1);
  EXPECT_EQ(cliques, 1);
  EXPECT_THROW(lista.Select(2), std::out_of_range);
  int key = 46;
  lista.KeyDown(key, 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(teclas, 1);
  lista.SetEnabled(false);
  lista.Select(0);
  EXPECT_EQ(lista.ItemIndex, 1);
  EXPECT_EQ(cliques, 1);
}

}  // namespace
}  // namespace vyn
