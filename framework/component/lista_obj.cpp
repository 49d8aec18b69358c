#include "framework/component/lista_obj.h"

#include <cxxabi.h>
#include <fmt/format.h>

#include <cstdlib>

namespace vyn {

void TListaObj::AddNil() { slots_.emplace_back(); }

void TListaObj::Add(TComponent* shared) {
  Slot s;
  s.kind = shared ? SlotKind::Component : SlotKind::Nil;
  s.component = shared;
  slots_.push_back(std::move(s));
}

void TListaObj::AddOwned(std::unique_ptr<TComponent> c) {
  Slot s;
  s.kind = c ? SlotKind::Component : SlotKind::Nil;
  s.component = c.get();
  s.owned = std::move(c);
  slots_.push_back(std::move(s));
}

void TListaObj::AddInteger(int64_t v) {
  Slot s;
  s.kind = SlotKind::Integer;
  s.integer = v;
  slots_.push_back(std::move(s));
}

void TListaObj::AddText(std::string v) {
  Slot s;
  s.kind = SlotKind::Text;
  s.text = std::move(v);
  slots_.push_back(std::move(s));
}

namespace {
template <class T, class V>
T* AddBox(TListaObj& list, V v) {
  auto box = std::make_unique<T>(nullptr, std::move(v));
  T* raw = box.get();
  list.AddOwned(std::move(box));
  return raw;
}
}  // namespace

TInteger_VYN* TListaObj::AddBoxedInteger(int v) { return AddBox<TInteger_VYN>(*this, v); }
TString_VYN* TListaObj::AddBoxedString(std::string v) { return AddBox<TString_VYN>(*this, std::move(v)); }
TDateTime_VYN* TListaObj::AddBoxedDateTime(TDateTime v) { return AddBox<TDateTime_VYN>(*this, v); }
TNumeric_VYN* TListaObj::AddBoxedNumeric(Currency v) { return AddBox<TNumeric_VYN>(*this, v); }
TBoolean_VYN* TListaObj::AddBoxedBoolean(bool v) { return AddBox<TBoolean_VYN>(*this, v); }

const TListaObj::Slot& TListaObj::At(int index) const {
  if (index < 0 || index >= Count())
    throw EListaObjError(fmt::format("Lista de objetos: posição {} fora da lista de {} objetos", index, Count()));
  return slots_[static_cast<size_t>(index)];
}

TListaObj::SlotKind TListaObj::Kind(int index) const { return At(index).kind; }

TComponent* TListaObj::GetComponent(int index) const {
  const Slot& s = At(index);
  if (s.kind == SlotKind::Nil) return nullptr;
  if (s.kind != SlotKind::Component) Mismatch(index, "TComponent", KindName(s.kind));
  return s.component;
}

int64_t TListaObj::GetInteger(int index) const {
  const Slot& s = At(index);
  if (s.kind != SlotKind::Integer) Mismatch(index, "inteiro", s.kind == SlotKind::Component ? s.component->ClassName() : KindName(s.kind));
  return s.integer;
}

const std::string& TListaObj::GetText(int index) const {
  const Slot& s = At(index);
  if (s.kind != SlotKind::Text) Mismatch(index, "texto", s.kind == SlotKind::Component ? s.component->ClassName() : KindName(s.kind));
  return s.text;
}

void TListaObj::Mismatch(int index, const std::string& wanted, const std::string& found) {
  throw EListaObjError(fmt::format("Lista de objetos: a posição {} contém {}, esperado {}", index, found, wanted));
}

std::string TListaObj::Demangle(const std::type_info& t) {
  int status = 0;
  char* name = abi::__cxa_demangle(t.name(), nullptr, nullptr, &status);
  std::string out = status == 0 && name ? name : t.name();
  std::free(name);
  return out;
}

const char* TListaObj::KindName(SlotKind k) {
  switch (k) {
    case SlotKind::Nil: return "nil";
    case SlotKind::Component: return "componente";
    case SlotKind::Object: return "objeto";
    case SlotKind::Integer: return "inteiro";
    case SlotKind::Text: return "texto";
  }
  return "?";
}

}  // namespace vyn
