#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/component/process_context.h"
#include "framework/component/resultado_execucao.h"
#include "framework/component/valor_temporario.h"
#include "framework/ui/control.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/scripted_dialogs.h"
#include "statutory/ecf/ecf_test_support.h"
#include "statutory/ecf/uExportacaoECF.h"
#include "framework/component/class_registry.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/campos_procurar.h"
#include "framework/ui/grid.h"
#include "framework/ui/pesquisa_codigo.h"
#include "module/registro.h"

namespace integracao {
namespace {

using namespace vyn;

class ConfirmacaoECF : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    testing_ecf::SemeiaEmpresaECF(Db());
    tela = MakeForm<TfrExportacaoECF>();
  }
  void TearDown() override {
    tela.reset();
    CompanyDatabaseTest::TearDown();
  }
  // The user's way through the screen: company, year, an original ECF, the folder.
  void Preenche(int ano, const std::string& pasta) {
    tela->edCODEMP->SetFocus();
    tela->edCODEMP->Vale(1);
    ASSERT_TRUE(tela->edCODEMP->Search());
    tela->edDataIni->SetFocus();
    tela->edDataIni->SetData(EncodeDate(ano, 1, 1));
    tela->edDataFim->SetFocus();
    tela->edDataFim->SetData(EncodeDate(ano, 12, 31));
    tela->DefocusControl();
    tela->cbRetificadora->Select(1);   // "N - Não, ECF original"
    tela->edArquivo->SetText(pasta);
  }
  int64_t Conta(const std::string& sql) { return Db().QueryValue(sql).AsInteger(); }
  std::string Arquivo() {
    std::ifstream in(tela->Gerador()->GetNomeArquivo());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  TScriptedDialogs dialogs;
  testing_ecf::TPastaTemporaria pasta;
  TFormPtr<TfrExportacaoECF> tela;
};

TEST_F(ConfirmacaoECF, CleanRunWritesTheFileSavesTheSettingsAndTheHistory) {
  Preenche(2023, pasta.Caminho.string() + "\\");
  EXPECT_EQ(GetIndexCombo(*tela->cbTributacao), 1);   // taken from the company's record
  EXPECT_FALSE(tela->cbTributacao->Enabled());
  tela->Ck("ckRepes_Recap_Padis")->SetChecked(true);
  tela->Ck("ckREPETROT")->SetChecked(true);
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_EQ(std::filesystem::path(tela->Gerador()->GetNomeArquivo()).filename(), "ECF0001_1_2023_1.TXT");
  const auto& p = tela->Gerador()->ParametrosTela;
  EXPECT_EQ(p.Regimes2023[9], 1);
  EXPECT_EQ(p.RegimesAnteriores[0], 0);
  EXPECT_EQ(p.AliquotaCSLL, "1");
  // The generator writes every value it was handed, not a chosen few.
  const std::string txt = Arquivo();
  for (const char* linha : {"TRIBUTACAO=1\r\n", "REGIMES2023=0,0,0,0,0,0,0,0,0,1\r\n", "INDICADORES0020=",
                            "RETIFICADORA=N\r\n", "EF_EMPRESA=1\r\n", "RESPONSAVEL=0\r\n", "COSIF=0\r\n"})
    EXPECT_NE(txt.find(linha), std::string::npos) << linha;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pasta.Caminho), {}), 1);   // no passing file left
  EXPECT_GT(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCODEMP = 1 AND BDSEQUENCIA = 1 AND "
                  "BDCOMPNAME = 'cbRegimeApuracao'"),
            0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = 1 AND BDCOMPNAME = 'edNomeBens'"), 1);
  EXPECT_EQ(Db().QueryValue("SELECT BDDESCRICAO FROM PLANOS_TPLA_SPED WHERE BDCODEMP = 1").AsString(),
            "1 - Lucro Real de: 01/01/2023 a 31/12/2023");
}

// An immune entity "desobrigada" of CSLL owes no rate. Saved as the default, it opens and exports with
// none, whatever the year's rate list brings when the dates come; a saved rate nobody can read is
// shown, never exported as the list's first item.
TEST_F(ConfirmacaoECF, ADesobrigadaEntityComesBackWithoutACsllRateAndAnUnreadableRateIsShown) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = 3");   // immune from IRPJ
  Db().Execute("UPDATE TPREPARACAO_CONTAS_ECF SET BDANO = 2025");
  Preenche(2025, pasta.Caminho.string());
  tela->cbApuracaoIRPJImunesIsentas->Select(2);   // "D - Desobrigada"
  tela->cbApuracaoCSLL->Select(2);
  EXPECT_EQ(tela->cbPercentualAliquotaCSLL->ItemIndex(), -1);
  tela->mmSalvarConfig->Click();

  auto padrao = MakeForm<TfrExportacaoECF>();
  padrao->edCODEMP->SetFocus();
  padrao->edCODEMP->Vale(1);
  ASSERT_TRUE(padrao->edCODEMP->Search());
  padrao->edDataIni->SetFocus();
  padrao->edDataIni->SetData(EncodeDate(2025, 1, 1));
  padrao->edDataFim->SetFocus();
  padrao->edDataFim->SetData(EncodeDate(2025, 12, 31));
  padrao->DefocusControl();
  EXPECT_EQ(padrao->cbApuracaoCSLL->Text(), "D - Desobrigada");
  EXPECT_EQ(padrao->cbPercentualAliquotaCSLL->ItemIndex(), -1);
  padrao->edArquivo->SetText(pasta.Caminho.string());
  dialogs.Ok("Exportação realizada com sucesso!");
  padrao->spConfirmar->Click();
  EXPECT_EQ(padrao->Gerador()->ParametrosTela.AliquotaCSLL, "-1");
  EXPECT_EQ(padrao->Gerador()->ParametrosTela.ApuracaoCSLL, "D");

  padrao.reset();
  Db().Execute("UPDATE TEXPORTACAO_ITEMSTELA_CONFIG SET BDCOMPVALUE = 'x' WHERE BDCOMPNAME = 'cbPercentualAliquotaCSLL'");
  dialogs.Ok("O valor salvo \"x\" do campo \"cbPercentualAliquotaCSLL\" não pode ser lido.");
  auto ilegivel = MakeForm<TfrExportacaoECF>();
  ilegivel->edCODEMP->SetFocus();
  ilegivel->edCODEMP->Vale(1);
  ASSERT_TRUE(ilegivel->edCODEMP->Search());
  ilegivel->DefocusControl();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

// 2014 reads the company's record under the start date's reference: the read must not start the
// taxation check again from the company search (it did, without end).
TEST_F(ConfirmacaoECF, A2014StartDateExports) {
  Db().Execute("UPDATE TPREPARACAO_CONTAS_ECF SET BDANO = 2014");
  Db().Execute("UPDATE TEMPRESAS_REF SET BDREFEMP = 201401");   // the record in force in 2014
  Preenche(2014, pasta.Caminho.string() + "\\");
  EXPECT_EQ(GetIndexCombo(*tela->cbTributacao), 1);
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_EQ(tela->Gerador()->Execucoes, 1);
}

TEST_F(ConfirmacaoECF, TaxationOfTheRecordSetsTheComboAndAMissingOneIsWarnedOncePerConfirmation) {
  for (auto [codigo, item] : {std::pair{1, 5}, {3, 8}, {4, 9}}) {
    Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = " + std::to_string(codigo));
    Preenche(2023, pasta.Caminho.string());
    EXPECT_EQ(GetIndexCombo(*tela->cbTributacao), item) << codigo;
    EXPECT_FALSE(tela->cbTributacao->Enabled());
  }
  const std::string aviso = "A empresa está enquadrada como normal, portanto informe a forma de tributação para o ano "
                            "base da exportação no cadastro da empresa.";
  Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = 0");
  dialogs.Ok(aviso);
  Preenche(2023, pasta.Caminho.string());
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_EQ(tela->cbTributacao->ItemIndex(), -1);
  EXPECT_FALSE(tela->cbTributacao->Enabled());
  dialogs.SetListsExpected(true);
  dialogs.List();
  tela->spConfirmar->Click();
  int vezes = 0;
  for (const auto& i : tela->Inconsistencias_VYN->Itens()) vezes += i.Caption == aviso;
  EXPECT_EQ(vezes, 1);
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
}

// The taxation comes from the record by program, with no change event: its options must follow it.
TEST_F(ConfirmacaoECF, TheRecordsTaxationBringsItsOwnOptionsAndTheCashBookRoad) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = 1, BDCODPLAPADRAOREF = 2");   // presumed profit
  Preenche(2023, pasta.Caminho.string());
  EXPECT_EQ(GetCaractereCombo(*tela->cbPeriodoIRPJ), "T");
  EXPECT_FALSE(tela->cbPeriodoIRPJ->Enabled());
  EXPECT_EQ(GetCaractereCombo(*tela->cbQualificacaoPJ), "01");
  EXPECT_TRUE(tela->spY672->Enabled());
  EXPECT_TRUE(tela->cbRegimeApuracao->Enabled());
  ASSERT_TRUE(tela->cbTipoEscrituracao->Enabled());
  tela->cbTipoEscrituracao->Select(1);   // "L - Livro Caixa..."
  EXPECT_TRUE(tela->edContaLivroCaixa->Enabled());
  EXPECT_FALSE(tela->cbTipoEntidade->Enabled());

  auto imune = MakeForm<TfrExportacaoECF>();
  Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = 3, BDCODPLAPADRAOREF = 1");
  tela = std::move(imune);
  Preenche(2023, pasta.Caminho.string());
  EXPECT_EQ(GetIndexCombo(*tela->cbTributacao), 8);
  EXPECT_EQ(tela->cbPeriodoIRPJ->ItemIndex(), -1);
  EXPECT_FALSE(tela->cbPeriodoIRPJ->Enabled());
  EXPECT_TRUE(tela->cbTipoEntidade->Enabled());
  EXPECT_EQ(GetCaractereCombo(*tela->cbTipoEntidade), "01");
  EXPECT_EQ(GetCaractereCombo(*tela->cbApuracaoIRPJImunesIsentas), "A");
  EXPECT_FALSE(tela->spY672->Enabled());
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  ASSERT_EQ(tela->Gerador()->Execucoes, 1) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_NE(Arquivo().find("TIPOENTIDADE=01\r\n"), std::string::npos);
  EXPECT_NE(Arquivo().find("PERIODOIRPJ=\r\n"), std::string::npos);
}

TEST_F(ConfirmacaoECF, DeleteOnTheAttachmentListAsksAndRemovesTheSelectedOne) {
  Preenche(2023, pasta.Caminho.string());
  tela->clbListaArquivos->Add("001 - /tmp/a.rtf", true);
  tela->clbListaArquivos->Add("001 - /tmp/b.rtf", true);
  tela->SetPaginaAtiva(tela->tsOutras);
  tela->clbListaArquivos->SetFocus();
  tela->clbListaArquivos->ItemIndex = 1;
  int tecla = 46;
  // The form previews the key, then the list that has the focus gets it.
  auto pressiona = [&] {
    tela->KeyDown(tecla, 0);
    if (tecla != 0) tela->clbListaArquivos->KeyDown(tecla, 0);
  };
  dialogs.No("Deseja excluir o anexo selecionado?");
  pressiona();
  EXPECT_EQ(tela->clbListaArquivos->Items.size(), 2u);
  tecla = 46;
  dialogs.Yes("Deseja excluir o anexo selecionado?");
  pressiona();
  ASSERT_EQ(tela->clbListaArquivos->Items.size(), 1u);
  EXPECT_EQ(tela->clbListaArquivos->Items[0].Text, "001 - /tmp/a.rtf");
  EXPECT_TRUE(dialogs.Done());
}

// The confirm pass re-reads the company's record; that is no change of company and must not drop
// the P500 values the user typed.
TEST_F(ConfirmacaoECF, P500ValuesTypedBeforeTheConfirmationReachTheFile) {
  Preenche(2021, pasta.Caminho.string() + "\\");
  tela->cbPercentualAliquotaCSLL->Select(2);   // "6 - 15%-20%": the pick enables the P500 values
  ASSERT_NE(tela->FDadosP500_51, nullptr);
  ASSERT_NE(tela->FDadosP500_52, nullptr);
  tela->FDadosP500_51->Valor = Currency::Parse("10,50");
  tela->FDadosP500_52->Valor = Currency::Parse("20");
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  const std::string txt = Arquivo();
  EXPECT_NE(txt.find("=10.5000\r\n"), std::string::npos) << txt;
  EXPECT_NE(txt.find("=20.0000\r\n"), std::string::npos) << txt;
}

TEST_F(ConfirmacaoECF, FieldErrorsStopTheGeneratorButSettingsAndHistoryAreStillWritten) {
  Preenche(2023, pasta.Caminho.string());
  tela->edDataIni->SetData(TDateTime());
  dialogs.SetListsExpected(true);
  dialogs.List();
  tela->spConfirmar->Click();
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  EXPECT_GE(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->getItemObjeto(0).Caption, "A data inicial deverá ser superior a 01/01/2014.");
  // The user is shown the errors themselves, not only the warnings around them.
  ASSERT_FALSE(dialogs.Calls().empty());
  const auto& mostrada = dialogs.Calls().back();
  ASSERT_EQ(mostrada.Kind, TDialogKind::List);
  ASSERT_FALSE(mostrada.Items.empty());
  EXPECT_EQ(mostrada.Items[0], "[E] 1: A data inicial deverá ser superior a 01/01/2014.");
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 1);
  EXPECT_GT(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG"), 0);
}

TEST_F(ConfirmacaoECF, SettingsAndHistoryAreSavedAllOrNothing) {
  Db().Execute("CREATE EXCEPTION E_SEM_HISTORICO 'historico recusado'");
  Db().Execute("CREATE TRIGGER T_SEM_HISTORICO FOR PLANOS_TPLA_SPED BEFORE INSERT AS BEGIN EXCEPTION E_SEM_HISTORICO; END");
  Preenche(2023, pasta.Caminho.string() + "\\");
  dialogs.Ok("Exportação realizada com sucesso!");
  try {
    tela->spConfirmar->Click();
  } catch (const std::exception&) {   // the refusal reaches the user; what matters is what was kept
  }
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG"), 0);
}

TEST_F(ConfirmacaoECF, TextTheDatabaseCannotStoreIsAFieldErrorAndNothingIsSaved) {
  Preenche(2023, pasta.Caminho.string() + "\\\u2713");
  dialogs.SetListsExpected(true);
  dialogs.List();
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  ASSERT_EQ(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->Filtra(true, false, false)[0].Caption,
            "O campo \"edArquivo\" contém caracteres que não podem ser gravados no banco de dados.");
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG"), 0);
}

TEST_F(ConfirmacaoECF, UnattendedUnpreparedAccountsRaiseAndSaveNothing) {
  Db().Execute("DELETE FROM TPREPARACAO_CONTAS_ECF");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                         "VALUES (2, 1, '2023-05-02', 10, 30, 5)");
  Preenche(2023, pasta.Caminho.string());
  tela->SetIsTARVO(true);
  try {
    tela->spConfirmar->Click();
    FAIL() << "no exception";
  } catch (const EExceptionTratadaInformativa_VYN& e) {
    // Two accounts moved by the branch, none prepared.
    EXPECT_EQ(std::string(e.what()), "Faltou preparar 2 conta(s) para exportação.\rTecle F6 para preparar.");
  }
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM TEXPORTACAO_ITEMSTELA_CONFIG"), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 0);
}

TEST_F(ConfirmacaoECF, DuplicatedLalurAndTaxationAgainstReferentialPlanBlock) {
  Db().Execute("INSERT INTO VLAL_EMPRESAS_APURACAO (BDCODEMP, BDCODAPU, BDDATINIAPU, BDDATFINAPU) VALUES "
               "(1, 1, '2023-01-01', '2023-03-31')");
  Db().Execute("INSERT INTO VLAL_EMPRESAS_APURACAO (BDCODEMP, BDCODAPU, BDDATINIAPU, BDDATFINAPU) VALUES "
               "(1, 2, '2023-01-01', '2023-03-31')");
  Db().Execute("UPDATE TEMPRESAS_REF SET BDCODPLAPADRAOREF = 2 WHERE BDCODEMP = 1");
  Preenche(2023, pasta.Caminho.string());
  dialogs.SetListsExpected(true);
  dialogs.Ok("apuração duplicada no Lalur").List();
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done());
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  bool difere = false;
  for (auto& i : tela->Inconsistencias_VYN->Itens())
    difere |= i.Caption == "A forma de tributação selecionada difere do plano referencial informado no cadastro da empresa.";
  EXPECT_TRUE(difere);
}

TEST_F(ConfirmacaoECF, UnattendedGeneratorFailureEndsTheRunAsAFailure) {
  Preenche(2023, (pasta.Caminho / "nao_existe").string());
  tela->SetIsTARVO(true);
  TResultadoExecucao resultado;
  TEscopoResultadoExecucao aberto(resultado);
  EXPECT_THROW(tela->spConfirmar->Click(), EExceptionTratadaInformativa_VYN);
  // A folder that is not there is said as it is, not as a divergence of the branches' charts.
  EXPECT_EQ(resultado.Mensagem.rfind("Pasta de destino não encontrada", 0), 0u) << resultado.Mensagem;
  EXPECT_EQ(resultado.Mensagem.find("divergência"), std::string::npos) << resultado.Mensagem;
  EXPECT_TRUE(dialogs.Calls().empty());
}

// Only an export that went through moves the host's period date, to the export's end date.
TEST_F(ConfirmacaoECF, AnExportThatWentThroughSetsTheHostsPeriodDateToItsEndDate) {
  const TValorTemporario<TDateTime> periodo(ProcessContext().DataPeriodo, TDateTime());
  Preenche(2023, (pasta.Caminho / "nao_existe").string());
  tela->SetIsTARVO(true);
  {
    TResultadoExecucao resultado;
    TEscopoResultadoExecucao aberto(resultado);
    EXPECT_THROW(tela->spConfirmar->Click(), EExceptionTratadaInformativa_VYN);
  }
  EXPECT_EQ(ProcessContext().DataPeriodo, TDateTime());
  tela->SetIsTARVO(false);
  tela->edArquivo->SetText(pasta.Caminho.string());
  dialogs.Ok("Exportação realizada com sucesso!");
  tela->spConfirmar->Click();
  EXPECT_EQ(ProcessContext().DataPeriodo, EncodeDate(2023, 12, 31));
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

// The SPED validation job's road: the last saved set, no dialog, and a name only for a written file.
TEST_F(ConfirmacaoECF, ValidatorRunExportsFromTheLastSetAndAnswersNoNameWhenNothingWasWritten) {
  Db().Execute("INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, BDCOMPVALUE) "
               "VALUES (1, 'frExportacaoECF', 3, ?, ?)",
               {"cbRetificadora", "1"});   // an original ECF: no previous receipt to check
  TUnattendedScope semUsuario;             // the job runs inside a task: any dialog throws
  const std::string nome =
      tela->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string());
  EXPECT_EQ(std::filesystem::path(nome).filename(), "ECF0001_1_2023_1.TXT") << ::testing::PrintToString(
      tela->Inconsistencias_VYN->Count() ? tela->Inconsistencias_VYN->getItemObjeto(0).Caption : "");
  EXPECT_TRUE(std::filesystem::is_regular_file(nome));

  auto outra = MakeForm<TfrExportacaoECF>();
  const std::string falhou = outra->ExportaToValidador(1, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31),
                                                       (pasta.Caminho / "nao_existe").string());
  EXPECT_EQ(falhou, "");   // not the destination folder: the job must read the reason from the list
  bool motivo = false;
  for (const auto& i : outra->Inconsistencias_VYN->Itens())
    motivo |= i.Caption.find("Pasta de destino não encontrada") != std::string::npos;
  EXPECT_TRUE(motivo);
  EXPECT_TRUE(dialogs.Calls().empty());
}

TEST_F(ConfirmacaoECF, FieldValuesTheEditCannotHoldAreRefusedInTheFieldAndListed) {
  Preenche(2023, pasta.Caminho.string());
  // A count of SCPs beyond its three digits: listed by the confirm pass, never handed over as 0.
  tela->cbTipoECF->Select(1);
  tela->edQuantidadeSCP->SetText("1234");
  dialogs.SetListsExpected(true);
  dialogs.List();
  tela->spConfirmar->Click();
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  ASSERT_GE(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_NE(tela->Inconsistencias_VYN->Filtra(true, false, false)[0].Caption.find("no máximo 3 dígitos"),
            std::string::npos);
  // The field the pass found wrong is shown and focused, and keeps the user until it holds a count.
  EXPECT_EQ(tela->PaginaAtiva(), tela->tsComplementar);
  EXPECT_TRUE(tela->edQuantidadeSCP->Focused());
  EXPECT_THROW(tela->edArquivo->SetFocus(), EValidationError);
  tela->edQuantidadeSCP->SetText("2");

  // A cash-book account outside the asset group: the field refuses it, lists it and is emptied.
  Db().Execute("UPDATE PLANOS_TPLA SET BDGRUPOCTA = 1 WHERE BDCODTPLA = 30");
  tela->Inconsistencias_VYN->Clear();
  tela->edContaLivroCaixa->SetEnabled(true);
  tela->edContaLivroCaixa->SetFocus();
  tela->edContaLivroCaixa->SetText("30");
  try {
    tela->edArquivo->SetFocus();
    FAIL() << "account 30 taken";
  } catch (const EValidationError& e) {
    EXPECT_EQ(std::string(e.what()), "A conta informada deve ser do grupo Ativo!");
  }
  EXPECT_EQ(tela->edContaLivroCaixa->Text(), "");
  ASSERT_EQ(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->Filtra(true, false, false)[0].Caption, "A conta informada deve ser do grupo Ativo!");
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Messages());
}

// Each date check at its boundary: the day that passes beside the day that fails.
TEST_F(ConfirmacaoECF, DateExitsHoldAtTheirBoundaries) {
  Preenche(2023, pasta.Caminho.string());
  tela->FValidacaoImportacao = true;   // the checks list their findings instead of boxing them
  auto erros = [&](const std::function<void()>& passo) {
    tela->Inconsistencias_VYN->Clear();
    passo();
    std::vector<std::string> v;
    for (const auto& i : tela->Inconsistencias_VYN->Filtra(true, false, false)) v.push_back(i.Caption);
    return v;
  };
  using V = std::vector<std::string>;
  auto inicio = [&](int a, int m, int d, int indicador) {
    return erros([&] {
      tela->cbInicioPeriodo->SetItemIndex(indicador);
      tela->edDataIni->SetFocus();
      tela->edDataIni->SetData(EncodeDate(a, m, d));
      tela->DefocusControl();
    });
  };
  EXPECT_EQ(inicio(2014, 1, 1, 0), V{});
  EXPECT_EQ(inicio(2013, 12, 31, 0), V{"A data inicial deverá ser superior a 01/01/2014."});
  EXPECT_EQ(inicio(2023, 1, 2, 0),
            V{"Para o indicador do início do período informado, a data deverá ter início em 01/01/XXXX."});
  EXPECT_EQ(inicio(2023, 1, 2, 1), V{});
  EXPECT_EQ(inicio(2023, 12, 1, 5),
            V{"Para o indicador do início do período informado, o ano  deverá ser a partir de 2024."});
  EXPECT_EQ(inicio(2024, 1, 1, 6), V{});
  auto fim = [&](TDateTime ini, TDateTime f, int situacao, TDateTime evento) {
    return erros([&] {
      tela->cbInicioPeriodo->SetItemIndex(1);
      tela->edDataIni->SetData(ini);
      tela->cbSituacaoEspecial->SetItemIndex(situacao);
      tela->edDataSituacaoEspecial->SetData(evento);
      tela->edDataFim->SetFocus();
      tela->edDataFim->SetData(f);
      tela->DefocusControl();
    });
  };
  const TDateTime dez31 = EncodeDate(2023, 12, 31), evento = EncodeDate(2023, 6, 30);
  EXPECT_EQ(fim(dez31, dez31, 0, TDateTime()), V{});   // the end may equal the start
  EXPECT_EQ(fim(EncodeDate(2023, 1, 1), EncodeDate(2024, 12, 31), 0, TDateTime()),
            V{"A data final deverá ser do mesmo ano da data inicial."});
  const V diaAnterior{"Para a situação especial informada, a data final deverá ser igual a data da situação especial, ou "
                      "a data final da escrituração deve ser o dia imediatamente anterior à data do evento."};
  EXPECT_EQ(fim(EncodeDate(2023, 1, 1), IncDay(evento, -1), 3, evento), diaAnterior);
  EXPECT_EQ(fim(EncodeDate(2023, 1, 1), IncDay(evento, -1), 8, evento), V{});
  EXPECT_EQ(fim(EncodeDate(2023, 1, 1), evento, 3, evento), V{});
}

// The validation job and the task put the code in by program: no look-up has refused it yet.
TEST_F(ConfirmacaoECF, ACompanyThatIsNotRegisteredIsRefusedAndNoFileIsWritten) {
  TUnattendedScope semUsuario;
  const std::string nome =
      tela->ExportaToValidador(999, EncodeDate(2023, 1, 1), EncodeDate(2023, 12, 31), pasta.Caminho.string());
  EXPECT_EQ(nome, "");
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  ASSERT_GE(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->Filtra(true, false, false)[0].Caption, "Empresa não cadastrada ou não informada");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pasta.Caminho), {}), 0);
  EXPECT_EQ(Conta("SELECT COUNT(*) FROM PLANOS_TPLA_SPED"), 0);
  EXPECT_TRUE(dialogs.Calls().empty());
}

// Restoring a set puts a choice in before the value it governs: the attorney's kind, restored after
// the attorney as an order by name would do, would clear the attorney.
TEST_F(ConfirmacaoECF, RestoredSetKeepsTheValuesItsChoicesGovern) {
  for (auto [nome, valor] : std::vector<std::pair<std::string, std::string>>{
           {"rgResponsavel", "2"}, {"rgTipoProcurador", "1"}, {"edProcurador", "5"}, {"cbRetificadora", "1"}})
    Db().Execute("INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, BDCOMPVALUE) "
                 "VALUES (1, 'frExportacaoECF', 4, ?, ?)",
                 {nome, valor});
  tela->edCODEMP->Vale(1);
  ASSERT_TRUE(tela->CarregaConfiguracao(-1));
  EXPECT_EQ(tela->edProcurador->Text(), "5");
  EXPECT_FALSE(tela->edNumeroRecibo->Enabled());   // an original ECF asks no previous receipt
  auto outra = MakeForm<TfrExportacaoECF>();
  outra->edCODEMP->Vale(1);
  ASSERT_TRUE(outra->CreateDadosAdicionais()->Load(*outra, 1, -1));
  EXPECT_EQ(outra->rgTipoProcurador->ItemIndex(), 1);
  EXPECT_EQ(outra->edProcurador->Text(), "5");
  EXPECT_FALSE(outra->edNumeroRecibo->Enabled());
}

// On the screen a reloaded export brings its attachments back; one whose file is gone is shown to the
// user by name and left off the list, which the user may mend before confirming.
TEST_F(ConfirmacaoECF, AReloadedExportBringsItsAttachmentsAndShowsAGoneOne) {
  const auto memoria = pasta.Caminho / "memoria.rtf";
  std::ofstream(memoria) << "{\\rtf1}";
  for (auto [nome, valor] : std::vector<std::pair<std::string, std::string>>{
           {"clbListaArquivos_1", "001 - " + (pasta.Caminho / "sumiu.rtf").string()},
           {"clbListaArquivos_2", "001 - " + memoria.string()}})
    Db().Execute("INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, BDCOMPVALUE) "
                 "VALUES (1, 'frExportacaoECF', 4, ?, ?)",
                 {nome, valor});
  tela->clbListaArquivos->Add("003 - outro.rtf", true);   // what the screen held before: replaced
  tela->edCODEMP->Vale(1);
  dialogs.Ok("\"" + (pasta.Caminho / "sumiu.rtf").string() + "\", não existe mais.");
  ASSERT_TRUE(tela->CreateDadosAdicionais()->Load(*tela, 1, -1));
  ASSERT_EQ(tela->clbListaArquivos->Items.size(), 1u);
  EXPECT_EQ(tela->clbListaArquivos->Items[0].Text, "001 - " + memoria.string());
  EXPECT_TRUE(tela->clbListaArquivos->Items[0].Checked);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
}

TEST_F(ConfirmacaoECF, CosifIsOfferedOnlyWhereTheInstallationKeepsTheCosifChart) {
  EXPECT_FALSE(tela->Ck("ckCOSIF")->Enabled());
  Db().Execute("INSERT INTO TPARAMETRO (BDPARAM, BDVALORSTR) VALUES ('PLANO_COSIF', 'TRUE')");
  EXPECT_TRUE(MakeForm<TfrExportacaoECF>()->Ck("ckCOSIF")->Enabled());
}

TEST_F(ConfirmacaoECF, LongCashBookHistoriesCountCharactersNotBytes) {
  Preenche(2023, pasta.Caminho.string());
  // History "Pagamento conforme documento": 28 characters.
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, "
                         "BDCODTPHI) VALUES (1, 1, '2023-05-02', 10, 30, 5, 1, 1)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 1, ?)",
                         {std::string(225, 'x') + "é"});
  tela->edContaLivroCaixa->SetEnabled(true);
  tela->edContaLivroCaixa->Vale(10);
  EXPECT_TRUE(tela->validaTamanhoHistCompl());   // 254 characters, 255 bytes
  ExecutaComoSuite(Db(), "UPDATE VZEL_EMPRESAS_TLAN_COMPL SET BDCOMPL = ?", {std::string(226, 'x') + "é"});
  EXPECT_FALSE(tela->validaTamanhoHistCompl());  // exactly 255 is too long
}

// Without a user nobody answers the Q100 question: the histories go as the task's parameter says.
TEST_F(ConfirmacaoECF, UnattendedCashBookExportAsksNoQ100QuestionAndWithoutBranchesIsTheCompanys) {
  Db().Execute("UPDATE TEMPRESAS_REF SET BDFORMATRIBUTACAO = 1, BDCODPLAPADRAOREF = 2");
  Db().Execute("INSERT INTO PLANOS_TFOR_ECF (BDCODPLAFORPADRAOREF, BDCODPLAPADRAO, BDANO) VALUES (3, 1, 2020)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR, BDCODHIST, "
                         "BDCODTPHI) VALUES (1, 1, '2023-05-02', 10, 30, 5, 1, 1)");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN_COMPL (BDCODEMP, BDCHAVE, BDCOMPL) VALUES (1, 1, ?)",
                         {std::string(240, 'x')});
  Preenche(2023, pasta.Caminho.string() + "\\");
  tela->cbTipoEscrituracao->Select(1);   // "L - Livro Caixa..."
  tela->edContaLivroCaixa->Vale(10);
  ASSERT_FALSE(tela->validaTamanhoHistCompl());
  dialogs.Ticks({});   // the user unticks every company of the list
  ASSERT_TRUE(tela->SelecionaFiliais->getLista());
  EXPECT_EQ(tela->FiliaisMarcadas(), "1");   // none ticked: the company itself
  const size_t antes = dialogs.Calls().size();
  TUnattendedScope semUsuario;
  tela->spConfirmar->Click();
  EXPECT_EQ(dialogs.Calls().size(), antes) << ::testing::PrintToString(dialogs.Messages());
  ASSERT_EQ(tela->Gerador()->Execucoes, 1);
  EXPECT_NE(Arquivo().find("TIPOESCRITURACAO=L\r\n"), std::string::npos);
  EXPECT_NE(Arquivo().find("LIMITARHISTCOMPL=0\r\n"), std::string::npos);
}

TEST_F(ConfirmacaoECF, WithoutAUserNoCompanyRaisesAndThePrepDialogIsModal) {
  {
    TUnattendedScope semUsuario;
    // Leaving the company field empty is refused by the field itself; the focus stays.
    tela->edCODEMP->SetFocus();
    try {
      tela->DefocusControl();
      ADD_FAILURE() << "an empty company was taken";
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), "Informe o código!");
    }
    EXPECT_EQ(tela->ActiveControl(), tela->edCODEMP);
    EXPECT_THROW(tela->spConfirmar->Click(), EExceptionTratadaInformativa_VYN);
  }
  const auto registros = RegistrosECF();
  RegistraModulo(ClassRegistry(), registros);
  struct TDesregistra {
    const TListaRegistro& l;
    ~TDesregistra() { DesregistraModulo(ClassRegistry(), l); }
  } desregistra{registros};
  Preenche(2023, pasta.Caminho.string());
  tela->cbPercentualAliquotaCSLL->Select(1);   // "3 - 20%"
  ASSERT_TRUE(tela->spP500->Enabled());
  bool modal = false;
  dialogs.Modal("TfrPreparacaoDadosComplementaresECFP500", [&](TForm_VYN&) { modal = true; });
  tela->spP500->Click();
  EXPECT_TRUE(modal);
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
}

// A confirmation stopped by a warning box alone says, in the list the user is shown, that no file was
// written (the host then ends with an error).
TEST_F(ConfirmacaoECF, AStopByAWarningBoxListsThatNoFileWasWritten) {
  Db().Execute("DELETE FROM TPREPARACAO_CONTAS_ECF");
  ExecutaComoSuite(Db(), "INSERT INTO VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) "
                         "VALUES (2, 1, '2023-05-02', 10, 30, 5)");
  Preenche(2023, pasta.Caminho.string());
  dialogs.Ok("Faltou preparar");
  dialogs.SetListsExpected(true);
  dialogs.List();
  tela->spConfirmar->Click();
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
  EXPECT_EQ(tela->Gerador()->Execucoes, 0);
  ASSERT_EQ(tela->Inconsistencias_VYN->CountErros(), 1);
  EXPECT_EQ(tela->Inconsistencias_VYN->Filtra(true, false, false)[0].Caption, kMsgNaoExportado);
}

}  // namespace
}  // namespace integracao

namespace integracao {
namespace {

std::vector<std::string> Colunas(const TDBGrid_Padrao_VYN& grid) {
  std::vector<std::string> campos;
  for (const TGridColumn& c : grid.Columns) campos.push_back(c.FieldName);
  return campos;
}

// The account searches list the company's chart with the columns the ECF choice rests on; the
// accountant's search asks for the accountant's contact columns, and only while it looks up
// accountants.
TEST_F(ConfirmacaoECF, SearchListsShowTheColumnsTheChoiceRestsOn) {
  Preenche(2023, pasta.Caminho.string() + "\\");
  Db().Execute("UPDATE PLANOS_TPLA SET BDGRUPOCTA = 1 WHERE BDCODTPLA = 30");
  tela->edContaAjusteECF->SetEnabled(true);
  std::vector<std::string> colunas;
  std::string grupo;
  dialogs.Modal("TfrPesquisaCodigo_VYN", [&](TForm_VYN& f) {
    auto& lista = dynamic_cast<TfrPesquisaCodigo_VYN&>(f);
    colunas = Colunas(*lista.grConsulta);
    ASSERT_TRUE(lista.DAO()->Locate("CODIGO", {Variant(30)}));
    grupo = lista.grConsulta->CellText("BDGRUPOCTA");
    lista.grConsulta->DblClick();
  });
  EXPECT_TRUE(tela->edContaAjusteECF->Pesquisar());
  EXPECT_EQ(colunas, (std::vector<std::string>{"CODIGO", "NOME", "BDCODTPLA", "BDGRUPOCTA"}));
  EXPECT_EQ(grupo, "1");
  EXPECT_EQ(tela->edContaAjusteECF->Text(), "30");

  tela->edContaLivroCaixa->SetEnabled(true);
  tela->edContaLivroCaixa->SetText("10");
  dialogs.Modal("TfrPesquisaCodigo_VYN", [&](TForm_VYN& f) {
    auto& lista = dynamic_cast<TfrPesquisaCodigo_VYN&>(f);
    colunas = Colunas(*lista.grConsulta);
    int esc = 27;
    lista.KeyDown(esc, 0);   // the user gives up
  });
  EXPECT_FALSE(tela->edContaLivroCaixa->Pesquisar());
  EXPECT_EQ(colunas, (std::vector<std::string>{"CODIGO", "NOME", "BDGRUPOCTA"}));
  EXPECT_EQ(tela->edContaLivroCaixa->Text(), "10");

  Db().Execute("INSERT INTO TCONTADOR (BDCODCONT, BDNOMCONT, BDDDDCONT, BDFONECONT, BDINDCRC) VALUES "
               "(5, 'Maria Contadora', '41', '33334444', 'PR-012345/O-1')");
  Db().Execute("INSERT INTO TESCRITORIO_CONTABIL (BDCODESC, BDNOMESC) VALUES (7, 'Escritório Central')");
  tela->rgResponsavel->SetItemIndex(2);
  tela->rgTipoProcurador->SetItemIndex(0);
  tela->edProcurador->SetText("5");
  ASSERT_TRUE(tela->edProcurador->Search());
  EXPECT_EQ(tela->edProcurador->CamposProcurar().Campos(),
            (std::vector<std::string>{"BDDDDCONT", "BDFONECONT", "BDEMAILCONT", "BDINDCRC", "BDDATAVALIDACONT"}));
  tela->edProcurador->SetText("7");   // an office's code is no accountant's
  EXPECT_FALSE(tela->edProcurador->Search());
  std::string crc;
  dialogs.Modal("TfrPesquisaCodigo_VYN", [&](TForm_VYN& f) {
    auto& lista = dynamic_cast<TfrPesquisaCodigo_VYN&>(f);
    colunas = Colunas(*lista.grConsulta);
    crc = lista.grConsulta->CellText("BDINDCRC");
    lista.grConsulta->DblClick();
  });
  tela->edProcurador->Clear();
  EXPECT_TRUE(tela->edProcurador->Pesquisar());
  EXPECT_EQ(colunas, (std::vector<std::string>{"CODIGO", "NOME", "BDDDDCONT", "BDFONECONT", "BDEMAILCONT",
                                               "BDINDCRC", "BDDATAVALIDACONT"}));
  EXPECT_EQ(crc, "PR-012345/O-1");
  EXPECT_EQ(tela->edProcurador->Text(), "5");
  // The office: its own list, without the accountant's columns.
  tela->rgTipoProcurador->SetItemIndex(1);
  dialogs.Modal("TfrPesquisaCodigo_VYN", [&](TForm_VYN& f) {
    auto& lista = dynamic_cast<TfrPesquisaCodigo_VYN&>(f);
    colunas = Colunas(*lista.grConsulta);
    lista.grConsulta->DblClick();
  });
  EXPECT_TRUE(tela->edProcurador->Pesquisar());
  EXPECT_EQ(colunas, (std::vector<std::string>{"CODIGO", "NOME"}));
  EXPECT_EQ(tela->edProcurador->Text(), "7");
  EXPECT_TRUE(tela->edProcurador->CamposProcurar().Campos().empty());
  // A qualification is one of the layout's codes.
  tela->edQualificacao->SetText("123");
  EXPECT_FALSE(tela->edQualificacao->Search());
  tela->edQualificacao->SetText("900");
  ASSERT_TRUE(tela->edQualificacao->Search());
  EXPECT_EQ(tela->edQualificacao->GetDaoFactory()->Nome, "Contador");
  EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
}

}  // namespace
}  // namespace integracao
