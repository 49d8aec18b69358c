#pragma once
// A list view with check boxes over a data set: one item per row, the caption from the first column
// and the sub-items from the others; tick-all and untick-all with events around them.
#include <string>
#include <vector>

#include "framework/ui/list_view.h"

namespace vyn {

class TClientDataSet;

class TListViewDB_VYN : public TListView {
 public:
  TListViewDB_VYN(TComponent* owner, std::vector<std::string> colunas);
  std::string ClassName() const override { return "TListViewDB_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Binds the list to the data set and fills it from its rows (nothing ticked).
  void setDataSource(TClientDataSet* ds);
  TClientDataSet* DataSource() const { return ds_; }
  // Fills the items again from the data set's rows (after it was reopened); ticks are lost.
  void Refresh();
  // Ticks or unticks every item as the user's tick-all does, with the events around it.
  void SetSelecionarTodos(bool marcar = true);
  // The captions of the ticked items in list order, comma-separated.
  std::string GetCheckedValues() const;
  const std::vector<std::string>& Colunas() const { return colunas_; }

  TNotifyEvent OnBeforeCheckAll, OnAfterCheckAll, OnBeforeUnCheckAll, OnAfterUnCheckAll;

 private:
  std::vector<std::string> colunas_;   // data-set field names: the caption first
  TClientDataSet* ds_ = nullptr;
};

}  // namespace vyn
