#pragma once
// "Exportação do plano de contas para Omie": checks that every chosen company (or every Omie company)
// can be exported, then has the framework's exporter write each chart into Omie by the chosen method.
#include <functional>
#include <string>

#include "framework/accounting/exportacao_omie_db_mgr.h"
#include "framework/ui/processo_padrao.h"

namespace vyn {
class TCheckBox;
class TEdit_Codigo_Search_VYN;
class TExportacaoOmieDBMGR;
class TGroupBox;
class TInconsistencias_VYN;
class TLabel;
class TPanel;
}  // namespace vyn

namespace integracao {

class TIntegracaoOmieBase;

// The Omie call the chart exporter sends through (`TExportacaoOmieDBMGR::EnviaOmie`): one client per
// company, made with the company's credentials on its first call; `prepara` is applied to each new
// client. The change of posting plan re-exports the new chart through it too.
std::function<vyn::TRetornoEnvioOmie(int, const std::string&, const nlohmann::ordered_json&)> EnvioOmiePlanoContas(
    const vyn::TComponent* owner, std::function<void(TIntegracaoOmieBase&)> prepara = nullptr);

class TfrExportacaoPlanoContasOmie : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrExportacaoPlanoContasOmie(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrExportacaoPlanoContasOmie"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbCODEMP;
  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TPanel* pnNomEmp;
  vyn::TSpeedButton* spConsulta_Empresa;
  vyn::TGroupBox* gbTrocaPlanoContas;
  vyn::TCheckBox* ckFORCE_REPLACE;
  vyn::TCheckBox* ckREPLACE;
  vyn::TCheckBox* ckExpSoCtaPrep;
  vyn::TInconsistencias_VYN* Inconsistencias_VYN;

  void spOKClick(vyn::TComponent* sender) override;
  void ckFORCE_REPLACEClick(vyn::TComponent* sender);
  void ckREPLACEClick(vyn::TComponent* sender);
  void ckExpSoCtaPrepClick(vyn::TComponent* sender);
  void spConsultaClick(vyn::TComponent* sender) override;
  // The company look-up (the search button and the toolbar's consult): the companies on Omie to
  // tick; one ticked becomes the typed code, several the edit's selection, none clears it.
  void ConsultaEmpresas();
  std::string GetMetodoExportacao() const;
  vyn::TExportacaoOmieDBMGR* Exportacao() const { return FExportacao; }

  // Applied to each company's Omie client (address and waits of a test or a host configuration).
  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 protected:
  void InicioProcesso() override;
  void CreateDAO() override;
  void SelectProcesso() override {}
  void ChamaProcesso() override;
  void Processo() override;
  void FimProcesso() override;
  void PosicionaFocus() override;

 private:
  vyn::TExportacaoOmieDBMGR* FExportacao = nullptr;
};

}  // namespace integracao
