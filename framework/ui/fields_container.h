#pragma once
// The fields container of a grid: one item per column a screen offers (title, editor kind, search
// kind, read-only and key flags, visibility) and the one road by which a user's cell edit reaches
// the row: the item must be editable, the container opens the item's editor on the cell's value,
// asks the screen (OnBeforeEditField, which may refuse or set the editor up), lets the editor take
// the typed text, stores the value and tells the screen (OnAfterEditField). A column that has no
// item, is hidden, is a key or is read-only is never written through the grid.
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/control.h"

namespace vyn {

class TClientDataSet;
class TDBGrid_Padrao_VYN;
class Variant;

// The editor a cell opens. Nenhum: the cell is changed by a click or a key of the screen's own
// (a check box column), never typed into.
enum class TTipoEditorCampo { Nenhum, Texto, Inteiro, Numerico, Data, Codigo, Combo };

struct TFieldsContainerItem {
  std::string FieldName;   // as the data set names it (found without regard to case)
  std::string Title;
  TTipoEditorCampo Editor = TTipoEditorCampo::Texto;
  int TipoPesquisa = 0;    // the code editor's search kind (20 account, 42 participant, 9 history...)
  int Tamanho = 0;         // characters the editor takes; 0: the field's own size
  bool Visible = true;
  bool ReadOnly = false;
  bool Key = false;        // part of the row's key: shown, never edited
  bool Navegavel = true;   // the incremental search may stop on the column
  // Whether a user may type into the cell.
  bool Editavel() const { return Visible && !ReadOnly && !Key && Editor != TTipoEditorCampo::Nenhum; }
};

class TFieldsContainer : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TFieldsContainer"; }

  // Adds an item (the order is the grid's column order) and answers it for further settings.
  TFieldsContainerItem& Add(std::string field, std::string title,
                            TTipoEditorCampo editor = TTipoEditorCampo::Texto, int tipoPesquisa = 0);
  // The item of a field (without regard to case); nullptr when the container has none.
  TFieldsContainerItem* Item(const std::string& field);
  const std::vector<TFieldsContainerItem>& Items() const { return items_; }
  // Shows or hides the item of field (nothing when there is none).
  void SetVisible(const std::string& field, bool visible);
  void SetTitle(const std::string& field, const std::string& title);

  // The rows the container edits; unset: the bound grid's data set.
  void SetDataSet(TClientDataSet* ds) { dataSet_ = ds; }
  TClientDataSet* DataSet() const;

  // Binds the container to a grid: the grid's columns become the items and its cell edits come
  // here. A grid has one container at a time; binding another one replaces it (and its columns).
  void SetGridSearch(TDBGrid_Padrao_VYN* grid);
  TDBGrid_Padrao_VYN* GridSearch() const { return grid_; }

  // Before the editor opens on the current row: accept may be cleared to refuse the edit, and the
  // editor set up (lookups, master edits, sizes).
  using TBeforeEditFieldEvent = std::function<void(TFieldsContainer& sender, TClientDataSet& obj,
                                                   TControl* editControl, const TFieldsContainerItem& item,
                                                   bool& accept)>;
  // After the value was stored in the current row.
  using TAfterEditFieldEvent = std::function<void(TFieldsContainer& sender, TClientDataSet& obj,
                                                  TControl* editControl, const TFieldsContainerItem& item)>;
  // The screen's own check of the typed text once the editor took it; False refuses the edit (the
  // screen says why).
  using TValidaCampoEvent =
      std::function<bool(const TFieldsContainerItem& item, TControl* editControl, const std::string& text)>;
  TBeforeEditFieldEvent OnBeforeEditField;
  TAfterEditFieldEvent OnAfterEditField;
  TValidaCampoEvent OnValidaCampo;

  // The user types text into the cell of field on the current row. False when the edit was refused
  // (nothing stored): no such item or not editable, the screen refused, the editor refused the text
  // (a message says why), or the column refused the value (its message is shown).
  bool EditaCampo(const std::string& field, const std::string& text);

 private:
  TControl* CriaEditor(const TFieldsContainerItem& item);
  void CarregaEditor(TControl* editor, TClientDataSet& ds, const std::string& field);
  bool LeEditor(TControl* editor, const std::string& text, Variant& valor);

  std::vector<TFieldsContainerItem> items_;
  TClientDataSet* dataSet_ = nullptr;   // not owned
  TDBGrid_Padrao_VYN* grid_ = nullptr;  // not owned: a control of the same screen
};

}  // namespace vyn
