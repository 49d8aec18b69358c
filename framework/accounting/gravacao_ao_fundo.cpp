#include "framework/accounting/gravacao_ao_fundo.h"

#include "framework/component/interrupcao.h"

namespace vyn {

TGravacaoAoFundo::TGravacaoAoFundo(TTrabalho trabalho)
    : thread_([this, t = std::move(trabalho)](std::stop_token parada) { Executa(t, parada); }) {}

TGravacaoAoFundo::~TGravacaoAoFundo() { Interrompe(); }

void TGravacaoAoFundo::Executa(const TTrabalho& trabalho, std::stop_token parada) {
  TDesfechoLeituraTxt desfecho;
  std::exception_ptr erro;
  std::string falha;
  bool interrompida = false;
  try {
    desfecho = trabalho(*this, parada);
  } catch (const std::exception& e) {
    interrompida = parada.stop_requested();
    if (!interrompida) {
      erro = std::current_exception();
      falha = e.what();
    }
  } catch (const EInterrupcao&) {
    // A signal ends the run: the review's own thread raises it at its next step, as any interrupted run.
    interrompida = true;
  } catch (...) {
    erro = std::current_exception();
    falha = "erro desconhecido";
  }
  {
    std::lock_guard<std::mutex> g(trava_);
    desfecho_ = std::move(desfecho);
    erro_ = erro;
    falha_ = std::move(falha);
    interrompida_ = interrompida;
    fim_ = true;
  }
  mudou_.notify_all();
}

void TGravacaoAoFundo::PrimeiroTrecho(int64_t linhas) {
  {
    std::lock_guard<std::mutex> g(trava_);
    if (primeiro_) return;
    primeiro_ = true;
    linhasIniciais_ = linhas;
  }
  mudou_.notify_all();
}

bool TGravacaoAoFundo::AguardaPrimeiroTrecho() {
  {
    std::unique_lock<std::mutex> g(trava_);
    mudou_.wait(g, [this] { return primeiro_ || fim_; });
    if (!fim_) return true;
  }
  Aguarda();
  return false;
}

int64_t TGravacaoAoFundo::LinhasIniciais() const {
  std::lock_guard<std::mutex> g(trava_);
  return linhasIniciais_;
}

bool TGravacaoAoFundo::EmAndamento() const {
  std::lock_guard<std::mutex> g(trava_);
  return !fim_;
}

void TGravacaoAoFundo::Aguarda() {
  {
    std::unique_lock<std::mutex> g(trava_);
    mudou_.wait(g, [this] { return fim_; });
  }
  if (thread_.joinable()) thread_.join();
}

void TGravacaoAoFundo::Interrompe() {
  thread_.request_stop();
  Aguarda();
}

}  // namespace vyn
