// The books' boundary held by the database: on an attachment marked as the module's, a write to a table
// that moves money is refused unless the gate marks it as its own (framework/livros/marca_livros.h).
// The triggers are made from the one list of those tables, so a table added to it is guarded at once.
#include <fmt/format.h>

#include "framework/data/tabelas_livros.h"
#include "framework/schema/schema.h"

namespace vyn {

namespace {

// Names are of at most 31 characters; two tables whose names begin alike for 28 would make the schema
// refuse the second trigger by name.
std::string NomeGuarda(std::string_view tabela) { return ("TG_" + std::string(tabela)).substr(0, 31); }

// Position 0: ahead of the table's own triggers, so that nothing of the write runs before its refusal.
std::string GatilhoGuarda(std::string_view tabela) {
  return fmt::format(R"(CREATE TRIGGER {1} FOR {0} BEFORE INSERT OR UPDATE OR DELETE POSITION 0 AS
BEGIN
  IF (RDB$GET_CONTEXT('USER_SESSION', '{2}') IS NOT NULL AND RDB$GET_CONTEXT('USER_SESSION', '{3}') IS NULL) THEN
    EXCEPTION E_LIVROS_FORA_DO_PORTAO 'A tabela {0} só é gravada pelos livros: esta gravação não passou por eles.';
END)",
                     tabela, NomeGuarda(tabela), kContextoModulo, kContextoLivros);
}

}  // namespace

void AddGuardaLivrosSchema(TSchema& s) {
  s.AddProcedure("E_LIVROS_FORA_DO_PORTAO",
                 "CREATE EXCEPTION E_LIVROS_FORA_DO_PORTAO 'Gravação fora dos livros.'");
  for (std::string_view tabela : kTabelasDosLivros) s.AddProcedure(NomeGuarda(tabela), GatilhoGuarda(tabela));
}

}  // namespace vyn
