#pragma once
// The lookup combo: its items come from a query that the lookup event gives. Each item shows the
// list field and carries the key field as its value; the other fields of the chosen item's row
// stay readable.
#include <functional>
#include <string>

#include "framework/core/variant.h"
#include "framework/ui/choice_controls.h"

namespace vyn {

class TSQLMGR;

class TComboBox_Loockup_Padrao_VYN : public TComboBox_Padrao_VYN {
 public:
  // Sets the SQL of the list.
  using TLookupEvent = std::function<void(TComboBox_Loockup_Padrao_VYN& sender, std::string& sql)>;

  explicit TComboBox_Loockup_Padrao_VYN(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TComboBox_Loockup_Padrao_VYN"; }

  std::string KeyField;    // the value of an item
  std::string ListField;   // the text shown
  TLookupEvent OnLookup;

  // Runs the lookup event and reloads the items from its SQL; nothing stays chosen.
  void Carrega();
  // A field of the chosen item's row; null when nothing is chosen.
  Variant Campo(const std::string& name) const;

 private:
  TSQLMGR* dados_;
};

}  // namespace vyn
