#include "module/registro.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/core/text.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/standins/telas_plataforma.h"
#include "framework/standins/vinculos_baixa.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "bankstatement/revisao_extrato_test_support.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/standins/lancamentos.h"
#include "framework/ui/edit.h"
#include "settlement/settlement_test_support.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

class TTelaA : public vyn::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTelaA"; }
};
class TTarefaB : public vyn::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTarefaB"; }
};

TEST(RegistroModulo, LoadsAllOrNothingAndUnloadsEverything) {
  const TListaRegistro lista = {Registro<TTelaA>("TTelaA", vyn::TClassKind::Screen),
                                Registro<TTarefaB>("TTarefaB", vyn::TClassKind::Task)};
  vyn::TClassRegistry registry;
  RegistraModulo(registry, lista);
  for (const auto& r : lista) {
    auto c = registry.FindClass(r.Nome);
    ASSERT_TRUE(c) << r.Nome;
    EXPECT_EQ(c->Kind, r.Tipo) << r.Nome;
    EXPECT_EQ(registry.CreateComponent(r.Nome)->ClassName(), r.Nome);
  }
  DesregistraModulo(registry, lista);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());

  // A name another module holds: nothing of this list stays, and the other module's class is kept.
  registry.RegisterClass<TTelaA>("TTarefaB", vyn::TClassKind::Other);
  EXPECT_THROW(RegistraModulo(registry, lista), vyn::EClassRegistryError);
  ASSERT_EQ(registry.RegisteredClassNames(), std::vector<std::string>{"TTarefaB"});
  EXPECT_EQ(registry.FindClass("TTarefaB")->Kind, vyn::TClassKind::Other);
}

TEST(RegistroModulo, TheModulesOwnListRegistersEachNameOnceAndUnloadsClean) {
  const TListaRegistro todos = RegistrosDoModulo();
  vyn::TClassRegistry registry;
  RegistraModulo(registry);
  EXPECT_EQ(registry.RegisteredClassNames().size(), todos.size());
  DesregistraModulo(registry);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());
}

// Every screen class name written in the module's code (test code aside), but for those it only
// compares or asks rights for.
std::set<std::string> NomesDeTelasNoCodigo() {
  namespace fs = std::filesystem;
  const std::set<std::string> naoAbertas = {
      "TfrImportacaoOFC", "TfrImportacaoOFCConciliacao",   // the statement review's openers, compared
      "TfrPreparacaoContasReferencialECF",                  // a screen right asked for
      "TfrProcessoAuditoriaContabil",                       // looked for up the owner chain
  };
  const std::regex literal(R"re("([Tt][Ff]r[A-Za-z0-9_]+)")re");
  std::set<std::string> nomes;
  for (const char* pasta : {"module", "settlement", "bankstatement", "entryimport", "integrations", "postingutil",
                            "statutory", "partners"}) {
    for (const auto& e : fs::recursive_directory_iterator(fs::path(INTEGRACAO_SOURCE_DIR) / pasta)) {
      const std::string nome = e.path().filename().string();
      const std::string ext = e.path().extension().string();
      if ((ext != ".cpp" && ext != ".h") || nome.find("_test") != std::string::npos ||
          nome.find("test_support") != std::string::npos)
        continue;
      std::ifstream f(e.path());
      for (std::string linha; std::getline(f, linha);) {
        // A class's own name (ClassName, InheritsFrom) is not an opening.
        if (linha.find("ClassName()") != std::string::npos || linha.find("class_name") != std::string::npos) continue;
        for (std::sregex_iterator m(linha.begin(), linha.end(), literal), fim; m != fim; ++m)
          if (!naoAbertas.count((*m)[1])) nomes.insert((*m)[1]);
      }
    }
  }
  // Names that reach the loader from data: report requests name the suite's report screens.
  nomes.insert("TfrRelGeradorRelatorioRH");
  return nomes;
}

TEST(RegistroModulo, EveryScreenTheModuleOpensByNameResolvesInTheShippedRegistry) {
  vyn::TClassRegistry registry;
  vyn::RegistraTelasDaPlataforma(registry);
  RegistraModulo(registry);
  const std::set<std::string> nomes = NomesDeTelasNoCodigo();
  ASSERT_GT(nomes.size(), 60u);
  for (const std::string& nome : nomes) {
    auto c = registry.FindClass(nome);
    ASSERT_TRUE(c) << "Classe \"" << nome << "\" não registrada";
    EXPECT_EQ(c->Kind, vyn::TClassKind::Screen) << nome;
    auto tela = registry.CreateComponent(nome);
    EXPECT_NE(dynamic_cast<vyn::TForm_VYN*>(tela.get()), nullptr) << nome;
    EXPECT_TRUE(vyn::SameText(tela->ClassName(), nome)) << nome << " answers " << tela->ClassName();
  }
  DesregistraModulo(registry);
  vyn::DesregistraTelasDaPlataforma(registry);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());
}

class TelasDaPlataformaTest : public vyn::CompanyDatabaseTest {};

TEST_F(TelasDaPlataformaTest, ALinkMadeOnTheTaxGuideScreenIsPostedByTheSettlementEngine) {
  using namespace vyn;
  TTelasDaPlataformaRegistradas telas;
  TScriptedDialogs dialogs;
  seed::AddStandardCompany(Db(), 202401);
  TPublicas::SetReferencia(202401);
  seed::AddGuia(Db(), 1, 56, R(70));
  auto revisao = MakeForm<TForm_VYN>();
  TLancamentoMGR* entradas = EntradasEmMemoria(*revisao);
  TEdit_Codigo_Search_VYN* empresa = EditEmpresa1(*revisao);
  ASSERT_TRUE(empresa->Validate());
  entradas->AppendRecord({1, 3, seed::kContaFornecedores, seed::kContaBanco, Variant(), EncodeDate(2024, 3, 12), R(70),
                          "E3", Variant(), Variant(), false});
  TProcessoBaixas pb(revisao.get(), entradas);

  TListaObj p;
  p.Add(entradas);
  p.Add(pb.cdsVINC_EXT_BAN_BAIXA);
  p.Add(entradas->getMultiLancamentosDAO());
  auto* guias = dynamic_cast<TfrVinculoBaixaSubstituto*>(
      TPackagesUtil::CarregaFormParamsObj("TfrFiltroImpostosEmitidos", revisao.get(), std::move(p)));
  ASSERT_NE(guias, nullptr);
  guias->spConfirmar->Click();
  ASSERT_EQ(pb.cdsVINC_EXT_BAN_BAIXA->RecordCount(), 1);

  auto* lista = revisao->Create<TInconsistencias_VYN>();
  pb.GetVinculoBaixa(revisao.get(), empresa, lista, entradas);
  std::string mensagens;
  for (const auto& i : lista->Itens()) mensagens += i.Caption + "\n";
  EXPECT_EQ(Db().QueryValue("select count(*) from TDARFGERPGTO_BAIXA where BDCODEMP = 1 and BDCHAVEDARF = 56").AsInteger(), 1)
      << mensagens;
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN where BDVALOR = 70").AsInteger(), 1) << mensagens;
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
}

class TelasDaPlataformaNaRevisaoTest : public RevisaoLinhasTest {};

TEST_F(TelasDaPlataformaNaRevisaoTest, TheY570ReminderOfALineGoesOnceItsDataAreGivenOnTheY570Screen) {
  using namespace vyn;
  // Line 3 credits the financial application account: the review reminds of its Y570 data.
  dialogs.List();
  auto* t = Abre({{3, seed::kContaBanco, seed::kContaAplicacao, 1000, 1, "E3"}});
  auto lembretes = [&] {
    int n = 0;
    for (const auto& i : inc_.Itens()) n += i.Caption.find(kTextoY570) != std::string::npos;
    return n;
  };
  ASSERT_EQ(lembretes(), 1);
  Vai(*t, 3);
  t->AtualizarStatusBotoes();
  ASSERT_TRUE(t->spY570->Enabled());
  dialogs.Modal("tfrLancamentoY570Integracao", [](TForm_VYN& f) {
    auto& y = static_cast<TfrLancamentoY570Integracao&>(f);
    y.edCNPJFonte->SetText("12345678000190");
    y.spConfirmar->Click();
  });
  t->spY570->Click();
  EXPECT_EQ(lembretes(), 0);
  // The line's data wait for its entry: 3 is only the line's provisional key.
  EXPECT_EQ(Db().QueryValue("select count(*) from VZEL_EMPRESAS_TLAN_Y570").AsInteger(), 0);
  t->Close();
}

}  // namespace
}  // namespace integracao
