#pragma once
// Consultation screens: a read-only grid, a master grid with its detail grid, or a tree, over
// data sets whose SQL the screen sets.
#include <string>
#include <vector>

#include "framework/ui/form.h"

namespace vyn {

class TClientDataSet;
class TDataSource;
class TDBGrid_Padrao_VYN;
class TSpeedButton;
class TTreeView;
class TTreeNode;

class TfrConsulta_Padrao_VYN : public TForm_VYN {
 public:
  explicit TfrConsulta_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsulta_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TDBGrid_Padrao_VYN* grConsulta;
  TDataSource* dsConsulta;
  TSpeedButton* spExcluir;
  TSpeedButton* spAtualizar;

  // The data set the grid shows (owned by the screen or by whoever made it).
  void SetDAOFactory(TClientDataSet* ds);
  TClientDataSet* DAO() const { return FDAO; }
  // The SQL of the consultation; Atualiza runs it on the process context's database.
  void SetSQL(std::string sql) { sql_ = std::move(sql); }
  const std::string& SQL() const { return sql_; }
  // A filter over the loaded rows (data-set filter expression); "" shows every row.
  void SetFilterSearch(const std::string& expr);
  virtual void Atualiza();
  void SetPodeExcluir(bool on);
  bool PodeExcluir() const { return pode_excluir_; }

  // Enter selects the row; Esc closes.
  void KeyDown(int& key, unsigned shift) override;

 protected:
  // The row the user picked (Enter or double click).
  virtual void Seleciona() {}
  virtual void spExcluirClick(TComponent* sender) {}
  // Loads the SQL into a data set (the database of the process context).
  virtual void Consulta(const std::string& sql, TClientDataSet& into);

  TClientDataSet* FDAO = nullptr;

 private:
  std::string sql_;
  bool pode_excluir_ = true;
};

// A master grid and a detail grid that follows the master's row.
class TfrConsulta_Padrao_Grid : public TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsulta_Padrao_Grid(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrConsulta_Padrao_Grid"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TDBGrid_Padrao_VYN* grGridAggregate;
  TDataSource* dsAggregate;
  void SetDAOFactoryAggregate(TClientDataSet* ds);
  TClientDataSet* DAOAggregate() const { return FDAOAggregate; }
  // Reloads the detail for the master's current row; called on every master row change.
  virtual void RefreshGridAux() {}
  // Wires the master's row changes to RefreshGridAux (after SetDAOFactory).
  void LigaMaster();

 protected:
  TClientDataSet* FDAOAggregate = nullptr;
};

// One level of the tree: the key column, the column shown and a kind the screen gives it.
struct TGrupoConsulta {
  std::string Chave;
  std::string Mostra;
  int Tipo = 0;
};

class TfrConsulta_Padrao_TreeView_VYN : public TfrConsulta_Padrao_VYN {
 public:
  explicit TfrConsulta_Padrao_TreeView_VYN(TComponent* owner = nullptr);
  ~TfrConsulta_Padrao_TreeView_VYN() override;
  std::string ClassName() const override { return "TfrConsulta_Padrao_TreeView_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TTreeView* tvConsulta;
  // The base SQL and the levels.
  void setGroups(std::string sql, std::vector<TGrupoConsulta> niveis);
  const std::vector<TGrupoConsulta>& Grupos() const { return niveis_; }
  // Builds the first level.
  void MontaArvore();
  // The key values of a node and its parents, from the top level down.
  std::vector<std::string> ValoresNo(const TTreeNode* node) const;

 protected:
  // The SQL of a node's children (the node's level values narrow it); "" for none.
  virtual std::string setGroupSQL(const TTreeNode* node);
  // Called for a node whose query gave no rows.
  virtual void NoVazio(TTreeNode* node) {}

 private:
  void Expande(TTreeNode* node);
  std::string sql_;
  std::vector<TGrupoConsulta> niveis_;
  std::vector<std::unique_ptr<std::string>> keys_;   // node data: the node's key value
};

}  // namespace vyn
