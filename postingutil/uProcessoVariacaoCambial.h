#pragma once
// Monthly exchange variance: for the ticked branches of a company, a currency and a range of months,
// each month's earlier calculation is removed and the variance is calculated and posted again.
#include <string>
#include <vector>

#include "framework/ui/processo_empresa.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TComboBox_Padrao_VYN;
class TLabel;
class TSQLMGR;
class TfrStatusProcesso;
class TVZEL_EMP_TVARCAMBIALMGR;
}  // namespace vyn

namespace integracao {

class TfrProcessoVariacaoCambial : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrProcessoVariacaoCambial(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoVariacaoCambial"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbCODMOE;
  vyn::TEdit_Codigo_Search_VYN* edCODMOE;
  vyn::TSpeedButton* spCODMOE;
  vyn::TPanel* pnCODMOE;
  vyn::TLabel* lbRefInicial;
  vyn::TEdit_Date_Padrao_VYN* edRefInicial;
  vyn::TLabel* lbRefFinal;
  vyn::TEdit_Date_Padrao_VYN* edRefFinal;
  vyn::TLabel* lbCONTABILIZACAO;
  vyn::TComboBox_Padrao_VYN* cbCONTABILIZACAO;
  vyn::TSpeedButton* spPreparacao;
  vyn::TSpeedButton* spMoedas;

  vyn::TVZEL_EMP_TVARCAMBIALMGR* VariacaoCambial() const { return FVariacaoCambial; }

  void spConsultaClick(vyn::TComponent* sender) override;
  void spPreparacaoClick(vyn::TComponent* sender);
  void spMoedasClick(vyn::TComponent* sender);

  // The company and its ticked branches: their codes, and as the comma list of SQL text.
  std::vector<int> FiliaisMarcadas() const;
  std::string getCheckedItens() const;

 protected:
  void FormCreate() override;
  void CreateDAO() override;
  bool PodeIniciarProcesso() override;
  std::string GetMsgConfirmacaoProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  bool OnBeforeProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  // One month of a company, all or nothing; False when it failed (the reason is in the list).
  bool ProcessaMes(int codEmp, int anoMes);
  bool ValidaCampos();

  vyn::TSQLMGR* FDAOEmpresas = nullptr;
  vyn::TVZEL_EMP_TVARCAMBIALMGR* FVariacaoCambial = nullptr;
  vyn::TfrStatusProcesso* FStatus = nullptr;
  int FLinha = 0;
  int FEmpresasBloqueadas = 0;
};

}  // namespace integracao
