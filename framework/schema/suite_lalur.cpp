// The LALUR integration plans: each belongs to one company and to the posting plan its postings use.
#include "framework/schema/schema.h"

namespace vyn {

void AddSuiteLalurSchema(TSchema& s) {
  s.AddTable("TPLANO_CONTAB_LALUR", R"(CREATE TABLE TPLANO_CONTAB_LALUR (
  BDCODCONTABLALUR INTEGER NOT NULL,
  BDCODEMP INTEGER NOT NULL,
  BDDESCRICAO VARCHAR(150),
  BDCODPLANOONLINE INTEGER,
  CONSTRAINT PK_TPLANO_CONTAB_LALUR PRIMARY KEY (BDCODCONTABLALUR)))");
}

}  // namespace vyn
