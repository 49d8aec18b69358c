#pragma once
// Small readers the entry reviews share.
#include <string_view>

#include "framework/data/client_dataset.h"

namespace integracao {

// An integer column of the current row; 0 when the column is missing or null.
inline int Inteiro(const vyn::TClientDataSet& ds, std::string_view campo) {
  const vyn::TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? static_cast<int>(f->AsInteger()) : 0;
}

inline vyn::Variant V(long long v) { return vyn::Variant(v); }

}  // namespace integracao
