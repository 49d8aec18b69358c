#pragma once
// How the suite's report generator reaches the formula evaluator a module registers: it creates the
// class by its registered name and calls Execute through this interface.
#include <memory>
#include <string>

#include "framework/component/component.h"
#include "framework/core/variant.h"

namespace vyn {

// The registered name the generator looks up.
inline constexpr const char* kClasseBuscaFormulas = "TBuscaFormulasPorParse";

class IBuscaFormulasGerador {
 public:
  virtual ~IBuscaFormulasGerador() = default;
  // One formula for one company and period; null when it gave no value. TipoCalculo: 2 general,
  // 3 tax, 4 ledger balances.
  virtual Variant Execute(const std::string& Formula, const std::string& Complemento, int TipoCalculo, int CodEmp,
                          const std::string& Referencia, const std::string& DataIni, const std::string& DataFim,
                          int Contabilizacao, bool IgnZeramento, const std::string& Reservado,
                          const std::string& Parametro) = 0;
  // Why the last Execute gave no value (the parsers' messages, one a line); "" when it gave one or
  // nobody said why.
  virtual std::string MotivoSemValor() const { return {}; }
};

// The registered evaluator, owned by owner (one serves a whole run of formulas); throws
// EClassNotFound when no module registered it, and EClassRegistryError when the class registered
// under the name is not an evaluator.
IBuscaFormulasGerador& CriaBuscaFormulasGerador(TComponent& owner);

}  // namespace vyn
