#include "framework/ui/choice_controls.h"

#include <stdexcept>

#include "framework/core/text.h"

namespace vyn {

void TCheckBox::SetChecked(bool c) {
  if (c == checked_) return;
  checked_ = c;
  if (OnClick) OnClick(this);
}

void TCheckBox::Click() {
  if (Enabled() && Visible()) SetChecked(!checked_);
}

void TRadioGroup::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(Items.size()))
    throw EInvalidOperation(Name() + ": índice " + std::to_string(i) + " fora da lista");
  if (i == item_index_) return;
  item_index_ = i;
  if (OnClick) OnClick(this);
}

void TRadioGroup::Select(int i) {
  if (Enabled() && Visible()) SetItemIndex(i);
}

void TComboBox_Padrao_VYN::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(Items.size()))
    throw EInvalidOperation(Name() + ": índice " + std::to_string(i) + " fora da lista");
  item_index_ = i;
  free_text_.clear();
}

std::string TComboBox_Padrao_VYN::Text() const {
  if (item_index_ >= 0) return Items[static_cast<size_t>(item_index_)];
  return free_text_;
}

void TComboBox_Padrao_VYN::SetText(const std::string& t) {
  for (size_t i = 0; i < Items.size(); ++i)
    if (SameText(Items[i], t)) {
      item_index_ = static_cast<int>(i);
      free_text_.clear();
      return;
    }
  item_index_ = -1;
  free_text_ = Style == csDropDown ? t : std::string();
}

long long TComboBox_Padrao_VYN::Value() const {
  if (item_index_ < 0) return -1;
  if (static_cast<size_t>(item_index_) < Values.size()) return Values[static_cast<size_t>(item_index_)];
  return item_index_;
}

void TComboBox_Padrao_VYN::AddItem(std::string text, long long value) {
  // Keep Values aligned with Items when the combo mixes both ways of filling.
  while (Values.size() < Items.size()) Values.push_back(static_cast<long long>(Values.size()));
  Items.push_back(std::move(text));
  Values.push_back(value);
}

void TComboBox_Padrao_VYN::Clear() {
  Items.clear();
  Values.clear();
  item_index_ = -1;
  free_text_.clear();
}

void TComboBox_Padrao_VYN::Select(int i) {
  if (!Enabled() || !Visible()) return;
  SetItemIndex(i);
  if (OnChange) OnChange(this);
}

void TCheckListBox::SetChecked(int i, bool c) {
  Items.at(static_cast<size_t>(i)).Checked = c;
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::CheckAll(bool c) {
  for (auto& it : Items) it.Checked = c;
}

void TCheckListBox::Select(int i) {
  if (i < 0 || i >= static_cast<int>(Items.size())) throw std::out_of_range("linha inexistente na lista");
  if (!Enabled() || !Visible()) return;
  ItemIndex = i;
  if (OnClick) OnClick(this);
}

void TCheckListBox::DblClick() {
  if (Enabled() && Visible() && OnDblClick) OnDblClick(this);
}

void TCheckListBox::KeyDown(int& key, unsigned shift) {
  if (Enabled() && Visible() && OnKeyDown) OnKeyDown(this, key, shift);
}

int TCheckListBox::CheckedCount() const {
  int n = 0;
  for (auto& it : Items) n += it.Checked ? 1 : 0;
  return n;
}

}  // namespace vyn
