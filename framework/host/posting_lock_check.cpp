#include "framework/host/posting_lock_check.h"

#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

// The first row of a query prepared once per attachment: a posting run checks every settlement's date.
std::vector<Variant> PrimeiraLinha(TDatabase& db, const std::string& sql, const TParams& params) {
  std::vector<Variant> primeira;
  db.Prepared(sql).Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
    if (primeira.empty()) primeira = row;
  });
  return primeira;
}

}  // namespace

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

  // The three reads share one transaction (the caller's when it has one open).
  TTransaction tr(*db, TTransaction::kJuntaAberta);
  // While the result accounts are zeroed, nothing may post into the period, whatever the screen.
  const std::vector<Variant> z = PrimeiraLinha(
      *db,
      "SELECT FIRST 1 BDDATAINI, BDDATAFIM FROM TPROCESSO_ZERAMENTO "
      "WHERE BDCODEMP = ? AND BDDATAINI <= ? AND BDDATAFIM >= ? ORDER BY BDDATAINI",
      {codEmp, fim, inicio});
  if (!z.empty()) {
    tipo_ = tbZeramento;
    message = fmt::format("Existe processo de zeramento da empresa {} no período de {} a {}.", codEmp,
                          DateToStr(z[0].AsDateTime()), DateToStr(z[1].AsDateTime()));
    tr.Commit();
    return true;
  }

  const std::vector<Variant> r = PrimeiraLinha(
      *db,
      "SELECT FIRST 1 BDDATAINI, BDDATAFIM, BDMOTIVO FROM TBLOQUEIO_LANCAMENTO "
      "WHERE BDCODEMP = ? AND UPPER(BDTELA) = UPPER(?) AND BDDATAINI <= ? AND BDDATAFIM >= ? "
      "ORDER BY BDDATAINI",
      {codEmp, tela, fim, inicio});
  if (!r.empty()) {
    tipo_ = tbBloqueioLancamento;
    message = fmt::format("Existe bloqueio de lançamentos da empresa {} no período de {} a {}.", codEmp,
                          DateToStr(r[0].AsDateTime()), DateToStr(r[1].AsDateTime()));
    const std::string motivo = r[2].AsString();
    if (!motivo.empty()) message += " Motivo: " + motivo;
    tr.Commit();
    return true;
  }

  // The company's last closing: the latest one its monthly records carry.
  const Variant encerramento =
      db->Prepared("SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP = ?").QueryValue({codEmp});
  if (!encerramento.IsNull() && inicio <= encerramento.AsDateTime().DateOnly()) {
    tipo_ = tbEncerramento;
    message = fmt::format("O período da empresa {} está encerrado até {}.", codEmp,
                          DateToStr(encerramento.AsDateTime()));
    tr.Commit();
    return true;
  }
  tr.Commit();
  return false;
}

}  // namespace vyn
