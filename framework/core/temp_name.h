#pragma once
// Names unique to the call, for work files and folders that concurrent runs (and processes) must
// not share.
#include <string>
#include <string_view>

namespace vyn {

class TAcessoExclusivo {
 public:
  // A bare name (no folder) unique to this call, ending in `suffix` (".txt"; "" for a folder):
  // local time to the millisecond, the process id and 64 random bits.
  static std::string fNomeArqTemp_Exclusivo(std::string_view suffix);
};

}  // namespace vyn
