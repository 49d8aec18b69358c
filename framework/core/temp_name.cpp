#include "framework/core/temp_name.h"

#include <fmt/chrono.h>
#include <fmt/format.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <random>

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

}  // namespace vyn
