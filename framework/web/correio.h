#pragma once
// The reports' e-mail. Each message is a whole one: sender, recipients, subject, body and attachments,
// written as an .eml file (RFC 5322, MIME) in the installation's outbox under a name of its own, so a
// later message never takes an earlier one's place; and sent through the office's SMTP server when the
// module's e-mail setting (TMODULO_SMTP) names one. A message the server took moves from the outbox
// (email/saida) to email/enviadas beside it: what stays in the outbox has not gone, and a message
// alike in every byte that counts (recipients, subject, body, attachments) to one in enviadas is not
// sent twice. A server that refuses the message is an error that names the server, the recipient and
// the server's answer; the setting's password never reaches it, nor goes over a connection that is
// not encrypted.
#include <stdexcept>
#include <string>
#include <vector>

namespace vyn {

class TDatabase;

struct TMensagemEmail {
  std::string Remetente;          // the setting's sender when empty
  std::string Destinatario;       // the address, or several separated by ";" or ","
  std::string NomeDestinatario;   // shown beside the address; names the entity in refusals
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

// A message that did not go. DoServidor: the server (or its setting) failed, not this message, and
// the messages after it would meet the same.
class ECorreio : public std::runtime_error {
 public:
  explicit ECorreio(const std::string& mensagem, bool doServidor = false)
      : std::runtime_error(mensagem), doServidor_(doServidor) {}
  bool DoServidor() const { return doServidor_; }

 private:
  bool doServidor_;
};

// The setting of the module (the suite hands module 1 to the report screens as 0): the first of its
// rows, by code, that names a server.
TConfiguracaoSMTP ConfiguracaoSMTPDoModulo(TDatabase& db, int sistema);

// The clean addresses of an address field (one, or a list separated by ";" or ","). Raises ECorreio,
// naming quem, when one of them is not a plain address: control characters (a line break would
// become a command to the server or a header of the message), angle brackets, quotes, spaces inside,
// letters outside ASCII, no single "@".
std::vector<std::string> EnderecosEmail(const std::string& campo, const std::string& quem);

// The message as its .eml text: UTF-8, the body and the attachments in base64, lines ended by CRLF,
// every header value plain ASCII or encoded. Raises ECorreio when an attachment cannot be read or an
// address is not plain.
std::string MontaMensagemEml(const TMensagemEmail& m);

// Sends the .eml text through the server. Raises ECorreio when the server cannot be reached or
// refuses the sender, the recipient or the message, and before connecting when the setting has a
// login and no TLS; EInterrupcao within a second of a stop signal, at every wait on the server.
void EnviaSMTP(const TConfiguracaoSMTP& c, const TMensagemEmail& m, const std::string& eml);

enum class TSituacaoEmail {
  Enviada,          // the server took it; the .eml is in enviadas
  JaEnviada,        // the same message had gone before; the .eml is that earlier one, in enviadas
  NaCaixaDeSaida,   // no server named: left in the outbox for the office's mail program
};

struct TEmailGravado {
  std::string Arquivo;   // the .eml
  TSituacaoEmail Situacao = TSituacaoEmail::NaCaixaDeSaida;
};

// The whole road: the sender from the setting, the addresses checked, the .eml written in caixaSaida
// (created when missing) under nome (".eml" added; " (2)", " (3)", ... when taken), then sent when the
// setting names a server and moved to enviadas. A message that does not go (ECorreio, EInterrupcao)
// stays in the outbox. Sending a message without a recipient is refused before anything is written;
// left in the outbox, the office's mail program gives it one.
TEmailGravado EnviaEmail(const TConfiguracaoSMTP& c, const std::string& caixaSaida, const std::string& nome,
                         TMensagemEmail m);

}  // namespace vyn
