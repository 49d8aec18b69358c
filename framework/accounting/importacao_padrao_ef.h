#pragma once
// The fiscal module's document import as the feeders hand files to it: the files go to the fiscal
// import queue (framework/livros/fila_importacao_ef.h), each failure a line of the given list.
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/livros/fila_importacao_ef.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TInconsistencias_VYN;

enum TTipoPushEF : int { tpNibo = 1 };

class TImportacaoPadraoEF : public TComponent {
 public:
  TImportacaoPadraoEF(TComponent* owner, int tipoDocumento, bool, bool, bool, int tipoPush)
      : TComponent(owner), tipoDocumento_(tipoDocumento), tipoPush_(tipoPush) {}
  std::string ClassName() const override { return "TImportacaoPadraoEF"; }

  void SetEditEmpresa(TEdit_Codigo_Search_VYN* e) { empresa_ = e; }
  // identificadores: each file's identity in the queue, in the same order (missing or empty: the
  // document's text names it).
  void SetListaArquivos(const std::vector<std::string>& arquivos, const std::vector<std::string>& identificadores = {}) {
    arquivos_ = arquivos;
    identificadores_ = identificadores;
  }
  int TipoImportacaoAutomatica = 0;
  void SetInconsistencia_VYN(TInconsistencias_VYN* l) { inconsistencias_ = l; }
  void SetTipoParceiro(int t) { tipoParceiro_ = t; }
  // Queues every file the queue does not hold yet; answers how many were queued.
  int IniciaProcesso();

 private:
  int tipoDocumento_;
  int tipoPush_;
  int tipoParceiro_ = 0;
  TEdit_Codigo_Search_VYN* empresa_ = nullptr;
  std::vector<std::string> arquivos_;
  std::vector<std::string> identificadores_;
  TInconsistencias_VYN* inconsistencias_ = nullptr;
};

}  // namespace vyn
