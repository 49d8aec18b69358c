#include "framework/core/temp_name.h"

#include <fmt/chrono.h>
#include <fmt/format.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

namespace vyn {

std::string TAcessoExclusivo::fNomeArqTemp_Exclusivo(std::string_view suffix) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::random_device rd;
  const uint64_t r = (static_cast<uint64_t>(rd()) << 32) ^ rd();
  return fmt::format("{:%Y%m%d%H%M%S}{:03d}_{}_{:016x}{}", local, ms, static_cast<long>(getpid()), r, suffix);
}

std::string TAcessoExclusivo::NomeDoProcesso(std::string_view dono) {
  return fmt::format("{}-{}", static_cast<long>(getpid()), dono);
}

namespace {
// The process that owns a name made by NomeDoProcesso; 0 for any other name.
long DonoDoNome(const std::string& nome) {
  const size_t traco = nome.find('-');
  long pid = 0;
  if (traco == std::string::npos || traco == 0) return 0;
  const auto [fim, erro] = std::from_chars(nome.data(), nome.data() + traco, pid);
  return erro == std::errc() && fim == nome.data() + traco && pid > 0 ? pid : 0;
}
}  // namespace

int TAcessoExclusivo::RemoveOrfaos(const std::string& pasta) {
  namespace fs = std::filesystem;
  std::error_code ec;
  int removidos = 0;
  std::vector<fs::path> orfaos;
  for (const auto& e : fs::directory_iterator(pasta, ec)) {
    const long pid = DonoDoNome(e.path().filename().string());
    // ESRCH only: a process of another user still runs (EPERM) and keeps its folder.
    if (pid > 0 && pid != static_cast<long>(getpid()) && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      orfaos.push_back(e.path());
  }
  for (const fs::path& p : orfaos)
    if (fs::remove_all(p, ec) > 0 && !ec) ++removidos;
  return removidos;
}

}  // namespace vyn
