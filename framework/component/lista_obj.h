#pragma once
// The parameter array an opener hands to the screen it opens: slots read by position.
// A slot holds nothing (nil), a shared component (not owned), a component the list owns (boxed
// values made for the call), any other shared object by pointer, or an unboxed integer or text.
#include <any>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/component/boxed_values.h"
#include "framework/component/component.h"

namespace vyn {

class EListaObjError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TListaObj {
 public:
  enum class SlotKind { Nil, Component, Object, Integer, Text };

  TListaObj() = default;
  TListaObj(TListaObj&&) = default;
  TListaObj& operator=(TListaObj&&) = default;

  int Count() const { return static_cast<int>(slots_.size()); }

  void AddNil();
  void Add(TComponent* shared);                     // nullptr is a nil slot
  void AddOwned(std::unique_ptr<TComponent> c);     // freed with the list
  template <class T>
  void AddObject(T* shared) {                       // any other object, not owned
    Slot s;
    s.kind = shared ? SlotKind::Object : SlotKind::Nil;
    if (shared) s.object = shared;
    slots_.push_back(std::move(s));
  }
  void AddInteger(int64_t v);                       // unboxed
  void AddText(std::string v);                      // unboxed

  // Boxed values, owned by the list.
  TInteger_VYN* AddBoxedInteger(int v);
  TString_VYN* AddBoxedString(std::string v);
  TDateTime_VYN* AddBoxedDateTime(TDateTime v);
  TNumeric_VYN* AddBoxedNumeric(Currency v);
  TBoolean_VYN* AddBoxedBoolean(bool v);

  // An opener's check that the next slot it adds is the one the screen reads there (the screen's
  // slot enumeration); a list built in another order is a programming error.
  template <class E>
  TListaObj& Posicao(E slot) {
    if (Count() != static_cast<int>(slot))
      throw std::logic_error("Parâmetro fora de posição: " + std::to_string(static_cast<int>(slot)) + " esperado, " +
                             std::to_string(Count()) + " preenchido(s).");
    return *this;
  }

  // Typed reads: an index out of range or a slot of another kind throws EListaObjError.
  SlotKind Kind(int index) const;
  bool IsNil(int index) const { return Kind(index) == SlotKind::Nil; }
  TComponent* GetComponent(int index) const;        // nil gives nullptr
  template <class T>
  T* Get(int index) const {                         // a component of class T; nil gives nullptr
    TComponent* c = GetComponent(index);
    if (!c) return nullptr;
    T* t = dynamic_cast<T*>(c);
    if (!t) Mismatch(index, Demangle(typeid(T)), c->ClassName());
    return t;
  }
  template <class T>
  T* GetObject(int index) const {                   // a shared non-component object; nil gives nullptr
    const Slot& s = At(index);
    if (s.kind == SlotKind::Nil) return nullptr;
    if (s.kind != SlotKind::Object) Mismatch(index, Demangle(typeid(T)), KindName(s.kind));
    T* const* p = std::any_cast<T*>(&s.object);
    if (!p) Mismatch(index, Demangle(typeid(T)), Demangle(s.object.type()));
    return *p;
  }
  int64_t GetInteger(int index) const;              // unboxed integer
  const std::string& GetText(int index) const;      // unboxed text

  // Boxed values read directly.
  int GetIntegerValue(int index) const { return Boxed<TInteger_VYN>(index)->Value(); }
  const std::string& GetStringValue(int index) const { return Boxed<TString_VYN>(index)->Value(); }
  TDateTime GetDateTimeValue(int index) const { return Boxed<TDateTime_VYN>(index)->Value(); }
  Currency GetNumericValue(int index) const { return Boxed<TNumeric_VYN>(index)->Value(); }
  bool GetBooleanValue(int index) const { return Boxed<TBoolean_VYN>(index)->Value(); }

 private:
  struct Slot {
    SlotKind kind = SlotKind::Nil;
    TComponent* component = nullptr;
    std::unique_ptr<TComponent> owned;
    std::any object;
    int64_t integer = 0;
    std::string text;
  };

  const Slot& At(int index) const;
  template <class T>
  T* Boxed(int index) const {
    T* t = Get<T>(index);
    if (!t) Mismatch(index, Demangle(typeid(T)), "nil");
    return t;
  }
  [[noreturn]] static void Mismatch(int index, const std::string& wanted, const std::string& found);
  static const char* KindName(SlotKind k);
  static std::string Demangle(const std::type_info& t);

  std::vector<Slot> slots_;
};

}  // namespace vyn
