#pragma once
// Scheduled run of a saved company report sequence: the period of its periodicity, the sequence
// screen in scheduled mode filled from the parameters, then one run per output asked (web
// publication, file, e-mail), in that order.
#include <functional>
#include <string>

#include "framework/core/datetime.h"
#include "framework/host/auto_thread.h"

namespace vyn {
class TButtonControl;
}

namespace integracao {

class TfrRelSequenciaRelatorios;

enum TTipoPeriodicidade_VYN { tpsMensal = 0, tpsTrimestral = 1, tpsSemestral = 2, tpsAnual = 3, tpsUnica = 4 };

struct TPeriodo {
  vyn::TDateTime Inicio;
  vyn::TDateTime Fim;   // the last moment of the last day
};

class TAutoThreadSequenciaEmpresa : public vyn::TAutoThreadPushPadrao {
 public:
  explicit TAutoThreadSequenciaEmpresa(vyn::TComponent* owner = nullptr) : vyn::TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadSequenciaEmpresa"; }
  bool InheritsFrom(const std::string& class_name) const override;
  bool DeveSincronizarThread() override { return true; }

  // "0" to "3"; anything else raises "Período não suportado".
  static TTipoPeriodicidade_VYN CbPeriodoToTipoPeriodicidade(const std::string& texto);
  // The period of the kind holding data, or the one before it.
  static TPeriodo GetPeriodo(TTipoPeriodicidade_VYN tipo, vyn::TDateTime data, bool anterior);

  // The clock of the run (tests set it).
  std::function<vyn::TDateTime()> Agora = [] { return vyn::Now(); };

 protected:
  void Execute() override;
  // The run, on the screen the variant makes.
  void Executa(bool colaborador);
  virtual void PreencheTela(TfrRelSequenciaRelatorios& tela, const TPeriodo& periodo);
  virtual vyn::TButtonControl* BotaoArquivo(TfrRelSequenciaRelatorios& tela, int tipo);
  virtual void AntesDeClicar(vyn::TButtonControl& botao) {}
};

// A programmatic click: the handler runs when the button is enabled, also on a hidden button.
void ClicaBotao(vyn::TButtonControl* botao);

}  // namespace integracao
