#include "framework/host/posting_lock_check.h"

#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"

namespace vyn {

bool TVerificaBloqueioLancamento::Locked(int codEmp, TDateTime inicio, TDateTime fim, const std::string& tela,
                                         int codUsuario, int sistema, std::string& message) {
  tipo_ = tbNenhum;
  message.clear();
  TDatabase* db = db_ ? db_ : ProcessContext().Database;
  if (!db || !db->Connected()) throw std::logic_error("Verificação de bloqueio de lançamentos sem banco de dados");
  if (inicio.Value == 0 && fim.Value == 0) return false;
  if (inicio.Value == 0) inicio = fim;
  if (fim.Value == 0) fim = inicio;
  inicio = inicio.DateOnly();
  fim = fim.DateOnly();
  if (fim < inicio) std::swap(inicio, fim);

  // While the result accounts are zeroed, nothing may post into the period, whatever the screen.
  TQueryResult z = db->QueryAll(
      "SELECT FIRST 1 BDDATAINI, BDDATAFIM FROM TPROCESSO_ZERAMENTO "
      "WHERE BDCODEMP = ? AND BDDATAINI <= ? AND BDDATAFIM >= ? ORDER BY BDDATAINI",
      {codEmp, fim, inicio});
  if (!z.Rows.empty()) {
    tipo_ = tbZeramento;
    message = fmt::format("Existe processo de zeramento da empresa {} no período de {} a {}.", codEmp,
                          DateToStr(z.Value(0, "BDDATAINI").AsDateTime()),
                          DateToStr(z.Value(0, "BDDATAFIM").AsDateTime()));
    return true;
  }

  TQueryResult r = db->QueryAll(
      "SELECT FIRST 1 BDDATAINI, BDDATAFIM, BDMOTIVO FROM TBLOQUEIO_LANCAMENTO "
      "WHERE BDCODEMP = ? AND UPPER(BDTELA) = UPPER(?) AND BDDATAINI <= ? AND BDDATAFIM >= ? "
      "ORDER BY BDDATAINI",
      {codEmp, tela, fim, inicio});
  if (!r.Rows.empty()) {
    tipo_ = tbBloqueioLancamento;
    message = fmt::format("Existe bloqueio de lançamentos da empresa {} no período de {} a {}.", codEmp,
                          DateToStr(r.Value(0, "BDDATAINI").AsDateTime()),
                          DateToStr(r.Value(0, "BDDATAFIM").AsDateTime()));
    const std::string motivo = r.Value(0, "BDMOTIVO").AsString();
    if (!motivo.empty()) message += " Motivo: " + motivo;
    return true;
  }

  // The company's last closing: the latest one its monthly records carry.
  Variant encerramento = db->QueryValue("SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP = ?", {codEmp});
  if (!encerramento.IsNull() && inicio <= encerramento.AsDateTime().DateOnly()) {
    tipo_ = tbEncerramento;
    message = fmt::format("O período da empresa {} está encerrado até {}.", codEmp,
                          DateToStr(encerramento.AsDateTime()));
    return true;
  }
  return false;
}

}  // namespace vyn
