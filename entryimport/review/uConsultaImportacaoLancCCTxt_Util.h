#pragma once
// The per-line import engine of the in-memory entry review: reserves the entry keys per company,
// re-points the cost-centre rows to them, asks for the period's automatic transaction links and
// reports a Dyq file as integrated.
#include <functional>
#include <string>

#include "framework/ui/importacao_treeview.h"

namespace vyn {
class TEmpresasMGR;
class TEdit_Codigo_Search_VYN;
class TDateTime_VYN;
class TSelecionaFiliais_VYN;
}  // namespace vyn

namespace integracao {

// What both entry reviews' engines take from their screen, and what they do alike with it.
class TUtilImportacao_LancCC_Comum : public vyn::TUtilImportacao_Integracao_Treeview {
 public:
  using TProcedimento = std::function<void()>;
  using TUtilImportacao_Integracao_Treeview::TUtilImportacao_Integracao_Treeview;

  void SetOnAposInconsistencia(TProcedimento p) { FOnAposInconsistencia = std::move(p); }
  // The screen's settlements, posted as the run's first step so that they stand or fall with it.
  void SetOnAntesValidacao(TProcedimento p) { FOnAntesValidacao = std::move(p); }
  // Whether the run started by IniciaExecucao committed.
  void IniciaExecucao() { FConcluida = false; }
  bool Concluida() const { return FConcluida; }
  void SetDAOEmp(vyn::TEmpresasMGR* dao) { FDAOEmp = dao; }
  void SetTransacaoAuto(bool on) { FTransacaoAuto = on; }
  void SetDtIni(vyn::TDateTime_VYN* d) { FDtIni = d; }
  void SetDtFim(vyn::TDateTime_VYN* d) { FDtFim = d; }
  void setSelecionaFilial(vyn::TSelecionaFiliais_VYN* s) { FSelecionaFilial = s; }

  // Inherited, then the screen's handler.
  void GetAposInconsistencia() override;
  void GetAntesValidacao() override;
  void ProcessosClassesFilhasAposImportacao() override;

 protected:
  // After an import that wrote lines, when the screen asked for it: the request for the period's
  // automatic transaction links.
  void GeraTransacoesAutomaticas(vyn::TEdit_Codigo_Search_VYN* codEmp);
  // After a run that put lines in the ledger: the opener that fed the file (IMarcaImportado) reports it.
  void MarcaArquivoImportado();

  vyn::TEmpresasMGR* FDAOEmp = nullptr;
  TProcedimento FOnAposInconsistencia;
  TProcedimento FOnAntesValidacao;
  bool FConcluida = false;
  bool FTransacaoAuto = false;
  vyn::TDateTime_VYN* FDtIni = nullptr;
  vyn::TDateTime_VYN* FDtFim = nullptr;
  vyn::TSelecionaFiliais_VYN* FSelecionaFilial = nullptr;
};

class TUtilImportacao_LancCC_TreeviewNormal : public TUtilImportacao_LancCC_Comum {
 public:
  explicit TUtilImportacao_LancCC_TreeviewNormal(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TUtilImportacao_LancCC_TreeviewNormal"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void GetChaveServidor() override;
  void GetAposChaveServidor() override;
  void GetAntesFinalizarProcesso() override;
  void ConfirmarNotasTarvo() override;
};

}  // namespace integracao
