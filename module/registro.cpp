#include "module/registro.h"

namespace integracao {

TListaRegistro RegistrosDoModulo() {
  TListaRegistro todos;
  for (auto lista : {RegistrosLiquidacao, RegistrosExtratoBancario, RegistrosImportacaoLancamentos,
                     RegistrosRevisaoLancamentos, RegistrosOmie, RegistrosVynReport, RegistrosNibo,
                     RegistrosUtilitariosContabilizacao, RegistrosECF, RegistrosSequenciasRelatorios,
                     RegistrosValidacaoSpedBI, RegistrosSocios}) {
    TListaRegistro l = lista();
    todos.insert(todos.end(), std::make_move_iterator(l.begin()), std::make_move_iterator(l.end()));
  }
  return todos;
}

void RegistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista) {
  std::vector<std::string> feitos;
  try {
    for (const auto& r : lista) {
      registry.RegisterClass(r.Nome, r.Fabrica, r.Tipo);
      feitos.push_back(r.Nome);
    }
  } catch (...) {
    for (const auto& nome : feitos) registry.UnRegisterClass(nome);
    throw;
  }
}

void DesregistraModulo(vyn::TClassRegistry& registry, const TListaRegistro& lista) {
  for (const auto& r : lista) registry.UnRegisterClass(r.Nome);
}

}  // namespace integracao
