#pragma once
// The posting-lock check behind TBloqueioLancamento_VYN: zeroing processes per company and period
// (TPROCESSO_ZERAMENTO), lock rows per company, screen and period (TBLOQUEIO_LANCAMENTO) and the
// company's last closing (TEMPRESAS_REF.BDULTENC), in this order.
#include <string>

#include "framework/core/variant.h"
#include "framework/ui/posting_lock.h"

namespace vyn {

class TDatabase;

// The suite's kinds: 1 a lock row of one screen, 4 a zeroing of the result accounts running over the
// period (TPROCESSO_ZERAMENTO, for every screen); 2 is this stand-in's own closing check.
enum TTipoBloqueio { tbNenhum = 0, tbBloqueioLancamento = 1, tbEncerramento = 2, tbZeramento = 4 };

// The message of a lock the check found: its kind, company, period (or closing date) and reason.
std::string MensagemBloqueio(TTipoBloqueio tipo, int codEmp, const Variant& inicio, const Variant& fim,
                             const Variant& motivo);

class TVerificaBloqueioLancamento : public IPostingLockCheck {
 public:
  // Without a database, the process context's database at the time of each check.
  explicit TVerificaBloqueioLancamento(TDatabase* db = nullptr) : db_(db) {}

  // Either date may be 0 (the other one alone is checked); both 0 check nothing. A period is
  // locked when a lock row of the company and screen overlaps it, or when it starts on or before
  // the company's closing date.
  bool Locked(int codEmp, TDateTime inicio, TDateTime fim, const std::string& tela, int codUsuario, int sistema,
              std::string& message) override;

  // The check is the company database's procedure SP_BLOQUEIO_LANCAMENTO.
  bool NoBanco(const TDatabase& db) const override;

  // The kind of lock the last check found.
  TTipoBloqueio UltimoTipo() const { return tipo_; }

 private:
  TDatabase* db_;
  TTipoBloqueio tipo_ = tbNenhum;
};

}  // namespace vyn
