#include "integrations/omie/uIntegracaoOmie.MovimentosFinanceiros.h"

#include "framework/core/text.h"
#include "framework/web/secret_mask.h"
#include "integrations/omie/uIntegracaoOmie.Log.h"

namespace integracao {

using namespace vyn;

namespace {
std::string DataTexto(TDateTime d) { return d.Value == 0 ? std::string() : DateToStr(d); }
TDateTime LeData(const TJsonOmie& o, const std::string& membro) {
  const std::string t = Trim(LeTextoOmie(o, membro));
  return t.empty() ? TDateTime() : StrToDate(t);
}
}  // namespace

void TMovimentosFinanceiros::FromElementoLista(const TJsonOmie& e) {
  const auto resumo = e.is_object() ? e.find("resumo") : e.end();
  const TJsonOmie& origem = resumo != e.end() && resumo->is_object() ? *resumo : e;
  if (origem.is_object() && origem.contains("cLiquidado")) Liquidado = SameText(Trim(LeTextoOmie(origem, "cLiquidado")), "S");
  if (!origem.is_object() || !origem.contains("nValPago") || origem.at("nValPago").is_null()) return;
  const std::string texto = Trim(LeTextoOmie(origem, "nValPago"));
  Currency valor;
  // Money is in cents: "20.005" is no amount Omie paid, and is refused rather than rounded.
  if (!texto.empty() && Currency::TryParse(texto, valor) && valor.Round2() == valor) {
    ValorPago = valor;
    ValorPagoInvalido.clear();
  } else {
    ValorPago.reset();
    ValorPagoInvalido = texto.empty() ? std::string("(vazio)") : texto;
  }
}

TJsonOmie TMovimentosFinanceiros::ToJSON() const {
  TJsonOmie j = TJsonOmie::object();
  j["cCodIntTitulo"] = CodigoIntegracao;
  if (!CodigoBaixa.empty()) j["nCodBaixa"] = CodigoBaixa;
  j["dDtPagamento"] = DataTexto(DataPagamento);
  j["cNumDocFiscal"] = NumeroDocumento;
  j["dDtVenc"] = DataTexto(DataVencimento);
  if (ValorPago) j["nValPago"] = ValorPago->ToJSON();
  return j;
}

void TMovimentosFinanceiros::FromJSON(const TJsonOmie& o) {
  CodigoIntegracao = LeTextoOmie(o, "cCodIntTitulo");
  CodigoBaixa = Trim(LeTextoOmie(o, "nCodBaixa"));
  DataPagamento = LeData(o, "dDtPagamento");
  DataVencimento = LeData(o, "dDtVenc");
  NumeroDocumento = LeTextoOmie(o, "cNumDocFiscal");
  ValorPago.reset();
  ValorPagoInvalido.clear();
  Liquidado = false;
  FromElementoLista(o);
}

TRetornoOmieLista<TMovimentosFinanceiros>* TIntegracaoOmieMovimentosFinanceiros_VYN::GetPagosDaReferencia(
    TDateTime prDataInicial, TDateTime prDataFinal, const std::string& prClienteOmie) {
  TJsonOmie param = TJsonOmie::object();
  param["dDtPagtoDe"] = DateToStr(prDataInicial);
  param["dDtPagtoAte"] = DateToStr(prDataFinal);
  param["cTpLancamento"] = "BXCP";
  param["nCodCliente"] = prClienteOmie;
  auto* r = RealizaConsultaPaginada("ListarMovimentos", "movimentos", param, "nPagina", "nRegPorPagina", "nTotPaginas");
  GravaLogOmie("_ENV_ListarMovimentos", {param.dump()});
  // A success answer may echo the credentials as a refusal does: the log keeps neither.
  if (!r->ObjetoRetorno.empty())
    GravaLogOmie("_RET_ListarMovimentos_",
                 {MaskSecrets(r->RetornoOmie.Response.dump(-1, ' ', false, TJsonOmie::error_handler_t::replace),
                              {AppKey(), AppSecret()})});
  return r;
}

}  // namespace integracao
