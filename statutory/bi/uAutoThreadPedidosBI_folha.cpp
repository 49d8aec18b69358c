// BI requests of configurable payroll reports: for each person and reference month, the sum of every
// column of the report, computed by the payroll's report engine and written as one script.
#include <stdexcept>

#include "framework/accounting/parser_rconf.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/schema/pedidos_bi_tabelas.h"
#include "statutory/bi/uAutoThreadPedidosBI.h"

namespace integracao {

using namespace vyn;

namespace {

// The engine's per-month set-up, the same at the start month and at every new reference.
void PreparaCompetencia(TParserRCONF& motor, int ref, const std::string& filtroEmp) {
  motor.SetRefAtual(ref);
  motor.SetFiltroEmp(filtroEmp);
  motor.SetFiltroCol("");
  motor.SetFiltroAut("");
  motor.SetSitCol(TSitCol::tcTodosFuncionarios);
  motor.SetOrdem(coCodigo);
  motor.SetCC("");
  motor.SetCla("");
  motor.SetSind("");
  motor.SetFuc("");
}

std::string SQLOpcional(const std::optional<int>& v) { return v ? SQLInteger(*v) : std::string("null"); }

// One configurable payroll request as its row and its report's options say.
struct TPedidoFolha {
  int Id = 0;
  int CodEmp = 0;
  int CodRel = 0;
  TDateTime DataIni, DataFim;
  int AgruparPor = 0;
  bool BasesIRRFBruto = false;
  bool IRCompetencia = false;
};

TPedidoFolha LePedidoFolha(TSQLMGR& sql, int id) {
  sql.CommandText("select * from TPEDIDOS_BI_CONF_FOLHA where BDID = ?", ctOpen, {Variant(id)});
  if (sql.IsEmpty()) throw std::runtime_error("O pedido de BI " + std::to_string(id) + " não foi encontrado.");
  TPedidoFolha ped;
  ped.Id = id;
  ped.CodEmp = static_cast<int>(sql.FieldByName("BDCODEMP").AsInteger());
  ped.CodRel = static_cast<int>(sql.FieldByName("BDCODIGO_RELATORIO").AsInteger());
  ped.DataIni = sql.FieldByName("BDDATAINI").AsDateTime();
  ped.DataFim = sql.FieldByName("BDDATAFIN").AsDateTime();
  ped.AgruparPor = sql.FieldByName("BDAGRUPARPOR").IsNull() ? 0 : static_cast<int>(sql.FieldByName("BDAGRUPARPOR").AsInteger());
  sql.Close();
  return ped;
}

void LeOpcoesRelatorio(TSQLMGR& sql, TPedidoFolha& ped) {
  sql.CommandText("select BDBASESIRBRUTO, BDIRCOMPETENCIA from VRH_BASE_TRELCONF where BDCODRELCONF = ?", ctOpen,
                  {Variant(ped.CodRel)});
  if (sql.IsEmpty()) throw std::runtime_error("O relatório configurável " + std::to_string(ped.CodRel) + " não foi encontrado.");
  ped.BasesIRRFBruto = sql.FieldByName("BDBASESIRBRUTO").AsInteger() == 1;
  ped.IRCompetencia = sql.FieldByName("BDIRCOMPETENCIA").AsInteger() == 1;
  sql.Close();
}

// The engine at the request's first month, with the report's options.
void ConfiguraMotor(TParserRCONF& motor, TSQLMGR& sql, const TPedidoFolha& ped, const std::vector<TItemRelConf>& itens,
                    int refIni, const std::string& filtroEmp) {
  bool todasVerbas = false;
  for (const auto& i : itens) todasVerbas = todasVerbas || motor.EhFormulaTodasVerbas(i.Formula);
  motor.SetUnificados(todasVerbas);
  motor.SetCodRel(ped.CodRel);
  PreparaCompetencia(motor, refIni, filtroEmp);
  motor.SetCodEmp(ped.CodEmp);
  motor.SetBasesIRRFBruto(ped.BasesIRRFBruto);
  motor.SetIRPorCompetencia(ped.IRCompetencia);
  motor.SetAgrupaPor(ped.AgruparPor);
  sql.CommandText("select COUNT(*) QTDE_VERBAS FROM VRH_BASE_TRELCONF_ITENS WHERE BDCODRELCONF = ?"
                  " and BDCODVER IS NOT NULL", ctOpen, {Variant(ped.CodRel)});
  motor.SetTemVerbas(sql.FieldByName("QTDE_VERBAS").AsInteger() > 0);
  sql.Close();
  motor.VerificaUsoDaos();
  motor.TrocaCompetenciaCarregaDaos(refIni);
}

// One person's month: the engine on the person (and on the month, when it changed), then one row
// per report column with the sum of its items.
void CalculaPessoa(TParserRCONF& motor, const TPedidoFolha& ped, const std::vector<TItemRelConf>& itens,
                   const TPessoaRelConf& p, const std::string& filtroEmp, int& refAtual, std::vector<std::string>& script) {
  const bool terceiro = p.TipoCol == 2;
  const int codCol = terceiro ? 0 : p.CodCol;
  const int codTer = terceiro ? p.CodCol : 0;
  motor.SetCodEmp(p.CodEmp);
  motor.SetTipoCol(p.TipoCol);
  motor.SetCodCol(codCol);
  motor.SetCodAut(codTer);
  std::optional<int> custo = p.CodTpCC;
  if (ped.AgruparPor == 2) {
    custo = p.CodSetor;
    motor.SetCodCCSetor(p.CodSetor.value_or(0));
  }
  if (p.Ref != refAtual) {
    PreparaCompetencia(motor, p.Ref, filtroEmp);
    motor.CarregaDAODadosCadastraisCol();
    motor.TrocaCompetenciaCarregaDaos(p.Ref);
    refAtual = p.Ref;
  }
  motor.SetFiltroEmp("BDCODEMP = " + SQLInteger(p.CodEmp));
  motor.SetFiltroCol("BDCODCOL = " + SQLInteger(p.CodCol));
  motor.Posiciona(p.CodEmp, p.TipoCol, p.CodCol);
  if (motor.ExisteUsoFormulasProvisao()) motor.VerificaLancaInconsistenciaProvisoes();
  if (itens.empty()) return;

  // Each formula runs over the month being computed, not over the request's first month.
  const TDateTime iniMes = FirstDayOfAnoMes(refAtual), fimMes = LastDayOfAnoMes(refAtual);
  auto insere = [&](int coluna, const std::string& titulo, Currency soma) {
    script.push_back(std::string("insert into ") + kTabelaResultadosFolha +
                     " (BDID, BDCODEMP, BDREF, BDCODCOL, BDCODTER, BDCODIGO_RELATORIO, BDORDEM, BDDESCRICAO,"
                     " BDVALOR, BDCODTPCC) values (" +
                     SQLInteger(ped.Id) + ", " + SQLInteger(ped.CodEmp) + ", " + SQLInteger(refAtual) + ", " +
                     SQLInteger(codCol) + ", " + SQLInteger(codTer) + ", " + SQLInteger(ped.CodRel) + ", " +
                     SQLInteger(coluna) + ", " + QuotedStr(titulo) + ", " + SQLCurrency(soma) + ", " +
                     SQLOpcional(custo) + ")");
  };
  int coluna = itens.front().Coluna;
  std::string titulo = itens.front().Titulo;
  Currency soma, ultimo;
  for (const TItemRelConf& item : itens) {
    soma += ultimo;
    if (item.Coluna != coluna && !motor.EhFormulaTodasVerbas(item.Formula)) {
      insere(coluna, titulo, soma);
      coluna = item.Coluna;
      titulo = item.Titulo;
      soma = Currency();
    }
    if (item.CodVer) ultimo = motor.CalculaVerba(*item.CodVer, item.ClaVer);
    else if (motor.EhFormulaTodasVerbas(item.Formula)) ultimo = Currency();
    else ultimo = motor.CalculaFormula(item.Formula, iniMes, fimMes);
  }
  // The last column of the person's month is written too, not only the ones a new column closes.
  soma += ultimo;
  insere(coluna, titulo, soma);
}

}  // namespace

void TAutoThreadPedidosBI::pRodaProcessoBIFolhaConfiguravel() {
  auto* sql = TSQLMGR::CreateMgr(this);
  struct TLiberaSQL {
    TAutoThreadPedidosBI& t;
    TSQLMGR* s;
    ~TLiberaSQL() { t.FreeComponent(s); }
  } liberaSQL{*this, sql};

  TPedidoFolha ped = LePedidoFolha(*sql, FIDAtual);
  std::vector<std::string> formulas;
  sql->CommandText("select DISTINCT BDFORM FROM VRH_BASE_TRELCONF_ITENS WHERE BDCODRELCONF = ? and BDFORM <> ''"
                   " ORDER BY BDFORM", ctOpen, {Variant(ped.CodRel)});
  for (sql->First(); !sql->Eof(); sql->Next()) formulas.push_back(sql->FieldByName("BDFORM").AsString());
  sql->Close();

  auto* motor = Create<TParserRCONF>(formulas);
  struct TLiberaMotor {
    TAutoThreadPedidosBI& t;
    TParserRCONF* m;
    ~TLiberaMotor() { t.FreeComponent(m); }
  } liberaMotor{*this, motor};

  const std::vector<TItemRelConf> itens = SelecionaItensRelConf(*sql, ped.CodRel);
  LeOpcoesRelatorio(*sql, ped);
  const int refIni = AnoMes(ped.DataIni), refFim = AnoMes(ped.DataFim);
  const std::vector<TPessoaRelConf> pessoas = Select_RelatorioConfiguravelColaborador(*sql, ped.CodEmp, refIni, refFim);
  const std::string filtroEmp = "BDCODEMP = " + SQLInteger(ped.CodEmp);
  ConfiguraMotor(*motor, *sql, ped, itens, refIni, filtroEmp);
  int refAtual = refIni;

  // An answer replaces the request's earlier one (a re-sent id, a retry after a stopped run): in the same
  // script, so the old rows go only when the new ones are written.
  std::vector<std::string> script{std::string("delete from ") + kTabelaResultadosFolha +
                                  " where BDID = " + SQLInteger(ped.Id)};
  for (const TPessoaRelConf& p : pessoas) CalculaPessoa(*motor, ped, itens, p, filtroEmp, refAtual, script);
  const std::string erro = TDAOFactory::Executa_Script(script);
  if (!erro.empty()) throw std::runtime_error("Não foi possível gravar o resultado do pedido de BI " +
                                              std::to_string(FIDAtual) + ": " + erro);
}

}  // namespace integracao
