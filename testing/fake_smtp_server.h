#pragma once
// A loopback SMTP server for tests: 127.0.0.1 on an ephemeral port, one connection at a time, speaking
// as much SMTP as a mail client needs (EHLO/HELO, AUTH PLAIN and LOGIN, MAIL, RCPT, DATA, RSET, NOOP,
// QUIT), never STARTTLS. It records every command and every message it accepts, can refuse a recipient
// as a real server does, and can go mute: never greet, or never answer the end of a message.
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vyn {

struct TFakeSmtpMessage {
  std::string From;                 // the address of MAIL FROM, without <>
  std::vector<std::string> To;      // the addresses of RCPT TO
  std::string Data;                 // the message as sent, dot-unstuffed, without the final "."
  std::string Usuario;              // the account it authenticated with, if any
};

enum class TSilencioSmtp { Nenhum, Cumprimento, FimDosDados };

class TFakeSmtpServer {
 public:
  TFakeSmtpServer();
  ~TFakeSmtpServer();
  TFakeSmtpServer(const TFakeSmtpServer&) = delete;
  TFakeSmtpServer& operator=(const TFakeSmtpServer&) = delete;

  int Port() const { return porta_; }
  // RCPT TO of this address is answered "550 5.1.1 <address>: mailbox unavailable".
  void RecusaDestinatario(const std::string& endereco);
  void AceitaDestinatario(const std::string& endereco);
  // Where the server goes mute: a connection then waits, unanswered, until the client leaves.
  void Silencia(TSilencioSmtp onde) { silencio_ = onde; }
  std::vector<TFakeSmtpMessage> Mensagens() const;
  // Every command line received, in order (the message's text not included).
  std::vector<std::string> Comandos() const;
  int Conexoes() const { return conexoes_; }

 private:
  void Atende();
  void Conversa(int conexao);
  void Cala(int conexao) const;
  std::atomic<TSilencioSmtp> silencio_{TSilencioSmtp::Nenhum};
  std::atomic<int> conexoes_{0};
  std::vector<std::string> comandos_;
  int escuta_ = -1;
  int porta_ = 0;
  std::atomic<bool> parar_{false};
  mutable std::mutex mutex_;
  std::set<std::string> recusados_;
  std::vector<TFakeSmtpMessage> mensagens_;
  std::thread thread_;
};

}  // namespace vyn
