#pragma once
// The record of Dyq entry files a scheduled run imported without booking them whole
// (TINTEGRACAO_DYQ_ARQ_AVISADO): such a file stays on the service, and every later run would fail on
// the same lines again. Told once, it is left out of the runs until its content changes; the screen
// still imports it whenever a user chooses it.
#include <optional>
#include <string>

namespace vyn {
class TDatabase;
}

namespace integracao {

// 16 hex digits of the FNV-1a of the file's bytes (read a block at a time: a staged file need not fit
// in memory); the same on every run and build.
std::string ResumoArquivoDYQ(const std::string& caminho);

// When a run told file `id` of the company, with this content, as not booked whole ("dd/mm/yyyy");
// nothing when it never did, or told another content of it.
std::optional<std::string> AvisadoEm(vyn::TDatabase& db, int empresa, const std::string& id, const std::string& resumo);

// Records that a run told the file, as it is now, as leaving naoImportados lines unbooked.
void RegistraAvisado(vyn::TDatabase& db, int empresa, const std::string& id, const std::string& resumo,
                     long long naoImportados);

// The file left the service's list (marked integrated): nothing of it is to be told any more.
void EsqueceAvisado(vyn::TDatabase& db, int empresa, const std::string& id);

}  // namespace integracao
