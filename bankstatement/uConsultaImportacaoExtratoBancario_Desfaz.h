#pragma once
// Keeps the rows a mass change of the review touches as they were, so that a change stopped half
// way (an error, a cancelled progress window) leaves every row as before.
#include <map>
#include <vector>

#include "framework/data/client_dataset.h"

namespace integracao {

class TDesfazLinhas {
 public:
  explicit TDesfazLinhas(vyn::TClientDataSet& ds) : ds_(ds) {}
  // Call before the first change of the current row.
  void Guarda() {
    const vyn::TBookmark b = ds_.GetBookmark();
    if (linhas_.count(b)) return;
    std::vector<vyn::Variant> v;
    for (int i = 0; i < ds_.FieldCount(); ++i) v.push_back(ds_.Fields(i).Value());
    linhas_.emplace(b, std::move(v));
  }
  void Desfaz() {
    if (ds_.State() == vyn::TDataSetState::dsEdit || ds_.State() == vyn::TDataSetState::dsInsert) ds_.Cancel();
    // Every row is tried: one that cannot be put back does not keep the others from it.
    for (auto& [b, v] : linhas_) {
      if (!ds_.BookmarkValid(b)) continue;
      ds_.GotoBookmark(b);
      bool igual = true;
      for (int i = 0; i < ds_.FieldCount() && i < static_cast<int>(v.size()) && igual; ++i)
        igual = ds_.Fields(i).Value() == v[i];
      if (igual) continue;
      try {
        ds_.Edit();
        for (int i = 0; i < ds_.FieldCount() && i < static_cast<int>(v.size()); ++i) ds_.Fields(i).SetValue(v[i]);
        ds_.Post();
      } catch (...) {
        if (ds_.State() != vyn::TDataSetState::dsBrowse) ds_.Cancel();
      }
    }
    linhas_.clear();
  }
  size_t Alteradas() const { return linhas_.size(); }

 private:
  vyn::TClientDataSet& ds_;
  std::map<vyn::TBookmark, std::vector<vyn::Variant>> linhas_;
};

}  // namespace integracao
