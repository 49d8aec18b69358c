#pragma once
// The report portal's payment clients: the payments made for a company in a date range, and the
// payments of issued tax guides sent to the portal.
//
// Protocol (JSON over HTTPS, UTF-8). The base address and the bearer token come from the service
// configuration "VYNREPORT" (INTEGRACAO_VYNREPORT_URL, INTEGRACAO_VYNREPORT_TOKEN) unless set on
// the client. Every request carries "Authorization: Bearer <token>"; dates are "YYYY-MM-DD";
// amounts are decimal texts with a point ("1234.56"; a JSON number is accepted on reading).
// Status 429 or 503 is retried, three attempts in all, waiting what Retry-After asks.
//
// POST <base>/pagamentos/consulta
//   {"clienteId":"000123","sistemaId":50,"empresaId":42,"dataInicial":"2024-03-01","dataFinal":"2024-03-31"}
//   200 -> {"pagamentos":[{"id":"pg-981","relatorioId":"DARF","mesRef":3,"anoRef":2024,"funcionarioId":0,
//           "valorOriginal":"100.00","dataPagamento":"2024-03-20","valorMulta":"0","valorJuros":"0",
//           "valorPagoTotal":"100.00","formaPagamentoApelido":"BANCO"}]}
//   "id" (text or number) is the portal's own identifier of the payment, kept when the office corrects
//   the payment (its date, amounts or nickname): the books know the payment by it.
// POST <base>/pagamentos
//   {"clienteId":"000123","sistemaId":50,"registros":[{record members as TRegistroExportacaoPagamento,
//    first letter in lower case; unset dates and texts are null}]}
//   200 -> {"totalRecebidos":2,"totalBaixados":2,"totalErros":0,"erros":[]}
// Any other status: {"erros":["..."]}, or else the body's text is the one error.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/web/http_retry.h"

namespace vyn {

class TDatabase;

// One payment the portal knows of.
struct TPagamentos {
  std::string Id;   // the portal's identifier of the payment
  std::string RelatorioId;
  int MesRef = 0;
  int AnoRef = 0;
  int FuncionarioId = 0;
  Currency ValorOriginal;
  TDateTime DataPagamento;
  Currency ValorMulta;
  Currency ValorJuros;
  Currency ValorPagoTotal;
  std::string FormaPagamentoApelido;

  // The reference month YYYYMM.
  int getReferencia() const { return AnoRef * 100 + MesRef; }
  // Describes the payment; every message about it starts with this.
  std::string ToString() const;
};

struct TResultadoImportacao {
  bool Ok = false;
  std::vector<std::string> Erros;
  std::vector<TPagamentos> Pagamentos;
};

// What both clients share: the portal's address, credentials, identification and retries.
class TClientePortalVYNReport {
 public:
  explicit TClientePortalVYNReport(TDatabase* db = nullptr);
  void setClienteId(std::string id) { ClienteId = std::move(id); }
  std::string ClienteId;
  int SistemaId = 0;
  // When empty, taken from the service configuration at each call.
  std::string BaseURL;
  std::string Token;
  TSleeper Sleeper;   // waits between throttled attempts; the real sleeper by default
  int ReadTimeout = 60000;

 protected:
  // Posts the body; answers the status and body, or nullopt with the error in erro.
  struct TResposta {
    int Status = 0;
    std::string Body;
  };
  std::optional<TResposta> Enviar(const std::string& caminho, const std::string& corpo, std::string& erro);
  // The errors of a refused answer.
  static std::vector<std::string> ErrosDaResposta(const TResposta& r);

 private:
  TDatabase* db_;
};

class TImportacaoPagamento : public TClientePortalVYNReport {
 public:
  using TClientePortalVYNReport::TClientePortalVYNReport;
  int EmpresaId = 0;
  TDateTime FDataInicial;
  TDateTime FDataFinal;
  // Never raises: a transport, configuration or format failure is an answer with Ok false.
  TResultadoImportacao Execute();
};

// One payment sent.
struct TRegistroExportacaoPagamento {
  int EmpresaId = 0;
  std::string RelatorioId;
  int AnoRef = 0;
  int MesRef = 0;
  TDateTime DataRef;
  TDateTime DataInicial;
  TDateTime DataFinal;
  Currency Valor;
  int FuncionarioId = 0;
  int Bloco = 0;
  int Apto = 0;
  std::string Serie;
  int TipoGuia = 0;
  int TipoFolha = 0;
  std::string TipoFuncionario;   // one character, or empty when the guide names none
  TDateTime DataPagamento;
  TDateTime DataVencimento;
  int Individual = 0;
  Currency ValorPagoMulta;
  Currency ValorPagoJuros;
};

struct TResultadoExportacao {
  std::vector<std::string> ErrorMessages;
  int TotalRecebidos = 0;
  int TotalBaixados = 0;
  int TotalErros = 0;
  bool Ok = false;
};

class TExportacaoPagamento : public TClientePortalVYNReport {
 public:
  using TClientePortalVYNReport::TClientePortalVYNReport;
  void ClearRegistros() { registros_.clear(); }
  TRegistroExportacaoPagamento& AddRegistro();
  const std::deque<TRegistroExportacaoPagamento>& Registros() const { return registros_; }
  // Sends every record in one call. Ok only when the portal answered 200 and refused none; never
  // raises.
  TResultadoExportacao Execute();

 private:
  std::deque<TRegistroExportacaoPagamento> registros_;   // stable addresses for AddRegistro
};

}  // namespace vyn
