#pragma once
// The posting-lock check of a run: whether a company's period is locked for a screen. The check
// itself (lock table, closings) is the host layer's, given through the process context.
#include <string>

#include "framework/component/component.h"
#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;
class TInconsistencias_VYN;

class IPostingLockCheck {
 public:
  virtual ~IPostingLockCheck() = default;
  // True when the period is locked; message says why.
  virtual bool Locked(int codEmp, TDateTime inicio, TDateTime fim, const std::string& tela, int codUsuario,
                      int sistema, std::string& message) = 0;
  // Whether the check is db's procedure SP_BLOQUEIO_LANCAMENTO alone, so that a writer may run it inside
  // its own statement on db (a posting run checks every settlement).
  virtual bool NoBanco(const TDatabase&) const { return false; }
};

// The lock component a process screen holds; its inconsistency list is the run's list.
class TBloqueioLancamento_VYN : public TComponent {
 public:
  explicit TBloqueioLancamento_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TBloqueioLancamento_VYN"; }

  TInconsistencias_VYN* Inconsistencias() const { return list_; }
  void SetInconsistencias(TInconsistencias_VYN* l) { list_ = l; }
  // Put before each refusal in the list ("Empresa 12:").
  std::string MensagemPadrao;

  // True when the period is locked for the named screen; the refusal goes into the list as an
  // error. Without a lock check in the process context nothing is locked.
  bool Execute(int codEmp, TDateTime inicio, TDateTime fim, const std::string& tela, int codUsuario = 0,
               int sistema = 0);
  // Whether the process context's check runs as db's procedure (IPostingLockCheck::NoBanco).
  bool VerificaNoBanco(const TDatabase& db) const;
  // Reports a lock the caller's own statement found, as Execute reports one.
  void Recusa(int codEmp, const std::string& message);

 protected:
  void Notification(TComponent* c) override;

 private:
  TInconsistencias_VYN* list_;
};

}  // namespace vyn
