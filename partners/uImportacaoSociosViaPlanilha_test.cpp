#include "partners/uImportacaoSociosViaPlanilha.h"

#include <gtest/gtest.h>

#include "framework/core/text.h"
#include "partners/partners_test_support.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"
#include "framework/ui/grid.h"
#include "partners/uConsultaGeradorImportacaoSocios.h"
#include "partners/uConsultaImportacaoSociosTreeView.h"
#include "partners/uGeradorImportacaoSocios.h"

namespace integracao {
namespace {

using namespace vyn;

class ImportacaoSociosTelaTest : public PartnersTest {
 protected:
  void SetUp() override {
    PartnersTest::SetUp();
    tela_ = MakeForm<TfrImportacaoSociosViaPlanilha>();
    tela_->edCODEMP->Vale(1);
    tela_->edCODGERADOR->Vale(1);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    PartnersTest::TearDown();
  }
  // Typed into the field and left for elsewhere: its exit runs as the user's tab or click fires it.
  static void Digita(TForm_VYN& form, TCustomEdit& campo, const std::string& texto) {
    campo.SetFocus();
    campo.SetText(texto);
    form.DefocusControl();
  }
  bool Logou(const std::string& linha) {
    for (const auto& r : Db().QueryAll("SELECT BDTEXTO FROM VYN_LOG_EVENTO").Rows)
      for (const auto& l : Split(ReplaceAll(r[0].AsString(), "\r\n", "\n"), '\n'))
        if (l == linha) return true;
    return false;
  }
  TFormPtr<TfrImportacaoSociosViaPlanilha> tela_;
};

TEST_F(ImportacaoSociosTelaTest, GeradorComArquivoSalvoSubstituiOCaminhoDigitado) {
  Layout({"Cadastrais|Nome"}, 0, 0, "/dados/socios.csv");
  tela_->edARQUIVO->SetText("/outro/arquivo.csv");
  Digita(*tela_, *tela_->edCODGERADOR, "1");
  EXPECT_EQ(tela_->edARQUIVO->Text(), "/dados/socios.csv");
  // No such layout: leaving is refused and the path stays.
  tela_->edCODGERADOR->SetFocus();
  tela_->edCODGERADOR->SetText("99");
  EXPECT_THROW(tela_->DefocusControl(), std::exception);
  EXPECT_EQ(tela_->ActiveControl(), tela_->edCODGERADOR);
  EXPECT_EQ(tela_->edARQUIVO->Text(), "/dados/socios.csv");
}

TEST_F(ImportacaoSociosTelaTest, ArquivoInexistenteAvisaENaoImporta) {
  Layout({"Cadastrais|Nome"});
  tela_->edARQUIVO->SetText("/nao/existe.csv");
  dialogs_.Ok("Não foi possível encontrar o arquivo selecionado.");
  tela_->spOK->Click();
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(), 0);
}

TEST_F(ImportacaoSociosTelaTest, GeradorInexistenteRecusaAntesDePerguntarPelasFiliais) {
  Layout({"Cadastrais|Nome"});
  Sheet({"Ana"});
  tela_->edARQUIVO->SetText(sheet_.string());
  tela_->cbTipoImportacao->SetItemIndex(3);
  tela_->edCODGERADOR->SetText("99");   // typed, never left: the run itself must refuse it
  dialogs_.Ok("Gerador de importação não encontrado: informe um gerador de importação de sócios cadastrado.");
  tela_->spOK->Click();
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(), 0);
}

TEST_F(ImportacaoSociosTelaTest, GeradorVazioRecusaENaoImporta) {
  Layout({"Cadastrais|Nome"});
  Sheet({"Ana"});
  tela_->edARQUIVO->SetText(sheet_.string());
  tela_->edCODGERADOR->SetText("");   // emptied: the run refuses it and sends the user back to it
  dialogs_.Ok("Informe o código!");
  try {
    tela_->spOK->Click();
  } catch (const EValidationError& e) {   // the field, focused again, keeps the focus
    EXPECT_STREQ(e.what(), "Informe o código!");
  }
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(), 0);
}

TEST_F(ImportacaoSociosTelaTest, ModoCotasNaoPerguntaPelasFiliaisEOModo3PerguntaERegistraNoLog) {
  Socio(1, 7, "Carla", "33366699957");
  Layout({"Cadastrais|CPF/CNPJ/CNO", "Cotas|Referência", "Cotas|Valor das cotas\t"});
  Sheet({"33366699957;03/2024;10"});
  tela_->edARQUIVO->SetText(sheet_.string());
  tela_->cbTipoImportacao->SetItemIndex(2);
  dialogs_.Modal("TfrConsultaImportacaoSociosTreeView", [](TForm_VYN& f) {
    dynamic_cast<TfrConsultaImportacaoSociosTreeView&>(f).spImportacao->Click();
    f.Close();
  });
  tela_->spOK->Click();
  EXPECT_FALSE(tela_->CopiarMatrizParaFilial());
  EXPECT_EQ(Db().QueryValue("SELECT BDVALCOTA FROM TEMPRESAS_TSOC_COTAS WHERE BDCODSOC = 7").AsCurrency(),
            Currency::FromInt(10));
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC WHERE BDCODEMP = 2").AsInteger(), 0);

  tela_->cbTipoImportacao->SetItemIndex(3);
  dialogs_.No("Deseja cadastrar todos os sócios para as filiais?");
  // Mode 3 requires the partner's registration cells, which this sheet lacks: nothing to review.
  dialogs_.Ok("Não existe registros para serem importados!");
  tela_->spOK->Click();
  EXPECT_TRUE(Logou("Sócio já cadastrado: 3 - Atualizar o cadastro e as cotas"));
  EXPECT_TRUE(Logou("Copiar sócios para filiais: [0]"));
}

TEST_F(ImportacaoSociosTelaTest, GeradorNovoRecebeCodigoDoServidorEModeloEObrigatorio) {
  auto editor = MakeForm<TfrGeradorImportacaoSocios>();
  editor->edMODELO->SetText("Sócios 2024");
  editor->SetColunas({{"a", "Cadastrais|Nome"}, {"B", "Cotas|Valor das cotas\t"}});
  dialogs_.Ok("Registro salvo com sucesso!");
  editor->spSalvar->Click();
  const int64_t codigo = editor->edCODGERADOR->Codigo();
  EXPECT_GT(codigo, 0);
  EXPECT_EQ(Db().QueryValue("SELECT BDCAMPO FROM TGERADOR_COLUNAS_SOCIOS WHERE BDCOLUNA = 'B'").AsString(),
            "Cotas|Valor das cotas\t");
  editor->edMODELO->SetText("Renomeado");
  editor->Salvar();   // an existing layout keeps its code
  EXPECT_EQ(editor->edCODGERADOR->Codigo(), codigo);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TGERADOR_IMPORTACAO_SOCIOS").AsInteger(), 1);
  editor->edMODELO->SetText("  ");
  EXPECT_THROW(editor->Salvar(), EValidacaoCadastro);
  dialogs_.Ok("Informe o modelo.");
  editor->spSalvar->Click();
}

TEST_F(ImportacaoSociosTelaTest, EditorCarregaOGeradorPeloCodigoOuPelaConsulta) {
  Layout({"Cadastrais|Nome", "Cotas|Referência"}, 2, 1, "/tmp/socios.xlsx");
  Db().Execute("INSERT INTO TGERADOR_IMPORTACAO_SOCIOS (BDCODGERADOR, BDMODELO) VALUES (2, 'Segundo')");
  auto editor = MakeForm<TfrGeradorImportacaoSocios>();
  Digita(*editor, *editor->edCODGERADOR, "1");
  EXPECT_EQ(editor->edMODELO->Text(), "Modelo");
  EXPECT_EQ(editor->edLINHA_INICIAL->Text(), "2");
  EXPECT_EQ(editor->edARQUIVO->Text(), "/tmp/socios.xlsx");
  EXPECT_EQ(editor->Colunas(), (std::vector<std::pair<std::string, std::string>>{{"A", "Cadastrais|Nome"},
                                                                              {"B", "Cotas|Referência"}}));
  dialogs_.Modal("TfrConsultaGeradorImportacaoSocios", [](TForm_VYN& f) {
    auto& c = dynamic_cast<TfrConsultaGeradorImportacaoSocios&>(f);
    c.DAO()->Last();
    c.grConsulta->DblClick();
  });
  editor->sbCODGERADOR->Click();
  EXPECT_EQ(editor->edCODGERADOR->Codigo(), 2);
  EXPECT_EQ(editor->edMODELO->Text(), "Segundo");
  EXPECT_TRUE(editor->Colunas().empty());
  // Closing the consultation without picking keeps the layout being edited.
  dialogs_.Modal("TfrConsultaGeradorImportacaoSocios", [](TForm_VYN& f) { f.Close(); });
  editor->sbCODGERADOR->Click();
  EXPECT_EQ(editor->edCODGERADOR->Codigo(), 2);
  // A code not registered yet is a new layout saved under it, with what was typed.
  Digita(*editor, *editor->edCODGERADOR, "9");
  EXPECT_EQ(editor->edMODELO->Text(), "Segundo");
  editor->edMODELO->SetText("Cópia");
  editor->Salvar();
  EXPECT_EQ(Db().QueryValue("SELECT BDMODELO FROM TGERADOR_IMPORTACAO_SOCIOS WHERE BDCODGERADOR = 9").AsString(), "Cópia");
}

TEST(ConsultaImportacaoSociosTreeView, TextosDasColunasCodificadas) {
  using R = TfrConsultaImportacaoSociosTreeView;
  EXPECT_EQ(R::grGridMostraDado("BDINDNIF", "-1"), "");
  EXPECT_EQ(R::grGridMostraDado("BDINDNIF", "2"), "País não exige NIF");
  EXPECT_EQ(R::grGridMostraDado("BDINDNIF", "7"), "7");
  EXPECT_EQ(R::grGridMostraDado("BDESTCIVILSOC", "9"), "");
  EXPECT_EQ(R::grGridMostraDado("BDESTCIVILSOC", "5"), "União estável");
  EXPECT_EQ(R::grGridMostraDado("BDREGESTCIVILSOC", "3"), "Regime de participação final nos aquestos");
  EXPECT_EQ(R::grGridMostraDado("BDQUALIRESPLEGALSOC", "x"), "x");
}

}  // namespace
}  // namespace integracao
