#include "testing/fake_smtp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace vyn {

namespace {

// A conversation's lines, read from its socket; false when the client went away.
class TLinhas {
 public:
  explicit TLinhas(int s) : s_(s) {}
  bool Le(std::string& linha) {
    for (;;) {
      const size_t fim = buffer_.find("\r\n");
      if (fim != std::string::npos) {
        linha = buffer_.substr(0, fim);
        buffer_.erase(0, fim + 2);
        return true;
      }
      char bloco[4096];
      const ssize_t n = ::recv(s_, bloco, sizeof bloco, 0);
      if (n <= 0) return false;
      buffer_.append(bloco, static_cast<size_t>(n));
    }
  }

 private:
  int s_;
  std::string buffer_;
};

void Responde(int s, const std::string& texto) {
  const std::string linha = texto + "\r\n";
  ::send(s, linha.data(), linha.size(), MSG_NOSIGNAL);
}

std::string Maiusculas(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

// The address between < and > of "MAIL FROM:<a>" or "RCPT TO:<a>".
std::string EnderecoDe(const std::string& linha) {
  const size_t a = linha.find('<'), b = linha.find('>');
  return a == std::string::npos || b == std::string::npos || b < a ? "" : linha.substr(a + 1, b - a - 1);
}

std::string Base64Decodifica(const std::string& s) {
  static const std::string kAlfabeto = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  int bits = 0, valor = 0;
  for (char c : s) {
    const size_t i = kAlfabeto.find(c);
    if (i == std::string::npos) continue;
    valor = valor << 6 | static_cast<int>(i);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>(valor >> bits & 0xFF);
    }
  }
  return out;
}

}  // namespace

TFakeSmtpServer::TFakeSmtpServer() {
  escuta_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t t = sizeof a;
  if (escuta_ < 0 || ::bind(escuta_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(escuta_, 8) != 0 ||
      ::getsockname(escuta_, reinterpret_cast<sockaddr*>(&a), &t) != 0)
    throw std::runtime_error("the loopback SMTP server could not listen");
  porta_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Atende(); });
}

TFakeSmtpServer::~TFakeSmtpServer() {
  parar_ = true;
  thread_.join();
  ::close(escuta_);
}

void TFakeSmtpServer::RecusaDestinatario(const std::string& endereco) {
  std::lock_guard<std::mutex> l(mutex_);
  recusados_.insert(endereco);
}

void TFakeSmtpServer::AceitaDestinatario(const std::string& endereco) {
  std::lock_guard<std::mutex> l(mutex_);
  recusados_.erase(endereco);
}

std::vector<std::string> TFakeSmtpServer::Comandos() const {
  std::lock_guard<std::mutex> l(mutex_);
  return comandos_;
}

// Waits without a word until the client leaves or the server ends.
void TFakeSmtpServer::Cala(int s) const {
  while (!parar_) {
    pollfd p{s, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char bloco[4096];
    if (::recv(s, bloco, sizeof bloco, 0) <= 0) return;
  }
}

std::vector<TFakeSmtpMessage> TFakeSmtpServer::Mensagens() const {
  std::lock_guard<std::mutex> l(mutex_);
  return mensagens_;
}

void TFakeSmtpServer::Atende() {
  while (!parar_) {
    pollfd p{escuta_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int conexao = ::accept(escuta_, nullptr, nullptr);
    if (conexao < 0) continue;
    ++conexoes_;
    timeval espera{30, 0};
    ::setsockopt(conexao, SOL_SOCKET, SO_RCVTIMEO, &espera, sizeof espera);
    Conversa(conexao);
    ::close(conexao);
  }
}

void TFakeSmtpServer::Conversa(int s) {
  TLinhas linhas(s);
  TFakeSmtpMessage atual;
  std::string linha, usuario;
  if (silencio_ == TSilencioSmtp::Cumprimento) return Cala(s);
  Responde(s, "220 127.0.0.1 ESMTP teste");
  while (linhas.Le(linha)) {
    {
      std::lock_guard<std::mutex> l(mutex_);
      comandos_.push_back(linha);
    }
    const std::string comando = Maiusculas(linha.substr(0, linha.find(' ')));
    if (comando == "EHLO") {
      Responde(s, "250-127.0.0.1");
      Responde(s, "250-AUTH PLAIN LOGIN");
      Responde(s, "250 8BITMIME");
    } else if (comando == "HELO" || comando == "NOOP") {
      Responde(s, "250 OK");
    } else if (comando == "AUTH") {
      const std::string resto = linha.size() > 5 ? linha.substr(5) : "";
      if (Maiusculas(resto.substr(0, 5)) == "PLAIN") {
        std::string credenciais = resto.size() > 6 ? resto.substr(6) : "";
        if (credenciais.empty()) {
          Responde(s, "334 ");
          if (!linhas.Le(credenciais)) return;
        }
        const std::string d = Base64Decodifica(credenciais);
        const size_t a = d.find('\0'), b = d.find('\0', a + 1);
        usuario = b == std::string::npos ? "" : d.substr(a + 1, b - a - 1);
      } else {
        std::string u, senha;
        Responde(s, "334 VXNlcm5hbWU6");
        if (!linhas.Le(u)) return;
        Responde(s, "334 UGFzc3dvcmQ6");
        if (!linhas.Le(senha)) return;
        usuario = Base64Decodifica(u);
      }
      Responde(s, "235 2.7.0 Authentication successful");
    } else if (comando == "MAIL") {
      atual = TFakeSmtpMessage();
      atual.From = EnderecoDe(linha);
      atual.Usuario = usuario;
      Responde(s, "250 2.1.0 OK");
    } else if (comando == "RCPT") {
      const std::string para = EnderecoDe(linha);
      std::lock_guard<std::mutex> l(mutex_);
      if (recusados_.count(para)) {
        Responde(s, "550 5.1.1 <" + para + ">: mailbox unavailable");
      } else {
        atual.To.push_back(para);
        Responde(s, "250 2.1.5 OK");
      }
    } else if (comando == "DATA") {
      if (atual.To.empty()) {
        Responde(s, "554 5.5.1 No valid recipients");
        continue;
      }
      Responde(s, "354 End data with <CR><LF>.<CR><LF>");
      std::string dados;
      while (linhas.Le(linha) && linha != ".") dados += (linha.rfind("..", 0) == 0 ? linha.substr(1) : linha) + "\r\n";
      {
        std::lock_guard<std::mutex> l(mutex_);
        mensagens_.push_back(atual);
        mensagens_.back().Data = dados;
      }
      if (silencio_ == TSilencioSmtp::FimDosDados) return Cala(s);
      Responde(s, "250 2.0.0 OK queued");
    } else if (comando == "RSET") {
      atual = TFakeSmtpMessage();
      Responde(s, "250 OK");
    } else if (comando == "QUIT") {
      Responde(s, "221 2.0.0 Bye");
      return;
    } else {
      Responde(s, "502 5.5.2 Command not recognized");
    }
  }
}

}  // namespace vyn
