// The sheet reader of the import screens: any file, told apart by its content (.xlsx, .xls or text
// separated by ";"), is read into lines or refused with EArquivoImportacao; it never crashes.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "framework/data/arquivo_importacao.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
  static const std::string arquivo = "/tmp/integracao_fuzz_planilha_" + std::to_string(::getpid());
  {
    std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(dados), static_cast<std::streamsize>(tamanho));
  }
  try {
    vyn::TArquivoImportacao planilha;
    planilha.LoadArquivo(arquivo);
    for (planilha.First(); !planilha.Eof(); planilha.Next()) planilha.Celulas();
  } catch (const vyn::EArquivoImportacao&) {
  }
  return 0;
}
