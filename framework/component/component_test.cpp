#include <gtest/gtest.h>

#include <vector>

#include "framework/component/class_registry.h"
#include "framework/component/component.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"

using namespace vyn;

namespace {

// Records destruction order and the notifications it receives.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, std::vector<std::string>* log, std::string name) : TComponent(owner), log_(log) {
    SetName(std::move(name));
  }
  ~TProbe() override { log_->push_back("~" + Name()); }
  std::string ClassName() const override { return "TProbe"; }

 protected:
  void Notification(TComponent* c) override { log_->push_back(Name() + " saw " + c->Name()); }

 private:
  std::vector<std::string>* log_;
};

class TfrBase : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TfrBase"; }
  bool InheritsFrom(const std::string& n) const override {
    return SameText(n, "TfrBase") || TComponent::InheritsFrom(n);
  }
};

class TfrDerived : public TfrBase {
 public:
  using TfrBase::TfrBase;
  std::string ClassName() const override { return "TfrDerived"; }
  bool InheritsFrom(const std::string& n) const override {
    return SameText(n, "TfrDerived") || TfrBase::InheritsFrom(n);
  }
};

}  // namespace

TEST(Component, OwnerFreesChildrenInReverseOrder) {
  std::vector<std::string> log;
  {
    auto root = std::make_unique<TComponent>();
    auto* a = root->Create<TProbe>(&log, "a");
    a->Create<TProbe>(&log, "a1");
    root->Create<TProbe>(&log, "b");
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->FindComponent("B")->Name(), "b");
  }
  EXPECT_EQ(log, (std::vector<std::string>{"a saw ", "b saw ", "~b", "~a", "a1 saw a", "~a1"}));
}

TEST(Component, ChildFreedFirstLeavesOwnerAndNotifiesSiblings) {
  std::vector<std::string> log;
  TComponent root;
  auto* a = root.Create<TProbe>(&log, "a");
  root.Create<TProbe>(&log, "b");
  root.FreeComponent(a);
  EXPECT_EQ(root.ComponentCount(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"~a", "b saw a"}));

  std::unique_ptr<TComponent> c = root.Components()[0]->ReleaseFromOwner();
  EXPECT_EQ(root.ComponentCount(), 0);
  EXPECT_EQ(c->Owner(), nullptr);
  c.reset();  // freed once, by its unique_ptr
  EXPECT_EQ(log.back(), "~b");

  TComponent other;
  auto* d = other.Create<TProbe>(&log, "d");
  EXPECT_THROW(root.FreeComponent(d), std::logic_error);
}

TEST(Component, FindOwnerOfClassWalksTheChain) {
  TComponent root;
  auto* screen = root.Create<TfrDerived>();
  auto* panel = screen->Create<TComponent>();
  auto* edit = panel->Create<TComponent>();
  EXPECT_EQ(edit->FindOwnerOfClass("tfrbase"), screen);
  EXPECT_EQ(edit->FindOwnerOfClass("TfrDerived"), screen);
  EXPECT_EQ(edit->FindOwnerOfClass("TComponent"), edit);
  EXPECT_EQ(edit->FindOwnerOfClass("TfrOutra"), nullptr);
}

TEST(ClassRegistry, RegistersByNameWithoutCaseAndUnregisters) {
  TClassRegistry reg;
  reg.RegisterClass<TfrDerived>("TfrDerived", TClassKind::Screen);
  reg.RegisterClass("TAutoThreadX", [](TComponent* o) { return std::make_unique<TComponent>(o); }, TClassKind::Task);
  EXPECT_THROW(reg.RegisterClass<TfrBase>("TFRDERIVED"), EClassRegistryError);
  EXPECT_TRUE(reg.IsRegistered("tfrderived"));
  EXPECT_EQ(reg.FindClass("TFRDERIVED")->Kind, TClassKind::Screen);
  EXPECT_EQ(reg.RegisteredClassNames(), (std::vector<std::string>{"TAutoThreadX", "TfrDerived"}));
  EXPECT_EQ(reg.RegisteredClassNames(TClassKind::Task), (std::vector<std::string>{"TAutoThreadX"}));

  auto free_one = reg.CreateComponent("tfrderived");
  EXPECT_EQ(free_one->ClassName(), "TfrDerived");
  EXPECT_EQ(free_one->Owner(), nullptr);
  TComponent owner;
  TComponent* owned = reg.CreateComponent("TFRDERIVED", owner);
  EXPECT_EQ(owned->Owner(), &owner);
  EXPECT_EQ(owner.ComponentCount(), 1);

  reg.UnRegisterClass("TFRderived");
  EXPECT_FALSE(reg.IsRegistered("TfrDerived"));
  EXPECT_THROW(reg.CreateComponent("TfrDerived"), EClassNotFound);
  reg.RegisterClass<TfrDerived>("TfrDerived");  // may come back after an unload

  // A factory that ignores the owner would leave an orphan behind: refused.
  reg.RegisterClass("TBad", [](TComponent*) { return std::make_unique<TComponent>(); });
  EXPECT_THROW(reg.CreateComponent("TBad", owner), EClassRegistryError);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(ListaObj, TypedAccess) {
  TComponent screen;
  std::vector<std::string> codes{"1", "2"};
  TListaObj list;
  list.Add(&screen);
  list.AddBoxedDateTime(EncodeDate(2024, 3, 5));
  list.AddInteger(42);
  list.AddText("abc");
  list.AddObject(&codes);
  list.AddNil();
  ASSERT_EQ(list.Count(), 6);

  EXPECT_EQ(list.Get<TComponent>(0), &screen);
  EXPECT_EQ(list.GetDateTimeValue(1), EncodeDate(2024, 3, 5));
  EXPECT_EQ(list.Get<TDateTime_VYN>(1)->GetParseToStr(3), "03/2024");
  EXPECT_EQ(list.GetInteger(2), 42);
  EXPECT_EQ(list.GetText(3), "abc");
  EXPECT_EQ(list.GetObject<std::vector<std::string>>(4), &codes);
  EXPECT_EQ(list.Get<TString_VYN>(5), nullptr);

  EXPECT_THROW(list.GetIntegerValue(1), EListaObjError);   // a date, not an integer box
  EXPECT_THROW(list.Get<TfrBase>(0), EListaObjError);
  EXPECT_THROW(list.GetText(2), EListaObjError);
  EXPECT_THROW(list.GetInteger(3), EListaObjError);
  EXPECT_THROW(list.GetObject<std::string>(4), EListaObjError);
  EXPECT_THROW(list.GetIntegerValue(5), EListaObjError);   // nil where a value is needed
  EXPECT_THROW(list.Kind(6), EListaObjError);
  EXPECT_THROW(list.Kind(-1), EListaObjError);
  try {
    list.GetIntegerValue(1);
  } catch (const EListaObjError& e) {
    EXPECT_NE(std::string(e.what()).find("TDateTime_VYN"), std::string::npos) << e.what();
  }
}

TEST(BoxedValues, Helpers) {
  EXPECT_EQ(TBoolean_VYN::BoolToStrBD(true), "TRUE");
  EXPECT_EQ(TString_VYN::GetStrZero(12, 4), "0012");
  EXPECT_EQ(TString_VYN::GetStrZero(Currency::Parse("3.456"), 7, 2), "0003.46");
  EXPECT_EQ(TString_VYN::GetRemoveTodosCaracteresEspeciais("Padaria São João Ltda.", false), "PadariaSaoJoaoLtda");
  EXPECT_EQ(TString_VYN::GetRemoveTodosCaracteresEspeciais("Ação & Cia", true), "Acao  Cia");
  EXPECT_EQ(TString_VYN::GetTiraTodosSinais("1.234/5-6 7"), "123456 7");
  EXPECT_EQ(TDateTime_VYN::GetDecRef(202401, 1), 202312);
  EXPECT_EQ(TDateTime_VYN::GetTrimestreRef(202412), 4);
  EXPECT_EQ(TDateTime_VYN::GetUltimoDiaData(nullptr, 202402), EncodeDate(2024, 2, 29));
  EXPECT_EQ(TDateTime_VYN::GetMesExtenso(3, false), "Março");
}
