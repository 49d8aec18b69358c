// Every screen the module registers, opened by class name as the host's menu opens it: no parameter
// list, the test company database, a user who cancels every dialog.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/form.h"
#include "framework/ui/packages_util.h"
#include "module/registro.h"
#include "statutory/ecf/ecf_listas.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using vyn::TForm_VYN;

// The user gives up on whatever is asked.
class TUsuarioQueCancela : public vyn::IDialogService {
 public:
  TUsuarioQueCancela() : previous_(vyn::ProcessContext().Dialogs) { vyn::ProcessContext().Dialogs = this; }
  ~TUsuarioQueCancela() override { vyn::ProcessContext().Dialogs = previous_; }
  TUsuarioQueCancela(const TUsuarioQueCancela&) = delete;
  TUsuarioQueCancela& operator=(const TUsuarioQueCancela&) = delete;

  int Message(const vyn::TDialogRequest&) override { return vyn::mrCancel; }
  bool ShowSegurancaProcesso(const std::string&, bool) override { return false; }
  std::vector<std::string> ChooseFile(const vyn::TFileRequest&) override { return {}; }
  bool Shell(const std::string&) override { return false; }
  void ShowInconsistencias(const vyn::TInconsistencias_VYN&, const std::string&) override {}
  void RunModal(TForm_VYN& form) override { form.SetModalResult(vyn::mrCancel); }
  bool ChooseItems(const std::string&, const std::vector<std::string>&, std::vector<bool>&) override {
    return false;
  }

 private:
  vyn::IDialogService* previous_;
};

std::vector<std::string> TelasRegistradas() {
  std::vector<std::string> telas;
  for (const auto& r : RegistrosDoModulo())
    if (r.Tipo == vyn::TClassKind::Screen) telas.push_back(r.Nome);
  return telas;
}

// The controls of a screen (at any depth) that a script could not reach by name.
std::string ControlesSemNome(const TForm_VYN& tela) {
  std::string semNome;
  std::vector<const vyn::TComponent*> pendentes(tela.Components().begin(), tela.Components().end());
  while (!pendentes.empty()) {
    const vyn::TComponent* c = pendentes.back();
    pendentes.pop_back();
    auto* controle = dynamic_cast<const vyn::TControl*>(c);
    if (controle && !dynamic_cast<const TForm_VYN*>(c) && c->Name().empty())
      semNome += " " + c->ClassName() + " '" + controle->Caption() + controle->Hint() + "'";
    pendentes.insert(pendentes.end(), c->Components().begin(), c->Components().end());
  }
  return semNome;
}

class AberturaDasTelas : public vyn::CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    RegistraModulo(vyn::ClassRegistry());
    // The installation's Dyq service, with nothing released.
    dyq_.On("GET", "/extratos-liberados", [](const vyn::TFakeRequest&) { return vyn::TFakeResponse(204, ""); });
    Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_URL', ?)", {dyq_.BaseURL()});
    Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_TOKEN', 'tok')");
  }
  void TearDown() override {
    DesregistraModulo(vyn::ClassRegistry());
    CompanyDatabaseTest::TearDown();
  }
  vyn::TFakeHttpServer dyq_;
};

// Screens only another screen opens, with the data it hands over: a bare open is refused with a
// sentence naming who opens them.
const std::set<std::string> kAbertasPorOutraTela = {
    "TfrImportacaoCompPagto",
    "TfrProcessoConciliacaoBancaria",
    "TfrConciliacaoOFC",
    "TfrConsultaImportacaoExtratoBancario",
    "TfrConsultaImportacaoLancCCTxt",
    "TfrConsultaImportacaoLancCCTxtHuge",
    "TfrConsultaImportacaoSociosTreeView",
    "TfrConsultaProcessosTrocasBalancetesTreeView",
    "TfrSelecaoRecontabilizacao",
    "TfrPreparacaoDadosComplementaresECFP500",
};

TEST_F(AberturaDasTelas, EveryRegisteredScreenOpensFromTheMenuOrRefusesWithAClearMessage) {
  TUsuarioQueCancela usuario;
  for (const std::string& nome : TelasRegistradas()) {
    SCOPED_TRACE(nome);
    vyn::TComponent aplicacao;
    try {
      TForm_VYN* tela = vyn::TPackagesUtil::CarregaFormERetorna(nome, &aplicacao);
      tela->Show();
      EXPECT_FALSE(kAbertasPorOutraTela.count(nome)) << "opened without the data its opener hands over";
      // What the screen builds while it opens is reachable too.
      EXPECT_EQ(ControlesSemNome(*tela), "");
      if (!tela->Closed()) tela->Close();
    } catch (const vyn::EExceptionTratadaInformativa_VYN& e) {
      EXPECT_TRUE(kAbertasPorOutraTela.count(nome)) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("Esta tela é aberta ", 0), 0u) << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

// A script reaches a control by its name: every control a screen builds carries one, and the ones
// users touch most carry the name the handlers use.
TEST_F(AberturaDasTelas, EveryControlOfEveryScreenCarriesItsName) {
  TUsuarioQueCancela usuario;
  std::map<std::string, std::vector<std::string>> nomeados = {
      {"TfrImportacaoOmie",
       {"ckNFe", "ckNFCe", "ckCTe", "ckCTeos", "rgTipoMov", "cbPeriodo", "cbQuinzenaMes", "cbSemanaMes",
        "ckAltCompHist", "ckBaixas", "spGerarTransacao"}},
      {"TfrExportacaoPlanoContasOmie", {"ckREPLACE", "ckFORCE_REPLACE", "ckExpSoCtaPrep"}},
      {"TfrConciliacaoOFC", {"edCODCTA", "edDATINI", "edDATFIN", "ckConsiderarZeroAEsquerda"}},
      {"TfrImportacaoLancamentoDYQ", {"lbTotal"}},
      {"TfrFiltroImportacaoMovimentoCaixaDYQ", {"ltTitTotalRegistro"}},
      {"TfrProcessoConciliacaoBancaria",
       {"gbExtrato", "gbContabil", "lbTotalSelExtrato", "lbTotalSelContabil", "pnAmarelo", "pnAzul", "pnVerde"}},
      {"TfrRelSequenciaRelatoriosColaborador", {"spExportaPDFCol"}},
      {"TfrGeradorImportacaoSocios", {"edCODGERADOR", "edMODELO", "spSalvar"}},
      // The ECF task restores the saved screen values by the controls' names.
      {"TfrExportacaoECF",
       {"cbInicioPeriodo", "cbSituacaoEspecial", "cbTipoECF", "cbAlteracaoCapital", "cbEscrituracaoAtivo",
        "cbAvaliacaoEstoqueFinal", "cbAvaliacaoEstoques", "cbTipoDocumento", "cbRegimeApuracao", "cbRetificadora",
        "cbOptanteRefis", "cbOptantePaes", "cbTributacao", "cbPeriodoIRPJ", "cbQualificacaoPJ", "cbTipoEscrituracao",
        "cbTipoEntidade", "cbApuracaoIRPJImunesIsentas", "cbApuracaoCSLL", "cbOptantePelaLei", "cbDiferencaSocFCont",
        "cbPercentualAliquotaCSLL", "rgContabilizacao", "ckExportaZeradas", "ckExportaPlanoAnterior", "ckExportarCC",
        "ckTotalizarDistribuicaoLucros", "ckDerex", "ckGrupoMultinacional", "edRemanescente", "edQuantidadeSCP",
        "edAliquotaReduzida", "edNumeroRecibo", "edCodEmpSCP", "edContaAjusteECF", "edContaLivroCaixa", "edCNPJSCP",
        "edInformacoesFiscais", "edDataSituacaoEspecial", "edDataPlanoContas"}},
  };
  auto& ecfChecks = nomeados["TfrExportacaoECF"];
  ecfChecks.insert(ecfChecks.end(), std::begin(ecf::kIndicadores0020), std::end(ecf::kIndicadores0020));
  ecfChecks.insert(ecfChecks.end(), std::begin(ecf::kRegimesTodosAnos), std::end(ecf::kRegimesTodosAnos));
  ecfChecks.insert(ecfChecks.end(), std::begin(ecf::kRegimesAnteriores), std::end(ecf::kRegimesAnteriores));
  ecfChecks.insert(ecfChecks.end(), std::begin(ecf::kRegimes2023), std::end(ecf::kRegimes2023));
  for (const std::string& nome : TelasRegistradas()) {
    SCOPED_TRACE(nome);
    vyn::TComponent aplicacao;
    auto* tela = dynamic_cast<TForm_VYN*>(vyn::ClassRegistry().CreateComponent(nome, aplicacao));
    ASSERT_TRUE(tela);
    tela->AfterConstruction();
    EXPECT_EQ(ControlesSemNome(*tela), "");
    if (auto it = nomeados.find(nome); it != nomeados.end()) {
      for (const std::string& controle : it->second) EXPECT_TRUE(tela->FindComponent(controle)) << controle;
    }
  }
}

}  // namespace
}  // namespace integracao
