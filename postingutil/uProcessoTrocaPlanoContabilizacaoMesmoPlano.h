#pragma once
// Change of a head office's posting plan to another plan of the same chart of accounts and history
// plan, from a typed start period: the mapping plan is the system's automatic one and the posting
// engine re-posts the company. Only the services team and the master group may run it.
#include <string>

#include "postingutil/uRecontabilizacaoUtil.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TGroupBox;
class TLabel;
class TPanel;
}  // namespace vyn

namespace integracao {

class TfrProcessoTrocaPlanoContabilizacaoMesmoPlano : public TfrProcessoComMotor {
 public:
  explicit TfrProcessoTrocaPlanoContabilizacaoMesmoPlano(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoTrocaPlanoContabilizacaoMesmoPlano"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TPanel* pnNOMEMP;
  vyn::TEdit_Date_Padrao_VYN* edDataInicial;
  vyn::TGroupBox* gbDe;
  vyn::TEdit_Codigo_Search_VYN* edCODPLAPADRAODe;
  vyn::TEdit_Codigo_Search_VYN* edCODHISTDe;
  vyn::TEdit_Codigo_Search_VYN* edCodConfOnlineDe;
  vyn::TGroupBox* gbPara;
  vyn::TEdit_Codigo_Search_VYN* edCODPLAPADRAO;
  vyn::TEdit_Codigo_Search_VYN* edCODHIST;
  vyn::TEdit_Codigo_Search_VYN* edCODPLANOONLINE;
  vyn::TEdit_Codigo_Search_VYN* edCODINT;   // the automatic mapping plan (hidden)
  vyn::TInconsistencias_VYN* Inconsistencias;
  vyn::TLabel* BalloonHintData;

  vyn::TTiposProcRecontabiliza FTiposProcRecontabiliza;

  void spConsultaClick(vyn::TComponent* sender) override;
  void KeyDown(int& key, unsigned shift) override;
  void edCODEMPExit(vyn::TComponent* sender);
  void edDataInicialExit(vyn::TComponent* sender);
  // The SQL of the company rows of the typed company.
  std::string GetSelectDataInicioProcesso() const;

 protected:
  void FormCreate() override;
  // The period field's hint goes whenever the screen hides or another screen takes over.
  void FormHide() override;
  void FormDeactivate() override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  // The plan in force for the company at the start period (0 when none).
  int PlanoVigente();
  bool UltimoEncerramentoPermite();
  std::string DescRegime(int64_t plano) const;
};

}  // namespace integracao
