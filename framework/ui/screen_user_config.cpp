#include "framework/ui/screen_user_config.h"

#include <functional>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/control.h"
#include "framework/ui/edit.h"

namespace vyn {

TScreenUserConfig::TScreenUserConfig(TComponent* owner, std::string tela) : TComponent(owner), tela_(std::move(tela)) {
  if (tela_.empty() && owner) tela_ = owner->ClassName();
}

bool TScreenUserConfig::LeDoUsuario(const std::string& chave, const std::string& tela, std::string& valor) {
  auto& ctx = ProcessContext();
  valor.clear();
  if (!ctx.Database) return false;
  const TQueryResult r = ctx.Database->QueryAll(
      "SELECT BDVALOR FROM TCONFIG_USUARIO_TELA WHERE BDCODUSU = ? AND BDTELA = ? AND BDCHAVE = ?",
      {Variant(ctx.UserCode), Variant(tela), Variant(chave)});
  if (r.Rows.empty()) return false;
  if (!r.Rows[0][0].IsNull()) valor = r.Rows[0][0].AsString();
  return true;
}

std::string TScreenUserConfig::CarregarDoUsuario(const std::string& chave, const std::string& tela) {
  std::string valor;
  LeDoUsuario(chave, tela, valor);
  return valor;
}

void TScreenUserConfig::SalvarParaUsuario(const std::string& chave, const std::string& valor, const std::string& tela) {
  auto& ctx = ProcessContext();
  if (!ctx.Database) return;
  ctx.Database->Execute(
      "UPDATE OR INSERT INTO TCONFIG_USUARIO_TELA (BDCODUSU, BDTELA, BDCHAVE, BDVALOR) VALUES (?, ?, ?, ?) "
      "MATCHING (BDCODUSU, BDTELA, BDCHAVE)",
      {Variant(ctx.UserCode), Variant(tela), Variant(chave), Variant(valor)});
}

namespace {

// The radio items of the menu a toolbar button drops; empty when it drops none.
std::vector<TMenuItem*> ItensDeRadio(const TSpeedButton& b) {
  std::vector<TMenuItem*> radio;
  if (b.DropdownMenu)
    for (TMenuItem* m : b.DropdownMenu->Items())
      if (m->RadioItem) radio.push_back(m);
  return radio;
}

bool ValorDoItem(const TComponent& c, std::string& valor) {
  if (auto* b = dynamic_cast<const TSpeedButton*>(&c)) {
    const auto radio = ItensDeRadio(*b);
    if (radio.empty()) {
      valor = b->Down ? "True" : "False";
      return true;
    }
    valor.clear();
    for (const TMenuItem* m : radio)
      if (m->Checked) valor = m->Name();
    return true;
  }
  return TScreenUserConfig::ValorDoControle(c, valor);
}

bool SetValorDoItem(TComponent& c, const std::string& valor) {
  if (auto* b = dynamic_cast<TSpeedButton*>(&c)) {
    const auto radio = ItensDeRadio(*b);
    if (radio.empty()) {
      b->Down = UpperCase(valor) == "TRUE";
      return true;
    }
    // An item the menu no longer has leaves the choice as it is.
    bool existe = false;
    for (const TMenuItem* m : radio) existe = existe || (!valor.empty() && SameText(m->Name(), valor));
    if (!existe) return false;
    for (TMenuItem* m : radio) m->Checked = SameText(m->Name(), valor);
    return true;
  }
  return TScreenUserConfig::SetValorDoControle(c, valor);
}

}  // namespace

void TScreenUserConfig::RegisterComponent(TComponent* c, const std::string& name) {
  if (!c || name.empty()) return;
  for (auto& [comp, nome] : itens_)
    if (comp == c || SameText(nome, name)) return;
  itens_.emplace_back(c, name);
}

int TScreenUserConfig::Load() {
  itensCarregados_ = true;
  int n = 0;
  for (auto& [c, nome] : itens_) {
    if (excluidos_.count(UpperCase(nome))) continue;
    std::string valor;
    // Nothing saved yet: the control keeps what the screen gave it.
    if (LeDoUsuario(nome, tela_, valor) && SetValorDoItem(*c, valor)) ++n;
  }
  return n;
}

void TScreenUserConfig::SalvaItens() const {
  TDatabase* db = ProcessContext().Database;
  if (!itensCarregados_ || notSave_ || !db) return;
  // The screen's choices are kept together or not at all.
  TTransaction tr(*db, TTransaction::kJuntaAberta);
  for (const auto& [c, nome] : itens_) {
    std::string valor;
    if (!excluidos_.count(UpperCase(nome)) && ValorDoItem(*c, valor)) SalvarParaUsuario(nome, valor);
  }
  tr.Commit();
}

void TScreenUserConfig::Excluir(const std::string& componentName) { excluidos_.insert(UpperCase(componentName)); }

bool TScreenUserConfig::ValorDoControle(const TComponent& c, std::string& valor) {
  if (auto e = dynamic_cast<const TCustomEdit*>(&c)) { valor = e->Text(); return true; }
  if (auto k = dynamic_cast<const TCheckBox*>(&c)) { valor = k->Checked() ? "True" : "False"; return true; }
  if (auto b = dynamic_cast<const TComboBox_Padrao_VYN*>(&c)) { valor = std::to_string(b->ItemIndex()); return true; }
  if (auto r = dynamic_cast<const TRadioGroup*>(&c)) { valor = std::to_string(r->ItemIndex()); return true; }
  if (auto l = dynamic_cast<const TCheckListBox*>(&c)) {
    valor.clear();
    for (size_t i = 0; i < l->Items.size(); ++i)
      if (l->Items[i].Checked) valor += (valor.empty() ? "" : ",") + std::to_string(i);
    return true;
  }
  return false;
}

bool TScreenUserConfig::SetValorDoControle(TComponent& c, const std::string& valor) {
  auto indice = [&](int n) {
    try {
      int i = std::stoi(valor);
      return i >= -1 && i < n ? i : -1;
    } catch (...) {
      return -1;
    }
  };
  if (auto e = dynamic_cast<TCustomEdit*>(&c)) { e->SetText(valor); return true; }
  if (auto k = dynamic_cast<TCheckBox*>(&c)) { k->SetChecked(UpperCase(valor) == "TRUE"); return true; }
  if (auto b = dynamic_cast<TComboBox_Padrao_VYN*>(&c)) {
    b->SetItemIndex(indice(static_cast<int>(b->Items.size())));
    return true;
  }
  if (auto r = dynamic_cast<TRadioGroup*>(&c)) { r->SetItemIndex(indice(static_cast<int>(r->Items.size()))); return true; }
  if (auto l = dynamic_cast<TCheckListBox*>(&c)) {
    for (auto& it : l->Items) it.Checked = false;
    for (const auto& parte : Split(valor, ',')) {
      try {
        size_t i = static_cast<size_t>(std::stoi(parte));
        if (i < l->Items.size()) l->Items[i].Checked = true;
      } catch (...) {
      }
    }
    return true;
  }
  return false;
}

void TScreenUserConfig::Percorre(TComponent& raiz, const std::function<void(TComponent&)>& f) const {
  for (TComponent* c : raiz.Components()) {
    if (c == this) continue;
    if (!excluidos_.count(UpperCase(c->Name()))) f(*c);
    Percorre(*c, f);
  }
}

int TScreenUserConfig::loadComponentsValue(TComponent* raiz, bool, bool) {
  if (!fonte_ || modo_ != 4 || !Owner()) return 0;
  TComponent& r = raiz ? *raiz : *Owner();
  int n = 0;
  Percorre(r, [&](TComponent& c) {
    if (c.Name().empty()) return;
    if (!fonte_->Locate("BDSEQUENCIA;BDORDEM;BDCOMPNAME", {Variant(modelo_), Variant(chave_), Variant(c.Name())},
                        loCaseInsensitive))
      return;
    if (SetValorDoControle(c, fonte_->FieldByName("BDCOMPVALUE").AsString())) ++n;
  });
  Carregado = true;
  return n;
}

void TScreenUserConfig::saveComponentsValue(bool) {
  if (!fonte_ || modo_ != 4 || !Owner() || notSave_) return;
  Percorre(*Owner(), [&](TComponent& c) {
    std::string valor;
    if (c.Name().empty() || !ValorDoControle(c, valor)) return;
    if (fonte_->Locate("BDSEQUENCIA;BDORDEM;BDCOMPNAME", {Variant(modelo_), Variant(chave_), Variant(c.Name())},
                       loCaseInsensitive)) {
      fonte_->Edit();
    } else {
      fonte_->Append();
      fonte_->FieldByName("BDSEQUENCIA").SetAsInteger(modelo_);
      fonte_->FieldByName("BDORDEM").SetAsInteger(chave_);
      fonte_->FieldByName("BDCOMPNAME").SetAsString(c.Name());
    }
    fonte_->FieldByName("BDCOMPVALUE").SetAsString(valor);
    fonte_->Post();
  });
}

void TScreenUserConfig::deleteConfigReport() {
  if (!fonte_ || modo_ != 4) return;
  while (fonte_->Locate("BDSEQUENCIA;BDORDEM", {Variant(modelo_), Variant(chave_)})) fonte_->Delete();
}

}  // namespace vyn
