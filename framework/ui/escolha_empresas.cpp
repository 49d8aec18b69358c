#include "framework/ui/escolha_empresas.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/ui/dialogs.h"

namespace vyn {

bool EscolheEmpresas(TEdit_Codigo_Search_VYN& edit, const TQueryResult& empresas) {
  const std::vector<int64_t> atuais = edit.CodigosSelecionados();
  std::vector<std::string> itens;
  std::vector<bool> marcados;
  for (size_t i = 0; i < empresas.Rows.size(); ++i) {
    const int64_t cod = empresas.Value(i, "BDCODEMP").AsInteger();
    itens.push_back(std::to_string(cod) + " - " + empresas.Value(i, "BDNOMEMP").AsString());
    marcados.push_back(std::find(atuais.begin(), atuais.end(), cod) != atuais.end());
  }
  if (!ChooseItems("Empresas", itens, marcados)) return false;
  std::vector<size_t> escolhidos;
  for (size_t i = 0; i < marcados.size(); ++i)
    if (marcados[i]) escolhidos.push_back(i);
  edit.SetMultiSelect(false);
  if (escolhidos.size() == 1) {
    edit.SetText(std::to_string(empresas.Value(escolhidos[0], "BDCODEMP").AsInteger()));
    edit.Search();
    return true;
  }
  edit.SetText("");
  for (size_t i : escolhidos) edit.AddMultiSelecao(itens[i], empresas.Value(i, "BDCODEMP").AsInteger());
  return true;
}

}  // namespace vyn
