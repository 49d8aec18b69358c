#include "framework/web/nibo_client.h"

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/livros/fila_importacao_ef.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"
#include "framework/web/url_encode.h"

namespace vyn {

namespace fs = std::filesystem;

namespace {

TDatabase& Banco(TDatabase* db) {
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados aberto.");
  return *db;
}

// A document number as a file name: letters, digits, '-' and '_' only.
std::string NomeSeguro(const std::string& s, int ordem) {
  std::string out;
  for (unsigned char c : s)
    if (std::isalnum(c) || c == '-' || c == '_') out += static_cast<char>(c);
  return out.empty() ? "nota_" + std::to_string(ordem) : out;
}

std::string TextoMembro(const nlohmann::json& j, const char* nome) {
  return j.contains(nome) && j[nome].is_string() ? Trim(j[nome].get<std::string>()) : std::string();
}

// The note's identity in the fiscal queue (the column holds 100 characters): a cancellation is another
// document than the note it cancels, so that it reaches the fiscal books too.
std::string IdentificadorNota(const nlohmann::json& n) {
  std::string id = TextoMembro(n, "chave");
  if (id.empty() && !TextoMembro(n, "id").empty()) id = "nibo:" + TextoMembro(n, "id");
  if (!id.empty() && SameText(TextoMembro(n, "situacao"), "cancelada")) id = "cancelada:" + id;
  return Utf8Left(id, 100);
}

void Grava(const fs::path& p, const std::string& texto) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(texto.data(), static_cast<std::streamsize>(texto.size()));
  out.close();
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + p.string());
}

// A message taken from a refusal's body; the body itself when it is not the protocol's.
std::string MensagemDe(const std::string& corpo) {
  try {
    const auto j = nlohmann::json::parse(corpo);
    if (j.is_object() && j.contains("message") && j["message"].is_string()) return j["message"].get<std::string>();
  } catch (const nlohmann::json::exception&) {
  }
  return corpo.substr(0, 500);
}

}  // namespace

TDadosOAuth2 TOAUTH2MGR::CarregaPorID(const TComponent*, int codigo, TDatabase* db) {
  TDadosOAuth2 d;
  const TQueryResult r =
      Banco(db).QueryAll("SELECT BDCLIENTID, BDCLIENTSECRET FROM TOAUTH2 WHERE BDCODOAUTH2 = ?", {codigo});
  if (r.Rows.empty()) return d;
  d.Codigo = codigo;
  d.ClientId = r.Value(0, "BDCLIENTID").AsString();
  d.ClientSecret = TString_VYN(nullptr, r.Value(0, "BDCLIENTSECRET").AsString()).GetDescriptografa();
  return d;
}

void THTTP_Nibo::Falha(const std::string& texto, bool tentarDeNovo) {
  erro_ = tentarDeNovo;
  FMensagem = texto;
}

// The client, the token and the secrets of one run; every failed request or unreadable answer is
// recorded on the client component (Falha) and answered as false.
struct THTTP_Nibo::TSessao {
  THTTP_Nibo& dono;
  std::vector<std::string> segredos;
  THTTPVYN http{nullptr, true};
  std::string token;
  std::string resposta;
  nlohmann::json j;

  explicit TSessao(THTTP_Nibo& d) : dono(d), segredos{d.DadosOAuth2.ClientSecret} {
    http.ReadTimeout = d.ReadTimeout;
    http.SetBaseURL(TServiceConfig("NIBO", ProcessContext().Database).BaseURL());
  }

  bool Pede(const std::string& metodo, const std::string& caminho, const std::string& corpo) {
    try {
      http.Request.CustomHeaders.Clear();
      http.Request.ContentType = "application/json";
      if (!token.empty()) http.Request.CustomHeaders.AddValue("Authorization", "Bearer " + token);
      resposta = metodo == "POST" ? http.Post(caminho, corpo) : http.Get(caminho);
    } catch (const EHTTPError& e) {
      dono.Falha(MaskSecrets(std::string("Falha de comunicação com o Nibo: ") + e.what(), segredos), true);
      return false;
    }
    const int status = http.ResponseCode();
    if (status == 200) return true;
    const std::string texto = MaskSecrets(MensagemDe(resposta), segredos);
    if (status == 429 || status >= 500)
      dono.Falha("Falha de comunicação com o Nibo: " + std::to_string(status) + " - " + texto, true);
    else
      dono.Falha("O Nibo recusou o acesso: " + std::to_string(status) + " - " + texto, false);
    return false;
  }

  bool Le() {
    try {
      j = nlohmann::json::parse(resposta);
      if (j.is_object()) return true;
    } catch (const nlohmann::json::exception&) {
    }
    dono.Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    return false;
  }

  // The request and its answer read into j.
  bool PedeJson(const std::string& metodo, const std::string& caminho, const std::string& corpo) {
    return Pede(metodo, caminho, corpo) && Le();
  }
};

bool THTTP_Nibo::Autentica(TSessao& s) {
  const nlohmann::json pedido = {{"grant_type", "client_credentials"},
                                 {"client_id", DadosOAuth2.ClientId},
                                 {"client_secret", DadosOAuth2.ClientSecret}};
  if (!s.PedeJson("POST", "/oauth/token", pedido.dump())) return false;
  const nlohmann::json& j = s.j;
  if (!j.contains("access_token") || !j["access_token"].is_string() || j["access_token"].get<std::string>().empty()) {
    Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    return false;
  }
  s.token = j["access_token"].get<std::string>();
  s.segredos.push_back(s.token);
  return true;
}

bool THTTP_Nibo::ImportaLancamentos(TSessao& s, const std::string& empresa, const fs::path& pasta) {
  if (!s.PedeJson("GET", empresa + "/lancamentos-contabeis?referencia=" + CodificaURL(FReferencia) + "&documento=" +
                             CodificaURL(FDocumento), ""))
    return false;
  const nlohmann::json& j = s.j;
  if (!j.contains("arquivo") || !j["arquivo"].is_string()) {
    Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    return false;
  }
  const std::string texto = j["arquivo"].get<std::string>();
  if (!Trim(texto).empty()) {
    fs::create_directories(pasta);
    const fs::path p = pasta / ("NIBO_" + TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt"));
    Grava(p, texto);
    ArquivoTempExtraido = p.string();
    FPossuiImportacao = true;
  }
  return true;
}

std::vector<std::string> THTTP_Nibo::GravaNotas(const nlohmann::json& notas, const fs::path& dir) {
  std::vector<std::string> arquivos;
  try {
    fs::create_directories(dir);
    int ordem = 0;
    for (const auto& n : notas) {
      ++ordem;
      const std::string numero = n.contains("numero") && n["numero"].is_string() ? n["numero"].get<std::string>() : "";
      const std::string xml = n.contains("xml") && n["xml"].is_string() ? n["xml"].get<std::string>() : "";
      fs::path p = dir / (NomeSeguro(numero, ordem) + ".xml");
      if (fs::exists(p)) p = dir / (NomeSeguro(numero, ordem) + "_" + std::to_string(ordem) + ".xml");
      Grava(p, xml);
      arquivos.push_back(p.string());
      IdentificadoresNotasNFS.push_back(IdentificadorNota(n));
    }
    if (tarvo_) {
      TDatabase& db = Banco(nullptr);
      for (size_t i = 0; i < arquivos.size(); ++i)
        if (EnfileiraDocumentoEF(db, FCodigoEmpresa, tdNFSe, TipNibo, arquivos[i], IdentificadoresNotasNFS[i]))
          ++NotasEnfileiradas;
    }
  } catch (...) {
    std::error_code ec;
    fs::remove_all(dir, ec);
    throw;
  }
  // The queue holds the documents' content now: in a scheduled run the files were only the way
  // there, and nobody else will ever read them.
  if (tarvo_) {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return arquivos;
}

void THTTP_Nibo::ImportaNotasServico(TSessao& s, const std::string& empresa, const fs::path& pasta) {
  if (!s.PedeJson("GET", empresa + "/notas-servico?referencia=" + CodificaURL(FReferencia), "")) return;
  const nlohmann::json& j = s.j;
  if (!j.contains("notas") || !j["notas"].is_array())
    return Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
  std::vector<std::string> arquivos;
  if (!j["notas"].empty()) {
    arquivos = GravaNotas(j["notas"], pasta / ("NIBO_NFSE_" + TAcessoExclusivo::fNomeArqTemp_Exclusivo("")));
    FPossuiImportacao = true;
  }
  ListaNotasNFS = std::move(arquivos);
}

void THTTP_Nibo::Execute() {
  erro_ = false;
  FMensagem.clear();
  FPossuiImportacao = false;
  NotasEnfileiradas = 0;
  ArquivoTempExtraido.clear();
  ListaNotasNFS.reset();
  IdentificadoresNotasNFS.clear();
  if (Trim(FIdEmpresaNibo).empty()) return Falha("Empresa " + std::to_string(FCodigoEmpresa) + " sem identificação no Nibo.", false);
  if (DadosOAuth2.Codigo == 0) return Falha("Escritório sem credenciais de acesso ao Nibo (OAuth2).", false);

  TSessao sessao(*this);
  if (!Autentica(sessao)) return;
  const std::string empresa = "/empresas/" + CodificaURL(FIdEmpresaNibo);
  const fs::path pasta = DirArquivoTempExtrair.empty() ? fs::path(ProcessContext().ProgramFolder) / "temp"
                                                       : fs::path(DirArquivoTempExtrair);
  if (impContab_ && !ImportaLancamentos(sessao, empresa, pasta)) return;
  if (impServ_) ImportaNotasServico(sessao, empresa, pasta);
}

}  // namespace vyn
