// A cheap net beside the database's own refusal (marca_livros_test.cpp), which is the proof: a file
// outside the gate that names a money table in a plain write is named here before any test runs it, and
// so is a file that opens the gate's mark or writes as another program where it has no business to.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "framework/data/tabelas_livros.h"

namespace vyn {
namespace {

namespace fs = std::filesystem;

// The sources' root: from this file's path, or, when the compiler was handed a relative one (a compiler
// cache rewrites paths under its base folder), up from the folder the test runs in (inside the build).
fs::path RaizDoProjeto() {
  auto raiz = [](const fs::path& p) { return fs::exists(p / "framework/livros/livros.h"); };
  const fs::path deste = fs::path(__FILE__).parent_path().parent_path().parent_path();
  if (deste.is_absolute() && raiz(deste)) return deste;
  for (fs::path p = fs::current_path(); !p.empty(); p = p.parent_path()) {
    if (raiz(p)) return p;
    if (p == p.parent_path()) break;
  }
  return deste;
}

// What may write them besides the gate: tests and their support, benchmarks and fuzz targets, the
// builders of the demo and test companies, which stand for the suite's other modules, and the gate's own
// guards in the database (a source freed with its entry).
bool Isento(const std::string& relativo) {
  for (const char* pasta : {"framework/livros/", "testing/", "bench/", "fuzz/", "host/journeys/", "host/modelo/", "build"})
    if (relativo.rfind(pasta, 0) == 0) return true;
  if (relativo.find("_test.cpp") != std::string::npos) return true;
  return relativo == "framework/schema/seed.cpp" || relativo == "host/demo_seed.cpp" ||
         relativo == "framework/schema/modulo_livros.cpp" ||
         relativo == "framework/data/tabelas_livros.h";
}

// Every source file outside the build whose relative path isento does not spare and whose text matches
// padrao, with the first match.
std::vector<std::string> Achados(const std::regex& padrao, const std::function<bool(const std::string&)>& isento) {
  std::vector<std::string> achados;
  const fs::path raiz = RaizDoProjeto();
  for (auto it = fs::recursive_directory_iterator(raiz); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relativo = fs::relative(it->path(), raiz).generic_string();
    if (it->is_directory() && (relativo.rfind("build", 0) == 0 || relativo.rfind(".", 0) == 0)) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string ext = it->path().extension().string();
    const bool fonte = ext == ".cpp" || ext == ".h" || ext == ".cc" || ext == ".hpp";
    if (!it->is_regular_file() || !fonte || isento(relativo)) continue;
    std::ifstream f(it->path());
    std::stringstream texto;
    texto << f.rdbuf();
    const std::string conteudo = texto.str();
    std::smatch m;
    if (std::regex_search(conteudo, m, padrao)) achados.push_back(relativo + ": " + m.str(0));
  }
  return achados;
}

std::vector<std::string> Escritores() {
  std::string tabelas;
  for (std::string_view t : kTabelasDosLivros) tabelas += (tabelas.empty() ? "" : "|") + std::string(t);
  // A statement that writes one of them, or a row inserter bound to one.
  const std::regex escrita("(insert\\s+into|update\\s+or\\s+insert\\s+into|update|delete\\s+from|merge\\s+into)\\s+(" +
                               tabelas + ")\\b|TInsereLinha\\s+\\w+\\s*\\(\\s*\\w+\\s*,\\s*\"(" + tabelas + ")\"",
                           std::regex::icase);
  return Achados(escrita, Isento);
}

std::string Lista(const std::vector<std::string>& achados) {
  std::string lista;
  for (const std::string& e : achados) lista += "\n  " + e;
  return lista;
}

TEST(LivrosEscritores, NoFileButTheGateWritesTheTablesThatMoveMoney) {
  ASSERT_TRUE(fs::exists(RaizDoProjeto() / "framework/livros/livros.h")) << RaizDoProjeto();
  const std::string lista = Lista(Escritores());
  EXPECT_TRUE(lista.empty()) << "Gravam tabelas dos livros fora de framework/livros:" << lista;
}

// The database refuses what the gate did not mark (marca_livros_test.cpp): the marks themselves stay
// where they belong. Only the gate opens its mark; only tests, benchmarks and seed builders write as
// another program of the suite; the context names live in their two homes.
TEST(LivrosEscritores, OnlyTheGateMarksItsWritesAndOnlySeedsWriteAsAnotherProgram) {
  ASSERT_TRUE(fs::exists(RaizDoProjeto() / "framework/livros/marca_livros.h")) << RaizDoProjeto();
  const std::string marca = Lista(Achados(std::regex("\\bTMarcaLivros\\b"), [](const std::string& r) {
    return r.rfind("framework/livros/", 0) == 0;
  }));
  EXPECT_TRUE(marca.empty()) << "Abrem a marca dos livros fora de framework/livros:" << marca;

  const std::string fora = Lista(Achados(std::regex("\\bTEscritaForaDoModulo\\b"), [](const std::string& r) {
    for (const char* pasta : {"testing/", "bench/", "host/journeys/", "host/estacoes/"})
      if (r.rfind(pasta, 0) == 0) return true;
    return r.find("_test.cpp") != std::string::npos || r.rfind("framework/livros/marca_livros.", 0) == 0;
  }));
  EXPECT_TRUE(fora.empty()) << "Gravam como outro programa fora dos testes e sementes:" << fora;

  const std::string contexto =
      Lista(Achados(std::regex("INTEGRACAO_(LIVROS|MODULO)|\\bkContexto(Livros|Modulo)\\b"), [](const std::string& r) {
        return r == "framework/data/tabelas_livros.h" || r == "framework/livros/marca_livros.cpp" ||
               r == "framework/schema/guarda_livros.cpp";
      }));
  EXPECT_TRUE(contexto.empty()) << "Usam as marcas dos livros fora de suas casas:" << contexto;
}

}  // namespace
}  // namespace vyn
