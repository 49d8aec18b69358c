#include "entryimport/review/uConsultaImportacaoLancCCTxt.h"

#include "entryimport/review/uConsultaImportacaoLancCCTxt_Util.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/lancamento_complementos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/core/text.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/ui/seleciona_filiais.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;

namespace {

struct TColuna {
  const char* Campo;
  const char* Titulo;
};

// The document panel: installments of the fiscal documents linked to the line.
const TColuna kColunasParcelas[] = {{"BDCHAVE", "Chave"},
                                    {"BDPARCELAPAR", "Parcela"},
                                    {"BDNUMDOCINI", "Número do documento"},
                                    {"BDDUPLICATAPAR", "Duplicata"},
                                    {"BDDATAEMISSAO", "Data de emissão"},
                                    {"BDDATAVENCTOPAR", "Data de vencimento"},
                                    {"BDVALORPAR", "Valor"},
                                    {"BDCODTER", "Participante"},
                                    {"BDCGCTER", "CNPJ Participante"},
                                    {"BDNOMETER", "Nome participante"}};

const TColuna kColunasCentroCusto[] = {{"bdCODTPCC", "Conta CC"}, {"bdDEBCRE", "D/C"}, {"bdVALOR", "Valor"}};

template <size_t N>
void MontaColunas(TDBGrid_Padrao_VYN& grid, const TColuna (&colunas)[N]) {
  grid.Columns.clear();
  for (const TColuna& c : colunas) grid.AddColumn(c.Campo, c.Titulo);
}

TLabel* Rotulo(TComponent& dono, const char* nome, const char* texto) {
  auto* l = dono.Create<TLabel>();
  l->SetName(nome);
  l->SetCaption(texto);
  return l;
}

}  // namespace

TfrConsultaImportacaoLancCCTxt::TfrConsultaImportacaoLancCCTxt(TComponent* owner)
    : TfrImportacao_Padrao_Itens_TreeView_VYN(owner) {
  SetCaption("Consulta importação dos lançamentos");
  spCurrencyLink = CriaBotao(*this, "spCurrencyLink", "Baixa de duplicatas", false);
  spDelLink = CriaBotao(*this, "spDelLink", "Remover baixa de duplicatas", false);
  spAutoLink = CriaBotao(*this, "spAutoLink", "Vincular duplicatas automaticamente", true);
  spRemoveAutoLink = CriaBotao(*this, "spRemoveAutoLink", "Remover vínculos automáticos", true);
  auto item = [this](const char* nome, const char* caption) {
    auto* m = Create<TMenuItem>();
    m->SetName(nome);
    m->SetCaption(caption);
    return m;
  };
  miImpostos = item("miImpostos", "Impostos");
  miParcelamento = item("miParcelamento", "Parcelamento");
  miCalculo = item("miCalculo", "Cálculo");
  miDocumento = item("miDocumento", "Documento");
  miConsiderarzero = item("miConsiderarzero", "Considerar zero a esquerda");
  miDocumento->AutoCheck = true;
  miConsiderarzero->AutoCheck = true;
  for (TMenuItem* m : {miImpostos, miParcelamento, miCalculo})
    m->OnClick = [this](TComponent* s) { miDuplicatasClick(s); };
  miDocumento->OnClick = [this](TComponent* s) { miDocumentoClick(s); };
  // The settlement button drops its kind menu down: the menu's items follow the current line.
  spCurrencyLink->OnClick = [this](TComponent* s) { pmTipoBaixaPopup(s); };
  spDelLink->OnClick = [this](TComponent* s) { spDelLinkClick(s); };
  spAutoLink->OnClick = [this](TComponent* s) { spAutoLinkClick(s); };
  spRemoveAutoLink->OnClick = [this](TComponent* s) { spRemoveAutoLinkClick(s); };
  pnNF = Create<TPanel>();
  pnNF->SetName("pnNF");
  spAutoLinkVerde = CriaBotao(*this, "spAutoLinkVerde", "Documento vinculado");
  grGridNf = Create<TDBGrid_Padrao_VYN>();
  grGridNf->SetName("grGridNf");
  auto* dsNf = Create<TDataSource>();
  grGridNf->SetDataSource(dsNf);
  FConsultaParcelamentoDAO = Create<TConsultaGrupoDAO>();
  dsNf->SetDataSet(FConsultaParcelamentoDAO);
  for (const TColuna& c : kColunasParcelas) grGridNf->AddColumn(c.Campo, c.Titulo);
  grGridNf->MostraDado = [](TField& f, std::string& texto) { pMostraDadosPadrao_VYN(f, texto); };
  pnContaContabil = Create<TPanel>();
  pnContaContabil->SetName("pnContaContabil");
  lbDebito = Rotulo(*this, "lbDebito", "Débito: ");
  lbCredito = Rotulo(*this, "lbCredito", "Crédito: ");
  lbParticipanteDebito = Rotulo(*this, "lbParticipanteDebito", "Participante: ");
  lbParticipanteCredito = Rotulo(*this, "lbParticipanteCredito", "Participante: ");
  lbEmpreendimentoDeb = Rotulo(*this, "lbEmpreendimentoDeb", "Empreendimento: ");
  lbEmpreendimentoCre = Rotulo(*this, "lbEmpreendimentoCre", "Empreendimento: ");
  lbUnidImobiliariaDeb = Rotulo(*this, "lbUnidImobiliariaDeb", "Unidade imobiliária: ");
  lbUnidImobiliariaCre = Rotulo(*this, "lbUnidImobiliariaCre", "Unidade imobiliária: ");
  lbHistorico = Rotulo(*this, "lbHistorico", "Histórico: ");
  grGrid->MostraDado = [this](TField& f, std::string& texto) {
    int largura = 0;
    grGridMostraDado(f.FieldName(), texto, largura);
  };
  grGridItens->MostraDado = [this](TField& f, std::string& texto) {
    int largura = 0;
    grGridItensMostraDado(f.FieldName(), texto, largura);
  };
  grGrid->MostraDadoImagem = [this](TField& f) {
    const std::string img = grGridMostraDadoImagem(f.FieldName());
    return img.empty() ? -1 : grGrid->ImageIndexOf(img);
  };
  for (const char* img : {"ilock", "iCurrency", "iCurrency_yellow", "iChecked", "iUnChecked"})
    grGrid->AddBitmap("", img);
}

TfrConsultaImportacaoLancCCTxt::~TfrConsultaImportacaoLancCCTxt() = default;

bool TfrConsultaImportacaoLancCCTxt::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaImportacaoLancCCTxt") ||
         TfrImportacao_Padrao_Itens_TreeView_VYN::InheritsFrom(class_name);
}

void TfrConsultaImportacaoLancCCTxt::FormShow() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormShow();
  pCalculaTamanhoLegenda();
  miConsiderarzero->SetEnabled(false);
  grGridNf->AddBitmap("", "spAutoLinkVerde");
}

void TfrConsultaImportacaoLancCCTxt::FormCreate() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormCreate();
  FProcessoBaixas = std::make_unique<TProcessoBaixas>(this, DAOAtual());
  ArquivoFonte.Baixas = [this] {
    TDAOFactory* l = DAOLancamentos();
    return l && FProcessoBaixas ? FProcessoBaixas->PartesPorLinha(*l) : std::map<int64_t, std::vector<TParteFonte>>();
  };
  CriaFieldsContainers();
  grGridItens->EditaCelula = [this](const std::string& campo, const std::string& texto) {
    return EditaCelulaItens(campo, texto);
  };
  grGrid->OnKeyPress = [this](TComponent*, char& key) { grGridKeyPress(key); };
  grGrid->OnKeyUp = [this](TComponent*, int& key, unsigned) { grGridKeyUp(key); };
  grGrid->OnMouseUp = [this](TComponent*, bool) { grGridMouseUp(); };
  grGrid->OnCellClick = [this](TComponent*, const std::string& campo) { grGridCellClick(campo); };
  // Picking a node in the tree shows its lines (the participants' grid, the entries).
  tvGrupos->OnChange = [this](TComponent*, TTreeNode*) { tvGruposClick(); };
  tvGrupos->OnEnter = [this](TComponent*) { OnAlterSelectedItem(); };
  grGrid->OnExit = [this](TComponent*) { OnAlterSelectedItem(); };
}

void TfrConsultaImportacaoLancCCTxt::tvGruposClick() {
  // The hand-over selects the first node itself and rebuilds the grid after.
  if (!Nodos().empty() && tvGrupos->Selected() && DAOAtual() != PesquisaDAONodo(tvGrupos->Selected()->Text))
    AtualizaDados(false);
}

void TfrConsultaImportacaoLancCCTxt::FormDestroy() {
  FProcessoBaixas.reset();
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormDestroy();
}

TUtilImportacao_LancCC_TreeviewNormal* TfrConsultaImportacaoLancCCTxt::Util() const {
  return dynamic_cast<TUtilImportacao_LancCC_TreeviewNormal*>(UtilImportacao());
}

TClientDataSet* TfrConsultaImportacaoLancCCTxt::Vinculos() const {
  return FProcessoBaixas ? FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA : nullptr;
}

void TfrConsultaImportacaoLancCCTxt::CreateUtilImportacao() {
  SetUtilImportacao(Create<TUtilImportacao_LancCC_TreeviewNormal>());
  TfrImportacao_Padrao_Itens_TreeView_VYN::CreateUtilImportacao();
}

void TfrConsultaImportacaoLancCCTxt::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, prlFiliais + 1, "Esta tela é aberta pela importação de lançamentos.");
  if (auto* u = Util()) u->SetInconsistencias_VYN(lista.Get<TInconsistencias_VYN>(prlInconsistencias));
  FCodEmp = lista.Get<TEdit_Codigo_Search_VYN>(prlEmpresa);
  FDAOEmp = lista.Get<TEmpresasMGR>(prlEmpresas);
  FTransacaoAut = lista.Get<TBoolean_VYN>(prlTransacao) ? lista.GetBooleanValue(prlTransacao) : false;
  FDtIni = lista.Get<TDateTime_VYN>(prlDataIni);
  FDtFim = lista.Get<TDateTime_VYN>(prlDataFim);
  FSelecionaFilial = lista.Get<TSelecionaFiliais_VYN>(prlFiliais);
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaObj(lista);
}

void TfrConsultaImportacaoLancCCTxt::SetListaDAO() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaDAO();
  // The staged review shows its details from the start.
  if (FArquivoGrande) HabilitarGridItens(true);
  pnDataSetUnico->SetVisible(Nodos().size() == 1);
}

void TfrConsultaImportacaoLancCCTxt::EntregaParametrosEngine() {
  if (auto* u = Util()) EntregaParametros(*u);
}

void TfrConsultaImportacaoLancCCTxt::AfterListaObj() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::AfterListaObj();
  EntregaParametrosEngine();
  if (FProcessoBaixas) FProcessoBaixas->SetCodEmp(FCodEmp);
  SelecionaNodo(kNodoLancamentos);
  // The document panel is open, empty, before the first click on a line (in both reviews).
  AtualizaPainelNF();
}

void TfrConsultaImportacaoLancCCTxt::AtualizaDados(bool hugeFile) {
  if (tvGrupos->Selected()) {
    dsGrid->SetDataSet(nullptr);
    grGrid->Columns.clear();
    if (TClientDataSet* itens = dsGridItens->DataSet()) {
      itens->SetMasterSource(nullptr);
      itens->SetMasterFields("");
    }
    dsGridItens->SetDataSet(nullptr);
    grGridItens->Columns.clear();
    HabilitarGridItens(false);
    SetDAOAtual(PesquisaDAONodo(tvGrupos->Selected()->Text));
    if (FProcessoBaixas) FProcessoBaixas->SetDAOImport(DAOAtual());
    SetFieldsContainerGrid(this);
  }
  if (TDAOFactory* atual = DAOAtual()) AddAggregateDAO(atual, Create<TVZEL_EMPRESAS_TLAN_COMPLMGR>(false, true, false), 0);
  TfrImportacao_Padrao_Itens_TreeView_VYN::AtualizaDados(hugeFile);
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoLancamentos)) {
    MontaColunasLancamentos();
    MontaColunas(*grGridItens, kColunasCentroCusto);
  }
  OnAlterSelectedItem();
}

void TfrConsultaImportacaoLancCCTxt::SetFieldsContainerGrid(TComponent* owner) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetFieldsContainerGrid(owner);
  const std::string no = UpperCase(NodoSelecionado());
  if (no == UpperCase(kNodoParticipantes)) {
    MontaColunasParticipantes();
  } else if (no == UpperCase(kNodoLancamentos)) {
    HabilitarGridItens(true);
    // The cost-centre rows follow the entry under the cursor.
    const auto& ag = Aggregates(DAOAtual());
    if (!ag.empty() && dynamic_cast<TLancamentoCentroCustoMGR*>(ag.front())) {
      ag.front()->SetIndexFieldNames("BDCODEMP;BDCHAVE");
      dsGrid->SetDataSet(DAOAtual());
      ag.front()->SetMasterFields("BDCODEMP;BDCHAVE");
      ag.front()->SetMasterSource(dsGrid);
    }
  }
}

std::vector<TClientDataSet*> TfrConsultaImportacaoLancCCTxt::GetArrayOfCDS() {
  std::vector<TClientDataSet*> r;
  for (const auto& n : Nodos()) {
    if (UpperCase(n->Caption) != UpperCase(kNodoLancamentos)) continue;
    r.push_back(n->DAO);
    for (TDAOFactory* a : n->Aggregates) r.push_back(a);
  }
  return r;
}

int TfrConsultaImportacaoLancCCTxt::GetTipoImportacao() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::GetTipoImportacao();
  return 1;
}

void TfrConsultaImportacaoLancCCTxt::MontaFilterVinculados(std::string& filter) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::MontaFilterVinculados(filter);
  TClientDataSet* linhas = DAOAtual() ? DAOAtual() : DAOLancamentos();
  TClientDataSet* v = Vinculos();
  if (!linhas || linhas->IsEmpty() || !v || v->IsEmpty()) return;
  const TField& chave = linhas->FieldByName("BDCHAVE");
  if (chave.IsNull() || chave.AsInteger() <= 0) return;
  if (!IsBlank(filter)) filter += " or ";
  filter += "(BDCHAVE = " + std::to_string(chave.AsInteger()) + ")";
}

void TfrConsultaImportacaoLancCCTxt::DeleteVinculados(const std::string& filter) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::DeleteVinculados(filter);
  TClientDataSet* v = Vinculos();
  if (IsBlank(filter) || !v) return;
  v->SetFilter(filter);
  v->SetFiltered(true);
  for (v->First(); !v->IsEmpty();) v->Delete();
  v->SetFilter("");
  v->SetFiltered(false);
}

}  // namespace integracao
