#include "framework/web/nibo_client.h"

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/web/fila_importacao_ef.h"
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
  const std::string guardado = r.Value(0, "BDCLIENTSECRET").AsString();
  const auto& decifra = ProcessContext().DecifraSenha;
  d.ClientSecret = decifra ? decifra(guardado) : guardado;
  return d;
}

void THTTP_Nibo::Falha(const std::string& texto, bool tentarDeNovo) {
  erro_ = tentarDeNovo;
  FMensagem = texto;
}

void THTTP_Nibo::Execute() {
  erro_ = false;
  FMensagem.clear();
  FPossuiImportacao = false;
  ArquivoTempExtraido.clear();
  ListaNotasNFS.reset();
  if (Trim(FIdEmpresaNibo).empty()) return Falha("Empresa " + std::to_string(FCodigoEmpresa) + " sem identificação no Nibo.", false);
  if (DadosOAuth2.Codigo == 0) return Falha("Escritório sem credenciais de acesso ao Nibo (OAuth2).", false);

  std::vector<std::string> segredos = {DadosOAuth2.ClientSecret};
  THTTPVYN http(nullptr, true);
  http.ReadTimeout = ReadTimeout;
  std::string token;
  // Answers one request's body; false when the attempt ended (FMensagem says why).
  auto pede = [&](const std::string& metodo, const std::string& caminho, const std::string& corpo,
                  std::string& resposta) -> bool {
    try {
      http.Request.CustomHeaders.Clear();
      http.Request.ContentType = "application/json";
      if (!token.empty()) http.Request.CustomHeaders.AddValue("Authorization", "Bearer " + token);
      resposta = metodo == "POST" ? http.Post(caminho, corpo) : http.Get(caminho);
    } catch (const EHTTPError& e) {
      Falha(MaskSecrets(std::string("Falha de comunicação com o Nibo: ") + e.what(), segredos), true);
      return false;
    }
    const int status = http.ResponseCode();
    if (status == 200) return true;
    const std::string texto = MaskSecrets(MensagemDe(resposta), segredos);
    if (status == 429 || status >= 500)
      Falha("Falha de comunicação com o Nibo: " + std::to_string(status) + " - " + texto, true);
    else
      Falha("O Nibo recusou o acesso: " + std::to_string(status) + " - " + texto, false);
    return false;
  };
  auto le = [&](const std::string& resposta, nlohmann::json& j) -> bool {
    try {
      j = nlohmann::json::parse(resposta);
      if (j.is_object()) return true;
    } catch (const nlohmann::json::exception&) {
    }
    Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    return false;
  };

  http.SetBaseURL(TServiceConfig("NIBO", ProcessContext().Database).BaseURL());
  std::string resposta;
  nlohmann::json j;
  const nlohmann::json pedido = {{"grant_type", "client_credentials"},
                                 {"client_id", DadosOAuth2.ClientId},
                                 {"client_secret", DadosOAuth2.ClientSecret}};
  if (!pede("POST", "/oauth/token", pedido.dump(), resposta) || !le(resposta, j)) return;
  if (!j.contains("access_token") || !j["access_token"].is_string() || j["access_token"].get<std::string>().empty())
    return Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
  token = j["access_token"].get<std::string>();
  segredos.push_back(token);

  const std::string empresa = "/empresas/" + CodificaURL(FIdEmpresaNibo);
  const fs::path pasta = DirArquivoTempExtrair.empty() ? fs::path(ProcessContext().ProgramFolder) / "temp"
                                                       : fs::path(DirArquivoTempExtrair);
  if (impContab_) {
    if (!pede("GET", empresa + "/lancamentos-contabeis?referencia=" + CodificaURL(FReferencia) + "&documento=" +
                         CodificaURL(FDocumento), "", resposta) ||
        !le(resposta, j))
      return;
    if (!j.contains("arquivo") || !j["arquivo"].is_string())
      return Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    const std::string texto = j["arquivo"].get<std::string>();
    if (!Trim(texto).empty()) {
      fs::create_directories(pasta);
      const fs::path p = pasta / ("NIBO_" + TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt"));
      Grava(p, texto);
      ArquivoTempExtraido = p.string();
      FPossuiImportacao = true;
    }
  }
  if (impServ_) {
    if (!pede("GET", empresa + "/notas-servico?referencia=" + CodificaURL(FReferencia), "", resposta) || !le(resposta, j))
      return;
    if (!j.contains("notas") || !j["notas"].is_array())
      return Falha("Falha de comunicação com o Nibo: resposta inválida do serviço.", true);
    std::vector<std::string> arquivos;
    if (!j["notas"].empty()) {
      const fs::path dir = pasta / ("NIBO_NFSE_" + TAcessoExclusivo::fNomeArqTemp_Exclusivo(""));
      try {
        fs::create_directories(dir);
        int ordem = 0;
        for (const auto& n : j["notas"]) {
          ++ordem;
          const std::string numero =
              n.contains("numero") && n["numero"].is_string() ? n["numero"].get<std::string>() : "";
          const std::string xml = n.contains("xml") && n["xml"].is_string() ? n["xml"].get<std::string>() : "";
          fs::path p = dir / (NomeSeguro(numero, ordem) + ".xml");
          if (fs::exists(p)) p = dir / (NomeSeguro(numero, ordem) + "_" + std::to_string(ordem) + ".xml");
          Grava(p, xml);
          arquivos.push_back(p.string());
        }
        if (tarvo_) {
          TDatabase& db = Banco(nullptr);
          for (const auto& a : arquivos) EnfileiraDocumentoEF(db, FCodigoEmpresa, tdNFSe, TipNibo, a);
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
      FPossuiImportacao = true;
    }
    ListaNotasNFS = std::move(arquivos);
  }
}

}  // namespace vyn
