#pragma once
// The module's registration entry: every class the host creates by name, one list per subsystem.
#include <string>
#include <vector>

#include "framework/component/class_registry.h"

namespace integracao {

struct TRegistroClasse {
  std::string Nome;
  vyn::TClassKind Tipo = vyn::TClassKind::Other;
  vyn::TComponentFactory Fabrica;
};
using TListaRegistro = std::vector<TRegistroClasse>;

template <class T>
TRegistroClasse Registro(std::string nome, vyn::TClassKind tipo) {
  return {std::move(nome), tipo, [](vyn::TComponent* owner) { return std::make_unique<T>(owner); }};
}

// One list per subsystem.
TListaRegistro RegistrosLiquidacao();  // settlement engine: registers nothing
TListaRegistro RegistrosUtilitariosContabilizacao();  // posting utilities

// Every subsystem's list, in load order.
TListaRegistro RegistrosDoModulo();

// Registers every class of the list (by default the module's); all or nothing: a name already taken
// leaves the registry as it was and throws vyn::EClassRegistryError.
void RegistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista = RegistrosDoModulo());
// Unregisters every class of the list (by default the module's).
void DesregistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista = RegistrosDoModulo());

}  // namespace integracao
