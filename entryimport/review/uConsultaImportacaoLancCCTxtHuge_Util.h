#pragma once
// The per-line import engine of the staged entry review: the framework reserves the keys and writes
// the staged lines; this engine adds the automatic transaction links, records a client file's
// problems in TINTEGRACAO_ARQ_CLIENTE_INCONS and, for a spreadsheet source, writes the copy of the
// sheet that holds only the lines left unimported.
#include <functional>
#include <string>

#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"
#include "framework/ui/importacao_treeview.h"

namespace vyn {
class TEmpresasMGR;
class TDateTime_VYN;
class TSelecionaFiliais_VYN;
class TDadosAdicionaisImportacaoTXT;
}  // namespace vyn

namespace integracao {

class TUtilImportacao_LancCC_Treeview : public TUtilImportacao_LancCC_Comum {
 public:
  explicit TUtilImportacao_LancCC_Treeview(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TUtilImportacao_LancCC_Treeview"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // The engine's own company edit; the base's stays unset.
  void SetCodEmp(vyn::TEdit_Codigo_Search_VYN* edit) { FCodEmp = edit; }
  vyn::TDadosAdicionaisImportacaoTXT* FDadosAdicionais = nullptr;
  // The not-imported copy of the sheet written by the last run; empty when none.
  const std::string& ArquivoPlanilha() const { return FArquivoPlanilha; }

  void GetAntesFinalizarProcesso() override;
  void confirmaNotasIntegracaoArquivosClientes() override;
  void GetAposChaveServidor() override;
  void MostraMensagemFimImportacao(const std::string& texto) override;
  void ClearListaDAO() override;

 private:
  vyn::TEdit_Codigo_Search_VYN* FCodEmp = nullptr;
  std::string FArquivoPlanilha;
};

// The sheet rows to delete, bottom up, so that the header, the staged lines (descending) and the
// trailing rows stay.
std::vector<int> LinhasPlanilhaExcluir(const std::vector<int>& linhasDesc, int ultimaLinha, int linhasFinais,
                                       int primeiraLinhaDados);

}  // namespace integracao
