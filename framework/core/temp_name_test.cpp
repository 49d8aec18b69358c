#include "framework/core/temp_name.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

using namespace vyn;

TEST(TempName, UniquePerCallWithSuffixAndSafeCharacters) {
  std::set<std::string> names;
  for (int i = 0; i < 2000; ++i) {
    const std::string n = TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt");
    ASSERT_TRUE(names.insert(n).second) << n;
    ASSERT_EQ(n.substr(n.size() - 4), ".txt");
    ASSERT_EQ(n.find_first_not_of("0123456789abcdef_.tx"), std::string::npos) << n;
  }
  const std::string folder = TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  EXPECT_EQ(folder.find('.'), std::string::npos);
}

// A killed run leaves its work files behind: the next run removes those whose process is gone, and
// nothing of a live process nor any other file.
TEST(TempName, FilesOfProcessesNoLongerRunningAreRemoved) {
  const pid_t filho = fork();
  if (filho == 0) _exit(0);
  ASSERT_GT(filho, 0);
  ASSERT_EQ(waitpid(filho, nullptr, 0), filho);
  const std::filesystem::path pasta =
      std::filesystem::temp_directory_path() / TAcessoExclusivo::fNomeArqTemp_Exclusivo("");
  std::filesystem::create_directories(pasta);
  const std::string meu = TAcessoExclusivo::fNomeArqTemp_Exclusivo(".txt");
  std::string morto = meu;
  morto.replace(18, std::to_string(getpid()).size(), std::to_string(filho));
  const std::vector<std::string> nomes = {"DYQ_CL_" + meu, "DYQ_CL_" + morto, "naoimportados_DYQ_CL_" + morto + ".xlsx",
                                          "outro_" + morto, "DYQ_CL_relatorio.txt"};
  for (const std::string& n : nomes) std::ofstream(pasta / n) << "x";

  EXPECT_EQ(TAcessoExclusivo::RemoveOrfaos(pasta, {"DYQ_CL_", "naoimportados_DYQ_CL_"}), 2);

  std::set<std::string> ficaram;
  for (const auto& e : std::filesystem::directory_iterator(pasta)) ficaram.insert(e.path().filename().string());
  EXPECT_EQ(ficaram, (std::set<std::string>{"DYQ_CL_" + meu, "outro_" + morto, "DYQ_CL_relatorio.txt"}));
  std::filesystem::remove_all(pasta);
}

// What a killed process left goes; what a running process (this one, its parent) or nobody's naming
// owns stays.
TEST(TempName, OrphansOfProcessesNoLongerRunningAreRemovedAndNothingElse) {
  namespace fs = std::filesystem;
  const fs::path base = fs::temp_directory_path() / ("orfaos_" + std::to_string(::getpid()));
  fs::remove_all(base);
  const pid_t filho = fork();
  ASSERT_GE(filho, 0);
  if (filho == 0) _exit(0);
  ASSERT_EQ(waitpid(filho, nullptr, 0), filho);
  const std::string morto = std::to_string(filho) + "-7f00";
  const std::string meu = TAcessoExclusivo::NomeDoProcesso("7f01");
  const std::string pai = std::to_string(::getppid()) + "-7f02";
  for (const std::string& n : {morto, meu, pai, std::string("COMPROVANTES"), std::string("12ab-3")})
    fs::create_directories(base / n / "sub");
  std::ofstream(base / morto / "sub" / "boleto.pdf") << "%PDF";
  EXPECT_EQ(meu.rfind(std::to_string(::getpid()) + "-", 0), 0u);
  EXPECT_EQ(TAcessoExclusivo::RemoveOrfaos(base.string()), 1);
  EXPECT_FALSE(fs::exists(base / morto));
  for (const std::string& n : {meu, pai, std::string("COMPROVANTES"), std::string("12ab-3")})
    EXPECT_TRUE(fs::exists(base / n)) << n;
  EXPECT_EQ(TAcessoExclusivo::RemoveOrfaos((base / "nenhuma").string()), 0);
  fs::remove_all(base);
}
