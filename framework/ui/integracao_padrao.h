#pragma once
// The integration dialog: a manager made by SetCriaDao, run by the confirm button, writing to a
// destination; the company variant adds the company edit.
#include <string>

#include "framework/core/datetime.h"

#include "framework/ui/dados_complementares.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TInconsistencias_VYN;
class TMenuItem;
class TPanel;

// What the integration dialog runs: a manager implements it besides its own base.
class IIntegracaoMGR {
 public:
  virtual ~IIntegracaoMGR() = default;
  // Runs the integration; problems go into the screen's inconsistency list.
  virtual void ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) = 0;
};

class TfrIntegracao_Padrao : public TfrDadosComplementaresPadrao {
 public:
  explicit TfrIntegracao_Padrao(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrIntegracao_Padrao"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TEdit_Diretorio_Padrao_VYN* edArquivo;
  TSpeedButton* spConsulta;
  TSpeedButton* spConfigPadraoRel;      // saved configuration: marked when one is saved
  TMenuItem* mmSalvarConfig;
  TMenuItem* mmLimparconfig;
  TInconsistencias_VYN* Inconsistencias_VYN;

  // The manager SetCriaDao made (owned by the screen).
  TComponent* DAOIntegracao() const { return FDAOIntegracao; }

 protected:
  void FormCreate() override;
  // Makes the screen's managers; the one to run goes into FDAOIntegracao.
  virtual void SetCriaDao() {}
  // Runs the manager, then writes the action log.
  void ProcessoConfirma() override;
  // Just before the run's action log is written: a screen adds what the log must say of the run.
  virtual void AntesSalvarLog() {}
  // The end of a run that went through, its log written: what the host must learn of the run.
  virtual void ExecuteFimProcesso() {}
  // The host's period date (TProcessContext::DataPeriodo).
  void SetDataPeriodo(TDateTime data);
  bool CloseAfterExecute() override { return false; }

  TComponent* FDAOIntegracao = nullptr;
};

class TfrIntegracao_Empresa_Padrao_VYN : public TfrIntegracao_Padrao {
 public:
  explicit TfrIntegracao_Empresa_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrIntegracao_Empresa_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TEdit_Codigo_Search_VYN* edCODEMP;
  TPanel* pnNOMEMP;

  // The SPED validation jobs' hook: writes the screen's file of the company and period into folder
  // without a user and answers the written file's full name, or "" when nothing was written (the
  // reasons in Inconsistencias_VYN). Screens that export for the validator override it.
  virtual std::string ExportaToValidador(int codEmp, TDateTime dataIni, TDateTime dataFim, const std::string& pasta) {
    return {};
  }
};

}  // namespace vyn
