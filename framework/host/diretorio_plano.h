#pragma once
// Folders and settings of scheduled (pushed) runs that the push-task base hands its tasks.
#include <stdexcept>
#include <string>

namespace vyn {

class TAutoThreadPadrao;

// Conversion of a text to an integer as the runtime does it: surrounding blanks allowed, anything
// else raises EConvertError naming the text.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
int StrToInt(const std::string& texto);
// The integer of the text, or padrao when it is not one.
int StrToIntDef(const std::string& texto, int padrao);

// The folder of the running schedule plan for a reference written MMYYYY (as 32024 for March
// 2024): <program folder>/tarvo/plano_<WP_PLANO_TARVO>/<MMYYYY>/; created when criar.
std::string GetDiretorioPlano(int referenciaMMYYYY, bool criar);

// The push base's setting "always use the plan folder": the run's parameter "SempreUsarDiretorio"
// ("True").
bool SempreUsarDiretorioPlano(const TAutoThreadPadrao& task);

}  // namespace vyn
