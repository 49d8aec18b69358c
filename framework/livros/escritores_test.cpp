// Only the books' gate writes the tables that move money: any other file that writes one of them is
// named here, so a new road cannot write around the gate's rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "framework/data/tabelas_livros.h"

namespace vyn {
namespace {

namespace fs = std::filesystem;

fs::path RaizDoProjeto() { return fs::path(__FILE__).parent_path().parent_path().parent_path(); }

// What may write them besides the gate: tests and their support, benchmarks and fuzz targets, the
// builders of the demo and test companies, which stand for the suite's other modules, and the gate's own
// guards in the database (a source freed with its entry).
bool Isento(const std::string& relativo) {
  for (const char* pasta : {"framework/livros/", "testing/", "bench/", "fuzz/", "host/journeys/", "build"})
    if (relativo.rfind(pasta, 0) == 0) return true;
  if (relativo.find("_test.cpp") != std::string::npos) return true;
  return relativo == "framework/schema/seed.cpp" || relativo == "host/demo_seed.cpp" ||
         relativo == "framework/schema/modulo_livros.cpp" ||
         relativo == "framework/data/tabelas_livros.h";
}

std::vector<std::string> Escritores() {
  std::string tabelas;
  for (std::string_view t : kTabelasDosLivros) tabelas += (tabelas.empty() ? "" : "|") + std::string(t);
  // A statement that writes one of them, or a row inserter bound to one.
  const std::regex escrita("(insert\\s+into|update\\s+or\\s+insert\\s+into|update|delete\\s+from|merge\\s+into)\\s+(" +
                               tabelas + ")\\b|TInsereLinha\\s+\\w+\\s*\\(\\s*\\w+\\s*,\\s*\"(" + tabelas + ")\"",
                           std::regex::icase);
  std::vector<std::string> achados;
  const fs::path raiz = RaizDoProjeto();
  for (auto it = fs::recursive_directory_iterator(raiz); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relativo = fs::relative(it->path(), raiz).generic_string();
    if (it->is_directory() && (relativo.rfind("build", 0) == 0 || relativo.rfind(".", 0) == 0)) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string ext = it->path().extension().string();
    if (!it->is_regular_file() || (ext != ".cpp" && ext != ".h") || Isento(relativo)) continue;
    std::ifstream f(it->path());
    std::stringstream texto;
    texto << f.rdbuf();
    const std::string conteudo = texto.str();
    std::smatch m;
    if (std::regex_search(conteudo, m, escrita)) achados.push_back(relativo + ": " + m.str(0));
  }
  return achados;
}

TEST(LivrosEscritores, NoFileButTheGateWritesTheTablesThatMoveMoney) {
  ASSERT_TRUE(fs::exists(RaizDoProjeto() / "framework/livros/livros.h")) << RaizDoProjeto();
  std::string lista;
  for (const std::string& e : Escritores()) lista += "\n  " + e;
  EXPECT_TRUE(lista.empty()) << "Gravam tabelas dos livros fora de framework/livros:" << lista;
}

}  // namespace
}  // namespace vyn
