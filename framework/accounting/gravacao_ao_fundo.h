#pragma once
// The rest of an entry file staged behind its review. The staged review opens on the first stretch of
// its session, committed, while a thread of its own, on an attachment of its own, reads, checks and
// stages the rest of the file a stretch at a time, each committed. The review waits for the end before
// any action that may need a line not staged yet; closing it stops the staging.
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/ui/inconsistencias.h"

namespace vyn {

// What the reading of an entry file tells besides the lines it stages; a review staged behind gets it
// once the reading ended, never before (a count from part of the file is not the file's).
struct TDesfechoLeituraTxt {
  // The probable duplicates, then the lines refused and those left out, in the order the list shows them.
  std::vector<TInconsistenciaItem> Mensagens;
  int Recusadas = 0;   // lines the reading refused or left out
  int Oferecidas = 0;  // lines it put in the review
  // (company, key of the posted entry) of the lines equal to entries posted before.
  std::vector<std::pair<int, int>> JaLancados;
};

// Raised on the staging's thread once it was asked to stop: the stretch under way is rolled back.
inline constexpr const char* kGravacaoInterrompida = "A gravação das linhas do arquivo foi interrompida.";
class EGravacaoInterrompida : public std::runtime_error {
 public:
  EGravacaoInterrompida() : std::runtime_error(kGravacaoInterrompida) {}
};

class TGravacaoAoFundo {
 public:
  // The staging, run on the thread: it calls PrimeiroTrecho once the stretch the review opens on is
  // committed, stops (raising) when parada asks it to, and answers what the reading told. Whatever
  // it raises otherwise is the staging's failure. It ends with the file, so every wait here is bounded
  // by the file's lines.
  using TTrabalho = std::function<TDesfechoLeituraTxt(TGravacaoAoFundo& gravacao, std::stop_token parada)>;
  explicit TGravacaoAoFundo(TTrabalho trabalho);
  // Stops the staging and waits for its thread.
  ~TGravacaoAoFundo();
  TGravacaoAoFundo(const TGravacaoAoFundo&) = delete;
  TGravacaoAoFundo& operator=(const TGravacaoAoFundo&) = delete;

  // Waits until the first stretch is committed or the staging ended first; true when it goes on behind.
  bool AguardaPrimeiroTrecho();
  // The lines of the first stretch: what the review opened on.
  int64_t LinhasIniciais() const;
  bool EmAndamento() const;
  // Waits for the end; the thread is joined when it returns.
  void Aguarda();
  // Asks the staging to stop and waits for it: the stretch it was writing is rolled back, those
  // committed stay with the session for its removal.
  void Interrompe();

  // After the end. The failure (empty when every line was staged or the staging was stopped), the
  // error itself to raise again, and whether it was stopped.
  const std::string& Falha() const { return falha_; }
  std::exception_ptr Erro() const { return erro_; }
  bool Interrompida() const { return interrompida_; }
  const TDesfechoLeituraTxt& Desfecho() const { return desfecho_; }

  // On the staging's thread.
  void PrimeiroTrecho(int64_t linhas);

 private:
  void Executa(const TTrabalho& trabalho, std::stop_token parada);
  mutable std::mutex trava_;
  std::condition_variable mudou_;
  bool primeiro_ = false;
  bool fim_ = false;
  int64_t linhasIniciais_ = 0;
  std::string falha_;
  std::exception_ptr erro_;
  bool interrompida_ = false;
  TDesfechoLeituraTxt desfecho_;
  std::jthread thread_;   // last: it starts once everything above is made
};

}  // namespace vyn
