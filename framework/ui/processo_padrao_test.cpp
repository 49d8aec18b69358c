#include "framework/ui/processo_padrao.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/control.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/processo_empresa.h"
#include "framework/ui/scripted_dialogs.h"
#include "framework/ui/status_processo.h"

namespace vyn {
namespace {

// A screen that records the order of the run's operations.
class TfrRecorder : public TfrProcesso_Padrao_VYN {
 public:
  using TfrProcesso_Padrao_VYN::TfrProcesso_Padrao_VYN;
  std::vector<std::string> calls;
  bool pode = true;
  std::string pergunta;
  std::vector<int> rows;          // company rows FDAO gets
  int skip = -1;                  // OnBeforeProcesso refuses this company
  int cancelAfter = -1;           // the user cancels in the progress window after this company
  bool falha = false;             // Processo raises
  TfrStatusProcesso* status = nullptr;

 protected:
  bool PodeIniciarProcesso() override {
    calls.push_back("Pode");
    return pode;
  }
  std::string GetMsgConfirmacaoProcesso() override { return pergunta; }
  void CreateDAO() override {
    calls.push_back("CreateDAO");
    if (rows.empty()) return;
  }
  void InicioProcesso() override {
    TfrProcesso_Padrao_VYN::InicioProcesso();
    calls.push_back("Inicio");
    status = TfrStatusProcesso::createStatusProcess(this, 3);
    if (!rows.empty()) {
      auto* ds = Create<TClientDataSet>();
      ds->AddFieldDef("BDCODEMP", TFieldType::ftInteger);
      ds->CreateDataSet();
      for (int r : rows) ds->AppendRecord({Variant(r)});
      FDAO = ds;
    }
  }
  void SelectProcesso() override {
    TfrProcesso_Padrao_VYN::SelectProcesso();
    calls.push_back("Select");
  }
  void ChamaProcesso() override {
    calls.push_back("Chama");
    TfrProcesso_Padrao_VYN::ChamaProcesso();
  }
  bool OnBeforeProcesso() override {
    int emp = FDAO ? static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger()) : 0;
    calls.push_back("Before" + std::to_string(emp));
    return emp != skip;
  }
  void Processo() override {
    int emp = FDAO ? static_cast<int>(FDAO->FieldByName("BDCODEMP").AsInteger()) : 0;
    calls.push_back("Processo" + std::to_string(emp));
    if (falha) throw std::runtime_error("Falha no processo");
    Inconsistencias_VYN()->Add_Informativo("feito");
    if (emp == cancelAfter) status->Cancel();
  }
  bool fCancelaProcesso() override { return TfrProcesso_Padrao_VYN::fCancelaProcesso() || status->getCancel(); }
  void FimProcesso() override {
    calls.push_back("Fim");
    status->Finalize();
  }
  void PosicionaFocus() override { calls.push_back("Foco"); }
};

using Calls = std::vector<std::string>;

TEST(ProcessoPadrao, RunsTheStagesInOrderOncePerCompanyRow) {
  TMemoryLogWriter log;
  ProcessContext().ActionLog = &log;
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrRecorder>();
  f->rows = {10, 20, 30};
  f->skip = 20;
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"CreateDAO", "Pode", "Inicio", "Select", "Chama", "Before10", "Processo10", "Before20",
                             "Before30", "Processo30", "Fim", "Foco"}));
  // Messages of each row are grouped under its company.
  EXPECT_EQ(f->Inconsistencias_VYN()->Grupos(), (std::vector<int>{10, 30}));
  EXPECT_TRUE(dialogs.Calls().empty());
  ProcessContext().ActionLog = nullptr;
}

TEST(ProcessoPadrao, WithoutRowsProcessoRunsOnce) {
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrRecorder>();
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"CreateDAO", "Pode", "Inicio", "Select", "Chama", "Before0", "Processo0", "Fim", "Foco"}));
}

TEST(ProcessoPadrao, FalseStartCheckOrNoAnswerEndsTheRunAndTheAnswerIsLogged) {
  TMemoryLogWriter log;
  ProcessContext().ActionLog = &log;
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrRecorder>();
  f->pode = false;
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"CreateDAO", "Pode"}));

  f->calls.clear();
  f->pode = true;
  f->pergunta = "Deseja realizar o ^cálculo?";
  dialogs.No("Deseja realizar o cálculo?");
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"Pode"}));
  ASSERT_EQ(log.Records.size(), 1u);
  EXPECT_EQ(log.Records[0].Linhas, (std::vector<std::string>{"Mensagem: \"Deseja realizar o cálculo?\". Resposta: \"Não\""}));
  EXPECT_EQ(log.Records[0].Tela, "TfrProcesso_Padrao_VYN");

  // Closing the box counts as Cancel: no run, logged as No.
  dialogs.Answer("", mrCancel);
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"Pode", "Pode"}));
  EXPECT_EQ(log.Records.back().Linhas.back(), "Mensagem: \"Deseja realizar o cálculo?\". Resposta: \"Não\"");

  dialogs.Yes();
  f->spOK->Click();
  EXPECT_EQ(f->calls.back(), "Foco");
  EXPECT_TRUE(dialogs.Done());

  // A run that fails still leaves the confirmation on the log.
  const size_t antes = log.Records.size();
  f->falha = true;
  dialogs.Yes();
  EXPECT_THROW(f->spOK->Click(), std::runtime_error);
  ASSERT_EQ(log.Records.size(), antes + 1);
  EXPECT_EQ(log.Records.back().Linhas.front(), "Mensagem: \"Deseja realizar o cálculo?\". Resposta: \"Sim\"");
  ProcessContext().ActionLog = nullptr;
}

// The host's progress window, where the user presses cancel during the second company.
struct CancelOnSecondPoll : IProgressRenderer {
  int polls = 0;
  bool closed = false;
  void Update(const TfrStatusProcesso&) override {}
  bool CancelRequested(const TfrStatusProcesso&) override { return ++polls >= 2; }
  void Close(const TfrStatusProcesso&) override { closed = true; }
};

TEST(ProcessoPadrao, CancelInTheProgressWindowStopsBetweenRows) {
  TScriptedDialogs dialogs;
  {
    auto f = MakeForm<TfrRecorder>();
    f->rows = {1, 2, 3};
    f->cancelAfter = 2;
    f->spOK->Click();
    EXPECT_EQ(f->calls, (Calls{"CreateDAO", "Pode", "Inicio", "Select", "Chama", "Before1", "Processo1", "Before2",
                               "Processo2", "Fim", "Foco"}));
  }
  CancelOnSecondPoll renderer;
  ProcessContext().Progress = &renderer;
  auto f = MakeForm<TfrRecorder>();
  f->rows = {1, 2, 3};
  f->spOK->Click();
  EXPECT_EQ(f->calls, (Calls{"CreateDAO", "Pode", "Inicio", "Select", "Chama", "Before1", "Processo1", "Fim", "Foco"}));
  EXPECT_TRUE(renderer.closed);
  ProcessContext().Progress = nullptr;
}

// An unattended screen that asks the user: the run fails with the question's text.
class TfrPergunta : public TfrProcesso_Padrao_VYN {
 public:
  using TfrProcesso_Padrao_VYN::TfrProcesso_Padrao_VYN;
  bool processed = false;

 protected:
  bool PodeIniciarProcesso() override { return DlgConfSimNao("^Confirma a importação?") == mrYes; }
  void Processo() override { processed = true; }
};

TEST(ProcessoPadrao, UnattendedRunWithADialogFailsWithItsText) {
  TScriptedDialogs dialogs;
  auto f = MakeForm<TfrPergunta>();
  f->FIsTARVO = true;
  EXPECT_TRUE(IsUnattended());
  try {
    f->spOK->Click();
    FAIL() << "no error";
  } catch (const EDialogInUnattendedRun& e) {
    EXPECT_STREQ(e.what(), "Confirma a importação?");
  }
  EXPECT_FALSE(f->processed);
  EXPECT_TRUE(dialogs.Calls().empty());
  f.reset();
  EXPECT_FALSE(IsUnattended());   // the flag leaves with its screen

  // A flag handed on from another counts as its own: the run stays unattended until both are down.
  TUnattendedFlag tarefa, tela;
  tarefa = true;
  tela = tarefa;
  tarefa = false;
  EXPECT_TRUE(IsUnattended());
  tela = false;
  EXPECT_FALSE(IsUnattended());
}

}  // namespace
}  // namespace vyn
