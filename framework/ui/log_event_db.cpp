#include "framework/ui/log_event_db.h"

#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

void TDatabaseLogWriter::EnsureTable(TDatabase& db) {
  db.CreateTableIfMissing(kActionLogTable, kActionLogDDL);
}

void TDatabaseLogWriter::Write(const TLogRecord& r) {
  // A database made before the table existed gets it here; inside an open transaction the new
  // table could not be used before commit, so there it must already exist.
  if (!db_.InTransaction()) EnsureTable(db_);
  std::vector<std::string> dados;
  for (auto& [k, v] : r.DadosPrincipais) dados.push_back(k + "=" + v);
  db_.Execute(
      "INSERT INTO VYN_LOG_EVENTO (BDDATAHORA, BDCODUSU, BDNOMEUSU, BDESTACAO, BDCODEMP, BDTIPOACAO, BDTELA,"
      " BDTITULO, BDTABELA, BDDADOS, BDTEXTO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {Variant(r.DataHora), Variant(r.CodUsuario), Variant(Utf8Left(r.NomeUsuario, 100)),
       Variant(Utf8Left(r.Estacao, 100)), Variant(r.CodEmp), Variant(r.TipoAcao), Variant(Utf8Left(r.Tela, 100)),
       Variant(Utf8Left(r.Titulo, 200)), Variant(Utf8Left(r.Tabela, 100)), Variant(Join(dados, kCRLF)),
       Variant(r.Texto())});
}

}  // namespace vyn
