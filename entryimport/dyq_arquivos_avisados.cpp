#include "entryimport/dyq_arquivos_avisados.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/data/fb_database.h"

namespace integracao {

using namespace vyn;

std::string ResumoArquivoDYQ(const std::string& caminho) {
  std::ifstream in(caminho, std::ios::binary);
  if (!in) throw std::runtime_error("Não foi possível ler o arquivo " + caminho);
  uint64_t h = 1469598103934665603ULL;
  std::array<char, 64 * 1024> bloco{};
  while (in.read(bloco.data(), static_cast<std::streamsize>(bloco.size())) || in.gcount() > 0) {
    const auto lidos = static_cast<size_t>(in.gcount());
    for (size_t i = 0; i < lidos; ++i) {
      h ^= static_cast<unsigned char>(bloco[i]);
      h *= 1099511628211ULL;
    }
  }
  return fmt::format("{:016x}", h);
}

std::optional<std::string> AvisadoEm(TDatabase& db, int empresa, const std::string& id, const std::string& resumo) {
  const Variant quando = db.QueryValue(
      "select lpad(extract(day from BDDATAAVISO), 2, '0') || '/' || lpad(extract(month from BDDATAAVISO), 2, '0') || "
      "'/' || extract(year from BDDATAAVISO) from TINTEGRACAO_DYQ_ARQ_AVISADO "
      "where BDCODEMP = ? and BDIDWEB = ? and BDRESUMO = ?",
      {empresa, id, resumo});
  if (quando.IsNull()) return std::nullopt;
  return quando.AsString();
}

void RegistraAvisado(TDatabase& db, int empresa, const std::string& id, const std::string& resumo,
                     long long naoImportados) {
  TTransaction tx(db, TTransaction::kJuntaAberta);
  db.Execute(
      "update or insert into TINTEGRACAO_DYQ_ARQ_AVISADO (BDCODEMP, BDIDWEB, BDRESUMO, BDNAOIMPORTADOS, BDDATAAVISO) "
      "values (?, ?, ?, ?, current_timestamp) matching (BDCODEMP, BDIDWEB)",
      {empresa, id, resumo, naoImportados});
  tx.Commit();
}

void EsqueceAvisado(TDatabase& db, int empresa, const std::string& id) {
  TTransaction tx(db, TTransaction::kJuntaAberta);
  db.Execute("delete from TINTEGRACAO_DYQ_ARQ_AVISADO where BDCODEMP = ? and BDIDWEB = ?", {empresa, id});
  tx.Commit();
}

}  // namespace integracao
