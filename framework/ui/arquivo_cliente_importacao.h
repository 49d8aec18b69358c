#pragma once

namespace vyn {

// The client-file run that imports a file unattended (the client-folder task): the company and the
// file's order in TINTEGRACAO_ARQ_CLIENTE, under which the review's engine records the file's
// problems. The engine finds it up its owner chain.
class IArquivoClienteImportacao {
 public:
  virtual ~IArquivoClienteImportacao() = default;
  virtual int CodEmpArquivoCliente() const = 0;
  virtual int OrdemArquivoCliente() const = 0;
  // Called by the engine inside the transaction that writes the file's entries: the file counts as
  // imported exactly when they do, so a run stopped at any point imports each line once.
  virtual void MarcaArquivoClienteImportado() {}
};

}  // namespace vyn
