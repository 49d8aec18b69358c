#include "module/registro.h"

#include <gtest/gtest.h>

namespace integracao {
namespace {

class TTelaA : public vyn::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTelaA"; }
};
class TTarefaB : public vyn::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTarefaB"; }
};

TEST(RegistroModulo, LoadsAllOrNothingAndUnloadsEverything) {
  const TListaRegistro lista = {Registro<TTelaA>("TTelaA", vyn::TClassKind::Screen),
                                Registro<TTarefaB>("TTarefaB", vyn::TClassKind::Task)};
  vyn::TClassRegistry registry;
  RegistraModulo(registry, lista);
  for (const auto& r : lista) {
    auto c = registry.FindClass(r.Nome);
    ASSERT_TRUE(c) << r.Nome;
    EXPECT_EQ(c->Kind, r.Tipo) << r.Nome;
    EXPECT_EQ(registry.CreateComponent(r.Nome)->ClassName(), r.Nome);
  }
  DesregistraModulo(registry, lista);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());

  // A name another module holds: nothing of this list stays, and the other module's class is kept.
  registry.RegisterClass<TTelaA>("TTarefaB", vyn::TClassKind::Other);
  EXPECT_THROW(RegistraModulo(registry, lista), vyn::EClassRegistryError);
  ASSERT_EQ(registry.RegisteredClassNames(), std::vector<std::string>{"TTarefaB"});
  EXPECT_EQ(registry.FindClass("TTarefaB")->Kind, vyn::TClassKind::Other);
}

TEST(RegistroModulo, TheModulesOwnListRegistersEachNameOnceAndUnloadsClean) {
  const TListaRegistro todos = RegistrosDoModulo();
  vyn::TClassRegistry registry;
  RegistraModulo(registry);
  EXPECT_EQ(registry.RegisteredClassNames().size(), todos.size());
  DesregistraModulo(registry);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());
}

}  // namespace
}  // namespace integracao
