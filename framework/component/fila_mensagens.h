#pragma once
// The main thread's message queue: other threads post work here and the main thread runs it where it
// lets messages run (ProcessMessages), as the suite's termination handlers run on the main thread.
#include <deque>
#include <functional>
#include <mutex>

namespace vyn {

class TFilaMensagens {
 public:
  // Any thread.
  void Post(std::function<void()> trabalho);
  // The main thread: runs what was posted until now, in order; answers how many ran.
  int ProcessMessages();
  size_t Pendentes() const;

  // Work running on another thread that will post its end here (a background fetch): the program
  // lets messages run until there is none left before it ends, so that no finished work is lost.
  void IniciaSegundoPlano();
  void TerminaSegundoPlano();
  size_t EmSegundoPlano() const;

 private:
  mutable std::mutex m_;
  std::deque<std::function<void()>> fila_;
  size_t segundoPlano_ = 0;
};

// The process context's queue (made on first use).
TFilaMensagens& FilaMensagens();
// Lets the main thread's messages run (Application.ProcessMessages).
inline int ProcessMessages() { return FilaMensagens().ProcessMessages(); }

}  // namespace vyn
