#include "statutory/ecf/uExportacaoECF.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;

int Select(TComboBox_Padrao_VYN& cb, const std::string& codigo) {
  for (size_t i = 0; i < cb.Items.size(); ++i)
    if (cb.Items[i].rfind(codigo + " ", 0) == 0) {
      cb.Select(static_cast<int>(i));
      return static_cast<int>(i);
    }
  throw std::logic_error("sem item " + codigo);
}

TEST(ComboCodigoECF, ReadsAndSelectsByCodeNeverByPosition) {
  auto tela = MakeForm<TfrExportacaoECF>();
  auto& q = *tela->cbQualificacaoPJ;
  EXPECT_EQ(GetCaractereCombo(q), "01");
  EXPECT_EQ(GetIndexCombo(q), 1);
  q.SetItemIndex(2);
  SetIndexCombo(1, q);   // "1" is not "01"
  EXPECT_EQ(q.ItemIndex(), 2);
  SetCaractereCombo("01", q);
  EXPECT_EQ(q.ItemIndex(), 0);
  EXPECT_EQ(GetIndexCombo(*tela->cbPeriodoIRPJ), -1);   // "A - Anual"
  tela->cbPeriodoIRPJ->SetItemIndex(-1);
  EXPECT_EQ(GetCaractereCombo(*tela->cbPeriodoIRPJ), "");
  EXPECT_EQ(GetIndexCombo(*tela->cbPeriodoIRPJ), -1);
}

TEST(BotoesECF, ThePreparationButtonShowsTheDifferenceImageOfTheToolbar) {
  auto tela = MakeForm<TfrExportacaoECF>();
  EXPECT_EQ(tela->ImagensToolbar.Image(tela->spPlanoSped->ImageIndex), "SPCONSULTADIFERENCA");
}

class OpcoesECF : public ::testing::Test {
 protected:
  void Ano(int y, int situacao = 0) {
    tela->cbSituacaoEspecial->SetItemIndex(situacao);
    tela->edDataIni->SetData(EncodeDate(y, 1, 1));
    tela->pCarregaItemsAliquotaCSLL();
  }
  std::vector<std::string> Itens() const { return tela->cbPercentualAliquotaCSLL->Items; }
  TFormPtr<TfrExportacaoECF> tela = MakeForm<TfrExportacaoECF>();
};

TEST_F(OpcoesECF, CsllItemsFollowTheLayoutVersionOfYearAndEvent) {
  Ano(2022);
  EXPECT_EQ(Itens(), (std::vector<std::string>{"1 - 9%", "3 - 20%-21%", "4 - 15%-16%"}));
  Ano(2022, 1);   // an event in the year takes the previous layout
  EXPECT_EQ(Itens(), (std::vector<std::string>{"1 - 9%", "5 - 20%-25%", "6 - 15%-20%"}));
  Ano(2020, 8);
  EXPECT_EQ(Itens(), (std::vector<std::string>{"1 - 9%", "3 - 20%", "4 - 15%"}));
  Ano(2019, 8);
  EXPECT_EQ(Itens(), (std::vector<std::string>{"1 - 9%", "2 - 17%", "3 - 20%"}));
  Ano(2014);
  EXPECT_EQ(Itens(), (std::vector<std::string>{"N - Não sujeita", "S - Sujeita a 15%"}));
  EXPECT_EQ(tela->FCSLLCarregado, 2014);
}

TEST_F(OpcoesECF, SameVersionKeepsTheChoiceAndP500FollowsTheRate) {
  Ano(2021);
  Select(*tela->cbPercentualAliquotaCSLL, "6");
  EXPECT_TRUE(tela->spP500->Enabled());
  ASSERT_NE(tela->FDadosP500_51, nullptr);
  Ano(2021);   // same version: the user's choice stays
  EXPECT_EQ(GetIndexCombo(*tela->cbPercentualAliquotaCSLL), 6);
  Ano(2023);   // another version: back to the first item, which never enables P500
  EXPECT_EQ(GetIndexCombo(*tela->cbPercentualAliquotaCSLL), 1);
  EXPECT_FALSE(tela->spP500->Enabled());
  EXPECT_EQ(tela->FDadosP500_51, nullptr);
  Select(*tela->cbPercentualAliquotaCSLL, "3");
  EXPECT_TRUE(tela->spP500->Enabled());
  Select(*tela->cbPercentualAliquotaCSLL, "4");
  EXPECT_FALSE(tela->spP500->Enabled());
}

TEST_F(OpcoesECF, TaxationDrivesDependentOptions) {
  Ano(2019);
  Select(*tela->cbTributacao, "5");
  EXPECT_EQ(GetCaractereCombo(*tela->cbPeriodoIRPJ), "T");
  EXPECT_FALSE(tela->cbPeriodoIRPJ->Enabled());
  EXPECT_EQ(GetCaractereCombo(*tela->cbQualificacaoPJ), "01");
  EXPECT_TRUE(tela->spY672->Enabled());
  EXPECT_TRUE(tela->cbRegimeApuracao->Enabled());
  Select(*tela->cbTributacao, "1");
  EXPECT_TRUE(tela->spY671->Enabled());
  EXPECT_FALSE(tela->cbRegimeApuracao->Enabled());
  EXPECT_EQ(tela->cbRegimeApuracao->ItemIndex(), 0);
  Ano(2020);
  Select(*tela->cbTributacao, "1");   // picked again for the earlier year
  EXPECT_FALSE(tela->spY671->Enabled());

  Select(*tela->cbTributacao, "9");
  Select(*tela->cbApuracaoIRPJImunesIsentas, "D");
  EXPECT_TRUE(tela->cbApuracaoCSLL->Enabled());
  Select(*tela->cbApuracaoCSLL, "D");
  EXPECT_FALSE(tela->cbPercentualAliquotaCSLL->Enabled());
  EXPECT_EQ(tela->cbPercentualAliquotaCSLL->ItemIndex(), -1);

  Select(*tela->cbTipoEntidade, "11");
  EXPECT_TRUE(tela->Ck("ckAdministradoraFundos")->Enabled());   // exempt, not immune
  Select(*tela->cbTributacao, "8");
  EXPECT_FALSE(tela->Ck("ckAdministradoraFundos")->Enabled());
}

TEST_F(OpcoesECF, YearRulesShowHideAndUncheck) {
  Ano(2025);
  tela->Ck("ckNovaRegraPrecoTransf2023")->SetChecked(true);
  tela->HabilitaParametrosComplementares();
  EXPECT_FALSE(tela->Ck("ckNovaRegraPrecoTransf2023")->Visible());
  EXPECT_FALSE(tela->Ck("ckNovaRegraPrecoTransf2023")->Checked());
  EXPECT_TRUE(tela->Ck("ckCebas")->Visible());
  EXPECT_TRUE(tela->edCebas->Visible());
  Ano(2024);
  tela->Ck("ckCebas")->SetChecked(true);
  tela->HabilitaParametrosComplementares();
  EXPECT_FALSE(tela->Ck("ckCebas")->Visible());
  EXPECT_FALSE(tela->Ck("ckCebas")->Checked());

  tela->Ck("ckRepes_Recap_Padis")->SetChecked(true);
  Ano(2023);
  tela->HabilitaInformacoesEconomicas();
  EXPECT_TRUE(tela->Ck("ckREPETROT")->Visible());
  EXPECT_FALSE(tela->Ck("ckRegimeEstadiosFutebol")->Visible());
  Ano(2022);
  tela->HabilitaInformacoesEconomicas();
  EXPECT_TRUE(tela->Ck("ckRegimeEstadiosFutebol")->Visible());
  EXPECT_FALSE(tela->Ck("ckRegimeEstadiosFutebol")->Enabled());
  tela->Ck("ckRegimeIncentivoInfraestrutura")->SetChecked(true);
  tela->Ck("ckRepes_Recap_Padis")->SetChecked(false);   // the tab goes off with everything on it
  EXPECT_FALSE(tela->tsInformacoesEconomicas->Enabled());
  EXPECT_FALSE(tela->Ck("ckRegimeIncentivoInfraestrutura")->Checked());
}

// The saved-default button: shown, the year's options are frozen; editable again on the next click.
TEST_F(OpcoesECF, SavedDefaultToggleFreezesTheYearsOptionsUntilClickedAgain) {
  tela->spConfigPadraoRel->SetEnabled(true);
  Ano(2024);
  tela->spConfigPadraoRel->Click();
  ASSERT_TRUE(tela->spConfigPadraoRel->Marked);
  EXPECT_TRUE(tela->Ck("ckNovaRegraPrecoTransf2023")->Visible());
  EXPECT_FALSE(tela->Ck("ckNovaRegraPrecoTransf2023")->Enabled());
  EXPECT_FALSE(tela->Ck("ckCebas")->Visible());
  tela->spConfigPadraoRel->Click();
  EXPECT_TRUE(tela->Ck("ckNovaRegraPrecoTransf2023")->Enabled());
  EXPECT_TRUE(tela->edDataIni->Enabled());

  Ano(2023);
  tela->spConfigPadraoRel->Click();
  EXPECT_FALSE(tela->Ck("ckREPETROT")->Enabled());
  tela->spConfigPadraoRel->Click();
  EXPECT_TRUE(tela->Ck("ckREPETROT")->Enabled());

  Ano(2025);
  tela->Ck("ckNovaRegraPrecoTransf2023")->SetChecked(true);
  tela->spConfigPadraoRel->Click();
  EXPECT_TRUE(tela->Ck("ckCebas")->Visible());
  EXPECT_FALSE(tela->Ck("ckCebas")->Enabled());
  EXPECT_FALSE(tela->Ck("ckNovaRegraPrecoTransf2023")->Checked());   // hidden: not handed over
}

// The three ways a check reports, and when it is silent.
TEST(CamposECF, ControleErroPicksListExceptionOrDialogAndIsSilentWhenItShouldBe) {
  TScriptedDialogs dialogs;
  auto tela = MakeForm<TfrExportacaoECF>();
  tela->edNumeroRecibo->SetEnabled(false);
  tela->ControleErro(tela->edNumeroRecibo, "x");   // disabled: nothing, in any mode
  tela->edNumeroRecibo->SetEnabled(true);
  tela->SetTeclouShiftTab(tela->edNumeroRecibo, true);
  tela->ControleErro(tela->edNumeroRecibo, "x");   // left backwards: nothing interactively
  EXPECT_TRUE(dialogs.Calls().empty());
  tela->FValidacaoImportacao = true;
  tela->ControleErro(tela->edNumeroRecibo, "da ^SCP^ da ^PJ^.");
  ASSERT_EQ(tela->Inconsistencias_VYN->Count(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->getItemObjeto(0).Caption, "da SCP da PJ.");
  EXPECT_TRUE(tela->FErroEncontrado);
  tela->FValidacaoImportacao = false;
  tela->SetTeclouShiftTab(tela->edNumeroRecibo, false);
  tela->SetIsTARVO(true);
  EXPECT_THROW(tela->ControleErro(tela->edNumeroRecibo, "y"), EExceptionTratadaInformativa_VYN);
  tela->SetIsTARVO(false);
  dialogs.Ok("z");
  tela->ControleErro(tela->edNumeroRecibo, "z");
  EXPECT_TRUE(dialogs.Done());
}

TEST(CamposECF, KeysWalkTheFieldsAcrossTabsAndAFieldLeftBackwardsIsSilent) {
  TScriptedDialogs dialogs;
  auto tela = MakeForm<TfrExportacaoECF>();
  auto tecla = [&](int key, unsigned shift) { tela->KeyDown(key, shift); };
  // A short receipt: leaving it backwards says nothing; leaving it forwards reports it and sends the
  // user back to it.
  tela->edNumeroRecibo->SetFocus();
  tela->edNumeroRecibo->SetText("123");
  tecla(38, 0);
  EXPECT_FALSE(tela->edNumeroRecibo->Focused());
  EXPECT_TRUE(dialogs.Calls().empty());
  tela->edNumeroRecibo->SetFocus();
  dialogs.Ok("41 dígitos");
  tecla(9, 0);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_TRUE(tela->edNumeroRecibo->Focused());
  tecla(9, ssShift);                  // backwards, silently
  EXPECT_TRUE(dialogs.Calls().size() == 1);
  tela->cbRetificadora->SetFocus();
  tela->cbRetificadora->Select(1);    // an original ECF: no receipt to check
  // The last field of a tab goes on to the first of the next tab, which the user thus picks; back the
  // same way; past the last tab, the form's next field.
  const auto abertura = tela->ControlesDaAba(tela->tsAbertura);
  const auto tributacao = tela->ControlesDaAba(tela->tsTributacao);
  ASSERT_FALSE(abertura.empty());
  ASSERT_FALSE(tributacao.empty());
  abertura.back()->SetFocus();
  tecla(13, 0);
  EXPECT_EQ(tela->PaginaAtiva(), tela->tsTributacao);
  EXPECT_TRUE(tributacao.front()->Focused());
  tecla(9, ssShift);
  EXPECT_EQ(tela->PaginaAtiva(), tela->tsAbertura);
  EXPECT_TRUE(abertura.back()->Focused());
  const auto assinatura = tela->ControlesDaAba(tela->tsAssinatura);
  ASSERT_FALSE(assinatura.empty());
  tela->PageControl_VYN->SetActivePageIndex(5);
  assinatura.back()->SetFocus();
  tecla(40, 0);
  EXPECT_TRUE(tela->edInformacoesFiscais->Focused());
}

// Entering the page control (a tab picked with the mouse) puts the user in the shown tab's first
// field; backing off the first tab is an Esc key press.
TEST(CamposECF, ThePageControlHandsTheFocusToItsTabAndBackingOffTheFirstTabIsAnEsc) {
  struct TTela : TfrExportacaoECF {
    using TfrExportacaoECF::TfrExportacaoECF;
    std::vector<int> escs;
    void KeyPress(char& key) override { escs.push_back(key); }
  };
  TScriptedDialogs dialogs;
  auto tela = MakeForm<TTela>();
  const auto abertura = tela->ControlesDaAba(tela->tsAbertura);
  ASSERT_FALSE(abertura.empty());
  tela->edArquivo->SetFocus();
  tela->PageControl_VYN->SetFocus();
  EXPECT_TRUE(abertura.front()->Focused());
  tela->PageControl_VYN->Select(2);   // the user's pick: the field left on the hidden tab gives way
  const auto complementar = tela->ControlesDaAba(tela->tsComplementar);   // as its rules left it
  ASSERT_FALSE(complementar.empty());
  EXPECT_TRUE(complementar.front()->Focused());
  tela->edArquivo->SetFocus();
  tela->PageControl_VYN->Select(0);   // a field outside the tabs keeps the focus
  EXPECT_TRUE(tela->edArquivo->Focused());
  abertura.front()->SetFocus();
  int key = 9;
  tela->KeyDown(key, ssShift);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(tela->escs, std::vector<int>{27});
  EXPECT_TRUE(abertura.front()->Focused());
}

TEST(CamposECF, ReceiptNeedsFortyOneDigitsWhateverThePunctuation) {
  auto tela = MakeForm<TfrExportacaoECF>();
  tela->FValidacaoImportacao = true;
  tela->edNumeroRecibo->SetText("12.345.678.901.234.567.890 12345678901234567890-1");
  tela->edNumeroReciboExit(nullptr);
  EXPECT_EQ(tela->Inconsistencias_VYN->Count(), 0);
  tela->edNumeroRecibo->SetText("1234");
  tela->SetTeclouShiftTab(tela->edNumeroRecibo, true);   // the confirm pass records it anyway
  tela->edNumeroReciboExit(nullptr);
  EXPECT_EQ(tela->Inconsistencias_VYN->Count(), 1);
}

}  // namespace
}  // namespace integracao
