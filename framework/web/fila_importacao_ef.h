#pragma once
// The fiscal module's import queue: fiscal document files waiting to be imported. A queued
// document carries its content, so the file it came from may be deleted afterwards.
#include <string>

namespace vyn {

class TDatabase;

// Kinds of document and of partner the queue knows.
enum TTipoDocumentoEF : int { tdNFe = 1, tdNFCe = 2, tdCTe = 3, tdNFSe = 4 };
enum TTipoParceiroEF : int { TipNibo = 1 };

// Queues the file's content for the company; raises when the file cannot be read.
void EnfileiraDocumentoEF(TDatabase& db, int codEmp, int tipoDocumento, int tipoParceiro, const std::string& arquivo);

}  // namespace vyn
