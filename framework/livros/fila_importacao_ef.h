#pragma once
// The fiscal module's import queue: fiscal document files waiting to be imported. Every feeder
// (the Nibo import, the partner fetchers such as Omie's) hands its files here. A queued document
// carries its content, so the file it came from may be deleted afterwards.
#include <string>

namespace vyn {

class TDatabase;

// Kinds of document and of partner the queue knows. A partner's code is the origin its fetcher
// answers (TInt_EF_API_Parceiros::GetOrigem).
enum TTipoDocumentoEF : int { tdNFe = 1, tdNFCe = 2, tdCTe = 3, tdNFSe = 4, tdCTeOS = 5 };
enum TTipoParceiroEF : int { TipNibo = 1, TipOmie = 5 };

// Queues the file's content for the company; raises when the file cannot be read. A document with an
// identity (its access key, else the partner's id of it, else its text's hash) that the company's
// queue already holds from the same partner is not queued again, so a repeated or retried fetch, or
// the screen after the task, queues nothing twice. Answers whether the document was queued.
bool EnfileiraDocumentoEF(TDatabase& db, int codEmp, int tipoDocumento, int tipoParceiro, const std::string& arquivo,
                          const std::string& identificador = {});

// The identity of a document known only by its text (as the queue stores it).
std::string IdentidadeConteudoEF(const std::string& texto);

}  // namespace vyn
