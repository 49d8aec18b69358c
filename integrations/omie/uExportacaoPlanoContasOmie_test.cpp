#include "integrations/omie/uExportacaoPlanoContasOmie.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>

#include "framework/accounting/exportacao_omie_db_mgr.h"
#include "framework/host/publicas.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/status_processo.h"
#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;

class ExportacaoPlanoOmieTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    TPublicas::SetReferencia(202401);
    pla_ = static_cast<int>(Db().QueryValue("select first 1 BDCODPLAPADRAO from TEMPRESAS_REF where BDCODEMP = 1")
                                .AsInteger());
    server_.On("POST", "/api/v1/contador/planocontas/", [this](const TFakeRequest& r) { return Omie(r); });
    tela_ = MakeForm<TfrExportacaoPlanoContasOmie>();
    tela_->OnPreparaClienteOmie = [this](TIntegracaoOmieBase& c) { c.SetURLBase(server_.BaseURL()); };
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << testing::PrintToString(dialogs_.Pending());
    tela_.reset();
    CompanyDatabaseTest::TearDown();
  }
  void PreparaReferencial() {
    Db().Execute("update TEMPRESAS_REF set BDCODPLAPADRAOREF = 9 where BDCODEMP = 1");
    Db().Execute("insert into TGRUPOCTA_ECF (BDCODGRUPOCTA) values (1)");
    Db().Execute("insert into PLANOS_TPLA_ECF (BDCODPLAPADRAO, BDCODPLAPADRAOREF, BDANO, BDCODGRUPOCTA) values (?, 9, "
                 "2023, 1)",
                 {pla_});
  }
  std::vector<std::string> Chamadas() {
    std::vector<std::string> out;
    for (const auto& r : server_.Requests()) out.push_back(nlohmann::json::parse(r.Body)["call"].get<std::string>());
    return out;
  }
  // Omie's chart as a stateful peer: it lists, upserts and removes accounts, and refuses the upserts
  // of the codes in recusadas_ (and the removals when recusaExclusao_).
  TFakeResponse Omie(const TFakeRequest& req) {
    const auto corpo = nlohmann::ordered_json::parse(req.Body);
    const std::string call = corpo["call"];
    const auto& p = corpo["param"][0];
    std::lock_guard<std::mutex> g(m_);
    if (call == "ListarContasContabeis") {
      nlohmann::ordered_json r = {{"pagina", 1}, {"total_de_paginas", 1}, {"contas", nlohmann::ordered_json::array()}};
      for (const auto& [codigo, conta] : omie_) r["contas"].push_back(conta);
      return TFakeResponse(200, r.dump());
    }
    if (call == "UpsertContaContabil") {
      if (recusadas_.count(p["codigo_conta_integracao"])) return TFakeResponse(500, R"({"faultstring":"Conta inválida"})");
      omie_[p["codigo_conta_integracao"]] = p;
    } else if (call == "ExcluirContaContabil") {
      if (recusaExclusao_) return TFakeResponse(500, R"({"faultstring":"Conta em uso"})");
      omie_.erase(p["codigo_conta_integracao"].get<std::string>());
    } else if (call == "ExcluirPlanoContas") {
      std::set<std::string> manter;
      for (const auto& c : p["manter"]) manter.insert(c.get<std::string>());
      std::erase_if(omie_, [&](const auto& c) { return !manter.count(c.first); });
    }
    return TFakeResponse(200, "{}");
  }
  static nlohmann::ordered_json Conta(const std::string& codigo, const std::string& descricao) {
    return {{"codigo_conta_integracao", codigo}, {"classificacao", "9." + codigo}, {"descricao", descricao}, {"tipo", "A"}};
  }
  std::mutex m_;
  std::map<std::string, nlohmann::ordered_json> omie_;
  std::set<std::string> recusadas_;
  bool recusaExclusao_ = false;
  int pla_ = 0;
  TScriptedDialogs dialogs_;
  std::unique_ptr<TfrExportacaoPlanoContasOmie, TFormDeleter> tela_;
  TFakeHttpServer server_;
};

TEST_F(ExportacaoPlanoOmieTest, CompaniesThatCannotGoStopTheWholeExport) {
  dialogs_.List();
  tela_->spOK->Click();   // no company chosen: every Omie company is checked
  ASSERT_EQ(tela_->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find("não possui plano referencial preparado"),
            std::string::npos);
  // A referential plan without rows for its latest year is no better.
  Db().Execute("update TEMPRESAS_REF set BDCODPLAPADRAOREF = 9 where BDCODEMP = 1");
  Db().Execute("update TEMPRESAS set BDOMIE = 'FALSE' where BDCODEMP = 1");
  tela_->edCODEMP->Vale(1);
  dialogs_.List();
  tela_->spOK->Click();
  ASSERT_EQ(tela_->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find("não está configurada como Omie!"), std::string::npos);
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(ExportacaoPlanoOmieTest, TheCompanyLookUpOffersTheOmieCompaniesAndFillsTheEdit) {
  Db().Execute("update TEMPRESAS set BDOMIE = 'TRUE' where BDCODEMP = 2");
  dialogs_.Ticks({0, 1}, true, "Empresas");
  tela_->spConsulta_Empresa->Click();
  EXPECT_EQ(tela_->edCODEMP->CodigosSelecionados(), (std::vector<int64_t>{1, 2}));
  ASSERT_EQ(dialogs_.Calls().size(), 1u);
  EXPECT_EQ(dialogs_.Calls()[0].Checked, (std::vector<bool>{false, false}));

  // The toolbar's consult opens the same look-up, showing what is chosen; one company is typed in.
  dialogs_.Ticks({1});
  tela_->spConsulta->Click();
  EXPECT_EQ(dialogs_.Calls()[1].Checked, (std::vector<bool>{true, true}));
  EXPECT_EQ(tela_->edCODEMP->QtdeSelecionados(), 1);
  EXPECT_EQ(tela_->edCODEMP->Codigo(), 2);
}

TEST_F(ExportacaoPlanoOmieTest, ReplaceSendsEveryAnalyticAccountBeforeRemovingTheOthers) {
  PreparaReferencial();
  const int analiticas = static_cast<int>(
      Db().QueryValue("select count(*) from PLANOS_TPLA where BDCODPLAPADRAO = ? and BDTIPCTA = 'A'", {pla_})
          .AsInteger());
  ASSERT_GT(analiticas, 1);
  dialogs_.Yes("mantendo as contas");
  tela_->ckREPLACE->SetChecked(true);
  EXPECT_FALSE(tela_->ckFORCE_REPLACE->Enabled());
  EXPECT_EQ(tela_->GetMetodoExportacao(), "REPLACE");
  dialogs_.List();
  tela_->spOK->Click();
  auto chamadas = Chamadas();
  ASSERT_EQ(chamadas.size(), static_cast<size_t>(analiticas) + 2);
  EXPECT_EQ(chamadas[0], "ListarContasContabeis");
  EXPECT_EQ(chamadas[1], "UpsertContaContabil");
  EXPECT_EQ(chamadas.back(), "ExcluirPlanoContas");
  // The removal names the accounts just sent: only the others go.
  const auto exclusao = nlohmann::json::parse(server_.LastRequest().Body)["param"][0];
  EXPECT_EQ(exclusao["verificar_configuracoes"], "S");
  EXPECT_EQ(exclusao["manter"].size(), static_cast<size_t>(analiticas));
  EXPECT_EQ(tela_->Inconsistencias_VYN->CountErros(), 0);
  EXPECT_EQ(tela_->Inconsistencias_VYN->CountInformativo(), 1);

  // Omie refusing the first account: nothing is removed, and the list says Omie kept its chart.
  const size_t antes = server_.Requests().size();
  server_.On("POST", "/api/v1/contador/planocontas/", TFakeResponse(500, R"({"faultstring":"Conta em uso"})"));
  dialogs_.List();
  tela_->spOK->Click();
  EXPECT_EQ(server_.Requests().size(), antes + 1);
  ASSERT_EQ(tela_->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find(
                "[OMIE] 500 - Conta em uso Nada foi alterado na Omie: o plano de contas dela continua o mesmo."),
            std::string::npos)
      << tela_->Inconsistencias_VYN->Itens()[0].Caption;

}

TEST_F(ExportacaoPlanoOmieTest, AReplacementRefusedMidwayPutsOmiesChartBackAsItWas) {
  PreparaReferencial();
  const auto codigos = Db().QueryAll(
      "select BDCODTPLA from PLANOS_TPLA where BDCODPLAPADRAO = ? and BDTIPCTA = 'A' order by BDCTALON, BDCODTPLA",
      {pla_});
  ASSERT_GE(codigos.Rows.size(), 3u);
  const std::string primeira = std::to_string(codigos.Value(0, "BDCODTPLA").AsInteger());
  const std::string terceira = std::to_string(codigos.Value(2, "BDCODTPLA").AsInteger());
  // Omie holds an older version of the first account and one account of its own settings.
  omie_[primeira] = Conta(primeira, "Caixa (plano antigo)");
  omie_["900"] = Conta("900", "Conta das configurações");
  const auto antes = omie_;
  recusadas_ = {terceira};
  dialogs_.Yes("excluído por completo");
  tela_->ckFORCE_REPLACE->SetChecked(true);
  dialogs_.List();
  tela_->spOK->Click();
  EXPECT_EQ(omie_, antes);   // one chart, the old one: the first account rewritten back, the second removed
  ASSERT_EQ(tela_->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find(
                "a conta " + terceira + " recusado pela Omie: [OMIE] 500 - Conta inválida A substituição foi desfeita: "
                "as 2 conta(s) já enviada(s) voltaram a ser como eram"),
            std::string::npos)
      << tela_->Inconsistencias_VYN->Itens()[0].Caption;

  // When Omie also refuses to take back the new account, the list names what it holds.
  recusaExclusao_ = true;
  dialogs_.List();
  tela_->spOK->Click();
  ASSERT_EQ(tela_->Inconsistencias_VYN->CountErros(), 1);
  const std::string segunda = std::to_string(codigos.Value(1, "BDCODTPLA").AsInteger());
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find(
                "não pôde ser desfeita por completo: na Omie, a(s) conta(s) " + segunda + " ficou(aram) como no plano"),
            std::string::npos)
      << tela_->Inconsistencias_VYN->Itens()[0].Caption;
  EXPECT_EQ(omie_.at(primeira), antes.at(primeira));
  EXPECT_EQ(omie_.size(), 3u);

  // Without the chart's reading nothing is sent.
  const size_t pedidos = server_.Requests().size();
  server_.On("POST", "/api/v1/contador/planocontas/", TFakeResponse(200, "{}"));
  dialogs_.List();
  tela_->spOK->Click();
  EXPECT_EQ(server_.Requests().size(), pedidos + 1);
  EXPECT_NE(tela_->Inconsistencias_VYN->Itens()[0].Caption.find("Nada foi alterado na Omie"), std::string::npos);
}

// Counts the progress windows the screen opens and closes.
struct TJanelasProgresso : IProgressRenderer {
  std::set<const TfrStatusProcesso*> abertas;
  int fechadas = 0;
  void Update(const TfrStatusProcesso& w) override { abertas.insert(&w); }
  bool CancelRequested(const TfrStatusProcesso&) override { return false; }
  void Close(const TfrStatusProcesso& w) override {
    fechadas += static_cast<int>(abertas.erase(&w));
  }
};

TEST_F(ExportacaoPlanoOmieTest, ProgressWindowClosesWhetherTheExportEndsOrFailsMidway) {
  PreparaReferencial();
  TJanelasProgresso janelas;
  ProcessContext().Progress = &janelas;
  struct TRestaura {
    ~TRestaura() { ProcessContext().Progress = nullptr; }
  } restaura;

  dialogs_.List();
  tela_->spOK->Click();
  EXPECT_TRUE(janelas.abertas.empty());
  EXPECT_EQ(janelas.fechadas, 1);

  // The company's client cannot be made: the run fails after its window opened.
  tela_->OnPreparaClienteOmie = [](TIntegracaoOmieBase&) { throw std::runtime_error("sem cliente"); };
  EXPECT_THROW(tela_->spOK->Click(), std::runtime_error);
  EXPECT_TRUE(janelas.abertas.empty());
  EXPECT_EQ(janelas.fechadas, 2);
  EXPECT_EQ(tela_->Exportacao()->Status, nullptr);
}

TEST_F(ExportacaoPlanoOmieTest, OptionsExcludeEachOther) {
  dialogs_.No("mantendo as contas");
  tela_->ckREPLACE->SetChecked(true);
  EXPECT_FALSE(tela_->ckREPLACE->Checked());
  EXPECT_TRUE(tela_->ckFORCE_REPLACE->Enabled());
  EXPECT_EQ(tela_->GetMetodoExportacao(), "UPSERT");
  tela_->ckExpSoCtaPrep->SetChecked(true);
  EXPECT_FALSE(tela_->ckREPLACE->Enabled());
  EXPECT_FALSE(tela_->ckFORCE_REPLACE->Enabled());
}

}  // namespace
}  // namespace integracao
