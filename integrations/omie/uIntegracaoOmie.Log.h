#pragma once
// Copies of what some Omie calls sent and received, for support: Temp/Parceiros/Omie under the
// program folder, one name per call. Only entity records and answers go there, never the envelope.
#include <string>
#include <vector>

namespace integracao {

std::string PastaTempOmie();
// The log the imports write what they found to: LogOmie.txt in the program folder (the working folder
// when none is set).
std::string ArquivoLogOmie();
// Writes the lines to <folder>/<system><infixo><unique>.json and answers the path.
std::string GravaLogOmie(const std::string& infixo, const std::vector<std::string>& linhas);

}  // namespace integracao
