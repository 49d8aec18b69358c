#pragma once
// The in-memory entry review "Consulta importação dos lançamentos": the parsed lines of an entry file,
// corrected by the user, linked to settlements and imported.
#include <memory>
#include <string>

#include "framework/ui/duplicatas_revisao.h"
#include "framework/ui/importacao_treeview.h"

namespace vyn {
class TEdit_Codigo_Search_VYN;
struct TCodigoRegistro;
class TEmpresasMGR;
class TDateTime_VYN;
class TSelecionaFiliais_VYN;
class TMenuItem;
class TLabel;
class TConsultaGrupoDAO;
class TInconsistencias_VYN;
class TMarcasLinhas;
class TFieldsContainer;
}  // namespace vyn

namespace integracao {

class TProcessoBaixas;
class TUtilImportacao_LancCC_TreeviewNormal;

class TfrConsultaImportacaoLancCCTxt : public vyn::TfrImportacao_Padrao_Itens_TreeView_VYN {
 public:
  explicit TfrConsultaImportacaoLancCCTxt(vyn::TComponent* owner = nullptr);
  ~TfrConsultaImportacaoLancCCTxt() override;
  std::string ClassName() const override { return "TfrConsultaImportacaoLancCCTxt"; }
  bool InheritsFrom(const std::string& class_name) const override;

  // Toolbar and panels of the screen.
  vyn::TSpeedButton* spCurrencyLink = nullptr;
  vyn::TSpeedButton* spDelLink = nullptr;
  vyn::TSpeedButton* spAutoLink = nullptr;
  vyn::TSpeedButton* spRemoveAutoLink = nullptr;
  vyn::TMenuItem* miImpostos = nullptr;
  vyn::TMenuItem* miParcelamento = nullptr;
  vyn::TMenuItem* miCalculo = nullptr;
  vyn::TMenuItem* miDocumento = nullptr;
  vyn::TMenuItem* miConsiderarzero = nullptr;
  vyn::TPanel* pnNF = nullptr;
  vyn::TDBGrid_Padrao_VYN* grGridNf = nullptr;
  vyn::TSpeedButton* spAutoLinkVerde = nullptr;   // the document panel's "Documento vinculado" legend
  // The entry grid's and the participants' fields containers: the columns, which of them a user
  // types into, and the editing rules they call.
  vyn::TFieldsContainer* fcLancamentos = nullptr;
  vyn::TFieldsContainer* fieldsContainerParticipantes = nullptr;
  vyn::TPanel* pnContaContabil = nullptr;
  vyn::TLabel *lbDebito = nullptr, *lbCredito = nullptr, *lbParticipanteDebito = nullptr,
              *lbParticipanteCredito = nullptr, *lbEmpreendimentoDeb = nullptr, *lbEmpreendimentoCre = nullptr,
              *lbUnidImobiliariaDeb = nullptr, *lbUnidImobiliariaCre = nullptr, *lbHistorico = nullptr;

  // Framework hooks.
  void SetListaObj(const vyn::TListaObj& lista) override;
  void SetListaDAO() override;
  void AfterListaObj() override;
  void CreateUtilImportacao() override;
  void AtualizaDados(bool hugeFile = false) override;
  void SetFieldsContainerGrid(vyn::TComponent* owner) override;
  std::vector<vyn::TClientDataSet*> GetArrayOfCDS() override;
  int GetTipoImportacao() override;
  void MontaFilterVinculados(std::string& filter) override;
  void DeleteVinculados(const std::string& filter) override;
  // The import button (uConsultaImportacaoLancCCTxt_Acoes.cpp).
  void spImportacaoClick(vyn::TComponent* sender) override;
  // After the framework judged the lines: drops the lines whose settlement was posted.
  virtual void GetAposInconsistencia();
  // The settlements of the linked lines, posted inside the import's write (its first step).
  virtual void PostaBaixas();

  // Settlement links (uConsultaImportacaoLancCCTxt_Acoes.cpp).
  void miDuplicatasClick(vyn::TComponent* sender);
  void spDelLinkClick(vyn::TComponent* sender);
  virtual void spAutoLinkClick(vyn::TComponent* sender);
  void miDocumentoClick(vyn::TComponent* sender);
  virtual void spRemoveAutoLinkClick(vyn::TComponent* sender);
  void pmTipoBaixaPopup(vyn::TComponent* sender);
  void OnAlterSelectedItem();
  // The tree's node change: the grid shows the picked node's lines (AtualizaDados runs the buttons).
  void tvGruposClick();

  // Display (uConsultaImportacaoLancCCTxt_Grid.cpp): the text and the image name of a cell of the
  // current line ("" for none), the detail grid's text, the description panel.
  void grGridMostraDado(const std::string& campo, std::string& texto, int& largura);
  virtual std::string grGridMostraDadoImagem(const std::string& campo);
  virtual void grGridItensMostraDado(const std::string& campo, std::string& texto, int& largura);
  void pMostraDescricao_Conta();
  // The description labels share the panel: the account and participant labels half of it each, the
  // development labels and the debit unit a quarter.
  void pCalculaTamanhoLegenda();
  int getCodPlano();
  void setCodPlano(int plano) { FCodPlano = plano; }
  // mistura: 0 the line's installment links are of one kind, 1 mixed but all paid by the company, 2
  // mixed otherwise.
  virtual int fRetornaTipoLancamento(int mistura) const;

  // Editing rules (uConsultaImportacaoLancCCTxt_Acoes.cpp). editor is the cell's code-search editor
  // (nullptr for other cells); texto is the text editor's content for memo cells.
  virtual void fcLancamentosBeforeEditField(const std::string& campo, vyn::TEdit_Codigo_Search_VYN* editor,
                                            std::string* texto, std::vector<std::string>* combo, bool& accept);
  virtual void fcLancamentosAfterEditField(const std::string& campo, const std::string& textoEditor);
  // A participant the file declares (its participants node), as the code look-up answers one.
  bool ParticipanteDoArquivo(int64_t codigo, vyn::TCodigoRegistro& r) const;
  // A cell the screen saves itself (the staged review's complement); False leaves the save to the
  // container.
  virtual bool SalvaCelula(const std::string& campo, const std::string& texto) { return false; }
  // The detail grid's fields container: a user's edit of a cost-centre split line's cell.
  virtual bool EditaCelulaItens(const std::string& campo, const std::string& texto);
  void fcLancamentosCCBeforeEditField(const std::string& campo, vyn::TEdit_Codigo_Search_VYN* editor, bool& accept);
  void ValidarDescricao(const std::string& texto, bool& rejeita);
  // Conciliation marks (uConsultaImportacaoLancCCTxt_Acoes.cpp); the staged review writes them through.
  virtual void setLancamentoConciliado();
  void grGridKeyPress(char& key);
  void grGridCellClick(const std::string& campo);
  // After the framework's own handling: the line's account descriptions and its detail follow.
  virtual void grGridKeyUp(int key);
  void grGridMouseUp();

  vyn::TClientDataSet* Vinculos() const;
  TProcessoBaixas* ProcessoBaixas() const { return FProcessoBaixas.get(); }
  vyn::TEdit_Codigo_Search_VYN* CodEmp() const { return FCodEmp; }
  vyn::TDAOFactory* ConsultaParcelamento() const { return FConsultaParcelamentoDAO; }

 protected:
  void FormCreate() override;
  // Shown: the "Considerar zero a esquerda" item of the automatic-link menu starts disabled.
  void FormShow() override;
  void FormDestroy() override;
  // Where the two reviews differ inside a shared action: whether a picking screen may open for the
  // sender, the parameters after the first three, and how a line is marked unlinked.
  virtual bool PodeVincular(vyn::TComponent* sender) { return true; }
  virtual void CompletaParametrosBaixa(vyn::TListaObj& lista) {}
  virtual void MarcaDesvinculada(vyn::TDAOFactory& linha);
  vyn::TDAOFactory* DAOLancamentos() const { return PesquisaDAONodo(vyn::kNodoLancamentos); }
  // The opener's parameters, handed to the engine after they arrived (both engines take the same).
  virtual void EntregaParametrosEngine();
  template <class TUtil>
  void EntregaParametros(TUtil& u) {
    u.SetOnAposInconsistencia([this] { GetAposInconsistencia(); });
    u.SetOnAntesValidacao([this] { PostaBaixas(); });
    u.SetDAOEmp(FDAOEmp);
    u.SetTransacaoAuto(FTransacaoAut);
    u.SetCodEmp(FCodEmp);
    u.SetDtIni(FDtIni);
    u.SetDtFim(FDtFim);
    u.setSelecionaFilial(FSelecionaFilial);
  }
  // The framework's import run, the settlements its first step; the lines' marks and the lines it
  // took out come back when it does not commit.
  void ImportaComBaixas(vyn::TDAOFactory& lanc, vyn::TComponent* sender);
  // An unbalanced file imports nothing; without a user the run's list is the only one told.
  void ReportaDiferencaSemUsuario(vyn::TInconsistencias_VYN* lista, int empresa);
  // After the user changed what names the current line's movement (its day, value, document or
  // accounts): the line is weighed again against the books, its probable-duplicate mark set or cleared.
  void RepesaDuplicata(const std::string& campo);
  // The in-memory review shows the installment panel and the conciliation menu in its button rules.
  bool FPainelNF = true;
  // The staged review's grid carries the grouped-settlement mark and the extemporaneous date.
  bool FArquivoGrande = false;
  // The containers (uConsultaImportacaoLancCCTxt_Campos.cpp): made once; bound to the grid by node.
  void CriaFieldsContainers();
  void MontaColunasLancamentos();
  void MontaColunasParticipantes();
  void fieldsContainerParticipantesAfterEditField(vyn::TClientDataSet& ds, const std::string& campo);

 protected:
  // Fills the document panel with the installments linked to the current line.
  void AtualizaPainelNF();

 private:
  TUtilImportacao_LancCC_TreeviewNormal* Util() const;

 protected:

  int FCodPlano = 0;
  vyn::TDAOFactory* FConsultaParcelamentoDAO = nullptr;
  vyn::TEmpresasMGR* FDAOEmp = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FCodEmp = nullptr;
  bool FTransacaoAut = false;
  vyn::TDateTime_VYN* FDtIni = nullptr;
  vyn::TDateTime_VYN* FDtFim = nullptr;
  vyn::TSelecionaFiliais_VYN* FSelecionaFilial = nullptr;
  int FDebBefore = 0;
  int FCreBefore = 0;
  std::unique_ptr<TProcessoBaixas> FProcessoBaixas;
  // While an import runs: the lines' marks as they were, given back when it does not commit.
  vyn::TMarcasLinhas* FMarcas = nullptr;
};

}  // namespace integracao
