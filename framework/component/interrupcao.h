#pragma once
// Interruption of the running work by SIGINT or SIGTERM. The handler only notes the signal; the work
// ends where it next asks (a statement to the database, the main thread's messages, a progress step)
// through an EInterrupcao that unwinds it as any failure does: open transactions roll back, work files
// go with the objects that own them, and the task base writes the run's status row (status 5).
//
// EInterrupcao is not a std::exception: the handlers that note a failed item and go on with the next
// (a file of a folder, a company of a list) must not take an interruption for one item's failure.
// Only the task base and the host catch it by name; a catch (...) passes it on.
#include <string>

namespace vyn {

class EInterrupcao {
 public:
  explicit EInterrupcao(int sinal);
  int Sinal() const { return sinal_; }
  // "Execução interrompida pelo sinal 2 (SIGINT)."
  const std::string& Mensagem() const { return mensagem_; }

 private:
  int sinal_;
  std::string mensagem_;
};

// Blocks SIGINT and SIGTERM in this thread and the threads it starts (the database engine's), before
// the engine is loaded: an engine thread a signal interrupts does not recover.
void ReservaSinaisInterrupcao();
// Installs the handlers of SIGINT and SIGTERM and unblocks them in this thread only, after the engine
// is loaded, so that the run, not the engine, decides what a signal ends. A second signal ends the
// program at once.
void InstalaTratadorInterrupcao();
// The signal that asked for the interruption; 0 when none.
int SinalInterrupcao();
// Raises EInterrupcao when a signal asked for it, unless the clean-up of an exception is running (a
// destructor's rollback or file removal must finish), a TSemInterrupcao is open or the work is complete.
void VerificaInterrupcao();

// A thread that only cleans up after the run (the removal of a review's staged rows) finishes whatever
// signal comes: the host waits for it before it ends, and a half-done removal would leave the rows behind.
// Held for the thread's work, in that thread only.
class TLimpezaSemInterrupcao {
 public:
  TLimpezaSemInterrupcao();
  ~TLimpezaSemInterrupcao();
  TLimpezaSemInterrupcao(const TLimpezaSemInterrupcao&) = delete;
  TLimpezaSemInterrupcao& operator=(const TLimpezaSemInterrupcao&) = delete;
};

// The clean-up of an interrupted run (rollback, status rows, the run's report) reaches the database.
class TSemInterrupcao {
 public:
  TSemInterrupcao();
  ~TSemInterrupcao();
  TSemInterrupcao(const TSemInterrupcao&) = delete;
  TSemInterrupcao& operator=(const TSemInterrupcao&) = delete;
};

// Work whose result is complete (committed, its files in place) is told complete whatever signal comes
// after it: from Marca on, no check raises EInterrupcao and the host ends the run with its own outcome,
// not as an interruption. A signal before Marca interrupts as any other. Work that starts anew (a new
// run, a new confirmation) calls Reabre first.
class TExecucaoConcluida {
 public:
  static void Marca();
  static void Reabre();
  static bool Marcada();
};

}  // namespace vyn
