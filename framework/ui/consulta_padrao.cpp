#include "framework/ui/consulta_padrao.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_value.h"
#include "framework/ui/grid.h"
#include "framework/ui/tree_view.h"

namespace vyn {

TfrConsulta_Padrao_VYN::TfrConsulta_Padrao_VYN(TComponent* owner)
    : TForm_VYN(owner),
      grConsulta(Create<TDBGrid_Padrao_VYN>()),
      dsConsulta(Create<TDataSource>()),
      spExcluir(Create<TSpeedButton>()),
      spAtualizar(Create<TSpeedButton>()) {
  grConsulta->SetName("grConsulta");
  grConsulta->SetDataSource(dsConsulta);
  grConsulta->OnDblClick = [this](TComponent*) { Seleciona(); };
  dsConsulta->SetName("dsConsulta");
  spExcluir->SetName("spExcluir");
  spExcluir->OnClick = [this](TComponent* s) {
    if (pode_excluir_) spExcluirClick(s);
  };
  spAtualizar->SetName("spAtualizar");
  spAtualizar->OnClick = [this](TComponent*) { Atualiza(); };
}

bool TfrConsulta_Padrao_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsulta_Padrao_VYN") || TForm_VYN::InheritsFrom(class_name);
}

void TfrConsulta_Padrao_VYN::SetDAOFactory(TClientDataSet* ds) {
  FDAO = ds;
  dsConsulta->SetDataSet(ds);
}

void TfrConsulta_Padrao_VYN::SetFilterSearch(const std::string& expr) {
  if (!FDAO) return;
  FDAO->SetFiltered(false);
  FDAO->SetFilter(expr);
  FDAO->SetFiltered(!expr.empty());
}

void TfrConsulta_Padrao_VYN::Consulta(const std::string& sql, TClientDataSet& into) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw std::logic_error("No database in the process context");
  into.Close();
  into.ClearFieldDefs();
  db->QueryInto(into, sql);
}

void TfrConsulta_Padrao_VYN::Atualiza() {
  if (!FDAO) SetDAOFactory(Create<TClientDataSet>());
  if (sql_.empty()) return;
  Consulta(sql_, *FDAO);
  FDAO->First();
}

void TfrConsulta_Padrao_VYN::SetPodeExcluir(bool on) {
  pode_excluir_ = on;
  spExcluir->SetVisible(on);
}

void TfrConsulta_Padrao_VYN::KeyDown(int& key, unsigned) {
  if (key == 13) {
    key = 0;
    if (FDAO && FDAO->Active() && !FDAO->IsEmpty()) Seleciona();
  } else if (key == 27) {
    key = 0;
    Close();
  }
}

TfrConsulta_Padrao_Grid::TfrConsulta_Padrao_Grid(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner), grGridAggregate(Create<TDBGrid_Padrao_VYN>()), dsAggregate(Create<TDataSource>()) {
  grGridAggregate->SetName("grGridAggregate");
  grGridAggregate->SetDataSource(dsAggregate);
  dsAggregate->SetName("dsAggregate");
  SetPodeExcluir(false);
}

bool TfrConsulta_Padrao_Grid::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsulta_Padrao_Grid") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsulta_Padrao_Grid::SetDAOFactoryAggregate(TClientDataSet* ds) {
  FDAOAggregate = ds;
  dsAggregate->SetDataSet(ds);
}

void TfrConsulta_Padrao_Grid::LigaMaster() {
  if (!FDAO) return;
  FDAO->AfterScroll = [this](TClientDataSet&) { RefreshGridAux(); };
}

TfrConsulta_Padrao_TreeView_VYN::TfrConsulta_Padrao_TreeView_VYN(TComponent* owner)
    : TfrConsulta_Padrao_VYN(owner), tvConsulta(Create<TTreeView>()) {
  tvConsulta->SetName("tvConsulta");
  tvConsulta->OnExpanding = [this](TComponent*, TTreeNode* n) { Expande(n); };
}

TfrConsulta_Padrao_TreeView_VYN::~TfrConsulta_Padrao_TreeView_VYN() = default;

bool TfrConsulta_Padrao_TreeView_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsulta_Padrao_TreeView_VYN") || TfrConsulta_Padrao_VYN::InheritsFrom(class_name);
}

void TfrConsulta_Padrao_TreeView_VYN::setGroups(std::string sql, std::vector<TGrupoConsulta> niveis) {
  sql_ = std::move(sql);
  niveis_ = std::move(niveis);
}

std::vector<std::string> TfrConsulta_Padrao_TreeView_VYN::ValoresNo(const TTreeNode* node) const {
  std::vector<std::string> out;
  for (const TTreeNode* n = node; n; n = n->Parent())
    out.insert(out.begin(), n->Data ? *static_cast<const std::string*>(n->Data) : std::string());
  return out;
}

std::string TfrConsulta_Padrao_TreeView_VYN::setGroupSQL(const TTreeNode* node) {
  size_t level = node ? static_cast<size_t>(node->Level()) + 1 : 0;
  if (level >= niveis_.size()) return "";
  const TGrupoConsulta& g = niveis_[level];
  std::string sql = "select distinct " + g.Chave + ", " + g.Mostra + " from (" + sql_ + ") q";
  std::vector<std::string> values = ValoresNo(node);
  for (size_t i = 0; i < values.size(); ++i)
    sql += (i == 0 ? " where " : " and ") + niveis_[i].Chave + " = " + QuotedStr(values[i]);
  return sql + " order by 2";
}

void TfrConsulta_Padrao_TreeView_VYN::Expande(TTreeNode* node) {
  if (!node || node->HasChildren() || node->Expanded) return;
  std::string sql = setGroupSQL(node);
  if (sql.empty()) return;
  TClientDataSet rows;
  Consulta(sql, rows);
  if (rows.IsEmpty()) {
    NoVazio(node);
    return;
  }
  for (rows.First(); !rows.Eof(); rows.Next()) {
    keys_.push_back(std::make_unique<std::string>(rows.Fields(0).AsString()));
    tvConsulta->AddChild(node, rows.Fields(1).AsString(), keys_.back().get());
  }
}

void TfrConsulta_Padrao_TreeView_VYN::MontaArvore() {
  tvConsulta->Clear();
  keys_.clear();
  std::string sql = setGroupSQL(nullptr);
  if (sql.empty()) return;
  TClientDataSet rows;
  Consulta(sql, rows);
  for (rows.First(); !rows.Eof(); rows.Next()) {
    keys_.push_back(std::make_unique<std::string>(rows.Fields(0).AsString()));
    tvConsulta->Add(rows.Fields(1).AsString(), keys_.back().get());
  }
}

}  // namespace vyn
