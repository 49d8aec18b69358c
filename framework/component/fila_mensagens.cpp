#include "framework/component/fila_mensagens.h"

#include "framework/component/interrupcao.h"
#include "framework/component/process_context.h"

namespace vyn {

void TFilaMensagens::Post(std::function<void()> trabalho) {
  std::lock_guard<std::mutex> g(m_);
  fila_.push_back(std::move(trabalho));
}

int TFilaMensagens::ProcessMessages() {
  VerificaInterrupcao();
  std::deque<std::function<void()>> agora;
  {
    std::lock_guard<std::mutex> g(m_);
    agora.swap(fila_);
  }
  int n = 0;
  for (auto& t : agora) {
    t();
    ++n;
  }
  return n;
}

size_t TFilaMensagens::Pendentes() const {
  std::lock_guard<std::mutex> g(m_);
  return fila_.size();
}

void TFilaMensagens::IniciaSegundoPlano() {
  std::lock_guard<std::mutex> g(m_);
  ++segundoPlano_;
}

void TFilaMensagens::TerminaSegundoPlano() {
  std::lock_guard<std::mutex> g(m_);
  if (segundoPlano_ > 0) --segundoPlano_;
}

size_t TFilaMensagens::EmSegundoPlano() const {
  std::lock_guard<std::mutex> g(m_);
  return segundoPlano_;
}

TFilaMensagens& FilaMensagens() {
  auto& p = ProcessContext().FilaMensagensPrincipal;
  if (!p) p = std::make_shared<TFilaMensagens>();
  return *p;
}

}  // namespace vyn
