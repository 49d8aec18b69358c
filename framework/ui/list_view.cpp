#include "framework/ui/list_view.h"

#include <algorithm>

namespace vyn {

TListItem& TListView::Add(std::string caption, long long data) {
  auto it = std::make_unique<TListItem>();
  it->Caption = std::move(caption);
  it->Data = data;
  items_.push_back(std::move(it));
  return *items_.back();
}

void TListView::Clear() {
  items_.clear();
  ItemIndex = -1;
  anchor_ = -1;
}

void TListView::Delete(int i) {
  items_.erase(items_.begin() + i);
  if (ItemIndex >= Count()) ItemIndex = Count() - 1;
  anchor_ = -1;
}

void TListView::SetChecked(int i, bool c) {
  TListItem& it = Item(i);
  if (it.Checked == c) return;
  it.Checked = c;
  if (OnItemChecked) OnItemChecked(this, it);
}

void TListView::CheckAll(bool c) {
  for (int i = 0; i < Count(); ++i) SetChecked(i, c);
}

int TListView::CheckedCount() const {
  int n = 0;
  for (auto& it : items_) n += it->Checked ? 1 : 0;
  return n;
}

std::vector<const TListItem*> TListView::CheckedItems() const {
  std::vector<const TListItem*> out;
  for (auto& it : items_)
    if (it->Checked) out.push_back(it.get());
  return out;
}

void TListView::Select(int i, unsigned shift) {
  TListItem& escolhido = Item(i);
  if (!Enabled()) return;
  if (!MultiSelect) shift = 0;
  if ((shift & ssShift) && anchor_ >= 0 && anchor_ < Count()) {
    for (int k = 0; k < Count(); ++k) Item(k).Selected = k >= std::min(anchor_, i) && k <= std::max(anchor_, i);
  } else if (shift & ssCtrl) {
    escolhido.Selected = !escolhido.Selected;
    anchor_ = i;
  } else {
    for (auto& it : items_) it->Selected = false;
    escolhido.Selected = true;
    anchor_ = i;
  }
  ItemIndex = i;
  if (OnSelectItem) OnSelectItem(this, escolhido);
}

std::vector<int> TListView::SelectedIndexes() const {
  std::vector<int> out;
  for (int k = 0; k < Count(); ++k)
    if (Item(k).Selected) out.push_back(k);
  return out;
}

}  // namespace vyn
