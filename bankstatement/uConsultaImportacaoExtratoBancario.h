#pragma once
// The statement review "Consulta importação extrato bancário" (or "... movimento de caixa"): the lines
// of one bank statement or cash movement, completed by preparation rules, split into multiple
// entries, linked to settlements, imported as ledger entries and reported back to Dyq.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/core/currency.h"
#include "framework/data/client_dataset.h"
#include "framework/livros/livros.h"
#include "bankstatement/uImportacaoCompPagto.h"
#include "bankstatement/uItensIntegradosDYQ.h"
#include "framework/ui/duplicatas_revisao.h"
#include "framework/ui/importacao_treeview.h"

namespace vyn {
class TConsultaGrupoDAO;
class TContasPlanosMGR;
class TEdit_Codigo_Search_VYN;
class TVZEL_EMPRESAS_TLAN_Y570MGR;
class TLancamentoMGR;
class TMenuItem;
class TRetornaMetodoDYQ;
class TSQLMGR;
class TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR;
class TConsultaGrupoDAO;
class TFieldsContainer;
struct TFieldsContainerItem;
struct TDadosLancamento;
}  // namespace vyn

namespace integracao {

class TProcessoBaixas;
class TUtilImportacao_ExtratoBancario_Treeview;
class TY570ConsultaExtratoBancario;

inline constexpr const char* kNodoPreparacoes = "Preparações";

class TfrConsultaImportacaoExtratoBancario : public vyn::TfrImportacao_Padrao_Itens_TreeView_VYN,
                                             public IRevisaoExtratoComprovantes {
 public:
  explicit TfrConsultaImportacaoExtratoBancario(vyn::TComponent* owner = nullptr);
  ~TfrConsultaImportacaoExtratoBancario() override;
  std::string ClassName() const override { return "TfrConsultaImportacaoExtratoBancario"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Toolbar, menus and the split-row grid.
  vyn::TSpeedButton *spEditar, *spPreparaExtrato, *spRateioCredito, *spImportarModelo, *spCurrencyLink, *spDelLink,
      *spAutoLink, *spRemoveAutoLink, *spConciliacaoAut, *spY570, *spOnline, *spRecusaExtrato, *spCurrencyLinkMulti,
      *spDelLinkMulti, *spAutoLinkVerde;
  vyn::TControl* splitdyq;
  vyn::TPanel* pnMultiLanc;
  vyn::TMenuItem *pmImporta, *miImportarTodos, *miImportarPreparados;
  vyn::TMenuItem *pmTipoBaixa, *pmTipoBaixaMulti, *pmConciliacao;
  vyn::TMenuItem *miImpostos, *miParcelamento, *miCalculo, *miImpostosMulti, *miParcelamentoMulti, *miCalculoMulti;
  vyn::TMenuItem *miDocumento, *miConsiderarZeros, *miDistinguirValores;
  vyn::TDBGrid_Padrao_VYN* grLancamentoManual;
  vyn::TDataSource* dsLancamentoManual;
  // The installments linked to the current line (pnNF) and the panel of its descriptions.
  vyn::TPanel* pnNF;
  vyn::TDBGrid_Padrao_VYN* grGridNF;
  vyn::TDataSource* dsGridNF;
  vyn::TFieldsContainer* FieldsContainerEF;
  vyn::TPanel* pnContaContabil;
  vyn::TLabel *lbDebito, *lbCredito, *lbParticipanteDebito, *lbParticipanteCredito, *lbHistorico,
      *lbEmpreendimentoDebito, *lbEmpreendimentoCredito, *lbUnidadeDebito, *lbUnidadeCredito;
  // The line grid's selected rows (none: the current row) and its focus.
  std::vector<vyn::TBookmark> LinhasSelecionadas;
  // The lines the user selected: those handed above, else the grid's selection.
  std::vector<vyn::TBookmark> Selecionadas() const;
  bool GridLinhasComFoco = true;

  // The opener's company edit.
  vyn::TEdit_Codigo_Search_VYN* FCodEmp = nullptr;

  // Framework hooks.
  void CreateUtilImportacao() override;
  void SetListaObj(const vyn::TListaObj& lista) override;
  void SetListaDAO() override;
  void AfterListaObj() override;
  // The toolbar's images, once its buttons are built.
  void AfterAddButtons() override;
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
  // CriaPreparacoes's steps.
  void AdicionaPreparacao(vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR& regras, vyn::TClientDataSet& marcadas, int c,
                          int chave, int banco, vyn::TSQLMGR& hist);
  void GravaPreparacoes(vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR& regras, vyn::TClientDataSet& marcadas, int chave);
  void RegistraLogPreparacoes(const std::string& pergunta1, const std::string& resposta1, const std::string& pergunta2,
                              const std::string& resposta2);
  void RemovePreparacoes(int tipo, int chaveLinha);
  // After a committed run: Dyq hears which of its rules were stored, and the node shows the company's
  // stored rules again, now with the run's.
  void PreparacoesGravadas();
  void spRateioCreditoClick(vyn::TComponent* sender) override;
  void SetMultiplosLancamentos();
  void DeleteMultiplosLancamentos();
  // After a committed run: the split entries are entries now, there is nothing to undo.
  void ConfirmaMultiplosLancamentos(const std::set<std::pair<int, int>>& gravadas,
                                    const std::map<std::string, int>& chavesNovas);
  // The lines emptied by their split entries, all of them written or settled by the run, leave the
  // review (after their report to Dyq).
  void RemovePaisIntegrados();
  // The lines emptied by their split entries whose split entries the run all wrote (the line's Dyq
  // item is then booked).
  std::vector<std::pair<int, int>> PaisIntegradosPorDivisoes(const std::set<std::pair<int, int>>& gravadas);
  // Whether the line is one emptied by its split entries of an earlier run, some of which are still
  // in the review: it is no line to book of its own, they carry it.
  bool PaiComDivisoesPendentes(vyn::TBookmark linha) const;
  // The statement line each split row of the review stands for (both as bookmarks of the lines).
  std::map<vyn::TBookmark, vyn::TBookmark> LinhaDasDivisoes() const;
  // How many statement lines the rows (company, key) are: split rows of one line count once.
  size_t ContaLinhasDoExtrato(const std::set<std::pair<int, int>>& linhas) const;

  // Dyq (uConsultaImportacaoExtratoBancario_Dyq.cpp).
  void spRecusaExtratoClick(vyn::TComponent* sender);
  // Sends the reports not sent yet: returned and refused lines, and (after a committed run) the
  // lines that run wrote or settled as integrated.
  void EnviaRetornosDYQ(bool aposImportacao);
  // Sends a document of a kind to Dyq; false with the error's text when Dyq did not take it.
  using TEnviaDYQ = std::function<bool(int tipo, const nlohmann::ordered_json& doc, std::string& erro)>;
  void InformaIntegrados(const TEnviaDYQ& envia, const std::function<void(const std::string&)>& falhou);
  static void DeleteDir(const std::string& pasta);
  bool TemDadosDYQ() const;

  // Links (uConsultaImportacaoExtratoBancario_Vinculos.cpp).
  void miDuplicatasClick(vyn::TComponent* sender);
  void pmTipoBaixaPopup(vyn::TComponent* sender);
  // Whether the current line is money going out (the bank credited): only that pays a guide.
  bool LinhaDePagamento();
  void spAutoLinkClick(vyn::TComponent* sender);
  void spDelLinkClick(vyn::TComponent* sender);
  void spDelLinkMultiClick(vyn::TComponent* sender);
  void spRemoveAutoLinkClick(vyn::TComponent* sender);
  bool CanEnableLinkButton(bool link);
  // Whether the current line may take a link now: the link button's rule, and in a Dyq review no
  // return or refusal marked on it.
  bool PodeVincularLinha();
  bool CanEnableLinkMultiButton(bool) { return true; }
  // A settlement warning (mark 4) belongs to the link or account that caused it: the user's correction
  // (a removed link, a new account) lets the row be imported again.
  static void LimpaAvisoBaixa(vyn::TClientDataSet& ds);
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
  // Folder of this review's Dyq payment receipts (its own: closing it deletes no other's).
  std::string PastaComprovantes() const override;
  bool AmbienteTesteDYQ() const override { return FAmbienteTeste; }

  // Y570 reminders of financial-application credits, and the fiscal installment linked to the current
  // line (filled by the line grids).
  TY570ConsultaExtratoBancario* Y570() const { return FY570; }
  // Drops the Y570 data of lines no longer credited to a financial application, and tells the user
  // (in a dialog at once, or in the run's list).
  void DescartaY570ForaDeAplicacao(bool naLista);
  vyn::TVZEL_EMPRESAS_TLAN_Y570MGR* Y570DAO() const { return FY570DAO; }
  vyn::TConsultaGrupoDAO* ConsultaParcelamentoDAO() const { return FConsultaParcelamentoDAO; }
  void spY570Click(vyn::TComponent* sender);

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
  bool DivisoesGravadas(const std::vector<vyn::TBookmark>& novas, const std::set<std::pair<int, int>>& gravadas);
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
  // The "Preparações" node: the company's stored rules and those the opener handed.
  void MontaPreparacoes(const vyn::TListaObj& lista, int empresa);
  vyn::TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* FPreparacoesNodo = nullptr;
  vyn::TLancamentoMGR* FLinhas = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FEditConta = nullptr;
  vyn::TClientDataSet* FVinculosSalvos = nullptr;
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
  // Dyq items whose return or refusal was reported, with the status reported (a changed status is
  // reported again), and items reported integrated.
  std::map<int64_t, int64_t> FRetornosEnviados;
  std::set<int64_t> FIntegradosInformados;
  // Items integrated but not yet taken by Dyq (their report failed, here or in an earlier review),
  // and their (company, id).
  nlohmann::ordered_json FIntegradosPendentes = nlohmann::ordered_json::array();
  std::vector<std::pair<int, int64_t>> FIdsPendentes;
  // Returns and refusals kept in the database because Dyq did not take them (ids of this company and
  // kind), and those whose line this review does not hold.
  std::set<int64_t> FRetornosGuardados;
  // The keys of the lines MontaFilterVinculados named since the last DeleteVinculados.
  std::set<int64_t> FChavesExcluidas;
  std::vector<TItensIntegradosDYQ::TRetorno> FRetornosForaDaRevisao;
  // Lines of items booked before (by an earlier review of the statement) leave the review before it
  // shows; the reports Dyq did not take then go with the next ones.
  void RemoveItensJaIntegrados();
  bool FRecusado = false;                 // the statement was refused: nothing more goes to Dyq
  std::vector<vyn::TBookmark> FPaisIntegrados;   // zeroed lines wholly booked through their split entries
  // Zeroed lines a committed run did not wholly book, with their split lines it left in the review: the
  // line is integrated when a later run books the last of them (one the user deleted never is).
  std::map<vyn::TBookmark, std::vector<vyn::TBookmark>> FPaisPendentes;
  // What the settlements of the session booked of each split line linked (what the committed runs
  // booked, and what the run under way books): removing its link leaves it at the rest.
  std::map<vyn::TBookmark, vyn::Currency> FLiquidadoDivisao, FLiquidadoDivisaoNovo;
  // The split lines of lines written by the run (gravadas) that it left in the review.
  void SoltaDivisoes(const std::set<std::pair<int, int>>& gravadas);
  // The split lines of a zeroed line of an earlier run that the run (gravadas) did not book.
  void ConfirmaPaisPendentes(const std::set<std::pair<int, int>>& gravadas);
  void CompletaDivisoesVinculadas(const std::set<std::pair<int, int>>& gravadas);
  std::vector<vyn::TBookmark> DivisoesPendentes(const std::vector<vyn::TBookmark>& divisoes,
                                                const std::set<std::pair<int, int>>& gravadas);
  std::set<std::pair<int, int>> FIntegradas;   // (company, key) written or settled by the last committed run

  // ---- The statement's lines as sources, each with one account (uConsultaImportacaoExtratoBancario_Fontes.cpp) ----
 public:
  // What the statement brought of a line, taken when the lines arrive, before anyone edits them: its
  // identity as its origin names it (a Dyq item by its id; a line without one by its statement and
  // its place in it) and the movement it is (its day, value, document and the bank's side).
  struct TOrigemLinha {
    std::string Chave;
    vyn::Currency Valor;
    vyn::TDateTime Data;
    int Debito = 0;
    int Credito = 0;
    std::string Documento;
    std::string Descricao;
    int64_t Lote = 0;   // the Dyq statement it came in
  };
  const TOrigemLinha* OrigemDe(vyn::TBookmark linha) const;
  // The kind of source the review's lines are (a bank statement's or a cash movement's).
  vyn::TTipoFonte TipoFonte() const;
  // Before the run posts anything, in its transaction: what the books hold of each line now. A line
  // wholly booked meanwhile (another window, workstation or road), or one asked for more than its
  // rest, is named in the run's list and left out; the others go on.
  void ConfereFontes(vyn::TLivros& livros);
  // Whether the run leaves the line out: refused by its account (with its split rows), or a probable
  // duplicate the user did not tick.
  bool ForaPelaConta(vyn::TDAOFactory& ds);
  // Inside the run's transaction, every row written: records what the run booked of each line (the
  // line whole by its entry; a split line a part per split row; a settled line a part per settlement
  // entry) and answers the lines (company, key) whose whole value is booked now.
  std::set<std::pair<int, int>> RegistraFontes(vyn::TLivros& livros, const std::set<std::pair<int, int>>& gravadas);
  // The run committed: the lines it left with a rest keep it (removing their link gives back the rest,
  // never the whole value).
  void ConfirmaFontes();
  // Whether the books hold anything of the line (it is then never returned nor refused to Dyq).
  bool TemLancamentoNaConta(vyn::TBookmark linha) const;
  // Whether the line is the rest of a split line whose bank side stands in the books as an entry of its
  // own: it books only its other side, and weighs as balanced.
  bool LadoBancoJaLancado(vyn::TBookmark linha) const;
  // Whether the line is the bank side of a split line whose own entry was deleted: it books only that side.
  bool SoLadoBanco(vyn::TBookmark linha) const;

 private:
  std::map<vyn::TBookmark, TOrigemLinha> FOrigens;
  // Split lines an earlier run left in the review whose line it wrote (its bank side) and took out of it:
  // each books, later, a part of that line's account. By split line: the line's company and origin.
  std::map<vyn::TBookmark, std::pair<int, TOrigemLinha>> FDivisoesSoltas;
  // The accounts of lines with something booked (read at opening, and after each committed run).
  std::map<vyn::TBookmark, vyn::TFonteRegistrada> FContas;
  // The run under way: the accounts read inside it, and the lines it leaves out by them.
  std::map<vyn::TBookmark, vyn::TFonteRegistrada> FContasDaExecucao;
  std::set<vyn::TBookmark> FRecusadasPelaConta;
  std::set<vyn::TBookmark> FLadoBancoLancado;
  std::set<vyn::TBookmark> FSoLadoBanco;
  // Whether the line (its current row l) names again the side of it that the books hold (a rule or the
  // user gave it back): booked, that side would be in the books twice.
  bool RepeteLadoLancado(vyn::TBookmark linha, const vyn::TClientDataSet& l) const;
  // What is left of the line for the side (or sides) it books.
  vyn::Currency RestoDaLinha(vyn::TBookmark linha, const vyn::TFonteRegistrada& conta) const;
  // The part a written split row (the current row of linha) is of its line, with the bank side it booked.
  vyn::TParteFonte ParteDivisao(const vyn::TClientDataSet& linha) const;
  // The part a line's entry is of an account an earlier run opened: the sides it books.
  vyn::TParteFonte ParteResto(vyn::TBookmark linha, int chave, vyn::Currency valor) const;
  std::map<vyn::TBookmark, vyn::TFonteRegistrada> FContasNovas;   // left with a rest by the run under way
  void IdentificaFontes();
  // At opening: lines wholly booked leave the review, lines with a rest come back at their rest, and
  // lines equal to a movement booked under another identity are marked as probable duplicates.
  void LeContasNaAbertura();
  std::map<vyn::TBookmark, vyn::TFonteRegistrada> LeContas(vyn::TLivros& livros);
  // Of lines the books hold under their key, those whose origin now says another day, value or side
  // than what was booked, each with how it changed in the user's words.
  std::map<vyn::TBookmark, std::string> MovimentosAlterados(const std::vector<vyn::TBookmark>& linhas);
  // The line comes back at what its account leaves to book.
  void DeixaResto(vyn::TBookmark linha, const vyn::TFonteRegistrada& conta);
  // Marks the lines (with their sources) that a movement booked under another identity matches, each
  // told with what follows for it (aviso; empty: not told here). The first jaMarcadas lines only claim
  // the entries they were marked against before.
  void MarcaDuplicatas(vyn::TLivros& livros, const std::vector<std::pair<vyn::TBookmark, vyn::TFonteLancada>>& linhas,
                       const std::string& aviso, size_t jaMarcadas = 0);
  // The lines the run would book as new movements (no account, no mark, not reconciled with a posted
  // entry): the gate weighs them again inside the run's write. The marked ones go to marcadas.
  std::vector<std::pair<vyn::TBookmark, vyn::TFonteLancada>> LinhasSemDecisao(
      std::vector<std::pair<vyn::TBookmark, vyn::TFonteLancada>>& marcadas);
  vyn::TFonteLancada FonteDaLinha(int empresa, const TOrigemLinha& o) const;
  // What the run booked of the lines, by line: their parts (keyed by part name).
  std::map<vyn::TBookmark, std::vector<vyn::TParteFonte>> PartesDaExecucao();
  // What the run under way booked of one line, as the record takes it, and the line's account before.
  struct TFonteDaExecucao {
    vyn::TBookmark Linha;
    std::pair<int, int> Chave;
    vyn::TFonteLancada Fonte;
    std::optional<vyn::TFonteRegistrada> Antes;
  };
  std::vector<TFonteDaExecucao> FontesDaExecucao(const std::set<std::pair<int, int>>& gravadas);
  void PartesDasBaixas(std::map<vyn::TBookmark, std::vector<vyn::TParteFonte>>& partes);
  // Adds to x the parts its account does not hold yet, in the order the account takes them.
  static void JuntaPartesNovas(TFonteDaExecucao& x, const std::vector<vyn::TParteFonte>& partes);
  // What the run booked of the split lines left alone (their settlements, their own entries), as parts of
  // their lines' accounts.
  void FontesDasDivisoesSoltas(const std::map<vyn::TBookmark, std::vector<vyn::TParteFonte>>& partes,
                               const std::set<std::pair<int, int>>& escritas, std::vector<TFonteDaExecucao>& r);

 private:
  TY570ConsultaExtratoBancario* FY570 = nullptr;
  vyn::TVZEL_EMPRESAS_TLAN_Y570MGR* FY570DAO = nullptr;
  int64_t PlanoContasEmpresa() const;
  void AtualizaY570();

  // ---- Editing statement lines (uConsultaImportacaoExtratoBancario_Edicao.cpp) ----
 public:
  // The lines grid's fields container (a cell edit of the current line: before-edit, the editor
  // takes the typed text, a code editor must find its code, the value is stored, after-edit) and
  // the rules grid's; the shown node's container is bound to grGrid.
  vyn::TFieldsContainer* fieldsContainerExtrato = nullptr;
  vyn::TFieldsContainer* fcPreparacoes = nullptr;
  void fieldsContainerExtratoBeforeEditField(const std::string& campo, vyn::TControl* editor, bool& accept);
  void fieldsContainerExtratoAfterEditField(const std::string& campo, vyn::TControl* editor);
  // What a typed line cell must be besides what its editor checks: a date, an amount of at most 9
  // integer digits and 2 decimals, never negative.
  bool ValidaCelula(const vyn::TFieldsContainerItem& item, vyn::TControl* editor, const std::string& texto);
  // The rules grid's container (the "Preparações" node): only the counter-account of a rule made
  // here from a line is edited; a changed one is offered to the other rules that had the old one.
  void fcPreparacoesBeforeEditField(const std::string& campo, vyn::TControl* editor, bool& accept);
  void fcPreparacoesAfterEditField(const std::string& campo, vyn::TControl* editor);
  // Opens the company's rule register of the review's kind; the review does not wait for it.
  void spPreparaExtratoClick(vyn::TComponent* sender);
  // Builds the two containers' items and wires their events (with the screen).
  void CriaFieldsContainers();
  // Propagations to the other lines (and rules) that held the old value; each asks first and
  // changes every such line or, on a failure, none.
  void GravaContas(const std::string& campo, const std::string& campoParticipante, int antigo,
                   const vyn::Variant& novo);
  void GravaHistorico(int antigo, const vyn::Variant& novo);
  void GravaComplemento(const std::string& antigo, const std::string& novo, const std::string& campo);
  void GravarContasPrep(int antigo, int novo);
  bool ExisteMesmaContas(const std::string& campo, int valor);
  bool ExisteMesmoHistorico(const vyn::Variant& valor);
  // One column of an account of the chart (typed empty value when there is no such account).
  vyn::Variant GetCampoContaPlano(const vyn::Variant& plano, const vyn::Variant& conta, const std::string& campo);
  int getCodPlano();
  void setCodPlano(int valor) { FCodPlano = valor; }
  void spEditarClick(vyn::TComponent* sender);
  // The account cell's value when its edit began (the rules grid sets it for the counter-account).
  int FContaBefore = 0;

 private:
  int PlanoEmpresa();
  int PlanoHistorico();
  int FDebitoBefore = 0, FCreditoBefore = 0, FCODTPHI = 0, FHistoricoBefore = 0;
  std::string FComplementoBefore, FComplementoBanBefore, FDocumentoBefore, FValorAnterior;
  vyn::Variant FDataBefore, FValorBefore;
  vyn::Variant FStatusWebBefore, FObsWebBefore;   // the Dyq status cell's line before its edit
  int FCodPlano = 0;
  vyn::TContasPlanosMGR* FDAOContasPlanos = nullptr;   // owned by the screen
  bool FModalSubstituiAsterisco = true;
  std::shared_ptr<vyn::TDadosLancamento> FDadosLancamentoEditor;

  // ---- Line grids (uConsultaImportacaoExtratoBancario_Grades.cpp) ----
 public:
  enum class TCorFonte { Janela, TextoJanela, Azul, Vermelho, Verde };
  enum class TImagemCelula { Nenhuma, CaixaDesmarcada, CaixaMarcada, Cadeado, Moeda, MoedaAmarela };
  struct TLayoutCelula {
    int LarguraMinima = 0;
    int LarguraMaxima = 0;
    bool Direita = false;
  };
  // What the lines grid does and shows for its current line.
  void grGridCellClick(const std::string& coluna);
  void grGridKeyPress(char& key);
  void grGridKeyUp();
  void grGridMouseUp();
  void grGridMouseDown(bool botaoDireito);
  std::string grGridMostraDado(const std::string& campo, const std::string& texto, TLayoutCelula* layout = nullptr);
  TCorFonte CorFonteLinha(bool selecionada);
  TImagemCelula grGridMostraDadoImagem(const std::string& campo);
  // The installment kind of the installments query; without a group kind, the current row of the
  // plain link rows (the receipt-link rows when comprovante) decides.
  int fRetornaTipoLancamento(int tipo, bool comprovante);
  void AtualizaParcelas();
  // The standard text of a cell of dao's current row: an amount with two decimals, a date as
  // dd/mm/yyyy, anything else as the field reads. The installments grid and the split grid use it.
  static void pMostraDadosPadrao(const vyn::TField& campo, std::string& texto);
  void grGridNFMostraDado(const vyn::TField& campo, std::string& texto);
  // The incremental search's column: the grid's selected column when the shown node's fields
  // container lets the search stop on it (a visible, navigable item); else none.
  std::string getCollumnSearch() override;
  void pMostraDescricao_Contas();
  // The descriptions panel's labels share its width: accounts and participants half, developments
  // and the debit unit a quarter.
  void pCalculaTamanhoLegenda();
  void setControleDEBCRE();
  void AtualizaBotoesLinhas();
  std::string PopupGrid;   // "pmSelecao" or "" (no pop-up menu)
  // The descriptions panel's labels.
  struct TDescricoes {
    std::string Debito, Credito, ParticipanteD, ParticipanteC, Historico, EmpreendimentoD, EmpreendimentoC, UnidadeD,
        UnidadeC;
  } Descricoes;
  // The lookup kind of the debit and credit cells (20 account, 0 none).
  int TipoCodigoDebito = 20, TipoCodigoCredito = 20;

 private:
  // The bank side's mark column of the current line: "BDCONCC", "BDCONCD" or "" (no bank side).
  std::string MarcaLadoBanco(const vyn::TClientDataSet& ds) const;
  // The installments of the links of a line (chaveLanc < 0) or of one of its split rows.
  void CarregaParcelas(int64_t chave, int64_t chaveLanc);
  // The installments data set (made here when the screen was created without a database), shown in
  // grGridNF.
  vyn::TConsultaGrupoDAO& Parcelas();
  void CriaGradeParcelas();
  void CriaPainelDescricoes();
  void CalculaDescricoes();
  void EsvaziaParcelas();
  vyn::TConsultaGrupoDAO* FConsultaParcelamentoDAO = nullptr;

  // ---- Selection and remaining actions (uConsultaImportacaoExtratoBancario_Selecao.cpp) ----
 public:
  vyn::TMenuItem* pmSelecao = CriaItemSelecao("pmSelecao", "");
  vyn::TMenuItem* miSelecinarTodos = CriaItemSelecao("miSelecinarTodos", "» Selecionar todos");
  vyn::TMenuItem* miTirarSelecaoTodos = CriaItemSelecao("miTirarSelecaoTodos", "» Tirar seleção de todos");
  vyn::TMenuItem* miInverterSelecao = CriaItemSelecao("miInverterSelecao", "» Inverter seleção");
  vyn::TMenuItem* miSelecionarTodosAcima = CriaItemSelecao("miSelecionarTodosAcima", "» Selecionar todos acima");
  vyn::TMenuItem* miTirarSelecaoTodosAcima =
      CriaItemSelecao("miTirarSelecaoTodosAcima", "» Tirar seleção de todos acima");
  vyn::TMenuItem* miSelecionarTodosAbaixo = CriaItemSelecao("miSelecionarTodosAbaixo", "» Selecionar todos abaixo");
  vyn::TMenuItem* miTirarSelecaoTodosAbaixo =
      CriaItemSelecao("miTirarSelecaoTodosAbaixo", "» Tirar seleção de todos abaixo");
  void setCheckItem(vyn::TComponent* sender);
  void Inconsistencias_VYNExecuteItem(const std::string& texto);
  void spConciliacaoAutClick(vyn::TComponent* sender);
  void spImportarModeloClick(vyn::TComponent* sender);
  void spOnlineClick(vyn::TComponent* sender);
  // The consultation's SQL of the entries reconciled with the current line, and its parameters.
  std::string SQLLancamentosConciliados(std::vector<vyn::Variant>& params);

 private:
  vyn::TMenuItem* CriaItemSelecao(const char* nome, const char* caption);

  // ---- Multiple entries: split-row grid (uConsultaImportacaoExtratoBancario_Multiplos.cpp) ----
 public:
  void grLancamentoManualCellClick(const std::string& coluna);
  void grLancamentoManualKeyPress(char& key);
  void grLancamentoManualEnter();
  void grLancamentoManualExit();
  // Whether the current split row has cost-centre rows (its row then shows in blue).
  bool MultiLancTemCC();
  void AtualizaParcelasMulti();
  void SetLancExtrato();
  // Copies the split rows' cost-centre rows to the entries the expansion made of them (mapping:
  // "company;line;split row" → new key); answers the rows added.
  // origens: the split rows' cost-centre rows (BDCODEMP, BDCHAVE, BDCHAVELANC, BDORDEM, ...); the
  // copies go to the lines node's cost-centre data set and are remembered with the expansion.
  int CopiaCentrosCustoMulti(const std::map<std::string, int>& mapa, const std::vector<vyn::TClientDataSet*>& origens);
  // The split rows' cost-centre rows of the current split row, one side (0 debit, 1 credit).
  std::vector<vyn::TClientDataSet*> CentrosCustoMulti;
  // The split grid's columns: shown, never typed into (the conciliation toggle is a click); the coin
  // on a linked split row.
  vyn::TFieldsContainer* fcLancamentoManual = nullptr;
  void CriaMenus();
  void CriaGradeMultiplos();
};

}  // namespace integracao
