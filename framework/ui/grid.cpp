#include "framework/ui/grid.h"

#include <algorithm>
#include <utility>

#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"

namespace vyn {

TClientDataSet* TDBGrid_Padrao_VYN::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

void TDBGrid_Padrao_VYN::MouseClick(const std::string& field, bool rightButton, unsigned shift) {
  if (!Enabled()) return;
  SelectedField = field;
  if (!rightButton) SelectRow(shift);
  if (OnMouseDown) OnMouseDown(this, rightButton);
  if (!rightButton && OnCellClick) OnCellClick(this, field);
  if (OnMouseUp) OnMouseUp(this, rightButton);
}

void TDBGrid_Padrao_VYN::SelectRow(unsigned shift) {
  TClientDataSet* ds = DataSet();
  if (!MultiSelect || !ds || ds->IsEmpty()) return;
  const TBookmark atual = ds->GetBookmark();
  if ((shift & ssShift) && anchor_ >= 0 && ds->BookmarkValid(anchor_)) {
    // A cursor of its own walks the range: the screen's row and its scroll events stay still.
    TClientDataSet c;
    c.CloneCursor(*ds, false, true);
    c.GotoBookmark(anchor_);
    const int de = c.RecNo(), ate = ds->RecNo();
    selected_.clear();
    for (int r = std::min(de, ate); r <= std::max(de, ate); ++r) {
      c.SetRecNo(r);
      selected_.push_back(c.GetBookmark());
    }
    return;
  }
  anchor_ = atual;
  if (!(shift & ssCtrl)) {
    selected_.assign(1, atual);
  } else if (auto it = std::find(selected_.begin(), selected_.end(), atual); it != selected_.end()) {
    selected_.erase(it);
  } else {
    selected_.push_back(atual);
  }
}

std::vector<TBookmark> TDBGrid_Padrao_VYN::SelectedRows() const {
  TClientDataSet* ds = DataSet();
  if (!ds || selected_.empty()) return {};
  TClientDataSet c;
  c.CloneCursor(*ds, false, true);
  std::vector<std::pair<int, TBookmark>> linhas;
  for (TBookmark b : selected_)
    if (ds->BookmarkValid(b)) {
      c.GotoBookmark(b);
      linhas.emplace_back(c.RecNo(), b);
    }
  std::sort(linhas.begin(), linhas.end());
  std::vector<TBookmark> out;
  for (const auto& l : linhas) out.push_back(l.second);
  return out;
}

void TDBGrid_Padrao_VYN::ClearSelection() {
  selected_.clear();
  anchor_ = -1;
}

TGridColumn& TDBGrid_Padrao_VYN::AddColumn(std::string field, std::string title, int width) {
  TGridColumn c;
  c.Title = title.empty() ? field : std::move(title);
  c.FieldName = std::move(field);
  c.Width = width;
  Columns.push_back(std::move(c));
  return Columns.back();
}

void pMostraDadosPadrao_VYN(const TField& field, std::string& text) {
  if (field.IsNull()) {
    text.clear();
    return;
  }
  switch (field.DataType()) {
    case TFieldType::ftCurrency:
    case TFieldType::ftFloat: text = field.AsCurrency().ToBR(2); break;
    case TFieldType::ftDate: text = DateToStr(field.AsDateTime()); break;
    default: break;
  }
}

std::string TDBGrid_Padrao_VYN::CellText(const std::string& field) const {
  TClientDataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return "";
  TField& f = ds->FieldByName(field);
  std::string text = f.AsString();
  if (MostraDado) MostraDado(f, text);
  return text;
}

int TDBGrid_Padrao_VYN::CellImage(const std::string& field) const {
  TClientDataSet* ds = DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty() || !MostraDadoImagem) return -1;
  return MostraDadoImagem(ds->FieldByName(field));
}

TTabSheet* TPageControl::AddPage(const std::string& name, const std::string& caption) {
  // Pages belong to the screen, so that it finds them by name.
  TComponent* owner = Owner() ? Owner() : this;
  auto* p = owner->Create<TTabSheet>();
  p->SetName(name);
  p->SetCaption(caption);
  pages_.push_back(p);
  if (active_ < 0) active_ = 0;
  return p;
}

void TPageControl::SetActivePageIndex(int i) {
  if (i < -1 || i >= PageCount()) throw EInvalidOperation(Name() + ": página " + std::to_string(i) + " inexistente");
  active_ = i;
}

void TPageControl::Select(int i) {
  if (!Enabled() || i == active_) return;
  SetActivePageIndex(i);
  if (OnChange) OnChange(this);
}

}  // namespace vyn
