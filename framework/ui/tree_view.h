#pragma once
// A tree view: nodes with text, a data pointer, children, a tick and an image.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/control.h"

namespace vyn {

class TTreeNode {
 public:
  TTreeNode(TTreeNode* parent, std::string text, void* data) : parent_(parent), Text(std::move(text)), Data(data) {}
  TTreeNode* Parent() const { return parent_; }
  int Level() const { return parent_ ? parent_->Level() + 1 : 0; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int i) const { return children_.at(static_cast<size_t>(i)).get(); }
  bool HasChildren() const { return !children_.empty(); }
  int Index() const;
  TTreeNode* AddChild(std::string text, void* data = nullptr);
  void DeleteChildren() { children_.clear(); }

 private:
  friend class TTreeView;
  TTreeNode* parent_;
  std::vector<std::unique_ptr<TTreeNode>> children_;

 public:
  std::string Text;
  void* Data;
  bool Checked = false;
  bool Expanded = false;
  int ImageIndex = -1;
  int StateIndex = -1;
};

class TTreeView : public TControl {
 public:
  using TNodeEvent = std::function<void(TComponent* sender, TTreeNode* node)>;
  using TControl::TControl;
  std::string ClassName() const override { return "TTreeView"; }

  TTreeNode* Add(std::string text, void* data = nullptr);   // a root node
  TTreeNode* AddChild(TTreeNode* parent, std::string text, void* data = nullptr);
  void Delete(TTreeNode* node);
  void Clear();
  int RootCount() const { return static_cast<int>(roots_.size()); }
  TTreeNode* Root(int i) const { return roots_.at(static_cast<size_t>(i)).get(); }
  // Every node, depth first.
  std::vector<TTreeNode*> AllNodes() const;
  int Count() const { return static_cast<int>(AllNodes().size()); }
  // The first node, depth first, whose text is the one given (case aside); nullptr when none.
  TTreeNode* FindNode(const std::string& text) const;

  TTreeNode* Selected() const { return selected_; }
  // Selecting a node fires OnChange.
  void SetSelected(TTreeNode* n);
  // Expanding a node fires OnExpanding first (the screen may fill its children there).
  void Expand(TTreeNode* n);
  void SetChecked(TTreeNode* n, bool c);   // fires OnChecked when it changes

  TNodeEvent OnChange;
  TNodeEvent OnExpanding;
  TNodeEvent OnChecked;

 private:
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  TTreeNode* selected_ = nullptr;
};

}  // namespace vyn
