#pragma once
// The error a task raises to end its run as failed with the text of the failure.
#include <stdexcept>
#include <string>

namespace vyn {

class TErroException : public std::runtime_error {
 public:
  explicit TErroException(const std::string& msg) : std::runtime_error(msg) {}
};

}  // namespace vyn
