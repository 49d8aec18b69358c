#include <gtest/gtest.h>

#include <filesystem>
#include <vector>
#include <fstream>

#include <nlohmann/json.hpp>

#include "framework/accounting/dados_lancamento.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/schema/seed.h"
#include "framework/standins/lancamentos.h"
#include "framework/standins/observacao.h"
#include "framework/standins/outras_telas.h"
#include "framework/standins/relatorios.h"
#include "framework/standins/telas_plataforma.h"
#include "framework/standins/vinculos_baixa.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/form.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "testing/company_db.h"
#include "testing/settlement_seed.h"

namespace vyn {
namespace {

Currency R(int64_t reais) { return Currency::FromInt(reais); }

class StandInTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    telas_ = std::make_unique<TTelasDaPlataformaRegistradas>();
    opener_ = MakeForm<TForm_VYN>();
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
    opener_.reset();
    telas_.reset();
    CompanyDatabaseTest::TearDown();
  }
  template <class T>
  T* Abre(const std::string& classe, TListaObj lista) {
    return dynamic_cast<T*>(TPackagesUtil::CarregaFormParamsObj(classe, opener_.get(), std::move(lista)));
  }
  // Lines of a review in memory: one entry per call, its bank on the credit side.
  TLancamentoMGR* Linhas() {
    auto* l = TLancamentoMGR::CreateMgr(opener_.get());
    l->SetTableName("");
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO"}) l->AddFieldDef(c, TFieldType::ftInteger);
    l->AddFieldDef("BDVALOR", TFieldType::ftCurrency);
    l->AddFieldDef("BDOBSWEB", TFieldType::ftString, 200);
    l->AddFieldDef("BDVINC_BAIXA", TFieldType::ftBoolean);
    l->CreateDataSet();
    return l;
  }
  // The installment-linking screen for the current split row of the lines' multiple-entry set.
  TfrVinculoBaixaSubstituto* VinculaDivisao(TLancamentoMGR* l, TClientDataSet* vinculos) {
    TListaObj p;
    p.Add(l->getMultiLancamentosDAO());
    p.Add(vinculos);
    p.AddNil();
    p.Add(l);
    return Abre<TfrVinculoBaixaSubstituto>("TfrFiltroBaixaParcelamento", std::move(p));
  }

  TScriptedDialogs dialogs;
  std::unique_ptr<TTelasDaPlataformaRegistradas> telas_;
  TFormPtr<TForm_VYN> opener_;
};

TEST_F(StandInTest, TheObservationDialogLeavesTheTypedTextInTheArrayOrOnTheLineAndNothingWhenCancelled) {
  nlohmann::json nota = nlohmann::json::array();
  auto abre = [&](nlohmann::json& array) {
    TListaObj p;
    p.AddObject(&array);
    TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", opener_.get(), std::move(p), nullptr, true);
  };
  dialogs.Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    static_cast<TfrDadosObservacaoDYQ&>(f).mmObservacao->SetText("  Conta errada ");
    static_cast<TfrDadosObservacaoDYQ&>(f).spCancelar->Click();
  });
  abre(nota);
  EXPECT_TRUE(nota.empty());
  // Confirmed without text it asks for one and stays open.
  dialogs.Modal("TfrDadosObservacaoDYQ", [this](TForm_VYN& f) {
    auto& d = static_cast<TfrDadosObservacaoDYQ&>(f);
    dialogs.Ok("Informe a observação");
    d.spConfirmar->Click();
    EXPECT_FALSE(d.Closed());
    d.mmObservacao->SetText("  Conta errada ");
    d.spConfirmar->Click();
  });
  abre(nota);
  EXPECT_EQ(nota, nlohmann::json::array({"Conta errada"}));
  EXPECT_TRUE(opener_->Enabled());

  TLancamentoMGR* l = Linhas();
  l->AppendRecord({1, 7, 20, 11, R(10), Variant(), false});
  l->AppendRecord({1, 8, 20, 11, R(20), Variant(), false});
  l->First();
  dialogs.Modal("TfrDadosObservacaoDYQ", [](TForm_VYN& f) {
    static_cast<TfrDadosObservacaoDYQ&>(f).mmObservacao->SetText("Recusado pelo cliente");
    static_cast<TfrDadosObservacaoDYQ&>(f).spConfirmar->Click();
  });
  TListaObj p;
  p.Add(l);
  TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", opener_.get(), std::move(p), nullptr, true);
  EXPECT_EQ(l->FieldByName("BDOBSWEB").AsString(), "Recusado pelo cliente");
  l->Next();
  EXPECT_TRUE(l->FieldByName("BDOBSWEB").IsNull());
}

// A note longer than the line keeps (500 characters) is refused while the dialog is open, for the user
// to shorten it: nothing fails later on the line or on its way to Dyq. Characters are counted, not bytes.
TEST_F(StandInTest, AnObservationLongerThanTheLineKeepsIsRefusedWhileTheDialogIsOpen) {
  nlohmann::json nota = nlohmann::json::array();
  std::string acentos;
  for (int i = 0; i < 500; ++i) acentos += "\u00e9";
  dialogs.Modal("TfrDadosObservacaoDYQ", [&](TForm_VYN& f) {
    auto& d = static_cast<TfrDadosObservacaoDYQ&>(f);
    d.mmObservacao->SetText(acentos + "!");
    dialogs.Ok("A observação tem 501 caracteres; o máximo é 500.");
    d.spConfirmar->Click();
    EXPECT_FALSE(d.Closed());
    d.mmObservacao->SetText(acentos);
    d.spConfirmar->Click();
  });
  TListaObj p;
  p.AddObject(&nota);
  TPackagesUtil::CarregaFormParamsObj("TfrDadosObservacaoDYQ", opener_.get(), std::move(p), nullptr, true);
  EXPECT_EQ(nota, nlohmann::json::array({acentos}));
}

TEST_F(StandInTest, LinkingScreensLinkTheChosenOpenObligationToTheLineOrItsSplitRow) {
  seed::AddStandardCompany(Db(), 202401);
  seed::AddGuia(Db(), 1, 55, R(500), R(0));   // paid: not offered
  seed::AddGuia(Db(), 1, 56, R(70));
  seed::AddCalculo(Db(), 1, 2, 300, 1, R(1000), R(400));
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(1000),
                           {{1, R(100), EncodeDate(2024, 2, 5), 0}, {2, R(100), EncodeDate(2024, 3, 5), 0}});
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R(100), EncodeDate(2024, 2, 5));
  TLancamentoMGR* l = Linhas();
  l->AppendRecord({1, 7, Variant(), seed::kContaBanco, R(70), Variant(), false});
  auto vinculos = TLancamentoMGR::NewClientDataSetBaixas();
  TClientDataSet* multi = l->getMultiLancamentosDAO();

  auto abre = [&](const char* classe, bool split) {
    TListaObj p;
    if (split) {
      p.Add(multi);
      p.Add(vinculos.get());
      p.AddNil();
      p.Add(l);
    } else {
      p.Add(l);
      p.Add(vinculos.get());
      p.Add(multi);
    }
    return Abre<TfrVinculoBaixaSubstituto>(classe, std::move(p));
  };
  auto* guias = abre("TfrFiltroImpostosEmitidos", false);
  ASSERT_NE(guias, nullptr);
  ASSERT_EQ(guias->Obrigacoes()->RecordCount(), 1);
  guias->spConfirmar->Click();
  ASSERT_EQ(vinculos->RecordCount(), 1);
  EXPECT_EQ(vinculos->FieldByName("BDCHAVE").AsInteger(), 7);
  EXPECT_EQ(vinculos->FieldByName("BDCHAVELANC").AsInteger(), 0);
  EXPECT_EQ(vinculos->FieldByName("BDTIPO_BAIXA").AsInteger(), 0);
  EXPECT_EQ(vinculos->FieldByName("BDBAIXA_ID").AsInteger(), 56);
  EXPECT_EQ(vinculos->FieldByName("BDVALOR").AsCurrency(), R(70));
  EXPECT_FALSE(vinculos->FieldByName("BDAUTOMATICO").AsBoolean());
  EXPECT_TRUE(l->FieldByName("BDVINC_BAIXA").AsBoolean());
  EXPECT_TRUE(guias->Closed());

  // A split row of the line: the open installment typed by number, its calculation by the list.
  multi->AppendRecord({1, 7, 3});
  auto* parcelas = abre("TfrFiltroBaixaParcelamento", true);
  ASSERT_EQ(parcelas->Obrigacoes()->RecordCount(), 1);   // the paid installment is not offered
  parcelas->edChave->SetText("10");
  parcelas->edOrdem->SetText("1");
  dialogs.Ok("Selecione uma obrigação");
  parcelas->spConfirmar->Click();
  EXPECT_FALSE(parcelas->Closed());
  parcelas->edOrdem->SetText("2");
  parcelas->spConfirmar->Click();
  vinculos->Last();
  EXPECT_EQ(vinculos->FieldByName("BDCHAVELANC").AsInteger(), 3);
  EXPECT_EQ(vinculos->FieldByName("BDTIPO_BAIXA").AsInteger(), 2);
  EXPECT_EQ(vinculos->FieldByName("BDORDEM").AsInteger(), 2);
  EXPECT_EQ(vinculos->FieldByName("BDSUBTIPO_BAIXA").AsInteger(), 0);
  EXPECT_TRUE(multi->FieldByName("BDVINC_BAIXA").AsBoolean());

  auto* calculos = abre("TfrProcessoFiltroCalculosBaixa", false);
  calculos->spConfirmar->Click();
  vinculos->Last();
  EXPECT_EQ(vinculos->FieldByName("BDTIPO_BAIXA").AsInteger(), 1);
  EXPECT_EQ(vinculos->FieldByName("BDSUBTIPO_BAIXA").AsInteger(), 2);
  EXPECT_EQ(vinculos->FieldByName("BDVALOR").AsCurrency(), R(600));
}

// A split row carries the other side of its line (a payment's rows are debits): what it may settle is
// what its line's bank side paid or received.
TEST_F(StandInTest, ASplitRowIsOfferedTheObligationsOfItsLinesBankSide) {
  seed::AddStandardCompany(Db(), 202401);
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(100), {{1, R(40), EncodeDate(2024, 2, 5), 0}});
  seed::AddDocumentoFiscal(Db(), 1, 1, 20, 20, EncodeDate(2024, 1, 5), R(100), {{1, R(30), EncodeDate(2024, 2, 5), 0}});
  TLancamentoMGR* l = Linhas();
  l->AppendRecord({1, 7, Variant(), seed::kContaBanco, R(100), Variant(), false});   // a payment
  l->AppendRecord({1, 8, seed::kContaBanco, Variant(), R(100), Variant(), false});   // a receipt, current
  TClientDataSet* multi = l->getMultiLancamentosDAO();
  multi->AppendRecord({1, 7, 1, Variant(), Variant(), seed::kContaFornecedores, Variant(), R(40)});
  const TBookmark pagamento = multi->GetBookmark();
  multi->AppendRecord({1, 8, 1, Variant(), Variant(), Variant(), seed::kContaClientes, R(30)});
  auto vinculos = TLancamentoMGR::NewClientDataSetBaixas();
  auto abre = [&] { return VinculaDivisao(l, vinculos.get()); };

  auto* recebe = abre();
  ASSERT_EQ(recebe->Obrigacoes()->RecordCount(), 1);
  EXPECT_EQ(recebe->Obrigacoes()->FieldByName("BDID").AsInteger(), 20);
  recebe->Close();
  // The payment's row, while the review stands on another line.
  multi->GotoBookmark(pagamento);
  auto* paga = abre();
  ASSERT_EQ(paga->Obrigacoes()->RecordCount(), 1);
  EXPECT_EQ(paga->Obrigacoes()->FieldByName("BDID").AsInteger(), 10);
  paga->spConfirmar->Click();
  EXPECT_EQ(vinculos->FieldByName("BDSUBTIPO_BAIXA").AsInteger(), 0);
  EXPECT_EQ(l->FieldByName("BDCHAVE").AsInteger(), 8);
}

// A line of an entry file names both accounts: the side that is the company's bank or cash tells which
// way the money went, whatever the other side is, and only obligations of that nature are offered.
TEST_F(StandInTest, AnEntryFileLineIsOfferedOnlyTheObligationsOfTheWayItsMoneyWent) {
  seed::AddStandardCompany(Db(), 202401);
  seed::AddGuia(Db(), 1, 56, R(70));
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(100), {{1, R(40), EncodeDate(2024, 2, 5), 0}});
  seed::AddDocumentoFiscal(Db(), 1, 1, 20, 20, EncodeDate(2024, 1, 5), R(100), {{1, R(30), EncodeDate(2024, 2, 5), 0}});
  TLancamentoMGR* l = Linhas();
  auto vinculos = TLancamentoMGR::NewClientDataSetBaixas();
  auto oferecidas = [&](const char* classe, int debito, int credito) {
    l->AppendRecord({1, l->RecordCount() + 1, debito, credito, R(100), Variant(), false});
    TListaObj p;
    p.Add(l);
    p.Add(vinculos.get());
    p.Add(l->getMultiLancamentosDAO());
    auto* tela = Abre<TfrVinculoBaixaSubstituto>(classe, std::move(p));
    std::vector<int64_t> ids;
    for (tela->Obrigacoes()->First(); !tela->Obrigacoes()->Eof(); tela->Obrigacoes()->Next())
      ids.push_back(tela->Obrigacoes()->FieldByName("BDID").AsInteger());
    tela->Close();
    return ids;
  };
  using Ids = std::vector<int64_t>;
  // A payment to a supplier, and a customer's receipt.
  EXPECT_EQ(oferecidas("TfrFiltroBaixaParcelamento", seed::kContaFornecedores, seed::kContaBanco), Ids{10});
  EXPECT_EQ(oferecidas("TfrFiltroImpostosEmitidos", seed::kContaFornecedores, seed::kContaBanco), Ids{56});
  EXPECT_EQ(oferecidas("TfrFiltroBaixaParcelamento", seed::kContaBanco, seed::kContaClientes), Ids{20});
  EXPECT_EQ(oferecidas("TfrFiltroImpostosEmitidos", seed::kContaBanco, seed::kContaClientes), Ids{});
  EXPECT_EQ(oferecidas("TfrProcessoFiltroCalculosBaixa", seed::kContaCaixa, seed::kContaClientes), Ids{});
  EXPECT_TRUE(vinculos->IsEmpty());
}

// What the links already made take of an installment (up to their row's value) is not offered again:
// an installment taken in part stays, one taken in full does not.
TEST_F(StandInTest, AnInstallmentTheLinksTakeInFullIsNotOfferedAgain) {
  seed::AddStandardCompany(Db(), 202401);
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 10, EncodeDate(2024, 1, 5), R(100), {{1, R(40), EncodeDate(2024, 2, 5), 0}});
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 11, EncodeDate(2024, 1, 5), R(100), {{1, R(60), EncodeDate(2024, 2, 6), 0}});
  TLancamentoMGR* l = Linhas();
  l->AppendRecord({1, 7, Variant(), seed::kContaBanco, R(100), Variant(), false});   // a payment
  TClientDataSet* multi = l->getMultiLancamentosDAO();
  multi->AppendRecord({1, 7, 1, Variant(), Variant(), seed::kContaFornecedores, Variant(), R(30)});
  const TBookmark primeira = multi->GetBookmark();
  multi->AppendRecord({1, 7, 2, Variant(), Variant(), seed::kContaFornecedores, Variant(), R(70)});
  const TBookmark segunda = multi->GetBookmark();
  auto vinculos = TLancamentoMGR::NewClientDataSetBaixas();
  auto abre = [&](TBookmark divisao) {
    multi->GotoBookmark(divisao);
    return VinculaDivisao(l, vinculos.get());
  };
  auto* tela = abre(primeira);
  ASSERT_EQ(tela->Obrigacoes()->RecordCount(), 2);
  tela->edChave->SetText("10");
  tela->spConfirmar->Click();   // 30,00 of the 40,00
  tela = abre(segunda);
  ASSERT_EQ(tela->Obrigacoes()->RecordCount(), 2) << "10,00 of document 10 is still open";
  tela->edChave->SetText("11");
  tela->spConfirmar->Click();   // all of its 60,00
  tela = abre(primeira);
  ASSERT_EQ(tela->Obrigacoes()->RecordCount(), 1);
  EXPECT_EQ(tela->Obrigacoes()->FieldByName("BDID").AsInteger(), 10);
  tela->Close();
}

TEST_F(StandInTest, TheMultipleEntryEditorAddsNumberedSplitRowsToTheLine) {
  TLancamentoMGR* l = Linhas();
  l->AppendRecord({1, 7, Variant(), 11, R(300), Variant(), false});
  TDadosLancamento d;
  d.Chave = 7;
  d.Data = EncodeDate(2024, 3, 12);
  d.Documento = "NF 12";
  d.Complemento = "Pagamento";
  auto* empresa = opener_->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
  empresa->SetText("1");
  TListaObj p;
  p.AddObject(&d);
  p.Add(empresa);
  p.Add(l);
  auto* editor = Abre<TfrImportacaoOFCMultiLancamento>("TfrImportacaoOFCMultiLancamento", std::move(p));
  ASSERT_NE(editor, nullptr);
  for (int conta : {20, 40}) {
    editor->edDebito->SetText(std::to_string(conta));
    editor->edValor->SetText("150,00");
    // A cost centre goes with the side that has an account: the credit side has none here.
    editor->edCentroCustoDebito->SetText(conta == 20 ? "7" : "");
    editor->edCentroCustoCredito->SetText("8");
    editor->spIncluir->Click();
  }
  dialogs.Ok("Informe a conta e o valor");
  editor->spIncluir->Click();
  editor->spConfirmar->Click();
  TClientDataSet& m = *l->getMultiLancamentosDAO();
  ASSERT_EQ(m.RecordCount(), 2);
  m.First();
  EXPECT_EQ(m.FieldByName("BDCHAVELANC").AsInteger(), 1);
  EXPECT_EQ(m.FieldByName("BDDEBITO").AsInteger(), 20);
  EXPECT_TRUE(m.FieldByName("BDCREDITO").IsNull());
  EXPECT_EQ(m.FieldByName("BDCOMPL").AsString(), "Pagamento");
  EXPECT_EQ(m.FieldByName("BDDCTO").AsString(), "NF 12");
  m.Next();
  EXPECT_EQ(m.FieldByName("BDCHAVELANC").AsInteger(), 2);
  EXPECT_EQ(m.FieldByName("BDVALOR").AsCurrency(), R(150));
  TClientDataSet& ccD = *l->getMultiLancamentosCCDAO(0);
  ASSERT_EQ(ccD.RecordCount(), 1);
  ccD.First();
  EXPECT_EQ(ccD.FieldByName("BDCHAVELANC").AsInteger(), 1);
  EXPECT_EQ(ccD.FieldByName("BDCODCENTRO").AsInteger(), 7);
  EXPECT_EQ(ccD.FieldByName("BDVALOR").AsCurrency(), R(150));
  EXPECT_TRUE(l->getMultiLancamentosCCDAO(1)->IsEmpty());
  EXPECT_TRUE(editor->Closed());
}

TEST_F(StandInTest, TheY570ScreenWritesTheEntrysRowWhereTheReviewsCopySeesItBeforeTheCallback) {
  auto* y570 = TVZEL_EMPRESAS_TLAN_Y570MGR::CreateMgr(opener_.get());
  y570->SelectEmpresa(1);
  y570->Parametros = {1, 1, 7, 12, R(1000)};
  TClientDataSet copia;
  copia.CloneCursor(*y570, false, true);
  TLancamentoMGR* l = Linhas();
  dialogs.Modal("tfrLancamentoY570Integracao", [this](TForm_VYN& f) {
    auto& t = static_cast<TfrLancamentoY570Integracao&>(f);
    EXPECT_EQ(t.edValorBruto->Value(), R(1000));
    dialogs.Ok("CNPJ");
    t.spConfirmar->Click();
    t.edCNPJFonte->SetText("12.345.678/0001-90");
    t.edIRRF->SetText("15,00");
    t.spConfirmar->Click();
  });
  int vistos = -1;
  TListaObj p;
  p.Add(y570);
  p.Add(l);
  TPackagesUtil::CarregaFormParamsObj("tfrLancamentoY570Integracao", opener_.get(), std::move(p),
                                      [&](TForm_VYN&) { vistos = copia.RecordCount(); }, true);
  EXPECT_EQ(vistos, 1);
  auto r = Db().QueryAll("select BDCODEMP, BDCHAVE, BDSEQ, BDCNPJFONTE, BDIRRF from VZEL_EMPRESAS_TLAN_Y570");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][1].AsInteger(), 7);
  EXPECT_EQ(r.Rows[0][2].AsInteger(), 1);
  EXPECT_EQ(r.Rows[0][3].AsString(), "12345678000190");
  EXPECT_EQ(r.Rows[0][4].AsCurrency(), R(15));
}

TEST_F(StandInTest, RegistersWriteTheRowsTheirReadersLookFor) {
  seed::AddStandardCompany(Db(), 202401);
  auto* moeda = opener_->Create<TEdit_Codigo_Search_VYN>();
  moeda->SetText("3");
  TListaObj p;
  p.Add(moeda);
  auto* moedas = Abre<TfrCadMoedasPlanoMoedas>("TfrCadMoedasPlanoMoedas", std::move(p));
  moedas->edData->SetData(EncodeDate(2024, 1, 31));
  moedas->edValor->SetText("5,1234");
  moedas->spConfirmar->Click();
  EXPECT_EQ(Db().QueryValue("select BDVALOR from MOEDAS_TMOE where BDCODMOEDAS = 3").AsCurrency().ToBR(4), "5,1234");

  auto* prep = Abre<TfrPreparacaoVariacaoCambial>("TfrPreparacaoVariacaoCambial", {});
  dialogs.Ok("Informe a empresa");
  prep->spConfirmar->Click();
  prep->edCODEMP->SetText("1");
  prep->edCODMOE->SetText("3");
  prep->edContaAtiva->SetText("30");
  prep->edContaPassiva->SetText("40");
  prep->spConfirmar->Click();
  EXPECT_EQ(Db().QueryValue("select BDCONTAVARPASSIVA from VZEL_EMP_TPREPVARCAMBIAL where BDCODEMP = 1 and BDCODMOE = 3")
                .AsInteger(),
            40);

  auto* troca = Abre<TfrCadPlanosTrocaContabilizacao>("TfrCadPlanosTrocaContabilizacao", {});
  troca->edDescricao->SetText("Lucro real para presumido");
  troca->edPlanoDe->SetText("1");
  troca->edPlanoPara->SetText("2");
  troca->edContaDe->SetText("40");
  troca->edContaPara->SetText("400");
  troca->spConfirmar->Click();
  EXPECT_EQ(troca->edCODINT->ValorInteger(), 1);
  EXPECT_EQ(Db().QueryValue("select BDCODPLANOONLINEPARA from VINT_BASE_TINTONLINE where BDCODINT = 1").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("select BDCODTPLAPARA from VINT_BASE_TINTONLINE_CONTA where BDCODINT = 1 and BDCODTPLADE = 40")
                .AsInteger(),
            400);

  ProcessContext().UserCode = 9;
  auto* pasta = Abre<TfrCadastroDYQUsuarioDiretorio>("TfrCadastroDYQUsuarioDiretorio", {});
  pasta->edDiretorio->SetText("/srv/pdf");
  pasta->edSubPastas->SetText("2");
  pasta->spConfirmar->Click();
  ProcessContext().UserCode = 0;
  EXPECT_EQ(Db().QueryValue("select BDDIRETORIO from VZEL_USU_DYQ_DIRETORIO where BDCODUSU = 9").AsString(), "/srv/pdf");

  std::vector<std::string> empresas = {"1"};
  auto* edEmp = opener_->Create<TEdit_Codigo_Search_VYN>();
  edEmp->SetText("1");
  TListaObj pe;
  pe.Add(edEmp);
  pe.AddObject(&empresas);
  dialogs.Modal("TfrEmpresasPreparacaoExtratoBancario", [](TForm_VYN& f) {
    auto& t = static_cast<TfrEmpresasPreparacaoExtratoBancario&>(f);
    ASSERT_EQ(t.clEmpresas->Items.size(), 2u);
    EXPECT_TRUE(t.clEmpresas->Checked(0));
    t.clEmpresas->SetChecked(1, true);
    t.spConfirmar->Click();
  });
  TPackagesUtil::CarregaFormParamsObj("TfrEmpresasPreparacaoExtratoBancario", opener_.get(), std::move(pe), nullptr, true);
  EXPECT_EQ(empresas, (std::vector<std::string>{"1", "2"}));

  TListaObj pr;
  pr.Add(edEmp);
  auto* regra = Abre<TfrPreparacaoMovimentoCaixa>("TfrPreparacaoMovimentoCaixa", std::move(pr));
  regra->edCOMPL->SetText("TARIFA");
  regra->edContraPartida->SetText("40");
  regra->ckCoincide->SetChecked(true);
  regra->spConfirmar->Click();
  auto r = Db().QueryAll("select BDCOMPL, BDCOINCIDE, BDCONTRAPARTIDA, BDTIPOCONTA from VZEL_EMP_TPRE_EXT_BANCARIO "
                         "where BDCODEMP = 1");
  ASSERT_EQ(r.Rows.size(), 1u);
  EXPECT_EQ(r.Rows[0][1].AsString(), "TRUE");
  EXPECT_EQ(r.Rows[0][2].AsInteger(), 40);
  EXPECT_EQ(r.Rows[0][3].AsInteger(), 2);
}

TEST_F(StandInTest, SpedExportsWriteTheCompanysFileForTheValidatorAndRefuseAnUnknownCompany) {
  seed::AddStandardCompany(Db(), 202401);
  auto* sped = dynamic_cast<TfrIntegracao_Empresa_Padrao_VYN*>(TPackagesUtil::CarregaForm(opener_.get(), "TfrExportacaoSped"));
  ASSERT_NE(sped, nullptr);
  const auto pasta = std::filesystem::temp_directory_path() / ("standins_sped_" + std::to_string(::getpid()));
  std::filesystem::create_directories(pasta);
  const std::string arquivo = sped->ExportaToValidador(1, EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 31), pasta.string());
  ASSERT_TRUE(std::filesystem::is_regular_file(arquivo)) << arquivo;
  std::ifstream f(arquivo);
  std::string primeira;
  std::getline(f, primeira);
  EXPECT_EQ(primeira.rfind("|0000|01012024|31012024|", 0), 0u) << primeira;
  EXPECT_EQ(sped->ExportaToValidador(999, EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 31), pasta.string()), "");
  EXPECT_EQ(sped->Inconsistencias_VYN->CountErros(), 1);
  std::filesystem::remove_all(pasta);
}

TEST_F(StandInTest, ScreensWithoutAContractShowWhatTheyWereHandedAndCloseOnEitherButton) {
  TListaObj p;
  p.AddInteger(2);
  p.AddText("Inglês");
  p.AddInteger(1);
  auto* idiomas = Abre<TfrTelaSubstitutaSimples>("TfrConfiguracaoIdiomas", std::move(p));
  ASSERT_NE(idiomas, nullptr);
  EXPECT_EQ(idiomas->lbParametros->Caption(), "2\nInglês\n1");
  idiomas->spCancelar->Click();
  EXPECT_TRUE(idiomas->Closed());
  // The ECF checklist notice is acknowledged with its confirm button.
  dialogs.Modal("TfrAvisoChecklistECF", [](TForm_VYN& f) { static_cast<TfrTelaSubstituta&>(f).spConfirmar->Click(); });
  EXPECT_EQ(TPackagesUtil::CarregaFormModal("TfrAvisoChecklistECF", opener_.get()), mrOk);
}

TEST_F(StandInTest, TheEcfPreviousChartScreenFillsTheValuesTheEcfScreenKeeps) {
  auto* codigo = opener_->Create<TInteger_VYN>();
  auto* nome = opener_->Create<TString_VYN>();
  auto* arquivo = opener_->Create<TString_VYN>();
  auto* i157 = opener_->Create<TInteger_VYN>();
  codigo->SetValue(5);
  TListaObj p;
  p.AddInteger(1);
  p.AddInteger(2023);
  p.Add(codigo);
  p.Add(nome);
  p.Add(arquivo);
  p.Add(i157);
  auto* t = Abre<TfrPreparacaoECFMultiContador>("TfrPreparacaoECFMultiContador", std::move(p));
  EXPECT_EQ(t->edCodigoBens->ValorInteger(), 5);
  t->edCodigoBens->SetText("77");
  t->edNomeBens->SetText("Bens d'antes");
  t->edCodigoI157->SetText("9");
  t->spConfirmar->Click();
  EXPECT_EQ(codigo->Value(), 77);
  EXPECT_EQ(nome->Value(), "Bens d'antes");
  EXPECT_EQ(i157->Value(), 9);
}

TEST_F(StandInTest, TheEntryTotalsReportPrintsTheCompanysMonthsOfThePeriod) {
  for (auto [chave, data, valor] : {std::tuple{1, "2024-01-10", 100}, {2, "2024-01-20", 50}, {3, "2024-02-05", 7}})
    ExecutaComoSuite(Db(), "insert into VZEL_EMPRESAS_TLAN (BDCODEMP, BDCHAVE, BDDATA, BDVALOR) values (1, ?, ?, ?)",
                           {chave, data, R(valor)});
  auto* r = dynamic_cast<TfrRelatorioTotaisLancamentos*>(
      TPackagesUtil::CarregaFormERetorna("TfrRelatorioTotaisLancamentos", opener_.get()));
  ASSERT_NE(r, nullptr);
  r->edCODEMP->SetText("1");
  r->edDataIni->SetData(EncodeDate(2024, 1, 1));
  r->edDataFim->SetData(EncodeDate(2024, 1, 31));
  r->spPreviaImpressaoClick(r->spPrevia);
  ASSERT_EQ(r->Report().Paginas.size(), 1u);
  EXPECT_NE(r->Report().Paginas[0].find("202401 | 2 | 150"), std::string::npos) << r->Report().Paginas[0];
  EXPECT_EQ(r->frxDBDados->RecordCount(), 1);
  r->Free();

  // The pay receipts of a kind of payroll, by the calculations' months.
  for (auto [tipo, chave, mes] : {std::tuple{1, 9, 202401}, {2, 9, 202401}, {1, 10, 202402}})
    ExecutaComoSuite(Db(), "insert into TDADOSPGTOCALC (BDCODEMP, BDTIPOCALC, BDCHAVE, BDORDEMCALC, BDREFERENCIA, BDLIQUIDO) "
                           "values (1, ?, ?, 1, ?, 800)",
                           {tipo, chave, mes});
  auto* recibos = dynamic_cast<TfrRelatorioReciboFolha*>(
      TPackagesUtil::CarregaFormERetorna("TfrRelatorioReciboFolha", opener_.get()));
  recibos->edCODEMP->SetText("1");
  recibos->edDataFim->SetData(EncodeDate(2024, 1, 31));
  recibos->cbTipoFolha->SetItemIndex(1);
  recibos->spPreviaImpressaoClick(recibos->spPrevia);
  EXPECT_EQ(recibos->frxDBDados->RecordCount(), 1);
  recibos->Free();
}

}  // namespace
}  // namespace vyn
