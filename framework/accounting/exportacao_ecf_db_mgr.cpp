#include "framework/accounting/exportacao_ecf_db_mgr.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/boxed_values.h"
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

void TExportacaoECFDBMGR::ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) {
  const std::string pasta = NomeArquivo;
  if (pasta.empty() || !std::filesystem::is_directory(JuntaPastaArquivo(pasta, ".")))
    throw std::runtime_error("Pasta de destino não encontrada: " + pasta);
  if (!edCODEMP || !edDataIni || edDataIni->IsEmpty()) throw std::runtime_error("Empresa ou período não informado.");
  const TDateTime ini = edDataIni->GetData();
  const std::string nome = JuntaPastaArquivo(
      pasta, NomeArquivoECF(edCODEMP->Codigo(), std::to_string(ParametrosTela.Tributacao), YearOf(ini), MonthOf(ini)));
  std::ofstream out(nome, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + nome);
  const TParametrosTela& p = ParametrosTela;
  auto linha = [&](const std::string& k, const std::string& v) { out << k << '=' << v << "\r\n"; };
  linha("EMPRESA", Codigo(edCODEMP));
  linha("DATAINI", Data(edDataIni));
  linha("DATAFIM", Data(edDataFim));
  linha("CONTAAJUSTE", Codigo(edContaAjuste));
  linha("INFORMACOESFISCAIS", InformacoesFiscais);
  linha("TARVO", IsTARVO ? "1" : "0");
  linha("LIMITARHISTCOMPL", LimitarHistCompl ? "1" : "0");
  linha("I157", std::to_string(CodigoI157));
  linha("INICIOPERIODO", std::to_string(p.InicioPeriodo));
  linha("SITUACAOESPECIAL", std::to_string(p.SituacaoEspecial));
  linha("CONTABILIZACAO", std::to_string(p.Contabilizacao));
  linha("RETIFICADORA", p.Retificadora);
  linha("TIPOECF", std::to_string(p.TipoECF));
  linha("REMANESCENTE", p.Remanescente.ToSQL());
  linha("DATASITUACAOESPECIAL", Data(p.DataSituacaoEspecial));
  linha("DATAPLANOCONTAS", Data(p.DataPlanoContas));
  linha("NUMERORECIBO", p.NumeroRecibo);
  linha("CNPJSCP", p.CNPJSCP);
  linha("TRIBUTACAO", std::to_string(p.Tributacao));
  linha("PERIODOIRPJ", p.PeriodoIRPJ);
  linha("QUALIFICACAOPJ", p.QualificacaoPJ);
  linha("TIPOESCRITURACAO", p.TipoEscrituracao);
  linha("ALIQUOTACSLL", p.AliquotaCSLL);
  linha("GRUPOMULTINACIONAL", std::to_string(p.GrupoMultinacional));
  linha("REGIMEAPURACAO", std::to_string(p.RegimeApuracao));
  linha("CONTALIVROCAIXA", std::to_string(p.ContaLivroCaixa));
  for (auto* d : DadosP500)
    if (d) linha(d->Registro + "|" + d->Codigo, d->Valor.ToSQL());
  for (auto& a : Anexos) linha("Y800", a);
  linha("QUALIFICACAOASS", QualificacaoAss);
  out.close();
  if (!out) throw std::runtime_error("Não foi possível gravar o arquivo " + nome);
  ++Execucoes;
  NomeArquivo = nome;
  inconsistencias.Add_Informativo(fmt::format("Arquivo gerado: {}", nome));
}

}  // namespace vyn
