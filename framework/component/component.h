#pragma once
// The owner model: a component created with an owner is freed by it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vyn {

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // The registered class name ("TfrConsultaImportacaoLancCCTxt"); each class overrides it.
  virtual std::string ClassName() const { return "TComponent"; }
  // Whether this class is, or derives from, the named class (matched without regard to case).
  // Subclasses that are known by name to callers override it and call the inherited one.
  virtual bool InheritsFrom(const std::string& class_name) const;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int Tag() const { return tag_; }
  void SetTag(int t) { tag_ = t; }

  // Owned components, in creation order.
  const std::vector<TComponent*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* FindComponent(const std::string& name) const;  // by Name, without regard to case
  // The nearest owner (this one first) whose class is or derives from class_name; nullptr if none.
  // Only where the rule itself is a class name; a collaborator is found by its type with FindOwner.
  TComponent* FindOwnerOfClass(const std::string& class_name);
  // The nearest owner (this one first) that is a T (a class or an interface); nullptr if none.
  template <class T>
  T* FindOwner() {
    for (TComponent* p = this; p; p = p->Owner())
      if (auto* t = dynamic_cast<T*>(p)) return t;
    return nullptr;
  }

  // Makes a component owned by this one (the usual way to create one with an owner).
  template <class T, class... Args>
  T* Create(Args&&... args) {
    auto p = std::make_unique<T>(this, std::forward<Args>(args)...);
    return p.release();  // the constructor has inserted it into this owner's list
  }

  // Frees an owned component now (the owner forgets it).
  void FreeComponent(TComponent* c);
  // Hands ownership of this component to the caller (the owner forgets it).
  std::unique_ptr<TComponent> ReleaseFromOwner();

 protected:
  // Called on every owned component before the owner is destroyed, and when a component it
  // references is freed; components override it to drop pointers to c.
  virtual void Notification(TComponent* c) {}

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  int tag_ = 0;
  std::vector<TComponent*> components_;
  bool destroying_ = false;
};

// Frees a component through its owner when the scope ends, also when an exception leaves it: the
// editor a single cell edit makes.
class TLiberaAoSair {
 public:
  explicit TLiberaAoSair(TComponent* c) : c_(c) {}
  ~TLiberaAoSair() {
    if (TComponent* dono = c_ ? c_->Owner() : nullptr) dono->FreeComponent(c_);
  }
  TLiberaAoSair(const TLiberaAoSair&) = delete;
  TLiberaAoSair& operator=(const TLiberaAoSair&) = delete;

 private:
  TComponent* c_;
};

}  // namespace vyn
