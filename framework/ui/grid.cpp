#include "framework/ui/grid.h"

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"

namespace vyn {

TClientDataSet* TDBGrid_Padrao_VYN::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

TGridColumn& TDBGrid_Padrao_VYN::AddColumn(std::string field, std::string title, int width) {
  TGridColumn c;
  c.Title = title.empty() ? field : std::move(title);
  c.FieldName = std::move(field);
  c.Width = width;
  Columns.push_back(std::move(c));
  return Columns.back();
}

int TDBGrid_Padrao_VYN::AddBitmap(const std::string&, const std::string& name, unsigned) {
  int i = ImageIndexOf(name);
  if (i >= 0) return i;
  images_.push_back(name);
  return static_cast<int>(images_.size()) - 1;
}

int TDBGrid_Padrao_VYN::ImageIndexOf(const std::string& name) const {
  for (size_t i = 0; i < images_.size(); ++i)
    if (SameText(images_[i], name)) return static_cast<int>(i);
  return -1;
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
