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
  motor.SetSitCol(tcTodosFuncionarios);
  motor.SetOrdem(coCodigo);
  motor.SetCC("");
  motor.SetCla("");
  motor.SetSind("");
  motor.SetFuc("");
}

std::string SQLOpcional(const std::optional<int>& v) { return v ? SQLInteger(*v) : std::string("null"); }

}  // namespace

void TAutoThreadPedidosBI::pRodaProcessoBIFolhaConfiguravel() {
  auto* sql = TSQLMGR::CreateMgr(this);
  struct TLiberaSQL {
    TAutoThreadPedidosBI& t;
    TSQLMGR* s;
    ~TLiberaSQL() { t.FreeComponent(s); }
  } liberaSQL{*this, sql};

  sql->CommandText("select * from TPEDIDOS_BI_CONF_FOLHA where BDID = ?", ctOpen, {Variant(FIDAtual)});
  if (sql->IsEmpty()) throw std::runtime_error("O pedido de BI " + std::to_string(FIDAtual) + " não foi encontrado.");
  const int codEmp = static_cast<int>(sql->FieldByName("BDCODEMP").AsInteger());
  const int codRel = static_cast<int>(sql->FieldByName("BDCODIGO_RELATORIO").AsInteger());
  const TDateTime dataIni = sql->FieldByName("BDDATAINI").AsDateTime();
  const TDateTime dataFim = sql->FieldByName("BDDATAFIN").AsDateTime();
  const int agruparPor = sql->FieldByName("BDAGRUPARPOR").IsNull()
                             ? 0 : static_cast<int>(sql->FieldByName("BDAGRUPARPOR").AsInteger());
  sql->Close();

  std::vector<std::string> formulas;
  sql->CommandText("select DISTINCT BDFORM FROM VRH_BASE_TRELCONF_ITENS WHERE BDCODRELCONF = ? and BDFORM <> ''"
                   " ORDER BY BDFORM", ctOpen, {Variant(codRel)});
  for (sql->First(); !sql->Eof(); sql->Next()) formulas.push_back(sql->FieldByName("BDFORM").AsString());
  sql->Close();

  auto* motor = Create<TParserRCONF>(formulas);
  struct TLiberaMotor {
    TAutoThreadPedidosBI& t;
    TParserRCONF* m;
    ~TLiberaMotor() { t.FreeComponent(m); }
  } liberaMotor{*this, motor};

  const std::vector<TItemRelConf> itens = SelecionaItensRelConf(*sql, codRel);
  sql->CommandText("select BDBASESIRBRUTO, BDIRCOMPETENCIA from VRH_BASE_TRELCONF where BDCODRELCONF = ?", ctOpen,
                   {Variant(codRel)});
  if (sql->IsEmpty()) throw std::runtime_error("O relatório configurável " + std::to_string(codRel) + " não foi encontrado.");
  const bool basesIRRFBruto = sql->FieldByName("BDBASESIRBRUTO").AsInteger() == 1;
  const bool irCompetencia = sql->FieldByName("BDIRCOMPETENCIA").AsInteger() == 1;
  sql->Close();

  const int refIni = AnoMes(dataIni), refFim = AnoMes(dataFim);
  const std::vector<TPessoaRelConf> pessoas = Select_RelatorioConfiguravelColaborador(*sql, codEmp, refIni, refFim);

  bool todasVerbas = false;
  for (const auto& i : itens) todasVerbas = todasVerbas || motor->EhFormulaTodasVerbas(i.Formula);
  const std::string filtroEmp = "BDCODEMP = " + SQLInteger(codEmp);
  motor->SetUnificados(todasVerbas);
  motor->SetCodRel(codRel);
  PreparaCompetencia(*motor, refIni, filtroEmp);
  motor->SetCodEmp(codEmp);
  motor->SetBasesIRRFBruto(basesIRRFBruto);
  motor->SetIRPorCompetencia(irCompetencia);
  motor->SetAgrupaPor(agruparPor);
  sql->CommandText("select COUNT(*) QTDE_VERBAS FROM VRH_BASE_TRELCONF_ITENS WHERE BDCODRELCONF = ?"
                   " and BDCODVER IS NOT NULL", ctOpen, {Variant(codRel)});
  motor->SetTemVerbas(sql->FieldByName("QTDE_VERBAS").AsInteger() > 0);
  sql->Close();
  motor->VerificaUsoDaos();
  motor->TrocaCompetenciaCarregaDaos(refIni);
  int refAtual = refIni;

  std::vector<std::string> script;
  for (const TPessoaRelConf& p : pessoas) {
    const bool terceiro = p.TipoCol == 2;
    const int codCol = terceiro ? 0 : p.CodCol;
    const int codTer = terceiro ? p.CodCol : 0;
    motor->SetCodEmp(p.CodEmp);
    motor->SetTipoCol(p.TipoCol);
    motor->SetCodCol(codCol);
    motor->SetCodAut(codTer);
    std::optional<int> custo = p.CodTpCC;
    if (agruparPor == 2) {
      custo = p.CodSetor;
      motor->SetCodCCSetor(p.CodSetor.value_or(0));
    }
    if (p.Ref != refAtual) {
      PreparaCompetencia(*motor, p.Ref, filtroEmp);
      motor->CarregaDAODadosCadastraisCol();
      motor->TrocaCompetenciaCarregaDaos(p.Ref);
      refAtual = p.Ref;
    }
    motor->SetFiltroEmp("BDCODEMP = " + SQLInteger(p.CodEmp));
    motor->SetFiltroCol("BDCODCOL = " + SQLInteger(p.CodCol));
    motor->Posiciona(p.CodEmp, p.TipoCol, p.CodCol);
    if (motor->ExisteUsoFormulasProvisao()) motor->VerificaLancaInconsistenciaProvisoes();
    if (itens.empty()) continue;

    // Each formula runs over the month being computed, not over the request's first month.
    const TDateTime iniMes = FirstDayOfAnoMes(refAtual), fimMes = LastDayOfAnoMes(refAtual);
    auto insere = [&](int coluna, const std::string& titulo, Currency soma) {
      script.push_back(std::string("insert into ") + kTabelaResultadosFolha +
                       " (BDID, BDCODEMP, BDREF, BDCODCOL, BDCODTER, BDCODIGO_RELATORIO, BDORDEM, BDDESCRICAO,"
                       " BDVALOR, BDCODTPCC) values (" +
                       SQLInteger(FIDAtual) + ", " + SQLInteger(codEmp) + ", " + SQLInteger(refAtual) + ", " +
                       SQLInteger(codCol) + ", " + SQLInteger(codTer) + ", " + SQLInteger(codRel) + ", " +
                       SQLInteger(coluna) + ", " + QuotedStr(titulo) + ", " + SQLCurrency(soma) + ", " +
                       SQLOpcional(custo) + ")");
    };
    int coluna = itens.front().Coluna;
    std::string titulo = itens.front().Titulo;
    Currency soma, ultimo;
    for (const TItemRelConf& item : itens) {
      soma += ultimo;
      if (item.Coluna != coluna && !motor->EhFormulaTodasVerbas(item.Formula)) {
        insere(coluna, titulo, soma);
        coluna = item.Coluna;
        titulo = item.Titulo;
        soma = Currency();
      }
      if (item.CodVer) ultimo = motor->CalculaVerba(*item.CodVer, item.ClaVer);
      else if (motor->EhFormulaTodasVerbas(item.Formula)) ultimo = Currency();
      else ultimo = motor->CalculaFormula(item.Formula, iniMes, fimMes);
    }
    // The last column of the person's month is written too, not only the ones a new column closes.
    soma += ultimo;
    insere(coluna, titulo, soma);
  }
  const std::string erro = TDAOFactory::Executa_Script(script);
  if (!erro.empty()) throw std::runtime_error("Não foi possível gravar o resultado do pedido de BI " +
                                              std::to_string(FIDAtual) + ": " + erro);
}

}  // namespace integracao
