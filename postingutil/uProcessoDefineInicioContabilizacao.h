#pragma once
// The start of online posting: for the chosen companies and one module of the suite, records the
// date from which the module's operations are posted online and the cut-offs after which certain
// settlements are no longer posted; checks the locks the change touches and asks before the
// module's older postings are deleted.
#include <string>

#include "framework/accounting/processo_recontabilizacao_mgr.h"
#include "framework/ui/processo_empresa.h"

namespace vyn {
class TComboBox_Loockup_Padrao_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_String_Padrao;
class TLabel;
class TSQLMGR;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

class TfrProcessoDefineInicioContabilizacao : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrProcessoDefineInicioContabilizacao(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrProcessoDefineInicioContabilizacao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbModulo;
  vyn::TComboBox_Loockup_Padrao_VYN* cbModulo;
  vyn::TLabel* lbData;
  vyn::TEdit_Date_Padrao_VYN* edData;
  vyn::TLabel* lbDataContBaixa;
  vyn::TEdit_Date_Padrao_VYN* edDataContBaixa;
  vyn::TLabel* lbDATACONTOPEIMOB;
  vyn::TEdit_Date_Padrao_VYN* edDATACONTOPEIMOB;
  vyn::TLabel* lbDATACONTIMPOSTOS;
  vyn::TEdit_Date_Padrao_VYN* edDATACONTIMPOSTOS;
  vyn::TEdit_String_Padrao* Edit1;
  vyn::TInconsistencias_VYN* Inconsistencias;

  vyn::TProcessoRecontabilizacaoMGR* Motor() const { return FMotor; }
  vyn::TfrStatusProcesso* Status() const { return FStatus; }

  void spConsultaClick(vyn::TComponent* sender) override;
  void cbModuloChange(vyn::TComponent* sender);
  void edCODEMPEnter(vyn::TComponent* sender);

 protected:
  void CreateDAO() override;
  void FormCreate() override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override;
  bool OnBeforeProcesso() override;
  void Processo() override;
  void FimProcesso() override;

 private:
  // The installment and real-estate cut-offs belong to the fiscal module only.
  bool ModuloFiscal() const;
  void AjustaCortesVisiveis();
  bool CorteAntesDoInicio(bool temCorte, vyn::TEdit_Date_Padrao_VYN& corte, const char* mensagem);
  // Adds the error under the company, shows the list at once and answers False.
  bool RecusaEmpresa(const std::string& erro);
  bool CortesBloqueados(int codEmp);
  bool LancamentosAnteriores(int codEmp);
  bool InicioGravadoBloqueado(int codEmp);

  vyn::TSQLMGR* FSQL = nullptr;   // the company list (FDAO)
  vyn::TProcessoRecontabilizacaoMGR* FMotor = nullptr;
  vyn::TfrStatusProcesso* FStatus = nullptr;
  bool FTemDataInicio = false;
  int FRecusadas = 0;    // companies whose deletion the user declined: nothing was done for them
  int FDefinidas = 0;    // companies whose start was recorded
  bool FTemDataBaixaParcelamento = false;
  bool FTemDataOperacaoImobiliaria = false;
  bool FTemDataImpostos = false;
};

}  // namespace integracao
