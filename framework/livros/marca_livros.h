#pragma once
// Who may write the tables that move money (framework/data/tabelas_livros.h). The database itself holds
// the boundary (framework/schema/guarda_livros.cpp): on an attachment the module works through, a write
// to one of them is refused, naming the table, unless the gate has marked it as its own; whatever call
// makes it (a statement, a row inserter, an upsert, a script, a block, a trigger of another table), the
// writer's unit of work rolls back. Other programs of the suite (its entry screen, the fiscal module,
// isql) work through attachments of their own, which carry no mark, and write as they always did.
//
// Every mark is a session context value that the data layer sends just before the next statement
// (TDatabase::SetSessionContext): opening and closing a scope costs nothing by itself, and a run of the
// gate's writes with nothing between them sends it once.
#include "framework/data/fb_database.h"

namespace vyn {

// Marks db's attachment as the module's, now and after every reopening: from then on only the gate
// writes the money tables through it. The host marks the attachment of every run; the tests, their
// company database.
void MarcaConexaoDoModulo(TDatabase& db);

// The gate's own writes: while one lives, db's statements may write the money tables. The gate opens it
// around each of its writes, and nothing else does (LivrosEscritores names any other file that opens it).
class TMarcaLivros {
 public:
  explicit TMarcaLivros(TDatabase& db);

 private:
  TSessionContextScope contexto_;
};

// Writes that another program of the suite makes and that a test, a benchmark or a seed stands for (the
// suite's entry screen deleting an entry, the fiscal module issuing an installment and its payments):
// while one lives, db's attachment is not the module's, as that program's is not. Named so that a seed
// says what it is; only tests, benchmarks and seed builders open it (LivrosEscritores names any other).
class TEscritaForaDoModulo {
 public:
  explicit TEscritaForaDoModulo(TDatabase& db);

 private:
  TSessionContextScope contexto_;
};

}  // namespace vyn
