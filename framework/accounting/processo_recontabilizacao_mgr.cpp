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

void TProcessoRecontabilizacaoMGR::ExecutaRecontabiliza(int planoAtual, int planoNovo, int, int codEmp,
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
  if (!executa || Cancelado()) return;

  std::vector<int> ordinais;
  for (int i = 0; i < 64; ++i)
    if (rotinas.test(static_cast<size_t>(i))) ordinais.push_back(i);
  TDatabase& db = Database();
  try {
    std::vector<int> empresas = EmpresaEFiliais(codEmp);
    TTransaction tr(db);
    if (planoNovo != planoAtual) {
      db.Execute("UPDATE TEMPRESAS_REF SET BDCODPLANOONLINE = ? WHERE BDCODEMP IN (" + Lista(empresas) +
                     ") AND BDREFEMP >= ?",
                 {planoNovo, AnoMes(dataIni)});
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
    std::vector<int> empresas = EmpresaEFiliais(codEmp);
    TTransaction tr(db);
    if (inicio.Value != 0) {
      db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP IN (" + Lista(empresas) +
                     ") AND BDTIPOLAN = ? AND BDDATA < ?",
                 {tipoLanContab, inicio.DateOnly()});
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

}  // namespace vyn
