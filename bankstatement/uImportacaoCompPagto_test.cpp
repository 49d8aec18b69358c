#include "bankstatement/uImportacaoCompPagto.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bankstatement/uImportacaoCompPagto_test_pdf.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/class_registry.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/scripted_dialogs.h"
#include "module/registro.h"
#include "settlement/uProcessoBaixas.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"
#include "testing/settlement_seed.h"

namespace integracao {
namespace {

using namespace vyn;
using teste::TPaginaPDF;
namespace fs = std::filesystem;

Currency R(const char* texto) { return Currency::ParseSQL(texto); }
constexpr int kBanco = 500, kFornecedor = 200, kCliente = 300;
constexpr const char* kCNPJ = "12.345.678/0001-90";
constexpr const char* kSucesso = "Processo realizado com sucesso!";

// The statement review as the receipt import sees it: its class name and its rules action.
class TRevisaoStub : public TForm_VYN, public IRevisaoExtratoComprovantes {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return "TfrConsultaImportacaoExtratoBancario"; }
  void spRateioCreditoClick(TComponent*) override {
    ++Regras;
    if (Falha) throw std::runtime_error("falha nas regras");
  }
  bool Falha = false;
  // The folder the Dyq receipts of this review are read from.
  std::string PastaComprovantes() const override {
    return Pasta.empty() ? TfrImportacaoCompPagto::PastaComprovantesDYQ() : Pasta;
  }
  std::string Pasta;
  int Regras = 0;
};
class TDialogoDYQStub : public TForm_VYN {
 public:
  using TForm_VYN::TForm_VYN;
  std::string ClassName() const override { return "TfrFiltroImportacaoExtratoBancarioDYQ"; }
};

// A receipt of the bank's boleto layout (values beside their labels).
TPaginaPDF Boleto(const std::string& data, const std::string& pago, const std::string& original,
                  const std::string& juros = "", const std::string& multa = "", const std::string& desconto = "",
                  const std::string& cnpj = kCNPJ) {
  TPaginaPDF p = {{{50, "Comprovante de pagamento de boleto"}}, {{50, "CNPJ do beneficiário: " + cnpj}},
                  {{50, "Data do pagamento: " + data}},     {{50, "Valor do documento: R$ " + original}}};
  if (!juros.empty()) p.push_back({{50, "Juros: " + juros}});
  if (!multa.empty()) p.push_back({{50, "Multa: " + multa}});
  if (!desconto.empty()) p.push_back({{50, "Desconto: " + desconto}});
  if (!pago.empty()) p.push_back({{50, "Valor pago: R$ " + pago}});
  return p;
}

class ImportacaoCompPagtoTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    lista_ = RegistrosExtratoBancario();
    RegistraModulo(ClassRegistry(), lista_);
    pasta_ = fs::temp_directory_path() / TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
    fs::create_directories(pasta_);
    auto& ctx = ProcessContext();
    salvo_ = {ctx.UserCode, ctx.ProgramFolder};
    ctx.UserCode = 7;
    ctx.ProgramFolder = pasta_.string();
    auto& db = Db();
    db.Execute("insert into TEMPRESAS (BDCODEMP) values (1)");
    db.Execute("insert into TEMPRESAS_REF (BDCODEMP, BDREFEMP, BDNOMEMP, BDCODPLAPADRAO, BDCODHIST, BDCODPLANOONLINE) "
               "values (1, 202401, 'Padaria', 3, 2, 1)");
    db.Execute("insert into PLANOS_TPLA (BDCODPLAPADRAO, BDCODTPLA, BDPARTICIPANTE) values (3, ?, 1)", {kFornecedor});
    // Interest, fines and discount accounts of payments (bank credited) and receipts (customer credited).
    Config(1, "01.001.000000001.000000002.000000002", 610, kBanco);
    Config(2, "01.001.000000001.000000002.000000001", 620, kBanco);
    Config(3, "01.001.000000001.000000002.000000003", kBanco, 630);
    Config(4, "01.001.000000002.000000002.000000002", 710, kCliente);
    Config(6, "01.001.000000002.000000002.000000003", kBanco, 730);
    db.Execute("insert into TCONFIG_IMP_PDF (BDCODCONFIG, BDCODBAN, BDTITULOPDF, BDCPFCNPJBENEF, BDDATAPAGTO, "
               "BDVALORORIGINAL, BDVALORPAGO, BDDESCONTO, BDJUROS, BDMULTAS, BDMESMALINHA) values (1, 341, "
               "'COMPROVANTE DE PAGAMENTO DE BOLETO', 'CNPJ DO BENEFICIÁRIO:', 'DATA DO PAGAMENTO:', "
               "'VALOR DO DOCUMENTO:', 'VALOR PAGO:', 'DESCONTO:', 'JUROS:', 'MULTA:', 'TRUE')");
    // A tax receipt: values under their labels, no original value, only a due date.
    db.Execute("insert into TCONFIG_IMP_PDF (BDCODCONFIG, BDCODBAN, BDTITULOPDF, BDCPFCNPJBENEF, BDDATAVENC, "
               "BDVALORPAGO, BDJUROS, BDMULTAS, BDMESMALINHA, BDSEMVALORORIGINAL) values (2, 341, "
               "'COMPROVANTE DE TRIBUTO', 'CNPJ', 'VENCIMENTO', 'VALOR TOTAL', 'JUROS', 'MULTA', 'FALSE', 'TRUE')");
    // Another bank's layout with the same title is not this bank's.
    db.Execute("insert into TCONFIG_IMP_PDF (BDCODCONFIG, BDCODBAN, BDTITULOPDF, BDDATAPAGTO, BDVALORPAGO, "
               "BDMESMALINHA) values (3, 1, 'COMPROVANTE DE PAGAMENTO DE BOLETO', 'DATA DO PAGAMENTO:', 'VALOR PAGO:', "
               "'TRUE')");

    revisao_ = MakeForm<TRevisaoStub>();
    linhas_ = TLancamentoMGR::CreateMgr(revisao_.get());
    linhas_->SetTableName("");
    for (const char* c : {"BDCODEMP", "BDCHAVE", "BDDEBITO", "BDCREDITO", "BDCODTERCEIROD", "BDCODTERCEIROC",
                          "BDTEMCOMPROVANTE", "BDCODTPHI", "BDLOTE", "BDINCONSISTENTE", "BDIDEXTRATOWEB"})
      linhas_->AddFieldDef(c, TFieldType::ftInteger);
    linhas_->AddFieldDef("BDDATA", TFieldType::ftDate);
    for (const char* c : {"BDVALOR", "BDVALORPAGO", "BDVALORORIGINAL", "BDJUROS", "BDMULTAS", "BDDESCONTOS"})
      linhas_->AddFieldDef(c, TFieldType::ftCurrency);
    for (const char* c : {"BDCNPJ", "BDDCTO", "BDCOMPL"}) linhas_->AddFieldDef(c, TFieldType::ftString, 60);
    for (const char* c : {"BDVINC_BAIXA", "BDCONCD", "BDCONCC"}) linhas_->AddFieldDef(c, TFieldType::ftBoolean);
    linhas_->CreateDataSet();
    baixas_ = std::make_unique<TProcessoBaixas>(revisao_.get(), nullptr);
    empresa_ = revisao_->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcEmpresas));
    empresa_->SetText("1");
    conta_ = revisao_->Create<TEdit_Codigo_Search_VYN>(static_cast<int>(tcNenhum));
    conta_->SetText(std::to_string(kBanco));
  }
  void TearDown() override {
    EXPECT_TRUE(dialogs.Done()) << ::testing::PrintToString(dialogs.Pending());
    baixas_.reset();
    revisao_.reset();
    DesregistraModulo(ClassRegistry(), lista_);
    ProcessContext().UserCode = salvo_.usuario;
    ProcessContext().ProgramFolder = salvo_.pasta;
    std::error_code ec;
    fs::remove_all(pasta_, ec);
    CompanyDatabaseTest::TearDown();
  }
  void Config(int chave, const char* classificacao, int debito, int credito) {
    Db().Execute("insert into TCONF_CONTAS_ONLINE (BDCODPLANOONLINE, BDCHAVE, BDCODPLAPADRAO, BDCLASSIFICACAO) "
                 "values (1, ?, 3, ?)", {chave, classificacao});
    Db().Execute("insert into TCONF_CONTAS_ONLINE_REF (BDCODPLANOONLINE, BDCHAVE, BDREFCTA, BDCONTADEBPGTO, "
                 "BDCONTACREDPGTO) values (1, ?, 202401, ?, ?)", {chave, debito, credito});
  }
  // A payment line (supplier debited, bank credited) or a receipt (bank debited, customer credited).
  void Linha(int chave, int dia, const char* valor, bool pagamento = true) {
    linhas_->AppendRecord({1, chave, pagamento ? kFornecedor : kBanco, pagamento ? kBanco : kCliente,
                           pagamento ? Variant(55) : Variant(), pagamento ? Variant() : Variant(66)});
    linhas_->Edit();
    linhas_->FieldByName("BDDATA").SetAsDateTime(EncodeDate(2024, 3, dia));
    linhas_->FieldByName("BDVALOR").SetAsCurrency(R(valor));
    linhas_->FieldByName("BDLOTE").SetAsInteger(9);
    linhas_->Post();
  }
  std::string Pdf(const std::string& nome, const std::vector<TPaginaPDF>& paginas) {
    const std::string arquivo = (pasta_ / nome).string();
    teste::EscrevePDF(arquivo, paginas);
    return arquivo;
  }
  // Opens the screen from the review and runs it over the files.
  // fim: the message the run ends with (nullptr: none; "": any).
  TfrImportacaoCompPagto* Executa(const std::vector<std::string>& arquivos, const char* fim,
                                  TComponent* dono = nullptr, const std::string& banco = "341") {
    TListaObj lista;
    lista.Add(empresa_);
    lista.Add(linhas_);
    lista.Add(linhas_->getMultiLancamentosDAO());
    lista.AddObject(baixas_.get());
    lista.Add(revisao_.get());
    lista.Add(conta_);
    lista.AddNil();
    auto* tela = static_cast<TfrImportacaoCompPagto*>(TPackagesUtil::CarregaFormParamsObj(
        "TfrImportacaoCompPagto", dono ? dono : revisao_.get(), std::move(lista)));
    tela->edCODBANSIS->SetText(banco);
    // The files come through the field's chooser, as the user picks them.
    if (!arquivos.empty()) {
      dialogs.Files(arquivos);
      EXPECT_TRUE(tela->edArquivo->Procurar());
    }
    if (fim) dialogs.Ok(fim);
    tela->spOK->Click();
    return tela;
  }
  bool NaLinha(int chave) { return linhas_->Locate("BDCHAVE", {chave}); }
  Currency Valor(TClientDataSet& ds, const char* c) { return ds.FieldByName(c).AsCurrency(); }
  std::vector<std::string> Avisos(TfrImportacaoCompPagto* tela) {
    std::vector<std::string> out;
    for (const auto& i : tela->Inconsistencias_VYN()->Itens()) out.push_back(i.Caption);
    return out;
  }
  // The split rows of a line, in their order: "number:debit:credit:value".
  std::vector<std::string> Desdobramento(int chave) {
    TClientDataSet* m = linhas_->getMultiLancamentosDAO();
    std::vector<std::string> out;
    m->SetRange({1, chave}, {1, chave});
    for (m->First(); !m->Eof(); m->Next())
      out.push_back(m->FieldByName("BDCHAVELANC").AsString() + ":" + m->FieldByName("BDDEBITO").AsString() + ":" +
                    m->FieldByName("BDCREDITO").AsString() + ":" + m->FieldByName("BDVALOR").AsCurrency().ToSQL());
    m->CancelRange();
    return out;
  }

  TScriptedDialogs dialogs;
  TFormPtr<TRevisaoStub> revisao_;
  TLancamentoMGR* linhas_ = nullptr;
  std::unique_ptr<TProcessoBaixas> baixas_;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  TEdit_Codigo_Search_VYN* conta_ = nullptr;
  fs::path pasta_;
  TListaRegistro lista_;

 private:
  struct {
    int usuario;
    std::string pasta;
  } salvo_;
};

TEST_F(ImportacaoCompPagtoTest, ReadsBothLayoutsAndWritesTheReceiptsExactlyIntoTheirLines) {
  Linha(1, 5, "1050.00");
  Linha(2, 8, "1050.00");
  Linha(3, 11, "640.00");
  const std::string boletos = Pdf("boletos.PDF", {Boleto("05/03/2024", "1.050,00", "1.000,00", "30,00", "20,00")});
  // The tax receipt prints no original value (1.050,00 - 30,00 - 20,00) and no payment date.
  const std::string tributo = Pdf("tributo.pdf", {{{{50, "COMPROVANTE DE TRIBUTO"}},
                                                   {{50, "CNPJ"}, {250, "Vencimento"}},
                                                   {{50, "11.222.333/0001-81"}, {250, "08/03/2024"}},
                                                   {{50, "Juros"}, {150, "Multa"}, {250, "Valor total"}},
                                                   {{50, "30,00"}, {150, "20,00"}, {250, "1.050,00"}}}});
  TfrImportacaoCompPagto* tela = Executa({boletos, tributo}, kSucesso);

  ASSERT_TRUE(NaLinha(1));
  EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
  EXPECT_EQ(linhas_->FieldByName("BDCNPJ").AsString(), "12345678000190");
  EXPECT_EQ(Valor(*linhas_, "BDVALORPAGO"), R("1050"));
  EXPECT_EQ(Valor(*linhas_, "BDVALORORIGINAL"), R("1000"));
  EXPECT_EQ(Valor(*linhas_, "BDJUROS"), R("30"));
  EXPECT_EQ(Valor(*linhas_, "BDMULTAS"), R("20"));
  ASSERT_TRUE(NaLinha(2));
  EXPECT_EQ(linhas_->FieldByName("BDCNPJ").AsString(), "11222333000181");
  EXPECT_EQ(Valor(*linhas_, "BDVALORORIGINAL"), R("1000"));
  ASSERT_TRUE(NaLinha(3));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());
  // Principal on the supplier, interest and fines on their configured accounts; the line keeps the
  // bank and loses its counterpart.
  EXPECT_EQ(Desdobramento(1), (std::vector<std::string>{"1:200::1000.0000", "2:610::30.0000", "3:620::20.0000"}));
  ASSERT_TRUE(NaLinha(1));
  EXPECT_TRUE(linhas_->FieldByName("BDDEBITO").IsNull());
  EXPECT_TRUE(linhas_->FieldByName("BDCODTERCEIROD").IsNull());
  EXPECT_EQ(linhas_->FieldByName("BDCREDITO").AsInteger(), kBanco);
  EXPECT_EQ(revisao_->Regras, 1);
  EXPECT_TRUE(tela->Closed());
}

TEST_F(ImportacaoCompPagtoTest, SplitsPaymentsAndReceiptsByTheirSide) {
  Linha(1, 5, "1000.00");                 // interest 10, discount 5, original 995
  Linha(2, 6, "1015.00");                 // interest, fines and discount
  Linha(3, 7, "500.00", false);           // a receipt with interest and discount
  Linha(4, 8, "90.00");                   // only a negative discount: not split beyond its principal
  const std::string arq = Pdf("c.pdf", {Boleto("05/03/2024", "1.000,00", "995,00", "10,00", "", "5,00"),
                                        Boleto("06/03/2024", "1.015,00", "1.000,00", "10,00", "10,00", "5,00"),
                                        Boleto("07/03/2024", "500,00", "490,00", "12,00", "", "2,00"),
                                        Boleto("08/03/2024", "90,00", "100,00", "", "", "-10,00")});
  Executa({arq}, kSucesso);
  EXPECT_EQ(Desdobramento(1), (std::vector<std::string>{"1:200::995.0000", "2:610::10.0000", "3::630:5.0000"}));
  EXPECT_EQ(Desdobramento(2), (std::vector<std::string>{"1:200::1000.0000", "2:610::10.0000", "3:620::10.0000",
                                                        "4::630:5.0000"}));
  EXPECT_EQ(Desdobramento(3), (std::vector<std::string>{"1::300:490.0000", "2::710:12.0000", "3:730::2.0000"}));
  EXPECT_EQ(Desdobramento(4), (std::vector<std::string>{"1:200::100.0000"}));
  ASSERT_TRUE(NaLinha(4));
  EXPECT_EQ(linhas_->FieldByName("BDDEBITO").AsInteger(), kFornecedor);
  ASSERT_TRUE(NaLinha(3));
  EXPECT_EQ(linhas_->FieldByName("BDDEBITO").AsInteger(), kBanco);
  EXPECT_TRUE(linhas_->FieldByName("BDCREDITO").IsNull());
}

TEST_F(ImportacaoCompPagtoTest, LinksTheSplitToTheOneOpenInstallmentOfTheParticipantAndValue) {
  seed::AddTerceiro(Db(), 55, "12345678000190");
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 123, EncodeDate(2024, 2, 1), R("995"), {{1, R("995"), EncodeDate(2024, 3, 5), 55}});
  seed::AddPagamentoParcela(Db(), 0, 1, 10, 1, R("100"), EncodeDate(2024, 2, 20));
  // Two installments of another participant and value: that line gets no link at all.
  seed::AddTerceiro(Db(), 56, "99888777000166");
  seed::AddDocumentoFiscal(Db(), 0, 1, 11, 124, EncodeDate(2024, 2, 1), R("400"), {{1, R("400"), EncodeDate(2024, 3, 6), 56}});
  seed::AddDocumentoFiscal(Db(), 0, 1, 12, 125, EncodeDate(2024, 2, 1), R("400"), {{1, R("400"), EncodeDate(2024, 3, 6), 56}});
  Linha(1, 5, "1000.00");
  Linha(2, 6, "410.00");
  const std::string arq = Pdf("c.pdf", {Boleto("05/03/2024", "1.000,00", "995,00", "10,00", "", "5,00"),
                                        Boleto("06/03/2024", "410,00", "400,00", "10,00", "", "", "99.888.777/0001-66")});
  Executa({arq}, kSucesso);
  TClientDataSet& v = *baixas_->cdsVINC_EXT_BAN_COMP_BAIXA;
  std::vector<std::string> links;
  for (v.First(); !v.Eof(); v.Next())
    links.push_back(v.FieldByName("BDCHAVE").AsString() + "/" + v.FieldByName("BDCHAVELANC").AsString() + " " +
                    v.FieldByName("BDBAIXA_ID").AsString() + " " + v.FieldByName("bdCODTIPOBAIXA").AsString() + " " +
                    v.FieldByName("BDVALOR").AsCurrency().ToSQL());
  // The principal at the installment's open balance; interest and discount at their own amounts.
  EXPECT_EQ(links, (std::vector<std::string>{"1/1 10 1 895.0000", "1/2 10 4 10.0000", "1/3 10 2 5.0000"}));
  TClientDataSet* m = linhas_->getMultiLancamentosDAO();
  ASSERT_TRUE(m->Locate("BDCHAVE;BDCHAVELANC", {1, 3}));
  EXPECT_TRUE(m->FieldByName("BDVINC_BAIXA").AsBoolean());
  EXPECT_TRUE(m->FieldByName("BDVINC_BAIDESC").AsBoolean());
}

// Beta's receipt never settles Alfa's installment, even the only one due that day: the line stays
// without a link and the user is told whom the receipt paid.
TEST_F(ImportacaoCompPagtoTest, AReceiptNeverSettlesAnotherParticipantsInstallmentAndSaysSo) {
  seed::AddTerceiro(Db(), 55, "12345678000190");
  seed::AddTerceiro(Db(), 56, "99888777000166");
  seed::AddDocumentoFiscal(Db(), 0, 1, 10, 123, EncodeDate(2024, 2, 1), R("500"),
                           {{1, R("500"), EncodeDate(2024, 3, 15), 55}});
  Linha(1, 15, "500.00");
  const std::string arq = Pdf("c.pdf", {Boleto("15/03/2024", "500,00", "500,00", "", "", "", "99.888.777/0001-66")});
  TfrImportacaoCompPagto* tela = Executa({arq}, kSucesso);
  EXPECT_TRUE(baixas_->cdsVINC_EXT_BAN_COMP_BAIXA->IsEmpty());
  EXPECT_EQ(Avisos(tela), (std::vector<std::string>{
                              "Lançamento 1: o comprovante de 15/03/2024 no valor de R$ 500,00 pagou o CNPJ "
                              "99888777000166, que não tem parcela em aberto desse valor: nada foi vinculado (a parcela "
                              "de outro fornecedor com o mesmo vencimento não é baixada por ele)."}));
}

TEST_F(ImportacaoCompPagtoTest, NeverPutsTwoReceiptsOnOneLineAndReportsThoseThatMatchNothing) {
  Linha(1, 5, "250.00");
  Linha(2, 5, "250.00");
  const std::string arq = Pdf("c.pdf", {Boleto("05/03/2024", "250,00", "250,00"), Boleto("05/03/2024", "250,00", "250,00"),
                                        Boleto("05/03/2024", "250,00", "250,00"), Boleto("31/02/2024", "80,00", "80,00"),
                                        Boleto("09/03/2024", "1.234,56", "1.234,56")});
  TfrImportacaoCompPagto* tela = Executa({arq}, kSucesso);
  for (int chave : {1, 2}) {
    ASSERT_TRUE(NaLinha(chave));
    EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
  }
  EXPECT_EQ(Avisos(tela), (std::vector<std::string>{
                              "O comprovante do dia: 05/03/2024 no valor de: R$ 250,00, não foi localizado no extrato "
                              "selecionado.",
                              "O comprovante do dia: 31/02/2024 no valor de: R$ 80,00, não foi localizado no extrato "
                              "selecionado.",
                              "O comprovante do dia: 09/03/2024 no valor de: R$ 1.234,56, não foi localizado no extrato "
                              "selecionado."}));
  // With messages left the screen stays open for the user to read them.
  EXPECT_FALSE(tela->Closed());
}

TEST_F(ImportacaoCompPagtoTest, ReportsANegativeOriginalValueAndAMissingAccountInsteadOfGuessing) {
  Db().Execute("delete from TCONF_CONTAS_ONLINE_REF where BDCHAVE = 2");   // no account for fines of payments
  Linha(1, 5, "100.00");
  Linha(2, 6, "60.00");
  Linha(3, 7, "10.00");
  // The last receipt prints no original value at all: 10,00 paid with 30,00 of interest.
  const std::string arq = Pdf("c.pdf", {Boleto("05/03/2024", "100,00", "90,00", "", "10,00"),
                                        {{{50, "COMPROVANTE DE TRIBUTO"}},
                                         {{50, "Vencimento"}, {250, "Valor total"}},
                                         {{50, "06/03/2024"}, {250, "60,00"}},
                                         {{50, "Juros"}},
                                         {{50, "70,00"}}},
                                        Boleto("07/03/2024", "10,00", "", "30,00")});
  TfrImportacaoCompPagto* tela = Executa({arq}, kSucesso);
  EXPECT_EQ(Desdobramento(1), (std::vector<std::string>{"1:200::90.0000", "2:::10.0000"}));
  ASSERT_TRUE(NaLinha(2));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());
  ASSERT_TRUE(NaLinha(3));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());
  EXPECT_EQ(linhas_->FieldByName("BDDEBITO").AsInteger(), kFornecedor);
  EXPECT_TRUE(Desdobramento(3).empty());
  EXPECT_EQ(Avisos(tela),
            (std::vector<std::string>{"O comprovante do dia: 06/03/2024 no valor de: R$ 60,00 resulta em valor original "
                                      "negativo (-10,00) e não foi importado.",
                                      "O comprovante do dia: 07/03/2024 no valor de: R$ 10,00 resulta em valor original "
                                      "negativo (-20,00) e não foi importado.",
                                      "O lançamento: 1 não possui conta configurada para multas na configuração de "
                                      "contas on-line!"}));
}

TEST_F(ImportacaoCompPagtoTest, FileChoiceAndUnreadableFiles) {
  Linha(1, 5, "250.00");
  const std::string bom = Pdf("a.pdf", {Boleto("05/03/2024", "250,00", "250,00")});
  const std::string vazio = Pdf("z.pdf", {{}});
  const std::string texto = (pasta_ / "notas.txt").string();
  std::ofstream(texto) << "nada";
  // A choice without any PDF is refused; one with a PDF among others is taken.
  auto tela = MakeForm<TfrImportacaoCompPagto>();
  dialogs.Files({texto}).Ok("Nenhum arquivo válido selecionado para importar!");
  tela->edArquivo->Procurar();
  dialogs.Files({bom, texto});
  tela->edArquivo->Procurar();
  EXPECT_EQ(tela->edArquivo->Text(), bom + "; " + texto);

  // A trailing file without text does not undo a run that read receipts; the text file is named.
  TfrImportacaoCompPagto* t = Executa({bom, texto, vazio}, kSucesso);
  ASSERT_TRUE(NaLinha(1));
  EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
  EXPECT_EQ(Avisos(t), (std::vector<std::string>{"O arquivo 'notas.txt' não é um arquivo PDF e não foi lido."}));

  // Nothing readable: the run says so and matches nothing.
  TfrImportacaoCompPagto* t2 =
      Executa({(pasta_ / "falta.pdf").string()}, "Nenhum arquivo válido selecionado para importar!");
  EXPECT_EQ(Avisos(t2), (std::vector<std::string>{"O arquivo 'falta.pdf' não pôde ser lido como PDF."}));
  Executa({}, "Nenhum arquivo selecionado para importar, processo não realizado!");
}

// The bank is checked before anything is read, success is said only when a receipt found its line,
// and a receipt the layout cannot read (a second one on its page) is told.
TEST_F(ImportacaoCompPagtoTest, BankCheckedFirstAndSuccessOnlyWhenALineChanged) {
  Linha(1, 5, "250.00");
  const std::string arq = Pdf("a.pdf", {Boleto("05/03/2024", "250,00", "250,00")});
  for (const char* banco : {"", "0", "999"}) {
    Executa({arq}, "", nullptr, banco);
    ASSERT_TRUE(NaLinha(1));
    EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull()) << banco;
  }

  Executa({Pdf("b.pdf", {Boleto("06/03/2024", "99,00", "99,00")})},
          "Nenhum comprovante foi localizado no extrato: nada foi alterado.");
  ASSERT_TRUE(NaLinha(1));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());

  TPaginaPDF dois = Boleto("05/03/2024", "250,00", "250,00");
  for (auto& l : Boleto("07/03/2024", "80,00", "80,00")) dois.push_back(l);
  TfrImportacaoCompPagto* tela = Executa({Pdf("c.pdf", {dois})}, kSucesso);
  ASSERT_TRUE(NaLinha(1));
  EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
  EXPECT_EQ(Avisos(tela), (std::vector<std::string>{"A página do comprovante do dia: 05/03/2024 no valor de: R$ 250,00 "
                                                    "tem outro comprovante, que não foi importado."}));
}

// A run that fails after the receipts were written into their lines takes them back whole.
TEST_F(ImportacaoCompPagtoTest, AFailureHalfWayLeavesTheLinesAsTheyWere) {
  Linha(1, 5, "1050.00");
  revisao_->Falha = true;
  const std::string arq = Pdf("a.pdf", {Boleto("05/03/2024", "1.050,00", "1.000,00", "30,00", "20,00")});
  bool falhou = false;
  try {
    Executa({arq}, nullptr);
  } catch (const std::exception&) {
    falhou = true;
  }
  EXPECT_TRUE(falhou || !dialogs.Messages().empty());
  ASSERT_TRUE(NaLinha(1));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());
  EXPECT_TRUE(linhas_->FieldByName("BDVALORPAGO").IsNull());
  EXPECT_EQ(linhas_->FieldByName("BDDEBITO").AsInteger(), kFornecedor);
  EXPECT_TRUE(Desdobramento(1).empty());
  EXPECT_TRUE(baixas_->cdsVINC_EXT_BAN_COMP_BAIXA->IsEmpty());
}

TEST_F(ImportacaoCompPagtoTest, FromADyqStatementReadsTheStatementsReceiptsFolder) {
  Linha(1, 5, "250.00");
  fs::create_directories(TfrImportacaoCompPagto::PastaComprovantesDYQ());
  teste::EscrevePDF((fs::path(TfrImportacaoCompPagto::PastaComprovantesDYQ()) / "1.pdf").string(),
                    {Boleto("05/03/2024", "250,00", "250,00")});
  auto dialogo = MakeForm<TDialogoDYQStub>();
  auto* revisao = CreateForm<TRevisaoStub>(*dialogo);
  // The file field is hidden here: the folder is the source.
  Executa({}, kSucesso, revisao);
  ASSERT_TRUE(NaLinha(1));
  EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
}

// An empty file, a damaged one named .pdf and one the bank protected with a password are told apart
// from receipts: each gets its note, no line changes and the run claims nothing.
TEST_F(ImportacaoCompPagtoTest, AnEmptyDamagedOrProtectedPdfIsToldAndTouchesNoLine) {
  Linha(1, 5, "250.00");
  const std::string vazio = (pasta_ / "vazio.pdf").string();
  std::ofstream(vazio, std::ios::binary).close();
  const std::string danificado = (pasta_ / "danificado.pdf").string();
  std::string pdf;
  teste::EscrevePDF(danificado, {Boleto("05/03/2024", "250,00", "250,00")});
  {
    std::ifstream in(danificado, std::ios::binary);
    pdf.assign(std::istreambuf_iterator<char>(in), {});
  }
  // Cut short in the middle of its first object: a transfer that broke off.
  std::ofstream(danificado, std::ios::binary | std::ios::trunc) << pdf.substr(0, 40);
  const std::string cifrado = (pasta_ / "cifrado.pdf").string();
  teste::EscrevePDF(cifrado, {Boleto("05/03/2024", "250,00", "250,00")}, true);
  TfrImportacaoCompPagto* tela =
      Executa({vazio, danificado, cifrado}, "Nenhum arquivo válido selecionado para importar!");
  ASSERT_TRUE(NaLinha(1));
  EXPECT_TRUE(linhas_->FieldByName("BDTEMCOMPROVANTE").IsNull());
  EXPECT_EQ(Valor(*linhas_, "BDVALOR"), R("250"));
  EXPECT_TRUE(Desdobramento(1).empty());
  EXPECT_EQ(Avisos(tela), (std::vector<std::string>{"O arquivo 'vazio.pdf' não pôde ser lido como PDF.",
                                                    "O arquivo 'danificado.pdf' não pôde ser lido como PDF.",
                                                    "O arquivo 'cifrado.pdf' é protegido por senha e não pôde "
                                                    "ser lido."}));
}

// From a Dyq statement review the receipts are Dyq's: listed for the statement, each fetched into
// the review's own folder and read from there; a run repeated on the same review does not crash
// the review's engine nor write the receipt twice.
TEST_F(ImportacaoCompPagtoTest, FromADyqStatementTheReceiptsComeFromDyqIntoTheReviewsFolder) {
  TFakeHttpServer dyq;
  Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_URL', ?)", {dyq.BaseURL()});
  Db().Execute("insert into TPARAMETRO (BDPARAM, BDVALORSTR) values ('INTEGRACAO_DYQ_TOKEN', 't')");
  const std::string origem = Pdf("origem.pdf", {Boleto("05/03/2024", "1.050,00", "1.000,00", "30,00", "20,00")});
  std::ifstream in(origem, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), {});
  dyq.On("GET", "/extratos/503/comprovantes",
         TFakeResponse::Json(200, R"({"comprovantes":[{"id":71,"nome":"../../boleto fornecedor.pdf"}]})"));
  dyq.On("GET", "/extratos/503/comprovantes/71", TFakeResponse(200, pdf, "application/pdf"));
  Linha(1, 5, "1050.00");
  ASSERT_TRUE(NaLinha(1));
  linhas_->Edit();
  linhas_->FieldByName("BDIDEXTRATOWEB").SetAsInteger(503);
  linhas_->Post();

  auto dialogo = MakeForm<TDialogoDYQStub>();
  auto* revisao = CreateForm<TRevisaoStub>(*dialogo);
  const fs::path pastaRevisao = fs::path(pasta_) / "revisao";
  revisao_->Pasta = pastaRevisao.string();
  Executa({}, kSucesso, revisao);
  EXPECT_TRUE(fs::exists(pastaRevisao / "71_boleto_fornecedor.pdf"));
  ASSERT_TRUE(NaLinha(1));
  EXPECT_EQ(linhas_->FieldByName("BDTEMCOMPROVANTE").AsInteger(), 1);
  EXPECT_EQ(Desdobramento(1), (std::vector<std::string>{"1:200::1000.0000", "2:610::30.0000", "3:620::20.0000"}));

  Executa({}, kSucesso, revisao);
  EXPECT_EQ(Desdobramento(1), (std::vector<std::string>{"1:200::1000.0000", "2:610::30.0000", "3:620::20.0000"}));
  EXPECT_EQ(dyq.RequestCount(), 4u);

  // Dyq down: the user is told, and nothing is read.
  dyq.On("GET", "/extratos/503/comprovantes", TFakeResponse::Json(500, R"({"message":"fora do ar"})"));
  fs::remove_all(pastaRevisao);
  TfrImportacaoCompPagto* tela =
      Executa({}, "Nenhum arquivo selecionado para importar, processo não realizado!", revisao);
  EXPECT_EQ(Avisos(tela),
            (std::vector<std::string>{"Comprovantes do DYQ não baixados: DYQ recusou a requisição (500): fora do ar"}));
}

}  // namespace
}  // namespace integracao
