#include "framework/host/int_ef_api_parceiros.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"

namespace vyn {

std::string CodificaBase64(const std::string& bytes) {
  static const char* const k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned n = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += k[(n >> 18) & 63];
    out += k[(n >> 12) & 63];
    out += k[(n >> 6) & 63];
    out += k[n & 63];
  }
  if (i < bytes.size()) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += k[(n >> 18) & 63];
    out += k[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? k[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

TInt_EF_API_Parceiros::TInt_EF_API_Parceiros(TComponent* AOwner) : TComponent(AOwner) {}

TDatabase* TInt_EF_API_Parceiros::Database() const {
  TDatabase* db = db_ ? db_ : ProcessContext().Database;
  if (!db) throw std::logic_error("A fila de importação fiscal precisa de um banco de dados aberto.");
  return db;
}

void TInt_EF_API_Parceiros::ProgressoBarra(int prPosicao, const std::string& prTexto) {
  FLog.push_back(FormatDate("dd/mm/yyyy hh:nn:ss", Now()) + " " + prTexto);
  if (OnProgresso) OnProgresso(prPosicao, prTexto);
}

void TInt_EF_API_Parceiros::IntegrarNotas(const std::vector<std::string>& prArquivos, TTypeLancamentos prTipo) {
  if (prArquivos.empty()) return;
  // Read everything first: a file that vanished must not leave half a kind queued.
  std::vector<std::pair<std::string, std::string>> docs;
  for (const std::string& caminho : prArquivos) {
    std::ifstream in(caminho, std::ios::binary);
    if (!in) throw std::runtime_error("Arquivo não encontrado para a fila de importação: " + caminho);
    std::ostringstream os;
    os << in.rdbuf();
    docs.emplace_back(std::filesystem::path(caminho).filename().string(), os.str());
  }
  TDatabase& db = *Database();
  std::optional<TTransaction> tr;
  if (!db.InTransaction()) tr.emplace(db);
  for (const auto& [nome, xml] : docs) {
    db.Execute("insert into TFILA_IMPORTACAO_EF_PARCEIROS (BDCODEMP, BDREFERENCIA, BDORIGEM, BDTIPO, BDARQUIVO, "
               "BDXML_BASE64, BDDATAINCLUSAO) values (?, ?, ?, ?, ?, ?, CURRENT_TIMESTAMP)",
               {FCodEmp, FReferencia, GetOrigem(), prTipo, nome, CodificaBase64(xml)});
  }
  if (tr) tr->Commit();
  FContador += static_cast<int>(docs.size());
  FLog.push_back(std::to_string(docs.size()) + " documento(s) do tipo " + std::to_string(prTipo) +
                 " enviado(s) para a fila de importação.");
}

bool TInt_EF_API_Parceiros::GravaLogSeExistir(const std::string& prArquivo) const {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(prArquivo, ec)) return false;
  std::ofstream out(prArquivo, std::ios::binary | std::ios::trunc);
  for (const std::string& l : FLog) out << l << "\r\n";
  return static_cast<bool>(out);
}

}  // namespace vyn
