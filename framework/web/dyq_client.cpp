#include "framework/web/dyq_client.h"

#include <algorithm>

#include "framework/component/component.h"
#include "framework/component/process_context.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"

namespace vyn {

namespace {
bool Sucesso(int status) { return status >= 200 && status < 300; }

std::string Booleano(bool b) { return b ? "true" : "false"; }

// The service's own message when it gave one, else the status. The message is the peer's text and
// may echo the request: the token and any secret-looking value are masked before it goes on.
std::string MensagemErro(int status, const std::string& body, const std::string& token) {
  try {
    auto j = nlohmann::json::parse(body);
    if (j.is_object() && j.contains("message") && j["message"].is_string())
      return "DYQ recusou a requisição (" + std::to_string(status) +
             "): " + MaskSecrets(j["message"].get<std::string>(), {token});
  } catch (const nlohmann::json::exception&) {
  }
  return "DYQ recusou a requisição (" + std::to_string(status) + ")";
}
}  // namespace

void TRetornaMetodoDYQ::Recusa(const Answer& a) {
  throw EDyqError(MensagemErro(a.Status, a.Body, a.Token), a.Status);
}

TRetornaMetodoDYQ::TRetornaMetodoDYQ() : Sleeper(RealSleeper()) {}

TRetornaMetodoDYQ::Answer TRetornaMetodoDYQ::Request(const std::string& method, const std::string& path,
                                                      const std::string* body, bool ambienteTeste) const {
  TServiceConfig config(ambienteTeste ? "DYQ_TESTE" : "DYQ", Database ? Database : ProcessContext().Database,
                        Ambiente);
  TComponent dono;
  auto* http = dono.Create<THTTPVYN>(false);
  http->SetBaseURL(config.BaseURL());
  http->Request.Accept = "application/json";
  http->Request.ContentType = "application/json";
  const std::string token = config.Token();
  http->Request.CustomHeaders.AddValue("Authorization", "Bearer " + token);
  http->OnLog = OnLog;
  // A screen waits on every call: a silent server must not hold it for a minute.
  http->ReadTimeout = config.Milliseconds("TIMEOUT_MS", kTempoLimiteDyqPadrao);
  http->ConnectTimeout = std::min(http->ConnectTimeout, http->ReadTimeout);
  TRetryOutcome r = RetryThrottled(
      *http, [&] { return method == "POST" ? http->Post(path, *body) : http->Get(path); }, Politica, Sleeper);
  return {r.Status, std::move(r.Body), token};
}

std::optional<nlohmann::ordered_json> TRetornaMetodoDYQ::GetExtratosEmpresa(TComponent*, int64_t empresa,
                                                                            int tipoBusca, bool ambienteTeste) const {
  Answer a = Request("GET",
                     "/extratos-liberados?empresa=" + std::to_string(empresa) + "&tipoBusca=" + std::to_string(tipoBusca),
                     nullptr, ambienteTeste);
  // Only 204 (or "null") means nothing released: a 404 is as likely a wrong address, and must not
  // show the user an empty list.
  if (a.Status == 204) return std::nullopt;
  if (!Sucesso(a.Status)) Recusa(a);
  nlohmann::ordered_json doc;
  try {
    doc = nlohmann::ordered_json::parse(a.Body);
  } catch (const nlohmann::json::exception&) {
    throw EDyqError("Resposta inválida do DYQ na busca de extratos liberados", a.Status);
  }
  if (doc.is_null()) return std::nullopt;
  if (!doc.is_object()) throw EDyqError("Resposta inválida do DYQ na busca de extratos liberados", a.Status);
  return doc;
}

void TRetornaMetodoDYQ::AlterarStatusRetornoLancamentosDYQ(TComponent*, int tipoRetorno,
                                                           const nlohmann::ordered_json& documento, bool ambienteTeste,
                                                           bool movimentoCaixa) const {
  nlohmann::ordered_json corpo;
  corpo["tipoRetorno"] = tipoRetorno;
  corpo["caixa"] = movimentoCaixa;
  corpo["documento"] = documento;
  const std::string texto = corpo.dump();
  Answer a = Request("POST", "/retornos", &texto, ambienteTeste);
  if (!Sucesso(a.Status)) Recusa(a);
}

nlohmann::json TRetornaMetodoDYQ::GetLancamentosExtrato(int64_t idExtrato, bool ambienteTeste,
                                                        bool movimentoCaixa) const {
  Answer a = Request("GET",
                     "/extratos/" + std::to_string(idExtrato) + "/lancamentos?caixa=" + Booleano(movimentoCaixa),
                     nullptr, ambienteTeste);
  if (!Sucesso(a.Status)) Recusa(a);
  try {
    auto doc = nlohmann::json::parse(a.Body);
    // Moved out: a statement's lines are its whole body, and a copy of them cost as much as a parse.
    if (doc.is_object() && doc.contains("lancamentos") && doc["lancamentos"].is_array())
      return std::move(doc["lancamentos"]);
  } catch (const nlohmann::json::exception&) {
  }
  throw EDyqError("Resposta inválida do DYQ nos lançamentos do extrato " + std::to_string(idExtrato), a.Status);
}

std::string TRetornaMetodoDYQ::GetExtratoPDF(int64_t idExtrato, bool ambienteTeste) const {
  Answer a = Request("GET", "/extratos/" + std::to_string(idExtrato) + "/pdf", nullptr, ambienteTeste);
  if (!Sucesso(a.Status)) Recusa(a);
  if (a.Body.rfind("%PDF", 0) != 0)
    throw EDyqError("O DYQ não devolveu um PDF para o extrato " + std::to_string(idExtrato), a.Status);
  return a.Body;
}

std::vector<TRetornaMetodoDYQ::TComprovante> TRetornaMetodoDYQ::GetComprovantesExtrato(int64_t idExtrato,
                                                                                      bool ambienteTeste) const {
  const std::string extrato = std::to_string(idExtrato);
  Answer a = Request("GET", "/extratos/" + extrato + "/comprovantes", nullptr, ambienteTeste);
  std::vector<TComprovante> out;
  if (a.Status == 204) return out;
  if (!Sucesso(a.Status)) Recusa(a);
  const std::string invalida = "Resposta inválida do DYQ nos comprovantes do extrato " + extrato;
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(a.Body);
  } catch (const nlohmann::json::exception&) {
    throw EDyqError(invalida, a.Status);
  }
  if (doc.is_null()) return out;
  if (!doc.is_object() || !doc.contains("comprovantes") || !doc["comprovantes"].is_array())
    throw EDyqError(invalida, a.Status);
  const auto& lista = doc["comprovantes"];
  if (lista.size() > kMaxComprovantesDyq)
    throw EDyqError("O DYQ listou " + std::to_string(lista.size()) + " comprovantes para o extrato " + extrato +
                        ", mais que os " + std::to_string(kMaxComprovantesDyq) + " aceitos.",
                    a.Status);
  for (const auto& c : lista) {
    if (!c.is_object() || !c.contains("id") || !c["id"].is_number_integer()) throw EDyqError(invalida, a.Status);
    TComprovante r;
    r.Id = c["id"].get<int64_t>();
    if (c.contains("nome") && c["nome"].is_string()) r.Nome = c["nome"].get<std::string>();
    out.push_back(std::move(r));
  }
  return out;
}

std::string TRetornaMetodoDYQ::GetComprovantePDF(int64_t idExtrato, int64_t idComprovante, bool ambienteTeste) const {
  Answer a = Request("GET", "/extratos/" + std::to_string(idExtrato) + "/comprovantes/" + std::to_string(idComprovante),
                     nullptr, ambienteTeste);
  if (!Sucesso(a.Status)) Recusa(a);
  if (a.Body.rfind("%PDF", 0) != 0)
    throw EDyqError("O DYQ não devolveu um PDF para o comprovante " + std::to_string(idComprovante), a.Status);
  return a.Body;
}

nlohmann::json TRetornaMetodoDYQ::GetPreparacoesExtrato(int64_t idExtrato, bool ambienteTeste) const {
  const std::string extrato = std::to_string(idExtrato);
  Answer a = Request("GET", "/extratos/" + extrato + "/preparacoes", nullptr, ambienteTeste);
  // The statement's own lines came from the same address: here a 404 is a statement without rules.
  if (a.Status == 204 || a.Status == 404) return nlohmann::json::array();
  if (!Sucesso(a.Status)) Recusa(a);
  const std::string invalida = "Resposta inválida do DYQ nas preparações do extrato " + extrato;
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(a.Body);
  } catch (const nlohmann::json::exception&) {
    throw EDyqError(invalida, a.Status);
  }
  if (doc.is_null()) return nlohmann::json::array();
  if (!doc.is_object() || !doc.contains("preparacoes") || !doc["preparacoes"].is_array())
    throw EDyqError(invalida, a.Status);
  if (doc["preparacoes"].size() > kMaxPreparacoesDyq)
    throw EDyqError("O DYQ listou " + std::to_string(doc["preparacoes"].size()) + " preparações para o extrato " +
                        extrato + ", mais que as " + std::to_string(kMaxPreparacoesDyq) + " aceitas.",
                    a.Status);
  return doc["preparacoes"];
}

void TRetornaMetodoDYQ::InformaPreparacoesImportadas(int64_t idExtrato, const std::vector<int64_t>& idsPreparacoes,
                                                     const std::string& usuario, bool ambienteTeste) const {
  nlohmann::ordered_json corpo;
  corpo["extratoId"] = idExtrato;
  corpo["aDado"] = nlohmann::ordered_json::array();
  for (int64_t id : idsPreparacoes) corpo["aDado"].push_back({{"preparacaoId", id}, {"importadaPor", usuario}});
  const std::string texto = corpo.dump();
  Answer a = Request("POST", "/preparacoes/importadas", &texto, ambienteTeste);
  if (!Sucesso(a.Status)) Recusa(a);
}

}  // namespace vyn
