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
TListaRegistro RegistrosExtratoBancario();  // bank-statement import and reconciliation
TListaRegistro RegistrosImportacaoLancamentos();  // accounting-entry import: feeders and tasks
TListaRegistro RegistrosRevisaoLancamentos();  // accounting-entry import: the review screens
TListaRegistro RegistrosOmie();  // business systems: Omie
TListaRegistro RegistrosVynReport();  // business systems: the report portal's payments
TListaRegistro RegistrosNibo();  // business systems: Nibo
TListaRegistro RegistrosECF();  // statutory files: the ECF export
TListaRegistro RegistrosSequenciasRelatorios();  // report automation: report sequences
TListaRegistro RegistrosValidacaoSpedBI();  // statutory files: SPED validation, BI requests, formulas
TListaRegistro RegistrosSocios();  // partners' registry import

// Every subsystem's list, in load order.
TListaRegistro RegistrosDoModulo();

// Registers every class of the list (by default the module's); all or nothing: a name already taken
// leaves the registry as it was and throws vyn::EClassRegistryError.
void RegistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista = RegistrosDoModulo());
// Unregisters every class of the list (by default the module's).
void DesregistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista = RegistrosDoModulo());

}  // namespace integracao
