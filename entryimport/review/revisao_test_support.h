#pragma once
// Test support of the entry reviews and their feeders: company 1 in January 2024 with the reviews
// registered, and an opener form of the caller's class holding the company edit, the run's list and
// the posting lock a review is opened with.
#include <gtest/gtest.h>

#include "framework/component/class_registry.h"
#include "framework/host/publicas.h"
#include "framework/schema/seed.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/posting_lock.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "settlement/settlement_test_support.h"
#include "testing/company_db.h"

namespace integracao {

class RevisaoLancamentosTest : public vyn::CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    vyn::seed::AddStandardCompany(Db(), 202401);
    vyn::TPublicas::SetReferencia(202401);
    RegistraModulo(vyn::ClassRegistry(), RegistrosRevisaoLancamentos());
  }
  void TearDown() override {
    DesregistraModulo(vyn::ClassRegistry(), RegistrosRevisaoLancamentos());
    CompanyDatabaseTest::TearDown();
  }
  int64_t Conta(const std::string& sql, const vyn::TParams& p = {}) { return Db().QueryValue(sql, p).AsInteger(); }
};

template <class TAbertura>
class RevisaoComAberturaTest : public RevisaoLancamentosTest {
 protected:
  void SetUp() override {
    RevisaoLancamentosTest::SetUp();
    opener_ = vyn::MakeForm<TAbertura>();
    empresa_ = EditEmpresa1(*opener_);
    ASSERT_TRUE(empresa_->Validate());
    lista_ = opener_->template Create<vyn::TInconsistencias_VYN>();
    bloqueio_ = opener_->template Create<vyn::TBloqueioLancamento_VYN>();
    bloqueio_->SetInconsistencias(lista_);
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs_.Done()) << (dialogs_.Failures().empty() ? "" : dialogs_.Failures().front());
    opener_.reset();
    RevisaoLancamentosTest::TearDown();
  }

  vyn::TScriptedDialogs dialogs_;
  vyn::TFormPtr<TAbertura> opener_;
  vyn::TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  vyn::TInconsistencias_VYN* lista_ = nullptr;
  vyn::TBloqueioLancamento_VYN* bloqueio_ = nullptr;
};

}  // namespace integracao
