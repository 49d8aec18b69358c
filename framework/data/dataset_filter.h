#pragma once
// Filter expressions of a data set: parsed once, bound to the fields, then run on each row.
#include <memory>
#include <string>
#include <vector>

#include "framework/data/dataset_store.h"

namespace vyn::detail {

class FilterExpr {
 public:
  struct Node;
  // Throws EDataSetError naming the expression when it is malformed or names no field here.
  static std::unique_ptr<FilterExpr> Compile(const std::string& text, const Store& st);
  FilterExpr();
  ~FilterExpr();

  bool Matches(const Store& st, uint32_t r) const;
  // Whether the expression reads field k.
  bool Uses(size_t k) const { return k < uses_.size() && uses_[k]; }

 private:
  std::unique_ptr<Node> root_;
  std::vector<bool> uses_;
};

}  // namespace vyn::detail
