#pragma once
// The change of posting plan of a head office to a plan with another chart of accounts or history
// plan: chooses the company and the plans, checks and asks, and hands the company to the posting
// engine with the mapping plan, the LALUR plan and the generic participant.
#include <string>
#include <vector>

#include "framework/accounting/processo_recontabilizacao_mgr.h"
#include "framework/ui/processo_padrao.h"
#include "postingutil/uRecontabilizacaoUtil.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TLabel;
class TPanel;
class TSpeedButton;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

class TfrProcessoTrocaPlanoContabilizacao : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrProcessoTrocaPlanoContabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoTrocaPlanoContabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TPanel* pnNOMEMP;
  vyn::TEdit_Codigo_Search_VYN* edCodPlanoTroca;
  vyn::TPanel* pnCODPLANOONLINEANT;
  vyn::TEdit_Date_Padrao_VYN* edDataInicial;
  vyn::TEdit_Codigo_Search_VYN* edCODCONTABLALUR;
  vyn::TLabel* lbCODCONTABLALUR;
  vyn::TSpeedButton* spCODCONTABLALUR;
  vyn::TEdit_Codigo_Search_VYN* edCODPLAPADRAODe;
  vyn::TEdit_Codigo_Search_VYN* edCODHISTDe;
  vyn::TEdit_Codigo_Search_VYN* edCodConfOnlineDe;
  vyn::TEdit_Codigo_Search_VYN* edCODPLANOONLINE;
  vyn::TEdit_Codigo_Search_VYN* edCODPLAPADRAO;
  vyn::TEdit_Codigo_Search_VYN* edCODHIST;
  vyn::TEdit_Codigo_Search_VYN* edCODTERCEIRO;
  vyn::TLabel* lbCODTERCEIRO;
  vyn::TLabel* iiParticipanteGenerico;
  vyn::TSpeedButton* spConfigPlanoTroca;
  vyn::TInconsistencias_VYN* Inconsistencias;

  vyn::TTiposProcRecontabiliza FTiposProcRecontabiliza;

  vyn::TProcessoRecontabilizacaoMGR* Motor() const { return FMotor; }
  vyn::TfrStatusProcesso* Status() const { return FStatus; }
  bool ExecutaProcesso() const { return FExecutaProcesso; }

  void spOKClick(vyn::TComponent* sender) override;
  void spConsultaClick(vyn::TComponent* sender) override;
  void spConfigPlanoTrocaClick(vyn::TComponent* sender);
  bool fCancelaProcesso() override;
  // The verification run: no start checks, the engine only checks.
  void RodaProcesso();

 protected:
  void CreateDAO() override;
  void FormCreate() override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  void ChamaProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  bool CadeiaInicio();
  bool Confirma(const std::string& texto);
  void AtualizaCamposDependentes();
  void CarregaConfig(vyn::TEdit_Codigo_Search_VYN& plano, vyn::TEdit_Codigo_Search_VYN& contas,
                     vyn::TEdit_Codigo_Search_VYN& historicos);
  int PlanoVigente();
  void PreenchePeriodoInicial();
  int64_t CodPlanoLalurEmpresa() const;
  void Seguimentos();
  void edCODEMPExit();
  void edCODPLANOONLINEExit();
  void edCODTERCEIROExit();

  vyn::TProcessoRecontabilizacaoMGR* FMotor = nullptr;
  vyn::TfrStatusProcesso* FStatus = nullptr;
  bool FExecutaProcesso = false;
  bool FSaindoPlano = false;
  int FProcessadas = 0;
  std::vector<TEmpresaRecusada> FArrayEmpresas;
};

}  // namespace integracao
