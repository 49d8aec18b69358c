#pragma once
// A grid over a data source: its columns, the text and image each cell shows (callbacks tests can
// call), and its images registered by name.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/bitmap_list.h"
#include "framework/ui/control.h"

namespace vyn {

class TDataSource;
class TClientDataSet;
class TField;
using TBookmark = int64_t;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

struct TGridColumn {
  std::string FieldName;
  std::string Title;
  int Width = 64;
  bool Visible = true;
  bool ReadOnly = false;
  TAlignment Alignment = TAlignment::taLeftJustify;
};

// The key code of the Delete key (the key events' key argument).
inline constexpr int kTeclaDelete = 46;

// The standard text of a cell: money and decimals as the user writes them ("1.234,56"), dates as
// dates, null as nothing; any other field as its own text.
void pMostraDadosPadrao_VYN(const TField& field, std::string& text);

class TDBGrid_Padrao_VYN : public TControl {
 public:
  // Lets the screen change the text a cell shows for the current record.
  using TMostraDadoEvent = std::function<void(TField& field, std::string& text)>;
  // The image (index from AddBitmap, -1 none) a cell shows for the current record.
  using TMostraImagemEvent = std::function<int(TField& field)>;
  using TKeyEvent = std::function<void(TComponent* sender, int& key, unsigned shift)>;

  using TControl::TControl;
  std::string ClassName() const override { return "TDBGrid_Padrao_VYN"; }

  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* s) { source_ = s; }
  TClientDataSet* DataSet() const;

  std::vector<TGridColumn> Columns;
  TGridColumn& AddColumn(std::string field, std::string title = "", int width = 64);
  bool ReadOnly = true;
  std::string SelectedField;   // the field of the column the user is on

  // The grid's images (framework/ui/bitmap_list.h): registered by name, shown by index.
  int AddBitmap(const std::string& library, const std::string& name, unsigned colour = 0) {
    return images_.AddBitmap(library, name, colour);
  }
  const std::vector<std::string>& Images() const { return images_.Images(); }
  int ImageIndexOf(const std::string& name) const { return images_.ImageIndexOf(name); }

  // What a cell of the current record shows.
  std::string CellText(const std::string& field) const;
  int CellImage(const std::string& field) const;

  // The grid's fields container: edits field of the current record as the user types text into
  // its cell editor, running the container's before-edit call (which may refuse) and, once the
  // value is stored, its after-edit call. Answers False when the edit was refused. Unset: the
  // grid takes no edits.
  using TEditaCelulaEvent = std::function<bool(const std::string& field, const std::string& text)>;
  TEditaCelulaEvent EditaCelula;

  TMostraDadoEvent MostraDado;
  TMostraImagemEvent MostraDadoImagem;
  // The font colour of the current row's cells (0xRRGGBB); -1 or unset: the grid's own.
  std::function<int()> CorFonteLinha;
  // The background of the current row's cells (0xRRGGBB); 0 or unset: the grid's own.
  std::function<unsigned()> CorFundoLinha;
  TNotifyEvent OnDblClick;
  TKeyEvent OnKeyDown;
  void DblClick() {
    if (Enabled() && OnDblClick) OnDblClick(this);
  }
  void KeyDown(int& key, unsigned shift) {
    if (Enabled() && OnKeyDown) OnKeyDown(this, key, shift);
  }

  // The user's clicks and keys on the grid; a click on a cell moves the selected column to it.
  using TCellClickEvent = std::function<void(TComponent* sender, const std::string& field)>;
  using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
  using TMouseEvent = std::function<void(TComponent* sender, bool rightButton)>;
  TCellClickEvent OnCellClick;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  void CellClick(const std::string& field) {
    if (!Enabled()) return;
    SelectedField = field;
    if (OnCellClick) OnCellClick(this, field);
  }
  void KeyPress(char& key) {
    if (Enabled() && OnKeyPress) OnKeyPress(this, key);
  }
  void KeyUp(int& key, unsigned shift) {
    if (Enabled() && OnKeyUp) OnKeyUp(this, key, shift);
  }
  // A mouse click on a cell of field of the current row: press, then release. A left click
  // selects the row first (with the Shift and Ctrl of shift, see MultiSelect).
  void MouseClick(const std::string& field, bool rightButton = false, unsigned shift = 0);

  // Several rows selected at once (the grid's multi-select option): a click selects its row alone;
  // with Ctrl it adds or removes its row, with Shift it selects the rows from the last row clicked
  // without Shift to its own.
  bool MultiSelect = false;
  // The selected rows in the grid's order, rows deleted since left out; empty without MultiSelect.
  std::vector<TBookmark> SelectedRows() const;
  void ClearSelection();

 private:
  void SelectRow(unsigned shift);
  TDataSource* source_ = nullptr;
  TBitmapList images_;
  std::vector<TBookmark> selected_;
  TBookmark anchor_ = -1;
};

class TTabSheet : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TTabSheet"; }
  bool TabVisible = true;
};

class TPageControl : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TPageControl"; }
  TTabSheet* AddPage(const std::string& name, const std::string& caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Page(int i) const { return pages_.at(static_cast<size_t>(i)); }
  int ActivePageIndex() const { return active_; }
  TTabSheet* ActivePage() const { return active_ < 0 ? nullptr : pages_[static_cast<size_t>(active_)]; }
  // By program: no OnChange.
  void SetActivePageIndex(int i);
  // The user picks a tab: OnChange fires.
  void Select(int i);
  TNotifyEvent OnChange;

 private:
  std::vector<TTabSheet*> pages_;   // owned by this control's owner
  int active_ = -1;
};

}  // namespace vyn
