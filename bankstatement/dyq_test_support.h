#pragma once
// Test support of the Dyq dialogs: a company database with Dyq companies, the service's fake and
// the stand-ins of the screens other packages own.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/standins/observacao.h"
#include "framework/standins/telas_plataforma.h"
#include "framework/ui/edit.h"
#include "framework/ui/form.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {

// The user types the note into the platform's observation dialog and confirms it.
inline void DigitaObservacao(vyn::TForm_VYN& f, const std::string& nota) {
  auto& d = dynamic_cast<vyn::TfrDadosObservacaoDYQ&>(f);
  d.mmObservacao->SetText(nota);
  d.spConfirmar->Click();
}

// A screen opened by class name that keeps its parameter array's size (the statement review, the
// reconciliation screen).
template <const char* Nome>
class TTelaGravadora : public vyn::TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return Nome; }
  void SetListaObj(const vyn::TListaObj& lista) override {
    TForm_VYN::SetListaObj(lista);
    Tamanho = lista.Count();
  }
  int Tamanho = 0;
};

inline constexpr char kRevisao[] = "TfrConsultaImportacaoExtratoBancario";
inline constexpr char kConciliacao[] = "TfrProcessoConciliacaoBancaria";
using TRevisaoStub = TTelaGravadora<kRevisao>;
using TConciliacaoStub = TTelaGravadora<kConciliacao>;

class DyqDialogTest : public vyn::CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    lista_ = RegistrosExtratoBancario();
    // The dialogs' tests record what the reconciliation screen is handed instead of running it.
    std::erase_if(lista_, [](const TRegistroClasse& r) { return r.Nome == kConciliacao; });
    // The dialogs' tests stand the review in by a recorder of its parameter array.
    std::erase_if(lista_, [](const TRegistroClasse& r) { return r.Nome == kRevisao; });
    lista_.push_back(Registro<TRevisaoStub>(kRevisao, vyn::TClassKind::Screen));
    lista_.push_back(Registro<TConciliacaoStub>(kConciliacao, vyn::TClassKind::Screen));
    RegistraModulo(vyn::ClassRegistry(), lista_);
    telas_ = std::make_unique<vyn::TTelasDaPlataformaRegistradas>();
    auto& ctx = vyn::ProcessContext();
    salvo_ = {ctx.UserCode, ctx.UserName, ctx.CustomerCode, ctx.Referencia};
    ctx.UserCode = 7;
    ctx.UserName = "ana.souza";
    ctx.Referencia = 202403;
    Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_URL', ?)", {server.BaseURL()});
    Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_TOKEN', 'tok-prod')");
    Empresa(15, "TRUE", "Padaria Central Ltda", 0);
    Empresa(16, "FALSE", "Sem Dyq SA", 0);
    principal_ = vyn::MakeForm<vyn::TForm_VYN>();
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
    principal_.reset();
    telas_.reset();
    DesregistraModulo(vyn::ClassRegistry(), lista_);
    auto& ctx = vyn::ProcessContext();
    ctx.UserCode = salvo_.codigo;
    ctx.UserName = salvo_.nome;
    ctx.CustomerCode = salvo_.cliente;
    ctx.Referencia = salvo_.referencia;
    CompanyDatabaseTest::TearDown();
  }
  // A company with its name from 2024-01 and chart 3 (BDCODWEB 0: none).
  void Empresa(int cod, const char* dyq, const char* nome, int web) {
    Db().Execute("insert into TEMPRESAS (BDCODEMP, BDDYQ, BDCODWEB) values (?, ?, ?)",
                 {cod, dyq, web ? vyn::Variant(web) : vyn::Variant()});
    Db().Execute("insert into TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO) values (?, 202401, ?, 3)",
                 {cod, nome});
  }
  // Dyq answers this released-statement document for the company.
  void Liberados(int empresa, const std::string& documento) {
    server.On("GET", "/extratos-liberados", [empresa, documento](const vyn::TFakeRequest& r) {
      if (r.Param("empresa") != std::to_string(empresa)) return vyn::TFakeResponse(204, "");
      return vyn::TFakeResponse::Json(200, documento);
    });
  }
  template <class T>
  T* Abre(const char* nome) {
    return static_cast<T*>(vyn::TPackagesUtil::CarregaForm(principal_.get(), nome));
  }
  template <class T>
  T* Filho(vyn::TComponent& dono) const {
    for (vyn::TComponent* c : dono.Components())
      if (auto* f = dynamic_cast<T*>(c)) return f;
    return nullptr;
  }

  vyn::TFakeHttpServer server;
  vyn::TScriptedDialogs dialogs;
  vyn::TFormPtr<vyn::TForm_VYN> principal_;
  TListaRegistro lista_;
  std::unique_ptr<vyn::TTelasDaPlataformaRegistradas> telas_;   // the screens of other packages

 private:
  struct {
    int codigo;
    std::string nome, cliente;
    int referencia;
  } salvo_;
};

}  // namespace integracao
