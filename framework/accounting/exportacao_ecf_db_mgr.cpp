#include "framework/accounting/exportacao_ecf_db_mgr.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/boxed_values.h"
#include "framework/core/temp_name.h"
#include "framework/ui/edit.h"
#include "framework/ui/edit_codigo.h"
#include "framework/ui/edit_date.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

std::string NomeArquivoECF(int64_t codEmp, const std::string& tributacao, int ano, int mes) {
  return "ECF" + TString_VYN::GetStrZero(static_cast<long long>(codEmp), 4) + "_" + tributacao + "_" +
         std::to_string(ano) + "_" + std::to_string(mes) + ".TXT";
}

std::string JuntaPastaArquivo(const std::string& pasta, const std::string& arquivo) {
  std::string p = pasta;
  while (!p.empty() && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  return p.empty() ? arquivo : p + "/" + arquivo;
}

namespace {
std::string Data(TEdit_Date_Padrao_VYN* e) { return e && !e->IsEmpty() ? DateToStr(e->GetData()) : ""; }
std::string Codigo(TEdit_Codigo_Search_VYN* e) { return e ? e->getCodigoStr() : ""; }
std::string Data(TDateTime d) { return d.Value == 0 ? "" : DateToStr(d); }
}  // namespace

void TExportacaoECFDBMGR::EscreveParametros(std::ostream& out) const {
  const TParametrosTela& p = ParametrosTela;
  auto linha = [&](const std::string& k, const std::string& v) { out << k << '=' << v << "\r\n"; };
  auto n = [](auto v) { return std::to_string(v); };
  auto lista = [&](const std::string& k, const auto& valores) {
    std::string t;
    for (auto v : valores) t += (t.empty() ? "" : ",") + std::to_string(v);
    linha(k, t);
  };
  linha("EMPRESA", Codigo(edCODEMP));
  linha("DATAINI", Data(edDataIni));
  linha("DATAFIM", Data(edDataFim));
  linha("CONTAAJUSTE", Codigo(edContaAjuste));
  linha("INFORMACOESFISCAIS", InformacoesFiscais);
  linha("TARVO", IsTARVO ? "1" : "0");
  linha("LIMITARHISTCOMPL", LimitarHistCompl ? "1" : "0");
  linha("I157", n(CodigoI157));
  linha("INICIOPERIODO", n(p.InicioPeriodo));
  linha("SITUACAOESPECIAL", n(p.SituacaoEspecial));
  linha("CONTABILIZACAO", n(p.Contabilizacao));
  linha("RETIFICADORA", p.Retificadora);
  linha("TIPOECF", n(p.TipoECF));
  linha("REMANESCENTE", p.Remanescente.ToSQL());
  linha("DATASITUACAOESPECIAL", Data(p.DataSituacaoEspecial));
  linha("PARAMDATAINI", Data(p.DataIni));
  linha("PARAMDATAFIM", Data(p.DataFim));
  linha("DATAPLANOCONTAS", Data(p.DataPlanoContas));
  linha("NUMERORECIBO", p.NumeroRecibo);
  linha("CNPJSCP", p.CNPJSCP);
  linha("EXPORTARCC", n(int{p.ExportarCC}));
  linha("EXPORTAZERADAS", n(int{p.ExportaZeradas}));
  linha("EXPORTAPLANOANTERIOR", n(int{p.ExportaPlanoAnterior}));
  linha("TOTALIZARDISTRIBUICAOLUCROS", n(int{p.TotalizarDistribuicaoLucros}));
  linha("OPTANTEREFIS", p.OptanteRefis);
  linha("OPTANTEPAES", p.OptantePaes);
  linha("TRIBUTACAO", n(p.Tributacao));
  linha("PERIODOIRPJ", p.PeriodoIRPJ);
  linha("QUALIFICACAOPJ", p.QualificacaoPJ);
  linha("TIPOESCRITURACAO", p.TipoEscrituracao);
  linha("TIPOENTIDADE", p.TipoEntidade);
  linha("APURACAOIRPJIMUNESISENTAS", p.ApuracaoIRPJImunesIsentas);
  linha("APURACAOCSLL", p.ApuracaoCSLL);
  linha("OPTANTEPELALEI", p.OptantePelaLei);
  linha("DIFERENCASOCFCONT", p.DiferencaSocFCont);
  linha("ALIQUOTACSLL", p.AliquotaCSLL);
  linha("QUANTIDADESCP", n(p.QuantidadeSCP));
  lista("INDICADORES0020", p.Indicadores0020);
  linha("GRUPOMULTINACIONAL", n(p.GrupoMultinacional));
  linha("NOVAREGRAPRECOTRANSF2023", n(p.NovaRegraPrecoTransf2023));
  linha("CEBAS", n(p.Cebas));
  linha("NUMEROCEBAS", p.NumeroCebas);
  linha("DEREX", n(p.Derex));
  lista("REGIMESTODOSANOS", p.RegimesTodosAnos);
  lista("REGIMES2023", p.Regimes2023);
  lista("REGIMESANTERIORES", p.RegimesAnteriores);
  linha("ALIQUOTAREDUZIDA", p.AliquotaReduzida.ToSQL());
  linha("ALTERACAOCAPITAL", n(p.AlteracaoCapital));
  linha("ESCRITURACAOATIVO", n(p.EscrituracaoAtivo));
  linha("AVALIACAOESTOQUEFINAL", n(p.AvaliacaoEstoqueFinal));
  linha("ALIQUOTAREDUZIDA2", p.AliquotaReduzida2.ToSQL());
  linha("REGIMEAPURACAO", n(p.RegimeApuracao));
  linha("AVALIACAOESTOQUES", n(p.AvaliacaoEstoques));
  linha("CONTALIVROCAIXA", n(p.ContaLivroCaixa));
  linha("VARIASCONTASLIVROCAIXA", n(int{p.VariasContasLivroCaixa}));
  for (auto* d : DadosP500)
    if (d) linha(d->Registro + "|" + d->Codigo, d->Valor.ToSQL());
  for (auto& a : Anexos) linha("Y800", a);
  if (ExportacaoEF) {
    linha("EF_EMPRESA", Codigo(ExportacaoEF->edCODEMP));
    linha("EF_SITUACAO", n(ExportacaoEF->Situacao));
    linha("EF_DATAINI", Data(ExportacaoEF->edDataIni));
    linha("EF_DATAFIM", Data(ExportacaoEF->edDataFim));
    linha("EF_CAMINHO", ExportacaoEF->edCaminho ? ExportacaoEF->edCaminho->Text() : "");
    linha("EF_ATIVOSEXTERIOR", n(int{ExportacaoEF->AtivosExterior}));
  }
  linha("COSIF", n(int{COSIF}));
  linha("PROCURADOR", Codigo(edProcurador));
  linha("TIPOPROCURADOR", n(TipoProcurador));
  linha("RESPONSAVEL", n(Responsavel));
  linha("EMPRESASCP", Codigo(edCodEmpSCP));
  linha("QUALIFICACAOASS", QualificacaoAss);
}

void TExportacaoECFDBMGR::ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) {
  DescartaParcial();
  const std::string pasta = NomeArquivo;
  if (pasta.empty() || !std::filesystem::is_directory(JuntaPastaArquivo(pasta, ".")))
    throw EArquivoECFNaoGravado("Pasta de destino não encontrada: " + pasta);
  if (!edCODEMP || !edDataIni || edDataIni->IsEmpty()) throw std::runtime_error("Empresa ou período não informado.");
  const TDateTime ini = edDataIni->GetData();
  const std::string nome = JuntaPastaArquivo(
      pasta, NomeArquivoECF(edCODEMP->Codigo(), std::to_string(ParametrosTela.Tributacao), YearOf(ini), MonthOf(ini)));
  // A name another kind of entry holds could not take the file once its export is recorded.
  std::error_code ec;
  if (std::filesystem::exists(nome, ec) && !std::filesystem::is_regular_file(nome, ec))
    throw EArquivoECFNaoGravado("Não foi possível gravar o arquivo " + nome);
  // Written beside under a name of its own (two workstations may export into one folder): the name a
  // later run or the validator takes for a finished export keeps the earlier file until Publica.
  const std::string parcial = nome + "." + TAcessoExclusivo::fNomeArqTemp_Exclusivo(".parcial");
  {
    std::ofstream out(parcial, std::ios::binary | std::ios::trunc);
    if (!out) throw EArquivoECFNaoGravado("Não foi possível gravar o arquivo " + nome);
    EscreveParametros(out);
    out.close();
    if (!out) {
      std::filesystem::remove(parcial, ec);
      throw EArquivoECFNaoGravado("Não foi possível gravar o arquivo " + nome);
    }
  }
  ++Execucoes;
  NomeArquivo = nome;
  ArquivoParcial = parcial;
  inconsistencias.Add_Informativo(fmt::format("Arquivo gerado: {}", nome));
}

void TExportacaoECFDBMGR::Publica() {
  if (ArquivoParcial.empty()) return;
  std::error_code ec;
  std::filesystem::rename(ArquivoParcial, NomeArquivo, ec);
  if (ec) {
    DescartaParcial();
    throw EArquivoECFNaoGravado("Não foi possível gravar o arquivo " + NomeArquivo + ": " + ec.message());
  }
  ArquivoParcial.clear();
}

void TExportacaoECFDBMGR::DescartaParcial() {
  if (ArquivoParcial.empty()) return;
  std::error_code ec;
  std::filesystem::remove(ArquivoParcial, ec);
  ArquivoParcial.clear();
}

}  // namespace vyn
