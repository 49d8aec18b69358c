#include "partners/uIntegracaoSocios.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <csignal>
#include <map>

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/grid.h"
#include "framework/ui/inconsistencias.h"
#include "partners/partners_test_support.h"
#include "partners/uConsultaImportacaoSociosTreeView.h"

namespace integracao {
namespace {

using namespace vyn;

class IntegracaoSociosTest : public PartnersTest {
 protected:
  TIntegracaoSocios& Engine() {
    if (!engine_) engine_ = owner_.Create<TIntegracaoSocios>();
    return *engine_;
  }
  // The user commits the review (or only closes it).
  void Revisao(bool importa) {
    dialogs_.Modal("TfrConsultaImportacaoSociosTreeView", [importa](TForm_VYN& f) {
      auto& r = dynamic_cast<TfrConsultaImportacaoSociosTreeView&>(f);
      if (importa) {
        r.spImportacao->Click();
        r.Close();
      } else {
        r.spCancelar->Click();
        EXPECT_EQ(r.ModalResult(), mrCancel);
      }
    });
  }
  std::vector<std::string> Mensagens() {
    std::vector<std::string> out;
    for (const auto& i : Engine().Inconsistencia()->Itens()) out.push_back(i.Caption);
    return out;
  }
  TIntegracaoSocios* engine_ = nullptr;
};

const std::vector<std::string> kLayout = {
    "Cadastrais|Nome", "Cadastrais|CPF/CNPJ/CNO", "Cadastrais|Data de nascimento", "Cadastrais|Cidade",
    "Cadastrais|Entrada na sociedade", "Cadastrais|e-mail", "Qualificações|Qualificação", "Cotas|Referência",
    "Cotas|Percentual de cotas", "Cotas|Valor das cotas\t", "Cotas|Rendimentos isentos"};
const std::string kComum = ";10/05/1980;3550308 - São Paulo;01/01/2020;socio@empresa.com;49 - Sócio-Administrador;";

TEST_F(IntegracaoSociosTest, ImportaSociosECotasNumerandoSoOsNovosECopiaParaAsFiliais) {
  Socio(1, 7, "Carla Antiga", "333.666.999-57");
  Layout(kLayout, 2, 1);
  Sheet({"Nome;CPF;Nascimento;Cidade;Entrada;Email;Qualificacao;Ref;Perc;Valor;Isentos",
         "Ana Souza;111.444.777-35" + kComum + "03/2024;60;1.000,50;0",
         "Bruno Lima;222.555.888-46" + kComum + "03/2024;40;500;",
         "Ana Souza;11144477735" + kComum + "04/2024;100;2000;",
         "Carla Nova;33366699957" + kComum + "03/2024;0;;",
         "TOTAL;;;;;;;;;3500,50;"});
  modo_->SetItemIndex(3);
  Revisao(true);
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, true);
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());

  auto socios = Db().QueryAll("SELECT BDCODSOC, BDNOMSOC FROM TEMPRESAS_TSOC WHERE BDCODEMP = 1 ORDER BY BDCODSOC");
  ASSERT_EQ(socios.Rows.size(), 3u);
  EXPECT_EQ(socios.Rows[0][1].AsString(), "Carla Nova");   // registered partner keeps code 7
  EXPECT_EQ(socios.Rows[1][0].AsInteger(), 8);
  EXPECT_EQ(socios.Rows[1][1].AsString(), "Ana Souza");
  EXPECT_EQ(socios.Rows[2][0].AsInteger(), 9);
  EXPECT_EQ(socios.Rows[2][1].AsString(), "Bruno Lima");
  EXPECT_EQ(Db().QueryValue("SELECT BDCODCID FROM TEMPRESAS_TSOC WHERE BDCODEMP = 1 AND BDCODSOC = 8").AsInteger(), 3550308);

  auto cotas = Db().QueryAll("SELECT BDCODSOC, BDREFCOTA, BDPERCCOTA, BDVALCOTA FROM TEMPRESAS_TSOC_COTAS"
                             " WHERE BDCODEMP = 1 ORDER BY BDCODSOC, BDREFCOTA");
  ASSERT_EQ(cotas.Rows.size(), 4u);
  EXPECT_EQ(cotas.Rows[0][0].AsInteger(), 7);
  EXPECT_EQ(cotas.Rows[1][1].AsInteger(), 202403);
  EXPECT_EQ(cotas.Rows[1][3].AsCurrency(), Currency::Parse("1000,50"));
  EXPECT_EQ(cotas.Rows[2][1].AsInteger(), 202404);
  EXPECT_EQ(cotas.Rows[2][2].AsCurrency(), Currency::FromInt(100));
  EXPECT_EQ(cotas.Rows[3][0].AsInteger(), 9);

  // The branch received the three partners.
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC WHERE BDCODEMP = 2").AsInteger(), 3);
  EXPECT_EQ(Engine().CountLinha(), 6);
}

TEST_F(IntegracaoSociosTest, ImportarDuasVezesNaoDuplicaOsSociosDaCopiaParaAsFiliais) {
  Layout(kLayout);
  Sheet({"Ana Souza;111.444.777-35" + kComum + "03/2024;60;;", "Bruno Lima;222.555.888-46" + kComum + "03/2024;40;;"});
  modo_->SetItemIndex(3);
  std::vector<int> copia;
  dialogs_.Modal("TfrConsultaImportacaoSociosTreeView", [&copia](TForm_VYN& f) {
    auto& r = dynamic_cast<TfrConsultaImportacaoSociosTreeView&>(f);
    r.spImportacao->Click();
    r.spImportacao->Click();
    for (const auto& d : *r.UtilImportacao()->FListaDadosParaCopia) copia.push_back(d.FCodSocio);
    r.Close();
  });
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, true);
  EXPECT_EQ(copia, (std::vector<int>{1, 2}));
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC WHERE BDCODEMP = 1").AsInteger(), 2);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC WHERE BDCODEMP = 2").AsInteger(), 2);
}

TEST_F(IntegracaoSociosTest, RevisaoEditaCelulasEDeixaDeForaAsLinhasMarcadas) {
  Layout(kLayout);
  Sheet({"Ana Souza;111.444.777-35" + kComum + "03/2024;60;;", "Bruno Lima;222.555.888-46" + kComum + "03/2024;40;;",
         "Carla Reis;333.666.999-57" + kComum + "03/2024;10;;"});
  modo_->SetItemIndex(3);
  std::vector<int> copia;
  dialogs_.Modal("TfrConsultaImportacaoSociosTreeView", [&copia](TForm_VYN& f) {
    auto& r = dynamic_cast<TfrConsultaImportacaoSociosTreeView&>(f);
    r.DAOAtual()->First();
    auto titulo = [](const TDBGrid_Padrao_VYN& g, const std::string& campo) -> std::pair<std::string, bool> {
      for (const TGridColumn& c : g.Columns)
        if (c.FieldName == campo) return {c.Title, c.Visible};
      return {"(sem coluna)", false};
    };
    EXPECT_EQ(titulo(*r.grDados, "BDCODSOC"), std::make_pair(std::string("Código sócio"), true));
    EXPECT_EQ(titulo(*r.grDados, "BDEMAILSOC"), std::make_pair(std::string("E-mail"), false));
    EXPECT_EQ(titulo(*r.grItens, "BDPRESCOTA"), std::make_pair(std::string("Particip. do result (%)"), true));
    EXPECT_FALSE(titulo(*r.grItens, "BDREFCOTA").second);
    // Cells are typed through the grids' own cell editors: key and hidden columns take no edits.
    EXPECT_TRUE(r.grDados->EditaCelula("BDNOMSOC", "Ana Maria Souza"));
    EXPECT_FALSE(r.grDados->EditaCelula("BDCODSOC", "5"));
    EXPECT_FALSE(r.grDados->EditaCelula("BDEMAILSOC", "ana@exemplo.com"));
    EXPECT_FALSE(r.grDados->EditaCelula("BDDATANASCSOC", "31/02/1980"));
    EXPECT_FALSE(r.grItens->EditaCelula("BDREFCOTA", "202401"));
    EXPECT_FALSE(r.grItens->EditaCelula("BDPERCCOTA", "150"));
    EXPECT_TRUE(r.grItens->EditaCelula("BDPERCCOTA", "55,5"));
    r.DAOAtual()->Next();
    r.MarcaLinha(r.grDados);   // Bruno stays out with his quota
    EXPECT_TRUE(r.LinhaMarcada(r.grDados));
    r.DAOAtual()->Next();
    r.MarcaLinha(r.grItens);   // Carla is imported without her quota
    r.spImportacao->Click();
    for (const auto& d : *r.UtilImportacao()->FListaDadosParaCopia) copia.push_back(d.FCodSocio);
    r.Close();
  });
  dialogs_.Ok("Valor inválido").Ok("entre 0% e 100%");
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
  EXPECT_TRUE(dialogs_.Done()) << ::testing::PrintToString(dialogs_.Pending());
  EXPECT_EQ(copia, (std::vector<int>{1, 2}));
  auto socios = Db().QueryAll("SELECT BDCODSOC, BDNOMSOC FROM TEMPRESAS_TSOC WHERE BDCODEMP = 1 ORDER BY BDCODSOC");
  ASSERT_EQ(socios.Rows.size(), 2u);
  EXPECT_EQ(socios.Rows[0][1].AsString(), "Ana Maria Souza");
  EXPECT_EQ(socios.Rows[1][1].AsString(), "Carla Reis");
  auto cotas = Db().QueryAll("SELECT BDCODSOC, BDPERCCOTA FROM TEMPRESAS_TSOC_COTAS WHERE BDCODEMP = 1");
  ASSERT_EQ(cotas.Rows.size(), 1u);
  EXPECT_EQ(cotas.Rows[0][0].AsInteger(), 1);
  EXPECT_EQ(cotas.Rows[0][1].AsCurrency(), Currency::Parse("55,5"));
}

// The workbook a user saves from the sheet program: strings shared, dates and numbers as serials.
// The workbook holds the CPF as a number, without its leading zeros: the registered partner is updated.
TEST_F(IntegracaoSociosTest, ImportaUmaPastaXlsx) {
  Socio(1, 7, "Ana", "002.345.678-72");
  Layout(kLayout, 2);
  auto texto = [](const std::string& ref, const std::string& t) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + t + "</t></is></c>";
  };
  const std::map<std::string, std::string> partes = {
      {"xl/workbook.xml", "<workbook><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml", "<sst><si><t>Nome</t></si><si><t>Ana Souza</t></si></sst>"},
      {"xl/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row><row r=\"2\">"
       "<c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"B2\"><v>234567872</v></c><c r=\"C2\" s=\"1\"><v>29351</v></c>" +
           texto("D2", "3550308 - São Paulo") + "<c r=\"E2\" s=\"1\"><v>43831</v></c>" +
           texto("F2", "socio@empresa.com") + texto("G2", "49 - Sócio-Administrador") +
           "<c r=\"H2\" s=\"1\"><v>45352</v></c><c r=\"I2\"><v>60.5</v></c><c r=\"J2\"><v>1000.125</v></c>"
           "</row></sheetData></worksheet>"}};
  const std::string pasta = sheet_.string() + ".xlsx";
  int erro = 0;
  zip_t* z = zip_open(pasta.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  ASSERT_NE(z, nullptr);
  for (const auto& [nome, conteudo] : partes)
    zip_file_add(z, nome.c_str(), zip_source_buffer(z, conteudo.data(), conteudo.size(), 0), 0);
  ASSERT_EQ(zip_close(z), 0);
  arquivo_->SetText(pasta);
  modo_->SetItemIndex(3);
  Revisao(true);
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
  std::filesystem::remove(pasta);
  EXPECT_TRUE(Engine().Inconsistencia()->IsEmpty()) << ::testing::PrintToString(Mensagens());
  auto s = Db().QueryAll("SELECT BDNOMSOC, BDDATANASCSOC, BDCODSOC, BDCGCCEISOC FROM TEMPRESAS_TSOC WHERE BDCODEMP = 1");
  ASSERT_EQ(s.Rows.size(), 1u);
  EXPECT_EQ(s.Rows[0][0].AsString(), "Ana Souza");
  EXPECT_EQ(s.Rows[0][2].AsInteger(), 7);
  EXPECT_EQ(s.Rows[0][3].AsString(), "00234567872");
  EXPECT_EQ(s.Rows[0][1].AsDateTime(), EncodeDate(1980, 5, 10));
  auto c = Db().QueryAll("SELECT BDREFCOTA, BDPERCCOTA, BDVALCOTA FROM TEMPRESAS_TSOC_COTAS WHERE BDCODEMP = 1");
  ASSERT_EQ(c.Rows.size(), 1u);
  EXPECT_EQ(c.Rows[0][0].AsInteger(), 202403);
  EXPECT_EQ(c.Rows[0][1].AsCurrency(), Currency::Parse("60.5"));
  EXPECT_EQ(c.Rows[0][2].AsCurrency(), Currency::Parse("1000.125"));
}

TEST_F(IntegracaoSociosTest, RevisaoFechadaSemImportarNaoGravaNemCopia) {
  Layout(kLayout);
  Sheet({"Ana Souza;111.444.777-35" + kComum + "03/2024;60;;"});
  modo_->SetItemIndex(3);
  Revisao(false);
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, true);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(), 0);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC_COTAS").AsInteger(), 0);
}

TEST_F(IntegracaoSociosTest, PlanilhaSemLinhasAvisaComUmRetornoDeCarro) {
  Layout(kLayout);
  Sheet({"Nome sem documento;;;;;;;03/2024;;;"});
  dialogs_.Ok("Não existe registros");
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
  ASSERT_FALSE(dialogs_.Messages().empty());
  EXPECT_EQ(dialogs_.Messages()[0],
            "Não existe registros para serem importados!\rVerifique o arquivo e o filtro da tela de importação.");
  EXPECT_TRUE(dialogs_.Done());
}

TEST_F(IntegracaoSociosTest, ModoAtualizarCadastroNaoMontaCotas) {
  Layout(kLayout);
  Sheet({"Ana Souza;111.444.777-35" + kComum + "03/2024;60;;"});
  modo_->SetItemIndex(1);
  Revisao(true);
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(), 1);
  EXPECT_EQ(Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC_COTAS").AsInteger(), 0);
}

TEST_F(IntegracaoSociosTest, ChaveSemOTabFinalNaoCasaEoValorFicaVazio) {
  Layout({"Cotas|Valor das cotas", "Cotas|Referência"});
  Engine().Prepara(empresa_, gerador_, modo_);
  TParserGeradorPlanilha parser;
  auto* gerador = TGERADOR_IMPORTACAO_SOCIOSMGR::CreateMgr(&owner_);
  ASSERT_TRUE(gerador->getPlanilha_Gerador("1"));
  parser.setDAOGerador(gerador);
  auto dic = parser.getValoresPorCampos(cFields(), Split("123;03/2024", ';'));
  auto row = Engine().getConteudo(dic, trCotas);
  EXPECT_EQ(row[0], "1");
  EXPECT_EQ(row[1], "03/2024");
  EXPECT_EQ(row[12], "");   // "Cotas|Valor das cotas" + TAB
  EXPECT_FALSE(gerador->getPlanilha_Gerador(""));   // no code: no layout, no broken query
}

// Rows are built by position as getConteudo builds them.
std::vector<std::string> LinhaSocio(std::vector<std::pair<size_t, std::string>> celulas) {
  std::vector<std::string> row(58, "");
  row[0] = "0";
  for (auto& [p, v] : celulas) row[p] = v;
  return row;
}
std::vector<std::string> LinhaCota(std::vector<std::pair<size_t, std::string>> celulas) {
  std::vector<std::string> row(19, "");
  row[0] = "1";
  for (auto& [p, v] : celulas) row[p] = v;
  return row;
}
std::vector<std::pair<size_t, std::string>> SocioValido(const std::string& doc) {
  return {{1, "Ana"}, {4, doc}, {9, "10/05/1980"}, {17, "3550308"}, {24, "01/01/2020"}, {27, "a@b.com"}, {29, "49"}};
}

TEST_F(IntegracaoSociosTest, SimNaoAceitaSSimETrue) {
  for (const char* t : {"s", "  Sim ", "true", "TRUE", "S"}) EXPECT_TRUE(TIntegracaoSocios::verificaBoolean(t)) << t;
  for (const char* t : {"1", "X", "", "N", "não"}) EXPECT_FALSE(TIntegracaoSocios::verificaBoolean(t)) << t;
}

TEST_F(IntegracaoSociosTest, ReferenciaMesAnoOuDataVaiParaAnoMesEMalFormadaRecusaSoACota) {
  modo_->SetItemIndex(3);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().LoadSocio(LinhaSocio(SocioValido("11144477735")), cod);
  ASSERT_LT(cod, 0);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}}), cod);
  Engine().SetCountLinha(1);
  Engine().LoadCotas(LinhaCota({{1, "15/04/2024"}}), cod);
  Engine().SetCountLinha(2);
  Engine().LoadCotas(LinhaCota({{1, "3/2024"}}), cod);   // refused; the run goes on
  Engine().SetCountLinha(3);
  Engine().LoadCotas(LinhaCota({{1, "05/2024"}, {18, "03/2024"}}), cod);   // not a date: refused
  auto& cotas = *Engine().DAOCotas();
  ASSERT_EQ(cotas.RecordCount(), 2);
  cotas.First();
  EXPECT_EQ(cotas.FieldByName("BDREFCOTA").AsInteger(), 202403);
  cotas.Next();
  EXPECT_EQ(cotas.FieldByName("BDREFCOTA").AsInteger(), 202404);
  auto m = Mensagens();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], "Inconsistência no layout. A linha 3 de referência está preenchida incorretamente.");
  EXPECT_NE(m[1].find("Linha 4"), std::string::npos);
}

TEST_F(IntegracaoSociosTest, PercentuaisForaDaFaixaRecusamACotaEReportamCadaCelula) {
  modo_->SetItemIndex(3);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().LoadSocio(LinhaSocio(SocioValido("11144477735")), cod);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}, {11, "100"}, {2, "0"}}), cod);   // limits pass
  EXPECT_EQ(Engine().DAOCotas()->RecordCount(), 1);
  EXPECT_TRUE(Mensagens().empty());
  Engine().SetCountLinha(1);
  Engine().LoadCotas(LinhaCota({{1, "04/2024"}, {11, "100.01"}, {3, "-0,5"}, {12, "abc"}}), cod);
  EXPECT_EQ(Engine().DAOCotas()->RecordCount(), 1);   // the line's quota was dropped
  auto m = Mensagens();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0], "Linha 2 no campo: Capital total do arquivo, o valor deve ser maior que 0% e menor que 100%.");
  EXPECT_EQ(m[1], "Linha 2 no campo: Percentual de cotas do arquivo, o valor deve ser maior que 0% e menor que 100%.");
  EXPECT_NE(m[2].find("Valor das cotas"), std::string::npos);
}

TEST_F(IntegracaoSociosTest, ValoresComMilharSemVirgulaNaoViramDecimais) {
  modo_->SetItemIndex(3);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().LoadSocio(LinhaSocio(SocioValido("11144477735")), cod);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}, {10, "1.000,5"}, {12, "12.5"}}), cod);
  ASSERT_EQ(Engine().DAOCotas()->RecordCount(), 1);
  EXPECT_EQ(Engine().DAOCotas()->FieldByName("BDQTDCOTA").AsCurrency(), Currency::Parse("1000.5"));
  EXPECT_EQ(Engine().DAOCotas()->FieldByName("BDVALCOTA").AsCurrency(), Currency::Parse("12.5"));
  // A sheet saved with thousands grouping writes one thousand as "1.000": never one quota.
  Engine().SetCountLinha(1);
  Engine().LoadCotas(LinhaCota({{1, "04/2024"}, {10, "1.000"}, {12, "2.500.000"}}), cod);
  EXPECT_EQ(Engine().DAOCotas()->RecordCount(), 1);
  auto m = Mensagens();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_NE(m[0].find("Quantidade de cotas"), std::string::npos) << m[0];
  EXPECT_NE(m[1].find("Valor das cotas"), std::string::npos) << m[1];
}

TEST_F(IntegracaoSociosTest, UmNomeLongoDemaisERecusadoSemRepetirACelulaInteira) {
  modo_->SetItemIndex(3);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  auto socio = SocioValido("11144477735");
  socio[0].second = std::string(100000, 'N');
  Engine().LoadSocio(LinhaSocio(socio), cod);
  EXPECT_EQ(Engine().DAOSocio()->RecordCount(), 0);
  const std::vector<std::string> m = Mensagens();
  ASSERT_FALSE(m.empty());
  EXPECT_NE(m.back().find("tem mais de 80 caracteres: \"" + std::string(100, 'N') + "…\"."), std::string::npos)
      << m.back().substr(0, 300);
  for (const std::string& t : m) EXPECT_LT(t.size(), 300u);
}

TEST_F(IntegracaoSociosTest, ValorEmNotacaoCientificaNaoViraMil) {
  modo_->SetItemIndex(3);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().LoadSocio(LinhaSocio(SocioValido("11144477735")), cod);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}, {10, "10"}, {12, "1e3"}}), cod);
  EXPECT_EQ(Engine().DAOCotas()->RecordCount(), 0);
  ASSERT_FALSE(Mensagens().empty());
  EXPECT_NE(Mensagens().back().find("Valor das cotas deve ser um valor: \"1e3\""), std::string::npos) << Mensagens().back();
}

TEST_F(IntegracaoSociosTest, ModoNaoImportarMantemACotaJaCadastrada) {
  Socio(1, 7, "Carla", "33366699957");
  Db().Execute("INSERT INTO TEMPRESAS_TSOC_COTAS (BDCODEMP, BDCODSOC, BDREFCOTA, BDVALCOTA) VALUES (1, 7, 202403, 10)");
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().LoadSocio(LinhaSocio(SocioValido("333.666.999-57")), cod);
  EXPECT_EQ(cod, 7);
  EXPECT_TRUE(Engine().DAOSocio()->IsEmpty());   // the registered partner is not changed
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}, {12, "99"}}), cod);
  EXPECT_TRUE(Engine().DAOCotas()->IsEmpty());
  auto m = Mensagens();
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m.back(), "Linha 1: cota já cadastrada, não será importada!");
}

TEST_F(IntegracaoSociosTest, ModoCotasSoExigeODocumentoEAvisaSocioNaoCadastrado) {
  Socio(1, 7, "Carla", "33366699957");
  Db().Execute("INSERT INTO TEMPRESAS_TSOC_COTAS (BDCODEMP, BDCODSOC, BDREFCOTA, BDVALCOTA) VALUES (1, 7, 202403, 10)");
  modo_->SetItemIndex(2);
  Engine().Prepara(empresa_, gerador_, modo_);
  int cod = 0;
  Engine().SetCountLinha(4);
  Engine().LoadSocio(LinhaSocio({{4, "33366699957"}}), cod);   // name, dates, city: not required here
  EXPECT_EQ(cod, 7);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}, {12, "25,5"}}), cod);
  ASSERT_EQ(Engine().DAOCotas()->RecordCount(), 1);
  EXPECT_EQ(Engine().DAOCotas()->FieldByName("BDVALCOTA").AsCurrency(), Currency::Parse("25,5"));
  Engine().LoadSocio(LinhaSocio({{4, "11144477735"}}), cod);   // not registered
  EXPECT_EQ(cod, 0);
  Engine().LoadCotas(LinhaCota({{1, "03/2024"}}), cod);
  auto m = Mensagens();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0], "Inconsistência no layout. A linha 5 não possui um sócio cadastrado para atualizar as cotas.");
  // A number in scientific notation is no document: refused, not read as 1000.
  Engine().LoadSocio(LinhaSocio({{4, "1e3"}}), cod);
  EXPECT_EQ(cod, 0);
  EXPECT_EQ(Mensagens().back(), "Linha 5: o campo CPF/CNPJ/CNO não é um CPF, CNPJ ou CNO válido: 1e3");
}

// A document read again in one sheet: the first line holds and the later one is told by its number,
// whatever the mode; the same partner on a line per month stays welcome.
TEST_F(IntegracaoSociosTest, DocumentoOuCotaRepetidosNaPlanilhaValemPelaPrimeiraLinhaEAvisamALinhaRecusada) {
  Socio(1, 7, "Carla", "33366699957");
  Db().Execute("INSERT INTO TEMPRESAS_TSOC_COTAS (BDCODEMP, BDCODSOC, BDREFCOTA, BDPERCCOTA) VALUES (1, 7, 202403, 60)");
  Layout(kLayout);
  Sheet({"Ana Válida;111.444.777-35" + kComum + "03/2024;50;;",
         "Ana Válida;11144477735" + kComum + "04/2024;50;;",
         "Ana Duplicada;111.444.777-35" + kComum + "05/2024;30;;",
         "Bruno Lima;222.555.888-46" + kComum + "03/2024;20;;",
         "Bruno Lima;222.555.888-46" + kComum + "03/2024;90;;"});
  for (int modo : {3, 2}) {
    SCOPED_TRACE(modo);
    Db().Execute("DELETE FROM TEMPRESAS_TSOC_COTAS WHERE BDCODSOC <> 7");   // mode 2 finds the partners of mode 3
    modo_->SetItemIndex(modo);
    Revisao(true);
    Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
    const auto m = Mensagens();
    auto diz = [&m](const std::string& texto) {
      return std::find(m.begin(), m.end(), texto) != m.end();
    };
    EXPECT_TRUE(diz("Linha 5: a cota de 03/2024 deste sócio já foi lida na linha 4; vale a linha 4 e a cota da linha 5 "
                    "não será importada.")) << ::testing::PrintToString(m);
    if (modo == 3) {
      EXPECT_TRUE(diz("Linha 3: o CPF/CNPJ/CNO 111.444.777-35 já foi lido na linha 1 com outros dados de sócio; vale a "
                      "linha 1 e a linha 3 não será importada.")) << ::testing::PrintToString(m);
      EXPECT_EQ(Db().QueryValue("SELECT BDNOMSOC FROM TEMPRESAS_TSOC WHERE BDCGCCEISOC = '11144477735'").AsString(),
                "Ana Válida");
      auto ana = Db().QueryAll("SELECT C.BDREFCOTA, C.BDPERCCOTA FROM TEMPRESAS_TSOC_COTAS C JOIN TEMPRESAS_TSOC S ON "
                               "S.BDCODEMP = C.BDCODEMP AND S.BDCODSOC = C.BDCODSOC WHERE S.BDCGCCEISOC = '11144477735' "
                               "ORDER BY C.BDREFCOTA");
      ASSERT_EQ(ana.Rows.size(), 2u);
      EXPECT_EQ(ana.Rows[1][0].AsInteger(), 202404);
      // March: Ana 50 + Bruno 20 + Carla's 60 already registered.
      EXPECT_TRUE(diz("Referência 03/2024: os percentuais de cotas dos sócios da empresa 1 somam 130,00%, mais que 100%."))
          << ::testing::PrintToString(m);
      EXPECT_EQ(Db().QueryValue("SELECT BDPERCCOTA FROM TEMPRESAS_TSOC_COTAS C JOIN TEMPRESAS_TSOC S ON "
                                "S.BDCODEMP = C.BDCODEMP AND S.BDCODSOC = C.BDCODSOC WHERE S.BDNOMSOC = 'Bruno Lima'")
                    .AsCurrency(),
                Currency::FromInt(20));
    }
  }
}

// Stopped while the review writes (the partners sent, the quotas under way), the import leaves none of
// its rows; imported again, each partner and quota is written once.
TEST_F(IntegracaoSociosTest, ImportacaoInterrompidaNaGravacaoNaoDeixaNadaEAoRepetirGravaUmaVez) {
  Layout(kLayout);
  Sheet({"Ana Souza;111.444.777-35" + kComum + "03/2024;60;;", "Bruno Lima;222.555.888-46" + kComum + "03/2024;40;;"});
  modo_->SetItemIndex(3);
  auto contagem = [this] {
    return std::vector<int64_t>{Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger(),
                                Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC_REF").AsInteger(),
                                Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC_COTAS").AsInteger()};
  };
  bool parou = false;
  dialogs_.Modal("TfrConsultaImportacaoSociosTreeView", [&](TForm_VYN& f) {
    Engine().DAOCotas()->AfterScroll = [&](TClientDataSet&) {
      if (!parou && Db().QueryValue("SELECT COUNT(*) FROM TEMPRESAS_TSOC").AsInteger() > 0) {
        ProcessContext().SinalInterrupcao = SIGTERM;
        parou = true;
      }
    };
    dynamic_cast<TfrConsultaImportacaoSociosTreeView&>(f).spImportacao->Click();
  });
  EXPECT_THROW(Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false), EInterrupcao);
  ProcessContext().SinalInterrupcao = 0;
  EXPECT_TRUE(parou);
  EXPECT_EQ(contagem(), (std::vector<int64_t>{0, 0, 0}));

  Revisao(true);
  Engine().carregaImportacao(empresa_, arquivo_, gerador_, modo_, false);
  EXPECT_EQ(contagem(), (std::vector<int64_t>{2, 2, 2}));
}

}  // namespace
}  // namespace integracao
