#pragma once
// The form loader: opens a registered screen by class name, hands it the opener's parameter array
// and shows it. The opened screen disables its owner while it is open and enables it on close.
#include <functional>
#include <string>

#include "framework/component/lista_obj.h"

namespace vyn {

class TComponent;
class TForm_VYN;

class EFormLoaderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPackagesUtil {
 public:
  // Called with the opened form when the loader is done with it (after the modal run, or right
  // after a non-modal show).
  using TCallback = std::function<void(TForm_VYN& form)>;

  // Creates the registered screen owned by owner and shows it (non-modal); returns it.
  static TForm_VYN* CarregaForm(TComponent* owner, const std::string& className);
  static TForm_VYN* CarregaForm(const std::string& className, TComponent* owner) {
    return CarregaForm(owner, className);
  }
  // Modal: returns the form's modal result once it is closed; the form is freed then.
  static int CarregaFormModal(const std::string& className, TComponent* owner, TListaObj lista = {});
  // Hands the array over (SetListaObj, SetListaDAO, AfterListaObj), then shows the form: modal
  // forms run to their close before the callback; others stay open (returned).
  static TForm_VYN* CarregaFormParamsObj(const std::string& className, TComponent* owner, TListaObj lista,
                                         const TCallback& callback = nullptr, bool modal = false);
  // Creates and hands over without showing; the caller shows it.
  static TForm_VYN* CarregaFormERetorna(const std::string& className, TComponent* owner, TListaObj lista = {});
};

}  // namespace vyn
