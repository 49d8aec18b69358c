#pragma once
// A screen's settings component (TScreenUserConfig): per-user values of the screen, kept in the
// company database (TCONFIG_USUARIO_TELA), and the values of the screen's controls by component name,
// read from or written to a data set of saved values (BDSEQUENCIA, BDORDEM, BDCOMPNAME, BDCOMPVALUE)
// in the saved-model mode.
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/component/component.h"

namespace vyn {

class TClientDataSet;

inline constexpr const char* kTabelaConfigUsuarioTela = "TCONFIG_USUARIO_TELA";

class TScreenUserConfig : public TComponent {
 public:
  // owner: the screen whose controls it reads and sets.
  explicit TScreenUserConfig(TComponent* owner, std::string tela = "");
  std::string ClassName() const override { return "TScreenUserConfig"; }

  // Per-user values ("" when absent); kept per user code and screen name.
  static std::string CarregarDoUsuario(const std::string& chave, const std::string& tela);
  static void SalvarParaUsuario(const std::string& chave, const std::string& valor, const std::string& tela);
  std::string CarregarDoUsuario(const std::string& chave) const { return CarregarDoUsuario(chave, tela_); }
  void SalvarParaUsuario(const std::string& chave, const std::string& valor) const {
    SalvarParaUsuario(chave, valor, tela_);
  }

  // 0 the screen's own settings, 4 the saved values of a sequence model's item.
  void setScreenConfig(int modo) { modo_ = modo; }
  int ScreenConfig() const { return modo_; }
  void SetFonte(TClientDataSet* fonte) { fonte_ = fonte; }   // nullptr: database persistence
  TClientDataSet* Fonte() const { return fonte_; }
  void SetModelo(int modelo) { modelo_ = modelo; }
  void SetChave(int chave) { chave_ = chave; }
  void SetNotSave(bool on) { notSave_ = on; }
  bool NotSave() const { return notSave_; }
  // Controls never saved nor restored.
  void Excluir(const std::string& componentName);
  bool Carregado = false;

  // The screen's saved items: controls registered by name whose values are kept per user, each under
  // its name as the key of a per-user value. Load sets them from what the user of the process left;
  // the screen's closing keeps their values for that user (SalvaItens, run by the form's Close once
  // Load has run, so a screen never shown writes nothing). A toolbar button keeps its pressed state,
  // or, when it drops a menu of radio items, the name of the item checked.
  void RegisterComponent(TComponent* c, const std::string& name);
  int Load();
  void SalvaItens() const;
  bool ItensCarregados() const { return itensCarregados_; }

  // Sets the screen's controls from the saved values of (model, key); returns how many were set.
  int loadComponentsValue(TComponent* raiz = nullptr, bool = false, bool = false);
  // Writes the values of the screen's controls as the saved values of (model, key).
  void saveComponentsValue(bool = false);
  // Forgets the saved values of (model, key).
  void deleteConfigReport();

  // A control's value as text and back (edits: text; check boxes: "True"/"False"; combos and radio
  // groups: item index; check lists: checked indexes joined by ","); False when it holds no value.
  static bool ValorDoControle(const TComponent& c, std::string& valor);
  static bool SetValorDoControle(TComponent& c, const std::string& valor);

 private:
  // False when the user has no value saved under the key.
  static bool LeDoUsuario(const std::string& chave, const std::string& tela, std::string& valor);
  void Percorre(TComponent& raiz, const std::function<void(TComponent&)>& f) const;
  std::string tela_;
  int modo_ = 0;
  TClientDataSet* fonte_ = nullptr;
  int modelo_ = 0;
  int chave_ = 0;
  bool notSave_ = false;
  std::set<std::string> excluidos_;
  // Not owned: controls of the same screen, which frees them with this component.
  std::vector<std::pair<TComponent*, std::string>> itens_;
  bool itensCarregados_ = false;
};

}  // namespace vyn
