#pragma once
// A list view with check boxes: items with a caption, sub-items, a data value and a tick.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/control.h"

namespace vyn {

struct TListItem {
  std::string Caption;
  std::vector<std::string> SubItems;
  bool Checked = false;
  bool Selected = false;
  long long Data = 0;          // the key the screen keeps with the item (a company code, ...)
  int ImageIndex = -1;
};

// A column of a report-style list view: its caption and width.
struct TListColumn {
  std::string Caption;
  int Width = 0;
};

class TListView : public TControl {
 public:
  using TItemEvent = std::function<void(TComponent* sender, TListItem& item)>;
  using TControl::TControl;
  std::string ClassName() const override { return "TListView"; }

  bool Checkboxes = true;
  std::vector<TListColumn> Columns;   // report style: the caption column first, then the sub-items'
  TListItem& Add(std::string caption, long long data = 0);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  TListItem& Item(int i) { return *items_.at(static_cast<size_t>(i)); }
  const TListItem& Item(int i) const { return *items_.at(static_cast<size_t>(i)); }
  void Delete(int i);
  // Ticks or clears an item; fires OnItemChecked when it changes.
  void SetChecked(int i, bool c);
  void CheckAll(bool c);
  int CheckedCount() const;
  std::vector<const TListItem*> CheckedItems() const;
  int ItemIndex = -1;
  TItemEvent OnItemChecked;
  // The user clicks a row: it becomes the only selected one and OnSelectItem fires. With
  // MultiSelect, Ctrl adds or removes the row and Shift selects the rows from the last one clicked
  // without Shift to it (shift holds the keys, TShiftKey).
  void Select(int i, unsigned shift = 0);
  bool MultiSelect = false;
  // The selected rows' indexes, in the list's order.
  std::vector<int> SelectedIndexes() const;
  TItemEvent OnSelectItem;
  // The user double-clicks the selected row.
  TNotifyEvent OnDblClick;
  void DblClick() {
    if (Enabled() && OnDblClick) OnDblClick(this);
  }

 private:
  std::vector<std::unique_ptr<TListItem>> items_;   // stable addresses
  int anchor_ = -1;
};

}  // namespace vyn
