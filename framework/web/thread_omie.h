#pragma once
// The Omie entry fetch: a worker thread that asks the maker's entry service for one company's
// entries of a period, as the suite's text layout, while the screen waits or goes on.
//
// Protocol (JSON over HTTPS, address from INTEGRACAO_OMIELANCAMENTOS_URL or the parameter table):
//   POST <base>/api/v1/omie/lancamentos
//   {"empresa": 1, "app_key": "...", "app_secret": "...", "data_inicial": "2024-03-01",
//    "data_final": "2024-03-31", "periodo": "M", "quinzena": "", "semana": ""}
// 200 answers the text itself: a status digit (0 success), one separator character, then the
// entries (or the failure text). Any other status or a transport failure becomes the answer
// "1 " + a description; the credentials never appear in it. The service may be silent while it
// prepares the period, but not for ever: a silence longer than INTEGRACAO_OMIELANCAMENTOS_TIMEOUT_MS
// (default kTempoLimiteOmiePadrao) ends the fetch with a time-out answer.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "framework/core/datetime.h"

namespace vyn {

class TFilaMensagens;

// Milliseconds of silence the fetch waits for when the configuration names none.
inline constexpr int kTempoLimiteOmiePadrao = 10 * 60 * 1000;

// The import screen's values of a background fetch, restored with its answer.
struct TDadosTelaThreadOmie {
  int Empresa = 0;
  int PlanoTroca = 0;
  bool GerarTransacao = false;
  std::string DataInicial;
  bool AlteraCompl = false;
  bool Baixas = false;
};

// The program's one background fetch (main thread only).
class TEstadoOmie {
 public:
  std::uintptr_t WP_PROCESSO_OMIE = 0;   // 0: none runs; else the running fetch
  std::string WP_EMPRESA_OMIE;           // "code - name" of the running company
  std::string WP_RETORNO_OMIE;           // the last finished fetch's answer, as received
  // The screen values of the answer in WP_RETORNO_OMIE: kept apart from those of a fetch that is
  // still running, so an answer is never opened with another run's company.
  TDadosTelaThreadOmie wpDadosTelaThreadOmie;
  TDadosTelaThreadOmie DadosEmAndamento;
};
TEstadoOmie& EstadoOmie();

class TThreadOmie : public std::enable_shared_from_this<TThreadOmie> {
 public:
  TThreadOmie() = default;
  ~TThreadOmie();   // waits for the worker
  TThreadOmie(const TThreadOmie&) = delete;
  TThreadOmie& operator=(const TThreadOmie&) = delete;

  int CodEmpresa = 0;
  std::string AppKey;
  std::string AppSecret;
  TDateTime DataInicial;
  TDateTime DataFinal;
  std::string Periodo;    // "M", "Q" or "S"
  std::string Quinzena;   // "Q1", "Q2" or empty
  std::string Semana;     // "S1" to "S5" or empty
  // The service's address ("https://host"); unset, from the service configuration at Start.
  std::string URLBase;

  // Set before Start: the thread keeps itself alive until its termination handler has run on the
  // main thread (see ProcessMessages), then frees itself.
  bool FreeOnTerminate = false;
  // A thread that frees itself: runs on the main thread, through the main thread's queue, when the
  // fetch has ended. A thread held by its maker is polled through Finished instead.
  std::function<void(TThreadOmie&)> OnTerminate;

  // Starts the worker (once). A thread that frees itself must be held by a shared_ptr.
  void Start();
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // The answer once Finished; empty while the worker may still be writing it.
  std::string Resposta() const { return Finished() ? resposta_ : std::string(); }
  std::uintptr_t Referencia() const { return reinterpret_cast<std::uintptr_t>(this); }

 private:
  std::string Buscar() const;
  std::shared_ptr<TFilaMensagens> fila_;
  std::string url_;
  int tempoLimite_ = kTempoLimiteOmiePadrao;
  std::string resposta_;
  std::atomic<bool> finished_{false};
  std::thread worker_;
};

// Status digit of an answer: its first character when it is a digit, else 1 (also when empty).
int StatusRespostaOmie(const std::string& resposta);
// The answer without its first two characters.
std::string TextoRespostaOmie(const std::string& resposta);

}  // namespace vyn
