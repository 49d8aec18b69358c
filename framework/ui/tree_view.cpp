#include "framework/ui/tree_view.h"

#include <algorithm>

#include "framework/core/text.h"

namespace vyn {

int TTreeNode::Index() const {
  if (!parent_) return -1;
  for (size_t i = 0; i < parent_->children_.size(); ++i)
    if (parent_->children_[i].get() == this) return static_cast<int>(i);
  return -1;
}

TTreeNode* TTreeNode::AddChild(std::string text, void* data) {
  children_.push_back(std::make_unique<TTreeNode>(this, std::move(text), data));
  return children_.back().get();
}

TTreeNode* TTreeView::Add(std::string text, void* data) {
  roots_.push_back(std::make_unique<TTreeNode>(nullptr, std::move(text), data));
  return roots_.back().get();
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, std::string text, void* data) {
  return parent ? parent->AddChild(std::move(text), data) : Add(std::move(text), data);
}

namespace {
bool Contains(const TTreeNode* root, const TTreeNode* n) {
  for (const TTreeNode* p = n; p; p = p->Parent())
    if (p == root) return true;
  return false;
}
}  // namespace

void TTreeView::Delete(TTreeNode* node) {
  if (!node) return;
  if (selected_ && Contains(node, selected_)) selected_ = nullptr;
  auto& list = node->Parent() ? node->Parent()->children_ : roots_;
  std::erase_if(list, [node](auto& p) { return p.get() == node; });
}

void TTreeView::Clear() {
  selected_ = nullptr;
  roots_.clear();
}

std::vector<TTreeNode*> TTreeView::AllNodes() const {
  std::vector<TTreeNode*> out;
  std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
    out.push_back(n);
    for (int i = 0; i < n->Count(); ++i) walk(n->Item(i));
  };
  for (auto& r : roots_) walk(r.get());
  return out;
}

TTreeNode* TTreeView::FindNode(const std::string& text) const {
  for (TTreeNode* n : AllNodes())
    if (SameText(n->Text, text)) return n;
  return nullptr;
}

void TTreeView::SetSelected(TTreeNode* n) {
  if (n == selected_) return;
  selected_ = n;
  if (OnChange) OnChange(this, n);
}

void TTreeView::Expand(TTreeNode* n) {
  if (!n) return;
  if (OnExpanding) OnExpanding(this, n);
  n->Expanded = true;
}

void TTreeView::SetChecked(TTreeNode* n, bool c) {
  if (!n || n->Checked == c) return;
  n->Checked = c;
  if (OnChecked) OnChecked(this, n);
}

}  // namespace vyn
