#include "framework/host/string_vyn.h"

#include "framework/component/process_context.h"

namespace vyn {

std::string TString_VYN::GetDescriptografa() const {
  const auto& decifra = ProcessContext().DecifraSenha;
  return decifra ? decifra(texto_) : texto_;
}

}  // namespace vyn
