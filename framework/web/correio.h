#pragma once
// The reports' e-mail. Each message is a whole one: sender, recipient, subject, body and attachments,
// written as an .eml file (RFC 5322, MIME) in the installation's outbox under a name of its own, so a
// later message never takes an earlier one's place; and sent through the office's SMTP server when the
// module's e-mail setting (TMODULO_SMTP) names one. A server that refuses the message is an error that
// names the server, the recipient and the server's answer; the setting's password never reaches it.
#include <stdexcept>
#include <string>
#include <vector>

namespace vyn {

class TDatabase;

struct TMensagemEmail {
  std::string Remetente;          // the setting's sender when empty
  std::string Destinatario;       // the address
  std::string NomeDestinatario;   // shown beside the address
  std::string Assunto;
  std::string Corpo;              // plain text
  std::vector<std::string> Anexos;   // files, attached under their own names
};

// A module's e-mail setting. An empty Servidor: the module names no server, and messages stay in the
// outbox for the office's mail program.
struct TConfiguracaoSMTP {
  std::string Servidor;   // host name or address
  int Porta = 0;          // 0: 25, or 465 with TLS from the start
  std::string Usuario;
  std::string Senha;
  std::string Remetente;
  bool TLS = false;       // the connection is encrypted (STARTTLS, or TLS from the start on port 465)
  bool Configurado() const { return !Servidor.empty(); }
};

class ECorreio : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The setting of the module (the suite hands module 1 to the report screens as 0): the first of its
// rows, by code, that names a server.
TConfiguracaoSMTP ConfiguracaoSMTPDoModulo(TDatabase& db, int sistema);

// The message as its .eml text: UTF-8, the body and the attachments in base64, lines ended by CRLF.
// Raises ECorreio when an attachment cannot be read.
std::string MontaMensagemEml(const TMensagemEmail& m);

// Sends the .eml text through the server. Raises ECorreio when the server cannot be reached or
// refuses the sender, the recipient or the message.
void EnviaSMTP(const TConfiguracaoSMTP& c, const TMensagemEmail& m, const std::string& eml);

// The whole road: the sender from the setting, the .eml written in caixaSaida (created when missing)
// under nome (".eml" added; " (2)", " (3)", ... when taken), then sent when the setting names a server.
// Sending a message without a recipient is refused before anything is written; left in the outbox, the
// office's mail program gives it one. Returns the .eml file.
std::string EnviaEmail(const TConfiguracaoSMTP& c, const std::string& caixaSaida, const std::string& nome,
                       TMensagemEmail m);

}  // namespace vyn
