#include "framework/web/exp_vyn_report.h"

#include <nlohmann/json.hpp>

#include "framework/core/text.h"
#include "framework/core/variant.h"

namespace vyn {

namespace {

int Numero(const std::string& t, const char* oque, int maximo) {
  const std::string s = Trim(t);
  if (s.empty()) return 0;
  if (OnlyDigits(s) != s || s.size() > 9) throw EIdentificadorVYNReport(std::string("Identificador com ") + oque + " inválido: " + s);
  const int n = std::stoi(s);
  if (n > maximo) throw EIdentificadorVYNReport(std::string("Identificador com ") + oque + " inválido: " + s);
  return n;
}

}  // namespace

void TExpVYNReport::SetFileName(const std::string& identificador) {
  if (identificador.size() < 7 || identificador[0] != 'U' || OnlyDigits(identificador.substr(1, 6)).size() != 6)
    throw EIdentificadorVYNReport("Identificador do VYN Report inválido: " + identificador);
  Cliente = identificador.substr(1, 6);
  std::vector<std::string> f = Split(identificador.substr(7), '|');
  f.resize(9);
  if (OnlyDigits(Trim(f[0])).empty() || OnlyDigits(Trim(f[0])) != Trim(f[0]))
    throw EIdentificadorVYNReport("Identificador sem o código da empresa no VYN Report: " + identificador);
  EmpresaYRK = Numero(f[0], "empresa", 999999999);
  Relatorio = Trim(f[1]);
  if (Relatorio.empty()) throw EIdentificadorVYNReport("Identificador sem o relatório: " + identificador);
  if (!Currency::TryParse(Trim(f[2]).empty() ? "0" : Trim(f[2]), Valor))
    throw EIdentificadorVYNReport("Identificador com valor inválido: " + f[2]);
  CodFunc = Numero(f[3], "funcionário", 999999999);
  Individual = Numero(f[4], "indicador individual", 999999999);
  TipoFolhaPag = static_cast<TTipoFolhaPagYRK>(Numero(f[5], "tipo de folha", yrkTpFolhaMensal));
  TipoGuia = static_cast<TTipoGuiaYRK>(Numero(f[6], "tipo de guia", yrkTpGuiaOutras));
  Serie = Trim(f[7]);
  TipoFuncionario = Trim(f[8]);
}

std::string TExpVYNReport::getJSon(const std::string&) const {
  nlohmann::ordered_json guia;
  guia["serie"] = Serie;
  guia["tipoFuncionario"] = TipoFuncionario;
  nlohmann::ordered_json j;
  j[std::to_string(EmpresaYRK)] = nlohmann::ordered_json::array({guia});
  return j.dump();
}

}  // namespace vyn
