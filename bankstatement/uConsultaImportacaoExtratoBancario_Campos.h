#pragma once
// Null-aware reads and writes of the statement review's columns; a column the data set lacks reads
// as empty and is not written.
#include <cstdint>
#include <string>

#include "framework/core/text.h"
#include "framework/data/client_dataset.h"

namespace integracao::campos {

// A field found once for a walk over many rows reads as its name would.
inline int64_t Int(const vyn::TField* f) { return f && !f->IsNull() ? f->AsInteger() : 0; }
inline int64_t Int(const vyn::TClientDataSet& ds, std::string_view campo) { return Int(ds.FindField(campo)); }
inline bool Vazio(const vyn::TClientDataSet& ds, std::string_view campo) {
  const vyn::TField* f = ds.FindField(campo);
  return !f || f->IsNull() || vyn::Trim(f->AsString()).empty();
}
inline std::string Txt(const vyn::TClientDataSet& ds, std::string_view campo) {
  const vyn::TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsString() : std::string();
}
inline vyn::Currency Valor(const vyn::TClientDataSet& ds, std::string_view campo) {
  const vyn::TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsCurrency() : vyn::Currency();
}
// Flags are Booleans in memory and 'TRUE'/'FALSE' texts elsewhere.
inline bool Flag(const vyn::TClientDataSet& ds, std::string_view campo) {
  const vyn::TField* f = ds.FindField(campo);
  if (!f || f->IsNull()) return false;
  if (f->DataType() == vyn::TFieldType::ftBoolean) return f->AsBoolean();
  return vyn::UpperCase(vyn::Trim(f->AsString())) == "TRUE";
}
inline void Set(vyn::TClientDataSet& ds, std::string_view campo, const vyn::Variant& v) {
  if (vyn::TField* f = ds.FindField(campo)) f->SetValue(v);
}
inline void SetFlag(vyn::TClientDataSet& ds, std::string_view campo, bool v) {
  vyn::TField* f = ds.FindField(campo);
  if (!f) return;
  if (f->DataType() == vyn::TFieldType::ftBoolean)
    f->SetAsBoolean(v);
  else
    f->SetAsString(v ? "TRUE" : "FALSE");
}
// Edits the current row, sets one column and posts.
inline void Grava(vyn::TClientDataSet& ds, std::string_view campo, const vyn::Variant& v) {
  if (!ds.FindField(campo)) return;
  ds.Edit();
  Set(ds, campo, v);
  ds.Post();
}

}  // namespace integracao::campos
