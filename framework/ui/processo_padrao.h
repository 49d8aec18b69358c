#pragma once
// The process screen: the OK button runs the start check, the confirmation, and the run over the
// company rows of FDAO (or once without rows), with the action log and the posting-lock component.
#include <string>
#include <vector>

#include "framework/ui/dialogs.h"
#include "framework/ui/form.h"

namespace vyn {

class TClientDataSet;
class TSpeedButton;
class TLogEvent;
class TInconsistencias_VYN;
class TBloqueioLancamento_VYN;

class TfrProcesso_Padrao_VYN : public TForm_VYN {
 public:
  explicit TfrProcesso_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcesso_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TSpeedButton* spOK;
  TSpeedButton* spConsulta;
  TLogEvent* FLogEvent;                               // the screen's action log
  TBloqueioLancamento_VYN* BloqueioLancamento_Padrao_VYN;
  // A scheduled task drives the screen; code asks IsUnattended(), the one unattended predicate.
  TUnattendedFlag FIsTARVO;

  void SetIsTARVO(bool on) { FIsTARVO = on; }
  // The run's inconsistency list: the one the lock component carries.
  TInconsistencias_VYN* Inconsistencias_VYN() const;
  TClientDataSet* DAO() const { return FDAO; }
  bool Executando() const { return running_; }

  // The OK button's handler: the whole run. Overrides call the inherited one to run it.
  virtual void spOKClick(TComponent* sender);
  virtual void spConsultaClick(TComponent* sender) {}
  // The engines' cancel callback, polled between rows.
  virtual bool fCancelaProcesso() { return FCancelaProcesso; }
  // A key in ExecutarProcessoKeys let go on the screen (no Shift, Ctrl or Alt) runs it as the OK
  // button does.
  void KeyUp(int& key, unsigned shift) override;

 protected:
  // The keys that start the run: Page Down and arrow Down, as on the suite's process screens.
  virtual std::vector<int> ExecutarProcessoKeys() const { return {kTeclaPageDown, kTeclaSetaAbaixo}; }
  static constexpr int kTeclaPageDown = 34;
  static constexpr int kTeclaSetaAbaixo = 40;
  void FormCreate() override;
  // The run, in this order. False from PodeIniciarProcesso ends the run with nothing else done.
  virtual bool PodeIniciarProcesso() { return true; }
  // A question asked after the start check; the run goes on only on Yes. Empty: no question.
  virtual std::string GetMsgConfirmacaoProcesso() { return ""; }
  virtual void InicioProcesso();
  // Called once when the screen is created: may put a data set of company rows into FDAO.
  virtual void CreateDAO() {}
  // Opens FDAO and goes to its first row.
  virtual void SelectProcesso();
  // OnBeforeProcesso then Processo per FDAO row (Processo once when there is no FDAO); stops
  // when fCancelaProcesso answers True.
  virtual void ChamaProcesso();
  // Per row: False skips the row.
  virtual bool OnBeforeProcesso() { return true; }
  virtual void Processo() {}
  virtual void FimProcesso() {}
  virtual void PosicionaFocus() {}

  // The user-rights prompt of this screen (False stops).
  bool VerificaSeguranca();

  TClientDataSet* FDAO = nullptr;
  bool FCancelaProcesso = false;

 private:
  bool running_ = false;
};

}  // namespace vyn
