#include "statutory/reportsequence/uRelSequenciaRelatorios.h"
#include "statutory/reportsequence/uRelSequenciaRelatoriosColaborador.h"
#include "statutory/reportsequence/uConsultaSequenciaRelatorios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <fmt/format.h>

#include "framework/component/resultado_execucao.h"
#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/core/lite_pdf.h"
#include "framework/core/pdf_text.h"
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

// A process screen that writes a PDF of its own (a tax guide of two pages) for every company, and
// adds report pages only for the head office: the branch's group holds only its PDF.
class TfrTelaGuiaSequencia : public TfrTelaTesteSequencia {
 public:
  using TfrTelaTesteSequencia::TfrTelaTesteSequencia;
  std::string ClassName() const override { return "TfrTelaGuiaSequencia"; }
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override {
    const std::string emp = edCODEMP->Text();
    if (emp == "1") finais.AddRelatorio({"Empresa 1"}, dados.NomeItem, {dados.DistincaoDeTipo, {}, ""});
    const std::string guia = (fs::path(ProcessContext().ProgramFolder) / ("guia" + emp + ".pdf")).string();
    TLitePDF::WritePages(guia, {"Guia " + emp + " a", "Guia " + emp + " b"});
    finais.AddPDF(guia, {dados.DistincaoDeTipo, {}, ""});
  }
};

class SequenciaRelatoriosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ClassRegistry().RegisterClass<TfrTelaTesteSequencia>("TfrTelaTesteSequencia", TClassKind::Screen);
    ClassRegistry().RegisterClass<TfrTelaGuiaSequencia>("TfrTelaGuiaSequencia", TClassKind::Screen);
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
                              {1, "mnDiario", "Diário", "TfrTelaTesteSequencia", 1},
                              {1, "mnGuia", "Guia", "TfrTelaGuiaSequencia", 1}};
    seed::AddHeadOfficeAndBranch(Db());
    // The acknowledgement was given before.
    TScreenUserConfig::SalvarParaUsuario("leuManual", "TRUE", "frConfirmacaoSequenciaProcessos");
    tela_ = MakeForm<TfrRelSequenciaRelatorios>();
  }
  void TearDown() override {
    tela_.reset();
    ClassRegistry().UnRegisterClass("TfrTelaTesteSequencia");
    ClassRegistry().UnRegisterClass("TfrTelaGuiaSequencia");
    ProcessContext().WP_SEQUENCIARELATORIO.reset();
    ProcessContext().MenuSistema.reset();
    fs::remove_all(pasta_);
    CompanyDatabaseTest::TearDown();
  }
  // A new model holding the chosen menu entries, saved.
  int NovoModelo(std::vector<size_t> itens, const std::string& nome = "Fechamento") {
    tela_->edCODMODELO->SetFocus();
    tela_->edCODMODELO->SetText("");
    tela_->edNomeModelo->SetFocus();
    tela_->edNomeModelo->SetText(nome);
    dialogs_.Ticks(std::move(itens));
    tela_->spInserir->Click();
    dialogs_.Ok("Registro salvo com sucesso!");
    tela_->spOk->Click();
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
  // Removed and added with the list's keys.
  tela_->clSequencia->Select(2);
  int tecla = 46;
  tela_->clSequencia->KeyDown(tecla, 0);
  EXPECT_EQ(tecla, 0);
  dialogs_.Ticks({0});
  tecla = 45;
  tela_->clSequencia->KeyDown(tecla, 0);
  EXPECT_EQ(tela_->getDadosSequencial(2)->Chave, 4);
  // Moved to the top before saving: once with the button, once with Alt+Up.
  tela_->clSequencia->Select(2);
  EXPECT_FALSE(tela_->spAbaixo->Enabled());
  tela_->spAcima->Click();
  EXPECT_TRUE(tela_->spAbaixo->Enabled());
  tecla = 38;
  tela_->clSequencia->KeyDown(tecla, ssAlt);
  EXPECT_FALSE(tela_->spAcima->Enabled());
  dialogs_.Ok("Registro salvo");
  tela_->spOk->Click();

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
  tela_->edCODMODELO->SetFocus();
  tela_->edCODMODELO->SetText(std::to_string(modelo));
  tela_->DefocusControl();
  EXPECT_EQ(tela_->getDadosSequencial(0)->Chave, 4);
  EXPECT_EQ(tela_->ChaveSequencia(), 4);
  EXPECT_TRUE(dialogs_.Done()) << testing::PrintToString(dialogs_.Pending());
}

TEST_F(SequenciaRelatoriosTest, ConfiguredValuesRunPerCompanyAndAFailingScreenDoesNotStopTheRun) {
  const int modelo = NovoModelo({0, 1});
  // The first item's screen is configured with edValor = "A"; the second fails when it runs.
  tela_->clSequencia->Select(0);
  tela_->clSequencia->DblClick();
  auto* tela1 = dynamic_cast<TfrTelaTesteSequencia*>(tela_->getItemDeMenu(0)->Components().back());
  ASSERT_NE(tela1, nullptr);
  tela1->edValor->SetText("A");
  dialogs_.Yes("Deseja confirmar a seleção");
  static_cast<TButtonControl*>(tela1->toolbar->FindComponent("spConfirmarSequenciaRel"))->Click();
  EXPECT_TRUE(tela_->getDadosSequencial(0)->TemConfiguracaoDeTela);
  tela_->Modelo().Valores().AppendRecord({Variant(0), Variant(2), Variant("edValor"), Variant("falha")});
  dialogs_.Ok("Registro salvo");
  tela_->spOk->Click();
  EXPECT_EQ(Db().QueryValue("SELECT BDCOMPVALUE FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ? AND BDORDEM = 1 "
                            "AND BDCOMPNAME = 'edValor'",
                            {Variant(modelo)}).AsString(),
            "A");
  tela_->edCODMODELO->SetFocus();   // left again: reloaded, both items now carry saved values
  tela_->DefocusControl();
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

// A line whose screen this installation cannot open is that line's problem; the other lines still run.
TEST_F(SequenciaRelatoriosTest, AScreenThatFailsToOpenIsItsLinesProblem) {
  MenuSistema().Entradas.push_back({1, "mnSumiu", "Sumiu", "TfrNaoRegistrada", 1});
  NovoModelo({0, 4});
  tela_->edCODEMP->SetText("1");
  tela_->edReferencia->SetData_AnoMes(202403);
  tela_->edDataIni->SetData(EncodeDate(2024, 3, 1));
  tela_->edDataFim->SetData(EncodeDate(2024, 3, 31));
  ASSERT_TRUE(tela_->spPrevia->Enabled());
  tela_->spPrevia->Click();
  EXPECT_EQ(tela_->Report().Paginas.size(), 1u);   // the line that opens still runs
  const auto erros = tela_->Inconsistencias_VYN->Filtra(true, false, false);
  ASSERT_EQ(erros.size(), 1u);
  EXPECT_NE(erros[0].Caption.find("Sumiu"), std::string::npos) << erros[0].Caption;
}

// "Limpar" on an item's screen is an edit of the model like any other: the saved values stay in the
// database until the model is saved, and leaving without saving brings them back.
TEST_F(SequenciaRelatoriosTest, LimparClearsAnItemsValuesOnlyOnceTheModelIsSaved) {
  const int modelo = NovoModelo({0});
  auto carrega = [&] {
    tela_->edCODMODELO->SetFocus();
    tela_->edCODMODELO->SetText(std::to_string(modelo));
    tela_->edNomeModelo->SetFocus();   // leaving the code loads the model
  };
  auto abre = [&]() -> TfrTelaTesteSequencia& {
    tela_->clSequencia->Select(0);
    tela_->spEditar->Click();
    auto* f = dynamic_cast<TfrTelaTesteSequencia*>(tela_->getItemDeMenu(0)->Components().back());
    if (!f) throw std::runtime_error("the item's screen did not open");
    return *f;
  };
  auto botao = [](TfrTelaTesteSequencia& f, const char* nome) {
    auto* b = dynamic_cast<TButtonControl*>(f.toolbar->FindComponent(nome));
    if (!b) throw std::runtime_error(std::string("no button ") + nome);
    b->Click();
  };
  auto salvos = [&] {
    return Db().QueryValue("SELECT COUNT(*) FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ? AND "
                           "BDCOMPNAME = 'edValor' AND BDCOMPVALUE = 'A'", {Variant(modelo)}).AsInteger();
  };
  carrega();
  TfrTelaTesteSequencia& item = abre();
  item.edValor->SetText("A");
  dialogs_.Yes("Deseja confirmar a seleção");
  botao(item, "spConfirmarSequenciaRel");
  dialogs_.Ok("Registro salvo");
  tela_->spOk->Click();
  ASSERT_EQ(salvos(), 1);

  // Cleared, then the user leaves the model without saving it.
  carrega();
  dialogs_.Yes("Deseja limpar a seleção");
  botao(abre(), "spLimparSequenciaRel");
  EXPECT_FALSE(tela_->getDadosSequencial(0)->TemConfiguracaoDeTela);
  EXPECT_EQ(salvos(), 1);
  int esc = 27;
  dialogs_.Yes("Deseja abandonar sem gravar as alterações?");
  tela_->KeyDown(esc, 0);
  EXPECT_EQ(salvos(), 1);
  carrega();
  ASSERT_TRUE(tela_->getDadosSequencial(0)->TemConfiguracaoDeTela);
  TfrTelaTesteSequencia& devolvida = abre();
  EXPECT_EQ(devolvida.edValor->Text(), "A");
  devolvida.Close();

  // Cleared and saved: gone from the database, and the reloaded line has no values.
  dialogs_.Yes("Deseja limpar a seleção");
  botao(abre(), "spLimparSequenciaRel");
  dialogs_.Ok("Registro salvo");
  tela_->spOk->Click();
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ?",
                            {Variant(modelo)}).AsInteger(), 0);
  carrega();
  EXPECT_FALSE(tela_->getDadosSequencial(0)->TemConfiguracaoDeTela);
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
}

// A run that finds no company to run for says so instead of ending quietly.
TEST_F(SequenciaRelatoriosTest, ARunOverNothingSaysSo) {
  NovoModelo({0});
  tela_->edDataIni->SetData(EncodeDate(2024, 3, 1));
  tela_->edDataFim->SetData(EncodeDate(2024, 3, 31));
  tela_->spPreviaImpressaoClick(tela_->spPrevia);
  ASSERT_EQ(tela_->Inconsistencias_VYN->Itens().size(), 1u);
  EXPECT_EQ(tela_->Inconsistencias_VYN->Itens()[0].Caption,
            "Nenhum registro encontrado para executar a sequência com os filtros informados.");
}

TEST_F(SequenciaRelatoriosTest, ScheduledRunLeavesOneRowPerCleanScreenAndAStatusRow) {
  NovoModelo({0, 1, 2});
  auto& ctx = ProcessContext();
  ctx.WP_AGENDAMENTO = 5;
  ctx.WP_PLANO_TARVO = 6;
  ctx.WP_ORDEM_AGENDAMENTO = 7;
  ctx.WP_EMPRESA_PROCESSO = 1;
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
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

// A screen's own PDF goes where its pages belong in the company's PDF, makes a group of its own
// when the company has no pages, is written beside the file of any other kind, and is sent apart
// in a separate e-mail; the e-mail's work folders are gone once it is sent.
TEST_F(SequenciaRelatoriosTest, ARenameIsAChangeThatEscAsksBeforeThrowingAway) {
  const int modelo = NovoModelo({0});
  tela_->edCODMODELO->SetFocus();
  tela_->edCODMODELO->SetText(std::to_string(modelo));
  tela_->DefocusControl();
  ASSERT_EQ(tela_->clSequencia->Items.size(), 1u);
  tela_->edNomeModelo->SetFocus();
  tela_->edNomeModelo->SetText("Fechamento mensal");
  int esc = 27;
  dialogs_.No("Deseja abandonar sem gravar as alterações?");
  tela_->KeyDown(esc, 0);
  EXPECT_EQ(tela_->clSequencia->Items.size(), 1u);   // kept: the user did not give the rename up
  EXPECT_EQ(tela_->edNomeModelo->Text(), "Fechamento mensal");
  esc = 27;
  dialogs_.Yes("Deseja abandonar sem gravar as alterações?");
  tela_->KeyDown(esc, 0);
  EXPECT_TRUE(tela_->clSequencia->Items.empty());
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
}

TEST_F(SequenciaRelatoriosTest, F5SwitchesTheEmployeeFieldOfTheEmployeeScreen) {
  auto col = MakeForm<TfrRelSequenciaRelatoriosColaborador>();
  EXPECT_FALSE(col->edCODCOLCON->Enabled());   // every employee of the situation, until asked
  EXPECT_FALSE(col->spConsultaCol->Enabled());
  int f5 = 116;
  col->KeyDown(f5, 0);
  EXPECT_EQ(f5, 0);
  ASSERT_TRUE(col->edCODCOLCON->Enabled());
  EXPECT_TRUE(col->spConsultaCol->Enabled());
  col->edCODCOLCON->SetText("10");
  f5 = 116;
  col->KeyDown(f5, 0);
  EXPECT_FALSE(col->edCODCOLCON->Enabled());
  EXPECT_EQ(col->edCODCOLCON->Text(), "");      // switched off, no employee is left chosen
}

TEST_F(SequenciaRelatoriosTest, TheModelLookUpListsOnlyTheScreensKindAndItsChoiceIsTyped) {
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (1, 'Empresas', 1)");
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (2, 'Colaboradores', 2)");
  Db().Execute("INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDTIPO) VALUES (3, 'Outros colaboradores', 2)");
  ClassRegistry().RegisterClass<TfrConsultaSequenciaRelatorios>("TfrConsultaSequenciaRelatorios", TClassKind::Screen);
  auto col = MakeForm<TfrRelSequenciaRelatoriosColaborador>();
  std::vector<std::string> listados;
  dialogs_.Modal("TfrConsultaSequenciaRelatorios", [&](TForm_VYN& f) {
    auto& consulta = dynamic_cast<TfrConsultaSequenciaRelatorios&>(f);
    TClientDataSet& ds = *consulta.DAO();
    for (ds.First(); !ds.Eof(); ds.Next()) listados.push_back(ds.FieldByName("BDNOME").AsString());
    ds.First();
    ds.Next();
    int enter = 13;
    consulta.KeyDown(enter, 0);
  });
  col->spCODMODELO->Click();
  EXPECT_EQ(listados, (std::vector<std::string>{"Colaboradores", "Outros colaboradores"}));
  EXPECT_EQ(col->edCODMODELO->Text(), "3");
  // Left with Esc, nothing is chosen.
  dialogs_.Modal("TfrConsultaSequenciaRelatorios", [](TForm_VYN& f) {
    int esc = 27;
    f.KeyDown(esc, 0);
  });
  col->spCODMODELO->Click();
  EXPECT_EQ(col->edCODMODELO->Text(), "3");
  // Opened by anything but a marked edit, it lists every kind.
  auto todas = MakeForm<TfrConsultaSequenciaRelatorios>();
  EXPECT_EQ(todas->DAO()->RecordCount(), 3);
  ClassRegistry().UnRegisterClass("TfrConsultaSequenciaRelatorios");
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
}

// The print type a run button sets, without the run behind the button.
struct TfrColaboradorTipoImpressao : TfrRelSequenciaRelatoriosColaborador {
  using TfrRelSequenciaRelatoriosColaborador::TfrRelSequenciaRelatoriosColaborador;
  using TfrRelSequenciaRelatoriosColaborador::ResetPrintType;
};

TEST_F(SequenciaRelatoriosTest, EmployeeOutputsAreSplitByCompanyUnlessOnePerEmployeeWasAsked) {
  auto col = MakeForm<TfrColaboradorTipoImpressao>();
  col->ResetPrintType(col->spExportaPDF);
  EXPECT_TRUE(col->EstaExportandoPorEmpresa());
  col->ResetPrintType(col->spExportaPDFCol);
  EXPECT_FALSE(col->EstaExportandoPorEmpresa());
  col->ResetPrintType(col->spEmail);
  EXPECT_TRUE(col->EstaExportandoPorEmpresa());
  col->pmEmail->Items()[0]->Checked = false;
  col->pmEmail->Items()[1]->Checked = true;
  col->ResetPrintType(col->spEmail);
  EXPECT_FALSE(col->EstaExportandoPorEmpresa());
  col->ResetPrintType(col->spVynReport);
  EXPECT_TRUE(col->EstaExportandoPorEmpresa());   // "&Empresa" is checked at first
  col->pmVynReport->Items()[1]->Checked = true;
  col->ResetPrintType(col->spVynReport);
  EXPECT_FALSE(col->EstaExportandoPorEmpresa());  // the later checked item wins
  TDadosAdicionaisSeqRel dados;
  col->BeforeExportarSequencia(dados);
  EXPECT_EQ(dados.PopupVynReport, "&Individual");
  col->ResetPrintType(col->spExportaCSV);
  EXPECT_FALSE(col->EstaExportandoPorEmpresa());
}

TEST_F(SequenciaRelatoriosTest, PdfOutputsOfAScreenInEveryKindOfExport) {
  NovoModelo({3});
  tela_->edCODEMP->SetText("1;2");
  tela_->edReferencia->SetData_AnoMes(202403);
  tela_->edDataIni->SetData(EncodeDate(2024, 3, 1));
  tela_->edDataFim->SetData(EncodeDate(2024, 3, 31));
  const fs::path antes = fs::current_path();
  fs::current_path(pasta_);   // an interactive export names its files after the model, where it runs
  struct TVolta {
    fs::path p;
    ~TVolta() { fs::current_path(p); }
  } volta{antes};
  auto arquivos = [&](const std::string& ext) {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(pasta_))
      if (e.path().extension() == ext && e.path().filename().string().rfind("Fechamento", 0) == 0)
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  };

  dialogs_.Yes("Deseja exportar cada relatório separadamente");   // grouped by company
  tela_->spPreviaImpressaoClick(tela_->spExportaPDF);
  auto pdfs = arquivos(".pdf");
  ASSERT_EQ(pdfs.size(), 2u) << ::testing::PrintToString(pdfs);
  TLitePDF matriz, filial;
  matriz.LoadFromFile((pasta_ / pdfs[0]).string());
  filial.LoadFromFile((pasta_ / pdfs[1]).string());
  EXPECT_EQ(matriz.Pages(), (std::vector<std::string>{"Empresa 1", "Guia 1 a", "Guia 1 b"}));
  EXPECT_EQ(filial.Pages(), (std::vector<std::string>{"Guia 2 a", "Guia 2 b"}));
  for (const auto& f : pdfs) fs::remove(pasta_ / f);

  dialogs_.Yes("Deseja exportar cada relatório separadamente");
  tela_->spPreviaImpressaoClick(tela_->spExportaCSV);
  EXPECT_EQ(arquivos(".csv").size(), 1u);   // only the head office has pages
  pdfs = arquivos(".pdf");
  ASSERT_EQ(pdfs.size(), 2u) << ::testing::PrintToString(pdfs);   // each guide beside its company's file
  for (const auto& f : pdfs) EXPECT_NE(f.find(" - 1.pdf"), std::string::npos) << f;

  dialogs_.No("Deseja exportar cada relatório separadamente");    // separately, by e-mail
  tela_->spPreviaImpressaoClick(tela_->spEmail);
  std::vector<std::string> anexos;
  for (auto& e : fs::directory_iterator(pasta_ / "email" / "saida")) anexos.push_back(e.path().filename().string());
  EXPECT_EQ(anexos.size(), 3u) << ::testing::PrintToString(anexos);   // the page and both guides
  const fs::path trabalho = pasta_ / "TEMP" / "SEQUENCIA";
  EXPECT_TRUE(!fs::exists(trabalho) || fs::is_empty(trabalho));
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
}

// A PDF of another writer: nested page tree, size and font inherited from the tree, objects stored
// out of order. Its pages must be joined as they are.
void EscrevePDFDeOutroGerador(const fs::path& arquivo, const std::vector<std::string>& textos) {
  std::vector<std::string> objs(5 + textos.size() * 2);
  std::string kids;
  for (size_t i = 0; i < textos.size(); ++i) {
    const size_t pagina = 6 + 2 * i, conteudo = 7 + 2 * i;
    kids += std::to_string(pagina) + " 0 R ";
    objs[pagina - 1] = "<< /Type /Page /Parent 5 0 R /Contents " + std::to_string(conteudo) + " 0 R >>";
    const std::string c = "BT /F9 14 Tf 72 700 Td (" + textos[i] + ") Tj ET";
    objs[conteudo - 1] = "<< /Length " + std::to_string(c.size()) + " >>\nstream\n" + c + "\nendstream";
  }
  objs[0] = "<< /Type /Catalog /Pages 2 0 R >>";
  objs[1] = "<< /Type /Pages /Kids [5 0 R] /Count " + std::to_string(textos.size()) +
            " /MediaBox [0 0 612 792] /Resources << /Font << /F9 3 0 R >> >> >>";
  objs[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>";
  objs[3] = "<< /Producer (outro gerador) >>";
  objs[4] = "<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "] /Count " + std::to_string(textos.size()) + " >>";
  std::string pdf = "%PDF-1.5\n%\xe2\xe3\xcf\xd3\n";
  std::vector<size_t> pos(objs.size());
  for (size_t i = objs.size(); i-- > 0;) {
    pos[i] = pdf.size();
    pdf += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objs.size() + 1) + "\n0000000000 65535 f\r\n";
  for (size_t p : pos) pdf += fmt::format("{:010} 00000 n\r\n", p);
  pdf += "trailer\n<< /Size " + std::to_string(objs.size() + 1) + " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  std::ofstream(arquivo, std::ios::binary) << pdf;
}

TEST(JuntarPDF, PdfsOfOtherWritersAreJoinedWholeAndInPlace) {
  const fs::path dir = fs::temp_directory_path() / ("juntapdf_outro_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string main = (dir / "main.pdf").string();
  TLitePDF::WritePages(main, {"p0", "p1", "p2"});
  EscrevePDFDeOutroGerador(dir / "guia.pdf", {"Guia um", "Guia dois"});
  TRelatorioPDF guia{1, (dir / "guia.pdf").string(), {}};
  EXPECT_EQ(guia.JuntarSeAoPrincipal(main), 2);

  ASSERT_EQ(PDFPageCount(main), 5);
  EXPECT_NE(PDFTextGet(main, 1).find("p0"), std::string::npos);
  EXPECT_NE(PDFTextGet(main, 2).find("Guia um"), std::string::npos);
  EXPECT_NE(PDFTextGet(main, 3).find("Guia dois"), std::string::npos);
  EXPECT_NE(PDFTextGet(main, 4).find("p1"), std::string::npos);
  TLitePDF lido;
  lido.LoadFromFile(main);
  EXPECT_EQ(lido.Pages(), (std::vector<std::string>{"p0", "", "", "p1", "p2"}));

  // A file that is not a PDF, or a damaged one, is refused and the main document stays whole.
  std::ofstream(dir / "ruim.pdf", std::ios::binary) << "%PDF-1.4\nlixo";
  TRelatorioPDF ruim{0, (dir / "ruim.pdf").string(), {}};
  EXPECT_THROW(ruim.JuntarSeAoPrincipal(main), EPDFError);
  EXPECT_EQ(PDFPageCount(main), 5);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace integracao
