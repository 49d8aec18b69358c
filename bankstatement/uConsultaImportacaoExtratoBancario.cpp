#include "bankstatement/uConsultaImportacaoExtratoBancario.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "bankstatement/uConsultaImportacaoExtratoBancario_Campos.h"
#include "bankstatement/uConsultaImportacaoExtratoBancarioY570.h"
#include "bankstatement/uConsultaImportacaoExtratoBancario_Util.h"
#include "framework/accounting/consulta_codigos_lancamento.h"
#include "framework/accounting/importacao_dyq_mgr.h"
#include "framework/accounting/lancamento_complementos.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/lancamento_y570_mgr.h"
#include "framework/accounting/mov_par_mgr.h"
#include "framework/accounting/preparacao_extrato_mgr.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/temp_name.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/fields_container.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/web/dyq_client.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;
using namespace campos;

namespace {

constexpr const char* kDialogoExtrato = "TfrFiltroImportacaoExtratoBancarioDYQ";
constexpr const char* kDialogoCaixa = "TfrFiltroImportacaoMovimentoCaixaDYQ";
constexpr const char* kOFC = "TfrImportacaoOFC";
constexpr const char* kOFCConciliacao = "TfrImportacaoOFCConciliacao";
constexpr const char* kConciliacaoBancaria = "TfrProcessoConciliacaoBancaria";

// A Boolean or Integer carried in a slot of the array: unboxed or boxed.
bool LeBooleano(const TListaObj& lista, int i) {
  if (i >= lista.Count()) return false;
  switch (lista.Kind(i)) {
    case TListaObj::SlotKind::Integer: return lista.GetInteger(i) != 0;
    case TListaObj::SlotKind::Component:
      if (auto* b = dynamic_cast<TBoolean_VYN*>(lista.GetComponent(i))) return b->Value();
      if (auto* n = dynamic_cast<TInteger_VYN*>(lista.GetComponent(i))) return n->Value() != 0;
      return false;
    default: return false;
  }
}

int LeInteiro(const TListaObj& lista, int i) {
  if (i >= lista.Count()) return 0;
  if (lista.Kind(i) == TListaObj::SlotKind::Integer) return static_cast<int>(lista.GetInteger(i));
  if (lista.Kind(i) == TListaObj::SlotKind::Component)
    if (auto* n = dynamic_cast<TInteger_VYN*>(lista.GetComponent(i))) return n->Value();
  return 0;
}

struct TColunaLinha {
  const char* Nome;
  TFieldType Tipo;
  int Tamanho;
};

// Every column the review works with; an opener's data set brings some, the review adds the rest.
const TColunaLinha kColunasLinhas[] = {
    {"BDCODEMP", TFieldType::ftInteger, 0},       {"BDCHAVE", TFieldType::ftInteger, 0},
    {"BDDATA", TFieldType::ftDate, 0},            {"BDDEBITO", TFieldType::ftInteger, 0},
    {"BDCREDITO", TFieldType::ftInteger, 0},      {"BDCODTERCEIROD", TFieldType::ftInteger, 0},
    {"BDCODTERCEIROC", TFieldType::ftInteger, 0}, {"BDVALOR", TFieldType::ftCurrency, 0},
    {"BDDESCONTOS", TFieldType::ftCurrency, 0},   {"BDCODTPHI", TFieldType::ftInteger, 0},
    {"BDCODHIST", TFieldType::ftInteger, 0},      {"BDCODPLAPADRAO", TFieldType::ftInteger, 0},
    {"BDLOTE", TFieldType::ftInteger, 0},         {"BDCOMPL", TFieldType::ftString, kTamanhoTextoLinhaDYQ},
    {"BDCOMPLBANCARIO", TFieldType::ftString, kTamanhoTextoLinhaDYQ}, {"BDDCTO", TFieldType::ftString, 30},
    {"BDOBS", TFieldType::ftString, kTamanhoTextoLinhaDYQ},         {"BDOBSWEB", TFieldType::ftString, 500},
    {"BDSTATUSWEB", TFieldType::ftInteger, 0},    {"BDIDWEB", TFieldType::ftInteger, 0},
    {"BDIDEXTRATOWEB", TFieldType::ftInteger, 0}, {"BDINCONSISTENTE", TFieldType::ftInteger, 0},
    {"BDMULTLANC", TFieldType::ftInteger, 0},     {"BDCHAVELANC", TFieldType::ftInteger, 0},
    {"BDTIPOLAN", TFieldType::ftInteger, 0},      {"BDTIPOCONC", TFieldType::ftInteger, 0},
    {"BDCONTRAPARTDEBCRED", TFieldType::ftInteger, 0}, {"BDTRANSPREP", TFieldType::ftBoolean, 0},
    {"BDVINC_BAIXA", TFieldType::ftBoolean, 0},   {"BDVINC_BAIDESC", TFieldType::ftBoolean, 0},
    {"BDCONCD", TFieldType::ftBoolean, 0},        {"BDCONCC", TFieldType::ftBoolean, 0},
    {"BDTEMCOMPROVANTE", TFieldType::ftBoolean, 0},
    // What a payment receipt read into the line brings (the receipt import's columns).
    {"BDCNPJ", TFieldType::ftString, 20},         {"BDVALORPAGO", TFieldType::ftCurrency, 0},
    {"BDVALORORIGINAL", TFieldType::ftCurrency, 0}, {"BDJUROS", TFieldType::ftCurrency, 0},
    {"BDMULTAS", TFieldType::ftCurrency, 0},
    // A line equal to a movement booked under another identity: the entry it matches, and the user's tick
    // to book it anyway.
    {"BDDUPLICATA", TFieldType::ftString, kTamanhoDuplicata}, {"BDLANCARDUPLICATA", TFieldType::ftBoolean, 0}};

}  // namespace

TfrConsultaImportacaoExtratoBancario::TfrConsultaImportacaoExtratoBancario(TComponent* owner)
    : TfrImportacao_Padrao_Itens_TreeView_VYN(owner) {
  SetCaption("Consulta importação extrato bancário");
  spEditar = CriaBotao(*this, "spEditar", "");
  spPreparaExtrato = CriaBotao(*this, "spPreparaExtrato", "Preparar importação do extrato bancário");
  spRateioCredito = CriaBotao(*this, "spRateioCredito", "Importa preparação para extrato bancário");
  spImportarModelo = CriaBotao(*this, "spImportarModelo", "Importa comprovantes de pagamentos");
  spCurrencyLink = CriaBotao(*this, "spCurrencyLink", "Baixa de duplicatas");
  spDelLink = CriaBotao(*this, "spDelLink", "Remover baixa de duplicatas");
  spAutoLink = CriaBotao(*this, "spAutoLink", "");
  spRemoveAutoLink = CriaBotao(*this, "spRemoveAutoLink", "Remover vínculos automáticos");
  spConciliacaoAut = CriaBotao(*this, "spConciliacaoAut", "Conciliação");
  spY570 = CriaBotao(*this, "spY570", "Demonstrativo do Imposto de Renda e CSLL Retidos na Fonte");
  spOnline = CriaBotao(*this, "spOnline", "Mostrar lançamentos conciliados");
  spRecusaExtrato = CriaBotao(*this, "spRecusaExtrato", "Recusar extrato no DYQ");
  spCurrencyLinkMulti = CriaBotao(*this, "spCurrencyLinkMulti", "Baixa de duplicatas");
  spDelLinkMulti = CriaBotao(*this, "spDelLinkMulti", "Remover baixa de duplicatas");
  spAutoLinkVerde = CriaBotao(*this, "spAutoLinkVerde", "Documento vinculado");
  splitdyq = Create<TPanel>();
  splitdyq->SetName("splitdyq");
  pnMultiLanc = Create<TPanel>();
  pnMultiLanc->SetName("pnMultiLanc");
  CriaMenus();
  // The link buttons drop their kind menus down: the menu's items follow the line as it opens.
  for (TSpeedButton* b : {spCurrencyLink, spCurrencyLinkMulti})
    b->OnClick = [this](TComponent* s) { pmTipoBaixaPopup(s); };
  spAutoLink->OnClick = [this](TComponent* s) { spAutoLinkClick(s); };
  spDelLink->OnClick = [this](TComponent* s) { spDelLinkClick(s); };
  spDelLinkMulti->OnClick = [this](TComponent* s) { spDelLinkMultiClick(s); };
  spRemoveAutoLink->OnClick = [this](TComponent* s) { spRemoveAutoLinkClick(s); };
  spRecusaExtrato->OnClick = [this](TComponent* s) { spRecusaExtratoClick(s); };
  spRateioCredito->OnClick = [this](TComponent* s) { spRateioCreditoClick(s); };
  grLancamentoManual = Create<TDBGrid_Padrao_VYN>();
  grLancamentoManual->SetName("grLancamentoManual");
  dsLancamentoManual = Create<TDataSource>();
  grLancamentoManual->SetDataSource(dsLancamentoManual);
  FRetornaDYQ = std::make_unique<TRetornaMetodoDYQ>();
  // With the screen: the data refresh that feeds it may run before the screen is shown.
  FY570 = Create<TY570ConsultaExtratoBancario>();
  FY570->Revisao = this;
  spY570->OnClick = [this](TComponent* s) { spY570Click(s); };
  spEditar->OnClick = [this](TComponent* s) { spEditarClick(s); };
  spPreparaExtrato->OnClick = [this](TComponent* s) { spPreparaExtratoClick(s); };
  spOnline->OnClick = [this](TComponent* s) { spOnlineClick(s); };
  spConciliacaoAut->OnClick = [this](TComponent* s) { spConciliacaoAutClick(s); };
  spImportarModelo->OnClick = [this](TComponent* s) { spImportarModeloClick(s); };
  // The lines grid and the split-row grid answer the user's clicks and keys.
  grGrid->OnCellClick = [this](TComponent*, const std::string& campo) { grGridCellClick(campo); };
  grGrid->OnKeyPress = [this](TComponent*, char& key) { grGridKeyPress(key); };
  grGrid->OnKeyUp = [this](TComponent*, int&, unsigned) { grGridKeyUp(); };
  grGrid->OnMouseDown = [this](TComponent*, bool direito) { grGridMouseDown(direito); };
  // Several lines are returned, refused or deleted at once (shift and ctrl clicks).
  grGrid->MultiSelect = true;
  grGrid->PopupMenu = pmSelecao;
  pmSelecao->SetEnabled(false);
  grGrid->OnMouseUp = [this](TComponent*, bool) { grGridMouseUp(); };
  grLancamentoManual->OnCellClick = [this](TComponent*, const std::string& campo) {
    grLancamentoManualCellClick(campo);
  };
  grLancamentoManual->OnKeyPress = [this](TComponent*, char& key) { grLancamentoManualKeyPress(key); };
  grLancamentoManual->OnEnter = [this](TComponent*) { grLancamentoManualEnter(); };
  grLancamentoManual->OnExit = [this](TComponent*) { grLancamentoManualExit(); };
  grGrid->OnExit = [this](TComponent*) { AtualizaBotoesLinhas(); };
  grLancamentoManual->OnKeyUp = [this](TComponent*, int&, unsigned) { AtualizaBotoesMulti(); };
  grLancamentoManual->OnMouseUp = [this](TComponent*, bool) { AtualizaBotoesMulti(); };
  grLancamentoManual->MostraDado = [](TField& f, std::string& texto) { pMostraDadosPadrao(f, texto); };
  // A split row with cost-centre rows shows in blue.
  grLancamentoManual->CorFonteLinha = [this] { return MultiLancTemCC() ? 0x0000FF : -1; };
  CriaFieldsContainers();
  CriaGradeMultiplos();
  CriaGradeParcelas();
  CriaPainelDescricoes();
  AfterAddButtons();
}

// The drop-down menus of the import, link and automatic-link buttons, and what their items do.
void TfrConsultaImportacaoExtratoBancario::CriaMenus() {
  auto item = [this](const char* nome, const char* caption) {
    auto* m = Create<TMenuItem>();
    m->SetName(nome);
    m->SetCaption(caption);
    return m;
  };
  // The import button's face imports everything; its arrow drops the choice of what to import.
  pmImporta = item("pmImporta", "");
  miImportarTodos = pmImporta->Add("miImportarTodos", "Importar todos os lançamentos");
  miImportarPreparados = pmImporta->Add("miImportarPreparados", "Importar apenas os lançamentos preparados");
  spImportacao->DropdownMenu = pmImporta;
  spImportacao->DropdownArrowOnly = true;
  // The kind menus drop from the link buttons (the line's and the split row's): their items are
  // reached only through them.
  pmTipoBaixa = item("pmTipoBaixa", "");
  miImpostos = pmTipoBaixa->Add("miImpostos", "Impostos");
  miParcelamento = pmTipoBaixa->Add("miParcelamento", "Parcelamento");
  miCalculo = pmTipoBaixa->Add("miCalculo", "Cálculo");
  pmTipoBaixaMulti = item("pmTipoBaixaMulti", "");
  miImpostosMulti = pmTipoBaixaMulti->Add("miImpostosMulti", "Impostos");
  miParcelamentoMulti = pmTipoBaixaMulti->Add("miParcelamentoMulti", "Parcelamento");
  miCalculoMulti = pmTipoBaixaMulti->Add("miCalculoMulti", "Cálculo");
  spCurrencyLink->DropdownMenu = pmTipoBaixa;
  spCurrencyLinkMulti->DropdownMenu = pmTipoBaixaMulti;
  for (TMenuItem* pm : {pmTipoBaixa, pmTipoBaixaMulti}) pm->OnPopup = [this](TComponent* s) { pmTipoBaixaPopup(s); };
  // The automatic link runs from the button's face; its options drop from the arrow.
  pmConciliacao = item("pmConciliacao", "");
  miDocumento = pmConciliacao->Add("miDocumento", "Documento");
  miConsiderarZeros = pmConciliacao->Add("miConsiderarZeros", "Considerar zeros a esquerda");
  miDistinguirValores =
      pmConciliacao->Add("miDistinguirValores", "Distinguir valores iguais pela data de vencimento");
  spAutoLink->DropdownMenu = pmConciliacao;
  spAutoLink->DropdownArrowOnly = true;
  for (TMenuItem* m : {miDocumento, miConsiderarZeros, miDistinguirValores}) m->AutoCheck = true;
  miDocumento->OnClick = [this](TComponent*) {
    miConsiderarZeros->SetEnabled(miDocumento->Checked);
    if (!miDocumento->Checked) miConsiderarZeros->Checked = false;
  };
  for (TMenuItem* m : {miImportarTodos, miImportarPreparados})
    m->OnClick = [this](TComponent* s) { spImportacaoClick(s); };
  for (TMenuItem* m : {miImpostos, miParcelamento, miCalculo, miImpostosMulti, miParcelamentoMulti, miCalculoMulti})
    m->OnClick = [this](TComponent* s) { miDuplicatasClick(s); };
}

void TfrConsultaImportacaoExtratoBancario::AfterAddButtons() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::AfterAddButtons();
  spPreparaExtrato->Imagem = "SPCONSULTADIFERENCA";
  spCurrencyLinkMulti->Imagem = "spCurrencyLink";
  spDelLinkMulti->Imagem = "spDelLink";
  spAutoLinkVerde->Imagem = "spAutoLinkVerde";
}

TfrConsultaImportacaoExtratoBancario::~TfrConsultaImportacaoExtratoBancario() = default;

bool TfrConsultaImportacaoExtratoBancario::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrConsultaImportacaoExtratoBancario") ||
         TfrImportacao_Padrao_Itens_TreeView_VYN::InheritsFrom(class_name);
}

TUtilImportacao_ExtratoBancario_Treeview* TfrConsultaImportacaoExtratoBancario::Util() const {
  return dynamic_cast<TUtilImportacao_ExtratoBancario_Treeview*>(UtilImportacao());
}

TDAOFactory* TfrConsultaImportacaoExtratoBancario::DAOLinhas() const { return PesquisaDAONodo(kNodoLancamentos); }

TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* TfrConsultaImportacaoExtratoBancario::DAOPreparacoes() const {
  return dynamic_cast<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR*>(PesquisaDAONodo(kNodoPreparacoes));
}

TClientDataSet* TfrConsultaImportacaoExtratoBancario::DAOMulti() const {
  auto* l = dynamic_cast<TLancamentoMGR*>(DAOLinhas());
  return l ? l->getMultiLancamentosDAO() : nullptr;
}

int TfrConsultaImportacaoExtratoBancario::ContaBanco() const {
  return FEditConta ? static_cast<int>(FEditConta->Codigo()) : 0;
}

std::string TfrConsultaImportacaoExtratoBancario::ClasseChamadora() const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (dynamic_cast<TForm_VYN*>(c)) return c->ClassName();
  return {};
}

bool TfrConsultaImportacaoExtratoBancario::OwnerNaCadeia(const std::string& classe) const {
  for (TComponent* c = Owner(); c; c = c->Owner())
    if (SameText(c->ClassName(), classe)) return true;
  return false;
}

bool TfrConsultaImportacaoExtratoBancario::TemDadosDYQ() const { return FDYQ || ClasseChamadora() == kDialogoCaixa; }

std::string TfrConsultaImportacaoExtratoBancario::PastaComprovantes() const {
  // Named after this review, which lives as long as the folder (its close deletes it), and after its
  // process, so that the next review removes what a killed one left.
  return (std::filesystem::path(TfrImportacaoCompPagto::PastaComprovantesDYQ()) /
          TAcessoExclusivo::NomeDoProcesso(fmt::format("{:x}", reinterpret_cast<uintptr_t>(this))))
             .string() +
         "/";
}

void TfrConsultaImportacaoExtratoBancario::FormCreate() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormCreate();
  for (const char* img : {"ilock", "iCurrency", "iCurrency_yellow"}) grGrid->AddBitmap("", img);
  FRecNoLancExtrato = -1;
  SetConsultaSoletrada(true);
  FPrepExtratoBancarioDAO = Create<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR>();
  FProcessoBaixas = std::make_unique<TProcessoBaixas>(this, nullptr);
  FImpPreparacao = false;
  FImpPrepaConfigurada = false;
  if (ProcessContext().Database) {
    FConsultaParcelamentoDAO = TConsultaGrupoDAO::CreateMgr(this);
    FConsultaParcelamentoDAO->SetTableName("VEF_EMP_TMOVENTPAR");
    FConsultaParcelamentoDAO->SelectVazio();
    // The grid shows a line's installments: what it drops to show another line's stays in memory.
    FConsultaParcelamentoDAO->SetControlMemory(true);
    dsGridNF->SetDataSet(FConsultaParcelamentoDAO);
  }
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::CreateUtilImportacao() {
  SetUtilImportacao(Create<TUtilImportacao_ExtratoBancario_Treeview>());
  TfrImportacao_Padrao_Itens_TreeView_VYN::CreateUtilImportacao();
}

void TfrConsultaImportacaoExtratoBancario::MontaLinhas(TLancamentoMGR* origem) {
  FLinhas = TLancamentoMGR::CreateMgr(this, false, false, 1, true, true);
  FLinhas->SetControlMemory(true);
  FLinhas->SetTableName("");   // the review works in memory; only the import writes entries
  std::set<std::string> nomes;
  if (origem)
    for (const TFieldDef& d : origem->FieldDefs()) {
      FLinhas->AddFieldDef(d.Name, d.DataType, d.Size);
      nomes.insert(UpperCase(d.Name));
    }
  for (const TColunaLinha& c : kColunasLinhas)
    if (!nomes.count(c.Nome)) FLinhas->AddFieldDef(c.Nome, c.Tipo, c.Tamanho);
  FLinhas->CreateDataSet();
  if (origem) {
    // A statement line knows only its bank account: the chart and history plan of its company are what
    // give its accounts and histories a meaning (descriptions, Y570, the import's account check).
    std::map<int64_t, std::pair<int, int>> planos;
    auto planosDa = [&](int64_t empresa) {
      auto it = planos.find(empresa);
      if (it == planos.end())
        it = planos.emplace(empresa, std::make_pair(vyn::PlanoContasEmpresa(empresa), PlanoHistoricoEmpresa(empresa)))
                 .first;
      return it->second;
    };
    TFilterGuard filtro(*origem, TFilterGuard::kAllRows);
    // Every line takes the same fields: each is found by its name once, not at every line.
    const TCamposEmComum copia(*origem, *FLinhas);
    TField& plano = FLinhas->FieldByName("BDCODPLAPADRAO");
    TField& hist = FLinhas->FieldByName("BDCODHIST");
    TField& empresa = FLinhas->FieldByName("BDCODEMP");
    std::vector<TField*> inteiros, marcas;
    for (const char* f : {"BDINCONSISTENTE", "BDMULTLANC", "BDSTATUSWEB"}) inteiros.push_back(&FLinhas->FieldByName(f));
    for (const char* f : {"BDTRANSPREP", "BDVINC_BAIXA", "BDCONCD", "BDCONCC", "BDLANCARDUPLICATA"})
      marcas.push_back(&FLinhas->FieldByName(f));
    for (origem->First(); !origem->Eof(); origem->Next()) {
      FLinhas->Append();
      copia.Copia();
      auto inteiro = [](const TField& f) { return f.IsNull() ? int64_t{0} : f.AsInteger(); };
      if (inteiro(plano) <= 0 || inteiro(hist) <= 0) {
        const auto [contas, historicos] = planosDa(inteiro(empresa));
        if (inteiro(plano) <= 0) plano.SetAsInteger(contas);
        if (inteiro(hist) <= 0) hist.SetAsInteger(historicos);
      }
      for (TField* f : inteiros)
        if (f->IsNull()) f->SetAsInteger(0);
      for (TField* f : marcas)
        if (f->IsNull()) f->SetAsBoolean(false);
      FLinhas->Post();
    }
    // The lines keep their keys, so what the opener already reconciled stays with its line.
    TClientDataSet& itens = *origem->getItensConciliadosDAO();
    TFilterGuard todos(itens, TFilterGuard::kAllRows);
    for (itens.First(); !itens.Eof(); itens.Next())
      FLinhas->setItensConciliadosItem(
          itens.FieldByName("BDCODEMP").AsInteger(), itens.FieldByName("BDCHAVE").AsInteger(),
          itens.FieldByName("BDDCTO").AsString(), itens.FieldByName("BDDATA").AsDateTime(),
          itens.FieldByName("BDVALOR").AsCurrency(), itens.FieldByName("BDCHAVECONC").AsInteger(),
          static_cast<int>(itens.FieldByName("BDTIPOCONC").AsInteger()));
  }
  IdentificaFontes();
  FLinhas->First();
}

void TfrConsultaImportacaoExtratoBancario::AdicionaNodoSeFaltar(const std::string& caption, TDAOFactory* dao) {
  if (!NodoPorCaption(caption)) AdicionaNodo(caption, dao);
}

void TfrConsultaImportacaoExtratoBancario::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, preArquivo + 1,
                      "Esta tela é aberta pela importação do extrato bancário ou do movimento de caixa.");
  if (auto* e = lista.Count() > preArquivo ? dynamic_cast<TCustomEdit*>(lista.GetComponent(preArquivo)) : nullptr)
    FArquivo = e->Text();
  auto* inc = lista.Count() > preInconsistencias ? lista.Get<TInconsistencias_VYN>(preInconsistencias) : nullptr;
  if (auto* u = Util()) {
    u->SetInconsistencias_VYN(inc);
    u->SetListaObj(&lista);
  }
  FCodEmp = lista.Count() > preEmpresa ? lista.Get<TEdit_Codigo_Search_VYN>(preEmpresa) : nullptr;
  FEditConta =
      lista.Count() > preConta ? dynamic_cast<TEdit_Codigo_Search_VYN*>(lista.GetComponent(preConta)) : nullptr;
  FTransacaoAut = lista.Count() > preTransacao ? dynamic_cast<TSpeedButton*>(lista.GetComponent(preTransacao)) : nullptr;
  FDtIni = lista.Count() > preDataIni ? lista.GetComponent(preDataIni) : nullptr;
  FDtFim = lista.Count() > preDataFim ? lista.GetComponent(preDataFim) : nullptr;
  FUltimaChave = LeInteiro(lista, preUltimaChave);
  FVinculosSalvos = lista.Count() > preVinculosSalvos
                        ? dynamic_cast<TClientDataSet*>(lista.GetComponent(preVinculosSalvos))
                        : nullptr;
  FFavorecidoAposCompl = false;
  FSoLanPrep = false;
  FAmbienteTeste = false;
  if (lista.Count() > preSubPrepWeb) FSubPrepWeb = LeBooleano(lista, preSubPrepWeb);
  if (lista.Count() > preFavorecidoAposCompl) FFavorecidoAposCompl = LeBooleano(lista, preFavorecidoAposCompl);
  const bool dyqLista = lista.Count() > preDYQ && LeBooleano(lista, preDYQ);
  if (lista.Count() > preNaoCoincidirSequencia) FSoLanPrep = LeBooleano(lista, preSoPreparacoes);
  if (lista.Count() > preAmbienteTeste) FAmbienteTeste = LeBooleano(lista, preAmbienteTeste);
  spImportarModelo->SetVisible(FArquivo.find(".varku") == std::string::npos);
  const std::string chamador = ClasseChamadora();
  FDYQ = chamador == kDialogoExtrato || dyqLista;
  FNaoCoincidirTransPrep = false;
  if (OwnerNaCadeia(kOFCConciliacao))
    FNaoCoincidirTransPrep = LeBooleano(lista, preSoPreparacoes);
  else if (OwnerNaCadeia(kOFC) || OwnerNaCadeia(kDialogoExtrato))
    FNaoCoincidirTransPrep = LeBooleano(lista, preNaoCoincidirSequencia);
  FTipoExtrato = chamador == kDialogoCaixa ? 2 : 1;
  SetCaption(FTipoExtrato == 2 ? "Consulta importação movimento de caixa" : "Consulta importação extrato bancário");
  const int empresa = FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0;
  FPrepExtratoBancarioDAO->getConsulta(empresa, FTipoExtrato);
  FY570->CarregaAplicacoesFinanceiras(PlanoContasEmpresa());
  const bool dyqVisivel = TemDadosDYQ();
  spRecusaExtrato->SetVisible(dyqVisivel);
  splitdyq->SetVisible(dyqVisivel);
  FImpPreparacao = FDYQ || chamador == kOFC || chamador == kConciliacaoBancaria;
  FEmpresasPrep.clear();
  FLogAdicionalPrep.clear();
  // The node data sets: the lines (completed with the review's columns) and the rules that came with
  // the statement (else none yet).
  MontaLinhas(lista.Count() > preLinhas ? dynamic_cast<TLancamentoMGR*>(lista.GetComponent(preLinhas)) : nullptr);
  AdicionaNodoSeFaltar(kNodoLancamentos, FLinhas);
  // The entries' cost-centre rows: those of the split rows go to the entries made of them.
  if (FLinhas) {
    if (Aggregates(FLinhas).empty()) AddAggregateDAO(FLinhas, Create<TLancamentoCentroCustoMGR>(), 0);
    CentrosCustoMulti = {FLinhas->getMultiLancamentosCCDAO(0), FLinhas->getMultiLancamentosCCDAO(1)};
  }
  MontaPreparacoes(lista, empresa);
  if (auto* u = Util(); u && lista.Count() > preNaoTrazidas)
    u->FRecusadasNaLeitura = static_cast<int>(LeInteiro(lista, preNaoTrazidas));
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaObj(lista);
}

void TfrConsultaImportacaoExtratoBancario::MontaPreparacoes(const TListaObj& lista, int empresa) {
  // The rules node shows the company's stored rules, which fill the lines, beside those that came with
  // the statement.
  FPreparacoesNodo = Create<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR>();
  FPreparacoesNodo->getConsulta(empresa, FTipoExtrato);
  if (auto* vindas = lista.Count() > prePreparacoes
                         ? dynamic_cast<TClientDataSet*>(lista.GetComponent(prePreparacoes))
                         : nullptr)
    FPreparacoesNodo->AcrescentaPreparacoesDYQ(*vindas);
  AdicionaNodoSeFaltar(kNodoPreparacoes, FPreparacoesNodo);
}

void TfrConsultaImportacaoExtratoBancario::RemoveNaoPreparados() {
  TDAOFactory* l = DAOLinhas();
  if (!l) return;
  // Saved links follow their lines to the new numbers; links of removed lines go with them.
  std::map<int64_t, int64_t> novas;
  std::set<int64_t> removidas;
  int n = 0;
  {
    TDisabledControls controles(l);
    for (l->First(); !l->Eof();) {
      if (Int(*l, "BDCREDITO") == 0 || Int(*l, "BDDEBITO") == 0) {
        removidas.insert(Int(*l, "BDCHAVE"));
        l->Delete();
        continue;
      }
      novas[Int(*l, "BDCHAVE")] = ++n;
      Grava(*l, "BDCHAVE", Variant(n));
      l->Next();
    }
  }
  l->First();
  if (!FVinculosSalvos || !FVinculosSalvos->Active()) return;
  TFilterGuard filtro(*FVinculosSalvos, TFilterGuard::kAllRows);
  std::vector<TBookmark> linhas;
  for (FVinculosSalvos->First(); !FVinculosSalvos->Eof(); FVinculosSalvos->Next())
    linhas.push_back(FVinculosSalvos->GetBookmark());
  int descartados = 0;
  for (TBookmark b : linhas) {
    FVinculosSalvos->GotoBookmark(b);
    const int64_t k = Int(*FVinculosSalvos, "BDCHAVE");
    if (auto it = novas.find(k); it != novas.end()) {
      Grava(*FVinculosSalvos, "BDCHAVE", Variant(it->second));
    } else if (removidas.count(k)) {
      FVinculosSalvos->Delete();
      ++descartados;
    }
  }
  if (descartados > 0)
    if (auto* u = Util(); u && u->Inconsistencias())
      u->Inconsistencias()->Add_Atencao(
          FCodEmp ? static_cast<int>(FCodEmp->Codigo()) : 0,
          std::to_string(descartados) + " vínculo(s) de baixa descartado(s): seus lançamentos não estão preparados.");
}

void TfrConsultaImportacaoExtratoBancario::SetListaDAO() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaDAO();
  if (FProcessoBaixas) {
    FProcessoBaixas->SetEditConta(FEditConta);
    FProcessoBaixas->SetDAOImport(DAOLinhas());
    FProcessoBaixas->SetCodEmp(FCodEmp);
  }
  TInconsistencias_VYN* inc = Util() ? Util()->Inconsistencias() : nullptr;
  const int avisos = inc ? inc->Count() : 0;
  RemoveItensJaIntegrados();
  LeContasNaAbertura();
  // Told at once: the user opened the statement to book these lines.
  if (inc && inc->Count() > avisos) inc->Show();
  if (FSoLanPrep || FDYQ || ClasseChamadora() == kDialogoCaixa) spRateioCreditoClick(nullptr);
  if (FSoLanPrep) RemoveNaoPreparados();
  if (FProcessoBaixas && FVinculosSalvos)
    FProcessoBaixas->AddRegistrosBaixas(FVinculosSalvos, this, FCodEmp, Util() ? Util()->Inconsistencias() : nullptr,
                                        FLinhas);
  AtualizaTreeView();
}

void TfrConsultaImportacaoExtratoBancario::AfterListaObj() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::AfterListaObj();
  if (auto* u = Util()) u->SetCodEmp(FCodEmp);
}

void TfrConsultaImportacaoExtratoBancario::AtualizaDados(bool hugeFile) {
  if (tvGrupos->Selected()) {
    dsGrid->SetDataSet(nullptr);
    grGrid->Columns.clear();
    SetDAOAtual(PesquisaDAONodo(tvGrupos->Selected()->Text));
    if (FProcessoBaixas && DAOAtual() == DAOLinhas()) FProcessoBaixas->SetDAOImport(DAOAtual());
    SetFieldsContainerGrid(this);
  }
  if (DAOAtual() && DAOAtual() == DAOLinhas()) {
    AtualizaY570();
    FY570->geraInconsistenciaY570();
  }
  TfrImportacao_Padrao_Itens_TreeView_VYN::AtualizaDados(hugeFile);
}

int64_t TfrConsultaImportacaoExtratoBancario::PlanoContasEmpresa() const {
  if (!FCodEmp || FCodEmp->Codigo() <= 0) return 0;
  if (const int64_t plano = FCodEmp->GetCodPlanoEmpresa(3)) return plano;
  TSQLMGR q;
  q.CommandText(
      "select R.BDCODPLAPADRAO from TEMPRESAS_REF R where R.BDCODEMP = ? and R.BDREFEMP = "
      "(select BDREFEMP from SP_GETREFERENCIA(?, ?))",
      ctOpen, {Variant(FCodEmp->Codigo()), Variant(FCodEmp->Codigo()), Variant(ProcessContext().Referencia)});
  return q.IsEmpty() ? 0 : Int(q, "BDCODPLAPADRAO");
}

void TfrConsultaImportacaoExtratoBancario::AtualizaY570() {
  if (!FY570DAO) {
    FY570DAO = TVZEL_EMPRESAS_TLAN_Y570MGR::CreateMgr(this, true);
    TY570ConsultaExtratoBancario::AbreDadosDasLinhas(*FY570DAO);
  }
  FY570->Linhas = DAOLinhas();
  FY570->Inconsistencias = Util() ? Util()->Inconsistencias() : nullptr;
  if (FY570->Inconsistencias)
    FY570->Inconsistencias->OnExecuteItem = [this](const TInconsistenciaItem& item) {
      Inconsistencias_VYNExecuteItem(item.Caption);
    };
  FY570->AtualizaY570(FY570DAO);
}

void TfrConsultaImportacaoExtratoBancario::spY570Click(TComponent*) { FY570->spY570Click(); }

void TfrConsultaImportacaoExtratoBancario::SetFieldsContainerGrid(TComponent* owner) {
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetFieldsContainerGrid(owner);
  const std::string chamador = ClasseChamadora();
  const bool colunasPrep = FDYQ || chamador == kOFC || chamador == kConciliacaoBancaria;
  grGrid->Columns.clear();
  grGrid->EditaCelula = nullptr;
  if (DAOAtual() && DAOAtual() == DAOLinhas()) {
    pnMultiLanc->SetVisible(true);
    dsLancamentoManual->SetDataSet(DAOMulti());
    spRateioCredito->SetEnabled(true);
    miDocumento->SetEnabled(true);
    const bool dyq = TemDadosDYQ();
    TFieldsContainer& fc = *fieldsContainerExtrato;
    for (const char* c : {"BDOBS", "BDSTATUSWEB", "BDOBSWEB"}) fc.SetVisible(c, dyq);
    for (const char* c : {"BDTRANSPREP", "BDCOMPLBANCARIO"}) fc.SetVisible(c, colunasPrep);
    fc.SetTitle("BDCOMPL", colunasPrep ? "Complemento contábil" : "Complemento");
    fc.SetDataSet(DAOLinhas());
    fc.SetGridSearch(grGrid);
    AtualizarStatusBotoes();
  } else if (DAOAtual() && DAOAtual() == DAOPreparacoes()) {
    pnMultiLanc->SetVisible(false);
    for (TControl* b : std::initializer_list<TControl*>{spCurrencyLink, spDelLink, spAutoLink, spRemoveAutoLink,
                                                        spRateioCredito, miDocumento})
      b->SetEnabled(false);
    for (const char* c : {"BDCODEMP", "BDCHAVELANC"}) fcPreparacoes->SetVisible(c, colunasPrep);
    fcPreparacoes->SetDataSet(DAOPreparacoes());
    fcPreparacoes->SetGridSearch(grGrid);
  }
}

void TfrConsultaImportacaoExtratoBancario::AtualizarStatusBotoes() {
  TDAOFactory* l = DAOLinhas();
  const bool naLinhas = l && DAOAtual() == l;
  spOnline->SetEnabled(false);
  if (auto* lanc = dynamic_cast<TLancamentoMGR*>(l); lanc && naLinhas && !l->IsEmpty()) {
    TClientDataSet itens;
    itens.CloneCursor(*lanc->getItensConciliadosDAO());
    spOnline->SetEnabled(itens.Locate("BDCODEMP;BDCHAVE", {Variant(Int(*l, "BDCODEMP")), Variant(Int(*l, "BDCHAVE"))}));
  }
  spY570->SetEnabled(false);
  if (naLinhas && !l->IsEmpty() && Int(*l, "BDCREDITO") > 0) {
    TSQLMGR q;
    q.CommandText("select first 1 bdaplifin from PLANOS_TPLA where (bdcodplapadrao = ?) and (bdcodtpla = ?)", ctOpen,
                  {Variant(Int(*l, "BDCODPLAPADRAO")), Variant(Int(*l, "BDCREDITO"))});
    if (!q.IsEmpty()) spY570->SetEnabled(Flag(q, "bdaplifin"));
  }
  if (TemDadosDYQ() && naLinhas && UpperCase(NodoSelecionado()) == UpperCase(kNodoLancamentos)) {
    // A returned or refused line takes no links; the others follow the link rules as in any review
    // (a linked or complete line is not linked again).
    const bool pode = !l->IsEmpty() && Int(*l, "BDSTATUSWEB") == 0;
    for (TSpeedButton* b : {spAutoLink, spRemoveAutoLink}) b->SetEnabled(pode);
    spCurrencyLink->SetEnabled(PodeVincularLinha());
    spDelLink->SetEnabled(pode && CanEnableLinkButton(false));
  }
}

void TfrConsultaImportacaoExtratoBancario::FormActivate() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormActivate();
  if (DAOAtual() && DAOAtual() == DAOLinhas()) SetFieldsContainerGrid(this);
  spDelLink->SetEnabled(CanEnableLinkButton(false));
  spCurrencyLink->SetEnabled(CanEnableLinkButton(true));
  AtualizarStatusBotoes();
  if (FY570DAO && DAOAtual() && DAOAtual() == DAOLinhas()) FY570->AtualizaY570(FY570DAO);
  AtualizaBotoesMulti();
}

void TfrConsultaImportacaoExtratoBancario::FormShow() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormShow();
  miConsiderarZeros->SetEnabled(false);
  pCalculaTamanhoLegenda();
}

std::vector<TClientDataSet*> TfrConsultaImportacaoExtratoBancario::GetArrayOfCDS() {
  TClientDataSet* cc[2] = {nullptr, nullptr};
  for (size_t i = 0; i < CentrosCustoMulti.size() && i < 2; ++i) cc[i] = CentrosCustoMulti[i];
  return {DAOLinhas(), DAOMulti(), cc[0], cc[1], FProcessoBaixas ? FProcessoBaixas->cdsVINC_EXT_BAN_BAIXA : nullptr};
}

int TfrConsultaImportacaoExtratoBancario::GetTipoImportacao() {
  TfrImportacao_Padrao_Itens_TreeView_VYN::GetTipoImportacao();
  return 2;
}

void TfrConsultaImportacaoExtratoBancario::FormClose(TCloseAction& action) {
  // Returned and refused lines not reported yet still go to Dyq; nothing is reported integrated.
  if (!FRecusado) BeforeClearDao();
  // The folder is this review's alone: no other running review's receipts go with it, but those a killed
  // one left do.
  if (std::filesystem::exists(PastaComprovantes())) DeleteDir(PastaComprovantes());
  if (TemDadosDYQ()) TAcessoExclusivo::RemoveOrfaos(TfrImportacaoCompPagto::PastaComprovantesDYQ());
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormClose(action);
  if (auto* c = dynamic_cast<TControl*>(Owner())) c->SetEnabled(true);
}

void TfrConsultaImportacaoExtratoBancario::FormDestroy() {
  FProcessoBaixas.reset();
  TfrImportacao_Padrao_Itens_TreeView_VYN::FormDestroy();
}

}  // namespace integracao
