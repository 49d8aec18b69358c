#include "framework/ui/combo_lookup.h"

#include "framework/data/sql_mgr.h"

namespace vyn {

TComboBox_Loockup_Padrao_VYN::TComboBox_Loockup_Padrao_VYN(TComponent* owner)
    : TComboBox_Padrao_VYN(owner), dados_(Create<TSQLMGR>()) {
  Style = csDropDownList;
}

void TComboBox_Loockup_Padrao_VYN::Carrega() {
  Clear();
  std::string sql;
  if (OnLookup) OnLookup(*this, sql);
  if (sql.empty()) return;
  dados_->CommandText(sql);
  for (dados_->First(); !dados_->Eof(); dados_->Next()) {
    TField& chave = dados_->FieldByName(KeyField);
    AddItem(dados_->FieldByName(ListField).AsString(), chave.IsNull() ? 0 : static_cast<long long>(chave.AsInteger()));
  }
}

Variant TComboBox_Loockup_Padrao_VYN::Campo(const std::string& name) const {
  if (ItemIndex() < 0 || !dados_->Active()) return Variant();
  dados_->SetRecNo(ItemIndex() + 1);
  return dados_->FieldByName(name).Value();
}

}  // namespace vyn
