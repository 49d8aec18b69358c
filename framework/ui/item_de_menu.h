#pragma once
// The host's menus as report sequences see them: the screens a sequence may hold (by sequence kind),
// the user's rights on screens, the module currently open, and the menu-item object of a sequence line.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

class TForm_VYN;

enum TTypePermission : unsigned { tpInsert = 1u << 0, tpDelete = 1u << 1, tpUpdate = 1u << 2, tpSearch = 1u << 3 };
using TPermissoes = unsigned;
inline constexpr TPermissoes kTodasPermissoes = tpInsert | tpDelete | tpUpdate | tpSearch;

struct TEntradaMenu {
  int Tipo = 1;             // sequence kind the screen serves (1 company, 2 employee, 3 client)
  std::string Name;         // the menu item's name
  std::string Caption;
  std::string ClassName;    // the registered screen class it opens
  int CodSis = 0;           // module
};

class TMenuSistema {
 public:
  std::vector<TEntradaMenu> Entradas;
  int Sistema = 0;                                // module currently open
  std::vector<int> TrocasDeSistema;               // every switch, in order
  const TEntradaMenu* Find(const std::string& name) const;
  // The user's rights on a screen class; all when none were set.
  TPermissoes getPermissoes(const std::string& className) const;
  void SetPermissoes(const std::string& className, TPermissoes p);

 private:
  std::map<std::string, TPermissoes> permissoes_;   // by upper-cased class name
};

TMenuSistema& MenuSistema();

// TControleUsuario.getPermissoes.
inline TPermissoes getPermissoes(const std::string& className) { return MenuSistema().getPermissoes(className); }

class TItemDeMenu : public TComponent {
 public:
  TItemDeMenu(TComponent* owner, std::string caption, std::string name);
  std::string ClassName() const override { return "TItemDeMenu"; }

  const std::string& getCaption() const { return caption_; }
  void setCaption(std::string c) { caption_ = std::move(c); }
  const std::string& getCaptionDaBase() const { return captionBase_; }
  void setCaptionDaBase(std::string c) { captionBase_ = std::move(c); }
  const std::string& getNome() const { return Name(); }
  int CodSis = 0;

  // The user may open the item's screen; an item the menus do not know throws.
  bool TemPermissaoUsuario() const;
  // Switches to the item's module and opens its screen (owned by this item); returns the form.
  TForm_VYN* AbrirTela();
  std::string MostrarString() const;
  static void CallChangeSistema(int sistema);

 private:
  const TEntradaMenu& Entrada() const;
  std::string caption_;
  std::string captionBase_;
};

}  // namespace vyn

namespace vyn {
// The selection dialog of screens (TfrSelecionaRelatorios): offers the menu entries of a sequence
// kind and returns the chosen ones as menu items made with owner, in menu order; empty on give-up.
std::vector<TItemDeMenu*> SelecionaRelatorios(TComponent* owner, int tipo);
}  // namespace vyn
