#pragma once
// Check box, radio group, combo box and check list: the events follow the suite's controls. Setting
// Checked or a radio group's ItemIndex by program fires OnClick; setting a combo's ItemIndex or
// Text by program does not fire OnChange (only the user's choice does).
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/control.h"

namespace vyn {

class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool c);
  // The user clicks it: toggles (when enabled).
  void Click();
  TNotifyEvent OnClick;

 private:
  bool checked_ = false;
};

class TRadioGroup : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TRadioGroup"; }
  std::vector<std::string> Items;
  int ItemIndex() const { return item_index_; }
  // -1 clears; out of range throws. A change fires OnClick.
  void SetItemIndex(int i);
  // The user picks an item (when enabled).
  void Select(int i);
  TNotifyEvent OnClick;

 private:
  int item_index_ = -1;
};

enum TComboStyle { csDropDown, csDropDownList };

class TComboBox_Padrao_VYN : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TComboBox_Padrao_VYN"; }
  std::vector<std::string> Items;
  std::vector<long long> Values;         // the value of each item, when the combo has them
  TComboStyle Style = csDropDownList;

  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int i);              // no OnChange; -1 clears; out of range throws
  std::string Text() const;
  // Selects the item with that text (case-insensitive); a free text only in csDropDown.
  void SetText(const std::string& t);
  long long Value() const;               // the value of the chosen item (its index without values)
  void AddItem(std::string text, long long value);
  void Clear();
  // The user picks an item: OnChange fires.
  void Select(int i);
  TNotifyEvent OnChange;

 private:
  int item_index_ = -1;
  std::string free_text_;
};

class TCheckListBox : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TCheckListBox"; }
  struct Item {
    std::string Text;
    bool Checked = false;
  };
  std::vector<Item> Items;
  int ItemIndex = -1;
  void Add(std::string text, bool checked = false) { Items.push_back({std::move(text), checked}); }
  bool Checked(int i) const { return Items.at(static_cast<size_t>(i)).Checked; }
  void SetChecked(int i, bool c);        // fires OnClickCheck
  void CheckAll(bool c);
  int CheckedCount() const;
  TNotifyEvent OnClickCheck;

  // The user's clicks and keys on the list (when enabled): a click selects its line, then OnClick
  // runs; a key reaches OnKeyDown, which may consume it (key 0).
  using TKeyEvent = std::function<void(TComponent* sender, int& key, unsigned shift)>;
  void Select(int i);                    // out of range throws
  void DblClick();
  void KeyDown(int& key, unsigned shift);
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TKeyEvent OnKeyDown;
};

}  // namespace vyn
