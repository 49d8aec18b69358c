#include "framework/ui/fields_container.h"

#include <charconv>

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/choice_controls.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/edit_numeric.h"
#include "framework/ui/grid.h"

namespace vyn {

TFieldsContainerItem& TFieldsContainer::Add(std::string field, std::string title, TTipoEditorCampo editor,
                                            int tipoPesquisa) {
  TFieldsContainerItem i;
  i.FieldName = std::move(field);
  i.Title = std::move(title);
  i.Editor = editor;
  i.TipoPesquisa = tipoPesquisa;
  items_.push_back(std::move(i));
  return items_.back();
}

TFieldsContainerItem* TFieldsContainer::Item(const std::string& field) {
  for (TFieldsContainerItem& i : items_)
    if (SameText(i.FieldName, field)) return &i;
  return nullptr;
}

void TFieldsContainer::SetVisible(const std::string& field, bool visible) {
  if (TFieldsContainerItem* i = Item(field)) i->Visible = visible;
}

void TFieldsContainer::SetTitle(const std::string& field, const std::string& title) {
  if (TFieldsContainerItem* i = Item(field)) i->Title = title;
}

TClientDataSet* TFieldsContainer::DataSet() const {
  if (dataSet_) return dataSet_;
  return grid_ ? grid_->DataSet() : nullptr;
}

void TFieldsContainer::SetGridSearch(TDBGrid_Padrao_VYN* grid) {
  grid_ = grid;
  if (!grid) return;
  grid->Columns.clear();
  for (const TFieldsContainerItem& i : items_) {
    TGridColumn& c = grid->AddColumn(i.FieldName, i.Title);
    if (i.Title.empty()) c.Title.clear();
    c.Visible = i.Visible;
    c.ReadOnly = !i.Editavel();
  }
  grid->EditaCelula = [this](const std::string& field, const std::string& text) { return EditaCampo(field, text); };
}

TControl* TFieldsContainer::CriaEditor(const TFieldsContainerItem& item) {
  TComponent& dono = Owner() ? *Owner() : static_cast<TComponent&>(*this);
  switch (item.Editor) {
    case TTipoEditorCampo::Codigo: {
      auto* e = dono.Create<TEdit_Codigo_Search_VYN>();
      if (item.TipoPesquisa) e->SetTypeCodeVYN(item.TipoPesquisa);
      return e;
    }
    case TTipoEditorCampo::Data: return dono.Create<TEdit_Date_Padrao_VYN>();
    case TTipoEditorCampo::Numerico: return dono.Create<TEdit_Numerico_Padrao_VYN>();
    case TTipoEditorCampo::Combo: return dono.Create<TComboBox_Padrao_VYN>();
    default: {
      auto* e = dono.Create<TEdit_String_Padrao>();
      e->SetMaxLength(item.Tamanho);
      return e;
    }
  }
}

void TFieldsContainer::CarregaEditor(TControl* editor, TClientDataSet& ds, const std::string& field) {
  TField& f = ds.FieldByName(field);
  if (auto* codigo = dynamic_cast<TEdit_Codigo_Search_VYN*>(editor))
    codigo->Vale(f.IsNull() ? 0 : f.AsInteger());
  else if (auto* data = dynamic_cast<TEdit_Date_Padrao_VYN*>(editor))
    data->SetData(f.IsNull() ? TDateTime() : f.AsDateTime());
  else if (auto* numero = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor))
    numero->SetValue(f.IsNull() ? Currency() : f.AsCurrency());
  else if (auto* texto = dynamic_cast<TEdit_String_Padrao*>(editor))
    texto->SetText(f.IsNull() ? std::string() : f.AsString());
}

// The editor takes the typed text; False (with the editor's message shown) when it refuses it.
bool TFieldsContainer::LeEditor(TControl* editor, const std::string& text, Variant& valor) {
  if (auto* combo = dynamic_cast<TComboBox_Padrao_VYN*>(editor)) {
    int i = 0;
    const std::string t = Trim(text);
    if (!t.empty() && std::from_chars(t.data(), t.data() + t.size(), i).ec != std::errc()) return false;
    if (i < 0 || i >= static_cast<int>(combo->Items.size())) return false;
    combo->SetItemIndex(i);
    valor = Variant(i);
  } else if (auto* codigo = dynamic_cast<TEdit_Codigo_Search_VYN*>(editor)) {
    codigo->SetText(text);
    if (!codigo->Validate()) {
      DlgWarOk(codigo->Mensagem());
      return false;
    }
    if (!codigo->Text().empty()) valor = Variant(static_cast<long long>(codigo->Codigo()));
  } else if (auto* data = dynamic_cast<TEdit_Date_Padrao_VYN*>(editor)) {
    data->SetText(text);
    if (!data->IsValid()) {
      DlgWarOk("Data inválida: " + text);
      return false;
    }
    if (!data->IsEmpty()) valor = Variant(data->GetData());
  } else if (auto* numero = dynamic_cast<TEdit_Numerico_Padrao_VYN*>(editor)) {
    // The editor must not cut what it was given: a longer amount is refused, never another one.
    numero->SetMaxLength(0);
    numero->SetText(text);
    if (!numero->IsValid()) {
      DlgWarOk("Valor inválido: " + text);
      return false;
    }
    // Nor rounded: "10,005" in a cell of two decimals is a typing slip, not 10,01.
    if (!Trim(text).empty() && Currency::ParseBR(Trim(text)) != numero->Value()) {
      DlgWarOk("Valor inválido: " + text + " (no máximo " + std::to_string(numero->Casas()) + " casas decimais)");
      return false;
    }
    valor = Variant(numero->Value());
  } else {
    if (auto* e = dynamic_cast<TEdit_String_Padrao*>(editor)) e->SetText(text);
    valor = Variant(text);
  }
  return true;
}

bool TFieldsContainer::EditaCampo(const std::string& field, const std::string& text) {
  TClientDataSet* ds = DataSet();
  TFieldsContainerItem* achado = Item(field);
  if (!ds || !ds->Active() || ds->IsEmpty() || !achado || !achado->Editavel() || !ds->FindField(field)) return false;
  const TFieldsContainerItem item = *achado;   // the screen's handlers may change the items
  TControl* editor = CriaEditor(item);
  TLiberaAoSair fecha(editor);
  CarregaEditor(editor, *ds, item.FieldName);
  bool accept = true;
  if (OnBeforeEditField) OnBeforeEditField(*this, *ds, editor, item, accept);
  if (!accept) return false;
  Variant valor;
  if (!LeEditor(editor, text, valor)) return false;
  if (OnValidaCampo && !OnValidaCampo(item, editor, text)) return false;
  if (OnSalvaCampo && OnSalvaCampo(item, editor, text)) {
    if (OnAfterEditField) OnAfterEditField(*this, *ds, editor, item);
    return true;
  }
  ds->Edit();
  try {
    ds->FieldByName(item.FieldName).SetValue(valor);
    ds->Post();
  } catch (const std::exception& e) {
    // Refused by the column (a text longer than it holds): the row keeps its value.
    ds->Cancel();
    DlgWarOk(e.what());
    return false;
  }
  if (OnAfterEditField) OnAfterEditField(*this, *ds, editor, item);
  return true;
}

}  // namespace vyn
