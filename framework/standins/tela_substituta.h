#pragma once
// The base of the platform's stand-ins for screens of the suite's other packages that the module
// opens by class name. Each stand-in does only what its openers rely on; it is driven like any
// screen: its controls carry names, spConfirmar does its work and closes, spCancelar closes.
#include <functional>
#include <string>

#include "framework/ui/dados_complementares.h"

namespace vyn {

class TDatabase;
class TClientDataSet;
class TLabel;
class TSpeedButton;

// The database of the session (the process context's); throws when there is none.
TDatabase& BancoDaSessao();

class TfrTelaSubstituta : public TfrDadosComplementaresPadrao {
 public:
  TfrTelaSubstituta(TComponent* owner, std::string classe, std::string titulo);
  std::string ClassName() const override { return classe_; }
  bool InheritsFrom(const std::string& class_name) const override;

 protected:
  static TDatabase& Banco() { return BancoDaSessao(); }
  // Creates an owned control with its name (and caption, for those that show one).
  template <class T, class... Args>
  T* Controle(const std::string& nome, Args&&... args) {
    T* c = Create<T>(std::forward<Args>(args)...);
    c->SetName(nome);
    return c;
  }

 private:
  std::string classe_;
};

// Appends a row to ds, lets preenche set its values and posts it; a failure leaves ds as it was.
void AcrescentaLinha(TClientDataSet& ds, const std::function<void()>& preenche);

// A screen whose openers rely on nothing but its opening (a register or a preparation of another
// package): it shows the parameters it was handed and closes on either button.
class TfrTelaSubstitutaSimples : public TfrTelaSubstituta {
 public:
  TfrTelaSubstitutaSimples(TComponent* owner, std::string classe, std::string titulo);
  // What the opener handed over, one line per slot, as text (for the one who drives it).
  TLabel* lbParametros;

 protected:
  void SetListaObj(const TListaObj& lista) override;
};

}  // namespace vyn
