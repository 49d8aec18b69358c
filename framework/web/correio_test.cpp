#include "framework/web/correio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"
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
    return {"127.0.0.1", smtp.Port(), "", "", "relatorios@escritorio.com.br", false};
  }
  fs::path pasta_;
  std::string anexo_;
};

TEST_F(CorreioTest, EachMessageIsSentWholeAndKeptAmongTheSentUnderANameOfItsOwn) {
  TFakeSmtpServer smtp;
  const std::string caixa = (pasta_ / "email" / "saida").string();
  const TEmailGravado primeira = EnviaEmail(Servidor(smtp), caixa, "Fechamento Empresa 1", Mensagem("ana@cliente.com.br"));
  const TEmailGravado segunda = EnviaEmail(Servidor(smtp), caixa, "Fechamento Empresa 1", Mensagem("beto@cliente.com.br"));
  EXPECT_EQ(primeira.Situacao, TSituacaoEmail::Enviada);
  EXPECT_EQ(fs::path(primeira.Arquivo), pasta_ / "email" / "enviadas" / "Fechamento Empresa 1.eml");
  EXPECT_EQ(fs::path(segunda.Arquivo).filename(), "Fechamento Empresa 1 (2).eml");
  EXPECT_TRUE(fs::is_empty(caixa));   // nothing left to go

  const std::vector<TFakeSmtpMessage> recebidas = smtp.Mensagens();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_EQ(recebidas[0].From, "relatorios@escritorio.com.br");
  EXPECT_EQ(recebidas[0].To, std::vector<std::string>{"ana@cliente.com.br"});
  const std::string& eml = recebidas[0].Data;
  EXPECT_NE(eml.find("To: \"Ana Lima\" <ana@cliente.com.br>\r\n"), std::string::npos) << eml;
  EXPECT_NE(eml.find("Subject: Fechamento Empresa 1\r\n"), std::string::npos) << eml;
  EXPECT_NE(eml.find("UHJlemFkbyhhKSBBbmEgTGltYS4="), std::string::npos) << eml;   // the body
  EXPECT_NE(eml.find("filename=\"Fechamento Empresa 1.pdf\""), std::string::npos) << eml;
  EXPECT_NE(eml.find("JVBERi0xLjQgY29udGXDumRv"), std::string::npos) << eml;   // the attachment
  // What is kept is what was sent.
  EXPECT_EQ(LeArquivoTexto(primeira.Arquivo), eml);
}

TEST_F(CorreioTest, ARefusedRecipientIsAClearErrorAndItsMessageStaysInTheOutbox) {
  TFakeSmtpServer smtp;
  smtp.RecusaDestinatario("nao.existe@cliente.com.br");
  const fs::path caixa = pasta_ / "email" / "saida";
  try {
    EnviaEmail(Servidor(smtp), caixa.string(), "Fechamento", Mensagem("nao.existe@cliente.com.br"));
    FAIL() << "a refused recipient must not pass as sent";
  } catch (const ECorreio& e) {
    const std::string m = e.what();
    EXPECT_NE(m.find("A mensagem \"Fechamento Empresa 1\" para nao.existe@cliente.com.br não foi enviada pelo "
                     "servidor de e-mail 127.0.0.1:" + std::to_string(smtp.Port())),
              std::string::npos)
        << m;
    EXPECT_NE(m.find("550"), std::string::npos) << m;
    EXPECT_FALSE(e.DoServidor()) << "the next messages still have their chance";
  }
  EXPECT_TRUE(smtp.Mensagens().empty());
  EXPECT_TRUE(fs::exists(caixa / "Fechamento.eml"));
  EXPECT_FALSE(fs::exists(pasta_ / "email" / "enviadas" / "Fechamento.eml"));

  // A server named and no address to send to: refused before anything is written.
  EXPECT_THROW(EnviaEmail(Servidor(smtp), (pasta_ / "vazia").string(), "Fechamento", Mensagem("")), ECorreio);
  EXPECT_FALSE(fs::exists(pasta_ / "vazia"));
}

// An address is the entity's own text: a line break in it would be a command to the server or a header
// of the message. Refused before anything is written or sent; a list is split into clean recipients.
TEST_F(CorreioTest, AnAddressThatIsNotPlainIsRefusedBeforeAnythingIsWrittenOrSent) {
  TFakeSmtpServer smtp;
  const fs::path caixa = pasta_ / "email" / "saida";
  for (const std::string& hostil :
       {std::string("ana@cliente.com.br>\r\nRCPT TO:<intruso@fora.com"), std::string("ana@cliente.com.br\r\nBcc: <intruso@fora.com>"),
        std::string("Ana <ana@cliente.com.br>"), std::string("ana lima@cliente.com.br"), std::string("ana@"),
        std::string("ana@cliente.com.br\n"), std::string("\"ana\"@cliente.com.br"), std::string("ana@@cliente.com.br")}) {
    try {
      EnviaEmail(Servidor(smtp), caixa.string(), "Fechamento", Mensagem(hostil));
      ADD_FAILURE() << "accepted: " << hostil;
    } catch (const ECorreio& e) {
      const std::string m = e.what();
      EXPECT_NE(m.find("O endereço de e-mail de Ana Lima"), std::string::npos) << m;
      EXPECT_EQ(m.find_first_of("\r\n"), std::string::npos) << "the refusal spells the control characters out: " << m;
    }
  }
  EXPECT_FALSE(fs::exists(caixa));
  EXPECT_EQ(smtp.Conexoes(), 0);

  TMensagemEmail lista = Mensagem(" ana@cliente.com.br; beto@cliente.com.br ,");
  lista.NomeDestinatario = "Ana \"A\" Lima\r\nBcc: intruso@fora.com";
  EnviaEmail(Servidor(smtp), caixa.string(), "Fechamento", lista);
  const std::vector<TFakeSmtpMessage> recebidas = smtp.Mensagens();
  ASSERT_EQ(recebidas.size(), 1u);
  EXPECT_EQ(recebidas[0].To, (std::vector<std::string>{"ana@cliente.com.br", "beto@cliente.com.br"}));
  EXPECT_EQ(recebidas[0].Data.find("\r\nBcc:"), std::string::npos) << recebidas[0].Data;
  EXPECT_NE(recebidas[0].Data.find("<ana@cliente.com.br>, =?UTF-8?B?"), std::string::npos) << recebidas[0].Data;
  for (const std::string& c : smtp.Comandos()) EXPECT_EQ(c.find("intruso"), std::string::npos) << c;
}

// A message that went is not sent again by a rerun; one that did not goes then, and its earlier try
// leaves the outbox.
TEST_F(CorreioTest, ARerunSendsOnlyTheMessagesThatDidNotGo) {
  TFakeSmtpServer smtp;
  smtp.RecusaDestinatario("beto@cliente.com.br");
  const fs::path caixa = pasta_ / "email" / "saida";
  auto envia = [&](const std::string& para) { return EnviaEmail(Servidor(smtp), caixa.string(), "Fechamento " + para, Mensagem(para)); };
  EXPECT_EQ(envia("ana@cliente.com.br").Situacao, TSituacaoEmail::Enviada);
  EXPECT_THROW(envia("beto@cliente.com.br"), ECorreio);
  EXPECT_TRUE(fs::exists(caixa / "Fechamento beto@cliente.com.br.eml"));

  smtp.AceitaDestinatario("beto@cliente.com.br");
  const TEmailGravado ana = envia("ana@cliente.com.br");
  EXPECT_EQ(ana.Situacao, TSituacaoEmail::JaEnviada);
  EXPECT_EQ(fs::path(ana.Arquivo), pasta_ / "email" / "enviadas" / "Fechamento ana@cliente.com.br.eml");
  EXPECT_EQ(envia("beto@cliente.com.br").Situacao, TSituacaoEmail::Enviada);
  const std::vector<TFakeSmtpMessage> recebidas = smtp.Mensagens();
  ASSERT_EQ(recebidas.size(), 2u);
  EXPECT_EQ(recebidas[1].To, std::vector<std::string>{"beto@cliente.com.br"});
  EXPECT_TRUE(fs::is_empty(caixa));

  // Another report for the same address is another message.
  std::ofstream(anexo_, std::ios::binary) << "%PDF-1.4 corrigido";
  EXPECT_EQ(envia("ana@cliente.com.br").Situacao, TSituacaoEmail::Enviada);
}

// The password never crosses a connection that is not encrypted: the server is not even reached.
TEST_F(CorreioTest, ALoginWithoutTLSIsRefusedBeforeConnecting) {
  TFakeSmtpServer smtp;
  TConfiguracaoSMTP c = Servidor(smtp);
  c.Usuario = "escritorio";
  c.Senha = "segredo-smtp";
  try {
    EnviaEmail(c, (pasta_ / "email" / "saida").string(), "Fechamento", Mensagem("ana@cliente.com.br"));
    FAIL() << "a login without TLS must not be sent";
  } catch (const ECorreio& e) {
    const std::string m = e.what();
    EXPECT_TRUE(e.DoServidor());
    EXPECT_NE(m.find("BDTLS = 'TRUE'"), std::string::npos) << m;
    EXPECT_EQ(m.find("segredo-smtp"), std::string::npos) << m;
  }
  EXPECT_EQ(smtp.Conexoes(), 0);
}

// A stop signal ends the wait on a server that went mute, within a second, and names the signal.
TEST_F(CorreioTest, AStopEndsEveryWaitOnTheServerWithinASecond) {
  for (TSilencioSmtp onde : {TSilencioSmtp::Cumprimento, TSilencioSmtp::FimDosDados}) {
    TFakeSmtpServer smtp;
    smtp.Silencia(onde);
    std::chrono::steady_clock::time_point sinalizado;
    std::thread sinal([&] {
      while (smtp.Conexoes() == 0 || (onde == TSilencioSmtp::FimDosDados && smtp.Mensagens().empty()))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      sinalizado = std::chrono::steady_clock::now();
      ProcessContext().SinalInterrupcao = SIGTERM;
    });
    try {
      EnviaEmail(Servidor(smtp), (pasta_ / "email" / "saida").string(), "Fechamento", Mensagem("ana@cliente.com.br"));
      ADD_FAILURE() << "a stopped send must not pass as sent";
    } catch (const EInterrupcao& e) {
      EXPECT_EQ(e.Sinal(), SIGTERM);
    }
    sinal.join();
    ProcessContext().SinalInterrupcao = 0;
    EXPECT_LT(std::chrono::steady_clock::now() - sinalizado, std::chrono::milliseconds(1200));
    EXPECT_TRUE(fs::exists(pasta_ / "email" / "saida" / "Fechamento.eml"));   // not gone: still to go
    fs::remove_all(pasta_ / "email");
  }
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
