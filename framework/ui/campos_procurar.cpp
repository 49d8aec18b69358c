#include "framework/ui/campos_procurar.h"

#include <stdexcept>

#include "framework/data/sql_value.h"

namespace vyn {

void TCamposProcurar::AdicionarCampo(const std::string& campo) {
  CheckSQLIdentifier<std::invalid_argument>(campo, "Campo de pesquisa inválido: ");
  if (Item(campo)) return;
  TFieldsContainerItem& i = Add(campo, campo, TTipoEditorCampo::Nenhum);
  i.ReadOnly = true;
}

std::vector<std::string> TCamposProcurar::Campos() const {
  std::vector<std::string> campos;
  for (const TFieldsContainerItem& i : Items()) campos.push_back(i.FieldName);
  return campos;
}

}  // namespace vyn
