// The journey suite: each JSON file of this folder is a user's road through the shipped host, run on
// a fresh demonstration database with loopback fakes for the web peers, then checked in the
// database. One test per file, Journey.<file name>; the format is in README.md beside this file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <zip.h>

#include "framework/data/fb_database.h"
#include "host/journeys/ledger_invariants.h"
#include "testing/fake_http_server.h"
#include "testing/fake_smtp_server.h"
#include "testing/processo_host.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using TSaida = vyn::TSaidaProcesso;

// A package of parts ({"zip": {"xl/workbook.xml": "<workbook>...", ...}}): a workbook as a
// spreadsheet program saves it.
void EscrevePacote(const fs::path& arquivo, const json& partes) {
  int erro = 0;
  zip_t* z = zip_open(arquivo.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &erro);
  ASSERT_NE(z, nullptr) << arquivo;
  std::vector<std::string> textos;
  textos.reserve(partes.size());
  for (const auto& [nome, texto] : partes.items()) {
    textos.push_back(texto.get<std::string>());
    zip_source_t* src = zip_source_buffer(z, textos.back().data(), textos.back().size(), 0);
    ASSERT_GE(zip_file_add(z, nome.c_str(), src, ZIP_FL_OVERWRITE), 0) << nome;
  }
  ASSERT_EQ(zip_close(z), 0) << arquivo;
}

// Replaces every "{key}" of the journey's text with its value.
std::string Substitui(std::string t, const std::map<std::string, std::string>& valores) {
  for (const auto& [chave, valor] : valores) {
    const std::string marca = "{" + chave + "}";
    for (size_t p = t.find(marca); p != std::string::npos; p = t.find(marca, p + valor.size()))
      t.replace(p, marca.size(), valor);
  }
  return t;
}

// UTF-8 text as WIN1252 bytes; the journeys' accented letters are all in the Latin-1 range, where
// both agree. Anything else fails the journey.
std::string EmWin1252(const std::string& utf8) {
  std::string r;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      r += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      r += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      ADD_FAILURE() << "a WIN1252 journey file holds a character outside Latin-1";
      return r;
    }
  }
  return r;
}

// Runs the host with args and extra environment, its output in host.out and host.err of dir.
TSaida Executa(const std::vector<std::string>& args, const std::map<std::string, std::string>& ambiente,
               const fs::path& dir) {
  return vyn::ExecutaPrograma(INTEGRACAO_HOST_EXE, args, ambiente, dir, "host");
}

vyn::TFakeResponse Resposta(const json& r) {
  const json corpo = r.value("body", json(""));
  vyn::TFakeResponse resposta(r.value("status", 200), corpo.is_string() ? corpo.get<std::string>() : corpo.dump(),
                              r.value("content_type", std::string("application/json")));
  const json cabecalhos = r.value("headers", json::object());
  for (const auto& [k, v] : cabecalhos.items()) resposta.Headers.emplace_back(k, v.get<std::string>());
  resposta.CutOff = r.value("cut_off", false);
  return resposta;
}

// One fake per web service named in "fakes"; its URL goes to the host as INTEGRACAO_<SERVICE>_URL.
std::map<std::string, std::unique_ptr<vyn::TFakeHttpServer>> SobeFakes(const json& jornada,
                                                                       std::map<std::string, std::string>& ambiente) {
  std::map<std::string, std::unique_ptr<vyn::TFakeHttpServer>> fakes;
  for (const json& f : jornada.value("fakes", json::array())) {
    const std::string servico = f.at("service").get<std::string>();
    auto fake = std::make_unique<vyn::TFakeHttpServer>(std::chrono::seconds(600));
    for (const json& rota : f.value("routes", json::array())) {
      const std::string metodo = rota.value("method", std::string("GET")), caminho = rota.at("path");
      if (rota.contains("answers")) {
        std::vector<vyn::TFakeResponse> respostas;
        for (const json& r : rota.at("answers")) respostas.push_back(Resposta(r));
        fake->OnSequence(metodo, caminho, std::move(respostas));
      } else {
        fake->On(metodo, caminho, Resposta(rota));
      }
    }
    ambiente["INTEGRACAO_" + servico + "_URL"] = fake->BaseURL();
    fakes[servico] = std::move(fake);
  }
  return fakes;
}

// The loopback SMTP server of "smtp": {"refuse": [addresses answered 550], "mute": "greeting" or
// "data"}; its port is {smtp}.
std::unique_ptr<vyn::TFakeSmtpServer> SobeSmtp(const json& jornada) {
  if (!jornada.contains("smtp")) return nullptr;
  auto smtp = std::make_unique<vyn::TFakeSmtpServer>();
  const json& c = jornada.at("smtp");
  for (const json& e : c.value("refuse", json::array())) smtp->RecusaDestinatario(e.get<std::string>());
  const std::string mudo = c.value("mute", std::string());
  smtp->Silencia(mudo == "greeting" ? vyn::TSilencioSmtp::Cumprimento
                 : mudo == "data"   ? vyn::TSilencioSmtp::FimDosDados
                                    : vyn::TSilencioSmtp::Nenhum);
  return smtp;
}

// "smtp_received": [{"to": "a@x", "count": 1, "contains": [...], "lacks": [...]}]: the messages the
// server took for that recipient; "smtp_commands_lack": texts no command the server got may hold.
void VerificaSmtp(const vyn::TFakeSmtpServer* smtp, const json& j) {
  if (!j.contains("smtp_received") && !j.contains("smtp_commands_lack")) return;
  ASSERT_NE(smtp, nullptr) << "a jornada não tem \"smtp\"";
  const std::vector<std::string> comandos = smtp->Comandos();
  std::string todos;
  for (const std::string& c : comandos) todos += "  " + c + "\n";
  for (const json& t : j.value("smtp_commands_lack", json::array()))
    for (const std::string& c : comandos)
      EXPECT_EQ(c.find(t.get<std::string>()), std::string::npos) << t << "\ncomandos:\n" << todos;
  for (const json& e : j.value("smtp_received", json::array())) {
    int n = 0;
    for (const vyn::TFakeSmtpMessage& m : smtp->Mensagens()) {
      if (std::find(m.To.begin(), m.To.end(), e.at("to").get<std::string>()) == m.To.end()) continue;
      ++n;
      for (const json& t : e.value("contains", json::array()))
        EXPECT_NE(m.Data.find(t.get<std::string>()), std::string::npos) << t << "\n" << m.Data;
      for (const json& t : e.value("lacks", json::array()))
        EXPECT_EQ(m.Data.find(t.get<std::string>()), std::string::npos) << t << "\n" << m.Data;
    }
    EXPECT_EQ(n, e.value("count", 1)) << e.dump() << "\ncomandos:\n" << todos;
  }
}

// A value of the database against the journey's expectation: null, a number (compared as a
// number, so "1500.00" is 1500) or a text.
bool Igual(const vyn::Variant& real, const json& esperado) {
  if (esperado.is_null()) return real.IsNull();
  if (real.IsNull()) return false;
  const std::string texto = real.AsString();
  if (esperado.is_number()) {
    try {
      return std::fabs(std::stod(texto) - esperado.get<double>()) < 1e-9;
    } catch (const std::exception&) {
      return false;
    }
  }
  if (esperado.is_boolean()) return texto == (esperado.get<bool>() ? "1" : "0");
  return texto == esperado.get<std::string>();
}

std::string Mostra(const vyn::TQueryResult& r) {
  std::string t;
  for (const auto& linha : r.Rows) {
    t += "  [";
    for (size_t i = 0; i < linha.size(); ++i) t += (i ? ", " : "") + (linha[i].IsNull() ? "null" : linha[i].AsString());
    t += "]\n";
  }
  return t.empty() ? "  (nenhuma linha)\n" : t;
}

void Verifica(vyn::TDatabase& db, const json& assercao) {
  const std::string sql = assercao.at("sql");
  if (assercao.contains("refused")) {   // a write another program makes, which the database must refuse
    const std::string motivo = assercao.at("refused");
    try {
      vyn::TTransaction t(db);   // rolled back whatever comes of it
      db.Execute(sql);
      ADD_FAILURE() << "aceito: " << sql;
    } catch (const vyn::EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(motivo), std::string::npos) << sql << "\nrecusado com: " << e.what();
    }
    return;
  }
  const vyn::TQueryResult r = db.QueryAll(sql);
  const json& linhas = assercao.at("rows");
  bool ok = r.Rows.size() == linhas.size();
  for (size_t i = 0; ok && i < linhas.size(); ++i) {
    ok = linhas[i].size() == r.Rows[i].size();
    for (size_t j = 0; ok && j < linhas[i].size(); ++j) ok = Igual(r.Rows[i][j], linhas[i][j]);
  }
  EXPECT_TRUE(ok) << sql << "\nesperado: " << linhas.dump() << "\nobtido:\n" << Mostra(r);
}

void VerificaPedidos(const std::map<std::string, std::unique_ptr<vyn::TFakeHttpServer>>& fakes, const json& p) {
  const std::string servico = p.at("service");
  ASSERT_TRUE(fakes.count(servico)) << "serviço sem fake: " << servico;
  int n = 0;
  std::string recebidos;
  for (const vyn::TFakeRequest& r : fakes.at(servico)->Requests()) {
    recebidos += "  " + r.Method + " " + r.Path + "\n";
    if (r.Method == p.value("method", r.Method) && r.Path == p.at("path").get<std::string>() &&
        r.Body.find(p.value("body_contains", std::string())) != std::string::npos)
      ++n;
  }
  EXPECT_EQ(n, p.value("count", 1)) << servico << " " << p.dump() << "\nrecebidos:\n" << recebidos;
}

// Writes the "files" of a journey or of one of its runs under the journey's folder. A file is its
// text, or {"text": ..., "encoding": "WIN1252"} for one saved in the Windows encoding, or a list of
// those, written one after the other (a file mixing encodings).
void EscreveArquivos(const json& j, const fs::path& dir, const std::map<std::string, std::string>& valores) {
  const json arquivos = j.value("files", json::object());
  for (const auto& [nome, conteudo] : arquivos.items()) {
    const fs::path p = dir / nome;
    fs::create_directories(p.parent_path());
    if (conteudo.is_object() && conteudo.contains("zip")) {
      EscrevePacote(p, conteudo.at("zip"));
      continue;
    }
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    for (const json& parte : conteudo.is_array() ? conteudo : json::array({conteudo})) {
      const bool win1252 = parte.is_object() && parte.value("encoding", "") == "WIN1252";
      const std::string texto =
          Substitui(parte.is_object() ? parte.at("text").get<std::string>() : parte.get<std::string>(), valores);
      out << (win1252 ? EmWin1252(texto) : texto);
    }
  }
}

// A file the run wrote (an export) and the texts it must hold.
void VerificaArquivo(const fs::path& arquivo, const json& textos) {
  std::ifstream in(arquivo, std::ios::binary);
  ASSERT_TRUE(in) << "arquivo não escrito: " << arquivo;
  const std::string conteudo(std::istreambuf_iterator<char>(in), {});
  for (const json& t : textos)
    EXPECT_NE(conteudo.find(t.get<std::string>()), std::string::npos) << arquivo << ": " << t << "\n" << conteudo;
}

// Files of several roads that must hand over the same bytes, but for the lines each road writes its
// own way (those starting with one of "except_lines").
void VerificaIguais(const fs::path& dir, const json& grupo) {
  std::vector<std::string> fora;
  for (const json& p : grupo.value("except_lines", json::array())) fora.push_back(p.get<std::string>());
  std::string primeiro;
  std::string referencia;
  for (const json& nome : grupo.at("files")) {
    std::ifstream in(dir / nome.get<std::string>(), std::ios::binary);
    ASSERT_TRUE(in) << "arquivo não escrito: " << nome;
    std::string linha, conteudo;
    while (std::getline(in, linha)) {
      bool omitida = false;
      for (const std::string& p : fora) omitida = omitida || linha.rfind(p, 0) == 0;
      if (!omitida) conteudo += linha + "\n";
    }
    if (primeiro.empty()) {
      primeiro = nome.get<std::string>();
      referencia = conteudo;
    } else {
      EXPECT_EQ(conteudo, referencia) << nome.get<std::string>() << " difere de " << primeiro;
    }
  }
}

void Corre(const json& run, size_t n, const std::string& db, std::map<std::string, std::string> valores,
           const std::map<std::string, std::string>& ambiente, const fs::path& dir, vyn::TFakeSmtpServer* smtp) {
  // "smtp_accept": addresses the server takes from this run on.
  // "smtp_mute": "greeting", "data" or "none" from this run on.
  for (const json& e : run.value("smtp_accept", json::array()))
    if (smtp) smtp->AceitaDestinatario(e.get<std::string>());
  if (smtp && run.contains("smtp_mute")) {
    const std::string mudo = run.at("smtp_mute");
    smtp->Silencia(mudo == "greeting" ? vyn::TSilencioSmtp::Cumprimento
                   : mudo == "data"   ? vyn::TSilencioSmtp::FimDosDados
                                      : vyn::TSilencioSmtp::Nenhum);
  }
  if (n > 1) EscreveArquivos(run, dir, valores);   // the journey's own files came before the first run
  if (n > 1 && run.contains("setup")) {            // what another program changed between two runs
    vyn::TDatabase banco;
    banco.Open(db);
    for (const json& s : run.at("setup")) banco.Execute(Substitui(s.get<std::string>(), valores));
  }
  if (run.contains("script")) std::ofstream(valores["script"]) << Substitui(run.at("script").dump(2), valores);
  std::vector<std::string> args = {"--db", db};
  for (const json& a : run.at("host")) args.push_back(Substitui(a.get<std::string>(), valores));
  // "interrupt": {"signal": "TERM", "after": "text"}: the user stops the host once its output shows
  // the text.
  // "after_smtp_connection": true instead of "after": once this run reached the mail server; "within_ms":
  // the host must end that soon after the signal.
  const json interrompe = run.value("interrupt", json());
  TSaida r;
  if (interrompe.is_object()) {
    const int sinal = interrompe.value("signal", std::string("TERM")) == "INT" ? SIGINT : SIGTERM;
    const std::string depois = Substitui(interrompe.value("after", std::string()), valores);
    std::function<bool()> pronto = [&] {
      return vyn::LeArquivoTexto(dir / "host.out").find(depois) != std::string::npos ||
             vyn::LeArquivoTexto(dir / "host.err").find(depois) != std::string::npos;
    };
    const int conexoesAntes = smtp ? smtp->Conexoes() : 0;
    if (interrompe.value("after_smtp_connection", false))
      pronto = [smtp, conexoesAntes] { return smtp && smtp->Conexoes() > conexoesAntes; };
    r = vyn::ExecutaProgramaInterrompendoQuando(INTEGRACAO_HOST_EXE, args, ambiente, dir, "host", pronto, sinal);
    if (interrompe.contains("within_ms")) {
      EXPECT_LE(r.MsAposSinal, interrompe.at("within_ms").get<int>()) << "o host demorou a atender o sinal";
    }
  } else {
    r = Executa(args, ambiente, dir);
  }
  const std::string saida = "execução " + std::to_string(n) + "\nsaída:\n" + r.Out + "\nerros:\n" + r.Err;
  EXPECT_EQ(r.Status, run.value("exit", 0)) << saida;
  for (const json& t : run.value("out_contains", json::array()))
    EXPECT_NE(r.Out.find(t.get<std::string>()), std::string::npos) << t << "\n" << saida;
  for (const json& t : run.value("err_contains", json::array()))
    EXPECT_NE(r.Err.find(t.get<std::string>()), std::string::npos) << t << "\n" << saida;
}

class TJornada : public ::testing::Test {
 public:
  explicit TJornada(fs::path arquivo) : arquivo_(std::move(arquivo)) {}
  void TestBody() override;

 private:
  fs::path arquivo_;
};

// What the ledger must never hold after a run, beyond what the journey's own setup put there.
void VerificaInvariantes(const std::string& db, const integracao_host::TInvariantesRazao::TViolacoes& antes,
                         size_t corrida) {
  vyn::TDatabase banco;
  banco.Open(db);
  const std::string novas = integracao_host::TInvariantesRazao::Novas(antes, integracao_host::TInvariantesRazao::Le(banco));
  EXPECT_EQ(novas, "") << "execução " << corrida << " deixou o razão inconsistente:\n" << novas;
}

void TJornada::TestBody() {
  const json j = json::parse(std::ifstream(arquivo_));
  const fs::path dir = fs::temp_directory_path() / ("journey_" + std::to_string(::getpid()) + "_" + arquivo_.stem().string());
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string db = (dir / "empresa.fdb").string();
  std::map<std::string, std::string> valores = {{"db", db}, {"dir", dir.string()}, {"script", (dir / "script.json").string()}};
  std::vector<std::string> init = {"init", db, "--demo"};
  if (j.contains("referencia")) init.insert(init.end(), {"--referencia", std::to_string(j.at("referencia").get<int>())});
  const TSaida criado = Executa(init, {}, dir);
  ASSERT_EQ(criado.Status, 0) << criado.Err;
  std::map<std::string, std::string> ambiente;
  const auto fakes = SobeFakes(j, ambiente);
  for (const auto& [servico, fake] : fakes) valores["fake:" + servico] = fake->BaseURL();
  const auto smtp = SobeSmtp(j);
  if (smtp) valores["smtp"] = std::to_string(smtp->Port());
  {
    vyn::TDatabase banco;
    banco.Open(db);
    for (const json& s : j.value("setup", json::array())) banco.Execute(Substitui(s.get<std::string>(), valores));
  }
  EscreveArquivos(j, dir, valores);
  integracao_host::TInvariantesRazao::TViolacoes antes;
  {
    vyn::TDatabase banco;
    banco.Open(db);
    antes = integracao_host::TInvariantesRazao::Le(banco);
  }
  const json variaveis = j.value("env", json::object());
  for (const auto& [k, v] : variaveis.items()) ambiente[k] = Substitui(v.get<std::string>(), valores);
  // One run, or several in order ("runs"), each with its own command line, script and outcome.
  const json corridas = j.contains("runs") ? j.at("runs") : json::array({j});
  for (size_t i = 0; i < corridas.size(); ++i) {
    Corre(corridas[i], i + 1, db, valores, ambiente, dir, smtp.get());
    VerificaInvariantes(db, antes, i + 1);
  }
  for (const json& p : j.value("requests", json::array())) VerificaPedidos(fakes, p);
  VerificaSmtp(smtp.get(), j);
  const json conteudos = j.value("files_contain", json::object());
  for (const auto& [nome, textos] : conteudos.items()) {
    fs::path arquivo = dir / Substitui(nome, valores);
    // A name no file has is a pattern: a run's output named by the day it ran (a scheduled run's
    // month) is found by it, and it must match one file only.
    if (!fs::exists(arquivo)) {
      const std::regex re(Substitui(nome, valores));
      std::vector<fs::path> casam;
      for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && std::regex_match(fs::relative(e.path(), dir).string(), re)) casam.push_back(e.path());
      if (casam.size() == 1) arquivo = casam.front();
    }
    VerificaArquivo(arquivo, textos);
  }
  for (const json& grupo : j.value("files_equal", json::array())) VerificaIguais(dir, grupo);
  const json produzidos = j.value("files_out", json::object());
  for (const auto& [padrao, quantos] : produzidos.items()) {
    const std::regex re(padrao);
    int achados = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.is_regular_file() && std::regex_match(fs::relative(e.path(), dir).string(), re)) ++achados;
    EXPECT_EQ(achados, quantos.get<int>()) << "arquivos que casam com " << padrao;
  }
  {
    vyn::TDatabase banco;
    banco.Open(db);
    for (const json& a : j.value("assert", json::array())) Verifica(banco, a);
  }
  if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<fs::path> arquivos;
  for (const auto& e : fs::directory_iterator(INTEGRACAO_JOURNEYS_DIR))
    if (e.path().extension() == ".json") arquivos.push_back(e.path());
  std::sort(arquivos.begin(), arquivos.end());
  for (const fs::path& a : arquivos) {
    const std::string nome = a.stem().string();
    ::testing::RegisterTest("Journey", nome.c_str(), nullptr, nullptr, a.c_str(), 0,
                            [a]() -> ::testing::Test* { return new TJornada(a); });
  }
  return RUN_ALL_TESTS();
}
