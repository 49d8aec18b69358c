#include "postingutil/uAtualizacaoSistema_varku.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/date_time_picker.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using Linhas = std::vector<std::string>;

class AtualizacaoSistemaTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ProcessContext().ActionLog = &log_;
  }
  void TearDown() override {
    ProcessContext().ActionLog = nullptr;
    EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
    CompanyDatabaseTest::TearDown();
  }
  // The schedule row: {BDVALORSTR, BDVALORINT} as text, or empty when there is none.
  Linhas Linha() {
    TQueryResult r = Db().QueryAll("SELECT BDVALORSTR, BDVALORINT FROM TPARAMETRO WHERE BDPARAM = ?",
                                   {Variant(kParamAtualizacaoPeloVarku)});
    if (r.Rows.empty()) return {};
    EXPECT_EQ(r.Rows.size(), 1u);
    return {r.Rows[0][0].AsString(), r.Rows[0][1].AsString()};
  }
  void Grava(const std::string& hora, int modo) {
    Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR, BDVALORINT) VALUES (?, ?, ?)",
                 {Variant(kParamAtualizacaoPeloVarku), Variant(hora), Variant(modo)});
  }
  TFormPtr<TfrAtualizacaoSistema_varku> Abre() {
    auto d = MakeForm<TfrAtualizacaoSistema_varku>();
    d->Show();
    return d;
  }
  void EscolheHora(TfrAtualizacaoSistema_varku& d, int h, int m) {
    d.rgExecutarAtualizacao->Select(1);
    d.dpHoras->SetTime(EncodeDateTime(1899, 12, 30, h, m, 0));
  }

  TScriptedDialogs dialogs_;
  TMemoryLogWriter log_;
};

const Linhas kPergunta = {"Atualização do sistema a partir do Varku", "", "Deseja realmente realizar o processo?",
                          "[SIM] [NÃO]"};

Linhas Com(Linhas a, const Linhas& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(AtualizacaoSistemaTest, WithoutARowOpensOnNowAndSavingUpsertsTheOneRowWithItsLog) {
  auto d = Abre();
  EXPECT_EQ(d->Caption(), "Atualização do sistema");
  EXPECT_EQ(d->rgExecutarAtualizacao->ItemIndex(), 0);
  EXPECT_EQ(d->rgModoAtualizacao->ItemIndex(), 0);
  EXPECT_FALSE(d->dpHoras->Enabled());
  EXPECT_FALSE(d->spCancelar->Enabled());
  EXPECT_EQ(d->spCancelar->Hint(), "Cancelar agendamento de atualização");

  EscolheHora(*d, 21, 5);
  EXPECT_TRUE(d->dpHoras->Enabled());
  d->rgModoAtualizacao->Select(1);
  dialogs_.Yes("Deseja realmente realizar o processo?");
  d->spConfirmar->Click();
  EXPECT_TRUE(d->Closed());
  EXPECT_EQ(Linha(), (Linhas{"21:05", "1"}));
  ASSERT_EQ(log_.Records.size(), 1u);
  EXPECT_EQ(log_.Records[0].TipoAcao, logProcesso);
  EXPECT_EQ(log_.Records[0].Tabela, "TPARAMETRO");
  EXPECT_EQ(log_.Records[0].Linhas,
            Com(kPergunta, {"Selecionado: [SIM]", "", "Tipo atualização: Atualizar versão especial",
                            "Executar atualização: Executar a atualização às 21:05 horas"}));

  // Saving again overwrites the same row; "now" stores an empty time.
  dialogs_.Ok("Uma atualização versão especial já foi agendada para às 21:05 horas");
  auto d2 = Abre();
  d2->rgExecutarAtualizacao->Select(0);
  d2->rgModoAtualizacao->Select(0);
  EXPECT_FALSE(d2->dpHoras->Enabled());
  dialogs_.Yes();
  d2->spConfirmar->Click();
  EXPECT_EQ(Linha(), (Linhas{"", "0"}));
  ASSERT_EQ(log_.Records.size(), 2u);
  EXPECT_EQ(log_.Records[1].Linhas.back(), "Executar atualização: Executar a atualização agora");
}

TEST_F(AtualizacaoSistemaTest, AnsweringNoWritesTheQuestionAndAnswerAloneAndSavesNothing) {
  auto d = Abre();
  EscolheHora(*d, 8, 0);
  dialogs_.No("Deseja realmente realizar o processo?");
  d->spConfirmar->Click();
  EXPECT_FALSE(d->Closed());
  EXPECT_TRUE(Linha().empty());
  ASSERT_EQ(log_.Records.size(), 1u);
  EXPECT_EQ(log_.Records[0].Linhas, Com(kPergunta, {"Selecionado: [NÃO]"}));

  // The refused lines do not ride along with the next action.
  dialogs_.Yes();
  d->spConfirmar->Click();
  ASSERT_EQ(log_.Records.size(), 2u);
  EXPECT_EQ(log_.Records[1].Linhas.at(4), "Selecionado: [SIM]");
  EXPECT_EQ(log_.Records[1].Linhas.size(), 8u);
  EXPECT_EQ(Linha(), (Linhas{"08:00", "0"}));
}

TEST_F(AtualizacaoSistemaTest, ATimedRowIsShownAndCancellingDeletesItAndResetsTheDialog) {
  Grava("07:45", 1);
  dialogs_.Ok("Uma atualização versão especial já foi agendada para às 07:45 horas");
  auto d = Abre();
  EXPECT_EQ(d->rgExecutarAtualizacao->ItemIndex(), 1);
  EXPECT_EQ(d->rgModoAtualizacao->ItemIndex(), 1);
  EXPECT_EQ(d->getTime(), "07:45");
  EXPECT_TRUE(d->dpHoras->Enabled());
  EXPECT_TRUE(d->spCancelar->Enabled());

  dialogs_.No("Deseja realmente cancelar o agendamento?");
  d->spCancelar->Click();
  EXPECT_EQ(Linha(), (Linhas{"07:45", "1"}));
  EXPECT_TRUE(log_.Records.empty());

  dialogs_.Yes("Deseja realmente cancelar o agendamento?");
  d->spCancelar->Click();
  EXPECT_TRUE(Linha().empty());
  EXPECT_FALSE(d->Closed());
  EXPECT_FALSE(d->spCancelar->Enabled());
  EXPECT_EQ(d->rgExecutarAtualizacao->ItemIndex(), 0);
  EXPECT_FALSE(d->dpHoras->Enabled());
  ASSERT_EQ(log_.Records.size(), 1u);
  EXPECT_EQ(log_.Records[0].Linhas, (Linhas{"Atualização do sistema a partir do Varku", "",
                                            "Agendamento de atualização para às 07:45 horas cancelado."}));
}

TEST_F(AtualizacaoSistemaTest, AnUntimedRowRestoresOnlyTheModeAndAnUnreadableTimeShowsMidnight) {
  Grava("", 1);
  auto d = Abre();
  EXPECT_EQ(d->rgModoAtualizacao->ItemIndex(), 1);
  EXPECT_EQ(d->rgExecutarAtualizacao->ItemIndex(), 0);
  EXPECT_FALSE(d->spCancelar->Enabled());
  EXPECT_TRUE(dialogs_.Messages().empty());
  d.reset();

  Db().Execute("UPDATE TPARAMETRO SET BDVALORSTR = '25:99', BDVALORINT = 0");
  dialogs_.Ok("Uma atualização já foi agendada para às 25:99 horas");
  d = Abre();
  EXPECT_EQ(d->rgModoAtualizacao->ItemIndex(), 0);
  EXPECT_EQ(d->getTime(), "00:00");
}

}  // namespace
}  // namespace integracao
