#include "framework/component/resultado_execucao.h"
#include "framework/ui/importacao_treeview.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>

#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/accounting/rateio_centro_custo.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/livros/lancamentos_revisao.h"
#include "framework/data/sql_value.h"
#include "framework/schema/entry_keys.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/duplicatas_revisao.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/status_processo.h"

namespace vyn {

namespace {

const std::vector<TDAOFactory*> kSemAggregates;

// What the check of a line reads (and the work table's key, to write its verdict through).
constexpr const char* kColunasValidacao =
    "BDSESSAO, BDCODEMP, BDCHAVE, BDINCONSISTENTE, BDDATA, BDVALOR, BDDEBITO, BDCREDITO, BDCODPLAPADRAO, BDLINHA, "
    "BDCODTERCEIROD, BDCODTERCEIROC";

// A sentence joined into a line's list of problems, which ends the list with its own full stop.
std::string SemPontoFinal(std::string s) {
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

bool EhLancamentos(const std::string& caption) { return UpperCase(caption) == UpperCase(kNodoLancamentos); }
bool EhParticipantes(const std::string& caption) { return UpperCase(caption) == UpperCase(kNodoParticipantes); }

// Whether a staged session holds lines its settlements kept out of the import (settled, or warned).
bool TemLinhasForaDaImportacao(TDAOFactory& ds) {
  const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(ds.WorkTable(), "Tabela de trabalho inválida: ");
  return !ds.Database()
              .QueryValue("select first 1 1 from " + tabela + " where BDSESSAO = ? and BDINCONSISTENTE in (?, ?)",
                          {ds.Sessao(), static_cast<int>(miForaDaImportacao), static_cast<int>(miAvisoBaixa)})
              .IsNull();
}

int Inteiro(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? static_cast<int>(f->AsInteger()) : 0;
}

// The cost-centre split of each line of a node as the review holds it now, edits and all: a staged
// node's in its work table, a node in memory's in its cost-centre detail.
std::map<std::pair<int, int>, TRateioCentroCusto> RateiosDoNodo(const TNodoImportacao& nodo) {
  std::map<std::pair<int, int>, TRateioCentroCusto> rateios;
  TDAOFactory& ds = *nodo.DAO;
  if (ModoArquivoGrande(&ds)) {
    const TQueryResult q = ds.Database().QueryAll(
        std::string("select BDCODEMP, BDCHAVE, BDDEBCRE, sum(BDVALOR) as BDVALOR from ") + kTabelaCentrosCusto +
            " where BDSESSAO = ? group by BDCODEMP, BDCHAVE, BDDEBCRE",
        {ds.Sessao()});
    for (size_t i = 0; i < q.Rows.size(); ++i)
      rateios[{static_cast<int>(q.Value(i, "BDCODEMP").AsInteger()), static_cast<int>(q.Value(i, "BDCHAVE").AsInteger())}]
          .Adiciona(static_cast<int>(q.Value(i, "BDDEBCRE").AsInteger()), q.Value(i, "BDVALOR").AsCurrency());
  } else if (!nodo.Aggregates.empty() && nodo.Aggregates.front()->InheritsFrom("TLancamentoCentroCustoMGR")) {
    TDAOFactory& cc = *nodo.Aggregates.front();
    TDetachedDetail solto(cc, true);
    for (cc.First(); !cc.Eof(); cc.Next())
      rateios[{Inteiro(cc, "BDCODEMP"), Inteiro(cc, "BDCHAVE")}].Adiciona(Inteiro(cc, "BDDEBCRE"),
                                                                          cc.FieldByName("BDVALOR").AsCurrency());
  }
  return rateios;
}

// A staged line's provisional key in the node's key map: the work table keys lines by company too.
std::string ChaveSessao(int empresa, int chave) { return std::to_string(empresa) + "|" + std::to_string(chave); }

void Recarrega(TDAOFactory* dao) {
  if (dao && !dao->GetCommandText().empty()) dao->Refresh();
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Screen

TfrImportacao_Padrao_Itens_TreeView_VYN::TfrImportacao_Padrao_Itens_TreeView_VYN(TComponent* owner)
    : TForm_VYN(owner) {
  tvGrupos = Create<TTreeView>();
  tvGrupos->SetName("tvGrupos");
  grGrid = Create<TDBGrid_Padrao_VYN>();
  grGrid->SetName("grGrid");
  grGridItens = Create<TDBGrid_Padrao_VYN>();
  grGridItens->SetName("grGridItens");
  dsGrid = Create<TDataSource>();
  dsGridItens = Create<TDataSource>();
  grGrid->SetDataSource(dsGrid);
  grGridItens->SetDataSource(dsGridItens);
  spImportacao = Create<TSpeedButton>();
  spImportacao->SetName("spImportacao");
  spImportacao->OnClick = [this](TComponent* s) { spImportacaoClick(s); };
  pnDataSetUnico = Create<TPanel>();
  pnDataSetUnico->SetName("pnDataSetUnico");
  pnDataSetUnico->SetVisible(false);
  spArquivoGrande = Create<TSpeedButton>();
  spArquivoGrande->SetName("spArquivoGrande");
  spArquivoGrande->OnClick = [this](TComponent* s) { spArquivoGrandeClick(s); };
  spAcaoItem = Create<TSpeedButton>();
  spAcaoItem->SetName("spAcaoItem");
  spExcluirItem = Create<TSpeedButton>();
  spExcluirItem->SetName("spExcluirItem");
  spExcluirItem->OnClick = [this](TComponent* s) { spExcluirItemClick(s); };
  // The delete key (with or without Ctrl) and button of the main grid: the screen decides what a
  // delete means for its rows.
  spExcluir = Create<TSpeedButton>();
  spExcluir->SetName("spExcluir");
  spExcluir->SetHint("Excluir");
  spExcluir->OnClick = [this](TComponent*) { Delete(); };
  grGrid->OnKeyDown = [this](TComponent*, int& key, unsigned) {
    if (key != kTeclaDelete) return;
    key = 0;
    Delete();
  };
  edPesquisa = Create<TEdit_String_Padrao>();
  edPesquisa->SetName("edPesquisa");
  edPesquisa->OnChange = [this](TComponent*) { PesquisaIncremental(edPesquisa->Text()); };
  // A click on a node shows its rows in every review; a review that does more on it sets its own.
  tvGrupos->OnChange = [this](TComponent*, TTreeNode* no) {
    if (no && PesquisaDAONodo(no->Text) != DAOAtual()) AtualizaDados(false);
  };
}

std::string TfrImportacao_Padrao_Itens_TreeView_VYN::getCollumnSearch() { return grGrid->SelectedField; }

bool TfrImportacao_Padrao_Itens_TreeView_VYN::PesquisaIncremental(const std::string& texto) {
  TDAOFactory* ds = DAOAtual();
  const std::string coluna = getCollumnSearch();
  if (!ds || !ds->Active() || ds->IsEmpty() || coluna.empty() || texto.empty() || !ds->FindField(coluna)) return false;
  const std::string procurado = UpperCase(texto);
  const TBookmark antes = ds->GetBookmark();
  const TField& f = ds->FieldByName(coluna);
  for (ds->First(); !ds->Eof(); ds->Next())
    if (UpperCase(f.AsString()).rfind(procurado, 0) == 0) return true;
  ds->GotoBookmark(antes);   // nothing starts so: the grid stays where it was
  return false;
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::spExcluirItemClick(TComponent*) {
  TClientDataSet* ds = dsGridItens ? dsGridItens->DataSet() : nullptr;
  if (ds && !ds->IsEmpty()) ds->Delete();
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::spArquivoGrandeClick(TComponent*) {
  for (const auto& n : nodos_)
    if (n->DAO && n->DAO->State() != TDataSetState::dsBrowse) n->DAO->Post();
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::AtualizaDadosHugeFile() {
  for (const auto& n : nodos_)
    if (ModoArquivoGrande(n->DAO)) Recarrega(n->DAO);
  RecarregaDetalhesHugeFile();
  AtualizaDados(true);
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::AtualizaDetalhesHugeFile() {
  RecarregaDetalhesHugeFile();
  AtualizaDados(false);
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::RecarregaDetalhesHugeFile() {
  for (const auto& n : nodos_) {
    if (!ModoArquivoGrande(n->DAO)) continue;
    for (TDAOFactory* a : n->Aggregates)
      if (a->Sessao() > 0) Recarrega(a);
  }
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::AddClickBotao(TSpeedButton* botao) {
  if (!botao) return;
  botoesItens_.push_back(botao);
  botao->OnClick = [this](TComponent* s) {
    OnClickButtonGridDetalhe(s);
    ClickBotaoItem(s);
  };
}

TfrImportacao_Padrao_Itens_TreeView_VYN::~TfrImportacao_Padrao_Itens_TreeView_VYN() = default;

bool TfrImportacao_Padrao_Itens_TreeView_VYN::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrImportacao_Padrao_Itens_TreeView_VYN") ||
         SameText(class_name, "TfrImportacao_Padrao_TreeView_VYN") || TForm_VYN::InheritsFrom(class_name);
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::FormCreate() {
  TForm_VYN::FormCreate();
  CreateUtilImportacao();
}

TNodoImportacao& TfrImportacao_Padrao_Itens_TreeView_VYN::AdicionaNodo(const std::string& caption, TDAOFactory* dao) {
  auto n = std::make_unique<TNodoImportacao>();
  n->Caption = caption;
  n->DAO = dao;
  nodos_.push_back(std::move(n));
  return *nodos_.back();
}

TNodoImportacao* TfrImportacao_Padrao_Itens_TreeView_VYN::NodoPorCaption(const std::string& caption) const {
  TNodoImportacao* achado = nullptr;
  for (const auto& n : nodos_)
    if (UpperCase(n->Caption) == UpperCase(caption)) achado = n.get();   // the last match wins
  return achado;
}

TNodoImportacao* TfrImportacao_Padrao_Itens_TreeView_VYN::NodoDe(const TDAOFactory* dao) const {
  for (const auto& n : nodos_)
    if (n->DAO == dao) return n.get();
  return nullptr;
}

TDAOFactory* TfrImportacao_Padrao_Itens_TreeView_VYN::PesquisaDAONodo(const std::string& caption) const {
  TNodoImportacao* n = NodoPorCaption(caption);
  return n ? n->DAO : nullptr;
}

const std::vector<TDAOFactory*>& TfrImportacao_Padrao_Itens_TreeView_VYN::Aggregates(const TDAOFactory* dao) const {
  TNodoImportacao* n = NodoDe(dao);
  return n ? n->Aggregates : kSemAggregates;
}

bool IsComplementoLongo(const TComponent* aggregate) {
  return aggregate && aggregate->ClassName() == "TVZEL_EMPRESAS_TLAN_COMPLMGR";
}

TDAOFactory* TfrImportacao_Padrao_Itens_TreeView_VYN::AddAggregateDAO(TDAOFactory* dao, TDAOFactory* aggregate,
                                                                      int index) {
  TNodoImportacao* n = NodoDe(dao);
  if (!n || !aggregate) return nullptr;
  for (TDAOFactory* a : n->Aggregates)
    if (a->ClassName() == aggregate->ClassName()) {
      if (a != aggregate && aggregate->Owner()) aggregate->Owner()->FreeComponent(aggregate);
      return a;
    }
  // The index names the aggregate's own slot in its family; the order of attachment is kept, so the
  // cost centres the importer attached first stay first.
  (void)index;
  n->Aggregates.push_back(aggregate);
  return aggregate;
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaDAO() {
  TForm_VYN::SetListaDAO();
  tvGrupos->Clear();
  for (const auto& n : nodos_) tvGrupos->Add(n->Caption, n.get());
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::SelecionaNodo(const std::string& caption) {
  if (TTreeNode* t = tvGrupos->FindNode(caption)) {
    tvGrupos->SetSelected(t);
    AtualizaDados(false);
  }
}

std::string TfrImportacao_Padrao_Itens_TreeView_VYN::NodoSelecionado() const {
  return tvGrupos->Selected() ? tvGrupos->Selected()->Text : std::string();
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::HabilitarGridItens(bool on) {
  gridItensHabilitado_ = on;
  grGridItens->SetEnabled(on);
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::AtualizaDados(bool) {
  if (TTreeNode* t = tvGrupos->Selected()) {
    if (TNodoImportacao* n = NodoPorCaption(t->Text)) atual_ = n->DAO;
  }
  dsGrid->SetDataSet(atual_);
  const auto& ag = Aggregates(atual_);
  dsGridItens->SetDataSet(ag.empty() ? nullptr : ag.front());
}

std::vector<TClientDataSet*> TfrImportacao_Padrao_Itens_TreeView_VYN::GetArrayOfCDS() {
  std::vector<TClientDataSet*> r;
  for (const auto& n : nodos_) r.push_back(n->DAO);
  return r;
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::spImportacaoClick(TComponent*) {
  if (util_) util_->Importa();
}

void TfrImportacao_Padrao_Itens_TreeView_VYN::ExcluiLinhas(TDAOFactory* dao, const std::vector<TBookmark>& linhas) {
  if (!dao || linhas.empty()) return;
  struct TExcluindo {
    TDAOFactory*& atual;
    TDAOFactory* antes;
    ~TExcluindo() { atual = antes; }
  } excluindo{excluindo_, std::exchange(excluindo_, dao)};
  std::set<std::pair<int, int>> chaves;
  std::string filtro;
  {
    const TBulkLoad semDetalhes(*dao);
    for (TBookmark b : linhas) {
      if (!dao->BookmarkValid(b)) continue;
      dao->GotoBookmark(b);
      MontaFilterVinculados(filtro);
      chaves.insert({Inteiro(*dao, "BDCODEMP"), Inteiro(*dao, "BDCHAVE")});
    }
    for (TBookmark b : linhas) {
      if (!dao->BookmarkValid(b)) continue;
      dao->GotoBookmark(b);
      dao->Delete();
    }
  }
  for (TDAOFactory* a : Aggregates(dao)) {
    TDetachedDetail solto(*a, true);
    for (a->First(); !a->Eof();) {
      if (chaves.count({Inteiro(*a, "BDCODEMP"), Inteiro(*a, "BDCHAVE")}))
        a->Delete();
      else
        a->Next();
    }
  }
  DeleteVinculados(filtro);
}

// ---------------------------------------------------------------------------------------------------
// Engine

TUtilImportacao_Padrao_Treeview::TUtilImportacao_Padrao_Treeview(TComponent* owner) : TComponent(owner) {}

bool TUtilImportacao_Padrao_Treeview::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TUtilImportacao_Padrao_Treeview") || TComponent::InheritsFrom(class_name);
}

bool TUtilImportacao_Integracao_Treeview::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TUtilImportacao_Integracao_Treeview") ||
         TUtilImportacao_Padrao_Treeview::InheritsFrom(class_name);
}

TfrImportacao_Padrao_Itens_TreeView_VYN* TUtilImportacao_Padrao_Treeview::Tela() const {
  return dynamic_cast<TfrImportacao_Padrao_Itens_TreeView_VYN*>(Owner());
}

std::vector<TNodoImportacao*> TUtilImportacao_Padrao_Treeview::Nodos() const {
  std::vector<TNodoImportacao*> r;
  if (auto* t = Tela())
    for (const auto& n : t->Nodos()) r.push_back(n.get());
  return r;
}

void TUtilImportacao_Padrao_Treeview::SetChaveServidor(TDAOFactory* ds, const std::string& campo, int primeira,
                                                       bool registra, int, int, void*, const std::string& filtro) {
  if (!ds) return;
  TNodoImportacao* nodo = Tela() ? Tela()->NodoDe(ds) : nullptr;
  TFilterGuard filtroAntes(*ds);
  TBulkLoad lote(*ds);   // the details follow the new keys once, when every row has its own
  std::vector<TBookmark> linhas;
  ds->SetFiltered(false);
  ds->SetFilter(filtro);
  ds->SetFiltered(!Trim(filtro).empty());
  for (ds->First(); !ds->Eof(); ds->Next()) linhas.push_back(ds->GetBookmark());
  ds->SetFiltered(false);
  int chave = primeira;
  TField& f = ds->FieldByName(campo);
  for (TBookmark b : linhas) {
    ds->GotoBookmark(b);
    if (registra && nodo) nodo->ChavesNovas[f.AsString()] = chave;
    ds->Edit();
    f.SetAsInteger(chave++);
    ds->Post();
  }
}

void TUtilImportacao_Padrao_Treeview::ValidaNodo(TNodoImportacao& nodo) {
  // A value or a split edited in the review is judged again, as the reader judged the file's.
  const auto rateios = RateiosDoNodo(nodo);
  if (!SessaoEmPaginas(nodo.DAO)) {
    Valida(nodo, true, rateios);
    return;
  }
  nodo.DAO->Database().Execute("delete from VZEL_INCON_TLAN where BDSESSAO = ?", {nodo.DAO->Sessao()});
  TPaginasSessao paginas(*nodo.DAO, kColunasValidacao);
  while (paginas.Proxima()) Valida(nodo, false, rateios);
  paginas.Restaura();
}

void TUtilImportacao_Padrao_Treeview::Valida(TNodoImportacao& nodo, bool limpaProblemas,
                                            const std::map<std::pair<int, int>, TRateioCentroCusto>& rateios) {
  TDAOFactory& ds = *nodo.DAO;
  TDatabase& db = ds.Database();
  std::map<std::pair<int, int>, bool> contas;
  auto existe = [&](int plano, int conta) {
    auto k = std::make_pair(plano, conta);
    auto it = contas.find(k);
    if (it != contas.end()) return it->second;
    const bool ok = !db.QueryValue("select BDCODTPLA from PLANOS_TPLA where BDCODPLAPADRAO = ? and BDCODTPLA = ? "
                                   "and coalesce(BDTIPCTA, 'A') = 'A'",
                                   {plano, conta})
                         .IsNull();
    contas.emplace(k, ok);
    return ok;
  };
  std::map<int, int> planos;
  auto planoEmpresa = [&](int empresa) {
    auto it = planos.find(empresa);
    if (it == planos.end()) it = planos.emplace(empresa, PlanoContasEmpresa(empresa)).first;
    return it->second;
  };
  const bool temPlano = ds.FindField("BDCODPLAPADRAO") != nullptr;
  // A staged node keeps its problems per line in VZEL_INCON_TLAN, where the settlement engine looks.
  const bool grande = ModoArquivoGrande(&ds);
  if (grande && limpaProblemas) db.Execute("delete from VZEL_INCON_TLAN where BDSESSAO = ?", {ds.Sessao()});
  const TBulkLoad semDetalhes(ds);
  for (ds.First(); !ds.Eof(); ds.Next()) {
    AvancaProgresso();
    const int inc = Inteiro(ds, "BDINCONSISTENTE");
    if (inc == miForaDaImportacao || inc == miAvisoBaixa) continue;   // not an ordinary entry
    std::vector<std::string> erros;
    const int chave = Inteiro(ds, "BDCHAVE");
    if (ds.FieldByName("BDDATA").IsNull()) erros.push_back("data não informada");
    if (ds.FieldByName("BDVALOR").IsNull() || ds.FieldByName("BDVALOR").AsCurrency().IsZero())
      erros.push_back("valor não informado");
    else if (ds.FieldByName("BDVALOR").AsCurrency() < Currency())
      erros.push_back("valor negativo (" + ds.FieldByName("BDVALOR").AsCurrency().ToBR(2) + ")");
    const int deb = Inteiro(ds, "BDDEBITO");
    const int cre = Inteiro(ds, "BDCREDITO");
    if (deb == 0 && cre == 0) erros.push_back("nenhuma conta informada");
    // An entry that debits and credits one account moves nothing: a mistyped line.
    if (deb > 0 && deb == cre) erros.push_back(fmt::format("a conta {} está a débito e a crédito", deb));
    int plano = temPlano ? Inteiro(ds, "BDCODPLAPADRAO") : 0;
    // A line without its own chart is checked against its company's: an account is never taken unchecked.
    if (plano <= 0 && (deb > 0 || cre > 0)) plano = planoEmpresa(Inteiro(ds, "BDCODEMP"));
    if (plano <= 0 && (deb > 0 || cre > 0)) erros.push_back("plano de contas da empresa não encontrado");
    if (plano > 0) {
      if (deb > 0 && !existe(plano, deb))
        erros.push_back(fmt::format("conta {} à débito não existe (ou não é analítica) no plano {}", deb, plano));
      if (cre > 0 && !existe(plano, cre))
        erros.push_back(fmt::format("conta {} à crédito não existe (ou não é analítica) no plano {}", cre, plano));
    }
    if (const auto r = rateios.find({Inteiro(ds, "BDCODEMP"), chave}); r != rateios.end() && !ds.FieldByName("BDVALOR").IsNull())
      if (std::string motivo = r->second.QueNaoFecha(ds.FieldByName("BDVALOR").AsCurrency()); !motivo.empty())
        erros.push_back(std::move(motivo));
    if (livros_ && erros.empty())
      if (auto recusa = livros_->Recusa({Inteiro(ds, "BDCODEMP"), ds.FieldByName("BDDATA").AsDateTime(), deb, cre,
                                         Inteiro(ds, "BDCODTERCEIROD"), Inteiro(ds, "BDCODTERCEIROC")}))
        erros.push_back(SemPontoFinal(MensagemRegraNoDia(recusa->Mensagem, ds.FieldByName("BDDATA").AsDateTime())));
    const int novo = erros.empty() ? miConsistente : miComErro;
    if (inc != novo) {
      ds.Edit();
      ds.FieldByName("BDINCONSISTENTE").SetAsInteger(novo);
      ds.Post();
    }
    // A line read from a file is named by its line there, as the reader names the lines it refuses; the
    // provisional key means nothing outside the review.
    const TField* linhaArquivo = ds.FindField("BDLINHA");
    const int linha = linhaArquivo && !linhaArquivo->IsNull() ? static_cast<int>(linhaArquivo->AsInteger()) : 0;
    if (!erros.empty() && FInconsistencias)
      FInconsistencias->Add_Erro(Inteiro(ds, "BDCODEMP"),
                                 linha > 0 ? fmt::format("Linha {} do arquivo: {}.", linha, Join(erros, "; "))
                                           : fmt::format("Lançamento {}: {}.", chave, Join(erros, "; ")));
    if (grande)
      for (size_t i = 0; i < erros.size(); ++i)
        db.Prepared("insert into VZEL_INCON_TLAN (BDSESSAO, BDCODEMP, BDCHAVE, BDCODINCONSISTENCIA, BDDESCRICAO) "
                    "values (?, ?, ?, ?, ?)")
            .Execute({ds.Sessao(), Inteiro(ds, "BDCODEMP"), chave, static_cast<int>(i + 1), Utf8Left(erros[i], 250)});
  }
}

void TUtilImportacao_Padrao_Treeview::GetChaveServidor() {
  // A paged node reserves its keys a page at a time, as it writes them.
  for (TNodoImportacao* n : Nodos())
    if (EhLancamentos(n->Caption) && ModoArquivoGrande(n->DAO) && !SessaoEmPaginas(n->DAO)) ReservaChaves(*n);
}

void TUtilImportacao_Padrao_Treeview::ReservaChaves(TNodoImportacao& nodo) {
  TDAOFactory& ds = *nodo.DAO;
  // Consistent lines per company, in the order of the node; only they are written.
  std::map<int, std::vector<std::string>> porEmpresa;
  for (ds.First(); !ds.Eof(); ds.Next())
    if (Inteiro(ds, "BDINCONSISTENTE") == miConsistente && !DuplicataForaDaImportacao(ds))
      porEmpresa[Inteiro(ds, "BDCODEMP")].push_back(ChaveSessao(Inteiro(ds, "BDCODEMP"), Inteiro(ds, "BDCHAVE")));
  for (const auto& [empresa, chaves] : porEmpresa) {
    int proxima = ReserveEntryKeys(ds.Database(), empresa, static_cast<int>(chaves.size()));
    for (const std::string& c : chaves) nodo.ChavesNovas[c] = proxima++;
  }
}

int TUtilImportacao_Padrao_Treeview::Grava(TNodoImportacao& nodo, std::vector<TBookmark>& gravadas,
                                           std::vector<TBookmark>& liquidadas) {
  TDAOFactory& ds = *nodo.DAO;
  TLancamentosRevisao livro(ds.Database());
  const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo = ArquivoFonte();
  // A line of an entry file is booked once: its entry, or its settlement. The lines are recorded together
  // once the node is written, in the same transaction.
  std::vector<TFonteLancada> linhasArquivo;
  auto registraLinha = [&](const std::pair<int, int>& chave) {
    if (auto f = FonteDaLinha(ds, arquivo, chave.first, chave.second)) linhasArquivo.push_back(std::move(*f));
  };
  std::set<std::pair<int, int>> escritas;
  std::set<std::pair<int, int>> comComplemento;

  // Long complements first: the map takes them from provisional keys to the reserved ones.
  std::vector<std::pair<std::pair<int, int>, std::string>> complementos;
  for (TDAOFactory* a : nodo.Aggregates) {
    if (!IsComplementoLongo(a)) continue;
    TDetachedDetail solto(*a, true);
    for (a->First(); !a->Eof(); a->Next()) {
      const std::string antiga = a->FieldByName("BDCHAVE").AsString();
      auto it = nodo.ChavesNovas.find(antiga);
      const int chave = it != nodo.ChavesNovas.end() ? it->second : Inteiro(*a, "BDCHAVE");
      const std::string texto = a->FieldByName("BDCOMPL").AsString();
      if (Trim(texto).empty()) continue;
      complementos.push_back({{Inteiro(*a, "BDCODEMP"), chave}, texto});
      comComplemento.insert({Inteiro(*a, "BDCODEMP"), chave});
    }
  }

  int n = 0;
  // The walk reads the lines alone (the details are written apart below): the details follow once, at its end.
  std::optional<TBulkLoad> semDetalhes(std::in_place, ds);
  for (ds.First(); !ds.Eof(); ds.Next()) {
    AvancaProgresso();
    if (!DeveImportarRegistroAtual(ds)) continue;
    const int inc = Inteiro(ds, "BDINCONSISTENTE");
    const std::pair<int, int> chave{Inteiro(ds, "BDCODEMP"), Inteiro(ds, "BDCHAVE")};
    if (inc == miForaDaImportacao && ds.FindField("BDVINC_BAIXA") && ds.FieldByName("BDVINC_BAIXA").AsBoolean()) {
      liquidadas.push_back(ds.GetBookmark());
      liquidadas_.push_back(chave);
      if (auto f = FonteLiquidada(ds, arquivo, chave.first, chave.second)) linhasArquivo.push_back(std::move(*f));
      continue;
    }
    if (inc != miConsistente || DuplicataForaDaImportacao(ds)) {
      if (inc == miAvisoBaixa) AnotaLiquidadaEmParte(ds, arquivo, chave.first, chave.second, linhasArquivo);
      recusadas_.push_back(chave);
      continue;
    }
    std::map<std::string, Variant> fixos;
    const TField* compl_ = ds.FindField("BDCOMPL");
    if (compl_ && ComplementoLongo(compl_->AsString())) {
      // A long complement typed on the line lives in the complement table; the line keeps none.
      if (!comComplemento.count(chave)) complementos.push_back({chave, compl_->AsString()});
      fixos["BDCOMPL"] = Variant();
    }
    livro.Insere(ds, fixos);
    registraLinha(chave);
    escritas.insert(chave);
    importadas_.push_back(chave);
    gravadas.push_back(ds.GetBookmark());
    ++n;
  }
  semDetalhes.reset();
  if (!linhasArquivo.empty()) livros_->RegistraFontes(linhasArquivo);
  for (const auto& [chave, texto] : complementos)
    if (escritas.count(chave)) livro.InsereComplemento(chave.first, chave.second, texto);
  if (!nodo.Aggregates.empty() && nodo.Aggregates.front()->InheritsFrom("TLancamentoCentroCustoMGR")) {
    TDAOFactory& cc = *nodo.Aggregates.front();
    TDetachedDetail solto(cc, true);
    for (cc.First(); !cc.Eof(); cc.Next())
      if (escritas.count({Inteiro(cc, "BDCODEMP"), Inteiro(cc, "BDCHAVE")})) livro.InsereCentroCusto(cc, cc.TableName());
  }
  return n;
}

namespace {

// Staged lines of one company with consecutive provisional keys whose reserved keys are consecutive
// too: each table takes the whole stretch in one statement, every key moved by the same distance.
struct TTrechoSessao {
  int Empresa = 0;
  int Inicio = 0;
  int Fim = -1;
  int Nova = 0;
  bool Vazio() const { return Fim < Inicio; }
  bool Continua(int empresa, int chave, int nova) const {
    return !Vazio() && empresa == Empresa && chave == Fim + 1 && nova == Nova + (chave - Inicio);
  }
};

}  // namespace

int TUtilImportacao_Padrao_Treeview::GravaArquivoGrande(TNodoImportacao& nodo) {
  TDAOFactory& ds = *nodo.DAO;
  TDatabase& db = ds.Database();
  const int sessao = ds.Sessao();
  const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(ds.WorkTable(), "Tabela de trabalho inválida: ");
  TCopiaSessaoLancamentos livro(db, tabela, sessao);
  const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo = ArquivoFonte();
  const std::string faixa = " where BDSESSAO = ? and BDCODEMP = ? and BDCHAVE between ? and ?";
  TStatement& apaga = db.Prepared("delete from " + tabela + faixa);

  TTrechoSessao trecho;
  auto gravaTrecho = [&] {
    if (trecho.Vazio()) return;
    // Every line of the stretch was read from the session just now: a missing one is not skipped.
    const int desvio = trecho.Nova - trecho.Inicio;
    if (livro.Copia(trecho.Empresa, trecho.Inicio, trecho.Fim, desvio) != trecho.Fim - trecho.Inicio + 1)
      throw EDatabaseError(fmt::format("Os lançamentos {} a {} da empresa {} não estão mais na sessão de revisão.",
                                       trecho.Inicio, trecho.Fim, trecho.Empresa));
    if (arquivo) livros_->RegistraLinhasArquivo(arquivo->Nome, tabela, sessao, trecho.Empresa, trecho.Inicio, trecho.Fim, desvio);
    apaga.Run({sessao, trecho.Empresa, trecho.Inicio, trecho.Fim});
    trecho = {};
  };
  int n = 0;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    AvancaProgresso();
    const int inc = Inteiro(ds, "BDINCONSISTENTE");
    const int empresa = Inteiro(ds, "BDCODEMP");
    const int chave = Inteiro(ds, "BDCHAVE");
    if (inc == miForaDaImportacao && ds.FindField("BDVINC_BAIXA") && ds.FieldByName("BDVINC_BAIXA").AsBoolean()) {
      if (auto f = FonteLiquidada(ds, arquivo, empresa, chave)) livros_->RegistraFonte(*f);
      apaga.Run({sessao, empresa, chave, chave});   // settled by the settlement engine: nothing more to write
      liquidadas_.push_back({empresa, chave});
      continue;
    }
    if (inc != miConsistente || DuplicataForaDaImportacao(ds)) {
      if (inc == miAvisoBaixa) {
        std::vector<TFonteLancada> emParte;
        AnotaLiquidadaEmParte(ds, arquivo, empresa, chave, emParte);
        if (!emParte.empty()) livros_->RegistraFonte(emParte.front());
      }
      recusadas_.push_back({empresa, chave});
      continue;
    }
    auto it = nodo.ChavesNovas.find(ChaveSessao(empresa, chave));
    if (it == nodo.ChavesNovas.end())
      throw EDatabaseError(fmt::format("Lançamento {} da empresa {} sem chave reservada.", chave, empresa));
    if (trecho.Continua(empresa, chave, it->second)) {
      trecho.Fim = chave;
    } else {
      gravaTrecho();
      trecho = {empresa, chave, chave, it->second};
    }
    importadas_.push_back({empresa, it->second});
    ++n;
  }
  gravaTrecho();
  return n;
}

int TUtilImportacao_Padrao_Treeview::GravaEmPaginas(TNodoImportacao& nodo, int& lidas) {
  int n = 0;
  // The lines go to the ledger by statements over the work table: a page needs only what picks them.
  TPaginasSessao paginas(*nodo.DAO, "BDSESSAO, BDCODEMP, BDCHAVE, BDINCONSISTENTE, BDVINC_BAIXA, BDLINHA, BDFONTE, BDVALOR, BDDATA, BDDEBITO, "
                                       "BDCREDITO, BDDCTO, BDVALORFONTE, BDDUPLICATA, BDLANCARDUPLICATA");
  while (paginas.Proxima()) {
    nodo.ChavesNovas.clear();
    ConfereDuplicatas(nodo);
    ReservaChaves(nodo);
    n += GravaArquivoGrande(nodo);
  }
  nodo.ChavesNovas.clear();
  ApagaCompanheirasGravadas(*nodo.DAO);
  lidas = static_cast<int>(paginas.Lidas());
  // The run reloads the node after its commit, or after its rollback: reading the first page now would
  // walk every line just taken out of the session for nothing.
  paginas.RestauraSemLer();
  return n;
}

void TUtilImportacao_Padrao_Treeview::ApagaCompanheirasGravadas(TDAOFactory& ds) {
  TDatabase& db = ds.Database();
  const int sessao = ds.Sessao();
  const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(ds.WorkTable(), "Tabela de trabalho inválida: ");
  // The companions of the lines that left the work table go with them, in one statement per table.
  for (const char* t : kTabelasCompanheirasTemp)
    if (db.TableExists(t))
      db.Execute(fmt::format("delete from {} C where C.BDSESSAO = ? and not exists (select 1 from {} T where "
                             "T.BDSESSAO = C.BDSESSAO and T.BDCODEMP = C.BDCODEMP and T.BDCHAVE = C.BDCHAVE)",
                             t, tabela),
                 {sessao});
}

namespace {
// The import run's progress window, open while the run lasts.
class TProgressoImportacao {
 public:
  TProgressoImportacao(TComponent& dono, TfrStatusProcesso*& janela, int linhas)
      : dono_(dono), janela_(janela), linhas_(linhas) {
    janela_ = TfrStatusProcesso::createStatusProcess(&dono_, 1);
    Etapa("Validando lançamentos...");
  }
  ~TProgressoImportacao() {
    janela_->Finalize();
    dono_.FreeComponent(janela_);
    janela_ = nullptr;
  }
  TProgressoImportacao(const TProgressoImportacao&) = delete;
  TProgressoImportacao& operator=(const TProgressoImportacao&) = delete;
  void Etapa(const std::string& texto) {
    janela_->setPrimaryStatusLabel(texto);
    janela_->setPrimaryMaxProgress(linhas_);
    janela_->setPrimaryStatusProgress(0);
  }

 private:
  TComponent& dono_;
  TfrStatusProcesso*& janela_;
  int linhas_;
};
}  // namespace

void TUtilImportacao_Padrao_Treeview::AvancaProgresso() {
  if (progresso_) progresso_->Step(0);
}

namespace {
// A paged node counts its session: its data set holds a page.
int LinhasNodo(TNodoImportacao& n) {
  return SessaoEmPaginas(n.DAO) ? static_cast<int>(LinhasDaSessao(*n.DAO)) : n.DAO->RecordCount();
}
}  // namespace

namespace {
// Tries of a run that meets sources another run is booking at the same moment.
constexpr int kTentativasImportacao = 2;
}  // namespace

bool TUtilImportacao_Padrao_Treeview::Importa() {
  // What another window or workstation booked while this run wrote is now in the books: the run is
  // made again, as the user's next press would be, and leaves those lines out by name, booking the rest.
  for (int tentativa = 1;; ++tentativa)
    if (const std::optional<bool> r = ImportaUmaVez(tentativa < kTentativasImportacao)) return *r;
}

std::optional<bool> TUtilImportacao_Padrao_Treeview::ImportaUmaVez(bool refaz) {
  // The gate lives as long as the run.
  struct TFimLivros {
    std::unique_ptr<TLivros>& livros;
    ~TFimLivros() { livros.reset(); }
  } fimLivros{livros_};
  // A press that wrote nothing is over once the user presses again: its error is not this run's.
  if (FInconsistencias && !falhaAnterior_.empty()) FInconsistencias->RemoveTexto(falhaAnterior_);
  falhaAnterior_.clear();
  resumo_.clear();
  importadas_.clear();
  recusadas_.clear();
  liquidadas_.clear();
  FTodosImportados = true;
  std::vector<TNodoImportacao*> lancamentos;
  for (TNodoImportacao* n : Nodos()) {
    n->ChavesNovas.clear();
    if (n->DAO && EhLancamentos(n->Caption)) lancamentos.push_back(n);
  }
  // The run's progress: one step per line checked, then per line written.
  int linhas = 0;
  for (TNodoImportacao* n : lancamentos) linhas += LinhasNodo(*n);
  TProgressoImportacao progresso(*this, progresso_, linhas);
  TRemovidas removidas;
  int total = 0;
  TDatabase* db = lancamentos.empty() ? nullptr : &lancamentos.front()->DAO->Database();
  std::unique_ptr<TTransaction> tx;
  try {
    // From the settlements to the last row, the run is one write: a failure leaves nothing posted.
    if (db) tx = std::make_unique<TTransaction>(*db);
    if (db) livros_ = std::make_unique<TLivros>(*db, ExecucaoDe(this));
    total = Escreve(lancamentos, removidas, [&] { progresso.Etapa("Gravando lançamentos..."); });
    if (tx) tx->Commit();
  } catch (const std::exception& e) {
    // Nothing of the run stays written; the lines stay in the review for another try.
    if (tx && tx->Active()) tx->Rollback();
    importadas_.clear();
    liquidadas_.clear();
    for (TNodoImportacao* n : lancamentos)
      if (ModoArquivoGrande(n->DAO)) Recarrega(n->DAO);
    if (refaz && dynamic_cast<const EFonteJaLancada*>(&e)) return std::nullopt;
    RelataFimImportacao(std::string("A importação foi cancelada e nada foi gravado: ") + e.what(), true);
    GravaLogAdicional();
    return false;
  }
  ProcessosClassesFilhasAposImportacao();
  RetiraGravadas(lancamentos, removidas);
  Conclui(total);
  return total > 0;
}

int TUtilImportacao_Padrao_Treeview::Escreve(const std::vector<TNodoImportacao*>& lancamentos, TRemovidas& removidas,
                                             const std::function<void()>& aoGravar) {
  // The participants a file declares are registered first: its lines are checked against them. The
  // other nodes follow the entries, whose keys they take.
  for (TNodoImportacao* n : Nodos())
    if (n->DAO && EhParticipantes(n->Caption)) GravaNodoAdicional(*n);
  GetAntesValidacao();
  LeBaixas(lancamentos);
  for (TNodoImportacao* n : lancamentos) ValidaNodo(*n);
  std::map<TNodoImportacao*, int64_t> naSessao;
  for (TNodoImportacao* n : lancamentos)
    if (ModoArquivoGrande(n->DAO) && !SessaoEmPaginas(n->DAO)) naSessao[n] = LinhasDaSessao(*n->DAO);
  GetAposInconsistencia();
  aoGravar();
  // The settlements flag their lines (and the after-check removes some) in the work tables only: the
  // staged rows are read again when the session holds any such line (a large session read again for
  // nothing costs as much as writing it).
  for (const auto& [n, linhas] : naSessao)
    if (LinhasDaSessao(*n->DAO) != linhas || TemLinhasForaDaImportacao(*n->DAO)) Recarrega(n->DAO);
  // What another window or road booked since the review opened is met here, inside the run's write.
  for (TNodoImportacao* n : lancamentos)
    if (!SessaoEmPaginas(n->DAO)) ConfereDuplicatas(*n);
  GetChaveServidor();
  GetAposChaveServidor();
  int total = 0;
  for (TNodoImportacao* n : lancamentos) {
    if (SessaoEmPaginas(n->DAO)) {
      // The pass reads every line of the session: it counts them as they come.
      int registros = 0;
      total += GravaEmPaginas(*n, registros);
      resumo_.push_back({n->Caption, registros, registros});
      continue;
    }
    const int registros = LinhasNodo(*n);
    resumo_.push_back({n->Caption, registros, registros});
    auto& r = removidas[n];
    if (ModoArquivoGrande(n->DAO)) {
      total += GravaArquivoGrande(*n);
      ApagaCompanheirasGravadas(*n->DAO);
    } else {
      total += Grava(*n, r.first, r.second);
    }
  }
  for (TNodoImportacao* n : Nodos())
    if (n->DAO && !EhLancamentos(n->Caption) && !EhParticipantes(n->Caption)) GravaNodoAdicional(*n);
  GetAposGravacao();
  return total;
}

void TUtilImportacao_Padrao_Treeview::RetiraGravadas(const std::vector<TNodoImportacao*>& lancamentos,
                                                     TRemovidas& removidas) {
  auto* tela = Tela();
  for (TNodoImportacao* n : lancamentos) {
    if (ModoArquivoGrande(n->DAO)) {
      Recarrega(n->DAO);
      for (auto& s : resumo_)
        if (s.Caption == n->Caption) s.NaoImportados = LinhasNodo(*n);
      continue;
    }
    auto& r = removidas[n];
    std::vector<TBookmark> todas = r.first;
    todas.insert(todas.end(), r.second.begin(), r.second.end());
    if (tela) tela->ExcluiLinhas(n->DAO, todas);
    for (auto& s : resumo_)
      if (s.Caption == n->Caption) s.NaoImportados = n->DAO->RecordCount();
  }
}

void TUtilImportacao_Padrao_Treeview::Conclui(int total) {
  // The entries are written by now: what fails after them (the period's transactions, the feeder's
  // report) is told beside the end message and the lines' status rows, never in their place.
  try {
    GetAntesFinalizarProcesso();
  } catch (const std::exception& e) {
    RelataFimImportacao(std::string("Os lançamentos foram gravados, mas: ") + e.what(), false);
  }
  ConfirmarNotasTarvo();
  confirmaNotasIntegracaoArquivosClientes();
  // The engines' clean-up comes before the end message, which may offer what the clean-up wrote; its
  // failure (the entries are written by then) is reported and the plain message still shows.
  try {
    ClearListaDAO();
  } catch (const std::exception& e) {
    if (FInconsistencias) FInconsistencias->Add_Erro(std::string_view(e.what()));
  }
  GravaLogAdicional();
  // A settled line is booked too: its settlement wrote its entry.
  TContagemImportacao contagem;
  contagem.Importacoes = 1;
  contagem.Importados = ContaImportados(total + static_cast<int>(liquidadas_.size()));
  contagem.NaoImportados = static_cast<long long>(ContaNaoImportados(recusadas_.size()));
  contagem.JaLancados = static_cast<long long>(FJaLancados.size());
  RegistraContagemExecucao(contagem);
  MostraMensagemFimImportacao(MensagemFimImportacao(contagem));
}

std::string MensagemFimImportacao(const TContagemImportacao& c) {
  return c.JaLancados == 0
             ? fmt::format("Importação finalizada: {} lançamento(s) importado(s), {} não importado(s).", c.Importados,
                           c.NaoImportados)
             : fmt::format("Importação finalizada: {} lançamento(s) importado(s), {} não importado(s), {} já "
                           "lançado(s) anteriormente.",
                           c.Importados, c.NaoImportados, c.JaLancados);
}

void TUtilImportacao_Padrao_Treeview::ConfirmarNotasTarvo() {
  auto* tela = Tela();
  if (!tela || !IsUnattended()) return;
  const TProcessContext& ctx = ProcessContext();
  TDatabase* db = ctx.Database;
  if (!db) return;
  // The rows go out as the lists are walked: a staged file's million lines are never listed again.
  TGravacaoConferencia conferencia(*db);
  importadas_.PorTrecho([&](int e, int i, int f) { conferencia.GravaTrecho(e, i, f, sltImportado); });
  for (const auto& k : FJaLancados) conferencia.Grava(k.first, k.second, sltImportado);
  recusadas_.PorTrecho([&](int e, int i, int f) { conferencia.GravaTrecho(e, i, f, sltInconsistente); });
  // A line the reader refused never had a key; it is the import's company's inconsistency all the same,
  // or a run whose other lines went in would be judged clean.
  const int empresa = FCodEmpBase ? static_cast<int>(FCodEmpBase->Codigo()) : ctx.WP_EMPRESA_PROCESSO;
  for (int i = 0; i < FRecusadasNaLeitura; ++i) conferencia.Grava(empresa, Variant(), sltInconsistente);
  conferencia.Conclui();
}

void GravaConferenciaLancamentos(TDatabase& db, const std::vector<TLancamentoConferido>& linhas) {
  TGravacaoConferencia conferencia(db);
  for (const TLancamentoConferido& l : linhas) conferencia.Grava(l.Empresa, l.Chave, l.Status);
  conferencia.Conclui();
}

// One status row per line, the statement prepared once; the rows stand or fall together.
TGravacaoConferencia::TGravacaoConferencia(TDatabase& db)
    : tx_(db, TTransaction::kJuntaAberta),
      insere_(db.Prepared("insert into VSH_EMP_TCONF_TLAN (BDSEQ, BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, "
                          "BDORDEMAGENDAMENTO, BDCHAVE, BDSTATUS) values (next value for GEN_VSH_EMP_TCONF_TLAN, ?, ?, "
                          "?, ?, ?, ?)")),
      // A run's keys are given in stretches: a statement per row cost more than writing the row.
      trecho_(db.Prepared(
          "EXECUTE BLOCK (A TYPE OF COLUMN VSH_EMP_TCONF_TLAN.BDCODAGENDAMENTO = ?, E TYPE OF COLUMN "
          "VSH_EMP_TCONF_TLAN.BDCODEMP = ?, P TYPE OF COLUMN VSH_EMP_TCONF_TLAN.BDCODPLANOTARVO = ?, O TYPE OF COLUMN "
          "VSH_EMP_TCONF_TLAN.BDORDEMAGENDAMENTO = ?, I INTEGER = ?, F INTEGER = ?, S TYPE OF COLUMN "
          "VSH_EMP_TCONF_TLAN.BDSTATUS = ?) AS BEGIN WHILE (I <= F) DO BEGIN INSERT INTO VSH_EMP_TCONF_TLAN (BDSEQ, "
          "BDCODAGENDAMENTO, BDCODEMP, BDCODPLANOTARVO, BDORDEMAGENDAMENTO, BDCHAVE, BDSTATUS) VALUES (NEXT VALUE FOR "
          "GEN_VSH_EMP_TCONF_TLAN, :A, :E, :P, :O, :I, :S); I = I + 1; END END")) {}

void TGravacaoConferencia::Grava(int empresa, const Variant& chave, TStatusLancamentoTarvo status) {
  const TProcessContext& ctx = ProcessContext();
  insere_.Run({ctx.WP_AGENDAMENTO, empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, chave,
               static_cast<int>(status)});
}

void TGravacaoConferencia::GravaTrecho(int empresa, int inicio, int fim, TStatusLancamentoTarvo status) {
  if (fim < inicio) return;
  if (fim == inicio) return Grava(empresa, inicio, status);
  const TProcessContext& ctx = ProcessContext();
  trecho_.Run({ctx.WP_AGENDAMENTO, empresa, ctx.WP_PLANO_TARVO, ctx.WP_ORDEM_AGENDAMENTO, inicio, fim,
               static_cast<int>(status)});
}

// A run that nothing was written by fails; one whose entries stand is only inconsistent. Either way the
// list holds the reason and the user, or the run's status row, is told once.
void TUtilImportacao_Padrao_Treeview::RelataFimImportacao(const std::string& msg, bool nadaGravado) {
  if (FInconsistencias) FInconsistencias->Add_Erro(std::string_view(msg));
  if (nadaGravado) falhaAnterior_ = msg;
  if (IsUnattended()) {
    if (nadaGravado)
      RegistraFalhaExecucao(msg);
    else
      RegistraInconsistenciaExecucao(msg);
  } else if (nadaGravado) {
    DlgErroOk(msg);
  } else {
    DlgWarOk(msg);
  }
}

void TUtilImportacao_Padrao_Treeview::GravaLogAdicional() {
  if (logAdicional_.empty()) return;
  auto* tela = Tela();
  TLogEvent log(nullptr, logProcesso, FCodEmpBase ? static_cast<int>(FCodEmpBase->Codigo()) : 0,
                tela ? tela->ClassName() : ClassName(), "Importação");
  for (const std::string& l : logAdicional_) log.AddAcao(l);
  logAdicional_.clear();
  log.GravarLog(false);
}

int TUtilImportacao_Padrao_Treeview::GravaNodoAdicional(TNodoImportacao& nodo) {
  TDAOFactory& ds = *nodo.DAO;
  if (UpperCase(nodo.Caption) != UpperCase(kNodoParticipantes) || !ds.FindField("BDCODTER") ||
      !ds.FindField("BDNOMETER") || !ds.FindField("BDCGCTER"))
    return 0;
  TDatabase& db = ds.Database();
  const int referencia = ProcessContext().Referencia;
  // The registry columns the node carries, the code first.
  std::vector<std::string> colunas{"BDCODTER"};
  for (const std::string& c : db.TableColumns("TTERCEIRO"))
    if (c != "BDCODTER" && ds.FindField(c)) colunas.push_back(c);
  TStatement& insere = db.Prepared("insert into TTERCEIRO (" + Join(colunas, ", ") + ") values (" +
                                   Join(std::vector<std::string>(colunas.size(), "?"), ", ") + ")");
  int n = 0;
  TFilterGuard todas(ds, TFilterGuard::kAllRows);   // every declared participant, whatever the node shows
  for (ds.First(); !ds.Eof(); ds.Next()) {
    const int codigo = Inteiro(ds, "BDCODTER");
    if (codigo == 0 || !db.QueryValue("select BDCODTER from TTERCEIRO where BDCODTER = ?", {codigo}).IsNull()) continue;
    const Variant nome = ds.FieldByName("BDNOMETER").Value();
    const Variant cnpj = ds.FieldByName("BDCGCTER").Value();
    TParams valores;
    for (const std::string& c : colunas) valores.push_back(ds.FieldByName(c).Value());
    insere.Execute(valores);
    if (referencia > 0)
      db.Execute("insert into TTERCEIRO_REF (BDCODTER, BDREFTER, BDNOMETER, BDCGCTER) values (?, ?, ?, ?)",
                 {codigo, referencia, nome, cnpj});
    ++n;
  }
  return n;
}

const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* TUtilImportacao_Padrao_Treeview::ArquivoFonte() const {
  const auto* tela = Tela();
  return livros_ && tela && tela->ArquivoFonte.Registra ? &tela->ArquivoFonte : nullptr;
}

std::optional<TFonteLancada> TUtilImportacao_Padrao_Treeview::FonteDaLinha(
    TDAOFactory& ds, const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo, int empresa,
    int chaveLancamento) {
  if (!arquivo) return std::nullopt;
  std::optional<TFonteLancada> f = FonteLinhaRevisao(ds, arquivo->Nome, chaveLancamento);
  if (f) f->CodEmp = empresa;
  return f;
}

void TUtilImportacao_Padrao_Treeview::ConfereDuplicatas(TNodoImportacao& nodo) {
  const auto* arquivo = ArquivoFonte();
  TDAOFactory& ds = *nodo.DAO;
  if (!arquivo || !ds.FindField(kCampoDuplicata)) return;
  std::vector<TBookmark> linhas;
  std::vector<bool> marcadas;
  std::vector<TFonteLancada> fontes;
  // The walk reads the lines alone: their details follow once, at its end.
  const TBulkLoad semDetalhes(ds);
  for (ds.First(); !ds.Eof(); ds.Next()) {
    // A ticked line is the user's decision; what is left of a line booked in part is no new movement.
    if (Inteiro(ds, "BDINCONSISTENTE") != miConsistente || LancarAssimMesmo(ds)) continue;
    if (const TField* inteira = ds.FindField(kCampoValorFonte); inteira && !inteira->IsNull()) continue;
    if (auto f = FonteDaLinha(ds, arquivo, Inteiro(ds, "BDCODEMP"), 0)) {
      linhas.push_back(ds.GetBookmark());
      marcadas.push_back(MarcadaDuplicata(ds));
      fontes.push_back(std::move(*f));
    }
  }
  const std::vector<std::optional<TFonteRegistrada>> iguais = livros_->MovimentosIguais(fontes);
  for (size_t i = 0; i < linhas.size(); ++i) {
    // Most lines are none: only a mark to set or clear moves to its line.
    if (!iguais[i] && !marcadas[i]) continue;
    ds.GotoBookmark(linhas[i]);
    const bool marcada = marcadas[i];
    GravaMarcaDuplicata(ds, iguais[i] ? MarcaDuplicata(*iguais[i]) : std::string());
    // A line the user saw marked was told when the review opened; one found now is told here.
    if (iguais[i] && !marcada && FInconsistencias)
      FInconsistencias->Add_Atencao(fontes[i].CodEmp, fmt::format("Linha {} do arquivo: {}. Não foi importado: marque-o "
                                                                  "para lançar.",
                                                                  Inteiro(ds, "BDLINHA"), MarcaDuplicata(*iguais[i])));
  }
}

void TUtilImportacao_Padrao_Treeview::AnotaLiquidadaEmParte(
    TDAOFactory& ds, const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo, int empresa, int chave,
    std::vector<TFonteLancada>& fontes) {
  const TField* vinculo = ds.FindField("BDVINC_BAIXA");
  if (!vinculo || !vinculo->AsBoolean()) return;
  std::optional<TFonteLancada> f = FonteLiquidada(ds, arquivo, empresa, chave);
  if (!f || f->Partes.empty()) return;
  // The line stays in the review: a later run of the same review finds its settlements recorded already.
  const auto contas = livros_->FontesRegistradas(empresa, f->Tipo, {f->Chave});
  if (auto c = contas.find(f->Chave); c != contas.end())
    std::erase_if(f->Partes, [&](const TParteFonte& p) {
      return std::any_of(c->second.Partes.begin(), c->second.Partes.end(),
                         [&](const TParteFonte& x) { return x.Parte == p.Parte; });
    });
  if (!f->Partes.empty()) fontes.push_back(std::move(*f));
}

std::optional<TFonteLancada> TUtilImportacao_Padrao_Treeview::FonteLiquidada(
    TDAOFactory& ds, const TfrImportacao_Padrao_Itens_TreeView_VYN::TArquivoFonte* arquivo, int empresa, int chave) {
  std::optional<TFonteLancada> f = FonteDaLinha(ds, arquivo, empresa, 0);
  if (!f) return f;
  const std::vector<TParteFonte>* partes = nullptr;
  if (ModoArquivoGrande(&ds)) {
    if (auto p = baixasPorChave_.find(chave); p != baixasPorChave_.end()) partes = &p->second;
  } else if (auto p = baixasPorFonte_.find(ds.FieldByName("BDFONTE").AsString()); p != baixasPorFonte_.end()) {
    partes = &p->second;
  }
  if (!partes) return f;
  f->Partes = *partes;
  Currency soma;
  for (const TParteFonte& p : f->Partes) soma += p.Valor;
  // A link's fine or interest beside its principal is booked of this line too.
  f->Valor = std::max(f->Valor, soma);
  return f;
}

void TUtilImportacao_Padrao_Treeview::LeBaixas(const std::vector<TNodoImportacao*>& lancamentos) {
  baixasPorChave_.clear();
  baixasPorFonte_.clear();
  const auto* arquivo = ArquivoFonte();
  if (!arquivo || !arquivo->Baixas) return;
  baixasPorChave_ = arquivo->Baixas();
  if (baixasPorChave_.empty()) return;
  // A review in memory gives its lines their server keys after the settlements: its lines are known by
  // their identity in the file. A staged line keeps its key.
  for (TNodoImportacao* n : lancamentos) {
    TDAOFactory& ds = *n->DAO;
    if (ModoArquivoGrande(&ds) || !ds.FindField("BDFONTE")) continue;
    TFilterGuard todas(ds, TFilterGuard::kAllRows);
    for (ds.First(); !ds.Eof(); ds.Next())
      if (auto p = baixasPorChave_.find(Inteiro(ds, "BDCHAVE")); p != baixasPorChave_.end())
        baixasPorFonte_[ds.FieldByName("BDFONTE").AsString()] = p->second;
  }
}

void TUtilImportacao_Padrao_Treeview::MostraMensagemFimImportacao(const std::string& texto) {
  if (IsUnattended())
    RegistraMensagemExecucao(texto);
  else
    DlgInfOk(texto);
}

}  // namespace vyn
