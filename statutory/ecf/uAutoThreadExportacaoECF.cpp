#include "statutory/ecf/uAutoThreadExportacaoECF.h"

#include <filesystem>
#include <stdexcept>

#include "framework/component/resultado_execucao.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/sql_mgr.h"
#include "framework/ui/excecao_informativa.h"
#include "framework/ui/form.h"
#include "statutory/ecf/ecf_listas.h"

namespace integracao {

using namespace vyn;

namespace {
const char* const kTela = "frExportacaoECF";

// The start-of-period indicator is not among the lenient ones: read as 0 it would declare a regular
// year for a company that opened, merged or split in it.
const char* const kCombosLenientes[] = {"cbSituacaoEspecial", "cbTipoECF", "cbAlteracaoCapital",
                                        "cbEscrituracaoAtivo", "cbAvaliacaoEstoqueFinal", "cbAvaliacaoEstoques",
                                        "cbTipoDocumento", "cbRegimeApuracao"};
const char* const kCombosEstritos[] = {"cbInicioPeriodo", "cbRetificadora", "cbOptanteRefis", "cbOptantePaes",
                                       "cbTributacao", "cbPeriodoIRPJ", "cbQualificacaoPJ", "cbTipoEscrituracao",
                                       "cbTipoEntidade", "cbApuracaoIRPJImunesIsentas", "cbApuracaoCSLL",
                                       "cbOptantePelaLei", "cbDiferencaSocFCont", "cbPercentualAliquotaCSLL"};
// The check boxes restored: these, record 0020's indicators, the regimes of every year and the older
// ones (the 2023 regimes, CEBAS and the 2023 transfer-price option keep what the screen gives them).
const char* const kChecksAvulsos[] = {"ckExportaZeradas", "ckExportaPlanoAnterior", "ckExportarCC",
                                      "ckTotalizarDistribuicaoLucros", "ckDerex", "ckGrupoMultinacional"};
const char* const kEdits[] = {"edRemanescente", "edQuantidadeSCP", "edAliquotaReduzida", "edNumeroRecibo",
                              "edCodEmpSCP", "edContaAjusteECF", "edContaLivroCaixa", "edCNPJSCP",
                              "edInformacoesFiscais"};

bool Inteiro(const std::string& s, int& out) {
  std::string t = Trim(s);
  std::string d = !t.empty() && t[0] == '-' ? t.substr(1) : t;
  if (d.empty() || d.size() > 9 || OnlyDigits(d) != d) return false;
  out = std::stoi(t);
  return true;
}
int InteiroOuZero(const std::string& s) {
  int v = 0;
  return Inteiro(s, v) ? v : 0;
}
int InteiroEstrito(const std::string& s) {
  int v = 0;
  if (!Inteiro(s, v)) throw std::invalid_argument("'" + s + "' is not a valid integer value");
  return v;
}
bool Booleano(const std::string& s) {
  int v = 0;
  if (Inteiro(s, v)) return v != 0;
  return SameText(Trim(s), "True");
}
void SelecionaIndice(TComboBox_Padrao_VYN& cb, int i) {
  cb.SetItemIndex(i >= 0 && i < static_cast<int>(cb.Items.size()) ? i : -1);
}
// A saved value the edit cannot hold would be exported as 0 or as its leading digits ("12a" as
// company 12): the run fails naming the field instead.
void ConfereValorLegivel(const TEdit_String_Padrao& e, const std::string& valor) {
  const std::string t = Trim(valor);
  bool legivel = true;
  if (const auto* n = dynamic_cast<const TEdit_Numerico_Padrao_VYN*>(&e))
    legivel = n->IsValid();
  else if (dynamic_cast<const TEdit_Codigo_Search_VYN*>(&e))
    legivel = t.empty() || (t.size() <= 18 && OnlyDigits(t) == t);
  else if (dynamic_cast<const TMaskEdit_Documentos_VYN*>(&e))
    legivel = t.empty() || OnlyDigits(t).size() == 14;
  if (!legivel)
    throw EExceptionTratadaInformativa_VYN("O valor salvo \"" + valor + "\" do campo \"" + e.Name() +
                                           "\" não pode ser lido. Confira a configuração salva da empresa.");
}

template <size_t N>
bool Em(const std::string& nome, const char* const (&l)[N]) {
  for (const char* n : l)
    if (SameText(nome, n)) return true;
  return false;
}
}  // namespace

bool TAutoThreadExportacaoECF::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TAutoThreadExportacaoECF") || TAutoThreadPushPadrao::InheritsFrom(class_name);
}

std::string TAutoThreadExportacaoECF::GetDiretorioPlano(int referencia, bool) const {
  if (DiretorioPlano) return DiretorioPlano(referencia);
  const auto& ctx = ProcessContext();
  return ctx.ProgramFolder + "/planos/" + std::to_string(ctx.WP_PLANO_TARVO) + "/" + std::to_string(referencia);
}

void TAutoThreadExportacaoECF::Execute() {
  TAutoThreadPushPadrao::Execute();
  GravarLogTarvo("Iniciando o processo...");
  FIsTARVOECF = true;
  const int atual = ProcessContext().Referencia;
  // Only the current month or the one before is ever exported, but a text that is no month at all is a
  // mistake in the schedule: taken as "not the current month" it would export a year nobody asked for.
  const std::string referencia = Trim(GetParametro("referencia"));
  int pedido = 0;
  if (!referencia.empty() && !Inteiro(referencia, pedido))
    throw EExceptionTratadaInformativa_VYN("O parâmetro \"referencia\" não é um mês de referência: " + referencia);
  const int r = pedido == atual ? atual : TDateTime_VYN::GetDecRef(atual, 1);
  const int ano = std::stoi(std::to_string(r).substr(0, 4));
  const TDateTime ini = StrToDate("01/01/" + std::to_string(ano));
  const TDateTime fim = StrToDate("31/12/" + std::to_string(ano));

  ExportacaoECF = CreateForm<TfrExportacaoECF>(*this);
  ExportacaoECF->SetIsTARVO(true);
  codEmp_ = InteiroEstrito(GetParametro("cod_empresa"));
  auto& tela = *ExportacaoECF;
  tela.edCODEMP->Vale(codEmp_);
  // The screen's own refusal: nothing of a company that is not registered is exported.
  if (!tela.edCODEMP->Validate() || !tela.EmpresaCadastrada())
    throw EExceptionTratadaInformativa_VYN("Empresa não cadastrada ou não informada.");
  tela.edCODEMPExit(tela.edCODEMP);
  tela.edDataIni->SetData(ini);
  tela.edDataFim->SetData(fim);
  // The year's rules (the CSLL items above all) must stand before the saved item indexes are restored.
  tela.edDataIniExit(tela.edDataIni);
  tela.setLimitarHistCompl(GetParametro("ckLimitaHist") == "True");
  if (!getPossuiConfigPadrao()) PreencheInformacoesTelaECF();
  // The year exported is judged by its own taxation, the record's, not one restored from a set saved
  // for another year: the file name looked for below and the confirmation both take it.
  tela.FormaTributacaoOK(false);
  tela.edArquivo->SetText(GetDiretorioPlano(r, false) + "\\");
  if (GetParametro("ckSobreporArquivoDestino") == "False") {
    const std::string trib = tela.cbTributacao->Text().substr(0, 1);
    const std::string nome = JuntaPastaArquivo(
        tela.edArquivo->Text(), NomeArquivoECF(tela.edCODEMP->Codigo(), trib, ano, MonthOf(tela.edDataIni->GetData())));
    if (std::filesystem::is_regular_file(nome)) {
      RegistraInconsistenciaExecucao(
          "Já existe exportação neste período com o mesmo nome de arquivo na pasta selecionada, a exportação não foi "
          "refeita pois no plano de configuração não está marcada a opção ‘Sobrepor arquivo automaticamente na pasta "
          "destino`");
      return;
    }
  }
  GravarLogTarvo("Iniciando a exportação da ECF...");
  // A confirm button the taxation check switched off runs nothing when clicked: the run would end as
  // a success without a file. So would a confirmation that stopped without saying why.
  if (!tela.spConfirmar->Enabled()) throw EExceptionTratadaInformativa_VYN(tela.MotivoNaoExportado());
  const int execucoes = tela.Gerador()->Execucoes;
  tela.spConfirmar->Click();
  const TResultadoExecucao* resultado = ResultadoExecucao();
  const bool relatado = resultado && (!resultado->Inconsistencias.empty() || !resultado->Falha.empty());
  if (tela.Gerador()->Execucoes == execucoes && !relatado)
    throw EExceptionTratadaInformativa_VYN(tela.MotivoNaoExportado());
  GravarLogTarvo("Buscando as informações para exportação...");
  GravarLogTarvo("Processo finalizado");
  ExportacaoECF->Free();
  ExportacaoECF = nullptr;
}

bool TAutoThreadExportacaoECF::getPossuiConfigPadrao() const {
  TSQLMGR sql;
  sql.CommandText("select first 1 BDCODEMP from TEMPRESA_ITENSEXP_CONFIG CONF where (BDCODEMP = ?) and (bdTELA = ?)",
                  ctOpen, {codEmp_, kTela});
  return !sql.IsEmpty() && !sql.FieldByName("BDCODEMP").IsNull();
}

void TAutoThreadExportacaoECF::PreencheInformacoesTelaECF() {
  TSQLMGR sql(this);
  // The company code is the integer already read: the parameter's own text never reaches the SQL.
  sql.CommandText("select * from TEXPORTACAO_ITEMSTELA_CONFIG where BDCODEMP = ? and BDSEQUENCIA = (select "
                  "max(BDSEQUENCIA) from TEXPORTACAO_ITEMSTELA_CONFIG where BDCODEMP = ? and BDTELA = ?) and BDTELA = ? "
                  "order by BDCOMPNAME",
                  ctOpen, {codEmp_, codEmp_, kTela, kTela});
  if (sql.IsEmpty()) return;
  auto& tela = *ExportacaoECF;
  for (sql.First(); !sql.Eof(); sql.Next()) {
    const std::string nome = sql.FieldByName("BDCOMPNAME").AsString();
    const std::string valor = sql.FieldByName("BDCOMPVALUE").IsNull() ? "" : sql.FieldByName("BDCOMPVALUE").AsString();
    // The revenue regime is saved under its control's name; older sets used its column's name.
    const std::string alvo = SameText(nome, "bdRegimeApuracao") ? "cbRegimeApuracao" : nome;
    if (Em(alvo, kCombosLenientes)) {
      SelecionaIndice(*dynamic_cast<TComboBox_Padrao_VYN*>(tela.FindComponent(alvo)), InteiroOuZero(valor));
    } else if (SameText(alvo, "cbPercentualAliquotaCSLL")) {
      tela.RestauraAliquotaCSLL(InteiroEstrito(valor));
    } else if (Em(alvo, kCombosEstritos)) {
      SelecionaIndice(*dynamic_cast<TComboBox_Padrao_VYN*>(tela.FindComponent(alvo)), InteiroEstrito(valor));
    } else if (SameText(alvo, "rgContabilizacao")) {
      const int i = InteiroOuZero(valor);
      tela.rgContabilizacao->SetItemIndex(i >= 0 && i < 2 ? i : 0);
    } else if (Em(alvo, kChecksAvulsos) || Em(alvo, ecf::kIndicadores0020) || Em(alvo, ecf::kRegimesTodosAnos) ||
               Em(alvo, ecf::kRegimesAnteriores)) {
      tela.Ck(alvo)->SetChecked(Booleano(valor));
    } else if (Em(alvo, kEdits)) {
      auto* edit = dynamic_cast<TEdit_String_Padrao*>(tela.FindComponent(alvo));
      edit->SetText(valor);
      ConfereValorLegivel(*edit, valor);
    } else if (SameText(alvo, "edDataSituacaoEspecial")) {
      if (!StartsWithText(Trim(valor), "/")) tela.edDataSituacaoEspecial->SetData(StrToDate(Trim(valor)));
    } else if (SameText(alvo, "edDataPlanoContas")) {
      TDateTime d;
      tela.edDataPlanoContas->SetData(TryStrToDate(Trim(valor), d) ? d : TDateTime());
    }
  }
  // Restored item indexes fire no change: the fields they govern must follow the restored choices, or
  // every original ECF would fail the 41-digit receipt check and a set the screen refuses (an SCP
  // without its count) would pass.
  tela.AplicaRegrasDosValoresRestaurados();
  sql.First();
}

}  // namespace integracao
