#include "framework/host/int_ef_api_parceiros.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/data/fb_database.h"
#include "framework/livros/fila_importacao_ef.h"

namespace vyn {

int TipoDocumentoEF(TTypeLancamentos prTipo) {
  switch (prTipo) {
    case 34: return tdNFe;
    case 79: return tdNFCe;
    case 35: return tdCTe;
    case 90: return tdCTeOS;
    default: throw std::invalid_argument("Tipo de documento fiscal sem fila de importação: " + std::to_string(prTipo));
  }
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

int TInt_EF_API_Parceiros::IntegrarNotas(const std::vector<std::string>& prArquivos, TTypeLancamentos prTipo) {
  std::vector<TDocumentoParceiro> documentos;
  for (const std::string& a : prArquivos) documentos.push_back({a, {}});
  return IntegrarNotas(documentos, prTipo);
}

int TInt_EF_API_Parceiros::IntegrarNotas(const std::vector<TDocumentoParceiro>& prDocumentos, TTypeLancamentos prTipo) {
  if (prDocumentos.empty()) return 0;
  const int tipoDocumento = TipoDocumentoEF(prTipo);
  TDatabase& db = *Database();
  // All of a kind or none: a file that vanished must not leave half a kind queued.
  TTransaction tr(db, TTransaction::kJuntaAberta);
  int enfileirados = 0;
  for (const TDocumentoParceiro& d : prDocumentos)
    if (EnfileiraDocumentoEF(db, FCodEmp, tipoDocumento, GetOrigem(), d.Arquivo, d.Identificador)) ++enfileirados;
  tr.Commit();
  FContador += enfileirados;
  FLog.push_back(std::to_string(enfileirados) + " documento(s) do tipo " + std::to_string(prTipo) +
                 " enviado(s) para a fila de importação.");
  const size_t naFila = prDocumentos.size() - static_cast<size_t>(enfileirados);
  if (naFila > 0)
    FLog.push_back(std::to_string(naFila) + " documento(s) do tipo " + std::to_string(prTipo) +
                   " já estava(m) na fila de importação.");
  return enfileirados;
}

bool TInt_EF_API_Parceiros::GravaLogSeExistir(const std::string& prArquivo) const {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(prArquivo, ec)) return false;
  std::ofstream out(prArquivo, std::ios::binary | std::ios::trunc);
  for (const std::string& l : FLog) out << l << "\r\n";
  return static_cast<bool>(out);
}

}  // namespace vyn
