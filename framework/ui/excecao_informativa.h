#pragma once
// The informative exception of unattended screens: where a user would see a warning box, a screen run
// without a user raises this with the same text, and the task that drives it ends with that text.
#include <stdexcept>
#include <string>

namespace vyn {

class EExceptionTratadaInformativa_VYN : public std::runtime_error {
 public:
  explicit EExceptionTratadaInformativa_VYN(const std::string& msg) : std::runtime_error(msg) {}
};

}  // namespace vyn
