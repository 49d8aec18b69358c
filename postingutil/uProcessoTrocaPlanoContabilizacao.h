#pragma once
// The change of posting plan of a head office to a plan with another chart of accounts or history
// plan: chooses the company and the plans, checks and asks, and hands the company to the posting
// engine with the mapping plan, the LALUR plan and the generic participant.
#include <string>

#include "postingutil/uRecontabilizacaoUtil.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TLabel;
class TPanel;
class TSpeedButton;
}  // namespace vyn

namespace integracao {

class TfrProcessoTrocaPlanoContabilizacao : public TfrProcessoComMotor {
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
  vyn::TGroupBox* gbDe;
  vyn::TGroupBox* gbPara;
  vyn::TLabel* lbCODEMP;
  vyn::TLabel* lbCodPlanoTroca;
  vyn::TLabel* lbDataInicial;
  vyn::TLabel* lbCODPLAPADRAODe;
  vyn::TLabel* lbCODHISTDe;
  vyn::TLabel* lbCodConfOnlineDe;
  vyn::TLabel* lbCODPLANOONLINE;
  vyn::TLabel* lbCODPLAPADRAO;
  vyn::TLabel* lbCODHIST;
  // The balloon hint of the period field.
  vyn::TLabel* BalloonHintData;

  vyn::TTiposProcRecontabiliza FTiposProcRecontabiliza;

  bool ExecutaProcesso() const { return FExecutaProcesso; }

  void spOKClick(vyn::TComponent* sender) override;
  void spConsultaClick(vyn::TComponent* sender) override;
  void spConfigPlanoTrocaClick(vyn::TComponent* sender);
  // The verification run: no start checks, the engine only checks.
  void RodaProcesso();

 protected:
  void FormCreate() override;
  // The period field's hint goes whenever the screen hides or another screen takes over.
  void FormHide() override;
  void FormDeactivate() override;
  void KeyDown(int& key, unsigned shift) override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  void ChamaProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  bool CadeiaInicio();
  // CadeiaInicio's steps; each false return has told the user why.
  bool ConfereEmpresa();
  bool ConferePlanos();
  bool ConferePeriodo(int& refInicial);
  bool ConfereExecucao(int refInicial);
  void RegistraTroca();
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

  bool FExecutaProcesso = false;
  bool FSaindoPlano = false;
  int FProcessadas = 0;
};

}  // namespace integracao
