#include "integrations/omie/uIntegracaoOmie.Clientes.h"

#include "framework/core/text.h"

namespace integracao {

using namespace vyn;

TJsonOmie TClienteFornecedor::ToJSON() const {
  TJsonOmie j = TJsonOmie::object();
  j["codigo_cliente_integracao"] = Utf8Left(CodigoCliente, 20);
  j["nome_fantasia"] = Utf8Left(NomeFantasia, 100);
  j["razao_social"] = Utf8Left(RazaoSocial, 60);
  j["cnpj_cpf"] = Utf8Left(CPFCNPJ, 20);
  j["estado"] = Utf8Left(Estado, 2);
  j["codigo_pais"] = Utf8Left(Pais, 4);
  return j;
}

void TClienteFornecedor::FromJSON(const TJsonOmie& o) {
  CodigoCliente = LeTextoOmie(o, "codigo_cliente_integracao");
  CodigoClienteOmie = LeTextoOmie(o, "codigo_cliente_omie");
  RazaoSocial = LeTextoOmie(o, "razao_social");
  NomeFantasia = LeTextoOmie(o, "nome_fantasia");
  CPFCNPJ = LeTextoOmie(o, "cnpj_cpf");
}

TRetornoOmie<TClienteFornecedor>* TIntegracaoOmieClientes_VYN::GetPeloCodigoIntegracao(
    const std::string& prCodigoIntegracao) {
  TJsonOmie param = TJsonOmie::object();
  param["codigo_cliente_integracao"] = prCodigoIntegracao;
  return RealizaConsultaPorCampo("ConsultarCliente", param);
}

TRetornoOmie<TClienteFornecedor>* TIntegracaoOmieClientes_VYN::Upsert(const TClienteFornecedor& prInclusao) {
  return RealizaPostRetornando("UpsertCliente", prInclusao.ToJSON());
}

void TIntegracaoOmieClientes_VYN::UpsertPorLote(const std::vector<TClienteFornecedor*>& prInclusoes) {
  RealizaPostGenericoEmLote("UpsertClientesPorLote", "clientes_cadastro", prInclusoes);
}

}  // namespace integracao
