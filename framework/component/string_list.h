#pragma once
// A list of texts as a component, each text with an optional object (shared, or owned by the list),
// as openers hand lists of codes or captions over in a TListaObj.
#include <memory>
#include <string>
#include <vector>

#include "framework/component/boxed_values.h"
#include "framework/component/component.h"

namespace vyn {

// The integer box the suite puts beside a list's items.
class TInteger_Padrao_VYN : public TInteger_VYN {
 public:
  using TInteger_VYN::TInteger_VYN;
  std::string ClassName() const override { return "TInteger_Padrao_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override {
    return class_name == "TInteger_Padrao_VYN" || TInteger_VYN::InheritsFrom(class_name);
  }
};

class TStringList : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TStringList"; }

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Strings(int i) const { return items_.at(static_cast<size_t>(i)).text; }
  TComponent* Objects(int i) const { return items_.at(static_cast<size_t>(i)).object; }
  void Add(std::string text) { items_.push_back({std::move(text), nullptr, nullptr}); }
  void AddObject(std::string text, TComponent* shared) { items_.push_back({std::move(text), shared, nullptr}); }
  // The list frees the object with the item.
  void AddOwnedObject(std::string text, std::unique_ptr<TComponent> obj) {
    TComponent* raw = obj.get();
    items_.push_back({std::move(text), raw, std::move(obj)});
  }
  void Clear() { items_.clear(); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& i : items_) out.push_back(i.text);
    return out;
  }

 private:
  struct Item {
    std::string text;
    TComponent* object;
    std::unique_ptr<TComponent> owned;
  };
  std::vector<Item> items_;
};

}  // namespace vyn
