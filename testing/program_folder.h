#pragma once
// A program folder of its own for one test: the process context points at a fresh folder under the
// system's temporary folder, so that work files never land beside the test binary, and the folder
// goes away with the test.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "framework/component/process_context.h"

namespace vyn {

class TPastaProgramaTemp {
 public:
  explicit TPastaProgramaTemp(const std::string& prefixo = "prog") {
    static std::atomic<int> n{0};
    pasta_ = std::filesystem::temp_directory_path() /
             (prefixo + "_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
    std::filesystem::remove_all(pasta_);
    std::filesystem::create_directories(pasta_);
    salvo_ = ProcessContext().ProgramFolder;
    ProcessContext().ProgramFolder = pasta_.string();
  }
  ~TPastaProgramaTemp() {
    ProcessContext().ProgramFolder = salvo_;
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  TPastaProgramaTemp(const TPastaProgramaTemp&) = delete;
  TPastaProgramaTemp& operator=(const TPastaProgramaTemp&) = delete;

  const std::filesystem::path& Pasta() const { return pasta_; }

  // Files left anywhere under the program's "temp" folder; only those ending in `extensao` when
  // it is given (".txt").
  int ArquivosTemp(const std::string& extensao = {}) const {
    int n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(pasta_ / "temp", ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_regular_file() && (extensao.empty() || it->path().extension() == extensao)) ++n;
    return n;
  }

 private:
  std::filesystem::path pasta_;
  std::string salvo_;
};

}  // namespace vyn
