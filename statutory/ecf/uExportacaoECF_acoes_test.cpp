#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/scripted_dialogs.h"
#include "statutory/ecf/ecf_test_support.h"
#include "statutory/ecf/uExportacaoECF.h"

namespace integracao {
namespace {

using namespace vyn;

// The screens of other packages the ECF screen opens: they only record how they were opened.
struct TAbertura {
  std::string Classe;
  const TListaObj* Lista = nullptr;
  TComponent* Dono = nullptr;
};
std::vector<TAbertura>& Aberturas() {
  static std::vector<TAbertura> a;
  return a;
}

template <const char* Nome>
class TfrTelaDeOutroPacote : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return Nome; }
  bool InheritsFrom(const std::string& c) const override { return c == Nome || TForm_VYN::InheritsFrom(c); }
  void SetListaObj(const TListaObj& l) override {
    TForm_VYN::SetListaObj(l);
    Aberturas().push_back({Nome, &l, Owner()});
    // The previous-chart screen fills the opener's values.
    if (std::string(Nome) == "TfrPreparacaoECFMultiContador") {
      l.Get<TInteger_VYN>(2)->SetValue(77);
      l.Get<TString_VYN>(3)->SetValue("Bens d'antes");
      l.Get<TInteger_VYN>(5)->SetValue(157);
    }
  }
 protected:
  void FormShow() override {
    if (!ListaObj()) Aberturas().push_back({Nome, nullptr, Owner()});
  }
};
constexpr char kPreparacao[] = "TfrConfiguraPreparacaoContaReferencialECF";
constexpr char kMultiContador[] = "TfrPreparacaoECFMultiContador";
constexpr char kY665[] = "TfrPreparacaoContasECFY665";
constexpr char kAviso[] = "TfrAvisoChecklistECF";
constexpr char kAuditoria[] = "TfrProcessoAuditoriaContabil";

class AcoesECF : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    Aberturas().clear();
    ClassRegistry().RegisterClass<TfrTelaDeOutroPacote<kPreparacao>>(kPreparacao, TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaDeOutroPacote<kMultiContador>>(kMultiContador, TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaDeOutroPacote<kY665>>(kY665, TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaDeOutroPacote<kAviso>>(kAviso, TClassKind::Screen);
    testing_ecf::SemeiaEmpresaECF(Db());
    tela = MakeForm<TfrExportacaoECF>();
  }
  void TearDown() override {
    tela.reset();
    for (const char* n : {kPreparacao, kMultiContador, kY665, kAviso}) ClassRegistry().UnRegisterClass(n);
    CompanyDatabaseTest::TearDown();
  }
  // The previous chart's accounts are asked for: its button becomes available.
  void MarcaPlanoAnterior() {
    dialogs.Yes("Esta opção levará ao registro");
    dynamic_cast<TCheckBox&>(*tela->FindComponent("ckExportaPlanoAnterior")).Click();
    ASSERT_TRUE(tela->spDepreBens->Enabled());
  }
  void Preenche(TfrExportacaoECF& t, int ano) {
    t.edCODEMP->SetFocus();
    t.edCODEMP->Vale(1);
    ASSERT_TRUE(t.edCODEMP->Search());
    t.edDataIni->SetFocus();
    t.edDataIni->SetData(EncodeDate(ano, 1, 1));
    t.edDataFim->SetFocus();
    t.edDataFim->SetData(EncodeDate(ano, 12, 31));
    t.DefocusControl();
    t.cbRetificadora->Select(1);
    t.edArquivo->SetText(pasta.Caminho.string());
  }
  int64_t Conta(const std::string& sql) { return Db().QueryValue(sql).AsInteger(); }
  TScriptedDialogs dialogs;
  testing_ecf::TPastaTemporaria pasta;
  TFormPtr<TfrExportacaoECF> tela;
};

TEST_F(AcoesECF, F6OpensTheReferentialPreparationWithTheScreensValuesOrSaysWhatIsMissing) {
  int f6 = 117;
  dialogs.Ok("Informe uma empresa para preparar as contas para exportação");
  tela->KeyDown(f6, 0);
  Preenche(*tela, 2023);
  Db().Execute("INSERT INTO PLANO_PADRAO_ECF VALUES (1, '1.01', 'Ativo', 'S')");
  tela->edContaAjusteECF->SetText("9");
  tela->KeyDown(f6, 0);
  ASSERT_EQ(Aberturas().size(), 1u);
  const TListaObj& l = *Aberturas()[0].Lista;
  EXPECT_EQ(l.GetInteger(0), 1);                                 // the company's chart
  EXPECT_EQ(l.GetComponent(1), tela->edDataIni);
  EXPECT_EQ(l.GetInteger(2), 1);                                 // its referential plan
  EXPECT_EQ(l.GetInteger(3), 1);
  const auto* contas = l.GetObject<std::vector<std::vector<std::string>>>(4);
  ASSERT_EQ(contas->size(), 1u);
  EXPECT_EQ((*contas)[0][1], "Ativo");
  EXPECT_EQ(l.GetText(5), "1,2");   // the head office and its branch
  EXPECT_EQ(l.GetComponent(6), tela->Ck("ckExportaZeradas"));
  EXPECT_EQ(l.GetInteger(7), 9);

  MenuSistema().SetPermissoes("TfrPreparacaoContasReferencialECF", tpInsert);
  dialogs.Ok("você não tem permissão para acessar a tela \"Plano de contas referencial\".");
  tela->spPlanoSped->Click();
  EXPECT_EQ(Aberturas().size(), 1u);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());

  tela->SetIsTARVO(true);
  tela->edCODEMP->SetText("");
  MenuSistema().SetPermissoes("TfrPreparacaoContasReferencialECF", kTodasPermissoes);
  try {
    tela->spPlanoSped->Click();
    FAIL() << "no exception";
  } catch (const EExceptionTratadaInformativa_VYN& e) {
    EXPECT_STREQ(e.what(), "Informe uma empresa para preparar as contas para exportação.");
  }
}

TEST_F(AcoesECF, PreviousChartScreenFillsTheValuesTheConfirmationSavesAndHandsOver) {
  Preenche(*tela, 2023);
  tela->AbrePreparacao(kY665);
  ASSERT_EQ(Aberturas().size(), 1u);
  EXPECT_EQ(Aberturas()[0].Dono, tela->edCODEMP);
  MarcaPlanoAnterior();
  tela->spDepreBens->Click();
  ASSERT_EQ(Aberturas().size(), 2u);
  EXPECT_EQ(Aberturas()[1].Lista->GetInteger(0), 1);
  EXPECT_EQ(Aberturas()[1].Lista->GetInteger(1), 2023);
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_EQ(tela->Gerador()->CodigoI157, 157);
  EXPECT_EQ(Db().QueryValue("SELECT BDCOMPVALUE FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCOMPNAME = 'edNomeBens'")
                .AsString(),
            "Bens d'antes");

  // The validator's run restores them from the last saved set.
  auto outra = MakeForm<TfrExportacaoECF>();
  outra->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string());
  EXPECT_EQ(outra->FCodigoBens->Value(), 77);
  EXPECT_EQ(outra->FNomeBens->Value(), "Bens d'antes");
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

TEST_F(AcoesECF, DefaultConfigurationIsSavedAndClearedInItsModeAndClosingEndsTheMode) {
  Preenche(*tela, 2023);
  tela->mmSalvarConfig->Click();
  EXPECT_EQ(tela->ScreenUserConfig->ScreenConfig(), kModoConfigPadrao);
  EXPECT_TRUE(tela->getPossuiConfigPadrao());
  EXPECT_TRUE(tela->spConfigPadraoRel->Marked);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = 0 AND "
                            "BDCOMPNAME = 'edNomeBens'").AsInteger(),
            1);
  MarcaPlanoAnterior();
  tela->spDepreBens->Click();
  EXPECT_EQ(tela->ScreenUserConfig->ScreenConfig(), kModoConfigExportacao);
  tela->mmLimparconfig->Click();
  EXPECT_FALSE(tela->getPossuiConfigPadrao());
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = 0").AsInteger(), 0);
  tela->Close();
  EXPECT_EQ(tela->ScreenUserConfig->ScreenConfig(), kModoConfigNenhum);
}

TEST_F(AcoesECF, AutomaticValidationsNeedAConfiguredValidatorAndScheduleOneJobPerCompany) {
  Preenche(*tela, 2023);
  EXPECT_FALSE(tela->spSpedAutomatico->Enabled());
  Db().Execute("INSERT INTO TVALIDACAOSPED_MICRO (BDCODMICRO, BDPCNAME, BDUSERNAME) VALUES (3, 'ESTACAO-3', 'ana')");
  Db().Execute("INSERT INTO TVALIDACAOSPED_CONFIG (BDCODMICRO, BDCAMINHOECF) VALUES (3, 'C:\\validador\\ecf.exe')");
  dialogs.Ok("mesmo ano");
  tela->edDataFim->SetFocus();
  tela->edDataFim->SetData(EncodeDate(2024, 1, 31));   // another year: no scheduling
  tela->DefocusControl();
  EXPECT_FALSE(tela->spSpedAutomatico->Enabled());
  tela->edDataFim->SetFocus();
  tela->edDataFim->SetData(EncodeDate(2023, 12, 31));
  tela->DefocusControl();
  EXPECT_TRUE(tela->spSpedAutomatico->Enabled());

  dialogs.Ok("1 validação(ões) agendada(s) para a estação ESTACAO-3.");
  tela->spSpedAutomatico->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  auto r = Db().QueryAll("SELECT BDTIPO, BDCODEMP, BDDATAINI, BDDATAFIM, BDREFERENCIA, BDCODNOMMICRO, BDEXPORTOU "
                         "FROM TVALIDACAOSPED_AGENDAMENTOS");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][0].AsInteger(), 4);
  EXPECT_EQ(r.Rows[0][1].AsInteger(), 1);
  EXPECT_EQ(r.Rows[0][2].AsDateTime(), EncodeDate(2023, 1, 1));
  EXPECT_EQ(r.Rows[0][3].AsDateTime(), EncodeDate(2023, 12, 31));
  EXPECT_EQ(r.Rows[0][4].AsInteger(), 2023);
  EXPECT_EQ(r.Rows[0][5].AsInteger(), 3);
  EXPECT_FALSE(r.Rows[0][6].AsBoolean());
}

TEST_F(AcoesECF, ArchivedBooksStopTheExportInEveryModeWithTheArchivesReason) {
  Db().Execute("INSERT INTO TARQUIVAMENTO_CONTABIL VALUES (1, '2023-01-01', '2023-06-30')");
  Preenche(*tela, 2023);
  dialogs.Ok("está arquivada no período de 01/01/2023 a 30/06/2023");
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 0);

  // Without a user the stop is a failure with its reason, not a silent normal end.
  tela->SetIsTARVO(true);
  EXPECT_THROW(tela->spConfirmar->Click(), EExceptionTratadaInformativa_VYN);
  tela->SetIsTARVO(false);

  auto outra = MakeForm<TfrExportacaoECF>();
  EXPECT_EQ(outra->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string()), "");
  ASSERT_GE(outra->Inconsistencias_VYN->Count(), 1);
  EXPECT_NE(outra->Inconsistencias_VYN->getItemObjeto(0).Caption.find("arquivada"), std::string::npos);
  EXPECT_EQ(outra->Gerador()->Execucoes, 0);
}

TEST_F(AcoesECF, RuralProducerWithoutItsPreparationIsWarnedUnlessOfCaepfKindTwo) {
  Db().Execute("UPDATE TEMPRESAS SET BDTIPOCAEPF = 1 WHERE BDCODEMP = 1");
  Preenche(*tela, 2023);
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_EQ(tela->Gerador()->Execucoes, 1);   // a warning: the export goes on
  bool avisou = false;
  for (const auto& it : tela->Inconsistencias_VYN->Itens())
    avisou = avisou || it.Caption.find("atividade rural") != std::string::npos;
  EXPECT_TRUE(avisou);

  Db().Execute("UPDATE TEMPRESAS SET BDTIPOCAEPF = 2 WHERE BDCODEMP = 1");
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  for (const auto& it : tela->Inconsistencias_VYN->Itens()) EXPECT_EQ(it.Caption.find("atividade rural"), std::string::npos);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

TEST_F(AcoesECF, ChecklistNoticeIsShownOnceAndNeverInsideAReportSequence) {
  ProcessContext().WP_MOSTROU_AVISO_ECF = false;
  WP_SEQUENCIARELATORIO().Executando = true;
  Preenche(*tela, 2023);
  EXPECT_TRUE(Aberturas().empty());
  EXPECT_FALSE(ProcessContext().WP_MOSTROU_AVISO_ECF);
  WP_SEQUENCIARELATORIO().Executando = false;
  dialogs.Modal(kAviso, [](TForm_VYN& f) { f.Close(); });
  for (int vez = 0; vez < 2; ++vez) {   // left twice: the notice shows once
    tela->edCODEMP->SetFocus();
    tela->DefocusControl();
  }
  EXPECT_TRUE(ProcessContext().WP_MOSTROU_AVISO_ECF);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
}

// Shown, the screen docks inside the host's main window unless the host runs undocked; hidden, it
// keeps the tab and the field it stood on for the audit screen, and is a window of its own again.
TEST_F(AcoesECF, ShownItDocksInTheHostUnlessUndockedAndHiddenItKeepsWhereItStood) {
  Preenche(*tela, 2023);
  tela->Show();
  EXPECT_EQ(tela->FormStyle(), fsMDIChild);
  int assinatura = 0;
  while (tela->PageControl_VYN->Page(assinatura) != tela->tsAssinatura) ++assinatura;
  tela->PageControl_VYN->SetFocus();
  tela->PageControl_VYN->Select(assinatura);
  ASSERT_NE(tela->ActiveControl(), nullptr);
  const std::string campo = tela->ActiveControl()->Name();
  tela->spCancelar->Click();
  ASSERT_TRUE(tela->Closed());
  EXPECT_EQ(tela->FormStyle(), fsNormal);
  EXPECT_EQ(tela->DadosTelaAuxiliarAuditoria->PaginaAtiva, assinatura);
  EXPECT_EQ(tela->DadosTelaAuxiliarAuditoria->ControleAtivo, campo);

  const TValorTemporario<bool> desacoplado(ProcessContext().Desacoplado, true);
  tela->Show();
  EXPECT_EQ(tela->FormStyle(), fsNormal);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

class TfrAuditoriaDeTeste : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return kAuditoria; }
  bool InheritsFrom(const std::string& c) const override { return SameText(c, kAuditoria) || TForm_VYN::InheritsFrom(c); }
};

TEST_F(AcoesECF, AuditModeHandsTheParametersBackOnCloseWhateverTheAnswer) {
  auto auditoria = MakeForm<TfrAuditoriaDeTeste>();
  auto* ecf = CreateForm<TfrExportacaoECF>(*auditoria);
  ecf->DadosTelaAuxiliarAuditoria->Auditoria = true;
  Preenche(*ecf, 2023);
  ecf->edInformacoesFiscais->SetText("C:\\fiscais\\");
  ecf->Show();
  auditoria->SetEnabled(false);

  // The confirm button asks and closes instead of exporting.
  dialogs.No("Deseja confirmar as informações selecionadas?");
  ecf->spConfirmar->Click();
  EXPECT_FALSE(ecf->Closed());
  dialogs.Yes("Deseja confirmar as informações selecionadas?");
  ecf->spConfirmar->Click();
  EXPECT_EQ(ecf->Gerador()->Execucoes, 0);
  EXPECT_TRUE(ecf->Closed());
  EXPECT_TRUE(auditoria->Enabled());
  ASSERT_NE(ecf->ListaObj(), nullptr);
  auto* dados = ecf->ListaObj()->Get<TDadosTelaExportacaoECF>(0);
  EXPECT_EQ(dados->InformacoesFiscais, "C:\\fiscais\\");
  EXPECT_EQ(dados->ParametrosTela.DataIni, EncodeDate(2023, 1, 1));
  EXPECT_EQ(dados->ParametrosTela.Tributacao, 1);
  EXPECT_EQ(dados->ExportacaoEF, ecf->FExportacaoEF);

  // Closing by the window: "No" still hands the data back.
  ecf->Show();
  ecf->cbTipoECF->Select(1);
  dialogs.No("Deseja confirmar as informações selecionadas?");
  ecf->Close();
  EXPECT_TRUE(ecf->Closed());
  EXPECT_EQ(ecf->ListaObj()->Get<TDadosTelaExportacaoECF>(0)->ParametrosTela.TipoECF, 1);
  EXPECT_FALSE(ecf->IsClosingAuditoria);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());

  // Cancel leaves audit mode: the next close is a normal one.
  ecf->Show();
  ecf->spCancelar->Click();
  EXPECT_FALSE(ecf->DadosTelaAuxiliarAuditoria->Auditoria);
}

}  // namespace
}  // namespace integracao

namespace integracao {
namespace {

// A company whose classification is not the normal one cannot be exported: without a user the notice
// of the start date's exit must neither be a box nor be lost.
TEST_F(AcoesECF, ClassificationNoticeIsNeverABoxWithoutAUser) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDCODENQFED = 1");
  auto validador = MakeForm<TfrExportacaoECF>();
  EXPECT_EQ(validador->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string()),
            "");
  ASSERT_GE(validador->Inconsistencias_VYN->Count(), 1);
  EXPECT_EQ(validador->Inconsistencias_VYN->getItemObjeto(0).Caption,
            "A empresa informada possui enquadramento diferente de normal.");
  EXPECT_EQ(validador->Gerador()->Execucoes, 0);

  tela->SetIsTARVO(true);
  tela->edCODEMP->SetFocus();
  tela->edCODEMP->Vale(1);
  ASSERT_TRUE(tela->edCODEMP->Search());
  tela->edDataIni->SetFocus();
  tela->edDataIni->SetData(EncodeDate(2023, 1, 1));
  try {
    tela->DefocusControl();
    FAIL() << "no exception";
  } catch (const EExceptionTratadaInformativa_VYN& e) {
    EXPECT_STREQ(e.what(), "A empresa informada possui enquadramento diferente de normal.");
  }
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

}  // namespace
}  // namespace integracao
