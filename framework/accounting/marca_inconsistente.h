#pragma once
// The mark an imported entry line carries in BDINCONSISTENTE: whether the import still writes it as an
// ordinary entry. An empty mark reads as miConsistente.

namespace vyn {

enum TMarcaInconsistente : int {
  miConsistente = 0,        // an ordinary entry: the import writes it
  miForaDaImportacao = 1,   // its settlement was posted (or it is kept out by hand): never written as an entry
  miComErro = 2,            // the import's own check found it incomplete (date, value or account)
  miAvisoBaixa = 4,         // a settlement posting left a warning: kept out until it is fixed
};

}  // namespace vyn
