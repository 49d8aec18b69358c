#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge.h"

#include "entryimport/review/uConsultaImportacaoLancCCTxtHuge_Util.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/empresas_mgr.h"
#include "framework/accounting/gravacao_ao_fundo.h"
#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/boxed_values.h"
#include "framework/component/lista_obj.h"
#include "framework/component/process_context.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/packages_util.h"
#include "framework/ui/parametros_revisao.h"
#include "framework/ui/seleciona_filiais.h"
#include "settlement/uProcessoBaixas.h"

namespace integracao {

using namespace vyn;


TfrConsultaImportacaoLancCCTxtHuge::TfrConsultaImportacaoLancCCTxtHuge(TComponent* owner)
    : TfrConsultaImportacaoLancCCTxt(owner) {
  FPainelNF = false;
  FArquivoGrande = true;
  spLancamentosCC = CriaBotao(*this, "spLancamentosCC", "Centro de custo");
  spLancamentosCC->Down = true;
  spLancamentosObs = CriaBotao(*this, "spLancamentosObs", "Observações");
  spLancamentosInc = CriaBotao(*this, "spLancamentosInc", "Incorporadora");
  spLancamentosPR = CriaBotao(*this, "spLancamentosPR", "Produtor rural");
  spNotaExplicativa = CriaBotao(*this, "spNotaExplicativa", "Nota Explicativa");
  spCurrencyLinkMulti = CriaBotao(*this, "spCurrencyLinkMulti", "Baixa de duplicatas");
  spDelLinkMulti = CriaBotao(*this, "spDelLinkMulti", "Remover baixa de duplicatas");
  pnGridManual = Create<TPanel>();
  pnGridManual->SetName("pnGridManual");
  pnGridManual->SetVisible(false);
  grLancamentoManual = Create<TDBGrid_Padrao_VYN>();
  grLancamentoManual->SetName("grLancamentoManual");
  dsLancamentoManual = Create<TDataSource>();
  grLancamentoManual->SetDataSource(dsLancamentoManual);
  // The grouped selection's popup menu, dropped by a right click on its column.
  pmSelecaoBaixa = Create<TMenuItem>();
  pmSelecaoBaixa->SetName("pmSelecaoBaixa");
  miTirarSelecaoBaixa = pmSelecaoBaixa->Add("miTirarSelecaoBaixa", "Tirar seleção todos");
  miTirarSelecaoBaixa->OnClick = [this](TComponent* s) { miTirarSelecaoBaixaClick(s); };
  tmGravacao = Create<TTimer>();
  tmGravacao->SetName("tmGravacao");
  tmGravacao->Interval = 500;
  tmGravacao->OnTimer = [this](TComponent*) {
    if (FGravacao && !FGravacao->EmAndamento()) AguardaGravacao();
  };
  struct {
    const char* Campo;
    const char* Titulo;
    bool Visivel;
  } const manual[] = {{"BDVINC_BAIXA", "", true},        {"bdCHAVELANC", "Chave", true},
                      {"bdDATA", "Data", true},          {"bdCOMPL", "Complemento", true},
                      {"bdDEBITO", "Débito", true},      {"bdCREDITO", "Crédito", true},
                      {"bdVALOR", "Valor", true},        {"bdTIPOLAN", "Conc.", false},
                      {"bdDCTO", "Documento", true},     {"bdCODEMP", "", true},
                      {"bdCHAVE", "", true},             {"bdCODPLAPADRAO", "", false},
                      {"bdCODTPHI", "Histórico", true},  {"bdCODHIST", "", true},
                      {"bdCONCC", "", true},             {"bdCONCD", "", true},
                      {"bdLOTE", "", false},             {"bdCODTERCEIROD", "Participante (débito)", true},
                      {"bdCODTERCEIROC", "Participante (crédito)", true}};
  for (const auto& c : manual) grLancamentoManual->AddColumn(c.Campo, c.Titulo).Visible = c.Visivel;
  grLancamentoManual->MostraDado = [this](TField& f, std::string& texto) { grLancamentoManualMostraDado(f.FieldName(), texto); };
  grLancamentoManual->MostraDadoImagem = [this](TField& f) { return grLancamentoManualMostraDadoImagem(f.FieldName()); };
}

TfrConsultaImportacaoLancCCTxtHuge::~TfrConsultaImportacaoLancCCTxtHuge() = default;

bool TfrConsultaImportacaoLancCCTxtHuge::InheritsFrom(const std::string& class_name) const {
  // The in-memory review lends its code, not its identity.
  return SameText(class_name, "TfrConsultaImportacaoLancCCTxtHuge") ||
         TfrImportacao_Padrao_Itens_TreeView_VYN::InheritsFrom(class_name);
}

void TfrConsultaImportacaoLancCCTxtHuge::FormCreate() {
  SetTipoGrid(1);
  TfrConsultaImportacaoLancCCTxt::FormCreate();
  // A split line's settlement was booked of its source line.
  ArquivoFonte.Baixas = [this, linhas = std::move(ArquivoFonte.Baixas)] {
    return BaixasDasFontes(linhas ? linhas() : std::map<int64_t, std::vector<TParteFonte>>());
  };
  grGrid->OnCellClick = [this](TComponent*, const std::string& campo) { grGridCellClickHuge(campo); };
  grGrid->OnMouseDown = [this](TComponent*, bool direito) { grGridMouseDown(direito); };
  SetRetirarFiltroExitGrid(false);
  SetConsultaSoletrada(true);
  SetUsarOrderByHugeFile(true);
  SetTipoImportacao(1);
  FBmp = grGrid->AddBitmap("", "ilock");
  FBMPIndex.Checked = grGrid->AddBitmap("", "iChecked");
  FBMPIndex.UnChecked = grGrid->AddBitmap("", "iUnChecked");
  FBMPIndex.Pendente = grGrid->AddBitmap("", "iPendente14");
  FBMPMoeda = grGrid->AddBitmap("", "iCurrency");
  FBMPMoedaYellow = grGrid->AddBitmap("", "iCurrency_yellow");
  // Both grids hand out the same index for an image.
  for (const std::string& img : grGrid->Images()) grLancamentoManual->AddBitmap("", img);
  grGrid->CorFonteLinha = [this] { return grGridCorFonteLinha(); };
  grGridItens->MostraDadoImagem = [this](TField& f) {
    const std::string img = grGridItensMostraDadoImagem(f.FieldName());
    return img.empty() ? -1 : grGridItens->AddBitmap("", img);
  };
  SetSelectedDetailIndex(0);
  FDadosAdicionais = nullptr;
  FUltimoSel.clear();
  FCountSel = 0;
  AfterAddButtons();
}

void TfrConsultaImportacaoLancCCTxtHuge::FormShow() {
  TfrConsultaImportacaoLancCCTxt::FormShow();
  miDocumento->SetEnabled(spAutoLink->Enabled());
  miConsiderarzero->SetEnabled(spAutoLink->Enabled());
  SeguraAcoesAteGravacao();
}

void TfrConsultaImportacaoLancCCTxtHuge::FormDestroy() {
  FDAOContasPlanos = nullptr;   // owned by the screen
  InterrompeGravacao();
  // The session's work rows end with the review, imported or not: in the shared work tables removed
  // behind the closing, which would otherwise wait for every staged line (and every version a mass
  // change left) to go; an unattended run's lines, private to its attachment, at once.
  const int sessao = Sessao();
  if (TDatabase* db = ProcessContext().Database; sessao > 0 && db) EncerraSessaoArquivoGrande(*db, sessao, TabelaSessao());
  TfrConsultaImportacaoLancCCTxt::FormDestroy();
}

std::string TfrConsultaImportacaoLancCCTxtHuge::TabelaSessao() const {
  TDAOFactory* d = DAOLancamentos() ? DAOLancamentos() : DAOAtual();
  return d && TabelaLancamentosSessao(d->WorkTable()) ? d->WorkTable() : std::string(kTabelaLancamentosTemp);
}

TUtilImportacao_LancCC_Treeview* TfrConsultaImportacaoLancCCTxtHuge::UtilHuge() const {
  return dynamic_cast<TUtilImportacao_LancCC_Treeview*>(UtilImportacao());
}

TLancamentoMGR* TfrConsultaImportacaoLancCCTxtHuge::LancamentosMGR() const {
  return dynamic_cast<TLancamentoMGR*>(DAOLancamentos());
}

int TfrConsultaImportacaoLancCCTxtHuge::Sessao() const {
  if (FDadosAdicionais && FDadosAdicionais->Sessao > 0) return FDadosAdicionais->Sessao;
  TDAOFactory* d = DAOLancamentos() ? DAOLancamentos() : DAOAtual();
  return d ? d->Sessao() : 0;
}

void TfrConsultaImportacaoLancCCTxtHuge::CreateUtilImportacao() {
  SetUtilImportacao(Create<TUtilImportacao_LancCC_Treeview>());
  TfrImportacao_Padrao_Itens_TreeView_VYN::CreateUtilImportacao();
}

void TfrConsultaImportacaoLancCCTxtHuge::SetListaObj(const TListaObj& lista) {
  ExigeListaDoAbridor(lista, prlDataFim + 1, "Esta tela é aberta pela importação de lançamentos.");
  FInconsistenciaIni = lista.Get<TInconsistencias_VYN>(prlInconsistencias);
  // What the opener had reported before the review opened (lines the importer refused) stays in its
  // list across the presses of the import button.
  FInconsistenciasAbertura = FInconsistenciaIni ? FInconsistenciaIni->Itens() : std::vector<TInconsistenciaItem>{};
  // The import's own messages collect in the screen's list; the opener's receives the settlements'.
  FInconsistencias = Create<TInconsistencias_VYN>();
  if (auto* u = UtilHuge()) u->SetInconsistencias_VYN(FInconsistencias);
  FCodEmp = lista.Get<TEdit_Codigo_Search_VYN>(prlEmpresa);
  FDAOEmp = lista.Get<TEmpresasMGR>(prlEmpresas);
  FTransacaoAut = lista.Get<TBoolean_VYN>(prlTransacao) ? lista.GetBooleanValue(prlTransacao) : false;
  FDtIni = lista.Get<TDateTime_VYN>(prlDataIni);
  FDtFim = lista.Get<TDateTime_VYN>(prlDataFim);
  pnGridManual->SetVisible(false);
  if (lista.Count() > prlMultiplos) {
    const int multi = lista.Kind(prlMultiplos) == TListaObj::SlotKind::Integer
                          ? static_cast<int>(lista.GetInteger(prlMultiplos))
                      : lista.IsNil(prlMultiplos) ? 0
                                                  : lista.GetIntegerValue(prlMultiplos);
    pnGridManual->SetVisible(multi > 0);
    if (pnGridManual->Visible()) FBaixasAdicionaisDoVinculo = std::make_unique<TBaixasAdicionaisDoVinculo>();
  }
  if (lista.Count() > prlFiliais) FSelecionaFilial = lista.Get<TSelecionaFiliais_VYN>(prlFiliais);
  TfrImportacao_Padrao_Itens_TreeView_VYN::SetListaObj(lista);
  if (lista.Count() > prlDadosAdicionais) FDadosAdicionais = lista.Get<TDadosAdicionaisImportacaoTXT>(prlDadosAdicionais);
  if (!FDadosAdicionais) FDadosAdicionais = Create<TDadosAdicionaisImportacaoTXT>();
  RecebeGravacao();
}

void TfrConsultaImportacaoLancCCTxtHuge::EntregaParametrosEngine() {
  if (auto* u = UtilHuge()) {
    EntregaParametros(*u);
    u->FDadosAdicionais = FDadosAdicionais;
  }
}

void TfrConsultaImportacaoLancCCTxtHuge::AtualizaDados(bool hugeFile) {
  if (tvGrupos->Selected()) {
    // The detail and the multiple entries follow the entry under the cursor: let go of them before the
    // grid shows another level, whose rows carry none of the entry's keys.
    for (TDataSource* fonte : {dsGridItens, dsLancamentoManual})
      if (TClientDataSet* ds = fonte->DataSet()) {
        ds->SetMasterSource(nullptr);
        ds->SetMasterFields("");
      }
    dsLancamentoManual->SetDataSet(nullptr);
    dsGrid->SetDataSet(nullptr);
    grGrid->Columns.clear();
    dsGridItens->SetDataSet(nullptr);
    grGridItens->Columns.clear();
    HabilitarGridItens(false);
    SetDAOAtual(PesquisaDAONodo(tvGrupos->Selected()->Text));
    SetFieldsContainerGrid(this);
  }
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoLancamentos)) MontaColunasLancamentos();
  AfterSetFieldsContainerItem();
  OnAlterSelectedItem();
  // A reload shows the work table's selection: count and side follow it.
  if (hugeFile) DerivaSelecaoBaixa();
}

void TfrConsultaImportacaoLancCCTxtHuge::SetFieldsContainerGrid(TComponent*) {
  TDAOFactory* atual = DAOAtual();
  if (!atual) return;
  dsGrid->SetDataSet(atual);
  if (UpperCase(NodoSelecionado()) == UpperCase(kNodoParticipantes)) MontaColunasParticipantes();
  if (UpperCase(NodoSelecionado()) != UpperCase(kNodoLancamentos)) return;
  HabilitarGridItens(true);
  // The detail of the button that is down, over the node's aggregate at the selected index.
  const auto& ag = Aggregates(atual);
  const int i = SelectedDetailIndex();
  TDAOFactory* detalhe = i >= 0 && i < static_cast<int>(ag.size()) ? ag[static_cast<size_t>(i)] : nullptr;
  if (detalhe) {
    detalhe->SetIndexFieldNames("BDCODEMP;BDCHAVE");
    detalhe->SetMasterFields("BDCODEMP;BDCHAVE");
    detalhe->SetMasterSource(dsGrid);
  }
  dsGridItens->SetDataSet(detalhe);
  if (auto* lanc = dynamic_cast<TLancamentoMGR*>(atual)) {
    TClientDataSet* multi = lanc->getMultiLancamentosDAO();
    if (dsLancamentoManual->DataSet() != multi) {
      multi->SetMasterFields("BDCODEMP;BDCHAVE");
      multi->SetMasterSource(dsGrid);
      dsLancamentoManual->SetDataSet(multi);
    }
  }
}

std::vector<TClientDataSet*> TfrConsultaImportacaoLancCCTxtHuge::GetArrayOfCDS() {
  std::vector<TClientDataSet*> r;
  auto adiciona = [&r](TDAOFactory* d) {
    if (ModoArquivoGrande(d) || (d->HugeFile() && d->Sessao() > 0 && !d->GetCommandText().empty())) d->Refresh();
    r.push_back(d);
  };
  for (const auto& n : Nodos()) {
    if (UpperCase(n->Caption) != UpperCase(kNodoLancamentos)) continue;
    adiciona(n->DAO);
    for (TDAOFactory* a : n->Aggregates) adiciona(a);
    if (auto* lanc = dynamic_cast<TLancamentoMGR*>(n->DAO); lanc && lanc->TemMultiLancamentosDAO())
      r.push_back(lanc->getMultiLancamentosDAO());
  }
  return r;
}

int TfrConsultaImportacaoLancCCTxtHuge::fRetornaTipoLancamento(int mistura) const {
  // Lines whose installments are all of the company's payments settle as one group.
  if (mistura == 1) return 8;
  return TfrConsultaImportacaoLancCCTxt::fRetornaTipoLancamento(mistura);
}

void TfrConsultaImportacaoLancCCTxtHuge::OnActivate() {
  OnAlterSelectedItem();
  if (auto* lanc = dynamic_cast<TLancamentoMGR*>(DAOAtual());
      lanc && dsLancamentoManual->DataSet() != lanc->getMultiLancamentosDAO())
    SetFieldsContainerGrid(this);
}

void TfrConsultaImportacaoLancCCTxtHuge::OpenObservation() {
  TDAOFactory* obs = Observacoes();
  TListaObj lista;
  lista.Add(obs);
  lista.Add(obs);
  TPackagesUtil::CarregaFormParamsObj("TfrObservacoes", this, std::move(lista), nullptr, true);
}

namespace {

bool Verdadeiro(const TField& f) { return !f.IsNull() && UpperCase(Trim(f.AsString())) == "TRUE"; }

}  // namespace

std::string TfrConsultaImportacaoLancCCTxtHuge::grGridMostraDadoImagem(const std::string& campo) {
  TDAOFactory* atual = DAOAtual();
  if (!atual || atual->IsEmpty()) return {};
  const std::string f = UpperCase(campo);
  if (f == "BDCONCD" || f == "BDCONCC") {
    const TField* pendente = atual->FindField(std::string("BDPENDENTE") + f.back());
    if (!pendente) return {};
    if (Verdadeiro(*pendente)) return "iPendente14";
    return Verdadeiro(atual->FieldByName(f)) ? "iChecked" : "iUnChecked";
  }
  if (f == "BDVINC_BAIXA_MULT") {
    const TField* m = atual->FindField(f);
    if (!m) return {};
    return Verdadeiro(*m) ? "iChecked" : "iUnChecked";
  }
  if ((f == "BDCODTERCEIROD" && !atual->FindField("bdTIPOTERD")) ||
      (f == "BDCODTERCEIROC" && !atual->FindField("bdTIPOTERC")))
    return {};
  return TfrConsultaImportacaoLancCCTxt::grGridMostraDadoImagem(campo);
}

int TfrConsultaImportacaoLancCCTxtHuge::grGridCorFonteLinha() const {
  if (!pnGridManual->Visible() || !dynamic_cast<TLancamentoMGR*>(DAOAtual())) return -1;
  const TField* tem = DAOAtual()->IsEmpty() ? nullptr : DAOAtual()->FindField("BDTEMLANC");
  return tem && !tem->IsNull() && tem->AsInteger() == 1 ? 0x0000FF : -1;
}

namespace {

// The word of a code among the choices; the text as it was for a code outside them, nothing for null.
void Palavra(std::string& texto, const std::vector<std::string>& palavras) {
  const std::string t = Trim(texto);
  if (t.empty() || OnlyDigits(t) != t || t.size() > 2) return;
  const size_t i = static_cast<size_t>(std::stoi(t));
  if (i < palavras.size()) texto = palavras[i];
}

// The cash book's name of a document or entry kind code; the text as it was for a code outside them.
void NomeDoCodigo(const std::string& campo, std::string& texto) {
  const std::string t = Trim(texto);
  if (t.empty() || OnlyDigits(t) != t || t.size() > 2) return;
  const int codigo = std::stoi(t);
  const std::string nome = campo == "BDTIPDOC" ? TPreencheCombosVYN::GetDescDocumentoProdutorRural(codigo)
                                               : TPreencheCombosVYN::GetDescTipoLancProdutorRural(codigo);
  if (!nome.empty()) texto = nome;
}

}  // namespace

void TfrConsultaImportacaoLancCCTxtHuge::grGridItensMostraDado(const std::string& campo, std::string& texto,
                                                               int& largura) {
  TClientDataSet* ds = dsGridItens->DataSet();
  if (!ds || ds->IsEmpty()) {
    texto.clear();
    return;
  }
  TfrConsultaImportacaoLancCCTxt::grGridItensMostraDado(campo, texto, largura);
  if (!spLancamentosPR->Down) return;
  const std::string f = UpperCase(campo);
  if (f == "BDTIPMOV") Palavra(texto, {"Em espécie", "Conta bancária", "Em trânsito"});
  else if (f == "BDTIPOPARTICIPANTE") Palavra(texto, {"Participante", "CPF produtor rural", "CPF/CNPJ manual"});
  else if (f == "BDTIPOPE" || f == "BDTRANSTIPOPE") Palavra(texto, {"Entrada", "Saída"});
  else if (f == "BDTRANSTIPMOV") Palavra(texto, {"Em espécie", "Conta bancária"});
  else if (f == "BDCPFMANUAL" && !Trim(texto).empty()) texto = FormatRegistryNumber(OnlyDigits(texto));
  else if (f == "BDTIPDOC" || f == "BDTIPLAN") NomeDoCodigo(f, texto);
}

std::string TfrConsultaImportacaoLancCCTxtHuge::grGridItensMostraDadoImagem(const std::string& campo) {
  TClientDataSet* ds = dsGridItens->DataSet();
  if (!spLancamentosPR->Down || !ds || ds->IsEmpty()) return {};
  const std::string f = UpperCase(campo);
  auto valeSe = [&](const char* controle, int valor) {
    const TField* c = ds->FindField(controle);
    return c && !c->IsNull() && c->AsInteger() == valor ? std::string() : std::string("ilock");
  };
  if (f == "BDCODTER") return valeSe("BDTIPOPARTICIPANTE", 0);
  if (f == "BDCPFMANUAL") return valeSe("BDTIPOPARTICIPANTE", 2);
  if (f == "BDCTACOR") return valeSe("BDTIPMOV", 1);
  if (f == "BDTRANSCTACOR") return valeSe("BDTRANSTIPMOV", 1);
  return {};
}

}  // namespace integracao
