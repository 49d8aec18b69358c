#include "framework/web/correio.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFimDeLinha = "\r\n";
// An outbox holds at most this many messages of one name; past it the name is taken as a fault.
constexpr int kNomesPorMensagem = 10000;

std::string Base64(std::string_view dados) {
  static constexpr char kAlfabeto[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((dados.size() + 2) / 3 * 4);
  for (size_t i = 0; i < dados.size(); i += 3) {
    const uint32_t n = static_cast<uint8_t>(dados[i]) << 16 |
                       (i + 1 < dados.size() ? static_cast<uint8_t>(dados[i + 1]) << 8 : 0) |
                       (i + 2 < dados.size() ? static_cast<uint8_t>(dados[i + 2]) : 0);
    out += kAlfabeto[n >> 18 & 63];
    out += kAlfabeto[n >> 12 & 63];
    out += i + 1 < dados.size() ? kAlfabeto[n >> 6 & 63] : '=';
    out += i + 2 < dados.size() ? kAlfabeto[n & 63] : '=';
  }
  return out;
}

// Base64 in lines of 76 characters, as MIME bodies are written.
std::string Base64EmLinhas(std::string_view dados) {
  const std::string b = Base64(dados);
  std::string out;
  for (size_t i = 0; i < b.size(); i += 76) out += b.substr(i, 76) + kFimDeLinha;
  return out;
}

bool SoAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80 || c < 0x20) return false;
  return true;
}

// A header's text: as it is when plain ASCII, else an encoded word (RFC 2047).
std::string TextoCabecalho(std::string_view s) {
  return SoAscii(s) ? std::string(s) : "=?UTF-8?B?" + Base64(s) + "?=";
}

std::string Endereco(std::string_view nome, std::string_view email) {
  if (nome.empty()) return "<" + std::string(email) + ">";
  const std::string n = SoAscii(nome) ? "\"" + ReplaceAll(std::string(nome), "\"", "'") + "\"" : TextoCabecalho(nome);
  return n + " <" + std::string(email) + ">";
}

std::string DataRFC5322() {
  std::time_t agora = std::time(nullptr);
  std::tm local{};
  localtime_r(&agora, &local);
  static const char* const kDias[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMeses[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long fuso = local.tm_gmtoff / 60;
  return fmt::format("{}, {:02} {} {} {:02}:{:02}:{:02} {}{:02}{:02}", kDias[local.tm_wday], local.tm_mday,
                     kMeses[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                     fuso < 0 ? '-' : '+', std::labs(fuso) / 60, std::labs(fuso) % 60);
}

std::string Aleatorio() {
  std::random_device rd;
  return fmt::format("{:016x}{:08x}", (static_cast<uint64_t>(rd()) << 32) | rd(), rd());
}

std::string LeAnexo(const std::string& arquivo) {
  std::ifstream f(arquivo, std::ios::binary);
  if (!f) throw ECorreio("Não foi possível anexar o arquivo " + arquivo + ": o arquivo não pôde ser lido.");
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string ParteAnexo(const std::string& arquivo) {
  const std::string nome = TextoCabecalho(fs::path(arquivo).filename().string());
  const std::string tipo = LowerCase(fs::path(arquivo).extension().string()) == ".pdf" ? "application/pdf"
                                                                                      : "application/octet-stream";
  return fmt::format("Content-Type: {}; name=\"{}\"{}Content-Disposition: attachment; filename=\"{}\"{}"
                     "Content-Transfer-Encoding: base64{}{}{}",
                     tipo, nome, kFimDeLinha, nome, kFimDeLinha, kFimDeLinha, kFimDeLinha,
                     Base64EmLinhas(LeAnexo(arquivo)));
}

// The file is made here and by no one else: an earlier message of the same name is never written over,
// also when another workstation writes in the same outbox at the same moment.
std::string GravaExclusivo(const fs::path& pasta, const std::string& nome, const std::string& eml) {
  for (int n = 1; n <= kNomesPorMensagem; ++n) {
    const fs::path arquivo = pasta / (n == 1 ? nome + ".eml" : fmt::format("{} ({}).eml", nome, n));
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(arquivo.c_str(), "wbx"), &std::fclose);
    if (!f) {
      if (errno == EEXIST) continue;
      throw ECorreio("Não foi possível gravar a mensagem " + arquivo.string() + " na caixa de saída.");
    }
    if (std::fwrite(eml.data(), 1, eml.size(), f.get()) != eml.size() || std::fflush(f.get()) != 0)
      throw ECorreio("Não foi possível gravar a mensagem " + arquivo.string() + " na caixa de saída.");
    return arquivo.string();
  }
  throw ECorreio("A caixa de saída já tem " + std::to_string(kNomesPorMensagem) + " mensagens chamadas " + nome + ".");
}

struct TLeitura {
  const std::string& texto;
  size_t posicao = 0;
};

size_t LeParaEnvio(char* destino, size_t tamanho, size_t itens, void* dados) {
  auto* l = static_cast<TLeitura*>(dados);
  const size_t n = std::min(tamanho * itens, l->texto.size() - l->posicao);
  std::copy_n(l->texto.data() + l->posicao, n, destino);
  l->posicao += n;
  return n;
}

}  // namespace

TConfiguracaoSMTP ConfiguracaoSMTPDoModulo(TDatabase& db, int sistema) {
  const TQueryResult r = db.QueryAll(
      "SELECT FIRST 1 BDSERVIDOR, BDPORTA, BDUSUARIO, BDSENHA, BDREMETENTE, BDTLS FROM TMODULO_SMTP"
      " WHERE (BDCODSIS = ? OR (? = 0 AND BDCODSIS = 1)) AND TRIM(COALESCE(BDSERVIDOR, '')) <> ''"
      " ORDER BY BDCODIGO",
      {sistema, sistema});
  TConfiguracaoSMTP c;
  if (r.Rows.empty()) return c;
  c.Servidor = Trim(r.Value(0, "BDSERVIDOR").AsString());
  c.Porta = static_cast<int>(r.Value(0, "BDPORTA").IsNull() ? 0 : r.Value(0, "BDPORTA").AsInteger());
  c.Usuario = r.Value(0, "BDUSUARIO").IsNull() ? "" : Trim(r.Value(0, "BDUSUARIO").AsString());
  c.Senha = r.Value(0, "BDSENHA").IsNull() ? "" : r.Value(0, "BDSENHA").AsString();
  c.Remetente = r.Value(0, "BDREMETENTE").IsNull() ? "" : Trim(r.Value(0, "BDREMETENTE").AsString());
  c.TLS = !r.Value(0, "BDTLS").IsNull() && SameText(Trim(r.Value(0, "BDTLS").AsString()), "TRUE");
  return c;
}

std::string MontaMensagemEml(const TMensagemEmail& m) {
  const std::string fronteira = "=_vyn_" + Aleatorio();
  std::string eml;
  eml += "Date: " + DataRFC5322() + kFimDeLinha;
  if (!m.Remetente.empty()) eml += "From: " + Endereco("", m.Remetente) + kFimDeLinha;
  if (!m.Destinatario.empty()) eml += "To: " + Endereco(m.NomeDestinatario, m.Destinatario) + kFimDeLinha;
  eml += "Subject: " + TextoCabecalho(m.Assunto) + kFimDeLinha;
  eml += "Message-ID: <" + Aleatorio() + "@integracao>" + kFimDeLinha;
  eml += std::string("MIME-Version: 1.0") + kFimDeLinha;
  eml += "Content-Type: multipart/mixed; boundary=\"" + fronteira + "\"" + kFimDeLinha + kFimDeLinha;
  eml += "--" + fronteira + kFimDeLinha;
  eml += std::string("Content-Type: text/plain; charset=UTF-8") + kFimDeLinha +
         "Content-Transfer-Encoding: base64" + kFimDeLinha + kFimDeLinha + Base64EmLinhas(m.Corpo);
  for (const std::string& anexo : m.Anexos) eml += "--" + fronteira + kFimDeLinha + ParteAnexo(anexo);
  eml += "--" + fronteira + "--" + kFimDeLinha;
  return eml;
}

void EnviaSMTP(const TConfiguracaoSMTP& c, const TMensagemEmail& m, const std::string& eml) {
  const int porta = c.Porta > 0 ? c.Porta : 25;
  const bool tlsDireto = c.TLS && porta == 465;
  const std::string url = fmt::format("{}://{}:{}", tlsDireto ? "smtps" : "smtp", c.Servidor, porta);
  std::unique_ptr<CURL, void (*)(CURL*)> h(curl_easy_init(), &curl_easy_cleanup);
  if (!h) throw ECorreio("Não foi possível preparar o envio de e-mail.");
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> para(
      curl_slist_append(nullptr, ("<" + m.Destinatario + ">").c_str()), &curl_slist_free_all);
  char erro[CURL_ERROR_SIZE] = {};
  TLeitura leitura{eml};
  CURL* e = h.get();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(e, CURLOPT_TIMEOUT, 300L);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, erro);
  curl_easy_setopt(e, CURLOPT_MAIL_FROM, ("<" + m.Remetente + ">").c_str());
  curl_easy_setopt(e, CURLOPT_MAIL_RCPT, para.get());
  curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(e, CURLOPT_READFUNCTION, &LeParaEnvio);
  curl_easy_setopt(e, CURLOPT_READDATA, &leitura);
  curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(eml.size()));
  if (c.TLS && !tlsDireto) curl_easy_setopt(e, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!c.Usuario.empty()) {
    curl_easy_setopt(e, CURLOPT_USERNAME, c.Usuario.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, c.Senha.c_str());
  }
  const CURLcode rc = curl_easy_perform(e);
  if (rc == CURLE_OK) return;
  long resposta = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &resposta);
  const std::string motivo = *erro ? erro : curl_easy_strerror(rc);
  throw ECorreio(fmt::format("A mensagem \"{}\" para {} não foi enviada pelo servidor de e-mail {}:{}: {}{}", m.Assunto,
                             m.Destinatario, c.Servidor, porta, motivo,
                             resposta > 0 ? fmt::format(" (resposta {})", resposta) : ""));
}

std::string EnviaEmail(const TConfiguracaoSMTP& c, const std::string& caixaSaida, const std::string& nome,
                       TMensagemEmail m) {
  if (m.Remetente.empty()) m.Remetente = c.Remetente;
  if (c.Configurado() && Trim(m.Destinatario).empty())
    throw ECorreio("A mensagem \"" + m.Assunto + "\" não foi enviada: " +
                   (m.NomeDestinatario.empty() ? "o destinatário" : m.NomeDestinatario) +
                   " não tem endereço de e-mail cadastrado.");
  if (c.Configurado() && m.Remetente.empty())
    throw ECorreio("A mensagem \"" + m.Assunto + "\" não foi enviada: a configuração de e-mail do servidor " +
                   c.Servidor + " não tem remetente.");
  const std::string eml = MontaMensagemEml(m);
  std::error_code ec;
  fs::create_directories(caixaSaida, ec);
  const std::string arquivo = GravaExclusivo(caixaSaida, fEliminaCaracteresEspeciais(nome), eml);
  if (c.Configurado()) EnviaSMTP(c, m, eml);
  return arquivo;
}

}  // namespace vyn
