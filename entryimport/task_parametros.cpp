#include "entryimport/task_parametros.h"

#include <stdexcept>

#include "framework/core/text.h"
#include "framework/host/auto_thread.h"

namespace integracao {

int ParametroInteiroEstrito(const std::string& texto) {
  const std::string t = vyn::Trim(texto);
  const std::string digitos = !t.empty() && (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
  if (digitos.empty() || digitos.size() > 9 || vyn::OnlyDigits(digitos) != digitos)
    throw std::invalid_argument("'" + texto + "' is not a valid integer value");
  return std::stoi(t);
}

int ParametroInteiroDef(const std::string& texto, int def) {
  try {
    return ParametroInteiroEstrito(texto);
  } catch (const std::invalid_argument&) {
    return def;
  }
}

bool ParametroBooleano(const std::string& texto, bool def) {
  const std::string t = vyn::UpperCase(vyn::Trim(texto));
  if (t == "TRUE") return true;
  if (t == "FALSE") return false;
  return def;
}

TEmpresaReferenciaTarefa LeEmpresaReferencia(const vyn::TAutoThreadPadrao& task) {
  TEmpresaReferenciaTarefa r;
  r.CodEmpresa = ParametroInteiroEstrito(task.GetParametro("cod_empresa"));
  r.Referencia = ParametroInteiroDef(task.GetParametro("referencia"), 0);
  vyn::ProcessContext().WP_REF_TARVO = r.Referencia;
  return r;
}

}  // namespace integracao
