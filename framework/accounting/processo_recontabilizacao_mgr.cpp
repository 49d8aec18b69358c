#include "framework/accounting/processo_recontabilizacao_mgr.h"

#include <fmt/format.h>

#include <algorithm>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"

namespace vyn {

static_assert(tprFiscalEntrada == 3 && tprFolhaAdiantamento == 29 && tprReservado53 == 53);
static_assert(tprReservado59 == kQtdeTiposProcRecontabiliza - 1);

namespace {

constexpr const char* kNomes[kQtdeTiposProcRecontabiliza] = {
    "Baixa impostos", "Parcelamento de tributos", "Baixa de parcelamento de tributos",
    // fiscal
    "Lançamento de entrada", "Lançamento de saída", "Lançamento de serviço", "Lançamento de redução Z",
    "Lançamento de demais documentos", "Lançamento de movimentação financeira", "Apuração da ICMS",
    "Apuração da PIS/Cofins lucro real", "Apuração IPI", "Apuração CIAP", "Apuração IR/CSLL", "Provisão Darf",
    "Provisão Darf Simples", "Provisão Darf Retenção", "Provisão Guia Estadual", "Provisão Guia Municipal",
    "Baixa de parcelamento entrada", "Baixa de parcelamento saída", "Baixa de parcelamento serviços",
    "Baixa de parcelamento demais documentos", "Lançamento de operação imobiliária",
    "Pagamento de operação imobiliária", "Apuração GIA ST", "Dime - Créditos Regimes Especiais",
    "Apuração Bloco M", "Apuração Sped Fiscal",
    // payroll
    "Adiantamento salarial", "Autônomos", "Férias", "Folha avulsa", "Folha normal", "Folha complementar",
    "Adiantamento de 13º salário", "13º salário", "Complemento de 13º salário", "Provisão de 13º salário",
    "Provisão de férias", "GPS", "GPS Funrural", "GPS contratante", "Carnê", "Notas fiscais lançadas pela folha",
    "Compensação GPS", "Darf IR", "Darf PIS", "GRCS", "GRCS Patronal", "Baixa de cálculos",
    "Folha normal intermitente", "Folha complementar intermitente",
    // reserved
    "Rotina 53", "Rotina 54", "Rotina 55", "Rotina 56", "Rotina 57", "Rotina 58", "Rotina 59"};

bool Contem(const auto& arr, int ordinal) {
  return std::find(arr.begin(), arr.end(), static_cast<uint8_t>(ordinal)) != arr.end();
}

std::string Lista(const std::vector<int>& v) {
  std::vector<std::string> parts;
  for (int i : v) parts.push_back(std::to_string(i));
  return Join(parts, ",");
}

Variant DataOuNulo(TDateTime d) { return d.Value == 0 ? Variant() : Variant(d.DateOnly()); }

}  // namespace

bool IncluiTipoProc(TTiposProcRecontabiliza& set, int ordinal) {
  if (ordinal < 0 || ordinal > 63) return false;
  set.set(static_cast<size_t>(ordinal));
  return true;
}

TTiposProcRecontabiliza TodosTiposProc() {
  TTiposProcRecontabiliza s;
  for (int i = 0; i < kQtdeTiposProcRecontabiliza; ++i) s.set(static_cast<size_t>(i));
  return s;
}

std::string NomeTipoProc(int ordinal) {
  return ordinal >= 0 && ordinal < kQtdeTiposProcRecontabiliza ? kNomes[ordinal] : "";
}

int TipoLancamentoTipoProc(int ordinal) {
  if (Contem(C_RECURSOS_FISCAL, ordinal)) return kTipoLanFiscal;
  if (Contem(C_RECURSOS_FOLHA, ordinal)) return kTipoLanFolha;
  return 0;
}

int SistemaTipoProc(int ordinal) {
  if (Contem(C_RECURSOS_FISCAL, ordinal)) return kSistemaFiscal;
  if (Contem(C_RECURSOS_FOLHA, ordinal)) return kSistemaFolha;
  return kSistemaGeral;
}

TProcessoRecontabilizacaoMGR::TProcessoRecontabilizacaoMGR(TComponent* owner, TDatabase* db)
    : TMgr(owner, {}, db) {}

bool TProcessoRecontabilizacaoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TProcessoRecontabilizacaoMGR") || TDAOFactory::InheritsFrom(class_name);
}

std::string TProcessoRecontabilizacaoMGR::GetSelectDataInicioProcesso(const std::string& condicao,
                                                                      const std::string&, bool informado,
                                                                      bool) const {
  // Without an end the re-posting runs to the end of the current month.
  std::string fim = QuotedDateSQL(EndOfTheMonth(Today()));
  std::string sql =
      "SELECT * FROM (SELECT E.BDCODEMP, R.BDNOMEMP, R.BDULTENC, CAST(" + fim +
      " AS DATE) AS BDDATAFIM, COALESCE(E.BDSTATUSEMP, 0) AS BDSTATUSEMP"
      " FROM TEMPRESAS E JOIN VW_TEMPRESAS_REF R ON (R.BDCODEMP = E.BDCODEMP)"
      " WHERE COALESCE(E.BDCODMATRIZ, 0) IN (0, E.BDCODEMP)) X";
  if (informado && !Trim(condicao).empty()) sql += " WHERE " + condicao;
  return sql + " ORDER BY X.BDCODEMP";
}

bool TProcessoRecontabilizacaoMGR::getPossuiZeramento(int) const { return false; }

bool TProcessoRecontabilizacaoMGR::getInconsistenciaContaSemPreparacao(int, int, int, int, int, TDateTime, TDateTime,
                                                                       TInconsistencias_VYN*) const {
  return false;
}

std::vector<int> TProcessoRecontabilizacaoMGR::EmpresaEFiliais(int codEmp) {
  std::vector<int> out{codEmp};
  auto r = Database().QueryAll("SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODMATRIZ = ? AND BDCODEMP <> ? ORDER BY BDCODEMP",
                               {codEmp, codEmp});
  for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(static_cast<int>(r.Value(i, "BDCODEMP").AsInteger()));
  return out;
}

void TProcessoRecontabilizacaoMGR::ExecutaRecontabiliza(int planoAtual, int planoNovo, int planoTroca, int codEmp,
                                                        TDateTime dataIni, TDateTime dataFim,
                                                        TInconsistencias_VYN* lista, bool executa,
                                                        const TTiposProcRecontabiliza& rotinas, int, int, bool) {
  auto erro = [&](const std::string& t) {
    if (lista) lista->Add_Erro(codEmp, t);
  };
  if (rotinas.none()) return erro("Nenhuma rotina foi selecionada para a recontabilização.");
  if (dataIni.Value == 0 || dataFim.Value == 0 || dataFim.DateOnly() < dataIni.DateOnly())
    return erro(fmt::format("Período inválido para a recontabilização: {} a {}.", DateToStr(dataIni),
                            DateToStr(dataFim)));
  TDatabase& db = Database();
  bool trocaPlano = planoNovo != planoAtual;
  std::vector<int> empresas;
  try {
    empresas = EmpresaEFiliais(codEmp);
    if (trocaPlano) {
      if (db.QueryValue("SELECT COUNT(*) FROM TPLANO_CONF_ONLINE WHERE BDCODPLANOONLINE = ?", {planoNovo})
              .AsInteger() == 0)
        return erro(fmt::format("Plano de contabilização {} não encontrado: a troca não foi realizada.", planoNovo));
      // A closed period keeps its plan: the change starts with the first month after the last closing.
      Variant encerramento = db.QueryValue(
          "SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP IN (" + Lista(empresas) + ")");
      if (!encerramento.IsNull()) {
        TDateTime livre = FirstDayOfAnoMes(IncAnoMes(AnoMes(encerramento.AsDateTime()), 1));
        if (dataIni.DateOnly() < livre.DateOnly()) dataIni = livre;
        if (dataFim.DateOnly() < dataIni.DateOnly())
          return erro(fmt::format("Não há período posterior ao último encerramento contábil ({}) até {} para a "
                                  "troca do plano de contabilização.",
                                  DateToStr(encerramento.AsDateTime()), DateToStr(dataFim)));
      }
    }
  } catch (const std::exception& e) {
    return erro(std::string("Não foi possível recontabilizar a empresa: ") + e.what());
  }
  if (!executa || Cancelado()) return;

  std::vector<int> ordinais;
  for (int i = 0; i < 64; ++i)
    if (rotinas.test(static_cast<size_t>(i))) ordinais.push_back(i);
  try {
    TTransaction tr(db);
    if (trocaPlano) {
      int ordemTroca = RegistraProcessoTroca(codEmp, empresas, planoAtual, planoNovo, planoTroca, dataIni, dataFim);
      AbreReferenciaInicio(empresas, AnoMes(dataIni));
      // The plan bundles its chart and history plan: they move with it.
      db.Execute("UPDATE TEMPRESAS_REF SET BDCODPLANOONLINE = ?,"
                     " BDCODPLAPADRAO = COALESCE((SELECT P.BDCODPLAPADRAO FROM TPLANO_CONF_ONLINE P"
                     " WHERE P.BDCODPLANOONLINE = ?), BDCODPLAPADRAO),"
                     " BDCODHIST = COALESCE((SELECT P.BDCODHIST FROM TPLANO_CONF_ONLINE P"
                     " WHERE P.BDCODPLANOONLINE = ?), BDCODHIST)"
                     " WHERE BDCODEMP IN (" + Lista(empresas) + ") AND BDREFEMP >= ?",
                 {planoNovo, planoNovo, planoNovo, AnoMes(dataIni)});
      SalvaBalancetes(codEmp, ordemTroca, 1, empresas, dataIni, dataFim);
    }
    int ordem = static_cast<int>(
        db.QueryValue("SELECT COALESCE(MAX(BDORDEM), 0) + 1 FROM VZEL_EMP_TRECONTABILIZACAO WHERE BDCODEMP = ?",
                      {codEmp})
            .AsInteger());
    TDateTime agora = Now();
    const auto& ctx = ProcessContext();
    db.Execute(
        "INSERT INTO VZEL_EMP_TRECONTABILIZACAO (BDCODEMP, BDORDEM, BDDATAINI, BDDATAFIN, BDATAPROC, BDHORAPROC,"
        " BDCODUSU, BDNOMUSU, BDNOMRESP) VALUES (?, ?, ?, ?, ?, CAST(? AS TIME), ?, ?, ?)",
        {codEmp, ordem, dataIni.DateOnly(), dataFim.DateOnly(), agora.DateOnly(), FormatDate("hh:nn:ss", agora),
         ctx.UserCode, ctx.UserName, Responsavel});
    int seq = 0;
    for (int o : ordinais) {
      db.Execute("INSERT INTO VZEL_EMP_TRECONTABILIZACAO_PROC (BDCODEMP, BDORDEM, BDSEQ, BDCODSIS, BDNOME)"
                 " VALUES (?, ?, ?, ?, ?)",
                 {codEmp, ordem, ++seq, SistemaTipoProc(o), NomeTipoProc(o)});
    }
    tr.Commit();
    if (lista)
      lista->Add_Informacao(codEmp, fmt::format("Recontabilização de {} a {} registrada; os lançamentos on-line das "
                                                "rotinas são refeitos pelos módulos que os produzem.",
                                                DateToStr(dataIni), DateToStr(dataFim)));
  } catch (const std::exception& e) {
    erro(std::string("Não foi possível recontabilizar a empresa: ") + e.what());
  }
}

bool TProcessoRecontabilizacaoMGR::ProcessoInicioContabilizacao(TComponent*, TLogEvent*, int codEmp,
                                                                int tipoLanContab, TDateTime inicio,
                                                                TDateTime corteBaixa, TDateTime corteOpeImob,
                                                                TDateTime corteImpostos,
                                                                TInconsistencias_VYN* lista) {
  auto erro = [&](const std::string& t) {
    if (lista) lista->Add_Erro(codEmp, t);
    return false;
  };
  TDatabase& db = Database();
  try {
    Variant sis = db.QueryValue("SELECT FIRST 1 BDCODSIS FROM TSISTEMA WHERE BDTIPOLANCONTAB = ? ORDER BY BDCODSIS",
                                {tipoLanContab});
    if (tipoLanContab <= 0 || sis.IsNull())
      return erro(fmt::format("Nenhum sistema com o tipo de lançamento {} para definir o início da contabilização.",
                              tipoLanContab));
    TTransaction tr(db);
    if (inicio.Value != 0) {
      // Only this company's: each branch has a start of its own, and its deletion is asked for it.
      ExcluiLancamentosAnteriores(codEmp, tipoLanContab, inicio);
    }
    // A date not given keeps the recorded one.
    db.Execute(
        "UPDATE OR INSERT INTO TINICIO_CONTABILIZACAO (BDCODEMP, BDCODSIS, BDDATA, BDDATACONTBAIXA,"
        " BDDATACONTOPEIMOB, BDDATACONTIMPOSTOS, BDAUTOMATICO)"
        " VALUES (?, ?,"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATA FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTBAIXA FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTOPEIMOB FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTIMPOSTOS FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " 'FALSE') MATCHING (BDCODEMP, BDCODSIS)",
        {codEmp, sis, DataOuNulo(inicio), codEmp, sis, DataOuNulo(corteBaixa), codEmp, sis, DataOuNulo(corteOpeImob),
         codEmp, sis, DataOuNulo(corteImpostos), codEmp, sis});
    tr.Commit();
    return true;
  } catch (const std::exception& e) {
    return erro(std::string("Não foi possível definir o início da contabilização: ") + e.what());
  }
}

void TProcessoRecontabilizacaoMGR::ExcluiLancamentosAnteriores(int codEmp, int tipoLanContab, TDateTime inicio) {
  TDatabase& db = Database();
  const std::string chaves =
      "(SELECT L.BDCHAVE FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP = ? AND L.BDTIPOLAN = ? AND L.BDDATA < ?)";
  const TDateTime data = inicio.DateOnly();
  // The company, then the selection's values.
  const TParams pEmpresa{codEmp, codEmp, tipoLanContab, data};
  // Statement lines reconciled with a deleted entry; a line of a group also names the group's other
  // entries, whose reconciliation with it goes as well.
  const std::string linhas =
      "EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TEXTRATOBAN X WHERE X.BDCODEMP = C.BDCODEMPCONC AND X.BDCHAVE = "
      "C.BDCHAVECONC AND COALESCE(X.BDCODEMPLANC, X.BDCODEMP) = ? AND X.BDCHAVELANC IN " + chaves + ")";
  const std::string itensOutroLado =
      "(C.BDORIGEMCONC = 1 AND " + linhas + ") OR (C.BDORIGEMCONC = 2 AND C.BDCODEMPCONC = ? AND C.BDCHAVECONC IN " +
      chaves + ")";
  const TParams pItensOutro{codEmp, codEmp, tipoLanContab, data, codEmp, codEmp, tipoLanContab, data};
  // The entries that stay and lose an item: unmarked below when none is left.
  auto outros = db.QueryAll("SELECT DISTINCT C.BDCODEMP, C.BDCHAVE FROM VZEL_EMPRESAS_TLAN_CONC C WHERE " +
                                itensOutroLado,
                            pItensOutro);
  auto nomeadas = db.QueryAll("SELECT DISTINCT C.BDCODEMPCONC AS BDCODEMP, C.BDCHAVECONC AS BDCHAVE FROM"
                              " VZEL_EMPRESAS_TLAN_CONC C WHERE C.BDORIGEMCONC = 2 AND C.BDCODEMP = ? AND C.BDCHAVE IN " +
                                  chaves,
                              pEmpresa);
  db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN_CONC C WHERE " + itensOutroLado, pItensOutro);
  db.Execute("UPDATE VZEL_EMPRESAS_TEXTRATOBAN SET BDCODEMPLANC = NULL, BDCHAVELANC = NULL"
             " WHERE COALESCE(BDCODEMPLANC, BDCODEMP) = ? AND BDCHAVELANC IN " + chaves,
             pEmpresa);
  for (const char* tabela : {"VZEL_EMPRESAS_TLAN_CONC", "VZEL_EMPRESAS_TLAN_CC", "VZEL_EMPRESAS_TLAN_COMPL",
                             "VZEL_EMPRESAS_TLAN_Y570"})
    db.Execute(std::string("DELETE FROM ") + tabela + " WHERE BDCODEMP = ? AND BDCHAVE IN " + chaves, pEmpresa);
  db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDTIPOLAN = ? AND BDDATA < ?",
             {codEmp, tipoLanContab, data});
  for (const auto* r : {&outros, &nomeadas})
    for (size_t i = 0; i < r->Rows.size(); ++i)
      db.Execute("UPDATE VZEL_EMPRESAS_TLAN L SET BDCONCD = 'FALSE', BDCONCC = 'FALSE' WHERE L.BDCODEMP = ? AND"
                 " L.BDCHAVE = ? AND NOT EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TLAN_CONC C WHERE C.BDCODEMP = L.BDCODEMP"
                 " AND C.BDCHAVE = L.BDCHAVE)",
                 {r->Value(i, "BDCODEMP"), r->Value(i, "BDCHAVE")});
}

// --- change of posting plan: the record of the change and its saved balances ---

int TProcessoRecontabilizacaoMGR::RegistraProcessoTroca(int codEmp, const std::vector<int>& empresas, int planoAtual,
                                                        int planoNovo, int planoTroca, TDateTime dataIni,
                                                        TDateTime dataFim) {
  TDatabase& db = Database();
  int ordem = static_cast<int>(
      db.QueryValue("SELECT COALESCE(MAX(BDORDEM), 0) + 1 FROM VINT_EMP_PROCESSOTROCA WHERE BDCODEMP = ?", {codEmp})
          .AsInteger());
  db.Execute("INSERT INTO VINT_EMP_PROCESSOTROCA (BDCODEMP, BDORDEM, BDDATAINICIAL, BDSTATUS, BDCODINT,"
             " BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA, BDDATAPROC, BDNOMUSU) VALUES (?, ?, ?, 0, ?, ?, ?, ?, ?)",
             {codEmp, ordem, dataIni.DateOnly(), planoTroca > 0 ? Variant(planoTroca) : Variant(), planoAtual,
              planoNovo, Now(), ProcessContext().UserName});
  SalvaBalancetes(codEmp, ordem, 0, empresas, dataIni, dataFim);
  return ordem;
}

void TProcessoRecontabilizacaoMGR::AbreReferenciaInicio(const std::vector<int>& empresas, int referencia) {
  TDatabase& db = Database();
  auto colunas = db.QueryAll("SELECT TRIM(RDB$FIELD_NAME) AS NOME FROM RDB$RELATION_FIELDS"
                             " WHERE RDB$RELATION_NAME = 'TEMPRESAS_REF' AND TRIM(RDB$FIELD_NAME) <> 'BDREFEMP'"
                             " ORDER BY RDB$FIELD_POSITION");
  std::vector<std::string> nomes;
  for (size_t i = 0; i < colunas.Rows.size(); ++i) nomes.push_back(colunas.Value(i, "NOME").AsString());
  std::string lista = Join(nomes, ", ");
  for (int emp : empresas) {
    db.Execute("INSERT INTO TEMPRESAS_REF (BDREFEMP, " + lista + ") SELECT FIRST 1 CAST(? AS INTEGER), " + lista +
                   " FROM TEMPRESAS_REF R WHERE R.BDCODEMP = ? AND R.BDREFEMP < ?"
                   " AND NOT EXISTS (SELECT 1 FROM TEMPRESAS_REF X WHERE X.BDCODEMP = ? AND X.BDREFEMP = ?)"
                   " ORDER BY R.BDREFEMP DESC",
               {referencia, emp, referencia, emp, referencia});
  }
}

void TProcessoRecontabilizacaoMGR::SalvaBalancetes(int codEmp, int ordem, int dePara, const std::vector<int>& empresas,
                                                   TDateTime dataIni, TDateTime dataFim) {
  TDatabase& db = Database();
  // Debits positive, credits negative, per chart and account of the ledger of the companies.
  const std::string movimento =
      "SELECT L.BDCODPLAPADRAO AS PLANO, L.BDDEBITO AS CONTA, L.BDDATA AS DATA, L.BDVALOR AS VALOR"
      " FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" + Lista(empresas) + ") AND L.BDDEBITO IS NOT NULL"
      " AND L.BDCODPLAPADRAO IS NOT NULL AND L.BDDATA <= ?"
      " UNION ALL SELECT L.BDCODPLAPADRAO, L.BDCREDITO, L.BDDATA, -L.BDVALOR"
      " FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" + Lista(empresas) + ") AND L.BDCREDITO IS NOT NULL"
      " AND L.BDCODPLAPADRAO IS NOT NULL AND L.BDDATA <= ?";
  for (int ano = YearOf(dataIni); ano <= YearOf(dataFim); ++ano) {
    TDateTime inicioAno = EncodeDate(ano, 1, 1), fimAno = EncodeDate(ano, 12, 31);
    db.Execute(
        "INSERT INTO VINT_EMP_PROCESSOTROCA_BAL (BDCODEMP, BDORDEM, BDDEPARA, BDANO, BDCODPLAPADRAO, BDCODTPLA,"
        " BDSALANT, BDDEBITOS, BDCREDITOS, BDSALATU)"
        " SELECT ?, ?, ?, ?, M.PLANO, M.CONTA,"
        " SUM(IIF(M.DATA < ?, M.VALOR, 0)), SUM(IIF(M.DATA >= ? AND M.VALOR > 0, M.VALOR, 0)),"
        " SUM(IIF(M.DATA >= ? AND M.VALOR < 0, -M.VALOR, 0)), SUM(M.VALOR)"
        " FROM (" + movimento + ") M GROUP BY M.PLANO, M.CONTA",
        {codEmp, ordem, dePara, ano, inicioAno, inicioAno, inicioAno, fimAno, fimAno});
  }
}

}  // namespace vyn
