#pragma once
// The portal identifier of a guide, as the identifier report writes it, read into the portal's
// fields. Identifier text: "U" + the customer code with six digits + the fields of the guide
// separated by '|': portal company code | report id | value (decimal point) | employee code |
// individual | payroll kind | guide kind | series | employee kind. Fields left out at the end are
// empty; numbers may be empty (0).
#include <string>

#include "framework/component/component.h"
#include "framework/core/currency.h"

namespace vyn {

enum TTipoGuiaYRK {
  yrkTpGuiaNenhum, yrkTpGuiaGPS, yrkTpGuiaDARF, yrkTpGuiaIRLP_1, yrkTpGuiaIRLP_2, yrkTpGuiaIRLP_3, yrkTpGuiaGARESP,
  yrkTpGuiaOutras
};
enum TTipoFolhaPagYRK {
  yrkTpFolhaNada, yrkTpFolhaFerias, yrkTpFolhaCom13Sal, yrkTpFolha13Sal, yrkTpFolhaAdiSal, yrkTpFolhaNormal,
  yrkTpFolhaRescisao, yrkTpFolhaFolhaCompl, yrkTpFolhaPLR, yrkTpFolhaAdi13Sal, yrkTpFolhaSemanaTodas,
  yrkTpFolhaSemana01, yrkTpFolhaSemana02, yrkTpFolhaSemana03, yrkTpFolhaSemana04, yrkTpFolhaSemana05,
  yrkTpFolhaSemana06, yrkTpFolhaMensal
};

class EIdentificadorVYNReport : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TExpVYNReport : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TExpVYNReport"; }

  // Reads the identifier; EIdentificadorVYNReport names what is wrong.
  void SetFileName(const std::string& identificador);
  // {"<EmpresaYRK>": [{"serie": "...", "tipoFuncionario": "..."}]}
  std::string getJSon(const std::string& = {}) const;

  std::string Cliente;
  int EmpresaYRK = 0;
  std::string Relatorio;
  Currency Valor;
  int CodFunc = 0;
  int Individual = 0;
  TTipoFolhaPagYRK TipoFolhaPag = yrkTpFolhaNada;
  TTipoGuiaYRK TipoGuia = yrkTpGuiaNenhum;
  std::string Serie;
  std::string TipoFuncionario;
};

}  // namespace vyn
