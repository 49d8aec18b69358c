#pragma once
// Task parameters read as the suite's tasks read them.
#include <string>

namespace integracao {

// A strict integer (the whole trimmed text, an optional sign and digits); anything else raises the
// conversion error "'<text>' is not a valid integer value".
int ParametroInteiroEstrito(const std::string& texto);
// The integer, or def when the text is not one.
int ParametroInteiroDef(const std::string& texto, int def);
// "true"/"false" without regard to case; def when empty or anything else.
bool ParametroBooleano(const std::string& texto, bool def);

}  // namespace integracao
