#pragma once
// TRetornaMetodoDYQ: the suite's client of the Dyq statement service.
//
// Protocol (JSON over HTTPS; every request carries "Authorization: Bearer <token>"):
//   GET  <base>/extratos-liberados?empresa=<code>&tipoBusca=<kind>
//        200 with the released-statement document (one member per statement, id as member name);
//        204 or the body "null": nothing released (any other status is an error).
//   GET  <base>/extratos/<id>/lancamentos?caixa=<true|false>
//        200 {"lancamentos":[{"data":"DD/MM/YYYY","descricao":..,"documento":..,"valor":"1234.56",
//                              "tipo":"D"|"C"}, ...]}; "valor" is a decimal text with a point
//        (a JSON number is accepted too) and never negative: "tipo" gives the side.
//   GET  <base>/extratos/<id>/pdf     200 with the statement's PDF (application/pdf).
//   GET  <base>/extratos/<id>/comprovantes
//        200 {"comprovantes":[{"id":<receipt id>,"nome":"<file name>.pdf"}, ...]}: the payment
//        receipts the company sent with the statement; 204, "null" or an empty list: none. At most
//        kMaxComprovantesDyq are taken; a longer list is an error, not a silent cut.
//   GET  <base>/extratos/<id>/comprovantes/<receipt id>   200 with that receipt's PDF.
//   GET  <base>/extratos/<id>/preparacoes
//        200 {"preparacoes":[{"id":<rule id>,"texto":"TARIFA","coincidir":false,"contrapartida":40,
//                             "entradaSaida":0|1|2,"participante":55,"historico":3,
//                             "complemento":"Tarifa bancária"}, ...]}: the preparation rules the
//        office prepared on the service for the statement's account ("texto" is the bank text a line
//        is matched by, whole when "coincidir"; "entradaSaida" 1 money in, 2 money out, 0 both;
//        "participante", "historico" and "complemento" are optional); 204, 404, "null" or an empty
//        list: none. At most kMaxPreparacoesDyq are taken; a longer list is an error.
//   POST <base>/preparacoes/importadas
//        {"extratoId":<id>,"aDado":[{"preparacaoId":<rule id>,"importadaPor":<user>}, ...]}: the
//        rules of the statement the office stored in the company's rules; any 2xx: accepted.
//   POST <base>/retornos   {"tipoRetorno":<kind>,"caixa":<bool>,"documento":<the report document>}
//        any 2xx: accepted.
// Base address and token come from the configuration of service "DYQ" (production) or "DYQ_TESTE"
// (the test environment): INTEGRACAO_DYQ_URL / INTEGRACAO_DYQ_TOKEN and the like; the wait for an
// answer is INTEGRACAO_DYQ_TIMEOUT_MS (milliseconds, default kTempoLimiteDyqPadrao). Answers 429 and
// 503 are tried again (Retry-After honoured) through the client's sleeper.
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/web/http_retry.h"
#include "framework/web/http_vyn.h"
#include "framework/web/service_config.h"

namespace vyn {

class TComponent;
class TDatabase;

// The service refused a request or answered something that is not the protocol's.
// How long a Dyq call waits for its answer unless configured.
inline constexpr int kTempoLimiteDyqPadrao = 15000;

// How many receipts one statement may bring.
inline constexpr size_t kMaxComprovantesDyq = 1000;

// How many preparation rules one statement may bring.
inline constexpr size_t kMaxPreparacoesDyq = 1000;

class EDyqError : public std::runtime_error {
 public:
  EDyqError(const std::string& message, int status) : std::runtime_error(message), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

class TRetornaMetodoDYQ {
 public:
  TRetornaMetodoDYQ();

  // The released statements of a company (0: every company of the office, each member then
  // carrying "empresaId"); nullopt when nothing is released.
  std::optional<nlohmann::ordered_json> GetExtratosEmpresa(TComponent* owner, int64_t empresa, int tipoBusca,
                                                           bool ambienteTeste) const;
  // Sends a status report (3: refused statement). Throws EDyqError when Dyq does not accept it.
  void AlterarStatusRetornoLancamentosDYQ(TComponent* owner, int tipoRetorno, const nlohmann::ordered_json& documento,
                                          bool ambienteTeste, bool movimentoCaixa) const;
  // The lines of one statement (the "lancamentos" array).
  nlohmann::json GetLancamentosExtrato(int64_t idExtrato, bool ambienteTeste, bool movimentoCaixa) const;
  // The statement's PDF bytes.
  std::string GetExtratoPDF(int64_t idExtrato, bool ambienteTeste) const;
  // One receipt sent with a statement, as listed.
  struct TComprovante {
    int64_t Id = 0;
    std::string Nome;
  };
  std::vector<TComprovante> GetComprovantesExtrato(int64_t idExtrato, bool ambienteTeste) const;
  // The PDF bytes of one receipt of the list.
  std::string GetComprovantePDF(int64_t idExtrato, int64_t idComprovante, bool ambienteTeste) const;
  // The preparation rules sent with a statement (the "preparacoes" array, each item as Dyq gave it:
  // the caller judges each rule); empty when none.
  nlohmann::json GetPreparacoesExtrato(int64_t idExtrato, bool ambienteTeste) const;
  // Tells Dyq which of the statement's rules were stored. Throws EDyqError when Dyq does not accept it.
  void InformaPreparacoesImportadas(int64_t idExtrato, const std::vector<int64_t>& idsPreparacoes,
                                    const std::string& usuario, bool ambienteTeste) const;

  // Where the configuration is read (null: the process context's database).
  TDatabase* Database = nullptr;
  TServiceConfig::TEnvironmentReader Ambiente = TServiceConfig::ProcessEnvironment();
  TSleeper Sleeper;
  TRetryPolicy Politica;
  // Every exchange, secrets masked (the bearer token included).
  std::function<void(const THTTPLogEntry&)> OnLog;

 private:
  struct Answer {
    int Status = 0;
    std::string Body;
    std::string Token;   // to keep it out of the error texts
  };
  [[noreturn]] static void Recusa(const Answer& a);
  Answer Request(const std::string& method, const std::string& path, const std::string* body,
                 bool ambienteTeste) const;
};

}  // namespace vyn
