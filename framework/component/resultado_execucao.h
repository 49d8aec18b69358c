#pragma once
// What one unattended run found. The task base owns it for the length of ExecuteTask and judges
// the run's status row from it once; the task and every screen it opens report into it through
// the functions below, without knowing which task runs them.
#include <string>
#include <vector>

#include "framework/component/valor_temporario.h"

namespace vyn {

// What the imports of a run booked and left, by line: a run of several files tells their sum.
struct TContagemImportacao {
  int Importacoes = 0;   // imports that ended and counted
  long long Importados = 0;
  long long NaoImportados = 0;
  long long JaLancados = 0;
  TContagemImportacao& operator+=(const TContagemImportacao& o) {
    Importacoes += o.Importacoes;
    Importados += o.Importados;
    NaoImportados += o.NaoImportados;
    JaLancados += o.JaLancados;
    return *this;
  }
};

struct TResultadoExecucao {
  // The run's result message (the last one reported wins). On its own it says nothing of the
  // outcome: an end message such as "Importação finalizada: ..." is a run that did its work.
  std::string Mensagem;
  // The inconsistencies it found (status 2), and a failure it reported without raising (status 5;
  // the first one stands).
  std::vector<std::string> Inconsistencias;
  std::string Falha;
  // What the imports that ended in the run counted.
  TContagemImportacao Contagem;

  void RegistraMensagem(const std::string& mensagem) { Mensagem = mensagem; }
  void RegistraInconsistencia(const std::string& mensagem);
  void RegistraFalha(const std::string& mensagem);
};

// The outcome of the run open on this process, or nullptr outside one.
TResultadoExecucao* ResultadoExecucao();

// Opens a run's outcome for the reports of the work done in its scope; the outcome open before
// comes back when the scope ends.
class TEscopoResultadoExecucao {
 public:
  explicit TEscopoResultadoExecucao(TResultadoExecucao& resultado);

 private:
  TValorTemporario<TResultadoExecucao*> aberto_;
};

// The open run's result message so far ("" outside a run).
std::string MensagemExecucao();

// Reports into the open run's outcome; outside a run there is nobody to tell and they do nothing.
// The end message of the run.
void RegistraMensagemExecucao(const std::string& mensagem);
// An inconsistency of the run; it also becomes the run's result message.
void RegistraInconsistenciaExecucao(const std::string& mensagem);
// A failure the run reports without raising; it also becomes the run's result message.
void RegistraFalhaExecucao(const std::string& mensagem);
// The counts of an import that ended, added to the run's.
void RegistraContagemExecucao(const TContagemImportacao& contagem);

}  // namespace vyn
