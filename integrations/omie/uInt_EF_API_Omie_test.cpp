#include "integrations/omie/uInt_EF_API_Omie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "framework/component/process_context.h"
#include "framework/livros/fila_importacao_ef.h"
#include "framework/web/http_vyn.h"
#include "integrations/omie/omie_test_support.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"
#include "testing/company_db.h"
#include "testing/fake_http_server.h"

namespace integracao {
namespace {

using namespace vyn;
namespace fs = std::filesystem;

std::string Doc(const std::string& chave, const std::string& numero, const std::string& xml,
                const std::string& id = "77", const std::string& status = "") {
  TJsonOmie d = TJsonOmie::object();
  d["cStatus"] = status;
  d["nChave"] = chave;
  d["nNumero"] = numero;
  d["nIdNF"] = id;
  d["cXml"] = xml;
  return d.dump();
}

class FiscalOmieTest : public CompanyDatabaseTest {
 protected:
  void SetUp() override {
    CompanyDatabaseTest::SetUp();
    SemeiaEmpresaOmie(Db());
    // Answers per "cModelo|cOperacao"; anything else finds nothing.
    server_.On("POST", "/api/v1/contador/xml/", [this](const TFakeRequest& r) {
      const auto corpo = TJsonOmie::parse(r.Body);
      const auto& p = corpo["param"][0];
      const std::string chave = p["cModelo"].get<std::string>() + "|" + p["cOperacao"].get<std::string>();
      std::lock_guard<std::mutex> g(m_);
      consultas_.push_back(chave);
      if (falha_ || recusadas_.count(chave)) return TFakeResponse(500, R"({"faultstring":"ERROR: Chave de acesso inválida"})");
      if (!corpo_.empty()) return TFakeResponse(200, corpo_);
      auto it = docs_.find(chave);
      const std::string lista = it == docs_.end() ? "" : it->second;
      return TFakeResponse(200, R"({"nPagina":1,"nTotPaginas":1,"documentosEncontrados":[)" + lista + "]}");
    });
  }
  std::string Busca(const std::vector<std::string>& tipos, TTipoMovimento mov) {
    busca_ = std::make_unique<TInt_EF_API_Omie>(nullptr);
    busca_->OnPreparaClienteOmie = [this](TIntegracaoOmieBase& c) { c.SetURLBase(server_.BaseURL()); };
    return busca_->GetArquivos(1, 202403, tipos, mov);
  }
  TQueryResult Fila() {
    return Db().QueryAll("select BDCODEMP, BDTIPOPARCEIRO, BDTIPODOCUMENTO, BDARQUIVO, BDCONTEUDO from "
                         "VEF_TFILA_IMPORTACAO_EF order by BDID");
  }
  TPastaProgramaTeste pasta_;
  std::mutex m_;
  std::vector<std::string> consultas_;
  std::map<std::string, std::string> docs_;
  bool falha_ = false;
  std::set<std::string> recusadas_;   // "cModelo|cOperacao" refused
  std::string corpo_;                 // the 200 answer to every query, when set
  std::unique_ptr<TInt_EF_API_Omie> busca_;
  TFakeHttpServer server_;   // stops first: its handler reads the members above
};

TEST_F(FiscalOmieTest, ReceivedNFeAreWrittenQueuedAndTheirFoldersRemoved) {
  docs_["55|0"] = Doc("3524", "10", "<nfe>\n<cStat>100</cStat>\r\n</nfe>") + "," + Doc("3524", "10", "<nfe/>") + "," +
                  Doc("3525", "11", "");   // a repeat and a document without XML
  const std::string r = Busca({"NFe"}, tmEntrada);
  EXPECT_EQ(consultas_, std::vector<std::string>{"55|0"});
  EXPECT_EQ(r,
            "Consulta de documentos realizado com sucesso! \r\n\r\nOs seguintes documentos foram encontrados e foram "
            "enviados para a fila de importação: \r\n* NF-e de entrada: 1\r\n\r\n");
  EXPECT_TRUE(busca_->RealizouProcesso());
  const auto fila = Fila();
  ASSERT_EQ(fila.Rows.size(), 1u);   // one file for the repeated key and number
  // The one fiscal import queue, the Nibo import's too: NF-e from the Omie partner.
  EXPECT_EQ(fila.Value(0, "BDTIPODOCUMENTO").AsInteger(), tdNFe);
  EXPECT_EQ(fila.Value(0, "BDTIPOPARCEIRO").AsInteger(), TipOmie);
  EXPECT_EQ(fs::path(fila.Value(0, "BDARQUIVO").AsString()).filename(), "3524_10.xml");
  // The last one written wins; the queue holds the document without the file's byte-order mark.
  EXPECT_EQ(fila.Value(0, "BDCONTEUDO").AsString(), "<nfe/>\r\n");
  // The documents are gone; the run folder keeps the request copies, without the credentials.
  const fs::path run = busca_->Diretorio();
  EXPECT_FALSE(fs::exists(run / "Retorno" / "NFe"));
  ASSERT_TRUE(fs::exists(run / "Envio"));
  for (const auto& e : fs::directory_iterator(run / "Envio")) {
    std::ifstream in(e.path());
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str().find("s-1"), std::string::npos);
    EXPECT_EQ(s.str().find("k-1"), std::string::npos);
  }
}

TEST_F(FiscalOmieTest, DirectionsAndKindsFollowTheSelection) {
  docs_["67|0"] = Doc("1", "1", "<cte/>");
  docs_["67|1"] = Doc("2", "2", "<cte/>") + "," + Doc("../../x", "a/b", "<cte/>");
  EXPECT_NE(Busca({"CTeOs"}, tmAmbos).find("* CT-e OS de entrada: 1\r\n* CT-e OS de saída: 2"), std::string::npos);
  EXPECT_EQ(consultas_, (std::vector<std::string>{"67|0", "67|1"}));
  const auto fila = Fila();
  ASSERT_EQ(fila.Rows.size(), 3u);
  EXPECT_EQ(fila.Value(2, "BDTIPODOCUMENTO").AsInteger(), tdCTeOS);
  EXPECT_EQ(fs::path(fila.Value(2, "BDARQUIVO").AsString()).filename(), "______x_a_b.xml");   // a peer's name stays in its folder

  consultas_.clear();
  Busca({"NFe", "CTe"}, tmSaida);
  EXPECT_EQ(consultas_, (std::vector<std::string>{"55|1", "57|1"}));
}

TEST_F(FiscalOmieTest, NothingFoundRemovesTheRunAndRefusalsAreReported) {
  docs_["55|0"] = Doc("1", "1", "<nfe/>");
  EXPECT_EQ(Busca({"nfe", "Xml"}, tmAmbos), "Não foram encontrados arquivos nesta referência!");
  EXPECT_TRUE(consultas_.empty());
  EXPECT_FALSE(busca_->RealizouProcesso());
  EXPECT_FALSE(fs::exists(busca_->Diretorio()));

  // A refused query is not an empty month.
  falha_ = true;
  const std::string r = Busca({"NFe"}, tmEntrada);
  EXPECT_EQ(r, "Falha na consulta de documentos da Omie:\r\n* NF-e de entrada: [OMIE] 500 - ERROR: Chave de acesso "
               "inválida");
  EXPECT_TRUE(Fila().Rows.empty());
}

TEST_F(FiscalOmieTest, AKindIsQueuedWhollyOrNotAtAll) {
  const fs::path xml = pasta_.Pasta() / "1_1.xml";
  std::ofstream(xml) << "<nfe/>";
  TInt_EF_API_Omie busca(nullptr);
  busca.FCodEmp = 1;
  EXPECT_ANY_THROW(busca.IntegrarNotas({xml.string(), (pasta_.Pasta() / "sumiu.xml").string()}, 34));
  EXPECT_ANY_THROW(busca.IntegrarNotas({xml.string()}, 1));   // no queue kind for it
  EXPECT_TRUE(Fila().Rows.empty());
  busca.IntegrarNotas({xml.string()}, 79);
  ASSERT_EQ(Fila().Rows.size(), 1u);
  EXPECT_EQ(Fila().Value(0, "BDTIPODOCUMENTO").AsInteger(), tdNFCe);

  // Characters the WIN1252 database cannot hold travel as XML references; a file not in UTF-8 is refused.
  std::ofstream(xml, std::ios::trunc) << "\xEF\xBB\xBF<x a=\"\xE2\x89\xA5\">ação \xF0\x9F\x98\x80 \xE2\x82\xAC</x>";
  busca.IntegrarNotas({xml.string()}, 34);
  EXPECT_EQ(Fila().Value(1, "BDCONTEUDO").AsString(), "<x a=\"&#x2265;\">ação &#x1F600; \xE2\x82\xAC</x>");
  std::ofstream(xml, std::ios::trunc) << "<x>a\xE7\xE3o</x>";
  EXPECT_ANY_THROW(busca.IntegrarNotas({xml.string()}, 34));
  EXPECT_EQ(Fila().Rows.size(), 2u);
}

TEST_F(FiscalOmieTest, ATransportFailureLeavesNoRunFolderBehind) {
  busca_ = std::make_unique<TInt_EF_API_Omie>(nullptr);
  busca_->OnPreparaClienteOmie = [](TIntegracaoOmieBase& c) {
    c.SetURLBase("http://127.0.0.1:" + std::to_string(TFakeHttpServer::ClosedPort()));
  };
  EXPECT_THROW(busca_->GetArquivos(1, 202403, {"NFe"}, tmAmbos), EHTTPError);
  EXPECT_FALSE(fs::exists(busca_->Diretorio()));
  EXPECT_TRUE(Fila().Rows.empty());
}

TEST_F(FiscalOmieTest, MissingCredentialsFetchNothing) {
  Db().Execute("update TEMPRESAS set BDCHAVEACESSOOMIE = ' ', BDSENHAOMIE = '' where BDCODEMP = 1");
  EXPECT_EQ(Busca({"NFe"}, tmAmbos), "Chave de acesso não informada na Configuração de Serviços Web");
  Db().Execute("update TEMPRESAS set BDCHAVEACESSOOMIE = 'k' where BDCODEMP = 1");
  EXPECT_EQ(Busca({"NFe"}, tmAmbos), "Senha de acesso não informada na Configuração de Serviços Web");
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(FiscalOmieTest, ADocumentIsQueuedOnceAlsoWhenARunIsRepeatedOrRetried) {
  docs_["55|0"] = Doc("3524", "10", "<a/>") + "," + Doc("", "11", "<b/>", "88");
  EXPECT_NE(Busca({"NFe"}, tmEntrada).find("* NF-e de entrada: 2"), std::string::npos);
  // The summary counts what this run queued, not what it found already there.
  EXPECT_NE(Busca({"NFe"}, tmEntrada).find("* NF-e de entrada: 0"), std::string::npos);
  ASSERT_EQ(Fila().Rows.size(), 2u);
  // Half-way: the received ones are already queued, a new received one joins, the issued ones fail.
  docs_["55|0"] += "," + Doc("3526", "12", "<c/>");
  docs_["55|1"] = Doc("3527", "13", "<d/>") + "," + Doc("", "14", "<e/>", "89");
  recusadas_ = {"55|1"};
  EXPECT_NE(Busca({"NFe"}, tmAmbos).find("Falha na consulta de documentos da Omie:"), std::string::npos);
  ASSERT_EQ(Fila().Rows.size(), 3u);
  recusadas_.clear();
  Busca({"NFe"}, tmAmbos);
  const auto fila = Fila();
  ASSERT_EQ(fila.Rows.size(), 5u);
  std::vector<std::string> conteudos;
  for (size_t i = 0; i < fila.Rows.size(); ++i) conteudos.push_back(fila.Value(i, "BDCONTEUDO").AsString());
  EXPECT_EQ(conteudos, (std::vector<std::string>{"<a/>\r\n", "<b/>\r\n", "<c/>\r\n", "<d/>\r\n", "<e/>\r\n"}));
  EXPECT_EQ(busca_->FContador, 2);   // the issued ones of the retry; the received ones were there
}

TEST_F(FiscalOmieTest, KeylessDocumentsWithoutIdNeverShareAFileAndAreQueuedOnceByTheirText) {
  docs_["57|0"] = Doc("", "5", "<x/>", "") + "," + Doc("", "5", "<y/>", "") + "," + Doc("", "5", "<z/>", "9");
  Busca({"CTe"}, tmEntrada);
  Busca({"CTe"}, tmEntrada);
  const auto fila = Fila();
  ASSERT_EQ(fila.Rows.size(), 3u);
  std::set<std::string> nomes, conteudos;
  for (size_t i = 0; i < 3; ++i) {
    nomes.insert(fs::path(fila.Value(i, "BDARQUIVO").AsString()).filename().string());
    conteudos.insert(fila.Value(i, "BDCONTEUDO").AsString());
  }
  EXPECT_EQ(nomes.size(), 3u);
  EXPECT_EQ(conteudos, (std::set<std::string>{"<x/>\r\n", "<y/>\r\n", "<z/>\r\n"}));
}

TEST_F(FiscalOmieTest, AnAnswerThatIsNoListIsAFailureNamingOmieNeverAnEmptyMonth) {
  for (const std::string& corpo : {std::string("<html>Em manutenção</html>"), std::string(R"({"nPagina":1,"nTotPaginas":1})")}) {
    corpo_ = corpo;
    const std::string r = Busca({"NFe"}, tmEntrada);
    EXPECT_EQ(r.rfind("Falha na consulta de documentos da Omie:\r\n* NF-e de entrada: [OMIE] 502 - Resposta inválida da Omie: ", 0), 0u) << r;
    EXPECT_EQ(busca_->Falha(), r);
    EXPECT_FALSE(busca_->RealizouProcesso());
  }
  EXPECT_TRUE(Fila().Rows.empty());
}

TEST_F(FiscalOmieTest, ACancellationOfAQueuedDocumentIsQueuedOnceAsTheCancellation) {
  const std::string autorizada = Doc("3524", "10", "<nfe><cStat>100</cStat></nfe>");
  const std::string cancelada = Doc("3524", "10", "<nfe><cStat>100</cStat></nfe>", "77", "10");
  docs_["55|0"] = autorizada;
  Busca({"NFe"}, tmEntrada);
  docs_["55|0"] = cancelada;
  EXPECT_NE(Busca({"NFe"}, tmEntrada).find("* NF-e de entrada: 1"), std::string::npos);
  EXPECT_NE(Busca({"NFe"}, tmEntrada).find("* NF-e de entrada: 0"), std::string::npos);
  // Both versions listed in one answer: the file holds the cancellation, and so does its identity.
  docs_["55|0"] = Doc("3525", "11", "<nfe><cStat>100</cStat></nfe>") + "," +
                  Doc("3525", "11", "<nfe><cStat>100</cStat></nfe>", "78", "10");
  Busca({"NFe"}, tmEntrada);
  Busca({"NFe"}, tmEntrada);
  const auto fila = Fila();
  ASSERT_EQ(fila.Rows.size(), 3u);
  EXPECT_EQ(fila.Value(0, "BDCONTEUDO").AsString(), "<nfe><cStat>100</cStat></nfe>\r\n");
  EXPECT_EQ(fila.Value(1, "BDCONTEUDO").AsString(), "<nfe><cStat>101</cStat></nfe>\r\n");
  EXPECT_EQ(fila.Value(2, "BDCONTEUDO").AsString(), "<nfe><cStat>101</cStat></nfe>\r\n");
}

}  // namespace
}  // namespace integracao
