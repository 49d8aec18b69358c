#include "postingutil/uProcessoDefineInicioContabilizacao.h"

#include <gtest/gtest.h>

#include "framework/component/process_context.h"
#include "framework/host/posting_lock_check.h"
#include "framework/schema/seed.h"
#include "framework/ui/combo_lookup.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"

namespace integracao {
namespace {

using namespace vyn;
using Linhas = std::vector<std::string>;

constexpr int kFiscal = 0;   // items of the module combo, in the order of the systems
constexpr int kFolha = 1;

class InicioContabilizacaoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    ProcessContext().ActionLog = &log;
    ProcessContext().PostingLocks = &locks;
    ProcessContext().UserName = "Ana";
    ProcessContext().WP_RESPONSAVEL = "Bia";
    seed::AddHeadOfficeAndBranch(Db());
    tela = MakeForm<TfrProcessoDefineInicioContabilizacao>();
  }
  void TearDown() override {
    tela.reset();
    ProcessContext().ActionLog = nullptr;
    ProcessContext().PostingLocks = nullptr;
    CompanyDatabaseTest::TearDown();
  }
  void Lanca(int emp, int chave, const char* data, int tipo) {
    ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR, BDTIPOLAN) VALUES (?, ?, ?, 10, ?)",
                           {emp, chave, SQLToDate(data), tipo});
  }
  void Bloqueia(int id, int emp, const char* tela_, const char* ini, const char* fim) {
    Db().Execute("INSERT INTO TBLOQUEIO_LANCAMENTO (BDID, BDCODEMP, BDTELA, BDDATAINI, BDDATAFIM) VALUES (?, ?, ?, ?, ?)",
                 {id, emp, tela_, SQLToDate(ini), SQLToDate(fim)});
  }
  int64_t Conta(const std::string& sql) { return Db().QueryValue(sql).AsInteger(); }
  // Company: start, installment, real-estate and tax cut-offs as stored.
  Linhas Inicios() {
    Linhas out;
    for (auto& r : Db().QueryAll("SELECT BDCODEMP, BDCODSIS, BDDATA, BDDATACONTBAIXA, BDDATACONTOPEIMOB,"
                                 " BDDATACONTIMPOSTOS FROM TINICIO_CONTABILIZACAO ORDER BY BDCODEMP, BDCODSIS").Rows)
      out.push_back(r[0].AsString() + "/" + r[1].AsString() + " " + r[2].AsString() + " " + r[3].AsString() + " " +
                    r[4].AsString() + " " + r[5].AsString());
    return out;
  }
  Linhas Erros() {
    Linhas out;
    for (auto& i : tela->Inconsistencias->Itens())
      if (i.Nivel == niErro) out.push_back(std::to_string(i.CodEmp) + ": " + i.Caption);
    return out;
  }
  void Roda(TScriptedDialogs& d) {
    tela->spOK->Click();
    EXPECT_TRUE(d.Done()) << (d.Pending().empty() ? "" : d.Pending()[0]);
  }

  TMemoryLogWriter log;
  TVerificaBloqueioLancamento locks;
  TFormPtr<TfrProcessoDefineInicioContabilizacao> tela;
};

TEST_F(InicioContabilizacaoTest, ModulesWithPostingsAreOfferedAndTheCutOffsFollowTheFiscalOne) {
  EXPECT_EQ(tela->cbModulo->Items, (Linhas{"Escrita Fiscal", "Folha de Pagamento"}));
  EXPECT_FALSE(tela->edDataContBaixa->Visible());
  EXPECT_FALSE(tela->edDATACONTOPEIMOB->Visible());
  EXPECT_TRUE(tela->edDATACONTIMPOSTOS->Visible());

  tela->cbModulo->Select(kFiscal);
  EXPECT_TRUE(tela->edDataContBaixa->Visible() && tela->lbDataContBaixa->Visible());
  EXPECT_TRUE(tela->edDATACONTOPEIMOB->Visible() && tela->lbDATACONTOPEIMOB->Visible());
  tela->edDataContBaixa->SetText("01/04/2024");
  tela->edDATACONTOPEIMOB->SetText("01/05/2024");
  tela->edDATACONTIMPOSTOS->SetText("01/06/2024");
  tela->cbModulo->Select(kFolha);
  EXPECT_FALSE(tela->edDataContBaixa->Visible());
  EXPECT_TRUE(tela->edDataContBaixa->IsEmpty() && tela->edDATACONTOPEIMOB->IsEmpty());
  EXPECT_EQ(tela->edDATACONTIMPOSTOS->Text(), "01/06/2024");

  // Entering the company edit starts the dates over.
  tela->edData->SetText("01/02/2024");
  tela->edData->SetFocus();
  tela->edCODEMP->SetFocus();
  EXPECT_TRUE(tela->edData->IsEmpty() && tela->edDATACONTIMPOSTOS->IsEmpty());
}

TEST_F(InicioContabilizacaoTest, StartChecksRefuseBeforeAnythingIsStored) {
  {
    TScriptedDialogs d;
    d.Ok("Nenhuma data informada!");
    Roda(d);
  }
  tela->edData->SetText("31/02/2024");   // typed just before OK, never left
  {
    TScriptedDialogs d;
    d.Ok("\"31/02/2024\" não é uma data válida");
    Roda(d);
    EXPECT_EQ(tela->ActiveControl(), tela->edData);
  }
  tela->edData->SetText("10/02/2024");
  {
    TScriptedDialogs d;
    d.Ok("Módulo não informado!");
    Roda(d);
  }
  tela->cbModulo->Select(kFiscal);
  struct Caso {
    TEdit_Date_Padrao_VYN* edit;
    const char* mensagem;
  };
  for (Caso c : {Caso{tela->edDataContBaixa, "baixas de parcelamento não pode ser anterior"},
                 Caso{tela->edDATACONTOPEIMOB, "baixas de operação imobiliária não pode ser anterior"},
                 Caso{tela->edDATACONTIMPOSTOS, "baixas de impostos não pode ser anterior"}}) {
    c.edit->SetText("09/02/2024");
    TScriptedDialogs d;
    d.Ok(c.mensagem);
    Roda(d);
    EXPECT_EQ(tela->ActiveControl(), c.edit);
    // The same day as the start passes.
    c.edit->SetText("10/02/2024");
  }
  // Every date passes: the rights prompt decides, and the responsible user reaches the engine anyway.
  TScriptedDialogs d;
  d.Rights(false).Ok("Processo não foi realizado!");
  Roda(d);
  EXPECT_EQ(tela->Motor()->Responsavel, "Bia");
  EXPECT_TRUE(Inicios().empty());
}

TEST_F(InicioContabilizacaoTest, OnlyATaxCutOffIsStoredForEveryCompanyWithoutTouchingPostings) {
  Lanca(1, 1, "2023-05-10", 100);
  tela->cbModulo->Select(kFiscal);
  tela->edDATACONTIMPOSTOS->SetText("01/03/2024");
  TScriptedDialogs d;
  d.Rights(true).Ok("Processo realizado com sucesso!");
  Roda(d);
  EXPECT_EQ(Inicios(), (Linhas{"1/2    01/03/2024", "2/2    01/03/2024"}));
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN"), 1);
  EXPECT_EQ(tela->Inconsistencias->CountInformativo(), 2);
}

TEST_F(InicioContabilizacaoTest, OlderPostingsOfTheModuleGoOnlyWhereTheUserAgrees) {
  Lanca(1, 1, "2024-01-15", 100);
  Lanca(1, 2, "2024-02-10", 100);
  Lanca(1, 3, "2024-01-05", 200);   // another module's
  Lanca(2, 1, "2024-01-20", 100);
  tela->cbModulo->Select(kFiscal);
  tela->edData->SetText("01/02/2024");
  tela->edDataContBaixa->SetText("01/06/2024");
  TScriptedDialogs d;
  d.Rights(true)
      .No("Existem lançamentos contábeis do módulo anteriores a data informada. Deseja excluir e continuar?")
      .Yes("Existem lançamentos contábeis do módulo anteriores")
      .Ok("Processo realizado com sucesso!");
  Roda(d);
  // The head office said No: skipped, its line saying nothing was done there; its branch goes on.
  EXPECT_EQ(Inicios(), (Linhas{"2/2 01/02/2024 01/06/2024  "}));
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 1"), 3);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = 2"), 0);
  EXPECT_TRUE(Erros().empty());
  EXPECT_EQ(tela->Inconsistencias->Itens().front().Caption,
            "Nada foi alterado: a exclusão dos lançamentos anteriores a 01/02/2024 não foi confirmada.");

  // Declined everywhere: the run says nothing was done, never "sucesso".
  Lanca(2, 4, "2024-01-25", 100);
  tela->edData->SetText("01/03/2024");
  TScriptedDialogs nao;
  nao.Rights(true)
      .No("Existem lançamentos contábeis do módulo anteriores")
      .No("Existem lançamentos contábeis do módulo anteriores")
      .Ok("Nada foi alterado: a exclusão dos lançamentos anteriores à data informada não foi confirmada.");
  Roda(nao);
  EXPECT_EQ(Inicios(), (Linhas{"2/2 01/02/2024 01/06/2024  "}));
}

TEST_F(InicioContabilizacaoTest, TheFirstLockedCutOffSkipsTheCompanyAndIsShownAtOnce) {
  Bloqueia(1, 1, "frLancOperImobiliariasPGTOF200", "2024-07-01", "2024-07-31");
  Bloqueia(2, 1, "frFiltroImpostosEmitidos", "2024-07-01", "2024-07-31");
  tela->cbModulo->Select(kFiscal);
  tela->edDataContBaixa->SetText("01/04/2024");
  tela->edDATACONTOPEIMOB->SetText("01/04/2024");
  tela->edDATACONTIMPOSTOS->SetText("01/05/2024");
  TScriptedDialogs d;
  d.Rights(true);
  Roda(d);
  EXPECT_EQ(Erros(), (Linhas{"1: Processo não foi realizado, verifique os bloqueios de lançamentos de pagamentos das "
                             "operações imobiliárias e encerramentos de exercício posteriores a 01/04/2024"}));
  EXPECT_EQ(Inicios(), (Linhas{"2/2  01/04/2024 01/04/2024 01/05/2024"}));
  int listas = 0;
  for (auto& c : d.Calls()) listas += c.Kind == TDialogKind::List;
  EXPECT_EQ(listas, 2);   // at the lock, and at the end instead of the success message
}

TEST_F(InicioContabilizacaoTest, AnOlderPostingInALockedPeriodRefusesWithItsRange) {
  Lanca(1, 1, "2024-01-15", 100);
  Bloqueia(1, 1, "frLancamento", "2024-01-31", "2024-01-31");
  tela->edCODEMP->Vale(1);
  tela->cbModulo->Select(kFiscal);
  tela->edData->SetText("01/02/2024");
  TScriptedDialogs d;
  d.Rights(true);
  Roda(d);
  EXPECT_EQ(Erros(), (Linhas{"1: Processo não foi realizado, verifique os bloqueios de lançamentos contábeis e "
                             "encerramentos de exercício entre 15/01/2024 e 01/02/2024"}));
  EXPECT_TRUE(Inicios().empty());
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN"), 1);
}

TEST_F(InicioContabilizacaoTest, AnEarlierStartChecksOnlyThePeriodItAdds) {
  Db().Execute("INSERT INTO TINICIO_CONTABILIZACAO (BDCODEMP, BDCODSIS, BDDATA) VALUES (1, 2, '2024-03-01')");
  tela->edCODEMP->Vale(1);
  tela->cbModulo->Select(kFiscal);
  Bloqueia(1, 1, "frLancamento", "2024-02-29", "2024-02-29");
  tela->edData->SetText("01/02/2024");
  {
    TScriptedDialogs d;
    d.Rights(true);
    Roda(d);
    EXPECT_EQ(Erros(), (Linhas{"1: Processo não foi realizado, verifique os bloqueios de lançamentos contábeis e "
                               "encerramentos de exercício entre 01/02/2024 e 29/02/2024"}));
    EXPECT_EQ(Inicios(), (Linhas{"1/2 01/03/2024   "}));
  }
  // A lock from the recorded start on is outside the added period. (The run ends in the company
  // edit, which empties the dates.)
  Db().Execute("UPDATE TBLOQUEIO_LANCAMENTO SET BDDATAINI = '2024-03-01', BDDATAFIM = '2024-12-31'");
  EXPECT_TRUE(tela->edData->IsEmpty());
  tela->edData->SetText("01/02/2024");
  {
    TScriptedDialogs d;
    d.Rights(true).Ok("Processo realizado com sucesso!");
    Roda(d);
    EXPECT_EQ(Inicios(), (Linhas{"1/2 01/02/2024   "}));
  }
  // A later start adds no period: nothing to check.
  tela->edData->SetText("01/04/2024");
  TScriptedDialogs d;
  d.Rights(true).Ok("Processo realizado com sucesso!");
  Roda(d);
  EXPECT_EQ(Inicios(), (Linhas{"1/2 01/04/2024   "}));
}

}  // namespace
}  // namespace integracao
