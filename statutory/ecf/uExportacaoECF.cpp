#include "statutory/ecf/uExportacaoECF.h"

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/component/valor_temporario.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/data/sql_value.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"

namespace integracao {

using namespace vyn;

namespace {
struct TCheckDef {
  const char* Nome;
  const char* Caption;
  char Aba;
};
const TCheckDef kChecks[] = {
#include "statutory/ecf/ecf_checks.inc"
};

}  // namespace

std::string CodigoItem(const std::string& item) {
  auto p = item.find('-');
  if (p == std::string::npos) {
    std::string t = Trim(item);
    return t.empty() ? "" : t.substr(0, 1);
  }
  return Trim(item.substr(0, p));
}

std::string GetCaractereCombo(const TComboBox_Padrao_VYN& cb) {
  if (cb.ItemIndex() < 0) return "";
  return CodigoItem(cb.Items[static_cast<size_t>(cb.ItemIndex())]);
}

int GetIndexCombo(const TComboBox_Padrao_VYN& cb) {
  std::string c = GetCaractereCombo(cb);
  if (c.empty() || c.size() > 9 || OnlyDigits(c) != c) return -1;
  return std::stoi(c);
}

void SetCaractereCombo(const std::string& codigo, TComboBox_Padrao_VYN& cb) {
  for (size_t i = 0; i < cb.Items.size(); ++i)
    if (CodigoItem(cb.Items[i]) == codigo) {
      cb.SetItemIndex(static_cast<int>(i));
      return;
    }
}

void SetIndexCombo(int codigo, TComboBox_Padrao_VYN& cb) { SetCaractereCombo(std::to_string(codigo), cb); }

TComboBox_Padrao_VYN* TfrExportacaoECF::Combo(const std::string& name, std::vector<std::string> itens, TTabSheet* tab) {
  auto* cb = Create<TComboBox_Padrao_VYN>();
  cb->SetName(name);
  cb->Items = std::move(itens);
  if (!cb->Items.empty()) cb->SetItemIndex(0);
  DefineAba(cb, tab);
  return cb;
}

TCheckBox* TfrExportacaoECF::NovoCk(const std::string& name, const std::string& caption, TTabSheet* tab) {
  auto* ck = Create<TCheckBox>();
  ck->SetName(name);
  ck->SetCaption(caption);
  checks_[UpperCase(name)] = ck;
  DefineAba(ck, tab);
  if (tab == tsInformacoesEconomicas) infoEconomicas_.push_back(ck);
  return ck;
}

TCheckBox* TfrExportacaoECF::Ck(const std::string& name) const {
  auto it = checks_.find(UpperCase(name));
  if (it == checks_.end()) throw std::logic_error("Controle inexistente na tela ECF: " + name);
  return it->second;
}

TfrExportacaoECF::TfrExportacaoECF(TComponent* owner) : TfrIntegracao_Empresa_Padrao_VYN(owner) {
  SetName("frExportacaoECF");
  SetCaption("Exportação de dados para o Sped ECF");
  CriaAbas();
  CriaAbertura();
  CriaTributacao();
  CriaComplementar();
  CriaOutras();
  CriaAssinatura();
  CriaBotoesEFiliais();
  LigaConsultas();
  LigaEventos();
  CriaRotulos();
}

void TfrExportacaoECF::CriaAbas() {
  PageControl_VYN = Create<TPageControl>();
  PageControl_VYN->SetName("PageControl_VYN");
  auto aba = [this](const char* name, const char* caption) { return PageControl_VYN->AddPage(name, caption); };
  tsAbertura = aba("tsAbertura", "Abertura");
  tsTributacao = aba("tsTributacao", "Parâmetros de tributação");
  tsComplementar = aba("tsComplementar", "Parâmetros complementares");
  tsInformacoesEconomicas = aba("tsInformacoesEconomicas", "Informações econômicas");
  tsInformacoesEconomicas->SetEnabled(false);
  tsOutras = aba("tsOutras", "Outras informações");
  tsAssinatura = aba("tsAssinatura", "Assinatura");
  PageControl_VYN->SetActivePageIndex(0);
  PageControl_VYN->OnChange = [this](TComponent*) { PageControl_VYNPick(); };
  PageControl_VYN->OnEnter = [this](TComponent* s) { PageControl_VYNEnter(s); };
}

void TfrExportacaoECF::CriaAbertura() {
  edInformacoesFiscais = Create<TEdit_Diretorio_Padrao_VYN>();
  edInformacoesFiscais->SetName("edInformacoesFiscais");
  edInformacoesFiscais->SetMaxLength(1000);
  edInformacoesFiscais->SetText("C:\\");

  cbInicioPeriodo = Combo("cbInicioPeriodo",
                          {"0 - Regular (início no primeiro dia do ano)",
                           "1 - Abertura (início de atividades no ano calendário)",
                           "2 - Resultante de fusão ou cisão total",
                           "3 - Resultante de Mudança de Qualificação da Pessoa Jurídica",
                           "4 - Início de obrigatoriedade da entrega no curso do ano calendário - Exclusão do Simples",
                           "5 - Resultante de desenquadramento como imune ou isenta do IRPJ",
                           "6 - Realizou incorporação ou remanescente de cisão parcial",
                           "7 - Retorno às atividades de empresas inativas"},
                          tsAbertura);
  cbSituacaoEspecial = Combo("cbSituacaoEspecial",
                             {"0 - Normal (Sem ocorrência de situação especial ou evento)", "1 - Extinção",
                              "2 - Fusão", "3 - Incorporação \\ Incorporada", "4 - Incorporação \\ Incorporadora",
                              "5 - Cisão Total", "6 - Cisão Parcial", "7 - Mudança de Qualificação da Pessoa Jurídica",
                              "8 - Desenquadramento de Imune/Isenta", "9 - Inclusão no Simples Nacional"},
                             tsAbertura);
  edRemanescente = Create<TEdit_Numerico_Padrao_VYN>(3);
  edRemanescente->SetName("edRemanescente");
  edDataSituacaoEspecial = Create<TEdit_Date_Padrao_VYN>();
  edDataSituacaoEspecial->SetName("edDataSituacaoEspecial");
  edDataIni = Create<TEdit_Date_Padrao_VYN>();
  edDataIni->SetName("edDataIni");
  edDataFim = Create<TEdit_Date_Padrao_VYN>();
  edDataFim->SetName("edDataFim");
  rgContabilizacao = Create<TRadioGroup>();
  rgContabilizacao->SetName("rgContabilizacao");
  rgContabilizacao->Items = {"Fiscal", "Societária"};
  rgContabilizacao->SetItemIndex(0);
  cbRetificadora = Combo("cbRetificadora",
                         {"S - Sim, ECF retificadora", "N - Não, ECF original",
                          "F - ECF original com mudança de forma de tributação"},
                         tsAbertura);
  cbTipoECF = Combo("cbTipoECF",
                    {"0 - ECF de empresa não participante de SCP como sócio ostensivo",
                     "1 - ECF de empresa participante de SCP como sócio ostensivo", "2 - ECF da SCP"},
                    tsAbertura);
  edNumeroRecibo = Create<TEdit_String_Padrao>();
  edNumeroRecibo->SetName("edNumeroRecibo");
  edNumeroRecibo->SetMaxLength(50);
  edDataPlanoContas = Create<TEdit_Date_Padrao_VYN>();
  edDataPlanoContas->SetName("edDataPlanoContas");
  edCodEmpSCP = Create<TEdit_Codigo_Search_VYN>(tcEmpresasVincSCP);
  edCodEmpSCP->SetName("edCodEmpSCP");
  edCNPJSCP = Create<TMaskEdit_Documentos_VYN>();
  edCNPJSCP->SetName("edCNPJSCP");
  for (auto* c : std::initializer_list<TControl*>{edRemanescente, edDataSituacaoEspecial, edDataIni, edDataFim,
                                                  rgContabilizacao, edNumeroRecibo, edDataPlanoContas, edCodEmpSCP,
                                                  edCNPJSCP})
    DefineAba(c, tsAbertura);
}

void TfrExportacaoECF::CriaTributacao() {
  cbOptanteRefis = Combo("cbOptanteRefis", {"N - Não", "S - Sim"}, tsTributacao);
  cbOptantePaes = Combo("cbOptantePaes", {"N - Não", "S - Sim"}, tsTributacao);
  cbTributacao = Combo("cbTributacao",
                       {"1 - Lucro Real", "5 - Lucro Presumido", "8 - Imune do IRPJ", "9 - Isento do IRPJ"},
                       tsTributacao);
  cbPeriodoIRPJ = Combo("cbPeriodoIRPJ", {"A - Anual", "T - Trimestral"}, tsTributacao);
  cbQualificacaoPJ = Combo("cbQualificacaoPJ",
                           {"01 - PJ em Geral", "02 - PJ Componente do Sistema Financeiro",
                            "03 - Sociedades Seguradoras, de Capitalização ou Entidade Aberta de Previdência "
                            "Complementar"},
                           tsTributacao);
  cbTipoEscrituracao = Combo(
      "cbTipoEscrituracao",
      {"C - Obrigadas a entregar a ECD ou entrega facultativa da ECD com recuperação de dados",
       "L - Livro Caixa ou não obrigadas a entregar a ECD ou entrega facultativa da ECD sem recuperação de dados"},
      tsTributacao);
  cbTipoEntidade = Combo("cbTipoEntidade",
                         {"01 - Assistência Social", "02 - Educacional", "03 - Sindicato de Trabalhadores",
                          "04 - Associação Civil", "05 - Cultural", "06 - Entidade Fechada de Previdência Complementar",
                          "07 - Filantrópica", "08 - Sindicato", "09 - Recreativa", "10 - Científica",
                          "11 - Associação de Poupança e Empréstimo",
                          "12 - Entidade Aberta de Previdência Complementar (Sem Fins Lucrativos)",
                          "13 - Fifa e Entidades Relacionadas", "14 - CIO e Entidades Relacionadas",
                          "15 - Partidos Políticos", "99 - Outras"},
                         tsTributacao);
  cbApuracaoIRPJImunesIsentas =
      Combo("cbApuracaoIRPJImunesIsentas", {"A - Anual", "T - Trimestral", "D - Desobrigada"}, tsTributacao);
  cbApuracaoCSLL = Combo("cbApuracaoCSLL", {"A - Anual", "T - Trimestral", "D - Desobrigada"}, tsTributacao);
  cbOptantePelaLei = Combo("cbOptantePelaLei", {"N - Não", "S - Sim"}, tsTributacao);
  cbDiferencaSocFCont = Combo("cbDiferencaSocFCont", {"N - Não", "S - Sim"}, tsTributacao);
  edContaAjusteECF = Create<TEdit_Codigo_Search_VYN>(tcContasAjusteECF);
  edContaAjusteECF->SetName("edContaAjusteECF");
  edContaAjusteECF->EditsMaster = {edCODEMP};   // an account of the company's chart
  DefineAba(edContaAjusteECF, tsTributacao);
}

void TfrExportacaoECF::CriaComplementar() {
  edCebas = Create<TEdit_String_Padrao>();
  edCebas->SetName("edCebas");
  edCebas->SetMaxLength(255);
  lbCebas = Create<TLabel>();
  lbCebas->SetName("lbCebas");
  lbCebas->SetCaption("Número do certificado (CEBAS)");
  // A count of three digits: no decimals, no sign.
  edQuantidadeSCP = Create<TEdit_Numerico_Padrao_VYN>(0);
  edQuantidadeSCP->SetName("edQuantidadeSCP");
  edQuantidadeSCP->SetTamanho(3);
  edQuantidadeSCP->AceitaNegativo = false;
  DefineAba(edCebas, tsComplementar);
  DefineAba(edQuantidadeSCP, tsComplementar);
  cbPercentualAliquotaCSLL = Combo("cbPercentualAliquotaCSLL", {}, tsComplementar);

  for (const auto& c : kChecks)
    NovoCk(c.Nome, c.Caption, c.Aba == 'A' ? tsAbertura : c.Aba == 'C' ? tsComplementar : tsInformacoesEconomicas);
  Ck("ckExportaPlanoAnterior")->SetEnabled(false);
}

void TfrExportacaoECF::CriaOutras() {
  cbAvaliacaoEstoques = Combo("cbAvaliacaoEstoques",
                              {"1 - Custo Médio Ponderado", "2 - PEPS (Primeiro que entra, primeiro que sai)",
                               "3 - Arbitramento - art. 296, Inc. I e II, do RIR/99"},
                              tsOutras);
  cbRegimeApuracao = Combo("cbRegimeApuracao", {"1 - Caixa", "2 - Competência"}, tsOutras);
  edContaLivroCaixa = Create<TEdit_Codigo_Search_VYN>(tcContasPlanoContasAnalitica);
  edContaLivroCaixa->SetName("edContaLivroCaixa");
  edContaLivroCaixa->SetAceitaMultiSelecao(true);
  edContaLivroCaixa->EditsMaster = {edCODEMP};   // its search lists the company's chart
  pnContaLivroCaixa = Create<TPanel>();
  pnContaLivroCaixa->SetName("pnContaLivroCaixa");
  cbAlteracaoCapital = Combo("cbAlteracaoCapital", {"0 - Não preenchido", "1 - Não", "2 - Sim"}, tsOutras);
  cbEscrituracaoAtivo = Combo("cbEscrituracaoAtivo", {"0 - Não preenchido", "1 - Não", "2 - Sim"}, tsOutras);
  cbAvaliacaoEstoqueFinal = Combo("cbAvaliacaoEstoqueFinal",
                                  {"1 - Custo Médio Ponderado", "2 - PEPS (Primeiro que entra, primeiro que sai)",
                                   "3 - Arbitramento - art. 296, Inc. I e II, do RIR/99", "4 - Custo Específico",
                                   "5 - Valor Realizável Líquido", "6 - Inventário Periódico", "7 - Outros",
                                   "8 - Não há"},
                                  tsOutras);
  edAliquotaReduzida = Create<TEdit_Numerico_Padrao_VYN>(3);
  edAliquotaReduzida->SetName("edAliquotaReduzida");
  lbAliquotaReduzida = Create<TLabel>();
  lbAliquotaReduzida->SetName("lbAliquotaReduzida");
  edRtf = Create<TEdit_Diretorio_Padrao_VYN>();
  edRtf->SetName("edRtf");
  edRtf->Pasta = false;
  edRtf->SetMaxLength(1000);
  clbListaArquivos = Create<TCheckListBox>();
  clbListaArquivos->SetName("clbListaArquivos");
  cbTipoDocumento = Combo("cbTipoDocumento",
                          {"001 - Memória de Cálculo – Incorporação", "002 - Laudo de Avaliação a Valor Justo",
                           "003 - Outros"},
                          tsOutras);
  for (auto* c : std::initializer_list<TControl*>{edContaLivroCaixa, edAliquotaReduzida, edRtf, clbListaArquivos})
    DefineAba(c, tsOutras);
}

void TfrExportacaoECF::CriaAssinatura() {
  rgResponsavel = Create<TRadioGroup>();
  rgResponsavel->SetName("rgResponsavel");
  rgResponsavel->Items = {"Empresa declarante", "Sócio responsável pela empresa declarante",
                          "Procurador eletrônico do declarante perante a RFB"};
  rgResponsavel->SetItemIndex(0);
  gbProcuradorEletronico = Create<TGroupBox>();
  gbProcuradorEletronico->SetName("gbProcuradorEletronico");
  gbProcuradorEletronico->SetEnabled(false);
  rgTipoProcurador = Create<TRadioGroup>();
  rgTipoProcurador->SetName("rgTipoProcurador");
  rgTipoProcurador->Items = {"Contador", "Escritório contábil"};
  rgTipoProcurador->SetEnabled(false);
  edProcurador = Create<TEdit_Codigo_Search_VYN>(tcContador);
  edProcurador->SetName("edProcurador");
  edProcurador->SetEnabled(false);
  gbQualificacao = Create<TGroupBox>();
  gbQualificacao->SetName("gbQualificacao");
  edQualificacao = Create<TEdit_Codigo_Search_VYN>(tcQualificacaoRFB);
  edQualificacao->SetName("edQualificacao");
  for (auto* c : std::initializer_list<TControl*>{rgResponsavel, rgTipoProcurador, edProcurador, edQualificacao})
    DefineAba(c, tsAssinatura);
}

void TfrExportacaoECF::CriaBotoesEFiliais() {
  lbCidadeEmpresa = Create<TLabel>();
  lbCidadeEmpresa->SetName("lbCidadeEmpresa");
  lbTributacao = Create<TLabel>();
  lbTributacao->SetName("lbTributacao");
  spPlanoSped = CriaBotao(*this, "spPlanoSped", "Preparar contas para exportação (F6)", true);
  spP500 = CriaBotao(*this, "spP500", "", false);
  spY665 = CriaBotao(*this, "spY665", "Abrir a preparação Y665", true);
  spY671 = CriaBotao(*this, "spY671", "Abrir a preparação Y671", true);
  spY672 = CriaBotao(*this, "spY672", "Abrir a preparação Y672", true);
  spDepreBens = CriaBotao(*this, "spDepreBens", "Contas movimentadas do plano de contas anterior", false);
  spSpedAutomatico = CriaBotao(*this, "spSpedAutomatico", "Speds automáticos", false);
  spConsulta->SetHint("Consulta de exportações realizadas");
  spConsulta->SetEnabled(false);

  SelecionaFiliais = Create<TSelecionaFiliais_VYN>();
  SelecionaFiliais->SetName("SelecionaFiliais");
  SelecionaFiliais->SetEditEmpresa(edCODEMP);
  SelecionaFiliais->CheckAll = true;
  SelecionaFiliais->SempreCarrega = false;
  SelecionaFiliais->IncluiMatrizNaLista = true;
}

void TfrExportacaoECF::LigaConsultas() {
  edCODEMP->Lookup = [this](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    TDatabase* db = ProcessContext().Database;
    if (!db) return true;
    const int ref = competencia_ != 0 ? competencia_ : (ProcessContext().Referencia ? ProcessContext().Referencia : 999912);
    TQueryResult r = db->QueryAll(
        "SELECT E.BDCODEMP, R.BDNOMEMP AS NOME, R.BDCNPJEMP, E.BDDATAINIATIVEMP, E.BDNOMCID, E.BDSIGLAUF, "
        "E.BDCODPLACC, R.BDCODPLAPADRAO, R.BDCODPLAPADRAOREF, R.BDCODENQFED, R.BDFORMATRIBUTACAO, R.BDREFEMP "
        "FROM TEMPRESAS E JOIN TEMPRESAS_REF R ON R.BDCODEMP = E.BDCODEMP WHERE E.BDCODEMP = ? "
        "AND R.BDREFEMP = (SELECT SP.BDREFEMP FROM SP_GETREFERENCIA(E.BDCODEMP, ?) SP)",
        {code, ref});
    if (r.Rows.empty()) return false;
    for (size_t c = 0; c < r.Columns.size(); ++c) out.Campos.emplace_back(r.Columns[c].Name, r.Rows[0][c]);
    out.Nome = out.Campo("NOME").IsNull() ? "" : out.Campo("NOME").AsString();
    return true;
  };
  edContaLivroCaixa->Lookup = [this](const TEdit_Codigo_Search_VYN&, int64_t code, TCodigoRegistro& out) {
    TDatabase* db = ProcessContext().Database;
    if (!db) return true;
    TQueryResult r = db->QueryAll(
        "SELECT BDCODTPLA, BDNOMCTA AS NOME, COALESCE(BDGRUPOCTA, 0) AS BDGRUPOCTA FROM PLANOS_TPLA "
        "WHERE BDCODPLAPADRAO = ? AND BDCODTPLA = ?",
        {CampoEmpresa("BDCODPLAPADRAO").IsNull() ? Variant(0) : CampoEmpresa("BDCODPLAPADRAO"), code});
    if (r.Rows.empty()) return false;
    for (size_t c = 0; c < r.Columns.size(); ++c) out.Campos.emplace_back(r.Columns[c].Name, r.Rows[0][c]);
    out.Nome = out.Campo("NOME").IsNull() ? "" : out.Campo("NOME").AsString();
    return true;
  };
}

bool TfrExportacaoECF::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TfrExportacaoECF") || TfrIntegracao_Empresa_Padrao_VYN::InheritsFrom(class_name);
}

void TfrExportacaoECF::SetPaginaAtiva(TTabSheet* ts) {
  if (ts == PaginaAtiva()) return;
  MostraAba(ts);
  PageControl_VYNChange(ts);
}

void TfrExportacaoECF::PageControl_VYNEnter(TComponent*) {
  const std::vector<TControl*> campos = ControlesDaAba(PaginaAtiva());
  if (!campos.empty()) campos.front()->SetFocus();
}

void TfrExportacaoECF::PageControl_VYNPick() {
  PageControl_VYNChange(PaginaAtiva());
  // The rules may have shown another tab (a field they refused); the focus belongs to what is shown.
  TTabSheet* mostrada = PaginaAtiva();
  TControl* foco = ActiveControl();
  auto it = foco ? aba_.find(foco) : aba_.end();
  const bool escondido = foco == PageControl_VYN || (it != aba_.end() && it->second != mostrada);
  if (!escondido) return;
  const std::vector<TControl*> campos = ControlesDaAba(mostrada);
  if (!campos.empty()) campos.front()->SetFocus();
}

void TfrExportacaoECF::MostraAba(TTabSheet* ts) {
  for (int i = 0; i < PageControl_VYN->PageCount(); ++i)
    if (PageControl_VYN->Page(i) == ts) PageControl_VYN->SetActivePageIndex(i);
}

void TfrExportacaoECF::SetCriaDao() {
  TfrIntegracao_Empresa_Padrao_VYN::SetCriaDao();
  FExportacaoEF = Create<TIntegracaoSpedECF_EFMGR>();
  gerador_ = Create<TExportacaoECFDBMGR>();
  gerador_->SetName("ExportacaoECFDBMGR");
  FDAOIntegracao = gerador_;
  FSQLMgr = Create<TSQLMGR>();
  FPLANOS_TPLA_ECFMGR = Create<TPLANOS_TPLA_ECFMGR>(false);
  FPLANOS_TPLA_SPED = Create<TPLANOS_TPLA_SPEDMGR>(false);
  FErroEncontrado = false;
  FValidacaoImportacao = false;
}

void TfrExportacaoECF::FormCreate() {
  TfrIntegracao_Empresa_Padrao_VYN::FormCreate();
  FCSLLCarregado = 0;
  firstShow_ = true;
  pCarregaItemsAliquotaCSLL();
  PageControl_VYN->SetActivePageIndex(0);
  // The dependent fields start as the first items of their combos require.
  cbRetificadoraChange(cbRetificadora);
  cbTipoECFChange(cbTipoECF);
  edRemanescente->SetEnabled(SituacaoEspecial() == 6);
  edDataSituacaoEspecial->SetEnabled(SituacaoEspecial() > 0);
  FPLANOS_TPLA_SPED->FormConsulta = "TfrConsultaExportacaoECD";
  DadosTelaAuxiliarAuditoria = Create<TDadosTelaAuxiliarAuditoria>();
  IsClosingAuditoria = false;
  ScreenUserConfig = Create<TScreenUserConfig>(kTelaConfig);
  FCodigoBens = Create<TInteger_VYN>();
  FCodigoI157 = Create<TInteger_VYN>();
  FNomeBens = Create<TString_VYN>();
  FArquivoBens = Create<TString_VYN>();
  Ck("ckCOSIF")->SetEnabled(TPersonalizacaoMGR::TemCOSIF());
}

void TfrExportacaoECF::AfterAddButtons() {
  TfrIntegracao_Empresa_Padrao_VYN::AfterAddButtons();
  spPlanoSped->ImageIndex = ImagensToolbar.AddBitmap(kBibliotecaImagens, "SPCONSULTADIFERENCA");
}

void TfrExportacaoECF::VisibleChanging() {
  if (!Showing()) {
    SetFormStyle(ProcessContext().Desacoplado ? fsNormal : fsMDIChild);
    return;
  }
  // Where the screen stood, for the audit screen to show it there again.
  DadosTelaAuxiliarAuditoria->PaginaAtiva = PageControl_VYN->ActivePageIndex();
  DadosTelaAuxiliarAuditoria->ControleAtivo = ActiveControl() ? ActiveControl()->Name() : "";
  SetFormStyle(fsNormal);
}

void TfrExportacaoECF::FormShow() {
  if (firstShow_) {
    firstShow_ = false;
    TfrIntegracao_Empresa_Padrao_VYN::FormShow();
    if (Tributacao() != 8 && Tributacao() != 9) {
      cbApuracaoIRPJImunesIsentas->SetItemIndex(-1);
      cbApuracaoCSLL->SetItemIndex(-1);
    }
    cbTributacaoChange(cbTributacao);
  }
  if (edCODEMP->Codigo() == 0 && edCODEMP->CanFocus()) edCODEMP->SetFocus();
  spConfigPadraoRel->SetEnabled(false);
}

bool TfrExportacaoECF::SaiuParaTras(const TControl* c) const {
  auto it = flags_.find(c);
  return it != flags_.end() && (it->second.ShiftTab || it->second.SetaParaCima || it->second.Outro);
}

int TfrExportacaoECF::Ano() const { return edDataIni->IsValid() && !edDataIni->IsEmpty() ? YearOf(edDataIni->GetData()) : 0; }

void TfrExportacaoECF::RecarregaEmpresa() {
  if (edCODEMP->Codigo() == 0) return;
  // The search's handler is for a new company (fresh P500 values, the taxation check); this read only
  // refreshes the record at another reference, and the taxation check itself asks for it.
  const TValorTemporario<bool> relendo(recarregando_, true);
  edCODEMP->Search();
}

Variant TfrExportacaoECF::CampoEmpresa(const std::string& campo) const {
  const TCodigoRegistro* r = edCODEMP->GetDaoFactory();
  return r ? r->Campo(campo) : Variant();
}

std::string TfrExportacaoECF::GetCNPJ() const {
  Variant v = CampoEmpresa("BDCNPJEMP");
  return v.IsNull() ? "" : FormatCNPJ(v.AsString());
}

void TfrExportacaoECF::Mensagem(const std::string& texto, bool aviso) {
  if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(texto);
  if (aviso)
    DlgWarOk(texto, FLogEvent);
  else
    DlgInfOk(texto, FLogEvent);
}

void TfrExportacaoECF::AntesSalvarLog() {
  if (!Ck("ckExportaPlanoAnterior")->Checked()) return;
  TSQLMGR sql(this);
  sql.CommandText(
      "select BDCODPLAECF, BDNOME from VZEL_EMP_ECF_TARQUIVOECD where bdcodemp = ? and BDANO = ? order by BDCODPLAECF",
      ctOpen, {edCODEMP->Codigo(), Ano()});
  std::vector<std::string> planos;
  for (sql.First(); !sql.Eof(); sql.Next())
    planos.push_back(sql.FieldByName("BDCODPLAECF").AsString() + " - " + sql.FieldByName("BDNOME").AsString());
  if (!planos.empty()) FLogEvent->AddAcao("Planos anteriores: " + Join(planos, ", "));
}

}  // namespace integracao
