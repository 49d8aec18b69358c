#pragma once
// Report screens of the payroll and accounting packages that report automation runs by class name.
// Each prepares text pages from its data (frxDBDados) for the company and period of its controls.
#include <string>

#include "framework/data/fb_database.h"
#include "framework/ui/relatorio_padrao.h"
#include "framework/ui/sequencia_relatorio.h"

namespace vyn {

class TComboBox_Padrao_VYN;
class TDAOFactory;
class TPanel;
class TScreenUserConfig;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;

// A report sequence runs them as it runs any standard report: the company and period are put in
// their edits and the prepared pages become one output of the run.
class TfrRelatorioSubstituto : public TfrRelatorio_Padrao_VYN, public ISequenciaTela {
 public:
  TfrRelatorioSubstituto(TComponent* owner, std::string classe, std::string titulo);
  std::string ClassName() const override { return classe_; }
  bool InheritsFrom(const std::string& class_name) const override;

  ISequenciaTela* SequenciaTela() override { return this; }
  // Its toolbar takes the sequence's buttons and its settings component keeps the values an item of a
  // model saves for it, as every report screen of the suite gives them.
  TDadosAberturaTela getDadosSelecionarSequencia(unsigned) override;
  void ExecutarSequencia(const TDadosAdicionaisSeqRel& dados, TDadosFinaisSeqRel& finais) override;
  TEdit_Date_Padrao_VYN* EditDataSequencia() override { return edDataIni; }
  TEdit_Date_Padrao_VYN* EditDataFimSequencia() override { return edDataFim; }

  TEdit_Codigo_Search_VYN* edCODEMP;
  TEdit_Date_Padrao_VYN *edDataIni, *edDataFim;

 protected:
  void CustomPrepareReport(TComponent* sender, TRelatorioFR& report) override;
  // The report's query and its values: by default the company and the first and last day of the
  // period (an empty date leaves that side open).
  virtual std::string Consulta() const = 0;
  virtual TParams Parametros() const;
  // The company and the period's first and last month (YYYYMM), for data kept by month.
  TParams ParametrosPorMes() const;
  TDateTime Inicio() const;
  TDateTime Fim() const;
  TDAOFactory* FDados;

 private:
  std::string classe_;
  TPanel* FToolBar;
  TScreenUserConfig* FConfiguracao;
};

// Totals of the company's ledger entries in the period (cbPeriodo: "Mensal" by month, "Período" one line).
class TfrRelatorioTotaisLancamentos : public TfrRelatorioSubstituto {
 public:
  explicit TfrRelatorioTotaisLancamentos(TComponent* owner);
  TComboBox_Padrao_VYN* cbPeriodo;

 protected:
  std::string Consulta() const override;
};

// Pay receipts: the company's payroll payments in the period (cbTipoFolha: kind of payroll), as the
// calculations register keeps them.
class TfrRelatorioReciboFolha : public TfrRelatorioSubstituto {
 public:
  explicit TfrRelatorioReciboFolha(TComponent* owner);
  TComboBox_Padrao_VYN* cbTipoFolha;

 protected:
  std::string Consulta() const override;
  TParams Parametros() const override;
};

// The payroll report generator: opened with [description and code of the model], it prints the
// model's title over the company's payroll calculations.
class TfrRelGeradorRelatorioRH : public TfrRelatorioSubstituto {
 public:
  explicit TfrRelGeradorRelatorioRH(TComponent* owner);

 protected:
  void SetListaObj(const TListaObj& lista) override;
  std::string Consulta() const override;
  TParams Parametros() const override;
};

}  // namespace vyn
