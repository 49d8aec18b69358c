#pragma once
// integracao-host's commands:
//   init DB [--demo]                          creates a company database (with demonstration data)
//   list                                      the module's registered classes by kind
//   task CLASS [name=value ...] [--params JSON]   runs a task; prints its log, status row and result
//   screen CLASS --script FILE.json           drives a screen from a script
// Options: --db PATH (or INTEGRACAO_DB), --module PATH, --referencia YYYYMM, --agendamento N,
// --plano N, --ordem N. Exit status: 0 success, 1 the run ended with errors or inconsistencies,
// 2 bad usage (unknown command or class, missing database or module).
#include <iosfwd>

namespace integracao_host {

int ExecutaHost(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace integracao_host
