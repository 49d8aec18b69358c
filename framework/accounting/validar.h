#pragma once
// The cell validator of the spreadsheet imports: checks one cell's text against its kind, whether
// it is required, its length or its allowed values, reports a refused cell itself (with the sheet
// line and the field's caption) and clears the row's ok flag.
#include <string>
#include <vector>

#include "framework/core/variant.h"

namespace vyn {

class TInconsistencias_VYN;

// Kinds of cell.
enum TTipoValidacao : int { tvInteiro = 3, tvMoeda = 6, tvData = 7, tvTexto = 256 };

class TValidar {
 public:
  // Answers the converted value (integer, Currency, TDateTime or trimmed text); null for an empty
  // cell or a refused one. `verifica`: the cell must be filled. `tamanho`: maximum length in
  // characters (digits for integers), 0 for none.
  static Variant ValidaCampo(bool verifica, bool, int linha, const std::string& campo, int tipo,
                             TInconsistencias_VYN& lista, const std::string& texto, bool& ok, int tamanho = 0);
  // The cell, when filled, must be one of the allowed values (compared as integers).
  static Variant ValidaCampo(bool verifica, bool, int linha, const std::string& campo, int tipo,
                             TInconsistencias_VYN& lista, const std::string& texto, bool& ok,
                             const std::vector<int>& permitidos);
};

}  // namespace vyn
