#pragma once
// The statement review "Consulta importação extrato bancário" (or "... movimento de caixa"): the lines
// of one bank statement or cash movement, completed by preparation rules, split into multiple
// entries, linked to settlements, imported as ledger entries and reported back to Dyq.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/core/currency.h"
#include "framework/data/client_dataset.h"
#include "framework/ui/importacao_treeview.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
class TLancamentoMGR;
class TMenuItem;
class TRetornaMetodoDYQ;
class TSQLMGR;
class TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR;
}  // namespace vyn

namespace integracao {

class TProcessoBaixas;
class TUtilImportacao_ExtratoBancario_Treeview;

inline constexpr const char* kNodoPreparacoes = "Preparações";

class TfrConsultaImportacaoExtratoBancario : public vyn::TfrImportacao_Padrao_Itens_TreeView_VYN {
 public:
  explicit TfrConsultaImportacaoExtratoBancario(vyn::TComponent* owner = nullptr);
  ~TfrConsultaImportacaoExtratoBancario() override;
  std::string ClassName() const override { return "TfrConsultaImportacaoExtratoBancario"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Toolbar, menus and the split-row grid.
  vyn::TSpeedButton *spEditar, *spPreparaExtrato, *spRateioCredito, *spImportarModelo, *spCurrencyLink, *spDelLink,
      *spAutoLink, *spRemoveAutoLink, *spConciliacaoAut, *spY570, *spOnline, *spRecusaExtrato, *spCurrencyLinkMulti,
      *spDelLinkMulti;
  vyn::TControl* splitdyq;
  vyn::TPanel* pnMultiLanc;
  vyn::TMenuItem *miImportarTodos, *miImportarPreparados;
  vyn::TMenuItem *miImpostos, *miParcelamento, *miCalculo, *miImpostosMulti, *miParcelamentoMulti, *miCalculoMulti;
  vyn::TMenuItem *miDocumento, *miConsiderarZeros, *miDistinguirValores;
  vyn::TDBGrid_Padrao_VYN* grLancamentoManual;
  vyn::TDataSource* dsLancamentoManual;
  // The line grid's selected rows (none: the current row) and its focus.
  std::vector<vyn::TBookmark> LinhasSelecionadas;
  bool GridLinhasComFoco = true;

  // The opener's company edit.
  vyn::TEdit_Codigo_Search_VYN* FCodEmp = nullptr;

  // Framework hooks.
  void CreateUtilImportacao() override;
  void SetListaObj(const vyn::TListaObj& lista) override;
  void SetListaDAO() override;
  void AfterListaObj() override;
  void AtualizaDados(bool hugeFile = false) override;
  void SetFieldsContainerGrid(vyn::TComponent* owner) override;
  std::vector<vyn::TClientDataSet*> GetArrayOfCDS() override;
  int GetTipoImportacao() override;
  bool ExecutaBaixaTarefa() const { return true; }
  void MontaFilterVinculados(std::string& filter) override;
  void DeleteVinculados(const std::string& filter) override;
  void BeforeClearDao() override;
  void Delete() override;
  void AtualizarStatusBotoes();

  // Import (uConsultaImportacaoExtratoBancario_Importacao.cpp).
  void spImportacaoClick(vyn::TComponent* sender) override;
  bool ExistePreparacaoDYQ();
  void AtualizaTreeView();
  void CriaPreparacoes(vyn::TDAOFactory* linhas, bool& parar);
  void RemovePreparacoes(int tipo, int chaveLinha);
  void spRateioCreditoClick(vyn::TComponent* sender);
  void SetMultiplosLancamentos();
  void DeleteMultiplosLancamentos();
  // After a committed run: the split entries are entries now, there is nothing to undo.
  void ConfirmaMultiplosLancamentos(const std::set<std::pair<int, int>>& gravadas,
                                    const std::map<std::string, int>& chavesNovas);

  // Dyq (uConsultaImportacaoExtratoBancario_Dyq.cpp).
  void spRecusaExtratoClick(vyn::TComponent* sender);
  // Sends the reports not sent yet: returned and refused lines, and (after a committed run) the
  // lines that run wrote or settled as integrated.
  void EnviaRetornosDYQ(bool aposImportacao);
  static void DeleteDir(const std::string& pasta);
  bool TemDadosDYQ() const;

  // Links (uConsultaImportacaoExtratoBancario_Vinculos.cpp).
  void miDuplicatasClick(vyn::TComponent* sender);
  void pmTipoBaixaPopup(vyn::TComponent* sender);
  void spAutoLinkClick(vyn::TComponent* sender);
  void spDelLinkClick(vyn::TComponent* sender);
  void spDelLinkMultiClick(vyn::TComponent* sender);
  void spRemoveAutoLinkClick(vyn::TComponent* sender);
  bool CanEnableLinkButton(bool link);
  bool CanEnableLinkMultiButton(bool) { return true; }
  void AtualizaBotoesMulti();

  // State.
  vyn::TDAOFactory* DAOLinhas() const;
  vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* DAOPreparacoes() const;
  vyn::TClientDataSet* DAOMulti() const;
  TProcessoBaixas* ProcessoBaixas() const { return FProcessoBaixas.get(); }
  TUtilImportacao_ExtratoBancario_Treeview* Util() const;
  vyn::TEdit_Codigo_Search_VYN* EditConta() const { return FEditConta; }
  bool DYQ() const { return FDYQ; }
  int TipoExtrato() const { return FTipoExtrato; }
  bool SoLanPrep() const { return FSoLanPrep; }
  bool SubPrepWeb() const { return FSubPrepWeb; }
  bool FavorecidoAposCompl() const { return FFavorecidoAposCompl; }
  bool AmbienteTeste() const { return FAmbienteTeste; }
  bool NaoCoincidirTransPrep() const { return FNaoCoincidirTransPrep; }
  bool ImpPreparacao() const { return FImpPreparacao; }
  int UltimaChave() const { return FUltimaChave; }
  bool TeveMultLanc() const { return wTeveMultLanc; }
  const std::vector<std::string>& EmpresasPrep() const { return FEmpresasPrep; }
  const std::vector<std::string>& LogAdicionalPrep() const { return FLogAdicionalPrep; }
  std::string ClasseChamadora() const;
  bool OwnerNaCadeia(const std::string& classe) const;
  // The Dyq client of the reports (tests point it at a fake).
  std::unique_ptr<vyn::TRetornaMetodoDYQ> FRetornaDYQ;
  // Folder of the payment receipts of Dyq reviews.
  std::string PastaComprovantes() const;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override;
  void FormClose(vyn::TCloseAction& action) override;
  void FormDestroy() override;

 private:
  friend class TUtilImportacao_ExtratoBancario_Treeview;
  // One line turned into entries of its own by the expansion, as it was before.
  struct TPaiExpandido {
    vyn::TBookmark Linha;
    vyn::Variant Valor, Debito, Credito, Inconsistente;
    bool Zerado = false;
  };
  struct TVinculoRepontado {
    vyn::TClientDataSet* Conjunto;
    vyn::TBookmark Linha;      // the link row
    vyn::TBookmark Pai;        // the parent line
  };
  struct TExpansao {
    bool Ativa = false;
    std::vector<TPaiExpandido> Pais;
    std::vector<vyn::TBookmark> Novas;
    std::vector<std::pair<vyn::TBookmark, std::vector<vyn::TBookmark>>> NovasPorPai;   // parent, its new lines
    std::vector<TVinculoRepontado> Vinculos;
    std::vector<vyn::TBookmark> CentrosCusto;
  };

  void MontaLinhas(vyn::TLancamentoMGR* origem);
  void RemoveNaoPreparados();
  int ContaBanco() const;
  void AdicionaNodoSeFaltar(const std::string& caption, vyn::TDAOFactory* dao);
  std::string PedeObservacao();
  void AtualizaListaChamador();
  void PostaBaixas();

  std::string FArquivo;
  vyn::TSpeedButton* FTransacaoAut = nullptr;
  vyn::TComponent* FDtIni = nullptr;
  vyn::TComponent* FDtFim = nullptr;
  int FRecNoLancExtrato = -1;
  bool wTeveMultLanc = false;
  std::unique_ptr<TProcessoBaixas> FProcessoBaixas;
  vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* FPrepExtratoBancarioDAO = nullptr;
  vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* FPreparacoesNodo = nullptr;
  vyn::TLancamentoMGR* FLinhas = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FEditConta = nullptr;
  vyn::TClientDataSet* FVinculosSalvos = nullptr;
  vyn::TSQLMGR* FSqlApliFinAux = nullptr;
  int FUltimaChave = 0;
  bool FSubPrepWeb = false;
  bool FFavorecidoAposCompl = false;
  bool FDYQ = false;
  int FTipoExtrato = 1;
  bool FSoLanPrep = false;
  bool FNaoCoincidirTransPrep = false;
  bool FAmbienteTeste = false;
  std::vector<std::string> FEmpresasPrep;
  bool FImpPreparacao = false;
  std::vector<std::string> FLogAdicionalPrep;
  std::string FLogAdicional;
  bool FImpPrepaConfigurada = false;
  TExpansao FExpansao;
  std::set<int64_t> FReportados;          // Dyq items already reported
  bool FRecusado = false;                 // the statement was refused: nothing more goes to Dyq
  std::set<std::pair<int, int>> FIntegradas;   // (company, key) written or settled by the last committed run
};

}  // namespace integracao
