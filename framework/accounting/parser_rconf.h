#pragma once
// The payroll's configurable-report engine (TParserRCONF), as narrow as the BI task needs it: it
// keeps one month of the company's computed pay items, answers a pay item's value for the person it
// is positioned on, and evaluates the report's formulas. The formulas of this stand-in are sums and
// differences of terms: "V<code>" (the person's pay item, all classes), "DIAS" (days of the period
// evaluated) and plain numbers; "TODASVERBAS" stands for a formula over all pay items, "IRRF..." for
// an income-tax formula and "PROV..." for a provisions formula.
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/component/component.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"

namespace vyn {

class TSQLMGR;

// Scoped: the code search has a kind of its own of the same name.
enum class TSitCol : int { tcTodosFuncionarios = 0 };
enum TOrdemCol : int { coCodigo = 0 };

// An item (column part) of a configurable report, in the report's order.
struct TItemRelConf {
  int Coluna = 0;
  std::string Titulo;
  std::string Formula;
  std::optional<int> CodVer;   // a pay item, or none for a formula item
  int ClaVer = 0;
};

// A person of the report in one reference month (BDTIPOCOL 2 is a contractor).
struct TPessoaRelConf {
  int CodEmp = 0, TipoCol = 0, CodCol = 0, Ref = 0;
  std::optional<int> CodSetor, CodTpCC;
};

class TParserRCONF : public TComponent {
 public:
  TParserRCONF(TComponent* owner, std::vector<std::string> formulas);
  std::string ClassName() const override { return "TParserRCONF"; }

  void SetUnificados(bool v) { unificados_ = v; }
  void SetCodRel(int v) { codRel_ = v; }
  void SetFiltroEmp(std::string v) { filtroEmp_ = std::move(v); }
  void SetFiltroCol(std::string v) { filtroCol_ = std::move(v); }
  void SetFiltroAut(std::string v) { filtroAut_ = std::move(v); }
  void SetRefAtual(int yyyymm) { refAtual_ = yyyymm; }
  void SetSitCol(TSitCol) {}
  void SetOrdem(TOrdemCol) {}
  void SetCC(const std::string&) {}
  void SetCla(const std::string&) {}
  void SetSind(const std::string&) {}
  void SetFuc(const std::string&) {}
  void SetCodEmp(int v) { codEmp_ = v; }
  void SetBasesIRRFBruto(bool v) { basesIRRFBruto_ = v; }
  void SetIRPorCompetencia(bool v) { irPorCompetencia_ = v; }
  void SetAgrupaPor(int v) { agrupaPor_ = v; }
  void SetTemVerbas(bool v) { temVerbas_ = v; }
  void SetTipoCol(int v) { tipoCol_ = v; }
  void SetCodCol(int v) { codCol_ = v; }
  void SetCodAut(int v) { codAut_ = v; }
  void SetCodCCSetor(int v) { codCCSetor_ = v; }

  void VerificaUsoDaos() {}
  void CarregaDAODadosCadastraisCol() {}
  // Loads the company's computed pay items of the month.
  void TrocaCompetenciaCarregaDaos(int yyyymm);
  // Positions the month's data on the person; False when the person has nothing in the month.
  bool Posiciona(int codEmp, int tipoCol, int codCol);
  bool EhFormulaTodasVerbas(const std::string& formula) const;
  bool ExisteUsoFormulasIRRF() const;
  bool ExisteUsoFormulasProvisao() const;
  void VerificaLancaInconsistenciaProvisoes() {}

  // The positioned person's pay item of the class in the loaded month.
  Currency CalculaVerba(int codVer, int claVer) const;
  // The formula for the positioned person over the period [ini, fim]; raises on a term it does not know.
  Currency CalculaFormula(const std::string& formula, TDateTime ini, TDateTime fim);

  int RefAtual() const { return refAtual_; }
  int CompetenciaCarregada() const { return competenciaCarregada_; }
  // Months loaded by TrocaCompetenciaCarregaDaos, in order, and the periods formulas were evaluated with.
  const std::vector<int>& TrocasDeCompetencia() const { return trocas_; }
  const std::vector<std::pair<TDateTime, TDateTime>>& PeriodosAvaliados() const { return periodos_; }

 private:
  std::vector<std::string> formulas_;
  TSQLMGR* sql_ = nullptr;
  bool unificados_ = false, basesIRRFBruto_ = false, irPorCompetencia_ = false, temVerbas_ = false;
  int codRel_ = 0, refAtual_ = 0, codEmp_ = 0, agrupaPor_ = 0, tipoCol_ = 0, codCol_ = 0, codAut_ = 0, codCCSetor_ = 0;
  std::string filtroEmp_, filtroCol_, filtroAut_;
  int competenciaCarregada_ = 0;
  // (tipocol, codcol, codver, claver) -> value of the loaded month
  std::map<std::tuple<int, int, int, int>, Currency> movimento_;
  int posTipoCol_ = 0, posCodCol_ = 0;
  std::vector<int> trocas_;
  std::vector<std::pair<TDateTime, TDateTime>> periodos_;
};

// The items of a configurable report in their order.
std::vector<TItemRelConf> SelecionaItensRelConf(TSQLMGR& sql, int codRel);
// Employees and contractors of the company for every reference from refIni to refFim, one row per
// person and reference, the rows of one reference together; a person counts in a month when admitted
// by its last day and not dismissed before its first.
std::vector<TPessoaRelConf> Select_RelatorioConfiguravelColaborador(TSQLMGR& sql, int codEmp, int refIni, int refFim);

}  // namespace vyn
