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
