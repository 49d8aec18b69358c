#pragma once
// The P500 dialog: the quarter's and September's gross revenue, written back into the two objects the
// ECF screen owns.
#include <string>

#include "framework/accounting/exportacao_ecf_db_mgr.h"
#include "framework/ui/dados_complementares.h"
#include "framework/ui/edit_numeric.h"

namespace integracao {

// The parameter array the ECF screen hands the P500 dialog: the objects the typed values go into.
enum TParamECFP500 : int {
  pp5Dados51 = 0,
  pp5Dados52,
};

// The P500 line of code "0.51" (the quarter's revenue) or "0.52" (September's) with its value.
void PreencheP500(vyn::TParametrosBlocoP500& dados, TParamECFP500 item, vyn::Currency valor);

class TfrPreparacaoDadosComplementaresECFP500 : public vyn::TfrDadosComplementaresPadrao {
 public:
  explicit TfrPreparacaoDadosComplementaresECFP500(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrPreparacaoDadosComplementaresECFP500"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Numerico_Padrao_VYN* edValorP500_51;
  vyn::TEdit_Numerico_Padrao_VYN* edValorP500_52;

  void SetListaObj(const vyn::TListaObj& lista) override;
  void SetDados51(vyn::TParametrosBlocoP500* d) { FDados51 = d; }
  void SetDados52(vyn::TParametrosBlocoP500* d) { FDados52 = d; }
  // Leaving the second value forwards confirms; the caller says whether it was left backwards.
  void edValorP500_52Exit(bool paraTras);
  void KeyDown(int& key, unsigned shift) override;

 protected:
  // The revenue fields take no negative value (their edits refuse the sign): such a value is never
  // written back.
  bool ExecutarProcesso() override;
  void ProcessoConfirma() override;

 private:
  void Mostra();
  vyn::TParametrosBlocoP500* FDados51 = nullptr;
  vyn::TParametrosBlocoP500* FDados52 = nullptr;
  bool paraTras_ = false;   // the second value is being left with Shift+Tab or the Up arrow
};

}  // namespace integracao
