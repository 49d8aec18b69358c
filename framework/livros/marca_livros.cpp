#include "framework/livros/marca_livros.h"

#include "framework/data/tabelas_livros.h"

namespace vyn {

namespace {
constexpr const char* kMarcado = "1";
}  // namespace

void MarcaConexaoDoModulo(TDatabase& db) { db.SetSessionContext(kContextoModulo, kMarcado); }

TMarcaLivros::TMarcaLivros(TDatabase& db) : contexto_(db, kContextoLivros, kMarcado) {}

TEscritaForaDoModulo::TEscritaForaDoModulo(TDatabase& db) : contexto_(db, kContextoModulo, std::nullopt) {}

}  // namespace vyn
