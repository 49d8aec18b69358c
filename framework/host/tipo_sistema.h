#pragma once
// The suite's modules (TTypeSistema) by the names report requests give them.
#include <string>

namespace vyn {

// The module's number for a member name ("tsContabil", "tsFolha", ...; without regard to case);
// an unknown name raises std::invalid_argument naming it.
int SistemaPorNome(const std::string& nome);

}  // namespace vyn
