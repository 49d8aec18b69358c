// The ECF screen's confirmation: the checks in their fixed order, the hand-off to the generator, the
// saved settings and the history of exports.
#include <chrono>
#include <filesystem>

#include <fmt/format.h>

#include "framework/component/interrupcao.h"
#include "framework/component/resultado_execucao.h"
#include "framework/accounting/arquivamento_contabil.h"
#include "framework/component/process_context.h"
#include "framework/core/registry_number.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/ui/dialogs.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/log_event.h"
#include "framework/ui/packages_util.h"
#include "statutory/ecf/ecf_listas.h"
#include "statutory/ecf/uExportacaoECF.h"
#include "statutory/ecf/uPreparacaoDadosComplementaresECFP500.h"

namespace integracao {

using namespace vyn;
using namespace ecf;

namespace {

TDateTime DataDe(const TEdit_Date_Padrao_VYN* e) { return e->IsValid() ? e->GetData() : TDateTime(); }

std::vector<int64_t> Codigos(const std::string& lista) {
  std::vector<int64_t> out;
  for (const auto& p : Split(lista, ','))
    if (std::string d = OnlyDigits(p); !d.empty()) out.push_back(std::stoll(d));
  return out;
}
}  // namespace

std::string TfrExportacaoECF::FiliaisMarcadas() {
  // With no branch ticked the export is of the company itself: an empty list would build "IN ()".
  std::string l = edCODEMP->Codigo() != 0 && ProcessContext().Database ? SelecionaFiliais->getCheckedItens() : "";
  return l.empty() ? std::to_string(edCODEMP->Codigo()) : l;
}

void TfrExportacaoECF::Aviso(const std::string& texto, bool bloqueia) {
  if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(texto);
  if (semDialogos_) {
    if (bloqueia)
      Inconsistencias_VYN->Add_Erro(RemoveCaret(texto));
    else
      Inconsistencias_VYN->Add_Atencao(RemoveCaret(texto));
    return;
  }
  DlgWarOk(texto, FLogEvent);
}

void TfrExportacaoECF::InformaNaoExportado() {
  if (FalhaNaTarefa() || semDialogos_) return;   // the run's failure or the job's list says it
  if (Inconsistencias_VYN->CountErros() == 0) Inconsistencias_VYN->Add_Erro(kMsgNaoExportado);
  Inconsistencias_VYN->Show();
}

std::string TfrExportacaoECF::MotivoNaoExportado() const {
  for (TNivelInconsistencia nivel : {niErro, niAtencao})
    for (const auto& item : Inconsistencias_VYN->Itens())
      if (item.Nivel == nivel) return RemoveCaret(item.Caption);
  return kMsgNaoExportado;
}

void TfrExportacaoECF::spConfirmarClick(TComponent*) {
  AfterConstruction();
  Inconsistencias_VYN->Clear();
  if (TemArquivamentoContabil()) {
    InformaNaoExportado();
    return;
  }
  if (!EmpresaCadastrada()) {
    if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN("Empresa não cadastrada ou não informada.");
    Aviso("Empresa não cadastrada ou não informada", true);
    InformaNaoExportado();
    return;
  }
  if (DadosTelaAuxiliarAuditoria->Auditoria) {
    if (Showing() && DlgConfSimNaoEsc("Deseja confirmar as informações selecionadas?", FLogEvent) != mrYes) return;
    IsClosingAuditoria = true;
    Close();   // hands the data back to the audit screen
    return;
  }
  Inconsistencias_VYN->Clear();
  Inconsistencias_VYN->SetEmpresaAtual(static_cast<int>(edCODEMP->Codigo()));
  FErroEncontrado = false;
  ConfirmarInterno();
}

// A code put in by program (the task, the validation job) has met no look-up: a company that is not
// registered would otherwise be exported under its bare number.
bool TfrExportacaoECF::EmpresaCadastrada() {
  if (Trim(edCODEMP->Text()).empty()) return false;
  if (!edCODEMP->GetDaoFactory()) RecarregaEmpresa();
  return edCODEMP->GetDaoFactory() != nullptr;
}

// The field checks of the confirmation, run as the import validation (the exits report, never stop).
void TfrExportacaoECF::ConfereCampos(int ano) {
  struct TPasse {
    bool& f;
    explicit TPasse(bool& x) : f(x) { f = true; }
    ~TPasse() { f = false; }
  };
  FocoPendente = nullptr;
  {
    TPasse passe(FValidacaoImportacao);
    ConfereCamposDoPasse(ano);
  }
  if (auto* c = FocoPendente; c && c->CanFocus() && !FalhaNaTarefa() && !semDialogos_) {
    try {
      c->SetFocus();
    } catch (const EValidationError&) {   // the field focused now refuses to be left: the user stays there
    }
  }
}

void TfrExportacaoECF::ConfereCamposDoPasse(int ano) {
  if (!edCODEMP->GetDaoFactory()) edCODEMP->Search();
  if (!FormaTributacaoOK(false)) FErroEncontrado = true;
  // Judged by the taxation of the year exported, the record's, which the check above has just put in
  // (a restored set may hold another year's).
  const bool livroCaixa = GetCaractereCombo(*cbTipoEscrituracao) == "L";
  const int t = Tributacao();
  edRemanescenteExit(nullptr);
  edDataSituacaoEspecialExit(nullptr);
  edDataIniExit(nullptr);
  edDataFimExit(nullptr);
  edNumeroReciboExit(nullptr);
  edQuantidadeSCPExit(nullptr);
  ConfereAliquotaCSLLSalva();
  if (livroCaixa && Trim(edContaLivroCaixa->Text()).empty() && edContaLivroCaixa->QtdeSelecionados() == 0 &&
      pnContaLivroCaixa->Caption() != "Contas analíticas selecionadas")
    Inconsistencias_VYN->Add_Atencao(
        "Selecionado o tipo da escrituração \"L - Livro Caixa\", mas não foi informada a \"Conta livro-caixa\" na "
        "aba \"Outras informações\".");
  if (cbTipoECF->ItemIndex() == 2 &&
      (edCNPJSCP->GetTextSemMascara().empty() || FormatCNPJText(edCNPJSCP->GetTextSemMascara()) == GetCNPJ()))
    edCNPJSCPExit(nullptr);
  if (t == 5 && livroCaixa) {
    TSQLMGR sql(this);
    sql.CommandText("select first 1 * from PLANOS_TFOR_ECF where BDCODPLAFORPADRAOREF = 3 and BDCODPLAPADRAO = ? "
                    "and BDANO <= ?",
                    ctOpen, {CampoInteiro("BDCODPLAPADRAO"), ano});
    if (sql.IsEmpty()) {
      Inconsistencias_VYN->Add_Atencao(
          "Não há preparação no registro Y672 para o plano de contas da empresa e período selecionados.");
      FErroEncontrado = true;
    }
  }
}

// The chart preparation of the year and the taxation form against the referential chart.
void TfrExportacaoECF::ConferePreparacaoPlano(bool livroCaixa, int t, int ano, int64_t plano, int64_t planoRef) {
  // Without a start year the date check has already failed; the preparation of no year can be asked.
  if (ano > 0 && (!livroCaixa || (GetIndexCombo(*cbRegimeApuracao) == 2 && ano >= 2017))) {
    const int n = FPLANOS_TPLA_ECFMGR->GetConsultaPlanoEmpresa(plano, ano, planoRef, FPLANOS_TPLA_ECFMGR->GetFiltroPadrao(),
                                                               Ck("ckExportaZeradas")->Checked(), FiliaisMarcadas(),
                                                               edContaAjusteECF->Codigo());
    if (n > 0) {
      FErroEncontrado = true;
      const std::string falta = fmt::format("Faltou preparar {} conta(s) para exportação.", n);
      if (FalhaNaTarefa())
        throw EExceptionTratadaInformativa_VYN(falta + "\r" + (livroCaixa ? "Tecle ^F6 para preparar." : "Tecle F6 para preparar."));
      Aviso(falta + "\rTecle ^F6 para preparar", true);
    }
  }
  if ((t == 1 && planoRef == 2) || (t == 5 && planoRef == 1)) {
    Inconsistencias_VYN->Add_Atencao("A forma de tributação selecionada difere do plano referencial informado no cadastro "
                                     "da empresa.");
    FErroEncontrado = true;
  }
}

void TfrExportacaoECF::ConfereAvisos(bool livroCaixa, int ano, int64_t plano, int64_t planoRef) {
  // Only non-zero P500 values reach the generator.
  for (auto** p : {&FDadosP500_51, &FDadosP500_52})
    if (*p && (*p)->Valor.IsZero()) {
      FreeComponent(*p);
      *p = nullptr;
    }
  if (!FalhaNaTarefa() && !FPLANOS_TPLA_ECFMGR->VerificarValidacaoContas(plano, ano, planoRef))
    Inconsistencias_VYN->Add_Informativo(
        "Não foi realizada a validação da preparação do plano referencial. Antes de fazer a exportação é importante "
        "fazer a validação do plano referencial através da tela de preparação.");
  if (!FalhaNaTarefa() && !semDialogos_ && livroCaixa && edContaLivroCaixa->Codigo() > 0 && !validaTamanhoHistCompl()) {
    const int r = MessageDlgVYNGlobal(
        "De acordo com o leiaute do Sped ECF, o histórico dos lançamentos no registro Q100 deve conter no máximo 255 "
        "caracteres. Foram encontrados históricos superiores a este limite, lembrando que caso o limite seja "
        "ultrapassado, uma advertência será gerada pelo validador. Como deseja prosseguir?",
        mtConfirmation, mbYes | mbNo, {"&Encurtar os históricos", "&Manter os históricos originais"}, 0, FLogEvent);
    FLimitarHistCompl = r == mrYes;
  }
  if (PossuiPreparacaoDuplicada()) {
    FErroEncontrado = true;
    if (FalhaNaTarefa())
      throw EExceptionTratadaInformativa_VYN(
          "Existe apuração duplicada no ^Lalur para este período. Por favor, verifique antes de prosseguir.");
    Aviso("Existe apuração duplicada no Lalur para este período. Por favor, verifique antes de prosseguir.", true);
  }
  {
    TSQLMGR sql(this);
    sql.CommandText("SELECt first 1 t.bdtipocaepf FROM tempresas t where t.bdcodemp = ? or t.bdcodmatriz = ?", ctOpen,
                    {edCODEMP->Codigo(), edCODEMP->Codigo()});
    const Variant tipo = sql.IsEmpty() ? Variant() : sql.FieldByName("BDTIPOCAEPF").Value();
    if (tipo.IsNull() || tipo.AsInteger() != 2)
      ValidaPrepacaoProdutorRural(edCODEMP->Codigo(), ano, plano, planoRef, *Inconsistencias_VYN);
  }
}

// Shows the errors found, or generates the file; False when the generation failed (nothing more is saved).
bool TfrExportacaoECF::ExportaOuMostraErros() {
  if (FErroEncontrado) {
    // A stop told by a warning box alone leaves the list without an error: it says what became of the file.
    InformaNaoExportado();
    FErroEncontrado = false;
  } else {
    const auto inicio = std::chrono::steady_clock::now();
    AlimentaDAOExportacao();
    try {
      TfrIntegracao_Empresa_Padrao_VYN::ProcessoConfirma();
    } catch (const EArquivoECFNaoGravado& e) {
      // Said as it is: the chart's branches have nothing to do with a folder that cannot be written.
      FalhaDaExportacao(e.what(), false);
      return false;
    } catch (const std::exception& e) {
      const std::string texto =
          "Existe divergência no plano de contas entre a matriz e as filiais. Entre em contato com a VYN para correção "
          "das inconsistências.\r\n\r\nDetalhes: " + std::string(e.what()) + "\r\n";
      FalhaDaExportacao(texto, true);
      return false;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inicio);
    FLogEvent->AddAcao("Tempo de exportação ECF: ", fmt::format("{:.3f} s", static_cast<double>(ms.count()) / 1000.0));
  }
  return true;
}

namespace {
// The file the generator wrote in this confirmation waits beside its name until its settings and
// history are committed, and only then takes the place of an earlier export: a confirmation that fails
// or is stopped before that leaves the earlier file and its record as they were, and its own file goes.
class TArquivoGerado {
 public:
  explicit TArquivoGerado(TExportacaoECFDBMGR& g) : g_(g), antes_(g.Execucoes) {}
  ~TArquivoGerado() {
    if (g_.Execucoes != antes_) g_.DescartaParcial();
  }
  TArquivoGerado(const TArquivoGerado&) = delete;
  TArquivoGerado& operator=(const TArquivoGerado&) = delete;
  bool Gerado() const { return g_.Execucoes != antes_ && std::filesystem::is_regular_file(g_.GetArquivoParcial()); }
  void Publica() { g_.Publica(); }

 private:
  TExportacaoECFDBMGR& g_;
  const int antes_;
};
}  // namespace

void TfrExportacaoECF::FalhaDaExportacao(const std::string& texto, bool filiaisDivergentes) {
  Inconsistencias_VYN->Add_Erro(RemoveCaret(texto));
  if (filiaisDivergentes) ListaFiliaisDivergentes();
  // Without a user the failure must end the run as one: a box would hang the server and a normal
  // return would read as a successful export.
  if (FalhaNaTarefa()) {
    RegistraFalhaExecucao(RemoveCaret(texto));
    throw EExceptionTratadaInformativa_VYN(texto);
  }
  if (!semDialogos_) {
    DlgErroOk(texto, FLogEvent);
    Inconsistencias_VYN->Show();
  }
}

void TfrExportacaoECF::ExecuteFimProcesso() {
  SetDataPeriodo(DataDe(edDataFim));
  TfrIntegracao_Empresa_Padrao_VYN::ExecuteFimProcesso();
}

void TfrExportacaoECF::ConfirmarInterno() {
  TExecucaoConcluida::Reabre();   // this confirmation is work of its own
  exportou_ = false;
  const int ano = Ano();
  ConfereCampos(ano);
  const bool livroCaixa = GetCaractereCombo(*cbTipoEscrituracao) == "L";
  const int t = Tributacao();
  const int64_t plano = CampoInteiro("BDCODPLAPADRAO");
  const int64_t planoRef = CampoInteiro("BDCODPLAPADRAOREF");
  ConferePreparacaoPlano(livroCaixa, t, ano, plano, planoRef);
  ConfereAvisos(livroCaixa, ano, plano, planoRef);
  const bool gravavel = ConfereTextosGravaveis();
  TArquivoGerado arquivo(*gerador_);
  if (!ExportaOuMostraErros()) return;
  if (FalhaNaTarefa())
    for (const auto& it : Inconsistencias_VYN->Itens())
      if (it.Nivel != niInformativo) {
        RegistraInconsistenciaExecucao(it.Caption);
        break;
      }
  // A set the database would refuse halfway is not tried: the last complete one stays. Nor is one
  // that lost the saved CSLL rate: the next run would restore another rate in its place.
  if (gravavel && !AliquotaCSLLSalvaPerdida()) SalvaConfiguracaoEHistorico();
  if (!arquivo.Gerado()) return;
  try {
    arquivo.Publica();
  } catch (const EArquivoECFNaoGravado& e) {
    FalhaDaExportacao(e.what(), false);
    return;
  }
  // The file and its set are in: a signal now finds the export done, on every road.
  exportou_ = true;
  TExecucaoConcluida::Marca();
  if (!FalhaNaTarefa() && !semDialogos_) DlgInfOk("Exportação realizada com sucesso!", FLogEvent);
}

bool TfrExportacaoECF::ConfereTextosGravaveis() {
  bool ok = true;
  for (TComponent* c : Components())
    if (auto* e = dynamic_cast<TEdit_String_Padrao*>(c); e && !FitsWin1252(e->Text())) {
      ok = false;
      FErroEncontrado = true;
      Inconsistencias_VYN->Add_Erro("O campo \"" + e->Name() +
                                    "\" contém caracteres que não podem ser gravados no banco de dados.");
    }
  return ok;
}

bool TfrExportacaoECF::TemArquivamentoContabil() {
  const std::string msg = MensagemArquivamentoContabil(Trim(edCODEMP->Text()), DataDe(edDataIni), DataDe(edDataFim));
  if (msg.empty()) return false;
  // Without a user the stop must end the run as a failure, with the archive's reason.
  if (FalhaNaTarefa()) throw EExceptionTratadaInformativa_VYN(msg);
  if (semDialogos_)
    Inconsistencias_VYN->Add_Erro(msg);
  else
    DlgWarOk(msg, FLogEvent);
  return true;
}

int64_t TfrExportacaoECF::CampoInteiro(const std::string& campo) const {
  Variant v = CampoEmpresa(campo);
  return v.IsNull() ? 0 : v.AsInteger();
}

std::string TfrExportacaoECF::FormatCNPJText(const std::string& digitos) { return vyn::FormatCNPJ(digitos); }

void TfrExportacaoECF::ListaFiliaisDivergentes() {
  TSQLMGR sql(this);
  sql.CommandText(
      "select distinct FREF.BDREFEMP, FILIAL.BDCODEMP, MREF.BDCODPLAPADRAO as PLANO_MATRIZ, FREF.BDCODPLAPADRAO as "
      "PLANO_FILIAL from TEMPRESAS MATRIZ join TEMPRESAS_REF MREF on MREF.BDCODEMP = MATRIZ.BDCODEMP join TEMPRESAS "
      "FILIAL on FILIAL.BDCODMATRIZ = MATRIZ.BDCODEMP left join SP_GETREFERENCIA(FILIAL.BDCODEMP, MREF.BDREFEMP) sp ON 1 = 1 "
      "left join TEMPRESAS_REF FREF on FREF.BDCODEMP = FILIAL.BDCODEMP and FREF.BDREFEMP = sp.bdrefemp where "
      "MATRIZ.BDCODEMP = ? and FREF.BDCODEMP is not null and (FREF.BDCODPLAPADRAO is null or FREF.BDCODPLAPADRAO <> "
      "MREF.BDCODPLAPADRAO) order by MREF.BDREFEMP, FILIAL.BDCODEMP",
      ctOpen, {edCODEMP->Codigo()});
  for (sql.First(); !sql.Eof(); sql.Next()) {
    const std::string ref = sql.FieldByName("BDREFEMP").AsString();
    const std::string mmaaaa = ref.size() >= 6 ? ref.substr(4, 2) + "/" + ref.substr(0, 4) : ref;
    Inconsistencias_VYN->Add_Erro("Referência: " + mmaaaa + " - empresa: " + sql.FieldByName("BDCODEMP").AsString() +
                                  " está com o plano de contas divergente da matriz. Acesse o cadastro da empresa e"
                                  " atualize o plano de contas para essa referência.");
  }
}

bool TfrExportacaoECF::validaTamanhoHistCompl() {
  TSQLMGR sql(this);
  const std::vector<int64_t> filiais = Codigos(FiliaisMarcadas());
  const int64_t conta = edContaLivroCaixa->Codigo();
  sql.CommandText(
      "WITH FILTEREDTLAN AS ( SELECT TLAN.BDCHAVE, TLAN.BDCODHIST, TLAN.BDCODTPHI, TLAN.BDCODEMP, TLAN.BDDEBITO, "
      "TLAN.BDCREDITO, TLAN.BDCOMPL, TLAN.BDDATA FROM VZEL_EMPRESAS_TLAN TLAN WHERE " +
          SQLInCondition("TLAN.BDCODEMP", filiais) +
          " AND (TLAN.BDDEBITO = ? OR TLAN.BDCREDITO = ?) AND TLAN.BDDATA BETWEEN ? AND ?)"
          " SELECT FIRST 1 TLAN.BDCODHIST, TLAN.BDCODTPHI, TH.BDNOME, COMP.BDCOMPL, TLAN.BDCOMPL AS COMPL_TLAN"
          " FROM FILTEREDTLAN TLAN"
          " LEFT JOIN HIST_TPHI TH ON (TH.BDCODHIST = TLAN.BDCODHIST AND TH.BDCODTPHI = TLAN.BDCODTPHI)"
          " LEFT JOIN VZEL_EMPRESAS_TLAN_COMPL COMP ON (COMP.BDCODEMP = TLAN.BDCODEMP AND COMP.BDCHAVE = TLAN.BDCHAVE)"
          " WHERE (CHAR_LENGTH(TH.BDNOME || COALESCE(TLAN.BDCOMPL, '')) >= 255"
          " OR CHAR_LENGTH(TH.BDNOME || COALESCE(COMP.BDCOMPL, '')) >= 255)",
      ctOpen, {conta, conta, DataDe(edDataIni), DataDe(edDataFim)});
  return sql.IsEmpty();
}

bool TfrExportacaoECF::PossuiPreparacaoDuplicada() {
  TSQLMGR sql(this);
  const TDateTime ini = DataDe(edDataIni), fim = DataDe(edDataFim);
  sql.CommandText(
      "SELECT BDCODEMP, BDDATINIAPU, BDDATFINAPU, BDANUAL, COUNT(*) AS QTD_REGISTROS FROM VLAL_EMPRESAS_APURACAO WHERE "
      "BDCODEMP = ? AND BDDATINIAPU BETWEEN ? AND ? AND BDDATFINAPU BETWEEN ? AND ? GROUP BY BDCODEMP, BDDATINIAPU, "
      "BDDATFINAPU, BDANUAL HAVING COUNT(*) > 1 ORDER BY BDDATINIAPU, BDDATFINAPU, BDANUAL",
      ctOpen, {edCODEMP->Codigo(), ini, fim, ini, fim});
  return !sql.IsEmpty();
}

void TfrExportacaoECF::AlimentaDAOExportacao() {
  auto* g = gerador_;
  g->SetCodEmp(edCODEMP);
  g->SetDataIni(edDataIni);
  g->SetDataFim(edDataFim);
  g->SetContaAjuste(edContaAjusteECF);
  g->SetInformacoesFiscais(edInformacoesFiscais->Text());
  g->SetDAOExportacaoEF(FExportacaoEF);
  g->SetInconsistencias_VYN(Inconsistencias_VYN);
  g->SetNomeArquivo(edArquivo->Text());
  g->SetIsTARVO(FalhaNaTarefa());
  g->setLimitarHistCompl(FLimitarHistCompl);
  g->SetCodigoI157(FCodigoI157->Value());
  auto ck = [this](const char* n) { return Ck(n)->Checked() ? 1 : 0; };
  auto ckHab = [this](const char* n) { return Ck(n)->Enabled() && Ck(n)->Checked() ? 1 : 0; };
  TParametrosTela& p = g->ParametrosTela;
  p.InicioPeriodo = GetIndexCombo(*cbInicioPeriodo);
  p.SituacaoEspecial = GetIndexCombo(*cbSituacaoEspecial);
  p.Contabilizacao = rgContabilizacao->ItemIndex() + 1;
  p.Retificadora = GetCaractereCombo(*cbRetificadora);
  p.TipoECF = GetIndexCombo(*cbTipoECF);
  p.Remanescente = edRemanescente->IsValid() ? edRemanescente->Value() : Currency();
  p.DataSituacaoEspecial = DataDe(edDataSituacaoEspecial);
  p.DataIni = DataDe(edDataIni);
  p.DataFim = DataDe(edDataFim);
  p.DataPlanoContas = DataDe(edDataPlanoContas);
  p.NumeroRecibo = edNumeroRecibo->Text();
  p.CNPJSCP = edCNPJSCP->GetTextSemMascara();
  p.ExportarCC = Ck("ckExportarCC")->Checked();
  p.ExportaZeradas = Ck("ckExportaZeradas")->Checked();
  p.ExportaPlanoAnterior = Ck("ckExportaPlanoAnterior")->Checked();
  p.TotalizarDistribuicaoLucros = Ck("ckTotalizarDistribuicaoLucros")->Checked();
  p.OptanteRefis = GetCaractereCombo(*cbOptanteRefis);
  p.OptantePaes = GetCaractereCombo(*cbOptantePaes);
  p.Tributacao = Tributacao();
  p.PeriodoIRPJ = GetCaractereCombo(*cbPeriodoIRPJ);
  p.QualificacaoPJ = GetCaractereCombo(*cbQualificacaoPJ);
  p.TipoEscrituracao = GetCaractereCombo(*cbTipoEscrituracao);
  p.TipoEntidade = GetCaractereCombo(*cbTipoEntidade);
  p.ApuracaoIRPJImunesIsentas = GetCaractereCombo(*cbApuracaoIRPJImunesIsentas);
  p.ApuracaoCSLL = GetCaractereCombo(*cbApuracaoCSLL);
  p.OptantePelaLei = GetCaractereCombo(*cbOptantePelaLei);
  p.DiferencaSocFCont = GetCaractereCombo(*cbDiferencaSocFCont);
  p.AliquotaCSLL = FCSLLCarregado == 2014 ? GetCaractereCombo(*cbPercentualAliquotaCSLL)
                                          : std::to_string(GetIndexCombo(*cbPercentualAliquotaCSLL));
  p.QuantidadeSCP = edQuantidadeSCP->IsValid() ? static_cast<int>(edQuantidadeSCP->ValorInteger()) : 0;
  for (size_t i = 0; i < std::size(kIndicadores0020); ++i) p.Indicadores0020[i] = ck(kIndicadores0020[i]);
  p.GrupoMultinacional = ckHab("ckGrupoMultinacional");
  p.NovaRegraPrecoTransf2023 = ckHab("ckNovaRegraPrecoTransf2023");
  p.Cebas = ckHab("ckCebas");
  p.NumeroCebas = Trim(edCebas->Text());
  p.Derex = ck("ckDerex");
  for (size_t i = 0; i < std::size(kRegimesTodosAnos); ++i) p.RegimesTodosAnos[i] = ck(kRegimesTodosAnos[i]);
  if (Ano() == 2023)
    for (size_t i = 0; i < 10; ++i) p.Regimes2023[i] = ck(kRegimes2023[i]);
  else
    for (size_t i = 0; i < 10; ++i) p.RegimesAnteriores[i] = ck(kRegimesAnteriores[i]);
  p.AliquotaReduzida = edAliquotaReduzida->IsValid() ? edAliquotaReduzida->Value() : Currency();
  p.AlteracaoCapital = GetIndexCombo(*cbAlteracaoCapital);
  p.EscrituracaoAtivo = GetIndexCombo(*cbEscrituracaoAtivo);
  p.AvaliacaoEstoqueFinal = GetIndexCombo(*cbAvaliacaoEstoqueFinal);
  p.AliquotaReduzida2 = p.AliquotaReduzida;
  p.RegimeApuracao = GetIndexCombo(*cbRegimeApuracao);
  p.AvaliacaoEstoques = GetIndexCombo(*cbAvaliacaoEstoques);
  p.ContaLivroCaixa = edContaLivroCaixa->Codigo();
  p.VariasContasLivroCaixa = edContaLivroCaixa->MultiSelect() && edContaLivroCaixa->QtdeSelecionados() > 0;
  DeixaOpcoesForaDoAno(p);
  g->SetDadosP500({FDadosP500_51, FDadosP500_52});
  g->ListaAnexos().clear();
  for (const auto& item : clbListaArquivos->Items)
    if (item.Checked) g->ListaAnexos().push_back(item.Text);
  FExportacaoEF->SetCODEMP(edCODEMP);
  FExportacaoEF->SetSituacao(cbSituacaoEspecial->ItemIndex());
  FExportacaoEF->SetDataIni(edDataIni);
  FExportacaoEF->SetDataFim(edDataFim);
  FExportacaoEF->SetCaminho(edArquivo);
  FExportacaoEF->SetAtivosExterior(Ck("ckAtivosExterior")->Checked());
  FExportacaoEF->SetInconsistencias_VYN(Inconsistencias_VYN);
  g->SetCOSIF(Ck("ckCOSIF")->Checked());
  g->SetProcurador(edProcurador);
  g->SetTipoProcurador(rgTipoProcurador->ItemIndex());
  g->SetResponsavel(rgResponsavel->ItemIndex());
  g->SetCodEmpSCP(edCodEmpSCP);
  g->setQualificacaoAss(edQualificacao->getCodigoStr());
}

void TfrExportacaoECF::DeixaOpcoesForaDoAno(TParametrosTela& p) const {
  const int y = Ano();
  if (y >= 2020) {
    p.OptantePaes = CodigoItem(cbOptantePaes->Items.front());   // "N": the screen's own start
    for (const char* n : {"ckEfetuouVendas", "ckComercialExportadora", "ckCampanhasEleitorais"})
      for (size_t i = 0; i < std::size(kIndicadores0020); ++i)
        if (SameText(kIndicadores0020[i], n)) p.Indicadores0020[i] = 0;
  }
  if (y >= 2022 && y != 2023) p.RegimesAnteriores.fill(0);
}

void TfrExportacaoECF::SalvaConfiguracaoEHistorico() {
  // The settings and the history line describe the same export: a failure of either keeps neither,
  // so the last complete set is still the one restored.
  TSQLMGR banco(this);
  TTransaction tr(banco.Database(), TTransaction::kJuntaAberta);
  const int64_t emp = edCODEMP->Codigo();
  const int seq = TEXPORTACAO_ITEMSTELA_CONFIGMGR::GetChaveServidor(emp, ClassName());
  ScreenUserConfig->setScreenConfig(kModoConfigExportacao);
  saveComponentsValue(seq);
  SalvaValoresSemControle(seq);
  std::string desc = cbTributacao->Text();
  if (cbTributacao->ItemIndex() == 2 || cbTributacao->ItemIndex() == 3)
    desc += " (" + cbApuracaoIRPJImunesIsentas->Text() + " )";
  desc += " de: " + (edDataIni->IsEmpty() ? std::string() : DateToStr(DataDe(edDataIni))) + " a " +
          (edDataFim->IsEmpty() ? std::string() : DateToStr(DataDe(edDataFim)));
  if (Ck("ckExportarCC")->Checked()) desc += " - Detalhado por CC";
  FPLANOS_TPLA_SPED->CommandText(
      FPLANOS_TPLA_SPED->GetItemExportacao(emp, seq, Ck("ckExportarCC")->Checked(), kTela, desc), ctExecute);
  tr.Commit();
}

std::vector<std::pair<std::string, std::string>> TfrExportacaoECF::ValoresComponentes() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (TComponent* c : Components()) {
    if (c->Name().empty()) continue;
    // A date is kept as the date it holds (an empty or impossible one as the empty mask); the other
    // saved kinds as the settings component writes them.
    std::string valor;
    if (auto* d = dynamic_cast<TEdit_Date_Padrao_VYN*>(c))
      out.emplace_back(c->Name(), d->IsValid() && !d->IsEmpty() ? DateToStr(d->GetData()) : "  /  /    ");
    else if ((dynamic_cast<TEdit_String_Padrao*>(c) || dynamic_cast<TComboBox_Padrao_VYN*>(c) ||
              dynamic_cast<TRadioGroup*>(c) || dynamic_cast<TCheckBox*>(c)) &&
             TScreenUserConfig::ValorDoControle(*c, valor))
      out.emplace_back(c->Name(), valor);
  }
  return out;
}

int TfrExportacaoECF::IndiceSalvo(const std::string& valor) {
  const std::string t = Trim(valor);
  const std::string d = !t.empty() && t[0] == '-' ? t.substr(1) : t;
  return !d.empty() && d.size() <= 9 && OnlyDigits(d) == d ? std::stoi(t) : -1;
}

namespace {
// Combos whose unreadable saved index is taken as the first item; any other refuses it (read as the
// first item, the start of period would declare a regular year, the taxation real profit).
const char* const kCombosLenientes[] = {"cbSituacaoEspecial", "cbTipoECF", "cbAlteracaoCapital",
                                        "cbEscrituracaoAtivo", "cbAvaliacaoEstoqueFinal", "cbAvaliacaoEstoques",
                                        "cbTipoDocumento", "cbRegimeApuracao"};

bool ComboLeniente(const std::string& nome) {
  for (const char* n : kCombosLenientes)
    if (SameText(nome, n)) return true;
  return false;
}

// Whole codes only; an edit that takes several codes takes them parted by ";" ("10;11"), as it saves them.
bool CodigosLegiveis(const TEdit_Codigo_Search_VYN& e, const std::string& t) {
  if (t.empty()) return true;
  const std::vector<std::string> partes = e.AceitaMultiSelecao ? Split(t, ';') : std::vector<std::string>{t};
  for (const auto& p : partes) {
    const std::string c = Trim(p);
    if (c.empty() || c.size() > 18 || OnlyDigits(c) != c) return false;
  }
  return true;
}
}  // namespace

namespace {
// The year a saved set was saved for (0: no start date), or none when the set does not say.
std::optional<int> AnoSalvo(const std::map<std::string, std::string>& porNome) {
  auto it = porNome.find("EDDATAINI");
  if (it == porNome.end()) return std::nullopt;
  TDateTime d;
  return TryStrToDate(Trim(it->second), d) ? YearOf(d) : 0;
}
int SituacaoSalva(const std::map<std::string, std::string>& porNome) {
  auto it = porNome.find("CBSITUACAOESPECIAL");
  return it == porNome.end() ? 0 : std::max(0, TfrExportacaoECF::IndiceSalvo(it->second));
}
}  // namespace

bool TfrExportacaoECF::AplicaValorComponente(const std::string& nome, const std::string& valor) {
  TComponent* c = FindComponent(nome);
  if (!c) return false;
  const std::string t = Trim(valor);
  const int indice = IndiceSalvo(valor);
  bool legivel = true;
  if (auto* d = dynamic_cast<TEdit_Date_Padrao_VYN*>(c)) {
    TDateTime v;
    d->SetData(TryStrToDate(t, v) ? v : TDateTime());
  } else if (auto* e = dynamic_cast<TEdit_String_Padrao*>(c)) {
    // The edits read their text their own way ("12a" as company 12, "1e5" as nothing): what they
    // could not hold as saved is refused, never put in as something else.
    if (const auto* cod = dynamic_cast<const TEdit_Codigo_Search_VYN*>(e))
      legivel = CodigosLegiveis(*cod, t);
    else if (dynamic_cast<const TMaskEdit_Documentos_VYN*>(e))
      legivel = t.empty() || OnlyDigits(t).size() == 14;
    e->SetText(valor);
    if (const auto* n = dynamic_cast<const TEdit_Numerico_Padrao_VYN*>(e)) legivel = n->IsValid();
    if (!legivel) e->Clear();
  } else if (auto* cb = dynamic_cast<TComboBox_Padrao_VYN*>(c)) {
    int i = indice;
    if (i < 0 && !t.empty() && t != "-1") {
      legivel = ComboLeniente(nome);
      i = 0;
    }
    cb->SetItemIndex(legivel && i >= 0 && i < static_cast<int>(cb->Items.size()) ? i : -1);
  } else if (auto* rg = dynamic_cast<TRadioGroup*>(c)) {
    // "-1" is a choice saved as none (no attorney's kind): it comes back as none, as the screen hands it over.
    const bool nenhum = t == "-1";
    rg->SetItemIndex(nenhum ? -1 : indice >= 0 && indice < static_cast<int>(rg->Items.size()) ? indice : 0);
  } else if (auto* ck = dynamic_cast<TCheckBox*>(c)) {
    ck->SetChecked(SameText(t, "True") || indice > 0);
  } else {
    return false;
  }
  if (!legivel) RecusaValorSalvo(*c, valor);
  return true;
}

void TfrExportacaoECF::RecusaValorSalvo(const TComponent& c, const std::string& valor) {
  const std::string msg = "O valor salvo \"" + valor + "\" do campo \"" + c.Name() +
                          "\" não pode ser lido. Confira a configuração salva da empresa.";
  if (FalhaNaTarefa() || semDialogos_) throw EExceptionTratadaInformativa_VYN(msg);
  MessageDlgVYN(msg, mtWarning, mbOK, 0, FLogEvent);
}

void TfrExportacaoECF::RestauraAliquotaCSLLSalva(const std::string& valor, const std::map<std::string, std::string>& porNome) {
  const std::string t = Trim(valor);
  // Empty or "-1" is a rate saved as none (switched off); any other text that is no index is no rate
  // at all, and is refused rather than read as the first item.
  if (!t.empty() && t != "-1" && IndiceSalvo(t) < 0) {
    RestauraAliquotaCSLL(-1, AnoSalvo(porNome), SituacaoSalva(porNome));
    RecusaValorSalvo(*cbPercentualAliquotaCSLL, valor);
    return;
  }
  RestauraAliquotaCSLL(IndiceSalvo(t), AnoSalvo(porNome), SituacaoSalva(porNome));
}

void TfrExportacaoECF::saveComponentsValue(int sequencia) {
  TSQLMGR sql(this);
  for (const auto& [nome, valor] : ValoresComponentes())
    sql.CommandText("UPDATE OR INSERT INTO TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, "
                    "BDCOMPVALUE, BDCOMPINDEX) VALUES (?, ?, ?, ?, ?, 0)",
                    ctExecute, {edCODEMP->Codigo(), kTela, sequencia, nome, valor});
}

void TfrExportacaoECF::AddValorBens(const std::string& nome, const std::string& valor, int sequencia) {
  TSQLMGR sql(this);
  sql.CommandText("update or insert into TEXPORTACAO_ITEMSTELA_CONFIG (BDCODEMP, BDTELA, BDSEQUENCIA, BDCOMPNAME, "
                  "BDCOMPVALUE, BDCOMPINDEX) values (?, ?, ?, ?, ?, 0)",
                  ctExecute, {edCODEMP->Codigo(), kTela, sequencia, nome, valor});
}

void TfrExportacaoECF::SalvaValoresSemControle(int sequencia) {
  AddValorBens("edCodigoBens", std::to_string(FCodigoBens->Value()), sequencia);
  AddValorBens("edNomeBens", FNomeBens->Value(), sequencia);
  AddValorBens("edArquivoBens", FArquivoBens->Value(), sequencia);
  const TParametrosBlocoP500* dados[2] = {FDadosP500_51, FDadosP500_52};
  for (int i = 0; i < 2; ++i)
    if (dados[i] && !dados[i]->Valor.IsZero()) AddValorBens(kP500Salvo[i], dados[i]->Valor.ToSQL(), sequencia);
  // The attachments the export hands over (the checked lines), one row each, numbered from 1.
  int n = 0;
  for (const auto& item : clbListaArquivos->Items)
    if (item.Checked) AddValorBens(NomeAnexoSalvo(++n), item.Text, sequencia);
}

std::string TfrExportacaoECF::NomeAnexoSalvo(int i) { return std::string(kAnexoSalvo) + std::to_string(i); }

void TfrExportacaoECF::RestauraAnexos(const std::function<std::string(const std::string&)>& salvo) {
  clbListaArquivos->Items.clear();
  clbListaArquivos->ItemIndex = -1;
  // The set's rows are numbered from 1 without a gap: the first number it lacks ends the list.
  for (int i = 1;; ++i) {
    const std::string linha = salvo(NomeAnexoSalvo(i));
    if (linha.empty()) break;
    // A file gone or changed since the set was saved is never left out quietly: the file would go out
    // without the attachment the user chose.
    const std::string arquivo = CaminhoDoAnexo(linha);
    const char* motivo = !std::filesystem::exists(arquivo) ? "não existe mais"
                         : !ArquivoRtfValido(arquivo)      ? "não é um arquivo rtf válido"
                                                           : nullptr;
    if (!motivo) {
      clbListaArquivos->Add(linha, true);
      continue;
    }
    const std::string msg = "O anexo do Y800 salvo na configuração da empresa, \"" + arquivo + "\", " + motivo +
                            ". Anexe-o de novo ou retire-o da lista e confirme outra vez.";
    if (FalhaNaTarefa() || semDialogos_) throw EExceptionTratadaInformativa_VYN(msg);
    MessageDlgVYN(msg, mtWarning, mbOK, 0, FLogEvent);
  }
}

namespace {
constexpr int kSequenciaPadrao = 0;   // the saved default configuration's set

void ApagaValoresPadrao(TSQLMGR& banco, int64_t emp) {
  banco.CommandText("delete from TEXPORTACAO_ITEMSTELA_CONFIG where BDCODEMP = ? and BDTELA = ? and BDSEQUENCIA = ?",
                    ctExecute, {emp, kTela, kSequenciaPadrao});
}
}  // namespace

void TfrExportacaoECF::mmSalvarConfigClick(TComponent*) {
  if (!EmpresaCadastrada()) {
    Aviso("Empresa não cadastrada ou não informada", true);
    return;
  }
  ScreenUserConfig->setScreenConfig(kModoConfigPadrao);
  // The whole set replaces the previous default, or nothing does.
  TSQLMGR banco(this);
  TTransaction tr(banco.Database(), TTransaction::kJuntaAberta);
  const int64_t emp = edCODEMP->Codigo();
  ApagaValoresPadrao(banco, emp);
  saveComponentsValue(kSequenciaPadrao);
  SalvaValoresSemControle(kSequenciaPadrao);
  banco.CommandText("update or insert into TEMPRESA_ITENSEXP_CONFIG (BDCODEMP, BDTELA) values (?, ?)", ctExecute,
                    {emp, kTela});
  tr.Commit();
  spConfigPadraoRel->SetMarked(true);
}

void TfrExportacaoECF::mmLimparconfigClick(TComponent*) {
  if (edCODEMP->Codigo() == 0) return;
  TSQLMGR banco(this);
  TTransaction tr(banco.Database(), TTransaction::kJuntaAberta);
  const int64_t emp = edCODEMP->Codigo();
  ApagaValoresPadrao(banco, emp);
  banco.CommandText("delete from TEMPRESA_ITENSEXP_CONFIG where BDCODEMP = ? and BDTELA = ?", ctExecute, {emp, kTela});
  tr.Commit();
  spConfigPadraoRel->SetMarked(false);
}

bool TfrExportacaoECF::getPossuiConfigPadrao() const {
  if (edCODEMP->Codigo() == 0 || !ProcessContext().Database) return false;
  TSQLMGR sql;
  sql.CommandText("select first 1 BDCODEMP from TEMPRESA_ITENSEXP_CONFIG where BDCODEMP = ? and BDTELA = ?", ctOpen,
                  {edCODEMP->Codigo(), kTela});
  return !sql.IsEmpty();
}

bool TfrExportacaoECF::CarregaConfiguracao(int sequencia) {
  TSQLMGR sql(this);
  const int64_t emp = edCODEMP->Codigo();
  if (sequencia < 0) {
    Variant m = sql.Database().QueryValue(
        "select max(BDSEQUENCIA) from TEXPORTACAO_ITEMSTELA_CONFIG where BDCODEMP = ? and BDTELA = ?", {emp, kTela});
    if (m.IsNull()) return false;
    sequencia = static_cast<int>(m.AsInteger());
  }
  sql.CommandText("select BDCOMPNAME, BDCOMPVALUE from TEXPORTACAO_ITEMSTELA_CONFIG where BDCODEMP = ? and BDTELA = ? "
                  "and BDSEQUENCIA = ? order by BDCOMPNAME",
                  ctOpen, {emp, kTela, sequencia});
  if (sql.IsEmpty()) return false;
  std::map<std::string, std::string> valores;
  std::string p500[2];
  for (sql.First(); !sql.Eof(); sql.Next()) {
    const std::string nome = sql.FieldByName("BDCOMPNAME").AsString();
    const std::string valor = sql.FieldByName("BDCOMPVALUE").IsNull() ? "" : sql.FieldByName("BDCOMPVALUE").AsString();
    if (SameText(nome, "edCodigoBens")) {
      FCodigoBens->SetValue(OnlyDigits(valor).empty() || OnlyDigits(valor).size() > 9 ? 0 : std::stoi(OnlyDigits(valor)));
    } else if (SameText(nome, "edNomeBens")) {
      FNomeBens->SetValue(valor);
    } else if (SameText(nome, "edArquivoBens")) {
      FArquivoBens->SetValue(valor);
    } else if (SameText(nome, kP500Salvo[0]) || SameText(nome, kP500Salvo[1])) {
      p500[SameText(nome, kP500Salvo[0]) ? 0 : 1] = valor;
    } else if (SameText(nome, "bdRegimeApuracao")) {
      valores.emplace("CBREGIMEAPURACAO", valor);   // older sets named the revenue regime by its column
    } else if (!SameText(nome, "edCODEMP") && !SameText(nome, "edArquivo")) {
      valores[UpperCase(nome)] = valor;
    }
  }
  RestauraP500(p500[0], p500[1]);
  AplicaValores(valores);
  RestauraAnexos([&valores](const std::string& nome) {
    auto it = valores.find(UpperCase(nome));
    return it == valores.end() ? std::string() : it->second;
  });
  return true;
}


void TfrExportacaoECF::AplicaValores(const std::map<std::string, std::string>& porNome) {
  struct TCarregando {
    bool& f;
    bool antes;
    explicit TCarregando(bool& x) : f(x), antes(x) { f = true; }
    ~TCarregando() { f = antes; }
  } carregando(carregando_);
  // In the order the controls were made, which is the order they were saved in: a restored choice
  // clears what depends on it (the attorney's kind clears the attorney), so the choice must come
  // before the value it governs, never after it as an order by name would put it.
  for (TComponent* c : Components()) {
    auto it = porNome.find(UpperCase(c->Name()));
    if (it == porNome.end()) continue;
    if (c == cbPercentualAliquotaCSLL)
      RestauraAliquotaCSLLSalva(it->second, porNome);
    else
      AplicaValorComponente(c->Name(), it->second);
  }
  AplicaRegrasDosValoresRestaurados();
  // The rate items of the restored period: a reloaded export shows the rate it exported.
  pCarregaItemsAliquotaCSLL();
  // An index its year's list never had is no rate either (once a "no rate owed" has let it go): refused
  // as such, and the confirmation stops on it, rather than handing over no rate or another one.
  if (csllSalvo_.Pendente && csllSalvo_.Codigo.empty()) RecusaValorSalvo(*cbPercentualAliquotaCSLL, csllSalvo_.Item);
}

void TfrExportacaoECF::spP500Click(TComponent*) {
  if (!FDadosP500_51) FDadosP500_51 = Create<TParametrosBlocoP500>();
  if (!FDadosP500_52) FDadosP500_52 = Create<TParametrosBlocoP500>();
  TListaObj lista;
  lista.Posicao(pp5Dados51).Add(FDadosP500_51);
  lista.Posicao(pp5Dados52).Add(FDadosP500_52);
  // Modal: the dialog writes into objects this screen owns, which a change of company or rate frees.
  TPackagesUtil::CarregaFormParamsObj("TfrPreparacaoDadosComplementaresECFP500", this, std::move(lista), nullptr, true);
}

void TfrExportacaoECF::RestauraUltimaExportacao(TDateTime d1, TDateTime d2) {
  if (!getPossuiConfigPadrao()) CarregaConfiguracao(-1);
  edDataIni->SetData(d1);
  edDataIniExit(edDataIni);
  edDataFim->SetData(d2);
  edDataFimExit(edDataFim);
}

std::string TfrExportacaoECF::ExportaToValidador(int codEmp, TDateTime d1, TDateTime d2, const std::string& pasta) {
  struct TSemDialogos {
    bool& f;
    explicit TSemDialogos(bool& x) : f(x) { f = true; }
    ~TSemDialogos() { f = false; }
  } semDialogos(semDialogos_);
  edCODEMP->Vale(codEmp);
  edCODEMP->Search();
  edCODEMPExit(edCODEMP);
  RestauraUltimaExportacao(d1, d2);
  edArquivo->SetText(pasta);
  gerador_->SetNomeArquivo("");
  exportou_ = false;
  spConfirmar->Click();
  // Only a file this confirmation put in place: a run that failed answers no name, so the job reports
  // the list's reason instead of a folder taken for a file, or an earlier job's file for its own.
  return exportou_ ? gerador_->GetNomeArquivo() : std::string();
}

}  // namespace integracao
