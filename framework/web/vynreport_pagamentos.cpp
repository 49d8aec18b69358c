#include "framework/web/vynreport_pagamentos.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "framework/core/text.h"
#include "framework/core/variant.h"
#include "framework/web/http_vyn.h"
#include "framework/web/secret_mask.h"
#include "framework/web/service_config.h"

namespace vyn {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kPrefixoErro = "VYN Report: ";

std::string DataJSON(TDateTime d) { return DateToSQL(d); }

// Amounts go with two decimals, as the portal keeps them.
std::string Valor2(Currency c) {
  const std::string t = c.Round2().ToSQL();
  return t.substr(0, t.size() - 2);
}

json DataOuNulo(TDateTime d) { return d.Value == 0 ? json(nullptr) : json(DateToSQL(d)); }

Currency ValorDe(const json& j, const char* nome) {
  auto it = j.find(nome);
  if (it == j.end() || it->is_null()) return Currency();
  if (it->is_string()) return Currency::Parse(it->get<std::string>());
  if (it->is_number()) return Currency::Parse(it->dump());
  throw std::runtime_error(fmt::format("valor inválido em \"{}\"", nome));
}

int InteiroDe(const json& j, const char* nome) {
  auto it = j.find(nome);
  if (it == j.end() || it->is_null()) return 0;
  if (it->is_string()) return static_cast<int>(Variant(it->get<std::string>()).AsInteger());
  return it->get<int>();
}

std::string TextoDe(const json& j, const char* nome) {
  auto it = j.find(nome);
  return it == j.end() || !it->is_string() ? std::string() : it->get<std::string>();
}

TDateTime DataDe(const json& j, const char* nome) {
  const std::string t = TextoDe(j, nome);
  return t.empty() ? TDateTime() : SQLToDate(t);
}

}  // namespace

std::string TPagamentos::ToString() const {
  return fmt::format("Pagamento {} ref. {:02d}/{:04d} de {} pago em {}", RelatorioId, MesRef, AnoRef,
                     ValorOriginal.ToBR(2), DateToStr(DataPagamento));
}

TClientePortalVYNReport::TClientePortalVYNReport(TDatabase* db) : Sleeper(RealSleeper()), db_(db) {}

std::optional<TClientePortalVYNReport::TResposta> TClientePortalVYNReport::Enviar(const std::string& caminho,
                                                                                 const std::string& corpo,
                                                                                 std::string& erro) {
  std::string base = BaseURL, token = Token;
  try {
    TServiceConfig conf("VYNREPORT", db_);
    if (base.empty()) base = conf.BaseURL();
    if (token.empty()) token = conf.Token();
  } catch (const EServiceConfigError& e) {
    erro = kPrefixoErro + std::string(e.what());
    return std::nullopt;
  }
  THTTPVYN http(nullptr, false);
  http.SetBaseURL(base);
  http.ReadTimeout = ReadTimeout;
  http.Request.ContentType = "application/json; charset=utf-8";
  http.Request.Accept = "application/json";
  http.Request.CustomHeaders.AddValue("Authorization", "Bearer " + token);
  try {
    TRetryPolicy politica;
    TRetryOutcome r = RetryThrottled(http, [&] { return http.Post(caminho, corpo); }, politica, Sleeper);
    // The answer's text reaches error lists, status rows and screens: a token it echoes goes first.
    return TResposta{r.Status, MaskSecrets(r.Body, {token})};
  } catch (const EHTTPError& e) {
    erro = kPrefixoErro + MaskSecrets(e.what(), {token});
    return std::nullopt;
  }
}

std::vector<std::string> TClientePortalVYNReport::ErrosDaResposta(const TResposta& r) {
  std::vector<std::string> erros;
  try {
    json j = json::parse(r.Body);
    if (j.is_object() && j.contains("erros") && j["erros"].is_array())
      for (const auto& e : j["erros"]) erros.push_back(e.is_string() ? e.get<std::string>() : e.dump());
  } catch (const json::exception&) {
    // not JSON: the body's text is the error
  }
  if (erros.empty() && r.Status != 200)
    erros.push_back(fmt::format("{}{} - {}", kPrefixoErro, r.Status, Utf8Left(Trim(r.Body), 500)));
  return erros;
}

TResultadoImportacao TImportacaoPagamento::Execute() {
  TResultadoImportacao out;
  json req;
  req["clienteId"] = ClienteId;
  req["sistemaId"] = SistemaId;
  req["empresaId"] = EmpresaId;
  req["dataInicial"] = DataJSON(FDataInicial);
  req["dataFinal"] = DataJSON(FDataFinal);
  std::string erro;
  auto r = Enviar("/pagamentos/consulta", req.dump(), erro);
  if (!r) {
    out.Erros.push_back(erro);
    return out;
  }
  if (r->Status != 200) {
    out.Erros = ErrosDaResposta(*r);
    return out;
  }
  try {
    json j = json::parse(r->Body);
    const json& lista = j.at("pagamentos");
    if (!lista.is_array()) throw std::runtime_error("\"pagamentos\" não é uma lista");
    for (const json& p : lista) {
      TPagamentos pg;
      if (auto id = p.find("id"); id != p.end() && (id->is_string() || id->is_number_integer()))
        pg.Id = id->is_string() ? Trim(id->get<std::string>()) : std::to_string(id->get<int64_t>());
      pg.RelatorioId = TextoDe(p, "relatorioId");
      pg.MesRef = InteiroDe(p, "mesRef");
      pg.AnoRef = InteiroDe(p, "anoRef");
      pg.FuncionarioId = InteiroDe(p, "funcionarioId");
      pg.ValorOriginal = ValorDe(p, "valorOriginal");
      pg.DataPagamento = DataDe(p, "dataPagamento");
      // The settlement is posted on this date: a payment without one cannot be settled.
      if (pg.DataPagamento.Value == 0) throw std::runtime_error("pagamento sem \"dataPagamento\"");
      pg.ValorMulta = ValorDe(p, "valorMulta");
      pg.ValorJuros = ValorDe(p, "valorJuros");
      pg.ValorPagoTotal = ValorDe(p, "valorPagoTotal");
      pg.FormaPagamentoApelido = TextoDe(p, "formaPagamentoApelido");
      out.Pagamentos.push_back(std::move(pg));
    }
  } catch (const std::exception& e) {
    // A partly read answer settles nothing.
    out.Pagamentos.clear();
    out.Erros.push_back(std::string(kPrefixoErro) + "resposta inválida: " + e.what());
    return out;
  }
  out.Ok = true;
  return out;
}

TRegistroExportacaoPagamento& TExportacaoPagamento::AddRegistro() { return registros_.emplace_back(); }

TResultadoExportacao TExportacaoPagamento::Execute() {
  TResultadoExportacao out;
  json req;
  req["clienteId"] = ClienteId;
  req["sistemaId"] = SistemaId;
  json regs = json::array();
  for (const TRegistroExportacaoPagamento& r : registros_) {
    json j;
    j["empresaId"] = r.EmpresaId;
    j["relatorioId"] = r.RelatorioId;
    j["anoRef"] = r.AnoRef;
    j["mesRef"] = r.MesRef;
    j["dataRef"] = DataOuNulo(r.DataRef);
    j["dataInicial"] = DataOuNulo(r.DataInicial);
    j["dataFinal"] = DataOuNulo(r.DataFinal);
    j["valor"] = Valor2(r.Valor);
    j["funcionarioId"] = r.FuncionarioId;
    j["bloco"] = r.Bloco;
    j["apto"] = r.Apto;
    j["serie"] = r.Serie.empty() ? json(nullptr) : json(r.Serie);
    j["tipoGuia"] = r.TipoGuia;
    j["tipoFolha"] = r.TipoFolha;
    j["tipoFuncionario"] = r.TipoFuncionario.empty() ? json(nullptr) : json(r.TipoFuncionario);
    j["dataPagamento"] = DataOuNulo(r.DataPagamento);
    j["dataVencimento"] = DataOuNulo(r.DataVencimento);
    j["individual"] = r.Individual;
    j["valorPagoMulta"] = Valor2(r.ValorPagoMulta);
    j["valorPagoJuros"] = Valor2(r.ValorPagoJuros);
    regs.push_back(std::move(j));
  }
  req["registros"] = std::move(regs);
  std::string erro;
  auto r = Enviar("/pagamentos", req.dump(), erro);
  if (!r) {
    out.ErrorMessages.push_back(erro);
    return out;
  }
  out.ErrorMessages = ErrosDaResposta(*r);
  if (r->Status != 200) return out;
  try {
    json j = json::parse(r->Body);
    out.TotalRecebidos = InteiroDe(j, "totalRecebidos");
    out.TotalBaixados = InteiroDe(j, "totalBaixados");
    out.TotalErros = InteiroDe(j, "totalErros");
  } catch (const std::exception& e) {
    out.ErrorMessages.push_back(std::string(kPrefixoErro) + "resposta inválida: " + e.what());
    return out;
  }
  out.Ok = out.TotalErros == 0 && out.ErrorMessages.empty();
  return out;
}

}  // namespace vyn
