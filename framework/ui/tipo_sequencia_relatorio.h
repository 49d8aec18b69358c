#pragma once
// Selection strategies of report sequences: which entities a run goes through (one row per entity,
// column BDCODEMP), how each is described and grouped, and how it fills an opened screen.
#include <string>

#include "framework/ui/sequencia_relatorio.h"

namespace vyn {

class TForm_VYN;
class TDAOFactory;
class TComboBox_Padrao_VYN;
class TEdit_Date_Padrao_VYN;

// Companies chosen in the screen's edCODEMP.
class TTipoSequenciaRelatorioPadrao {
 public:
  explicit TTipoSequenciaRelatorioPadrao(TForm_VYN* tela) : tela_(tela) {}
  virtual ~TTipoSequenciaRelatorioPadrao() = default;

  // The entities' query (values quoted by the data layer); "(1 = 0)" lists nothing.
  virtual std::string GetSQL() const;
  // Takes the current row of the query as the entity being run.
  virtual void PreencheMultiSelecao(TDAOFactory& sql);
  virtual std::string getDescricaoExportacao() const;
  virtual std::string getAgrupamento() const { return "Empresa"; }
  virtual std::string getNomeQuebraVynReport() const { return getDescricaoExportacao(); }
  // The entity's name and its e-mail address (empty when it has none).
  virtual TDadosEmail getDadosEmail() const { return {nome_, email_}; }
  // Puts the entity into the opened screen's edCODEMP (when it has one).
  virtual void PreencheEntidade(TForm_VYN& form);
  virtual void FinalizaPreenchimento(TForm_VYN& form) {}
  int Codigo() const { return codigo_; }

 protected:
  TForm_VYN* tela_;
  int codigo_ = 0;
  std::string nome_;
  std::string email_;
};

// Clients of the office: the codes of edCODEMP are client codes.
class TTipoSequenciaRelatorioClientes : public TTipoSequenciaRelatorioPadrao {
 public:
  using TTipoSequenciaRelatorioPadrao::TTipoSequenciaRelatorioPadrao;
  std::string getAgrupamento() const override { return "Cliente"; }
  std::string getDescricaoExportacao() const override;
};

// Employees (TRH_COLCON) of the chosen companies as of the reference month, filtered by the
// situation combo (its nine items) and, when the screen's edCODCOLCON holds codes, by those. With
// porEmpresa the outputs group by company, else one group per employee. The query also hands back
// BDCODCOL, BDNOMCOL and BDEMAILCOL; the running employee is the host's WP_COL_TARVO.
class TTipoSequenciaRelatorioColaboradores : public TTipoSequenciaRelatorioPadrao {
 public:
  TTipoSequenciaRelatorioColaboradores(TForm_VYN* tela, TComboBox_Padrao_VYN* situacao,
                                       TEdit_Date_Padrao_VYN* referencia, bool porEmpresa)
      : TTipoSequenciaRelatorioPadrao(tela), situacao_(situacao), referencia_(referencia), porEmpresa_(porEmpresa) {}
  std::string GetSQL() const override;
  void PreencheMultiSelecao(TDAOFactory& sql) override;
  std::string getAgrupamento() const override { return porEmpresa_ ? "Empresa" : "Colaborador"; }
  std::string getDescricaoExportacao() const override;
  std::string getNomeQuebraVynReport() const override { return descricaoColaborador(); }
  TDadosEmail getDadosEmail() const override { return {nomeColaborador_, emailColaborador_}; }
  // Also puts the employee into the opened screen's edCODCOLCON.
  void PreencheEntidade(TForm_VYN& form) override;
  bool PorEmpresa() const { return porEmpresa_; }
  int CodigoColaborador() const { return colaborador_; }

  // The condition of a situation (combo index) on alias C for the month [ini, fim].
  static std::string CondicaoSituacao(int situacao, TDateTime ini, TDateTime fim);

 private:
  std::string descricaoColaborador() const;
  TComboBox_Padrao_VYN* situacao_;
  TEdit_Date_Padrao_VYN* referencia_;
  bool porEmpresa_;
  int colaborador_ = 0;
  std::string nomeColaborador_;
  std::string emailColaborador_;
};

}  // namespace vyn
