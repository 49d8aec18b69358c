#pragma once
// Task parameters read as the suite's tasks read them.
#include <string>

namespace vyn {
class TAutoThreadPadrao;
}

namespace integracao {

// A strict integer (the whole trimmed text, an optional sign and digits); anything else raises the
// conversion error "'<text>' is not a valid integer value".
int ParametroInteiroEstrito(const std::string& texto);
// The integer, or def when the text is not one.
int ParametroInteiroDef(const std::string& texto, int def);
// "true"/"false" without regard to case; def when empty or anything else.
bool ParametroBooleano(const std::string& texto, bool def);

// The company and month of a task's run: "cod_empresa" strictly (its conversion error ends the
// task), "referencia" YYYYMM or 0, which also becomes the host's WP_REF_TARVO.
struct TEmpresaReferenciaTarefa {
  int CodEmpresa = 0;
  int Referencia = 0;
};
TEmpresaReferenciaTarefa LeEmpresaReferencia(const vyn::TAutoThreadPadrao& task);

}  // namespace integracao
