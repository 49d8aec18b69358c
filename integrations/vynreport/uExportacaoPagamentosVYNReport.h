#pragma once
// Tax payments recorded in the accounting database go to the report portal: per paid guide of the
// ticked companies and taxes, the identifier report yields the guide's portal identifier, which
// becomes one payment record; all records go in one call and, when the portal takes them, every
// sent guide is marked in the conference table.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "framework/core/variant.h"
#include "framework/host/update_or_insert.h"
#include "framework/ui/processo_padrao.h"
#include "framework/web/vynreport_pagamentos.h"

namespace vyn {
class TClientDataSet;
class TConfigImpostoVYN;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEmpresasMGR;
class TExpVYNReport;
class TFuncionsVYNReport;
class TInconsistencias_VYN;
class TLabel;
class TListViewDB_VYN;
class TSQLMGR;
class TfrStatusProcesso;
class TfrxReportVYN;
}  // namespace vyn

namespace integracao {

class TfrExportacaoPagamentosVYNReport : public vyn::TfrProcesso_Padrao_VYN {
 public:
  explicit TfrExportacaoPagamentosVYNReport(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrExportacaoPagamentosVYNReport"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbDatIni;
  vyn::TEdit_Date_Padrao_VYN* edDatIni;
  vyn::TLabel* lbDatFin;
  vyn::TEdit_Date_Padrao_VYN* edDatFin;
  vyn::TListViewDB_VYN* lvEmpresas;
  vyn::TLabel* lbImpostos;
  vyn::TListViewDB_VYN* lvImpostos;
  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TEdit_Date_Padrao_VYN* edDataInicialEmissao;
  vyn::TEdit_Date_Padrao_VYN* edDataFinalEmissao;
  vyn::TfrxReportVYN* frxReportPreview;

  // The web client; tests and the host may reach it to set its address.
  vyn::TExportacaoPagamento& ExportacaoPagamento() { return *FExportacaoPagamento; }

  // The companies enabled for the portal, every one ticked: only codEmp when given (> 0), only
  // the run's company when the host runs as the automation service.
  void CommandTextEmp(int codEmp = 0);
  void CommandTextImp();
  void PreencheTMP_EMPRESAS_SELECT();
  void edDatFinExit(vyn::TComponent* sender);
  // The report's parameters: the current guide's reference and due date, and the quota.
  void frxUserDataSetGetValue(const std::string& varName, vyn::Variant& value);

  // Portal functions of the identifier report.
  virtual std::string GetTipoCalculoYRK();
  virtual std::string GetNumeroNotaYRK() { return ""; }
  virtual std::string GetTipoNotaYRK() { return ""; }
  virtual std::string getTipoFolhaWeb(int n);
  virtual std::string GetCodEmpVynReport(int codEmp);
  virtual std::string GetTagVYNReport();
  virtual std::string getTipoColWeb() { return "_"; }
  std::string getCodRecImposto();
  void setReportFunctions(vyn::TfrxReportVYN* report);
  std::optional<vyn::Variant> UserFunction(const std::string& nome, std::vector<vyn::Variant>& params);

  int Empresa = 0;

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  void CreateDAO() override;
  bool PodeIniciarProcesso() override;
  void SelectProcesso() override {}
  void Processo() override;

 private:
  // The run's steps.
  void PreparaExportacao();
  bool ExportaGuia(vyn::TSQLMGR& dadosGuia, vyn::TInconsistencias_VYN& lista);
  void CarregaGuia(int codImp, int referencia, const vyn::Variant& chaveDarf, vyn::TSQLMGR& dadosGuia);
  void AdicionaRegistro(const vyn::TExpVYNReport& exp, const nlohmann::json& guia, int codImp, int referencia);
  void EncerraExportacao(vyn::TfrStatusProcesso* status, vyn::TInconsistencias_VYN* lista, int recusadas);
  void GravaConferencia(vyn::TfrStatusProcesso* status);
  void AddImposto(int codImp, int referencia, vyn::Currency valor);
  std::optional<vyn::Variant> FuncaoDaTela(const std::string& nome, std::vector<vyn::Variant>& p);
  // FuncaoDaTela's groups that read the screen: none when the name is not theirs.
  std::optional<vyn::Variant> FuncaoPortal(const std::string& n, const std::vector<vyn::Variant>& p);
  std::optional<vyn::Variant> FuncaoMotorRelatorio(const std::string& n, const std::vector<vyn::Variant>& p);
  void AtualizaImpostos(bool marcar);

  vyn::TEmpresasMGR* FDAOEmpresas = nullptr;
  vyn::TSQLMGR* FDAOImposto = nullptr;
  vyn::TSQLMGR* FDAOUpdates = nullptr;
  std::unique_ptr<vyn::TExportacaoPagamento> FExportacaoPagamento;
  vyn::TConfigImpostoVYN* FObjImpNodeAtu = nullptr;
  vyn::TClientDataSet* FDadosGuia = nullptr;   // the current guide's print data
  vyn::TFuncionsVYNReport* FFuncionVynReport = nullptr;
  std::string FYRKValor;
  bool FMudandoStatusDeTudo = false;
  std::vector<vyn::TComandoSQL> FSQLs;
};

}  // namespace integracao
