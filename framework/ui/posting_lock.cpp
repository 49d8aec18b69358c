#include "framework/ui/posting_lock.h"

#include "framework/component/process_context.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

TBloqueioLancamento_VYN::TBloqueioLancamento_VYN(TComponent* owner)
    : TComponent(owner), list_(Create<TInconsistencias_VYN>()) {}

void TBloqueioLancamento_VYN::Notification(TComponent* c) {
  if (c == list_) list_ = nullptr;
}

bool TBloqueioLancamento_VYN::Execute(int codEmp, TDateTime inicio, TDateTime fim, const std::string& tela,
                                      int codUsuario, int sistema) {
  IPostingLockCheck* check = ProcessContext().PostingLocks;
  if (!check) return false;
  std::string message;
  if (!check->Locked(codEmp, inicio, fim, tela, codUsuario, sistema, message)) return false;
  Recusa(codEmp, message);
  return true;
}

bool TBloqueioLancamento_VYN::VerificaNoBanco(const TDatabase& db) const {
  const IPostingLockCheck* check = ProcessContext().PostingLocks;
  return check && check->NoBanco(db);
}

void TBloqueioLancamento_VYN::Recusa(int codEmp, const std::string& message) {
  if (list_) list_->Add_Erro(codEmp, MensagemPadrao.empty() ? message : MensagemPadrao + " " + message);
}

}  // namespace vyn
