#include "framework/host/posting_lock_check.h"

#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/data/fb_database.h"
#include "framework/livros/livros.h"

namespace vyn {

std::string MensagemBloqueio(TTipoBloqueio tipo, int codEmp, const Variant& inicio, const Variant& fim,
                             const Variant& motivo) {
  auto data = [](const Variant& d) { return d.IsNull() ? std::string() : DateToStr(d.AsDateTime()); };
  const TDateTime dia = inicio.IsNull() ? TDateTime() : inicio.AsDateTime();
  return MensagemRegra(tipo, codEmp, dia, data(inicio), data(fim), motivo.IsNull() ? std::string() : motivo.AsString());
}

bool TVerificaBloqueioLancamento::NoBanco(const TDatabase& db) const {
  return (db_ ? db_ : ProcessContext().Database) == &db;
}

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

  // While the result accounts are zeroed, nothing may post into the period, whatever the screen; then
  // the screen's lock rows; then the company's last closing (the latest its monthly records carry).
  const std::vector<Variant> r = db->Prepared("select TIPO, DINI, DFIM, MOTIVO from SP_BLOQUEIO_LANCAMENTO(?, ?, ?, ?)")
                                     .ExecuteReturning({codEmp, inicio, fim, tela});
  if (r.size() < 4 || r[0].IsNull() || r[0].AsInteger() == tbNenhum) return false;
  tipo_ = static_cast<TTipoBloqueio>(r[0].AsInteger());
  message = MensagemBloqueio(tipo_, codEmp, r[1], r[2], r[3]);
  return true;
}

}  // namespace vyn
