#pragma once
// A loopback SMTP server for tests: 127.0.0.1 on an ephemeral port, one connection at a time, speaking
// as much SMTP as a mail client needs (EHLO/HELO, AUTH PLAIN and LOGIN, MAIL, RCPT, DATA, RSET, NOOP,
// QUIT). It records every message it accepts, and can refuse a recipient as a real server does.
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

class TFakeSmtpServer {
 public:
  TFakeSmtpServer();
  ~TFakeSmtpServer();
  TFakeSmtpServer(const TFakeSmtpServer&) = delete;
  TFakeSmtpServer& operator=(const TFakeSmtpServer&) = delete;

  int Port() const { return porta_; }
  // RCPT TO of this address is answered "550 5.1.1 <address>: mailbox unavailable".
  void RecusaDestinatario(const std::string& endereco);
  std::vector<TFakeSmtpMessage> Mensagens() const;

 private:
  void Atende();
  void Conversa(int conexao);
  int escuta_ = -1;
  int porta_ = 0;
  std::atomic<bool> parar_{false};
  mutable std::mutex mutex_;
  std::set<std::string> recusados_;
  std::vector<TFakeSmtpMessage> mensagens_;
  std::thread thread_;
};

}  // namespace vyn
