#include "integrations/omie/uIntegracaoOmie.ContasAPagar.h"

#include "integrations/omie/uIntegracaoOmie.Log.h"

namespace integracao {

using namespace vyn;

std::string ValorOmie(Currency valor) {
  const int64_t raw = valor.Round2().Raw();
  const int64_t cents = (raw < 0 ? -raw : raw) / 100;
  std::string s = std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") + std::to_string(cents % 100);
  return raw < 0 ? "-" + s : s;
}

TJsonOmie TContasAPagar::ToJSON() const {
  TJsonOmie j = TJsonOmie::object();
  j["codigo_lancamento_integracao"] = CodigoIntegracao;
  j["codigo_cliente_fornecedor"] = CodigoCliente;
  j["data_vencimento"] = DataVencimento;
  j["data_previsao"] = DataPrevisao;
  j["valor_documento"] = ValorOmie(ValorDocumento);
  return j;
}

void TContasAPagar::FromJSON(const TJsonOmie& o) {
  CodigoIntegracao = LeTextoOmie(o, "codigo_lancamento_integracao");
  CodigoCliente = LeTextoOmie(o, "codigo_cliente_fornecedor");
  DataVencimento = LeTextoOmie(o, "data_vencimento");
  DataPrevisao = LeTextoOmie(o, "data_previsao");
  ValorDocumento = Currency::Parse(LeTextoOmie(o, "valor_documento"));
}

TRetornoOmieLista<TContasAPagar>* TIntegracaoOmieContasAPagar_VYN::GetPagosDaReferencia(TDateTime prDataInicial,
                                                                                        TDateTime prDataFinal,
                                                                                        int prClienteOmie,
                                                                                        bool prSomenteAPI) {
  TJsonOmie param = TJsonOmie::object();
  param["filtrar_por_data_de"] = DateToStr(prDataInicial);
  param["filtrar_por_data_ate"] = DateToStr(prDataFinal);
  param["filtrar_por_status"] = "PAGO";
  param["filtrar_cliente"] = prClienteOmie;
  if (prSomenteAPI) param["apenas_importado_api"] = "S";
  return RealizaConsultaPaginada("ListarContasPagar", "conta_pagar_cadastro", param, "pagina", "registros_por_pagina",
                                 "total_de_paginas");
}

TRetornoOmieRegistro TIntegracaoOmieContasAPagar_VYN::IncluirPorLote(const std::vector<TContasAPagar*>& prInclusoes,
                                                                     std::vector<TSituacaoLoteOmie>* prSituacao) {
  TRetornoOmieRegistro ret =
      RealizaPostGenericoEmLote("IncluirContaPagarPorLote", "conta_pagar_cadastro", prInclusoes, prSituacao);
  if (!prInclusoes.empty()) {
    std::vector<std::string> envio;
    for (const TContasAPagar* c : prInclusoes) envio.push_back(c->ToJSON().dump());
    GravaLogOmie("_ENV_IncluirContaPagarPorLote_", envio);
    GravaLogOmie("_RET_IncluirContaPagarPorLote_", {ret.Response.dump(-1, ' ', false, TJsonOmie::error_handler_t::replace)});
  }
  return ret;
}

}  // namespace integracao
