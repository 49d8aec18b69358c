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

namespace {

// The process id of a name fNomeArqTemp_Exclusivo gave ("<17 digits>_<pid>_<16 hex>..."); 0 otherwise.
long ProcessoDoNome(std::string_view nome) {
  constexpr size_t kCarimbo = 17;
  if (nome.size() < kCarimbo + 2 || nome[kCarimbo] != '_') return 0;
  for (size_t i = 0; i < kCarimbo; ++i)
    if (nome[i] < '0' || nome[i] > '9') return 0;
  nome.remove_prefix(kCarimbo + 1);
  long pid = 0;
  const auto [fim, ec] = std::from_chars(nome.data(), nome.data() + nome.size(), pid);
  if (ec != std::errc() || fim == nome.data() || fim == nome.data() + nome.size() || *fim != '_') return 0;
  return pid;
}

bool ProcessoVivo(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

}  // namespace

int TAcessoExclusivo::RemoveOrfaos(const std::filesystem::path& folder, const std::vector<std::string>& prefixes) {
  std::error_code ec;
  int removidos = 0;
  for (std::filesystem::directory_iterator it(folder, ec), fim; !ec && it != fim; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string nome = it->path().filename().string();
    for (const std::string& prefixo : prefixes) {
      if (nome.rfind(prefixo, 0) != 0) continue;
      const long pid = ProcessoDoNome(std::string_view(nome).substr(prefixo.size()));
      std::error_code erro;
      if (pid > 0 && pid != static_cast<long>(getpid()) && !ProcessoVivo(pid) &&
          std::filesystem::remove(it->path(), erro))
        ++removidos;
      break;
    }
  }
  return removidos;
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
    if (pid > 0 && pid != static_cast<long>(getpid()) && !ProcessoVivo(pid))
      orfaos.push_back(e.path());
  }
  for (const fs::path& p : orfaos)
    if (fs::remove_all(p, ec) > 0 && !ec) ++removidos;
  return removidos;
}

}  // namespace vyn
