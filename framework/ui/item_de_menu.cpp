#include "framework/ui/item_de_menu.h"

#include <memory>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/form.h"
#include "framework/ui/packages_util.h"

namespace vyn {

namespace {
std::string Upper(const std::string& s) { return UpperCase(s); }
}  // namespace

const TEntradaMenu* TMenuSistema::Find(const std::string& name) const {
  for (const auto& e : Entradas)
    if (Upper(e.Name) == Upper(name)) return &e;
  return nullptr;
}

TPermissoes TMenuSistema::getPermissoes(const std::string& className) const {
  auto it = permissoes_.find(Upper(className));
  return it == permissoes_.end() ? kTodasPermissoes : it->second;
}

void TMenuSistema::SetPermissoes(const std::string& className, TPermissoes p) { permissoes_[Upper(className)] = p; }

TMenuSistema& MenuSistema() {
  auto& ctx = ProcessContext();
  if (!ctx.MenuSistema) ctx.MenuSistema = std::make_shared<TMenuSistema>();
  return *ctx.MenuSistema;
}

TItemDeMenu::TItemDeMenu(TComponent* owner, std::string caption, std::string name)
    : TComponent(owner), caption_(std::move(caption)) {
  captionBase_ = caption_;
  SetName(std::move(name));
}

const TEntradaMenu& TItemDeMenu::Entrada() const {
  const TEntradaMenu* e = MenuSistema().Find(Name());
  if (!e) throw std::runtime_error("Item de menu não encontrado: " + Name());
  return *e;
}

bool TItemDeMenu::TemPermissaoUsuario() const {
  return (MenuSistema().getPermissoes(Entrada().ClassName) & tpSearch) != 0;
}

TForm_VYN* TItemDeMenu::AbrirTela() {
  const TEntradaMenu& e = Entrada();
  CallChangeSistema(CodSis ? CodSis : e.CodSis);
  return TPackagesUtil::CarregaForm(this, e.ClassName);
}

std::string TItemDeMenu::MostrarString() const { return caption_; }

void TItemDeMenu::CallChangeSistema(int sistema) {
  auto& m = MenuSistema();
  m.Sistema = sistema;
  m.TrocasDeSistema.push_back(sistema);
}

}  // namespace vyn

namespace vyn {
std::vector<TItemDeMenu*> SelecionaRelatorios(TComponent* owner, int tipo) {
  std::vector<const TEntradaMenu*> entradas;
  std::vector<std::string> textos;
  for (const auto& e : MenuSistema().Entradas)
    if (e.Tipo == tipo) {
      entradas.push_back(&e);
      textos.push_back(e.Caption);
    }
  std::vector<bool> marcados(textos.size(), false);
  std::vector<TItemDeMenu*> out;
  if (textos.empty() || !ChooseItems("Selecione os processos", textos, marcados)) return out;
  for (size_t i = 0; i < entradas.size(); ++i)
    if (marcados[i]) {
      auto* item = owner->Create<TItemDeMenu>(entradas[i]->Caption, entradas[i]->Name);
      item->CodSis = entradas[i]->CodSis;
      out.push_back(item);
    }
  return out;
}
}  // namespace vyn
