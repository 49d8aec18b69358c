#pragma once
// The host's table of report functions: 119 entries of seven fields; field 4 is the declaration in
// the report's script language (empty: not registered), fields 5 and 1 the category, 6 and 2 the
// description.
#include <array>
#include <string>
#include <vector>

namespace vyn {

struct TFuncaoReportVYN {
  std::array<std::string, 7> Campos;
};

// The entries this installation registers (the rest of the host's 119 are empty).
const std::vector<TFuncaoReportVYN>& WP_FUNCOES_REPORT_VYN();

}  // namespace vyn
