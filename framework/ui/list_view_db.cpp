#include "framework/ui/list_view_db.h"

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"

namespace vyn {

TListViewDB_VYN::TListViewDB_VYN(TComponent* owner, std::vector<std::string> colunas)
    : TListView(owner), colunas_(std::move(colunas)) {}

bool TListViewDB_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TListViewDB_VYN") || TListView::InheritsFrom(class_name);
}

void TListViewDB_VYN::setDataSource(TClientDataSet* ds) {
  ds_ = ds;
  Refresh();
}

void TListViewDB_VYN::Refresh() {
  Clear();
  if (!ds_ || !ds_->Active() || colunas_.empty()) return;
  ds_->First();
  while (!ds_->Eof()) {
    TField* f = ds_->FindField(colunas_.front());
    const std::string caption = f && !f->IsNull() ? f->AsString() : std::string();
    long long data = 0;
    if (f && !f->IsNull()) {
      try {
        data = f->AsInteger();
      } catch (const std::exception&) {
        data = 0;   // a text caption carries no key
      }
    }
    TListItem& it = Add(caption, data);
    for (size_t i = 1; i < colunas_.size(); ++i) {
      TField* s = ds_->FindField(colunas_[i]);
      it.SubItems.push_back(s && !s->IsNull() ? s->AsString() : std::string());
    }
    ds_->Next();
  }
  ds_->First();
}

void TListViewDB_VYN::SetSelecionarTodos(bool marcar) {
  if (marcar ? OnBeforeCheckAll : OnBeforeUnCheckAll) (marcar ? OnBeforeCheckAll : OnBeforeUnCheckAll)(this);
  CheckAll(marcar);
  if (marcar ? OnAfterCheckAll : OnAfterUnCheckAll) (marcar ? OnAfterCheckAll : OnAfterUnCheckAll)(this);
}

std::string TListViewDB_VYN::GetCheckedValues() const {
  std::vector<std::string> v;
  for (const TListItem* it : CheckedItems()) v.push_back(it->Caption);
  return Join(v, ",");
}

}  // namespace vyn
