#include "framework/accounting/gerador_relatorio_formulas.h"

#include "framework/component/class_registry.h"

namespace vyn {

IBuscaFormulasGerador& CriaBuscaFormulasGerador(TComponent& owner) {
  TComponent* c = ClassRegistry().CreateComponent(kClasseBuscaFormulas, owner);
  auto* avaliador = dynamic_cast<IBuscaFormulasGerador*>(c);
  if (!avaliador) {
    owner.FreeComponent(c);
    throw EClassRegistryError(std::string("A classe ") + kClasseBuscaFormulas + " não avalia fórmulas.");
  }
  return *avaliador;
}

}  // namespace vyn
