#pragma once
// Objects an export screen hands to the screens around it: the additional data that describes it to
// the consultation of exports and loads a saved settings set back into it (TDadosAdicionais), and
// the data of the accounting-audit mode (TDadosTelaAuxiliarAuditoria).
#include <functional>
#include <map>
#include <string>

#include "framework/component/component.h"

namespace vyn {

class TScreenUserConfig;
class TEdit_Diretorio_Padrao_VYN;

class TDadosAdicionais : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDadosAdicionais"; }

  void SetScreenUserConfig(TScreenUserConfig* c) { ScreenUserConfig = c; }
  void SetEditArquivo(TEdit_Diretorio_Padrao_VYN* e) { EditArquivo = e; }
  void SetClasse(std::string c) { Classe = std::move(c); }
  void SetTitulo(std::string t) { Titulo = std::move(t); }
  void SetEmpresa(int e) { Empresa = e; }
  // Runs after a set was loaded (the screen reads its values without a control there).
  void SetOnLoad(std::function<void(TDadosAdicionais&)> f) { OnLoad = std::move(f); }

  // Loads the saved set sequencia (-1: the last one) of the company into the screen's controls by
  // component name (TEXPORTACAO_ITEMSTELA_CONFIG, screen = the class name without its leading T);
  // the company edit keeps the company. False when no such set exists.
  bool Load(TComponent& tela, int empresa, int sequencia);
  // A value of the loaded set ("" when absent); names compare without regard to case.
  std::string Valor(const std::string& componentName) const;
  int Sequencia() const { return sequencia_; }
  // The saved-settings screen name of a class ("TfrExportacaoECF" → "frExportacaoECF").
  static std::string NomeTela(const std::string& classe);

  TScreenUserConfig* ScreenUserConfig = nullptr;
  TEdit_Diretorio_Padrao_VYN* EditArquivo = nullptr;
  std::string Classe;
  std::string Titulo;
  int Empresa = 0;
  // Puts one saved value into a control; unset, the settings component's conversion is used.
  std::function<bool(TComponent& controle, const std::string& valor)> AplicaValor;
  std::function<void(TDadosAdicionais&)> OnLoad;

 private:
  std::map<std::string, std::string> valores_;   // by upper-cased component name
  int sequencia_ = 0;
};

// The data of a screen opened as the auxiliary screen of the accounting audit: the flag the audit
// screen sets, and where the screen stood when it was hidden (the audit screen shows it there again).
class TDadosTelaAuxiliarAuditoria : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDadosTelaAuxiliarAuditoria"; }
  bool Auditoria = false;
  int PaginaAtiva = 0;
  std::string ControleAtivo;
};

// Whether c, or one of its owners, is of the class className.
bool getOwnerInComponent(const TComponent* c, const std::string& className);

}  // namespace vyn
