#pragma once
// The base of the tasks that import files a client leaves in a folder: the file being imported, its
// registration in TINTEGRACAO_ARQ_CLIENTE, the decision whether a file was imported already, and the
// run's log.
//
// The file in work (company, path, registration number) belongs to the task object; the import
// engines working for the task find it up their owner chain (Corrente), so two tasks never share it.
#include <memory>
#include <string>
#include <vector>

#include "framework/data/fb_database.h"
#include "framework/host/auto_thread.h"
#include "framework/ui/arquivo_cliente_importacao.h"

namespace vyn {

class TInconsistencias_VYN;

class TAutoThreadIntegracaoArquivosClienteBase : public TAutoThreadPushPadrao, public IArquivoClienteImportacao {
 public:
  explicit TAutoThreadIntegracaoArquivosClienteBase(TComponent* owner = nullptr) : TAutoThreadPushPadrao(owner) {}
  std::string ClassName() const override { return "TAutoThreadIntegracaoArquivosClienteBase"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int CodEmp = 0;
  std::string Arquivo;   // full path of the file being imported; empty between files
  int Ordem = 0;         // its registration number
  int CodEmpArquivoCliente() const override { return CodEmp; }
  int OrdemArquivoCliente() const override { return Ordem; }
  void MarcaArquivoClienteImportado() override;
  // Set by the task when the file's import ran to its end (inconsistent lines included).
  bool ImportacaoConcluida = false;

  // The task whose file comp works on: comp or the nearest owner that is one; nullptr when none.
  static TAutoThreadIntegracaoArquivosClienteBase* Corrente(TComponent* comp);

  void logProcesso(const std::string& texto) { GravarLogTarvo(texto); }
  // The end of the current file's import: its registration records the time and, when the import
  // ran to its end, that it did (with the file's size and modification time then). The registration is
  // the run's history: what of the file is booked, its lines' accounts in the books' record say.
  void setProcessoFinalizado();
  // The import's problems as rows of TINTEGRACAO_ARQ_CLIENTE_INCONS of the current registration; a
  // message the import engine already wrote there is not written again.
  void gravaInconsistenciasArquivo(const TInconsistencias_VYN& lista);
  // Adds a pair to the run's answer object (TProcessoVarku.FRetornoServidor).
  static void AddRetornoServidor(const std::string& nome, long long valor);

  // Several workstations may run the task for the same company at once: one at a time imports the
  // company's client files, so each file is imported once. Held by an attachment of its own (the
  // work commits as it goes), released when the object goes; a workstation that waited past the
  // database's lock time-out is told another one is importing.
  std::unique_ptr<TDatabase> TravaImportacaoEmpresa(int codEmp) const;

  // Files of folder whose name matches mask ('*' and '?', case ignored), full paths sorted by name;
  // subfolders are searched too when recursivo.
  static std::vector<std::string> ListaArquivos(const std::string& pasta, const std::string& mascara, bool recursivo);
};

}  // namespace vyn
