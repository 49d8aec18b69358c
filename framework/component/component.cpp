#include "framework/component/component.h"

#include <algorithm>
#include <stdexcept>

#include "framework/core/text.h"

namespace vyn {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  for (TComponent* c : std::vector<TComponent*>(components_)) c->Notification(this);
  // Reverse creation order: later components may hold on to earlier ones.
  while (!components_.empty()) {
    std::unique_ptr<TComponent> last(components_.back());
    components_.pop_back();
    last->owner_ = nullptr;
  }
  if (owner_ && !owner_->destroying_) {
    TComponent* owner = owner_;
    owner->RemoveComponent(this);
    owner->Notification(this);
    for (TComponent* sibling : std::vector<TComponent*>(owner->components_)) sibling->Notification(this);
  }
}

bool TComponent::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, ClassName()) || SameText(class_name, "TComponent");
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

TComponent* TComponent::FindOwnerOfClass(const std::string& class_name) {
  for (TComponent* p = this; p; p = p->owner_)
    if (p->InheritsFrom(class_name)) return p;
  return nullptr;
}

void TComponent::FreeComponent(TComponent* c) {
  if (!c) return;
  if (c->owner_ != this) throw std::logic_error("FreeComponent: " + c->ClassName() + " is not owned by " + ClassName());
  std::unique_ptr<TComponent> doomed(c);  // its destructor leaves this owner's list
}

std::unique_ptr<TComponent> TComponent::ReleaseFromOwner() {
  if (!owner_) throw std::logic_error("ReleaseFromOwner: " + ClassName() + " has no owner");
  owner_->RemoveComponent(this);
  owner_ = nullptr;
  return std::unique_ptr<TComponent>(this);
}

void TComponent::InsertComponent(TComponent* c) { components_.push_back(c); }

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(components_.rbegin(), components_.rend(), c);
  if (it != components_.rend()) components_.erase(std::next(it).base());
}

}  // namespace vyn
