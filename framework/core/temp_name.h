#pragma once
// Names unique to the call, for work files and folders that concurrent runs (and processes) must
// not share.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vyn {

class TAcessoExclusivo {
 public:
  // A bare name (no folder) unique to this call, ending in `suffix` (".txt"; "" for a folder):
  // local time to the millisecond, the process id and 64 random bits.
  static std::string fNomeArqTemp_Exclusivo(std::string_view suffix);
  // Removes the files of folder named by one of prefixes followed by such a name whose process no
  // longer runs: what a killed or finished run left behind in a shared work folder. A file of a live
  // process, and any other file, stays. Answers how many went.
  static int RemoveOrfaos(const std::filesystem::path& folder, const std::vector<std::string>& prefixes);
  // A name owned by this process: its id, '-' and `dono` (what tells the process's owners apart).
  static std::string NomeDoProcesso(std::string_view dono);
  // Removes, with all they hold, the entries of `pasta` named by NomeDoProcesso whose process no
  // longer runs: what a killed run left. Answers how many went; failures to remove are left alone.
  static int RemoveOrfaos(const std::string& pasta);
};

}  // namespace vyn
