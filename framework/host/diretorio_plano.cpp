#include "framework/host/diretorio_plano.h"

#include <filesystem>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/host/auto_thread.h"

namespace vyn {

int StrToInt(const std::string& texto) {
  const std::string t = Trim(texto);
  size_t usado = 0;
  try {
    const int v = std::stoi(t, &usado);
    if (usado == t.size()) return v;
  } catch (const std::exception&) {
  }
  throw EConvertError("'" + texto + "' is not a valid integer value");
}

int StrToIntDef(const std::string& texto, int padrao) {
  try {
    return StrToInt(texto);
  } catch (const EConvertError&) {
    return padrao;
  }
}

std::string GetDiretorioPlano(int referenciaMMYYYY, bool criar) {
  auto& ctx = ProcessContext();
  const std::filesystem::path pasta = std::filesystem::path(ctx.ProgramFolder) / "tarvo" /
                                      ("plano_" + std::to_string(ctx.WP_PLANO_TARVO)) /
                                      ZeroPad(referenciaMMYYYY, 6);
  if (criar) std::filesystem::create_directories(pasta);
  return pasta.string() + "/";
}

bool SempreUsarDiretorioPlano(const TAutoThreadPadrao& task) {
  return SameText(task.GetParametro("SempreUsarDiretorio"), "True");
}

}  // namespace vyn
