#pragma once
// The review of a partners' import: the partners read from the sheet in a tree node "Socios" with
// their quotas as the detail, and the import that commits them to the company's tables.
#include <set>
#include <string>
#include <vector>

#include "framework/accounting/socios_mgr.h"
#include "framework/ui/form.h"

namespace vyn {
class TDBGrid_Padrao_VYN;
class TDataSource;
class TFieldsContainer;
class Variant;
struct TFieldsContainerItem;
class TInconsistencias_VYN;
class TSpeedButton;
class TTreeView;
class TTreeNode;
class TEdit_Codigo_Search_VYN;
}  // namespace vyn

namespace integracao {

// Decides which rows are imported in each mode, gives new partners their codes from the server and
// fills the list of partners to copy to the branches.
class TUtilImportacao_Socios_Treeview : public vyn::TComponent {
 public:
  using vyn::TComponent::TComponent;
  std::string ClassName() const override { return "TUtilImportacao_Socios_Treeview"; }

  void SetCodEmp(int codEmp) { FCodEmp = codEmp; }
  int CodEmp() const { return FCodEmp; }
  std::vector<vyn::TDadosCopiaSociosMatrizFilial>* FListaDadosParaCopia = nullptr;
  int FTipoImportacao = 0;
  vyn::TInconsistencias_VYN* FInconsistencias = nullptr;
  // Partner rows the user marked to leave out: no code, no copy to the branches.
  const std::set<vyn::TBookmark>* FSociosFora = nullptr;

  // Before rows are written: partners read as new (provisional negative codes) take consecutive
  // codes reserved on the server, their quotas and references follow; registered partners keep
  // theirs. Then every partner row goes to the copy list.
  void GetChaveServidor(vyn::TSociosMGR& socios, vyn::TEMPRESAS_TSOC_REFMGR* refs, vyn::TEmpresas_TSoc_CotasMGR* cotas);
  // Mode 2 imports only the quotas.
  bool DeveImportarRegistroAtual(const vyn::TDAOFactory& ds, const vyn::TDAOFactory* cotas) const;

 private:
  int FCodEmp = 0;
};

// The parameter array the partners' import hands its review.
enum TParamRevisaoSocios : int {
  prsEmpresa = 0,         // the company edit
  prsSocios,              // TSociosMGR
  prsReferencias,         // TEMPRESAS_TSOC_REFMGR
  prsCotas,               // TEmpresas_TSoc_CotasMGR
  prsInconsistencias,
  prsCopiaMatrizFilial,   // the data copied from the head office to branches
};

class TfrConsultaImportacaoSociosTreeView : public vyn::TForm_VYN {
 public:
  explicit TfrConsultaImportacaoSociosTreeView(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsultaImportacaoSociosTreeView"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TTreeView* tvImportacao;
  vyn::TDBGrid_Padrao_VYN* grDados;
  vyn::TDBGrid_Padrao_VYN* grItens;
  vyn::TSpeedButton* spImportacao;
  vyn::TSpeedButton* spCancelar;
  // The columns of the partners node and of its quotas: captions, hidden and key columns. A cell
  // edit reaches the row only through them.
  vyn::TFieldsContainer* fcSocios;
  vyn::TFieldsContainer* fcCotas;
  bool FImportacaoConcluida = false;

  // Marks (or unmarks) the grid's current row to be left out of the import; a partner left out
  // takes its references and quotas with it.
  void MarcaLinha(vyn::TDBGrid_Padrao_VYN* grid);
  bool LinhaMarcada(vyn::TDBGrid_Padrao_VYN* grid) const;

  void SetListaObj(const vyn::TListaObj& lista) override;
  void AfterListaObj() override;
  // The user selects a node.
  void AtualizaDados(vyn::TTreeNode* node);
  vyn::TClientDataSet* DAOAtual() const { return atual_; }
  TUtilImportacao_Socios_Treeview* UtilImportacao() const { return util_; }
  vyn::TInconsistencias_VYN* Inconsistencias() const { return inconsistencias_; }

  // What a partners' grid cell shows for its stored text.
  static std::string grGridMostraDado(const std::string& campo, const std::string& texto);
  // The import button: writes the rows all or nothing; a failure is shown and nothing is kept.
  void spImportacaoClick(vyn::TComponent* sender);

 private:
  void OnAntesImportar();
  void SetFieldsContainerGrid();
  void CriaFieldsContainers();
  // The typed text as a value of the column's kind; False (with a warning) when it does not fit.
  static bool ValorDaCelula(vyn::TClientDataSet& ds, const std::string& campo, const std::string& texto,
                            vyn::Variant& valor);
  // Closes the review without importing.
  void spCancelarClick(vyn::TComponent* sender);
  vyn::TClientDataSet* SetDaGrade(vyn::TDBGrid_Padrao_VYN* grid) const;
  int FEmpresa = 0;
  std::set<vyn::TBookmark> sociosFora_;
  std::set<vyn::TBookmark> cotasFora_;
  vyn::TSociosMGR* socios_ = nullptr;
  vyn::TEMPRESAS_TSOC_REFMGR* refs_ = nullptr;
  vyn::TEmpresas_TSoc_CotasMGR* cotas_ = nullptr;
  vyn::TInconsistencias_VYN* inconsistencias_ = nullptr;
  vyn::TClientDataSet* atual_ = nullptr;
  vyn::TDataSource* dsDados_;
  vyn::TDataSource* dsItens_;
  TUtilImportacao_Socios_Treeview* util_;
};

}  // namespace integracao
