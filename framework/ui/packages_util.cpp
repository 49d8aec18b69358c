#include "framework/ui/packages_util.h"

#include "framework/component/class_registry.h"
#include "framework/ui/form.h"

namespace vyn {

namespace {

TForm_VYN* Create(const std::string& className, TComponent* owner) {
  if (!owner) throw EFormLoaderError("A tela " + className + " precisa de um dono");
  TComponent* c = ClassRegistry().CreateComponent(className, *owner);
  auto* form = dynamic_cast<TForm_VYN*>(c);
  if (!form) {
    owner->FreeComponent(c);
    throw EFormLoaderError("A classe " + className + " não é uma tela");
  }
  // The owner control (a screen, an edit) waits disabled while the opened screen is open.
  if (auto* ctl = dynamic_cast<TControl*>(owner)) form->DisableOwnerWhileOpen(ctl);
  form->AfterConstruction();
  return form;
}

void HandOver(TForm_VYN& form, TListaObj&& lista) {
  const TListaObj& kept = form.AdoptListaObj(std::move(lista));
  form.SetListaObj(kept);
  form.SetListaDAO();
  form.AfterListaObj();
}

}  // namespace

TForm_VYN* TPackagesUtil::CarregaForm(TComponent* owner, const std::string& className) {
  TForm_VYN* form = Create(className, owner);
  form->Show();
  return form;
}

int TPackagesUtil::CarregaFormModal(const std::string& className, TComponent* owner, TListaObj lista) {
  TForm_VYN* form = Create(className, owner);
  TFormPtr<TForm_VYN> guard(form);
  HandOver(*form, std::move(lista));
  return form->ShowModal();
}

TForm_VYN* TPackagesUtil::CarregaFormParamsObj(const std::string& className, TComponent* owner, TListaObj lista,
                                               const TCallback& callback, bool modal) {
  TForm_VYN* form = Create(className, owner);
  if (modal) {
    TFormPtr<TForm_VYN> guard(form);
    HandOver(*form, std::move(lista));
    form->ShowModal();
    if (callback) callback(*form);
    return nullptr;
  }
  try {
    HandOver(*form, std::move(lista));
    // A screen may close itself while it is handed its parameters (nothing to show).
    if (!form->Closed()) form->Show();
  } catch (...) {
    form->Free();
    throw;
  }
  if (callback) callback(*form);
  return form;
}

TForm_VYN* TPackagesUtil::CarregaFormERetorna(const std::string& className, TComponent* owner, TListaObj lista) {
  TForm_VYN* form = Create(className, owner);
  try {
    HandOver(*form, std::move(lista));
  } catch (...) {
    form->Free();
    throw;
  }
  return form;
}

}  // namespace vyn
