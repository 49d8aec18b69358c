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

bool Inteiro(const std::string& s, int& out) {
  std::string t = Trim(s);
  std::string d = !t.empty() && t[0] == '-' ? t.substr(1) : t;
  if (d.empty() || d.size() > 9 || OnlyDigits(d) != d) return false;
  out = std::stoi(t);
  return true;
}
int InteiroEstrito(const std::string& s) {
  int v = 0;
  if (!Inteiro(s, v)) throw std::invalid_argument("'" + s + "' is not a valid integer value");
  return v;
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
  // The edit keeps digits only: "-1" would become company 1, exported and saved without its settings.
  if (codEmp_ > 0) tela.edCODEMP->Vale(codEmp_);
  // The screen's own refusal: nothing of a company that is not registered is exported.
  if (codEmp_ <= 0 || tela.edCODEMP->Codigo() != codEmp_ || !tela.edCODEMP->Validate() || !tela.EmpresaCadastrada())
    throw EExceptionTratadaInformativa_VYN("Empresa não cadastrada ou não informada.");
  tela.edCODEMPExit(tela.edCODEMP);
  tela.setLimitarHistCompl(GetParametro("ckLimitaHist") == "True");
  PreencheInformacoesTelaECF(ini, fim);
  // The year exported is judged by its own taxation, the record's, not one restored from a set saved
  // for another year: the file name looked for below and the confirmation both take it.
  tela.FormaTributacaoOK(false);
  tela.edArquivo->SetText(CriaPastaDestino(GetDiretorioPlano(r, false)) + "\\");
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

// A scheduled export of a new month finds no folder of that month yet: the task makes it, and a folder
// it cannot make ends the run saying so.
std::string TAutoThreadExportacaoECF::CriaPastaDestino(const std::string& pasta) {
  std::error_code ec;
  std::filesystem::create_directories(pasta, ec);
  if (ec || !std::filesystem::is_directory(pasta))
    throw EExceptionTratadaInformativa_VYN("Não foi possível criar a pasta de destino da exportação \"" + pasta +
                                           "\": " + (ec ? ec.message() : std::string("não é uma pasta")) + ".");
  return pasta;
}

bool TAutoThreadExportacaoECF::getPossuiConfigPadrao() const {
  TSQLMGR sql;
  sql.CommandText("select first 1 BDCODEMP from TEMPRESA_ITENSEXP_CONFIG CONF where (BDCODEMP = ?) and (bdTELA = ?)",
                  ctOpen, {codEmp_, ecf::kTela});
  return !sql.IsEmpty() && !sql.FieldByName("BDCODEMP").IsNull();
}

void TAutoThreadExportacaoECF::PreencheInformacoesTelaECF(TDateTime ini, TDateTime fim) {
  // What the screen saved, all of it, as the SPED validation restores it: a choice the task left out
  // would be exported as the screen's default and then saved as the company's newest set.
  ExportacaoECF->RestauraUltimaExportacao(ini, fim);
}

}  // namespace integracao
