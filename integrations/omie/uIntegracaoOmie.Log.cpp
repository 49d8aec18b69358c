#include "integrations/omie/uIntegracaoOmie.Log.h"

#include <filesystem>
#include <fstream>

#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"

namespace integracao {

using namespace vyn;

namespace {
std::filesystem::path PastaPrograma() {
  return ProcessContext().ProgramFolder.empty() ? std::filesystem::current_path()
                                                : std::filesystem::path(ProcessContext().ProgramFolder);
}
}  // namespace

std::string PastaTempOmie() { return (PastaPrograma() / "Temp" / "Parceiros" / "Omie").string(); }

std::string ArquivoLogOmie() { return (PastaPrograma() / "LogOmie.txt").string(); }

std::string GravaLogOmie(const std::string& infixo, const std::vector<std::string>& linhas) {
  namespace fs = std::filesystem;
  const fs::path pasta = PastaTempOmie();
  fs::create_directories(pasta);
  const fs::path arquivo = pasta / ("Contabil" + infixo + TAcessoExclusivo::fNomeArqTemp_Exclusivo(".json"));
  std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
  for (const std::string& l : linhas) out << l << "\r\n";
  return arquivo.string();
}

}  // namespace integracao
