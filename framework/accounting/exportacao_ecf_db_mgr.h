#pragma once
// Stand-in for the suite's ECF generator and the parameter records the ECF screen hands it. The real
// generator reads the ledger and writes the layout; this one writes, one per line, every value it was
// given, so that what the screen hands over can be checked. The file name follows the suite's rule.
#include <array>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/ui/integracao_padrao.h"

namespace vyn {

class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TInconsistencias_VYN;

// One value of record P500: record name, code, description, value.
class TParametrosBlocoP500 : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TParametrosBlocoP500"; }
  std::string Registro;
  std::string Codigo;
  std::string Descricao;
  Currency Valor;
};

// The screen's parameters of the file, in the order the screen fills them.
struct TParametrosTela {
  int InicioPeriodo = -1;
  int SituacaoEspecial = -1;
  int Contabilizacao = 0;              // 1 fiscal, 2 corporate
  std::string Retificadora;
  int TipoECF = -1;
  Currency Remanescente;
  TDateTime DataSituacaoEspecial, DataIni, DataFim, DataPlanoContas;
  std::string NumeroRecibo;
  std::string CNPJSCP;                 // digits
  bool ExportarCC = false, ExportaZeradas = false, ExportaPlanoAnterior = false,
       TotalizarDistribuicaoLucros = false;
  std::string OptanteRefis, OptantePaes;
  int Tributacao = -1;
  std::string PeriodoIRPJ, QualificacaoPJ, TipoEscrituracao, TipoEntidade, ApuracaoIRPJImunesIsentas,
      ApuracaoCSLL, OptantePelaLei, DiferencaSocFCont;
  std::string AliquotaCSLL;
  int QuantidadeSCP = 0;
  std::array<int, 28> Indicadores0020{};   // record 0020, in the screen's order
  int GrupoMultinacional = 0, NovaRegraPrecoTransf2023 = 0, Cebas = 0;
  std::string NumeroCebas;
  int Derex = 0;
  std::array<int, 6> RegimesTodosAnos{};
  std::array<int, 10> Regimes2023{};       // only a start year of 2023 assigns these
  std::array<int, 10> RegimesAnteriores{}; // any other start year assigns these
  Currency AliquotaReduzida;
  int AlteracaoCapital = -1, EscrituracaoAtivo = -1, AvaliacaoEstoqueFinal = -1;
  Currency AliquotaReduzida2;
  int RegimeApuracao = -1, AvaliacaoEstoques = -1;
  int64_t ContaLivroCaixa = 0;
  bool VariasContasLivroCaixa = false;
};

// The fiscal-bookkeeping side of the ECF (what the generator reads from the fiscal books).
class TIntegracaoSpedECF_EFMGR : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TIntegracaoSpedECF_EFMGR"; }
  void SetCODEMP(TEdit_Codigo_Search_VYN* e) { edCODEMP = e; }
  void SetSituacao(int s) { Situacao = s; }
  void SetDataIni(TEdit_Date_Padrao_VYN* e) { edDataIni = e; }
  void SetDataFim(TEdit_Date_Padrao_VYN* e) { edDataFim = e; }
  void SetCaminho(TEdit_Diretorio_Padrao_VYN* e) { edCaminho = e; }
  void SetAtivosExterior(bool b) { AtivosExterior = b; }
  void SetInconsistencias_VYN(TInconsistencias_VYN* l) { Inconsistencias = l; }
  TEdit_Codigo_Search_VYN* edCODEMP = nullptr;
  TEdit_Date_Padrao_VYN* edDataIni = nullptr;
  TEdit_Date_Padrao_VYN* edDataFim = nullptr;
  TEdit_Diretorio_Padrao_VYN* edCaminho = nullptr;
  int Situacao = -1;
  bool AtivosExterior = false;
  TInconsistencias_VYN* Inconsistencias = nullptr;
};

// "ECF" + company (at least 4 digits) + "_" + taxation + "_" + year + "_" + month + ".TXT".
std::string NomeArquivoECF(int64_t codEmp, const std::string& tributacao, int ano, int mes);
// A folder typed the suite's way ("C:\dados\" or "/dados") joined with a file name.
std::string JuntaPastaArquivo(const std::string& pasta, const std::string& arquivo);

// The file could not be written where it was asked (no such folder, no room, no right): a fault of
// the destination, not of the data exported.
class EArquivoECFNaoGravado : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TExportacaoECFDBMGR : public TComponent, public IIntegracaoMGR {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TExportacaoECFDBMGR"; }

  void SetCodEmp(TEdit_Codigo_Search_VYN* e) { edCODEMP = e; }
  void SetDataIni(TEdit_Date_Padrao_VYN* e) { edDataIni = e; }
  void SetDataFim(TEdit_Date_Padrao_VYN* e) { edDataFim = e; }
  void SetContaAjuste(TEdit_Codigo_Search_VYN* e) { edContaAjuste = e; }
  void SetInformacoesFiscais(std::string s) { InformacoesFiscais = std::move(s); }
  void SetDAOExportacaoEF(TIntegracaoSpedECF_EFMGR* m) { ExportacaoEF = m; }
  void SetInconsistencias_VYN(TInconsistencias_VYN* l) { Inconsistencias = l; }
  // In: the destination folder. After a run that wrote the file: its full name (set only then). The
  // file waits beside it, under ArquivoParcial, until Publica puts it in place of an earlier one: the
  // caller publishes it once what records the export is committed.
  void SetNomeArquivo(std::string s) { NomeArquivo = std::move(s); }
  const std::string& GetNomeArquivo() const { return NomeArquivo; }
  const std::string& GetArquivoParcial() const { return ArquivoParcial; }
  void Publica();
  // Removes the written file that was not published (a failed or stopped confirmation).
  void DescartaParcial();
  void SetIsTARVO(bool b) { IsTARVO = b; }
  void setLimitarHistCompl(bool b) { LimitarHistCompl = b; }
  void SetCodigoI157(int c) { CodigoI157 = c; }
  void SetDadosP500(std::vector<TParametrosBlocoP500*> p) { DadosP500 = std::move(p); }
  std::vector<std::string>& ListaAnexos() { return Anexos; }
  void SetCOSIF(bool b) { COSIF = b; }
  void SetProcurador(TEdit_Codigo_Search_VYN* e) { edProcurador = e; }
  void SetTipoProcurador(int t) { TipoProcurador = t; }
  void SetResponsavel(int r) { Responsavel = r; }
  void SetCodEmpSCP(TEdit_Codigo_Search_VYN* e) { edCodEmpSCP = e; }
  void setQualificacaoAss(std::string q) { QualificacaoAss = std::move(q); }

  TParametrosTela ParametrosTela;

  // Writes the file beside its name in the destination folder; a folder that does not exist raises.
  void ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) override;
  // Every value handed over, one "NAME=value" line each.
  void EscreveParametros(std::ostream& out) const;

  // What the screen handed over (read by the run and by tests).
  TEdit_Codigo_Search_VYN* edCODEMP = nullptr;
  TEdit_Date_Padrao_VYN* edDataIni = nullptr;
  TEdit_Date_Padrao_VYN* edDataFim = nullptr;
  TEdit_Codigo_Search_VYN* edContaAjuste = nullptr;
  TEdit_Codigo_Search_VYN* edProcurador = nullptr;
  TEdit_Codigo_Search_VYN* edCodEmpSCP = nullptr;
  std::string InformacoesFiscais;
  TIntegracaoSpedECF_EFMGR* ExportacaoEF = nullptr;
  TInconsistencias_VYN* Inconsistencias = nullptr;
  std::string NomeArquivo;
  std::string ArquivoParcial;
  bool IsTARVO = false;
  bool LimitarHistCompl = false;
  int CodigoI157 = 0;
  std::vector<TParametrosBlocoP500*> DadosP500;
  std::vector<std::string> Anexos;
  bool COSIF = false;
  int TipoProcurador = 0;
  int Responsavel = 0;
  std::string QualificacaoAss;
  int Execucoes = 0;   // runs that wrote a file
};

// What the ECF screen hands back to the accounting audit screen when it closes in audit mode: a
// copy of the screen's parameters, the fiscal-information path and the fiscal-bookkeeping manager.
class TDadosTelaExportacaoECF : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TDadosTelaExportacaoECF"; }
  void SetParametrosTela(const TParametrosTela& p) { ParametrosTela = p; }
  void SetInformacoesFiscais(std::string s) { InformacoesFiscais = std::move(s); }
  void SetExportacaoEF(TIntegracaoSpedECF_EFMGR* m) { ExportacaoEF = m; }
  TParametrosTela ParametrosTela;
  std::string InformacoesFiscais;
  TIntegracaoSpedECF_EFMGR* ExportacaoEF = nullptr;
};

}  // namespace vyn
