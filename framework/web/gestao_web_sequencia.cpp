#include "framework/web/gestao_web_sequencia.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "framework/component/process_context.h"
#include "framework/web/http_vyn.h"
#include "framework/web/service_config.h"

namespace vyn {

namespace {

std::string Base64(const std::string& in) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned n = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    out += {t[(n >> 18) & 63], t[(n >> 12) & 63], t[(n >> 6) & 63], t[n & 63]};
  }
  if (i + 1 == in.size()) {
    unsigned n = static_cast<unsigned char>(in[i]) << 16;
    out += {t[(n >> 18) & 63], t[(n >> 12) & 63], '=', '='};
  } else if (i + 2 == in.size()) {
    unsigned n = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8);
    out += {t[(n >> 18) & 63], t[(n >> 12) & 63], t[(n >> 6) & 63], '='};
  }
  return out;
}

// The portal's own message, or the status when it gave none.
std::string Mensagem(THTTPVYN& http, const std::string& body) {
  auto j = nlohmann::json::parse(body, nullptr, false);
  if (j.is_object() && j.contains("mensagem") && j["mensagem"].is_string()) return j["mensagem"].get<std::string>();
  return "HTTP " + std::to_string(http.ResponseCode());
}

}  // namespace

std::string TGestaoWebSequencia::BaseURL() const {
  if (!baseURL_.empty()) return baseURL_;
  return TServiceConfig("VYNREPORT_SEQUENCIA", ProcessContext().Database).BaseURL();
}

bool TGestaoWebSequencia::EnviaRelatorioNuvem(bool enviarEmail) {
  Erro.clear();
  try {
    std::ifstream f(Arquivo, std::ios::binary);
    if (!f) {
      Erro = "Arquivo não encontrado: " + Arquivo;
      return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    nlohmann::ordered_json body = {{"usuario", Usuario},
                                   {"relatorio", ChaveRelatorio},
                                   {"descricao", Descricao},
                                   {"arquivo", std::filesystem::path(Arquivo).filename().string()},
                                   {"enviarEmail", enviarEmail},
                                   {"conteudo", Base64(ss.str())}};
    THTTPVYN http(nullptr, false);
    http.SetBaseURL(BaseURL());
    http.Request.ContentType = "application/json";
    const std::string resposta = http.Post("/sequencias/publicacoes", body.dump());
    if (http.ResponseCode() / 100 != 2) {
      Erro = Mensagem(http, resposta);
      return false;
    }
    ++publicados_;
    return true;
  } catch (const std::exception& e) {
    Erro = e.what();
    return false;
  }
}

bool TGestaoWebSequencia::EnviaAvisoVYNReport(std::string& texto) {
  try {
    nlohmann::ordered_json body = {{"usuario", Usuario}, {"publicacoes", publicados_}};
    THTTPVYN http(nullptr, false);
    http.SetBaseURL(BaseURL());
    http.Request.ContentType = "application/json";
    const std::string resposta = http.Post("/sequencias/avisos", body.dump());
    texto = Mensagem(http, resposta);
    publicados_ = 0;
    return http.ResponseCode() / 100 == 2;
  } catch (const std::exception& e) {
    texto = e.what();
    return false;
  }
}

}  // namespace vyn
