#pragma once
// "Integração Omie": exports the issued tax guides of the chosen companies and taxes as Omie
// payables, imports their Omie payments as settlements, or both, one engine run per company and tax.
#include <functional>
#include <string>

#include "framework/ui/processo_empresa.h"

namespace vyn {
class TEdit_Date_Padrao_VYN;
class TEdit_Codigo_Search_VYN;
class TLabel;
class TPanel;
class TRadioGroup;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

class TIntegracaoOmieBase;

// The selection of company and tax pairs with something to do: BDTIPO 1 export, 2 import, 3 both.
// rgIntegracao: 0 export, 1 import, 2 both. empresas/impostos: conditions of the edits, built for
// the column each names ("DARF.BDCODEMP", "IMP.BDCODIMP"); an empty company condition selects none.
std::string SQLSelecaoImpostosOmie(int rgIntegracao, int refIni, int refFim,
                                   const std::function<std::string(const std::string&)>& condicaoEmpresa,
                                   const std::string& condicaoImposto);

class TfrIntegracaoImpostosOmie : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrIntegracaoImpostosOmie(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrIntegracaoImpostosOmie"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbRefIni;
  vyn::TEdit_Date_Padrao_VYN* edRefIni;
  vyn::TLabel* lbRefFim;
  vyn::TEdit_Date_Padrao_VYN* edRefFim;
  vyn::TLabel* lbCODIMP;
  vyn::TEdit_Codigo_Search_VYN* edCODIMP;
  vyn::TPanel* pnDESCIMP;
  vyn::TRadioGroup* rgIntegracao;
  vyn::TLabel* iImpPag;

  int TotalIntegrado() const { return FTotalIntegrado; }
  // Applied to every engine's Omie clients (address and waits of a test or a host configuration).
  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 protected:
  void InicioProcesso() override;
  void CreateDAO() override;
  void SelectProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  int FTotalIntegrado = 0;
  vyn::TfrStatusProcesso* FStatusProcesso = nullptr;
};

}  // namespace integracao
