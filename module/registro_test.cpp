#include "module/registro.h"

#include <gtest/gtest.h>

namespace integracao {
namespace {

TEST(RegistroModulo, LoadsAllOrNothingAndUnloadsEverything) {
  const TListaRegistro todos = RegistrosDoModulo();
  vyn::TClassRegistry registry;
  RegistraModulo(registry);
  for (const auto& r : todos) {
    auto c = registry.FindClass(r.Nome);
    ASSERT_TRUE(c) << r.Nome;
    EXPECT_EQ(c->Kind, r.Tipo) << r.Nome;
  }
  EXPECT_EQ(registry.RegisteredClassNames().size(), todos.size()) << "a name registered twice";
  DesregistraModulo(registry);
  EXPECT_TRUE(registry.RegisteredClassNames().empty());

  if (todos.empty()) GTEST_SKIP() << "no subsystem registers a class yet";
  registry.RegisterClass(todos.back().Nome, todos.back().Fabrica, vyn::TClassKind::Other);
  EXPECT_THROW(RegistraModulo(registry), vyn::EClassRegistryError);
  EXPECT_EQ(registry.RegisteredClassNames().size(), 1u);
}

}  // namespace
}  // namespace integracao
