#include "framework/host/posting_lock_check.h"

#include <array>
#include <optional>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

// The three kinds of lock in one statement, prepared once per attachment: a posting run checks every
// settlement's date, and one read costs a third of three. Each row names its kind: the first zeroing
// over the period, the first lock row of the screen over it, and the company's last closing (always
// one row, its date null when there is none).
constexpr const char* kConsultaBloqueios =
    "select 1, DINI, DFIM, MOTIVO from (select first 1 BDDATAINI as DINI, BDDATAFIM as DFIM, "
    "cast(null as varchar(200)) as MOTIVO from TPROCESSO_ZERAMENTO "
    "where BDCODEMP = ? and BDDATAINI <= ? and BDDATAFIM >= ? order by BDDATAINI) "
    "union all "
    "select 2, DINI, DFIM, MOTIVO from (select first 1 BDDATAINI as DINI, BDDATAFIM as DFIM, BDMOTIVO as MOTIVO "
    "from TBLOQUEIO_LANCAMENTO where BDCODEMP = ? and UPPER(BDTELA) = UPPER(?) and BDDATAINI <= ? and "
    "BDDATAFIM >= ? order by BDDATAINI) "
    "union all "
    "select 3, max(BDULTENC), cast(null as date), cast(null as varchar(200)) from TEMPRESAS_REF where BDCODEMP = ?";

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

  // By kind: the zeroing, the lock row, the closing.
  std::array<std::optional<std::vector<Variant>>, 3> achados;
  db->Prepared(kConsultaBloqueios)
      .Query({codEmp, fim, inicio, codEmp, tela, fim, inicio, codEmp},
             [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
               const int64_t k = row[0].AsInteger();
               if (k >= 1 && k <= 3) achados[static_cast<size_t>(k - 1)] = row;
             });

  // While the result accounts are zeroed, nothing may post into the period, whatever the screen.
  if (const auto& z = achados[0]) {
    tipo_ = tbZeramento;
    message = fmt::format("Existe processo de zeramento da empresa {} no período de {} a {}.", codEmp,
                          DateToStr((*z)[1].AsDateTime()), DateToStr((*z)[2].AsDateTime()));
    return true;
  }
  if (const auto& r = achados[1]) {
    tipo_ = tbBloqueioLancamento;
    message = fmt::format("Existe bloqueio de lançamentos da empresa {} no período de {} a {}.", codEmp,
                          DateToStr((*r)[1].AsDateTime()), DateToStr((*r)[2].AsDateTime()));
    const std::string motivo = (*r)[3].IsNull() ? std::string() : (*r)[3].AsString();
    if (!motivo.empty()) message += " Motivo: " + motivo;
    return true;
  }

  // The company's last closing: the latest one its monthly records carry.
  const Variant encerramento = achados[2] ? (*achados[2])[1] : Variant();
  if (!encerramento.IsNull() && inicio <= encerramento.AsDateTime().DateOnly()) {
    tipo_ = tbEncerramento;
    message = fmt::format("O período da empresa {} está encerrado até {}.", codEmp,
                          DateToStr(encerramento.AsDateTime()));
    return true;
  }
  return false;
}

}  // namespace vyn
