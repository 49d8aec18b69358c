#include "framework/web/correio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "testing/company_db.h"
#include "testing/fake_smtp_server.h"
#include "testing/processo_host.h"

using namespace vyn;
namespace fs = std::filesystem;

namespace {

class CorreioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pasta_ = fs::temp_directory_path() / ("correio_" + std::to_string(::getpid()));
    fs::remove_all(pasta_);
    fs::create_directories(pasta_);
    anexo_ = (pasta_ / "Fechamento Empresa 1.pdf").string();
    std::ofstream(anexo_, std::ios::binary) << "%PDF-1.4 conteúdo";
  }
  void TearDown() override { fs::remove_all(pasta_); }
  TMensagemEmail Mensagem(const std::string& para) {
    return {"", para, "Ana Lima", "Fechamento Empresa 1", "Prezado(a) Ana Lima.", {anexo_}};
  }
  TConfiguracaoSMTP Servidor(const TFakeSmtpServer& smtp) {
    return {"127.0.0.1", smtp.Port(), "escritorio", "segredo-smtp", "relatorios@escritorio.com.br", false};
  }
  fs::path pasta_;
  std::string anexo_;
};

TEST_F(CorreioTest, EachMessageIsSentWholeAndKeptInTheOutboxUnderANameOfItsOwn) {
  TFakeSmtpServer smtp;
  const std::string caixa = (pasta_ / "saida").string();
  const std::string primeira = EnviaEmail(Servidor(smtp), caixa, "Fechamento Empresa 1", Mensagem("ana@cliente.com.br"));
  const std::string segunda = EnviaEmail(Servidor(smtp), caixa, "Fechamento Empresa 1", Mensagem("ana@cliente.com.br"));
  EXPECT_EQ(fs::path(primeira).filename(), "Fechamento Empresa 1.eml");
  EXPECT_EQ(fs::path(segunda).filename(), "Fechamento Empresa 1 (2).eml");

  const std::vector<TFakeSmtpMessage> recebidas = smtp.Mensagens();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_EQ(recebidas[0].From, "relatorios@escritorio.com.br");
  EXPECT_EQ(recebidas[0].To, std::vector<std::string>{"ana@cliente.com.br"});
  EXPECT_EQ(recebidas[0].Usuario, "escritorio");
  const std::string& eml = recebidas[0].Data;
  EXPECT_NE(eml.find("To: \"Ana Lima\" <ana@cliente.com.br>\r\n"), std::string::npos) << eml;
  EXPECT_NE(eml.find("Subject: Fechamento Empresa 1\r\n"), std::string::npos) << eml;
  EXPECT_NE(eml.find("UHJlemFkbyhhKSBBbmEgTGltYS4="), std::string::npos) << eml;   // the body
  EXPECT_NE(eml.find("filename=\"Fechamento Empresa 1.pdf\""), std::string::npos) << eml;
  EXPECT_NE(eml.find("JVBERi0xLjQgY29udGXDumRv"), std::string::npos) << eml;   // the attachment
  // What the outbox keeps is what was sent.
  EXPECT_EQ(LeArquivoTexto(primeira), eml);
}

TEST_F(CorreioTest, ARefusedRecipientIsAClearErrorAndNoMessageGoesOut) {
  TFakeSmtpServer smtp;
  smtp.RecusaDestinatario("nao.existe@cliente.com.br");
  try {
    EnviaEmail(Servidor(smtp), (pasta_ / "saida").string(), "Fechamento", Mensagem("nao.existe@cliente.com.br"));
    FAIL() << "a refused recipient must not pass as sent";
  } catch (const ECorreio& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("A mensagem \"Fechamento Empresa 1\" para nao.existe@cliente.com.br não foi enviada pelo "
                     "servidor de e-mail 127.0.0.1:" + std::to_string(smtp.Port())),
              std::string::npos)
        << m;
    EXPECT_NE(m.find("550"), std::string::npos) << m;
    EXPECT_EQ(m.find("segredo-smtp"), std::string::npos) << m;
  }
  EXPECT_TRUE(smtp.Mensagens().empty());

  // A server named and no address to send to: refused before anything is written.
  const TConfiguracaoSMTP c = Servidor(smtp);
  EXPECT_THROW(EnviaEmail(c, (pasta_ / "vazia").string(), "Fechamento", Mensagem("")), ECorreio);
  EXPECT_FALSE(fs::exists(pasta_ / "vazia"));
}

TEST(ConfiguracaoSMTP, TheModulesFirstSettingThatNamesAServer) {
  TTestCompanyDatabase company;
  TDatabase& db = company.Db();
  db.Execute("INSERT INTO TMODULO_SMTP (BDCODIGO, BDCODSIS) VALUES (1, 3)");
  db.Execute("INSERT INTO TMODULO_SMTP (BDCODIGO, BDCODSIS, BDSERVIDOR, BDPORTA, BDREMETENTE, BDTLS)"
             " VALUES (2, 3, ' smtp.escritorio ', 587, 'fiscal@escritorio', 'TRUE')");
  db.Execute("INSERT INTO TMODULO_SMTP (BDCODIGO, BDCODSIS, BDSERVIDOR) VALUES (3, 1, 'contabil.escritorio')");
  const TConfiguracaoSMTP fiscal = ConfiguracaoSMTPDoModulo(db, 3);
  EXPECT_EQ(fiscal.Servidor, "smtp.escritorio");
  EXPECT_EQ(fiscal.Porta, 587);
  EXPECT_EQ(fiscal.Remetente, "fiscal@escritorio");
  EXPECT_TRUE(fiscal.TLS);
  EXPECT_EQ(ConfiguracaoSMTPDoModulo(db, 0).Servidor, "contabil.escritorio");   // module 1, as the screens hold it
  EXPECT_FALSE(ConfiguracaoSMTPDoModulo(db, 7).Configurado());
}

}  // namespace
