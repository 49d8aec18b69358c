#pragma once
// The import-review screen base: a tree of node data sets (one per kind of imported row), a main grid
// over the selected node and a detail grid over its first aggregate, and the import run that a per-line
// engine customises through its hooks.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/component/resultado_execucao.h"
#include "framework/data/dao_factory.h"
#include "framework/livros/livros.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/arquivo_cliente_importacao.h"
#include "framework/ui/chaves_lancamentos.h"
#include "framework/ui/edit.h"
#include "framework/ui/form.h"
#include "framework/ui/grid.h"
#include "framework/ui/tree_view.h"

namespace vyn {

struct TRateioCentroCusto;

class TEdit_Codigo_Search_VYN;
class TInconsistencias_VYN;
class IMarcaImportado;
class TUtilImportacao_Padrao_Treeview;
class TfrStatusProcesso;

// A node of the review tree. Aggregates are the node's detail data sets (cost centres first).
// ChavesNovas maps each provisional key (as text; "company|key" for a staged node) to the key the
// server reserved for it during a run.
struct TNodoImportacao {
  std::string Caption;
  TDAOFactory* DAO = nullptr;
  std::vector<TDAOFactory*> Aggregates;
  std::map<std::string, int> ChavesNovas;
};

// Per-node outcome of an import run: the rows before the run and the rows left unimported.
struct TResumoImportacao {
  std::string Caption;
  int Registros = 0;
  int NaoImportados = 0;
};

class TfrImportacao_Padrao_Itens_TreeView_VYN : public TForm_VYN {
 public:
  explicit TfrImportacao_Padrao_Itens_TreeView_VYN(TComponent* owner = nullptr);
  ~TfrImportacao_Padrao_Itens_TreeView_VYN() override;
  std::string ClassName() const override { return "TfrImportacao_Padrao_Itens_TreeView_VYN"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TTreeView* tvGrupos = nullptr;
  TDBGrid_Padrao_VYN* grGrid = nullptr;
  TDBGrid_Padrao_VYN* grGridItens = nullptr;
  TDataSource* dsGrid = nullptr;
  TDataSource* dsGridItens = nullptr;
  TSpeedButton* spImportacao = nullptr;
  TControl* pnDataSetUnico = nullptr;   // shown by the screens when the file gave one data set only

  // The importer hands the node data sets over before SetListaDAO; they belong to the screen.
  TNodoImportacao& AdicionaNodo(const std::string& caption, TDAOFactory* dao);
  const std::vector<std::unique_ptr<TNodoImportacao>>& Nodos() const { return nodos_; }
  TNodoImportacao* NodoPorCaption(const std::string& caption) const;
  TNodoImportacao* NodoDe(const TDAOFactory* dao) const;
  TDAOFactory* PesquisaDAONodo(const std::string& caption) const;
  // The data set of the selected node; nullptr before any node was selected.
  TDAOFactory* DAOAtual() const { return atual_; }
  const std::vector<TDAOFactory*>& Aggregates(const TDAOFactory* dao) const;
  // Attaches an aggregate to the node of dao. An aggregate of the same class already there stays and
  // the new one is freed (its rows would otherwise be lost); answers the one in place.
  TDAOFactory* AddAggregateDAO(TDAOFactory* dao, TDAOFactory* aggregate, int index);

  // The user picks a tree node by its caption.
  void SelecionaNodo(const std::string& caption);
  std::string NodoSelecionado() const;
  void HabilitarGridItens(bool on);
  bool GridItensHabilitado() const { return gridItensHabilitado_; }

  TUtilImportacao_Padrao_Treeview* UtilImportacao() const { return util_; }

  // Hooks of the reviews.
  void SetListaDAO() override;
  virtual void CreateUtilImportacao() {}
  virtual TDAOFactory* setDaoFactory() { return nullptr; }
  virtual TDAOFactory* setDaoFactoryItens() { return nullptr; }
  virtual void AtualizaDados(bool hugeFile = false);
  virtual void SetFieldsContainerGrid(TComponent* owner) {}
  virtual void MontaFilterVinculados(std::string& filter) {}
  virtual void DeleteVinculados(const std::string& filter) {}
  virtual std::vector<TClientDataSet*> GetArrayOfCDS();
  virtual int GetTipoImportacao() { return 0; }
  // The import button: runs the engine's import.
  virtual void spImportacaoClick(TComponent* sender);
  // Before the review's data are cleared (reports, undo of work the review did on them).
  virtual void BeforeClearDao() {}
  // The delete key and button (grGrid's Delete key, spExcluir).
  virtual void Delete() {}
  TSpeedButton* spExcluir = nullptr;
  // The incremental search: the text typed into edPesquisa takes the shown node to its first row
  // whose search column starts with it (case aside). The search column is getCollumnSearch's: by
  // default the grid's selected column; empty, the search does not move.
  TEdit_String_Padrao* edPesquisa = nullptr;
  virtual std::string getCollumnSearch();
  bool PesquisaIncremental(const std::string& texto);
  // How the review settles at the end of its task runs (kind of print); kept for the screens.
  void setBaixaTarefa(bool baixa, int tipoImpressao) {
    FBaixaTarefa = baixa;
    FTipoImpressaoTarefa = tipoImpressao;
  }
  bool BaixaTarefa() const { return FBaixaTarefa; }
  int TipoImpressaoTarefa() const { return FTipoImpressaoTarefa; }
  // Set when the review is done with its data (closing after a refusal, nothing left to show).
  bool FEstado = false;
  // The entry file the review holds, shown by its name: each line an import books is recorded as a
  // booked source under its own identity (the line's BDFONTE). Registra is off when the lines came
  // from elsewhere.
  struct TArquivoFonte {
    std::string Nome;
    bool Registra = false;
    // The settlement entries that booked each settled line, by the line's key (the review's settlement
    // engine): a settled line is recorded in those parts, so that deleting one frees what it booked.
    std::function<std::map<int64_t, std::vector<TParteFonte>>()> Baixas;
  } ArquivoFonte;

  // Deletes rows of a node data set (the given bookmarks), with their cost-centre and long-complement
  // rows; the screen's link hooks collect and drop the links of those rows.
  void ExcluiLinhas(TDAOFactory* dao, const std::vector<TBookmark>& linhas);
  // The data set whose rows ExcluiLinhas is deleting (for the link hooks; the shown node's may differ).
  TDAOFactory* DAOExcluindo() const { return excluindo_; }

  // Large-file mode (staged reviews): the node data sets read their session's rows from work tables.
  // The switches of the staged screens; only the large-file flag changes the run here.
  void SetTipoGrid(int tipo) { tipoGrid_ = tipo; }
  int TipoGrid() const { return tipoGrid_; }
  void SetRetirarFiltroExitGrid(bool on) { retirarFiltroExitGrid_ = on; }
  bool RetirarFiltroExitGrid() const { return retirarFiltroExitGrid_; }
  void SetConsultaSoletrada(bool on) { consultaSoletrada_ = on; }
  bool ConsultaSoletrada() const { return consultaSoletrada_; }
  void SetUsarOrderByHugeFile(bool on) { usarOrderByHugeFile_ = on; }
  bool UsarOrderByHugeFile() const { return usarOrderByHugeFile_; }
  void SetTipoImportacao(int tipo) { tipoImportacao_ = tipo; }
  bool ArquivoGrande() const { return usarOrderByHugeFile_; }
  // The large-file control: settles the pending edit of the grid's rows so that what the work
  // tables hold is what the user sees before an action reads them.
  TSpeedButton* spArquivoGrande = nullptr;
  virtual void spArquivoGrandeClick(TComponent* sender);
  // Reloads the node data sets (and their details) of the staged session from the work tables.
  virtual void AtualizaDadosHugeFile();
  // Reloads the details of the staged nodes from their work tables and shows the node again
  // (AtualizaDados(false): the lines were not read again): what a click that changes the detail grid
  // shows anew. The nodes' own rows are not read again; the review writes every change of theirs to the
  // work table and to the row in memory alike.
  void AtualizaDetalhesHugeFile();
  // Reloads the details of the staged nodes from their work tables, and nothing else.
  void RecarregaDetalhesHugeFile();
  void RefreshGridAux() {}

  // The detail bar: buttons that choose which aggregate of the node the detail grid shows.
  TSpeedButton* spAcaoItem = nullptr;   // the detail grid's item action
  // The detail grid's delete-item button: deletes the detail row the grid is on.
  TSpeedButton* spExcluirItem = nullptr;
  virtual void spExcluirItemClick(TComponent* sender);
  void AddClickBotao(TSpeedButton* botao);
  const std::vector<TSpeedButton*>& BotoesItens() const { return botoesItens_; }
  int SelectedDetailIndex() const { return detalhe_; }
  void SetSelectedDetailIndex(int i) { detalhe_ = i; }
  virtual void AfterAddButtons() {}
  virtual void AfterSetFieldsContainerItem() {}
  virtual void ClickBotaoItem(TComponent* sender) {}
  virtual void OnClickButtonGridDetalhe(TComponent* sender) {}

 protected:
  void FormCreate() override;
  void SetUtilImportacao(TUtilImportacao_Padrao_Treeview* util) { util_ = util; }
  void SetDAOAtual(TDAOFactory* dao) { atual_ = dao; }

 private:
  std::vector<std::unique_ptr<TNodoImportacao>> nodos_;
  TDAOFactory* atual_ = nullptr;
  TUtilImportacao_Padrao_Treeview* util_ = nullptr;
  bool gridItensHabilitado_ = true;
  bool FBaixaTarefa = false;
  int FTipoImpressaoTarefa = 0;
  int tipoGrid_ = 0;
  TDAOFactory* excluindo_ = nullptr;
  bool retirarFiltroExitGrid_ = true;
  bool consultaSoletrada_ = false;
  bool usarOrderByHugeFile_ = false;
  int tipoImportacao_ = 0;
  int detalhe_ = 0;
  std::vector<TSpeedButton*> botoesItens_;
};

// The per-line engine base: hooks the import run calls, in this order, while it writes the lines.
class TUtilImportacao_Padrao_Treeview : public TComponent {
 public:
  explicit TUtilImportacao_Padrao_Treeview(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TUtilImportacao_Padrao_Treeview"; }
  bool InheritsFrom(const std::string& class_name) const override;

  void SetCodEmp(TEdit_Codigo_Search_VYN* edit) { FCodEmpBase = edit; }
  TEdit_Codigo_Search_VYN* CodEmp() const { return FCodEmpBase; }
  void SetInconsistencias_VYN(TInconsistencias_VYN* list) { FInconsistencias = list; }
  TInconsistencias_VYN* Inconsistencias() const { return FInconsistencias; }
  TfrImportacao_Padrao_Itens_TreeView_VYN* Tela() const;
  std::vector<TNodoImportacao*> Nodos() const;
  const std::vector<TResumoImportacao>& Resumo() const { return resumo_; }

  // Numbers the rows of ds that match filtro (all when empty) consecutively from primeira in field
  // campo, recording each old key in the node's map.
  void SetChaveServidor(TDAOFactory* ds, const std::string& campo, int primeira, bool registra, int, int, void*,
                        const std::string& filtro);

  // The hooks, in the order of the run. The default key reservation serves the staged nodes: one
  // block per company of the consistent lines, recorded in the node's key map (the work table keeps
  // its provisional keys; the entries are written under the reserved ones).
  // First step inside the run's transaction, before the lines are checked: what it writes (the
  // settlements of linked lines) is undone with the run.
  virtual void GetAntesValidacao() {}
  virtual void GetAposInconsistencia() {}
  virtual void GetChaveServidor();
  virtual void GetAposChaveServidor() {}
  virtual void GetAntesFinalizarProcesso() {}
  virtual void ConfirmarNotasTarvo();
  virtual void confirmaNotasIntegracaoArquivosClientes() {}
  virtual void MostraMensagemFimImportacao(const std::string& texto);
  // The end message's count of lines not imported: by default those the run refused and those the
  // reader refused. A review whose own filters keep lines out of the run counts what it kept.
  virtual size_t ContaNaoImportados(size_t recusadasNaExecucao) const {
    return recusadasNaExecucao + static_cast<size_t>(FRecusadasNaLeitura);
  }
  // The end message's count of lines imported: by default the rows written and the lines settled. A
  // review whose lines are written as several rows counts its lines.
  virtual long long ContaImportados(int gravadasELiquidadas) const { return gravadasELiquidadas; }
  virtual void ClearListaDAO() {}
  // Per row of a node while writing: a row refused here is not written and stays in the review.
  virtual bool DeveImportarRegistroAtual(TDAOFactory& ds) { return true; }
  // Writes a node that holds no lines (inside the run's transaction); answers the rows written. The
  // participants an entry file declares are registered here, those already registered left as they are.
  virtual int GravaNodoAdicional(TNodoImportacao& nodo);
  // Last step inside the run's transaction, every row written (Importadas and Liquidadas known):
  // what it writes goes or stays with the entries.
  virtual void GetAposGravacao() {}
  // After the run committed, while the written rows are still in the review.
  virtual void ProcessosClassesFilhasAposImportacao() {}
  // (company, key) of the lines the last committed run wrote, and of those it left out as settled.
  const TChavesLancamentos& Importadas() const { return importadas_; }
  const TChavesLancamentos& Liquidadas() const { return liquidadas_; }
  // Set by the screen before the run: its split step made no split entries.
  bool FSemMultiLancamentos = true;
  // Cleared by a per-row filter that kept a line out of the run.
  bool FTodosImportados = true;
  // Lines the file's reader refused before they reached the review; the end message counts them
  // among the lines not imported.
  int FRecusadasNaLeitura = 0;
  // Lines of the file equal to entries posted before (company, key of the posted entry): not written
  // again, and confirmed as imported, since their entries are in the ledger.
  std::vector<std::pair<int, int>> FJaLancados;

  // Appends one text to the run's additional log: what the run did besides its entries (rules
  // created, options), kept in the action log for the screen and company when the run ends, not shown
  // as a problem.
  void AdicionaLogAdicional(const std::string& texto) { logAdicional_.push_back(texto); }
  const std::vector<std::string>& LogAdicional() const { return logAdicional_; }

  // The run: validates the lines, reserves keys, writes every consistent line with its cost centres
  // and long complement in one transaction (all or nothing), and removes the written lines from the
  // review. False when nothing was written.
  bool Importa();
  // The books' gate of the run under way, in its transaction (nullptr outside a run): the hooks record
  // through it the sources the run books. A line the gate's rules refuse is inconsistent, named with
  // the rule, and not written.
  TLivros* Livros() const { return livros_.get(); }

 private:
  // Checks a node's lines (a paged node's a page at a time); limpaProblemas: a staged node's recorded
  // problems are cleared first.
  void ValidaNodo(TNodoImportacao& nodo);
  void Valida(TNodoImportacao& nodo, bool limpaProblemas, const std::map<std::pair<int, int>, TRateioCentroCusto>& rateios);
  // Reserves the keys of the consistent lines the node's data set holds now, one block per company.
  void ReservaChaves(TNodoImportacao& nodo);
  void AvancaProgresso();
  int Grava(TNodoImportacao& nodo, std::vector<TBookmark>& gravadas, std::vector<TBookmark>& liquidadas);
  int GravaArquivoGrande(TNodoImportacao& nodo);
  // A paged node: each page's keys reserved and its lines written, then the companions cleared once;
  // lidas answers how many lines the pages held. The node holds no rows until it is reloaded.
  int GravaEmPaginas(TNodoImportacao& nodo, int& lidas);
  void ApagaCompanheirasGravadas(TDAOFactory& ds);
  void GravaLogAdicional();
  // Tells how a run ended badly: nothing written (a failure) or written with a later fault.
  void RelataFimImportacao(const std::string& msg, bool nadaGravado);
  // The run's steps. Per node, the rows written and those left out as settled: they leave the review
  // once the run committed.
  using TRemovidas = std::map<TNodoImportacao*, std::pair<std::vector<TBookmark>, std::vector<TBookmark>>>;
  // Inside the run's transaction: checks the lines, reserves their keys and writes every node (aoGravar
  // when the writing begins); answers the lines written.
  // One try of the run; nothing when it met a source another run was booking (another window or
  // workstation) and refaz allows another try.
  std::optional<bool> ImportaUmaVez(bool refaz);
  int Escreve(const std::vector<TNodoImportacao*>& lancamentos, TRemovidas& removidas,
              const std::function<void()>& aoGravar);
  // After the commit: the written and settled lines leave the review, and the summary counts what stays.
  void RetiraGravadas(const std::vector<TNodoImportacao*>& lancamentos, TRemovidas& removidas);
  // What follows the entries (the period's transactions, status rows, clean-up, the end message).
  void Conclui(int total);

  TEdit_Codigo_Search_VYN* FCodEmpBase = nullptr;
  TInconsistencias_VYN* FInconsistencias = nullptr;
  // The feeder screen up the owner chain that reports its file as imported, if any.
  // The current line of ds as a source of the entry file (booked whole by chaveLancamento; 0: settled);
  // nothing when the lines are not a file's or the line has no identity.
  static std::optional<TFonteLancada> FonteDaLinha(TDAOFactory& ds,
                                                   const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo,
                                                   int empresa, int chaveLancamento);
  // The current settled line as a source of the entry file: in parts, one per settlement entry.
  std::optional<TFonteLancada> FonteLiquidada(TDAOFactory& ds,
                                              const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo,
                                              int empresa, int chave);
  // The current line settled for less than its value (warned, still linked): its settlements' parts not
  // recorded yet, as a source appended to fontes; what is left of it stays unbooked in the review.
  void AnotaLiquidadaEmParte(TDAOFactory& ds, const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo,
                             int empresa, int chave, std::vector<TFonteLancada>& fontes);
  void LeBaixas(const std::vector<TNodoImportacao*>& lancamentos);
  // Inside the run's write, before keys are reserved: every consistent line of the node's data set
  // (a paged node's page) the user has not ticked is weighed again against the books as they stand,
  // what another window booked meanwhile included; a probable duplicate found is marked and named, a
  // mark that no longer holds is cleared.
  void ConfereDuplicatas(TNodoImportacao& nodo);
  // The entry file of the run under way, when the review holds one.
  const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* ArquivoFonte() const;
  TfrStatusProcesso* progresso_ = nullptr;   // the run's progress window while it runs
  std::vector<TResumoImportacao> resumo_;
  TChavesLancamentos importadas_;   // (company, key) written by the last run
  TChavesLancamentos recusadas_;    // (company, key) left inconsistent by the last run
  TChavesLancamentos liquidadas_;   // (company, key) settled, left out by the last run
  // The run's settlement entries of its settled lines (ArquivoFonte's Baixas), read once the settlements
  // are posted: by the lines' keys, and by their identities in the file for a review in memory.
  std::map<int64_t, std::vector<TParteFonte>> baixasPorChave_;
  std::map<std::string, std::vector<TParteFonte>> baixasPorFonte_;
  std::vector<std::string> logAdicional_;         // the run's additional log, until it is written
  std::string falhaAnterior_;   // the error of the last press, when it wrote nothing
  std::unique_ptr<TLivros> livros_;
};

class TUtilImportacao_Integracao_Treeview : public TUtilImportacao_Padrao_Treeview {
 public:
  using TUtilImportacao_Padrao_Treeview::TUtilImportacao_Padrao_Treeview;
  std::string ClassName() const override { return "TUtilImportacao_Integracao_Treeview"; }
  bool InheritsFrom(const std::string& class_name) const override;
};

// The long-complement manager among a node's aggregates: the review recognises it by its class name,
// "TVZEL_EMPRESAS_TLAN_COMPLMGR" (its class lives above this layer).
bool IsComplementoLongo(const TComponent* aggregate);

// A feeder screen that reports its file as integrated once the review it opened imported it (the Dyq
// entry-import screen); the review's engine finds it up its owner chain.
class IMarcaImportado {
 public:
  virtual ~IMarcaImportado() = default;
  virtual void MarcarComoImportado() = 0;
};

// Status rows of a scheduled import's entries (VSH_EMP_TCONF_TLAN) under the run's schedule key, in
// one transaction (the caller's when one is open). A line the reader refused has no key (null).
enum TStatusLancamentoTarvo { sltInconsistente = 1, sltImportado = 2 };
struct TLancamentoConferido {
  int Empresa = 0;
  Variant Chave;
  TStatusLancamentoTarvo Status = sltImportado;
};
void GravaConferenciaLancamentos(TDatabase& db, const std::vector<TLancamentoConferido>& linhas);
// The same writing a row at a time, for a run whose lines need not be listed in memory first: the rows
// go in the order given, in the one transaction, committed by Conclui (rolled back when it is never
// called).
class TGravacaoConferencia {
 public:
  explicit TGravacaoConferencia(TDatabase& db);
  TGravacaoConferencia(const TGravacaoConferencia&) = delete;
  TGravacaoConferencia& operator=(const TGravacaoConferencia&) = delete;
  void Grava(int empresa, const Variant& chave, TStatusLancamentoTarvo status);
  // The rows of the keys inicio..fim of a company, in their order, by one statement.
  void GravaTrecho(int empresa, int inicio, int fim, TStatusLancamentoTarvo status);
  void Conclui() { tx_.Commit(); }

 private:
  TTransaction tx_;
  TStatement& insere_;
  TStatement& trecho_;
};

// "Importação finalizada: ..." of one import or of a run's imports together.
std::string MensagemFimImportacao(const TContagemImportacao& contagem);

// Node captions of the entry reviews.
inline constexpr const char* kNodoLancamentos = "Lançamentos";
inline constexpr const char* kNodoParticipantes = "Participantes";

}  // namespace vyn
