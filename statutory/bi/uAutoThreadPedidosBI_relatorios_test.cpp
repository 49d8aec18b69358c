#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/component/class_registry.h"
#include "framework/component/process_context.h"
#include "framework/data/client_dataset.h"
#include "framework/schema/pedidos_bi_tabelas.h"
#include "framework/schema/seed.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/item_de_menu.h"
#include "framework/ui/relatorio_padrao.h"
#include "framework/ui/sequencia_relatorio.h"
#include "statutory/bi/uAutoThreadPedidosBI.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

// A report screen of the suite: its data are the values its controls hold when it runs.
class TfrRelatorioTesteBI : public TfrRelatorio_Padrao_VYN {
 public:
  explicit TfrRelatorioTesteBI(TComponent* owner) : TfrRelatorio_Padrao_VYN(owner) {
    SetCaption("Relatório: teste");
    edCODEMP = Create<TEdit_Codigo_Search_VYN>(tcEmpresas);
    edCODEMP->SetName("edCODEMP");
    edData = Create<TEdit_Date_Padrao_VYN>();
    edData->SetName("edData");
    clItens = Create<TCheckListBox>();
    clItens->SetName("clItens");
    for (const char* i : {"a", "b", "c", "d"}) clItens->Add(i, true);
    edTexto = Create<TEdit_String_Padrao>();
    edTexto->SetName("edTexto");
    edTexto->SetText("sobra");
    dados = Create<TClientDataSet>();
    dados->AddFieldDef("EMPRESA", TFieldType::ftString, 20);
    dados->AddFieldDef("VALOR", TFieldType::ftString, 200);
    dados->CreateDataSet();
    frxDBDados = dados;
  }
  std::string ClassName() const override { return "TfrRelatorioTesteBI"; }
  TEdit_Codigo_Search_VYN* edCODEMP;
  TEdit_Date_Padrao_VYN* edData;
  TCheckListBox* clItens;
  TEdit_String_Padrao* edTexto;
  TClientDataSet* dados;

 protected:
  void CustomPrepareReport(TComponent*, TRelatorioFR& report) override {
    if (edTexto->Text() == "falha") {
      if (auto& e = WP_SEQUENCIARELATORIO(); e.OnInconsistencia) e.OnInconsistencia(tisErro, "Sem movimento");
      throw std::runtime_error("Relatório vazio");
    }
    std::string marcados;
    for (int i = 0; i < 4; ++i)
      if (clItens->Checked(i)) marcados += std::to_string(i);
    dados->EmptyDataSet();
    dados->AppendRecord({Variant(edCODEMP->Text()), Variant(edData->Text() + "|" + marcados + "|" + edTexto->Text())});
    report.Paginas = {"Página " + edData->Text()};
    estavaExecutando = WP_SEQUENCIARELATORIO().Executando;
  }

 public:
  static inline bool estavaExecutando = false;
};

class PedidosBIRelatoriosTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    seed::AddHeadOfficeAndBranch(Db());   // the requests' company 1
    ClassRegistry().RegisterClass<TfrRelatorioTesteBI>("TfrRelatorioTesteBI", TClassKind::Screen);
    pasta_ = fs::temp_directory_path() / ("bi_rel_" + std::to_string(::getpid()));
    fs::create_directories(pasta_);
    ProcessContext().ProgramFolder = pasta_.string() + "/";
    ProcessContext().WP_SEQUENCIARELATORIO.reset();
    ProcessContext().MenuSistema.reset();
  }
  void TearDown() override {
    ClassRegistry().UnRegisterClass("TfrRelatorioTesteBI");
    ProcessContext().WP_SEQUENCIARELATORIO.reset();
    ProcessContext().MenuSistema.reset();
    fs::remove_all(pasta_);
    CompanyDatabaseTest::TearDown();
  }
  void Pedido(int id, const std::string& classe, const std::string& parametros, int tipo, int emp = 1) {
    Db().Execute("INSERT INTO TPEDIDOS_BI (BDID, BDTIPO, BDPRONTO) VALUES (?, 3, 0)", {Variant(id)});
    Db().Execute("INSERT INTO TPEDIDOS_BI_RELATORIOS (BDID, BDNOMEREL, BDCODEMP, BDPARAMETROS, BDTIPOSAIDA) "
                 "VALUES (?, ?, ?, ?, ?)",
                 {Variant(id), Variant(classe), Variant(emp), Variant(parametros), Variant(tipo)});
  }
  std::vector<std::pair<int, std::string>> Linhas(int id) {
    auto r = Db().QueryAll(std::string("SELECT BDLINHA, BDRESULTADO FROM ") + kTabelaResultadosRelatorios +
                               " WHERE BDID = ? ORDER BY BDCHAVE",
                           {Variant(id)});
    std::vector<std::pair<int, std::string>> out;
    for (auto& row : r.Rows) out.push_back({static_cast<int>(row[0].AsInteger()), row[1].AsString()});
    return out;
  }
  int Pronto(int id) {
    return static_cast<int>(Db().QueryValue("SELECT BDPRONTO FROM TPEDIDOS_BI WHERE BDID = ?", {Variant(id)}).AsInteger());
  }
  void Roda(std::vector<int> ids) {
    TAutoThreadPedidosBI task;
    task.Parametros["pedidos"] = nlohmann::json::array();
    for (int id : ids) task.Parametros["pedidos"].push_back({{"id", std::to_string(id)}, {"tipo", "3"}});
    task.ExecuteTask();
  }
  fs::path pasta_;
};

TEST_F(PedidosBIRelatoriosTest, DataRowsFollowTheParametersAndEveryOutcomeMarksTheRequestReady) {
  Pedido(1, "TfrRelatorioTesteBI", "sistema=tsFolha;edData=03/2024;clItens=\"1,3\";\"edTexto=a;b=c\";naoExiste=9", 3);
  Pedido(2, "TfrRelatorioTesteBI", "sistema=tsContabil;edData=2024", 2);
  Pedido(3, "TfrNaoExiste", "sistema=tsContabil", 1);
  Pedido(4, "TfrRelatorioTesteBI", "sistema=tsContabil", 0);
  Pedido(5, "TfrRelatorioTesteBI", "sistema=tsContabil;edTexto=falha", 2);
  Pedido(6, "TfrRelGeradorRelatorioRH", "sistema=tsFolha;codigo=1 or 1=1", 3);
  MenuSistema().Sistema = 1;
  Roda({1, 2, 3, 4, 5, 6});

  auto l1 = Linhas(1);
  ASSERT_EQ(l1.size(), 2u) << (l1.empty() ? "" : l1[0].second);
  EXPECT_EQ(l1[0], (std::pair<int, std::string>{0, "EMPRESA;VALOR;"}));
  EXPECT_EQ(l1[1], (std::pair<int, std::string>{1, "1;01/03/2024|13|a;b=c;"}));
  EXPECT_TRUE(TfrRelatorioTesteBI::estavaExecutando);

  auto l2 = Linhas(2);
  ASSERT_EQ(l2.size(), 1u);
  EXPECT_EQ(fs::path(l2[0].second).extension(), ".txt");
  EXPECT_EQ(fs::path(l2[0].second).filename().string().rfind("Relatório teste-", 0), 0u) << l2[0].second;
  std::ifstream txt(l2[0].second);
  std::string pagina;
  std::getline(txt, pagina);
  EXPECT_EQ(pagina, "Página 01/01/2024\r");   // a year alone is its 1 January

  EXPECT_EQ(Linhas(3), (std::vector<std::pair<int, std::string>>{{0, "Não foi possível encontrar o relatório informado!"}}));
  EXPECT_EQ(Linhas(4), (std::vector<std::pair<int, std::string>>{{0, "Tipo de Exportação Inválida!"}}));
  // The screen's error problem and the failure itself: two lines 0, both kept.
  EXPECT_EQ(Linhas(5), (std::vector<std::pair<int, std::string>>{{0, "Sem movimento"},
                                                                 {0, "Erro ao rodar pedido: Relatório vazio"}}));
  auto l6 = Linhas(6);
  ASSERT_EQ(l6.size(), 1u);
  EXPECT_EQ(l6[0].second.rfind("Erro ao rodar pedido: ", 0), 0u);
  for (int id = 1; id <= 6; ++id) EXPECT_EQ(Pronto(id), 1) << id;

  // The host's sequence state and module are as they were before the requests.
  EXPECT_FALSE(WP_SEQUENCIARELATORIO().Executando);
  EXPECT_FALSE(WP_SEQUENCIARELATORIO().OnInconsistencia);
  EXPECT_EQ(WP_SEQUENCIARELATORIO().StatusProcesso, nullptr);
  EXPECT_EQ(MenuSistema().Sistema, 1);
}

TEST_F(PedidosBIRelatoriosTest, AnAnswerGivenAgainReplacesTheFirstAndAnUnknownCompanyIsRefused) {
  Pedido(1, "TfrRelatorioTesteBI", "sistema=tsContabil;edData=03/2024", 3);
  Pedido(2, "TfrRelatorioTesteBI", "sistema=tsContabil", 2, 999);
  Roda({1, 2});
  Roda({1});   // the same id sent again
  EXPECT_EQ(Linhas(1), (std::vector<std::pair<int, std::string>>{{0, "EMPRESA;VALOR;"}, {1, "1;01/03/2024||;"}}));
  EXPECT_EQ(Linhas(2), (std::vector<std::pair<int, std::string>>{{0, "Erro ao rodar pedido: Código 999 não encontrado!"}}));
  EXPECT_EQ(Pronto(2), 1);
  EXPECT_FALSE(fs::exists(pasta_ / "temp") && !fs::is_empty(pasta_ / "temp"));
}

// The module is read before the screen opens: a request naming one nobody knows ends the run and
// stays waiting, without its earlier answer; the requests answered before it stay answered.
TEST_F(PedidosBIRelatoriosTest, AnUnknownModuleEndsTheRunAndLeavesTheRequestWaiting) {
  Pedido(1, "TfrRelatorioTesteBI", "sistema=tsContabil", 3);
  Pedido(2, "TfrNaoExiste", "sistema=tsContabil", 1);
  Roda({1});
  Db().Execute("UPDATE TPEDIDOS_BI_RELATORIOS SET BDPARAMETROS = 'sistema=tsNaoExiste' WHERE BDID = 1");
  TAutoThreadPedidosBI task;
  task.Parametros["pedidos"] = {{{"id", "2"}, {"tipo", "3"}}, {{"id", "1"}, {"tipo", "3"}}};
  EXPECT_THROW(task.ExecuteTask(), std::runtime_error);
  EXPECT_EQ(task.MensagemExecucao(), "O pedido de BI 1 não foi respondido: Sistema desconhecido: tsNaoExiste");
  EXPECT_TRUE(Linhas(1).empty());
  EXPECT_EQ(Pronto(1), 0);
  EXPECT_EQ(Linhas(2), (std::vector<std::pair<int, std::string>>{{0, "Não foi possível encontrar o relatório informado!"}}));
  EXPECT_EQ(Pronto(2), 1);
  EXPECT_FALSE(WP_SEQUENCIARELATORIO().Executando);
}

}  // namespace
}  // namespace integracao
