#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/lite_pdf.h"
#include "framework/data/client_dataset.h"
#include "framework/host/seqrel_mgr.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/screen_user_config.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

// A report screen of the suite as a sequence sees it: one page per run naming the company and the
// value of edValor; "falha" in edValor makes it fail.
class TfrTelaTesteSequencia : public TForm_VYN, public ISequenciaTela {
 public:
  explicit TfrTelaTesteSequencia(TComponent* owner) : TForm_VYN(owner) {
    SetCaption("Balancete");
    edCODEMP = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    edCODEMP->SetName("edCODEMP");
    edValor = Create<TEdit_String_Padrao>();
    edValor->SetName("edValor");
    toolbar = Create<TPanel>();
    config = Create<TScreenUserConfig>(std::string("TfrTelaTesteSequencia"));
  }
  std::string ClassName() const override { return "TfrTelaTesteSequencia"; }
  ISequenciaTela* SequenciaTela() override { return this; }
  TDadosAberturaTela getDadosSelecionarSequencia(unsigned) override {
    TDadosAberturaTela d;
    d.ToolBar = toolbar;
    d.Configuracao = config;
    return d;
  }
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override {
    if (edValor->Text() == "falha") throw std::runtime_error("Relatório sem dados");
    finais.AddRelatorio({"Empresa " + edCODEMP->Text() + " valor " + edValor->Text()}, dados.NomeItem,
                        {dados.DistincaoDeTipo, {}, ""});
  }
  TEdit_Codigo_Search_VYN* edCODEMP;
  TEdit_String_Padrao* edValor;
  TPanel* toolbar;
  TScreenUserConfig* config;
};

class SequenciaRelatoriosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ClassRegistry().RegisterClass<TfrTelaTesteSequencia>("TfrTelaTesteSequencia", TClassKind::Screen);
    auto& ctx = ProcessContext();
    ctx.UserCode = 7;
    ctx.UserName = "Ana";
    pasta_ = fs::temp_directory_path() / ("seqrel_" + std::to_string(::getpid()));
    fs::create_directories(pasta_);
    ctx.ProgramFolder = pasta_.string() + "/";
    ctx.WP_SEQUENCIARELATORIO.reset();
    ctx.MenuSistema.reset();
    MenuSistema().Entradas = {{1, "mnBalancete", "Balancete", "TfrTelaTesteSequencia", 1},
                              {1, "mnRazao", "Razão", "TfrTelaTesteSequencia", 1},
                              {1, "mnDiario", "Diário", "TfrTelaTesteSequencia", 1}};
    seed::AddHeadOfficeAndBranch(Db());
    // The acknowledgement was given before.
    TScreenUserConfig::SalvarParaUsuario("leuManual", "TRUE", "frConfirmacaoSequenciaProcessos");
    tela_ = MakeForm<TfrRelSequenciaRelatorios>();
  }
  void TearDown() override {
    tela_.reset();
    ClassRegistry().UnRegisterClass("TfrTelaTesteSequencia");
    ProcessContext().WP_SEQUENCIARELATORIO.reset();
    ProcessContext().MenuSistema.reset();
    fs::remove_all(pasta_);
    CompanyDatabaseTest::TearDown();
  }
  // A new model holding the chosen menu entries, saved.
  int NovoModelo(std::vector<size_t> itens, const std::string& nome = "Fechamento") {
    tela_->edCODMODELO->SetText("");
    tela_->edCODMODELOExit();
    tela_->edNomeModelo->SetText(nome);
    dialogs_.Ticks(std::move(itens));
    tela_->spInserirClick();
    dialogs_.Ok("Registro salvo com sucesso!");
    tela_->spOkClick();
    return std::stoi(tela_->edCODMODELO->Text());
  }
  TScriptedDialogs dialogs_;
  TFormPtr<TfrRelSequenciaRelatorios> tela_;
  fs::path pasta_;
};

TEST_F(SequenciaRelatoriosTest, KeysAreNeverReusedAndRemovedItemsTakeTheirValuesAlong) {
  const int modelo = NovoModelo({0, 1, 2});
  auto& itens = tela_->Modelo().Itens();
  EXPECT_EQ(itens.RecordCount(), 3);
  EXPECT_TRUE(Db().QueryValue("SELECT BDVYNREPORT FROM TSEQREL WHERE BDSEQUENCIA = ?", {Variant(modelo)}).IsNull());

  // The third item (key 3) gets saved values, then is removed; a new item takes key 4.
  auto& valores = tela_->Modelo().Valores();
  valores.AppendRecord({Variant(modelo), Variant(3), Variant("edValor"), Variant("x")});
  tela_->clSequencia->ItemIndex = 2;
  tela_->spRemoverClick();
  dialogs_.Ticks({0});
  tela_->spInserirClick();
  EXPECT_EQ(tela_->getDadosSequencial(2)->Chave, 4);
  // Moved to the top before saving.
  tela_->clSequencia->ItemIndex = 2;
  tela_->spAcimaClick();
  tela_->spAcimaClick();
  dialogs_.Ok("Registro salvo");
  tela_->spOkClick();

  auto rows = Db().QueryAll("SELECT BDORDEM, BDSORT FROM TSEQRELSEQUENCIAL WHERE BDSEQUENCIA = ? ORDER BY BDSORT",
                            {Variant(modelo)});
  ASSERT_EQ(rows.Rows.size(), 3u);
  EXPECT_EQ(rows.Rows[0][0].AsInteger(), 4);
  EXPECT_EQ(rows.Rows[1][0].AsInteger(), 1);
  EXPECT_EQ(rows.Rows[2][0].AsInteger(), 2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rows.Rows[static_cast<size_t>(i)][1].AsInteger(), i + 1);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ?", {Variant(modelo)})
                .AsInteger(),
            0);

  // Reloaded: same order, and a further item goes above every key ever stored.
  tela_->edCODMODELO->SetText(std::to_string(modelo));
  tela_->edCODMODELOExit();
  EXPECT_EQ(tela_->getDadosSequencial(0)->Chave, 4);
  EXPECT_EQ(tela_->ChaveSequencia(), 4);
  EXPECT_TRUE(dialogs_.Done()) << testing::PrintToString(dialogs_.Pending());
}

TEST_F(SequenciaRelatoriosTest, ConfiguredValuesRunPerCompanyAndAFailingScreenDoesNotStopTheRun) {
  const int modelo = NovoModelo({0, 1});
  // The first item's screen is configured with edValor = "A"; the second fails when it runs.
  tela_->clSequencia->ItemIndex = 0;
  tela_->clSequenciaDblClick();
  auto* tela1 = dynamic_cast<TfrTelaTesteSequencia*>(tela_->getItemDeMenu(0)->Components().back());
  ASSERT_NE(tela1, nullptr);
  tela1->edValor->SetText("A");
  dialogs_.Yes("Deseja confirmar a seleção");
  static_cast<TButtonControl*>(tela1->toolbar->FindComponent("spConfirmarSequenciaRel"))->Click();
  EXPECT_TRUE(tela_->getDadosSequencial(0)->TemConfiguracaoDeTela);
  tela_->Modelo().Valores().AppendRecord({Variant(0), Variant(2), Variant("edValor"), Variant("falha")});
  dialogs_.Ok("Registro salvo");
  tela_->spOkClick();
  EXPECT_EQ(Db().QueryValue("SELECT BDCOMPVALUE FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ? AND BDORDEM = 1 "
                            "AND BDCOMPNAME = 'edValor'",
                            {Variant(modelo)}).AsString(),
            "A");
  tela_->edCODMODELOExit();   // reloaded: both items now carry saved values
  EXPECT_TRUE(tela_->getDadosSequencial(1)->TemConfiguracaoDeTela);

  tela_->edCODEMP->SetMultiSelect(true);
  tela_->edCODEMP->AddMultiSelecao("1", 1);
  tela_->edCODEMP->AddMultiSelecao("2", 2);
  tela_->edReferencia->SetData_AnoMes(202403);
  tela_->edDataIni->SetData(EncodeDate(2024, 3, 1));
  tela_->edDataFim->SetData(EncodeDate(2024, 3, 31));
  tela_->spPreviaImpressaoClick(tela_->spPrevia);

  ASSERT_EQ(tela_->Report().Paginas.size(), 2u);
  EXPECT_EQ(tela_->Report().Paginas[0], "Empresa 1 valor A");
  EXPECT_EQ(tela_->Report().Paginas[1], "Empresa 2 valor A");
  EXPECT_EQ(tela_->PaginasVisualizadas(), 2);
  EXPECT_EQ(tela_->Inconsistencias_VYN->CountErros(), 2);   // the failing screen, once per company
  EXPECT_FALSE(WP_SEQUENCIARELATORIO().Executando);
  // A control without a saved value has none.
  EXPECT_EQ(tela_->GetValorConfiguradoTela("edNaoExiste"), "");
}

TEST_F(SequenciaRelatoriosTest, ScheduledRunLeavesOneRowPerCleanScreenAndAStatusRow) {
  NovoModelo({0, 1, 2});
  auto& ctx = ProcessContext();
  ctx.WP_AGENDAMENTO = 5;
  ctx.WP_PLANO_TARVO = 6;
  ctx.WP_ORDEM_AGENDAMENTO = 7;
  ctx.WP_EMPRESA_PROCESSO = 1;
  ctx.FMensagemInconsistencia.clear();
  tela_->IsTARVO = true;
  tela_->CaminhoTARVO = (pasta_ / "plano").string();
  tela_->edCODEMP->Vale(1);
  tela_->edReferencia->SetData_AnoMes(202403);
  tela_->edDataIni->SetData(EncodeDate(2024, 3, 1));
  tela_->edDataFim->SetData(EncodeDate(2024, 3, 31));
  tela_->spPreviaImpressaoClick(tela_->spExportaPDF);

  auto rows = Db().QueryAll("SELECT BDORDEM, BDINCONSISTENCIA FROM VSH_EMP_TCONF_TSEQREL_SEQ ORDER BY BDORDEM");
  ASSERT_EQ(rows.Rows.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rows.Rows[i][0].AsInteger(), static_cast<int64_t>(i) + 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDCODSTATUS FROM VSH_EMP_TCONF_TSEQREL WHERE BDCODAGENDAMENTO = 5").AsInteger(), 1);
  EXPECT_EQ(WP_SEQUENCIARELATORIO().Linhas.size(), 3u);
  // Grouped by company into the plan folder, and registered.
  TLitePDF pdf;
  pdf.LoadFromFile(Db().QueryValue("SELECT BDARQUIVO FROM TSEQREL_ARQUIVOS").AsString());
  EXPECT_EQ(pdf.PageCount(), 3);
  EXPECT_EQ(tela_->PrintType(), ptNenhum);
}

TEST(JuntarPDF, PdfOutputsGoWhereTheirPagesBelongWithARunningOffset) {
  const fs::path dir = fs::temp_directory_path() / ("juntapdf_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  TLitePDF::WritePages((dir / "main.pdf").string(), {"p0", "p1", "p2", "p3", "p4", "p5", "p6"});
  TLitePDF::WritePages((dir / "a.pdf").string(), {"a0", "a1", "a2"});
  TLitePDF::WritePages((dir / "b.pdf").string(), {"b0", "b1"});
  TRelatorioPDF a{4, (dir / "a.pdf").string(), {}}, b{6, (dir / "b.pdf").string(), {}};
  // As the export does: each position moves by the pages inserted before it.
  int offset = 0;
  for (auto* p : {&a, &b}) {
    p->Posicao += offset;
    offset += p->JuntarSeAoPrincipal((dir / "main.pdf").string());
  }
  TLitePDF main;
  main.LoadFromFile((dir / "main.pdf").string());
  ASSERT_EQ(main.PageCount(), 12);
  EXPECT_EQ(main.Pages()[4], "a0");
  EXPECT_EQ(main.Pages()[9], "b0");
  EXPECT_EQ(main.Pages()[11], "p6");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace integracao
