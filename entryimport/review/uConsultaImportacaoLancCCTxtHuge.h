#pragma once
// The staged entry review "Consulta importação dos lançamentos": for entry files too large for memory.
// The lines live in the work tables of the review's session; every correction is written through to
// them at once. What the two reviews do alike is the in-memory review's code.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"
#include "framework/accounting/baixa_adicional.h"
#include "framework/core/variant.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {
class TDadosAdicionaisImportacaoTXT;
class TGravacaoAoFundo;
class TTimer;
class TContasPlanosMGR;
class TInconsistencias_VYN;
class TLancamentoMGR;
}  // namespace vyn

namespace integracao {

class TUtilImportacao_LancCC_Treeview;

// Image indexes of the marks.
struct TIconsLancamentoIndex {
  int Checked = -1;
  int UnChecked = -1;
  int Pendente = -1;
};

class TfrConsultaImportacaoLancCCTxtHuge : public TfrConsultaImportacaoLancCCTxt {
 public:
  explicit TfrConsultaImportacaoLancCCTxtHuge(vyn::TComponent* owner = nullptr);
  ~TfrConsultaImportacaoLancCCTxtHuge() override;
  std::string ClassName() const override { return "TfrConsultaImportacaoLancCCTxtHuge"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Detail bar, multiple-entry panel and grouped selection.
  vyn::TSpeedButton *spLancamentosCC = nullptr, *spLancamentosObs = nullptr, *spLancamentosInc = nullptr,
                    *spLancamentosPR = nullptr, *spNotaExplicativa = nullptr,
                    *spCurrencyLinkMulti = nullptr, *spDelLinkMulti = nullptr;
  vyn::TPanel* pnGridManual = nullptr;
  vyn::TDBGrid_Padrao_VYN* grLancamentoManual = nullptr;
  vyn::TDataSource* dsLancamentoManual = nullptr;
  vyn::TMenuItem* pmSelecaoBaixa = nullptr;
  vyn::TMenuItem* miTirarSelecaoBaixa = nullptr;

  // Framework hooks (uConsultaImportacaoLancCCTxtHuge.cpp).
  void SetListaObj(const vyn::TListaObj& lista) override;
  void CreateUtilImportacao() override;
  void AtualizaDados(bool hugeFile = false) override;
  void SetFieldsContainerGrid(vyn::TComponent* owner) override;
  std::vector<vyn::TClientDataSet*> GetArrayOfCDS() override;
  void OnActivate();
  void OpenObservation();
  // The installments of fiscal documents linked to the current line (the document panel).
  void AtualizaInfoGridNF() { AtualizaPainelNF(); }
  int fRetornaTipoLancamento(int mistura) const override;
  // The entry grid's images: a side's mark shows pending, checked or unchecked; the grouped selection
  // checked or unchecked; a participant cell of a side without participants is locked.
  std::string grGridMostraDadoImagem(const std::string& campo) override;
  // Blue (0x0000FF) for a line that carries multiple entries (BDTEMLANC 1) while their panel shows;
  // -1 otherwise.
  int grGridCorFonteLinha() const;
  // The detail grid: nothing for an empty detail; the rural-producer detail's codes in words, and a
  // lock on the cells its choices leave out.
  void grGridItensMostraDado(const std::string& campo, std::string& texto, int& largura) override;
  std::string grGridItensMostraDadoImagem(const std::string& campo);

  // Write-through (uConsultaImportacaoLancCCTxtHuge_Gravacao.cpp).
  void DAOSetValue(vyn::TDAOFactory& dao, const std::string& campo, const vyn::Variant& valor, int tipo);
  // Runs the statements in one transaction; the error text (empty on success). Nothing stays
  // written after a failure.
  std::string DAORealizarCommit(const std::vector<std::string>& script);
  // The complement editor's save; True when the screen saved the cell itself.
  bool fcLancamentosHugeSaveAlterSearch(const std::string& campo, const std::string& textoEditor, int tipo);
  void SetComplementoAntes(std::string texto) { FComplemento = std::move(texto); }
  void GravaContas(const std::string& campo, int antigo, const vyn::Variant& novo);
  // The entry grid shows the work table again after a change made there by a statement.
  void RecarregaLancamentos();
  // The entry grid shows a mass change the work table has had (GravaContas' statement for the same
  // field, old code and new value): the lines it changed take the new values in memory, shown by a
  // filter of their own, so the work follows those lines and not the session. The grid stays on its
  // line.
  void MostraMudancaEmMassa(const std::string& campo, int antigo, const vyn::Variant& novo);
  // Whether the account of the company's chart requires a participant.
  bool ContaTemParticipante(const vyn::Variant& conta);
  // One column of an account of the chart, read again at every call (typed empty value when there is
  // no such account).
  vyn::Variant GetCampoContaPlano(const vyn::Variant& plano, const vyn::Variant& conta, const std::string& coluna);

  // Editing rules (uConsultaImportacaoLancCCTxtHuge_Edicao.cpp).
  void fcLancamentosBeforeEditField(const std::string& campo, vyn::TEdit_Codigo_Search_VYN* editor,
                                    std::string* texto, std::vector<std::string>* combo, bool& accept) override;
  void fcLancamentosAfterEditField(const std::string& campo, const std::string& textoEditor) override;
  // Rural-producer and real-estate details (uConsultaImportacaoLancCCTxtHuge_EdicaoDetalhes.cpp): the
  // rules act on the detail's current row.
  void fcLancamentosPRBeforeEditField(const std::string& campo, vyn::TEdit_Codigo_Search_VYN* editor,
                                      std::vector<std::string>* combo, bool& accept);
  void fcLancamentosPRAfterEditField(const std::string& campo);
  void fcLancamentosIncBeforeEditField(const std::string& campo, vyn::TEdit_Codigo_Search_VYN* editor, bool& accept);
  void fcLancamentosIncAfterEditField(const std::string& campo);
  // The detail grid's edits: the rural-producer and real-estate rows by their rules, the cost-centre
  // rows as in memory.
  bool EditaCelulaItens(const std::string& campo, const std::string& texto) override;
  // The current line's explanatory note (detail nota) set to texto in the work table and in memory: added
  // when the line had none, taken away when texto is empty.
  bool EditaNotaExplicativa(vyn::TDAOFactory& nota, const std::string& campo, const std::string& texto);
  vyn::TEdit_Codigo_Search_VYN* EdCodEmpree() const { return FEdCodEmpree; }
  // Whether the account is a rural producer's cash, bank or transit account.
  bool DebitoCreditoPR(int conta);
  // Whether a line of the review carries this code in the field.
  bool ExisteMesmoPart(const std::string& campo, int codigo);

  // Import and multiple entries (uConsultaImportacaoLancCCTxtHuge_Acoes.cpp).
  void spImportacaoClick(vyn::TComponent* sender) override;
  void GetAposInconsistencia() override;
  void PostaBaixas() override;
  // Whether the debits and credits of the lines to import differ (told to the user); an unattended
  // run weighs its session a page at a time.
  bool DiferencaDebitoCredito(vyn::TLancamentoMGR& lanc);
  // The complement goes through its own save: a long one lives in the complement work table.
  bool SalvaCelula(const std::string& campo, const std::string& texto) override;
  void SetMultiplosLancamentos();
  void DeleteMultiplosLancamentos();
  void spAutoLinkClick(vyn::TComponent* sender) override;
  void spRemoveAutoLinkClick(vyn::TComponent* sender) override;
  // Grouped installment settlement.
  void SetLancamentoSelBaixa();
  void miTirarSelecaoBaixaClick(vyn::TComponent* sender);
  // Count and side of the grouped selection, read again from the session's selected lines.
  void DerivaSelecaoBaixa();
  void grGridCellClickHuge(const std::string& campo);
  // A right click on the grouped-selection column drops its menu and starts the selection over.
  void grGridMouseDown(bool direito);
  // Keys of the screen: on the entry grid, space switches a mark or the grouped selection, P marks a
  // side pending.
  void FormKeyPress(char& key);
  // The screen's key preview: every key pressed on it reaches FormKeyPress first.
  void KeyPress(char& key) override { FormKeyPress(key); }
  // The arrow keys Up and Down also move the linked-documents panel to the new line.
  void grGridKeyUp(int key) override;

  // Marks (uConsultaImportacaoLancCCTxtHuge_Marcas.cpp): a side is conciliated or pending, never both.
  void setLancamentoConciliado() override;
  void setLancamentoPendente();
  const std::string& UltimoSel() const { return FUltimoSel; }
  int CountSel() const { return FCountSel; }

  // Detail panels (uConsultaImportacaoLancCCTxtHuge_Detalhes.cpp).
  void AfterAddButtons() override;
  void AfterSetFieldsContainerItem() override;
  void ClickBotaoItem(vyn::TComponent* sender) override;
  void OnClickButtonGridDetalhe(vyn::TComponent* sender) override;
  // A detail row is deleted only while the detail grid's delete-item button is enabled.
  void spExcluirItemClick(vyn::TComponent* sender) override;
  void CarregaBotoes();
  void AjusteBotoesSetFieldsContainer();
  void TrataDownBotoes(vyn::TComponent* sender);
  // The standard text of a column of a data set (the multiple-entry grid's cells start from it).
  void pMostraDadosPadrao(const vyn::TClientDataSet& ds, const std::string& campo, std::string& texto) const;
  void grLancamentoManualMostraDado(const std::string& campo, std::string& texto);
  int grLancamentoManualMostraDadoImagem(const std::string& campo);

  // The file still staging behind the review (uConsultaImportacaoLancCCTxtHuge_AoFundo.cpp): the review
  // opened on the first stretch of its session. Going through the lines it opened on and acting on the
  // line under the cursor (a click, a key, a mouse press) answer at once; every other action waits for
  // the end (AguardaGravacao) and then finds what the reading told (the lines refused, the probable
  // duplicates, the lines booked before) and every line's details; a staging that failed is told and the
  // review imports nothing. tmGravacao hands the end over as soon as it comes.
  vyn::TTimer* tmGravacao = nullptr;
  void AguardaGravacao();
  bool GravacaoEmAndamento() const;
  // Why the staging failed, in the user's words; empty when it did not.
  const std::string& FalhaGravacao() const { return FFalhaGravacao; }

  vyn::TInconsistencias_VYN* InconsistenciaIni() const { return FInconsistenciaIni; }
  vyn::TInconsistencias_VYN* InconsistenciasProprias() const { return FInconsistencias; }
  vyn::TDadosAdicionaisImportacaoTXT* DadosAdicionais() const { return FDadosAdicionais; }
  vyn::TBaixasAdicionaisDoVinculo* BaixasAdicionais() const { return FBaixasAdicionaisDoVinculo.get(); }
  int Sessao() const;
  // The table of the session's staged lines (the shared work table, or the run's attachment's own).
  std::string TabelaSessao() const;
  const TIconsLancamentoIndex& BMPIndex() const { return FBMPIndex; }
  int BMPMoeda() const { return FBMPMoeda; }
  int ImagemBotao(const vyn::TSpeedButton* b) const {
    auto it = FImagemBotao.find(b);
    return it == FImagemBotao.end() ? -1 : it->second;
  }

 protected:
  void EntregaParametrosEngine() override;
  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override { OnActivate(); }
  void FormDestroy() override;
  bool PodeVincular(vyn::TComponent* sender) override;
  void CompletaParametrosBaixa(vyn::TListaObj& lista) override;
  void MarcaDesvinculada(vyn::TDAOFactory& linha) override;

 private:
  // The staging behind the review (uConsultaImportacaoLancCCTxtHuge_AoFundo.cpp): taken from the
  // opener's additional data, the actions made to wait for it, what it told handed over once.
  void RecebeGravacao();
  void SeguraAcoesAteGravacao();
  void EntregaGravacao();
  void InterrompeGravacao();
  TUtilImportacao_LancCC_Treeview* UtilHuge() const;
  vyn::TLancamentoMGR* LancamentosMGR() const;
  // One column of the current row, written through (a null by the screen's own statement).
  // Posts a row whose columns were written through one by one: the post settles it in memory only.
  static void PostaEmMemoria(vyn::TDAOFactory& dao, bool editou);
  void GravaCampo(vyn::TDAOFactory& dao, const std::string& campo, const vyn::Variant& valor, int tipo);
  // After an account edit: the participant type of the side follows the new account, and a side whose
  // account changed loses its participants and the account the file gave.
  void setDadosCampoConta(int lado, int contaAntes);
  // The selected mark column's side: 0 debit, 1 credit, -1 another column.
  int LadoMarcaSelecionada() const;
  // The entry's observations: its second detail.
  vyn::TDAOFactory* Observacoes() const;
  // Runs a script on the observation rows; a failure is raised so that no mark is written behind it.
  void GravaObservacoes(const std::vector<std::string>& script);
  void MontaBaixasAdicionaisDoVinculo(vyn::TClientDataSet& multi, vyn::TDAOFactory& lancamentos, int novaChave,
                                      int chaveOwner);
  // After the settlements, inside the run's write: a source line split into a settled principal and its
  // additional parts is booked by that settlement alone. The source takes its principal's outcome (the
  // import then records it, counts it and takes it out, once) and the principal and parts leave the session.
  void ReuneLinhasDivididas();
  // The run's settlement entries by line, with those of a split line's principal and parts given to
  // the source line they came from.
  std::map<int64_t, std::vector<vyn::TParteFonte>> BaixasDasFontes(
      std::map<int64_t, std::vector<vyn::TParteFonte>> porLinha) const;

  int FBmp = -1, FBMPMoeda = -1, FBMPMoedaYellow = -1;
  TIconsLancamentoIndex FBMPIndex;
  int FPartBefore = 0;
  vyn::TDadosAdicionaisImportacaoTXT* FDadosAdicionais = nullptr;
  vyn::TInconsistencias_VYN* FInconsistenciaIni = nullptr;
  vyn::TInconsistencias_VYN* FInconsistencias = nullptr;
  std::vector<vyn::TInconsistenciaItem> FInconsistenciasAbertura;
  std::string FComplemento;
  std::unique_ptr<vyn::TBaixasAdicionaisDoVinculo> FBaixasAdicionaisDoVinculo;
  // The lines SetMultiplosLancamentos made, by key (unique in the session), until they are removed.
  struct TLinhaDividida {
    int Empresa = 0;
    int Fonte = 0;   // the source line's key
    int Tipo = 0;    // the part's kind (BDTIPOMULTLANC)
  };
  std::map<int64_t, TLinhaDividida> FDivididas;
  std::string FUltimoSel;
  int FCountSel = 0;
  vyn::TContasPlanosMGR* FDAOContasPlanos = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FEdCodEmpree = nullptr;   // the development whose units a unit cell offers
  vyn::TDAOFactory* Detalhe(const char* tabela) const;
  std::map<const vyn::TSpeedButton*, int> FImagemBotao;
  vyn::TGravacaoAoFundo* FGravacao = nullptr;   // the importer's, which outlives the review
  bool FGravacaoEntregue = false;
  std::string FFalhaGravacao;
};

}  // namespace integracao
