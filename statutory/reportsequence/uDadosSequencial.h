#pragma once
// The object of one line of a report sequence: its menu item, its key and whether it has saved
// control values. Owned by its menu item, so freed with it.
#include "framework/component/component.h"
#include "framework/ui/item_de_menu.h"

namespace integracao {

class TDadosSequencial : public vyn::TComponent {
 public:
  TDadosSequencial(vyn::TComponent* owner, vyn::TItemDeMenu* itemMenu, int chave)
      : vyn::TComponent(owner), ItemMenu(itemMenu), Chave(chave) {}
  std::string ClassName() const override { return "TDadosSequencial"; }
  vyn::TItemDeMenu* ItemMenu;
  int Chave;
  bool TemConfiguracaoDeTela = false;
};

}  // namespace integracao
