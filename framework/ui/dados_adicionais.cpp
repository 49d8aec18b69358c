#include "framework/ui/dados_adicionais.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/screen_user_config.h"

namespace vyn {

std::string TDadosAdicionais::NomeTela(const std::string& classe) {
  return !classe.empty() && (classe[0] == 'T' || classe[0] == 't') ? classe.substr(1) : classe;
}

bool TDadosAdicionais::Load(TComponent& tela, int empresa, int sequencia) {
  TDatabase* db = ProcessContext().Database;
  if (!db) return false;
  const std::string nome = NomeTela(Classe.empty() ? tela.ClassName() : Classe);
  if (sequencia < 0) {
    const Variant m = db->QueryValue(
        "SELECT MAX(BDSEQUENCIA) FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCODEMP = ? AND BDTELA = ?", {empresa, nome});
    if (m.IsNull()) return false;
    sequencia = static_cast<int>(m.AsInteger());
  }
  TQueryResult r = db->QueryAll(
      "SELECT BDCOMPNAME, BDCOMPVALUE FROM TEXPORTACAO_ITEMSTELA_CONFIG WHERE BDCODEMP = ? AND BDTELA = ? AND "
      "BDSEQUENCIA = ? ORDER BY BDCOMPNAME",
      {empresa, nome, sequencia});
  if (r.Rows.empty()) return false;
  valores_.clear();
  sequencia_ = sequencia;
  for (const auto& l : r.Rows) {
    const std::string comp = l[0].AsString();
    const std::string valor = l[1].IsNull() ? "" : l[1].AsString();
    valores_[UpperCase(comp)] = valor;
    if (SameText(comp, "edCODEMP")) continue;   // the company is the one asked for
    TComponent* c = tela.FindComponent(comp);
    if (!c) continue;
    if (AplicaValor)
      AplicaValor(*c, valor);
    else
      TScreenUserConfig::SetValorDoControle(*c, valor);
  }
  if (OnLoad) OnLoad(*this);
  return true;
}

std::string TDadosAdicionais::Valor(const std::string& componentName) const {
  auto it = valores_.find(UpperCase(componentName));
  return it == valores_.end() ? "" : it->second;
}

bool getOwnerInComponent(const TComponent* c, const std::string& className) {
  for (const TComponent* o = c ? c->Owner() : nullptr; o; o = o->Owner())
    if (o->InheritsFrom(className)) return true;
  return false;
}

}  // namespace vyn
