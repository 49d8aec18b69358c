#pragma once
// Report sequences run for the employees of a company: the same models as the company screen, kind
// 2, with the employees' situation and an optional choice of employees.
#include "statutory/reportsequence/uRelSequenciaRelatorios.h"

namespace vyn {
class TComboBox_Padrao_VYN;
}

namespace integracao {

class TfrRelSequenciaRelatoriosColaborador : public TfrRelSequenciaRelatorios {
 public:
  explicit TfrRelSequenciaRelatoriosColaborador(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrRelSequenciaRelatoriosColaborador"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TEdit_Codigo_Search_VYN* edCODCOLCON;
  vyn::TComboBox_Padrao_VYN* cbSitFunc;
  vyn::TSpeedButton* spConsultaCol;   // "Consulta colaborador"

  // The employee field's look-up: the employees of the company chosen; the ones picked fill the
  // field (several parted by ";").
  void spConsultaColClick();

  int GetTipoSequencia() override { return tseqColaborador; }
  int GetProcessoTARVO() override { return 36; }
  void BeforeExportarSequencia(vyn::TDadosAdicionaisSeqRel& dados) override;
  // Whether the outputs of the run are split by company (else by employee).
  bool EstaExportandoPorEmpresa() const;
  // F5 switches the choice of employees on and off (off, the run is for every employee of the
  // situation chosen).
  void KeyDown(int& key, unsigned shift) override;

 protected:
  void FormCreate() override;
  void CarregaQuebrasRelatorio() override;
  std::unique_ptr<vyn::TTipoSequenciaRelatorioPadrao> CriarTipoSequencia(int tipo) override;
};

}  // namespace integracao
