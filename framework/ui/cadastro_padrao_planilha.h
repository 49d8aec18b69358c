#pragma once
// The editor of spreadsheet import layouts: a header row (code, model, first line, lines discarded
// at the end, file) and its column map (sheet column letter -> target field), saved together.
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/form.h"

namespace vyn {

class TDAOFactory;
class TCustomEdit;
class TEdit_Codigo_Search_VYN;
class TEdit_String_Padrao;
class TEdit_Diretorio_Padrao_VYN;
class TClientDataSet;
class TDataSource;
class TDBGrid_Padrao_VYN;

class EValidacaoCadastro : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TfrCadastro_Padrao_Planilha_VYN : public TForm_VYN {
 public:
  explicit TfrCadastro_Padrao_Planilha_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrCadastro_Padrao_Planilha_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TEdit_Codigo_Search_VYN* edCODGERADOR;
  TEdit_String_Padrao* edMODELO;
  TEdit_String_Padrao* edLINHA_INICIAL;
  TEdit_String_Padrao* edDESCARTAR_LINHAS;
  TEdit_Diretorio_Padrao_VYN* edARQUIVO;
  TLabel* lbModelo;
  TSpeedButton* sbCODGERADOR;   // the code's lookup button
  TSpeedButton* spSalvar;       // saves the layout; a refusal is shown to the user
  TSpeedButton* spExcluir;      // deletes the layout being edited, once the user confirms
  // The column map, one row per sheet column: BDCOLUNA (the column's letters) and BDCAMPO (a field
  // of the menu). Insert adds a row, Ctrl+Delete removes the current one.
  TDBGrid_Padrao_VYN* grColunas;
  TClientDataSet* cdsColunas;
  TDataSource* dsColunas;

  // Leaving the code edit: a registered layout is loaded into the editor (header and column map);
  // a code not registered yet is a new layout and keeps what was typed.
  void edCODGERADORExit();
  // The lookup button: opens the layouts' consultation; the layout picked there is loaded.
  void Pesquisar();

  void setDAOGerador(TDAOFactory* dao) { gerador_ = dao; }
  void setDAOPlanilha(TDAOFactory* dao) { planilha_ = dao; }
  void setFieldsMenu(const std::vector<std::string>& campos) { campos_ = campos; }
  TDAOFactory* DAOGerador() const { return gerador_; }
  const std::vector<std::string>& FieldsMenu() const { return campos_; }

  // The grid's column map: (column letter, target field), in the grid's order.
  std::vector<std::pair<std::string, std::string>> Colunas() const;
  void SetColunas(const std::vector<std::pair<std::string, std::string>>& colunas);
  // Saves the header and its map all or nothing. A missing model, a column that is not letters,
  // a column given twice or a field outside the menu is refused (EValidacaoCadastro) and nothing
  // is written.
  void Salvar();
  // Deletes the layout of the code edit with its map; false when there was none to delete.
  bool Excluir();

 protected:
  void FormCreate() override;
  virtual void setDAOS() {}
  virtual int setNumeroColunas() { return 0; }
  // Before the header row is posted.
  virtual void fcGeradorBeforePost() {}
  // The registered name of the consultation the lookup opens ("" none).
  virtual std::string ClasseConsulta() const { return ""; }

 private:
  TDAOFactory* gerador_ = nullptr;
  TDAOFactory* planilha_ = nullptr;
  std::vector<std::string> campos_;
  bool EditaColuna(const std::string& campo, const std::string& texto);
  std::vector<std::pair<std::string, std::string>> ColunasValidas();
  void TeclaColunas(int& key, unsigned shift);
  void LimpaEditor();
};

}  // namespace vyn
