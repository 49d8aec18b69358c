#include "framework/web/correio.h"

#include <curl/curl.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include <fmt/format.h>

#include "framework/component/interrupcao.h"
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
    if (c >= 0x80 || c < 0x20 || c == 0x7F) return false;
  return true;
}

// A header's text: as it is when plain ASCII, else an encoded word (RFC 2047). Either way it holds
// no line break: nothing a name or a subject holds becomes a header of its own.
std::string TextoCabecalho(std::string_view s) {
  return SoAscii(s) ? std::string(s) : "=?UTF-8?B?" + Base64(s) + "?=";
}

// A display name: quoted when it is made of letters, digits, spaces and harmless signs; encoded
// otherwise (a quote or a backslash would end the quoted text early).
std::string NomeCabecalho(std::string_view nome) {
  bool simples = SoAscii(nome);
  for (char c : nome) simples = simples && c != '"' && c != '\\';
  return simples ? "\"" + std::string(nome) + "\"" : "=?UTF-8?B?" + Base64(nome) + "?=";
}

// How a refused address is shown: its control characters spelled out, never written as they are.
std::string Visivel(std::string_view s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c < 0x20 || c == 0x7F) out += fmt::format("\\x{:02X}", c);
    else out += static_cast<char>(c);
  }
  return out;
}

bool TemControle(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Why a trimmed address is not a plain one; empty when it is.
std::string DefeitoEndereco(std::string_view e) {
  if (e.size() > 254) return "é longo demais";
  if (TemControle(e)) return "contém caracteres de controle (uma quebra de linha, por exemplo)";
  for (unsigned char c : e) {
    if (c >= 0x80) return "contém letras fora do alfabeto ASCII";
    if (std::string_view("<>\"()[]\\:;, ").find(static_cast<char>(c)) != std::string_view::npos)
      return "contém o caractere '" + std::string(1, static_cast<char>(c)) + "'";
  }
  const size_t arroba = e.find('@');
  if (arroba == std::string_view::npos || e.find('@', arroba + 1) != std::string_view::npos) return "deve ter um único @";
  const std::string_view dominio = e.substr(arroba + 1);
  if (arroba == 0 || dominio.empty() || dominio.front() == '.' || dominio.back() == '.')
    return "não tem a forma nome@dominio";
  return "";
}

std::string Enderecos(std::string_view nome, const std::vector<std::string>& emails) {
  std::vector<std::string> partes;
  for (const std::string& e : emails) partes.push_back(nome.empty() ? "<" + e + ">" : NomeCabecalho(nome) + " <" + e + ">");
  return Join(partes, ", ");
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

struct TAnexoLido {
  std::string Nome;
  std::string Dados;
};

std::string ParteAnexo(const TAnexoLido& a) {
  const std::string nome = TextoCabecalho(a.Nome);
  const std::string tipo = LowerCase(fs::path(a.Nome).extension().string()) == ".pdf" ? "application/pdf"
                                                                                      : "application/octet-stream";
  return fmt::format("Content-Type: {}; name=\"{}\"{}Content-Disposition: attachment; filename=\"{}\"{}"
                     "Content-Transfer-Encoding: base64{}{}{}",
                     tipo, nome, kFimDeLinha, nome, kFimDeLinha, kFimDeLinha, kFimDeLinha, Base64EmLinhas(a.Dados));
}

// What makes two messages the same one, whenever they were written: the recipients, the subject, the
// body and every attachment's name and bytes (not the date, nor the message's own identifiers).
std::string Impressao(const std::vector<std::string>& para, const TMensagemEmail& m,
                      const std::vector<TAnexoLido>& anexos) {
  std::string t = Join(para, ",") + '\0' + m.Assunto + '\0' + m.Corpo;
  for (const TAnexoLido& a : anexos) t += '\0' + a.Nome + '\0' + HashTexto(a.Dados);
  return HashTexto(t);
}

constexpr const char* kCabecalhoImpressao = "X-Integracao-Impressao: ";

// The file is made here and by no one else: an earlier file of the same name is never written over,
// also when another workstation writes in the same folder at the same moment. cria makes the file
// and answers false when the name is taken.
template <typename F>
std::string ComNomeProprio(const fs::path& pasta, const std::string& nome, F cria) {
  for (int n = 1; n <= kNomesPorMensagem; ++n) {
    const fs::path arquivo = pasta / (n == 1 ? nome + ".eml" : fmt::format("{} ({}).eml", nome, n));
    if (cria(arquivo)) return arquivo.string();
  }
  throw ECorreio("A pasta " + pasta.string() + " já tem " + std::to_string(kNomesPorMensagem) + " mensagens chamadas " +
                 nome + ".");
}

// Writes eml under a name no one holds yet; false when the name is taken.
bool CriaExclusivo(const fs::path& arquivo, const std::string& eml, const char* pasta) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(arquivo.c_str(), "wbx"), &std::fclose);
  if (!f && errno == EEXIST) return false;
  if (!f || std::fwrite(eml.data(), 1, eml.size(), f.get()) != eml.size() || std::fflush(f.get()) != 0)
    throw ECorreio("Não foi possível gravar a mensagem " + arquivo.string() + pasta + ".");
  return true;
}

std::string GravaExclusivo(const fs::path& pasta, const std::string& nome, const std::string& eml) {
  return ComNomeProprio(pasta, nome,
                        [&](const fs::path& arquivo) { return CriaExclusivo(arquivo, eml, " na caixa de saída"); });
}

// A sent message leaves the outbox for enviadas, under its name there. Another workstation that sent
// the same message at the same moment may have cleared this one's outbox file as its own earlier
// attempt: what went is then written there from the message itself. Where neither can be done (a
// folder that takes no second name for a file), it stays in the outbox: it went all the same.
std::string MoveParaEnviadas(const std::string& arquivo, const fs::path& enviadas, const std::string& nome,
                             const std::string& eml) {
  std::error_code ec;
  fs::create_directories(enviadas, ec);
  try {
    const std::string destino = ComNomeProprio(enviadas, nome, [&](const fs::path& d) {
      if (::link(arquivo.c_str(), d.c_str()) == 0) return true;
      if (errno == EEXIST || fs::exists(d)) return false;
      if (!fs::exists(arquivo)) return CriaExclusivo(d, eml, " entre as enviadas");
      std::error_code falha;
      fs::rename(arquivo, d, falha);
      if (falha) throw ECorreio(falha.message());
      return true;
    });
    fs::remove(arquivo, ec);
    return destino;
  } catch (const ECorreio&) {
    return arquivo;
  }
}

// The messages of a folder made as this one: their header names the same fingerprint.
std::vector<std::string> ComImpressao(const fs::path& pasta, const std::string& impressao) {
  std::vector<std::string> achadas;
  std::error_code ec;
  const std::string procura = kCabecalhoImpressao + impressao + kFimDeLinha;
  for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) {
    if (it->path().extension() != ".eml") continue;
    std::ifstream f(it->path(), std::ios::binary);
    std::string cabecalhos(4096, '\0');
    f.read(cabecalhos.data(), static_cast<std::streamsize>(cabecalhos.size()));
    cabecalhos.resize(static_cast<size_t>(f.gcount()));
    cabecalhos = cabecalhos.substr(0, cabecalhos.find("\r\n\r\n") + 2);
    if (cabecalhos.find(procura) != std::string::npos) achadas.push_back(it->path().string());
  }
  return achadas;
}

// Once a message went, the copies its earlier tries left in the outbox go: what stays there is what
// has not gone.
void RemoveTentativas(const std::string& caixaSaida, const std::string& impressao) {
  for (const std::string& a : ComImpressao(caixaSaida, impressao)) {
    std::error_code ec;
    fs::remove(a, ec);
  }
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

// The connection of one exchange, as libcurl opened it.
struct TConexao {
  curl_socket_t Socket = CURL_SOCKET_BAD;
};

int GuardaSocket(void* dados, curl_socket_t s, curlsocktype) {
  static_cast<TConexao*>(dados)->Socket = s;
  return CURL_SOCKOPT_OK;
}

// Inside libcurl's own blocking waits (the server's answer to the end of a message) it asks at least
// once a second: a stop signal ends the exchange there. The connection is cut as well, so that the
// goodbye libcurl still says on closing it waits on no answer.
int VerificaParada(void* dados, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  if (SinalInterrupcao() == 0) return 0;
  if (const curl_socket_t s = static_cast<TConexao*>(dados)->Socket; s != CURL_SOCKET_BAD) ::shutdown(s, SHUT_RDWR);
  return 1;
}

// The exchange. Between libcurl's steps the stop signal is looked at after waits of a tenth of a
// second at most: the server's greeting and its answers to the commands are waited for here.
CURLcode Executa(CURL* e) {
  std::unique_ptr<CURLM, CURLMcode (*)(CURLM*)> multi(curl_multi_init(), &curl_multi_cleanup);
  if (!multi) return CURLE_OUT_OF_MEMORY;
  curl_multi_add_handle(multi.get(), e);
  CURLcode rc = CURLE_ABORTED_BY_CALLBACK;
  int ativos = 1;
  while (ativos > 0 && SinalInterrupcao() == 0) {
    if (curl_multi_perform(multi.get(), &ativos) != CURLM_OK) {
      rc = CURLE_FAILED_INIT;
      break;
    }
    if (ativos > 0) curl_multi_poll(multi.get(), nullptr, 0, 100, nullptr);
  }
  int restantes = 0;
  while (CURLMsg* m = curl_multi_info_read(multi.get(), &restantes))
    if (m->msg == CURLMSG_DONE && m->easy_handle == e) rc = m->data.result;
  curl_multi_remove_handle(multi.get(), e);
  return rc;
}

// A refusal of this message (its sender, a recipient or its text, by a 4xx/5xx answer) leaves the
// next messages their chance; anything else is the server's.
bool RecusaDaMensagem(CURLcode rc, long resposta) {
  return resposta >= 400 && resposta != 421 && (rc == CURLE_SEND_ERROR || rc == CURLE_WEIRD_SERVER_REPLY);
}

// The message's envelope and headers, checked.
struct TEnvelope {
  std::vector<std::string> Para;
  std::string De;
};

TEnvelope Envelope(const TMensagemEmail& m) {
  const std::string quem = m.NomeDestinatario.empty() ? "do destinatário" : "de " + m.NomeDestinatario;
  TEnvelope e{EnderecosEmail(m.Destinatario, quem), {}};
  if (m.Remetente.empty()) return e;
  // The setting's sender is every message's: a fault there is the setting's, not one message's.
  std::vector<std::string> de;
  try {
    de = EnderecosEmail(m.Remetente, "do remetente");
  } catch (const ECorreio& falha) {
    throw ECorreio(falha.what(), true);
  }
  if (de.size() != 1) throw ECorreio("O remetente \"" + Visivel(m.Remetente) + "\" deve ser um único endereço.", true);
  e.De = de.front();
  return e;
}

void ConfiguraEnvio(CURL* e, const TConfiguracaoSMTP& c, const std::string& url, char* erro, TConexao* conexao) {
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(e, CURLOPT_TIMEOUT, 300L);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, erro);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);   // one message, one connection: none left to close later
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &VerificaParada);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, conexao);
  curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, &GuardaSocket);
  curl_easy_setopt(e, CURLOPT_SOCKOPTDATA, conexao);
  curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(e, CURLOPT_READFUNCTION, &LeParaEnvio);
  if (c.TLS) curl_easy_setopt(e, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  if (!c.Usuario.empty()) {
    curl_easy_setopt(e, CURLOPT_USERNAME, c.Usuario.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, c.Senha.c_str());
  }
}

}  // namespace

std::vector<std::string> EnderecosEmail(const std::string& campo, const std::string& quem) {
  std::vector<std::string> out;
  std::string lista = campo;
  for (char& c : lista)
    if (c == ',') c = ';';
  for (const std::string& parte : Split(lista, ';')) {
    // A control character is refused wherever it stands, also where trimming would drop it.
    const std::string e = TemControle(parte) ? parte : Trim(parte);
    if (e.empty()) continue;
    const std::string defeito = DefeitoEndereco(e);
    if (!defeito.empty())
      throw ECorreio("O endereço de e-mail " + quem + " (\"" + Visivel(campo) + "\") não foi aceito: \"" + Visivel(e) +
                     "\" " + defeito + ". Corrija o cadastro; nada foi gravado nem enviado.");
    out.push_back(e);
  }
  return out;
}

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
  const TEnvelope env = Envelope(m);
  std::vector<TAnexoLido> anexos;
  for (const std::string& a : m.Anexos) anexos.push_back({fs::path(a).filename().string(), LeAnexo(a)});
  const std::string fronteira = "=_vyn_" + Aleatorio();
  std::string eml;
  eml += "Date: " + DataRFC5322() + kFimDeLinha;
  if (!env.De.empty()) eml += "From: <" + env.De + ">" + kFimDeLinha;
  if (!env.Para.empty()) eml += "To: " + Enderecos(m.NomeDestinatario, env.Para) + kFimDeLinha;
  eml += "Subject: " + TextoCabecalho(m.Assunto) + kFimDeLinha;
  eml += "Message-ID: <" + Aleatorio() + "@integracao>" + kFimDeLinha;
  eml += kCabecalhoImpressao + Impressao(env.Para, m, anexos) + kFimDeLinha;
  eml += std::string("MIME-Version: 1.0") + kFimDeLinha;
  eml += "Content-Type: multipart/mixed; boundary=\"" + fronteira + "\"" + kFimDeLinha + kFimDeLinha;
  eml += "--" + fronteira + kFimDeLinha;
  eml += std::string("Content-Type: text/plain; charset=UTF-8") + kFimDeLinha +
         "Content-Transfer-Encoding: base64" + kFimDeLinha + kFimDeLinha + Base64EmLinhas(m.Corpo);
  for (const TAnexoLido& anexo : anexos) eml += "--" + fronteira + kFimDeLinha + ParteAnexo(anexo);
  eml += "--" + fronteira + "--" + kFimDeLinha;
  return eml;
}

void EnviaSMTP(const TConfiguracaoSMTP& c, const TMensagemEmail& m, const std::string& eml) {
  const int porta = c.Porta > 0 ? c.Porta : 25;
  const bool tlsDireto = c.TLS && porta == 465;
  if (!c.Usuario.empty() && !c.TLS)
    throw ECorreio(fmt::format("A configuração de e-mail do servidor {}:{} tem usuário e senha e não usa conexão segura: "
                               "a senha não é enviada sem criptografia. Marque a "
                               "conexão segura na configuração de e-mail do módulo (BDTLS = 'TRUE' em TMODULO_SMTP: "
                               "STARTTLS, ou TLS desde o início na porta 465).",
                               c.Servidor, porta),
                   true);
  VerificaInterrupcao();
  const TEnvelope env = Envelope(m);
  const std::string url = fmt::format("{}://{}:{}", tlsDireto ? "smtps" : "smtp", c.Servidor, porta);
  TConexao conexao;   // outlives the handle whose callbacks name it
  std::unique_ptr<CURL, void (*)(CURL*)> h(curl_easy_init(), &curl_easy_cleanup);
  if (!h) throw ECorreio("Não foi possível preparar o envio de e-mail.", true);
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> para(nullptr, &curl_slist_free_all);
  for (const std::string& p : env.Para) para.reset(curl_slist_append(para.release(), ("<" + p + ">").c_str()));
  char erro[CURL_ERROR_SIZE] = {};
  TLeitura leitura{eml};
  CURL* e = h.get();
  ConfiguraEnvio(e, c, url, erro, &conexao);
  const std::string de = "<" + env.De + ">";
  curl_easy_setopt(e, CURLOPT_MAIL_FROM, de.c_str());
  curl_easy_setopt(e, CURLOPT_MAIL_RCPT, para.get());
  curl_easy_setopt(e, CURLOPT_READDATA, &leitura);
  curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(eml.size()));
  const CURLcode rc = Executa(e);
  if (rc == CURLE_OK) return;
  if (SinalInterrupcao() != 0) throw EInterrupcao(SinalInterrupcao());
  long resposta = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &resposta);
  const std::string motivo = *erro ? erro : curl_easy_strerror(rc);
  throw ECorreio(fmt::format("A mensagem \"{}\" para {} não foi enviada pelo servidor de e-mail {}:{}: {}{}", m.Assunto,
                             Join(env.Para, ", "), c.Servidor, porta, motivo,
                             resposta > 0 ? fmt::format(" (resposta {})", resposta) : ""),
                 !RecusaDaMensagem(rc, resposta));
}

TEmailGravado EnviaEmail(const TConfiguracaoSMTP& c, const std::string& caixaSaida, const std::string& nome,
                         TMensagemEmail m) {
  if (m.Remetente.empty()) m.Remetente = c.Remetente;
  if (c.Configurado() && Trim(m.Destinatario).empty())
    throw ECorreio("A mensagem \"" + m.Assunto + "\" não foi enviada: " +
                   (m.NomeDestinatario.empty() ? "o destinatário" : m.NomeDestinatario) +
                   " não tem endereço de e-mail cadastrado.");
  if (c.Configurado() && m.Remetente.empty())
    throw ECorreio("A mensagem \"" + m.Assunto + "\" não foi enviada: a configuração de e-mail do servidor " +
                       c.Servidor + " não tem remetente.",
                   true);
  const std::string eml = MontaMensagemEml(m);
  const fs::path enviadas = fs::path(caixaSaida).parent_path() / "enviadas";
  const size_t i = eml.find(kCabecalhoImpressao) + std::strlen(kCabecalhoImpressao);
  const std::string impressao = eml.substr(i, eml.find(kFimDeLinha, i) - i);
  if (c.Configurado()) {
    const std::vector<std::string> anteriores = ComImpressao(enviadas, impressao);
    if (!anteriores.empty()) {
      RemoveTentativas(caixaSaida, impressao);
      return {anteriores.front(), TSituacaoEmail::JaEnviada};
    }
  }
  std::error_code ec;
  fs::create_directories(caixaSaida, ec);
  const std::string limpo = fEliminaCaracteresEspeciais(nome);
  const std::string arquivo = GravaExclusivo(caixaSaida, limpo, eml);
  if (!c.Configurado()) return {arquivo, TSituacaoEmail::NaCaixaDeSaida};
  EnviaSMTP(c, m, eml);
  const std::string enviada = MoveParaEnviadas(arquivo, enviadas, limpo, eml);
  if (enviada != arquivo) RemoveTentativas(caixaSaida, impressao);
  return {enviada, TSituacaoEmail::Enviada};
}

}  // namespace vyn
