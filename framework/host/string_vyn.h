#pragma once
// The suite's text helper as far as the module uses it: the decipher of stored service passwords.
#include <string>

namespace vyn {

class TString_VYN {
 public:
  explicit TString_VYN(std::string texto) : texto_(std::move(texto)) {}
  // The plain text of an enciphered password, through the process context's decipher.
  std::string GetDescriptografa() const;

 private:
  std::string texto_;
};

}  // namespace vyn
